#!/usr/bin/env bash
# The release packages, built as `make package` builds them: the manual page
# formats without a warning; the version of project() in CMakeLists.txt names
# the packages and heads the page; `cmake --install` puts the program in bin/,
# the page in share/man/man1/ and the user's documents in share/doc/kestrel/.
# Each Debian package (amd64, and arm64 cross-built) carries the program, the
# compressed page, the user's README, the licence as a machine-readable
# copyright file and the changelog, with dependencies read off its binary;
# lintian finds nothing to report in it but the one word the program misspells
# on purpose, and hardening-check finds its program hardened. The Windows zip
# carries kestrel.exe with its version resource, the README and the licence
# with CR LF line ends, and the page as plain text. The program installed from
# each .deb (dpkg -x into a scratch root; the arm64 one run by qemu-user) and
# the one unpacked from the zip (run by Wine in a fresh prefix) each run a
# short session, `help` then `exit`, inside the private network namespace, and
# their whole output is compared with tests/package/help_exit.out. Last, the
# last commit is cloned into two folders and packaged in each, the second time
# under another umask, time zone and locale: every package must come out the
# same to the byte.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
scratch=$(mktemp -d /tmp/kestrel-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

passed=0
failed=0
check() {   # check NAME COMMAND...
  local name=$1; shift
  if "$@"; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failed=$((failed + 1)); echo "FAIL $name"
  fi
}
# The named case; the check runs the function of the same name.
case_() { check "$1" "$1"; }

version=$(sed -n 's/^project(kestrel VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
if [ -z "$version" ]; then
  echo "FAIL no version in project() of CMakeLists.txt"
  exit 1
fi
echo "version $version"
deb_amd64=build-pkg/kestrel_${version}_amd64.deb
deb_arm64=build-pkg-arm64/kestrel_${version}_arm64.deb
zip=build-pkg-win/kestrel-${version}-win64.zip
rm -f build-pkg*/kestrel_*.deb build-pkg-win/kestrel-*.zip

# Builds the packages; the output goes to a log shown only on failure.
make_package() {
  if ! make package >"$scratch/make.log" 2>&1; then
    tail -n 40 "$scratch/make.log"
    return 1
  fi
}

# The expected output of a short session: "@startup" stands for the start-up text.
expected_session() {
  python3 - "$root/tests/e2e/startup.txt" "$root/tests/package/help_exit.out" <<'PY'
import sys
startup = open(sys.argv[1], "rb").read()
text = open(sys.argv[2], "rb").read()
sys.stdout.buffer.write(text.replace(b"@startup\n", startup))
PY
}

# same_output NAME EXPECTED ACTUAL: compares two files, shows the difference.
same_output() {
  if cmp -s "$2" "$3"; then
    return 0
  fi
  echo "  $1 differs:"
  diff -u "$2" "$3" | head -n 40 | cat -A | sed 's/^/  /'
  return 1
}

manual_has_no_warning() {
  local warnings
  warnings=$(groff -man -ww -z build-pkg/kestrel.1 2>&1)
  [ -z "$warnings" ] || { echo "$warnings" | sed 's/^/  /'; return 1; }
}

manual_names_the_version() {
  grep -q "^\.TH KESTREL 1 [^ ]* \"kestrel $version\"" build-pkg/kestrel.1
}

packages_are_named_by_version() {
  [ -f "$deb_amd64" ] && [ -f "$deb_arm64" ] && [ -f "$zip" ] ||
    { ls build-pkg*/*.deb build-pkg-win/*.zip 2>&1 | sed 's/^/  /'; return 1; }
}

install_puts_program_and_page_under_prefix() {
  local prefix="$scratch/prefix" listing
  cmake --install build-pkg --prefix "$prefix" >/dev/null || return 1
  listing=$(cd "$prefix" && find . -type f | sort | tr '\n' ' ')
  [ "$listing" = "./bin/kestrel ./share/doc/kestrel/README ./share/doc/kestrel/changelog ./share/doc/kestrel/copyright ./share/man/man1/kestrel.1 " ] ||
    { echo "  installed: $listing"; return 1; }
  cmp -s "$prefix/share/man/man1/kestrel.1" build-pkg/kestrel.1
}

deb_of() { local deb="deb_$1"; echo "${!deb}"; }
# The command that runs a program of the architecture: qemu-user for arm64,
# as the arm64 build's toolchain file names it.
runner_of() {
  [ "$1" = amd64 ] || sed -n 's/^CMAKE_CROSSCOMPILING_EMULATOR:STRING=//p' build-pkg-arm64/CMakeCache.txt | tr ';' ' '
}

deb_control_is_complete() {   # ARCH
  local deb field; deb=$(deb_of "$1")
  [ "$(dpkg-deb -f "$deb" Package)" = kestrel ] || return 1
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || return 1
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$1" ] || return 1
  # Read off the binary by dpkg-shlibdeps: the C library alone, the C++ runtime
  # being linked in; libedit, loaded at a terminal for line editing, is recommended.
  field=$(dpkg-deb -f "$deb" Depends)
  echo "  Depends: $field"
  [[ "$field" == "libc6 (>="* && "$field" != *","* ]] || return 1
  [ "$(dpkg-deb -f "$deb" Recommends)" = libedit2 ] || return 1
  # A summary line and a long description below it.
  [ "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 3 ]
}

deb_installs_program_page_and_documents() {   # ARCH
  local unpacked="$scratch/deb-$1"
  mkdir -p "$unpacked" && dpkg -x "$(deb_of "$1")" "$unpacked" || return 1
  local page="$unpacked/usr/share/man/man1/kestrel.1.gz" doc="$unpacked/usr/share/doc/kestrel"
  [ -x "$unpacked/usr/bin/kestrel" ] && [ -f "$page" ] || return 1
  local text; text=$(zcat "$page") || return 1
  grep -q "^\.TH KESTREL 1 [^ ]* \"kestrel $version\"" <<<"$text" || return 1
  # man formats the installed page as it stands.
  [ -z "$(zcat "$page" | groff -man -ww -z 2>&1)" ] || return 1
  local listing; listing=$(cd "$doc" && ls | tr '\n' ' ')
  [ "$listing" = "README changelog.gz copyright " ] || { echo "  doc: $listing"; return 1; }
  cmp -s "$doc/README" packaging/README || { echo "  README is not packaging/README"; return 1; }
  [ "$(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version)" = "$version" ] ||
    { echo "  the changelog's first entry is not $version"; return 1; }
  # The licence text of the copyright file is the one of LICENSE.
  diff <(sed -n '/^License: Expat$/,$p' "$doc/copyright" | tail -n +2 | sed 's/^ //; s/^\.$//') \
       <(sed -n '/^Permission/,$p' LICENSE) >/dev/null || { echo "  copyright holds another licence"; return 1; }
  grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' LICENSE)" "$doc/copyright"
}

deb_program_runs_a_session() {   # ARCH
  local out="$scratch/deb-$1.out" err="$scratch/deb-$1.err" status runner
  runner=$(runner_of "$1")
  # shellcheck disable=SC2086
  printf 'help\nexit\n' | tests/netns.sh $runner "$scratch/deb-$1/usr/bin/kestrel" >"$out" 2>"$err"
  status=$?
  [ "$status" -eq 0 ] || { echo "  exit status $status"; return 1; }
  [ ! -s "$err" ] || { sed 's/^/  stderr: /' "$err"; return 1; }
  same_output "standard output" "$scratch/expected.out" "$out"
}

# Lintian may report one word: "perference", which the program prints on
# purpose (the preference field of MX records, and so its manual page), and
# spelling tags for "words" that are chance bytes of machine code, not in the
# program's text (.rodata). Anything else, of any severity, fails.
lintian_finds_nothing() {   # ARCH
  local out line word strings bad=0
  out=$(lintian --display-info --pedantic "$(deb_of "$1")" 2>&1) || bad=1
  strings=$(readelf -p .rodata "$scratch/deb-$1/usr/bin/kestrel")
  while IFS= read -r line; do
    case $line in
      ""|"running with root privileges is not recommended!") continue ;;
      *" perference preference "*) continue ;;
      "I: "*": spelling-error-in-binary "*)
        word=$(awk '{print $4}' <<<"$line")
        grep -qw -- "$word" <<<"$strings" || { echo "  machine code: $line"; continue; } ;;
    esac
    echo "  $line"
    bad=1
  done <<<"$out"
  [ "$bad" -eq 0 ]
}

# hardening-check looks for control flow protection in x86's CET note only
# (none on arm64), and Debian 12's start files (Scrt1.o, crti.o, crtn.o) carry
# no such note, so no program linked against them has one: that check is off.
program_is_hardened() {   # ARCH
  local out
  out=$(hardening-check --nocfprotection "$scratch/deb-$1/usr/bin/kestrel" 2>/dev/null) ||
    { sed 's/^/  /' <<<"$out"; return 1; }
}

zip_holds_program_documents_and_text_manual() {
  mkdir -p "$scratch/zip" && cmake -E chdir "$scratch/zip" cmake -E tar xf "$root/$zip" || return 1
  local dir="$scratch/zip/kestrel-${version}-win64"
  local listing
  listing=$(cd "$dir" && find . -type f | sort | tr '\n' ' ')
  [ "$listing" = "./LICENSE.txt ./README.txt ./kestrel.exe ./kestrel.txt " ] || { echo "  zip holds: $listing"; return 1; }
  # Members in sorted order, as the same sources always give them.
  python3 -c 'import sys, zipfile; n = zipfile.ZipFile(sys.argv[1]).namelist(); sys.exit(n != sorted(n))' "$zip" ||
    { echo "  members not in sorted order"; return 1; }
  # The user's README and the licence, with CR LF line ends.
  cmp -s "$dir/README.txt" <(sed 's/$/\r/' packaging/README) || { echo "  README.txt is not packaging/README"; return 1; }
  cmp -s "$dir/LICENSE.txt" <(sed 's/$/\r/' LICENSE) || { echo "  LICENSE.txt is not LICENSE"; return 1; }
  # The text manual: plain ASCII with CR LF line ends, no overstrikes left, the
  # version in its footer, every section of the page there.
  LC_ALL=C grep -q $'[^\t\r -~]' "$dir/kestrel.txt" && { echo "  kestrel.txt holds other than printable ASCII"; return 1; }
  [ "$(grep -c $'\r$' "$dir/kestrel.txt")" -eq "$(grep -c '' "$dir/kestrel.txt")" ] || return 1
  grep -q "^kestrel $version " "$dir/kestrel.txt" || return 1
  local section
  for section in NAME SYNOPSIS DESCRIPTION COMMANDS OPTIONS PAGER "SERVER DISCOVERY" SAFEGUARDS \
                 "EXIT STATUS" EXAMPLES; do
    grep -q "^$section"$'\r$' "$dir/kestrel.txt" || { echo "  no section $section"; return 1; }
  done
}

# What Windows shows in the file's properties, read back by windres.
exe_carries_its_version_resource() {
  local rc want major minor patch
  rc=$(x86_64-w64-mingw32-windres -J coff -O rc -i "$scratch/zip/kestrel-${version}-win64/kestrel.exe") || return 1
  IFS=. read -r major minor patch <<<"$version"
  for want in "FILEVERSION $major, $minor, $patch, 0" "PRODUCTVERSION $major, $minor, $patch, 0" \
              "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
              'VALUE "ProductName", "kestrel"' 'VALUE "OriginalFilename", "kestrel.exe"' \
              "VALUE \"LegalCopyright\", \"$(grep -m1 '^Copyright (c) ' LICENSE), MIT licence\"" \
              'VALUE "FileDescription", "kestrel, '; do
    grep -qF -- "$want" <<<"$rc" || { echo "  no $want in:"; sed 's/^/  | /' <<<"$rc"; return 1; }
  done
}

# Wine starts in a prefix of its own, made for this run and removed after it;
# its wineserver is stopped before the namespace is left.
wine_session() {   # wine_session EXE (inside tests/netns.sh)
  export WINEPREFIX
  WINEPREFIX=$(mktemp -d /tmp/kestrel-wine.XXXXXX)
  export WINEDEBUG=-all
  printf 'help\nexit\n' | /usr/lib/wine/wine64 "$1"
  local status=$?
  /usr/lib/wine/wineserver -k 2>/dev/null
  /usr/lib/wine/wineserver -w 2>/dev/null
  rm -rf "$WINEPREFIX"
  return $status
}
export -f wine_session

zip_program_runs_a_session_under_wine() {
  local out="$scratch/wine.out" err="$scratch/wine.err" status
  tests/netns.sh bash -c 'wine_session "$1"' bash \
    "$scratch/zip/kestrel-${version}-win64/kestrel.exe" >"$out" 2>"$err"
  status=$?
  # Wine writes notes of its own on standard error (the new prefix), so only
  # the exit status and standard output are compared.
  [ "$status" -eq 0 ] || { echo "  exit status $status"; sed 's/^/  stderr: /' "$err" | head; return 1; }
  same_output "standard output" "$scratch/expected.out" "$out"
}

# As reproducible-builds.org checks it: the last commit (not what is not yet
# committed) cloned into two folders of other names and depths and packaged in
# each, the second under another umask, time zone and locale.
packages_are_reproducible() {
  local one="$scratch/one/kestrel" two="$scratch/two/deeper/kestrel-again" file same=0
  git clone -q "$root" "$one" && git clone -q "$root" "$two" || return 1
  (cd "$one" && make package) >"$scratch/one.log" 2>&1 || { tail -n 20 "$scratch/one.log"; return 1; }
  (cd "$two" && umask 0002 && TZ=XYZ-13 LC_ALL=C make package) >"$scratch/two.log" 2>&1 ||
    { tail -n 20 "$scratch/two.log"; return 1; }
  echo "  commit $(git -C "$one" log -1 --format='%h of %ci')"
  for file in "$deb_amd64" "$deb_arm64" "$zip"; do
    if cmp -s "$one/$file" "$two/$file"; then
      echo "  the same: $file (sha256 $(sha256sum <"$one/$file" | cut -c1-16)...)"
    else
      cmp "$one/$file" "$two/$file" | sed 's/^/  /'
      same=1
    fi
  done
  return $same
}

expected_session >"$scratch/expected.out"
check "make package" make_package
case_ manual_has_no_warning
case_ manual_names_the_version
case_ packages_are_named_by_version
case_ install_puts_program_and_page_under_prefix
for arch in amd64 arm64; do
  [ -f "$(deb_of $arch)" ] || continue
  for name in deb_control_is_complete deb_installs_program_page_and_documents deb_program_runs_a_session \
              lintian_finds_nothing program_is_hardened; do
    check "$name ($arch)" "$name" "$arch"
  done
done
if [ -f "$zip" ]; then
  case_ zip_holds_program_documents_and_text_manual
  case_ exe_carries_its_version_resource
  case_ zip_program_runs_a_session_under_wine
fi
case_ packages_are_reproducible
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -ge 19 ]
