# Cross-compiles for 64-bit ARM Linux (Debian's arm64) with Debian's cross
# compiler (package g++-aarch64-linux-gnu), against the arm64 libraries of
# Debian's multiarch packages in /usr/lib/aarch64-linux-gnu (libedit-dev:arm64,
# libgtest-dev:arm64; `dpkg --add-architecture arm64` first):
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
#   cmake --build build-aarch64        # build-aarch64/kestrel
# The programs run here under qemu-user (Debian package qemu-user), so the
# unit tests are found and run by CTest as in a native build. They run on the
# arm64 C library of the multiarch packages (libc6:arm64, found from /), as
# they would on an arm64 Debian system: not with -L /usr/aarch64-linux-gnu,
# whose loader, of the cross compiler's older C library, would load the
# multiarch libc.so.6 beside it, and a child's fork() then never returns.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L / CACHE STRING "runs the arm64 programs here")
# Debian's name of the architecture, for the package (kestrel_<version>_arm64.deb).
# dpkg-shlibdeps finds the arm64 libraries the program links on its own.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
