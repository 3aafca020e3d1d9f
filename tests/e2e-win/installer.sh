#!/usr/bin/env bash
# The installer of the build's width, as an administrator runs it: a silent install lays
# PetalStream.scr down in the system folder and adds its entry under Programs and Features, and
# leaves the current screensaver alone; the installed screensaver runs /S (a key ends it) and /C
# from there; asked with /CURRENT, the install makes it the current screensaver; a silent
# uninstall leaves no file and no entry, clears SCRNSAVE.EXE that named it and keeps the user's
# settings. A prefix of its own: the installed files must not reach the other scripts.
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/petalstream-wine-installer.XXXXXX)
source "$(dirname "$0")/lib.bash"
trap 'cleanup; rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$WINEPREFIX.log"' EXIT

width=win32
[ "$WINEARCH" = win64 ] && width=win64
setup=$BUILD/PetalStream-$(build_version "$BUILD")-$width-setup.exe
[ -f "$setup" ] || { echo "FAIL: $setup is not built (makensis is missing?)"; exit 1; }
cp "$setup" "$WORK/setup.exe"

start_display 1024 768
c=$WINEPREFIX/drive_c
system=$c/windows/system32
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\PetalStream'
desktop_key='HKCU\Control Panel\Desktop'
# reg_value KEY NAME: the value's data as reg prints it (empty when missing).
reg_value() {
  timeout 60 wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v k="$2" '$1 == k { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
# run_windows PROGRAM ARGS...: runs a Windows program of the prefix and waits for all it started.
run_windows() {
  (cd "$WORK" && timeout -k 5 120 wine "$@" >>"$WORK/wine.log" 2>&1)
  local rc=$?
  timeout 60 wineserver -w 2>/dev/null
  return $rc
}
installed_files() {
  find "$c" \( -iname 'PetalStream*.scr' -o -ipath '*/Program Files*/PetalStream*' \) 2>/dev/null
}

timeout 60 wine reg add "$desktop_key" /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\other.scr' \
  /f >/dev/null 2>&1
check "a silent install ends with code 0" run_windows "$WORK/setup.exe" /S
check "the screensaver is in the system folder" test -f "$system/PetalStream.scr"
check "... the very program of the build" cmp -s "$SCR" "$system/PetalStream.scr"
check "the uninstaller is in Program Files" test -f "$c/Program Files/PetalStream/Uninstall.exe"
check "the entry under Programs and Features names PetalStream" \
  test "$(reg_value "$uninstall_key" DisplayName)" = PetalStream
check "... its version" test "$(reg_value "$uninstall_key" DisplayVersion)" = "$(build_version "$BUILD")"
check "... its publisher" test "$(reg_value "$uninstall_key" Publisher)" = PetalStream
check "... a quiet uninstall" test "$(reg_value "$uninstall_key" QuietUninstallString)" = \
  '"C:\Program Files\PetalStream\Uninstall.exe" /S'
size=$(reg_value "$uninstall_key" EstimatedSize)
check "... its size in KiB ($size)" test "$((size))" -ge "$(($(stat -c %s "$SCR") / 1024))"
check "a silent install leaves the current screensaver alone" \
  test "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr'

# The installed screensaver, started from the system folder as the system starts it.
settings maxFl=10 Background=1
installed=$system
xdotool mousemove 500 500
start_saver "$installed" /S
check "the installed screensaver shows the meadow" wait_meadow 40
sleep 2
screenshot "$WORK/installed.png"
mkdir -p "$BUILD/e2e-win-shots" && cp "$WORK/installed.png" "$BUILD/e2e-win-shots/installed-$width.png"
read -r r g b <<<"$(mean_rgb "$WORK/installed.png" "1024x384+0+0")"
check "... over the blue background (mean $r $g $b)" test "$b" -gt $((r + 20))
xdotool key space
check "... and a key ends it" wait_for 15 saver_ended
check "... with code 0" test "$(saver_exit_code)" -eq 0
start_saver "$installed" /C
check "the installed screensaver shows its settings" wait_for 40 window_geometry "Settings / Einstellungen"
kill "$SAVER_PID" 2>/dev/null
wait_for 15 saver_ended
timeout 60 wineserver -w 2>/dev/null

check "a silent install asked to make it current ends with code 0" \
  run_windows "$WORK/setup.exe" /S /CURRENT
check "... and makes it the current screensaver" \
  test "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\PetalStream.scr'

settings maxFl=12
check "a silent uninstall ends with code 0" \
  run_windows 'C:\Program Files\PetalStream\Uninstall.exe' /S
check "... and leaves no file behind ($(installed_files | paste -sd ' '))" test -z "$(installed_files)"
check "... and no entry" test -z "$(reg_value "$uninstall_key" DisplayName)"
check "... nor a current screensaver that is gone" test -z "$(reg_value "$desktop_key" SCRNSAVE.EXE)"
check "... and keeps the user's settings" test "$(setting maxFl)" = 12
finish
