#!/usr/bin/env bash
# Installs everything PetalStream needs to build and test, on Debian 12, as root. Safe to run again:
# when every package is already there it changes nothing and needs no network.
set -euo pipefail

if [ "$(id -u)" != 0 ]; then
  if command -v sudo >/dev/null; then exec sudo -E bash "$0" "$@"; fi
  echo "install-deps.sh: run me as root" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  # build
  cmake g++ make ninja-build git ca-certificates pkg-config clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # Windows builds: the i686 and x86_64 cross compilers, 32-bit and 64-bit Wine to run their
  # programs and tests (a kernel without 32-bit support runs only the 64-bit ones), and makensis
  # for the installer
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 nsis
  # Wine's X11 driver and fonts, for the .scr in a window (Debian only recommends them)
  fonts-wine libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxfixes3:i386
  libxinerama1:i386 libxcomposite1:i386 libxrender1:amd64 libxrandr2:amd64 libxi6:amd64
  libxcursor1:amd64 libxfixes3:amd64 libxinerama1:amd64 libxcomposite1:amd64
  # Linux build: Qt 6 Widgets on X11
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6svg6 libgif-dev libxcb-shm0-dev
  libxcb-xinerama0-dev libxcb-dpms0-dev
  # end-to-end tests and screenshots: a virtual X server, synthetic input, image tools, fonts
  xvfb xauth xdotool x11-utils imagemagick fonts-comic-neue fonts-dejavu-core xscreensaver-data
  # xrdb (Xft.dpi for the scaled screens) and xrandr; a nested X server with two monitors
  x11-xserver-utils xserver-xephyr
  # an X server whose monitors can be plugged in and out while a program runs
  xserver-xorg-core xserver-xorg-video-dummy
  # used by the scripts themselves (pgrep, flock, timeout)
  procps util-linux coreutils
  # the XScreenSaver daemon and its settings tool, for the hack's end-to-end test
  xscreensaver
  # the Debian package: dependencies found by dpkg-shlibdeps, its manual page shown by man, its
  # checks by lintian
  dpkg-dev file man-db lintian
  # the German locale (a decimal comma) that the tests run the program under
  locales
  # a Wayland session for the tests: Qt's Wayland platform, a headless compositor, XWayland
  qt6-wayland weston xwayland
  # a wlroots compositor for the tests (sway, its background and idle daemon), screenshots of its
  # outputs, keys, and the client library and scanner for the tests' virtual pointer
  sway swaybg swayidle grim wtype libwayland-dev libwayland-bin
)

# The tests' German locale, made from the locales package's sources (Debian ships none made).
german_locale() {
  locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8' && return 0
  echo "install-deps.sh: generating the locale de_DE.UTF-8"
  localedef -i de_DE -f UTF-8 de_DE.UTF-8
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps.sh: adding the i386 architecture (for 32-bit Wine)"
  dpkg --add-architecture i386
fi

installed() {
  [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" = "ii " ]
}
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps.sh: all ${#packages[@]} packages are installed"
  german_locale
  exit 0
fi

echo "install-deps.sh: installing ${#missing[@]} packages: ${missing[*]}"
start=$SECONDS
log=$(mktemp /tmp/install-deps.XXXXXX.log)
# Quiet on success; on failure the whole apt output is shown.
run() {
  if ! "$@" >>"$log" 2>&1 </dev/null; then
    echo "install-deps.sh: '$*' failed; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
}
run apt-get update -q
run apt-get install -y -q --no-install-recommends "${missing[@]}"
rm -f "$log"

still=()
for p in "${packages[@]}"; do installed "$p" || still+=("$p"); done
if [ ${#still[@]} -ne 0 ]; then
  echo "install-deps.sh: still missing after apt-get install: ${still[*]}" >&2
  exit 1
fi
german_locale
echo "install-deps.sh: done in $((SECONDS - start))s"
