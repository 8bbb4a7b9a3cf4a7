#!/usr/bin/env bash
# Installs what is missing, builds the program and makes the Debian package.
#
#   tools/package.sh               build-package/mandelbrotmenge_VERSION_ARCH.deb
#                                  for this machine, then installed with apt,
#                                  which also installs the Qt libraries it needs
#   tools/package.sh --arch arm64  build-package-arm64/mandelbrotmenge_VERSION_arm64.deb,
#                                  cross-built on x86-64 against Debian's arm64
#                                  Qt; not installed here
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch=""
if [ "${1:-}" = "--arch" ]; then
  arch="${2:?usage: $0 [--arch arm64]}"
fi
options=(-DCMAKE_BUILD_TYPE=Release -DMANDEL_BUILD_TESTS=OFF)
build="$root/build-package"
case "$arch" in
  "" | "$(dpkg --print-architecture)") arch="" ;;
  arm64)
    options+=(-DCMAKE_TOOLCHAIN_FILE="$root/tools/aarch64-toolchain.cmake")
    build="$root/build-package-arm64" ;;
  *) echo "$0: no cross build for '$arch' (only arm64)" >&2; exit 2 ;;
esac
bash "$root/tools/install-deps.sh" --with-package-tools ${arch:+--arch "$arch"}
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j2
(cd "$build" && cpack -G DEB)
deb="$(ls -t "$build"/mandelbrotmenge_*.deb | head -n 1)"
echo "Package: $deb"
if [ -n "$arch" ]; then
  echo "On an $arch machine: sudo apt install ./$(basename "$deb")"
  exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get install -y --reinstall "$deb"
