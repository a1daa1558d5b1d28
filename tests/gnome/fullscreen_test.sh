#!/usr/bin/env bash
# The saver on headless gnome-shell (no layer-shell: one fullscreen window on each of two
# monitors), over a loud desktop and a window behind that records the keys it gets:
# - the first start shows the shell's dialog asking to let it hold back shortcuts: the key that
#   answers it (Return, Allow) goes to the dialog, not to the saver or the window behind;
# - then both monitors show the drawing model's frame to every edge (top bar included), and two
#   seconds later again with the caption moved;
# - Super, Alt+Tab, Escape, a letter, a pointer move and a click each end a new start within a
#   second, with status 0, and no key reaches the window behind (which got one before);
# - the session locking (org.gnome.ScreenSaver's ActiveChanged(true)) ends it;
# - a monitor turned off leaves the other covered, turned on again it is covered again;
# - with the shortcuts refused instead, Super (which the shell then takes: its overview opens)
#   Alt+Tab, Alt+F4 (the shell closes a window) and Print (the shell's screenshot tool takes the
#   keys) still end it within a second, and no key reaches the window behind; so does the
#   overview opened by another program;
# - started while the overview is open, it ends with one line and status 1, leaving no window.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
gn_start_shell
gn_start_window
gn_do key 0x61
wl_wait_for 5 grep -qx a "$WL_DIR/out/typed" || fail "the window behind gets no keys"
: >"$WL_DIR/out/typed"
# The pointer over the bare background of monitor 0 at (1000, 100), right of every caption line
# and above the banner, where a move is the window's own event (over those it is theirs, and
# does nothing): from the bottom-right corner (the top-left one opens the overview).
gn_do move 10000 10000
gn_do move -1303 -667

# How long the saver may take to end (a sanitizer build's process ends more slowly).
limit=${GN_END_LIMIT_MS:-1000}
nothing_typed() { [ -z "$(gn_typed)" ] || fail "$1: the window behind got: $(gn_typed)"; }

# Every monitor covered to the edge with the model's frame, the picture moving.
screens() {
  local i shot rows
  for i in 0 1; do gn_shot "$i" "$WL_DIR/m$i-a.ppm"; done
  sleep 2
  for i in 0 1; do gn_shot "$i" "$WL_DIR/m$i-b.ppm"; done
  for i in 0 1; do
    rows=()
    for shot in a b; do
      [ -z "${VORTHANE_SHOTS:-}" ] || cp "$WL_DIR/m$i-$shot.ppm" "$VORTHANE_SHOTS/gnome-m$i-$shot.ppm"
      echo -n "monitor $i, shot $shot: "
      "$WL_CHECK" model "$WL_DIR/m$i-$shot.ppm" 96 1 | tee "$WL_DIR/check" ||
        fail "monitor $i is not the model's frame in shot $shot"
      rows+=("$(sed -n 's/.*Label1 row \([0-9-]*\),.*/\1/p' "$WL_DIR/check")")
    done
    [ "${rows[0]}" != "${rows[1]}" ] || fail "monitor $i: the caption did not move in 2 s"
  done
}

# The first start: the dialog (its face is #303030), answered with Return (its default button,
# Allow); then Super ends the saver.
wl_start saver "${GN_ENV[@]}" "$WL_SAVER" /s
WL_SAVER_PID=$WL_LAST
dialog() { gn_pixel_is 420 280 '#303030' && gn_pixel_is 860 280 '#303030'; }
wl_wait_for 20 dialog || fail "no dialog asking to hold back shortcuts: $(cat "$WL_DIR/out/saver.err")"
gn_do key 0xff0d
wl_wait_for 10 gn_pixel_is 420 280 '#000000' || fail "the dialog stays"
kill -0 "$WL_SAVER_PID" 2>/dev/null ||
  fail "the key that answered the dialog ended the saver: $(cat "$WL_DIR/out/saver.err")"
nothing_typed "the dialog's answer"

