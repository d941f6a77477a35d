#!/usr/bin/env bash
# Start-up time of tovo: from process start to the first idle moment of the
# shown main window, over N launches (default 10) under Xvfb or offscreen.
# Usage: bench/startup.sh [path/to/tovo] [N]
set -euo pipefail
tovo=${1:-build/src/app/tovo}
runs=${2:-10}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_CONFIG_HOME="$home/config" TOVO_QUIT_WHEN_IDLE=1
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$tovo" "--homedir:$home" 2>/dev/null
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "launches: ${times[*]} ms"
echo "median (process start to idle window, then exit): ${sorted[$((runs / 2))]} ms"
