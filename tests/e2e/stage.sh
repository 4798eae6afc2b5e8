#!/usr/bin/env bash
# The end-to-end stage, run inside tests/netns.sh: starts the peers, runs every
# transcript against one build of the client, stops the peers.
#   tests/e2e/stage.sh EXE [CASE...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tests=$(dirname "$here")
exe=$1

# NSD on 127.0.0.1:53, serving tests/zones, its state in a temporary directory.
# It runs in the foreground in a session of its own, so that all its processes
# (main, xfrd, server) can be stopped together and awaited.
state=$(mktemp -d /tmp/kestrel-nsd.XXXXXX)
nsd_pid=
stop_nsd() {
  if [ -n "$nsd_pid" ]; then
    kill -TERM -- "-$nsd_pid" 2>/dev/null || true
    wait "$nsd_pid" 2>/dev/null || true
    for _ in $(seq 100); do
      [ -z "$(ps -o pid= -s "$nsd_pid")" ] && break
      sleep 0.1
    done
  fi
  rm -rf "$state"
}
trap stop_nsd EXIT
sed -e "s|@STATE@|$state|g" -e "s|@ZONES@|$tests/zones|g" "$tests/nsd/nsd.conf" > "$state/nsd.conf"
setsid nsd -d -c "$state/nsd.conf" &
nsd_pid=$!
# Ready when it answers for its zone over both transports.
ready=no
for _ in $(seq 50); do
  if python3 - <<'PY' 2>/dev/null; then ready=yes; break; fi
import socket, struct
q = struct.pack("!HHHHHH", 7, 0, 1, 0, 0, 0) + b"\x07kestrel\x04test\x00\x00\x06\x00\x01"
u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); u.settimeout(0.2)
u.sendto(q, ("127.0.0.1", 53)); assert u.recv(512)[:2] == q[:2]
t = socket.create_connection(("127.0.0.1", 53), timeout=0.2)
t.sendall(struct.pack("!H", len(q)) + q); assert t.recv(512)[2:4] == q[:2]
PY
  sleep 0.1
done
if [ "$ready" != yes ]; then
  echo "NSD did not start:"
  cat "$state/nsd.log" 2>/dev/null || true
  exit 1
fi

python3 "$here/run_e2e.py" --exe "$exe" "${@:2}"
