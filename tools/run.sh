#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DMANDEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build" --target mandelbrotmenge -j2
exec "$root/build/mandelbrotmenge"
