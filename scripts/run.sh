#!/usr/bin/env bash
# Builds the Linux program and starts the screensaver on your X display.
#
#   bash scripts/run.sh [SWITCH...]     (default /S; /C opens the settings dialog)
set -uo pipefail
cd "$(dirname "$0")/.."

echo "==> building (preset linux)"
if ! { cmake --preset linux >/dev/null && cmake --build --preset linux; }; then
  echo "run.sh: the build failed (output above)." >&2
  exit 1
fi

bin=build/linux/petalstream
render=build/linux/petalstream-render
args=("$@")
[ ${#args[@]} -eq 0 ] && args=(/S)

display_ok=0
if [ -n "${DISPLAY:-}" ] && timeout 5 xdpyinfo >/dev/null 2>&1; then display_ok=1; fi

if [ -x "$bin" ] && [ "$display_ok" = 1 ]; then
  echo "==> $bin ${args[*]} on display $DISPLAY (a key, a click or moving the mouse ends it)"
  exec "$bin" "${args[@]}"
fi

echo
if [ ! -x "$bin" ]; then
  echo "The screensaver program $bin is not built yet: its Linux front end is not in the tree."
elif [ -z "${DISPLAY:-}" ]; then
  echo "$bin is built, but there is no X display (DISPLAY is not set) to show it on."
  echo "From a desktop session:   bash scripts/run.sh        (or: $bin /S)"
else
  echo "$bin is built, but the X display '$DISPLAY' does not answer."
fi
echo
echo "What there is so far in build/linux:"
found=0
for f in build/linux/*; do
  if [ -f "$f" ] && [ -x "$f" ]; then echo "  $f"; found=1; fi
done
[ "$found" = 0 ] && echo "  (no programs yet)"
echo
if [ -x "$render" ]; then
  echo "Without a display, the headless renderer draws the meadow into image files:"
  echo "  $render --help"
else
  echo "The headless renderer, which draws the meadow into image files without a display, is not"
  echo "built yet either (it will be $render)."
fi
echo "The tests of both builds (Linux, and Windows under Wine):  bash scripts/test.sh"
