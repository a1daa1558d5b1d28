# Shared by the tests against the real screen-saver daemons: a private Xvfb, an unprivileged
# user for daemons that refuse to run savers as root, waiting with time limits, screenshots.
# Sourced; the caller sets `set -euo pipefail`.

saver=/usr/libexec/xscreensaver/vorthane
if [ ! -x "$saver" ]; then
  echo "SKIP: the package is not installed (the package test installs it as root)"
  exit 77
fi
work=$(mktemp -d)
chmod 755 "$work"
groups=()  # process groups started by spawn
xvfb_pid=""
shots=${VORTHANE_SHOTS:-}  # a folder to keep the screenshots in, if set

cleanup() {
  local group
  for group in "${groups[@]}"; do kill -TERM -- "-$group" 2>/dev/null || true; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  # A desktop portal a dialog or the shell started may have mounted its documents in there.
  local mount
  for mount in $(findmnt -rn -o TARGET | grep -F "$work/" || true); do
    fusermount -u -z "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  local log
  for log in "$work"/*.log; do
    [ -f "$log" ] && { echo "--- $log" >&2; tail -15 "$log" >&2; }
  done
  exit 1
}

# Polls a command (every 0.1 s) until it succeeds or `tenths` tenths of a second pass.
wait_for() {
  local tenths=$1
  shift
  local _
  for _ in $(seq "$tenths"); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Starts a command in the background in a session and process group of its own, so that the
# cleanup ends everything it started, however deep; sets `spawned` to its pid.
spawn() {
  setsid "$@" &
  spawned=$!
  groups+=("$spawned")
}

# A private display of the given size; sets DISPLAY.
start_xvfb() {
  local size=${1:-1280x1024}
  local first second line
  exec 3< <(Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp -noreset -dpi 96 \
    2>/dev/null & echo "pid $!")
  read -r -t 20 first <&3 || fail "Xvfb did not start"
  read -r -t 20 second <&3 || fail "Xvfb did not start"
  for line in "$first" "$second"; do
    case $line in pid\ *) xvfb_pid=${line#pid } ;; *) export DISPLAY=":$line" ;; esac
  done
  wait_for 100 xdpyinfo || fail "Xvfb does not answer"
}

# The daemons run as this unprivileged user when the test runs as root; run_as prefixes a
# command with it (an empty prefix otherwise). The accessibility bus is kept out: GTK programs
# would start it on the session bus, and it outlives them.
run_as=()
saver_uid=$(id -u)
if [ "$saver_uid" -eq 0 ]; then
  saver_uid=$(id -u nobody)
  run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
export NO_AT_BRIDGE=1
export HOME=$work
chown "$saver_uid" "$work"

# The pids of the installed saver run by the daemon's user (daemons start it by its name).
saver_pids() {
  local pid
  for pid in $(pgrep -u "$saver_uid" -x vorthane || true); do
    [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$saver" ] && echo "$pid"
  done
  return 0
}

saver_count() {
  saver_pids | wc -l
}

# Succeeds once exactly `n` savers run.
savers_running() {
  [ "$(saver_count)" -eq "$1" ]
}

saver_gone() {
  [ -z "$(saver_pids)" ]
}

# A screenshot of the whole screen: kept in $shots when set. Prints the file's path.
screenshot() {
  local name=$1
  local file="$work/$name.png"
  import -display "$DISPLAY" -window root "$file"
  if [ -n "$shots" ]; then
    mkdir -p "$shots"
    cp "$file" "$shots/"
  fi
  echo "$file"
}

# The mean brightness (0..1) of a screenshot's region WxH+X+Y.
mean_of() {
  convert "$1" -crop "$2" +repage -format '%[fx:mean]' info:
}
