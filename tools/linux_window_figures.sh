#!/usr/bin/env bash
# Measures tarsil, the window program on Linux, on a private Xvfb: the time
# from its start to its window visible (10 starts), its memory once idle
# (proportional set size, from /proc/PID/smaps_rollup) and the time of a
# hover update (build/linux/bench/window_hover_time). Prints the figures.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build --preset linux --target tarsil window_hover_time >/dev/null
tarsil=$PWD/build/linux/src/app/qt/tarsil
work=$(mktemp -d "${TMPDIR:-/tmp}/tarsil-figures.XXXXXX")
mkdir -p "$work/config" "$work/run"
chmod 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
read -r -t 30 number <&3
export DISPLAY=":$number"

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
starts=()
pss=()
for _ in $(seq 1 10); do
  begin=$(date +%s%N)
  "$tarsil" >/dev/null 2>&1 &
  program=$!
  until xdotool search --onlyvisible --name '^Tarsil Software$' >/dev/null 2>&1; do :; done
  starts+=($((($(date +%s%N) - begin) / 1000000)))
  sleep 3
  pss+=("$(awk '/^Pss:/ {print $2}' "/proc/$program/smaps_rollup")")
  kill "$program"
  wait "$program" || true
done
echo "start to window visible: median $(printf '%s\n' "${starts[@]}" | median) ms," \
  "slowest $(printf '%s\n' "${starts[@]}" | sort -n | tail -1) ms (10 starts)"
echo "memory once idle (PSS): median $(printf '%s\n' "${pss[@]}" | median) kB"
build/linux/bench/window_hover_time "$(dirname "$tarsil")"
