#!/usr/bin/env bash
# A button other than the left one captures nothing anywhere in the window:
# while only such a button is held, every event goes to the widget under the
# pointer. A right-button drag of the marker released outside the overview
# goes on when a later right press outside is moved over the overview, and a
# release there ends it; a left click on a thumbnail while the right button
# is still held from a press on the overview re-centres and starts a run.
source "$(dirname "$0")/lib.sh"

start_x
start_app

EDIT1_GEOM="129x22+40+440"
# box X Y: window position of overview pixel (X, Y).
box() { echo $((PAINTBOX_X + $1)) $((PAINTBOX_Y + $2)); }
marker_at() { wait_pixel $(box "$1" "$2") "0,0,255" 5 marker; }

# Right press on the marker, moved to (100, 50), released on the panel below
# the overview: the drag stays on.
xdotool mousemove --window "$WIN" $(box 90 160)
sleep 0.1
xdotool mousedown 3
xdotool mousemove --window "$WIN" $(box 100 50)
marker_at 100 50 || fail "a right-button drag did not move the marker to (100, 50)"
xdotool mousemove --window "$WIN" "$NEUTRAL_X" "$NEUTRAL_Y"
sleep 0.1
xdotool mouseup 3
log "right-button drag released outside the overview"

# A right press on the panel, moved over the overview: the overview gets the
# moves and the release.
xdotool mousedown 3
xdotool mousemove --window "$WIN" $(box 120 70)
xdotool mousemove --window "$WIN" $(box 144 150)
marker_at 144 150 ||
  fail "moves over the overview with the right button held from a press outside did not move the marker"
xdotool mouseup 3
log "a press outside the overview took no capture: the moves over it moved the marker"
shot_window released
edit1="$(region_hash "$E2E_TMP/released.png" "$EDIT1_GEOM")"
xdotool mousemove --window "$WIN" $(box 200 100)
xdotool mousemove --window "$WIN" $(box 210 110)
sleep 0.5
shot_window after
[ "$(pixel "$E2E_TMP/after.png" $(box 144 150))" = "0,0,255" ] ||
  fail "the right release over the overview did not end the drag: the marker moved on"
[ "$(region_hash "$E2E_TMP/after.png" "$EDIT1_GEOM")" = "$edit1" ] ||
  fail "the right release over the overview did not end the drag: Edit1 changed"
log "the release over the overview ended the drag"

# Right press on the marker, held, onto thumbnail 1; a left click there.
shot_window before-click
thumbs="$(region_hash "$E2E_TMP/before-click.png" "$THUMBS_GEOM")"
xdotool mousemove --window "$WIN" $(box 144 150)
sleep 0.1
xdotool mousedown 3
xdotool mousemove --window "$WIN" 500 100
xdotool mousemove --window "$WIN" $((THUMB_X[1] + 100)) $((THUMB_Y[1] + 60))
sleep 0.1
xdotool click 1
wait_run_end "$thumbs" 60
xdotool mouseup 3
[ "$(region_hash "$E2E_TMP/run-end.png" "$EDIT1_GEOM")" != "$edit1" ] ||
  fail "the left click on thumbnail 1 did not re-centre: Edit1 is unchanged"
log "a left click on a thumbnail with the right button held re-centred and ran"
pass
