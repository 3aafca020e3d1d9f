#!/usr/bin/env bash
# The Windows 9x paths of the real PetalStream.scr, with Wine set to Windows 98 for the program:
# the ending asks VerifyScreenSavePwd of a test password.cpl beside the program (0 keeps the
# meadow running with the pointer hidden and the flags as they are, 1 ends it); without
# password.cpl the failure is reported once and the ending goes on; /A 4711 calls
# PwdChangePasswordA of mpr.dll with "SCRSAVE" and 4711; the protocol names "Windows 9x" and
# only the low 16 bits of the build. The NT family does none of this.
source "$(dirname "$0")/lib.bash"
[ "$WINEARCH" = win64 ] && { echo "SKIP: Windows 9x runs no 64-bit program"; exit 77; }

start_display 1024 768
dir=$(program_folder)
cp "$HELPERS/password.cpl" "$dir/"
settings Background=0
windows_version win98
trap 'windows_version ""; settings; cleanup' EXIT

# --- password refused, then accepted ---
echo 0 >"$dir/password.answer"
xdotool mousemove 400 400
start_saver "$dir" /s
check "/s shows the meadow on Windows 98" wait_meadow 40
xdotool mousemove 401 400
sleep 0.5
xdotool mousemove 405 400
passwords() { tr -d '\r' <"$dir/password.log"; }
check "a 4-pixel movement asks for the password" wait_for 15 test -s "$dir/password.log"
check "... since the program sees the 9x family" traced '^GetVersionExA = 1 1 4\.10 '
sleep 1.5
check "a refused password keeps the meadow running" saver_running
check "... with the pointer still hidden" test "$(count_traced '^ShowCursor')" -eq 1
check "... and the flags as they were" test "$(count_traced '^SystemParametersInfoA')" -eq 2
xdotool key alt+F4
sleep 1.5
check "Alt+F4 with a refused password keeps it running too" saver_running
check "... having asked again" test "$(passwords | grep -c ' 0$')" -ge 2
main=$(sed -n 's/^SetWindowPos(\([0-9]*\),-1,0,0,0,0,3) = 1$/\1/p' "$TRACE")
check "the password check got the meadow's window ($main)" \
  grep -qx "VerifyScreenSavePwd $main 0" <<<"$(passwords)"

echo 1 >"$dir/password.answer"
xdotool key space
check "an accepted password ends it" wait_for 15 saver_ended
check "... asked again by the nested ending" test "$(passwords | grep -c ' 1$')" -eq 2
check "... with the pointer shown" traced '^ShowCursor\(-1\) = 0$'
check "... and both flags back" \
  test "$(count_traced '^SystemParametersInfoA\((17,1|97,0),0\) = 1$')" -eq 4
check "... and no report" test ! -f "$dir/PetalStream.EPT"

# --- no password.cpl: reported once, and the ending goes on ---
rm "$dir/password.cpl"
start_saver "$dir" /S
check "/S shows the meadow" wait_meadow 40
xdotool key Escape
check "the missing password.cpl does not lock the user in" wait_for 15 saver_ended
check "... the program ends with code 1" traced '^ExitProcess\(1\)$'
check "... with the pointer shown" traced '^ShowCursor\(-1\) = 0$'
check "... and both flags back" traced '^SystemParametersInfoA\(97,0,0\) = 1$'
check "... reported once, with the alert" test "$(count_traced '^MessageBeep$')" -eq 1
check_protocols "$dir/PetalStream.EPT" 1 "53 (File not found: password.cpl)" Saver \
  exitScreensaver "Windows 9x" 4.10 "2222    A "

# --- password mode ---
start_saver "$dir" /a 4711
check "/a 4711 ends by itself" wait_for 20 saver_ended
check "/a 4711 calls PwdChangePasswordA with SCRSAVE and 4711" \
  traced '^PwdChangePasswordA\(SCRSAVE,4711,0,0\) = '
check "... and shows no window" test "$(count_traced '^createWindow')" -eq 0

windows_version ""
start_saver "$dir" /a 4711
check "on the NT family /a 4711 ends at once" wait_for 20 saver_ended
check "... without asking mpr.dll" test "$(count_traced '^PwdChangePasswordA')" -eq 0

finish
