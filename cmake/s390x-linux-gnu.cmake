# Cross-compiles for IBM Z Linux (Debian's s390x), a big-endian machine, with
# Debian's cross compiler (package g++-s390x-linux-gnu); the unit tests link
# GoogleTest of Debian's multiarch package libgtest-dev:s390x. No libedit for
# s390x is installed, so lines are read without editing.
#   cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/s390x-linux-gnu.cmake
#   cmake --build build-s390x          # build-s390x/kestrel
# The programs run here under qemu-user (Debian package qemu-user), so the
# unit tests are found and run by CTest as in a native build.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_CXX_COMPILER s390x-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x -L /usr/s390x-linux-gnu CACHE STRING "runs the s390x programs here")
