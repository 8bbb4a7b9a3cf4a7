#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# any is missing. Uses sudo when not run as root.
#
#   install-deps.sh                        what building and running need
#   install-deps.sh --with-test-tools      ... and every test's tools, with the
#                                          arm64 libraries and the cross compilers
#   install-deps.sh --with-package-tools [--arch arm64]
#                                          ... what building the Debian package
#                                          needs (for arm64: the cross build)
set -euo pipefail

base=(build-essential cmake g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
      fonts-dejavu-core)
# The whole program for arm64: Debian's arm64 Qt and libraries next to the
# host's (multiarch), built with the cross compiler, with the host's moc and
# rcc; its tests also need MPFR, and GoogleTest is built from its sources.
arm64_build=(gcc-aarch64-linux-gnu g++-aarch64-linux-gnu binutils-aarch64-linux-gnu
             qt6-base-dev:arm64 libgl-dev:arm64 libxcb1-dev:arm64)
packages=("${base[@]}")
case "${1:-}" in
  --with-test-tools)
    packages+=(
      qt6-base-dev-tools libgtest-dev libmpfr-dev
      xvfb xdotool xclip imagemagick x11-utils xauth libx11-dev openbox wmctrl
      qt6-svg-dev librsvg2-bin desktop-file-utils appstream dpkg-dev file lintian binutils
      qemu-user googletest "${arm64_build[@]}" libmpfr-dev:arm64
      g++-s390x-linux-gnu llvm-16
      weston qt6-wayland
      dbus dbus-x11 at-spi2-core python3-pyatspi
      orca speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
    ) ;;
  --with-package-tools)
    # dpkg-shlibdeps computes the package's dependencies, file tells CPack
    # which installed files are programs.
    packages+=(dpkg-dev file)
    [ "${2:-}" = "--arch" ] && [ "${3:-}" = "arm64" ] && packages+=("${arm64_build[@]}") ;;
esac

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 "$@"
}

updated=""
# A package for arm64 needs the architecture in dpkg and its package lists.
if printf '%s\n' "${packages[@]}" | grep -q ':arm64$' \
   && ! dpkg --print-foreign-architectures | grep -qx arm64; then
  echo "Adding the arm64 architecture"
  $sudo dpkg --add-architecture arm64
  apt_get update -qq
  updated=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  [ -n "$updated" ] || apt_get update -qq
  # Multiarch keeps a library's amd64 and arm64 versions equal: apt may
  # upgrade the installed amd64 ones with the arm64 ones; it removes nothing.
  apt_get install -y -qq --no-install-recommends --no-remove "${missing[@]}"
fi
