#!/usr/bin/env bash
# xscreensaver's daemon with the installed saver in its programs list as users add it
# ("vorthane --root"): activated, the scene is drawn in the daemon's window (one saver per
# monitor with two monitors); deactivated, the saver is gone.
# Usage: xscreensaver_test.sh PROBE [one|two]   (the number of monitors)
set -euo pipefail
probe=$1
monitors=${2:-one}
. "$(dirname "$0")/lib.sh"

if [ "$monitors" = two ]; then
  start_xvfb 2560x1024
  xrandr --setmonitor left 1280/338x1024/270+0+0 screen >/dev/null
  xrandr --setmonitor right 1280/338x1024/270+1280+0 none >/dev/null
else
  start_xvfb 1280x1024
fi

cat > "$HOME/.xscreensaver" <<SETTINGS
mode: one
selected: 0
timeout: 0:30:00
lock: False
fade: False
unfade: False
splash: False
programs: vorthane --root \n
SETTINGS
chown "$saver_uid" "$HOME/.xscreensaver"

spawn "${run_as[@]}" env -i HOME="$HOME" DISPLAY="$DISPLAY" NO_AT_BRIDGE=1 PATH=/usr/bin:/bin \
  xscreensaver -no-splash > "$work/daemon.log" 2>&1
wait_for 100 xscreensaver-command -version || fail "the daemon did not come up"

xscreensaver-command -activate >/dev/null
"$probe" wait-banner 20000 >/dev/null || fail "the scene did not appear"
if [ "$monitors" = two ]; then
  "$probe" wait-banner-at 1280 0 20000 >/dev/null || fail "no scene on the second monitor"
  wait_for 50 savers_running 2 || fail "not one saver per monitor: $(saver_pids)"
fi
shot=$(screenshot "xscreensaver-$monitors-monitor")

# Each saver was started as written in the list and draws inside a window of the daemon's.
[ -n "$(saver_pids)" ] || fail "no saver runs"
for pid in $(saver_pids); do
  args=$(tr '\0' ' ' < "/proc/$pid/cmdline")
  [ "${args#* }" = "--root " ] || fail "started as '$args'"
  id=$(tr '\0' '\n' < "/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
  [ -n "$id" ] || fail "no XSCREENSAVER_WINDOW"
  xwininfo -id "$id" -children | grep '"Preview"' >/dev/null || fail "nothing of ours inside $id"
done
own=$(xwininfo -root -children | grep -c '"Preview"\|"VorthaneSoftware"' || true)
[ "$own" -eq 0 ] || fail "the saver opened a window of its own on the root"

xscreensaver-command -deactivate >/dev/null
wait_for 100 saver_gone || fail "the saver still runs after deactivation"
echo "PASS: $monitors monitor(s): scene in the daemon's window ($shot), saver gone on deactivation"
