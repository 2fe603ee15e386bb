#!/usr/bin/env bash
# The README's picture of tarsil, the window program on Linux: the program
# from the build tree on a private Xvfb with the sample settings, the
# pointer resting on a key with an assignment so that its hover look and
# tooltip show, the window's rectangle cut from the screen.
#
#   tools/linux_screenshot.sh [OUT.png]     (default: docs/linux-window.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/linux-window.png}

cmake --preset linux >/dev/null
cmake --build --preset linux --target tarsil >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/tarsil-shot.XXXXXX")
mkdir -p "$work/config/tarsil" "$work/run" "$(dirname "$out")"
chmod 700 "$work/run"
cp examples/set.ini "$work/config/tarsil/set.ini"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
xvfb=$!
program=""
trap 'kill $program $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
read -r -t 30 number <&3
export DISPLAY=":$number"

build/linux/src/app/qt/tarsil >/dev/null 2>&1 &
program=$!
xdotool search --sync --onlyvisible --name '^Tarsil Software$' >/dev/null
# F1 means Copy in the sample: the pointer comes to rest on it.
xdotool mousemove 130 116 sleep 0.2 mousemove 138 124 sleep 1
eval "$(xdotool search --onlyvisible --name '^Tarsil Software$' getwindowgeometry --shell)"
# Without the file's dates the same program makes the same file.
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage \
  -define png:exclude-chunks=date,time "$out"
echo "Screenshot: $out"
