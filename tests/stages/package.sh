#!/usr/bin/env bash
# The release packages, built as `make package` builds them: the manual page
# formats without a warning; the version of project() in CMakeLists.txt names
# both packages and heads the page; `cmake --install` puts the program in bin/
# and the page in share/man/man1/; the Debian package carries the program, the
# compressed page and dependencies read off the binary; the Windows zip carries
# kestrel.exe, the README and the page as plain text. The program installed
# from the .deb (dpkg -x into a scratch root) and the one unpacked from the zip
# (run by Wine in a fresh prefix) each run a short session, `help` then
# `exit`, inside the private network namespace, and their whole output is
# compared with tests/package/help_exit.out.
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
deb=build-pkg/kestrel_${version}_amd64.deb
zip=build-pkg-win/kestrel-${version}-win64.zip
rm -f build-pkg/kestrel_*.deb build-pkg-win/kestrel-*.zip

# Builds both packages; the output goes to a log shown only on failure.
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
  [ -f "$deb" ] && [ -f "$zip" ] || { ls build-pkg/*.deb build-pkg-win/*.zip 2>&1 | sed 's/^/  /'; return 1; }
}

install_puts_program_and_page_under_prefix() {
  local prefix="$scratch/prefix" listing
  cmake --install build-pkg --prefix "$prefix" >/dev/null || return 1
  listing=$(cd "$prefix" && find . -type f | sort | tr '\n' ' ')
  [ "$listing" = "./bin/kestrel ./share/doc/kestrel/README.md ./share/man/man1/kestrel.1 " ] ||
    { echo "  installed: $listing"; return 1; }
  cmp -s "$prefix/share/man/man1/kestrel.1" build-pkg/kestrel.1
}

deb_control_is_complete() {
  local field
  [ "$(dpkg-deb -f "$deb" Package)" = kestrel ] || return 1
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || return 1
  [ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || return 1
  # Read off the binary by dpkg-shlibdeps: the C and C++ runtime at least.
  field=$(dpkg-deb -f "$deb" Depends)
  echo "  Depends: $field"
  [[ "$field" == *"libc6 (>="* && "$field" == *"libstdc++6"* ]] || return 1
  # A summary line and a long description below it.
  [ "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 3 ]
}

deb_installs_program_and_page() {
  mkdir -p "$scratch/deb" && dpkg -x "$deb" "$scratch/deb" || return 1
  local page="$scratch/deb/usr/share/man/man1/kestrel.1.gz"
  [ -x "$scratch/deb/usr/bin/kestrel" ] && [ -f "$page" ] || return 1
  local text; text=$(zcat "$page") || return 1
  grep -q "^\.TH KESTREL 1 [^ ]* \"kestrel $version\"" <<<"$text" || return 1
  # man formats the installed page as it stands.
  [ -z "$(zcat "$page" | groff -man -ww -z 2>&1)" ]
}

deb_program_runs_a_session() {
  local out="$scratch/deb.out" err="$scratch/deb.err" status
  printf 'help\nexit\n' | tests/netns.sh "$scratch/deb/usr/bin/kestrel" >"$out" 2>"$err"
  status=$?
  [ "$status" -eq 0 ] || { echo "  exit status $status"; return 1; }
  [ ! -s "$err" ] || { sed 's/^/  stderr: /' "$err"; return 1; }
  same_output "standard output" "$scratch/expected.out" "$out"
}

zip_holds_program_readme_and_text_manual() {
  mkdir -p "$scratch/zip" && cmake -E chdir "$scratch/zip" cmake -E tar xf "$root/$zip" || return 1
  local dir="$scratch/zip/kestrel-${version}-win64"
  local listing
  listing=$(cd "$dir" && find . -type f | sort | tr '\n' ' ')
  [ "$listing" = "./README.md ./kestrel.exe ./kestrel.txt " ] || { echo "  zip holds: $listing"; return 1; }
  cmp -s "$dir/README.md" README.md || return 1
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

expected_session >"$scratch/expected.out"
check "make package" make_package
case_ manual_has_no_warning
case_ manual_names_the_version
case_ packages_are_named_by_version
case_ install_puts_program_and_page_under_prefix
if [ -f "$deb" ]; then
  case_ deb_control_is_complete
  case_ deb_installs_program_and_page
  case_ deb_program_runs_a_session
fi
if [ -f "$zip" ]; then
  case_ zip_holds_program_readme_and_text_manual
  case_ zip_program_runs_a_session_under_wine
fi
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -ge 10 ]
