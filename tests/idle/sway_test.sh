#!/usr/bin/env bash
# `vorthane --idle-watch` on sway (KDE's idle protocol there): while a window inhibits idleness
# no saver starts; then the saver starts once on idle, idle periods that come while it runs
# start no second copy, a key ends it, and it starts again after the next idle period. SIGTERM ends the watch and its saver; the
# compositor going away ends the watch with one line.
set -euo pipefail
source "$(dirname "$0")/../wayland/lib.sh"
WL_SWAY_EXTRA='for_window [app_id="org.freedesktop.weston.wayland-terminal"] inhibit_idle open'
wl_start_sway 1 1280x720
wl_start_window

# Every copy of the saver this user runs; more than one fails the test at once.
savers() { pgrep -u "${WL_OWNER%:*}" -fx "$WL_SAVER /s" || true; }
no_saver() { [ -z "$(savers)" ]; }
one_saver_shown() {
  [ "$(savers | wc -l)" -le 1 ] || fail "two savers at once: $(savers | tr '\n' ' ')"
  [ -n "$(savers)" ] && wl_banner_on HEADLESS-1 1
}
no_saver_for() {
  local end=$((SECONDS + $1))
  while [ "$SECONDS" -lt "$end" ]; do
    [ -z "$(savers)" ] || fail "a saver started while idleness was inhibited"
    sleep 0.2
  done
}

wl_start watch "$WL_SAVER" --idle-watch 0.05  # three seconds
watch=$WL_LAST
no_saver_for 8
wl_run swaymsg '[app_id="org.freedesktop.weston.wayland-terminal"] inhibit_idle none' >/dev/null
wl_wait_for 20 one_saver_shown || fail "no saver after the inhibitor went: $(cat "$WL_DIR/out/watch.err")"
first=$(savers)
# Activity the saver does not see (the seat has no pointer for it), then idle again, twice: the
# watch is told of a new idle period each time, and the one copy goes on.
for round in 1 2; do
  wl_run swaymsg seat seat0 cursor move 10 10 >/dev/null
  end=$((SECONDS + 5))
  while [ "$SECONDS" -lt "$end" ]; do one_saver_shown || fail "the saver went away"; done
done
[ "$(savers)" = "$first" ] || fail "the saver was replaced"

wl_run wtype -s 300 -k space
wl_wait_for 5 eval '! kill -0 "$first" 2>/dev/null' || fail "a key did not end the saver"
wl_wait_for 20 one_saver_shown || fail "no saver after the next idle period"
second=$(savers)
[ "$second" != "$first" ] || fail "the same saver"
kill -0 "$watch" || fail "the watch ended"

kill -TERM "$watch"
wl_wait_exit "$watch" 10 || fail "SIGTERM did not end the watch"
[ "$WL_STATUS" -eq 143 ] || fail "the watch ended with status $WL_STATUS, not by SIGTERM"
wl_wait_for 5 no_saver || fail "the saver outlived the watch"

# The compositor goes away: the watch ends by itself, with one line.
wl_start watch2 "$WL_SAVER" --idle-watch 10
watch2=$WL_LAST
sleep 1
kill -0 "$watch2" || fail "the second watch did not start: $(cat "$WL_DIR/out/watch2.err")"
kill -TERM "$WL_SWAY_PID"
wl_wait_exit "$watch2" 10 || fail "the watch outlived the compositor"
[ "$WL_STATUS" -eq 1 ] && [ "$(wc -l <"$WL_DIR/out/watch2.err")" -eq 1 ] &&
  grep -q "compositor closed the connection" "$WL_DIR/out/watch2.err" ||
  fail "status $WL_STATUS: $(cat "$WL_DIR/out/watch2.err")"
echo PASS
