#!/usr/bin/env bash
# Benchmark (not a test): the full-screen saver on a private Xvfb (1920x1080) with the monitors
# on and with them powered down, three runs each. Xvfb has no DPMS, so the power state comes
# from a preloaded stand-in (tests/x11/fake_dpms.cpp) that answers the DPMS calls from a file.
# Each run starts the saver, lets it settle, then counts over the given seconds its wake-ups
# (voluntary + involuntary context switches of all its threads, /proc/PID/task/*/status), its
# own CPU (/proc/PID/task/*/schedstat, nanoseconds) and the X server's CPU (/proc/PID/stat).
# Usage: bench/power.sh [seconds per run, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=build/default
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target vorthane vorthane_fake_dpms >/dev/null
saver=$PWD/$build/host/linux/vorthane
fake=$PWD/$build/tests/x11/libvorthane_fake_dpms.so
state=$(mktemp)

exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset -dpi 96 2>/dev/null & echo "pid $!")
read -r -t 20 a <&3; read -r -t 20 b <&3
for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) export DISPLAY=":$line" ;; esac; done
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$state"' EXIT
fc-cache >/dev/null 2>&1 || true

wakeups() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ n += $1 } END { printf "%d", n }'; }
server_ns() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%d", ($14 + $15) * 1e9 / hz }' "/proc/$xvfb/stat"; }

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u '+%F %H:%M')"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg); Xvfb 1920x1080x24; ${seconds} s per run"
printf "%-8s %4s %11s %12s %13s\n" display run wakeups/s "cpu %core" "xserver %core"
for power in on off; do
  for run in 1 2 3; do
    echo "$power" >"$state"
    FAKE_DPMS_FILE=$state LD_PRELOAD=$fake "$saver" /s &
    pid=$!
    sleep 3  # past start-up and the first frames
    w0=$(wakeups "$pid"); c0=$(cpu_ns "$pid"); x0=$(server_ns)
    sleep "$seconds"
    w1=$(wakeups "$pid"); c1=$(cpu_ns "$pid"); x1=$(server_ns)
    kill -TERM "$pid"; wait "$pid" || true
    awk -v p="$power" -v r="$run" -v w=$((w1 - w0)) -v c=$((c1 - c0)) -v x=$((x1 - x0)) -v s="$seconds" \
      'BEGIN { printf "%-8s %4d %11.2f %12.4f %13.3f\n", p, r, w / s, 100 * c / (s * 1e9), 100 * x / (s * 1e9) }'
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
