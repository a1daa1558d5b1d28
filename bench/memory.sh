#!/usr/bin/env bash
# Benchmark (not a test): what the full-screen saver costs in memory as the screen grows. On a
# private Xvfb of each size it runs vorthane /s for a few seconds and reports its resident and
# own memory (the probe reads /proc/PID/smaps near the end of the run) and how much more the X
# server holds while it runs (the server's resident memory during the run less before it).
# Usage: bench/memory.sh [seconds per size, default 5] [sizes, default 1280x1024 3840x2160]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1280x1024 3840x2160)
build=build/default
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target vorthane vorthane_x11_probe >/dev/null
probe=$build/tests/x11/vorthane_x11_probe
saver=$PWD/$build/host/linux/vorthane
fc-cache >/dev/null 2>&1 || true

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
val() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }

printf "%-10s %9s %9s %12s\n" screen rss_kb own_kb xserver_kb
for size in "${sizes[@]}"; do
  exec 3< <(Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp -noreset -dpi 96 2>/dev/null &
            echo "pid $!")
  read -r -t 20 a <&3; read -r -t 20 b <&3
  for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) export DISPLAY=":$line" ;; esac; done
  sleep 0.5
  before=$(rss "$xvfb")
  "$probe" bench-saver "$seconds" "$saver" /s >/tmp/vorthane-memory.$$ &
  sleep $((seconds - 1))
  during=$(rss "$xvfb")
  wait $!
  line=$(cat /tmp/vorthane-memory.$$)
  printf "%-10s %9s %9s %12s\n" "$size" "$(val rss_kb "$line")" "$(val own_kb "$line")" \
    "$((during - before))"
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
done
rm -f /tmp/vorthane-memory.$$
