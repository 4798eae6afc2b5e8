#!/usr/bin/env bash
# Under Wine, inside the private namespace (tests/stages/windows.sh runs it
# there, with WINEPREFIX set): the query identifiers from the system's random
# source, the fallback discovery cases with a check that no configuration tool
# still runs after each, the pager on the Windows console, every transcript
# against kestrel.exe, and a check that no temporary file of the configuration
# tool is left behind. With CASE names, those transcripts alone.
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
# A failure fails the run; with KESTREL_FIRST_FAILURE=1 (the slip stage) it ends it.
failed() {
  status=1
  if [ "${KESTREL_FIRST_FAILURE:-}" = 1 ]; then exit 1; fi
}
if [ $# -gt 0 ]; then
  tests/e2e/stage.sh "$wine $root/build-win/kestrel.exe" "$@" || failed
  exit $status
fi
# The query identifier comes from bcrypt.dll's generator, drawn afresh for each
# lookup. The transcripts mask it, so here four lookups in one run must not all
# carry one identifier. With bcrypt.dll disabled there is no source: the lookup
# fails before anything is sent, where NSD would answer anything sent.
echo "query identifiers from the system's random source"
source tests/nsd.sh
ids= no_source= prompts=0
if nsd_start tests/nsd/nsd.conf tests/zones kestrel.test; then
  ids=$(printf 'multi.kestrel.test\n%.0s' 1 2 3 4 | timeout 60 "$wine" build-win/kestrel.exe | grep -o 'ID=[0-9]*')
  no_source=$(printf 'set debug\nmulti.kestrel.test\nexit\n' | WINEDLLOVERRIDES=bcrypt=d timeout 60 "$wine" build-win/kestrel.exe)
  # A script that drives the client through pipes waits for each prompt before
  # it writes the next command: the prompt must reach the pipe before the read.
  # (Its pipes are taken at once: bash closes its own when the program ends.)
  coproc driven { timeout 60 "$wine" build-win/kestrel.exe 2>&1; }
  exec {from}<&"${driven[0]}" {to}>&"${driven[1]}"
  driven_pid=$driven_PID
  for command in "server 127.0.0.1" "exit"; do
    IFS= read -r -t 30 -d '>' -u "$from" _ || break
    prompts=$((prompts + 1))
    echo "$command" >&"$to"
  done
  exec {from}<&- {to}>&-
  wait "$driven_pid" || true
fi
nsd_stop
if [ "$(echo "$ids" | wc -l)" != 4 ] || [ "$(echo "$ids" | sort -u | wc -l)" = 1 ]; then
  echo "four lookups did not carry more than one identifier:" $ids
  failed
fi
if [ "$prompts" != 2 ]; then
  echo "a client driven through pipes showed $prompts of its 2 prompts"
  failed
fi
want_no_source="$(cat tests/e2e/startup.txt)
>>Name Servers:
	127.0.0.1
Could not draw a query identifier.No answer or error occur
>"
if [ "$no_source" != "$want_no_source" ]; then
  echo "without bcrypt.dll, expected:"; echo "$want_no_source"; echo "got:"; echo "$no_source"
  failed
fi
# The fallback discovery. The system's tool is the fake, put where Windows
# keeps it, with the case's text beside it: ipconfig.exe in the system folder
# (over Wine's own, in this run's prefix) for NAME.ipconfig, winipcfg.exe in the
# Windows folder, its old home, for NAME.winipcfg, neither without such a file.
# Wine would run its own ipconfig in place of a file in the system folder: the
# file is preferred (=n), or with none Wine's is disabled (=d). A case with
# NAME.planted runs where no temporary file can be made (the user's temporary
# folder moved aside), with that text in the shared temporary folder under the
# name that a fixed fallback would take. Every case runs from a current folder
# that holds impostors of the tools, with more beside kestrel.exe. After each
# case no tool may still run: a Wine program is a process of this prefix (its
# environment names it) whose command line is the program's Windows one.
tools_running() {
  local proc
  for proc in /proc/[0-9]*; do
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "$proc/environ" &&
      tr '\0' ' ' <"$proc/cmdline" | grep -iE '(ipconfig|winipcfg)\.exe'
  done 2>/dev/null
}
system=$WINEPREFIX/drive_c/windows/system32
windows=$WINEPREFIX/drive_c/windows
# The user's temporary folder, TEMP and TMP alike, as the registry gives it.
set_user_temp() {
  local variable
  for variable in TEMP TMP; do
    "$wine" reg add 'HKCU\Environment' /v $variable /t REG_SZ /d "$1" /f >/dev/null
  done
}
for input in "$cases"/*.in; do
  name=$(basename "$input" .in)
  rm -f "$system/ipconfig.exe" "$system/ipconfig.txt" "$windows/winipcfg.exe" "$windows/ipconfig.txt"
  overrides="iphlpapi=d;ipconfig.exe=d"
  if [ -e "$cases/$name.ipconfig" ]; then
    cp build-win/fake_ipconfig.exe "$system/ipconfig.exe"
    cp "$cases/$name.ipconfig" "$system/ipconfig.txt"
    overrides="iphlpapi=d;ipconfig.exe=n"
  fi
  if [ -e "$cases/$name.winipcfg" ]; then
    cp build-win/fake_ipconfig.exe "$windows/winipcfg.exe"
    cp "$cases/$name.winipcfg" "$windows/ipconfig.txt"
  fi
  planted=
  if [ -e "$cases/$name.planted" ]; then
    planted=$windows/temp/kst5282.TMP
    cp "$cases/$name.planted" "$planted"
    for temp in "$WINEPREFIX"/drive_c/users/*/Temp; do mv "$temp" "$temp.aside"; done
  fi
  # NAME.temp names a folder of drive C: (one with a blank in its name) to be
  # the user's temporary folder for the case, as the registry gives it.
  temp_folder=
  if [ -e "$cases/$name.temp" ]; then
    temp_folder=$(cat "$cases/$name.temp")
    mkdir -p "$WINEPREFIX/drive_c/$temp_folder"
    user_temp=$("$wine" reg query 'HKCU\Environment' /v TEMP | tr -d '\r' | awk '$1 == "TEMP" {print $3}')
    set_user_temp "C:\\$temp_folder"
  fi
  echo "fallback discovery: $name"
  (cd build-win/tool/cwd && "$root/tests/e2e/stage.sh" \
    "env WINEDLLOVERRIDES=$overrides $wine $root/build-win/tool/kestrel.exe" --cases "$root/$cases" "$name") ||
    failed
  running=$(tools_running)
  if [ -n "$running" ]; then
    echo "a tool still runs after the case: $running"
    failed
  fi
  if [ -n "$temp_folder" ]; then
    set_user_temp "$user_temp"
  fi
  if [ -n "$planted" ]; then
    rm -f "$planted"
    for temp in "$WINEPREFIX"/drive_c/users/*/Temp.aside; do mv "$temp" "${temp%.aside}"; done
  fi
done
echo "the pager on the Windows console"
bash tests/wine/console_pager.sh build-win/kestrel.exe || failed
# The transcripts last: the checks above, which the Windows code alone passes
# through, end a run of the slip stage sooner.
tests/e2e/stage.sh "$wine $root/build-win/kestrel.exe" || failed
# Every run of the tool leaves no temporary file behind.
left=$(find "$WINEPREFIX/drive_c" -iname "kst*.tmp")
if [ -n "$left" ]; then
  echo "temporary files left behind: $left"
  failed
fi
exit $status
