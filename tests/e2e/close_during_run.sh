#!/usr/bin/env bash
# Closing the window while a run is in progress: the program ends, with exit
# status 0, within two seconds of the close request.
source "$(dirname "$0")/lib.sh"

start_long_run_window
press_zeichnen
log "pressed \"Vergrößerungen zeichnen\""

# Wait until the run shows itself: the button reads "Abbruch" and the
# program computes.
running=""
for _ in $(seq 1 50); do
  sleep 0.2
  app_alive || fail "the program ended during the run"
  shot_region poll "$ZEICHNEN_TEXT_GEOM"
  if [ "$(zeichnen_state "$E2E_TMP/poll.png" "${ZEICHNEN_TEXT_GEOM%%+*}+0+0")" = running ]; then
    c1="$(cpu_ticks)"; sleep 0.3; c2="$(cpu_ticks)"
    if [ $((c2 - c1)) -gt 5 ]; then running=1; break; fi
  fi
done
[ -n "$running" ] || fail "no run in progress (no \"Abbruch\" on the button while computing)"
log "run in progress"

"$E2E_WM_DELETE" "$WIN" || fail "could not send WM_DELETE_WINDOW to window $WIN"
t_close="$(now_ms)"
log "sent WM_DELETE_WINDOW"
gone=""
while [ $(( $(now_ms) - t_close )) -lt 2000 ]; do
  if ! app_alive; then gone="$(( $(now_ms) - t_close ))"; break; fi
  sleep 0.05
done
if [ -z "$gone" ]; then
  shot_window still-open 2>/dev/null || true
  fail "the program still runs 2 s after the close request"
fi
status=0
wait "$E2E_APP_PID" || status=$?
E2E_APP_PID=""
[ "$status" = 0 ] || fail "the program ended with status $status"
log "the program ended ${gone} ms after the close request, status 0"
pass
