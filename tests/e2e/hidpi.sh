#!/usr/bin/env bash
# At a device pixel ratio of 2 (QT_SCALE_FACTOR=2, then Xft.dpi 192 through xrdb) the running
# mode, the hack inside a foreign window and the preview cover their window completely, at one
# scale: every 2x2 block of device pixels is one pixel of the meadow (nearest neighbour, never
# smoothed), and the meadow keeps the size it has on a 96-dpi screen of 512x384.
source "$(dirname "$0")/common.bash"
command -v xrdb >/dev/null || skip "xrdb is not installed (scripts/install-deps.sh)"
start_x 1024x768

settings Background=1 Date=1 Time=1

# blocky FILE: every 2x2 block of the picture (from its top-left corner) is one colour.
blocky() {
  convert "$1" -sample 50% -sample 200% "$WORK/blocks.png"
  local differ
  differ=$(compare -metric AE "$1" "$WORK/blocks.png" null: 2>&1)
  [ "$differ" = 0 ] || fail "$1 is not at one 2x scale: $differ pixels differ from its 2x2 blocks"
}

# meadow FILE: the whole 1024x768 screen shows the meadow: blue sky to the right edge, the
# grass band along the whole bottom, the date at the bottom left and the address at the right.
meadow() {
  local top
  top=$(pixel "$1" 1000 20)
  IFS=, read -r r g b <<<"$top"
  [ "$b" -gt $((r + 40)) ] || fail "$1: no sky at the top right: $top"
  [ "$(colours "$1" 0 700 300 68)" -gt 100 ] || fail "$1: no grass at the bottom left"
  [ "$(colours "$1" 724 700 300 68)" -gt 100 ] || fail "$1: no grass at the bottom right"
  [ "$(whites "$1" 0 730 300 38)" -gt 60 ] || fail "$1: no date and time at the bottom left"
  [ "$(whites "$1" 624 730 400 38)" -gt 60 ] || fail "$1: no address at the bottom right"
}

# running NAME: /S at the scale the environment sets; its screenshot in $WORK/NAME.png.
running() {
  run_bg "$1" /S
  local win
  win=$(wait_window_pid "$APP" 10)
  [ "$(window_size "$win")" = "1024x768" ] || fail "$1: the window is $(window_size "$win")"
  sleep 3
  shot "$WORK/$1.png"
  xdotool key shift
  wait_exit "$APP" 5 || fail "$1: exit code $? after a key"
}

QT_SCALE_FACTOR=2 running scaled
cp "$WORK/scaled.png" "$BUILD/e2e-hidpi.png"
meadow "$WORK/scaled.png"
blocky "$WORK/scaled.png"
ok "QT_SCALE_FACTOR=2: the whole screen shows the meadow at 2x, crisp"

# The same through Qt's repaint instead of shared memory.
QT_SCALE_FACTOR=2 PETALSTREAM_PRESENT=qt running repaint
meadow "$WORK/repaint.png"
blocky "$WORK/repaint.png"
ok "QT_SCALE_FACTOR=2 through Qt's repaint: the same"

echo "Xft.dpi: 192" | xrdb -merge
running xft
meadow "$WORK/xft.png"
blocky "$WORK/xft.png"
ok "Xft.dpi 192: the whole screen shows the meadow at 2x, crisp"

# hosted NAME W H SWITCH FORMAT: the program started with SWITCH and the id (in the printf
# FORMAT) of a foreign W x H window (xev's, structure events only) at the top left; the host's
# picture in $WORK/NAME.png, then that picture is checked to be at one 2x scale.
hosted() {
  xev -event structure -geometry "$2x$3+0+0" -name "$1host" >"$WORK/$1host.log" 2>&1 &
  PIDS+=($!)
  local host
  host=$(wait_window "$1host" 10)
  run_bg "$1" "$4" "$(printf "$5" "$host")"
  sleep 3
  shot "$WORK/$1.png" "$host"
  blocky "$WORK/$1.png"
}

# The hack inside XScreenSaver's window: the meadow over the whole host.
hosted hack 640 480 -window-id 0x%x
[ "$(colours "$WORK/hack.png" 0 420 640 60)" -gt 100 ] || fail "the hack leaves the host's bottom bare"
[ "$(whites "$WORK/hack.png" 0 0 640 380)" -lt 1000 ] || fail "the host's white shows in the hack"
kill "$APP"
ok "-window-id: the meadow covers the 640x480 host at 2x"

hosted preview 400 300 /P %d
[ "$(whites "$WORK/preview.png" 0 0 400 300)" -lt 20000 ] || fail "the preview leaves the host white"
[ "$(whites "$WORK/preview.png" 300 200 100 100)" -lt 5000 ] || fail "the preview misses the host's corner"
ok "/P: the picture covers the 400x300 host at 2x"
