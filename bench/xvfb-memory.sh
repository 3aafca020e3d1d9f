#!/usr/bin/env bash
# Memory of the running mode: VmRSS (and its anonymous, file and shared parts) of `/S` after a
# while under Xvfb, for each program given, side by side, with the default settings (a random
# background, so the desktop is taken).
#
#   bench/xvfb-memory.sh [-s WxH] [-t SECONDS] PROGRAM...
#   bench/xvfb-memory.sh build/linux/petalstream /tmp/old/petalstream
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
command -v Xvfb >/dev/null || { echo "xvfb-memory.sh: Xvfb is not installed" >&2; exit 1; }

WORK=$(mktemp -d /tmp/petalstream-mem.XXXXXX)
export XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" HOME="$WORK/home"
export XDG_RUNTIME_DIR="$WORK/runtime" LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XSCREENSAVER_WINDOW QT_QPA_PLATFORM
PIDS=()
cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

field() { awk -v k="$1:" '$1 == k {printf "%.1f", $2 / 1024}' "/proc/$2/status"; }

echo "VmRSS of /S after ${AFTER} s, ${SIZE}, Xvfb (MB: total = anonymous + file + shared):"
for prog in "$@"; do
  rm -f "$WORK/displayfd"
  Xvfb -displayfd 9 -screen 0 "${SIZE}x24" -nolisten tcp 9>"$WORK/displayfd" \
    >"$WORK/xvfb.log" 2>&1 &
  xpid=$!
  PIDS+=($xpid)
  for _ in $(seq 100); do [ -s "$WORK/displayfd" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$WORK/displayfd")"
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
  kill "$ppid" 2>/dev/null
  wait "$ppid" 2>/dev/null
  kill "$xpid"
  wait "$xpid" 2>/dev/null
done
