# Shared by the end-to-end scripts (sourced, not a test itself): a private Xvfb on a free
# display, the program under test, screenshots and pixel checks. Everything started here is
# ended by the EXIT trap, and every wait is bounded.
set -uo pipefail

BUILD=${1:?usage: $0 BUILD_DIR}
BIN="$BUILD/petalstream"
SRC=${PETALSTREAM_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
WORK=$(mktemp -d /tmp/petalstream-e2e.XXXXXX)
export XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" HOME="$WORK/home"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$HOME" "$WORK/runtime"
chmod 700 "$WORK/runtime"
unset XSCREENSAVER_WINDOW QT_QPA_PLATFORM WAYLAND_DISPLAY
# The locale: C.UTF-8 unless the script set E2E_LOCALE before sourcing this file.
E2E_LOCALE=${E2E_LOCALE:-C.UTF-8}
export LANG=$E2E_LOCALE LC_ALL=$E2E_LOCALE XDG_RUNTIME_DIR="$WORK/runtime"
PIDS=()

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }
skip() { echo "SKIP: $*"; exit 77; }

for tool in Xvfb xdotool xwininfo convert import; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh)"
done
[ -x "$BIN" ] || fail "$BIN is not built"
# locale -a spells UTF-8 as utf8.
locale -a 2>/dev/null | grep -qixF "$(sed 's/UTF-8$/utf8/I' <<<"$E2E_LOCALE")" ||
  skip "no locale $E2E_LOCALE (scripts/install-deps.sh generates de_DE.UTF-8)"

cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  sleep 0.2
  for pid in "${PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
  if [ -n "${KEEP_E2E:-}" ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

# start_x [WxH [XVFB ARGS...]]: a private X server on a display number it picks itself.
start_x() {
  local size=${1:-1024x768}
  shift || true
  # -noreset: the server keeps going when its last client leaves between two steps.
  Xvfb -displayfd 9 -screen 0 "${size}x24" -nolisten tcp -noreset "$@" \
    9>"$WORK/displayfd" >"$WORK/xvfb.log" 2>&1 &
  PIDS+=($!)
  local i
  for i in $(seq 100); do
    [ -s "$WORK/displayfd" ] && break
    sleep 0.1
  done
  [ -s "$WORK/displayfd" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
  export DISPLAY=":$(head -n1 "$WORK/displayfd")"
  for i in $(seq 50); do xwininfo -root >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "the display $DISPLAY does not answer"
}

# settings KEY=VALUE...: the settings store holds exactly these.
settings() {
  mkdir -p "$XDG_CONFIG_HOME/PetalStream"
  { echo "[Settings]"; printf '%s\n' "$@"; } >"$XDG_CONFIG_HOME/PetalStream/PetalStream.ini"
}

# run_bg NAME ARGS...: the program in the background; PID in $APP, output in $WORK/NAME.log.
run_bg() {
  local name=$1
  shift
  "$BIN" "$@" >"$WORK/$name.log" 2>&1 &
  APP=$!
  PIDS+=($APP)
}

# wait_exit PID SECONDS: the exit code, or fails when the process is still there.
wait_exit() {
  local pid=$1 limit=$2 i
  for i in $(seq $((limit * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      return $?
    fi
    sleep 0.1
  done
  fail "process $pid still runs after ${limit}s"
}

alive() { kill -0 "$1" 2>/dev/null; }

# wakeups PID SECONDS: the process's wake-ups (voluntary context switches of all its threads)
# over that time; a thread that ends meanwhile (Qt's pooled threads do) is not counted.
switches() {
  local t
  for t in /proc/"$1"/task/*; do
    echo "${t##*/} $(awk '/^voluntary_ctxt_switches/ { print $2 }' "$t/status" 2>/dev/null)"
  done
}
wakeups() {
  local before
  before=$(switches "$1")
  sleep "$2"
  awk 'NR == FNR { was[$1] = $2; next } $2 != "" { n += $2 - was[$1] } END { print n + 0 }' \
    <(echo "$before") <(switches "$1")
}
# ticking WHEN: the meadow of APP wakes at least as often as its timer, 50 times a second.
# Wake-ups are counted over WAKE_SECONDS (2 unless set; bench/wakeups.sh sets more).
WAKE_SECONDS=${WAKE_SECONDS:-2}
ticking() {
  local n
  n=$(wakeups "$APP" "$WAKE_SECONDS")
  [ "$n" -ge $((30 * WAKE_SECONDS)) ] ||
    fail "$n wake-ups in $WAKE_SECONDS s $1 (50 a second expected)"
  ok "$1: $n wake-ups in $WAKE_SECONDS s"
}
# sleeping WHEN: APP makes no wake-ups of its own.
sleeping() {
  local n
  n=$(wakeups "$APP" "$WAKE_SECONDS")
  [ "$n" -le "$WAKE_SECONDS" ] || fail "$n wake-ups in $WAKE_SECONDS s $1"
  alive "$APP" || fail "the program ended $1"
  ok "$1: $n wake-ups in $WAKE_SECONDS s"
}
source "$(dirname "${BASH_SOURCE[0]}")/../wait.bash"

# wait_window NAME SECONDS: the id of a visible window whose name matches, or fails.
wait_window() {
  local name=$1 limit=$2 i id
  for i in $(seq $((limit * 10))); do
    id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no window '$name' after ${limit}s"
}

# shot FILE [WINDOW]: a PNG of the screen, or of the screen's area that a window covers (what
# is seen there, whichever program's windows draw it).
shot() {
  local crop=() area
  if [ -n "${2:-}" ]; then
    # The absolute corner is the border's; the window's own area starts inside it.
    area=$(xwininfo -id "$2" 2>/dev/null | awk '/Absolute upper-left X/ {x=$4}
      /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2} /Border width/ {b=$3}
      END {print w "x" h "+" x + b "+" y + b}') || fail "screenshot $1: no window $2"
    crop=(-crop "$area" +repage)
  fi
  import -window root "${crop[@]}" "$1" 2>/dev/null || fail "screenshot $1 failed"
}

# pixel FILE X Y: the colour at (X, Y) as "r,g,b".
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# colours FILE X Y W H: the number of different colours in the area.
colours() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -format "%k" info:
}

# whites FILE X Y W H: the number of near-white pixels in the area.
whites() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 92% \
    -format "%[fx:int(mean*w*h+0.5)]" info:
}

# wait_window_pid PID SECONDS: the id of a visible window of that process, or fails.
wait_window_pid() {
  local pid=$1 limit=$2 i id
  for i in $(seq $((limit * 10))); do
    id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    alive "$pid" || fail "process $pid ended: $(cat "$WORK"/*.log 2>/dev/null | tail -n 5)"
    sleep 0.1
  done
  fail "no window of process $pid after ${limit}s"
}

# windows_of PID N: true when that process shows exactly N windows.
windows_of() { [ "$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l)" = "$2" ]; }

# window_size ID: "WxH" of the window (without an id xwininfo would wait for a click).
window_size() {
  [ -n "$1" ] || fail "no window to measure"
  xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}

# dark FILE X Y W H: the number of near-black pixels in the area.
dark() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -negate -threshold 80% \
    -format "%[fx:int(mean*w*h+0.5)]" info:
}

# head_meadow FILE W H NAME: the picture of one head shows a whole meadow: grass along the
# bottom, the date at the bottom left, the address at the bottom right.
head_meadow() {
  local f=$1 w=$2 h=$3
  [ "$(colours "$f" 0 $((h - 60)) "$w" 60)" -gt 200 ] || fail "$4: no grass along the bottom"
  [ "$(whites "$f" 0 $((h - 18)) 160 18)" -gt 30 ] || fail "$4: no date at the bottom left"
  [ "$(whites "$f" $((w - 200)) $((h - 18)) 200 18)" -gt 30 ] || fail "$4: no address at the bottom right"
}
