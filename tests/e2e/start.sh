#!/usr/bin/env bash
# The program starts: its window appears with its caption, the overview shows
# the blue target marker centred at overview pixel (90, 160), and the six
# thumbnails are white.
source "$(dirname "$0")/lib.sh"

start_x
start_app

name="$(xdotool getwindowname "$WIN")"
[ "$name" = "$E2E_CAPTION" ] || fail "window caption is '$name'"
read -r w h < <(xwininfo -id "$WIN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
[ "$w" = 1124 ] && [ "$h" = 754 ] || fail "client area is ${w}x${h}, expected 1124x754"

shot_window start
img="$E2E_TMP/start.png"

# The marker: a filled blue disc of 8 pixels' size around (90, 160).
cx=$((PAINTBOX_X + 90))
cy=$((PAINTBOX_Y + 160))
for d in "0 0" "-2 0" "2 0" "0 -2" "0 2"; do
  set -- $d
  p="$(pixel "$img" $((cx + $1)) $((cy + $2)))"
  [ "$p" = "0,0,255" ] || fail "overview pixel ($((90 + $1)), $((160 + $2))) is $p, expected the marker's blue 0,0,255"
done
for d in "-6 0" "6 0" "0 -6" "0 6"; do
  set -- $d
  p="$(pixel "$img" $((cx + $1)) $((cy + $2)))"
  [ "$p" != "0,0,255" ] || fail "overview pixel ($((90 + $1)), $((160 + $2))) is blue: the marker is not centred at (90, 160)"
done
log "marker at (90, 160)"

convert -size ${THUMB_W}x${THUMB_H} xc:white "$E2E_TMP/white.ppm"
for n in 1 2 3 4 5 6; do
  crop "$img" "${THUMB_W}x${THUMB_H}+${THUMB_X[$n]}+${THUMB_Y[$n]}" "$E2E_TMP/thumb-$n.png"
  d="$(differing_pixels "$E2E_TMP/thumb-$n.png" "$E2E_TMP/white.ppm")"
  [ "$d" = 0 ] || fail "thumbnail $n is not white: $d pixels differ"
done
log "six white thumbnails"

[ "$(zeichnen_state "$img")" = idle ] || fail "the draw button does not show \"Vergrößerungen zeichnen\""
pass
