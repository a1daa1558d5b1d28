#!/usr/bin/env bash
# Benchmark (not a test): on one private headless sway (pixman renderer, one 1920x1080 output,
# run by an unprivileged user as the wayland tests do), runs vorthane full-screen (on Wayland) and
# the Wayland floor probe (exactly the frames a saver needs and nothing else) for the same time
# each, and reports each one's CPU, the compositor's CPU while it ran, the resident memory and
# how much of it is the program's own, its wake-ups a second, with the ratios to the probe. Then
# the median exec to first frame over 20 starts: from just before exec until the saver commits
# its first buffer (read from WAYLAND_DEBUG's time stamps, so the debug output's own cost is
# included).
# Usage: bench/wayland.sh [seconds per program, default 30] [starts, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
starts=${2:-20}
build=$PWD/build/default
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target vorthane vorthane_wayland_floor_probe \
  vorthane_wayland_screen_check vorthane_wayland_virtual_pointer >/dev/null
source tests/wayland/lib.sh "$build/host/linux/vorthane" \
  "$build/tests/wayland/vorthane_wayland_screen_check" \
  "$build/tests/wayland/vorthane_wayland_virtual_pointer"
floor=$build/bench/vorthane_wayland_floor_probe
fc-cache >/dev/null 2>&1 || true
wl_start_sway 1
sleep 1

hz=$(getconf CLK_TCK)
cpu_of() { awk -v hz="$hz" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$1/stat"; }
# Resident kB in all, in mappings that are not shared libraries, and of those in the buffers
# shared with the compositor (memfd).
memory_of() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { lib = ($6 ~ /\.so/); shm = ($6 ~ /^\/memfd:/) }
       /^Rss:/ { all += $2; if (!lib) own += $2; if (shm) shared += $2 }
       END { printf "%d %d %d", all, own, shared }' "/proc/$1/smaps"
}
# Times the process went to sleep and was woken (voluntary context switches).
wakeups_of() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$1/status"; }
sub() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
# Runs a program for the given seconds; prints its CPU and the compositor's over the whole run
# and over the steady state (from the second second on), then resident, own and shared kB.
measure() {
  local c0 c1 c2 s0 s1 s2 w1 w2 mem
  wl_start measured "$@"
  local pid=$WL_LAST
  s0=$(cpu_of "$WL_SWAY_PID")
  c0=0
  sleep 2
  c1=$(cpu_of "$pid")
  s1=$(cpu_of "$WL_SWAY_PID")
  w1=$(wakeups_of "$pid")
  sleep "$((seconds - 2))"
  c2=$(cpu_of "$pid")
  s2=$(cpu_of "$WL_SWAY_PID")
  w2=$(wakeups_of "$pid")
  mem=$(memory_of "$pid")
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$(sub "$c0" "$c2") $(sub "$s0" "$s2") $(sub "$c1" "$c2") $(sub "$s1" "$s2") $mem" \
    "$(awk -v a="$w1" -v b="$w2" -v t="$((seconds - 2))" 'BEGIN { printf "%.1f", (b - a) / t }')"
}
read -r scpu ssway ssteady sswaysteady srss sown sshared swake <<<"$(measure "$WL_SAVER" /s)"
read -r fcpu fsway fsteady fswaysteady frss fown fshared fwake <<<"$(measure "$floor" "$((seconds + 5))")"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%F)"
echo "compositor: headless sway $(sway --version | awk '{ print $3 }'), pixman, one 1920x1080 output; ${seconds} s per program"
echo "steady state: from 2 s after the start to the end"
format="%-9s %6s %6s %10s %6s %7s %6s %10s %6s %7s %7s %7s %8s\n"
printf "$format" program cpu_s /floor compositor /floor steady /floor compositor /floor rss_kb own_kb shm_kb wakeup/s
printf "$format" vorthane "$scpu" "$(ratio "$scpu" "$fcpu")" "$ssway" "$(ratio "$ssway" "$fsway")" \
  "$ssteady" "$(ratio "$ssteady" "$fsteady")" "$sswaysteady" "$(ratio "$sswaysteady" "$fswaysteady")" \
  "$srss" "$sown" "$sshared" "$swake"
printf "$format" floor "$fcpu" 1.00 "$fsway" 1.00 "$fsteady" 1.00 "$fswaysteady" 1.00 "$frss" "$fown" "$fshared" "$fwake"

# Exec to first frame: the first buffer committed, from WAYLAND_DEBUG's stamps (microseconds of
# the real-time clock, kept to 32 bits).
firsts=()
for _ in $(seq "$starts"); do
  t0=$(date +%s%6N)
  wl_start first env WAYLAND_DEBUG=client "$WL_SAVER" /s
  pid=$WL_LAST
  wl_wait_for 10 grep -q 'wl_surface@[0-9]*\.attach(wl_buffer' "$WL_DIR/out/first.err" || fail "no first frame"
  sleep 0.2
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
  t1=$(awk '/wl_surface@[0-9]+\.attach\(wl_buffer/ { attached = 1 }
            attached && /wl_surface@[0-9]+\.commit\(\)/ { sub(/^\[ */, ""); sub(/\].*/, ""); print; exit }' \
       "$WL_DIR/out/first.err")
  firsts+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { m = 4294967296; d = (b * 1000 - a % m + m) % m; printf "%.1f", d / 1000 }')")
done
printf '%s\n' "${firsts[@]}" | sort -n | awk -v n="$starts" '
  { v[NR] = $1 }
  END { m = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2;
        printf "exec to first frame over %d starts: median %.1f ms (%.1f-%.1f)\n", n, m, v[1], v[n] }'
