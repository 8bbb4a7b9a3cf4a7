#!/usr/bin/env bash
# The README's way: configure as tools/run.sh does, build only the program,
# then `cmake --install` into a prefix. Installing must need nothing that only
# the full build makes, and must leave the whole set of files.
#
#   install_after_run.sh SOURCE_DIR BUILD_DIR BUILT_PROGRAM EXPECTED_FILES
#
# The program built by the test build (BUILT_PROGRAM, in BUILD_DIR) stands
# in, at the same place in the new tree, for
# `cmake --build build --target mandelbrotmenge` (the same sources; building
# them again would only take time).
set -euo pipefail
source_dir="$1"
build_dir="$2"
program="$3"
expected="$4"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/install-after-run.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"${CMAKE:-cmake}" -S "$source_dir" -B "$tmp/build" -DCMAKE_BUILD_TYPE=Release -DMANDEL_BUILD_TESTS=OFF \
  >"$tmp/configure.log" 2>&1 || { cat "$tmp/configure.log"; fail "configuring failed"; }
cp "$program" "$tmp/build/${program#"$build_dir"/}"
"${CMAKE:-cmake}" --install "$tmp/build" --prefix "$tmp/prefix" >"$tmp/install.log" 2>&1 \
  || { cat "$tmp/install.log"; fail "cmake --install after building only the program failed"; }
(cd "$tmp/prefix" && find . -mindepth 1 ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$tmp/installed.txt"
LC_ALL=C sort "$expected" | diff -u - "$tmp/installed.txt" || fail "the installed files differ from $expected"
echo "PASS: $(wc -l <"$tmp/installed.txt") files installed"
