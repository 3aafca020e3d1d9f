#!/usr/bin/env bash
# The running mode on two monitors of different sizes (1024x768 and 800x600 to its right, with
# a gap below the smaller one): each head shows a meadow of its own, the desktop background is
# each head's own part of the desktop, and a movement on the second head ends the whole
# screensaver, leaving no window.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/two_heads.bash"
start_x 1900x800
start_two_heads "$WORK" || skip "no nested X server with two heads (Xephyr, xrandr)"
PIDS+=("$XEPHYR_PID")

# run_two NAME: /S with the pointer on the second head; both heads' pictures in
# $WORK/NAME-0.png and $WORK/NAME-1.png.
run_two() {
  xdotool mousemove 1400 300
  run_bg "$1" /S
  wait_window_pid "$APP" 10 >/dev/null
  wait_for 5 windows_of "$APP" 2 ||
    fail "$1: $(xdotool search --onlyvisible --pid "$APP" 2>/dev/null | wc -l) windows, not one per head"
  sleep 3
  shot "$WORK/$1.png"
  convert "$WORK/$1.png" -crop "$HEAD0" +repage "$WORK/$1-0.png"
  convert "$WORK/$1.png" -crop "$HEAD1" +repage "$WORK/$1-1.png"
}

settings Background=1 Date=1 Time=1
run_two blue
cp "$WORK/blue.png" "$BUILD/e2e-monitors.png"
for head in 0 1; do
  top=$(pixel "$WORK/blue-$head.png" 700 20)
  IFS=, read -r r g b <<<"$top"
  [ "$b" -gt $((r + 40)) ] || fail "head $head: no blue sky at the top: $top"
done
head_meadow "$WORK/blue-0.png" 1024 768 "head 0"
head_meadow "$WORK/blue-1.png" 800 600 "head 1"
convert "$WORK/blue-0.png" -crop 700x60+0+700 +repage "$WORK/grass-0.png"
convert "$WORK/blue-1.png" -crop 700x60+0+532 +repage "$WORK/grass-1.png"
same=$(compare -metric AE "$WORK/grass-0.png" "$WORK/grass-1.png" null: 2>&1)
[ "$same" -gt 10000 ] || fail "the heads show the same meadow ($same pixels differ)"
ok "a meadow on each head, each its own"

# On the second head: the first report is only recorded; 3 pixels from it end everything.
xdotool mousemove 1401 300
sleep 0.5
alive "$APP" || fail "the first movement report ended the screensaver"
xdotool mousemove 1404 300
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after a movement on the second head"
[ -z "$(xdotool search --pid "$APP" 2>/dev/null)" ] || fail "a window is left behind"
ok "3 pixels on the second head end the screensaver (exit code 0, no window left)"

# The desktop: an orange root, and a white window over the second head only.
xsetroot -solid '#ff8000' 2>/dev/null || skip "xsetroot is not installed"
xev -event structure -geometry 800x600+1024+0 -name whitehead >"$WORK/xev.log" 2>&1 &
PIDS+=($!)
wait_window whitehead 10 >/dev/null
sleep 0.5
settings Background=3 Date=1 Time=1
run_two desktop
for head in 0 1; do
  top=$(pixel "$WORK/desktop-$head.png" 400 100)
  want=$([ "$head" = 0 ] && echo "255,128,0" || echo "255,255,255")
  [ "$top" = "$want" ] || fail "head $head shows $top, not its own part of the desktop ($want)"
done
head_meadow "$WORK/desktop-1.png" 800 600 "head 1 over the desktop"
xdotool key shift
wait_exit "$APP" 5 || fail "exit code $? after a key"
ok "each head's background is its own part of the desktop"
