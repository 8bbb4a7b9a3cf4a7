#!/usr/bin/env bash
# Processor time of colour cycling in a real window at the normal size, as a
# share of one core: the program's user and system time (all its threads)
# over a fixed stretch of wall time while the colours cycle after a run.
#
#   bash bench/cycle_cost.sh PROGRAM x11|wayland [SECONDS]
#
# x11: under Xvfb; wayland: Qt's Wayland platform under weston nested in Xvfb.
set -euo pipefail
program="$1"; platform="$2"; seconds="${3:-10}"
here="$(cd "$(dirname "$0")/../tests/e2e" && pwd)"
set -- "$program" none none "$(mktemp -u "${TMPDIR:-/tmp}/cycle-cost.XXXXXX")"
source "$here/lib.sh"
if [ "$platform" = wayland ]; then
  source "$here/weston_lib.sh"
  start_x 1280x1024
  start_weston x11 1280x1024
  start_app_wayland
else
  start_x 1280x1024
  start_app
fi
shot_window before
press_zeichnen
wait_run_end "$(region_hash "$E2E_TMP/before.png" "$THUMBS_GEOM")" 60
press_button1
sleep 2
hz="$(getconf CLK_TCK)"
t0="$(cpu_ticks)"; w0="$(now_ms)"
sleep "$seconds"
t1="$(cpu_ticks)"; w1="$(now_ms)"
press_button1
awk -v t=$((t1 - t0)) -v w=$((w1 - w0)) -v hz="$hz" -v p="$platform" \
  'BEGIN { printf "%s: cycling costs %.1f %% of a core (%d ticks of 1/%d s in %.2f s)\n", p, 100 * t / hz / (w / 1000), t, hz, w / 1000 }'
