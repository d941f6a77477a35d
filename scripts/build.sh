#!/usr/bin/env bash
# Configures and builds Tovo. Usage: scripts/build.sh [--sanitize|--release] [cmake --build args...]
# The plain build goes to build/, the sanitizer build to build-san/, the
# optimised Release build to build-release/. In the environment, TOVO_WERROR=ON
# makes warnings errors, TOVO_UNITY=ON compiles in batches and TOVO_BUILD_TYPE
# sets the plain build's type (CI sets all three).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
opts=(-DCMAKE_BUILD_TYPE="${TOVO_BUILD_TYPE:-RelWithDebInfo}")
if [ "${1:-}" = "--sanitize" ]; then
  shift
  dir=build-san
  opts=(-DCMAKE_BUILD_TYPE=Debug -DTOVO_SANITIZE=ON -DTOVO_BUILD_BENCH=OFF)
elif [ "${1:-}" = "--release" ]; then
  shift
  dir=build-release
  opts=(-DCMAKE_BUILD_TYPE=Release)
fi
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if command -v ccache >/dev/null 2>&1; then
  opts+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ -n "${TOVO_WERROR:-}" ]; then
  opts+=(-DTOVO_WERROR="$TOVO_WERROR")
fi
if [ -n "${TOVO_UNITY:-}" ]; then
  opts+=(-DTOVO_UNITY="$TOVO_UNITY")
fi
if [ ! -f "$dir/CMakeCache.txt" ] || [ -n "${TOVO_WERROR:-}${TOVO_UNITY:-}${TOVO_BUILD_TYPE:-}" ]; then
  cmake -S . -B "$dir" "${generator[@]}" "${opts[@]}"
fi
cmake --build "$dir" -j "${TOVO_JOBS:-2}" "$@"
