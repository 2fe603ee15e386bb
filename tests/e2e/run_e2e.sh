#!/usr/bin/env bash
# End-to-end run of Tarsil.exe under Wine: physical keys typed through the X
# server, what the focused application really receives, the single-instance
# rule and the save at exit.
#
#   run_e2e.sh KEY_ECHO_EXE STAGE_DIR
#
# KEY_ECHO_EXE is the witness window (key_echo.cpp); STAGE_DIR is the folder
# a user runs Tarsil.exe from (Tarsil.exe, Main.ini, Composite.ini, skin/).
# WINEPREFIX defaults to e2e-prefix beside STAGE_DIR; it is created on the
# first run and reused. E2E_KEEP=1 keeps the work folder for a post-mortem.
#
# Every run has its own Xvfb and its own Wine desktop, waits for conditions
# by polling with a bound, and stops only what it started. The last line is
# "N passed, M failed"; the exit status is non-zero when anything failed.

set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 KEY_ECHO_EXE STAGE_DIR" >&2
  exit 2
fi
echo_exe_src=$(realpath "$1")
stage=$(realpath "$2")

for tool in Xvfb xdotool wine wineserver winepath flock timeout iconv; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
if [ ! -f "$echo_exe_src" ] || [ ! -d "$stage" ]; then
  echo "no key echo program at $echo_exe_src or no folder $stage" >&2
  exit 2
fi

export WINEPREFIX=${WINEPREFIX:-$(dirname "$stage")/e2e-prefix}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarsil-e2e.XXXXXX")
# shellcheck source=wine_desktop.sh
. "$(dirname "$0")/wine_desktop.sh"
trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

app="$work/app"
log="$work/echo.log"
echo_exe="$work/key_echo.exe"
tarsil_pid=""
first_pid=""
mismatches=0

# set.ini: the keys under test, A types B, keypad 4 types X, F1 is the
# function "Copy", F5 plays macro "gg" (press G, release G, press H, release
# H; the hook plays the presses on press). F6, F7 and F8 play timed macros:
# "paced" once (H, J, K and L, each pressed and released, with the delays of
# a recording), "burst" while held (W, period 40 ms) and "blink" as a toggle
# (E, period 40 ms). Every other key is left out of the file, so the
# scenarios also show that a key nobody assigned loads as itself: Z, Esc and
# the F12 end mark must keep working under --always-on.
paced_delays="0,30,45,25,60,35,50,20"
write_settings() {
  local tap
  # A key's press and release as macro steps: key-name code, code, down.
  tap() { printf '%d,%d,1,%d,%d,0' $(($2 << 16)) "$1" $((($2 << 16) - 2147483648)) "$1"; }
  {
    printf '[TYPE]\r\ntype=1\r\n[Profile1]\r\n'
    printf 'IndexPic65=0\r\nMacroIndex65=0\r\nSetName65=B\r\nKey65=66\r\n'
    printf 'IndexPic100=0\r\nMacroIndex100=0\r\nSetName100=X\r\nKey100=88\r\n'
    printf 'IndexPic112=3\r\nMacroIndex112=0\r\nSetName112=Copy\r\n'
    printf 'IndexPic116=1\r\nMacroIndex116=0\r\nSetName116=gg\r\n'
    printf 'IndexPic117=1\r\nMacroIndex117=1\r\nSetName117=paced\r\n'
    printf 'IndexPic118=1\r\nMacroIndex118=2\r\nSetName118=burst\r\n'
    printf 'IndexPic119=1\r\nMacroIndex119=3\r\nSetName119=blink\r\n'
    printf 'MacroStrNum=4\r\nMacroName0=gg\r\nMacroName1=paced\r\n'
    printf 'MacroName2=burst\r\nMacroName3=blink\r\n'
    printf 'MacroKey0=2228224,71,1,-2145255424,71,0,2293760,72,1,-2145189888,72,0\r\n'
    printf 'MacroKeyNum0=12\r\n'
    printf 'MacroKey1=%s,%s,%s,%s\r\nMacroKeyNum1=24\r\n' "$(tap 72 35)" "$(tap 74 36)" \
      "$(tap 75 37)" "$(tap 76 38)"
    printf 'MacroMode1=1\r\nMacroDelay1=%s\r\n' "$paced_delays"
    printf 'MacroKey2=%s\r\nMacroKeyNum2=6\r\nMacroMode2=2\r\nMacroDelay2=15,25\r\n' \
      "$(tap 87 17)"
    printf 'MacroKey3=%s\r\nMacroKeyNum3=6\r\nMacroMode3=3\r\nMacroDelay3=10,30\r\n' \
      "$(tap 69 18)"
    printf 'SetIndexNum=0\r\n'
  } >"$app/set.ini"
}

