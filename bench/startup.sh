#!/usr/bin/env bash
# Start-up of tovo: from the moment the process is started to the end of the
# main window's first paint, and the resident memory one idle second later,
# over N launches (default 10) each, next to the same figures of a bare Qt
# main window (startup_baseline) launched alternately in the same run.
# Runs under the platform of QT_QPA_PLATFORM, or under Xvfb when there is no
# display and xvfb-run is at hand.
# Usage: bench/startup.sh [build dir] [N]
set -euo pipefail
build=${1:-build}
runs=${2:-10}
tovo=$build/src/app/tovo
baseline=$build/bench/startup_baseline
if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${STARTUP_UNDER_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
  STARTUP_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$@"
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_CONFIG_HOME="$home/config" TOVO_REPORT_FIRST_PAINT=1

# One launch: "<ms to painted> <resident MiB>".
launch() {
  local start out painted resident
  start=$(date +%s%N)
  out=$("$@" 2>&1 >/dev/null || true)
  painted=$(sed -n 's/^painted at \([0-9]*\) ns.*/\1/p' <<<"$out")
  resident=$(sed -n 's/^resident \([0-9]*\) bytes/\1/p' <<<"$out")
  if [ -z "$painted" ] || [ -z "$resident" ]; then
    echo "no report from $1: $out" >&2
    exit 1
  fi
  echo "$(( (painted - start) / 1000000 )) $(( resident / 1048576 ))"
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }

launch "$tovo" "--homedir:$home" >/dev/null # a first start writes its files
tovo_ms=() tovo_mib=() base_ms=() base_mib=()
for _ in $(seq "$runs"); do
  read -r ms mib < <(launch "$tovo" "--homedir:$home")
  tovo_ms+=("$ms") tovo_mib+=("$mib")
  read -r ms mib < <(launch "$baseline")
  base_ms+=("$ms") base_mib+=("$mib")
done
echo "tovo     painted: ${tovo_ms[*]} ms; resident: ${tovo_mib[*]} MiB"
echo "baseline painted: ${base_ms[*]} ms; resident: ${base_mib[*]} MiB"
tm=$(median "${tovo_ms[@]}") bm=$(median "${base_ms[@]}")
echo "median start -> window painted: tovo $tm ms, bare Qt window $bm ms (tovo's own $(( tm - bm )) ms)"
echo "median idle resident: tovo $(median "${tovo_mib[@]}") MiB, bare Qt window $(median "${base_mib[@]}") MiB"
