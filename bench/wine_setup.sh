# Sourced by the wine benchmarks, from the checkout's top: reads their common options
#   --prefix DIR   another wine prefix (made with wineboot; without a window manager on the
#                  display, set HKCU\Software\Wine\X11 Driver\Managed to N in it)
#   --display :N   a running X server instead of a private Xvfb
# out of the positional parameters, points wine at the prefix (by default the tests' own, which
# `ctest --preset windows` makes), checks that the given files exist, and takes the prefix's
# lock (the tests use the same prefix).
prefix=$PWD/build/windows/wineprefix
display=""
while [ $# -gt 0 ]; do
  case $1 in
    --prefix) prefix=$(cd "$2" && pwd); shift 2 ;;
    --display) display=$2; shift 2 ;;
    --) shift; break ;;
    -*) echo "bench: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# wine_ready FILE...: the files and a prefix ready for use, or a line saying what is missing.
wine_ready() {
  local ready=$WINEPREFIX/system.reg
  [ "$prefix" = "$PWD/build/windows/wineprefix" ] && ready=$WINEPREFIX/.vorthane-ready
  for f in "$@" "$ready"; do
    [ -e "$f" ] || { echo "bench: $f is missing: build the windows preset and run its tests" >&2; exit 1; }
  done
  exec 9>"$WINEPREFIX.lock"
  flock 9
}
