#!/usr/bin/env bash
# The program on Qt's native Wayland platform, under weston nested in an X
# server: dragging the marker; maximising and restoring through the maximise
# button of Qt's own title bar; after restoring, a run gives the images of
# the dragged target pixel for pixel.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/weston_lib.sh"

start_x 1280x1024
start_weston x11 1280x1024
start_app_wayland
[ "${CLIENT_W}x${CLIENT_H}" = 1124x754 ] || fail "client area is ${CLIENT_W}x${CLIENT_H}, expected 1124x754"

# Dragging the marker from (90, 160) to (144, 150).
x0=$((CLIENT_X + PAINTBOX_X + 90)); y0=$((CLIENT_Y + PAINTBOX_Y + 160))
x1=$((CLIENT_X + PAINTBOX_X + 144)); y1=$((CLIENT_Y + PAINTBOX_Y + 150))
xdotool mousemove "$x0" "$y0"
sleep 0.1
xdotool mousedown 1
for s in $(seq 1 12); do
  xdotool mousemove $((x0 + (x1 - x0) * s / 12)) $((y0 + (y1 - y0) * s / 12))
  sleep 0.05
done
xdotool mouseup 1
xdotool mousemove $((CLIENT_X + NEUTRAL_X)) $((CLIENT_Y + NEUTRAL_Y))
for _ in $(seq 1 30); do
  shot_window dragged
  [ "$(pixel "$E2E_TMP/dragged.png" $((PAINTBOX_X + 144)) $((PAINTBOX_Y + 150)))" = "0,0,255" ] && break
  sleep 0.1
done
[ "$(pixel "$E2E_TMP/dragged.png" $((PAINTBOX_X + 144)) $((PAINTBOX_Y + 150)))" = "0,0,255" ] ||
  fail "the marker is not at overview pixel (144, 150) after the drag"
[ "$(pixel "$E2E_TMP/dragged.png" $((PAINTBOX_X + 90)) $((PAINTBOX_Y + 160)))" != "0,0,255" ] ||
  fail "the marker is still drawn at (90, 160) after the drag"
log "marker dragged"
make_reference "-0,7492401216" "0,1308411215" VERTIGO

# The maximise button of Qt's title bar: 40 pixels left of the decoration's
# right edge, 15 below its top.
press_maximise_button() {
  find_window || fail "the window vanished"
  xdotool mousemove $((CLIENT_X + CLIENT_W + DECO_RIGHT - 40)) $((CLIENT_Y - DECO_TOP + 15)) click 1
  xdotool mousemove $((CLIENT_X + NEUTRAL_X)) $((CLIENT_Y + NEUTRAL_Y))
}
wait_size_change() {  # wait_size_change FROM: until the client area is no longer FROM
  for _ in $(seq 1 100); do
    [ "$(window_size)" != "$1" ] && { sleep 0.5; find_window; return 0; }
    sleep 0.1
  done
  fail "the window kept the size $1"
}
press_maximise_button
wait_size_change 1124x754
use_layout_of_window
log "maximised to $(window_size)"
shot_window maximised
for n in 1 2 3 4 5 6; do
  thumb_is_white "$E2E_TMP/maximised.png" "$n" || fail "thumbnail $n is not white after maximising"
done
press_maximise_button
wait_size_change "${CLIENT_W}x${CLIENT_H}"
[ "$(window_size)" = 1124x754 ] || fail "restored to $(window_size), not 1124x754"
use_layout_of_window
shot_window restored
press_zeichnen
wait_run_end "$(region_hash "$E2E_TMP/restored.png" "$THUMBS_GEOM")" 60
thumbs_equal_reference "$E2E_TMP/run-end.png" "$E2E_TMP/ref/VERTIGO" ||
  fail "after restoring, the run differs from the images of the dragged target"
log "restored: the run gives the images of the dragged target"
pass
