# NSD on 127.0.0.1:53 inside the private namespace, for the end-to-end stage
# and the benchmark. Source this file, then:
#   nsd_start CONFIG ZONE-DIR PROBE-NAME [CPU]
#       fills @STATE@ (a new temporary directory) and @ZONES@ into CONFIG,
#       starts NSD (pinned to CPU when given) and waits until it answers
#       PROBE-NAME by UDP and by TCP; 1, with its log, when it never does.
#   nsd_stop
#       stops it and all its processes, and removes its state.
# NSD runs in the foreground in a session of its own, so that its processes
# (main, xfrd, server) can be stopped together and awaited.
nsd_pid=
nsd_state=

nsd_start() {
  local config=$1 zones=$2 name=$3 cpu=${4:-}
  nsd_state=$(mktemp -d /tmp/kestrel-nsd.XXXXXX)
  sed -e "s|@STATE@|$nsd_state|g" -e "s|@ZONES@|$zones|g" "$config" > "$nsd_state/nsd.conf"
  if [ -n "$cpu" ]; then
    setsid taskset -c "$cpu" nsd -d -c "$nsd_state/nsd.conf" &
  else
    setsid nsd -d -c "$nsd_state/nsd.conf" &
  fi
  nsd_pid=$!
  for _ in $(seq 50); do
    if python3 - "$name" <<'PY' 2>/dev/null; then return 0; fi
import socket, struct, sys
qname = b"".join(bytes([len(l)]) + l.encode() for l in sys.argv[1].split(".")) + b"\0"
q = struct.pack("!HHHHHH", 7, 0, 1, 0, 0, 0) + qname + b"\x00\x01\x00\x01"
u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); u.settimeout(0.2)
u.sendto(q, ("127.0.0.1", 53)); assert u.recv(512)[:2] == q[:2]
t = socket.create_connection(("127.0.0.1", 53), timeout=0.2)
t.sendall(struct.pack("!H", len(q)) + q); assert t.recv(512)[2:4] == q[:2]
PY
    sleep 0.1
  done
  echo "NSD did not start:"
  cat "$nsd_state/nsd.log" 2>/dev/null || true
  return 1
}

nsd_stop() {
  if [ -n "$nsd_pid" ]; then
    kill -TERM -- "-$nsd_pid" 2>/dev/null || true
    wait "$nsd_pid" 2>/dev/null || true
    for _ in $(seq 100); do
      [ -z "$(ps -o pid= -s "$nsd_pid")" ] && break
      sleep 0.1
    done
    nsd_pid=
  fi
  [ -n "$nsd_state" ] && rm -rf "$nsd_state"
  nsd_state=
}
