#!/usr/bin/env bash
# A Wayland session (a headless Weston with XWayland): the running mode through XWayland, as
# the program starts by default, ends at a key; natively on Wayland it runs and ends cleanly
# at SIGTERM (a headless compositor has no input to send), as does the settings dialog.
source "$(dirname "$0")/common.bash"
command -v weston >/dev/null || skip "weston is not installed (scripts/install-deps.sh)"
command -v Xwayland >/dev/null || skip "Xwayland is not installed (scripts/install-deps.sh)"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  skip "Qt's Wayland platform is not installed (qt6-wayland, scripts/install-deps.sh)"

socket="petalstream-$$"
# Pixman renders the screen, and --debug lets weston-screenshooter take it.
weston --backend=headless-backend.so --use-pixman --debug --socket="$socket" --width=1024 \
  --height=768 --idle-time=0 --xwayland >"$WORK/weston.log" 2>&1 &
PIDS+=($!)
for i in $(seq 100); do
  grep -q "xserver listening on display" "$WORK/weston.log" && break
  sleep 0.1
done
xdisplay=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$WORK/weston.log")
[ -n "$xdisplay" ] && [ -S "$XDG_RUNTIME_DIR/$socket" ] ||
  fail "weston did not start: $(tail -n 5 "$WORK/weston.log")"
export WAYLAND_DISPLAY=$socket DISPLAY=$xdisplay XDG_SESSION_TYPE=wayland
ok "Weston on $WAYLAND_DISPLAY, XWayland on $DISPLAY"

# The default: X11 through XWayland, full screen, ended by a key.
run_bg xwayland /S
win=$(wait_window_pid "$APP" 15)
[ "$(window_size "$win")" = "1024x768" ] || fail "XWayland: the window is $(window_size "$win")"
sleep 1
xdotool key Shift_L
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "XWayland: exit code $rc after a key: $(cat "$WORK/xwayland.log")"
ok "through XWayland: full screen, a key ends it (exit code 0)"

# Natively: the meadow shows (opaque: Wayland's buffers have an alpha channel, which the
# pixels' zero top byte made transparent) and a session's end (SIGTERM) ends it in order.
for mode in /S /C; do
  QT_QPA_PLATFORM=wayland run_bg native "$mode"
  sleep 3
  alive "$APP" || fail "Wayland $mode ended by itself: $(cat "$WORK/native.log")"
  if [ "$mode" = /S ]; then
    rm -rf "$WORK/shots" && mkdir "$WORK/shots"
    (cd "$WORK/shots" && timeout 20 weston-screenshooter) || fail "no Wayland screenshot"
    mv "$WORK"/shots/*.png "$WORK/wayland.png" && cp "$WORK/wayland.png" "$BUILD/e2e-wayland.png"
    opaque=$(convert "$WORK/wayland.png" -alpha extract -format "%[fx:mean]" info:)
    awk -v o="$opaque" 'BEGIN { exit !(o > 0.99) }' || fail "the meadow is transparent ($opaque)"
    [ "$(colours "$WORK/wayland.png" 0 700 1024 68)" -gt 200 ] || fail "no meadow on Wayland"
    ok "natively on Wayland the meadow shows, opaque"
  fi
  kill -TERM "$APP"
  wait_exit "$APP" 5
  rc=$?
  [ "$rc" = 0 ] || fail "Wayland $mode: exit code $rc after SIGTERM: $(cat "$WORK/native.log")"
  ok "natively on Wayland, $mode runs and SIGTERM ends it (exit code 0)"
done
