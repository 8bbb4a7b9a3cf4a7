#!/usr/bin/env bash
# The program built for another processor draws what the x86 program draws:
# both, one after the other in the same X server, run "Vergrößerungen
# zeichnen" with the start-up defaults, and the six thumbnails of the other
# build, run under its emulator (qemu-user), equal those of the x86 build
# pixel for pixel.
#
#   draw_emulated.sh X86_PROGRAM SHOT_DIR EMULATOR [OPTIONS...] PROGRAM
#
# e.g. draw_emulated.sh build-test/mandelbrotmenge shots qemu-aarch64 -L / build-aarch64/mandelbrotmenge
native="$1"
shots="$2"
shift 2
emulated=("$@")
set -- "$native" none none "$shots"
source "$(dirname "$0")/lib.sh"
# Under the emulator the program starts and computes many times slower: the
# waits for its window and for the end of the run allow for that.
E2E_PATIENCE=10

# draw NAME: the start-up series in the program E2E_APP; its window stays in
# $E2E_TMP/NAME.png.
draw() {
  start_app
  shot_window before
  local before
  before="$(region_hash "$E2E_TMP/before.png" "$THUMBS_GEOM")"
  press_zeichnen
  wait_run_end "$before" 600
  mv "$E2E_TMP/run-end.png" "$E2E_TMP/$1.png"
  stop_app
}

start_x
draw x86
for n in 1 2 3 4 5 6; do
  convert "$E2E_TMP/x86.png" -crop "${THUMB_W}x${THUMB_H}+${THUMB_X[$n]}+${THUMB_Y[$n]}" +repage \
    -depth 8 "ppm:$E2E_TMP/x86-$n.ppm"
done
log "x86 program: series drawn"

printf '#!/bin/sh\nexec' >"$E2E_TMP/emulated.sh"
printf ' %q' "${emulated[@]}" >>"$E2E_TMP/emulated.sh"
chmod +x "$E2E_TMP/emulated.sh"
E2E_APP="$E2E_TMP/emulated.sh"
draw emulated
log "emulated program (${emulated[*]}): series drawn"
thumbs_equal_reference "$E2E_TMP/emulated.png" "$E2E_TMP/x86" ||
  fail "the thumbnails of the emulated program differ from those of the x86 program"
log "six thumbnails equal those of the x86 program"
pass
