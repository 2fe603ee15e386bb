#!/usr/bin/env bash
# The downloads under Wine, in a fresh prefix: the installer silently
# installs, upgrades (while the program runs) and uninstalls; the program
# starts for the tray as at sign-in; the zip holds the stage folder and runs
# where it is unpacked. Times are printed, never judged.
#
#   run_packages.sh SETUP_EXE ZIP STAGE_DIR PROBE_EXE VERSION

set -uo pipefail

if [ $# -ne 5 ]; then
  echo "usage: $0 SETUP_EXE ZIP STAGE_DIR PROBE_EXE VERSION" >&2
  exit 2
fi
for tool in Xvfb xdotool wine wineserver flock timeout cmake sha256sum; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -f "$1" ] || { echo "SKIP: no $1 (makensis was missing at configure time)"; exit 77; }
setup_src=$(realpath "$1") zip=$(realpath "$2") stage=$(realpath "$3") probe_src=$(realpath "$4")
version=$5

export WINEPREFIX=${WINEPREFIX:-$(dirname "$stage")/pkg-prefix}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarsil-pkg.XXXXXX")
# shellcheck source=wine_desktop.sh
. "$(dirname "$0")/wine_desktop.sh"
# Shortcuts stay inside the prefix, out of this machine's desktop menus.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

setup="$work/Tarsil-Software-$version-setup.exe"
users="$WINEPREFIX/drive_c/users/$(id -un)"
installed="$users/AppData/Local/Programs/Tarsil Software"
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tarsil Software.lnk"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
list_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarsil Software'
tarsil_pid=""

