#!/bin/sh
# Regenerates the artwork twice into scratch directories and checks that
# both runs agree byte for byte with each other and with the committed
# files in assets/ and docs/.
#
# Needs Debian's python3 with python3-pil and python3-numpy, and the font
# package fonts-urw-base35. Set PYTHON to use another interpreter.
set -u

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
python=${PYTHON:-/usr/bin/python3}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vorthane-art.XXXXXX") || {
    echo "check_reproducible: FAIL: cannot create a temporary directory" >&2
    exit 1
}
trap 'rm -rf "$tmp"' EXIT INT TERM

for run in 1 2; do
    if ! "$python" "$here/generate.py" --docs-dir "$tmp/run$run/docs" "$tmp/run$run"; then
        echo "check_reproducible: FAIL: generator run $run failed" >&2
        exit 1
    fi
done

status=0
for f in banner.bmp icon.ico program-icon.ico docs/banner.png docs/icon.png docs/icon-8x.png; do
    if ! cmp -s "$tmp/run1/$f" "$tmp/run2/$f"; then
        echo "check_reproducible: FAIL: $f differs between two runs of the generator" >&2
        status=1
    fi
done
for f in banner.bmp icon.ico program-icon.ico; do
    if ! cmp -s "$tmp/run1/$f" "$repo/assets/$f"; then
        echo "check_reproducible: FAIL: assets/$f does not match the generator's output" \
             "(rerun tools/artwork/generate.py and commit the result)" >&2
        status=1
    fi
done
for f in banner.png icon.png icon-8x.png; do
    if ! cmp -s "$tmp/run1/docs/$f" "$repo/docs/$f"; then
        echo "check_reproducible: FAIL: docs/$f does not match the generator's output" \
             "(rerun tools/artwork/generate.py and commit the result)" >&2
        status=1
    fi
done

if [ "$status" -eq 0 ]; then
    echo "check_reproducible: OK: artwork is reproducible and matches the committed files"
fi
exit "$status"
