# The test prefix shared by the wine launchers (run.sh, two_monitors.sh); sourced, not run.
# WINEPREFIX, else build/windows/wineprefix next to this build; one program at a time in it.

wine_prefix_lock() {
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  export WINEPREFIX=${WINEPREFIX:-$here/../../build/windows/wineprefix}
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  exec 9>"$WINEPREFIX.lock"
  flock 9
}

# Starts the prefix's wineserver (DISPLAY set), makes the prefix on its first use and gives it
# this many dots per inch.
wine_prefix_prepare() {
  local dpi=$1
  wineserver -p </dev/null >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/.vorthane-ready" ]; then
    timeout 120 wine wineboot -i </dev/null >/dev/null 2>&1
    # Without a window manager, managed windows close late and never cover the screen.
    timeout 30 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
      </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.vorthane-ready"
  fi
  if [ "$(cat "$WINEPREFIX/.vorthane-dpi" 2>/dev/null)" != "$dpi" ]; then
    timeout 30 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      </dev/null >/dev/null 2>&1
    echo "$dpi" >"$WINEPREFIX/.vorthane-dpi"
  fi
}
