#!/usr/bin/env bash
# Monitors plugged in and out while the screensaver runs (Xorg's dummy driver, whose outputs
# come and go through RandR as a desktop's do): a monitor plugged in is covered by a meadow of
# its own within a moment, one pulled out takes its window along, the primary monitor's meadow
# follows the primary monitor when a monitor to its left pushes it along, and the pointer still
# ends everything once.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/dummy_x.bash"
start_dummy_x "$WORK" 1280x1024 || skip "no Xorg with the dummy video driver to plug monitors into"
PIDS+=("$DUMMY_X_PID")
ROOT='#ff00ff'  # the desktop, wherever no meadow covers it
xsetroot -solid "$ROOT" 2>/dev/null || skip "xsetroot is not installed"

# windows N: the program shows N windows within 10 s; it must still run either way.
windows() {
  wait_for 10 windows_of "$APP" "$1"
  local shown=$?
  alive "$APP" || fail "the screensaver ended: $(tail -n 5 "$WORK/hotplug.log")"
  return $shown
}
# covered NAME GEOMETRY: the monitor at WxH+X+Y shows a whole meadow and none of the desktop.
covered() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$2"
  convert "$WORK/$1.png" -crop "$2" +repage "$WORK/$1-$x.png"
  [ "$(showing "$WORK/$1.png" "$2" "$ROOT")" = 0 ] || fail "$1: the desktop shows on the monitor at $2"
  head_meadow "$WORK/$1-$x.png" "$w" "$h" "$1: the monitor at $2"
}

settings Background=1 Date=1 Time=1 Restart=0
xdotool mousemove 200 200
run_bg hotplug /S
wait_window_pid "$APP" 10 >/dev/null
sleep 2

plug DUMMY1 1024x768 --right-of DUMMY0 || skip "the dummy driver gives no second output"
windows 2 || fail "no meadow on the monitor plugged in"
sleep 2
shot "$WORK/plugged.png"
covered plugged 1280x1024+0+0
covered plugged 1024x768+1280+0
ok "a monitor plugged in is covered by a meadow of its own"

unplug DUMMY1
windows 1 || fail "the meadow of the monitor pulled out stays"
sleep 1
shot "$WORK/unplugged.png"
covered unplugged 1280x1024+0+0
ok "a monitor pulled out takes its meadow along; the primary one runs on"

# X keeps its desktop's corner at 0,0: a monitor to the left moves the primary one right.
plug DUMMY1 800x600 --left-of DUMMY0
windows 2 || fail "no meadow on the monitor plugged in to the left"
sleep 2
shot "$WORK/left.png"
cp "$WORK/left.png" "$BUILD/e2e-hotplug.png"
covered left 800x600+0+0
covered left 1280x1024+800+0
ok "the primary meadow follows its monitor when one to its left pushes it along"

# The server moved the pointer onto a monitor while they changed; that was no movement of the
# user's. The pointer's next position is only recorded, and 3 pixels from it end everything.
read -r px py <<<"$(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')"
xdotool mousemove $((px + 1)) "$py"
sleep 0.5
alive "$APP" || fail "the first movement after the change ended the screensaver"
xdotool mousemove $((px + 4)) "$py"
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after a movement"
[ -z "$(xdotool search --pid "$APP" 2>/dev/null)" ] || fail "a window is left behind"
ok "the pointer's moves while the monitors changed end nothing; 3 pixels after do, once"
