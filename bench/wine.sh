#!/usr/bin/env bash
# Benchmark (not a test): vorthane.scr under wine beside the Win32 floor probe
# (bench/win32_floor_probe.cpp: only the frames a saver needs) and, where it is built, beside the
# X11 program vorthane, each full-screen for the same time. Reports the CPU seconds of each
# program's own process, of wine's processes around it (wineserver, its services) and of the X
# server, and the saver's CPU as a ratio to the probe's, own process and with wine's. The
# programs under wine are measured in their steady state, after their start.
# Needs the windows build; by default it runs in the test prefix (run `ctest --preset windows`
# once to make it) on a private Xvfb at 1920x1080.
# Usage: bench/wine.sh [--prefix DIR] [--display :N] [seconds per program, default 30]
#                      [rounds under wine, default 3]
#   --prefix DIR, --display :N: as bench/wine_setup.sh says (the X server's CPU is counted
#                  where its lock file names its process)
# The X11 program's row needs the default build (build/default/host/linux/vorthane); without it
# the wine figures come alone.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/wine_setup.sh
seconds=${1:-30}
rounds=${2:-3}
x11=build/default/host/linux/vorthane
scr=${VORTHANE_SCR:-$PWD/build/windows/vorthane.scr}  # another build of it, to compare
probe=$PWD/build/windows/bench/floorprobe.exe
wine_ready "$scr" "$probe"
[ -x "$x11" ] || x11=""

xvfb=""
if [ -n "$display" ]; then
  export DISPLAY=$display
  number=${display#*:}
  lock=/tmp/.X${number%%.*}-lock  # holds the server's process id
  [ -r "$lock" ] && xvfb=$(tr -d ' \n' <"$lock")
  screen=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ && !seen { print $2; seen = 1 }' || true)
  screen="X server $display${screen:+ at $screen}"
else
  exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset -dpi 96 2>/dev/null & echo "pid $!")
  read -r -t 20 a <&3; read -r -t 20 b <&3
  for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) export DISPLAY=":$line" ;; esac; done
  screen="Xvfb 1920x1080x24"
fi
trap 'wineserver -k >/dev/null 2>&1 || true; [ -z "$display" ] && kill "$xvfb" 2>/dev/null || true' EXIT

hz=$(getconf CLK_TCK)
cpu() { awk -v hz="$hz" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Every wine process of this prefix (the server, services, programs), by the WINEPREFIX it was
# started with; this script and its helpers have it too but are not wine's.
prefix_pids() {
  for p in /proc/[0-9]*; do
    case $(cat "$p/comm" 2>/dev/null) in
      wineserver* | *.exe | vorthane.scr | floorprobe.exe | wine*) ;;
      *) continue ;;
    esac
    tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "${p#/proc/}"
  done
}
sum_cpu() { local t=0; for p in "$@"; do t=$(awk -v a="$t" -v b="$(cpu "$p")" 'BEGIN { print a + b }'); done; echo "$t"; }
sub() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }
pct() { awk -v c="$1" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * c / s }'; }
pctw() { awk -v c="$1" -v s="$seconds" -v r="$rounds" 'BEGIN { printf "%.2f", 100 * c / (s * r) }'; }
add() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }

x11_cpu=- x0=0 x1=0
if [ -n "$x11" ]; then
  x0=$(cpu "${xvfb:-0}")
  "$x11" /s &
  pid=$!
  sleep "$seconds"
  x11_cpu=$(cpu "$pid")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  x1=$(cpu "${xvfb:-0}")
fi

# wine's own start (the server and its services) before the clock starts: a warm machine.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# Runs one Windows program under wine and measures its steady state: from 5 s after its start
# (wine's start of a process, its DLLs, the program's own start-up are left out) for the given
# time. Sets own (its process's CPU), other (wine's other processes) and xs (the X server's).
run_wine() {
  local name=$1 p found="" own0 other0 x0w
  shift
  wine "$@" </dev/null >/dev/null 2>&1 &
  sleep 5
  for p in $(prefix_pids); do
    [ "$(cat "/proc/$p/comm" 2>/dev/null)" = "$name" ] && found=$p
  done
  others_of() { prefix_pids | grep -vx "${found:-0}" || true; }
  local others
  others=$(others_of)
  own0=$(cpu "${found:-0}") other0=$(sum_cpu $others) x0w=$(cpu "${xvfb:-0}")
  sleep "$seconds"
  own=$(sub "$(cpu "${found:-0}")" "$own0")
  other=$(sub "$(sum_cpu $others)" "$other0")
  xs=$(sub "$(cpu "${xvfb:-0}")" "$x0w")
  [ -n "$found" ] && kill "$found" 2>/dev/null
  sleep 1
}
# Probe and saver take turns, `rounds` times, so that a machine shared with other work weighs
# on both alike; the figures are the sums. The probe runs a little longer than it is measured,
# so that it is still there when read.
probe_cpu=0 probe_wine=0 probe_x=0 saver_cpu=0 wine_cpu=0 x_wine=0
for _ in $(seq "$rounds"); do
  run_wine floorprobe.exe "$probe" $((seconds + 10))
  probe_cpu=$(add "$probe_cpu" "$own") probe_wine=$(add "$probe_wine" "$other")
  probe_x=$(add "$probe_x" "$xs")
  run_wine vorthane.scr "$scr" /s
  saver_cpu=$(add "$saver_cpu" "$own") wine_cpu=$(add "$wine_cpu" "$other") x_wine=$(add "$x_wine" "$xs")
done
wineserver -k >/dev/null 2>&1 || true
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%F)"
echo "display: $screen; ${seconds} s per program, under wine $rounds rounds each (CPU summed)"
echo "prefix: $WINEPREFIX"
printf "%-22s %8s %7s %12s %7s %10s %7s\n" program own_s "%core" wine_other_s "%core" xserver_s "%core"
if [ -n "$x11" ]; then
  printf "%-22s %8s %7s %12s %7s %10s %7s\n" "vorthane (X11)" "$x11_cpu" "$(pct "$x11_cpu")" - - \
    "$(sub "$x1" "$x0")" "$(pct "$(sub "$x1" "$x0")")"
fi
printf "%-22s %8s %7s %12s %7s %10s %7s\n" "floor probe (wine)" "$probe_cpu" "$(pctw "$probe_cpu")" \
  "$probe_wine" "$(pctw "$probe_wine")" "$probe_x" "$(pctw "$probe_x")"
printf "%-22s %8s %7s %12s %7s %10s %7s\n" "vorthane.scr (wine)" "$saver_cpu" "$(pctw "$saver_cpu")" \
  "$wine_cpu" "$(pctw "$wine_cpu")" "$x_wine" "$(pctw "$x_wine")"
echo "vorthane.scr / floor probe: own process $(ratio "$saver_cpu" "$probe_cpu")," \
  "with wine's processes $(ratio "$(add "$saver_cpu" "$wine_cpu")" "$(add "$probe_cpu" "$probe_wine")")"
