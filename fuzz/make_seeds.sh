#!/usr/bin/env bash
# Writes the starting corpus of every fuzz target from a few real inputs: the text
# targets' from GBK text and its awkward corners; with a build folder, the stored formats'
# through the companion tool (block forms, compressed streams, payloads, item records).
# Usage: fuzz/make_seeds.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")"
text=../bench/data/guwen.gbk.txt
c=corpus

# Text targets: two leading bytes (where display_conversion splits, the width in 1/64 pixel
# for wrap_engine), then the text.
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GB18030; }
mkdir -p $c/display_conversion $c/wrap_engine
i=0
for input in "$(gbk '中文，测试。')" "$(gbk '甲乙𠀀丙€丁')" "$(gbk '乙')$(printf '\x95\x32\x82')" \
             "$(printf 'a\x81\r\nb\x81\x30\x41\x80c\xff\x81\x30\x81\n\xfe\x39')" \
             "$(gbk '“《书》（注）”，Hello world 12345 abcdefghij。')" \
             "$(printf '\r\n\r\n\r\n\n\r')$(gbk '行')$(printf '\r')" "中文 UTF-8" \
             "$(head -c 3000 $text)"; do
    printf '\x05\x00%s' "$input" > $c/display_conversion/seed-$i
    printf '\x40\x06%s' "$input" > $c/wrap_engine/seed-$i
    i=$((i + 1))
done
printf '\x00\x00%s' "$(head -c 600 $text)" > $c/wrap_engine/seed-width0
printf '\x80\x11%s' "$(head -c 3000 $text)" > $c/wrap_engine/seed-wide
printf '\xff\xff%s' "$(head -c 3000 $text)" > $c/wrap_engine/seed-widest

# folder_file: the size of the pieces the loader reads (first byte), then the file. UTF-16
# holds NUL bytes, which shell strings cannot, so every seed is written by a command.
mkdir -p $c/folder_file
u8=$'第一章 风起\r\n“你好，”他说。Hello, world.\r\n'
seed() { { printf '\x03'; "$@"; } > $c/folder_file/seed-$i; i=$((i + 1)); }
i=0
seed head -c 2000 $text
seed printf '\xef\xbb\xbf%s' "$u8"
seed printf '%s' "$u8"
seed printf '%s\xe4\xb8' "$u8"
seed bash -c 'printf "\xff\xfe"; printf "%s" "$1" | iconv -f UTF-8 -t UTF-16LE' - "$u8"
seed bash -c 'printf "\xfe\xff"; printf "%s" "$1" | iconv -f UTF-8 -t UTF-16BE' - "$u8"
seed printf 'caf\xe9 %s%s%s' "$u8" "$u8" "$u8"
seed printf 'plain ASCII'
seed printf '\xef\xbb'
seed printf '\xef\xbb\xbf\xef\xbb\xbfx'
seed gbk '你好'

[ $# -ge 1 ] || exit 0
tool="$1/tools/orlenth-tool"
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
