#!/usr/bin/env bash
# Sets up, builds and launches Tovo. Arguments are passed to tovo.
#
# Unless --no-demo or --server: is given, a demo instance (tovo-test-instance
# serving demo/demo.script on 127.0.0.1, port TOVO_DEMO_PORT, default 15001)
# runs beside Tovo and stops when Tovo exits. Its entry is added to the server
# list (folder "Demo" in Servers.cfg in Tovo's home folder) when the list has no
# Demo folder yet. Tovo connects to it unless the list holds servers of the
# user's own (then Tovo reconnects to the server of the last session).
#
# TOVO_SKIP_BUILD=1 skips setup and build and takes the programs from
# TOVO_EXE and TOVO_INSTANCE_EXE (default: build/), as the launch test does.
set -euo pipefail
cd "$(dirname "$0")/.."

demo=1
args=()
home=""
files=0
for a in "$@"; do
  case "$a" in
    --no-demo) demo=0; continue ;;
    --server:*) demo=0 ;;
    --homedir:*) home="${a#--homedir:}" ;;
    -*) ;;
    *) files=1 ;;
  esac
  args+=("$a")
done

if [ -z "${TOVO_SKIP_BUILD:-}" ]; then
  bash scripts/setup.sh
  if [ "$demo" = 1 ]; then
    bash scripts/build.sh --target tovo tovo-test-instance
  else
    bash scripts/build.sh --target tovo
  fi
fi
tovo="${TOVO_EXE:-./build/src/app/tovo}"
instance="${TOVO_INSTANCE_EXE:-./build/tests/instance/tovo-test-instance}"

if [ "$demo" = 0 ]; then
  exec "$tovo" "${args[@]}"
fi

# Tovo's home folder: --homedir:, else the program's folder when writable, else
# the per-user data folder (as Tovo itself decides).
if [ -z "$home" ]; then
  if [ -w "$(dirname "$tovo")" ]; then
    home="$(dirname "$tovo")"
  else
    home="${XDG_DATA_HOME:-$HOME/.local/share}/Velmar/Tovo"
  fi
fi
home="${home%/}"
port="${TOVO_DEMO_PORT:-15001}"
symbol="\`:127.0.0.1:${port}::"

log="$(mktemp "${TMPDIR:-/tmp}/tovo-demo.XXXXXX")"
instance_pid=""
tovo_pid=""
cleanup() {
  if [ -n "$tovo_pid" ] && kill -0 "$tovo_pid" 2>/dev/null; then kill "$tovo_pid" 2>/dev/null || true; wait "$tovo_pid" 2>/dev/null || true; fi
  if [ -n "$instance_pid" ] && kill -0 "$instance_pid" 2>/dev/null; then kill "$instance_pid" 2>/dev/null || true; wait "$instance_pid" 2>/dev/null || true; fi
  rm -f "$log"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$instance" --port "$port" demo/demo.script >"$log" 2>&1 &
instance_pid=$!
for _ in $(seq 1 100); do
  if grep -q '^listening on' "$log" 2>/dev/null || ! kill -0 "$instance_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if ! grep -q '^listening on' "$log" 2>/dev/null; then
  echo "run.sh: the demo instance did not start (port $port taken? set TOVO_DEMO_PORT); starting Tovo alone:" >&2
  cat "$log" >&2 || true
  kill "$instance_pid" 2>/dev/null || true
  wait "$instance_pid" 2>/dev/null || true
  instance_pid=""
  "$tovo" "${args[@]}" &
  tovo_pid=$!
  wait "$tovo_pid"
  exit $?
fi
echo "run.sh: demo instance on 127.0.0.1:$port (pid $instance_pid)" >&2

# The server list: entry lines start with a backquote; the name path follows
# the connection symbol. The Demo folder is appended only when absent.
mkdir -p "$home"
list="$home/Servers.cfg"
touch "$list"
first=0
if ! grep -Eq '^[[:space:]]*`+[^`]*`Demo`' "$list"; then
  first=1
  tmp="$list.demo~tmp"
  cp "$list" "$tmp"
  if [ -s "$tmp" ] && [ "$(tail -c 1 "$tmp" | od -An -c | tr -d ' ')" != '\n' ]; then printf '\r\n' >>"$tmp"; fi
  printf '%s`Demo`trades and quotes\r\n' "$symbol" >>"$tmp"
  mv -f "$tmp" "$list"
fi
own=0
if grep -E '^[[:space:]]*`' "$list" | grep -Evq '^[[:space:]]*`+[^`]*`Demo`'; then own=1; fi

extra=()
if [ "$own" = 0 ]; then extra+=("--server:$symbol"); fi
if [ "$first" = 1 ] && [ "$files" = 0 ]; then extra+=("$PWD/demo/demo.q"); fi
echo "run.sh: $tovo ${args[*]} ${extra[*]}" >&2
"$tovo" "${args[@]}" "${extra[@]}" &
tovo_pid=$!
set +e
wait "$tovo_pid"
status=$?
set -e
tovo_pid=""
exit "$status"
