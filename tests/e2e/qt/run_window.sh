#!/usr/bin/env bash
# End-to-end run of tarsil, the window program on Linux, driven as a user
# drives it: the pointer and keys of xdotool on a private Xvfb, what the
# window shows read back from window names and screen pixels, and what it
# saves read from set.ini.
#
#   run_window.sh TARSIL TARSILCTL [SHOTS_DIR [TRAY_HOST]]
#
# TARSIL is the program in its build folder (the skin and layouts beside
# it). Screenshots of each step go to SHOTS_DIR (default: qt-shots in the
# current folder), to be looked at. TRAY_HOST, a notification area for a bare
# X server, lets the run reach the tray icon; without it that part is left out. The last line is "N passed, M failed";
# the exit status is non-zero when anything failed, 77 when a tool is missing.

set -uo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 TARSIL TARSILCTL [SHOTS_DIR]" >&2
  exit 2
fi
tarsil=$(realpath "$1")
tarsilctl=$(realpath "$2")
shots=${3:-$PWD/qt-shots}
tray_host=${4:-}
layout="$(dirname "$tarsil")/Main.ini"

for tool in Xvfb xdotool import convert timeout; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tarsil-qt.XXXXXX")
mkdir -p "$shots" "$work/config" "$work/run" "$work/home"
chmod 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" HOME="$work/home"
# The desktop's own file dialogs need a desktop; Qt's are what a bare X
# server has.
unset QT_QPA_PLATFORMTHEME
settings="$XDG_CONFIG_HOME/tarsil/set.ini"
title="Tarsil Software"
tarsil_pid=""
main_id=""
xvfb_pid=""
control_pid=""
tray_pid=""
# Where the notification area sits: its first icon's centre is 12 pixels in.
tray_x=1180
tray_y=770

cleanup() {
  [ -n "$tarsil_pid" ] && kill "$tarsil_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$control_pid" ] && kill "$control_pid" 2>/dev/null
  [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
pass() { echo "PASS: $1"; passed=$((passed + 1)); }
fail() { echo "FAIL: $1"; failed=$((failed + 1)); }
note() { echo "      $1"; }
# check NAME EXPECTED ACTUAL: counts a problem of the scenario that calls it.
check() {
  if [ "$2" = "$3" ]; then return 0; fi
  note "$1: expected '$2', got '$3'"
  problems=$((problems + 1))
}
# poll SECONDS COMMAND...: true as soon as COMMAND is.
poll() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}
shot() { import -window root "$shots/$1.png" 2>/dev/null; }

shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
missing() { ! shown "$1"; }
running() { kill -0 "$tarsil_pid" 2>/dev/null; }
# The value of KEY in [SECTION] of set.ini.
setting() {
  awk -F= -v section="[$1]" -v key="$2" '{sub(/\r$/, "")}
    /^\[/ {inside = ($0 == section)} inside && $1 == key {print substr($0, length(key) + 2); exit}' \
    "$settings" 2>/dev/null
}
setting_is() { [ "$(setting "$1" "$2")" = "$3" ]; }

# The centre of the layout slot captioned $1, in screen pixels: the window
# sits at the top left of the screen, where a bare X server puts it.
centre() {
  awk -F, -v caption="$1" '{sub(/\r$/, "")} $NF == caption {
    split($1, key, "="); printf "%d %d", key[2] + $3 / 2, $2 + $4 / 2; exit}' "$layout"
}
point_at() { xdotool mousemove $(centre "$1") sleep 0.05 mousemove_relative 1 1; }
click_on() { point_at "$1" && sleep 0.1 && xdotool click 1; }
pixel() { convert "$1" -depth 8 -crop "1x1+$2+$3" txt:- 2>/dev/null | tail -1 | awk '{print $3}'; }
# Whether the slot captioned $1 shows, at its centre, the pixel of skin
# picture $2 (main_normal, main_over, main_down).
slot_looks_like() {
  local x y
  read -r x y < <(centre "$1")
  import -window root "$work/now.png" 2>/dev/null
  [ "$(pixel "$work/now.png" "$x" "$y")" = "$(pixel "$(dirname "$tarsil")/skin/$2.bmp" "$x" "$y")" ]
}
# A visible tooltip that says $1.
tooltip_is() { shown "$1"; }

