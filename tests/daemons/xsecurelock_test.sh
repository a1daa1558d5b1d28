#!/usr/bin/env bash
# xsecurelock with the installed saver as its XSECURELOCK_SAVER: the scene's pixels are on the
# screen (its windows lie under the locker's overlay, out of xwininfo's sight); on SIGTERM the
# locker ends and the saver with it.
# Usage: xsecurelock_test.sh PROBE
set -euo pipefail
probe=$1
. "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024

spawn "${run_as[@]}" env -i HOME="$HOME" DISPLAY="$DISPLAY" NO_AT_BRIDGE=1 PATH=/usr/bin:/bin \
  XSECURELOCK_SAVER="$saver" xsecurelock > "$work/xsecurelock.log" 2>&1
locker=$spawned

"$probe" wait-banner 20000 >/dev/null || fail "the scene did not appear"
shot=$(screenshot xsecurelock)
[ -n "$(saver_pids)" ] || fail "no saver runs"
for pid in $(saver_pids); do
  args=$(tr '\0' ' ' < "/proc/$pid/cmdline")
  [ "${args#* }" = "-root " ] || fail "started as '$args'"
done
mean=$(mean_of "$shot" 804x204+104+288)
awk "BEGIN { exit !($mean > 0.05) }" || fail "the banner's area is dark: mean $mean"

kill -TERM "$locker"
wait_for 100 saver_gone || fail "the saver still runs after the locker ended"
echo "PASS: scene on the screen under xsecurelock ($shot, banner mean $mean), saver gone on SIGTERM"
