#!/usr/bin/env bash
# On a second compositor, a headless KWin (layer-shell version 3) at the fractional scale 1.5,
# with a window behind: the saver draws at the output's exact pixels, 144 dots per inch (not at
# scale 2, shrunk by the compositor), the drawing model's frame pixel for pixel outside the text;
# two seconds later again, with the caption moved; SIGTERM ends it with status 0.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
wl_start_kwin 1200 800 --scale 1.5
wl_start_window
wl_start saver "$WL_SAVER" /s
WL_SAVER_PID=$WL_LAST
# A shot that is the model's frame at 144 dots per inch; its Label1 row in $row.
model_shot() {
  wl_run /usr/bin/python3 "$(dirname "$0")/kwin_shot.py" "$WL_KWIN_BUS" \
    "$WL_DIR/out/kwin.ppm" && cp "$WL_DIR/out/kwin.ppm" "$WL_DIR/$1.ppm" &&
    "$WL_CHECK" model "$WL_DIR/$1.ppm" 144 1 >"$WL_DIR/check" &&
    row=$(sed -n 's/.*Label1 row \([0-9-]*\),.*/\1/p' "$WL_DIR/check")
}
# The picture in a shot, pixel for pixel as the saver's canvas draws it at 144 dots per inch.
exact() {
  echo -n "shot $1, the picture pixel for pixel: "
  "$WL_CHECK" exact "$WL_DIR/$1.ppm" 144 || fail "shot $1: the picture is not the view's own pixels"
}
wl_wait_for 20 model_shot a || fail "no model's frame at 144 dpi: $(cat "$WL_DIR/check" "$WL_DIR/out/saver.err")"
echo "shot a: $(cat "$WL_DIR/check")"
first=$row
exact a
sleep 2
model_shot b || fail "shot b is not the model's frame: $(cat "$WL_DIR/check")"
echo "shot b: $(cat "$WL_DIR/check")"
[ -z "${VORTHANE_SHOTS:-}" ] || cp "$WL_DIR/a.ppm" "$WL_DIR/b.ppm" "$VORTHANE_SHOTS/"
[ "$first" != "$row" ] || fail "the caption did not move in 2 s (row $row)"
exact b
kill -TERM "$WL_SAVER_PID"
wl_wait_exit "$WL_SAVER_PID" 5 || fail "SIGTERM did not end the saver"
[ "$WL_STATUS" -eq 0 ] || fail "status $WL_STATUS after SIGTERM"
echo PASS
