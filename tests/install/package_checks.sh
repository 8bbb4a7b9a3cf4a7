#!/usr/bin/env bash
# The Debian package as a distribution takes it: lintian finds no error and
# no warning; the program in it is hardened (stack protector, full RELRO with
# BIND_NOW, position independent, stripped of compiler notes) and calls no
# libc function that has a checked variant unchecked; it is for the
# program's processor (also when cross-built); two packages of the
# same build are the same byte for byte, and every file time in them is the
# sources' last commit, or SOURCE_DATE_EPOCH when that is set.
#
#   package_checks.sh CPACK_CONFIG SOURCE_DIR FORTIFY_PROBE
set -euo pipefail
config="$1"
source_dir="$2"
probe="$3"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/package-checks.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

package() {  # package DIR: builds the package into DIR, prints its path
  "${CPACK:-cpack}" -G DEB --config "$config" -B "$1" >"$1.log" 2>&1 \
    || { cat "$1.log" >&2; fail "cpack -G DEB failed"; }
  ls "$1"/*.deb
}

# Every member time of the package: the ar archive and both tar archives.
times() {
  TZ=UTC ar tv "$1" | awk '{ print "ar", $4, $5, $6, $7 }' | sort -u
  dpkg-deb --ctrl-tarfile "$1" | TZ=UTC tar tv --full-time | awk '{ print "control", $4, $5 }' | sort -u
  dpkg-deb --fsys-tarfile "$1" | TZ=UTC tar tv --full-time | awk '{ print "data", $4, $5 }' | sort -u
}

check_times() {  # check_times DEB EPOCH
  local want_ar want_tar
  want_ar="$(TZ=UTC LC_ALL=C date -d "@$2" '+%b %-d %H:%M %Y')"
  want_tar="$(TZ=UTC date -d "@$2" '+%Y-%m-%d %H:%M:%S')"
  times "$1" >"$tmp/times.txt"
  printf 'ar %s\ncontrol %s\ndata %s\n' "$want_ar" "$want_tar" "$want_tar" | diff -u - "$tmp/times.txt" \
    || fail "file times in the package are not all $2 ($want_tar)"
}

# Reproducible: with the environment's SOURCE_DATE_EPOCH unset, the time of
# the last commit; twice the same bytes.
epoch="$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || echo 1796731200)"
unset SOURCE_DATE_EPOCH
deb="$(package "$tmp/one")"
deb2="$(package "$tmp/two")"
cmp "$deb" "$deb2" || fail "two packages of the same build differ"
check_times "$deb" "$epoch"
echo "reproducible: two packages equal, every file time $epoch"
# A caller's SOURCE_DATE_EPOCH wins.
deb3="$(SOURCE_DATE_EPOCH=1700000000 package "$tmp/three")"
check_times "$deb3" 1700000000
echo "SOURCE_DATE_EPOCH=1700000000: every file time 1700000000"

# lintian: no error, no warning.
lintian --info "$deb" >"$tmp/lintian.txt" 2>&1 || true
grep -v '^running with root privileges' "$tmp/lintian.txt" || true
grep -qE '^[EW]: ' "$tmp/lintian.txt" && fail "lintian reports errors or warnings"
grep -E '^[A-Z]: ' "$tmp/lintian.txt" | grep -v '^N: ' && fail "lintian has remarks"
echo "lintian: 0 errors, 0 warnings, no remarks"

# The hardening, seen in the program's ELF headers and symbols.
dpkg-deb -x "$deb" "$tmp/root"
bin="$tmp/root/usr/bin/mandelbrotmenge"
# Also a cross-built package is for its program's processor, and
# dpkg-shlibdeps found the Qt libraries of that architecture.
machine="$(readelf -hW "$bin" | sed -n 's/^ *Machine: *//p')"
case "$machine" in
  "Advanced Micro Devices X86-64") want=amd64 ;;
  AArch64) want=arm64 ;;
  *) want="an architecture this check knows" ;;
esac
arch="$(dpkg-deb --field "$deb" Architecture)"
[ "$arch" = "$want" ] || fail "Architecture is $arch for a program of $machine (expected $want)"
depends="$(dpkg-deb --field "$deb" Depends)"
[[ "$depends" =~ libqt6core6\ \(\>=\ .*libqt6widgets6\ \(\>=\  ]] || fail "Depends lacks the Qt libraries: $depends"
echo "architecture: $arch for $machine; Depends: $depends"
readelf -dW "$bin" >"$tmp/dynamic.txt"
readelf -lW "$bin" >"$tmp/segments.txt"
readelf -SW "$bin" >"$tmp/sections.txt"
nm -D --undefined-only "$bin" | awk '{ print $NF }' | sed 's/@.*//' >"$tmp/imports.txt"
grep -qE '\(FLAGS\) +BIND_NOW' "$tmp/dynamic.txt" || fail "no BIND_NOW"
grep -qE '\(FLAGS_1\) +Flags: .*\bNOW\b' "$tmp/dynamic.txt" || fail "FLAGS_1 lacks NOW"
grep -qE '\(FLAGS_1\) +Flags: .*\bPIE\b' "$tmp/dynamic.txt" || fail "not a position-independent executable"
grep -q 'GNU_RELRO' "$tmp/segments.txt" || fail "no GNU_RELRO segment"
grep -qx '__stack_chk_fail' "$tmp/imports.txt" || fail "no stack protector (__stack_chk_fail)"
grep -qE ' \.(comment|note) ' "$tmp/sections.txt" && fail "the program keeps its .comment or .note section"
grep -qE '\.debug_' "$tmp/sections.txt" && fail "the program is not stripped"
# lintian's list of the libc functions that _FORTIFY_SOURCE replaces.
unchecked="$(grep -v '^#' /usr/share/lintian/data/binaries/hardened-functions | grep . \
             | grep -xFf - "$tmp/imports.txt" || true)"
[ -z "$unchecked" ] || fail "unchecked calls: $unchecked"
nm -D --undefined-only "$probe" | grep -q ' __snprintf_chk' \
  || fail "the program's compile options leave _FORTIFY_SOURCE off (no __snprintf_chk in the probe)"
echo "hardening: BIND_NOW, FLAGS_1 NOW PIE, GNU_RELRO, __stack_chk_fail, no unchecked libc call," \
     "_FORTIFY_SOURCE in the compile options, no .comment"
echo "PASS"
