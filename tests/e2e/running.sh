#!/usr/bin/env bash
# Without a display, a clear refusal. The running mode on a 1024x768 display: the meadow's
# screenshot (background, grass band, the date and time line, the address at the bottom right);
# a 2-pixel movement leaves it running, 3 pixels end it; a modifier key ends it; the process
# leaves no window behind.
source "$(dirname "$0")/common.bash"

# Without a display: a clear word and the way to the headless renderer.
env -u DISPLAY "$BIN" /S >"$WORK/nodisplay.log" 2>&1
rc=$?
[ "$rc" = 2 ] || fail "exit code $rc without a display"
grep -q "petalstream-render" "$WORK/nodisplay.log" || fail "no hint: $(cat "$WORK/nodisplay.log")"
ok "without a display: exit code 2 and the renderer named"

start_x 1024x768

# Blue background, date and time on: a picture whose parts can be told apart.
settings Background=1 Date=1 Time=1

run_bg meadow /S
win=$(wait_window_pid "$APP" 10)
[ "$(window_size "$win")" = "1024x768" ] || fail "the window is $(window_size "$win"), not the screen"
sleep 3
shot "$WORK/meadow.png"
cp "$WORK/meadow.png" "$BUILD/e2e-running.png"

top=$(pixel "$WORK/meadow.png" 512 20)
IFS=, read -r r g b <<<"$top"
[ "$b" -gt $((r + 40)) ] || fail "the sky is not blue: $top"
ok "blue background ($top at the top)"
[ "$(colours "$WORK/meadow.png" 0 700 1024 68)" -gt 200 ] || fail "no grass band at the bottom"
[ "$(colours "$WORK/meadow.png" 0 100 1024 100)" -lt 200 ] || fail "the sky is not plain"
ok "grass band along the bottom"
[ "$(whites "$WORK/meadow.png" 0 750 160 18)" -gt 30 ] || fail "no date and time at the bottom left"
[ "$(whites "$WORK/meadow.png" 824 750 200 18)" -gt 30 ] || fail "no address at the bottom right"
ok "date and time line, address bottom right"

# The first report records where the pointer is; creeping 2 pixels at a time never ends it.
for step in 1 2 3; do
  xdotool mousemove_relative -- 2 -2
  sleep 0.5
done
alive "$APP" || fail "a 2-pixel movement ended the screensaver"
ok "2-pixel movements leave it running"
xdotool mousemove_relative -- 3 0
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after a 3-pixel movement"
[ -z "$(xdotool search --pid "$APP" 2>/dev/null)" ] || fail "a window is left behind"
ok "3 pixels end it (exit code 0, no window left)"

run_bg key /S
wait_window_pid "$APP" 10 >/dev/null
sleep 1
xdotool key Shift_L
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after a key"
ok "a modifier key ends it"
out=$(grep -v '^$' "$WORK/key.log")
[ -z "$out" ] || fail "output: $out"
ok "no complaints on the way out"
