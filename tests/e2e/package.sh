#!/usr/bin/env bash
# Installing: cmake --install records every file it lays down; cpack -G DEB makes a package
# with the hack, its description, the manual page, the .desktop entries, the copyright and the
# changelog, stripped, with its dependencies, that lintian finds no error or warning in; as root
# the package installs (man petalstream works) and removes cleanly.
set -uo pipefail
BUILD=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
WORK=$(mktemp -d /tmp/petalstream-pkg.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }
skip() { echo "SKIP: $*"; exit 77; }
for tool in cmake cpack dpkg-deb dpkg-shlibdeps file readelf lintian; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh)"
done
[ -x "$BUILD/petalstream" ] || fail "$BUILD/petalstream is not built"
source "$(dirname "${BASH_SOURCE[0]}")/../version.bash"
VERSION=$(build_version "$BUILD") || fail "the build has no generated version header"

# --- cmake --install: what lands is what the manifest says
cmake --install "$BUILD" --prefix "$WORK/inst" >"$WORK/install.log" 2>&1 ||
  fail "cmake --install: $(tail -n 5 "$WORK/install.log")"
(cd "$WORK/inst" && find . \( -type f -o -type l \) | sed "s|^\.|$WORK/inst|" | sort) \
  >"$WORK/laid"
sort "$BUILD/install_manifest.txt" >"$WORK/manifest"
diff "$WORK/laid" "$WORK/manifest" >"$WORK/diff" || fail "not in the manifest: $(cat "$WORK/diff")"
[ "$(readlink "$WORK/inst/bin/petalstream")" = ../libexec/xscreensaver/petalstream ] ||
  fail "bin/petalstream is no link to the hack"
! readelf -S "$WORK/inst/libexec/xscreensaver/petalstream" | grep -q '\.debug_info' ||
  fail "cmake --install lays down the program unstripped"
ok "cmake --install records all $(wc -l <"$WORK/laid") files, the link in bin/ too; stripped"

# --- the package
(cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/pkg") \
  >"$WORK/cpack.log" 2>&1 || fail "cpack: $(tail -n 20 "$WORK/cpack.log")"
DEB=$(ls "$WORK"/pkg/petalstream_*.deb 2>/dev/null | head -n1)
[ -n "$DEB" ] || fail "no .deb: $(tail -n 5 "$WORK/cpack.log")"
dpkg-deb -c "$DEB" | awk '{print $6 ($7 ? " " $7 " " $8 : "")}' | grep -v '/$' | sort \
  >"$WORK/contents"
cat >"$WORK/expected" <<'EOF'
./usr/bin/petalstream -> ../libexec/xscreensaver/petalstream
./usr/libexec/xscreensaver/petalstream
./usr/share/applications/petalstream-settings.desktop
./usr/share/applications/screensavers/petalstream.desktop
./usr/share/doc/petalstream/changelog.gz
./usr/share/doc/petalstream/copyright
./usr/share/man/man6/petalstream.6.gz
./usr/share/xscreensaver/config/petalstream.xml
EOF
diff "$WORK/expected" "$WORK/contents" || fail "the package holds other files than expected"
ok "$(basename "$DEB") holds the hack, its link, description, manual page, .desktop entries and documents"

dpkg-deb -I "$DEB" >"$WORK/info"
grep -q '^ Package: petalstream$' "$WORK/info" || fail "no package name: $(cat "$WORK/info")"
grep -qxF " Version: $VERSION" "$WORK/info" || fail "wrong version (not $VERSION)"
depends=$(sed -n 's/^ Depends: //p' "$WORK/info")
for d in libqt6widgets6 libqt6gui6 libqt6core6 libxcb-shm0 libc6 qt6-qpa-plugins fonts-comic-neue; do
  grep -q "$d" <<<"$depends" || fail "$d is not among the dependencies: $depends"
done
ok "dependencies declared: $depends"

dpkg-deb -x "$DEB" "$WORK/x"
hack="$WORK/x/usr/libexec/xscreensaver/petalstream"
! readelf -S "$hack" | grep -q '\.debug_info' || fail "the packaged program is not stripped"
ok "the program is stripped ($(stat -c %s "$hack") bytes)"
grep -q '^Exec=/usr/libexec/xscreensaver/petalstream --root$' \
  "$WORK/x/usr/share/applications/screensavers/petalstream.desktop" || fail "screensaver entry"
grep -q '^Exec=/usr/libexec/xscreensaver/petalstream /C$' \
  "$WORK/x/usr/share/applications/petalstream-settings.desktop" || fail "settings entry"
zcat "$WORK/x/usr/share/man/man6/petalstream.6.gz" | grep -q '^\.TH PETALSTREAM 6' ||
  fail "the manual page has no title line"
zcat "$WORK/x/usr/share/doc/petalstream/changelog.gz" | head -n1 | grep -qF "petalstream ($VERSION)" ||
  fail "the changelog's last entry is not the package's version $VERSION"

# lintian: its errors and warnings fail, its infos are only counted.
lintian -I --fail-on error,warning "$DEB" >"$WORK/lintian.log" 2>&1 ||
  fail "lintian: $(grep -v '^running with root' "$WORK/lintian.log")"
ok "lintian finds no errors or warnings ($(grep -c '^I: ' "$WORK/lintian.log") infos)"

# --- installing and removing it (root only, and only where it is not installed already)
[ "$(id -u)" = 0 ] || skip "installing the package needs root"
command -v dpkg >/dev/null && command -v man >/dev/null || skip "dpkg or man is missing"
if dpkg-query -W -f='${Status}' petalstream 2>/dev/null | grep -q installed; then
  skip "petalstream is installed on this machine already: not touched"
fi
# dpkg waits for no one: try again while another installation holds its lock.
with_dpkg() {
  local i
  for i in $(seq 60); do
    "$@" >"$WORK/dpkg.log" 2>&1 && return 0
    grep -q 'lock' "$WORK/dpkg.log" || return 1
    sleep 5
  done
  return 1
}
with_dpkg dpkg -i "$DEB" || fail "dpkg -i: $(tail -n 5 "$WORK/dpkg.log")"
installed=$(dpkg -L petalstream | sort)
for f in /usr/libexec/xscreensaver/petalstream /usr/bin/petalstream \
  /usr/share/man/man6/petalstream.6.gz /usr/share/xscreensaver/config/petalstream.xml; do
  [ -e "$f" ] || { with_dpkg dpkg -r petalstream; fail "$f is not installed"; }
done
/usr/bin/petalstream --version | grep -qxF "petalstream $VERSION" || fail "--version"
MANPAGER=cat MANWIDTH=80 man petalstream 2>/dev/null | grep -q 'meadow' ||
  { with_dpkg dpkg -r petalstream; fail "man petalstream shows no page"; }
ok "dpkg -i installs it; man petalstream works"
with_dpkg dpkg -r petalstream || fail "dpkg -r: $(tail -n 5 "$WORK/dpkg.log")"
left=()
while read -r f; do
  [ -f "$f" ] || [ -L "$f" ] && left+=("$f")
done <<<"$installed"
[ ${#left[@]} -eq 0 ] || fail "left after dpkg -r: ${left[*]}"
! dpkg -s petalstream 2>/dev/null | grep -q '^Status: install ok' ||
  fail "dpkg still lists the package as installed"
ok "dpkg -r removes every file"
