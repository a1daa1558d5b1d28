#!/usr/bin/env bash
# An output added while the saver runs shows the scene within moments, and again, drawn at the
# new resolution, when its scale changes; one taken away leaves the saver running on the others.
# The shots are taken first and compared afterwards, while Label1 is still the line shown.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway
wl_start_saver /s
wl_run swaymsg -q create_output
wl_wait_for 5 wl_outputs_are 3 || fail "no third output"
wl_run swaymsg -q output HEADLESS-3 resolution 1024x768 scale 1
wl_wait_for 5 wl_banner_on HEADLESS-3 1 || fail "the added output does not show the scene"
wl_shot HEADLESS-3 third.ppm "$WL_DIR/scale1.ppm"
wl_run swaymsg -q output HEADLESS-3 scale 2
wl_wait_for 5 wl_banner_on HEADLESS-3 2 || fail "HEADLESS-3 at scale 2 does not show the scene"
sleep 0.2  # the caption as well as the banner
wl_shot HEADLESS-3 third.ppm "$WL_DIR/scale2.ppm"
wl_run swaymsg -q output HEADLESS-3 disable
sleep 0.5
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "losing an output ended the saver: $(cat "$WL_DIR/out/saver.err")"
wl_banner_on HEADLESS-1 1 || fail "the remaining outputs lost the scene"
for scale in 1 2; do
  [ -z "${VORTHANE_SHOTS:-}" ] || cp "$WL_DIR/scale$scale.ppm" "$VORTHANE_SHOTS/HEADLESS-3-scale-$scale.ppm"
  echo -n "HEADLESS-3 at scale $scale: "
  "$WL_CHECK" model "$WL_DIR/scale$scale.ppm" $((96 * scale)) 1 ||
    fail "HEADLESS-3 at scale $scale is not the model's frame"
done
echo PASS
