#!/usr/bin/env bash
# The benchmark (`make bench`): builds kestrel and the benchmark programs in
# build-bench (Release), then, inside the private network namespace with NSD on
# 127.0.0.1:53 serving bench/bench.test.zone, compares lookups with the floor,
# kdig and drill (bench/bench.py), counts the instructions of one more lookup
# and of a start and an exit (bench/costs.py), and times decoding and printing
# of captured replies (decode_bench). Not part of the test command.
#   bench/run.sh             build and run everything
#   bench/run.sh capture     rewrite bench/captured_replies.h from NSD
# ROUNDS (default 11) sets the rounds of the lookup benchmark. NSD and every
# tool run on one CPU, BENCH_CPU (default the last one; "none" lets them move):
# on a small virtual machine a wake-up across CPUs costs more than a lookup,
# and where the scheduler happens to put the two ends would decide the figures.
set -euo pipefail
bench=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$bench")
build=$root/build-bench
mode=${1:-all}

if [ "${KESTREL_IN_NETNS:-}" != 1 ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTREL_TESTS=OFF -DKESTREL_BENCH=ON >/dev/null
  cmake --build "$build" -j2 >/dev/null
  exec "$root/tests/netns.sh" "$bench/run.sh" "$mode"
fi

# NSD: one server process, no rate limiting, pinned with the tools.
source "$root/tests/nsd.sh"
trap nsd_stop EXIT
cpu=${BENCH_CPU:-$(( $(nproc) - 1 ))}
nsd_start "$bench/nsd.conf" "$bench" ns.bench.test "$([ "$cpu" = none ] || echo "$cpu")"

if [ "$mode" = capture ]; then
  python3 "$bench/capture_replies.py"
  exit 0
fi

echo "== lookups: kestrel, kdig, drill and the floor =="
python3 "$bench/bench.py" --kestrel "$build/kestrel" --floor "$build/bench_floor" --rounds "${ROUNDS:-11}" --cpu "$cpu"
echo
echo "== instructions per lookup, start-up and exit =="
python3 "$bench/costs.py" --kestrel "$build/kestrel" --prompt "$build/bench_prompt"
echo
echo "== decoding and printing captured replies =="
# On the benchmark's CPU too, nine times over, the repetitions of all the
# replies interleaved in a random order: a burst of load from elsewhere on a
# shared machine then falls on a few repetitions of each reply, not on all of
# one. The median is judged; the least time is shown beside it, as what the
# code costs when nothing else runs (other load only ever adds time).
json=$(mktemp /tmp/kestrel-decode.XXXXXX)
pin=()
[ "$cpu" = none ] || pin=(taskset -c "$cpu")
"${pin[@]}" "$build/decode_bench" --benchmark_min_time=0.1 --benchmark_repetitions=9 \
  --benchmark_enable_random_interleaving=true \
  --benchmark_display_aggregates_only=true --benchmark_out="$json" --benchmark_out_format=json </dev/null
python3 - "$json" <<'PY'
import json, statistics, sys
times = {}   # the ns per octet of each repetition of decode + print, by reply
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b["name"].startswith("decode_print/") and b["run_type"] == "iteration":
        times.setdefault((b["family_index"], b["run_name"].split("/")[1]), []).append(b["real_time"] / b["octets"])
for (_, reply), ns in sorted(times.items()):   # the replies in their own order; the time unit is ns
    median = statistics.median(ns)
    print("decode + print %-14s %5.2f ns per octet, median of %d (least %.2f; target at most 4): %s"
          % (reply, median, len(ns), min(ns), "met" if median <= 4 else "MISSED"))
PY
rm -f "$json"
