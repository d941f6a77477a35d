#!/usr/bin/env bash
# Sets up, builds and launches Tovo with its demo instance (tovo --demo): a
# scripted stand-in for kdb+ on a free port of 127.0.0.1, listed as "Demo" in
# the server list, connected, with demo/demo.q open; it stops with Tovo.
# Arguments are passed to tovo; --no-demo starts Tovo alone.
set -euo pipefail
cd "$(dirname "$0")/.."
demo=(--demo)
args=()
for a in "$@"; do
  if [ "$a" = "--no-demo" ]; then demo=(); else args+=("$a"); fi
done
bash scripts/setup.sh
bash scripts/build.sh --target tovo tovo-test-instance
exec ./build/src/app/tovo "${demo[@]}" "${args[@]}"
