#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it: the control fields, the
# file list, and that the program unpacked from it (dpkg-deb -x into a
# temporary folder, nothing installed on the system) starts in an X server of
# its own, shows its window and carries the icon and the desktop file name.
#
#   package.sh CPACK_CONFIG EXPECTED_FILES VERSION SHOT_DIR
set -euo pipefail
config="$1"
expected="$2"
version="$3"
shots="$4"
id="de.mandelbrotmenge.Mandelbrotmenge"

# The X server, the window and the clean-up come from the end-to-end tests;
# they need no reference images and no close tool here.
set -- unpacked-later none none "$shots"
source "$(dirname "$0")/../e2e/lib.sh"

"${CPACK:-cpack}" -G DEB --config "$config" -B "$E2E_TMP/cpack" >"$E2E_TMP/cpack.log" 2>&1 \
  || { cat "$E2E_TMP/cpack.log"; fail "cpack -G DEB failed"; }
deb="$(ls "$E2E_TMP"/cpack/*.deb)"
arch="$(dpkg --print-architecture)"
[ "$(basename "$deb")" = "mandelbrotmenge_${version}_${arch}.deb" ] || fail "package file is $(basename "$deb")"
log "built $(basename "$deb")"

# Control fields.
field() { dpkg-deb --field "$deb" "$1"; }
check_field() {
  local got
  got="$(field "$1")"
  [ "$got" = "$2" ] || fail "control field $1 is '$got', expected '$2'"
}
check_field Package mandelbrotmenge
check_field Version "$version"
check_field Architecture "$arch"
check_field Section math
check_field Priority optional
check_field Recommends qt6-wayland
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
description="$(field Description)"
[ "$(head -n 1 <<<"$description")" = "magnifications and colour animations of the Mandelbrot set" ] \
  || fail "Description's summary is '$(head -n 1 <<<"$description")'"
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "Description has no long text"
awk 'length > 80 { exit 1 }' <<<"$description" || fail "a Description line is longer than 80 characters"
# The dependencies computed from the binary: the C and C++ runtimes and the
# three Qt libraries it links, each with a version.
depends="$(field Depends)"
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  sed 's/, /\n/g' <<<"$depends" | grep -qxE "${lib//+/\\+} \(>= [^)]+\)" || fail "Depends lacks '$lib (>= …)': $depends"
done
log "control fields: ok ($depends)"

# The files: the installed set under /usr, plus the folders leading to them.
dpkg-deb --contents "$deb" >"$E2E_TMP/contents.txt"
awk '$1 !~ /^d/ { print $NF }' "$E2E_TMP/contents.txt" | sed 's|^\./usr/||' | LC_ALL=C sort >"$E2E_TMP/files.txt"
LC_ALL=C sort "$expected" >"$E2E_TMP/expected.txt"
diff -u "$E2E_TMP/expected.txt" "$E2E_TMP/files.txt" || fail "the package's files differ from $expected"
awk '{ print $NF }' "$E2E_TMP/contents.txt" | grep -v '^\./usr/' && fail "files outside /usr"
awk '$NF == "./usr/bin/mandelbrotmenge" && $1 != "-rwxr-xr-x" { exit 1 }' "$E2E_TMP/contents.txt" \
  || fail "usr/bin/mandelbrotmenge is not mode 755"
awk '$1 !~ /^d/ && $NF != "./usr/bin/mandelbrotmenge" && $1 != "-rw-r--r--" { exit 1 }' "$E2E_TMP/contents.txt" \
  || fail "a data file is not mode 644"
awk '$2 != "root/root" { exit 1 }' "$E2E_TMP/contents.txt" || fail "a file is not owned by root"
log "contents: $(wc -l <"$E2E_TMP/files.txt") files under /usr"

# The program from the package, in a real X server.
dpkg-deb -x "$deb" "$E2E_TMP/root"
E2E_APP="$E2E_TMP/root/usr/bin/mandelbrotmenge"
[ -x "$E2E_APP" ] || fail "no usr/bin/mandelbrotmenge in the package"
start_x
start_app
name="$(xdotool getwindowname "$WIN")"
[ "$name" = "$E2E_CAPTION" ] || fail "window caption is '$name'"

# The icon: Qt puts every size of the window icon into _NET_WM_ICON (width,
# height, then the pixels); the 16 and 256 pixel ones must be there.
xprop -id "$WIN" -notype 32c _NET_WM_ICON >"$E2E_TMP/icon.txt" || fail "xprop failed"
tr -d ' ' <"$E2E_TMP/icon.txt" | sed 's/^_NET_WM_ICON=//' | tr ',' '\n' >"$E2E_TMP/icon-values.txt"
[ -s "$E2E_TMP/icon-values.txt" ] && ! grep -q 'notfound' "$E2E_TMP/icon.txt" || fail "the window has no icon"
sizes="$(awk 'BEGIN { at = 1 } NR == at { w = $1 } NR == at + 1 { printf "%sx%s ", w, $1; at += 2 + w * $1 }' \
           "$E2E_TMP/icon-values.txt")"
for s in 16x16 32x32 48x48 64x64 128x128 256x256; do
  [[ " $sizes" == *" $s "* ]] || fail "the window icon has no $s image (sizes: $sizes)"
done
log "window icon sizes: $sizes"
# The 16-pixel image is the program's own: its opaque pixels equal those of
# the installed 16-pixel icon.
awk 'BEGIN { at = 1 } NR == at { w = $1 } NR == at + 1 { if (w == 16 && $1 == 16) { first = at + 2 } at += 2 + w * $1 }
     first && NR >= first && NR < first + 256' "$E2E_TMP/icon-values.txt" >"$E2E_TMP/icon16.txt"
convert "$E2E_TMP/root/usr/share/icons/hicolor/16x16/apps/$id.png" -depth 8 rgba:- | od -An -v -tu1 \
  | tr -s ' ' '\n' | grep . | awk '{ v[NR % 4] = $1 } NR % 4 == 0 { printf "%.0f\n", v[0] * 16777216 + v[1] * 65536 + v[2] * 256 + v[3] }' \
  >"$E2E_TMP/png16.txt"
[ "$(wc -l <"$E2E_TMP/icon16.txt")" = 256 ] && [ "$(wc -l <"$E2E_TMP/png16.txt")" = 256 ] || fail "cannot read the 16-pixel icons"
opaque="$(paste "$E2E_TMP/png16.txt" "$E2E_TMP/icon16.txt" | awk '$1 >= 4278190080 { n++; if ($1 != $2) bad++ } END { print n + 0, bad + 0 }')"
read -r n_opaque n_bad <<<"$opaque"
[ "$n_opaque" -gt 100 ] && [ "$n_bad" = 0 ] || fail "the window's 16-pixel icon differs from the installed one ($n_bad of $n_opaque opaque pixels)"

# On X11 the shell matches the window to its menu entry by the window's
# class (on Wayland by the desktop file name, the entry's id).
wm_class="$(xprop -id "$WIN" -notype WM_CLASS)"
startup_class="$(sed -n 's/^StartupWMClass=//p' "$E2E_TMP/root/usr/share/applications/$id.desktop")"
[ -n "$startup_class" ] || fail "the desktop entry has no StartupWMClass"
[[ "$wm_class" == *", \"$startup_class\"" ]] || fail "WM_CLASS ($wm_class) does not end in the entry's StartupWMClass $startup_class"
log "$wm_class"
pass
