#!/usr/bin/env bash
# A wlroots compositor, natively (a headless sway with two outputs, Qt's Wayland platform): /S
# covers every output with a meadow of its own, also one created while it runs, and an output
# that goes takes its meadow along; it holds off no idle daemon; a key, a click or a pointer
# move of 3 pixels ends it with exit code 0, moves of 1 or 2 pixels do not; it wakes no more
# while no output shows a meadow; /C shows the settings dialog, which the compositor closes.
# Under sway, or without an X display, the program finds the Wayland platform itself. sway
# refuses to run as root, so as root the test makes an unprivileged user for the session and
# removes it at the end.
source "$(dirname "$0")/common.bash"
for tool in sway swaymsg grim wtype; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh)"
done
command -v swayidle >/dev/null || fail "swayidle is not installed (scripts/install-deps.sh)"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  fail "Qt's Wayland platform is not installed (qt6-wayland, scripts/install-deps.sh)"
VPOINTER="$BUILD/petalstream-vpointer"
[ -x "$VPOINTER" ] || fail "$VPOINTER is not built (libwayland-dev, scripts/install-deps.sh)"

chmod 755 "$WORK"
UHOME="$WORK/user"
RUNTIME="$WORK/sway-runtime"
mkdir -p "$UHOME/.config/PetalStream" "$RUNTIME" "$WORK/shots"
chmod 700 "$RUNTIME"
chmod 777 "$WORK/shots"
as_user=()
if [ "$(id -u)" = 0 ]; then
  USER_NAME=petalstream-sway
  if ! id "$USER_NAME" >/dev/null 2>&1; then
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
      "$USER_NAME" || fail "cannot make the user $USER_NAME"
    MADE_USER=$USER_NAME
    trap 'cleanup; userdel "$USER_NAME" 2>/dev/null' EXIT
  fi
  chown -R "$USER_NAME" "$UHOME" "$RUNTIME"
  # setpriv execs the command itself: the pids are the session's programs, not a wrapper's.
  as_user=(setpriv --reuid "$USER_NAME" --regid "$USER_NAME" --clear-groups)
fi
# A black sky: the meadow is told from the compositor's blue background at a glance.
printf '[Settings]\nBackground=0\n' >"$UHOME/.config/PetalStream/PetalStream.ini"

