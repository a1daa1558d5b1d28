#!/usr/bin/env bash
# mate-screensaver-preferences under a window manager, with the installed saver's theme chosen:
# the dialog starts the saver before its preview area has its final size, and the saver's
# window must follow that area's size and show the scene in it.
# Usage: mate_preferences_test.sh
set -euo pipefail
. "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024
spawn env HOME="$HOME" DISPLAY="$DISPLAY" openbox > "$work/openbox.log" 2>&1
wait_for 50 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
  fail "the window manager did not start"

cat > "$work/session.sh" <<'SESSION'
set -eu
gsettings set org.mate.screensaver mode single
gsettings set org.mate.screensaver themes "['screensavers-vorthane']"
exec mate-screensaver-preferences
SESSION
# A home and a runtime folder of this user's own (the shared ones belong to the daemons' user).
mkdir -m 700 "$work/run" "$work/home"
spawn env -i HOME="$work/home" DISPLAY="$DISPLAY" NO_AT_BRIDGE=1 PATH=/usr/bin:/bin \
  LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/run" GSETTINGS_BACKEND=keyfile \
  dbus-run-session -- sh "$work/session.sh" > "$work/preferences.log" 2>&1

# The dialog runs as this user (it has no objection to root); its saver is the one on this
# display.
preview_saver() {
  local pid
  for pid in $(pgrep -x vorthane || true); do
    [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$saver" ] &&
      tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -Eqx "DISPLAY=$DISPLAY(\.0)?" && echo "$pid"
  done
  return 0
}
saver_started() {
  [ -n "$(preview_saver)" ]
}
wait_for 300 saver_started || fail "the preferences did not start the saver"
pid=$(preview_saver | head -1)
host=$(tr '\0' '\n' < "/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
[ -n "$host" ] || fail "no XSCREENSAVER_WINDOW"

size_of() {
  xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}
child_of_host() {
  xwininfo -id "$host" -children | awk '/"Preview"/ {print $1; exit}'
}
# The saver's window fills the preview area once the dialog has laid it out.
fills_host() {
  local child
  child=$(child_of_host)
  [ -n "$child" ] && [ "$(size_of "$child")" = "$(size_of "$host")" ] &&
    [ "$(size_of "$host" | cut -dx -f1)" -gt 100 ]
}
wait_for 100 fills_host ||
  fail "the saver's window is $(size_of "$(child_of_host)") in a $(size_of "$host") preview"
# Something of the scene is drawn there (the first caption line, or more).
shows_scene() {
  import -display "$DISPLAY" -window "$(child_of_host)" "$work/preview.png" 2>/dev/null &&
    [ "$(convert "$work/preview.png" -format '%[fx:maxima.r>0.5]' info:)" = 1 ]
}
wait_for 50 shows_scene || fail "the preview stays black"
echo "PASS: the saver fills the $(size_of "$host") preview area and shows the scene"
