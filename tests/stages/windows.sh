#!/usr/bin/env bash
# The Windows build: cross-compiles build-win/kestrel.exe with mingw-w64 and
# runs the same end-to-end transcripts against it under Wine, inside the
# private network namespace with NSD. Wine's prefix is made fresh once per run
# (its first start takes seconds) and removed at the end.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

cmake --no-warn-unused-cli -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DKESTREL_WERROR=ON \
  -DKESTREL_TESTS=OFF >/dev/null
cmake --build build-win -j"$(nproc)"

export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/kestrel-wine.XXXXXX)
export WINEDEBUG=-all
trap 'rm -rf "$WINEPREFIX"' EXIT
wine=/usr/lib/wine/wine64

tests/netns.sh bash -c '
  set -euo pipefail
  wine=$1 root=$2; shift 2
  # A persistent wineserver keeps the prefix warm between cases. The first
  # start also launches Wine'"'"'s own background services, which would keep
  # inherited output pipes open: they are started here with none, so that each
  # transcript ends when kestrel.exe ends.
  "$(dirname "$wine")/wineserver" -p
  trap '"'"'"$(dirname "$wine")/wineserver" -k || true'"'"' EXIT
  "$wine" wineboot --init </dev/null >/dev/null 2>&1
  tests/e2e/stage.sh "$wine $root/build-win/kestrel.exe" "$@"
' bash "$wine" "$root" "$@"
