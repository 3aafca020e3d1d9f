#!/usr/bin/env bash
# The running mode of the real PetalStream.scr under Wine: /S covers the screen with the meadow
# (blue background, grass band, the date line and address at the bottom), hides the pointer and
# sets both system flags; a mouse creep of 2 pixels keeps it running, 3 pixels end it; a key
# ends it; the ending shows the pointer and restores both flags. Also: the timer keeps 20 ms
# and stands still while the display is switched off, a mouse button ends it, and the desktop
# background is the screen as it was before.
source "$(dirname "$0")/lib.bash"

W=1280
H=800
start_display $W $H
dir=$(program_folder)
settings maxFl=10 SpeedF=10 Date=1 Time=1 Restart=1 rTime=600 Background=1

# --- mouse ---
xdotool mousemove 500 500
start_saver "$dir" /s
check "/s shows the meadow" wait_meadow 40
sleep 3
shot=$WORK/running.png
screenshot "$shot"
mkdir -p "$BUILD/e2e-win-shots" && cp "$shot" "$BUILD/e2e-win-shots/"
read -r r g b <<<"$(mean_rgb "$shot" "${W}x$((H / 2))+0+0")"
check "the upper half is the blue background (mean $r $g $b)" test "$b" -gt $((r + 20)) -a "$b" -gt "$g"
read -r r2 g2 b2 <<<"$(mean_rgb "$shot" "${W}x$((H * 6 / 100))+0+$((H * 90 / 100))")"
check "the ground band is green grass and flowers (mean $r2 $g2 $b2)" test "$g2" -gt "$b2"
white=$(convert "$shot" -crop "${W}x18+0+$((H - 18))" +repage -fuzz 12% -fill black +opaque white \
  -format '%[fx:mean*w*h]' info: 2>/dev/null)
check "the bottom line carries white text ($white white pixels)" test "${white%.*}" -gt 100

check "the pointer was hidden" traced '^ShowCursor\(0\) = -1$'
check "the screen saver was switched off and marked running" \
  traced '^SystemParametersInfoA\(17,0,0\) = 1$'
check "SPI_SETSCREENSAVERRUNNING -1" traced '^SystemParametersInfoA\(97,-1,0\) = 1$'
check "the window was made topmost (flags 3)" traced '^SetWindowPos\([0-9]+,-1,0,0,0,0,3\) = 1$'

xdotool mousemove 501 500
sleep 0.5
xdotool mousemove 503 502
sleep 1.5
check "a movement of 2 pixels keeps the meadow" saver_running
check "... and shows no pointer" test "$(count_traced '^ShowCursor\(-1\)')" -eq 0
xdotool mousemove 506 502
check "a movement of 3 pixels ends it" wait_for 15 saver_ended
check "the pointer is shown again (count back to 0)" traced '^ShowCursor\(-1\) = 0$'
check "the screen saver is switched on again" traced '^SystemParametersInfoA\(17,1,0\) = 1$'
check "the screen saver is no longer marked running" traced '^SystemParametersInfoA\(97,0,0\) = 1$'
check "the process ended with code 0" traced '^ExitProcess\(0\)$'
# The ending runs twice over (the unload of the window calls it again) and never asks.
check "the ending ran twice, nested" test "$(count_traced '^ShowCursor\(-1\)')" -eq 2

# --- key, and the timer's pace ---
settings maxFl=10 SpeedF=10 Background=0
start_saver "$dir" /S
check "/S shows the meadow again" wait_meadow 40
check "SpeedF 10 gives a 20 ms timer" traced '^setTimer\(frmMain,20,1\)$'
wait_for 30 traced '^ticks\(750\)'
t250=$(sed -n 's/^ticks(250) at \([0-9]*\)$/\1/p' "$TRACE")
t750=$(sed -n 's/^ticks(750) at \([0-9]*\)$/\1/p' "$TRACE")
if [ -n "$t250" ] && [ -n "$t750" ]; then
  per=$(((t750 - t250) * 100 / 500))  # hundredths of a millisecond per tick
  echo "500 ticks in $((t750 - t250)) ms: $((per / 100)).$((per % 100)) ms per tick"
  check "the timer keeps its 20 ms (19 to 22 ms a tick)" test $per -ge 1900 -a $per -le 2200
else
  fail "no 750 ticks within 30 s"
fi
# The console's display switched off: the meadow's timer stands still until it is on again.
check "the meadow asks to hear of the display's power" \
  traced '^RegisterPowerSettingNotification\(frmMain\) = 1$'
power() { timeout 60 wine "$HELPERS/display_power.exe" "$1" >>"$WORK/wine.log" 2>&1; }
# after MARK PATTERN: a line matching PATTERN was traced after the first line matching MARK.
after() { sed -n "/$1/,\$p" "$TRACE" 2>/dev/null | grep -qE "$2"; }
check "the display's power-off reaches the program" power off
check "... which stops the meadow's timer" \
  wait_for 10 after '^displayPower(off)$' '^setTimer\(frmMain,20,0\)$'
ticks=$(count_traced '^ticks\(')
sleep 6
check "... so that it ticks no more (no 250 ticks in 6 s)" test "$(count_traced '^ticks\(')" = "$ticks"
check "the display's power-on reaches the program" power on
check "... which starts the timer again" \
  wait_for 10 after '^displayPower(on)$' '^setTimer\(frmMain,20,1\)$'
check "... and the meadow ticks on" wait_for 15 after '^displayPower(on)$' '^ticks\('
xdotool key a
check "a key ends it" wait_for 15 saver_ended
check "... with the pointer back" traced '^ShowCursor\(-1\) = 0$'

# --- mouse button ---
start_saver "$dir"
check "no switch at all is the running mode" wait_meadow 40
xdotool click 3
check "a mouse button ends it" wait_for 15 saver_ended
check "... with both flags back" traced '^SystemParametersInfoA\(97,0,0\) = 1$'

# --- the desktop as background ---
convert -size ${W}x$H pattern:checkerboard -fill 'rgb(200,60,30)' -colorize 40 "$WORK/desktop.png"
timeout 20 display -window root "$WORK/desktop.png" 2>/dev/null
screenshot "$WORK/desktop-before.png"
settings Background=3 Restart=0
start_saver "$dir" /s
check "the desktop background is shown" wait_meadow 40
check "... taken from the display before the window was made" \
  traced '^captureDisplay\(1280,800\) = 1$'
sleep 2
screenshot "$WORK/desktop-meadow.png"
cp "$WORK/desktop-meadow.png" "$BUILD/e2e-win-shots/"
upper() { convert "$1" -crop "${W}x$((H * 6 / 10))+0+0" +repage "$2"; }
upper "$WORK/desktop-before.png" "$WORK/upper-before.png"
upper "$WORK/desktop-meadow.png" "$WORK/upper-meadow.png"
differ=$(compare -metric AE "$WORK/upper-meadow.png" "$WORK/upper-before.png" null: 2>&1)
check "the upper part of the screen is the desktop as it was ($differ pixels differ)" \
  test "${differ%% *}" -lt 50
xdotool key Return
check "a key ends it" wait_for 15 saver_ended

finish
