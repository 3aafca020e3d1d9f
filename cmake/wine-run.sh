#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, creating the prefix once.
#
#   wine-run.sh [--arch win32|win64] [--prefix DIR] [--init] [PROGRAM.exe [ARGS...]]
#
# DIR defaults to $WINEPREFIX, the width to $WINEARCH or win32. --init only makes sure the prefix
# exists. The program's exit code is passed on. Where this machine cannot start Wine's 32-bit
# loader (a kernel without 32-bit support), a win32 run prints why and exits 77: skipped.
# Console programs need no X display; GUI programs use $DISPLAY as it is.
# After the program ends the script waits for the prefix's wineserver to go away, so that nothing
# outlives a test and the next run starts from a clean session.
set -u

prefix=${WINEPREFIX:-}
arch=${WINEARCH:-win32}
init_only=0
while [ $# -gt 0 ]; do
  case $1 in
    --arch) arch=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    --init) init_only=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ -z "$prefix" ]; then
  echo "wine-run.sh: no prefix (pass --prefix DIR or set WINEPREFIX)" >&2
  exit 2
fi
if [ "$init_only" = 0 ] && [ $# -eq 0 ]; then
  echo "usage: wine-run.sh [--arch win32|win64] [--prefix DIR] [--init] [PROGRAM.exe [ARGS...]]" >&2
  exit 2
fi
case $arch in win32 | win64) ;; *) echo "wine-run.sh: no such width: $arch" >&2; exit 2 ;; esac
export WINEARCH=$arch
# `wine` of that width, for this script and everything it starts.
export PATH="$(cd "$(dirname "$0")" && pwd)/winebin:$PATH"
if [ "$arch" = win64 ] && [ ! -x /usr/lib/wine/wine64 ]; then
  echo "wine-run.sh: 64-bit Wine is not installed (bash scripts/install-deps.sh)" >&2
  exit 2
fi
command -v /usr/bin/wine >/dev/null || { echo "wine-run.sh: wine is not installed (bash scripts/install-deps.sh)" >&2; exit 2; }
if [ "$arch" = win32 ] && ! why=$(wine --version 2>&1 >/dev/null); then
  echo "SKIP: this machine cannot run 32-bit programs (Wine's 32-bit loader: ${why:-failed})"
  exit 77
fi

case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: their installers would ask over a dialog and wait for ever.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

ready=$prefix/.petalstream-ready
init_timeout=${PETALSTREAM_WINEBOOT_TIMEOUT:-300}

make_prefix() {
  local log=$prefix.log
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  echo "wine-run.sh: creating Wine prefix $prefix" >&2
  local start=$SECONDS
  # No display for the set-up: it shows nothing worth seeing, and a desktop process started now
  # would stay without one.
  if ! (unset DISPLAY WAYLAND_DISPLAY
        timeout -k 10 "$init_timeout" wine wineboot -i &&
        timeout -k 10 60 wineserver -w) >"$log" 2>&1; then
    echo "wine-run.sh: wineboot failed or took longer than ${init_timeout}s; its output:" >&2
    cat "$log" >&2
    timeout 10 wineserver -k >/dev/null 2>&1
    return 1
  fi
  touch "$ready"
  echo "wine-run.sh: prefix ready in $((SECONDS - start))s" >&2
}

if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  # Parallel test runs share the prefix: one of them creates it, the others wait.
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$ready" ]; then make_prefix || exit 1; fi
  flock -u 9
  exec 9>&-
fi
[ "$init_only" = 1 ] && [ $# -eq 0 ] && exit 0

# A test runner that gives up on us sends TERM: take Wine's processes down with us.
child=
stop() {
  timeout 10 wineserver -k >/dev/null 2>&1
  [ -n "$child" ] && kill "$child" 2>/dev/null
  exit 124
}
trap stop TERM INT HUP

wine "$@" <&0 &
child=$!
wait "$child"
rc=$?
timeout -k 5 30 wineserver -w >/dev/null 2>&1
exit "$rc"