# session COMMAND...: runs in the session, as its user, with the session's variables. In the
# background, "${SESSION[@]}" COMMAND... after session_env: $! is then the command itself.
session() {
  session_env
  "${SESSION[@]}" "$@"
}
session_env() {
  local found=()
  # Set but empty, these would name no socket: a sway would not make its own.
  [ -z "${WAYLAND_DISPLAY:-}" ] || found+=(WAYLAND_DISPLAY="$WAYLAND_DISPLAY")
  [ -z "${SWAYSOCK:-}" ] || found+=(SWAYSOCK="$SWAYSOCK")
  # Qt's Wayland platform by name, unless QPA is set empty: then the program picks it itself.
  [ -z "${QPA-wayland}" ] || found+=(QT_QPA_PLATFORM="${QPA-wayland}")
  [ -z "${X_DISPLAY:-}" ] || found+=(DISPLAY="$X_DISPLAY")
  SESSION=("${as_user[@]}" env -i HOME="$UHOME" XDG_CONFIG_HOME="$UHOME/.config" \
    XDG_STATE_HOME="$UHOME/.local/state" XDG_RUNTIME_DIR="$RUNTIME" LANG=C.UTF-8 \
    PATH=/usr/bin:/bin WLR_BACKENDS="${BACKENDS:-headless}" \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${found[@]}")
}

cat >"$WORK/sway.conf" <<EOF
xwayland enable
output * bg #3a5f8a solid_color
output HEADLESS-1 resolution 1024x768 position 0 0
output HEADLESS-2 resolution 800x600 position 1024 0
output HEADLESS-3 resolution 640x480 position 1824 0
EOF
# in_background LOG COMMAND...: the command in the session, ended with the test; its pid in LAST.
in_background() {
  local log=$1
  shift
  session_env
  "${SESSION[@]}" "$@" >"$log" 2>&1 &
  LAST=$!
  PIDS+=($LAST)
}

in_background "$WORK/sway.log" sway -c "$WORK/sway.conf"
sway_up() {
  local ipc way
  ipc=$(ls "$RUNTIME"/sway-ipc.*.sock 2>/dev/null | head -n1)
  way=$(ls "$RUNTIME" 2>/dev/null | grep -x 'wayland-[0-9]*' | head -n1)
  [ -n "$ipc" ] && [ -n "$way" ] || return 1
  export SWAYSOCK=$ipc WAYLAND_DISPLAY=$way
  session swaymsg -t get_version >/dev/null 2>&1
}
wait_for 30 sway_up || fail "sway did not start: $(tail -n 5 "$WORK/sway.log")"
trap 'session swaymsg exit >/dev/null 2>&1; SWAYSOCK=${OUTER_SOCK:-$SWAYSOCK} session swaymsg exit \
  >/dev/null 2>&1; sleep 0.5; cleanup; [ -z "${MADE_USER:-}" ] || userdel "$MADE_USER" 2>/dev/null' EXIT
session swaymsg create_output >/dev/null || fail "swaymsg create_output failed"
# outputs PREFIX N: the compositor has N outputs whose names begin with PREFIX.
outputs() { [ "$(session swaymsg -t get_outputs -r | grep -c "\"name\": \"$1")" = "$2" ]; }
wait_for 10 outputs HEADLESS- 2 || fail "sway has no two outputs"
ok "headless sway on $WAYLAND_DISPLAY with two outputs"

# shot_output NAME FILE: a PNG of one output.
shot_output() {
  local f="$WORK/shots/$(basename "$2")"
  rm -f "$f"
  session grim -o "$1" "$f" 2>>"$WORK/grim.log" && mv "$f" "$2"
}

# meadow_on NAME: that output shows a meadow from edge to edge (its screenshot in
# $WORK/NAME.png): grass, date and address along the bottom, and the meadow's black sky at the
# top instead of the compositor's blue background.
meadow_on() {
  local f="$WORK/$1.png" w h
  shot_output "$1" "$f" || return 1
  read -r w h < <(identify -format '%w %h' "$f")
  [ "$(pixel "$f" $((w / 2)) 20)" = "0,0,0" ] || return 1
  (head_meadow "$f" "$w" "$h" "$1") >/dev/null 2>&1
}

# views: the number of windows of the program (APP) in the compositor's tree.
views() { session swaymsg -t get_tree -r | grep -cE "\"pid\": $APP([^0-9]|$)" || true; }
views_are() { [ "$(views)" = "$1" ]; }

# output_names: the names of the compositor's outputs.
output_names() { session swaymsg -t get_outputs -r | sed -n 's/^    "name": "\(.*\)",$/\1/p'; }

# start_saver NAME: /S in the background (APP), until every output shows a meadow of its own;
# APP_SWAYSOCK, where set, is the sway socket the program is told of.
start_saver() {
  local name=$1 out outs
  outs=($(output_names))
  SWAYSOCK=${APP_SWAYSOCK-$SWAYSOCK} in_background "$WORK/$name.log" "$BIN" /S
  APP=$LAST
  for out in "${outs[@]}"; do
    wait_for 20 meadow_on "$out" ||
      fail "$name: no meadow on $out ($(views) windows): $(tail -n 5 "$WORK/$name.log")"
  done
  views_are ${#outs[@]} || fail "$name: $(views) windows for ${#outs[@]} outputs"
}

# ended_by NAME WHAT: the running mode ended with exit code 0 after WHAT.
ended_by() {
  wait_exit "$APP" 5
  local rc=$?
  [ "$rc" = 0 ] || fail "$1: exit code $rc after $2: $(tail -n 5 "$WORK/$1.log")"
}

# --- every output a meadow, also one added later; no idle inhibitor keeps the idle daemon from
# its timeout; a key ends it
start_saver outputs
cp "$WORK/HEADLESS-1.png" "$BUILD/e2e-sway-1.png"
cp "$WORK/HEADLESS-2.png" "$BUILD/e2e-sway-2.png"
ok "/S: a meadow on each output"
in_background "$WORK/swayidle.log" swayidle -w timeout 1 "touch $WORK/shots/idle"
wait_for 10 test -e "$WORK/shots/idle" || fail "the idle timeout never came while /S ran"
alive "$APP" || fail "/S ended at the idle timeout"
ok "the idle daemon's timeout comes while /S runs"

session swaymsg create_output >/dev/null || fail "swaymsg create_output failed"
wait_for 20 meadow_on HEADLESS-3 || fail "no meadow on the output created while it runs"
cp "$WORK/HEADLESS-3.png" "$BUILD/e2e-sway-3.png"
wait_for 10 views_are 3 || fail "$(views) windows for three outputs"
ok "an output created while /S runs gets a meadow of its own"
# wtype's keyboard must exist a moment before its key reaches the window.
session wtype -s 1500 -k space || fail "wtype failed"
ended_by outputs "a key"
ok "a key ends /S (exit code 0)"

# --- the pointer: moves of 1 and 2 pixels end nothing, 3 pixels end it
start_saver pointer
session "$VPOINTER" move 1 0 wait 200 move 2 0 wait 200 move 0 2 wait 200 move 2 2 wait 200 \
  move 1 1 || fail "the virtual pointer failed"
sleep 1
alive "$APP" || fail "moves of 1 and 2 pixels ended /S: $(tail -n 5 "$WORK/pointer.log")"
session "$VPOINTER" move 3 0 || fail "the virtual pointer failed"
ended_by pointer "a pointer move of 3 pixels"
ok "pointer moves of 1 and 2 pixels end nothing, 3 pixels end /S (exit code 0)"

# --- nobody looks. The compositor sends no frames to a surface that no output shows, as when
# the outputs are powered off: the meadows stop their timer and wake no more. Powered off where
# this sway can (wlroots 0.15 powers off no headless output: "dpms off" fails to commit), and
# with each output showing another workspace; one meadow in view keeps them ticking; back in
# view they go on.
# workspace_of NAME: the workspace an output shows.
workspace_of() {
  session swaymsg -t get_outputs -r | awk -v out="\"$1\"," \
    '$1 == "\"name\":" { mine = ($2 == out) } mine && $1 == "\"current_workspace\":" {
      gsub(/[",]/, "", $2); print $2; exit }'
}
start_saver asleep
outs=($(output_names))
back=()
for out in "${outs[@]}"; do
  ws=$(workspace_of "$out")
  [ -n "$ws" ] || fail "sway names no workspace of $out"
  back+=("focus output $out; workspace $ws")
done
sleep 1
ticking "/S under sway, every meadow in view"
session swaymsg "output * dpms off" >/dev/null
if [ "$(session swaymsg -t get_outputs -r | grep -c '"dpms": false')" = "${#outs[@]}" ]; then
  sleeping "with the outputs powered off"
  session swaymsg "output * dpms on" >/dev/null
  sleep 0.5
  ticking "with the outputs powered on again"
else
  session swaymsg "output * dpms on" >/dev/null
  echo "note: this sway cannot power its outputs off (dpms); workspaces stand in"
fi
for out in "${outs[@]}"; do
  [ "$out" = "${outs[-1]}" ] && ticking "one meadow in view"
  session swaymsg "focus output $out; workspace hidden-$out" >/dev/null
  sleep 0.5
done
sleeping "no meadow in view"
session swaymsg "$(IFS=';'; echo "${back[*]}")" >/dev/null
sleep 0.5
ticking "back in view"
for out in "${outs[@]}"; do
  wait_for 10 meadow_on "$out" || fail "no meadow on $out back in view"
done
cp "$WORK/${outs[0]}.png" "$BUILD/e2e-sway-awake.png"
session swaymsg "focus output ${outs[0]}" >/dev/null
session wtype -s 1500 -k space || fail "wtype failed"
ended_by asleep "a key"
ok "the meadows sleep while no output shows them and go on when one does"

# As an idle daemon started by sway starts it: no platform named, sway's XWayland display
# beside the compositor's (through XWayland one output would stay uncovered).
session swaymsg exec "printenv DISPLAY >$WORK/shots/display" >/dev/null
wait_for 10 test -s "$WORK/shots/display" || fail "sway names no XWayland display"
QPA= X_DISPLAY=$(cat "$WORK/shots/display") start_saver click
session "$VPOINTER" click || fail "the virtual pointer failed"
ended_by click "a click"
ok "started by sway with no platform named, /S covers every output, and a click ends it"
QPA= X_DISPLAY= APP_SWAYSOCK= start_saver click-nox
session wtype -s 1500 -k space || fail "wtype failed"
ended_by click-nox "a key"
ok "with no platform named and no X display, /S runs natively too (exit code 0)"

# --- the settings dialog, natively, closed by the compositor
in_background "$WORK/config.log" "$BIN" /C
APP=$LAST
wait_for 15 views_are 1 || fail "/C shows $(views) windows: $(tail -n 5 "$WORK/config.log")"
session swaymsg "[pid=$APP] kill" >/dev/null || fail "swaymsg kill failed"
ended_by config "the compositor closed the dialog"
ok "/C shows the settings dialog, and closing it ends the program (exit code 0)"

# --- an output that goes takes its meadow along. The headless outputs of this sway (wlroots
# 0.15) cannot be disabled, so a nested sway runs in the headless one, its outputs windows
# there: closing the window of its second output removes that output.
nested_up() {
  local ipc
  ipc=$(ls "$RUNTIME"/sway-ipc.*.sock 2>/dev/null | grep -vxF "$OUTER_SOCK" | head -n1)
  [ -n "$ipc" ] && SWAYSOCK=$ipc session swaymsg -t get_version >/dev/null 2>&1 || return 1
  NESTED_SOCK=$ipc
}
OUTER_SOCK=$SWAYSOCK
displays() { ls "$RUNTIME" | grep -x 'wayland-[0-9]*'; }
displays >"$WORK/displays"
printf 'xwayland disable\n' >"$WORK/nested.conf"
SWAYSOCK= BACKENDS=wayland in_background "$WORK/nested.log" sway -c "$WORK/nested.conf"
wait_for 30 nested_up || fail "the nested sway did not start: $(tail -n 5 "$WORK/nested.log")"
export SWAYSOCK=$NESTED_SOCK WAYLAND_DISPLAY=$(displays | grep -vxFf "$WORK/displays" | head -n1)
[ -n "$WAYLAND_DISPLAY" ] || fail "the nested sway has no display"
session swaymsg create_output >/dev/null || fail "swaymsg create_output failed (nested)"
wait_for 10 outputs WL- 2 || fail "the nested sway has no two outputs"
start_saver removed
SWAYSOCK=$OUTER_SOCK session swaymsg '[title="- WL-2$"] kill' >/dev/null ||
  fail "cannot close the nested output's window"
wait_for 10 views_are 1 || fail "$(views) windows after an output went"
alive "$APP" || fail "/S ended when an output went: $(tail -n 5 "$WORK/removed.log")"
# The remaining meadow may be laid out afresh for the new set of outputs.
wait_for 10 meadow_on WL-1 || fail "the remaining output lost its meadow"
ok "an output that goes takes its meadow along, the other keeps its own"
session wtype -s 1500 -k space || fail "wtype failed"
ended_by removed "a key"
