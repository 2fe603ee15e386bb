# Shared by the end-to-end scripts (sourced, not run): a private X server, a
# Wine prefix whose programs all open in one virtual desktop, polling with a
# bound, and a cleanup that stops only what the script started.
#
# The sourcing script sets `work` (its temporary folder) and WINEPREFIX
# first, calls e2e_start_x and e2e_start_wine DESKTOP WxH, and adds the
# background programs it starts to `wine_pids`.

export WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINELOADER WINESERVER

passed=0
failed=0
xvfb_pid=""
server_started=0
wine_pids=()

note() { echo "  $*"; }
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# poll SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; fails once SECONDS have passed without success.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    if [ "$SECONDS" -ge "$deadline" ]; then return 1; fi
    sleep 0.1
  done
}

# check LABEL EXPECTED ACTUAL: counts a difference in `problems`.
check() {
  if [ "$2" = "$3" ]; then
    note "$1: $3"
  else
    note "$1: expected '$2', got '$3'"
    problems=$((problems + 1))
  fi
}

alive() { kill -0 "$1" 2>/dev/null; }
dead() { ! kill -0 "$1" 2>/dev/null; }

e2e_cleanup() {
  local status=$? pid
  trap - EXIT INT TERM
  for pid in "${wine_pids[@]}"; do
    kill "$pid" 2>/dev/null
  done
  if [ "$server_started" = 1 ]; then
    # Only processes of this run's own prefix, which it holds under its lock.
    timeout 20 wineserver -k 2>/dev/null
  fi
  for pid in "${wine_pids[@]}"; do
    wait "$pid" 2>/dev/null
  done
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  if [ "${E2E_KEEP:-0}" = 1 ]; then
    echo "work folder kept: $work"
  else
    rm -rf "$work"
  fi
  exit "$status"
}

e2e_start_x() {
  # -displayfd picks a free display number and writes it once the server
  # accepts connections: neither a guessed number nor a start-up race.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$work/display" >"$work/xvfb.out" 2>&1 &
  xvfb_pid=$!
  display_ready() { grep -q '^[0-9][0-9]*$' "$work/display" 2>/dev/null; }
  if ! poll 20 display_ready; then
    sed 's/^/    /' "$work/xvfb.out"
    return 1
  fi
  DISPLAY=":$(cat "$work/display")"
  export DISPLAY
}

# e2e_start_wine DESKTOP WxH
e2e_start_wine() {
  # A run killed before its cleanup may have left a desktop process bound to
  # a display that no longer exists. It belongs to this prefix, which this
  # run now holds.
  timeout 20 wineserver -k 2>/dev/null
  server_started=1
  # One server for the whole run: each fresh Wine start would cost seconds.
  mkdir -p "$WINEPREFIX" && wineserver -p || return 1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix $WINEPREFIX"
    timeout 180 wineboot -i >"$work/wineboot.out" 2>&1 || return 1
  fi
  # Every program of the prefix opens in the one virtual desktop, which
  # activates windows as a window manager would and shows a taskbar with
  # the tray; its foreground window holds the X input focus, so xdotool's
  # keys go to it. A program's Unix process is the program itself, so its
  # pid tells when it ends.
  if ! grep -q "\"Desktop\"=\"$1\"" "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$1" /f >/dev/null 2>&1 &&
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$1" /d "$2" /f >/dev/null 2>&1 ||
      return 1
  fi
}

# e2e_hold_prefix: one run at a time per prefix; two runs sharing a
# wineserver would see each other's windows. Run the script's main with
# 9>&- so that nothing it starts keeps the lock.
e2e_hold_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  if ! flock -w 300 9; then
    echo "another end-to-end run holds $WINEPREFIX.lock" >&2
    exit 1
  fi
}
