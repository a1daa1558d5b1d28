#!/usr/bin/env bash
# `vorthane --idle-watch` on a headless KWin, through ext_idle_notifier_v1 (KWin's session bus
# has no GNOME idle monitor): the saver starts once on idle and stays the one copy; SIGTERM ends
# the watch and its saver. (KWin here has no virtual keyboard to end the saver with a key.)
set -euo pipefail
source "$(dirname "$0")/../wayland/lib.sh"
# As tests/wayland/kwin_test.sh: a copy without the file capability, its own session bus at the
# runtime folder's usual place (where the watch looks for it).
cp /usr/bin/kwin_wayland "$WL_DIR/kwin_wayland"
chmod 755 "$WL_DIR/kwin_wayland"
bus=unix:path=$WL_DIR/rt/bus
(wl_exec dbus-daemon --session --nofork --address="$bus" >"$WL_DIR/dbus.log" 2>&1) &
WL_PIDS+=($!)
wl_wait_for 10 test -S "$WL_DIR/rt/bus" || fail "no session bus: $(cat "$WL_DIR/dbus.log")"
(wl_exec env DBUS_SESSION_BUS_ADDRESS="$bus" "$WL_DIR/kwin_wayland" --virtual --width 1024 \
  --height 768 --socket kwin-test --no-lockscreen --no-global-shortcuts >"$WL_DIR/kwin.log" 2>&1) &
WL_PIDS=($! "${WL_PIDS[@]}")  # KWin first, before its bus
wl_wait_for 30 test -S "$WL_DIR/rt/kwin-test" || fail "KWin did not start: $(tail -5 "$WL_DIR/kwin.log")"
WL_DISPLAY=kwin-test

savers() { pgrep -u "${WL_OWNER%:*}" -fx "$WL_SAVER /s" || true; }
no_saver() { [ -z "$(savers)" ]; }
one_saver() {
  [ "$(savers | grep -c .)" -le 1 ] || fail "two savers at once: $(savers | tr '\n' ' ')"
  [ -n "$(savers)" ]
}
# The protocol's messages (libwayland's own trace) show which idle protocol the watch uses.
wl_start watch env WAYLAND_DEBUG=client "$WL_SAVER" --idle-watch 0.05
watch=$WL_LAST
wl_wait_for 30 one_saver || fail "no saver on idle: $(grep -v '^\[' "$WL_DIR/out/watch.err" | tail -3)"
grep -q "ext_idle_notifier_v1@[0-9]*\.get_idle_notification" "$WL_DIR/out/watch.err" ||
  fail "the watch did not use ext_idle_notifier_v1"
saver=$(savers)
end=$((SECONDS + 7))
while [ "$SECONDS" -lt "$end" ]; do one_saver || fail "the saver ended"; sleep 0.1; done
[ "$(savers)" = "$saver" ] || fail "the saver was replaced"
kill -TERM "$watch"
wl_wait_exit "$watch" 10 || fail "SIGTERM did not end the watch"
[ "$WL_STATUS" -eq 143 ] || fail "the watch ended with status $WL_STATUS, not by SIGTERM"
wl_wait_for 5 no_saver || fail "the saver outlived the watch"
echo PASS
