#!/usr/bin/env bash
# Frames through shared memory onto real X windows (petalstream_x11_tests), on a private Xvfb.
source "$(dirname "$0")/common.bash"
start_x 640x480
[ -x "$BUILD/petalstream_x11_tests" ] || fail "$BUILD/petalstream_x11_tests is not built"
"$BUILD/petalstream_x11_tests" --gtest_color=no || fail "petalstream_x11_tests"
ok "frames through shared memory"
