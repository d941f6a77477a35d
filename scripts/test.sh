#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite. With --sanitize, the build
# with AddressSanitizer and UndefinedBehaviorSanitizer in build-san/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-san
  bash scripts/build.sh --sanitize
else
  bash scripts/build.sh
fi
ctest --test-dir "$dir" --output-on-failure -j "${TOVO_JOBS:-2}"
