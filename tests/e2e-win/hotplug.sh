#!/usr/bin/env bash
# The real PetalStream.scr under Wine while the monitors change as the display control panel
# changes them (Xorg's dummy driver, whose outputs Wine sees as monitors): a monitor detached
# takes its meadow along, one attached gets a meadow of its own, the primary monitor's meadow
# follows a new resolution, and a key still ends everything once.
source "$(dirname "$0")/lib.bash"
source "$SOURCE/tests/e2e/dummy_x.bash"

start_dummy_x "$WORK" 1280x1024 || { echo "SKIP: no Xorg with the dummy video driver"; exit 77; }
XVFB_PID=$DUMMY_X_PID  # ended by cleanup
plug DUMMY1 1024x768 --right-of DUMMY0 || { echo "SKIP: the dummy driver gives no second output"; exit 77; }
ROOT='#ff00ff'  # the desktop, wherever no meadow covers it
xsetroot -solid "$ROOT" 2>/dev/null || { echo "SKIP: xsetroot is not installed"; exit 77; }
# Wine reads the monitors when its desktop starts: a fresh one, on this server.
timeout 60 wineserver -w 2>/dev/null
dir=$(program_folder)
settings maxFl=10 SpeedF=10 Date=1 Time=1 Restart=0 rTime=600 Background=1

# change DEVICE W H X Y: the display control panel's change, W 0 detaching the device.
change() {
  timeout 60 wine "$HELPERS/display_change.exe" "$@" >>"$WORK/change.log" 2>&1 ||
    fail "the change of $1 to $2x$3+$4+$5 was refused: $(tail -n 4 "$WORK/change.log")"
}
meadows() { [ "$(count_traced '^setTimer\(frmMain,[0-9]+,1\)')" -ge "$1" ]; }
# covered NAME GEOMETRY...: each monitor at WxH+X+Y shows none of the desktop.
covered() {
  local name=$1 geometry n
  shift
  screenshot "$WORK/$name.png"
  for geometry in "$@"; do
    n=$(showing "$WORK/$name.png" "$geometry" "$ROOT")
    check "$name: the monitor at $geometry is covered ($n pixels of the desktop show)" test "$n" = 0
  done
}

# Wine's desktop reads the monitors anew when a display setting changes (here: the primary
# monitor set to the mode it has); both must be there before the saver starts.
change '\\.\DISPLAY1' 1280 1024 0 0
attached=$(tail -n 2 "$WORK/change.log" | tr -d '\r' | grep -c ' [0-9a-f]*[13579bdf]$')
[ "$attached" = 2 ] || { echo "SKIP: Wine sees no second monitor: $(tr -d '\r' <"$WORK/change.log")"; exit 77; }
xdotool mousemove 300 300
start_saver "$dir" /s
check "/s shows the meadow" wait_meadow 40
check "a second meadow for the second monitor" wait_for 20 meadows 2
sleep 2
covered started 1280x1024+0+0 1024x768+1280+0

change '\\.\DISPLAY2' 0 0 0 0
check "the monitor detached takes its meadow along" wait_for 15 traced '^destroyWindow\(frmMain\)$'
sleep 1
check "... and the screensaver runs on" saver_running
covered detached 1280x1024+0+0

change '\\.\DISPLAY2' 800 600 1280 0
check "a meadow for the monitor attached" wait_for 15 meadows 3
sleep 2
covered attached 1280x1024+0+0 800x600+1280+0

change '\\.\DISPLAY1' 1024 768 0 0
check "the primary meadow takes the new resolution" wait_for 15 traced '^displayChanged\(1024,768\)$'
sleep 2
# Wine keeps the monitors side by side: the second one moves along to 1024.
covered resolution 1024x768+0+0 800x600+1024+0
mkdir -p "$BUILD/e2e-win-shots" && cp "$WORK/resolution.png" "$BUILD/e2e-win-shots/hotplug.png"

check "still running" saver_running
xdotool key Return
check "a key ends it" wait_for 15 saver_ended
check "the process ended with code 0" traced '^ExitProcess\(0\)$'
check "the ending ran once, nested as with one monitor" test "$(count_traced '^ShowCursor\(-1\)')" -eq 2
finish
