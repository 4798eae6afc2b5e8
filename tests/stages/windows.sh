#!/usr/bin/env bash
# The Windows build: cross-compiles build-win/kestrel.exe with mingw-w64 and
# runs it under Wine, inside the private network namespace with NSD. Wine's
# prefix is made fresh once per run (its first start takes seconds) and
# removed at the end.
#
# First that the query identifiers come from the system's random source
# (bcrypt.dll), which the transcripts mask, and that without it nothing is sent.
# Then the fallback discovery, which Windows alone has: with IP Helper
# disabled, each case of tests/e2e/windows_cases runs with
# tests/wine/fake_ipconfig.cpp as the system's tool (see tests/wine/cases.sh),
# and with impostors of the tools, built from the same source, in kestrel.exe's
# own folder (build-win/tool) and in the current folder (build-win/tool/cwd):
# they write the servers 127.0.0.66 and 127.0.0.67, and must never run.
# Then the pager's key wait on Wine's console in tmux (tests/wine/console_pager.sh),
# and last the same end-to-end transcripts as the Linux builds.
# What runs inside the namespace is tests/wine/cases.sh.
#   tests/stages/windows.sh [CASE...]   (CASE: a transcript of tests/e2e/cases)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

cmake --no-warn-unused-cli -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DKESTREL_WERROR=ON -DKESTREL_TESTS=OFF >/dev/null
cmake --build build-win -j"$(nproc)"
x86_64-w64-mingw32-g++ -std=c++17 -O1 -Wall -Wextra -Werror -static \
  -o build-win/fake_ipconfig.exe tests/wine/fake_ipconfig.cpp

cases=tests/e2e/windows_cases
rm -rf build-win/tool
mkdir -p build-win/tool/cwd
cp build-win/kestrel.exe build-win/tool/
for dir in build-win/tool build-win/tool/cwd; do
  cp build-win/fake_ipconfig.exe "$dir/ipconfig.exe"
  cp build-win/fake_ipconfig.exe "$dir/winipcfg.exe"
done
printf 'DNS Servers . . . . : 127.0.0.66\n' > build-win/tool/ipconfig.txt
printf 'DNS Servers . . . . : 127.0.0.67\n' > build-win/tool/cwd/ipconfig.txt

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/kestrel-wine.XXXXXX)
export WINEDEBUG=-all
trap 'rm -rf "$WINEPREFIX"' EXIT
wine=/usr/lib/wine/wine64

tests/netns.sh bash tests/wine/cases.sh "$wine" "$cases" "$@"
