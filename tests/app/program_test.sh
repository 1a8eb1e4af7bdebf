#!/usr/bin/env bash
# The program from the outside: --help and --version without a display, and screenshot
# mode with and without a folder argument.
# Usage: program_test.sh PATH/TO/orlenth VERSION (the project's, which --version must show)
set -uo pipefail
bin=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # name, command...
    local name=$1
    shift
    if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}

check help_exits_zero bash -c "env -u DISPLAY '$bin' --help | grep -q 'Usage: orlenth'"
check version_is_the_projects bash -c "env -u DISPLAY '$bin' --version | grep -qx 'Orlenth $version (.*)'"

export QT_QPA_PLATFORM=offscreen
# A PNG as wide and tall as the main window at its stored size, not one plain colour.
png_ok() {
    python3 - "$1" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
w, h = struct.unpack('>II', data[16:24])
assert w >= 600 and h >= 350, (w, h)
idat = b''.join(data[i + 8:i + 8 + struct.unpack('>I', data[i:i + 4])[0]]
                for i in range(8, len(data)) if data[i + 4:i + 8] == b'IDAT')
raw = zlib.decompress(idat)
assert len(set(raw)) > 16, 'a plain picture'
PY
}
export -f png_ok
check screenshot_without_folder bash -c "ORLENTH_SCREENSHOT='$work/a.png' '$bin' && png_ok '$work/a.png'"

mkdir -p "$work/书库"
printf '\xb5\xda\xd2\xbb\xd0\xd0\r\n' > "$work/书库/甲.txt"
check screenshot_with_folder bash -c "ORLENTH_SCREENSHOT='$work/b.png' '$bin' '$work/书库/' && png_ok '$work/b.png'"
mkdir -p "$work/empty"
check empty_folder_reports_on_stderr bash -c \
    "ORLENTH_SCREENSHOT='$work/c.png' '$bin' '$work/empty/' 2>&1 | grep -q 'List index out of bounds (-1)' && png_ok '$work/c.png'"
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
