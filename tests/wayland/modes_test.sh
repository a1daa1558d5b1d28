#!/usr/bin/env bash
# At every common mode the saver covers every pixel of the output: the model's frame, pixel for
# pixel, where a magenta desktop and a window behind would show through any pixel left uncovered.
# The shots are taken first and compared afterwards; a saver shows a few modes each, while
# Label1 is still the line shown.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway 1 1280x720
wl_start_window
# A shot of HEADLESS-1 at this mode, with the banner on it.
shot_at() {
  wl_shot HEADLESS-1 mode.ppm "$WL_DIR/mode.ppm" &&
    [ "$(head -c 20 "$WL_DIR/mode.ppm" | sed -n 2p)" = "${1/x/ }" ] &&
    "$WL_CHECK" banner "$WL_DIR/mode.ppm" 1
}
modes=(1280x720 1280x800 1280x1024 1366x768 1600x900 1920x1080 1920x1200 2560x1440 2560x1600
  3840x2160)
for i in "${!modes[@]}"; do
  mode=${modes[$i]}
  if ((i % 4 == 0)); then
    [ -z "${WL_SAVER_PID:-}" ] || { kill -TERM "$WL_SAVER_PID" && wl_wait_exit "$WL_SAVER_PID" 5; }
    wl_start_saver /s
  fi
  wl_run swaymsg -q output HEADLESS-1 resolution "$mode"
  wl_wait_for 10 shot_at "$mode" || fail "no banner at $mode"
  sleep 0.2 # the caption as well as the banner
  wl_shot HEADLESS-1 mode.ppm "$WL_DIR/$mode.ppm"
done
for mode in "${modes[@]}"; do
  [ -z "${VORTHANE_SHOTS:-}" ] || cp "$WL_DIR/$mode.ppm" "$VORTHANE_SHOTS/HEADLESS-1-$mode.ppm"
  echo -n "$mode: "
  "$WL_CHECK" model "$WL_DIR/$mode.ppm" 96 1 || fail "$mode is not the model's frame"
done
echo PASS
