#!/usr/bin/env bash
# Configures and builds Tovo. Usage: scripts/build.sh [--sanitize] [cmake --build args...]
# The plain build goes to build/, the sanitizer build to build-san/.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir=build-san
  opts=(-DCMAKE_BUILD_TYPE=Debug -DTOVO_SANITIZE=ON -DTOVO_BUILD_BENCH=OFF)
fi
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" "${generator[@]}" "${opts[@]}"
fi
cmake --build "$dir" -j "${TOVO_JOBS:-2}" "$@"
