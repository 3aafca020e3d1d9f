#!/usr/bin/env bash
# The running meadow at 96, 120, 144 and 192 dots per inch (Wine's LogPixels), each on a screen
# as much larger as its resolution is finer (1024x768 at 96; one pixel more each way at the
# others, where the meadow's last pixels are cut off): laid out in the pixels of 96 dpi and shown
# in blocks, the meadow looks the same at every resolution: the texts are as high against the
# screen as at 96 (how much of its band the grass covers is printed, not checked: each run draws
# its own number of flowers, up to twice the least), each of
# the meadow's columns takes one or more of the screen's, every pixel of the screen shows the
# meadow (the root window is magenta), and at 192 every 2x2 block is one pixel of the meadow
# and a move of 4 device pixels (2 of the meadow's) ends nothing; told of 96 dpi there
# (WM_DPICHANGED), the meadow is laid out again at a pixel each.
# Screenshots: e2e-win-shots/meadow-DPI-dpi.png.
# A prefix of its own: the resolution must not reach the other scripts.
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/petalstream-wine-scaled.XXXXXX)
source "$(dirname "$0")/lib.bash"
trap 'cleanup; rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$WINEPREFIX.log"' EXIT

dir=$(program_folder)
shots=$BUILD/e2e-win-shots
mkdir -p "$shots"
settings Background=2 Date=1 Time=1 maxFl=10 SpeedF=1

# count FILE GEOMETRY FX: how many pixels of the region the fx expression holds for.
count() {
  convert "$1" -crop "$2" +repage -alpha off -fx "$3" -colorspace gray \
    -format '%[fx:round(mean*w*h)]' info:
}

# repeated_columns FILE: how many columns of the picture are the same as the one to their left.
repeated_columns() {
  convert "$1" \( +clone -roll +1+0 \) -alpha off -compose difference -composite -colorspace gray \
    -scale "$(identify -format %w "$1")x1!" txt:- | tail -n +3 |
    sed -n 's/.*gray(\([0-9.]*\)%*).*/\1/p' | awk '$1 == 0 { n++ } END { print n + 0 }'
}

