#!/usr/bin/env bash
# On two outputs, scale 1 and scale 2, over a loud desktop with a window behind, the saver shows
# the drawing model's frame pixel for pixel outside the text: at 96 dots per inch on the first,
# at 192 on the second (everything twice as large, drawn at that size); two seconds later it
# shows it again with the caption moved (the picture moves on the screen, not just in the
# buffers); SIGTERM ends it through the form's unload with status 0.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_sway
wl_start_window
wl_start_saver /s
# The shots first, while Label1 is the line shown; the comparisons after.
for name in HEADLESS-1 HEADLESS-2; do wl_shot "$name" "$name.ppm" "$WL_DIR/$name-a.ppm"; done
sleep 2
for name in HEADLESS-1 HEADLESS-2; do wl_shot "$name" "$name.ppm" "$WL_DIR/$name-b.ppm"; done
for output in HEADLESS-1:1 HEADLESS-2:2; do
  name=${output%:*}
  wl_check_moving "$name" "$WL_DIR/$name-a.ppm" "$WL_DIR/$name-b.ppm" $((96 * ${output#*:}))
done
kill -TERM "$WL_SAVER_PID"
wl_wait_exit "$WL_SAVER_PID" 5 || fail "SIGTERM did not end the saver"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after SIGTERM"
echo PASS