# A stand-in for tarsild's control socket: it answers as tarsild does and
# writes each line it is sent (and "closed" for each connection that ends)
# into control.log.
start_control_socket() {
  mkdir -p "$XDG_RUNTIME_DIR/tarsil"
  python3 -c '
import socket, sys, threading
path, log = sys.argv[1:3]
server = socket.socket(socket.AF_UNIX)
server.bind(path)
server.listen(4)
def note(line):
    with open(log, "a") as out:
        out.write(line + "\n")
def serve(connection):
    for line in connection.makefile("rb"):
        request = line.decode().strip()
        note(request)
        connection.sendall({"pause": b"paused\n", "resume": b"resumed\n"}.get(request, b"error: unknown\n"))
    note("closed")
while True:
    threading.Thread(target=serve, args=(server.accept()[0],), daemon=True).start()
' "$XDG_RUNTIME_DIR/tarsil/control" "$work/control.log" &
  control_pid=$!
  : >"$work/control.log"
}
control_said() { tr '\n' ' ' <"$work/control.log" | sed 's/ $//'; }
control_said_is() { [ "$(control_said)" = "$1" ]; }

start_tarsil() {
  "$tarsil" "$@" >>"$work/tarsil.log" 2>&1 &
  tarsil_pid=$!
}

# menu_command N: the Menu button's popup, item N with the pointer
# (1 Import, 2 Export, 3 About, 4 Exit).
menu_command() {
  local x y
  read -r x y < <(centre Menu)
  click_on Menu
  sleep 0.6
  # With the pointer, as a user picks: the menu opens below the button's
  # centre, one item every 22 pixels. Keys would reach the menu only if it
  # could take the keyboard, which a bare X server does not always let it.
  xdotool mousemove $((x + 40)) $((y + 11 + ($1 - 1) * 22)) sleep 0.2 click 1
}

# in_file_dialog TITLE PATH: types a path into the file dialog.
in_file_dialog() {
  poll 10 shown "$1" || return 1
  sleep 0.3
  shot "$3"
  xdotool type --delay 10 "$2" && xdotool key Return
  poll 10 missing "$1"
}

scenario_start() {
  local problems=0
  start_control_socket
  if [ -n "$tray_host" ]; then
    "$tray_host" "$tray_x" "$tray_y" >"$work/tray.log" 2>&1 &
    tray_pid=$!
  fi
  start_tarsil
  # Once in a while Qt could not reach a server that had just begun to
  # answer xdotool: a second start, as a user would.
  if ! poll 20 eval 'shown "$title" || ! running' || ! running; then
    note "the program did not reach the X server; started once more"
    start_tarsil
  fi
  if ! poll 20 shown "$title"; then
    problems=$((problems + 1))
    display_answers || note "the X server $DISPLAY went away (Xvfb $(kill -0 "$xvfb_pid" 2>/dev/null && echo runs || echo ended))"
  fi
  sleep 0.3
  main_id=$(xdotool search --limit 1 --onlyvisible --name "^$title\$" 2>/dev/null)
  shot 1-started
  [ "$problems" = 0 ] && pass "start: the window shows" || fail "start"
}

scenario_hover() {
  local problems=0
  point_at F
  poll 5 tooltip_is F || check "tooltip over F" "F" "none"
  check "F drawn" "over" "$(slot_looks_like F main_over && echo over || echo other)"
  shot 2-hover-f
  point_at G
  poll 5 tooltip_is G || check "tooltip over G" "G" "none"
  check "F after the pointer left" "normal" "$(slot_looks_like F main_normal && echo normal || echo other)"
  [ "$problems" = 0 ] && pass "hover: highlight and tooltip" || fail "hover"
}

