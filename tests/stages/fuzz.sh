#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time,
# starting from its seed corpus in fuzz/corpus/TARGET. Any crash, leak,
# time-out or out-of-memory fails the stage.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKESTREL_FUZZ=ON -DKESTREL_TESTS=OFF \
  -DKESTREL_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=$(for s in fuzz/*.cpp; do basename "$s" .cpp; done)
# shellcheck disable=SC2086
cmake --build build-fuzz -j"$(nproc)" --target $targets
status=0
for source in fuzz/*.cpp; do
  target=$(basename "$source" .cpp)
  corpus=$(mktemp -d)
  [ -d "fuzz/corpus/$target" ] && cp -r "fuzz/corpus/$target/." "$corpus/"
  echo "fuzzing $target for $seconds s"
  if ! tests/netns.sh "build-fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=0 -artifact_prefix="build-fuzz/$target-" 2>build-fuzz/$target.log; then
    tail -40 "build-fuzz/$target.log"
    status=1
  fi
  rm -rf "$corpus"
done
exit $status
