#!/usr/bin/env bash
# The window's client area is centred on a 1920 x 1080 screen, at (398, 163),
# without and with a window manager (openbox), and a border drag that the
# window refuses leaves it where it was.
source "$(dirname "$0")/lib.sh"

start_x 1920x1080
CENTRED="398 163"

# within_one "X Y" "X Y": the two positions differ by one pixel at most.
within_one() {
  local a=($1) b=($2)
  local dx=$((a[0] - b[0])) dy=$((a[1] - b[1]))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
}

start_app
at="$(client_origin)"
within_one "$at" "$CENTRED" || fail "without a window manager the client area is at $at, not $CENTRED"
log "without a window manager: client area at $at"
stop_app

start_wm
start_app
at="$(client_origin)"
within_one "$at" "$CENTRED" || fail "under openbox the client area is at $at, not $CENTRED"
log "under openbox: client area at $at"

# A drag of the frame's bottom border, 100 pixels down.
read -r left right top bottom < <(xprop -id "$WIN" _NET_FRAME_EXTENTS | tr -d ',' | awk '{print $3, $4, $5, $6}')
[ "${bottom:-0}" -gt 0 ] || fail "the frame has no bottom border to drag (extents: $left $right $top $bottom)"
read -r x y <<<"$at"
bx=$((x + 562)); by=$((y + 754 + bottom / 2))
xdotool mousemove "$bx" "$by"
sleep 0.2
xdotool mousedown 1
for s in 1 2 3 4 5; do xdotool mousemove "$bx" $((by + 20 * s)); sleep 0.05; done
xdotool mouseup 1
xdotool mousemove 10 10
# The window shows the taken-back size (after whatever the drag did).
sleep 0.5
wait_window_size 1124x754 5
after="$(client_origin)"
[ "$after" = "$at" ] || fail "the refused border drag moved the client area from $at to $after"
log "a refused border drag left the window at $after"
pass
