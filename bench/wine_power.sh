#!/usr/bin/env bash
# Benchmark (not a test): the Windows saver under wine with the display on and with it off.
# bench/win32_power_bench.cpp runs the saver full-screen in its own process and tells it, as
# Windows would, that the display went off and later came on; it writes a line as each phase
# starts and ends, and this script reads the process's counters in /proc right then:
#   wake-ups a second: voluntary + involuntary context switches of all the process's threads
#     (/proc/PID/task/*/status), and of its main thread alone, where the saver's loop runs;
#   own CPU: utime + stime of /proc/PID/stat (in ticks of 1/CLK_TCK s), and the threads' run
#     time from /proc/PID/task/*/schedstat (nanoseconds, for the small figures);
#   wineserver's run time over the same phase.
# Needs the windows build; by default it runs in the test prefix (run `ctest --preset windows`
# once to make it) on a private Xvfb at 1920x1080.
# Usage: bench/wine_power.sh [--prefix DIR] [--display :N] [seconds per phase, default 20]
#                            [runs, default 3]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/wine_setup.sh
seconds=${1:-20}
runs=${2:-3}
bench=$PWD/build/windows/bench/powerbench.exe
wine_ready "$bench"

work=$(mktemp -d /tmp/vorthane-power.XXXXXX)
xvfb=""
if [ -n "$display" ]; then
  export DISPLAY=$display
  screen="X server $display"
else
  exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset -dpi 96 2>/dev/null & echo "pid $!")
  read -r -t 20 a <&3; read -r -t 20 b <&3
  for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) export DISPLAY=":$line" ;; esac; done
  screen="Xvfb 1920x1080x24"
fi
trap 'wineserver -k >/dev/null 2>&1 || true; [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

# wine's own start (the server and its services) before the first run: a warm machine.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# The Linux process of a wine program of this prefix, by its name (wine's server: wineserver64).
pid_of() {
  for p in /proc/[0-9]*; do
    [ "$(cat "$p/comm" 2>/dev/null)" = "$1" ] || continue
    tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "${p#/proc/}"
  done | head -n1
}
# "time_ns switches main_switches ticks run_ns server_run_ns" of a process, now (one awk, so
# that the reading itself takes little time on a busy machine).
sample() {
  local now=${EPOCHREALTIME/./}
  awk -v now="${now}000" -v main="/proc/$1/task/$1/status" -v stat="/proc/$1/stat" '
    /^(non)?voluntary_ctxt_switches/ { n += $2; if (FILENAME == main) m += $2; next }
    FILENAME == stat { ticks = $14 + $15; next }
    FILENAME ~ /^\/proc\/'"$1"'\/.*schedstat$/ { ns += $1; next }
    FILENAME ~ /schedstat$/ { server += $1 }
    END { printf "%s %d %d %d %d %d\n", now, n, m, ticks, ns, server }' \
    /proc/"$1"/task/*/status /proc/"$1"/stat /proc/"$1"/task/*/schedstat \
    ${2:+/proc/"$2"/task/*/schedstat}
}
hz=$(getconf CLK_TCK)
# One phase's row from the samples at its start and end.
row() {
  awk -v run="$1" -v phase="$2" -v hz="$hz" -v a="$3" -v b="$4" 'BEGIN {
    split(a, x, " "); split(b, y, " "); s = (y[1] - x[1]) / 1e9
    printf "%-4s %-7s %6.1f %12.2f %12.2f %9.0f %10.2f %7.3f %12.2f\n", run, phase, s,
      (y[2] - x[2]) / s, (y[3] - x[3]) / s, 1000 * (y[4] - x[4]) / hz, (y[5] - x[5]) / 1e6,
      100 * (y[5] - x[5]) / 1e9 / s, (y[6] - x[6]) / 1e6 }'
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
rows=()
for run in $(seq "$runs"); do
  mkfifo "$work/phases"
  wine "$bench" "$seconds" "$seconds" </dev/null >"$work/phases" 2>"$work/stderr" &
  wine_pid=$!
  exec 4<"$work/phases"
  pid="" server="" seen0="" seen1="" unseen0="" unseen1=""
  while read -r -t $((seconds + 60)) line <&4; do
    line=${line%$'\r'}
    case $line in
      ready)
        pid=$(pid_of powerbench.exe)
        server=$(pid_of wineserver64 || true)
        [ -n "$pid" ] || { echo "bench: the bench's process was not found" >&2; exit 1; }
        ;;
      seen) seen0=$(sample "$pid" "$server") ;;
      off) seen1=$(sample "$pid" "$server") ;;
      unseen) unseen0=$(sample "$pid" "$server") ;;
      on) unseen1=$(sample "$pid" "$server"); break ;;
    esac
  done
  exec 4<&-
  wait "$wine_pid" || { echo "bench: run $run failed: $(cat "$work/stderr")" >&2; exit 1; }
  rm -f "$work/phases"
  [ -n "$unseen1" ] || { echo "bench: run $run ended early: $(cat "$work/stderr")" >&2; exit 1; }
  rows+=("$(row "$run" seen "$seen0" "$seen1")" "$(row "$run" unseen "$unseen0" "$unseen1")")
done

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%F)"
echo "load average (1, 5, 15 min): $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after"
echo "display: $screen; $seconds s a phase, $runs runs; the saver full-screen in powerbench.exe"
printf "%-4s %-7s %6s %12s %12s %9s %10s %7s %12s\n" run phase s wakeups/s main_wake/s \
  cpu_ms cpu_run_ms "%core" wineserver_ms
printf "%s\n" "${rows[@]}"
