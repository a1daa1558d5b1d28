#!/usr/bin/env bash
# Benchmark (not a test): on one private Xvfb at 1920x1080, runs vorthane full-screen, the floor
# probe (exactly the frames a saver needs and nothing else) and Debian's "deco -root" hack for the
# same time each, and reports each one's CPU and the X server's CPU while it ran, the resident
# memory and how much of it is the program's own, exec to first frame and input to exit, with
# the ratios to the floor probe. Then the median exec to first frame over 20 short starts.
# Usage: bench/run.sh [seconds per program, default 30] [starts, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
starts=${2:-20}
build=build/default
hack=/usr/libexec/xscreensaver/deco
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target vorthane vorthane_x11_probe vorthane_floor_probe >/dev/null
[ -x "$hack" ] || { echo "bench: $hack is missing (install xscreensaver-data)" >&2; exit 1; }
probe=$build/tests/x11/vorthane_x11_probe
floor=$PWD/$build/bench/vorthane_floor_probe
saver=$PWD/$build/host/linux/vorthane

exec 3< <(Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -noreset -dpi 96 2>/dev/null & echo "pid $!")
read -r -t 20 a <&3; read -r -t 20 b <&3
for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) export DISPLAY=":$line" ;; esac; done
trap 'kill "$xvfb" 2>/dev/null || true' EXIT

# CPU seconds the X server has used so far (utime + stime from /proc).
server_cpu() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$xvfb/stat"; }
# Warm the font cache, as a machine that has run anything with fonts has.
fc-cache >/dev/null 2>&1 || true

x0=$(server_cpu)
saverline=$("$probe" bench-saver "$seconds" "$saver" /s)
x1=$(server_cpu)
floorline=$("$probe" bench-hack "$seconds" "$floor" "$((seconds + 5))")
x2=$(server_cpu)
hackline=$("$probe" bench-hack "$seconds" "$hack" -root)
x3=$(server_cpu)

val() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }
sub() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
pct() { awk -v c="$1" -v s="$seconds" 'BEGIN { printf "%.3f", 100 * c / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
sx=$(sub "$x0" "$x1"); fx=$(sub "$x1" "$x2"); hx=$(sub "$x2" "$x3")
fcpu=$(val cpu_s "$floorline")

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%F)"
echo "display: Xvfb 1920x1080x24; ${seconds} s per program"
format="%-10s %7s %7s %7s %9s %7s %7s %8s %8s %8s %8s %8s\n"
printf "$format" program cpu_s "%core" "/floor" xserver_s "%core" "/floor" rss_kb own_kb peak_kb first_ms exit_ms
row() { # name line xserver
  local cpu; cpu=$(val cpu_s "$2")
  printf "$format" "$1" "$cpu" "$(pct "$cpu")" "$(ratio "$cpu" "$fcpu")" "$3" "$(pct "$3")" \
    "$(ratio "$3" "$fx")" "$(val rss_kb "$2")" "$(val own_kb "$2")" "$(val peak_rss_kb "$2")" \
    "$(val first_frame_ms "$2" | grep . || echo -)" "$(val input_to_exit_ms "$2" | grep . || echo -)"
}
row vorthane "$saverline" "$sx"
row floor "$floorline" "$fx"
row deco "$hackline" "$hx"

# Short runs: exec to first frame, and what starting costs the saver and the X server, so that
# the steady state can be told from start-up in the long run above.
firsts=(); starts_cpu=0
s0=$(server_cpu)
for _ in $(seq "$starts"); do
  line=$("$probe" bench-saver 1 "$saver" /s)
  firsts+=("$(val first_frame_ms "$line")")
  starts_cpu=$(awk -v a="$starts_cpu" -v b="$(val cpu_s "$line")" 'BEGIN { printf "%.3f", a + b }')
done
s1=$(server_cpu)
printf '%s\n' "${firsts[@]}" | sort -n | awk -v n="$starts" '
  { v[NR] = $1 }
  END { m = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2;
        printf "exec to first frame over %d starts: median %.1f ms (%.1f-%.1f)\n", n, m, v[1], v[n] }'
# A 1 s run is start-up plus one second of frames; the long run's cost beyond it is steady state.
awk -v runs="$starts" -v own="$starts_cpu" -v xs="$(sub "$s0" "$s1")" -v cpu="$(val cpu_s "$saverline")" \
    -v x="$sx" -v fcpu="$fcpu" -v fx="$fx" -v s="$seconds" 'BEGIN {
  so = (cpu - own / runs) / (s - 1); sx = (x - xs / runs) / (s - 1);
  printf "start-up (a 1 s run): saver %.1f ms of CPU, X server %.1f ms\n", 1000 * own / runs, 1000 * xs / runs
  printf "steady state: saver %.3f%% of a core (%.2f of the floor), X server %.3f%% (%.2f of the floor)\n",
         100 * so, so / (fcpu / s), 100 * sx, sx / (fx / s) }'
