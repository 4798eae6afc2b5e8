#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing. Run as root.
set -euo pipefail
PACKAGES=(
  cmake make g++ python3 iproute2 util-linux
  googletest libgtest-dev
  clang libclang-rt-dev
  nsd
  netbase   # /etc/protocols: WKS protocol names
  libedit-dev tmux   # line editing at a terminal, and the tests that type into one
  groff-base bsdextrautils dpkg-dev   # the manual page's checks and text copy, the Debian package
  libbenchmark-dev knot-dnsutils ldnsutils time valgrind   # the benchmark: Google Benchmark, kdig, drill, GNU time, callgrind
  g++-mingw-w64-x86-64 wine64   # the Windows build, and its tests under Wine
)
missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
