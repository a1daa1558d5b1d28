#!/usr/bin/env bash
# swayidle starts the saver when the session is idle, and input ends it; swayidle, run without
# -w as the README says, goes on meanwhile: a second timeout fires while the saver runs.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway
pidfile=$WL_DIR/out/saver.pid
wl_start swayidle swayidle timeout 1 "echo \$\$ >$pidfile; exec $WL_SAVER" \
  timeout 3 "touch $WL_DIR/out/second"
wl_wait_for 10 wl_banner_on HEADLESS-1 1 || fail "swayidle did not start the saver"
saver=$(cat "$pidfile")
wl_wait_for 10 test -e "$WL_DIR/out/second" || fail "the second timeout did not fire"
kill -0 "$saver" 2>/dev/null || fail "the saver ended by itself"
wl_run wtype -s 300 -k space
wl_wait_for 5 eval '! kill -0 "$saver" 2>/dev/null' || fail "input did not end the saver"
echo PASS
