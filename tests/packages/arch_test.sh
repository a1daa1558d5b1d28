#!/usr/bin/env bash
# The Arch Linux package that packaging/arch/PKGBUILD builds, from a release tarball of the
# last commit (`tarball`) or from the checkout as it stands (`checkout`), built with makepkg as
# an unprivileged user and looked at without installing it: its file name, metadata, that its
# dependencies are what the program links, its files, and makepkg's own checks.
# Usage: arch_test.sh SOURCE_DIR tarball|checkout
set -euo pipefail
source=$1
mode=$2
. "$(dirname "$0")/lib.sh" "$source"
for tool in makepkg bsdtar fakeroot; do
  command -v $tool >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
unset SOURCE_DATE_EPOCH

# The Arch packages that give each library the program may link.
arch_package_of() {
  case $1 in
    libc.so.* | libm.so.*) echo glibc ;;
    libstdc++.so.* | libgcc_s.so.*) echo gcc-libs ;;
    libX11.so.* | libX11-xcb.so.*) echo libx11 ;;
    libxcb.so.* | libxcb-render.so.*) echo libxcb ;;
    libXft.so.*) echo libxft ;;
    libXext.so.*) echo libxext ;;
    libXrender.so.*) echo libxrender ;;
    libXrandr.so.*) echo libxrandr ;;
    libfontconfig.so.*) echo fontconfig ;;
    libfreetype.so.*) echo freetype2 ;;
    libwayland-client.so.*) echo wayland ;;
    libxkbcommon.so.*) echo libxkbcommon ;;
    libpixman-1.so.*) echo pixman ;;
    libsystemd.so.*) echo systemd-libs ;;
    *) fail "which Arch package gives $1? (add it to this table and to the PKGBUILD)" ;;
  esac
}

mkdir -p "$work/recipe" "$work/out" "$work/build"
settings=(HOME="$work" BUILDDIR="$work/build" PKGDEST="$work/out" SRCDEST="$work/recipe"
  MAKEFLAGS=-j2 PATH="$PATH" LANG=C.UTF-8)
case $mode in
  tarball)
    version=$(git -C "$source" show HEAD:CMakeLists.txt |
      sed -n 's/^project(vorthane VERSION \([0-9.]*\).*/\1/p')
    # The release's PKGBUILD and tarball: both of the last commit.
    git -C "$source" show HEAD:packaging/arch/PKGBUILD > "$work/recipe/PKGBUILD"
    git -C "$source" archive --prefix="vorthane-$version/" -o "$work/recipe/vorthane-$version.tar.gz" HEAD
    ;;
  checkout)
    version=$(snapshot_version "$source")
    cp "$source/packaging/arch/PKGBUILD" "$work/recipe/"
    # The checkout belongs to another user than the one building.
    settings+=(VORTHANE_CHECKOUT="$source" GIT_CONFIG_COUNT=1 GIT_CONFIG_KEY_0=safe.directory
      GIT_CONFIG_VALUE_0="*")
    ;;
  *) fail "unknown mode $mode" ;;
esac

# makepkg refuses to run as root: as root, build as nobody.
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody "$work"
  run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
# --nodeps: this machine has no pacman database to check the dependencies against.
(cd "$work/recipe" && "${run_as[@]}" env -i "${settings[@]}" makepkg --nodeps --noconfirm \
  --noprogressbar) > "$work/makepkg.log" 2>&1 || { tail -40 "$work/makepkg.log" >&2; fail "makepkg failed"; }
# makepkg's own checks of the package (references to the build folders, for one) warn; the
# dependency check it was told to skip is the one warning expected.
grep -E '==> (WARNING|ERROR)' "$work/makepkg.log" | grep -v 'Skipping dependency checks' &&
  fail "makepkg reports the lines above"

packages=("$work"/out/*.pkg.tar*)
if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then fail "not one package: ${packages[*]}"; fi
package=${packages[0]}
[[ $(basename "$package") == "vorthane-$version-1-$(uname -m).pkg.tar."* ]] ||
  fail "file name $(basename "$package"), not vorthane-$version-1-$(uname -m).pkg.tar.*"

# The metadata: the licence says what the copyright file says.
bsdtar -xOf "$package" .PKGINFO > "$work/PKGINFO"
licence=$(sed -n 's/^License: *//p' "$source/packaging/copyright" | sort -u)
while read -r key expected; do
  grep -qxF "$key = $expected" "$work/PKGINFO" || fail ".PKGINFO has no '$key = $expected'"
done <<EOT
pkgname vorthane
pkgver $version-1
arch $(uname -m)
license LicenseRef-$licence
depend ttf-linux-libertine
EOT

# The dependencies are the packages of the libraries the program links, and the font.
mkdir "$work/root"
bsdtar -xf "$package" -C "$work/root"
saver=/usr/lib/xscreensaver/vorthane
depends=$(sed -n 's/^depend = //p' "$work/PKGINFO" | sort -u)
expected=$( (
  for library in $(needed_libraries "$work/root$saver"); do arch_package_of "$library"; done
  echo ttf-linux-libertine
) | sort -u)
[ "$depends" = "$expected" ] ||
  fail "depends ($(tr '\n' ' ' <<<"$depends")) are not the linked libraries' packages and the font ($(tr '\n' ' ' <<<"$expected"))"

# Its files, in Arch's folders, with the licence where Arch keeps custom licences.
same_files "the package" "$(cat <<EOT
usr/
usr/lib/
usr/lib/xscreensaver/
usr/lib/xscreensaver/vorthane
usr/share/
usr/share/applications/
usr/share/applications/screensavers/
usr/share/applications/screensavers/vorthane.desktop
usr/share/applications/vorthane.desktop
usr/share/licenses/
usr/share/licenses/vorthane/
usr/share/licenses/vorthane/copyright
usr/share/man/
usr/share/man/man6/
usr/share/man/man6/vorthane.6x.gz
usr/share/vorthane/
usr/share/vorthane/vorthane-idle-watch.desktop
usr/share/xscreensaver/
usr/share/xscreensaver/config/
usr/share/xscreensaver/config/vorthane.xml
EOT
)" "$(bsdtar -tf "$package" | grep -v '^\.')"
cmp -s "$source/packaging/copyright" "$work/root/usr/share/licenses/vorthane/copyright" ||
  fail "the licence is not the copyright file"
check_saver_tree "$work/root" "$saver" /usr/share/licenses/vorthane/copyright
echo "PASS: $(basename "$package"), $(stat -c %s "$package") bytes"