scenario_profiles() {
  local problems=0
  click_on Profile2
  poll 5 setting_is TYPE type 2 || check "saved profile" 2 "$(setting TYPE type)"
  point_at F  # away from the button, so that it shows the indicator's look
  sleep 0.3
  check "Profile2 indicator" "down" "$(slot_looks_like Profile2 main_down && echo down || echo other)"
  check "Profile1 indicator" "normal" "$(slot_looks_like Profile1 main_normal && echo normal || echo other)"
  shot 3-profile2
  # Another program switches: the window shows it, with a notice.
  "$tarsilctl" profile --layout "$layout" 3 "$settings" >/dev/null
  poll 5 shown "Tarsil Software notice" || check "notice" "shown" "missing"
  shot 4-profile3-from-outside
  check "Profile3 indicator" "down" "$(slot_looks_like Profile3 main_down && echo down || echo other)"
  poll 5 missing "Tarsil Software notice" || check "notice after its time" "gone" "shown"
  [ "$problems" = 0 ] && pass "profiles: a button and tarsilctl switch, the file and the window follow" ||
    fail "profiles"
}

scenario_files() {
  local problems=0 exported="$work/exported"
  # A profile whose F1 means Copy, to import.
  "$tarsilctl" export --layout "$layout" "$(dirname "$0")/../../../examples/set.ini" \
    "$work/import.ini" >/dev/null
  menu_command 2
  in_file_dialog "Save As" "$exported" 5-save-as || problems=$((problems + 1))
  # The extension comes with the dialog; the active profile is the third.
  check "exported profile" "3" "$(awk -F= '$1 == "type" {print $2}' "$exported.ini" 2>/dev/null | tr -d '\r')"
  menu_command 1
  in_file_dialog "Open" "$work/import.ini" 6-open || problems=$((problems + 1))
  poll 5 setting_is Profile3 SetName112 Copy || check "F1 in set.ini" "Copy" "$(setting Profile3 SetName112)"
  point_at F1
  sleep 0.4
  xdotool search --onlyvisible --name "COPY" >/dev/null 2>&1 || check "tooltip over F1" "...COPY..." "none"
  shot 7-imported
  [ "$problems" = 0 ] && pass "files: Export writes a profile, Import reads one and it is saved" ||
    fail "files"
}

# dialog_at ENTRY: the centre of the key settings dialog's layout entry, in
# screen pixels.
dialog_at() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool search --onlyvisible --name '^Key Settings$' getwindowgeometry --shell | head -6)"
  iconv -f UTF-16 -t UTF-8 "$(dirname "$tarsil")/Composite.ini" | tr -d '\r' |
    awk -F'[=,]' -v entry="$1" -v x="$X" -v y="$Y" '$1 == entry {
      printf "%d %d", x + $2 + $4 / 2, y + $3 + $5 / 2; exit}'
}
click_dialog() { xdotool mousemove $(dialog_at "$1") sleep 0.1 click 1; }
# The notice that asks for NumLock, which the key settings dialog shows when
# recording starts or stops with NumLock off (as an X server starts), is
# closed; the keys go to the dialog again.
# It has the program's name for its caption, as the window has: it is the
# other visible window of that name.
numlock_notice() {
  xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | grep -vx "$main_id" | head -n 1
}
numlock_notice_shown() { [ -n "$(numlock_notice)" ]; }
close_numlock_notice() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  if poll 2 numlock_notice_shown; then
    note "NumLock is off: the notice came and is closed"
    sleep 0.2
    # Its OK button, at the bottom right of the box.
    eval "$(xdotool getwindowgeometry --shell "$(numlock_notice)")"
    xdotool mousemove $((X + WIDTH - 51)) $((Y + HEIGHT - 24)) sleep 0.1 click 1
    poll 5 eval '! numlock_notice_shown' || { shot numlock-notice-open; check "NumLock notice" "closed" "open"; }
  fi
}

