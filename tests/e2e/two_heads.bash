# Two monitors side by side for the end-to-end scripts (sourced): a nested X server, Xephyr,
# with two screens joined by Xinerama, inside the X server on $DISPLAY (Xvfb's own +xinerama
# puts every head at 0,0). Xephyr's RandR knows only its first screen, so the second head is
# declared as a RandR monitor too, the first one primary, as a desktop's RandR describes them:
# Qt reads RandR, Wine Xinerama. start_xinerama alone gives a server whose second head only
# Xinerama reports.
HEAD0=1024x768+0+0
HEAD1=800x600+1024+0

# start_xinerama WORKDIR SIZE...: Xephyr with a screen of each size, left to right, joined by
# Xinerama alone; DISPLAY becomes it, its process id XEPHYR_PID. False when it cannot be had.
start_xinerama() {
  local work=$1 size screens=()
  shift
  command -v Xephyr >/dev/null || return 1
  for size in "$@"; do screens+=(-screen "$size"); done
  Xephyr -displayfd 8 "${screens[@]}" +xinerama -nolisten tcp -noreset \
    8>"$work/xephyr.fd" >"$work/xephyr.log" 2>&1 &
  XEPHYR_PID=$!
  join_display "$work/xephyr.fd" "$XEPHYR_PID"
}

# start_two_heads WORKDIR: HEAD0 and HEAD1, both known to RandR too.
start_two_heads() {
  command -v xrandr >/dev/null || return 1
  start_xinerama "$1" 1024x768 800x600 || return 1
  xrandr --setmonitor head1 800/211x600/159+1024+0 none >/dev/null 2>&1 &&
    xrandr --output default --primary >/dev/null 2>&1
}
