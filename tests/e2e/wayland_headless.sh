#!/usr/bin/env bash
# Under weston's headless backend no input device exists and the window is
# never activated: it still shows its start-up state (the defaults in the
# fields and the grid, the marker on the overview, white thumbnails).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/weston_lib.sh"

start_weston headless 1280x1024
start_app_wayland
[ "${CLIENT_W}x${CLIENT_H}" = 1124x754 ] || fail "client area is ${CLIENT_W}x${CLIENT_H}, expected 1124x754"

shot_window start
img="$E2E_TMP/start.png"
[ "$(pixel "$img" $((PAINTBOX_X + 90)) $((PAINTBOX_Y + 160)))" = "0,0,255" ] ||
  fail "no marker at overview pixel (90, 160)"
[ "$(dark_pixels "$img" 30x14+44+476)" -gt 5 ] || fail "Edit2 shows no \"0\""
[ "$(dark_pixels "$img" 70x120+268+438)" -gt 100 ] || fail "the grid shows no factors"
[ "$(zeichnen_state "$img")" = idle ] || fail "the draw button does not show \"Vergrößerungen zeichnen\""
for n in 1 2 3 4 5 6; do
  thumb_is_white "$img" "$n" || fail "thumbnail $n is not white"
done
log "start-up state without activation"
pass
