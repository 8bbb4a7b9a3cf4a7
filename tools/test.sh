#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
# Ends with CTest's summary; exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh" --with-test-tools
export QT_QPA_PLATFORM=offscreen

build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMANDEL_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
