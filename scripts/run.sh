#!/usr/bin/env bash
# Sets up, builds and launches Tovo. Arguments are passed to tovo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh --target tovo
exec ./build/src/app/tovo "$@"
