#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless:
#  1. the normal build: unit, widget, real-window (Xvfb) tests;
#  2. the same unit and widget tests built with AddressSanitizer and
#     UndefinedBehaviorSanitizer (leak checking on);
#  3. the row engine's tests under ThreadSanitizer;
#  4. the core with the software extended type (MANDEL_SOFT_EXTENDED=ON): its
#     tests, and the zoom series and number texts byte for byte against the
#     x87 build;
#  5. the whole program cross-built for aarch64 against Debian's arm64 Qt:
#     the core, resource and widget tests under qemu-aarch64, the series
#     again against the x87 build, the arm64 program in a real X server
#     drawing what the x86 one draws, and its Debian package's checks;
#  6. the core and its tests cross-built for s390x (big-endian), under
#     qemu-s390x, the series against the x87 build.
# Ends with a summary line; exits non-zero on any failure.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh" --with-test-tools || exit 1
export QT_QPA_PLATFORM=offscreen
jobs="${MANDEL_JOBS:-2}"

passed=0
failed=0
status=0
log="$(mktemp)"
trap 'rm -f "$log"' EXIT

# ctest_in DIR [ctest options...]: runs CTest there and adds up its counts.
ctest_in() {
  local dir="$1"; shift
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    local total bad
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  fi
  [ "$rc" -eq 0 ] || status=1
}

build() {  # build DIR [cmake options...] -- [targets...]
  local dir="$1"; shift
  local options=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ "${1:-}" = "--" ] && shift
  cmake -S "$root" -B "$dir" "${options[@]}" >/dev/null || return 1
  if [ $# -gt 0 ]; then
    local t
    for t in "$@"; do cmake --build "$dir" -j"$jobs" --target "$t" || return 1; done
  else
    cmake --build "$dir" -j"$jobs" || return 1
  fi
}

echo "== Build and tests"
if build "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMANDEL_BUILD_TESTS=ON; then
  ctest_in "$root/build-test"
else
  echo "BUILD FAILED"; status=1; failed=$((failed + 1))
fi

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
if build "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMANDEL_BUILD_TESTS=ON -DMANDEL_SANITIZE=ON \
     -- core_tests resource_tests widget_tests; then
  ctest_in "$root/build-asan" -LE e2e
else
  echo "BUILD FAILED"; status=1; failed=$((failed + 1))
fi
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

echo "== ThreadSanitizer (row engine)"
if build "$root/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMANDEL_BUILD_TESTS=ON -DMANDEL_TSAN=ON \
     -- engine_tsan_tests; then
  ctest_in "$root/build-tsan" -R engine_tsan_tests
else
  echo "BUILD FAILED"; status=1; failed=$((failed + 1))
fi

# check NAME COMMAND...: one more test, counted by its exit status.
check() {
  local name="$1"; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $name"; failed=$((failed + 1)); status=1; fi
}

echo "== Software extended precision (MANDEL_SOFT_EXTENDED=ON)"
reference="$(mktemp -d)"
if build "$root/build-soft" -DCMAKE_BUILD_TYPE=Release -DMANDEL_BUILD_TESTS=ON -DMANDEL_SOFT_EXTENDED=ON \
     -- core_tests series_images && "$root/build-test/tests/series_images" write "$reference" >/dev/null; then
  ctest_in "$root/build-soft" -L core
  check "series of the software path equal the x87 ones" "$root/build-soft/tests/series_images" check "$reference"
else
  echo "BUILD FAILED"; status=1; failed=$((failed + 1))
fi
rm -rf "$reference"

# cross ARCH: the cross pass for ARCH (tools/cross.sh), counted by its
# summary line.
cross() {
  local log_cross line
  log_cross="$(mktemp)"
  bash "$root/tools/cross.sh" "$1" "$root/build-test/tests/series_images" "$root/build-$1" 2>&1 | tee "$log_cross"
  local rc=${PIPESTATUS[0]}
  line=$(grep -E "^cross $1: [0-9]+ passed, [0-9]+ failed" "$log_cross" | tail -n 1)
  rm -f "$log_cross"
  if [ -n "$line" ]; then
    passed=$((passed + $(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")))
    failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
  else
    failed=$((failed + 1))
  fi
  [ "$rc" -eq 0 ] || status=1
  return "$rc"
}

echo "== aarch64 (the whole program cross-built against Debian's arm64 Qt, under qemu-aarch64)"
# The window and the package of the arm64 build, when it passed.
if cross aarch64; then
  check "the arm64 program draws the series as the x86 one" \
    bash "$root/tests/e2e/draw_emulated.sh" "$root/build-test/mandelbrotmenge" \
    "$root/build-aarch64/e2e-shots" qemu-aarch64 -L / "$root/build-aarch64/mandelbrotmenge"
  ctest_in "$root/build-aarch64" -R '^package_checks$'
fi

echo "== s390x (the core cross-built, under qemu-s390x)"
cross s390x

echo
echo "Tests: $passed passed, $failed failed"
exit "$status"
