# An X server whose monitors can be plugged in and out while a program runs (sourced by the
# end-to-end scripts): Xorg with the dummy video driver, whose outputs DUMMY0 to DUMMY9 xrandr
# switches on and off as a desktop's RandR reports monitors coming and going. Xvfb and Xephyr
# cannot add a monitor to a running server. DUMMY0 starts alone at WxH.

# start_dummy_x WORKDIR WxH: DISPLAY becomes the server, its process id DUMMY_X_PID; false when
# it cannot be had (no Xorg or dummy driver, or not allowed to start one).
start_dummy_x() {
  local work=$1 size=$2
  command -v Xorg >/dev/null && command -v xrandr >/dev/null || return 1
  [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || return 1
  cat >"$work/xorg-dummy.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
CONF
  Xorg -displayfd 8 -config "$work/xorg-dummy.conf" -logfile "$work/xorg.log" -noreset \
    -nolisten tcp 8>"$work/xorg.fd" >"$work/xorg.out" 2>&1 &
  DUMMY_X_PID=$!
  join_display "$work/xorg.fd" "$DUMMY_X_PID" || return 1
  xrandr --output DUMMY0 --mode "$size" --primary >/dev/null 2>&1
}

# plug NAME WxH WHERE: the output NAME comes on at WxH, placed by WHERE (--right-of DUMMY0 ...).
# A query then makes the server probe its outputs, so that clients that only read the current
# state (Wine) find the new one connected.
plug() {
  local name=$1 size=$2
  shift 2
  xrandr --addmode "$name" "$size" 2>/dev/null
  xrandr --output "$name" --mode "$size" "$@" && xrandr >/dev/null
}
# unplug NAME: the output goes off.
unplug() { xrandr --output "$1" --off && xrandr >/dev/null; }

# showing FILE GEOMETRY COLOUR: the number of pixels of the area WxH+X+Y within 10 % of the
# colour (the desktop's, where no window covers it).
showing() {
  convert "$1" -crop "$2" +repage -fuzz 10% -fill black +opaque "$3" -fill white -opaque "$3" \
    -colorspace Gray -format "%[fx:int(mean*w*h+0.5)]" info:
}
