#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there: the
# exact file list, the icons (a vector drawing and the PNGs rendered from
# it), the menu entry (desktop-file-validate and its keys), the AppStream
# metadata (appstreamcli validate), the changelog and the manual page.
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
svg="$icons/scalable/apps/$id.svg"
file -b "$svg" | grep -q 'SVG' || fail "the scalable icon is not SVG"
rmses=""
# A drawing of its own, not a picture in disguise: a few filled paths (one
# per colour band), no embedded raster, no grid of cells.
count() { grep -o "$1" "$svg" | sort -u | wc -l || true; }
paths="$(grep -o '<path ' "$svg" | wc -l || true)"
elements="$(grep -o '<[a-z]' "$svg" | wc -l || true)"
colours="$(count 'fill="#[0-9a-f]*"')"
[ "$paths" -ge 10 ] && [ "$elements" -le 64 ] && [ "$colours" -ge 10 ] \
  || fail "the scalable icon has $paths paths, $colours colours in $elements elements"
grep -q '<image' "$svg" && fail "the scalable icon embeds a raster image"
for size in 16 32 48 64 128 256; do
  png="$icons/${size}x${size}/apps/$id.png"
  info="$(file -b "$png")"
  [[ "$info" == "PNG image data, $size x $size, 8-bit/color RGBA"* ]] || fail "$png: $info"
  # Each PNG is the scalable icon at that size (another renderer than the
  # generator's, so edges may differ a little).
  # (compare exits 1 when the pictures differ at all.)
  rmse="$( (rsvg-convert -w "$size" -h "$size" "$svg" | compare -metric RMSE - "$png" null: 2>&1 || true) \
          | sed -n 's/.*(\(.*\)).*/\1/p')"
  awk -v e="$rmse" 'BEGIN { exit !(e != "" && e < 0.03) }' \
    || fail "the $size-pixel icon is not the scalable one rendered (RMSE ${rmse:-unknown})"
  rmses+=" $size:$rmse"
done
echo "icons: $paths paths in $colours colours; PNGs against the SVG rendered by rsvg, RMSE$rmses"

# The menu entry.
desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" >"$tmp/dfv.log" 2>&1 || { cat "$tmp/dfv.log"; fail "desktop-file-validate failed"; }
cat "$tmp/dfv.log"
grep -E ': (error|warning|hint):' "$tmp/dfv.log" && fail "desktop-file-validate reports errors, warnings or hints"
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
check_key Categories "Education;Math;"
grep -q '^MimeType=' "$desktop" && fail "the desktop entry names MIME types"
echo "desktop entry: ok"

# The AppStream metadata.
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$tmp/asv.log" 2>&1 || { cat "$tmp/asv.log"; fail "appstreamcli validate failed"; }
cat "$tmp/asv.log"
grep -E '^[EWI]: ' "$tmp/asv.log" && fail "appstreamcli reports errors, warnings or remarks"
grep -q '<developer_name>[^<]' "$metainfo" || fail "metainfo names no developer"
grep -q '<content_rating type="oars-1.1">' "$metainfo" || fail "metainfo has no OARS 1.1 content rating"
attributes="$(grep -c '<content_attribute id="[a-z-]*">none</content_attribute>' "$metainfo")"
[ "$attributes" -ge 20 ] || fail "the content rating states $attributes attributes as none"
grep '<content_attribute' "$metainfo" | grep -v '>none<' && fail "a content attribute is not none"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
  || fail "metainfo does not launch $id.desktop"
grep -q '<summary xml:lang="de">' "$metainfo" || fail "no German summary"
grep -q '<p xml:lang="de">' "$metainfo" || fail "no German description"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in the metainfo"
grep -q '<screenshot' "$metainfo" && fail "a screenshot entry without a real address"
echo "metainfo: ok"

# The changelog, in Debian's format, for this version.
changelog="$prefix/share/doc/mandelbrotmenge/changelog.gz"
gzip -dc "$changelog" | sed -n 1p | grep -qx "mandelbrotmenge ($version) unstable; urgency=medium" \
  || fail "the changelog does not start with version $version"
echo "changelog: ok"

# The manual page.
man="$prefix/share/man/man1/mandelbrotmenge.1.gz"
gzip -t "$man" || fail "the manual page is not gzip"
gzip -dc "$man" | grep -q '^\.TH MANDELBROTMENGE 1 ' || fail "the manual page has no .TH MANDELBROTMENGE 1"
gzip -dc "$man" | grep -q "Mandelbrotmenge $version" || fail "the manual page does not name version $version"
echo "PASS"
