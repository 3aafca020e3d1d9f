# Two monitors side by side for the end-to-end scripts (sourced): a nested X server, Xephyr,
# with two screens joined by Xinerama, inside the X server on $DISPLAY (Xvfb's own +xinerama
# puts every head at 0,0). Xephyr's RandR knows only its first screen, so the second head is
# declared as a RandR monitor too, the first one primary, as a desktop's RandR describes them:
# Qt reads RandR, Wine Xinerama.
HEAD0=1024x768+0+0
HEAD1=800x600+1024+0

# start_two_heads WORKDIR: DISPLAY becomes the nested server, its process id XEPHYR_PID; false
# when it cannot be had.
start_two_heads() {
  local work=$1
  command -v Xephyr >/dev/null && command -v xrandr >/dev/null || return 1
  Xephyr -displayfd 8 -screen 1024x768 -screen 800x600 +xinerama -nolisten tcp -noreset \
    8>"$work/xephyr.fd" >"$work/xephyr.log" 2>&1 &
  XEPHYR_PID=$!
  join_display "$work/xephyr.fd" "$XEPHYR_PID" || return 1
  xrandr --setmonitor head1 800/211x600/159+1024+0 none >/dev/null 2>&1 &&
    xrandr --output default --primary >/dev/null 2>&1
}
