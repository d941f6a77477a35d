#!/usr/bin/env bash
# Layering check: includes point only down the subsystem layers
#   kdb <- core <- connect, query <- editor, results, chart, explorer,
#   debugger, watch, files <- app, cli
# and kdb/ includes no Qt. Prints each offending include; exits 1 when any.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
  case "$1" in
    kdb) echo 0 ;;
    core) echo 1 ;;
    connect | query) echo 2 ;;
    editor | results | chart | explorer | debugger | watch | files) echo 3 ;;
    app | cli) echo 4 ;;
    *) echo "" ;;
  esac
}

bad=0
report() {
  echo "layering: $1" >&2
  bad=1
}

# kdb/ is plain C++: no Qt and nothing from src/.
while IFS= read -r hit; do
  report "Qt in kdb/: $hit"
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]|qt)' kdb --include='*.h' --include='*.cpp' || true)

for dir in kdb src/*/; do
  dir=${dir%/}
  sub=${dir#src/}
  own=$(rank "$sub")
  if [ -z "$own" ]; then
    report "$dir is no known subsystem: add it to scripts/check-layering.sh"
    continue
  fi
  while IFS=: read -r file line include; do
    target=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$include")
    theirs=$(rank "$target")
    [ -z "$theirs" ] && continue # not one of ours (a local header, Qsci/...)
    if [ "$theirs" -gt "$own" ]; then
      report "$file:$line: $sub includes the higher $target: $include"
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$dir" --include='*.h' --include='*.cpp' || true)
done

if [ "$bad" -ne 0 ]; then
  echo "layering check failed" >&2
  exit 1
fi
echo "layering check passed"
