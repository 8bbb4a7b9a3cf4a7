#!/usr/bin/env bash
# The everyday loop: the normal build (build-test/, the tree tools/test.sh
# builds first) and its tests, headless. Installs nothing and runs neither
# the sanitizer nor the cross passes: tools/test.sh does all of that.
#
#   bash tools/check.sh            # unit and widget tests
#   bash tools/check.sh --all      # also the real-window, install and package tests
#   bash tools/check.sh -R Engine  # further options go to ctest
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${MANDEL_JOBS:-2}"
select=(-L '^(core|resource|widget)$')
if [ "${1:-}" = "--all" ]; then
  select=()
  shift
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export QT_QPA_PLATFORM=offscreen
cmake -S "$root" -B "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMANDEL_BUILD_TESTS=ON \
  "${launcher[@]}" >/dev/null
cmake --build "$root/build-test" -j"$jobs"
ctest --test-dir "$root/build-test" --output-on-failure -j"$jobs" "${select[@]}" "$@"
