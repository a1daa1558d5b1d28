#!/usr/bin/env bash
# Benchmark (not a test): vorthane.scr under wine beside the X11 program vorthane, on one private
# Xvfb at 1920x1080, each full-screen for the same time. Reports the CPU seconds of the saver's
# own process, of wine's processes around it (wineserver, its services) and of the X server.
# Needs both builds and the test prefix (run `ctest --preset windows` once).
# Usage: bench/wine.sh [seconds per program, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
x11=build/default/host/x11/vorthane
scr=$PWD/build/windows/vorthane.scr
export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for f in "$x11" "$scr" "$WINEPREFIX/.vorthane-ready"; do
  [ -e "$f" ] || { echo "bench: $f is missing: build both presets and run the windows tests" >&2; exit 1; }
done
exec 9>"$WINEPREFIX.lock"
flock 9  # the tests use the same prefix

exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset -dpi 96 2>/dev/null & echo "pid $!")
read -r -t 20 a <&3; read -r -t 20 b <&3
for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) export DISPLAY=":$line" ;; esac; done
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$xvfb" 2>/dev/null || true' EXIT

hz=$(getconf CLK_TCK)
cpu() { awk -v hz="$hz" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Every wine process of this prefix (the server, services, programs), by the WINEPREFIX it was
# started with; this script and its helpers have it too but are not wine's.
prefix_pids() {
  for p in /proc/[0-9]*; do
    case $(cat "$p/comm" 2>/dev/null) in
      wineserver* | *.exe | vorthane.scr | wine*) ;;
      *) continue ;;
    esac
    tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "${p#/proc/}"
  done
}
sum_cpu() { local t=0; for p in "$@"; do t=$(awk -v a="$t" -v b="$(cpu "$p")" 'BEGIN { print a + b }'); done; echo "$t"; }
sub() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a - b }'; }
pct() { awk -v c="$1" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * c / s }'; }

x0=$(cpu "$xvfb")
"$x11" /s &
pid=$!
sleep "$seconds"
x11_cpu=$(cpu "$pid")
kill "$pid"; wait "$pid" 2>/dev/null || true
x1=$(cpu "$xvfb")

# wine's own start (the server and its services) before the clock starts: a warm machine.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
before=$(prefix_pids)
wine_before=$(sum_cpu $before)
x2=$(cpu "$xvfb")
wine "$scr" /s </dev/null >/dev/null 2>&1 &
sleep "$seconds"
saver=""
for p in $(prefix_pids); do
  [ "$(cat "/proc/$p/comm" 2>/dev/null)" = vorthane.scr ] && saver=$p
done
saver_cpu=$(cpu "${saver:-0}")
others=$(prefix_pids | grep -vx "${saver:-0}" || true)
wine_cpu=$(sub "$(sum_cpu $others)" "$wine_before")
x3=$(cpu "$xvfb")
wineserver -k >/dev/null 2>&1 || true

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%F)"
echo "display: Xvfb 1920x1080x24; ${seconds} s per program"
printf "%-22s %8s %7s %12s %7s %10s %7s\n" program own_s "%core" wine_other_s "%core" xserver_s "%core"
printf "%-22s %8s %7s %12s %7s %10s %7s\n" "vorthane (X11)" "$x11_cpu" "$(pct "$x11_cpu")" - - \
  "$(sub "$x1" "$x0")" "$(pct "$(sub "$x1" "$x0")")"
printf "%-22s %8s %7s %12s %7s %10s %7s\n" "vorthane.scr (wine)" "$saver_cpu" "$(pct "$saver_cpu")" \
  "$wine_cpu" "$(pct "$wine_cpu")" "$(sub "$x3" "$x2")" "$(pct "$(sub "$x3" "$x2")")"