# What ends it: gn_do's commands (keysyms: Super_L, Alt_L+Tab, Escape, a). After the first, each
# case starts the saver anew; the second also looks at the screen (while the first caption
# line is the one shown).
ends=("key 0xffeb|Super" "key 0xffe9 0xff09|Alt+Tab" "key 0xff1b|Escape" "key 0x61|a letter"
  "move 40 30;move 40 30|a pointer move" "click|a click" "lock|the session's lock")
for n in "${!ends[@]}"; do
  IFS='|' read -r commands what <<<"${ends[$n]}"
  [ "$n" -eq 0 ] || gn_start_saver /s
  [ "$n" -ne 1 ] || screens
  IFS=';' read -ra steps <<<"$commands"
  for s in "${!steps[@]}"; do
    # Two moves, each its own event (the first only records where the pointer is).
    [ "$s" -eq 0 ] || sleep 0.3
    # shellcheck disable=SC2086
    gn_do ${steps[$s]}
  done
  wl_wait_exit_ms "$WL_SAVER_PID" "$limit" || fail "$what did not end the saver within $limit ms"
  [ "$WL_STATUS" -eq 0 ] || fail "$what: status $WL_STATUS: $(cat "$WL_DIR/out/saver.err")"
  sleep 0.3  # a key that went astray has arrived
  nothing_typed "$what"
  gn_overview_is false || fail "$what opened the overview"
  echo "$what ended it"
done

# A monitor turned off and on again: the saver goes on covering the other, and covers it again.
gn_start_saver /s
gn_do monitors 1
sleep 1
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "the saver ended with a monitor turned off: $(cat "$WL_DIR/out/saver.err")"
gn_shot 0 "$WL_DIR/one.ppm"
echo -n "one monitor left: "
"$WL_CHECK" model "$WL_DIR/one.ppm" 96 1 || fail "monitor 0 is not the model's frame with monitor 1 off"
gn_do monitors 2
wl_wait_for 10 gn_banner_on 1 || fail "no banner on monitor 1 turned on again"
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "the saver ended with a monitor turned on"
gn_do key 0x61
wl_wait_exit_ms "$WL_SAVER_PID" "$limit" || fail "a key did not end the saver after the monitors changed"
nothing_typed "the monitors changed"
echo "a monitor turned off and on again: covered, then ended by a key"

# The user said Deny: the shell keeps its shortcuts.
gn_do permission DENIED
# Print is the shell's alone (its screenshot tool takes the keys, the saver never sees it): the
# keys going away ends the saver.
for case in "key 0xffeb|Super" "key 0xffe9 0xff09|Alt+Tab" "key 0xffe9 0xffc1|Alt+F4" \
  "key 0xff61|Print" "overview true|the overview opened by another program"; do
  IFS='|' read -r commands what <<<"$case"
  gn_start_saver /s
  sleep 2  # past the moment a dialog would have come
  # shellcheck disable=SC2086
  gn_do $commands
  wl_wait_exit_ms "$WL_SAVER_PID" "$limit" || fail "$what (shortcuts refused) did not end the saver within $limit ms"
  [ "$WL_STATUS" -eq 0 ] || fail "$what: status $WL_STATUS: $(cat "$WL_DIR/out/saver.err")"
  sleep 0.3
  nothing_typed "$what (shortcuts refused)"
  # The shell had Super: its overview is what ended the saver.
  [ "$what" != Super ] || gn_overview_is true || fail "Super did not reach the shell"
  [ "$what" != Print ] || gn_do key 0xff1b  # the screenshot tool closed
  gn_do overview false
  wl_wait_for 10 gn_overview_is false || fail "the overview stays open"
  echo "$what ended it with the shortcuts refused"
done

# Not under the overview.
gn_do overview true
wl_wait_for 10 gn_overview_is true || fail "the overview did not open"
set +e
wl_run "${GN_ENV[@]}" timeout 20 "$WL_SAVER" /s 2>"$WL_DIR/out/overview.err"
status=$?
set -e
echo "under the overview: status $status: $(cat "$WL_DIR/out/overview.err")"
[ "$status" -eq 1 ] || fail "status $status under the overview"
[ "$(wc -l <"$WL_DIR/out/overview.err")" -eq 1 ] || fail "not one line"
grep -q overview "$WL_DIR/out/overview.err" || fail "the line does not name the overview"
echo PASS
