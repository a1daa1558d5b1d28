#!/usr/bin/env bash
# An output added while the saver runs shows the scene within moments, and again, drawn at the
# new resolution, when its scale changes; one taken away leaves the saver running on the others.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway
wl_start_saver /s
wl_run swaymsg -q create_output
wl_wait_for 5 wl_outputs_are 3 || fail "no third output"
wl_run swaymsg -q output HEADLESS-3 resolution 1024x768 scale 1
wl_wait_for 5 wl_banner_on HEADLESS-3 1 || fail "the added output does not show the scene"
wl_shot HEADLESS-3 third.ppm "$WL_DIR/third.ppm"
[ -z "${VORTHANE_SHOTS:-}" ] || cp "$WL_DIR/third.ppm" "$VORTHANE_SHOTS/HEADLESS-3.ppm"
echo -n "HEADLESS-3: "
"$WL_CHECK" model "$WL_DIR/third.ppm" 96 1 || fail "HEADLESS-3 is not the model's frame"
wl_run swaymsg -q output HEADLESS-3 scale 2
wl_wait_for 5 wl_banner_on HEADLESS-3 2 || fail "HEADLESS-3 at scale 2 does not show the scene"
wl_shot HEADLESS-3 third.ppm "$WL_DIR/third.ppm"
[ -z "${VORTHANE_SHOTS:-}" ] || cp "$WL_DIR/third.ppm" "$VORTHANE_SHOTS/HEADLESS-3-scale-2.ppm"
echo -n "HEADLESS-3 at scale 2: "
"$WL_CHECK" model "$WL_DIR/third.ppm" 192 1 || fail "HEADLESS-3 at scale 2 is not the model's frame"
wl_run swaymsg -q output HEADLESS-3 disable
sleep 0.5
kill -0 "$WL_SAVER_PID" 2>/dev/null || fail "losing an output ended the saver: $(cat "$WL_DIR/out/saver.err")"
wl_banner_on HEADLESS-1 1 || fail "the remaining outputs lost the scene"
echo PASS
