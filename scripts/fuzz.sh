#!/usr/bin/env bash
# Builds a libFuzzer target with clang (in build-fuzz/) and runs it.
# Usage: scripts/fuzz.sh d9|decompress|binary [seconds, default 60] [extra libFuzzer args...]
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:?usage: scripts/fuzz.sh d9|decompress|binary [seconds]}"
seconds="${2:-60}"
shift $(( $# >= 2 ? 2 : 1 ))

dir=build-fuzz
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOVO_BUILD_FUZZ=ON -DTOVO_SANITIZE=ON -DTOVO_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$dir" --target "fuzz_$target" -j "${TOVO_JOBS:-2}"

corpus="$dir/corpus-$target"
mkdir -p "$corpus"
seed() { printf '%s' "$2" | xxd -r -p > "$corpus/seed-$1"; }
if [ "$target" = binary ]; then
  # Seeds: binary result files of both layouts.
  seed longs fe200700000000000300000000000000010000000000000002000000000000000300000000000000
  seed counted fe200600020000000500000006000000
  seed symbols fe200b00020000006100626300
  seed table ff016200630b0002000000610062000000020000000600010000000200000006000100000003000000
  seed dict ff01630b0002000000610062000600020000000200000003000000
  seed lambda ff016400000a00050000007b782b797d
else
# Seeds: KX's published example messages and one compressed frame.
seed int 010000000d000000fa01000000
seed dict 0100000021000000630b0002000000610062000600020000000200000003000000
seed table 010000002f0000006200630b0002000000610062000000020000000600010000000200000006000100000003000000
seed keyed 010000003f000000636200630b00010000006100000001000000060001000000020000006200630b0001000000620000000100000006000100000003000000
seed lambda 01000000160000006464000a00050000007b782b797d
seed frame 010101001100000016000000046162030a
fi

exec "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 "$@" "$corpus"
