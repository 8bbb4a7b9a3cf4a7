#!/usr/bin/env bash
# Installs what is missing, builds the program, makes the Debian package
# (build-package/mandelbrotmenge_VERSION_ARCH.deb) and installs it with apt,
# which also installs the Qt libraries it depends on.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/install-deps.sh" --with-package-tools
build="$root/build-package"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMANDEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2
(cd "$build" && cpack -G DEB)
deb="$(ls -t "$build"/mandelbrotmenge_*.deb | head -n 1)"
echo "Package: $deb"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get install -y --reinstall "$deb"
