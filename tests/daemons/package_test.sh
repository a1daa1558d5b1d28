#!/usr/bin/env bash
# The Debian package built from this build tree: its version, the same bytes from a second
# build, its files, their validity, lintian, the hardening and the dependencies; then an earlier
# build installed and upgraded to this one in the machine for the daemon tests (as
# root, or through sudo; skipped otherwise). Whatever vorthane was installed before is kept
# for package_removal.sh to put back.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "SKIP: installing the package needs root or sudo"; exit 77; }
  sudo=(sudo -n)
fi

cd "$build"
rm -f vorthane_*.deb
cpack -G DEB > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=(vorthane_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no package: ${debs[*]}"
deb=$PWD/${debs[0]}

# The version comes from the project's and the commit's time; a second build of the same
# commit gives the same bytes.
version=$(dpkg-deb -f "$deb" Version)
[[ $version =~ ^1\.00\+[0-9]{14}-1$ ]] || fail "version $version is not 1.00+<commit time>-1"
cp "$deb" "$work/first.deb"
rm -f host/linux/vorthane "$deb"
cmake --build . --target vorthane > "$work/build.log" 2>&1 || { cat "$work/build.log" >&2; fail "rebuild failed"; }
cpack -G DEB > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
cmp -s "$work/first.deb" "$deb" || fail "two builds of one commit differ"
# A package of an earlier build, to be upgraded below.
SOURCE_DATE_EPOCH=1000000000 cpack -G DEB -B "$work/earlier" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack of an earlier build failed"; }
earlier=("$work"/earlier/vorthane_1.00+20010909*_*.deb)
[ -f "${earlier[0]}" ] || fail "no earlier package: $(ls "$work/earlier")"

# The files, where every daemon and settings dialog looks for them.
dpkg-deb -x "$deb" "$work/root"
for path in usr/libexec/xscreensaver/vorthane usr/share/xscreensaver/config/vorthane.xml \
  usr/share/applications/screensavers/vorthane.desktop usr/share/applications/vorthane.desktop \
  usr/share/man/man6/vorthane.6x.gz usr/share/vorthane/vorthane-idle-watch.desktop \
  usr/share/doc/vorthane/copyright usr/share/doc/vorthane/changelog.Debian.gz; do
  [ -f "$work/root/$path" ] || fail "missing /$path"
done
changelog_top=$(zcat "$work/root/usr/share/doc/vorthane/changelog.Debian.gz" | head -1)
[[ $changelog_top == "vorthane ($version) "* ]] ||
  fail "changelog.Debian's entry is not the package's version $version: $changelog_top"
xmllint --noout "$work/root/usr/share/xscreensaver/config/vorthane.xml" || fail "invalid settings file"
grep -q '<_description>' "$work/root/usr/share/xscreensaver/config/vorthane.xml" ||
  fail "the settings file has no description"
for entry in applications/screensavers/vorthane.desktop applications/vorthane.desktop \
  vorthane/vorthane-idle-watch.desktop; do
  desktop-file-validate "$work/root/usr/share/$entry" || fail "invalid desktop entry $entry"
done
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l \
  "$work/root/usr/share/man/man6/vorthane.6x.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "the manual page has warnings: $man_warnings"

# Stripped and hardened.
binary=$work/root/usr/libexec/xscreensaver/vorthane
file "$binary" | grep ', stripped' >/dev/null || fail "not stripped: $(file "$binary")"
readelf -d "$binary" | grep 'FLAGS.*BIND_NOW' >/dev/null || fail "not linked with -z now"
readelf -l "$binary" | grep 'GNU_RELRO' >/dev/null || fail "no read-only relocations"
readelf -h "$binary" | grep 'DYN (Position-Independent Executable' >/dev/null || fail "not PIE"
readelf -s --wide "$binary" | grep '__[a-z_]*_chk@' >/dev/null || fail "no fortified libc calls"

# Dependencies from the shared libraries, plus the font.
depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-linuxlibertine libc6 libx11-6 libxft2 libfontconfig1 libstdc++6; do
  echo "$depends" | grep "\\b$dep\\b" >/dev/null || fail "Depends lacks $dep: $depends"
done

# lintian: nothing beyond the note that a first upload closes no bug.
lintian --fail-on none "$deb" > "$work/lintian.txt" 2>&1 || true
cat "$work/lintian.txt"
if grep -E '^[EW]: ' "$work/lintian.txt" | grep -v 'initial-upload-closes-no-bugs'; then
  fail "lintian reports the lines above"
fi

# What was installed before is kept, rebuilt from its installed files, for the removal test to
# put back (nothing kept: it removes the package).
restore=$build/daemons-restore
if [ ! -d "$restore" ]; then
  mkdir -p "$restore.new"
  if dpkg-query -W -f='${Status}' vorthane 2>/dev/null | grep -q "install ok installed"; then
    (cd "$restore.new" && "${sudo[@]}" dpkg-repack vorthane > "$work/repack.log" 2>&1) ||
      { cat "$work/repack.log" >&2; rm -rf "$restore.new"; fail "cannot keep the installed vorthane"; }
  fi
  mv "$restore.new" "$restore"
fi

# The earlier build first; then this one installs over it as an upgrade, with no --reinstall.
apt_install() {
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    -o DPkg::Lock::Timeout=120 "$@" > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get install $* failed"; }
}
apt_install --allow-downgrades "${earlier[0]}"
apt_install "$deb"
dpkg-query -W -f='${Status}' vorthane | grep "install ok installed" >/dev/null || fail "not installed"
[ "$(dpkg-query -W -f='${Version}' vorthane)" = "$version" ] ||
  fail "the upgrade left version $(dpkg-query -W -f='${Version}' vorthane) installed"
cmp -s "$binary" /usr/libexec/xscreensaver/vorthane || fail "the installed program is another one"
echo "PASS: $(basename "$deb") built, lintian clean, installed"
