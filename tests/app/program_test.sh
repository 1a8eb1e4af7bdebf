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
# The same folder named without the trailing '/', or the file by its bare name from inside
# it, gives the same window, pixel for pixel.
check folder_named_without_slash bash -c \
    "ORLENTH_SCREENSHOT='$work/d.png' '$bin' '$work/书库' 2>'$work/d.err' && cmp -s '$work/b.png' '$work/d.png' && ! grep -q '^orlenth:' '$work/d.err'"
check bare_name_from_working_directory bash -c \
    "cd '$work/书库' && ORLENTH_SCREENSHOT='$work/e.png' '$bin' 甲.txt 2>'$work/e.err' && cmp -s '$work/b.png' '$work/e.png' && ! grep -q '^orlenth:' '$work/e.err'"
mkdir -p "$work/empty"
check empty_folder_is_quiet bash -c \
    "ORLENTH_SCREENSHOT='$work/c.png' '$bin' '$work/empty' 2>'$work/c.err' && png_ok '$work/c.png' && ! grep -q '^orlenth:' '$work/c.err'"

# A screenshot that cannot be written fails, with the path's control bytes escaped.
cannot_write() { # target, expected message
    local err status
    err=$(ORLENTH_SCREENSHOT="$1" "$bin" 2>&1 >/dev/null)
    status=$?
    [ "$status" -eq 1 ] && printf '%s\n' "$err" | grep -Fxq "orlenth: cannot write $2"
}
check screenshot_into_a_folder cannot_write "$work" "$work"
check screenshot_into_a_missing_folder cannot_write "$work/none/a.png" "$work/none/a.png"
if [ -w /dev/full ]; then
    check screenshot_onto_a_full_device cannot_write /dev/full /dev/full
fi
check screenshot_path_escaped cannot_write "$work/none/a"$'\e[31m\n'".png" "$work/none/a\\x1B[31m\\x0A.png"

# What the reader keeps lives in $XDG_CONFIG_HOME/orlenth. A screenshot and --no-settings
# touch nothing there; a run ended by SIGTERM (or SIGINT, SIGHUP) writes its place.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
untouched() { [ -z "$(ls -A "$XDG_CONFIG_HOME")" ]; }
export -f untouched
# Starts the reader with the arguments given, lets it settle, ends it by SIGNAL and waits.
run_then_signal() { # signal, arguments...
    local signal=$1 pid i
    shift
    "$bin" "$@" >"$work/run.out" 2>&1 &
    pid=$!
    sleep "${SETTLE:-5}" # past the splash's four seconds
    kill "-$signal" "$pid"
    for i in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    ! kill -0 "$pid" 2>/dev/null && wait "$pid"
}
check screenshot_keeps_no_settings bash -c "ORLENTH_SCREENSHOT='$work/f.png' '$bin' '$work/书库' && untouched"
check no_settings_keeps_none bash -c "$(declare -f run_then_signal untouched); bin='$bin' work='$work' run_then_signal TERM --no-settings '$work/书库' && untouched"
conf="$XDG_CONFIG_HOME/orlenth/orlenth.conf"
for signal in TERM INT HUP; do
    rm -rf "${XDG_CONFIG_HOME:?}/orlenth"
    check "sigterm_writes_the_place_$signal" bash -c \
        "$(declare -f run_then_signal); bin='$bin' work='$work' run_then_signal $signal '$work/书库' && grep -q '^category=5' '$conf' && grep -q '书库' '$conf'"
done
# A settings file the reader cannot read is left as it is, and said so once.
printf '\x00\xff\xfe junk \x01[[[' >"$conf"
cp "$conf" "$work/junk.conf"
check damaged_settings_are_kept bash -c \
    "$(declare -f run_then_signal); bin='$bin' work='$work' run_then_signal TERM && cmp -s '$conf' '$work/junk.conf' && [ \"\$(grep -c 'settings' '$work/run.out')\" -eq 1 ]"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