# A click on a key, a key typed into the dialog, OK: set.ini says at once
# what the key now types (B, 66, for F, 70).
scenario_key_edit() {
  local problems=0
  click_on F
  if ! poll 10 shown "Key Settings"; then
    fail "key edit: no key settings dialog"
    return
  fi
  sleep 0.3
  shot 10-key-settings
  # The dialog takes the keys at once: tarsild is asked to pause.
  poll 5 control_said_is pause || check "tarsild while capturing" "pause" "$(control_said)"
  xdotool key b
  sleep 0.3
  shot 11-key-captured
  click_dialog 1  # OK
  poll 5 missing "Key Settings" || check "dialog after OK" "closed" "open"
  poll 5 control_said_is "pause resume closed" ||
    check "tarsild after the dialog" "pause resume closed" "$(control_said)"
  poll 5 setting_is Profile3 Key70 66 || check "F in set.ini" "66" "$(setting Profile3 Key70)"
  point_at F
  poll 5 tooltip_is "F Key, Set As: B" || check "tooltip over F" "F Key, Set As: B" "none"
  [ "$problems" = 0 ] && pass "key edit: a captured key is saved as F's meaning, tarsild paused meanwhile" || fail "key edit"
}

# A macro recorded for G: X, a pause, Y; saved with its steps and delays.
scenario_macro() {
  local problems=0 steps delays
  click_on G
  poll 10 shown "Key Settings" || { fail "macro: no dialog"; return; }
  click_dialog 7  # the macro kind: its empty list gets a first macro
  sleep 0.3
  click_dialog 12  # record
  close_numlock_notice
  # A pause between the keys: the recorder keeps it as the delay before Y.
  xdotool key x sleep 0.25 key y
  sleep 0.3
  shot 12-macro-recorded
  click_dialog 12  # stop
  close_numlock_notice
  click_dialog 1
  poll 5 missing "Key Settings" || check "dialog after OK" "closed" "open"
  poll 5 setting_is Profile3 IndexPic71 1 || check "G's kind" "1 (macro)" "$(setting Profile3 IndexPic71)"
  steps=$(setting Profile3 MacroKey0)
  delays=$(setting Profile3 MacroDelay0)
  note "recorded steps '$steps', delays '$delays'"
  # X (88) down and up, then Y (89), each a step of three numbers.
  check "recorded keys" "88 88 89 89" "$(tr ',' '\n' <<<"$steps" | awk 'NR % 3 == 2' | tr '\n' ' ' | sed 's/ $//')"
  [ -n "$delays" ] || check "recorded delays" "some" "none"
  [ "$problems" = 0 ] && pass "macro: a recorded macro is saved for G" || fail "macro"
}

# Another program switches profiles while the dialog is open: the window
# takes the change in once the dialog has closed, not under it.
scenario_change_under_dialog() {
  local problems=0
  click_on H
  poll 10 shown "Key Settings" || { fail "change under the dialog: no dialog"; return; }
  "$tarsilctl" profile --layout "$layout" 2 "$settings" >/dev/null
  sleep 0.5
  missing "Tarsil Software notice" || check "notice while the dialog is open" "none" "shown"
  click_dialog 2  # Cancel
  poll 5 missing "Key Settings" || check "dialog after Cancel" "closed" "open"
  poll 5 shown "Tarsil Software notice" || check "notice after the dialog" "shown" "none"
  point_at F
  sleep 0.3
  check "Profile2 indicator" "down" "$(slot_looks_like Profile2 main_down && echo down || echo other)"
  shot 13-followed-after-dialog
  "$tarsilctl" profile --layout "$layout" 3 "$settings" >/dev/null
  poll 5 eval 'slot_looks_like Profile3 main_down' || check "Profile3 indicator" "down" "other"
  [ "$problems" = 0 ] && pass "change under the dialog: followed once it closed" ||
    fail "change under the dialog"
}

scenario_default() {
  local problems=0
  click_on Default
  if poll 5 shown KEYBOARD; then
    shot 8-default-question
    xdotool key Return
    poll 5 missing KEYBOARD || check "question" "closed" "open"
  else
    check "question" "asked" "none"
  fi
  poll 5 setting_is Profile3 SetName112 F1 || check "F1 after Default" "F1" "$(setting Profile3 SetName112)"
  [ "$problems" = 0 ] && pass "default: OK restores every key, saved" || fail "default"
}

