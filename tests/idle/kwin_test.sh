#!/usr/bin/env bash
# `vorthane --idle-watch` on a headless KWin, through ext_idle_notifier_v1 (KWin's session bus
# has no GNOME idle monitor): the saver starts once on idle and stays the one copy; SIGTERM ends
# the watch and its saver. (KWin here has no virtual keyboard to end the saver with a key.)
set -euo pipefail
source "$(dirname "$0")/../wayland/lib.sh"
wl_start_kwin 1024 768

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
