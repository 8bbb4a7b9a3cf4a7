#!/usr/bin/env bash
# A paste into a single-line field stops at the pasted text's first line
# break. "0,5" with CR LF pasted into the factor of "Bild 1" gives the image
# of "0,5" typed into "Bild 2"; "0,25" with LF pasted into x1 makes the run's
# target 0,25 + 0i, where the marker stands at the run's end.
source "$(dirname "$0")/lib.sh"

start_x
start_app

# clipboard TEXT: TEXT (printf format) on the clipboard, served by xclip.
clipboard() { printf "$1" | xclip -selection clipboard -i; }
# cell_y N: window y of the factor cell of "Bild N".
cell_y() { echo $((416 + 20 * $1 + 10)); }

set_factors "0"
clipboard '0,5\r\n'
xdotool mousemove --window "$WIN" 300 "$(cell_y 1)" click 1
xdotool key F2 ctrl+a ctrl+v Tab
xdotool type -- "0,5"
xdotool key Tab
log "pasted \"0,5\" CR LF into the factor of Bild 1"

shot_window before
press_zeichnen
wait_run_end "$(region_hash "$E2E_TMP/before.png" "$THUMBS_GEOM")" 60
crop "$E2E_TMP/run-end.png" "${THUMB_W}x${THUMB_H}+${THUMB_X[1]}+${THUMB_Y[1]}" "$E2E_TMP/thumb-1.ppm"
crop "$E2E_TMP/run-end.png" "${THUMB_W}x${THUMB_H}+${THUMB_X[2]}+${THUMB_Y[2]}" "$E2E_TMP/thumb-2.ppm"
d="$(differing_pixels "$E2E_TMP/thumb-1.ppm" "$E2E_TMP/thumb-2.ppm")"
[ "$d" = 0 ] || fail "the pasted factor gives another image than the typed \"0,5\" ($d pixels differ)"
log "the pasted factor reads as the typed one"

clipboard '0,25\n'
xdotool mousemove --window "$WIN" 100 451 click 1 key ctrl+a ctrl+v
xdotool mousemove --window "$WIN" "$NEUTRAL_X" "$NEUTRAL_Y"
sleep 0.2
log "pasted \"0,25\" LF into x1"
mv "$E2E_TMP/run-end.png" "$E2E_TMP/first-run.png"
press_zeichnen
wait_run_end "$(region_hash "$E2E_TMP/first-run.png" "$THUMBS_GEOM")" 60
# 0,25 + 0i is overview pixel (226, 160); 25 lies far right of the overview.
[ "$(pixel "$E2E_TMP/run-end.png" $((PAINTBOX_X + 226)) $((PAINTBOX_Y + 160)))" = "0,0,255" ] ||
  fail "after the run the marker is not at 0,25 + 0i: x1 did not read as 0,25"
log "x1 read as 0,25"
pass
