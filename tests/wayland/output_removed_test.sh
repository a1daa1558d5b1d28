#!/usr/bin/env bash
# An output taken away for real (a nested sway whose output window closes; a headless sway
# cannot remove one) leaves the saver running and moving on the other, covering it whole.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
WL_SWAY_EXTRA='for_window [app_id="wlroots"] floating enable, resize set 1280 720'
wl_start_sway
outer=$WL_DIR/rt/$WL_DISPLAY
# The nested sway: two outputs, each a window of the outer one, with its own runtime folder.
mkdir -p "$WL_DIR/rt2"
chown "$WL_OWNER" "$WL_DIR/rt2"
chmod 700 "$WL_DIR/rt2"
printf '%s\n' "output * background #ff00ff solid_color" "xwayland disable" \
  "default_border none" >"$WL_DIR/inner.cfg"
(wl_exec env WAYLAND_DISPLAY="$outer" XDG_RUNTIME_DIR="$WL_DIR/rt2" WLR_BACKENDS=wayland \
  WLR_WL_OUTPUTS=2 WLR_RENDERER=pixman sway -c "$WL_DIR/inner.cfg" >"$WL_DIR/inner.log" 2>&1) &
WL_PIDS+=($!)
wl_wait_for 20 compgen -G "$WL_DIR/rt2/sway-ipc.*.sock" >/dev/null || fail "the nested sway did not start"
outer_sock=$WL_SWAYSOCK
WL_SWAYSOCK=$(compgen -G "$WL_DIR/rt2/sway-ipc.*.sock" | head -1)
WL_DISPLAY=$WL_DIR/rt2/$(cd "$WL_DIR/rt2" && compgen -G "wayland-*" | grep -v lock | head -1)
inner_outputs() { [ "$(wl_run swaymsg -t get_outputs -r | grep -c '"name": "WL-')" -eq "$1" ]; }
wl_wait_for 10 inner_outputs 2 || fail "the nested sway has not two outputs"
sleep 1
WL_OUTPUTS=(WL-1:1 WL-2:1)
wl_start_saver /s
# The window that is WL-2 closes: the output is gone.
WL_SWAYSOCK=$outer_sock wl_run swaymsg -q '[title="WL-2"] kill'
wl_wait_for 5 inner_outputs 1 || fail "WL-2 did not go away"
wl_shot WL-1 a.ppm "$WL_DIR/a.ppm"
sleep 2
wl_shot WL-1 b.ppm "$WL_DIR/b.ppm"
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "losing an output ended the saver: $(cat "$WL_DIR/out/saver.err")"
rows=()
for shot in a b; do
  echo -n "WL-1, shot $shot: "
  "$WL_CHECK" model "$WL_DIR/$shot.ppm" 96 1 | tee "$WL_DIR/check" || fail "WL-1 is not the model's frame"
  rows+=("$(sed -n 's/.*Label1 row \([0-9-]*\),.*/\1/p' "$WL_DIR/check")")
done
[ "${rows[0]}" != "${rows[1]}" ] || fail "the caption did not move on WL-1"
echo PASS
