#!/usr/bin/env bash
# An output taken away for real (a nested sway whose output window closes; a headless sway
# cannot remove one) leaves the saver running and moving on the other, covering it whole.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_nested_sway 2
wl_wait_for 10 inner_outputs 2 || fail "the nested sway has not two outputs"
sleep 1
WL_OUTPUTS=(WL-1:1 WL-2:1)
wl_start_saver /s
# The window that is WL-2 closes: the output is gone.
WL_SWAYSOCK=$WL_OUTER_SWAYSOCK wl_run swaymsg -q '[title="WL-2"] kill'
wl_wait_for 5 inner_outputs 1 || fail "WL-2 did not go away"
sleep 2
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "losing an output ended the saver: $(cat "$WL_DIR/out/saver.err")"
wl_expect_moving WL-1
echo PASS
