# Cross build for 64-bit Arm Linux with Debian's aarch64-linux-gnu compilers.
# The core needs only the cross compiler's own C library
# (/usr/aarch64-linux-gnu); the whole program also finds Debian's arm64 Qt
# and libraries, installed next to the host's (dpkg --add-architecture
# arm64), under / in /usr/lib/aarch64-linux-gnu. Debian's arm64 Qt names the
# host's moc and rcc (/usr/lib/qt6/libexec), so no QT_HOST_PATH is needed.
# The programs run under qemu-aarch64 with the arm64 libraries of /.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Qt's dependencies found through pkg-config: the arm64 .pc files only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)
