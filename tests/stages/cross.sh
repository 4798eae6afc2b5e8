#!/usr/bin/env bash
# Other architectures than this machine's: the client cross-built with Debian's
# cross compilers for arm64 and for s390x (big-endian, where a byte-order fault
# in the wire code shows) and run under qemu-user. For each: the unit tests,
# with GoogleTest of that architecture, run by CTest through the emulator that
# the toolchain file names; then every end-to-end transcript, run by the same
# emulator inside a private network namespace with NSD, as for the native
# build. The transcripts mostly wait on time-outs, so the two architectures'
# runs go side by side, each in a namespace of its own.
#   tests/stages/cross.sh [ARCH...]   (ARCH: aarch64, s390x; both by default)
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
jobs=$(nproc)

arches=("$@")
[ $# -gt 0 ] || arches=(aarch64 s390x)
status=0
built=()
for arch in "${arches[@]}"; do
  dir=build-$arch
  echo "--- $arch: build"
  if ! { cmake --no-warn-unused-cli -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/$arch-linux-gnu.cmake" \
           -DKESTREL_WERROR=ON -DKESTREL_TESTS=ON >/dev/null &&
         cmake --build "$dir" -j"$jobs" >"$dir/build.log" 2>&1; }; then
    tail -n 40 "$dir/build.log"
    status=1
    continue
  fi
  file -b "$dir/kestrel"
  built+=("$arch")
  echo "--- $arch: unit tests"
  if tests/netns.sh bash -c "cd '$dir' && ctest --output-on-failure -j$jobs" >"$dir/ctest.log" 2>&1 </dev/null; then
    tail -n 3 "$dir/ctest.log"
  else
    cat "$dir/ctest.log"
    status=1
  fi
done

e2e() {   # e2e ARCH: the transcripts against build-ARCH/kestrel, to build-ARCH/e2e.log
  local dir=build-$1 emulator
  emulator=$(sed -n 's/^CMAKE_CROSSCOMPILING_EMULATOR:STRING=//p' "$dir/CMakeCache.txt" | tr ';' ' ')
  tests/netns.sh tests/e2e/stage.sh "$emulator $root/$dir/kestrel" >"$dir/e2e.log" 2>&1 </dev/null
}
pids=()
for arch in "${built[@]}"; do
  e2e "$arch" &
  pids+=($!)
done
for i in "${!built[@]}"; do
  arch=${built[$i]}
  wait "${pids[$i]}" || status=1
  echo "--- $arch: end-to-end"
  cat "build-$arch/e2e.log"
done
exit $status
