#!/usr/bin/env bash
# Only the left button captures the pointer. A drag of the marker with the
# right button stops at the overview's edge: moves and the release outside do
# not reach the overview, the drag goes on over it with no button held and
# ends with a release over it. A left drag follows the pointer outside.
# Typing into Edit2 marks the moment the moves before it have been handled.
source "$(dirname "$0")/lib.sh"

start_x
start_app

EDIT1_GEOM="129x22+40+440"
EDIT2_GEOM="129x22+40+472"
# box X Y: window position of overview pixel (X, Y).
box() { echo $((PAINTBOX_X + $1)) $((PAINTBOX_Y + $2)); }
# handled KEY: types KEY into Edit2 and waits until it shows.
handled() {
  shot_window typed
  local before
  before="$(region_hash "$E2E_TMP/typed.png" "$EDIT2_GEOM")"
  xdotool type -- "$1"
  wait_region_change "$EDIT2_GEOM" "$before" 5 typed || fail "Edit2 did not take the key '$1'"
}
marker_at() { wait_pixel $(box "$1" "$2") "0,0,255" 5 marker; }

xdotool mousemove --window "$WIN" 100 483 click 1   # Edit2 takes the keys
xdotool mousemove --window "$WIN" $(box 90 160)
sleep 0.1
xdotool mousedown 3
xdotool mousemove --window "$WIN" $(box 100 50)
marker_at 100 50 || fail "a right-button drag did not move the marker to (100, 50)"
edit1="$(region_hash "$E2E_TMP/marker.png" "$EDIT1_GEOM")"
log "right-button drag at (100, 50)"

# Outside the overview, over the thumbnails: nothing reaches it.
xdotool mousemove --window "$WIN" 500 300
xdotool mousemove --window "$WIN" 520 320
handled 7
[ "$(region_hash "$E2E_TMP/typed.png" "$EDIT1_GEOM")" = "$edit1" ] ||
  fail "moves outside the overview during a right-button drag rewrote Edit1"
[ "$(pixel "$E2E_TMP/typed.png" $(box 100 50))" = "0,0,255" ] ||
  fail "moves outside the overview during a right-button drag moved the marker"
xdotool mouseup 3
handled 8
log "moves and release outside the overview changed nothing"

# Back over the overview with no button held: the drag goes on.
xdotool mousemove --window "$WIN" $(box 144 150)
marker_at 144 150 || fail "after a release outside, a move over the overview did not move the marker"
log "the drag goes on over the overview with no button held"

# A release over the overview ends it.
xdotool click 2
xdotool mousemove --window "$WIN" $(box 200 100)
handled 9
[ "$(pixel "$E2E_TMP/typed.png" $(box 144 150))" = "0,0,255" ] ||
  fail "a move after a release over the overview moved the marker"
log "a release over the overview ended the drag"

# The left button captures: its drag follows the pointer outside.
xdotool mousemove --window "$WIN" $(box 144 150)
sleep 0.1
xdotool mousedown 1
xdotool mousemove --window "$WIN" $(box 100 50)
marker_at 100 50 || fail "a left-button drag did not move the marker"
shot_window left
edit1="$(region_hash "$E2E_TMP/left.png" "$EDIT1_GEOM")"
xdotool mousemove --window "$WIN" 500 300
wait_region_change "$EDIT1_GEOM" "$edit1" 5 left ||
  fail "a left-button drag outside the overview did not rewrite Edit1"
xdotool mouseup 1
log "a left-button drag follows the pointer outside"
pass
