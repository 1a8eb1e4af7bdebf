#!/bin/sh
# Runs speech_engine_test against a private speech service: its own session bus, home and
# runtime folder, speech-dispatcher with the espeak-ng module and libao's null driver, so
# that no sound card is needed and nothing of the user's is read or started. A missing
# engine is a failure: the packages are part of the build's dependencies.
# Usage: speech_engine_test.sh PROGRAM
set -u
program=$1
tmp=$(mktemp -d)
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
pidfile="$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid"
# The speech client library parses the voice list (about 1800 voices) with strstr from each
# line on; the address sanitizer's strstr measures the whole rest every call, which makes
# that minutes long. The call is left to the C library; everything else stays checked.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_strstr=0"

# Whether process $1 is the service this run started: a stale pid file's number may by now
# belong to another test's process.
ours() {
    [ "$(cat "/proc/$1/comm" 2>/dev/null)" = speech-dispatch ] &&
        tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"
}

cleanup() {
    # The service outlives the bus and the program for a while: it is ended here.
    if [ -r "$pidfile" ]; then
        pid=$(cat "$pidfile")
        if [ -n "$pid" ] && ours "$pid" && kill "$pid" 2>/dev/null; then
            n=0
            while kill -0 "$pid" 2>/dev/null && [ $n -lt 50 ]; do
                sleep 0.1
                n=$((n + 1))
            done
            ours "$pid" && kill -9 "$pid" 2>/dev/null
        fi
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $1"
    for log in "$tmp"/log/*; do
        [ -f "$log" ] && { echo "--- $log"; tail -n 40 "$log"; }
    done
    exit 1
}

mkdir -p "$HOME" "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_RUNTIME_DIR" "$tmp/log"
chmod 700 "$XDG_RUNTIME_DIR"
[ -r /etc/speech-dispatcher/speechd.conf ] || fail "speech-dispatcher is not installed"
[ -x /usr/lib/speech-dispatcher-modules/sd_espeak-ng ] || fail "speech-dispatcher-espeak-ng is not installed"
command -v dbus-run-session > /dev/null || fail "dbus-run-session is not installed"
conf="$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"
cp /etc/speech-dispatcher/speechd.conf "$conf"
cat >> "$conf" << END
AudioOutputMethod "libao"
DefaultModule espeak-ng
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
LogDir "$tmp/log"
END
printf 'default_driver=null\n' > "$HOME/.libao"

dbus-run-session -- "$program" || fail "the engine did not read the three sentences"
echo "PASS"
