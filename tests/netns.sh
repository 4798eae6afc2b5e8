#!/usr/bin/env bash
# Runs a command inside a private network namespace that holds only loopback,
# with its own /etc/resolv.conf naming 127.0.0.1, so that nothing a test does,
# the client's start-up discovery included, can reach another address.
#   tests/netns.sh COMMAND [ARG...]
set -euo pipefail
if [ "${KESTREL_IN_NETNS:-}" = 1 ]; then
  exec "$@"
fi
resolv=$(mktemp /tmp/kestrel-resolv.XXXXXX)
trap 'rm -f "$resolv"' EXIT
echo "nameserver 127.0.0.1" > "$resolv"
chmod 644 "$resolv"
KESTREL_IN_NETNS=1 KESTREL_RESOLV="$resolv" unshare -n -m bash -c '
  set -e
  ip link set lo up
  mount --bind "$KESTREL_RESOLV" /etc/resolv.conf
  exec "$@"' bash "$@"
