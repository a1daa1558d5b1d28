#!/usr/bin/env bash
# Benchmark (not a test): vorthane full-screen inside a nested sway (one 1280x720 output, a
# window of a headless outer sway), seen and then with its output window on a workspace of the
# outer sway that is not shown (the compositor then sends no frames). Reports, per run, the
# saver's wake-ups a second (voluntary and involuntary context switches) and CPU seconds over
# the same time seen and hidden.
# Usage: bench/wayland_hidden.sh [seconds each, default 10] [runs, default 3]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
runs=${2:-3}
build=$PWD/build/default
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target vorthane vorthane_wayland_screen_check \
  vorthane_wayland_virtual_pointer >/dev/null
source tests/wayland/lib.sh "$build/host/linux/vorthane" \
  "$build/tests/wayland/vorthane_wayland_screen_check" \
  "$build/tests/wayland/vorthane_wayland_virtual_pointer"
hz=$(getconf CLK_TCK)
wl_start_nested_sway 1
wl_wait_for 10 inner_outputs 1 || fail "the nested sway has no output"
sleep 1
WL_OUTPUTS=(WL-1:1)
switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' "/proc/$WL_SAVER_PID/status"; }
cpu() { awk '{ print $14 + $15 }' "/proc/$WL_SAVER_PID/stat"; }
# Wake-ups a second and CPU seconds over the given time.
measure() {
  local s0 c0
  s0=$(switches)
  c0=$(cpu)
  sleep "$seconds"
  awk -v s="$(($(switches) - s0))" -v c="$(($(cpu) - c0))" -v t="$seconds" -v hz="$hz" \
    'BEGIN { printf "%.1f wake-ups/s, %.2f s CPU", s / t, c / hz }'
}
outer() { WL_SWAYSOCK=$WL_OUTER_SWAYSOCK wl_run swaymsg -q "$@"; }
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq "$runs"); do
  wl_start_saver /s
  sleep 2
  seen=$(measure)
  outer workspace 9
  sleep 2
  hidden=$(measure)
  outer workspace back_and_forth
  echo "run $run: seen $seen; hidden $hidden"
  kill -TERM "$WL_SAVER_PID"
  wl_wait_exit "$WL_SAVER_PID" 10 || fail "the saver did not end"
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
