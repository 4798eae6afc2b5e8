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

tests/netns.sh bash -c '
  set -uo pipefail
  wine=$1 root=$2 cases=$3; shift 3
  # A persistent wineserver keeps the prefix warm between cases. The first
  # start also launches Wine'"'"'s own background services, which would keep
  # inherited output pipes open: they are started here with none, so that each
  # transcript ends when kestrel.exe ends. The prefix needs neither Mono nor
  # Gecko, whose installers would only slow its making.
  "$(dirname "$wine")/wineserver" -p
  trap '"'"'"$(dirname "$wine")/wineserver" -k || true'"'"' EXIT
  WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init </dev/null >/dev/null 2>&1
  status=0
  tests/e2e/stage.sh "$wine $root/build-win/kestrel.exe" "$@" || status=1
  [ $# -gt 0 ] && exit $status
  for dir in build-win/tool/*/; do
    name=$(basename "$dir")
    overrides="iphlpapi=d"
    [ -e "$dir/ipconfig.exe" ] || overrides="$overrides;ipconfig.exe=d"
    echo "fallback discovery: $name"
    tests/e2e/stage.sh "env WINEDLLOVERRIDES=$overrides $wine $root/${dir}kestrel.exe" \
      --cases "$root/$cases" "$name" || status=1
  done
  echo "the pager on the Windows console"
  bash tests/wine/console_pager.sh build-win/kestrel.exe || status=1
  # Every run of the tool leaves no temporary file behind.
  left=$(find "$WINEPREFIX/drive_c" -iname "kst*.tmp")
  if [ -n "$left" ]; then
    echo "temporary files left behind: $left"
    status=1
  fi
  exit $status
' bash "$wine" "$root" "$cases" "$@"
