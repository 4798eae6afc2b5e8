#!/usr/bin/env bash
# The end-to-end stage, run inside tests/netns.sh: starts the peers, runs every
# transcript against one build of the client, stops the peers.
#   tests/e2e/stage.sh EXE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
python3 "$here/run_e2e.py" --exe "$exe"
