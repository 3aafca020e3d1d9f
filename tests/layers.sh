#!/usr/bin/env bash
# The layers include only downwards. From the bottom:
#   1. the platform interface and the shared pieces   src/platform/*.h, *.cpp
#   2. the system layer                               src/host src/animation src/dialogs src/errors
#   3. the backends                                   src/backends/win32 src/backends/qt
# A file of a layer may include its own layer and those below it, and nothing of the machine
# (<windows.h>, Qt, X) below the backends; and no backend reads the running mode. Prints every
# fault; fails if there is one.
#
#   tests/layers.sh [SOURCE_DIR]
set -uo pipefail
SRC=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$SRC/src" || { echo "layers.sh: no src/ in $SRC" >&2; exit 2; }

wrong=0
# check FILES... : the files of one layer, against the includes it may not have (a regex).
check() {
  local forbidden=$1
  shift
  local f line
  for f in "$@"; do
    [ -f "$f" ] || continue
    while IFS= read -r line; do
      echo "src/$f includes a higher layer: ${line#*:}"
      wrong=1
    done < <(grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($forbidden)" "$f")
  done
}

system='host/|animation/|dialogs/|errors/'
backends='backends/'
machine='windows\.h|winuser\.h|wingdi\.h|Q[A-Za-z]+|qt[a-z]*/|xcb/|X11/'

check "$system|$backends|$machine" platform/*.h platform/*.cpp
check "$backends|$machine" host/* animation/* dialogs/* errors/*

# The running mode's rules are the system's: a backend carries out operations and delivers
# events, and does not look at the mode.
while IFS= read -r line; do
  echo "src/$line: a backend reads the running mode"
  wrong=1
done < <(grep -rn 'ScreenSaverMode' backends 2>/dev/null)

if [ "$wrong" = 0 ]; then
  echo "ok: every include goes to the same layer or a lower one"
fi
exit "$wrong"