prepare_files() {
  cp -r "$stage" "$app" || return 1
  cp "$echo_exe_src" "$echo_exe" || return 1
  win_log=$(winepath -w "$log" 2>/dev/null) || return 1
  win_query=$(winepath -w "$work/query.txt" 2>/dev/null) || return 1
  if [ -f "$app/Main.ini" ]; then write_settings; fi
}

# ---------------------------------------------------------------- helpers

# Title of the foreground window inside the Wine desktop, asked through the
# Windows API: X knows only which of Wine's X windows holds the input focus,
# not which window Wine considers active.
foreground() {
  rm -f "$work/query.txt"
  wine "$echo_exe" --query "$win_query" >/dev/null 2>&1 && head -n 1 "$work/query.txt"
}
foreground_is() { [ "$(foreground)" = "$1" ]; }

# state TITLE: missing, iconic, hidden or shown, for a top-level window.
state() {
  rm -f "$work/query.txt"
  wine "$echo_exe" --query "$win_query" "$1" >/dev/null 2>&1 && sed -n 2p "$work/query.txt"
}
state_is() { [ "$(state "$1")" = "$2" ]; }

log_has_after() { tail -n +"$(($1 + 1))" "$log" 2>/dev/null | grep -qE "$2"; }

# Brings Key Echo forward. A program may always take the foreground for its
# own window, so rather than reach across processes the script drops a
# trigger file, which the window polls for. Tried again while the bound
# lasts, in case another window activates itself just after the check.
echo_to_front() {
  local deadline=$((SECONDS + 15)) start
  while [ "$SECONDS" -lt "$deadline" ]; do
    start=$(wc -l <"$log")
    : >"$log.front"
    if poll 5 log_has_after "$start" '^front$' && poll 1 foreground_is "Key Echo"; then
      return 0
    fi
  done
  return 1
}

# arrived COMMAND...: runs COMMAND (which types something), then types F12
# through the X server as an end mark, and prints what Key Echo received in
# between, as "down 66 up 66". F12 types itself in every scenario and all
# input reaches the window in order, so the mark replaces any guess at how
# long translation takes, and a stray extra stroke cannot slip in after the
# check has looked. A key held across several commands may auto-repeat, as
# often as the machine's speed allows: repeated downs of one key print once.
arrived() {
  local start
  start=$(wc -l <"$log")
  "$@" >/dev/null 2>&1 && xdotool key F12 || return 1
  poll 10 log_has_after "$start" '^up 123 ' || return 1
  tail -n +"$((start + 1))" "$log" |
    awk '/^down 123 /{exit}
         /^(down|up) / {
           if ($1 == "down" && $1 " " $2 == last) next
           last = $1 " " $2; printf "%s%s", sep, last; sep = " "
         }'
  echo
}

# held_keys VK...: those of the codes that are logically down on the desktop,
# as every program sees them ("" when none is).
held_keys() {
  rm -f "$work/held.txt"
  wine "$echo_exe" --held "$(winepath -w "$work/held.txt" 2>/dev/null)" "$@" >/dev/null 2>&1 &&
    cat "$work/held.txt"
}

# conclude NAME: passes NAME when nothing mismatched, else fails it with the
# end of the Key Echo log.
conclude() {
  if [ "$mismatches" = 0 ]; then
    pass "$1"
  else
    show_log_tail
    fail "$1"
  fi
}

# expect_released LABEL VK...: none of the codes may be left down.
expect_released() {
  local label=$1 down
  shift
  down=$(held_keys "$@")
  if [ "$?" != 0 ]; then
    note "$label: the key state could not be read"
    mismatches=$((mismatches + 1))
  elif [ -n "$down" ]; then
    note "$label: still down: $down"
    mismatches=$((mismatches + 1))
  fi
}

# expect LABEL EXPECTED COMMAND...: what COMMAND types against what must
# arrive; counts a difference in "mismatches".
expect() {
  local label=$1 expected=$2 got
  shift 2
  if ! got=$(arrived "$@"); then
    note "$label: nothing reached Key Echo (foreground: '$(foreground)')"
    mismatches=$((mismatches + 1))
  elif [ "$got" != "$expected" ]; then
    note "$label: expected '$expected', got '$got'"
    mismatches=$((mismatches + 1))
  else
    note "$label: $got"
  fi
}
# A physical key, typed through the X server.
expect_keys() { expect "$1" "$3" xdotool key "$2"; }

