#!/usr/bin/env bash
# Keys typed over the saver end it and reach nothing else: not the compositor's key bindings
# (with and without a modifier), and not the window behind, even when the second key of a chord
# comes more than a second after the first (the saver keeps the keyboard until every key is up).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
WL_SWAY_EXTRA="bindsym Mod4+Return exec touch $WL_DIR/out/bound-Return
bindsym F9 exec touch $WL_DIR/out/bound-F9"
wl_start_sway
wl_start_window
# The window behind has the keyboard: what it gets is seen.
wl_run wtype -s 300 -k x
wl_wait_for 5 eval '[ "$(wl_typed)" = 78 ]' || fail "the window behind got no key: '$(wl_typed)'"
: >"$WL_DIR/out/typed"
# (wtype's -M sets a modifier without pressing a key; -P presses one.)
for keys in "-M logo -k Return -m logo" "-k F9" \
  "-M ctrl -P Control_L -s 1500 -k q -p Control_L -m ctrl" \
  "-M alt -P Alt_L -s 1200 -k F4 -p Alt_L -m alt"; do
  wl_start_saver /s
  # shellcheck disable=SC2086
  wl_run wtype -s 300 $keys
  wl_wait_exit "$WL_SAVER_PID" 5 || fail "'$keys' did not end the saver"
  [ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after '$keys'"
  # The window behind has the keyboard again: a key typed now reaches it, and nothing before.
  wl_run wtype -s 300 -k x
  wl_wait_for 5 eval '[ -n "$(wl_typed)" ]' || fail "the window behind did not get the keyboard back"
  [ "$(wl_typed)" = 78 ] || fail "'$keys' over the saver reached the window behind: $(wl_typed)"
  : >"$WL_DIR/out/typed"
  ! compgen -G "$WL_DIR/out/bound-*" >/dev/null || fail "'$keys' ran a binding: $(ls "$WL_DIR/out")"
done
echo PASS
