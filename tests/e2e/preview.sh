#!/usr/bin/env bash
# The preview (/P id) inside a foreign host window: the picture stretched over the host's client
# area, again after the host changes its size, and the end of the program with the host.
source "$(dirname "$0")/common.bash"
start_x 800x600

# host W H: a foreign window of that size (xev's); its id in $HOST, its process in $HOSTPID.
host() {
  # Structure events only: xev would otherwise redirect its children's configuration to itself.
  xev -event structure -geometry "$1x$2+20+20" -name previewhost >"$WORK/xev.log" 2>&1 &
  HOSTPID=$!
  PIDS+=($HOSTPID)
  HOST=$(wait_window previewhost 10)
}

# child_size: "WxH" of the host's one child window (ours).
child_size() {
  local c
  c=$(xwininfo -children -id "$HOST" | awk '/^ +0x/ {print $1}' | while read -r w; do
    xwininfo -id "$w" | grep -q petalstream -i && echo "$w"
  done | head -n1)
  [ -n "$c" ] || c=$(xwininfo -children -id "$HOST" | awk '/^ +0x/ {print $1}' | tail -n1)
  window_size "$c"
}

# wait_child_size WxH: until our window in the host has that size.
wait_child_size() {
  local i
  for i in $(seq 40); do
    [ "$(child_size)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "the preview is $(child_size), not $1"
}

# like_picture FILE: the screenshot is the preview picture stretched to its size.
like_picture() {
  local size pic=$SRC/resources/preview.gif
  [ -f "$pic" ] || { echo "(no $pic to compare with)"; return 0; }
  size=$(identify -format "%wx%h" "$1")
  # Compared at a quarter of the size: the picking of pixels when stretching may differ by one.
  convert "$pic" -sample "$size!" -resize 25% "$WORK/expected.png"
  convert "$1" -resize 25% "$WORK/shown.png"
  local diff
  diff=$(compare -metric RMSE "$WORK/shown.png" "$WORK/expected.png" null: 2>&1 |
    sed -E 's/.*\((.*)\).*/\1/')
  awk -v d="$diff" 'BEGIN {exit !(d < 0.05)}' || fail "$1 differs from the picture (RMSE $diff)"
}

host 152 112
# Qt's own geometry option changes nothing: the host decides.
run_bg preview /P "$HOST" -qwindowgeometry 10x10+3+3
wait_child_size 152x112
sleep 0.5
shot "$WORK/small.png" "$HOST"
cp "$WORK/small.png" "$BUILD/e2e-preview.png"
# The meadow has white flowers; the bare host is white all over.
[ "$(whites "$WORK/small.png" 0 0 152 112)" -lt 8512 ] || fail "the host shows its own white, no picture"
like_picture "$WORK/small.png"
ok "the picture fills a 152x112 host"

xdotool windowsize "$HOST" 512 192
wait_child_size 512x192
sleep 0.5
shot "$WORK/wide.png" "$HOST"
like_picture "$WORK/wide.png"
ok "stretched anew over 512x192"

kill "$HOSTPID"
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc when the host went away"
ok "the program ends with its host"

# A handle that names no window: nothing to show in, so nothing keeps the program.
run_bg nowindow /P 4711
wait_exit "$APP" 5
ok "a handle of no window ends the program"
