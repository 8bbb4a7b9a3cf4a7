#!/usr/bin/env bash
# Dragging the target marker from overview pixel (90, 160) to (144, 150) and
# pressing Enter (the draw button is the window's default button): the six
# thumbnails show the images of -0,7492401216 / 0,1308411215.
source "$(dirname "$0")/lib.sh"

start_x
start_app
make_reference "-0,7492401216" "0,1308411215" VERTIGO

shot_window before
before="$(region_hash "$E2E_TMP/before.png" "$THUMBS_GEOM")"

x0=$((PAINTBOX_X + 90)); y0=$((PAINTBOX_Y + 160))
x1=$((PAINTBOX_X + 144)); y1=$((PAINTBOX_Y + 150))
xdotool mousemove --window "$WIN" "$x0" "$y0"
sleep 0.1
xdotool mousedown 1
for s in $(seq 1 12); do
  xdotool mousemove --window "$WIN" $((x0 + (x1 - x0) * s / 12)) $((y0 + (y1 - y0) * s / 12))
  sleep 0.05
done
sleep 0.1
xdotool mouseup 1
# The marker follows the drag, before any run.
for _ in $(seq 1 20); do
  shot_window dragged
  [ "$(pixel "$E2E_TMP/dragged.png" "$x1" "$y1")" = "0,0,255" ] && break
  sleep 0.1
done
[ "$(pixel "$E2E_TMP/dragged.png" "$x1" "$y1")" = "0,0,255" ] ||
  fail "the marker is not at overview pixel (144, 150) after the drag"
[ "$(pixel "$E2E_TMP/dragged.png" "$x0" "$y0")" != "0,0,255" ] ||
  fail "the marker is still drawn at (90, 160) after the drag"
log "marker dragged to (144, 150)"

xdotool key Return
log "pressed Enter"
wait_run_end "$before" 60

thumbs_equal_reference "$E2E_TMP/run-end.png" "$E2E_TMP/ref/VERTIGO" ||
  fail "the thumbnails differ from the images of -0,7492401216 / 0,1308411215 in VERTIGO"
log "six thumbnails equal the reference images"
pass
