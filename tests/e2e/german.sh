#!/usr/bin/env bash
# Under a German locale (a decimal comma): a stored speed of 0.5 runs the meadow at that speed,
# the settings dialog's OK writes the speed with a full stop, and a speed written with a comma
# (by hand, or by an older version) reads as well.
E2E_LOCALE=de_DE.UTF-8
source "$(dirname "$0")/common.bash"
start_x 1024x768

ini="$XDG_CONFIG_HOME/PetalStream/PetalStream.ini"
mkdir -p "$(dirname "$ini")"
cat >"$ini" <<'INI'
[Settings]
SpeedF=0.5
Background=2
INI

# Half speed: a tick every 400 ms. Read as 0, the first layout pass divided by zero and the
# program ended at once.
run_bg meadow /S
win=$(wait_window_pid "$APP" 10)
sleep 4
alive "$APP" || fail "the running mode ended by itself: $(cat "$WORK/meadow.log")"
shot "$WORK/meadow.png"
cp "$WORK/meadow.png" "$BUILD/e2e-german-running.png"
[ "$(colours "$WORK/meadow.png" 0 700 1024 68)" -gt 200 ] || fail "no meadow at the bottom"
[ "$(whites "$WORK/meadow.png" 0 750 160 18)" -gt 30 ] || fail "no date and time at the bottom left"
xdotool key Shift_L
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after a key"
ok "a stored speed of 0.5 runs (window $win) and a key ends it"

# ok_dialog: /C, then its OK; the settings file afterwards.
ok_dialog() {
  run_bg config /C
  local w x y
  w=$(wait_window_pid "$APP" 10)
  read -r x y < <(xwininfo -id "$w" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
  sleep 0.5
  xdotool mousemove $((x + 336)) $((y + 264)) click 1
  wait_exit "$APP" 5
  rc=$?
  [ "$rc" = 0 ] || fail "exit code $rc after OK"
}

ok_dialog
grep -qxF "SpeedF=0.5" "$ini" || fail "OK did not keep the speed 0.5:$(printf '\n%s' "$(cat "$ini")")"
cp "$ini" "$WORK/first.ini"
ok_dialog
cmp -s "$ini" "$WORK/first.ini" || fail "a second OK changed the file: $(diff "$WORK/first.ini" "$ini")"
ok "OK writes SpeedF=0.5, which reads back exactly"

sed -i 's/^SpeedF=.*/SpeedF=0,3/' "$ini"
ok_dialog
grep -qxF "SpeedF=0.3" "$ini" || fail "0,3 did not come back as 0.3:$(printf '\n%s' "$(cat "$ini")")"
ok "a speed written with a comma reads, and is written back with a full stop"
