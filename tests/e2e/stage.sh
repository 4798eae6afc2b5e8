#!/usr/bin/env bash
# The end-to-end stage, run inside tests/netns.sh: starts the peers, runs every
# transcript against one build of the client, stops the peers.
#   tests/e2e/stage.sh EXE [CASE...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tests=$(dirname "$here")
exe=$1

source "$tests/nsd.sh"
trap nsd_stop EXIT
nsd_start "$tests/nsd/nsd.conf" "$tests/zones" kestrel.test

python3 "$here/run_e2e.py" --exe "$exe" "${@:2}"
