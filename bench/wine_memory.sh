#!/usr/bin/env bash
# Benchmark (not a test): the memory of vorthane.scr /s under wine on one private Xvfb monitor
# at 1280x1024 and then at 3840x2160. Reads /proc of the saver's process after it has run a few
# seconds: resident in all, its anonymous pages (the program's heap and its own bitmaps, wine's
# heaps), file pages (the program and wine's DLLs) and shared memory (wine's window surface,
# shared with the X server), and the X server's resident memory.
# Needs the windows build and the test prefix (run `ctest --preset windows` once).
# Usage: [VORTHANE_SCR=other.scr] bench/wine_memory.sh [seconds per size, default 8]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-8}
scr=${VORTHANE_SCR:-$PWD/build/windows/vorthane.scr}  # another build to compare with
export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for f in "$scr" "$WINEPREFIX/.vorthane-ready"; do
  [ -e "$f" ] || { echo "bench: $f is missing: build the windows preset and run its tests" >&2; exit 1; }
done
exec 9>"$WINEPREFIX.lock"
flock 9 # the tests use the same prefix

kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }
saver_pid() {
  for p in /proc/[0-9]*; do
    [ "$(cat "$p/comm" 2>/dev/null)" = vorthane.scr ] || continue
    tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "${p#/proc/}"
  done | head -n1
}

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(date -u +%F)"
printf "%-10s %10s %10s %10s %10s %12s\n" screen resident anonymous files shared xserver
for size in 1280x1024 3840x2160; do
  exec 3< <(Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp -noreset -dpi 96 2>/dev/null &
    echo "pid $!")
  read -r -t 20 a <&3
  read -r -t 20 b <&3
  for line in "$a" "$b"; do case $line in pid\ *) xvfb=${line#pid } ;; *) export DISPLAY=":$line" ;; esac; done
  wineserver -p </dev/null >/dev/null 2>&1
  wine "$scr" /s </dev/null >/dev/null 2>&1 &
  sleep "$seconds"
  pid=$(saver_pid)
  [ -n "$pid" ] || { echo "bench: the saver did not run at $size" >&2; exit 1; }
  printf "%-10s %7s kB %7s kB %7s kB %7s kB %9s kB\n" "$size" "$(kb "$pid" VmRSS)" \
    "$(kb "$pid" RssAnon)" "$(kb "$pid" RssFile)" "$(kb "$pid" RssShmem)" "$(kb "$xvfb" VmRSS)"
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
done
