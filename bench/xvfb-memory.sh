#!/usr/bin/env bash
# Memory of the running mode: VmRSS (and its anonymous, file and shared parts) of `/S` after a
# while under Xvfb, for each program given, side by side, with the default settings (a random
# background, so the desktop is taken).
#
#   bench/xvfb-memory.sh [-s WxH] [-t SECONDS] PROGRAM...
#   bench/xvfb-memory.sh build/linux/petalstream /tmp/old/petalstream
# Each PROGRAM is a petalstream binary.
set -uo pipefail

SIZE=3840x2160
AFTER=8
while getopts "s:t:" o; do
  case $o in
    s) SIZE=$OPTARG ;;
    t) AFTER=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || { echo "usage: $0 [-s WxH] [-t SECONDS] PROGRAM..." >&2; exit 2; }
# The end-to-end scripts' private Xvfb, work folder and clean-up.
source "$(dirname "$0")/../tests/e2e/common.bash" "$(dirname "$1")"

field() { awk -v k="$1:" '$1 == k {printf "%.1f", $2 / 1024}' "/proc/$2/status"; }

echo "VmRSS of /S after ${AFTER} s, ${SIZE}, Xvfb (MB: total = anonymous + file + shared):"
for prog in "$@"; do
  start_x "$SIZE"
  xpid=${PIDS[-1]}
  "$prog" /S >"$WORK/prog.log" 2>&1 &
  ppid=$!
  PIDS+=($ppid)
  sleep "$AFTER"
  if kill -0 "$ppid" 2>/dev/null; then
    printf "%-44s %7s = %7s + %6s + %7s\n" "$prog" "$(field VmRSS $ppid)" \
      "$(field RssAnon $ppid)" "$(field RssFile $ppid)" "$(field RssShmem $ppid)"
  else
    echo "$prog: ended early: $(tail -n 3 "$WORK/prog.log")"
  fi
  kill "$ppid" "$xpid" 2>/dev/null
  wait "$ppid" "$xpid" 2>/dev/null
done
