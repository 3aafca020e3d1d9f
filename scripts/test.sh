#!/usr/bin/env bash
# Configures, builds and tests every build: linux (Qt, tools, tests on the host), linux-asan (the
# unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer), windows (the 32-bit .scr
# and the same tests cross-compiled, run under Wine) and windows64 (the same in 64 bits, under
# 64-bit Wine). Every step runs even after an earlier one failed, so one report shows all that is
# wrong; the exit code is 0 only if nothing failed. Tests that cannot run on this machine (the
# 32-bit Windows tests where the kernel runs no 32-bit programs) are skipped, and the summary says
# how many and why.
#
#   bash scripts/test.sh [PRESET...]        (default: linux linux-asan windows windows64)
#
# CTEST_PARALLEL_LEVEL runs tests in parallel (default: one at a time).
set -uo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(linux linux-asan windows windows64)

failed=()
passed_total=0
failed_total=0
skipped_total=0
report=()

for preset in "${presets[@]}"; do
  start=$SECONDS
  echo "==> $preset: configure"
  if ! cmake --preset "$preset"; then
    failed+=("$preset: configure"); report+=("$preset: configure failed"); continue
  fi
  echo "==> $preset: build"
  if ! cmake --build --preset "$preset"; then
    failed+=("$preset: build"); report+=("$preset: build failed"); continue
  fi
  echo "==> $preset: test"
  log=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  # "NN% tests passed, F tests failed out of T"
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  # ctest counts a skipped test among the passed ones and lists it as "N - name (Skipped)".
  skipped=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log")
  rm -f "$log"
  if [ -n "$line" ]; then
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed_total=$((passed_total + t - f - skipped))
    failed_total=$((failed_total + f))
    skipped_total=$((skipped_total + skipped))
  fi
  if [ "$rc" -ne 0 ]; then failed+=("$preset: test"); fi
  report+=("$preset: ${line:-no test summary (ctest exit code $rc)} [$((SECONDS - start))s]")
  if [ "$skipped" -gt 0 ]; then
    # Each skipping test says why on a line "SKIP: reason"; ctest keeps every test's output here.
    why=$(grep -hE '^SKIP: ' "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null |
      sed 's/^SKIP: //' | sort | uniq -c | sed -E 's/^ *([0-9]+) (.*)/\2 (\1)/' | paste -sd ';' -)
    report+=("  $skipped skipped: ${why:-no reason given}")
  fi
done

echo
echo "==> summary"
printf '  %s\n' "${report[@]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED: ${failed[*]}"
fi
echo "($SECONDS s in all)"
echo "total: $passed_total passed, $failed_total failed, $skipped_total skipped"
[ ${#failed[@]} -eq 0 ]
