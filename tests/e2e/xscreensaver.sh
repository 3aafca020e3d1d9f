#!/usr/bin/env bash
# As an XScreenSaver hack: -window-id and $XSCREENSAVER_WINDOW with --root draw the meadow into
# the given window at its size; input is left to XScreenSaver (no ending on it); SIGTERM ends
# the program cleanly; so does the window's disappearance.
source "$(dirname "$0")/common.bash"
start_x 1024x768

# A blue background: at random it may be the desktop, whose snapshot holds the host's own white.
mkdir -p "$XDG_CONFIG_HOME/PetalStream"
printf '[Settings]\nBackground=1\n' >"$XDG_CONFIG_HOME/PetalStream/PetalStream.ini"

# host W H NAME: a foreign window (xev's, structure events only); id in $HOST.
host() {
  xev -event structure -geometry "$1x$2+30+30" -name "$3" >"$WORK/$3.log" 2>&1 &
  HOSTPID=$!
  PIDS+=($HOSTPID)
  HOST=$(wait_window "$3" 10)
}

host 480 300 saverwindow
run_bg hack -window-id "$(printf '0x%x' "$HOST")"
sleep 3
alive "$APP" || fail "the hack ended: $(cat "$WORK/hack.log")"
shot "$WORK/hack.png" "$HOST"
cp "$WORK/hack.png" "$BUILD/e2e-xscreensaver.png"
[ "$(colours "$WORK/hack.png" 0 250 480 50)" -gt 100 ] || fail "no meadow in the window"
[ "$(whites "$WORK/hack.png" 0 0 480 200)" -lt 100 ] || fail "the window still shows its own white"
ok "the meadow in XScreenSaver's window (480x300)"

xdotool mousemove 100 100 sleep 0.3 mousemove 300 250 sleep 0.3 key a click 1
sleep 1
alive "$APP" || fail "input ended the hack"
ok "mouse and keys are left to XScreenSaver"

kill -TERM "$APP"
wait_exit "$APP" 3
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc on SIGTERM"
ok "SIGTERM ends it cleanly"

host 320 200 varwindow
# This one through Qt's own painting, the way taken where shared memory cannot be had.
XSCREENSAVER_WINDOW=$(printf '0x%x' "$HOST") PETALSTREAM_PRESENT=qt run_bg var --root
sleep 3
shot "$WORK/var.png" "$HOST"
[ "$(colours "$WORK/var.png" 0 160 320 40)" -gt 100 ] || fail "no meadow in \$XSCREENSAVER_WINDOW"
ok "--root with \$XSCREENSAVER_WINDOW draws into that window"
kill "$HOSTPID"
wait_exit "$APP" 5
ok "the hack ends with its window"

run_bg bad -window-id nonsense
wait_exit "$APP" 5
rc=$?
[ "$rc" = 2 ] || fail "exit code $rc for a bad window id"
grep -q "window-id" "$WORK/bad.log" || fail "no word about the bad id: $(cat "$WORK/bad.log")"
ok "a bad window id is refused"
