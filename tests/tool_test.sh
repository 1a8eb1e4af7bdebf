#!/usr/bin/env bash
# The companion tool as a user runs it: stdin to stdout, clear messages and status 1 for
# bad input, never a crash.
set -u
tool=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0
failed=0

check() { # name, expected status, command...
    local name=$1 want=$2
    shift 2
    "$@" > "$tmp/out" 2> "$tmp/err"
    local got=$?
    if [ "$got" = "$want" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL $name: status $got, wanted $want; stderr: $(cat "$tmp/err")"
    fi
}

expect_output() { # name, expected hex of stdout
    local got
    got=$(xxd -p "$tmp/out" | tr -d '\n')
    if [ "$got" = "$2" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1: got $got"; fi
}

expect_stderr() { # name, text the message must contain
    if grep -q -- "$2" "$tmp/err"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $1: stderr $(cat "$tmp/err")"; fi
}

check help 0 "$tool" --help
grep -q "compress" "$tmp/out" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL help lists compress"; }

printf 'abcabcabcabc' > "$tmp/abc"
check compress 0 sh -c "'$tool' compress < '$tmp/abc'"
expect_output compress_bytes 4010006162630036
check frame 0 sh -c "'$tool' frame < '$tmp/abc'"
expect_output frame_bytes 0c000000080000004010006162630036
check empty_frame 0 sh -c "'$tool' frame < /dev/null"
expect_output empty_frame_bytes 00000000

# Round trips of something long enough for several blocks.
head -c 200000 /dev/urandom > "$tmp/random"
seq 1 40000 > "$tmp/text"
for f in random text; do
    check "frame_unframe_$f" 0 sh -c "'$tool' frame < '$tmp/$f' | '$tool' unframe > '$tmp/$f.back'"
    cmp -s "$tmp/$f" "$tmp/$f.back" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL $f differs"; }
done
head -c 32781 "$tmp/text" > "$tmp/block"
check block_roundtrip 0 sh -c "'$tool' compress < '$tmp/block' | '$tool' decompress > '$tmp/block.back'"
cmp -s "$tmp/block" "$tmp/block.back" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL block differs"; }

# Bad input: status 1 and a message, never a crash.
head -c 32782 "$tmp/text" > "$tmp/toolong"
check compress_too_long 1 sh -c "'$tool' compress < '$tmp/toolong'"
expect_stderr compress_too_long_says "at most 32781"
printf '\x40\x80\x00\x00\x36' > "$tmp/corrupt"
check decompress_corrupt 1 sh -c "'$tool' decompress < '$tmp/corrupt'"
expect_stderr decompress_corrupt_says "Stream read error"
check decompress_empty 1 sh -c "'$tool' decompress < /dev/null"
check unframe_random 1 sh -c "'$tool' unframe < '$tmp/random'"
check unframe_truncated 1 sh -c "head -c 1000 '$tmp/random' | '$tool' frame | head -c 500 | '$tool' unframe"
check unframe_trailing 1 sh -c "{ '$tool' frame < '$tmp/abc'; printf x; } | '$tool' unframe"
expect_stderr unframe_trailing_says "follow the compressed stream"
check unknown_command 1 "$tool" nonsense
check extra_argument 1 sh -c "'$tool' frame extra < /dev/null"
check no_command 1 "$tool"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
