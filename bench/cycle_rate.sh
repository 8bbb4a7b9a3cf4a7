#!/usr/bin/env bash
# Colour-cycling ticks per second with the window maximised on screens of
# four sizes, each an Xvfb server with openbox.
#
#   bench/cycle_rate.sh build-test/bench/cycle_rate [seconds]
set -euo pipefail
program="$1"
seconds="${2:-2}"
for screen in 1124x754 1920x1080 2560x1440 3840x2160; do
  log="$(mktemp)"
  Xvfb -displayfd 9 -screen 0 "${screen}x24" -nolisten tcp -noreset 9>"$log" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 1 100); do [ -s "$log" ] && break; sleep 0.05; done
  export DISPLAY=":$(tr -d '\n' <"$log")"
  openbox >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 1 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.05; done
  printf '%-10s ' "$screen"
  "$program" "$seconds" 2>/dev/null || echo "failed"
  kill "$wm" "$xvfb" 2>/dev/null || true
  wait "$wm" "$xvfb" 2>/dev/null || true
  rm -f "$log"
done
