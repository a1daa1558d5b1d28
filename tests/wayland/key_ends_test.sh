#!/usr/bin/env bash
# A key ends the saver with status 0, also after a keyboard went away and came back (each wtype
# run adds a keyboard to the seat and takes it away when it ends); a key held when it ends
# keeps the saver's surfaces, and so the keyboard, until it is released, so that no other
# client sees it held; SIGTERM ends it while it waits for that.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway

wl_start_saver /s
wl_run wtype -M shift -m shift
sleep 0.3
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "Shift alone ended the saver"
wl_run wtype -s 300 -k Escape
wl_wait_exit "$WL_SAVER_PID" 5 || fail "a key did not end the saver after a keyboard came back"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after a key"

wl_start_saver /s
wl_run wtype -s 300 -P a -s 1200 -p a &
typist=$!
sleep 0.9
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "the saver let go of the keyboard with the key still held"
wait "$typist"
wl_wait_exit "$WL_SAVER_PID" 5 || fail "the saver did not end after the key was released"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after a held key"

# SIGTERM ends it while it keeps the keyboard for a held key.
wl_start_saver /s
wl_run wtype -s 300 -P a -s 6000 -p a &
typist=$!
sleep 1.5
kill -TERM "$WL_SAVER_PID"
wl_wait_exit "$WL_SAVER_PID" 2 || fail "SIGTERM did not end the saver waiting for a key's release"
wait "$typist"
echo PASS