show_log_tail() {
  note "last lines of the Key Echo log:"
  tail -n 12 "$log" | sed 's/^/    /'
}

# start_tarsil ARGS...: a first instance; waits until its own main window
# exists (Wine tags each X window with the Unix pid of its process), so a
# window an earlier instance left behind cannot answer for it.
start_tarsil() {
  (cd "$app" && exec wine "$app/Tarsil.exe" "$@" >>"$work/tarsil.out" 2>&1) &
  tarsil_pid=$!
  wine_pids+=("$tarsil_pid")
  poll 30 xdotool search --all --pid "$tarsil_pid" --name '^Tarsil Software$' >/dev/null 2>&1 ||
    return 1
  # The window exists a moment before it takes the foreground; Key Echo,
  # brought forward in between, would lose it again while keys are typed.
  if ! poll 5 foreground_is "Tarsil Software"; then
    note "Tarsil Software did not take the foreground at start"
  fi
}

# ---------------------------------------------------------------- scenarios

# Key Echo alone, no Tarsil running: proves focus, typing and logging, so a
# failure further on is about Tarsil.exe, not about this script.
scenario_harness() {
  echo "harness: keys typed through X reach Key Echo unchanged"
  (exec wine "$echo_exe" "$win_log" >"$work/key_echo.out" 2>&1) &
  wine_pids+=("$!")
  ready() { grep -q '^ready$' "$log" 2>/dev/null; }
  # The first window of a run also starts the desktop: allow for that.
  if ! poll 60 ready; then
    fail "harness: Key Echo did not start"
    return 1
  fi
  mismatches=0
  if ! poll 10 foreground_is "Key Echo"; then
    note "Key Echo is not in the foreground: '$(foreground)'"
    mismatches=$((mismatches + 1))
  fi
  expect_keys "A" a "down 65 up 65"
  expect_keys "F1" F1 "down 112 up 112"
  expect_keys "F5" F5 "down 116 up 116"
  expect_keys "Z" z "down 90 up 90"
  expect "A injected with SendInput" "down 65 up 65" wine "$echo_exe" --send 65
  if [ "$mismatches" != 0 ]; then
    show_log_tail
    fail "harness"
    return 1
  fi
  pass "harness"
}

# A key already down when translation starts. A goes down before Tarsil.exe
# starts, and the X server repeats it while the program comes up: the
# repeats reach the new hook, where A types B, yet this hold began as A and
# must end as A, with A released on the desktop.
scenario_held_at_start() {
  echo "held: a key held down while the program starts comes up as itself"
  local start got
  mismatches=0
  xdotool keydown a
  if ! start_tarsil --always-on; then
    xdotool keyup a
    fail "held: the Tarsil Software window did not appear"
    sed 's/^/    /' "$work/tarsil.out"
    return
  fi
  if ! echo_to_front; then
    xdotool keyup a
    fail "held: Key Echo could not be brought forward (foreground: '$(foreground)')"
    return
  fi
  # One repeat at least through the hook, now that Key Echo has the focus.
  start=$(wc -l <"$log")
  if ! poll 5 log_has_after "$start" '^down (65|66) '; then
    note "no auto-repeat of A arrived: the scenario proves less than it should"
  fi
  got=$(arrived xdotool keyup a)
  if [[ ! "$got" =~ ^(down\ 65\ )?up\ 65$ ]]; then
    note "A released: expected 'up 65', got '$got'"
    mismatches=$((mismatches + 1))
  else
    note "A released: $got"
  fi
  expect_released "A held at start" 65 66
  conclude "held: a key down before the start"
}

scenario_a() {
  echo "a: with --always-on, typed keys arrive translated"
  mismatches=0
  # The instance the previous scenario started, if it runs.
  if { [ -z "$tarsil_pid" ] || dead "$tarsil_pid"; } && ! start_tarsil --always-on; then
    fail "a: the Tarsil Software window did not appear"
    sed 's/^/    /' "$work/tarsil.out"
  elif ! echo_to_front; then
    fail "a: Key Echo could not be brought forward (foreground: '$(foreground)')"
  else
    expect_keys "A -> B" a "down 66 up 66"
    expect_keys "F1 -> Copy" F1 "down 17 down 67 up 17 up 67"
    expect_keys "F5 -> macro gg" F5 "down 71 down 72 up 71 up 72"
    expect_keys "Z unmapped" z "down 90 up 90"
    # Another program's strokes pass untranslated, even for a mapped key.
    expect "A injected by another program" "down 65 up 65" wine "$echo_exe" --send 65
    if [ "$mismatches" = 0 ]; then
      pass "a: translation"
    else
      show_log_tail
      fail "a: translation"
    fi
    scenario_numlock_change
    scenario_user_ctrl
    scenario_timed
  fi
  first_pid=$tarsil_pid
}

