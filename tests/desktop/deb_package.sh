#!/usr/bin/env bash
# Builds the Debian package, checks what it holds and validates its AppStream
# metadata, installs it with dpkg, starts the installed program on an X display as
# an ordinary user (whose data then lives in the per-user data folder), closes it,
# and removes the package again.
# Usage: deb_package.sh <build-dir>     (as root; exits 77, "skipped", otherwise)
set -euo pipefail
build=$(cd "$1" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "SKIP: installing a package needs root"; exit 77; }
if dpkg-query -W -f='${Status}' kvitanky 2>/dev/null | grep -q 'install ok installed'; then
  echo "SKIP: a kvitanky package is installed on this machine already; it is left alone"
  exit 77
fi
work=$(mktemp -d /tmp/kvitanky-deb.XXXXXX)
chmod 755 "$work"
installed=
cleanup() {
  stop_desktop
  [ -n "$installed" ] && dpkg -r kvitanky >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$(dirname "$0")/desktop_session.sh"

# 1. Build it (from the program as built; packaging builds nothing else).
cmake --build "$build" --target kvitanky slip_pictures >/dev/null
(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/kvitanky_*.deb)
echo "package: $(basename "$deb") ($(du -k "$deb" | cut -f1) kB)"

# 2. What it holds and what it needs.
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files"
for f in ./usr/bin/kvitanky ./usr/share/kvitanky/IMAGE.bmp ./usr/share/kvitanky/IMAGEclean.bmp \
         ./usr/share/kvitanky/CALIBRAT5x5.bmp ./usr/share/applications/kvitanky.desktop \
         ./usr/share/icons/hicolor/scalable/apps/kvitanky.svg ./usr/share/metainfo/cz.kvitanky.Kvitanky.metainfo.xml; do
  grep -qx "$f" "$work/files" || fail "the package lacks $f"
done
grep -q '^\./usr/local' "$work/files" && fail "the package installs under /usr/local"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libqt6widgets6 libqt6printsupport6 libxlsxwriter qt6-qpa-plugins qt6-translations-l10n fonts-liberation; do
  grep -q "$d" <<<"$depends" || fail "the package does not depend on $d"
done
dpkg-deb -x "$deb" "$work/root"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/cz.kvitanky.Kvitanky.metainfo.xml"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$work/root/usr/share/applications/kvitanky.desktop"; fi

# 3. Install it.
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; dpkg -r kvitanky >/dev/null 2>&1 || true; fail "dpkg -i"; }
installed=1
[ -x /usr/bin/kvitanky ] || fail "no /usr/bin/kvitanky after the install"
[ -f /usr/share/qt6/translations/qtbase_cs.qm ] || fail "Qt's Czech translations are missing"

# 4. Start it as an ordinary user on an X display.
start_desktop
LC_ALL=cs_CZ.UTF-8 start_program /usr/bin/kvitanky "the installed program" "$home"
[ -f "$data/Data.dbf" ] || fail "no Data.dbf in the per-user data folder $data"
[ -f "$data/Kvitanky.ini" ] || fail "no Kvitanky.ini in the per-user data folder $data"
[ ! -e /usr/bin/Data.dbf ] || fail "the program wrote into /usr/bin"
close_window "the installed program"
grep -q '^EditLayoutPriceX=465' "$data/Kvitanky.ini" || fail "the settings file was not written at close"

# 5. Remove it.
dpkg -r kvitanky >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
installed=
[ ! -e /usr/bin/kvitanky ] || fail "/usr/bin/kvitanky is still there after the removal"
[ ! -e /usr/share/kvitanky ] || fail "/usr/share/kvitanky is still there after the removal"
dpkg-query -W -f='${Status}' kvitanky 2>/dev/null | grep -q 'install ok installed' && fail "still installed"
echo "Debian package built, validated, installed, started, closed and removed"
