#!/usr/bin/env bash
# Benchmark (not a test): on one private Xvfb at 1920x1080, runs vorthane full-screen and then
# Debian's "deco -root" hack for the same time each, and reports the CPU seconds of each
# program and of the X server while it ran, peak RSS, exec to first frame and input to exit.
# Usage: bench/run.sh [seconds per program, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build/default
hack=/usr/libexec/xscreensaver/deco
[ -x "$build/host/x11/vorthane" ] && [ -x "$build/tests/x11/vorthane_x11_probe" ] || {
  cmake --preset default >/dev/null && cmake --build --preset default -j"$(nproc)" >/dev/null
}
[ -x "$hack" ] || { echo "bench: $hack is missing (install xscreensaver-data)" >&2; exit 1; }
probe=$build/tests/x11/vorthane_x11_probe

exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset -dpi 96 2>/dev/null & echo "pid $!")
read -r -t 20 a <&3; read -r -t 20 b <&3
for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) export DISPLAY=":$line" ;; esac; done
trap 'kill "$xvfb" 2>/dev/null || true' EXIT

# CPU seconds the X server has used so far (utime + stime from /proc).
server_cpu() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$xvfb/stat"; }
# Warm the font cache, as a machine that has run anything with fonts has.
fc-cache >/dev/null 2>&1 || true

x0=$(server_cpu)
saver=$("$probe" bench-saver "$seconds" "$PWD/$build/host/x11/vorthane" /s)
x1=$(server_cpu)
hackline=$("$probe" bench-hack "$seconds" "$hack" -root)
x2=$(server_cpu)

val() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }
pct() { awk -v c="$1" -v s="$seconds" 'BEGIN { printf "%.3f", 100 * c / s }'; }
sx=$(awk -v a="$x0" -v b="$x1" 'BEGIN { printf "%.3f", b - a }')
hx=$(awk -v a="$x1" -v b="$x2" 'BEGIN { printf "%.3f", b - a }')
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%F)"
echo "display: Xvfb 1920x1080x24; ${seconds} s per program"
printf "%-10s %10s %8s %10s %8s %12s %16s %16s\n" program cpu_s "%core" xserver_s "%core" peak_rss_kb first_frame_ms input_to_exit_ms
printf "%-10s %10s %8s %10s %8s %12s %16s %16s\n" vorthane "$(val cpu_s "$saver")" "$(pct "$(val cpu_s "$saver")")" \
  "$sx" "$(pct "$sx")" "$(val peak_rss_kb "$saver")" "$(val first_frame_ms "$saver")" "$(val input_to_exit_ms "$saver")"
printf "%-10s %10s %8s %10s %8s %12s %16s %16s\n" "deco" "$(val cpu_s "$hackline")" "$(pct "$(val cpu_s "$hackline")")" \
  "$hx" "$(pct "$hx")" "$(val peak_rss_kb "$hackline")" "-" "-"
