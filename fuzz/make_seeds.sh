#!/usr/bin/env bash
# Writes the starting corpus of every fuzz target from a few real inputs, through the
# companion tool: block forms, compressed streams, payloads and item records.
# Usage: fuzz/make_seeds.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")"
tool="$1/tools/orlenth-tool"
text=../bench/data/guwen.gbk.txt
c=corpus
mkdir -p $c/decompress $c/roundtrip $c/unframe $c/string_list $c/item_record

i=0
for input in "" "a" "aaa" "abcabcabcabc" "$(printf 'x%.0s' {1..40})" "abababab" \
             "$(head -c 3000 $text)" "$(head -c 32781 $text | tail -c 20000)"; do
    printf '%s' "$input" > $c/roundtrip/seed-$i
    printf '%s' "$input" | "$tool" compress > $c/decompress/seed-$i
    printf '%s' "$input" | "$tool" frame > $c/unframe/seed-$i
    # String-list payloads: mode byte 1 = compressed, 0 = plain.
    { printf '\x01'; printf '%s\r\n' "$input" | "$tool" frame; } > $c/string_list/seed-c$i
    { printf '\x00'; n=$(printf '%s\r\n' "$input" | wc -c)
      printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8 & 255)))\\x$(printf %02x $((n >> 16 & 255)))\\x00"
      printf '%s\r\n' "$input"; } > $c/string_list/seed-p$i
    # Item records: mode byte 0, flag 0x0F, description "t", ident 7, compressed lines.
    { printf '\x00\x0f\x01t\x07\x00\x00\x00'; printf '%s\r\n' "$input" | "$tool" frame; } > $c/item_record/seed-$i
    i=$((i + 1))
done
head -c 70000 $text | "$tool" frame > $c/unframe/seed-multi
printf '\x00\x00' > $c/item_record/seed-flag0
