#!/usr/bin/env bash
# Installs the program into a temporary prefix and uses it on a real X desktop:
#  - the install holds the program, its pictures, a Czech .desktop entry and an icon;
#  - started as an ordinary user from a folder it cannot write to, it keeps its
#    data in that user's data folder;
#  - under Xvfb with a window manager every page is switched to and captured as a
#    PNG (kept in <build>/screenshots), the window is closed through the window
#    manager, and the settings file must have been written;
#  - started again with the owner directory switched on, its seven pages are
#    captured too (owners-page<n>.png).
# Usage: install_and_smoke.sh <build-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
shots="$build/screenshots"
work=$(mktemp -d /tmp/kvitanky-smoke.XXXXXX)
chmod 755 "$work"
cleanup() {
  stop_desktop
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$(dirname "$0")/desktop_session.sh"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kvitanky share/kvitanky/IMAGE.bmp share/kvitanky/IMAGEclean.bmp share/kvitanky/CALIBRAT5x5.bmp \
         share/applications/kvitanky.desktop share/icons/hicolor/scalable/apps/kvitanky.svg \
         share/metainfo/cz.kvitanky.Kvitanky.metainfo.xml; do
  [ -e "$prefix/$f" ] || fail "install lacks $f"
done
grep -q '^Name\[cs\]=Kvitanky' "$prefix/share/applications/kvitanky.desktop" || fail "no Czech name"
grep -q '^Comment\[cs\]=.*poštovních poukázek' "$prefix/share/applications/kvitanky.desktop" || fail "no Czech comment"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$prefix/share/applications/kvitanky.desktop"; fi

# An ordinary user who cannot write into the install, on an X desktop.
start_desktop

# Starts the program, waits for its window and captures each of its <pages> pages
# as <prefix><n>.png, stepping through the tabs with the arrow key.
start_and_capture() {
  local name=$1 pages=$2
  # From the test's folder, which the user cannot write to.
  start_program "$prefix/bin/kvitanky" "the program"
  xdo windowactivate --sync "$win" 2>/dev/null || true
  sleep 1   # let the first page paint before it is captured
  # Focus the tab bar by clicking the first tab, then step with the arrow key.
  eval "$(xdo getwindowgeometry --shell "$win")"
  xdo mousemove $((X + 60)) $((Y + 20)) click 1
  sleep 0.4
  for page in $(seq "$pages"); do
    import -window root "$shots/$name$page.png"
    xdo key Right
    sleep 0.5
  done
}

rm -rf "$shots"; mkdir -p "$shots"
start_and_capture page 6
# The calibration page's measuring dialog, opened with its button's Alt+Z: back to
# the first page, on to the calibration page (the fourth tab while the owner
# directory's tab is hidden), and the dialog must appear.
calibration='^Kalibrace měřením'
xdo key Left Left Left Left Left Left Left Right Right Right alt+z
wait_for 60 find_window "$calibration" || { seen; fail "the calibration dialog did not open"; }
sleep 0.5
import -window root "$shots/calibration-dialog.png"
xdo key Escape
wait_for 60 eval '! find_window "$calibration"' || { seen; fail "the calibration dialog did not close"; }

[ -f "$data/Data.dbf" ] || fail "no Data.dbf in the per-user data folder $data"
[ ! -e "$prefix/bin/Data.dbf" ] || fail "wrote into the install"
close_window "the program"
grep -q '^EditLayoutPriceX=465' "$data/Kvitanky.ini" || fail "the settings file was not written at close"

# Again with the owner directory switched on: its page and the layout page's
# owner buttons appear (seven pages).
run_as sed -i 's/^CheckBoxSetOwnersAdr=.*/CheckBoxSetOwnersAdr=1/' "$data/Kvitanky.ini"   # stays the user's file
grep -q '^CheckBoxSetOwnersAdr=1' "$data/Kvitanky.ini" || fail "the owner directory option is not in the settings file"
start_and_capture owners-page 7
close_window "the program"
echo "install and desktop smoke test passed; screenshots in $shots"