probe() { wine "$work/probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
window_state() { probe window "Tarsil Software" | awk '{print $NF}'; }
state_is() { [ "$(window_state)" = "$1" ]; }
# "name=data" for each value of KEY; `reg query` puts four blanks around the
# type, and names may hold blanks.
reg_values() {
  wine reg query "$1" 2>/dev/null | tr -d '\r' | sed -n 's/^    \(.*\)    REG_[A-Z_]*    \(.*\)$/\1=\2/p'
}
sign_in_command() { reg_values "$run_key" | sed -n 's/^Tarsil Software=//p'; }
# conclude NAME: passes NAME when no check of the scenario differed.
conclude() { if [ "$problems" = 0 ]; then pass "$1"; else fail "$1"; fi; }
now() { date +%s.%N; }
seconds_since() { awk -v start="$1" -v end="$(now)" 'BEGIN { printf "%.1f s", end - start }'; }
# Files of a folder, relative to it, on one line.
listing() { (cd "$1" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs); }
# The stage folder as shipped: a run from there may have left set.ini.
shipped() { listing "$stage" | sed 's/ set\.ini / /; s/ set\.ini$//'; }
with() { printf '%s\n' $1 "${@:2}" | LC_ALL=C sort | xargs; }
settings() { tr -d '\r' <"$installed/set.ini" 2>/dev/null | grep -E "^($1)=" | xargs; }
# run_setup LABEL EXE ARGS...: runs an installer or uninstaller to its end.
run_setup() {
  local label=$1 started
  shift
  started=$(now)
  wine "$@" >>"$work/setup.out" 2>&1
  check "$label: exit code" 0 "$?"
  note "$label took $(seconds_since "$started")"
}

# start_program DIR ARGS...: DIR/Tarsil.exe started from another folder.
start_program() {
  local dir=$1
  shift
  (cd "$work" && exec wine "$dir/Tarsil.exe" "$@" >>"$work/tarsil.out" 2>&1) &
  tarsil_pid=$!
  wine_pids+=("$tarsil_pid")
}

# tray_command ITEM: Open (0), About (1) or Exit (2) from the tray icon's menu.
tray_command() {
  xdotool mousemove $(probe tray) click 3
  menu_open() { [ "$(probe menu-item "$1" 3)" != missing ]; }
  poll 5 menu_open "$1" && xdotool mousemove $(probe menu-item "$1" 3) sleep 0.1 click 1
}

exit_through_tray() {
  tray_command 2
  poll 10 dead "$tarsil_pid" || { note "still running after Exit"; problems=$((problems + 1)); }
}

# ---------------------------------------------------------------- scenarios

scenario_install() {
  local problems=0 entry size
  run_setup "silent install" "$setup" /S
  check "installed files" "$(with "$(shipped)" Uninstall.exe)" "$(listing "$installed")"
  check "Start menu shortcut" present "$([ -f "$shortcut" ] && echo present)"
  check "start at sign-in" "\"$(winepath -w "$installed")\\Tarsil.exe\" --tray" "$(sign_in_command)"
  entry=$(reg_values "$list_key")
  for expected in "DisplayName=Tarsil Software" "DisplayVersion=$version" "Publisher=Tarsil" \
    "DisplayIcon=$(winepath -w "$installed")\\Tarsil.exe,0" \
    "UninstallString=\"$(winepath -w "$installed")\\Uninstall.exe\""; do
    grep -qxF "$expected" <<<"$entry" || check "installed-programs entry" "$expected" missing
  done
  size=$(sed -n 's/^EstimatedSize=//p' <<<"$entry")
  check "size in the list, KiB" more "$([ $((size)) -gt 500 ] && echo more || echo "$size")"
  conclude "install: per-user folder, shortcut, start at sign-in, list entry"
}

scenario_first_run() {
  local problems=0
  start_program "$installed" --always-on
  poll 30 state_is shown || check "window" shown "$(window_state)"
  exit_through_tray
  check "set.ini beside the installed program" type=1 "$(settings type)"
  check "set.ini where it was started from" none "$([ -e "$work/set.ini" ] && echo there || echo none)"
  conclude "first run: the installed program saves beside itself at Exit"
}

scenario_tray() {
  local problems=0 command exe second
  # Started with the Run value's command line, as at sign-in.
  command=$(sign_in_command)
  exe=$(winepath -u "$(sed 's/^"\([^"]*\)".*/\1/' <<<"$command")")
  start_program "$(dirname "$exe")" ${command##*\" }
  poll 30 state_is hidden
  sleep 1.5  # the dialog manager's own show comes at its first idle moment
  check "window after a start for the tray" hidden "$(window_state)"
  (cd "$work" && exec wine "$exe" --tray >>"$work/tarsil.out" 2>&1) &
  second=$!
  poll 20 dead "$second" || check "a second start for the tray" ended running
  check "window after a second start for the tray" hidden "$(window_state)"
  tray_command 0
  poll 5 state_is shown
  check "window after the tray's Open" shown "$(window_state)"
  conclude "tray: hidden at start, the tray icon's Open shows it"
}

scenario_upgrade() {
  local problems=0 watcher
  # The program follows set.ini: a file written since, by hand, is what the
  # program keeps as the installer ends it (nothing was changed in it).
  printf '[Kept]\r\nby=hand\r\n' >"$installed/set.ini"
  echo changed >>"$installed/Main.ini" && : >"$installed/skin/retired.bmp"
  # The bytes the program leaves, taken the moment it ends.
  (poll 60 dead "$tarsil_pid" && cp "$installed/set.ini" "$work/saved-at-exit.ini") &
  watcher=$!
  run_setup "silent upgrade while the program runs" "$setup" /S
  wait "$watcher"
  check "program" ended "$(dead "$tarsil_pid" && echo ended || echo running)"
  check "set.ini" "by=hand" "$(settings 'by|type')"
  check "set.ini as the program left it" same \
    "$(cmp -s "$work/saved-at-exit.ini" "$installed/set.ini" && echo same)"
  check "installed files" "$(with "$(shipped)" Uninstall.exe set.ini)" "$(listing "$installed")"
  check "Main.ini as shipped" same "$(cmp -s "$stage/Main.ini" "$installed/Main.ini" && echo same)"
  check "start at sign-in kept" yes "$([ -n "$(sign_in_command)" ] && echo yes)"
  # The program ended, start at sign-in turned off: both stay as they are.
  local before
  before=$(sha256sum <"$installed/set.ini")
  wine reg delete "$run_key" /v "Tarsil Software" /f >/dev/null 2>&1
  run_setup "silent upgrade, start at sign-in off" "$setup" /S
  check "start at sign-in" "" "$(sign_in_command)"
  check "set.ini byte for byte" "$before" "$(sha256sum <"$installed/set.ini")"
  conclude "upgrade: the running program ends first; set.ini and the choice stay"
}

scenario_zip() {
  local problems=0 unpacked="$work/my programs" folder="Tarsil-Software-$version"
  check "zip entries" "$(with "$(shipped)" README.txt | sed "s|^|$folder/|; s| | $folder/|g")" \
    "$(cmake -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort | xargs)"
  mkdir -p "$unpacked" && (cd "$unpacked" && cmake -E tar xf "$zip")
  for file in $(shipped); do
    cmp -s "$stage/$file" "$unpacked/$folder/$file" || check "unpacked $file" same differs
  done
  check "the text file's version" "$version" "$(grep -o "$version" "$unpacked/$folder/README.txt" | head -n 1)"
  start_program "$unpacked/$folder" --always-on
  poll 30 state_is shown || check "window" shown "$(window_state)"
  exit_through_tray
  check "set.ini in the unpacked folder" yes "$([ -f "$unpacked/$folder/set.ini" ] && echo yes)"
  conclude "zip: the stage folder and the text file, runnable where unpacked"
}

scenario_uninstall() {
  local problems=0 before
  before=$(sha256sum <"$installed/set.ini")
  wine reg add "$run_key" /v "Tarsil Software" /d x /f >/dev/null 2>&1  # on again, to be removed
  run_setup "silent uninstall" "$installed/Uninstall.exe" /S
  # It goes on in a copy of itself, which the call above does not wait for.
  only_settings_left() { [ "$(listing "$installed")" = set.ini ]; }
  poll 30 only_settings_left
  check "left in the folder" set.ini "$(listing "$installed")"
  check "set.ini byte for byte" "$before" "$(sha256sum <"$installed/set.ini")"
  check "Start menu shortcut" gone "$([ -e "$shortcut" ] && echo there || echo gone)"
  check "start at sign-in" "" "$(sign_in_command)"
  check "installed-programs entry" "" "$(reg_values "$list_key")"
  conclude "uninstall: everything goes but set.ini"
}

main() {
  # Anew: nothing of an earlier run may pass for the installer's work.
  timeout 20 wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX"
  e2e_start_x || { fail "setup: Xvfb did not start"; return; }
  e2e_start_wine packages 1024x768 || { fail "setup: Wine"; return; }
  cp "$setup_src" "$setup" && cp "$probe_src" "$work/probe.exe" || { fail "setup: files"; return; }
  scenario_install
  scenario_first_run
  scenario_tray
  scenario_upgrade
  scenario_zip
  scenario_uninstall
}

e2e_hold_prefix
main 9>&-
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
