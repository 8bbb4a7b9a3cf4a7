#!/usr/bin/env bash
# Starts the program in a real X server and checks that its window appears
# with its caption and shows something. Usage: xvfb_smoke.sh BINARY OUTDIR
set -euo pipefail
binary="$1"
out="$2"
mkdir -p "$out"

display=""
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY="$display"
unset QT_QPA_PLATFORM
for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$binary" &
app=$!
caption="Vergrößerungen und Farbanimationen an der Mandelbrotmenge"
window=""
for _ in $(seq 1 100); do
  window=$(xdotool search --name "^${caption}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window captioned '$caption'"; exit 1; }
sleep 1
import -window root "$out/smoke.png"
colours=$(convert "$out/smoke.png" -format '%k' info:)
echo "window $window, screenshot with $colours colours"
[ "$colours" -gt 50 ] || { echo "FAIL: the screenshot looks blank"; exit 1; }
kill -0 "$app" || { echo "FAIL: the program has ended"; exit 1; }
echo "PASS"
