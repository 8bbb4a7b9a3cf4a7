#!/usr/bin/env bash
# The window under a real window manager (openbox). Its border is fixed: a
# request for another size leaves the thumbnails as they are, pixel for
# pixel, and the window returns to 1124 x 754. Maximising and restoring
# through the window manager lay the thumbnails out anew: white, then drawn
# by the next run at the new size; after restoring, a run gives the default
# images exactly.
source "$(dirname "$0")/lib.sh"

start_x
start_wm
start_app
make_reference "-1,41" "0" VERTIGO

# A run, then a size request as a border drag makes it.
shot_window before
press_zeichnen
wait_run_end "$(region_hash "$E2E_TMP/before.png" "$THUMBS_GEOM")" 60
thumbs_equal_reference "$E2E_TMP/run-end.png" "$E2E_TMP/ref/VERTIGO" ||
  fail "the first run's thumbnails differ from the reference"
for size in "900 600" "1200 900"; do
  xdotool windowsize "$WIN" $size
  sleep 0.5
  wait_window_size 1124x754 5
  shot_window resized
  thumbs_equal_reference "$E2E_TMP/resized.png" "$E2E_TMP/ref/VERTIGO" ||
    fail "a request for the size $size changed the thumbnails"
done
log "size requests kept the window at 1124x754 and the thumbnails as they were"

# Maximised: white thumbnails at the new size, drawn by the next run.
maximise_and_wait
shot_window maximised
for n in 1 2 3 4 5 6; do
  thumb_is_white "$E2E_TMP/maximised.png" "$n" || fail "thumbnail $n is not white after maximising"
done
log "thumbnails white after maximising"
press_zeichnen
wait_run_end "$(region_hash "$E2E_TMP/maximised.png" "$THUMBS_GEOM")" 90
for n in 1 2 3 4 5 6; do
  ! thumb_is_white "$E2E_TMP/run-end.png" "$n" || fail "thumbnail $n stayed white in the run after maximising"
done
# The bottom-right corner of thumbnail 6 is drawn too: the run used the new size.
corner="$(pixel "$E2E_TMP/run-end.png" $((THUMB_X[6] + THUMB_W - 1)) $((THUMB_Y[6] + THUMB_H - 1)))"
[ "$corner" != "255,255,255" ] || fail "the run after maximising did not fill thumbnail 6"

# Restored: white again, and a run gives the default images exactly.
restore
wait_window_size 1124x754 10
sleep 0.5
use_layout_of_window
shot_window restored
for n in 1 2 3 4 5 6; do
  thumb_is_white "$E2E_TMP/restored.png" "$n" || fail "thumbnail $n is not white after restoring"
done
press_zeichnen
wait_run_end "$(region_hash "$E2E_TMP/restored.png" "$THUMBS_GEOM")" 60
thumbs_equal_reference "$E2E_TMP/run-end.png" "$E2E_TMP/ref/VERTIGO" ||
  fail "after restoring, the thumbnails differ from the default images"
log "restored: the run gives the default images"
pass
