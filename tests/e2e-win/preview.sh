#!/usr/bin/env bash
# The preview mode of the real PetalStream.scr under Wine: a small host program (as the display
# control panel) starts "/p <its window>", and the preview picture fills the host's client area,
# stretched without keeping its proportions: 152 x 112 first, then 512 x 192 after the host
# resizes it. When the host closes its window the preview ends with it, without ever touching
# the pointer or the screen-saver flags; a host that vanishes without closing its window ends
# the preview as well.
#
# Wine does not compose a child window into a window of another process (the host's area stays
# blank on its screen), so the picture is checked in what the program presented to its window,
# which the backend writes beside its trace for previews in a foreign host.
source "$(dirname "$0")/lib.bash"

start_display 800 600
dir=$(program_folder)
settings
control=$WORK/control
mkdir -p "$control"
expected_picture=$SOURCE/resources/preview.gif
[ -f "$expected_picture" ] || { fail "no $expected_picture"; finish; }

shown=$TRACE-frmPreview.bmp
# differences W H: the pixels in which the presented picture differs from the preview picture
# stretched to W x H, each pixel taken from the source pixel under its centre.
differences() {
  convert -size "${1}x${2}" xc: "$expected_picture[0]" \
    -fx 'v.p{floor((i+0.5)*v.w/w),floor((j+0.5)*v.h/h)}' "$WORK/expected.png"
  compare -metric AE "$shown" "$WORK/expected.png" null: 2>&1
}
size_of() { identify -format '%wx%h' "$1" 2>/dev/null; }

host_log=$WORK/host.log
rm -f "$TRACE"
(cd "$dir" && exec timeout -k 5 200 wine "$(winpath "$HELPERS/preview_host.exe")" \
  "$(winpath "$dir/PetalStream.scr")" "$(winpath "$control")" 100 100 152 112 >"$host_log" 2>&1) &
HELPER_PID=$!
check "the preview paints into the host" wait_for 30 traced '^SetWindowPos\([0-9]+,0,0,0,152,112,84\) = 1$'
check "the resize painted the window" wait_for 10 traced '^present\(frmPreview,152x112\)$'
sleep 1
screenshot "$WORK/preview-small.png"
cp "$shown" "$WORK/shown-small.bmp"
check "the picture fills the host's 152 x 112 client area" test "$(size_of "$shown")" = 152x112
d=$(differences 152 112)
check "... showing the whole picture shrunk ($d pixels differ)" test "$d" = 0
spread=$(convert "$shown" -format '%[fx:int(1000*standard_deviation)]' info:)
check "... which is no blank area (spread $spread)" test "$spread" -gt 50
# The host's client area first, then the child style, the parent, the owner and the place, in
# this order and for the one window.
calls=$(grep -oE '^(GetClientRect|SetWindowLongA|SetParent|SetWindowPos)\([0-9,-]*' "$TRACE" | head -5)
host=$(sed -n 's/^GetClientRect(\([0-9-]*\)$/\1/p' <<<"$calls")
me=$(sed -n 's/^SetParent(\([0-9-]*\),.*/\1/p' <<<"$calls")
order=$(sed -E "s/\($me,/(ME,/; s/([(,])$host\$/\1HOST/; s/^(SetWindowLongA\(ME,-16),.*/\1/" <<<"$calls" |
  paste -sd '|')
check "the preview went into the host in order ($order)" test "$order" = \
  "GetClientRect(HOST|SetWindowLongA(ME,-16|SetParent(ME,HOST|SetWindowLongA(ME,-8,HOST|SetWindowPos(ME,0,0,0,152,112,84"

echo "512 192" >"$control/resize"
check "the host resizes its preview" wait_for 10 test -f "$control/resized"
check "the resize painted the window again" wait_for 10 traced '^present\(frmPreview,512x192\)$'
sleep 1
screenshot "$WORK/preview-wide.png"
mkdir -p "$BUILD/e2e-win-shots"
convert "$WORK/shown-small.bmp" "$BUILD/e2e-win-shots/preview-152x112.png"
convert "$shown" "$BUILD/e2e-win-shots/preview-512x192.png"
check "the picture fills 512 x 192" test "$(size_of "$shown")" = 512x192
d=$(differences 512 192)
check "... stretched across, not kept in proportion ($d pixels differ)" test "$d" = 0

touch "$control/close"
check "closing the host ends the preview" wait_for 30 grep -q '^ended 0' "$host_log"
check "... through the unload of the destroyed window" traced '^destroyedOutside\(frmPreview\)$'
check "the preview never touched the pointer" test "$(count_traced '^ShowCursor')" -eq 0
check "... nor the running flag" test "$(count_traced '^SystemParametersInfoA\(97')" -eq 0
check "... and only switched the activation off" \
  test "$(count_traced '^SystemParametersInfoA')" -eq 1
wait "$HELPER_PID" 2>/dev/null
HELPER_PID=

# A host that ends without closing its window.
(cd "$dir" && exec timeout -k 5 200 wine "$(winpath "$HELPERS/preview_host.exe")" \
  "$(winpath "$dir/PetalStream.scr")" "$(winpath "$control")" 100 100 152 112 >"$host_log" 2>&1) &
HELPER_PID=$!
wait_for 30 traced '^SetWindowPos\([0-9]+,0,0,0,152,112,84\) = 1$'
touch "$control/vanish"
check "a vanished host ends the preview too" wait_for 30 traced '^exit\(0\)$'

finish
