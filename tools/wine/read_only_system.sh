#!/usr/bin/env bash
# Runs one Windows program under wine (tools/wine/run.sh) with the test prefix's System32
# read-only, as a CTest command: what a setup meets where it may not write there.
#   read_only_system.sh PROGRAM [ARGS...]
# The read-only mount lives in a mount namespace of its own, for this run only. Without one
# (neither root nor user namespaces), it says so and exits 77, which CTest counts as skipped.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../../build/windows/wineprefix}
if ! unshare -m true 2>/dev/null; then
  echo "read_only_system.sh: no mount namespace here: skipped" >&2
  exit 77
fi
# The prefix is made writable first, on its first use.
if [ ! -f "$WINEPREFIX/.vorthane-ready" ]; then
  "$here/run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
fi
system="$WINEPREFIX/drive_c/windows/system32"
exec unshare -m bash -c '
  mount --bind "$1" "$1" && mount -o remount,ro,bind "$1" || exit 77
  shift
  exec "$@"' read_only "$system" "$here/run.sh" "$@"
