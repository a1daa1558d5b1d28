#!/usr/bin/env bash
# The README's build command names every package the build needs: those that
# tools/install-deps.sh lists under "build" and under the two Linux platforms. And it names no
# package that install-deps.sh does not install.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The README's first "sudo apt-get install" command with its continuation lines.
readme=$(awk '/^ *sudo apt-get install g\+\+/ {on=1} on {print; if ($0 !~ /\\$/) exit}' \
  "$root/README.md" | sed 's/sudo apt-get install//; s/\\//g' | tr -s ' \n' '\n' | grep -v '^$' | sort -u)
[ -n "$readme" ] || { echo "the README has no build command"; exit 1; }

# install-deps.sh's groups, from a "# build" or "# the ... platform" comment to the next comment.
needed=$(awk '/^ *# / {on = ($0 ~ /^ *# build$/ || $0 ~ /^ *# the (X11|Wayland) platform/); next}
              /^\)/ {exit} on {print}' "$root/tools/install-deps.sh" | tr -s ' \n' '\n' | grep -v '^$' | sort -u)
[ -n "$needed" ] || { echo "install-deps.sh lists no build packages"; exit 1; }
all=$(sed -n '/^packages=(/,/^)/p' "$root/tools/install-deps.sh" | grep -v '^ *#' |
  tr -s ' \n()' '\n' | grep -v -e '^$' -e '^packages=' | sort -u)

status=0
missing=$(comm -23 <(echo "$needed") <(echo "$readme"))
[ -z "$missing" ] || { echo "the README's build command lacks:" $missing; status=1; }
unknown=$(comm -23 <(echo "$readme") <(echo "$all"))
[ -z "$unknown" ] || { echo "the README names packages install-deps.sh never installs:" $unknown; status=1; }
exit $status
