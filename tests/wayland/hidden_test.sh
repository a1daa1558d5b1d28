#!/usr/bin/env bash
# A saver nobody can see (its output is a window of an outer sway, on a workspace that is not
# shown, so no frames are asked for) draws nothing and hardly wakes; a key still ends it; shown
# again, it draws the scene again and moves on.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_nested_sway 1
wl_wait_for 10 inner_outputs 1 || fail "the nested sway has no output"
sleep 1
WL_OUTPUTS=(WL-1:1)
wl_start_saver /s
# Wake-ups of the saver (context switches) over 3 s.
switches() {
  awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$WL_SAVER_PID/status"
}
wakeups() {
  local before
  before=$(switches)
  sleep 3
  echo $(($(switches) - before))
}
outer() { WL_SWAYSOCK=$WL_OUTER_SWAYSOCK wl_run swaymsg -q "$@"; }
echo "wake-ups in 3 s, seen: $(wakeups)"
outer workspace 9
sleep 2  # the compositor's last frame is a second late by now
hidden=$(wakeups)
echo "wake-ups in 3 s, hidden: $hidden"
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "hiding ended the saver: $(cat "$WL_DIR/out/saver.err")"
[ "$hidden" -le 6 ] || fail "the hidden saver woke $hidden times in 3 s"
outer workspace back_and_forth
wl_wait_for 10 wl_banner_on WL-1 1 || fail "nothing drawn once shown again"
wl_expect_moving WL-1
# Hidden again, a key ends it at once.
outer workspace 9
sleep 2
wl_run wtype -s 300 -k Escape
wl_wait_exit "$WL_SAVER_PID" 5 || fail "a key did not end the hidden saver"
[ "$WL_STATUS" -eq 0 ] || fail "the saver ended with status $WL_STATUS"
echo PASS
