#!/usr/bin/env bash
# Runs one Windows program under wine, as CTest's emulator for the windows build:
#   run.sh PROGRAM [ARGS...]
# The program runs in a private wine prefix (WINEPREFIX, else build/windows/wineprefix next to
# this build), made once and then reused, on a private Xvfb that lives as long as the program.
# Its wineserver is started and stopped here, with stdio away from the caller's pipes (wine's
# services inherit them and would keep a captured output open). VORTHANE_WINE_TIMEOUT (seconds,
# default 120) ends a program that hangs; LOGPIXELS sets the prefix's dots per inch for this run.
set -euo pipefail

source "$(dirname "$0")/prefix.sh"
wine_prefix_lock
timeout_s=${VORTHANE_WINE_TIMEOUT:-120}

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT

# A private display: the server picks a free number and writes it to fd 3.
displayfd=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfd" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$displayfd" ] && break
  sleep 0.05
done
display=$(head -n1 "$displayfd")
rm -f "$displayfd"
[ -n "$display" ] || { echo "run.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

wine_prefix_prepare ${LOGPIXELS:-96}

set +e
timeout -k 5 "$timeout_s" wine "$@"
status=$?
set -e
exit "$status"
