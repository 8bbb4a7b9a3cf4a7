#!/usr/bin/env bash
# "Vergrößerungen zeichnen" and, half a second later, "Abbruch": the run ends
# early, the button shows its idle caption again within two seconds, the
# images not begun stay as they were, and the program goes on answering.
source "$(dirname "$0")/lib.sh"

start_long_run_window
shot_region zeichnen-idle "$ZEICHNEN_GEOM"

cpu0="$(cpu_ticks)"
press_zeichnen
log "pressed \"Vergrößerungen zeichnen\""
sleep 0.4
press_zeichnen
t_abort="$(now_ms)"
log "pressed \"Abbruch\""

# Within two seconds the button looks as before the run, and the program has
# stopped computing.
ended=""
lastcpu="$(cpu_ticks)"
while [ $(( $(now_ms) - t_abort )) -lt 2000 ]; do
  sleep 0.25
  app_alive || fail "the program ended after \"Abbruch\""
  # Only the button is grabbed: a whole 4K window takes a large part of
  # the two seconds on a slow machine.
  shot_region zeichnen-now "$ZEICHNEN_GEOM"
  cpu="$(cpu_ticks)"
  if [ "$(differing_pixels "$E2E_TMP/zeichnen-now.png" "$E2E_TMP/zeichnen-idle.png")" = 0 ] &&
     [ $((cpu - lastcpu)) -le 3 ]; then
    ended="$(( $(now_ms) - t_abort ))"
    break
  fi
  lastcpu="$cpu"
done
[ -n "$ended" ] || fail "2 s after \"Abbruch\" the button does not show its idle caption or the program still computes"
shot_window aborted ppm
log "idle again ${ended} ms after \"Abbruch\" ($(( $(cpu_ticks) - cpu0 )) ticks of CPU for the run)"

# The run stopped before its last image: thumbnail 6 is still white.
convert -size ${THUMB_W}x${THUMB_H} xc:white "$E2E_TMP/white.ppm"
crop "$E2E_TMP/aborted.ppm" "${THUMB_W}x${THUMB_H}+${THUMB_X[6]}+${THUMB_Y[6]}" "$E2E_TMP/thumb-6.png"
[ "$(differing_pixels "$E2E_TMP/thumb-6.png" "$E2E_TMP/white.ppm")" = 0 ] ||
  fail "thumbnail 6 was drawn: the run did not stop at \"Abbruch\""
# ... and it does not go on later.
sleep 1
shot_window later ppm
[ "$(region_hash "$E2E_TMP/later.ppm" "$THUMBS_GEOM")" = "$(region_hash "$E2E_TMP/aborted.ppm" "$THUMBS_GEOM")" ] ||
  fail "the thumbnails still change after the run was ended"

# Still answering: "Farbanimation" switches cycling on, its caption changes
# and the thumbnails are redrawn.
crop "$E2E_TMP/later.ppm" "$BUTTON1_GEOM" "$E2E_TMP/button1-off.png"
later="$(region_hash "$E2E_TMP/later.ppm" "$THUMBS_GEOM")"
press_button1
ok=""
for _ in $(seq 1 20); do
  sleep 0.1
  shot_window answer ppm
  crop "$E2E_TMP/answer.ppm" "$BUTTON1_GEOM" "$E2E_TMP/button1-now.png"
  if [ "$(differing_pixels "$E2E_TMP/button1-now.png" "$E2E_TMP/button1-off.png")" != 0 ] &&
     [ "$(region_hash "$E2E_TMP/answer.ppm" "$THUMBS_GEOM")" != "$later" ]; then
    ok=1
    break
  fi
done
[ -n "$ok" ] || fail "after \"Abbruch\" the program does not answer a click on \"Farbanimation\""
press_button1
log "the program still answers"
pass
