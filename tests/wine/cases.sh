#!/usr/bin/env bash
# Under Wine, inside the private namespace (tests/stages/windows.sh runs it
# there, with WINEPREFIX set): every transcript against kestrel.exe, then the
# fallback discovery cases, the pager on the Windows console, and a check that
# no temporary file of the configuration tool is left behind.
#   tests/wine/cases.sh WINE CASES-DIR [CASE...]   (from the root of the tree)
set -uo pipefail
wine=$1 cases=$2
shift 2
root=$(pwd)
wineserver=$(dirname "$wine")/wineserver

# A persistent wineserver keeps the prefix warm between cases. The first start
# also launches Wine's own background services, which would keep inherited
# output pipes open: they are started here with none, so that each transcript
# ends when kestrel.exe ends. The prefix needs neither Mono nor Gecko, whose
# installers would only slow its making.
"$wineserver" -p
trap '"$wineserver" -k || true' EXIT
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
