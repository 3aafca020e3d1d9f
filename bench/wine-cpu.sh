#!/usr/bin/env bash
# CPU time per second of running of PetalStream.scr /S under Wine at 1920x1080 (Xvfb), with the
# Wine server and the X server that carry it, and the timer's pace; beside the Linux build's
# figure on the same machine when its build is given.
#
#   bash bench/wine-cpu.sh [WINDOWS_BUILD] [SECONDS] [LINUX_BUILD]
#                                         (defaults: build/windows, 20, build/linux)
# A 64-bit build (build/windows64, PetalStream64.scr) runs under 64-bit Wine.
#
# The program runs with default settings (an empty store) in a Wine prefix of the benchmark's
# own; after 5 s of warming up, utime + stime are read from /proc/PID/stat at the start and the
# end of the measured span.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build/windows}" && pwd) || exit 1
SPAN=${2:-20}
LINUX_BUILD=${3:-build/linux}
SCR=$BUILD/PetalStream.scr
arch=win32
[ -f "$BUILD/PetalStream64.scr" ] && SCR=$BUILD/PetalStream64.scr arch=win64
[ -f "$SCR" ] || { echo "wine-cpu.sh: $SCR is not built" >&2; exit 1; }
for tool in wine Xvfb; do
  command -v $tool >/dev/null || { echo "wine-cpu.sh: $tool is not installed" >&2; exit 1; }
done

export WINEPREFIX=$BUILD/wineprefix-bench WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export PATH="$PWD/cmake/winebin:$PATH"  # `wine` of the prefix's width
bash cmake/wine-run.sh --prefix "$WINEPREFIX" --init || exit 1
WORK=$(mktemp -d /tmp/petalstream-wine-bench.XXXXXX)
export PETALSTREAM_TRACE=$WORK/trace.txt
PIDS=()
cleanup() {
  local p
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  timeout 15 wineserver -w 2>/dev/null
  [ -n "${KEEP_WORK:-}" ] && echo "kept $WORK" || rm -rf "$WORK"
}
trap cleanup EXIT

ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
HZ=$(getconf CLK_TCK)
# The Wine server of this prefix.
wineserver_pid() {
  local p
  for p in $(pgrep -x 'wineserver(32|64)?'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && {
      echo "$p"
      return
    }
  done
}

Xvfb -displayfd 9 -screen 0 1920x1080x24 -nolisten tcp 9>"$WORK/displayfd" >"$WORK/xvfb.log" 2>&1 &
xpid=$!
PIDS+=($xpid)
for i in $(seq 100); do [ -s "$WORK/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/displayfd")"
# With the display set: Wine's desktop process, started by the first program, keeps its display.
timeout 60 wine reg delete 'HKCU\Software\PetalStream' /f >/dev/null 2>&1

cp "$SCR" "$WORK/PetalStream.scr"
(cd "$WORK" && exec wine PetalStream.scr /S >"$WORK/wine.log" 2>&1) &
ppid=$!
PIDS+=($ppid)
sleep 5
if ! kill -0 "$ppid" 2>/dev/null; then
  echo "PetalStream.scr ended early: $(tail -n 3 "$WORK/wine.log")"
  exit 1
fi
spid=$(wineserver_pid)
t0=$(date +%s.%N) p0=$(ticks "$ppid") x0=$(ticks "$xpid") s0=$(ticks "${spid:-0}")
sleep "$SPAN"
t1=$(date +%s.%N) p1=$(ticks "$ppid") x1=$(ticks "$xpid") s1=$(ticks "${spid:-0}")
pace=$(awk '/^ticks\(/ { n = substr($1, 7) + 0; t = $3 + 0; if (!first) { n0 = n; t0 = t; first = 1 } }
  END { if (n > n0) printf "%.2f ms a tick", (t - t0) / (n - n0) }' "$PETALSTREAM_TRACE")
interval=$(sed -n 's/^setTimer(frmMain,\([0-9]*\),1)$/\1/p' "$PETALSTREAM_TRACE" | tail -1)
kill "$ppid" 2>/dev/null
wait "$ppid" 2>/dev/null

echo "CPU time per second of running, 1920x1080, Xvfb, ${SPAN} s ($(nproc) cores, $(wine --version)):"
awk -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v s=$((s1 - s0)) -v hz="$HZ" -v t0="$t0" -v t1="$t1" \
  -v pace="$pace" -v iv="$interval" \
  'BEGIN {d = t1 - t0; printf "%-34s program %5.1f%%   wineserver %5.1f%%   X server %5.1f%%   (timer %s ms, %s)\n",
          "PetalStream.scr /S under Wine", 100 * p / hz / d, 100 * s / hz / d, 100 * x / hz / d, iv, pace}'

if [ -x "$LINUX_BUILD/petalstream" ] && [ -f bench/xvfb-cpu.sh ]; then
  HACKS="" bash bench/xvfb-cpu.sh "$LINUX_BUILD" "$SPAN" | grep -E '/S|^CPU' | tail -n 1
else
  echo "(no Linux build in $LINUX_BUILD to compare with: bash bench/xvfb-cpu.sh LINUX_BUILD)"
fi
