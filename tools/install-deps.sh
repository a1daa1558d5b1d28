#!/usr/bin/env bash
# Installs, on Debian, the packages that building and testing vorthane need, skipping those
# already there. Run as root (or with sudo available).
set -euo pipefail

packages=(
  # build
  g++ cmake make libgtest-dev
  # the X11 platform
  libx11-dev libx11-xcb-dev libxcb-render0-dev libxft-dev libxfixes-dev libxrender-dev libxrandr-dev libxext-dev
  libfontconfig-dev fonts-linuxlibertine
  # the Wayland platform (the layer-shell protocol description is kept in host/wayland/protocols)
  libwayland-dev libwayland-bin wayland-protocols libxkbcommon-dev libpixman-1-dev libfreetype-dev
  # its GNOME checks over D-Bus and the idle watch (vorthane --idle-watch): sd-bus; KDE's idle
  # protocol description
  libsystemd-dev plasma-wayland-protocols
  # tests on a private headless Wayland compositor (sway; weston as one without layer-shell);
  # sway's XWayland is also the two-monitor display for wine
  sway swayidle grim wtype wayland-utils xwayland weston
  # KWin as a second compositor, with a fractional scale (screenshots over D-Bus)
  kwin-wayland dbus python3-dbus
  # headless GNOME (gnome-shell and plain mutter): settings through dconf, a GTK window behind,
  # screenshots read with GdkPixbuf, the permission store where the shell keeps a user's answer
  # about shortcuts (only recommended by GNOME's packages)
  gnome-shell mutter gjs dconf-service dconf-gsettings-backend python3-gi gir1.2-gtk-3.0
  gir1.2-gdkpixbuf-2.0 xdg-desktop-portal
  # the Windows program (vorthane.scr): the cross compiler, GoogleTest's source for it, and
  # wine to run its tests
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64 fonts-wine
  fonts-liberation
  # its installer, vorthane-setup.exe
  nsis
  # tests on a private X server
  xvfb xdotool x11-utils imagemagick xscreensaver xscreensaver-data pkg-config procps libxres-dev
  # the Debian package and the tests against the real screen-saver daemons
  dpkg-dev dpkg-repack file git lintian man-db libxml2-utils desktop-file-utils x11-xserver-utils dbus
  libglib2.0-bin mate-screensaver xsecurelock openbox
  # the RPM package (rpmbuild, rpmlint) and the Arch Linux package (makepkg, which needs bsdtar
  # and the pacman program)
  rpm rpmlint makepkg libarchive-tools pacman-package-manager
  # the artwork generator's reproducibility check
  python3 python3-pil python3-numpy fonts-urw-base35
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
