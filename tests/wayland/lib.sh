# The headless Wayland rig the wayland tests share: a private sway (pixman renderer, headless
# outputs) run by an unprivileged user, since sway refuses to run as root; clients started as
# that user in its session; screenshots with grim, keys with wtype, a virtual pointer.
# Source it, then call wl_start_sway; everything it started ends with the test.

WL_DIR=$(mktemp -d /tmp/vorthane-wl.XXXXXX)
chmod 755 "$WL_DIR"
WL_PIDS=()
wl_cleanup() {
  local pid
  for pid in "${WL_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${WL_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  # A desktop portal a dialog or the shell started may have mounted its documents in there.
  local mount
  for mount in $(findmnt -rn -o TARGET | grep -F "$WL_DIR/" || true); do
    fusermount -u -z "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null || true
  done
  rm -rf "$WL_DIR"
}
trap wl_cleanup EXIT

# The user the session runs as: nobody when started as root, the caller otherwise.
if [ "$(id -u)" -eq 0 ]; then
  WL_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  WL_OWNER=65534:65534
else
  WL_AS=()
  WL_OWNER=$(id -u):$(id -g)
fi
mkdir -p "$WL_DIR/rt" "$WL_DIR/home" "$WL_DIR/out"
chown "$WL_OWNER" "$WL_DIR/rt" "$WL_DIR/home" "$WL_DIR/out"
chmod 700 "$WL_DIR/rt"

fail() {
  echo "FAIL: $*" >&2
  [ -f "$WL_DIR/sway.log" ] && tail -5 "$WL_DIR/sway.log" >&2
  exit 1
}

# Runs a command as the session's user, in its session; wl_exec replaces the shell with it (in
# a background subshell, so that the pid is the program's own).
wl_exec() {
  local session=()
  [ -z "${WL_DISPLAY:-}" ] || session+=(WAYLAND_DISPLAY="$WL_DISPLAY")
  [ -z "${WL_SWAYSOCK:-}" ] || session+=(SWAYSOCK="$WL_SWAYSOCK")
  local sanitizer
  for sanitizer in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
    [ -z "${!sanitizer:-}" ] || session+=("$sanitizer=${!sanitizer}")
  done
  exec "${WL_AS[@]}" env -i PATH=/usr/bin:/bin HOME="$WL_DIR/home" XDG_RUNTIME_DIR="$WL_DIR/rt" \
    LANG=C.UTF-8 "${session[@]}" "$@"
}
wl_run() { (wl_exec "$@"); }

# Waits until a condition (a command) holds, for at most $1 seconds.
wl_wait_for() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.05
  done
}

