#!/usr/bin/env bash
# Runs the saver. In a desktop session ($DISPLAY or $WAYLAND_DISPLAY): full screen there, until a
# key, a click or a movement of the pointer. Without one: on a private virtual display for a few
# seconds, then writes a screenshot and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/default
bash tools/install-deps.sh
[ -f "$build/CMakeCache.txt" ] || cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target vorthane >/dev/null
vorthane=$build/host/linux/vorthane

# In a desktop session (X11, or Wayland, where vorthane itself chooses): full screen there.
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$vorthane" /s
fi

shot=${1:-$build/screenshot.png}
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset -dpi 96 2>/dev/null & echo "pid $!")
read -r -t 20 a <&3; read -r -t 20 b <&3
for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) display=":$line" ;; esac; done
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
echo "No display: running the saver on a private virtual display ($display) for 3 seconds."
DISPLAY=$display "$vorthane" /s &
saver=$!
# Shortly after the start the first caption line is still near the top; it falls 21 px a second.
sleep 0.3
import -display "$display" -window root "$shot"
sleep 2.7
kill -TERM "$saver"
wait "$saver" || true
echo "Screenshot: $shot"
