#!/usr/bin/env bash
# On a second compositor, a headless KWin (layer-shell version 3) at the fractional scale 1.5,
# with a window behind: the saver draws at the output's exact pixels, 144 dots per inch (not at
# scale 2, shrunk by the compositor), the drawing model's frame pixel for pixel outside the text;
# two seconds later again, with the caption moved; SIGTERM ends it with status 0.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
# A copy without the file capability the container may not grant, under the name Qt expects.
cp /usr/bin/kwin_wayland "$WL_DIR/kwin_wayland"
chmod 755 "$WL_DIR/kwin_wayland"
# Its own session bus, and KWin on it; both end with the test (WL_PIDS are their own pids).
bus=unix:path=$WL_DIR/rt/bus
(wl_exec dbus-daemon --session --nofork --address="$bus" >"$WL_DIR/dbus.log" 2>&1) &
WL_PIDS+=($!)
wl_wait_for 10 test -S "$WL_DIR/rt/bus" || fail "no session bus: $(cat "$WL_DIR/dbus.log")"
(wl_exec env KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 DBUS_SESSION_BUS_ADDRESS="$bus" \
  "$WL_DIR/kwin_wayland" --virtual --width 1200 --height 800 --scale 1.5 --socket kwin-test \
  --no-lockscreen --no-global-shortcuts >"$WL_DIR/kwin.log" 2>&1) &
WL_PIDS=($! "${WL_PIDS[@]}")  # KWin first, before its bus
wl_wait_for 30 test -S "$WL_DIR/rt/kwin-test" || fail "KWin did not start: $(tail -5 "$WL_DIR/kwin.log")"
WL_DISPLAY=kwin-test
wl_start_window
wl_start saver "$WL_SAVER" /s
WL_SAVER_PID=$WL_LAST
# A shot that is the model's frame at 144 dots per inch; its Label1 row in $row.
model_shot() {
  wl_run /usr/bin/python3 "$(dirname "$0")/kwin_shot.py" "$bus" \
    "$WL_DIR/out/kwin.ppm" && cp "$WL_DIR/out/kwin.ppm" "$WL_DIR/$1.ppm" &&
    "$WL_CHECK" model "$WL_DIR/$1.ppm" 144 1 >"$WL_DIR/check" &&
    row=$(sed -n 's/.*Label1 row \([0-9-]*\),.*/\1/p' "$WL_DIR/check")
}
# The picture in a shot, pixel for pixel as the saver's canvas draws it at 144 dots per inch.
exact() {
  echo -n "shot $1, the picture pixel for pixel: "
  "$WL_CHECK" exact "$WL_DIR/$1.ppm" 144 || fail "shot $1: the picture is not the view's own pixels"
}
wl_wait_for 20 model_shot a || fail "no model's frame at 144 dpi: $(cat "$WL_DIR/check" "$WL_DIR/out/saver.err")"
echo "shot a: $(cat "$WL_DIR/check")"
first=$row
exact a
sleep 2
model_shot b || fail "shot b is not the model's frame: $(cat "$WL_DIR/check")"
echo "shot b: $(cat "$WL_DIR/check")"
[ -z "${VORTHANE_SHOTS:-}" ] || cp "$WL_DIR/a.ppm" "$WL_DIR/b.ppm" "$VORTHANE_SHOTS/"
[ "$first" != "$row" ] || fail "the caption did not move in 2 s (row $row)"
exact b
kill -TERM "$WL_SAVER_PID"
wl_wait_exit "$WL_SAVER_PID" 5 || fail "SIGTERM did not end the saver"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after SIGTERM"
echo PASS
