#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing. Run as root.
set -euo pipefail
PACKAGES=(
  cmake make g++ python3 iproute2 util-linux git
  googletest libgtest-dev
  clang libclang-rt-dev
  nsd
  netbase   # /etc/protocols: WKS protocol names
  libedit-dev tmux   # line editing at a terminal, and the tests that type into one
  groff-base bsdextrautils dpkg-dev   # the manual page's checks and text copy, the Debian package
  libbenchmark-dev knot-dnsutils ldnsutils time valgrind   # the benchmark: Google Benchmark, kdig, drill, GNU time, callgrind
  g++-mingw-w64-x86-64 wine64   # the Windows build, and its tests under Wine
)
# Installed without the packages they recommend: devscripts would bring a
# hundred more, and qemu-user's qemu-user-binfmt would have the kernel start
# every foreign program under qemu, where the tests name the emulator themselves.
PLAIN_PACKAGES=(
  lintian devscripts   # the packages' checks: lintian, hardening-check
  qemu-user   # running the arm64 and s390x builds here
  g++-aarch64-linux-gnu libedit-dev:arm64 libstdc++6:arm64 libgtest-dev:arm64   # the arm64 build and package
  g++-s390x-linux-gnu libgtest-dev:s390x   # the s390x (big-endian) build
)
# Debian's multiarch packages of other architectures: their libraries go
# beside this machine's, in /usr/lib/aarch64-linux-gnu and the like.
foreign=$(dpkg --print-foreign-architectures)
for arch in arm64 s390x; do
  grep -qx "$arch" <<<"$foreign" || dpkg --add-architecture "$arch"
done

native=$(dpkg --print-architecture)
missing_of() {   # missing_of PACKAGE...: those not installed (a name without :ARCH is this machine's or all)
  local p
  for p in "$@"; do
    [[ $p == *:* ]] || p=$p:$native
    [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] ||
      [ "$(dpkg-query -W -f='${Status}' "${p%:*}:all" 2>/dev/null)" = "install ok installed" ] ||
      echo "$p"
  done
}
mapfile -t missing < <(missing_of "${PACKAGES[@]}")
mapfile -t missing_plain < <(missing_of "${PLAIN_PACKAGES[@]}")
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_plain[@]} -gt 0 ]; then
  echo "installing: ${missing[*]} ${missing_plain[*]}"
  apt-get update -q
  export DEBIAN_FRONTEND=noninteractive
  [ ${#missing[@]} -eq 0 ] || apt-get install -y -q "${missing[@]}"
  [ ${#missing_plain[@]} -eq 0 ] || apt-get install -y -q --no-install-recommends "${missing_plain[@]}"
fi