# sway with two outputs: HEADLESS-1 1280x720 at scale 1, HEADLESS-2 1920x1080 at scale 2; or
# with "wl_start_sway 1 [WxH]" one output, HEADLESS-1 1920x1080 (or WxH) at scale 1. The desktop
# is magenta (WL_DESKTOP to change it), so that any pixel the saver leaves uncovered shows;
# lines in WL_SWAY_EXTRA are added to the configuration.
wl_start_sway() {
  local count=${1:-2}
  if [ "$count" -eq 1 ]; then
    echo "output HEADLESS-1 resolution ${2:-1920x1080} position 0 0 scale 1" >"$WL_DIR/sway.cfg"
    WL_OUTPUTS=(HEADLESS-1:1)
  else
    WL_OUTPUTS=(HEADLESS-1:1 HEADLESS-2:2)
    printf '%s\n' "output HEADLESS-1 resolution 1280x720 position 0 0 scale 1" \
      "output HEADLESS-2 resolution 1920x1080 position 1280 0 scale 2" >"$WL_DIR/sway.cfg"
  fi
  cat >>"$WL_DIR/sway.cfg" <<CFG
output * background ${WL_DESKTOP:-#ff00ff} solid_color
default_border none
xwayland disable
${WL_SWAY_EXTRA:-}
CFG
  (wl_exec env WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS="$count" WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$WL_DIR/sway.cfg" >"$WL_DIR/sway.log" 2>&1) &
  WL_PIDS+=($!)
  WL_SWAY_PID=$!
  wl_wait_for 20 compgen -G "$WL_DIR/rt/sway-ipc.*.sock" >/dev/null || fail "sway did not start"
  WL_SWAYSOCK=$(compgen -G "$WL_DIR/rt/sway-ipc.*.sock" | head -1)
  WL_DISPLAY=$(cd "$WL_DIR/rt" && compgen -G "wayland-*" | grep -v lock | head -1)
  wl_wait_for 10 wl_outputs_are "$count" || fail "sway has not $count outputs"
}

wl_outputs_are() {
  [ "$(wl_run swaymsg -t get_outputs -r | grep -c '"name": "HEADLESS-')" -eq "$1" ]
}

# Starts a program in the session in the background; its pid in WL_LAST, its stderr in
# $WL_DIR/out/<name>.err.
wl_start() {
  local name=$1
  shift
  (wl_exec "$@" 2>"$WL_DIR/out/$name.err") &
  WL_LAST=$!
  WL_PIDS+=("$WL_LAST")
}

# A screenshot of one output as a binary PPM.
wl_shot() {
  wl_run grim -t ppm -o "$1" "$WL_DIR/out/$2"
  cat "$WL_DIR/out/$2" >"$3"
}

# Waits for a process to end within $2 seconds (wl_wait_exit_ms: milliseconds); its status in
# WL_STATUS.
wl_wait_exit() { wl_wait_exit_ms "$1" $(($2 * 1000)); }
wl_wait_exit_ms() {
  local pid=$1 end
  end=$(($(date +%s%N) / 1000000 + $2))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$(($(date +%s%N) / 1000000))" -lt "$end" ] || return 1
    sleep 0.02
  done
  set +e
  wait "$pid"
  WL_STATUS=$?
  set -e
}

# The saver (its path in WL_SAVER) started in the session; waits until the banner shows on
# every output.
wl_start_saver() {
  wl_start saver "$WL_SAVER" "$@"
  WL_SAVER_PID=$WL_LAST
  local output
  for output in "${WL_OUTPUTS[@]}"; do
    wl_wait_for 10 wl_banner_on "${output%:*}" "${output#*:}" ||
      fail "no banner on ${output%:*}: $(cat "$WL_DIR/out/saver.err")"
  done
}

# Whether the banner shows on an output of this scale.
wl_banner_on() {
  wl_shot "$1" poll.ppm "$WL_DIR/poll.ppm" && "$WL_CHECK" banner "$WL_DIR/poll.ppm" "$2"
}

# Shots $2 and $3 of output $1 must both be the drawing model's frame at $4 dots per inch, with
# the caption moved between them (the picture moves on the screen, not just in the buffers).
wl_check_moving() {
  local name=$1 dpi=$4 shot rows=()
  for shot in "$2" "$3"; do
    [ -z "${VORTHANE_SHOTS:-}" ] || cp "$shot" "$VORTHANE_SHOTS/"
    echo -n "$name at $dpi dpi, $(basename "$shot"): "
    "$WL_CHECK" model "$shot" "$dpi" 1 | tee "$WL_DIR/check" || fail "$name is not the model's frame"
    rows+=("$(sed -n 's/.*Label1 row \([0-9-]*\),.*/\1/p' "$WL_DIR/check")")
  done
  [ "${rows[0]}" != "${rows[1]}" ] || fail "$name: the caption did not move (row ${rows[0]})"
}

# Two shots of output $1 two seconds apart, checked as wl_check_moving does at 96 dpi.
wl_expect_moving() {
  wl_shot "$1" a.ppm "$WL_DIR/$1-a.ppm"
  sleep 2
  wl_shot "$1" b.ppm "$WL_DIR/$1-b.ppm"
  wl_check_moving "$1" "$WL_DIR/$1-a.ppm" "$WL_DIR/$1-b.ppm" 96
}

# A window behind the saver, focused before it starts: a terminal painted blue whose program
# writes every byte the keys it gets type to $WL_DIR/out/typed.
wl_start_window() {
  cat >"$WL_DIR/typist.sh" <<SH
#!/bin/sh
stty raw -echo
printf '\033[44m\033[2J'
: >"$WL_DIR/out/typed"
exec cat >>"$WL_DIR/out/typed"
SH
  chmod 755 "$WL_DIR/typist.sh"
  wl_start window weston-terminal --shell="$WL_DIR/typist.sh"
  wl_wait_for 10 test -e "$WL_DIR/out/typed" || fail "no window: $(cat "$WL_DIR/out/window.err")"
  sleep 0.5  # mapped and focused
}

# The bytes the window behind received, as hexadecimal.
wl_typed() { od -An -tx1 "$WL_DIR/out/typed" | tr -d ' \n'; }

# A pointer device on the seat, kept until the test ends.
wl_start_pointer() {
  mkfifo "$WL_DIR/pointer.in"
  chmod 666 "$WL_DIR/pointer.in"
  (wl_exec "$WL_POINTER" <"$WL_DIR/pointer.in" >"$WL_DIR/pointer.out" 2>&1) &
  WL_PIDS+=($!)
  exec {WL_POINTER_FD}>"$WL_DIR/pointer.in"
  wl_wait_for 10 grep -q ready "$WL_DIR/pointer.out" || fail "no virtual pointer"
}

WL_SAVER=$1
WL_CHECK=$2
WL_POINTER=$3

# A headless KWin (socket kwin-test) of $1x$2 and any further options, on its own session bus at
# the runtime folder's usual place ($WL_DIR/rt/bus, in WL_KWIN_BUS); afterwards WL_DISPLAY names
# it. KWin runs from a copy without the file capability a container may not grant, under the
# name Qt expects; KWin and its bus end with the test, KWin first.
wl_start_kwin() {
  local width=$1 height=$2
  shift 2
  cp /usr/bin/kwin_wayland "$WL_DIR/kwin_wayland"
  chmod 755 "$WL_DIR/kwin_wayland"
  WL_KWIN_BUS=unix:path=$WL_DIR/rt/bus
  (wl_exec dbus-daemon --session --nofork --address="$WL_KWIN_BUS" >"$WL_DIR/dbus.log" 2>&1) &
  WL_PIDS+=($!)
  wl_wait_for 10 test -S "$WL_DIR/rt/bus" || fail "no session bus: $(cat "$WL_DIR/dbus.log")"
  (wl_exec env KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 DBUS_SESSION_BUS_ADDRESS="$WL_KWIN_BUS" \
    "$WL_DIR/kwin_wayland" --virtual --width "$width" --height "$height" --socket kwin-test \
    --no-lockscreen --no-global-shortcuts "$@" >"$WL_DIR/kwin.log" 2>&1) &
  WL_PIDS=($! "${WL_PIDS[@]}")
  wl_wait_for 30 test -S "$WL_DIR/rt/kwin-test" || fail "KWin did not start: $(tail -5 "$WL_DIR/kwin.log")"
  WL_DISPLAY=kwin-test
}

# A sway nested in the outer one, with $1 outputs, each a floating window of the outer sway
# (WL-1, ...), and its own runtime folder; afterwards WL_DISPLAY and WL_SWAYSOCK name the inner
# one and WL_OUTER_SWAYSOCK the outer's. inner_outputs N holds once it has N outputs.
wl_start_nested_sway() {
  WL_SWAY_EXTRA='for_window [app_id="wlroots"] floating enable, resize set 1280 720'
  wl_start_sway
  local outer=$WL_DIR/rt/$WL_DISPLAY
  mkdir -p "$WL_DIR/rt2"
  chown "$WL_OWNER" "$WL_DIR/rt2"
  chmod 700 "$WL_DIR/rt2"
  printf '%s\n' "output * background #ff00ff solid_color" "xwayland disable" \
    "default_border none" >"$WL_DIR/inner.cfg"
  (wl_exec env WAYLAND_DISPLAY="$outer" XDG_RUNTIME_DIR="$WL_DIR/rt2" WLR_BACKENDS=wayland \
    WLR_WL_OUTPUTS="$1" WLR_RENDERER=pixman sway -c "$WL_DIR/inner.cfg" >"$WL_DIR/inner.log" 2>&1) &
  WL_PIDS+=($!)
  wl_wait_for 20 compgen -G "$WL_DIR/rt2/sway-ipc.*.sock" >/dev/null ||
    fail "the nested sway did not start"
  WL_OUTER_SWAYSOCK=$WL_SWAYSOCK
  WL_SWAYSOCK=$(compgen -G "$WL_DIR/rt2/sway-ipc.*.sock" | head -1)
  WL_DISPLAY=$WL_DIR/rt2/$(cd "$WL_DIR/rt2" && compgen -G "wayland-*" | grep -v lock | head -1)
}
inner_outputs() { [ "$(wl_run swaymsg -t get_outputs -r | grep -c '"name": "WL-')" -eq "$1" ]; }
