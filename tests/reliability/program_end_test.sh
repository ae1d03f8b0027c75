#!/usr/bin/env bash
# Ends the real program every way it can end, in a loop, and checks each time that the process
# is gone within a limit, that the database then passes a full validation, and that the engine's
# machine-wide lock is free (the validation would wait behind it otherwise).
# Usage: program_end_test.sh <termaro binary> <create.sql> [rounds]
set -uo pipefail
program=$(realpath "$1")
create_sql=$(realpath "$2")
rounds=${3:-2}
limit=15
work=$(mktemp -d)
display_base=$((100 + RANDOM % 300))
display=
xvfb_pid=
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A new display number each time: a killed server leaves its lock behind, and another user may
# hold a number; the server is ours once its socket is there and it still runs.
start_display() {
  for _ in $(seq 20); do
    display=:$((display_base++))
    [ -e "/tmp/.X${display#:}-lock" ] && continue
    Xvfb "$display" -noreset -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      if [ -S "/tmp/.X11-unix/X${display#:}" ] && DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1; then
        return
      fi
      sleep 0.1
    done
    kill -KILL "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  done
  fail "Xvfb did not start"
}

stop_display() {
  kill -KILL "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  rm -f "/tmp/.X${display#:}-lock" "/tmp/.X11-unix/X${display#:}"
  xvfb_pid=
}

# Waits for the program to show its main window (under Xvfb) or just to settle (offscreen).
wait_started() {
  for _ in $(seq 100); do
    if [ "$1" = x ]; then
      DISPLAY=$display xdotool search --onlyvisible --name '^Termaro' >/dev/null 2>&1 && return
    fi
    sleep 0.1
    [ "$1" = offscreen ] && [ -s "$work/started" ] && return
  done
}

# How each way ends it; the program runs as $pid.
end_by() {
  case $1 in
    sigterm) kill -TERM "$pid" ;;
    sigint) kill -INT "$pid" ;;
    close)
      # The menu's "Kilépés" closes the main window, as the user does.
      local window geometry x y
      window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Termaro' | head -1)
      eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
      DISPLAY=$display xdotool mousemove $((X + 518)) $((Y + 8)) click 1
      ;;
    display_lost) stop_display ;;
    sigterm_then_display_lost) kill -TERM "$pid"; stop_display ;;
  esac
}

for round in $(seq "$rounds"); do
  for way in ${WAYS:-sigterm sigint close display_lost sigterm_then_display_lost}; do
    rm -f "$work/termaro.fdb"
    (cd "$work" && isql-fb -q -bail -i "$create_sql" >/dev/null) || { fail "create.sql"; continue; }
    start_display
    (cd "$work" && exec env -u QT_QPA_PLATFORM DISPLAY=$display TERMARO_SPLASH_MS=0 "$program" 2>"$work/stderr") &
    pid=$!
    wait_started x
    sleep 0.5
    end_by "$way"
    ended=no
    for _ in $(seq $((limit * 10))); do
      kill -0 "$pid" 2>/dev/null || { ended=yes; break; }
      sleep 0.1
    done
    if [ $ended = no ]; then
      fail "round $round, $way: still running after ${limit}s"
      kill -KILL "$pid"
    fi
    wait "$pid" 2>/dev/null
    code=$?
    # An abort or a crash is not an end.
    case $code in
      134 | 139) fail "round $round, $way: ended by signal $((code - 128)): $(cat "$work/stderr")" ;;
    esac
    [ -n "$xvfb_pid" ] && stop_display
    if grep -q "did not close in time" "$work/stderr"; then
      fail "round $round, $way: the last-resort timer had to end it"
    fi
    report=$(cd "$work" && timeout 60 gfix -v -full -user SYSDBA termaro.fdb 2>&1)
    status=$?
    if [ $status -ne 0 ] || [ -n "$report" ]; then
      fail "round $round, $way: validation ($status): $report"
    fi
  done
done
echo "rounds=$rounds failures=$failures"
[ $failures -eq 0 ]
