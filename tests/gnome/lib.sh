# The headless GNOME rig the gnome tests share. Source it (after `set -euo pipefail`) with the
# tests' tool paths as arguments ($1 the saver, $2 the screen check; tests/wayland/lib.sh, whose
# functions -- wl_run, wl_start, wl_wait_for, wl_wait_exit, fail -- it brings along, reads them).
# Everything runs as an unprivileged user (nobody when the test runs as root) with its own
# runtime folder, system bus and session bus; everything it starts ends with the test.
#
#   gn_start_shell [mutter]  gnome-shell (or plain mutter) headless on Wayland with two virtual
#                            monitors, GN_MONITORS ("X,Y,W,H" each; 1280x720 left of 1024x768),
#                            the desktop one loud colour (GN_DESKTOP, magenta), no blanking or
#                            lock of its own (gsettings), an application entry vorthane.desktop
#                            naming the saver (so the shell remembers the answer to its dialog
#                            about shortcuts), the overview closed; then the session helper
#                            (gn_do) is ready, with a keyboard and a pointer on the seat
#   gn_do COMMAND...         one command of tests/gnome/session.py on the session's bus (keys,
#                            pointer moves and clicks, screenshots, the overview, a lock); its
#                            answer in GN_ANSWER; fails the test when the answer is an error
#   gn_shot N FILE           monitor N (0 or 1) as a binary PPM (gnome-shell only: plain mutter
#                            takes no screenshots; nor has it an overview)
#   gn_pixel_is X Y #RRGGBB  whether the screen shows that colour there (gnome-shell only)
#   gn_start_window          a window behind (tests/gnome/typist.py, blue), focused, that writes
#                            the name of each key it gets to $WL_DIR/out/typed
#   gn_typed                 the keys the window behind got, on one line
#   gn_start_saver ARGS...   the saver in the session (pid in WL_SAVER_PID, stderr in
#                            $WL_DIR/out/saver.err); waits until its banner shows on every monitor
#   "${GN_ENV[@]}" CMD       a command with the session's buses: wl_run "${GN_ENV[@]}" gsettings ...
#                            (a program started with it also needs GN_ENV for the bus)
#
# Keysyms for gn_do key: Escape 0xff1b, Super_L 0xffeb, Alt_L 0xffe9, Tab 0xff09, a 0x61.

source "$(dirname "${BASH_SOURCE[0]}")/../wayland/lib.sh" "${1:-}" "${2:-}" "${3:-}"
GN_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
GN_MONITORS=(0,0,1280,720 1280,0,1024,768)
GN_DISPLAY_NAME=gnome-test
WL_DISPLAY=$GN_DISPLAY_NAME
GN_SESSION_BUS=unix:path=$WL_DIR/rt/bus
GN_SYSTEM_BUS=unix:path=$WL_DIR/rt/sysbus

fail() {
  echo "FAIL: $*" >&2
  [ -f "$WL_DIR/shell.log" ] && tail -5 "$WL_DIR/shell.log" >&2
  exit 1
}

GN_ENV=(env DBUS_SESSION_BUS_ADDRESS="$GN_SESSION_BUS" DBUS_SYSTEM_BUS_ADDRESS="$GN_SYSTEM_BUS")

gn_bus() {
  local name=$1 address=$2
  (wl_exec dbus-daemon --session --nofork --address="$address" >"$WL_DIR/$name.log" 2>&1) &
  WL_PIDS+=($!)
  wl_wait_for 10 test -S "${address#unix:path=}" || fail "no $name bus: $(cat "$WL_DIR/$name.log")"
}

