#!/usr/bin/env bash
# mate-screensaver on its own session bus with the installed saver's theme selected:
# activated, the scene is drawn inside mate's window and --query says active; deactivated, the
# saver is gone.
# Usage: mate_screensaver_test.sh PROBE
set -euo pipefail
probe=$1
. "$(dirname "$0")/lib.sh"
start_xvfb 1280x1024

# Everything below runs as the daemon's user on one private session bus.
cat > "$work/session.sh" <<'SESSION'
set -eu
gsettings set org.mate.screensaver mode single
gsettings set org.mate.screensaver themes "['screensavers-vorthane']"
gsettings set org.mate.screensaver lock-enabled false
gsettings set org.mate.screensaver idle-activation-enabled false
mate-screensaver --no-daemon --debug > "$HOME/mate.log" 2>&1 &
daemon=$!
for _ in $(seq 100); do
  mate-screensaver-command --query >/dev/null 2>&1 && break
  sleep 0.1
done
mate-screensaver-command --activate
echo ready > "$HOME/ready"
# The test outside answers through these files: query, then deactivate.
while [ ! -f "$HOME/deactivate" ]; do
  if [ -f "$HOME/query" ]; then
    mate-screensaver-command --query > "$HOME/query.tmp" 2>&1 || true
    mv "$HOME/query.tmp" "$HOME/query.out"  # whole, never seen half-written
    rm "$HOME/query"
  fi
  sleep 0.1
done
mate-screensaver-command --deactivate
touch "$HOME/deactivated"
sleep 5
kill "$daemon"
SESSION
spawn "${run_as[@]}" env -i HOME="$HOME" DISPLAY="$DISPLAY" NO_AT_BRIDGE=1 PATH=/usr/bin:/bin \
  LANG=C.UTF-8 XDG_RUNTIME_DIR="$work" GSETTINGS_BACKEND=keyfile \
  dbus-run-session -- sh "$work/session.sh" > "$work/session.log" 2>&1

wait_for 150 test -f "$HOME/ready" || fail "mate-screensaver did not come up"
"$probe" wait-banner 20000 >/dev/null || fail "the scene did not appear"
shot=$(screenshot mate-screensaver)
[ -n "$(saver_pids)" ] || fail "no saver runs"
for pid in $(saver_pids); do
  id=$(tr '\0' '\n' < "/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
  [ -n "$id" ] || fail "no XSCREENSAVER_WINDOW"
  xwininfo -id "$id" -children | grep '"Preview"' >/dev/null || fail "nothing of ours inside $id"
done
touch "$HOME/query"
wait_for 50 test -f "$HOME/query.out" || fail "no answer to --query"
grep -q "is active" "$HOME/query.out" || fail "--query says: $(cat "$HOME/query.out")"

touch "$HOME/deactivate"
wait_for 50 test -f "$HOME/deactivated" || fail "could not deactivate"
wait_for 100 saver_gone || fail "the saver still runs after deactivation"
echo "PASS: scene inside mate-screensaver's window ($shot), --query active, saver gone on deactivation"
