#!/usr/bin/env bash
# End-to-end run of the downloads under Wine, in a fresh prefix on a private
# Xvfb: the installer installs, upgrades while the program runs and
# uninstalls, silently, as an administrator deploys it; the program starts
# for the tray as it does at sign-in; the portable zip holds the stage folder
# and runs from wherever it is unpacked.
#
#   run_packages.sh SETUP_EXE ZIP STAGE_DIR PROBE_EXE VERSION
#
# WINEPREFIX defaults to pkg-prefix beside STAGE_DIR; it is made anew on
# every run. The last line is "N passed, M failed"; the exit status is
# non-zero when anything failed. Times of the installer are printed, never
# judged.

set -uo pipefail

if [ $# -ne 5 ]; then
  echo "usage: $0 SETUP_EXE ZIP STAGE_DIR PROBE_EXE VERSION" >&2
  exit 2
fi
for tool in Xvfb xdotool wine wineserver flock timeout cmake sha256sum; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
if [ ! -f "$1" ]; then
  echo "SKIP: no installer at $1 (makensis was missing when the build was configured)"
  exit 77
fi
setup_src=$(realpath "$1")
zip=$(realpath "$2")
stage=$(realpath "$3")
probe_src=$(realpath "$4")
version=$5

export WINEPREFIX=${WINEPREFIX:-$(dirname "$stage")/pkg-prefix}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarsil-pkg.XXXXXX")
# shellcheck source=wine_desktop.sh
. "$(dirname "$0")/wine_desktop.sh"
# Shortcuts stay inside the prefix, out of the desktop menus of this machine.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

title="Tarsil Software"
setup="$work/Tarsil-Software-$version-setup.exe"
users="$WINEPREFIX/drive_c/users/$(id -un)"
installed="$users/AppData/Local/Programs/Tarsil Software"
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tarsil Software.lnk"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
list_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarsil Software'
tarsil_pid=""

probe() { wine "$work/probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
window_state() { probe window "$title" | awk '{print $NF}'; }
state_is() { [ "$(window_state)" = "$1" ]; }

# Names and data of every value of KEY, one "name=data" a line, sorted.
# `reg query` puts four blanks around the type; names may hold blanks.
reg_values() {
  wine reg query "$1" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    \(.*\)    REG_[A-Z_]*    \(.*\)$/\1=\2/p' | LC_ALL=C sort
}
# reg_value KEY NAME: the value's data, empty when there is none.
reg_value() { reg_values "$1" | awk -v name="$2=" 'index($0, name) == 1 { print substr($0, length(name) + 1) }'; }

now() { date +%s.%N; }
seconds_since() { awk -v start="$1" -v end="$(now)" 'BEGIN { printf "%.1f s", end - start }'; }

# check LABEL EXPECTED ACTUAL: counts a difference in `problems`.
check() {
  if [ "$2" = "$3" ]; then
    note "$1: $3"
  else
    note "$1: expected '$2', got '$3'"
    problems=$((problems + 1))
  fi
}

# The files of a folder, relative to it, sorted: what a listing compares.
files_in() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
stage_files() { files_in "$stage" | grep -vx 'set.ini'; }
# listing FILE...: names on one line, sorted, for a check to print.
listing() { printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'; }

# start_program DIR ARGS...: starts DIR/Tarsil.exe from another folder, so
# that set.ini beside the executable cannot be the current folder's.
start_program() {
  local dir=$1
  shift
  (cd "$work" && exec wine "$dir/Tarsil.exe" "$@" >>"$work/tarsil.out" 2>&1) &
  tarsil_pid=$!
  wine_pids+=("$tarsil_pid")
}

# tray_command ITEM: picks Open (0), About (1) or Exit (2) from the tray
# icon's menu.
tray_command() {
  local at
  at=$(probe tray)
  xdotool mousemove $at click 3
  menu_open() { [ "$(probe menu-item "$1" 3)" != missing ]; }
  poll 5 menu_open "$1" || return 1
  at=$(probe menu-item "$1" 3)
  xdotool mousemove $at sleep 0.1 click 1
}

# ---------------------------------------------------------------- scenarios

scenario_install() {
  local problems=0 started values size
  started=$(now)
  wine "$setup" /S >"$work/setup.out" 2>&1
  check "silent installation's exit code" 0 "$?"
  note "installation took $(seconds_since "$started")"
  check "installed files" "$(listing $(stage_files) Uninstall.exe)" \
    "$(listing $(files_in "$installed" 2>/dev/null))"
  check "Tarsil.exe as built" same "$(cmp -s "$stage/Tarsil.exe" "$installed/Tarsil.exe" && echo same)"
  check "Start menu shortcut" present "$([ -f "$shortcut" ] && echo present)"
  check "start at sign-in" "\"$(winepath -w "$installed")\\Tarsil.exe\" --tray" \
    "$(reg_value "$run_key" "Tarsil Software")"
  values=$(reg_values "$list_key")
  note "installed-programs entry: $(echo "$values" | tr '\n' ';')"
  for expected in "DisplayName=Tarsil Software" "DisplayVersion=$version" "Publisher=Tarsil" \
    "DisplayIcon=$(winepath -w "$installed")\\Tarsil.exe,0" \
    "UninstallString=\"$(winepath -w "$installed")\\Uninstall.exe\""; do
    grep -qxF "$expected" <<<"$values" || { note "missing: $expected"; problems=$((problems + 1)); }
  done
  # EstimatedSize is in KiB, as the list shows it.
  size=$(reg_value "$list_key" EstimatedSize)
  check "size in the list" yes "$([ $((size)) -gt 500 ] && echo yes || echo "$size")"
  [ "$problems" = 0 ] && pass "install: per-user folder, shortcut, start at sign-in, list entry" ||
    fail "install"
}

scenario_first_run() {
  local problems=0
  start_program "$installed" --always-on
  poll 30 state_is shown || { note "no window"; problems=$((problems + 1)); }
  tray_command 2
  poll 10 dead "$tarsil_pid" || { note "still running after Exit"; problems=$((problems + 1)); }
  check "set.ini beside the installed program" yes \
    "$(tr -d '\r' <"$installed/set.ini" 2>/dev/null | grep -qx 'type=1' && echo yes)"
  check "set.ini in the folder it was started from" none "$([ -e "$work/set.ini" ] && echo there || echo none)"
  [ "$problems" = 0 ] && pass "first run: the installed program saves beside itself at Exit" ||
    fail "first run"
}

scenario_tray() {
  local problems=0 command exe second
  # Started as Windows starts it at sign-in: the Run value's command line.
  command=$(reg_value "$run_key" "Tarsil Software")
  exe=$(winepath -u "$(sed 's/^"\([^"]*\)".*/\1/' <<<"$command")")
  start_program "$(dirname "$exe")" ${command##*\" }
  poll 30 state_is hidden || problems=$((problems + 1))
  # The dialog manager's own show comes at its first idle moment.
  sleep 1.5
  check "window after a start for the tray" hidden "$(window_state)"
  # Another start for the tray leaves the running one hidden.
  (cd "$work" && exec wine "$exe" --tray >>"$work/tarsil.out" 2>&1) &
  second=$!
  poll 20 dead "$second" || { note "a second start did not end"; problems=$((problems + 1)); }
  check "window after a second start for the tray" hidden "$(window_state)"
  tray_command 0
  poll 5 state_is shown || problems=$((problems + 1))
  check "window after the tray's Open" shown "$(window_state)"
  [ "$problems" = 0 ] && pass "tray: hidden at start, the tray icon's Open shows it" || fail "tray"
}

scenario_upgrade() {
  local problems=0 started watcher
  # set.ini is read at start only: a section the user wrote into it since
  # must survive, beside what the program saves when the installer ends it.
  printf '[Kept]\r\nby=hand\r\n' >"$installed/set.ini"
  # What the installed version has: changed and retired files are replaced.
  echo changed >>"$installed/Main.ini" && : >"$installed/skin/retired.bmp"
  # The bytes the program left at its exit, taken the moment it ends.
  (
    deadline=$((SECONDS + 60))
    while alive "$tarsil_pid" && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.02; done
    dead "$tarsil_pid" && cp "$installed/set.ini" "$work/saved-at-exit.ini"
  ) &
  watcher=$!
  started=$(now)
  wine "$setup" /S >>"$work/setup.out" 2>&1
  check "silent upgrade's exit code" 0 "$?"
  note "upgrade took $(seconds_since "$started")"
  wait "$watcher"
  check "program after the upgrade" ended "$(dead "$tarsil_pid" && echo ended || echo running)"
  check "set.ini after the upgrade" "by=hand type=1" \
    "$(tr -d '\r' <"$installed/set.ini" | grep -E '^(by|type)=' | tr '\n' ' ' | sed 's/ $//')"
  check "set.ini byte for byte as the program saved it" same \
    "$(cmp -s "$work/saved-at-exit.ini" "$installed/set.ini" && echo same)"
  check "installed files" "$(listing $(stage_files) Uninstall.exe set.ini)" \
    "$(listing $(files_in "$installed"))"
  check "Main.ini as built" same "$(cmp -s "$stage/Main.ini" "$installed/Main.ini" && echo same)"
  check "start at sign-in kept" yes "$([ -n "$(reg_value "$run_key" "Tarsil Software")" ] && echo yes)"
  [ "$problems" = 0 ] && pass "upgrade: the running program saves and ends, set.ini stays" ||
    fail "upgrade"
}

# An upgrade with the program ended: the user's choice not to start at
# sign-in and set.ini stay as they are.
scenario_upgrade_keeps_choice() {
  local problems=0 before started
  before=$(sha256sum <"$installed/set.ini")
  wine reg delete "$run_key" /v "Tarsil Software" /f >/dev/null 2>&1
  started=$(now)
  wine "$setup" /S >>"$work/setup.out" 2>&1
  check "silent upgrade's exit code" 0 "$?"
  note "upgrade with the program ended took $(seconds_since "$started")"
  check "start at sign-in after the user turned it off" "" "$(reg_value "$run_key" "Tarsil Software")"
  check "set.ini byte for byte" "$before" "$(sha256sum <"$installed/set.ini")"
  # Back on, for the uninstaller to remove.
  wine reg add "$run_key" /v "Tarsil Software" /d "\"$(winepath -w "$installed")\\Tarsil.exe\" --tray" \
    /f >/dev/null 2>&1
  [ "$problems" = 0 ] && pass "upgrade: keeps the choice not to start at sign-in, and set.ini" ||
    fail "upgrade keeps the choice"
}

scenario_zip() {
  local problems=0 unpacked="$work/my programs" folder="Tarsil-Software-$version"
  check "zip entries" "$(listing $( (stage_files; echo README.txt) | sed "s|^|$folder/|"))" \
    "$(listing $(cmake -E tar tf "$zip" | grep -v '/$'))"
  mkdir -p "$unpacked" && (cd "$unpacked" && cmake -E tar xf "$zip")
  check "unpacked files as staged" same \
    "$(for f in $(stage_files); do cmp -s "$stage/$f" "$unpacked/$folder/$f" || echo "$f differs"; done |
      grep -q . || echo same)"
  check "the text file names the version" yes \
    "$(head -n 1 "$unpacked/$folder/README.txt" | grep -qF "$version" && echo yes)"
  start_program "$unpacked/$folder" --always-on
  poll 30 state_is shown || { note "no window"; problems=$((problems + 1)); }
  tray_command 2
  poll 10 dead "$tarsil_pid" || { note "still running after Exit"; problems=$((problems + 1)); }
  check "set.ini in the unpacked folder" yes "$([ -f "$unpacked/$folder/set.ini" ] && echo yes)"
  [ "$problems" = 0 ] && pass "zip: the stage folder and the text file, runnable where unpacked" ||
    fail "zip"
}

scenario_uninstall() {
  local problems=0 before
  before=$(sha256sum <"$installed/set.ini")
  wine "$installed/Uninstall.exe" /S >"$work/uninstall.out" 2>&1
  check "silent uninstall's exit code" 0 "$?"
  # The uninstaller runs on from a copy of itself, which the call above does
  # not wait for.
  only_settings_left() { [ "$(listing $(files_in "$installed"))" = set.ini ]; }
  poll 30 only_settings_left
  check "left in the folder" "set.ini" "$(listing $(files_in "$installed"))"
  check "set.ini byte for byte" "$before" "$(sha256sum <"$installed/set.ini")"
  check "Start menu shortcut" gone "$([ -e "$shortcut" ] && echo there || echo gone)"
  check "start at sign-in" "" "$(reg_value "$run_key" "Tarsil Software")"
  check "installed-programs entry" "" "$(reg_values "$list_key")"
  [ "$problems" = 0 ] && pass "uninstall: everything goes but set.ini" || fail "uninstall"
}

main() {
  # A fresh prefix: nothing of an earlier run may pass for the installer's work.
  timeout 20 wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX"
  e2e_start_x || { fail "setup: Xvfb did not start"; return; }
  local started
  started=$(now)
  e2e_start_wine packages 1024x768 || { fail "setup: Wine"; return; }
  cp "$setup_src" "$setup" && cp "$probe_src" "$work/probe.exe" || { fail "setup: files"; return; }
  note "fresh prefix in $(seconds_since "$started")"
  scenario_install
  scenario_first_run
  scenario_tray
  scenario_upgrade
  scenario_upgrade_keeps_choice
  scenario_zip
  scenario_uninstall
}

e2e_hold_prefix
main 9>&-
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
