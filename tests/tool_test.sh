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

# The embedded window descriptions: extract, check, and dump and pack back to the same bytes.
for name in TORLENTH TSTARYE TABOUTKESTROW; do
    check "extract_$name" 0 sh -c "'$tool' extract $name > '$tmp/$name'"
    check "check_$name" 0 "$tool" check "$tmp/$name"
    check "dump_$name" 0 sh -c "'$tool' dump '$tmp/$name' > '$tmp/$name.txt'"
    check "pack_$name" 0 "$tool" pack "$tmp/$name.txt" -o "$tmp/$name.again"
    cmp -s "$tmp/$name" "$tmp/$name.again" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL $name inline round trip"; }
    check "dump_files_$name" 0 "$tool" dump --files "$tmp/d-$name" "$tmp/$name"
    check "pack_files_$name" 0 sh -c "'$tool' pack '$tmp'/d-$name/*.txt > '$tmp/$name.files'"
    cmp -s "$tmp/$name" "$tmp/$name.files" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL $name files round trip"; }
done
"$tool" check "$tmp/TORLENTH" > "$tmp/report"
grep -q "306 object records" "$tmp/report" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL record count"; }
grep -q "WJKStringList2: 117 items, 116 catalogue lines" "$tmp/report" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL category 2"; }
test -d "$tmp/d-TORLENTH/collection/WJKStringList3" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL items as files"; }

# Damaged streams: the exact messages, status 1.
printf 'TPF1' > "$tmp/bad"
check check_signature 1 "$tool" check "$tmp/bad"
expect_stderr check_signature_says "Invalid stream format"
head -c 5000 "$tmp/TORLENTH" > "$tmp/cut"
check check_cut 1 "$tool" check "$tmp/cut"
expect_stderr check_cut_says "Stream read error"
check extract_unknown 1 "$tool" extract TNOTHING
printf 'object A: TA\n  X = \n' > "$tmp/bad.txt"
check pack_bad_text 1 "$tool" pack "$tmp/bad.txt"
expect_stderr pack_bad_text_says "bad.txt:2: a value expected"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
