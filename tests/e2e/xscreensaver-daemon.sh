#!/usr/bin/env bash
# With the real XScreenSaver daemon, as an unprivileged user (the daemon launches no hack for
# root): the installed program from the programs line "PetalStream" petalstream --root;
# activating shows the meadow in the daemon's window, deactivating leaves no process; a bad
# stored value opens no window and writes one protocol per activation into the user's folder;
# with grabDesktopImages the Desktop background is the desktop the daemon grabbed, without it
# black. Needs root (to make the user) and the xscreensaver package.
source "$(dirname "$0")/common.bash"
[ "$(id -u)" = 0 ] || skip "needs root, to make an unprivileged user for the daemon"
for tool in xscreensaver xscreensaver-command runuser useradd cmake pgrep; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh)"
done

USER_NAME=petalstream-e2e
if ! id "$USER_NAME" >/dev/null 2>&1; then
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    "$USER_NAME" || fail "cannot make the user $USER_NAME"
  # The user made for the test goes with it, once its processes are ended.
  trap 'cleanup; userdel "$USER_NAME" 2>/dev/null' EXIT
fi

# The daemon, the hack and the test's files must be reachable for that user.
chmod 755 "$WORK"
PREFIX="$WORK/prefix"
cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 ||
  fail "cmake --install failed: $(tail -n 5 "$WORK/install.log")"
UHOME="$WORK/user"
mkdir -p "$UHOME/.config/PetalStream"
STATE="$UHOME/.local/state/petalstream"
PROTOCOL="$STATE/petalstream.EPT"

# A desktop to be recognised: magenta and yellow stripes on the root window.
start_x 800x600 -ac
convert -size 800x600 'pattern:vertical3' -fill magenta -opaque black -fill yellow \
  -opaque white "$WORK/desktop.png"
display -window root "$WORK/desktop.png" >/dev/null 2>&1 &
PIDS+=($!)
sleep 1

as_user() {
  runuser -u "$USER_NAME" -- env -i HOME="$UHOME" DISPLAY="$DISPLAY" LANG=C.UTF-8 \
    PATH="$PREFIX/bin:/usr/bin:/bin" "$@"
}

# daemon GRAB [OPTIONS]: ~/.xscreensaver with PetalStream as its only hack (with the hack's
# OPTIONS), desktop grabs allowed or not, and the daemon started.
daemon() {
  cat >"$UHOME/.xscreensaver" <<EOF
mode: one
selected: 0
timeout: 1:00:00
lock: False
fade: False
unfade: False
splash: False
grabDesktopImages: $1
grabVideoFrames: False
chooseRandomImages: False
programs: "PetalStream" petalstream --root ${2:-} \\n
EOF
  chown -R "$USER_NAME" "$UHOME"
  as_user xscreensaver -no-splash -verbose >"$WORK/daemon.log" 2>&1 &
  DAEMON=$!
  PIDS+=($DAEMON)
  wait_for 30 as_user xscreensaver-command -time >/dev/null 2>&1 ||
    fail "the daemon does not answer: $(tail -n 5 "$WORK/daemon.log")"
}

stop_daemon() {
  as_user xscreensaver-command -exit >/dev/null 2>&1
  wait_exit "$DAEMON" 30 >/dev/null
}

hack_pid() { pgrep -u "$USER_NAME" -x petalstream | head -n1; }
hack_runs() { [ -n "$(hack_pid)" ]; }
no_hack() { [ -z "$(hack_pid)" ]; }

# meadow_in FILE: a screenshot into FILE that shows flowers along the bottom.
meadow_in() {
  shot "$1"
  [ "$(colours "$1" 0 500 800 100)" -gt 100 ]
}

# activate NAME: the daemon blanks and starts the hack, which draws its meadow; the screenshot
# in $WORK/NAME.png.
activate() {
  as_user xscreensaver-command -activate >/dev/null || fail "-activate refused"
  wait_for 30 hack_runs || fail "no hack after -activate: $(tail -n 5 "$WORK/daemon.log")"
  wait_for 30 meadow_in "$WORK/$1.png" || fail "no meadow under the daemon ($1)"
  sleep 2  # a few more frames: the hack lives on
  hack_runs || fail "the hack ended: $(tail -n 5 "$WORK/daemon.log")"
  meadow_in "$WORK/$1.png" || fail "the meadow went ($1)"
  cp "$WORK/$1.png" "$BUILD/e2e-daemon-$1.png"
}

deactivate() {
  as_user xscreensaver-command -deactivate >/dev/null || fail "-deactivate refused"
  wait_for 30 no_hack || fail "the hack still runs after -deactivate"
}

# Windows of the program's own: top-level windows whose name is the error report's.
report_windows() { xdotool search --name 'Fehler / Error' 2>/dev/null | wc -l; }

protocols() { [ -f "$PROTOCOL" ] && grep -c '^SYSTEMINFO:' "$PROTOCOL" || echo 0; }

# --- an ordinary run: blue, so that the meadow is told from the desktop and from black
printf '[Settings]\nBackground=1\n' >"$UHOME/.config/PetalStream/PetalStream.ini"
daemon False
activate meadow
[ "$(pixel "$WORK/meadow.png" 400 5)" != "0,0,0" ] || fail "black where the blue sky should be"
ok "-activate shows the meadow in the daemon's window"
deactivate
sleep 0.5
[ "$(report_windows)" = 0 ] || fail "a report window is left"
ok "-deactivate ends the hack"
[ ! -e "$PREFIX/libexec/xscreensaver/petalstream.EPT" ] || fail "a protocol beside the program"

# --- a bad stored value: no window, one protocol per activation, the meadow with its defaults
printf '[Settings]\nBackground=1\nmaxFl=40000\n' >"$UHOME/.config/PetalStream/PetalStream.ini"
chown -R "$USER_NAME" "$UHOME"
activate bad
[ "$(report_windows)" = 0 ] || fail "the report opened a window under the daemon"
[ "$(protocols)" = 1 ] || fail "$(protocols) protocols for one activation"
grep -q 'LoadConfig' "$PROTOCOL" || fail "the protocol does not name LoadConfig"
deactivate
activate bad2
deactivate
[ "$(protocols)" = 2 ] || fail "$(protocols) protocols after two activations"
[ ! -e "$PREFIX/libexec/xscreensaver/petalstream.EPT" ] || fail "a protocol beside the program"
ok "a bad stored value: no window, one protocol per activation in the user's folder"
stop_daemon

# --- the Desktop background: the daemon's grab, or black where the user forbids it
# stripes FILE: the number of the desktop's magenta pixels in the sky of a screenshot.
stripes() {
  convert "$1" -crop 800x300+0+0 +repage -fuzz 10% -fill black +opaque magenta -fill white \
    -opaque magenta -colorspace Gray -format "%[fx:int(mean*w*h+0.5)]" info:
}
printf '[Settings]\nBackground=1\n' >"$UHOME/.config/PetalStream/PetalStream.ini"
# The hack's own option chooses the desktop over the stored blue.
daemon True "--background desktop"
activate desktop
[ "$(stripes "$WORK/desktop.png")" -gt 5000 ] || fail "no desktop behind the meadow"
ok "grabDesktopImages: True shows the desktop behind the meadow"
deactivate
stop_daemon
daemon False "--background desktop"
activate nodesktop
[ "$(stripes "$WORK/nodesktop.png")" -lt 50 ] || fail "the desktop shows although not allowed"
[ "$(dark "$WORK/nodesktop.png" 0 0 800 300)" -gt 200000 ] || fail "no black sky"
ok "grabDesktopImages: False gives a black background"
deactivate
stop_daemon
