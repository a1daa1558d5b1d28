#!/usr/bin/env bash
# Runs one Windows program under wine on two monitors, as a CTest command:
#   two_monitors.sh PROGRAM [ARGS...]
# wine sees one monitor on Xvfb, but one per output under the XWayland of a headless sway. This
# starts such a sway with two outputs side by side, a 1024x768 one on the left and a 1280x1024
# one on the right, makes the right one the X server's primary output (wine's primary monitor,
# at its origin), and runs the program in the test prefix (WINEPREFIX, else
# build/windows/wineprefix, shared with run.sh and made as it makes it) with VORTHANE_SWAYMSG,
# VORTHANE_GRIM, SWAYSOCK and WAYLAND_DISPLAY set, so the program can change the outputs while
# it runs and read them back. sway refuses to run as root: as root, sway runs as nobody and lets
# root use its X server. VORTHANE_WINE_TIMEOUT (seconds, default 120) ends a program that hangs.
set -euo pipefail

source "$(dirname "$0")/prefix.sh"
wine_prefix_lock
timeout_s=${VORTHANE_WINE_TIMEOUT:-120}

rig=$(mktemp -d /tmp/vorthane-sway.XXXXXX)
as_sway_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown 65534:65534 "$rig"
  as_sway_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
sway_env=(env -i HOME="$rig" XDG_RUNTIME_DIR="$rig" PATH=/usr/bin:/bin)

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  [ -n "${sway_pid:-}" ] && kill "$sway_pid" 2>/dev/null && wait "$sway_pid" 2>/dev/null
  rm -rf "$rig"
  return 0
}
trap cleanup EXIT

cat >"$rig/config" <<'EOF'
output HEADLESS-1 resolution 1280x1024 position 1024 0 scale 1
output HEADLESS-2 resolution 1024x768 position 0 0 scale 1
xwayland enable
EOF
chmod 644 "$rig/config"
"${as_sway_user[@]}" "${sway_env[@]}" WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=2 \
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$rig/config" \
  </dev/null >"$rig/sway.log" 2>&1 &
sway_pid=$!
for _ in $(seq 100); do
  compgen -G "$rig/sway-ipc.*.sock" >/dev/null && break
  sleep 0.05
done
SWAYSOCK=$(compgen -G "$rig/sway-ipc.*.sock" | head -n1) ||
  { echo "two_monitors.sh: sway did not start: $(tail -n3 "$rig/sway.log")" >&2; exit 1; }
# The program changes the outputs with swaymsg and reads them back with grim.
export SWAYSOCK VORTHANE_SWAYMSG VORTHANE_GRIM WAYLAND_DISPLAY
VORTHANE_SWAYMSG=$(command -v swaymsg)
VORTHANE_GRIM=$(command -v grim)
WAYLAND_DISPLAY=$(compgen -G "$rig/wayland-*" | grep -v lock | head -n1)

# sway's X server; the first client starts it.
"${as_sway_user[@]}" "${sway_env[@]}" SWAYSOCK="$SWAYSOCK" \
  swaymsg exec "echo \$DISPLAY >$rig/display" >/dev/null
for _ in $(seq 100); do
  [ -s "$rig/display" ] && break
  sleep 0.05
done
export DISPLAY
DISPLAY=$(cat "$rig/display")
as_x_client=("${as_sway_user[@]}" "${sway_env[@]}" DISPLAY="$DISPLAY")
"${as_x_client[@]}" xhost "+si:localuser:$(id -un)" >/dev/null
# The right-hand output is the primary one.
right=$(xrandr --listmonitors | awk 'NR > 1 { split($3, g, "+"); if (g[2] > 0) print $4 }')
xrandr --output "$right" --primary

wine_prefix_prepare 96
set +e
timeout -k 5 "$timeout_s" wine "$@"
status=$?
set -e
exit "$status"
