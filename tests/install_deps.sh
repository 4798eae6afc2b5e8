#!/usr/bin/env bash
# Installs with apt what is missing of what a purpose needs. Run as root.
#   tests/install_deps.sh run   building and running the program (make run)
#   tests/install_deps.sh       everything below: the build, the tests, the
#                               packages and the benchmark (make test)
set -euo pipefail

# Building and running the program. make run installs these alone, and
# without the thirty packages they recommend, which neither building nor
# running uses (manual pages, and the C library's profiling tools with the
# image libraries they draw).
RUN_PACKAGES=(
  g++ cmake make
  libedit-dev   # line editing at a terminal: the header the build looks for, and the library
)
# The tests and the packages.
TEST_PACKAGES=(
  python3 iproute2 util-linux git
  googletest libgtest-dev
  clang libclang-rt-dev
  nsd
  netbase   # /etc/protocols: WKS protocol names
  tmux   # the tests that type into a terminal
  groff-base bsdextrautils dpkg-dev   # the manual page's checks and text copy, the Debian package
  g++-mingw-w64-x86-64 wine64   # the Windows build, and its tests under Wine
)
# Installed without the packages they recommend: devscripts would bring a
# hundred more, and qemu-user's qemu-user-binfmt would have the kernel start
# every foreign program under qemu, where the tests name the emulator themselves.
TEST_PLAIN_PACKAGES=(
  lintian devscripts   # the packages' checks: lintian, hardening-check
  qemu-user   # running the arm64 and s390x builds here
  g++-aarch64-linux-gnu libedit-dev:arm64 libstdc++6:arm64 libgtest-dev:arm64   # the arm64 build and package
  g++-s390x-linux-gnu libgtest-dev:s390x   # the s390x (big-endian) build
)
# The benchmark (make bench): Google Benchmark, kdig, drill, GNU time, callgrind.
BENCH_PACKAGES=(libbenchmark-dev knot-dnsutils ldnsutils time valgrind)

case "${1:-all}" in
  run)
    packages=()
    plain_packages=("${RUN_PACKAGES[@]}") ;;
  all)
    packages=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}")
    plain_packages=("${TEST_PLAIN_PACKAGES[@]}") ;;
  *)
    echo "usage: $0 [run]" >&2
    exit 2 ;;
esac

# Debian's multiarch packages of other architectures (the NAME:ARCH ones):
# their architectures are added to dpkg, and their libraries go beside this
# machine's, in /usr/lib/aarch64-linux-gnu and the like.
native=$(dpkg --print-architecture)
foreign=$(dpkg --print-foreign-architectures)
for arch in $(printf '%s\n' "${packages[@]}" "${plain_packages[@]}" | sed -n 's/.*://p' | sort -u); do
  grep -qx "$arch" <<<"$foreign" || dpkg --add-architecture "$arch"
done

missing_of() {   # missing_of PACKAGE...: those not installed (a name without :ARCH is this machine's or all)
  local p
  for p in "$@"; do
    [[ $p == *:* ]] || p=$p:$native
    [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] ||
      [ "$(dpkg-query -W -f='${Status}' "${p%:*}:all" 2>/dev/null)" = "install ok installed" ] ||
      echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_plain < <(missing_of "${plain_packages[@]}")
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_plain[@]} -gt 0 ]; then
  echo "installing: ${missing[*]} ${missing_plain[*]}"
  apt-get update -q
  export DEBIAN_FRONTEND=noninteractive
  [ ${#missing[@]} -eq 0 ] || apt-get install -y -q "${missing[@]}"
  [ ${#missing_plain[@]} -eq 0 ] || apt-get install -y -q --no-install-recommends "${missing_plain[@]}"
fi
