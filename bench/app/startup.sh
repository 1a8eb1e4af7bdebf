#!/usr/bin/env bash
# Start-up to the first painted main window: the reader in screenshot mode beside a bare
# Qt window that also saves its screenshot. Medians of RUNS runs each, alternating.
# With a fourth argument `settings`, the reader without settings beside the reader showing
# a kept settings file (a look, a place, 1000 file places and 100 bookmarks), read only.
# Usage: bench/app/startup.sh [BUILD_DIR] [RUNS] [offscreen|xvfb|x11] [settings]
#        (x11: the current display)
set -euo pipefail
build=${1:-build}
runs=${2:-15}
mode=${3:-offscreen}
what=${4:-bare}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

time_ms() {
    local start end
    start=$(date +%s%N)
    ORLENTH_SCREENSHOT="$out/shot.png" "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

# A settings file as a reader keeps it after long use: everything the reader itself writes
# (the look, the window, the place: those of the design, so that both runs show the same
# page and only the settings' cost differs), with 1000 file places, 100 bookmarks and the
# recent list added.
make_settings() {
    local config=$out/config pid
    mkdir -p "$config"
    XDG_CONFIG_HOME=$config "$build/app/orlenth" >/dev/null 2>&1 &
    pid=$!
    sleep 6 # past the splash
    kill -TERM "$pid"
    wait "$pid" || true
    python3 - "$config/orlenth/orlenth.conf" "$1" <<'PY'
import hashlib, sys
out = [open(sys.argv[1], encoding="utf-8").read().rstrip("\n"), "[places]"]
for i in range(1000):
    path = "/home/reader/小说/第%d章.txt" % i
    key = hashlib.sha1(path.encode()).hexdigest()
    out.append("%s=%s, %d, 1765180800000, %d, %d" % (key, path, 48211 + i, 1000 + i, 1765190000000 + i))
out.append("[bookmarks]")
for i in range(100):
    out.append("19afd88e%03x-42e4f5bc=5, 0, /home/reader/小说/第%d章.txt, 第%d章.txt, %d, 250, 却说那人走到山前, %d"
               % (i, i, i, 4096 + i, 1765190200000 + i))
out += ["[recent]", "paths=" + ", ".join("/home/reader/小说/第%d章.txt" % i for i in range(10))]
open(sys.argv[2], "w", encoding="utf-8").write("\n".join(out) + "\n")
PY
}

measure() {
    local reader=() bare=() i
    local second=("$build/bench/app/orlenth-bare-window") label="bare window"
    if [ "$what" = settings ]; then
        make_settings "$out/orlenth.conf"
        second=(env "ORLENTH_SCREENSHOT_SETTINGS=$out/orlenth.conf" "$build/app/orlenth")
        label="reader with settings"
    fi
    for ((i = 0; i < runs; i++)); do
        reader+=("$(time_ms "$build/app/orlenth")")
        bare+=("$(time_ms "${second[@]}")")
    done
    local r b
    r=$(printf '%s\n' "${reader[@]}" | median)
    b=$(printf '%s\n' "${bare[@]}" | median)
    if [ "$what" = settings ]; then
        echo "reader ${r} ms, ${label} ${b} ms, ratio $(awk -v r="$r" -v b="$b" 'BEGIN {printf "%.3f", b / r}')"
    else
        echo "reader ${r} ms, ${label} ${b} ms, ratio $(awk -v r="$r" -v b="$b" 'BEGIN {printf "%.2f", r / b}')"
    fi
}

case "$mode" in
xvfb) # The same measurement on a real X server: this script again, inside Xvfb.
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$runs" x11 "$what" ;;
x11) QT_QPA_PLATFORM=xcb measure ;;
*) QT_QPA_PLATFORM=offscreen measure ;;
esac
