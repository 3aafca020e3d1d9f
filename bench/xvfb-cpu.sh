#!/usr/bin/env bash
# CPU time per second of running, at 1920x1080 under Xvfb, of the screensaver and of the X
# server that shows it, beside two hacks of XScreenSaver run with -root on the same server and a
# bare X client that wakes up as often as the meadow's timer (what waking up costs at all).
#
#   bash bench/xvfb-cpu.sh [BUILD_DIR] [SECONDS] [ROUNDS]   (defaults: build/linux, 20, 3)
#
# Each program runs alone on a fresh server with default settings (an empty configuration);
# after 3 s of warming up, the CPU time of every thread of the program and of the server is read
# at the start and the end of the measured span. The rounds take the programs in turn, so that
# what the machine does meanwhile falls on all of them alike. Prints one line per run and, with
# more than one round, the median of each program's runs and of its ratio to the last hack
# (program and server together, each round against the same round's run of the hack).
#
# The times are the scheduler's exact run times (/proc/PID/task/*/schedstat). The tick counts of
# /proc/PID/stat are samples taken 100 times a second: for a program that runs half a
# millisecond fifty times a second they are off by a tenth in a 30 s span.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build/linux}
SPAN=${2:-20}
ROUNDS=${3:-3}
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

# CPU nanoseconds of all threads of a process; clock ticks turned into nanoseconds where the
# kernel keeps no scheduler times.
HZ=$(getconf CLK_TCK)
cpu_ns() {
  if [ -r "/proc/$1/schedstat" ]; then
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f", s}'
  else
    awk -v hz="$HZ" '{printf "%.0f", ($14 + $15) * 1e9 / hz}' "/proc/$1/stat" 2>/dev/null || echo 0
  fi
}

# measure LABEL COMMAND...: prints "LABEL  program N%  X server M%" and keeps the figures.
declare -A RESULTS  # "LABEL|ROUND" -> "program server"
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
  t0=$(date +%s.%N) p0=$(cpu_ns "$ppid") x0=$(cpu_ns "$xpid")
  sleep "$SPAN"
  t1=$(date +%s.%N) p1=$(cpu_ns "$ppid") x1=$(cpu_ns "$xpid")
  kill "$ppid" 2>/dev/null
  wait "$ppid" 2>/dev/null
  kill "$xpid"
  wait "$xpid" 2>/dev/null
  local line
  line=$(awk -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v t0="$t0" -v t1="$t1" \
    'BEGIN {s = t1 - t0; printf "%.2f %.2f %.1f", p / s / 1e7, x / s / 1e7, s}')
  set -- $line
  printf "%-34s program %5.2f%%   X server %5.2f%%   (%s s)\n" "$label" "$1" "$2" "$3"
  RESULTS[$label|$round]="$1 $2"
}

# runs LABEL: the label's figures, a round a line.
runs() {
  local r
  for r in $(seq "$ROUNDS"); do
    [ -n "${RESULTS[$1|$r]:-}" ] && echo "${RESULTS[$1|$r]}"
  done
  return 0
}

median() {
  grep . | sort -g | awk '{v[NR] = $1} END {if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'
}

LABELS=("petalstream /S (full screen)" "petalstream --root")
COMMANDS=("$BIN /S" "$BIN --root")
# The floor: a bare X client that wakes as often and shows one point each time.
if [ -x "$BUILD/petalstream-xcb-floor" ]; then
  LABELS+=("bare X client, 50 wake-ups/s")
  COMMANDS+=("$BUILD/petalstream-xcb-floor 20")
fi
for h in $HACKS; do
  if [ -x "$h" ]; then
    LABELS+=("$(basename "$h") -root")
    COMMANDS+=("$h -root")
  else
    echo "$(basename "$h"): not installed (xscreensaver-data)"
  fi
done

echo "CPU time per second of running, 1920x1080, Xvfb, ${SPAN} s each, $ROUNDS round(s) ($(nproc) cores):"
for round in $(seq "$ROUNDS"); do
  for k in "${!LABELS[@]}"; do
    # shellcheck disable=SC2086
    measure "${LABELS[$k]}" ${COMMANDS[$k]}
  done
done
if [ "$ROUNDS" -gt 1 ]; then
  echo "Medians:"
  for label in "${LABELS[@]}"; do
    [ -n "$(runs "$label")" ] || continue
    p=$(runs "$label" | awk '{print $1}' | median)
    x=$(runs "$label" | awk '{print $2}' | median)
    printf "%-34s program %5.2f%%   X server %5.2f%%\n" "$label" "$p" "$x"
  done
  # Program and server together against the last hack (swirl by default), round by round.
  ref=${LABELS[${#LABELS[@]} - 1]}
  if [ -n "$(runs "$ref")" ] && [ "$ref" != "${LABELS[0]}" ]; then
    echo "Program and X server together against $ref (median of the rounds' ratios):"
    for label in "${LABELS[@]}"; do
      [ "$label" = "$ref" ] && continue
      r=$(for round in $(seq "$ROUNDS"); do
        a=${RESULTS[$label|$round]:-} b=${RESULTS[$ref|$round]:-}
        [ -n "$a" ] && [ -n "$b" ] && echo "$a $b"
      done | awk '$3 + $4 > 0 {printf "%.3f\n", ($1 + $2) / ($3 + $4)}' | median)
      [ -n "$r" ] || continue
      printf "%-34s %.2f\n" "$label" "$r"
    done
  fi
fi
