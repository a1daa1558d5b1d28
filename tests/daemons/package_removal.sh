#!/usr/bin/env bash
# Leaves the machine as the package test found it: the vorthane that was installed before (kept
# by package_test.sh) installed again, or, if there was none, the package removed.
# Usage: package_removal.sh BUILD_DIR
set -euo pipefail
restore=$1/daemons-restore
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "SKIP: removing the package needs root or sudo"; exit 77; }
  sudo=(sudo -n)
fi
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=120)
kept=()
[ -d "$restore" ] && kept=("$restore"/vorthane_*.deb)
if [ ${#kept[@]} -gt 0 ] && [ -f "${kept[0]}" ]; then
  version=$(dpkg-deb -f "${kept[0]}" Version)
  "${apt[@]}" install --allow-downgrades --reinstall "${kept[0]}" >/dev/null
  [ "$(dpkg-query -W -f='${Version}' vorthane)" = "$version" ] ||
    { echo "FAIL: vorthane $version was not put back" >&2; exit 1; }
  rm -rf "$restore"
  echo "PASS: vorthane $version put back"
  exit 0
fi
rm -rf "$restore"
dpkg-query -W -f='${Status}' vorthane 2>/dev/null | grep "install ok installed" >/dev/null ||
  { echo "not installed"; exit 0; }
"${apt[@]}" remove --purge vorthane >/dev/null
[ ! -e /usr/libexec/xscreensaver/vorthane ] || { echo "FAIL: still installed" >&2; exit 1; }
echo "PASS: removed"
