#!/usr/bin/env bash
# Maximised in one direction only (openbox offers both), the panels fill the
# window and the thumbnails are laid out for its size, as for a full
# maximise; restored, the window is 1124 x 754 again with a new layout.
# Colour cycling draws the six pictures: after a layout, white thumbnails
# show that they took a new size, and cycling then fills them to the last
# corner of thumbnail 6 at its new place.
source "$(dirname "$0")/lib.sh"

start_x 1920x1080
start_wm
start_app

# cycle_once NAME: colour cycling on until thumbnail 6's last corner is
# drawn, then off; the screenshot stays in $E2E_TMP/NAME.png.
cycle_once() {
  local x=$((THUMB_X[6] + THUMB_W - 1)) y=$((THUMB_Y[6] + THUMB_H - 1)) drawn=""
  press_button1
  for _ in $(seq 1 50); do
    shot_window "$1"
    [ "$(pixel "$E2E_TMP/$1.png" "$x" "$y")" != "255,255,255" ] && { drawn=1; break; }
    sleep 0.1
  done
  press_button1
  [ -n "$drawn" ] || fail "$1: colour cycling did not draw thumbnail 6 to its corner ($x, $y)"
}

# all_white NAME WHAT: every thumbnail of the present layout is white.
all_white() {
  local n
  for n in 1 2 3 4 5 6; do
    thumb_is_white "$E2E_TMP/$1.png" "$n" || fail "$2: thumbnail $n was not laid out anew"
  done
}

cycle_once drawn
for direction in vert horz; do
  wmctrl -i -r "$WIN" -b add,maximized_$direction
  deadline=$(( $(now_ms) + 10000 ))
  while [ "$(window_size)" = "1124x754" ] && [ "$(now_ms)" -lt "$deadline" ]; do sleep 0.1; done
  size="$(window_size)"
  [ "$size" != "1124x754" ] || fail "maximized_$direction left the window at 1124x754"
  use_layout_of_window
  w="${size%x*}"; h="${size#*x}"
  # The panels reach the window's far corner.
  wait_pixel $((w - 1)) $((h - 1)) "255,255,255" 5 maximised ||
    fail "maximised ($direction) to $size, the panels do not fill the window"
  all_white maximised "maximised ($direction)"
  cycle_once "cycled-$direction"
  log "maximised ($direction) to $size: panels fill it, thumbnails of ${THUMB_W}x${THUMB_H}"

  wmctrl -i -r "$WIN" -b remove,maximized_$direction
  wait_window_size 1124x754 10
  use_layout_of_window
  wait_pixel $((THUMB_X[6] + THUMB_W - 1)) $((THUMB_Y[6] + THUMB_H - 1)) "255,255,255" 5 restored ||
    fail "restored from maximised ($direction), thumbnail 6 was not laid out anew"
  all_white restored "restored ($direction)"
  cycle_once "restored-$direction"
  log "restored to 1124x754"
done
pass
