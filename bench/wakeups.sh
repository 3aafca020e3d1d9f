#!/usr/bin/env bash
# Wake-ups of the running mode while a meadow shows and while none can be seen: the program's
# voluntary context switches (all threads) over SECONDS, on Xvfb (a window mapped over the
# meadow) and under headless sway (every output showing another workspace). Runs the two
# end-to-end tests with a longer count and prints their figures.
#
#   bench/wakeups.sh BUILD_DIR [SECONDS]     e.g. bench/wakeups.sh build/linux 10
set -uo pipefail
BUILD=${1:?usage: $0 BUILD_DIR [SECONDS]}
export WAKE_SECONDS=${2:-10}
E2E="$(dirname "$0")/../tests/e2e"
for t in covered sway; do
  echo "== $t"
  bash "$E2E/$t.sh" "$BUILD" 2>&1 | grep -E 'wake-ups|FAIL|SKIP' | sed 's/^ok: /  /'
done
