#!/usr/bin/env bash
# Takes the package the tests installed off the machine again.
set -euo pipefail
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "SKIP: removing the package needs root or sudo"; exit 77; }
  sudo=(sudo -n)
fi
dpkg-query -W -f='${Status}' vorthane 2>/dev/null | grep "install ok installed" >/dev/null ||
  { echo "not installed"; exit 0; }
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq -o DPkg::Lock::Timeout=120 --purge vorthane >/dev/null
[ ! -e /usr/libexec/xscreensaver/vorthane ] || { echo "FAIL: still installed" >&2; exit 1; }
echo "PASS: removed"
