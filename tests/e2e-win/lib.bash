# Shared by the end-to-end scripts of PetalStream.scr under Wine (sourced, not a test itself).
#
# Each script runs the real program on a private Xvfb display, in the build's Wine prefix, from a
# scratch folder of its own (so the protocol file and the test DLLs beside the program are the
# test's). Everything it starts is stopped again on exit, by process id.
set -uo pipefail

BUILD=${1:?usage: $0 BUILD_DIR}
BUILD=$(cd "$BUILD" && pwd)
SOURCE=${PETALSTREAM_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$BUILD/wineprefix}
# The prefix's width is the build's: win32, or win64 for the 64-bit build.
export WINEARCH=${WINEARCH:-win32} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE_RUN=${PETALSTREAM_WINE:-$SOURCE/cmake/wine-run.sh}
# `wine` of that width.
export PATH="$SOURCE/cmake/winebin:$PATH"
SCR=$BUILD/PetalStream.scr
[ "$WINEARCH" = win64 ] && SCR=$BUILD/PetalStream64.scr
HELPERS=$BUILD/tests/win32

for tool in wine Xvfb xdotool convert compare; do
  command -v $tool >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -f "$SCR" ] || { echo "FAIL: $SCR is not built"; exit 1; }
"$WINE_RUN" --prefix "$WINEPREFIX" --init
case $? in 0) ;; 77) exit 77 ;; *) echo "FAIL: no Wine prefix"; exit 1 ;; esac

WORK=$(mktemp -d /tmp/petalstream-wine-e2e.XXXXXX)
TRACE=$WORK/trace.txt
export PETALSTREAM_TRACE=$TRACE
XVFB_PID=
SAVER_PID=
HELPER_PID=
FAILURES=0

cleanup() {
  for pid in $SAVER_PID $HELPER_PID; do kill "$pid" 2>/dev/null; done
  # Wine's processes of this prefix are ours (the script tests run one at a time).
  timeout 15 wineserver -w 2>/dev/null || timeout 10 wineserver -k 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  if [ "$FAILURES" -eq 0 ] && [ -z "${KEEP_WORK:-}" ]; then rm -rf "$WORK"; else echo "kept $WORK"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}
pass() { echo "ok: $*"; }
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  if [ "$FAILURES" -eq 0 ]; then
    echo "PASS"
    exit 0
  fi
  echo "$FAILURES check(s) failed; trace:"
  cat "$TRACE" 2>/dev/null
  exit 1
}

# start_display WIDTH HEIGHT: a private X server on the first free display number.
start_display() {
  local n
  for n in $(seq 91 199); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb :$n -screen 0 "${1}x${2}x24" -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    local i
    for i in $(seq 50); do
      if xdpyinfo >/dev/null 2>&1 || xdotool getmouselocation >/dev/null 2>&1; then return 0; fi
      kill -0 $XVFB_PID 2>/dev/null || break
      sleep 0.2
    done
    kill $XVFB_PID 2>/dev/null
    XVFB_PID=
  done
  echo "FAIL: no X display could be started"
  exit 1
}

# The program (and, by name, helpers) copied into a fresh folder; prints the folder.
program_folder() {
  local dir=$WORK/${1:-program}
  mkdir -p "$dir"
  cp "$SCR" "$dir/PetalStream.scr"
  echo "$dir"
}

# winpath PATH: the Windows form of a Unix path.
winpath() { echo "Z:${1//\//\\}"; }

# settings NAME=VALUE...: the settings store holds exactly these values.
settings() {
  timeout 60 wine reg delete 'HKCU\Software\PetalStream' /f >/dev/null 2>&1
  local kv
  for kv in "$@"; do
    timeout 60 wine reg add 'HKCU\Software\PetalStream\Settings' /v "${kv%%=*}" /t REG_SZ \
      /d "${kv#*=}" /f >/dev/null 2>&1 || fail "cannot write setting $kv"
  done
}

# setting NAME: the stored text of a setting (empty when missing).
setting() {
  timeout 60 wine reg query 'HKCU\Software\PetalStream\Settings' /v "$1" 2>/dev/null |
    tr -d '\r' | awk -v k="$1" '$1 == k && $2 == "REG_SZ" { print $3 }'
}

# resolution DPI: Wine's screen resolution (LogPixels), taken up when Wine starts again. Only
# in a prefix of the script's own: it must not reach the other scripts.
resolution() {
  timeout 15 wineserver -w 2>/dev/null || timeout 10 wineserver -k 2>/dev/null
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1 || fail "cannot set LogPixels $1"
  timeout 15 wineserver -w 2>/dev/null
}

# Windows version for PetalStream.scr only: win98, or nothing for the prefix's own.
windows_version() {
  local key='HKCU\Software\Wine\AppDefaults\PetalStream.scr'
  if [ -n "${1:-}" ]; then
    timeout 60 wine reg add "$key" /v Version /t REG_SZ /d "$1" /f >/dev/null 2>&1
  else
    timeout 60 wine reg delete "$key" /f >/dev/null 2>&1
  fi
}

# start_saver FOLDER ARGS...: starts FOLDER/PetalStream.scr with a fresh trace.
start_saver() {
  local dir=$1
  shift
  [ -f "$TRACE" ] && cat "$TRACE" >>"$WORK/earlier-traces.txt"
  rm -f "$TRACE"
  (cd "$dir" && exec timeout -k 5 300 wine PetalStream.scr "$@" >>"$WORK/wine.log" 2>&1) &
  SAVER_PID=$!
}

