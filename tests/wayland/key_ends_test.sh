#!/usr/bin/env bash
# A key ends the saver with status 0; a key held when it ends keeps the saver's surfaces, and so
# the keyboard, until it is released, so that no other client sees it held.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway

wl_start_saver /s
wl_run wtype -s 300 -k Escape
wl_wait_exit "$WL_SAVER_PID" 5 || fail "a key did not end the saver"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after a key"

wl_start_saver /s
wl_run wtype -s 300 -P a -s 1200 -p a &
typist=$!
sleep 0.9
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "the saver let go of the keyboard with the key still held"
wait "$typist"
wl_wait_exit "$WL_SAVER_PID" 5 || fail "the saver did not end after the key was released"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after a held key"
echo PASS
