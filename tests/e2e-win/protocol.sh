#!/usr/bin/env bash
# A forced failure in the real PetalStream.scr under Wine: a stored maxFl of 40000 does not fit
# 16 bits, so reading the settings fails; the report appends the 18-line protocol to
# PetalStream.EPT beside the program and sounds the alert, the retry fails again, and the second
# report shows the report window with End as its only answer. End ends the program. Where no folder
# can take the protocol, the message that ends the program names the failure.
source "$(dirname "$0")/lib.bash"

start_display 1024 768
dir=$(program_folder)
settings maxFl=40000
windows_version win7

start_saver "$dir" /s
check "the repeated failure shows the report window" wait_for 30 traced '^showModal\(ErrPtnr\)$'
sleep 1
screenshot "$WORK/report.png"
mkdir -p "$BUILD/e2e-win-shots" && cp "$WORK/report.png" "$BUILD/e2e-win-shots/report.png"
end_report
check "End ends the program" wait_for 15 saver_ended
check "... at once, with code 0" traced '^ExitProcess\(0\)$'
check "each report sounded the alert" test "$(count_traced '^MessageBeep$')" -eq 2
check "no meadow was ever shown" test "$(count_traced '^createWindow\(frmMain\)')" -eq 0
nt="Windows NT"
[ "$WINEARCH" = win64 ] && nt="Windows NT (64-bit)"
check_protocols "$dir/PetalStream.EPT" 2 "6 (Overflow)" Saver LoadConfig "$nt" 6.1 \
  "7601   Service Pack 1"

# Neither the program's folder nor the user's own can take a protocol (a folder stands where
# each file would be): the message that ends the program still names the failure.
lost=$(program_folder lost)
mkdir -p "$lost/PetalStream.EPT"
own=$(wine winepath -u "$(timeout 60 wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')" | tr -d '\r')/PetalStream
mkdir -p "$own/PetalStream.EPT"
start_saver "$lost" /c
check "the lost report is named in the last message" wait_for 30 traced \
  '^reportFatal\(PetalStream: unhandled failure 75 .*report of failure 6 \(Overflow\) in Saver/LoadConfig, line [1-9]'
sleep 1
screenshot "$WORK/lost-report.png"
cp "$WORK/lost-report.png" "$BUILD/e2e-win-shots/lost-report.png"
kill "$SAVER_PID" 2>/dev/null
wait_for 15 saver_ended
rmdir "$own/PetalStream.EPT"
settings
windows_version ""

finish
