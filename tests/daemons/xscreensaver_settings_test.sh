#!/usr/bin/env bash
# xscreensaver's settings dialog with the installed saver selected: it shows the description
# from the saver's settings file, runs the preview as "vorthane --root --window-id 0xID", and
# the scene is drawn inside the dialog's preview window; when the dialog goes, the preview goes
# with it.
# Usage: xscreensaver_settings_test.sh
set -euo pipefail
. "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024

cat > "$HOME/.xscreensaver" <<SETTINGS
mode: one
selected: 0
lock: False
splash: False
programs: vorthane --root \n
SETTINGS
chown "$saver_uid" "$HOME/.xscreensaver"
as_daemon_user=("${run_as[@]}" env -i HOME="$HOME" DISPLAY="$DISPLAY" NO_AT_BRIDGE=1 PATH=/usr/bin:/bin)
spawn "${as_daemon_user[@]}" xscreensaver -no-splash > "$work/daemon.log" 2>&1
wait_for 100 xscreensaver-command -version || fail "the daemon did not come up"
spawn "${as_daemon_user[@]}" xscreensaver-settings > "$work/settings.log" 2>&1
settings=$spawned

wait_for 200 savers_running 1 || fail "the dialog started no preview"
pid=$(saver_pids | head -1)
args=$(tr '\0' ' ' < "/proc/$pid/cmdline")
case $args in
  "vorthane --root --window-id 0x"*) ;;
  *) fail "the preview was started as '$args'" ;;
esac
host=${args##* --window-id }
host=${host% }
embedded() { xwininfo -id "$host" -children | grep '"Preview"' >/dev/null; }
wait_for 100 embedded || fail "nothing of ours inside the preview window $host"
own=$(xwininfo -root -children | grep -c '"Preview"\|"VorthaneSoftware"' || true)
[ "$own" -eq 0 ] || fail "the preview opened a window of its own over the dialog"

# The scene's pixels inside the preview window: black ground with the caption or the banner.
sleep 1
shot=$(screenshot xscreensaver-settings)
geometry=$(xwininfo -id "$host" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /Width/ {w=$NF} /Height/ {h=$NF} END {print w "x" h "+" x "+" y}')
mean=$(mean_of "$shot" "$geometry")
awk "BEGIN { exit !($mean > 0.005 && $mean < 0.5) }" || fail "the preview area is not the scene: mean $mean"

# The description from the settings file, under the preview: two lines across the frame, where
# a saver without one gets the one short line "No description available.".
read -r w h x y <<< "$(echo "$geometry" | tr 'x+' '  ')"
text_width=$(convert "$shot" -crop "$((w + 80))x55+$((x - 40))+$((y + h + 5))" +repage \
  -colorspace gray -negate -threshold 50% -trim -format '%w' info:)
[ "$text_width" -gt 400 ] || fail "no description under the preview (text $text_width px wide)"

kill -TERM "$settings"
wait_for 100 saver_gone || fail "the preview still runs after the dialog ended"
echo "PASS: description shown ($text_width px), preview '$args' inside the dialog ($shot, mean $mean), gone with it"
