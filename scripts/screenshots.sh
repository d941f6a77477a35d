#!/usr/bin/env bash
# Screenshots of Tovo as a user sees it, under Xvfb: a demo script connected to
# the scripted test instance, with replies in the console and the grid, and
# disconnected. Needs xvfb-run, xdotool and ImageMagick's import.
# Usage: scripts/screenshots.sh [OUTDIR]   (after scripts/build.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/screenshots}
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is not installed" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/scripts/screenshots/demo.q" "$work/demo.q"

# One scene: start instance and Tovo, run the given steps, take the screen.
# Steps: N runs line N of demo.q (Ctrl+G N, Ctrl+Enter); click:X,Y; key:KEYS.
scene() {
  local name=$1; shift
  cat > "$work/scene.sh" <<SCENE
export XDG_CONFIG_HOME="$work/cfg-$name"
"$root/build/tests/instance/tovo-test-instance" "$root/scripts/screenshots/instance.txt" > "$work/instance.log" 2>&1 &
ipid=\$!
sleep 0.5
"$root/build/src/app/tovo" "--homedir:$work" --server:127.0.0.1:5057 "$work/demo.q" 2>/dev/null &
pid=\$!
sleep 2
xdotool mousemove 700 300 click 1; sleep 0.3
for step in $*; do
  case \$step in
    key:*) xdotool key \${step#key:}; sleep 0.8;;
    click:*) xy=\${step#click:}; xdotool mousemove \${xy%,*} \${xy#*,} click 1; sleep 0.8;;
    *) xdotool key ctrl+g; sleep 0.3; xdotool type "\$step"; xdotool key Return; sleep 0.3
       xdotool key ctrl+Return; sleep 0.8;;
  esac
done
import -window root "$out/$name.png"
kill \$pid \$ipid 2>/dev/null; wait 2>/dev/null || true
SCENE
  xvfb-run -a -s "-screen 0 1200x800x24" bash "$work/scene.sh" 2>&1 | grep -v -e XGetInputFocus -e XDG_RUNTIME || true
  echo "$out/$name.png"
}

scene connected 7 4 6 click:35,737      # error, list and dictionary in the console
scene disconnected 4 click:35,737 click:675,35
scene keyed-table 5
scene dictionary 6
scene million-rows 9 click:300,650 key:ctrl+End