# Keypad 4 types X. With NumLock on it goes down as 100; NumLock switched off
# while it is held, it comes up as Left (37): X must come up all the same.
scenario_numlock_change() {
  echo "numlock: keypad 4 held across a NumLock change"
  mismatches=0
  # The private X server starts with NumLock off. KP_Left names keypad 4
  # without a modifier: asked for KP_4, xdotool adds NumLock strokes of its own.
  expect_keys "NumLock on" Num_Lock "down 144 up 144"
  expect "Num4 -> X, NumLock off while held" "down 88 down 144 up 144 up 88" \
    xdotool keydown KP_Left key Num_Lock keyup KP_Left
  expect_released "Num4 across NumLock" 88 100 37
  conclude "numlock: the translated key comes up"
}

# typed START: the key events Key Echo logged after line START up to the F12
# end mark, one per line: "down 72 1234567" (the time in microseconds).
typed() {
  tail -n +"$(($1 + 1))" "$log" |
    awk '/^down 123 /{exit} /^(down|up) / {t = $NF; sub(/^t=/, "", t); print $1, $2, t}'
}

# Timed macros: F6 plays "paced" once, F7 "burst" while held, F8 toggles
# "blink". The paced steps must reach Key Echo with the recorded gaps, each
# within 2 ms at the median; the repeating ones must stop within one step of
# the key that stops them (Z, typed right after it, marks the moment), and
# leave nothing down.
scenario_timed() {
  echo "timed: macros play with their delays, repeat while held and toggle"
  mismatches=0
  local start events gaps median after count last
  start=$(wc -l <"$log")
  if ! { xdotool key F6 sleep 0.5 key F12 && poll 10 log_has_after "$start" '^up 123 '; }; then
    note "paced: nothing reached Key Echo"
    mismatches=$((mismatches + 1))
  else
    events=$(typed "$start" | awk '$2 == 72 || $2 == 74 || $2 == 75 || $2 == 76')
    gaps=$(awk -v delays="$paced_delays" 'BEGIN {n = split(delays, d, ",")}
      NR > 1 {printf "%s%.1f", sep, ($3 - t) / 1000 - d[NR]; sep = " "} {t = $3}' <<<"$events")
    note "paced: $(wc -l <<<"$events") strokes, gap minus recorded delay (ms): $gaps"
    median=$(tr ' ' '\n' <<<"$gaps" | awk '{print ($1 < 0 ? -$1 : $1)}' | sort -g |
      awk '{v[NR] = $1} END {print (NR ? v[int((NR + 1) / 2)] : 99)}')
    if [ "$(wc -l <<<"$events")" != 8 ] || awk -v m="$median" 'BEGIN {exit !(m > 2)}'; then
      note "paced: expected 8 strokes, each gap within 2 ms at the median (median $median ms)"
      mismatches=$((mismatches + 1))
    fi
  fi
  # stop_check LABEL VK: after START, VK played at least three passes, at
  # most one of its strokes came after Z, and its last stroke was a release.
  stop_check() {
    events=$(typed "$start")
    count=$(awk -v vk="$2" '$1 == "down" && $2 == vk' <<<"$events" | wc -l)
    after=$(awk -v vk="$2" '$2 == 90 {z = 1; next} z && $2 == vk' <<<"$events" | wc -l)
    last=$(awk -v vk="$2" '$2 == vk {e = $1} END {print e}' <<<"$events")
    note "$1: $count passes, $after strokes after the stop, last '$last'"
    if [ "$count" -lt 3 ] || [ "$after" -gt 1 ] || [ "$last" != up ]; then
      mismatches=$((mismatches + 1))
    fi
  }
  start=$(wc -l <"$log")
  xdotool keydown F7 sleep 0.3 keyup F7 key z sleep 0.2 key F12
  poll 10 log_has_after "$start" '^up 123 ' && stop_check "burst (while held)" 87
  expect_released "burst" 87
  start=$(wc -l <"$log")
  xdotool key F8 sleep 0.3 key F8 key z sleep 0.2 key F12
  poll 10 log_has_after "$start" '^up 123 ' && stop_check "blink (toggle)" 69
  expect_released "blink" 69
  conclude "timed: delays, repeat while held, toggle"
}

# The user holds Ctrl and presses F1 (Copy: Ctrl, C). The release of F1 must
# not let go of the Ctrl the user still holds: the v that follows is Ctrl+V.
scenario_user_ctrl() {
  echo "ctrl: a chord leaves the user's own Ctrl down"
  mismatches=0
  expect "Ctrl held, F1 -> Copy, v" "down 17 down 67 up 67 down 86 up 86 up 17" \
    xdotool keydown Control_L key F1 key v keyup Control_L
  expect_released "Ctrl after the chord" 17 162 67 86
  conclude "ctrl: the user's Ctrl stays down"
}

scenario_c() {
  echo "c: a second start ends at once and brings the first instance forward"
  if [ -z "$first_pid" ] || dead "$first_pid"; then
    fail "c: no first instance running"
    return
  fi
  local problems=0 echo_lines started second_pid rc
  if ! foreground_is "Key Echo" && ! echo_to_front; then
    note "Key Echo could not be brought forward first"
    problems=$((problems + 1))
  fi
  # Minimised, so that coming forward also takes a restore.
  wine "$echo_exe" --minimize "Tarsil Software" >/dev/null 2>&1
  if ! poll 5 state_is "Tarsil Software" iconic; then
    note "the first instance's window could not be minimised ($(state "Tarsil Software"))"
    problems=$((problems + 1))
  fi
  echo_lines=$(wc -l <"$log")
  started=$(date +%s%N)
  (cd "$app" && exec wine "$app/Tarsil.exe" --always-on >>"$work/tarsil.out" 2>&1) &
  second_pid=$!
  wine_pids+=("$second_pid")
  if poll 10 dead "$second_pid"; then
    wait "$second_pid"
    rc=$?
    note "second start ended after $((($(date +%s%N) - started) / 1000000)) ms (exit code $rc)"
  else
    note "second start still running after 10 s"
    problems=$((problems + 1))
  fi
  if alive "$first_pid"; then
    note "first instance still running"
  else
    note "first instance is gone"
    problems=$((problems + 1))
  fi
  if poll 5 foreground_is "Tarsil Software"; then
    note "foreground: Tarsil Software, $(state "Tarsil Software")"
    if ! state_is "Tarsil Software" shown; then problems=$((problems + 1)); fi
  else
    note "foreground: '$(foreground)', not Tarsil Software"
    problems=$((problems + 1))
  fi
  if log_has_after "$echo_lines" '^active 0$'; then
    note "Key Echo lost the activation"
  else
    note "Key Echo was not deactivated"
    problems=$((problems + 1))
  fi
  if [ "$problems" = 0 ]; then pass "c: single instance"; else fail "c: single instance"; fi
}

# set.ini as UTF-8 without carriage returns, whatever encoding it was saved in.
saved_settings() {
  if [ "$(head -c 2 "$app/set.ini" | od -An -tx1 | tr -d ' \n')" = "fffe" ]; then
    iconv -f UTF-16 -t UTF-8 "$app/set.ini" | tr -d '\r'
  else
    tr -d '\r' <"$app/set.ini"
  fi
}

scenario_d() {
  echo "d: Esc ends the program, which writes set.ini at exit"
  if [ -z "$first_pid" ] || dead "$first_pid"; then
    fail "d: no instance running"
    return
  fi
  local problems=0 rc saved profile1 section entry
  # The settings file is read at start only: with it removed now, whatever
  # stands there afterwards was written at exit.
  rm -f "$app/set.ini"
  if ! foreground_is "Tarsil Software"; then
    note "Tarsil Software is not in front; bringing it forward for Esc"
    wine "$echo_exe" --front "Tarsil Software" >/dev/null 2>&1
    poll 5 foreground_is "Tarsil Software"
  fi
  xdotool key Escape
  if poll 10 dead "$first_pid"; then
    wait "$first_pid"
    rc=$?
    note "ended after Esc (exit code $rc)"
  else
    note "still running 10 s after Esc (foreground: '$(foreground)')"
    problems=$((problems + 1))
  fi
  if [ -f "$app/set.ini" ]; then
    saved=$(saved_settings)
    for section in TYPE Profile1 Profile2 Profile3; do
      if grep -qix "\[$section\]" <<<"$saved"; then
        note "[$section] written"
      else
        note "[$section] missing"
        problems=$((problems + 1))
      fi
    done
    # What was loaded at start comes back out: the save writes the profile
    # stores, not defaults.
    profile1=$(awk '/^\[/ {on = (tolower($0) == "[profile1]"); next} on' <<<"$saved")
    for entry in Key65=66 IndexPic112=3 SetName112=Copy IndexPic116=1 MacroName0=gg; do
      if ! grep -qix "$entry" <<<"$profile1"; then
        note "[Profile1] lacks $entry"
        problems=$((problems + 1))
      fi
    done
  else
    note "no set.ini after exit"
    problems=$((problems + 1))
  fi
  if [ "$problems" = 0 ]; then pass "d: exit and save"; else fail "d: exit and save"; fi
}

scenario_b() {
  echo "b: without --always-on nothing is translated"
  # No keyboard of this family exists under Wine, so the hook stays off even
  # though set.ini maps the keys.
  [ -f "$app/set.ini" ] || write_settings
  # An instance that outlived scenario d would turn this start into a second
  # one, which ends at once and pulls the old window forward.
  if [ -n "$first_pid" ] && alive "$first_pid"; then
    note "ending the instance scenario d left running"
    kill "$first_pid"
    poll 10 dead "$first_pid"
  fi
  mismatches=0
  if ! start_tarsil; then
    fail "b: the Tarsil Software window did not appear"
    sed 's/^/    /' "$work/tarsil.out"
  elif ! echo_to_front; then
    fail "b: Key Echo could not be brought forward (foreground: '$(foreground)')"
  else
    expect_keys "A" a "down 65 up 65"
    expect_keys "F1" F1 "down 112 up 112"
    if [ "$mismatches" = 0 ]; then
      pass "b: no translation"
    else
      show_log_tail
      fail "b: no translation"
    fi
  fi
}

# The static texts of the windows titled "Tarsil Software", a notice's and a
# main window's alike, one line each.
notice_text() {
  rm -f "$work/texts.txt"
  wine "$echo_exe" --texts "$(winepath -w "$work/texts.txt" 2>/dev/null)" "Tarsil Software" \
    >/dev/null 2>&1 && cat "$work/texts.txt"
}

scenario_unknown_option() {
  echo "option: a mistyped option is named, then the program starts as usual"
  local problems=0 pid shown=""
  if [ -n "$tarsil_pid" ] && alive "$tarsil_pid"; then
    kill "$tarsil_pid"
    poll 10 dead "$tarsil_pid"
  fi
  (cd "$app" && exec wine "$app/Tarsil.exe" --alwayson >>"$work/tarsil.out" 2>&1) &
  pid=$!
  wine_pids+=("$pid")
  notice_names_it() { shown=$(notice_text) && grep -q -- '--alwayson' <<<"$shown"; }
  if poll 30 notice_names_it; then
    note "notice: $(tr '\n' ' ' <<<"$shown")"
    if ! grep -q -- '--always-on' <<<"$shown"; then
      note "the notice does not list --always-on"
      problems=$((problems + 1))
    fi
  else
    note "no notice named --alwayson ('$shown')"
    problems=$((problems + 1))
  fi
  # The notice is the only window of the new program, and in front: Return
  # closes it, and the main window follows.
  xdotool key Return
  notice_gone() { ! notice_text | grep -q -- '--alwayson'; }
  if ! poll 10 notice_gone; then
    note "the notice is still shown (foreground: '$(foreground)')"
    problems=$((problems + 1))
  elif poll 20 xdotool search --all --pid "$pid" --name '^Tarsil Software$' >/dev/null 2>&1; then
    note "the main window came after the notice"
  else
    note "no main window after the notice (process $(alive "$pid" && echo running || echo ended))"
    problems=$((problems + 1))
  fi
  if [ "$problems" = 0 ]; then pass "option: unknown option"; else fail "option: unknown option"; fi
}

main() {
  if ! e2e_start_x; then
    fail "setup: Xvfb did not start"
    return
  fi
  if ! e2e_start_wine e2e 1024x768 || ! prepare_files; then
    fail "setup: Wine or the work folder could not be prepared"
    return
  fi
  scenario_harness || return
  if [ ! -f "$app/Tarsil.exe" ]; then
    fail "no Tarsil.exe in $stage: scenarios a to d not run"
    return
  fi
  scenario_held_at_start
  scenario_a
  scenario_c
  scenario_d
  scenario_b
  scenario_unknown_option
}

e2e_hold_prefix
main 9>&-
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
