#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there: the
# exact file list, the icon sizes, the menu entry (desktop-file-validate and
# its keys), the AppStream metadata (appstreamcli validate) and the manual
# page.
#
#   install_files.sh BUILD_DIR EXPECTED_FILES VERSION
set -euo pipefail
build="$1"
expected="$2"
version="$3"
id="de.mandelbrotmenge.Mandelbrotmenge"

tmp="$(mktemp -d "${TMPDIR:-/tmp}/install-files.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix="$tmp/prefix"
"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 \
  || { cat "$tmp/install.log"; fail "cmake --install failed"; }

# Exactly the expected files, nothing else (no links, no stray folders).
(cd "$prefix" && find . -mindepth 1 ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$tmp/installed.txt"
LC_ALL=C sort "$expected" >"$tmp/expected.txt"
diff -u "$tmp/expected.txt" "$tmp/installed.txt" || fail "the installed files differ from $expected"
(cd "$prefix" && find . -mindepth 1 -type d -empty) | grep . && fail "empty folders installed"
echo "installed: $(wc -l <"$tmp/installed.txt") files"

bin="$prefix/bin/mandelbrotmenge"
[ -x "$bin" ] || fail "bin/mandelbrotmenge is not executable"
file -b "$bin" | grep -q '^ELF .* executable' || fail "bin/mandelbrotmenge is not an executable: $(file -b "$bin")"

# Icons: the scalable one and one PNG of each size, under the entry's Icon name.
icons="$prefix/share/icons/hicolor"
file -b "$icons/scalable/apps/$id.svg" | grep -q 'SVG' || fail "the scalable icon is not SVG"
for size in 16 32 48 64 128 256; do
  png="$icons/${size}x${size}/apps/$id.png"
  info="$(file -b "$png")"
  [[ "$info" == "PNG image data, $size x $size, 8-bit/color RGBA"* ]] || fail "$png: $info"
done

# The menu entry.
desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" >"$tmp/dfv.log" 2>&1 || { cat "$tmp/dfv.log"; fail "desktop-file-validate failed"; }
cat "$tmp/dfv.log"
grep -E ': (error|warning):' "$tmp/dfv.log" && fail "desktop-file-validate reports errors or warnings"
key() { sed -n "s/^$1=//p" "$desktop"; }
check_key() {
  local got
  got="$(key "$1")"
  [ "$got" = "$2" ] || fail "desktop entry $1 is '$got', expected '$2'"
}
check_key Type Application
check_key Name Mandelbrotmenge
check_key Exec mandelbrotmenge
check_key Icon "$id"
check_key Terminal false
check_key Comment "Vergrößerungen und Farbanimationen an der Mandelbrotmenge"
check_key GenericName "Fraktal-Betrachter"
for c in Education Science Math; do
  [[ ";$(key Categories)" == *";$c;"* ]] || fail "Categories lacks $c"
done
grep -q '^MimeType=' "$desktop" && fail "the desktop entry names MIME types"
echo "desktop entry: ok"

# The AppStream metadata.
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate failed"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
  || fail "metainfo does not launch $id.desktop"
grep -q '<summary xml:lang="de">' "$metainfo" || fail "no German summary"
grep -q '<p xml:lang="de">' "$metainfo" || fail "no German description"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in the metainfo"
grep -q '<screenshot' "$metainfo" && fail "a screenshot entry without a real address"
echo "metainfo: ok"

# The manual page.
man="$prefix/share/man/man1/mandelbrotmenge.1.gz"
gzip -t "$man" || fail "the manual page is not gzip"
gzip -dc "$man" | grep -q '^\.TH MANDELBROTMENGE 1 ' || fail "the manual page has no .TH MANDELBROTMENGE 1"
gzip -dc "$man" | grep -q "Mandelbrotmenge $version" || fail "the manual page does not name version $version"
echo "PASS"
