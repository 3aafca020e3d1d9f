#!/usr/bin/env bash
# The running mode on a server whose second head only Xinerama reports (Xephyr's RandR knows
# its first screen alone): each head shows a meadow, none the desktop, and a key pressed with
# the pointer on the second head ends the whole screensaver, leaving no window.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/two_heads.bash"
start_x 2600x1100
start_xinerama "$WORK" 1280x1024 1280x1024 || skip "no nested X server (Xephyr)"
PIDS+=("$XEPHYR_PID")
command -v xrandr >/dev/null || skip "xrandr is not installed"
[ "$(xrandr --listmonitors 2>/dev/null | head -n1)" = "Monitors: 1" ] ||
  skip "RandR reports both heads here: $(xrandr --listmonitors 2>/dev/null | tr '\n' ' ')"

# An orange desktop, which no head may show.
xsetroot -solid '#ff8000' 2>/dev/null || skip "xsetroot is not installed"
settings Background=1 Date=1 Time=1
xdotool mousemove 1900 500
run_bg xinerama /S
wait_window_pid "$APP" 10 >/dev/null
wait_for 5 windows_of "$APP" 2 ||
  fail "$(xdotool search --onlyvisible --pid "$APP" 2>/dev/null | wc -l) windows, not one per head"
sleep 3
shot "$WORK/both.png"
cp "$WORK/both.png" "$BUILD/e2e-xinerama.png"
for head in 0 1; do
  convert "$WORK/both.png" -crop "1280x1024+$((head * 1280))+0" +repage "$WORK/head-$head.png"
  orange=$(convert "$WORK/head-$head.png" -fill black +opaque '#ff8000' -fill white \
    -opaque '#ff8000' -colorspace Gray -format "%[fx:int(mean*w*h+0.5)]" info:)
  [ "$orange" = 0 ] || fail "head $head shows the desktop ($orange pixels)"
  head_meadow "$WORK/head-$head.png" 1280 1024 "head $head"
done
ok "a meadow on each of the two Xinerama heads, no desktop"

xdotool key shift
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after a key"
[ -z "$(xdotool search --pid "$APP" 2>/dev/null)" ] || fail "a window is left behind"
ok "a key ends it (exit code 0, no window left)"