source "$(dirname "${BASH_SOURCE[0]}")/../wait.bash"  # wait_for, join_display
source "$(dirname "${BASH_SOURCE[0]}")/../version.bash"  # build_version
traced() { grep -qE "$1" "$TRACE" 2>/dev/null; }
count_traced() { grep -cE "$1" "$TRACE" 2>/dev/null; }
saver_running() { kill -0 "$SAVER_PID" 2>/dev/null; }
saver_ended() { ! saver_running; }
# The exit code of the saver, once it has ended.
saver_exit_code() {
  wait "$SAVER_PID" 2>/dev/null
  echo $?
}

# The meadow is up: its first layout pass has started the timer.
wait_meadow() { wait_for "${1:-30}" traced '^setTimer\(frmMain,[0-9]+,1\)'; }

# A window of the display by its title; prints its geometry as "X Y W H" of the client area.
window_geometry() {
  local id
  id=$(xdotool search --name "$1" 2>/dev/null | head -1)
  [ -n "$id" ] || return 1
  xdotool getwindowgeometry --shell "$id" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END {print x, y, w, h}'
}

# click X Y: the pointer moves there, then the left button clicks.
# Without a window manager Wine waits up to 2 s for one whenever a window goes away, and input
# that arrives meanwhile is lost: after closing a window, wait for its "destroyWindow" trace
# line (written once the native window is gone) before the next click.
click() {
  xdotool mousemove "$1" "$2"
  sleep 0.3
  xdotool click 1
  sleep 0.7
}

screenshot() { import -window root "$1" 2>/dev/null; }

# mean_rgb FILE GEOMETRY: the mean colour of a region as "R G B" (0 to 255).
mean_rgb() {
  convert "$1" -crop "$2" +repage -resize 1x1! -depth 8 txt:- |
    sed -n 's/.*srgb(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p; s/.*rgb(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p' |
    head -1
}

# check_protocols FILE COUNT ERROR MODULE PROCEDURE PLATFORM VERSION BUILD: FILE holds COUNT
# protocols, each 18 CRLF lines and an empty line, of the failure ERROR ("6 (Overflow)") in
# MODULE.PROCEDURE, written on the given system.
check_protocols() {
  local file=$1 count=$2 error=$3 module=$4 procedure=$5 platform=$6 version=$7 build=$8
  local indent='          ' sep
  sep=$(printf -- '-%.0s' $(seq 70))
  [ -f "$file" ] || { fail "no protocol file $file"; return; }
  check "the protocol file has $count protocol(s) of 19 lines" \
    test "$(wc -l <"$file")" -eq $((count * 19))
  check "every line ends with CR LF" test "$(grep -c $'\r$' "$file")" -eq $((count * 19))
  local text k base
  text=$(tr -d '\r' <"$file")
  for k in $(seq 0 $((count - 1))); do
    base=$((k * 19))
    line() { sed -n "$((base + $1))p" <<<"$text"; }
    check "protocol $((k + 1)): separators" \
      test "$(line 1)$(line 3)$(line 6)$(line 13)$(line 18)" = "$sep$sep$sep$sep$sep"
    check "protocol $((k + 1)): title" \
      test "$(line 2)" = "F E H L E R P R O T O K O L L  /  E R R O R   P R O T O C O L L"
    check "protocol $((k + 1)): program info" \
      test "$(line 4)|$(line 5)" = "PROGRAMM-INFO:|${indent}PetalStream  V$(build_version "$BUILD")"
    check "protocol $((k + 1)): description title" \
      test "$(line 7)" = "FEHLERBESCHREIBUNG / ERROR DESCRIPTION:"
    check "protocol $((k + 1)): $error in $module.$procedure" \
      test "$(line 8)|$(line 9)|$(line 10)" = \
      "${indent}Fehler-Nr / error :	$error|${indent}Modul:	$module|${indent}Prozedur / procedure:	$procedure"
    check "protocol $((k + 1)): a line number" \
      grep -qE "^${indent}Zeile / Line:	[1-9][0-9]*\$" <<<"$(line 11)"
    check "protocol $((k + 1)): date and time" \
      grep -qE "^${indent}Datum/Uhrzeit \(Date/Time\):	[01][0-9]-[0-3][0-9]-20[0-9][0-9] / [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\$" <<<"$(line 12)"
    check "protocol $((k + 1)): $platform $version, build '$build'" \
      test "$(line 14)|$(line 15)|$(line 16)|$(line 17)" = \
      "SYSTEMINFO:|${indent}Plattform/Environment:	$platform|${indent}Version:	$version|${indent}Build:	$build"
    check "protocol $((k + 1)): an empty line after it" test -z "$(line 19)"
  done
}

# end_report: presses End on the shown error report. The report is arranged with End as its
# only answer, in framContinue at the bottom (top 975 + 1695 + 615 twips), button 3 at 5640, 240.
end_report() {
  local x y w h
  wait_for 20 window_geometry "Fehler / Error" >/dev/null || { fail "no error report shown"; return; }
  read -r x y w h <<<"$(window_geometry "Fehler / Error")"
  click $((x + (5640 + 667) / 15)) $((y + (975 + 1695 + 615 + 240 + 247) / 15))
}
