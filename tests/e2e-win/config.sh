#!/usr/bin/env bash
# The configuration mode of the real PetalStream.scr under Wine: /c:4711 opens the settings dialog
# loaded from the registry; synthetic clicks on its controls and OK write the settings back in
# their text forms (read with `wine reg query`); the info dialog opens modally and closes again;
# the home-page button and the info dialog's address line open the address. A second run shows
# that closing the window without OK saves nothing.
source "$(dirname "$0")/lib.bash"

start_display 1024 768
dir=$(program_folder)
shots=$BUILD/e2e-win-shots
mkdir -p "$shots"
settings maxFl=3 SpeedF=0.3 Date=1 Time=1 Restart=0 rTime=120 Background=2
# The address goes to Wine's browser launcher: let it find no browser to start.
timeout 60 wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ \
  /d petalstream-test-no-browser /f >/dev/null 2>&1

start_saver "$dir" /c:4711
wait_for 30 window_geometry "Settings / Einstellungen" >/dev/null
read -r X Y CW CH <<<"$(window_geometry "Settings / Einstellungen")"
check "/c:4711 opens the settings dialog (client ${CW}x${CH} at $X,$Y)" test -n "$X"
check "its client area is 5850 x 4650 twips" test "$CW" -eq 390 -a "$CH" -eq 310
sleep 1
screenshot "$WORK/config.png"
cp "$WORK/config.png" "$shots/config-loaded.png"

# at LEFT TOP: a click at a point given in twips of the client area (15 twips a pixel).
at() { click $((X + ($1 + 7) / 15)) $((Y + ($2 + 7) / 15)); }

# Frames: Flowers (120,120), Options (120,2160), Background (3000,120); controls inside.
at $((120 + 240 + 120)) $((2160 + 1440 + 127))             # chkOpt(2) Restart: on
at $((120 + 1680 + 127)) $((2160 + 1800 + 60))             # vscTime's upper arrow: 98 -> 97
at $((3000 + 240 + 120)) $((120 + 1170 + 127))             # optBack(3) Desktop
at $((120 + 240 + 2200 - 90)) $((120 + 600 + 100))         # HScroll(0)'s right arrow: 12 -> 17
at $((120 + 240 + 2200 - 90)) $((120 + 600 + 100))         # 17 -> 22
check "the clicks reached the check box" traced '^click\(chkOpt\(2\)\)$'
check "... and the option button" traced '^click\(optBack\(3\)\)$'
screenshot "$WORK/config-changed.png"
cp "$WORK/config-changed.png" "$shots/config-changed.png"

at $((3000 + 600)) $((2280 + 700))                          # cmdHomepage
check "the home-page button opens the address" \
  traced '^ShellExecuteA\([0-9]+,Open,https?://[^ ]+\)$'

at $((4440 + 600)) $((2280 + 700))                          # cmdInfo
check "Info opens the info dialog modally" wait_for 10 traced '^showModal\(frmInfo\)$'
sleep 1
screenshot "$WORK/info.png"
cp "$WORK/info.png" "$shots/info.png"
# The info window is borderless and centred: its OK button at 3120, 3960 (615 x 495 twips).
IX=$(((1024 - 356) / 2))
IY=$(((768 - 329) / 2))
read -r r g b <<<"$(mean_rgb "$WORK/info.png" "356x329+$IX+$IY")"
check "the info dialog shows its picture, not a bare dark blue ($r $g $b)" test $((r + g)) -gt 60
click $((IX + (840 + 300) / 15)) $((IY + (2350 + 127) / 15))  # lblHomepage
check "its address line opens the address too" \
  test "$(count_traced '^ShellExecuteA\([0-9]+,Open,https?://[^ ]+\)$')" -eq 2
click $((IX + (3120 + 307) / 15)) $((IY + (3960 + 247) / 15))
check "its OK closes it" wait_for 10 traced '^destroyWindow\(frmInfo\)$'
check "the settings dialog is still open" saver_running

at $((4440 + 600)) $((3480 + 487))                          # cmdOK
check "OK ends the configuration mode" wait_for 15 saver_ended
check "... through the last window's unload" traced '^quit$'
check "maxFl 22 on the bar is stored as 4" test "$(setting maxFl)" = 4
check "SpeedF 3 on the bar is stored as 0.3" test "$(setting SpeedF)" = 0.3
check "Date, Time, Restart are stored as 1" \
  test "$(setting Date)$(setting Time)$(setting Restart)" = 111
check "3 minutes are stored as rTime 180" test "$(setting rTime)" = 180
check "the desktop background is stored as 3" test "$(setting Background)" = 3
check "no dialog ever set the system's screen saver back on" \
  test "$(count_traced '^SystemParametersInfoA\(17,1')" -eq 0

# Closing the window without OK saves nothing.
settings maxFl=7 Background=4
start_saver "$dir" /C
wait_for 30 window_geometry "Settings / Einstellungen" >/dev/null
read -r X Y CW CH <<<"$(window_geometry "Settings / Einstellungen")"
at $((120 + 240 + 2200 - 90)) $((120 + 600 + 100))         # a change that is not saved
id=$(xdotool search --name "Settings / Einstellungen" | head -1)
xdotool key --window "$id" alt+F4 2>/dev/null
wait_for 5 saver_ended || {
  # Without a window manager the close request goes through the window itself.
  xdotool windowactivate "$id" 2>/dev/null
  xdotool key alt+F4
}
check "closing the dialog ends the mode" wait_for 15 saver_ended
check "... and saves nothing" test "$(count_traced '^SaveSetting')" -eq 0 -a "$(setting maxFl)" = 7

finish