gn_start_shell() {
  local compositor=${1:-gnome-shell}
  # The buses end after everything that uses them: wl_cleanup ends WL_PIDS in order.
  gn_bus sysbus "$GN_SYSTEM_BUS"
  gn_bus sessionbus "$GN_SESSION_BUS"
  # A loud desktop (any pixel the saver leaves uncovered shows), no blanking or lock of the
  # shell's own, no welcome dialog.
  local setting schema key value
  for setting in "desktop.background picture-uri ''" "desktop.background picture-uri-dark ''" \
    "desktop.background primary-color '${GN_DESKTOP:-#ff00ff}'" \
    "desktop.background color-shading-type 'solid'" "desktop.background picture-options 'none'" \
    "desktop.session idle-delay uint32 0" "desktop.screensaver lock-enabled false" \
    "shell welcome-dialog-last-shown-version '999'"; do
    read -r schema key value <<<"$setting"
    wl_run "${GN_ENV[@]}" gsettings set "org.gnome.$schema" "$key" "$value" ||
      fail "gsettings set org.gnome.$schema $key $value"
  done
  # The program known to the shell by its window's app id, as an installed one is (so that the
  # shell remembers what its user allowed it); the entry names a program that exists.
  mkdir -p "$WL_DIR/home/.local/share/applications" "$WL_DIR/home/.local/share/gnome-shell"
  # The shell's notice that it has no lock screen without a display manager, which it shows
  # once (and over everything), already shown.
  : >"$WL_DIR/home/.local/share/gnome-shell/lock-warning-shown"
  printf '%s\n' "[Desktop Entry]" "Type=Application" "Name=Vorthane" "Exec=$WL_SAVER" \
    "NoDisplay=true" >"$WL_DIR/home/.local/share/applications/vorthane.desktop"
  chown -R "$WL_OWNER" "$WL_DIR/home/.local"
  local monitors=() m
  for m in "${GN_MONITORS[@]}"; do
    IFS=, read -r _ _ w h <<<"$m"
    monitors+=(--virtual-monitor "${w}x$h")
  done
  (wl_exec "${GN_ENV[@]}" "$compositor" --headless --wayland --no-x11 "${monitors[@]}" \
    --wayland-display "$GN_DISPLAY_NAME" >"$WL_DIR/shell.log" 2>&1) &
  WL_PIDS=($! "${WL_PIDS[@]}")  # the compositor first, before its buses
  GN_SHELL_PID=$!
  GN_COMPOSITOR=$compositor
  wl_wait_for 60 test -S "$WL_DIR/rt/$GN_DISPLAY_NAME" || fail "$compositor did not start"
  gn_start_helper
  if [ "$compositor" = gnome-shell ]; then
    # It opens the overview once it has started; the tests begin on the desktop.
    wl_wait_for 30 gn_overview_is true || fail "the shell did not start: $GN_ANSWER"
    gn_do overview false
    wl_wait_for 10 gn_overview_is false || fail "the overview stays open"
  fi
}

# The session helper, fed through a pipe and read through another, for the whole test.
gn_start_helper() {
  mkfifo "$WL_DIR/helper.in" "$WL_DIR/helper.out"
  chmod 666 "$WL_DIR/helper.in" "$WL_DIR/helper.out"
  (wl_exec "${GN_ENV[@]}" /usr/bin/python3 "$GN_HERE/session.py" \
    <"$WL_DIR/helper.in" >"$WL_DIR/helper.out" 2>"$WL_DIR/helper.err") &
  WL_PIDS=($! "${WL_PIDS[@]}")
  exec {GN_IN}>"$WL_DIR/helper.in"
  exec {GN_OUT}<"$WL_DIR/helper.out"
  read -r -t 30 -u "$GN_OUT" GN_ANSWER || fail "the session helper did not start: $(cat "$WL_DIR/helper.err")"
  # The seat has a keyboard and a pointer only once input has come through them.
  wl_wait_for 30 gn_try key 0xffe1 || fail "no remote-desktop input: $GN_ANSWER"
  gn_do move 1 1
}

# A command to the helper; 0 when it answered "ok".
gn_try() {
  echo "$*" >&"$GN_IN"
  GN_ANSWER=
  read -r -t 30 -u "$GN_OUT" GN_ANSWER || fail "the session helper did not answer: $(cat "$WL_DIR/helper.err")"
  [ "${GN_ANSWER%% *}" = ok ]
}
gn_do() { gn_try "$@" || fail "$*: $GN_ANSWER"; }
gn_overview_is() { gn_try get-overview && [ "$GN_ANSWER" = "ok $1" ]; }
gn_pixel_is() { gn_try pixel "$1" "$2" && [ "$GN_ANSWER" = "ok ${3#\#}" ]; }

gn_shot() {
  local x y w h
  IFS=, read -r x y w h <<<"${GN_MONITORS[$1]}"
  gn_do shot "$x" "$y" "$w" "$h" "$WL_DIR/out/shot.ppm"
  cat "$WL_DIR/out/shot.ppm" >"$2"
}

gn_start_window() {
  wl_start window "${GN_ENV[@]}" GDK_BACKEND=wayland /usr/bin/python3 "$GN_HERE/typist.py" "$WL_DIR/out/typed"
  GN_WINDOW_PID=$WL_LAST
  wl_wait_for 8 grep -q focus "$WL_DIR/out/typed" 2>/dev/null ||
    fail "no window behind: $(cat "$WL_DIR/out/window.err")"
}
gn_typed() { grep -av '^focus$' "$WL_DIR/out/typed" | tr '\n' ' '; }

gn_banner_on() { gn_shot "$1" "$WL_DIR/poll.ppm" && "$WL_CHECK" banner "$WL_DIR/poll.ppm" 1; }

gn_start_saver() {
  wl_start saver "${GN_ENV[@]}" "$WL_SAVER" "$@"
  WL_SAVER_PID=$WL_LAST
  local i
  for i in "${!GN_MONITORS[@]}"; do
    wl_wait_for 20 gn_banner_on "$i" || fail "no banner on monitor $i: $(cat "$WL_DIR/out/saver.err")"
  done
}