scenario_about() {
  local problems=0
  menu_command 3
  if poll 5 shown About; then
    shot 9-about
    xdotool key Return
    poll 5 missing About || check "About box" "closed" "open"
  else
    check "About box" "shown" "none"
  fi
  [ "$problems" = 0 ] && pass "about: the Menu shows the About box" || fail "about"
}

# The tray icon: its Open shows the window after Close, its menu's About
# shows the About box.
scenario_tray() {
  local problems=0
  if [ -z "$tray_host" ]; then
    note "no notification area: the tray is left out"
    return
  fi
  poll 5 grep -q docked "$work/tray.log" || { fail "tray: the icon never docked"; return; }
  # Where the icon docked last: Qt may hand the notification area a new
  # window for it (a busy machine, say), which takes the next place.
  local at
  at=$(awk '/^docked/ {n = $2} END {print n + 0}' "$work/tray.log")
  tray_x=$((tray_x + at * 24))
  click_on Close
  poll 5 missing "$title" || check "after Close" "hidden" "shown"
  xdotool mousemove $((tray_x + 12)) $((tray_y + 12)) sleep 0.2 click --repeat 2 --delay 80 1
  poll 5 shown "$title" || check "window after the tray's Open" "shown" "hidden"
  xdotool mousemove $((tray_x + 12)) $((tray_y + 12)) sleep 0.2 click 3
  sleep 1
  shot 14-tray-menu
  xdotool key Down Down Return  # Open(&O), About(&A)
  if poll 5 shown About; then
    xdotool key Return
    poll 5 missing About || check "About box" "closed" "open"
  else
    check "About box from the tray" "shown" "none"
  fi
  [ "$problems" = 0 ] && pass "tray: Open brings the window back, its menu opens About" || fail "tray"
}

scenario_second_start() {
  local problems=0 first=$tarsil_pid
  click_on Close
  poll 5 missing "$title" || check "after Close" "hidden" "shown"
  # A second start brings the first one's window back and ends.
  if timeout 10 "$tarsil" >>"$work/tarsil.log" 2>&1; then :; else check "second start" "ended" "status $?"; fi
  poll 5 shown "$title" || check "window of the first" "shown" "hidden"
  check "first still running" "yes" "$(kill -0 "$first" 2>/dev/null && echo yes || echo no)"
  [ "$problems" = 0 ] && pass "second start: the first window comes back" || fail "second start"
}

scenario_exit() {
  local problems=0
  menu_command 4
  poll 10 eval '! running'
  if ! running; then
    wait "$tarsil_pid" 2>/dev/null
    check "exit status" "0" "$?"
    tarsil_pid=""
  else
    shot exit-missed
    check "after Exit" "ended" "running"
  fi
  check "saved profile" "3" "$(setting TYPE type)"
  [ "$problems" = 0 ] && pass "exit: the Menu's Exit ends the program" || fail "exit"
}

# Xvfb itself in the background, so that the cleanup ends the server and
# not a shell around it; it writes its display's number once it listens.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
if ! poll 30 test -s "$work/display"; then
  echo "SKIP: Xvfb did not start"
  exit 77
fi
export DISPLAY=":$(head -n 1 "$work/display")"
display_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }
if ! poll 10 display_answers; then
  echo "FAIL: Xvfb on $DISPLAY does not answer"
  exit 1
fi
# An X server starts with NumLock off; a desktop mostly with it on.
xdotool key Num_Lock

scenario_start
if running; then
  scenario_hover
  scenario_profiles
  scenario_key_edit
  scenario_macro
  scenario_change_under_dialog
  scenario_files
  scenario_default
  scenario_about
  scenario_tray
  scenario_second_start
  scenario_exit
fi
[ "$failed" != 0 ] && sed 's/^/      tarsil: /' "$work/tarsil.log"
echo "Screenshots: $shots"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
