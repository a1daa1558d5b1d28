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
  scale=${output#*:}
  rows=()
  for shot in a b; do
    [ -z "${VORTHANE_SHOTS:-}" ] || cp "$WL_DIR/$name-$shot.ppm" "$VORTHANE_SHOTS/"
    echo -n "$name (scale $scale), shot $shot: "
    "$WL_CHECK" model "$WL_DIR/$name-$shot.ppm" $((96 * scale)) 1 | tee "$WL_DIR/check" ||
      fail "$name is not the model's frame in shot $shot"
    rows+=("$(sed -n 's/.*Label1 row \([0-9-]*\),.*/\1/p' "$WL_DIR/check")")
  done
  [ "${rows[0]}" != "${rows[1]}" ] || fail "$name: the caption did not move in 2 s (row ${rows[0]})"
done
kill -TERM "$WL_SAVER_PID"
wl_wait_exit "$WL_SAVER_PID" 5 || fail "SIGTERM did not end the saver"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after SIGTERM"
echo PASS
