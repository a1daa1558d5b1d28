#!/usr/bin/env bash
# `vorthane --idle-watch` on headless gnome-shell (GNOME's idle monitor): no saver while an
# application inhibits idleness; when the inhibitor goes the saver starts at once (the session has
# been idle all along); the idle monitor's next firings start nothing until there has been input;
# after input and the next idle period it starts again; never two copies. SIGTERM ends the watch
# and its saver; the shell going away ends the watch with one line.
# A start is a saver seen running, or one that ended at once with its line on the watch's stderr
# (a shell on which the full-screen saver cannot run): see starts_are.
set -euo pipefail
source "$(dirname "$0")/../gnome/lib.sh" "$@"
here=$(cd "$(dirname "$0")" && pwd)
gn_start_shell
# The user's answer to the shell's one-time question whether the saver may hold back shortcuts,
# given beforehand, so that no dialog takes the key that ends the saver (a session helper without
# the command has no such question to answer).
gn_try permission GRANTED || [[ $GN_ANSWER == "error unknown command"* ]] ||
  fail "permission: $GN_ANSWER"

# gnome-session's inhibitors, as a stand-in: a bare shell has no session manager.
mkfifo "$WL_DIR/manager.in"
chmod 666 "$WL_DIR/manager.in"
(wl_exec "${GN_ENV[@]}" /usr/bin/python3 "$here/session_manager.py" <"$WL_DIR/manager.in" \
  >"$WL_DIR/out/manager.out" 2>"$WL_DIR/out/manager.err") &
WL_PIDS=($! "${WL_PIDS[@]}")
exec {manager}>"$WL_DIR/manager.in"
wl_wait_for 20 grep -q ready "$WL_DIR/out/manager.out" ||
  fail "no session manager: $(cat "$WL_DIR/out/manager.err")"
manager_do() {
  local before
  before=$(grep -c ok "$WL_DIR/out/manager.out" || true)
  echo "$1" >&"$manager"
  wl_wait_for 10 eval '[ "$(grep -c ok "$WL_DIR/out/manager.out")" -gt "$before" ]' ||
    fail "the session manager did not $1"
}
manager_do inhibit

savers() { pgrep -u "${WL_OWNER%:*}" -fx "$WL_SAVER /s" || true; }
no_saver() { [ -z "$(savers)" ]; }
seen=" "
# Takes note of the saver running now; two at once fail the test.
sample() {
  local pids pid
  pids=$(savers)
  [ "$(grep -c . <<<"$pids")" -le 1 ] || fail "two savers at once: $(tr '\n' ' ' <<<"$pids")"
  for pid in $pids; do [[ "$seen" == *" $pid "* ]] || seen+="$pid "; done
}
# Every start on a shell without the full-screen saver leaves its line (some are seen running
# first); on one with it every start is seen running: the starts are the larger count.
starts_are() {
  sample
  local ended running
  ended=$(grep -c "layer-shell" "$WL_DIR/out/watch.err" || true)
  running=$(wc -w <<<"$seen")
  [ $((ended > running ? ended : running)) -eq "$1" ]
}
starts_stay() {
  local end=$((SECONDS + $2))
  while [ "$SECONDS" -lt "$end" ]; do
    starts_are "$1" || fail "$3 ($(wc -w <<<"$seen") seen running; $(cat "$WL_DIR/out/watch.err"))"
    sleep 0.1
  done
}

wl_start watch "${GN_ENV[@]}" "$WL_SAVER" --idle-watch 0.05  # three seconds
watch=$WL_LAST
starts_stay 0 8 "a saver started while idleness was inhibited"
manager_do release
wl_wait_for 10 starts_are 1 || fail "no saver when the inhibitor went: $(cat "$WL_DIR/out/watch.err")"
starts_stay 1 7 "idle without input started the saver again"
gn_do key 0x61  # input: the next idle period begins (and a saver that runs ends)
# Which input ends the saver on the shell is the full-screen tests' to check; this one needs the
# saver gone, so that the next idle period can start it again.
wl_wait_for 5 no_saver || fail "a key did not end the saver"
wl_wait_for 20 starts_are 2 || fail "no saver after the next idle period: $(cat "$WL_DIR/out/watch.err")"
kill -0 "$watch" || fail "the watch ended: $(cat "$WL_DIR/out/watch.err")"

kill -TERM "$watch"
wl_wait_exit "$watch" 10 || fail "SIGTERM did not end the watch"
[ "$WL_STATUS" -eq 143 ] || fail "the watch ended with status $WL_STATUS, not by SIGTERM"
wl_wait_for 5 no_saver || fail "the saver outlived the watch"

wl_start watch2 "${GN_ENV[@]}" "$WL_SAVER" --idle-watch 10
watch2=$WL_LAST
sleep 1
kill -0 "$watch2" || fail "the second watch did not start: $(cat "$WL_DIR/out/watch2.err")"
kill -TERM "$GN_SHELL_PID"
wl_wait_exit "$watch2" 15 || fail "the watch outlived the shell"
[ "$WL_STATUS" -eq 1 ] && [ "$(wc -l <"$WL_DIR/out/watch2.err")" -eq 1 ] &&
  grep -q "idle monitor went away" "$WL_DIR/out/watch2.err" ||
  fail "status $WL_STATUS: $(cat "$WL_DIR/out/watch2.err")"
echo PASS
