#!/usr/bin/env bash
# The running mode of the real PetalStream.scr under Wine on two monitors of different sizes
# (Xephyr with two Xinerama heads, nested in Xvfb): /s shows a meadow on each head, and a
# movement on the second head ends the whole screensaver with one nested ending. With the
# desktop as background each head shows its own part of the desktop.
source "$(dirname "$0")/lib.bash"
source "$SOURCE/tests/e2e/two_heads.bash"

start_display 1900 800
XEPHYR_PID=
trap '[ -n "$XEPHYR_PID" ] && kill "$XEPHYR_PID" 2>/dev/null; cleanup' EXIT
start_two_heads "$WORK" || { echo "SKIP: no nested X server with two heads (Xephyr, xrandr)"; exit 77; }
# Wine takes the monitors from RandR, where Xephyr reports only its first screen: for this
# script Wine's desktop reads the Xinerama heads (the value goes again with the script's end).
X11KEY='HKCU\Software\Wine\X11 Driver'
timeout 60 wineserver -w 2>/dev/null
timeout 60 wine reg add "$X11KEY" /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
timeout 60 wineserver -w 2>/dev/null
trap '[ -n "$XEPHYR_PID" ] && kill "$XEPHYR_PID" 2>/dev/null
  timeout 60 wine reg delete "$X11KEY" /v UseXRandR /f >/dev/null 2>&1; cleanup' EXIT
dir=$(program_folder)
settings maxFl=10 SpeedF=10 Date=1 Time=1 Restart=1 rTime=600 Background=1

xdotool mousemove 1400 300
start_saver "$dir" /s
check "/s shows the meadow" wait_meadow 40
two_meadows() { [ "$(count_traced '^setTimer\(frmMain,[0-9]+,1\)')" -ge 2 ]; }
check "a second meadow for the second head" wait_for 20 two_meadows
sleep 3
shot=$WORK/monitors.png
screenshot "$shot"
mkdir -p "$BUILD/e2e-win-shots" && cp "$shot" "$BUILD/e2e-win-shots/"
# check_head NAME GEOMETRY W H: the head shows a meadow: blue above, grass below, white texts
# at the bottom.
check_head() {
  local name=$1 geometry=$2 w=$3 h=$4 x y r g b
  x=${geometry#*+}
  x=${x%%+*}
  read -r r g b <<<"$(mean_rgb "$shot" "${w}x$((h / 2))+$x+0")"
  check "$name: the upper half is blue (mean $r $g $b)" test "$b" -gt $((r + 20)) -a "$b" -gt "$g"
  read -r r g b <<<"$(mean_rgb "$shot" "${w}x$((h * 6 / 100))+$x+$((h * 90 / 100))")"
  check "$name: the ground band is grass and flowers (mean $r $g $b)" test "$g" -gt "$b"
  y=$(convert "$shot" -crop "${w}x18+$x+$((h - 18))" +repage -fuzz 12% -fill black +opaque white \
    -format '%[fx:mean*w*h]' info: 2>/dev/null)
  check "$name: white texts along the bottom ($y white pixels)" test "${y%.*}" -gt 100
}
check_head "head 0" "$HEAD0" 1024 768
check_head "head 1" "$HEAD1" 800 600

xdotool mousemove 1401 300
sleep 1
check "the first report on the second head is only recorded" saver_running
xdotool mousemove 1404 300
check "a movement of 3 pixels on the second head ends it" wait_for 15 saver_ended
check "the process ended with code 0" traced '^ExitProcess\(0\)$'
check "the ending ran once, nested as with one monitor" test "$(count_traced '^ShowCursor\(-1\)')" -eq 2

# --- the desktop: a picture that differs everywhere across both heads ---
convert -size 1824x768 -seed 4 plasma:fractal "$WORK/desktop.png"
timeout 20 display -window root "$WORK/desktop.png" 2>/dev/null
screenshot "$WORK/desktop-before.png"
settings Background=3 Restart=0
start_saver "$dir" /s
check "the desktop background is shown" wait_meadow 40
check "... taken from both heads before the windows were made" traced '^captureDisplay\(1824,768\) = 1$'
sleep 3
screenshot "$WORK/desktop-meadow.png"
for geometry in 1024x400+0+0 800x300+1024+0; do
  convert "$WORK/desktop-before.png" -crop "$geometry" +repage "$WORK/before.png"
  convert "$WORK/desktop-meadow.png" -crop "$geometry" +repage "$WORK/meadow.png"
  differ=$(compare -metric AE "$WORK/meadow.png" "$WORK/before.png" null: 2>&1)
  check "the head at $geometry shows its own part of the desktop ($differ pixels differ)" \
    test "${differ%% *}" -lt 50
done
xdotool key Return
check "a key ends it" wait_for 15 saver_ended
finish
