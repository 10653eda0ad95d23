# Sourced by the desktop tests: an ordinary user, an X display with a window
# manager, and the program's main window started, awaited and closed on it.
# Needs $work (the test's scratch folder) and a fail() that ends the test.
# stop_desktop belongs in the test's exit trap.

# The ordinary user who runs the program, with a home folder of their own.
user=nobody
home="$work/home"
mkdir -p "$home"
chown "$user" "$home"
data="$home/data/kvitanky"   # where the program keeps its files for that user
run_as() { setpriv --reuid="$user" --regid=nogroup --clear-groups env HOME="$home" XDG_DATA_HOME="$home/data" "$@"; }

# Xvfb on a free display number and openbox on it; exports DISPLAY.
start_desktop() {
  display=":$((90 + RANDOM % 100))"
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  sleep 0.5
}

stop_desktop() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
}

# Starts <program> as the user on the display, in the background from <folder>
# (default: the current one), its output in $work/app.log, and sets $win to its
# main window; fails with "<what>'s window did not appear" after 30 s (a loaded
# machine). LC_ALL is passed on (default C.UTF-8).
start_program() {
  local program=$1 what=$2 folder=${3:-$PWD}
  (cd "$folder" && run_as env QT_QPA_PLATFORM=xcb DISPLAY="$display" LC_ALL="${LC_ALL:-C.UTF-8}" "$program" \
     >"$work/app.log" 2>&1) &
  app_pid=$!
  win=
  for _ in $(seq 300); do
    win=$(xdotool search --onlyvisible --name '^Kvitanky$' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { cat "$work/app.log"; fail "$what's window did not appear"; }
}

# Closes the window through the window manager, as the title bar's close does, and
# waits for the program to end.
close_window() {
  local what=$1
  wmctrl -c Kvitanky
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "$what did not end after the close"
  app_pid=
}
