#!/usr/bin/env bash
# The whole test suite: installs what it needs, then builds and runs the unit
# and end-to-end tests twice (the Release build, then a Debug build under
# AddressSanitizer and UndefinedBehaviorSanitizer), then the stages.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash tests/install_deps.sh || { echo "dependency install failed"; exit 1; }

passed=0
failed=0
stage() {   # stage NAME COMMAND...
  local name=$1; shift
  echo "=== $name"
  if "$@"; then
    passed=$((passed + 1)); echo "=== $name: ok"
  else
    failed=$((failed + 1)); echo "=== $name: FAILED"
  fi
}

build() {   # build DIR CMAKE-ARGS... (with the unit tests: without GoogleTest the build fails)
  local dir=$1; shift
  cmake -S . -B "$dir" -DKESTREL_WERROR=ON -DKESTREL_TESTS=ON "$@" >/dev/null && cmake --build "$dir" -j"$jobs"
}

unit() { tests/netns.sh bash -c "cd '$1' && ctest --output-on-failure -j$jobs" </dev/null; }
e2e() { tests/netns.sh tests/e2e/stage.sh "$root/$1/kestrel"; }

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The plain build is the one the packages carry (Release, hardened, optimised
# across files); the sanitizer build is the Debug one.
stage "build" build build -DCMAKE_BUILD_TYPE=Release
stage "unit tests" unit build
stage "end-to-end" e2e build
stage "build with sanitizers" build build-asan -DCMAKE_BUILD_TYPE=Debug -DKESTREL_SANITIZE=ON
stage "unit tests with sanitizers" unit build-asan
stage "end-to-end with sanitizers" e2e build-asan
for f in tests/stages/*.sh; do
  [ -e "$f" ] && stage "$(basename "$f" .sh)" bash "$f"
done

echo "stages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
