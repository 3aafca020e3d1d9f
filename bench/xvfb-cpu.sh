#!/usr/bin/env bash
# CPU time per second of running, at 1920x1080 under Xvfb, of the screensaver and of the X
# server that shows it, beside two hacks of XScreenSaver run with -root on the same server.
#
#   bash bench/xvfb-cpu.sh [BUILD_DIR] [SECONDS]     (defaults: build/linux, 20)
#
# Each program runs alone on a fresh server with default settings (an empty configuration);
# after 3 s of warming up, utime + stime are read from /proc/PID/stat at the start and the end
# of the measured span. Prints one line per program: its own CPU share and the server's.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build/linux}
SPAN=${2:-20}
HACKS=${HACKS:-"/usr/libexec/xscreensaver/popsquares /usr/libexec/xscreensaver/swirl"}
BIN="$BUILD/petalstream"
[ -x "$BIN" ] || { echo "xvfb-cpu.sh: $BIN is not built" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "xvfb-cpu.sh: Xvfb is not installed" >&2; exit 1; }

WORK=$(mktemp -d /tmp/petalstream-bench.XXXXXX)
export XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" XDG_RUNTIME_DIR="$WORK/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XSCREENSAVER_WINDOW QT_QPA_PLATFORM
PIDS=()
cleanup() {
  local p
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.3
  for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
HZ=$(getconf CLK_TCK)

# measure LABEL COMMAND...: prints "LABEL  program N%  server M%".
measure() {
  local label=$1
  shift
  rm -f "$WORK/displayfd"
  Xvfb -displayfd 9 -screen 0 1920x1080x24 -nolisten tcp 9>"$WORK/displayfd" \
    >"$WORK/xvfb.log" 2>&1 &
  local xpid=$!
  PIDS+=($xpid)
  local i
  for i in $(seq 100); do [ -s "$WORK/displayfd" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$WORK/displayfd")"
  "$@" >"$WORK/prog.log" 2>&1 &
  local ppid=$!
  PIDS+=($ppid)
  sleep "${WARMUP:-3}"
  if ! kill -0 "$ppid" 2>/dev/null; then
    echo "$label: ended early: $(tail -n 3 "$WORK/prog.log")"
    kill "$xpid"
    return
  fi
  local p0 x0 p1 x1 t0 t1
  t0=$(date +%s.%N) p0=$(ticks "$ppid") x0=$(ticks "$xpid")
  sleep "$SPAN"
  t1=$(date +%s.%N) p1=$(ticks "$ppid") x1=$(ticks "$xpid")
  kill "$ppid" 2>/dev/null
  wait "$ppid" 2>/dev/null
  kill "$xpid"
  wait "$xpid" 2>/dev/null
  awk -v l="$label" -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v hz="$HZ" -v t0="$t0" -v t1="$t1" \
    'BEGIN {s = t1 - t0; printf "%-34s program %5.1f%%   X server %5.1f%%   (%.1f s)\n",
            l, 100 * p / hz / s, 100 * x / hz / s, s}'
}

echo "CPU time per second of running, 1920x1080, Xvfb, ${SPAN} s each ($(nproc) cores):"
measure "petalstream /S (full screen)" "$BIN" /S
measure "petalstream --root" "$BIN" --root
for h in $HACKS; do
  if [ -x "$h" ]; then
    measure "$(basename "$h") -root" "$h" -root
  else
    echo "$(basename "$h"): not installed (xscreensaver-data)"
  fi
done
