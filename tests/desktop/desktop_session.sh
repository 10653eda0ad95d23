# Sourced by the desktop tests: an ordinary user, an X display with a window
# manager, and the program's main window started, awaited and closed on it.
# Needs $work (the test's scratch folder) and a fail() that ends the test.
# stop_desktop belongs in the test's exit trap.
#
# Window titles are read in a UTF-8 locale of their own and matched byte for byte,
# so they match whatever locale the caller has; the program runs in the caller's.

# The ordinary user who runs the program, with a home folder of their own.
user=nobody
home="$work/home"
mkdir -p "$home"
chown "$user" "$home"
data="$home/data/kvitanky"   # where the program keeps its files for that user
run_as() { setpriv --reuid="$user" --regid=nogroup --clear-groups env HOME="$home" XDG_DATA_HOME="$home/data" "$@"; }

xdo() { LC_ALL=C.UTF-8 xdotool "$@"; }

# Runs <command...> until it succeeds, for at most <seconds> (generous: the machine
# may be busy); false when it never did.
wait_for() {
  local seconds=$1 end
  shift
  end=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.2
  done
}

# What was on the display and in the program's output, for a failure message.
seen() {
  echo "--- windows on $DISPLAY:" >&2
  LC_ALL=C.UTF-8 wmctrl -l >&2 2>&1 || true
  echo "--- program output:" >&2
  cat "$work/app.log" >&2 2>/dev/null || true
}

# Xvfb on a display number the server itself found free (-displayfd), so that
# other X servers on the machine do not matter, and openbox on it; exports DISPLAY.
start_desktop() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  wait_for 60 grep -q '^[0-9][0-9]*$' "$work/display" || { cat "$work/xvfb.log" >&2; fail "Xvfb reported no display"; }
  display=":$(head -1 "$work/display")"
  export DISPLAY=$display
  openbox >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  wait_for 60 wmctrl -m || { cat "$work/openbox.log" >&2; fail "the window manager did not start on $DISPLAY"; }
}

stop_desktop() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
}

# The id of the first window on the display whose title matches the extended
# <regex>; false when none. The window manager's list is read as UTF-8 and matched
# byte for byte, which works the same in every locale of the caller (xdotool's own
# title search converts titles into its locale, where "ě" is lost under LC_ALL=C).
find_window() {
  local id title
  while IFS=$'\t' read -r id title; do
    if printf '%s\n' "$title" | LC_ALL=C grep -qE -- "$1"; then
      echo "$id"
      return 0
    fi
  done < <(LC_ALL=C.UTF-8 wmctrl -l 2>/dev/null | sed -E 's/^(0x[0-9a-fA-F]+) +[-0-9]+ +[^ ]+ (.*)$/\1\t\2/')
  return 1
}

# Starts <program> as the user on the display, in the background from <folder>
# (default: the current one), its output in $work/app.log, and sets $win to its
# main window; fails with "<what>'s window did not appear" after 60 s. LC_ALL is
# passed on (default C.UTF-8).
start_program() {
  local program=$1 what=$2 folder=${3:-$PWD}
  (cd "$folder" && run_as env QT_QPA_PLATFORM=xcb DISPLAY="$display" LC_ALL="${LC_ALL:-C.UTF-8}" "$program" \
     >"$work/app.log" 2>&1) &
  app_pid=$!
  wait_for 60 find_window '^Kvitanky$' || { seen; fail "$what's window did not appear"; }
  win=$(find_window '^Kvitanky$')
}

# Closes the window through the window manager, as the title bar's close does, and
# waits for the program to end.
close_window() {
  local what=$1
  LC_ALL=C.UTF-8 wmctrl -i -c "$win"
  wait_for 60 eval '! kill -0 "$app_pid"' || { seen; fail "$what did not end after the close"; }
  app_pid=
}
