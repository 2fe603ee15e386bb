#!/usr/bin/env bash
# End-to-end run of the main window under Wine, driven as a user drives it:
# the pointer and keys of xdotool on a private Xvfb, what the program shows
# read back through Window Probe, and what typed keys become read from Key
# Echo, the witness window.
#
#   run_main_window.sh STAGE_DIR PROBE_EXE KEY_ECHO_EXE [SHOTS_DIR]
#
# STAGE_DIR is the folder a user runs Tarsil.exe from. Screenshots of each
# step go to SHOTS_DIR (default: main-window-shots beside STAGE_DIR), to be
# looked at. WINEPREFIX defaults to ui-prefix beside STAGE_DIR. The last line
# is "N passed, M failed"; the exit status is non-zero when anything failed.

set -uo pipefail

if [ $# -lt 3 ]; then
  echo "usage: $0 STAGE_DIR PROBE_EXE KEY_ECHO_EXE [SHOTS_DIR]" >&2
  exit 2
fi
stage=$(realpath "$1")
probe_src=$(realpath "$2")
echo_src=$(realpath "$3")
shots=${4:-$(dirname "$stage")/main-window-shots}

for tool in Xvfb xdotool wine wineserver winepath flock timeout iconv import; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

export WINEPREFIX=${WINEPREFIX:-$(dirname "$stage")/ui-prefix}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarsil-ui.XXXXXX")
# shellcheck source=wine_desktop.sh
. "$(dirname "$0")/wine_desktop.sh"
trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

app="$work/app"
log="$work/echo.log"
title="Tarsil Software"
tarsil_pid=""

probe() { wine "$work/probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
shot() { import -window root "$shots/$1.png" 2>/dev/null; }

# The centre of the layout slot captioned $1, in screen pixels (the window
# sits at the top left of the desktop, which sits at the top left of X).
centre() {
  awk -F, -v caption="$1" '{sub(/\r$/, "")} $NF == caption {
    split($1, key, "="); printf "%d %d", key[2] + $3 / 2, $2 + $4 / 2; exit}' "$app/Main.ini"
}
point_at() { xdotool mousemove $(centre "$1"); }
click_on() {
  # Moving there first lets the window see the pointer arrive, as a hand would.
  point_at "$1" && sleep 0.1 && xdotool click 1
}

window_state() { probe window "$1" | awk '{print $NF}'; }
state_is() { [ "$(window_state "$1")" = "$2" ]; }
tooltip_is() { [ "$(probe tooltip "$title")" = "$1" ]; }
# slot_looks_like CAPTION PICTURE: the upper half of the slot (the tooltip
# may cover the lower one) shows PICTURE.
slot_looks_like() {
  local x y w h
  read -r x y w h < <(awk -F, -v caption="$1" '{sub(/\r$/, "")} $NF == caption {
    split($1, key, "="); print key[2], $2, $3, $4; exit}' "$app/Main.ini")
  [ "$(probe pixels "$title" "$x" "$y" "$w" "$((h / 2))" "$(winepath -w "$app/skin/$2.bmp")")" = match ]
}

log_lines() { wc -l <"$log"; }
log_has_after() { tail -n +"$(($1 + 1))" "$log" 2>/dev/null | grep -qE "$2"; }

# Brings Key Echo forward through its trigger file (a program may always
# take the foreground for its own window).
echo_to_front() {
  local start
  start=$(log_lines)
  : >"$log.front"
  poll 5 log_has_after "$start" '^front$'
}

# typed KEY: types KEY into Key Echo, then F12 as an end mark, and prints
# what arrived in between, as "down 66 up 66".
typed() {
  local start
  echo_to_front || return 1
  start=$(log_lines)
  # A macro with delays needs its time before the end mark comes.
  xdotool key "$1" sleep "${2:-0}" key F12 || return 1
  poll 10 log_has_after "$start" '^up 123 ' || return 1
  tail -n +"$((start + 1))" "$log" |
    awk '/^down 123 /{exit} /^(down|up) /{printf "%s%s %s", sep, $1, $2; sep=" "}'
  echo
}

# gap START FIRST SECOND: milliseconds from the event FIRST ("up 88") to
# SECOND ("down 89") among what Key Echo logged after line START.
gap() {
  tail -n +"$(($1 + 1))" "$log" | awk -v a="$2" -v b="$3" '
    {t = $NF; sub(/^t=/, "", t)} $1 " " $2 == a {from = t}
    $1 " " $2 == b && from != "" {printf "%d", (t - from) / 1000; exit}'
}

bring_tarsil_forward() {
  wine "$work/key_echo.exe" --front "$title" >/dev/null 2>&1
  poll 5 state_is "$title" shown
}

write_files() {
  cp -r "$stage" "$app" && cp "$probe_src" "$work/probe.exe" && cp "$echo_src" "$work/key_echo.exe" ||
    return 1
  mkdir -p "$shots" && rm -f "$shots"/*.png
  # A types B in profile 1 and C in profile 2; the file to import makes it D.
  # F2 is a profile key in both: Next Profile.
  printf '[TYPE]\r\ntype=1\r\n[Profile1]\r\nIndexPic65=0\r\nSetName65=B\r\nKey65=66\r\nIndexPic113=3\r\nSetName113=Next Profile\r\nSetIndexNum=2\r\nsetindex0=56\r\nsetindex1=2\r\n[Profile2]\r\nIndexPic65=0\r\nSetName65=C\r\nKey65=67\r\nIndexPic113=3\r\nSetName113=Next Profile\r\nSetIndexNum=2\r\nsetindex0=56\r\nsetindex1=2\r\n' >"$app/set.ini"
  printf '[TYPE]\r\ntype=3\r\n[Profile3]\r\nIndexPic65=0\r\nSetName65=D\r\nKey65=68\r\nSetIndexNum=1\r\nsetindex0=56\r\n' >"$work/import.ini"
}

start_tarsil() {
  (cd "$app" && exec wine "$app/Tarsil.exe" --always-on >>"$work/tarsil.out" 2>&1) &
  tarsil_pid=$!
  wine_pids+=("$tarsil_pid")
  poll 30 state_is "$title" shown
}

start_programs() {
  (exec wine "$work/key_echo.exe" "$(winepath -w "$log")" >"$work/key_echo.out" 2>&1) &
  wine_pids+=("$!")
  poll 60 grep -q '^ready$' "$log" 2>/dev/null || return 1
  start_tarsil
}

# ---------------------------------------------------------------- scenarios

scenario_shape() {
  local problems=0 mask_size
  mask_size=$(identify -format '%w %h' "$app/skin/main_mask.bmp" 2>/dev/null)
  check "window at, size" "0 0 $mask_size shown" "$(probe window "$title")"
  check "outline against the mask" same "$(probe region "$title" "$(winepath -w "$app/skin/main_mask.bmp")")"
  note "$(probe outline-bench "$(winepath -w "$app/skin/main_mask.bmp")")"
  shot 1-start
  [ "$problems" = 0 ] && pass "shape: the mask's size and outline" || fail "shape"
}

scenario_hover() {
  local problems=0
  point_at F
  poll 5 tooltip_is "F" || problems=$((problems + 1))
  check "tooltip over F" "F" "$(probe tooltip "$title")"
  check "F drawn" "over" "$(slot_looks_like F main_over && echo over || echo other)"
  shot 2-hover-f
  point_at A
  poll 5 tooltip_is "A Key, Set As: B" || problems=$((problems + 1))
  check "tooltip over A" "A Key, Set As: B" "$(probe tooltip "$title")"
  # A carries an assignment: it stays drawn down under the pointer, and F,
  # left behind, is normal again.
  check "A drawn" "down" "$(slot_looks_like A main_down && echo down || echo other)"
  check "F after the pointer left" "normal" "$(slot_looks_like F main_normal && echo normal || echo other)"
  shot 3-hover-a
  [ "$problems" = 0 ] && pass "hover: highlight and tooltip" || fail "hover"
}

scenario_profiles() {
  local problems=0
  check "A in profile 1" "down 66 up 66" "$(typed a)"
  bring_tarsil_forward
  click_on Profile2
  point_at F  # away from the button, so that it shows the indicator's look
  sleep 0.3
  check "Profile2 indicator" "down" "$(slot_looks_like Profile2 main_down && echo down || echo other)"
  check "Profile1 indicator" "normal" "$(slot_looks_like Profile1 main_normal && echo normal || echo other)"
  shot 4-profile2
  check "A in profile 2" "down 67 up 67" "$(typed a)"
  [ "$problems" = 0 ] && pass "profiles: Profile2 switches the indicator and the keys" || fail "profiles"
}

scenario_default() {
  local problems=0
  bring_tarsil_forward
  click_on Default
  if poll 5 state_is KEYBOARD shown; then
    shot 5-default-question
    note "question: $(probe text KEYBOARD)"
    xdotool key Return
    poll 5 state_is KEYBOARD missing || problems=$((problems + 1))
  else
    note "no question asked"
    problems=$((problems + 1))
  fi
  check "A after Default" "down 65 up 65" "$(typed a)"
  [ "$problems" = 0 ] && pass "default: OK restores every key" || fail "default"
}

# menu_command ITEM_INDEX: opens the Menu button's popup and picks an item
# by the keyboard (1 Import, 2 Export, 3 Programs..., 4 About, 5 Exit).
menu_command() {
  local i
  bring_tarsil_forward
  click_on Menu
  sleep 0.5
  for ((i = 0; i < $1; ++i)); do xdotool key Down; done
  xdotool key Return
}

# in_file_dialog TITLE PATH: types a path into the system's file dialog.
in_file_dialog() {
  poll 10 state_is "$1" shown || return 1
  sleep 0.3
  xdotool type --delay 20 "$2" && xdotool key Return
  poll 10 state_is "$1" missing
}

scenario_files() {
  local problems=0 exported="$work/exported"
  menu_command 2
  shot 6-save-as
  in_file_dialog "Save As" "$(winepath -w "$exported")" || problems=$((problems + 1))
  if [ -f "$exported.ini" ]; then
    check "exported profile" "type=2 Key65=65" \
      "$(tr -d '\r' <"$exported.ini" | grep -E '^(type|Key65)=' | tr '\n' ' ' | sed 's/ $//')"
  else
    note "no $exported.ini (files: $(ls "$work" | tr '\n' ' '))"
    problems=$((problems + 1))
  fi
  menu_command 1
  in_file_dialog "Open" "$(winepath -w "$work/import.ini")" || problems=$((problems + 1))
  check "A after the import" "down 68 up 68" "$(typed a)"
  [ "$problems" = 0 ] && pass "files: Export writes a profile, Import reads one" || fail "files"
}

scenario_tray() {
  local problems=0 at
  at=$(probe tray)
  xdotool mousemove $at click 3
  sleep 0.5
  shot 7-tray-menu
  xdotool key Down Down Down Return  # Open(&O), Programs..., About(&A)
  if poll 5 state_is About shown; then
    shot 8-about
    check "About box" "The product name : Tarsil | Description : Tarsil | OK | Version $(version) | Key assignments and macros, in three profiles." "$(probe text About)"
    xdotool key Return
    poll 5 state_is About missing || problems=$((problems + 1))
  else
    note "no About box"
    problems=$((problems + 1))
  fi
  [ "$problems" = 0 ] && pass "tray: its menu opens About" || fail "tray"
}

# dialog_at ENTRY [top]: the centre of the key settings dialog's layout
# entry, in screen pixels; with "top", a point just below its top edge (a
# drop-down list's entry is as tall as its list opened).
dialog_at() {
  local x y
  read -r x y _ < <(probe window "Key Settings")
  iconv -f UTF-16 -t UTF-8 "$app/Composite.ini" | tr -d '\r' |
    awk -F'[=,]' -v entry="$1" -v x="$x" -v y="$y" -v top="${2:-}" '$1 == entry {
      printf "%d %d", x + $2 + $4 / 2, y + $3 + (top == "top" ? 12 : $5 / 2); exit}'
}
click_dialog() { xdotool mousemove $(dialog_at "$1") && sleep 0.1 && xdotool click 1; }
key_box() { probe item "Key Settings" 1127; }

# A notice about NumLock, if the X server's NumLock is off, is closed.
close_numlock_notice() {
  if poll 2 sh -c "wine '$work/probe.exe' text 'Tarsil Software' 2>/dev/null | grep -q 'Keypad not locked'"; then
    note "NumLock is off: the notice came and is closed"
    xdotool key Return
    sleep 0.3
  fi
}

scenario_key_edit() {
  local problems=0
  bring_tarsil_forward
  click_on F
  if ! poll 10 state_is "Key Settings" shown; then
    fail "key edit: no key settings dialog"
    return
  fi
  check "dialog outline against key_mask" same \
    "$(probe region "Key Settings" "$(winepath -w "$app/skin/key_mask.bmp")")"
  check "key name shown" "F" "$(key_box)"
  shot 9-key-single
  xdotool key b
  # Key names are the system's (X11 names under Wine): only that one came.
  key_box_changed() { [ "$(key_box)" != F ]; }
  poll 5 key_box_changed || problems=$((problems + 1))
  note "captured key named '$(key_box)'"
  click_dialog 9  # the function kind
  sleep 0.3
  shot 10-key-function
  click_dialog 8  # the multimedia kind
  sleep 0.3
  shot 11-key-media
  click_dialog 6  # back to the single key, which still holds the captured B
  click_dialog 1  # OK
  poll 5 state_is "Key Settings" hidden || poll 5 state_is "Key Settings" missing ||
    problems=$((problems + 1))
  check "F after the edit" "down 66 up 66" "$(typed f)"
  [ "$problems" = 0 ] && pass "key edit: a captured key is what the key types" || fail "key edit"
}

# Every commit and switch is saved as it is made: a crash loses none of them.
scenario_crash() {
  local problems=0
  check "Tarsil ended by TerminateProcess" ended "$(probe terminate "$title")"
  poll 10 dead "$tarsil_pid" || problems=$((problems + 1))
  if ! start_tarsil; then
    fail "crash: the window did not come back"
    return
  fi
  point_at F
  sleep 0.3
  check "Profile2 indicator after the restart" "down" \
    "$(slot_looks_like Profile2 main_down && echo down || echo other)"
  shot 11b-after-crash
  check "F after the restart" "down 66 up 66" "$(typed f)"
  check "A after the restart" "down 68 up 68" "$(typed a)"
  [ "$problems" = 0 ] && pass "crash: the profile switch and the key edit survive TerminateProcess" ||
    fail "crash"
}

# Another program changes set.ini as tarsilctl does (a new file renamed
# over it): the window follows at once, and the next save keeps the change.
outside_switch() {
  sed "s/^type=[0-9]*/type=$1/" "$app/set.ini" >"$app/set.ini.outside" &&
    mv "$app/set.ini.outside" "$app/set.ini"
}
scenario_outside_change() {
  local problems=0
  outside_switch 1
  point_at F
  indicator_follows() { slot_looks_like Profile1 main_down; }
  poll 5 indicator_follows || problems=$((problems + 1))
  check "Profile1 indicator after the outside switch" "down" \
    "$(slot_looks_like Profile1 main_down && echo down || echo other)"
  shot 11c-outside-switch
  check "A after the outside switch" "down 66 up 66" "$(typed a)"
  bring_tarsil_forward
  click_on Profile2
  check "type after switching back" "type=2" "$(tr -d '\r' <"$app/set.ini" | grep '^type=')"
  [ "$problems" = 0 ] && pass "outside change: a switch by another program shows and plays" ||
    fail "outside change"
}

scenario_macro() {
  local problems=0
  bring_tarsil_forward
  click_on G
  poll 10 state_is "Key Settings" shown || { fail "macro: no dialog"; return; }
  click_dialog 7  # the macro kind: its empty list gets a first macro
  sleep 0.3
  # With NumLock on (an X server starts with it off) keypad keys would
  # record as themselves, and no notice asks for a key to close it.
  xdotool key Num_Lock
  click_dialog 12  # record
  close_numlock_notice
  # A pause between the keys: the recorder keeps it as the delay before Y.
  xdotool key x sleep 0.25 key y
  sleep 0.3
  shot 12-macro-recorded
  click_dialog 12  # stop
  close_numlock_notice
  check "steps" "4" "$(probe rows "Key Settings")"
  # The mode list: the entry after "Chord" is "Sequence once".
  # A slow press: a quick click right after the probe's call did not open it.
  xdotool mousemove $(dialog_at 24 top) sleep 0.3 mousedown 1 sleep 0.2 mouseup 1 sleep 0.3
  xdotool key Down Return
  check "mode" "Sequence once" "$(probe item "Key Settings" 1132)"
  shot 12b-macro-sequence
  click_dialog 1
  poll 5 state_is "Key Settings" hidden || poll 5 state_is "Key Settings" missing ||
    problems=$((problems + 1))
  # The key edit was saved as it was made: the macro's mode and its
  # recorded delays are in set.ini.
  local timing recorded pause from
  timing=$(tr -d '\r' <"$app/set.ini" | awk '/^\[/ {on = (tolower($0) == "[profile2]")}
    on && /^MacroMode0=/ {mode = substr($0, 12)} on && /^MacroDelay0=/ {delays = substr($0, 13)}
    END {print mode " " delays}')
  note "saved mode and delays: $timing"
  recorded=$(awk '{split($2, d, ","); print d[3]}' <<<"$timing")
  [ "${timing%% *}" = 1 ] && [ -n "$recorded" ] && [ "$recorded" -ge 200 ] ||
    problems=$((problems + 1))
  # Played once, in the recorded order and with the recorded pause.
  from=$(log_lines)
  check "G after recording X, a pause and Y" "down 88 up 88 down 89 up 89" "$(typed g 0.8)"
  pause=$(gap "$from" "up 88" "down 89")
  note "pause between X and Y: $pause ms, recorded as $recorded ms"
  # How close it comes is the keys run's to measure; this one sees that the
  # recorded pause is what plays (the witness's own reading of its messages
  # may take a millisecond or two off).
  [ -n "$pause" ] && [ -n "$recorded" ] && [ "$pause" -ge $((recorded - 2)) ] &&
    [ "$pause" -le $((recorded + 20)) ] || problems=$((problems + 1))
  [ "$problems" = 0 ] && pass "macro: a recorded macro plays with its pause" || fail "macro"
}

scenario_macro_editor() {
  local problems=0
  bring_tarsil_forward
  click_on Macro..
  poll 10 state_is "Key Settings" shown || { fail "macro editor: no dialog"; return; }
  shot 13-macro-editor
  click_dialog 10  # add: define1
  # The name is typed through the keyboard and so through this profile's
  # keys: it avoids A, F and G, which now type something else.
  xdotool mousemove $(dialog_at 22 top) click 1 key End shift+Home
  xdotool type --delay 20 "quick"
  click_dialog 23  # away from the list: its entries take the new name
  check "macros after add and rename" "define0 quick" "$(probe combo "Key Settings" 1130)"
  # define0 is what G plays: deleting it asks first.
  xdotool mousemove $(dialog_at 22 top) click 1 key Up
  click_dialog 11
  if poll 5 state_is KEYBOARD shown; then
    note "question: $(probe text KEYBOARD | awk -F' [|] ' '{print $NF}')"
    xdotool key Return
    poll 5 state_is KEYBOARD missing || problems=$((problems + 1))
  else
    note "no question before deleting a macro a key plays"
    problems=$((problems + 1))
  fi
  check "macros after the delete" "quick" "$(probe combo "Key Settings" 1130)"
  click_dialog 1
  poll 5 state_is "Key Settings" hidden || poll 5 state_is "Key Settings" missing ||
    problems=$((problems + 1))
  check "G before Apply" "down 88 up 88 down 89 up 89" "$(typed g 0.8)"
  bring_tarsil_forward
  click_on Apply
  check "G after Apply" "down 71 up 71" "$(typed g)"
  [ "$problems" = 0 ] && pass "macro editor: add, rename, delete with the question" ||
    fail "macro editor"
}

# programs_at ENTRY: the centre of the Programs dialog's layout entry, in
# screen pixels.
programs_at() {
  local x y
  read -r x y _ < <(probe window Programs)
  tr -d '\r' <"$app/Programs.ini" | awk -F'[=,]' -v entry="$1" -v x="$x" -v y="$y" '$1 == entry {
    printf "%d %d", x + $2 + $4 / 2, y + $3 + $5 / 2; exit}'
}
click_programs() { xdotool mousemove $(programs_at "$1") && sleep 0.1 && xdotool click 1; }
# The tray icon's tip, as the taskbar shows it with the pointer on the icon.
tray_tip() {
  xdotool mousemove 600 600 sleep 0.2 mousemove $(probe tray) sleep 0.6
  probe tray-tip
}
tray_tip_is() { [ "$(tray_tip)" = "$title - Profile $1" ]; }
settings_autoprofile() {
  tr -d '\r' <"$app/set.ini" 2>/dev/null | sed -n '/^\[AutoProfile\]/,/^\[/p' | grep -v '^\[' | tr '\n' ' '
}

scenario_programs() {
  local problems=0 notepad="Untitled - Notepad"
  (exec wine notepad >"$work/notepad.out" 2>&1) &
  wine_pids+=("$!")
  poll 20 state_is "$notepad" shown || { fail "programs: notepad did not start"; return; }
  # Programs... from the Menu button; Add offers the running programs by
  # title (Key Echo, then Notepad).
  menu_command 3
  poll 10 state_is Programs shown || { fail "programs: no Programs dialog"; return; }
  check "dialog outline against programs_mask" same \
    "$(probe region Programs "$(winepath -w "$app/skin/programs_mask.bmp")")"
  click_programs 3
  sleep 0.5
  shot 15-programs-add
  xdotool key Down Down Return
  click_programs 6   # its profile: 2
  click_programs 9   # when no rule matches: profile 1
  sleep 0.3
  shot 16-programs-rule
  click_programs 1
  poll 5 state_is Programs missing || problems=$((problems + 1))
  poll 10 sh -c "tr -d '\r' <'$app/set.ini' | grep -q '^Program0=notepad.exe'" ||
    note "set.ini does not show the rule yet"
  check "[AutoProfile] after Add" "ProgramNum=1 Program0=notepad.exe ProgramProfile0=2 Fallback=1 " \
    "$(settings_autoprofile)"

  # Into Notepad its rule's profile 2, where A types D; into Key Echo the
  # fallback's profile 1, where A types B.
  xdotool mousemove 300 520 click 1
  poll 5 tray_tip_is 2 || problems=$((problems + 1))
  xdotool key a
  poll 5 sh -c "[ \"\$(wine '$work/probe.exe' edit '$notepad' 2>/dev/null | tr -d '\r')\" = d ]" ||
    problems=$((problems + 1))
  check "A in Notepad" "d" "$(probe edit "$notepad")"
  echo_to_front
  poll 5 tray_tip_is 1 || problems=$((problems + 1))
  check "A in Key Echo" "down 66 up 66" "$(typed a)"

  # The profile key F2 (Next Profile) types nothing, switches to 2 and says so
  # near the tray, without taking the keys from Key Echo.
  check "F2 itself" "" "$(typed F2)"
  check "notice" shown "$(window_state "$title notice")"
  shot 17-profile-key-notice
  check "tray tip after F2" "$title - Profile 2" "$(tray_tip)"
  check "A after F2" "down 68 up 68" "$(typed a)"

  # A second start with --profile 3 switches the running program and leaves
  # its window as it is.
  (cd "$app" && exec wine "$app/Tarsil.exe" --profile 3 >>"$work/tarsil.out" 2>&1)
  poll 5 tray_tip_is 3 || problems=$((problems + 1))
  check "tray tip after --profile 3" "$title - Profile 3" "$(tray_tip)"
  check "A in profile 3" "down 65 up 65" "$(typed a)"

  # The rule goes again; profile 2 for the exit's check.
  menu_command 3
  poll 10 state_is Programs shown || problems=$((problems + 1))
  click_programs 4   # Remove
  click_programs 8   # Stay
  click_programs 1
  poll 5 state_is Programs missing || problems=$((problems + 1))
  poll 10 sh -c "! tr -d '\r' <'$app/set.ini' | grep -q '^Program0='" ||
    note "set.ini still shows the rule"
  check "[AutoProfile] after Remove" "ProgramNum=0 Fallback=0 " "$(settings_autoprofile)"
  bring_tarsil_forward
  click_on Profile2
  [ "$problems" = 0 ] && pass "programs: rules follow the program in front, a profile key and --profile switch" ||
    fail "programs"
}

version() { sed -n 's/^project(Tarsil VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt"; }

scenario_close_and_exit() {
  local problems=0 at saved
  bring_tarsil_forward
  click_on Close
  poll 5 state_is "$title" hidden || problems=$((problems + 1))
  check "window after Close" hidden "$(window_state "$title")"
  check "A while hidden" "down 68 up 68" "$(typed a)"
  # Starting the program again shows the hidden window.
  (cd "$app" && exec wine "$app/Tarsil.exe" >>"$work/tarsil.out" 2>&1)
  poll 5 state_is "$title" shown || problems=$((problems + 1))
  check "window after a second start" shown "$(window_state "$title")"
  click_on Close
  poll 5 state_is "$title" hidden || problems=$((problems + 1))
  at=$(probe tray)
  xdotool mousemove $at click --repeat 2 --delay 80 1
  poll 5 state_is "$title" shown || problems=$((problems + 1))
  check "window after a double click on the tray icon" shown "$(window_state "$title")"
  # A deleted set.ini is written again, whole, with what the program holds.
  rm -f "$app/set.ini"
  # Exit while the key settings dialog is open for H: the dialog closes as
  # Cancel would, then the program saves and ends. In the multimedia kind no
  # key is captured, so the menu takes keys.
  click_on H
  poll 10 state_is "Key Settings" shown || problems=$((problems + 1))
  click_dialog 8
  xdotool mousemove $at click 3
  sleep 0.5
  shot 14-exit-with-dialog
  xdotool key Down Down Down Down Return  # Exit(&x)
  if poll 10 dead "$tarsil_pid"; then
    saved=$(tr -d '\r' <"$app/set.ini" 2>/dev/null | grep -E '^(type|Key65|IndexPic72)=' | tr '\n' ' ')
    # Profile 1 as loaded, profile 2 as imported and H untouched, profile 3
    # untouched, 2 active.
    check "set.ini after Exit" "Key65=66 IndexPic72=0 Key65=68 IndexPic72=0 Key65=65 IndexPic72=0 type=2 " \
      "$saved"
  else
    note "still running after Exit"
    problems=$((problems + 1))
  fi
  [ "$problems" = 0 ] && pass "close and exit: hidden it translates, Exit closes the dialog and saves" ||
    fail "close and exit"
}

main() {
  e2e_start_x || { fail "setup: Xvfb did not start"; return; }
  e2e_start_wine main-window 1280x800 || { fail "setup: Wine"; return; }
  write_files || { fail "setup: files"; return; }
  start_programs || { fail "setup: Tarsil Software did not show its window"; sed 's/^/    /' "$work/tarsil.out"; return; }
  scenario_shape
  scenario_hover
  scenario_profiles
  scenario_default
  scenario_files
  scenario_tray
  scenario_key_edit
  scenario_crash
  scenario_outside_change
  scenario_macro
  scenario_macro_editor
  scenario_programs
  scenario_close_and_exit
}

e2e_hold_prefix
main 9>&-
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
