#!/usr/bin/env bash
# The real daemon: xscreensaver on a private Xvfb with vorthane as its only program. Activate
# it, see the scene on the screen, deactivate it, and see vorthane gone.
set -euo pipefail
vorthane=$1
probe=$2
work=$(mktemp -d)
xvfb_pid=""
daemon_pid=""
cleanup() {
  [ -n "$daemon_pid" ] && kill "$daemon_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/daemon.log" ] && tail -20 "$work/daemon.log" >&2; exit 1; }

# A private display; Xvfb writes its number to the pipe when it is ready.
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset -dpi 96 2>/dev/null & echo "pid $!")
read -r -t 20 first <&3 || fail "Xvfb did not start"
read -r -t 20 second <&3 || fail "Xvfb did not start"
for line in "$first" "$second"; do
  case $line in pid\ *) xvfb_pid=${line#pid } ;; *) display=":$line" ;; esac
done
export DISPLAY=$display

# A private home whose settings name vorthane as the only program, mode "one".
export HOME=$work
cat > "$HOME/.xscreensaver" <<SETTINGS
mode: one
selected: 0
timeout: 0:30:00
lock: False
fade: False
unfade: False
splash: False
programs: "Vorthane" $vorthane \n
SETTINGS

# The daemon will not start programs as root: there, run it as nobody.
as_user=()
user_id=$(id -u)
if [ "$user_id" -eq 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$HOME" DISPLAY="$DISPLAY")
  user_id=$(id -u nobody)
  chown -R nobody "$work"
fi
"${as_user[@]}" xscreensaver -no-splash > "$work/daemon.log" 2>&1 &
daemon_pid=$!
ready=no
for _ in $(seq 100); do
  if xscreensaver-command -version >/dev/null 2>&1; then ready=yes; break; fi
  sleep 0.1
done
[ $ready = yes ] || fail "the daemon did not come up"

xscreensaver-command -activate >/dev/null
"$probe" wait-banner 20000 || fail "the scene did not appear"
pid=$(pgrep -u "$user_id" -f "^$vorthane\$" | head -1 || true)
[ -n "$pid" ] || fail "vorthane is not running under the daemon"
tr '\0' '\n' < "/proc/$pid/environ" | grep -q '^XSCREENSAVER_WINDOW=' || fail "no XSCREENSAVER_WINDOW"

xscreensaver-command -deactivate >/dev/null
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || { echo "PASS: scene shown, vorthane (pid $pid) gone after deactivation"; exit 0; }
  sleep 0.1
done
fail "vorthane still runs after deactivation"
