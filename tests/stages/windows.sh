#!/usr/bin/env bash
# The Windows build: cross-compiles build-win/kestrel.exe with mingw-w64 and
# runs the same end-to-end transcripts against it under Wine, inside the
# private network namespace with NSD. Wine's prefix is made fresh once per run
# (its first start takes seconds) and removed at the end.
#
# Then the fallback discovery, which Windows alone has: with IP Helper
# disabled, each case of tests/e2e/windows_cases runs a copy of kestrel.exe
# whose folder holds tests/wine/fake_ipconfig.cpp built as ipconfig.exe (the
# case has NAME.ipconfig, the text it writes) or as winipcfg.exe with the
# system's ipconfig disabled (NAME.winipcfg), or neither tool (no such file).
# Last, the pager's key wait on Wine's console in tmux (tests/wine/console_pager.sh).
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
for input in "$cases"/*.in; do
  name=$(basename "$input" .in)
  dir=build-win/tool/$name
  mkdir -p "$dir"
  cp build-win/kestrel.exe "$dir/"
  for tool in ipconfig winipcfg; do
    if [ -e "$cases/$name.$tool" ]; then
      cp build-win/fake_ipconfig.exe "$dir/$tool.exe"
      cp "$cases/$name.$tool" "$dir/ipconfig.txt"
    fi
  done
done

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/kestrel-wine.XXXXXX)
export WINEDEBUG=-all
trap 'rm -rf "$WINEPREFIX"' EXIT
wine=/usr/lib/wine/wine64

tests/netns.sh bash tests/wine/cases.sh "$wine" "$cases" "$@"