# The 96-dpi figures the others are measured against.
text96=
for dpi in 96 120 144 192; do
  W=$((1024 * dpi / 96 + (dpi != 96))) H=$((768 * dpi / 96 + (dpi != 96)))
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID"
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
  fi
  start_display "$W" "$H"
  xsetroot -solid '#ff00ff'
  resolution "$dpi"
  xdotool mousemove $((W / 2)) $((H / 2))
  start_saver "$dir" /s
  check "at $dpi dpi /s shows the meadow" wait_meadow 40
  sleep 4
  shot=$WORK/meadow-$dpi.png
  screenshot "$shot"
  cp "$shot" "$shots/meadow-$dpi-dpi.png"

  check "at $dpi dpi no pixel of the ${W}x$H screen shows the desktop" \
    test "$(count "$shot" "${W}x$H+0+0" 'r>0.99&&g<0.01&&b>0.99')" -eq 0
  # The green background reaches the last column and the last row of the screen.
  read -r _ g _ <<<"$(mean_rgb "$shot" "1x$H+$((W - 1))+0")"
  read -r _ g8 _ <<<"$(mean_rgb "$shot" "1x$H+$((W - 9))+0")"
  check "at $dpi dpi the last column is as green as the ones before (${g:-?} against ${g8:-?})" \
    test "${g:-0}" -ge $((${g8:-0} * 4 / 5)) -a "${g:-0}" -ge 40
  # Shown in blocks: each column of the meadow covers one or two of the screen, never less, so
  # as many columns repeat the one to their left as the screen has more than the meadow.
  repeated=$(repeated_columns "$shot")
  logical=$(((W * 96 + dpi - 1) / dpi))
  check "at $dpi dpi the meadow's $logical columns fill the screen's $W ($repeated repeat the one before)" \
    test "$repeated" -eq $((W - logical))
  # Grass, for the log: greener than the green background is (which is never more than 191
  # green, and never as green against its red).
  band=$((W * 3 / 5))x$((H * 7 / 100))+$((W / 5))+$((H - H * 7 / 100))
  grass=$(count "$shot" "$band" 'g>0.55&&g>r+0.2&&g>b+0.2')
  grass=$((grass * 1000 / (W * 3 / 5 * (H * 7 / 100))))
  # The date and the time: white at the bottom left, so many rows of the screen high.
  rows=$((H * 6 / 100)) columns=$((W * 2 / 5))
  text=$(convert "$shot" -crop "${columns}x$rows+0+$((H - rows))" +repage -alpha off \
    -fx 'r>0.99&&g>0.99&&b>0.99' -colorspace gray -scale "1x$rows!" txt:- |
    sed -n 's/.*gray(\([0-9.]*\)%*).*/\1/p' | awk '$1 >= 3 { n++ } END { print n + 0 }')
  text=$((text * 10000 / H))
  echo "at $dpi dpi: grass covers $grass per mille of its band, the texts are $text per 10000 of the height"
  if [ "$dpi" = 96 ]; then
    text96=$text
  else
    check "at $dpi dpi the texts are as high against the screen as at 96 ($text against $text96)" \
      test $((text * 10)) -ge $((text96 * 8)) -a $((text * 10)) -le $((text96 * 12))
  fi

  if [ "$dpi" = 192 ]; then
    # One scale: the even part of the screen in 2x2 blocks of one colour.
    convert "$shot" -crop "$((W - 1))x$((H - 1))+0+0" +repage "$WORK/even.png"
    convert "$WORK/even.png" -sample 50% -sample 200% "$WORK/blocks.png"
    differ=$(compare -metric AE "$WORK/even.png" "$WORK/blocks.png" null: 2>&1)
    check "at 192 dpi every 2x2 block is one pixel of the meadow ($differ pixels differ)" \
      test "$differ" = 0
    # The pointer in the meadow's pixels: 4 device pixels are 2 of them.
    xdotool mousemove $((W / 2 + 4)) $((H / 2))
    sleep 0.5
    xdotool mousemove $((W / 2 + 4)) $((H / 2 + 4))
    sleep 1.5
    check "at 192 dpi a move of 4 device pixels keeps the meadow" saver_running
    # The monitor set to 96 dpi while it runs: the meadow is laid out again, a pixel each.
    timeout 60 wine "$HELPERS/dpi_change.exe" 96 >>"$WORK/wine.log" 2>&1
    check "told of 96 dpi, the meadow follows" traced '^dpiChanged\(frmMain,96\)$'
    check "... and is laid out again" \
      wait_for 10 test "$(count_traced '^setTimer\(frmMain,[0-9]+,1\)')" -eq 2
    sleep 2
    screenshot "$WORK/meadow-192-96.png"
    repeated=$(repeated_columns "$WORK/meadow-192-96.png")
    check "... over the screen's $W columns, one each ($repeated repeat the one before)" \
      test "$repeated" -eq 0
    xdotool mousemove $((W / 2 + 7)) $((H / 2 + 4))
    check "... and a move of 3 pixels ends it" wait_for 15 saver_ended
  else
    xdotool key shift
    check "at $dpi dpi a key ends it" wait_for 15 saver_ended
  fi
done

# The desktop background at 192 dpi: the whole snapshot (red on the left half, blue on the
# right), averaged down to the meadow's pixels and shown in blocks again, not its top-left part.
convert -size "${W}x$H" xc:'#c00000' -fill '#0000c0' -draw "rectangle $((W / 2)),0 $W,$H" \
  "$WORK/desktop.png"
display -window root "$WORK/desktop.png"
settings Background=3 Date=1 Time=1 maxFl=10 SpeedF=1
start_saver "$dir" /s
check "the desktop background shows the meadow" wait_meadow 40
sleep 2
screenshot "$WORK/desktop-192.png"
cp "$WORK/desktop-192.png" "$shots/desktop-192-dpi.png"
xdotool key shift
wait_for 15 saver_ended
read -r r _ b <<<"$(mean_rgb "$WORK/desktop-192.png" "$((W / 2 - 8))x$((H / 2))+0+0")"
read -r r2 _ b2 <<<"$(mean_rgb "$WORK/desktop-192.png" "$((W / 2 - 8))x$((H / 2))+$((W / 2 + 8))+0")"
check "at 192 dpi the desktop's left half shows red ($r, $b) and its right half blue ($r2, $b2)" \
  test "${r:-0}" -ge 180 -a "${b:-255}" -le 20 -a "${b2:-0}" -ge 180 -a "${r2:-255}" -le 20

finish
