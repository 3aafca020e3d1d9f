#!/usr/bin/env bash
# Qt platforms other than a working xcb: no crash at start or at the end on any of them, a
# clear word and exit code 2 where nothing can be shown, and the renderer without a display.
# Qt's own options: -display chooses the display, the window options move no window.
source "$(dirname "$0")/common.bash"
start_x 1024x768
ulimit -c 0  # an abort must not leave a core file, even if it happens

# expect_refusal NAME TEXT ARGS...: exit code 2 and TEXT in the message, no signal.
expect_refusal() {
  local name=$1 text=$2
  shift 2
  timeout 10 "$@" >"$WORK/$name.log" 2>&1
  local rc=$?
  [ "$rc" = 2 ] || fail "$name: exit code $rc, not 2: $(cat "$WORK/$name.log")"
  grep -qF "$text" "$WORK/$name.log" || fail "$name: no '$text' in: $(cat "$WORK/$name.log")"
  grep -q "petalstream-render" "$WORK/$name.log" || fail "$name: the renderer is not named"
  ok "$name: exit code 2, '$text'"
}

# Every end of the settings dialog is an orderly one.
for sig in TERM INT HUP; do
  run_bg "dialog-$sig" /C
  wait_window_pid "$APP" 10 >/dev/null
  kill -"$sig" "$APP"
  wait_exit "$APP" 5
  rc=$?
  [ "$rc" = 0 ] || fail "/C: exit code $rc after SIG$sig"
done
ok "SIGTERM, SIGINT and SIGHUP end the dialog with exit code 0"

# A window nobody could see, end or close is refused, however the platform is chosen.
expect_refusal offscreen-s "cannot run on the Qt platform 'offscreen'" \
  env QT_QPA_PLATFORM=offscreen "$BIN" /S
expect_refusal minimal-s "cannot run on the Qt platform 'minimal'" "$BIN" -platform minimal
expect_refusal hack-offscreen "cannot run on the Qt platform 'offscreen'" \
  "$BIN" --platform offscreen -root
expect_refusal offscreen-c "cannot open on the Qt platform 'offscreen'" \
  env QT_QPA_PLATFORM=offscreen "$BIN" /C
xev -event structure -geometry 160x120+0+0 -name previewhost >/dev/null 2>&1 &
PIDS+=($!)
host=$(wait_window previewhost 10)
expect_refusal minimal-p "cannot be shown on the Qt platform 'minimal'" \
  "$BIN" -platform minimal /P "$host"

# Platforms that cannot start: Qt's abort (exit code 134) becomes a clear refusal.
expect_refusal display "the display ':999' cannot be opened" "$BIN" -display :999 /S
expect_refusal nosuch "the Qt platform 'nosuch' cannot start" "$BIN" -platform nosuch /C
expect_refusal wayland "the Qt platform 'wayland' cannot start" \
  env QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=petalstream-no-compositor "$BIN" /S

# Qt's options are no switch of the program's: with -display the running mode starts there,
# and the window options neither shrink it nor keep a key from ending it.
run_bg display-option -display "$DISPLAY" /S -qwindowgeometry 1x1
win=$(wait_window_pid "$APP" 10)
[ "$(window_size "$win")" = "1024x768" ] || fail "-display: the window is $(window_size "$win")"
xdotool key Shift_L
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "-display: exit code $rc after a key"
ok "-display DISPLAY /S -qwindowgeometry 1x1: the running mode, full screen, ended by a key"
run_bg geometry-hack -geometry 0x0+-5+-5 -root
win=$(wait_window_pid "$APP" 10)
[ "$(window_size "$win")" = "1024x768" ] || fail "-geometry -root: the hack's window is $(window_size "$win")"
kill -TERM "$APP"
wait_exit "$APP" 5 || fail "-geometry -root: exit code $? after SIGTERM"
ok "-geometry 0x0+-5+-5 -root: the hack still covers the screen"

# The renderer needs no display at all.
RENDER="$BUILD/petalstream-render"
[ -x "$RENDER" ] || fail "$RENDER is not built"
env -u DISPLAY -u QT_QPA_PLATFORM "$RENDER" --width 320 --height 200 --ticks 50 \
  -o "$WORK/render.png" >"$WORK/render.log" 2>&1 || fail "petalstream-render: $(cat "$WORK/render.log")"
[ "$(colours "$WORK/render.png" 0 150 320 50)" -gt 50 ] || fail "the rendered picture has no meadow"
ok "petalstream-render draws without a display"
