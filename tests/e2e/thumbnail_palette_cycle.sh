#!/usr/bin/env bash
# A press on the centre of thumbnail 1 starts a run (toward -1,41 / 0 again:
# the centre of a thumbnail is its target); choosing "RGB" loads STANDARD and
# starts a run in its colours; "Farbanimation" sets the colours in motion and
# "Anhalten" stops them.
source "$(dirname "$0")/lib.sh"

start_x
start_app
make_reference "-1,41" "0" VERTIGO STANDARD

# Press on thumbnail 1 at (190, 125) while it is still blank.
shot_window before
before="$(region_hash "$E2E_TMP/before.png" "$THUMBS_GEOM")"
click $((THUMB_X[1] + 190)) $((THUMB_Y[1] + 125))
log "pressed thumbnail 1 at (190, 125)"
wait_run_end "$before" 60
thumbs_equal_reference "$E2E_TMP/run-end.png" "$E2E_TMP/ref/VERTIGO" ||
  fail "after the press on thumbnail 1 the thumbnails differ from the images of -1,41 / 0 in VERTIGO"
log "six thumbnails equal the VERTIGO reference"

# Palette "RGB", the fourth of the four columns of the radio group.
mv "$E2E_TMP/run-end.png" "$E2E_TMP/vertigo.png"
before="$(region_hash "$E2E_TMP/vertigo.png" "$THUMBS_GEOM")"
click 289 681
log "chose \"RGB\""
wait_run_end "$before" 60
thumbs_equal_reference "$E2E_TMP/run-end.png" "$E2E_TMP/ref/STANDARD" ||
  fail "after choosing \"RGB\" the thumbnails differ from the images of -1,41 / 0 in STANDARD"
log "six thumbnails equal the STANDARD reference"

# Colour cycling on: the thumbnails keep changing.
crop "$E2E_TMP/run-end.png" "$BUTTON1_GEOM" "$E2E_TMP/button1-off.png"
press_button1
# Two looks 100 ms apart differ once the timer runs; a slow or busy machine
# may take a moment to start it.
moving=""
for _ in $(seq 1 20); do
  shot_window cycle-a
  sleep 0.1
  shot_window cycle-b
  if [ "$(region_hash "$E2E_TMP/cycle-a.png" "$THUMBS_GEOM")" != "$(region_hash "$E2E_TMP/cycle-b.png" "$THUMBS_GEOM")" ]; then
    moving=1
    break
  fi
done
[ -n "$moving" ] || fail "with \"Farbanimation\" on, the thumbnails never change between two screenshots 100 ms apart"
crop "$E2E_TMP/cycle-b.png" "$BUTTON1_GEOM" "$E2E_TMP/button1-on.png"
[ "$(differing_pixels "$E2E_TMP/button1-on.png" "$E2E_TMP/button1-off.png")" != 0 ] ||
  fail "the caption of Button1 did not change when cycling started"
log "colours cycle"

# Cycling off ("Anhalten"): the thumbnails stand still in the last colours.
press_button1
# Once the button shows "Farbanimation" again, the thumbnails stand still.
stopped=""
for _ in $(seq 1 50); do
  shot_region button1-stopped "$BUTTON1_GEOM"
  if [ "$(differing_pixels "$E2E_TMP/button1-stopped.png" "$E2E_TMP/button1-off.png")" = 0 ]; then
    stopped=1
    break
  fi
  sleep 0.1
done
[ -n "$stopped" ] || fail "Button1 does not show \"Farbanimation\" again after \"Anhalten\""
shot_window still-a
sleep 0.1
shot_window still-b
[ "$(region_hash "$E2E_TMP/still-a.png" "$THUMBS_GEOM")" = "$(region_hash "$E2E_TMP/still-b.png" "$THUMBS_GEOM")" ] ||
  fail "after \"Anhalten\" two screenshots 100 ms apart show different thumbnails"
log "colours stand still"
pass
