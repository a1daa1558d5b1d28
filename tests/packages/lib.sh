# shellcheck shell=bash
# Shared by the package tests: a private work folder, failing with a message, and the checks
# that every Linux package's installed tree must pass. Sourced with the source folder as its
# argument; the caller sets `set -euo pipefail`.

# Package versions come from the last commit.
if ! git -C "$1" rev-parse --git-dir >/dev/null 2>&1; then
  echo "SKIP: $1 is not a git checkout"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The version of a build of the checkout at SOURCE: the project's and its last commit's time.
snapshot_version() {
  local source=$1 project time
  project=$(sed -n 's/^project(vorthane VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
  time=$(git -C "$source" log -1 --format=%ct)
  echo "$project+$(date -u -d "@$time" +%Y%m%d%H%M%S)"
}

# Compares a package's file list (one path a line, any order) with the expected one.
same_files() {
  local what=$1 expected=$2 actual=$3
  if ! diff <(sort <<<"$expected") <(sort <<<"$actual") > "$work/files.diff"; then
    cat "$work/files.diff" >&2
    fail "$what: the file list differs from the expected one (< expected, > packaged)"
  fi
}

# The shared libraries the program at PATH asks for.
needed_libraries() {
  readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
}

# The saver's files in an unpacked package at ROOT, with the program at SAVER and the
# copyright at COPYRIGHT (absolute paths): the desktop entry and the manual page name that
# program, which is stripped, and the manual page that copyright; nothing names another
# distribution's folder; the settings file and the desktop entry are valid.
check_saver_tree() {
  local root=$1 saver=$2 copyright=$3
  local desktop=$root/usr/share/applications/screensavers/vorthane.desktop
  local app=$root/usr/share/applications/vorthane.desktop
  local settings=$root/usr/share/xscreensaver/config/vorthane.xml
  local manual=$root/usr/share/man/man6/vorthane.6x.gz
  [ -x "$root$saver" ] || fail "no program at $saver"
  file "$root$saver" | grep ', stripped' >/dev/null || fail "not stripped: $(file "$root$saver")"
  local autostart=$root/usr/share/vorthane/vorthane-idle-watch.desktop
  local key
  for key in Exec TryExec; do
    grep -qx "$key=$saver\( --root\)\?" "$desktop" || fail "the desktop entry's $key is not $saver"
    grep -qx "$key=$saver\( --idle-watch [0-9.]*\)\?" "$autostart" ||
      fail "the autostart entry's $key is not $saver"
  done
  desktop-file-validate "$desktop" "$autostart" || fail "invalid desktop entry"
  # The entry by which GNOME knows the saver's windows.
  grep -qx "Exec=$saver /s" "$app" || fail "the application entry's Exec is not $saver /s"
  grep -qx "TryExec=$saver" "$app" || fail "the application entry's TryExec is not $saver"
  desktop-file-validate "$app" || fail "invalid application entry"
  xmllint --noout "$settings" || fail "invalid settings file"
  zcat "$manual" | grep -q '^\.TH VORTHANE 6x' || fail "no manual page"
  zcat "$manual" | grep -qF "${saver//-/\\-}" || fail "the manual page does not name $saver"
  [ -f "$root$copyright" ] || fail "no copyright at $copyright"
  zcat "$manual" | grep -qF "$copyright" || fail "the manual page does not name $copyright"
  local other
  for other in /usr/libexec/xscreensaver /usr/lib/xscreensaver; do
    [[ $saver == "$other"/* ]] && continue
    if grep -rlF "$other" "$desktop" "$autostart" "$settings" || zcat "$manual" | grep -qF "$other"; then
      fail "a file names $other, not the package's folder"
    fi
  done
}
