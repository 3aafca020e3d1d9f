#!/usr/bin/env bash
# The settings dialog at 120, 144 and 192 dots per inch (Wine's LogPixels): its client area is
# 5850 x 4650 twips at that resolution, as its fonts are, so texts keep their places (at 192 a
# whole 8 twips per pixel made the window a fifteenth too small for its doubled texts, and
# "after / nach" ran into the minutes). The settings dialog and the info dialog open in the
# middle of the screen (a whole 8 twips per pixel put them 53 pixels off at 192).
# Screenshots: e2e-win-shots/config-DPI-dpi.png and info-DPI-dpi.png. Under a
# German decimal separator (sDecimal ",") the speed is still stored with a full stop.
# A prefix of its own: the resolution and the separator must not reach the other scripts.
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/petalstream-wine-dpi.XXXXXX)
source "$(dirname "$0")/lib.bash"
trap 'cleanup; rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$WINEPREFIX.log"' EXIT

start_display 1600 1200
dir=$(program_folder)
shots=$BUILD/e2e-win-shots
mkdir -p "$shots"

# info_window W H: the top-left corner of the mapped window of that size (the info window has
# no title to find it by).
info_window() {
  xwininfo -root -children 2>/dev/null |
    awk -v g="${1}x${2}+" 'index($0, g) { split(substr($0, index($0, g) + length(g)), p, "+");
      print p[1], p[2]; found = 1; exit } END { exit !found }'
}

settings SpeedF=0.5 Background=4
timeout 60 wine reg add 'HKCU\Control Panel\International' /v sDecimal /t REG_SZ /d , /f \
  >/dev/null 2>&1 || fail "cannot set the decimal separator"
for dpi in 120 144 192; do
  resolution "$dpi"
  start_saver "$dir" /c
  wait_for 30 window_geometry "Settings / Einstellungen" >/dev/null
  read -r X Y CW CH <<<"$(window_geometry "Settings / Einstellungen")"
  w=$(((5850 * dpi + 720) / 1440)) h=$(((4650 * dpi + 720) / 1440))
  check "at $dpi dpi the client area is ${w}x${h} (it is ${CW}x${CH})" \
    test "$CW" = "$w" -a "$CH" = "$h"
  # Never placed, it opens in the middle, within what the window's frame at this resolution
  # differs from the 90 twips the dialog allows for it (3 pixels at 192).
  check "at $dpi dpi the settings dialog is centred across (client at $X of $CW)" \
    test $((2 * X + CW - 1600)) -ge -8 -a $((2 * X + CW - 1600)) -le 8
  sleep 1
  screenshot "$WORK/config-$dpi.png"
  convert "$WORK/config-$dpi.png" -crop "${CW}x${CH}+$X+$Y" +repage "$shots/config-$dpi-dpi.png"
  # Info (4440, 2280 in twips): the borderless info window lies in the middle of the screen.
  click $((X + (4440 + 600) * dpi / 1440)) $((Y + (2280 + 700) * dpi / 1440))
  check "at $dpi dpi Info opens the info dialog" wait_for 10 traced '^showModal\(frmInfo\)$'
  iw=$(((5340 * dpi + 720) / 1440)) ih=$(((4935 * dpi + 720) / 1440))
  wait_for 10 info_window "$iw" "$ih" >/dev/null
  read -r IX IY <<<"$(info_window "$iw" "$ih")"
  check "at $dpi dpi the ${iw}x${ih} info dialog is centred (it is at ${IX:-?},${IY:-?})" \
    test $((2 * ${IX:-0} + iw - 1600)) -ge -2 -a $((2 * ${IX:-0} + iw - 1600)) -le 2 \
    -a $((2 * ${IY:-0} + ih - 1200)) -ge -2 -a $((2 * ${IY:-0} + ih - 1200)) -le 2
  sleep 1
  screenshot "$WORK/info-$dpi.png"
  cp "$WORK/info-$dpi.png" "$shots/info-$dpi-dpi.png"
  # Its OK at 3120, 3960 (615 x 495 twips); the next click waits until the window is gone.
  click $((${IX:-0} + (3120 + 307) * dpi / 1440)) $((${IY:-0} + (3960 + 247) * dpi / 1440))
  check "at $dpi dpi its OK closes it" wait_for 10 traced '^destroyWindow\(frmInfo\)$'
  # OK (4440, 3480 in twips) keeps the speed with a full stop.
  click $((X + (4440 + 600) * dpi / 1440)) $((Y + (3480 + 487) * dpi / 1440))
  check "at $dpi dpi OK ends the dialog" wait_for 15 saver_ended
  check "... and stores the speed 0.5 as 0.5 under a decimal comma" test "$(setting SpeedF)" = 0.5
done

finish
