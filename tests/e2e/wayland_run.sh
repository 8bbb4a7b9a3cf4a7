#!/usr/bin/env bash
# The program on Qt's native Wayland platform, under weston nested in an X
# server: its start-up state, a run equal pixel for pixel to the reference
# images, and colour cycling on and off.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/weston_lib.sh"

start_x 1280x1024
start_weston x11 1280x1024
start_app_wayland
[ "${CLIENT_W}x${CLIENT_H}" = 1124x754 ] || fail "client area is ${CLIENT_W}x${CLIENT_H}, expected 1124x754"
make_reference "-1,41" "0" VERTIGO

shot_window start
[ "$(pixel "$E2E_TMP/start.png" $((PAINTBOX_X + 90)) $((PAINTBOX_Y + 160)))" = "0,0,255" ] ||
  fail "no marker at overview pixel (90, 160)"
for n in 1 2 3 4 5 6; do
  thumb_is_white "$E2E_TMP/start.png" "$n" || fail "thumbnail $n is not white at start"
done

# A run with the defaults: the reference images, pixel for pixel.
press_zeichnen
wait_run_end "$(region_hash "$E2E_TMP/start.png" "$THUMBS_GEOM")" 60
thumbs_equal_reference "$E2E_TMP/run-end.png" "$E2E_TMP/ref/VERTIGO" ||
  fail "the thumbnails differ from the images of -1,41 / 0 in VERTIGO"
log "run: six thumbnails equal the reference images"

# Colour cycling on and off.
press_button1
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
[ -n "$moving" ] || fail "with \"Farbanimation\" on, the thumbnails never change"
press_button1
still=""
for _ in $(seq 1 30); do
  shot_window still-a
  sleep 0.1
  shot_window still-b
  if [ "$(region_hash "$E2E_TMP/still-a.png" "$THUMBS_GEOM")" = "$(region_hash "$E2E_TMP/still-b.png" "$THUMBS_GEOM")" ]; then
    still=1
    break
  fi
done
[ -n "$still" ] || fail "after \"Anhalten\" the thumbnails keep changing"
log "colours cycled and stopped"

pass
