#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# any is missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libgtest-dev libmpfr-dev
  xvfb xdotool imagemagick x11-utils xauth libx11-dev openbox wmctrl
  fonts-dejavu-core
  qt6-svg-dev librsvg2-bin desktop-file-utils appstream dpkg-dev file lintian binutils
  gcc-aarch64-linux-gnu g++-aarch64-linux-gnu qemu-user googletest llvm-16
  weston qt6-wayland
  dbus dbus-x11 at-spi2-core python3-pyatspi
)
[ "${1:-}" = "--with-test-tools" ] || packages=(build-essential cmake g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev fonts-dejavu-core)
# The Debian package: dpkg-shlibdeps computes its dependencies, file tells
# CPack which installed files are programs.
[ "${1:-}" = "--with-package-tools" ] && packages+=(dpkg-dev file)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
