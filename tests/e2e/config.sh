#!/usr/bin/env bash
# The settings dialog (/C) driven by synthetic clicks: Date off, Random off, Green on, the info
# dialog opened and closed, OK: the INI file holds what was chosen and the program ends.
source "$(dirname "$0")/common.bash"
start_x 1024x768

run_bg config /C
win=$(wait_window_pid "$APP" 10)
[ "$(window_size "$win")" = "390x310" ] || fail "the dialog is $(window_size "$win"), not 390x310"
read -r X Y < <(xwininfo -id "$win" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
shot "$WORK/config.png" "$win"
cp "$WORK/config.png" "$BUILD/e2e-config.png"
ok "the dialog shows at 390x310"

# click X Y: a click at a point of the dialog's client area (pixels, 15 twips each).
click() {
  xdotool mousemove $((X + $1)) $((Y + $2)) click 1
  sleep 0.4
}
click 34 176    # Date / Datum: off
click 226 118   # Random / Zufall: off, the options become usable
click 226 76    # Green / Grün
[ "$(pixel "$WORK/config.png" 226 76)" != "" ] || fail "no pixels"

click 336 184   # Info...: the info dialog, modal
info=""
for i in $(seq 50); do
  for w in $(xdotool search --onlyvisible --pid "$APP" 2>/dev/null); do
    [ "$(window_size "$w")" = "356x329" ] && info=$w
  done
  [ -n "$info" ] && break
  sleep 0.1
done
[ -n "$info" ] || fail "the info dialog did not open"
sleep 0.5
shot "$WORK/info.png" "$info"
cp "$WORK/info.png" "$BUILD/e2e-info.png"
IFS=, read -r r g b <<<"$(pixel "$WORK/info.png" 178 95)"
[ "$r" -gt 200 ] && [ "$g" -gt 200 ] && [ "$b" -gt 200 ] || fail "no white title label in the info dialog"
ok "info dialog shown (356x329)"
click 336 264   # OK of the settings dialog: refused while the info dialog is open
alive "$APP" || fail "the settings dialog took a click while the info dialog was open"
read -r IX IY < <(xwininfo -id "$info" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
xdotool mousemove $((IX + 228)) $((IY + 280)) click 1   # its OK
for i in $(seq 30); do
  [ "$(xwininfo -id "$info" 2>/dev/null | awk '/Map State/ {print $3}')" != IsViewable ] && break
  sleep 0.1
done
[ "$(xwininfo -id "$info" 2>/dev/null | awk '/Map State/ {print $3}')" != IsViewable ] ||
  fail "the info dialog's OK did not close it"
ok "info dialog closed by its OK"

click 336 264   # OK
wait_exit "$APP" 5
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after OK"
ini="$XDG_CONFIG_HOME/PetalStream/PetalStream.ini"
[ -f "$ini" ] || fail "no settings file $ini"
expect() {
  grep -qxF "$1" "$ini" || fail "$ini lacks '$1':$(printf '\n%s' "$(cat "$ini")")"
}
expect "[Settings]"
expect "Date=0"
expect "Time=1"
expect "Background=2"
expect "maxFl=10"
expect "SpeedF=10"
expect "rTime=600"
ok "OK wrote the settings file and ended the program"

# The next start reads them: the dialog opens with Green chosen and Date off.
run_bg again /C
win=$(wait_window_pid "$APP" 10)
sleep 0.5
shot "$WORK/again.png" "$win"
kill "$APP"
wait_exit "$APP" 5
# Radio and check marks: the dark dot of Green, an empty Date box.
[ "$(dark "$WORK/again.png" 216 68 14 14)" -gt 3 ] || fail "Green is not chosen at the next start"
[ "$(dark "$WORK/again.png" 24 168 14 14)" -lt 3 ] || fail "Date is still ticked at the next start"
ok "the next start shows the saved settings"
