#!/usr/bin/env bash
# Nobody looks: a window mapped over the whole meadow (as a screen locker maps one) stops its
# timer, so the program wakes up no more of its own accord; once it goes, the meadow ticks again.
# Wake-ups are the voluntary context switches of all the program's threads. Input still ends it.
source "$(dirname "$0")/common.bash"

COVER="$BUILD/petalstream-cover"
[ -x "$COVER" ] || fail "$COVER is not built"

# cover: the covering window, its PID in $COVERING, once the server has mapped it.
cover() {
  "$COVER" >"$WORK/cover.out" 2>&1 &
  COVERING=$!
  PIDS+=($COVERING)
  wait_for 5 grep -q covered "$WORK/cover.out" || fail "the covering window did not appear"
}

start_x 640x480
settings Background=1 Date=1 Time=1
run_bg meadow /S
wait_window_pid "$APP" 10 >/dev/null
sleep 2

ticking "while the meadow shows"

cover
sleep 0.5
sleeping "while covered"

kill "$COVERING"
sleep 0.5
ticking "once the cover went"

cover
sleep 0.5
xdotool key Shift_L
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after a key while covered"
ok "a key ends it while covered"
