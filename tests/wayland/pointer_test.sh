#!/usr/bin/env bash
# Over the saver the pointer is invisible (the headless sway draws its pointer into the output's
# picture, so every screenshot shows it); its first movement only records where it is, the next
# one ends the saver with status 0; so does a click.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
WL_DESKTOP="#000000" wl_start_sway
wl_start_pointer
cursor() { wl_run swaymsg -q seat seat0 cursor "$@"; }
near='600 560 100 100'  # around the pointer, below the banner, away from the captions
cursor set 640 600
cursor move 1 1  # the compositor draws its pointer once it has moved
sleep 0.2
wl_shot HEADLESS-1 bare.ppm "$WL_DIR/bare.ppm"
! "$WL_CHECK" black "$WL_DIR/bare.ppm" $near || fail "no pointer shows on the bare desktop"

wl_start_saver /s
cursor move 1 0
sleep 0.3
wl_shot HEADLESS-1 saver.ppm "$WL_DIR/saver.ppm"
"$WL_CHECK" black "$WL_DIR/saver.ppm" $near || fail "the pointer shows over the saver"
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "the first movement ended the saver"
cursor move 3 3
wl_wait_exit "$WL_SAVER_PID" 5 || fail "the second movement did not end the saver"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after a movement"

wl_start_saver /s
cursor press button1
wl_wait_exit "$WL_SAVER_PID" 5 || fail "a click did not end the saver"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after a click"
echo PASS
