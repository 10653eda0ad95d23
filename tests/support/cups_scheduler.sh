#!/usr/bin/env bash
# A private CUPS scheduler with one cups-pdf queue, for the tests of the system
# print path. It listens only on a socket in <dir>, keeps its configuration, spool
# and logs there and leaves the machine's own scheduler alone.
#   cups_scheduler.sh start <dir>   prints "queue <name>" and "socket <path>"
#   cups_scheduler.sh stop <dir>
# Exit status 77: the scheduler cannot run here (not root, packages missing); the
# reason is printed.
set -euo pipefail
cmd=${1:?start|stop}
dir=${2:?directory}
skip() { echo "skip: $*"; exit 77; }

case "$cmd" in
start)
  [ "$(id -u)" -eq 0 ] || skip "the CUPS scheduler needs root"
  command -v cupsd >/dev/null || skip "cupsd missing (Debian package cups)"
  command -v lpadmin >/dev/null || skip "lpadmin missing (Debian package cups-client)"
  [ -x /usr/lib/cups/backend/cups-pdf ] || skip "cups-pdf backend missing (printer-driver-cups-pdf)"
  ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
  [ -f "$ppd" ] || skip "$ppd missing"
  getent group lp >/dev/null || skip "no group lp"
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  queue="kvitanky_test_$$"
  mkdir -p "$dir/conf/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" "$dir/out"
  chmod 755 "$dir" "$dir/conf" "$dir/log"
  chown root:lp "$dir/spool" "$dir/cache" "$dir/state"
  chmod 0770 "$dir/spool"
  chmod 1777 "$dir/spool/tmp" "$dir/out"
  cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
User lp
Group lp
SystemGroup root
CONF
  cat >"$dir/conf/cupsd.conf" <<CONF
LogLevel info
Listen $dir/cups.sock
Browsing Off
DefaultAuthType None
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  # The backend reads the queue's own settings from the system's folder; the file
  # is named after this queue alone and removed by "stop".
  cat >"/etc/cups/cups-pdf-$queue.conf" <<CONF
Out $dir/out
AnonDirName $dir/out
UserUMask 0000
Label 0
GSCall %s -q -r2400 -dCompatibilityLevel=%s -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile="%s" -dAutoRotatePages=/None -dPDFSETTINGS=/prepress -c -f %s
CONF
  echo "$queue" >"$dir/queue"
  cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
  echo $! >"$dir/cupsd.pid"
  for _ in $(seq 100); do [ -S "$dir/cups.sock" ] && break; sleep 0.1; done
  if [ ! -S "$dir/cups.sock" ]; then
    cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tail -5
    "$0" stop "$dir" || true
    skip "the CUPS scheduler did not start"
  fi
  export CUPS_SERVER="$dir/cups.sock"
  lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P "$ppd" -o PageSize=A4 2>/dev/null \
    || { "$0" stop "$dir"; skip "lpadmin could not add the queue"; }
  # The PostScript step renders at the job's resolution; 1200 dpi keeps every
  # character within a fraction of 1/600 inch of its place.
  lpadmin -p "$queue" -o Resolution=1200dpi -o pdftops-renderer-default=gs >/dev/null 2>&1 || true
  lpadmin -d "$queue"
  echo "queue $queue"
  echo "socket $dir/cups.sock"
  ;;
stop)
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$dir/cupsd.pid"
  fi
  if [ -f "$dir/queue" ]; then
    rm -f "/etc/cups/cups-pdf-$(cat "$dir/queue").conf"
  fi
  ;;
*)
  echo "usage: $0 start|stop <dir>" >&2
  exit 2
  ;;
esac
