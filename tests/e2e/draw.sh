#!/usr/bin/env bash
# "Vergrößerungen zeichnen" with the start-up defaults: after the run the six
# thumbnails show, pixel for pixel, the images of the target -1,41 / 0 at the
# factors 10 ... 1000000 in the colours of VERTIGO.
source "$(dirname "$0")/lib.sh"

start_x
start_app
make_reference "-1,41" "0" VERTIGO

shot_window before
before="$(region_hash "$E2E_TMP/before.png" "$THUMBS_GEOM")"
press_zeichnen
log "pressed \"Vergrößerungen zeichnen\""
wait_run_end "$before" 60

thumbs_equal_reference "$E2E_TMP/run-end.png" "$E2E_TMP/ref/VERTIGO" ||
  fail "the thumbnails differ from the images of -1,41 / 0 in VERTIGO"
log "six thumbnails equal the reference images"
# The overview was repainted with the marker where it was.
[ "$(pixel "$E2E_TMP/run-end.png" $((PAINTBOX_X + 90)) $((PAINTBOX_Y + 160)))" = "0,0,255" ] ||
  fail "no marker at overview pixel (90, 160) after the run"
pass
