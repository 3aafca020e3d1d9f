#!/usr/bin/env bash
# A change of the screen's size while the running mode runs (RANDR, as a display settings
# dialog does it): the window takes the new size and the meadow is laid out anew for it, grass
# and texts along the new bottom edge; growing back, no band of the desktop shows.
source "$(dirname "$0")/common.bash"
command -v xrandr >/dev/null || skip "xrandr is not installed (scripts/install-deps.sh)"
start_x 1024x768
# Xvfb's one output knows only its first mode: a smaller one to switch to.
xrandr --newmode 800x600 0 800 0 0 0 600 0 0 0 && xrandr --addmode screen 800x600 ||
  skip "this X server cannot change its size"

settings Background=1 Date=1 Time=1

# laid_out W H NAME: the window has the screen's size and its bottom edge shows the meadow.
laid_out() {
  local w=$1 h=$2 i
  for i in $(seq 50); do
    [ "$(window_size "$win")" = "${w}x$h" ] && break
    sleep 0.1
  done
  [ "$(window_size "$win")" = "${w}x$h" ] || fail "$3: the window is $(window_size "$win"), not ${w}x$h"
  sleep 1.5
  shot "$WORK/$3.png"
  [ "$(identify -format %wx%h "$WORK/$3.png")" = "${w}x$h" ] || fail "$3: the screen is not ${w}x$h"
  [ "$(colours "$WORK/$3.png" 0 $((h - 60)) "$w" 60)" -gt 200 ] || fail "$3: no grass along the bottom"
  [ "$(whites "$WORK/$3.png" 0 $((h - 18)) 160 18)" -gt 30 ] || fail "$3: no date at the bottom left"
  [ "$(whites "$WORK/$3.png" $((w - 200)) $((h - 18)) 200 18)" -gt 30 ] ||
    fail "$3: no address at the bottom right"
  local top
  top=$(pixel "$WORK/$3.png" $((w - 10)) 20)
  IFS=, read -r r g b <<<"$top"
  [ "$b" -gt $((r + 40)) ] || fail "$3: no sky at the top right: $top"
}

run_bg meadow /S
win=$(wait_window_pid "$APP" 10)
laid_out 1024 768 large
ok "1024x768 at the start"

xrandr --output screen --mode 800x600 --fb 800x600
laid_out 800 600 shrunk
alive "$APP" || fail "the change of size ended the screensaver"
ok "shrunk to 800x600: laid out anew at the new bottom"

xrandr --fb 1024x768 --output screen --mode 1024x768
laid_out 1024 768 grown
ok "grown back to 1024x768: the whole screen is meadow"

xdotool key shift
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after a key"
ok "a key still ends it"
