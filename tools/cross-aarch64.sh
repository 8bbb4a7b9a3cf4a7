#!/usr/bin/env bash
# The Qt-free core and its tests on 64-bit ARM: cross-built with Debian's
# aarch64-linux-gnu-g++ (GoogleTest from the sources in /usr/src/googletest),
# run under qemu-aarch64. There long double is no x87 format, so the build
# takes the software extended type; its zoom series and number texts must
# equal, byte for byte, those the x86 build writes with the x87 unit.
#
#   tools/cross-aarch64.sh X86_SERIES_IMAGES BUILD_DIR
#
# X86_SERIES_IMAGES: series_images of a normal x86 build (the reference).
# Prints the test counts of both programs; exits non-zero on any failure.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
reference_program="$1"
dir="$2"
jobs="${MANDEL_JOBS:-2}"
emulator=(qemu-aarch64 -L /usr/aarch64-linux-gnu)

start=$(date +%s)
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/tools/aarch64-toolchain.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DMANDEL_CORE_ONLY=ON -DMANDEL_BUILD_TESTS=ON \
      -DMANDEL_GTEST_SOURCE=/usr/src/googletest >/dev/null || exit 1
cmake --build "$dir" -j"$jobs" --target core_tests series_images || exit 1
built=$(date +%s)

status=0
"${emulator[@]}" "$dir/tests/core_tests" --gtest_brief=1 || status=1

reference="$(mktemp -d)"
trap 'rm -rf "$reference"' EXIT
"$reference_program" write "$reference" >/dev/null || exit 1
"${emulator[@]}" "$dir/tests/series_images" check "$reference" || status=1
echo "aarch64 pass: build $((built - start)) s, tests under qemu $(($(date +%s) - built)) s"
exit "$status"
