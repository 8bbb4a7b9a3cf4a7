#!/usr/bin/env bash
# The program on other processors, cross-built on x86 with Debian's cross
# compilers and tested under qemu-user. There long double is no x87 format,
# so the build takes the software extended type; its zoom series and number
# texts must equal, byte for byte, those the x86 build writes with the x87
# unit.
#
#   tools/cross.sh aarch64 X86_SERIES_IMAGES BUILD_DIR
#       the whole program against Debian's arm64 Qt (multiarch): the core,
#       resource and widget tests under qemu-aarch64 (offscreen), the series
#   tools/cross.sh s390x X86_SERIES_IMAGES BUILD_DIR
#       the Qt-free core on a big-endian processor: its tests and the series
#
# X86_SERIES_IMAGES: series_images of a normal x86 build (the reference).
# GoogleTest is built from the sources in /usr/src/googletest. Ends with
# "cross ARCH: N passed, N failed"; exits non-zero on any failure.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch="$1"
reference_program="$2"
dir="$3"
jobs="${MANDEL_JOBS:-2}"
case "$arch" in
  aarch64) emulator=(qemu-aarch64 -L /); options=(-DMANDEL_CORE_ONLY=OFF) ;;
  s390x) emulator=(qemu-s390x -L /usr/s390x-linux-gnu); options=(-DMANDEL_CORE_ONLY=ON) ;;
  *) echo "usage: $0 aarch64|s390x X86_SERIES_IMAGES BUILD_DIR" >&2; exit 2 ;;
esac
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

passed=0
failed=0
count() { if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi; }
finish() {
  echo "cross $arch: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

start=$(date +%s)
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/tools/$arch-toolchain.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DMANDEL_BUILD_TESTS=ON -DMANDEL_GTEST_SOURCE=/usr/src/googletest \
      "${options[@]}" >/dev/null || { failed=1; finish; }
# The whole tree: a package of it (cpack) builds every target anyway.
cmake --build "$dir" -j"$jobs" || { failed=1; finish; }
built=$(date +%s)

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# The core's tests are one program, run under the emulator; each of its
# tests counts. The engine's images against the literal loop take minutes
# there (the software type, emulated): the series below compare the same
# engine's images with the x87 build's, which that test checks on x86.
"${emulator[@]}" "$dir/tests/core_tests" --gtest_brief=1 --gtest_filter='-RowEngineImages.*' 2>&1 \
  | tee "$tmp/core.log"
core_rc=${PIPESTATUS[0]}
core_passed=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?.*/\1/p' "$tmp/core.log" | tail -n 1)
passed=$((passed + ${core_passed:-0}))
[ "$core_rc" -eq 0 ] || failed=$((failed + 1))

reference="$tmp/reference"
mkdir "$reference"
"$reference_program" write "$reference" >/dev/null || { failed=$((failed + 1)); finish; }
"${emulator[@]}" "$dir/tests/series_images" check "$reference"
count $?

# The Qt tests, one process a test as on x86: CTest runs them through the
# build's emulator. Real-window and package tests are not run here.
if [ "$arch" = aarch64 ]; then
  log="$tmp/ctest.log"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j"$jobs" \
    -L '^(resource|widget)$' 2>&1 | tee "$log"
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    failed=$((failed + 1))
  fi
fi
echo "$arch pass: build $((built - start)) s, tests under qemu $(($(date +%s) - built)) s"
finish
