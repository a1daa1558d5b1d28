#!/usr/bin/env bash
# The RPM package built from this build tree (`cpack -G RPM`, which runs rpmbuild), looked at
# without installing it: its file name, version and metadata, its dependencies, its files and
# folders, the same bytes from a second build, and rpmlint.
# Usage: rpm_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1
build=$2
. "$(dirname "$0")/lib.sh" "$source"
command -v rpmbuild >/dev/null || { echo "SKIP: rpmbuild is not installed (package rpm)"; exit 77; }
unset SOURCE_DATE_EPOCH

build_rpm() {
  (cd "$build" && cpack -G RPM -B "$1") > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack -G RPM failed"; }
  local rpms=("$1"/*.rpm)
  if [ ${#rpms[@]} -ne 1 ] || [ ! -f "${rpms[0]}" ]; then fail "not one package: ${rpms[*]}"; fi
  echo "${rpms[0]}"
}
rpm=$(build_rpm "$work/first")
query() { rpm -qp --qf "$1" "$rpm"; }

# Named as rpmbuild names packages, with the Debian package's version and release.
version=$(snapshot_version "$source")
[ "$(basename "$rpm")" = "vorthane-$version-1.$(uname -m).rpm" ] ||
  fail "file name $(basename "$rpm"), not vorthane-$version-1.$(uname -m).rpm"
[ "$(basename "$rpm")" = "$(query '%{NAME}-%{VERSION}-%{RELEASE}.%{ARCH}.rpm')" ] ||
  fail "the file name is not the package's name-version-release.arch"

# The licence says what the copyright file says.
licence=$(sed -n 's/^License: *//p' "$source/packaging/copyright" | sort -u)
[ "$(wc -l <<<"$licence")" -eq 1 ] || fail "the copyright file names several licences: $licence"
while read -r tag expected; do
  actual=$(query "%{$tag}")
  [ "$actual" = "$expected" ] || fail "$tag is '$actual', not '$expected'"
done <<EOT
NAME vorthane
VERSION $version
RELEASE 1
ARCH $(uname -m)
LICENSE LicenseRef-$licence
GROUP Amusements/Graphics
SUMMARY Screen saver with a banner and sliding captions
EOT
[ -z "$(query '[%{PREFIXES}]')" ] || fail "the package is relocatable: $(query '[%{PREFIXES} ]')"
query '%{DESCRIPTION}' | grep -q 'caption lines that slide down' || fail "no description"

# The font, and every library the program links, as rpmbuild found them.
mkdir "$work/root"
bsdtar -xf "$rpm" -C "$work/root"
# The program and the copyright where this build tree puts them.
cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
saver=/usr/$(cached VORTHANE_SAVER_DIR)/vorthane
copyright=/usr/$(cached VORTHANE_COPYRIGHT_DIR)/copyright
requires=$(rpm -qp --requires "$rpm")
grep -qx 'linux-libertine-fonts' <<<"$requires" || fail "no font required: $requires"
for library in $(needed_libraries "$work/root$saver"); do
  grep -q "^$library(" <<<"$requires" || fail "$library is not required: $requires"
done

# Only its own files and folders: none of the file system's, no Debian changelog.
same_files "rpm -qlp" "$(cat <<EOT
$(dirname "$saver")
$saver
/usr/share/applications/screensavers
/usr/share/applications/screensavers/vorthane.desktop
/usr/share/applications/vorthane.desktop
$(dirname "$copyright")
$copyright
/usr/share/man/man6/vorthane.6x.gz
/usr/share/vorthane
/usr/share/vorthane/vorthane-idle-watch.desktop
/usr/share/xscreensaver
/usr/share/xscreensaver/config
/usr/share/xscreensaver/config/vorthane.xml
EOT
)" "$(rpm -qlp "$rpm")"
rpm -qp --qf '[%{FILEFLAGS:fflags} %{FILENAMES}\n]' "$rpm" |
  grep -qE "^[a-z]*l[a-z]* $copyright\$" || fail "the copyright is not marked as the licence"
check_saver_tree "$work/root" "$saver" "$copyright"

# A second build of the same commit gives the same bytes.
second=$(build_rpm "$work/second")
cmp -s "$rpm" "$second" || fail "two builds of one commit differ"
# A package of an earlier commit is older to rpm, so this one upgrades it.
earlier=$(SOURCE_DATE_EPOCH=1000000000 build_rpm "$work/earlier")
earlier_version=$(rpm -qp --qf '%{VERSION}-%{RELEASE}' "$earlier")
[ "$earlier_version" = "${version%%+*}+20010909014640-1" ] || fail "the earlier build is $earlier_version"
[ "$(rpm --eval "%{lua: print(rpm.vercmp('$version-1', '$earlier_version'))}")" = 1 ] ||
  fail "$version-1 is not newer than $earlier_version to rpm"

# rpmlint, where it runs, with Fedora's conventions: nothing but what a build from a checkout
# cannot have. There is no public home page to name yet; a package is signed by whoever
# publishes it; and Debian's rpmlint knows no licence at all (its list of valid ones is empty).
if command -v rpmlint >/dev/null; then
  rpmlint -c "$(dirname "$0")/rpmlint.toml" "$rpm" > "$work/rpmlint.txt" 2>&1 || true
  cat "$work/rpmlint.txt"
  grep -q ' packages and 0 specfiles checked' "$work/rpmlint.txt" || fail "rpmlint did not run"
  grep -E '^[^ ]+: [EW]: ' "$work/rpmlint.txt" |
    grep -vE ': (W: no-url-tag|E: no-signature|W: invalid-license LicenseRef-)' &&
    fail "rpmlint reports the lines above"
fi
echo "PASS: $(basename "$rpm"), $(stat -c %s "$rpm") bytes"
