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

# vertical_wrap: the page's height in 1/64 pixel (two bytes), then the text; the same
# texts, with the brackets, dashes, Latin runs and digits that columns treat apart.
mkdir -p $c/vertical_wrap
i=0
for input in "$(gbk '春眠不觉晓，处处闻啼鸟。')" "$(gbk '《诗》曰：「关关雎鸠」——（注）……')" \
             "$(gbk '一九八四年12月3日，Hello world 2026 号')" \
             "$(printf 'a\x81\r\nb\x81\x30\x41\x80c\xff\x81\x30\x81\n\xfe\x39')" \
             "$(printf '\r\n\r\n\n\r')$(gbk '列')$(printf '\r')" "$(head -c 3000 $text)"; do
    printf '\x00\x0e%s' "$input" > $c/vertical_wrap/seed-$i
    i=$((i + 1))
done
printf '\x00\x00%s' "$(head -c 600 $text)" > $c/vertical_wrap/seed-height0
printf '\x40\x03%s' "$(gbk '甲乙丙丁戊己庚辛')" > $c/vertical_wrap/seed-short
printf '\xff\xff%s' "$(head -c 3000 $text)" > $c/vertical_wrap/seed-tallest

# text_search: pattern length, mode (bit 0 UTF-16LE, bit 1 from the text), budget less one,
# cut in 255ths; then the pattern's bytes (unless taken from the text) and the text.
mkdir -p $c/text_search
ts() { printf "$1" > $c/text_search/seed-$2; gbk "$3" >> $c/text_search/seed-$2; }
ts '\x04\x00\x07\x80' plain-cjk '中文中中文，中文。'
ts '\x03\x00\x02\x40' fold-ascii 'abcＡＢＣAbc　abc'
ts '\x04\x00\x03\x10' four-byte '𠀀甲𠀀乙𠀀'
ts '\x02\x00\x00\xc0' space '中　文 中 文'
printf '\x04\x00\x05\x80' > $c/text_search/seed-straddle
gbk '中文' >> $c/text_search/seed-straddle
printf '\xb0\xd6\xd0\xce\xc4\xb0\x81\x30\x81\x30' >> $c/text_search/seed-straddle
gbk '中文' >> $c/text_search/seed-straddle
printf '\x01\x00\x01\x80a\x81aa\x81\x7fa\xffa\x80a\x81\x30a\xd6' > $c/text_search/seed-malformed
printf '\x04\x01\x09\x80\x2d\x4e\x87\x65' > $c/text_search/seed-utf16
gbk '中文' >> $c/text_search/seed-utf16
printf '\x06\x02\x3f\x30' > $c/text_search/seed-from-text
head -c 3000 $text >> $c/text_search/seed-from-text
printf '\x02\x01\x00\x80\x00\xd8' > $c/text_search/seed-lone-surrogate
printf '\x84\x31\xa4\x37\xff' >> $c/text_search/seed-lone-surrogate

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
# The other encodings the detection knows, UTF-16 without a mark among them.
tw=$'第一章　風起\r\n　　天色漸漸暗了下來，街上的行人也少了。「你還不回家嗎？」他說。\r\n'
jp=$'今日は朝から雨が降っていたので、私は家で本を読んでいました。\r\n'
kr=$'오늘은 아침부터 비가 내려서 나는 집에서 책을 읽었다.\r\n'
to() { printf '%s' "$2" | iconv -f UTF-8 -t "$1"; }
seed to BIG5 "$tw$tw"
seed to BIG5-HKSCS "佢哋喺度食緊嘢。$tw"
seed to SHIFT_JIS "$jp$jp"
seed to EUC-JP "$jp$jp"
seed to EUC-KR "$kr$kr"
seed to UTF-16LE "$u8"
seed to UTF-16BE "$tw"
seed to GB18030 "𠀀字与€号。$u8"

# display_text reads a file in pieces as folder_file does: the same seeds; and some read
# in a forced encoding (first byte's top bit; the second byte picks it from the menu's
# list: 0 GB18030, 1 UTF-8, 2 UTF-16 LE, 4 Big5, 6 Shift_JIS).
mkdir -p $c/display_text && cp $c/folder_file/seed-* $c/display_text/
forced() { { printf "$1"; "${@:2}"; } > $c/display_text/seed-forced-$i; i=$((i + 1)); }
i=0
forced '\x83\x04' to BIG5 "$tw"
forced '\x85\x00' printf '%s' "$u8"
forced '\x82\x02' to UTF-16BE "$u8"
forced '\x87\x06' gbk '你好，世界'
forced '\x81\x01' gbk '你好'

# heading_scan: the piece size less one (first byte), then a text with headings of every
# rule, the look-alikes, every line end, and a heading cut off at the end.
mkdir -p $c/heading_scan
h=$'楔子\r\n第一卷 风云\r\n第一章 开端\r\n　　第一次见到他。\r\n第三回合他才明白\n第十二章风起\n第１２回\r第一百零三章\r尾声 归去\nCHAPTER IV\nChapter 12: The Road\n番外一\n第三集团军\n第二天\n第一名\n第'
printf '\x00%s' "$(gbk "$h")" > $c/heading_scan/seed-rules-bytes
printf '\x06%s' "$(gbk "$h")" > $c/heading_scan/seed-rules-sevens
printf '\xff%s' "$(gbk "${h}二章")" > $c/heading_scan/seed-rules-whole
printf '\x02%s\r\n%s' "$(gbk '　　第一章　风起')" "$(head -c 2000 $text)" > $c/heading_scan/seed-guwen
printf '\x0c%s%s\n%s\r' "$(printf '%*s' 240 '')" "$(gbk '第二章 长的缩进')" "$(gbk '第一章')" \
    > $c/heading_scan/seed-long-indent
printf '\x01\x81\r\n\xb5\xda\r\xb5\n\xb5\xda\x81\x30\xd5\xc2\n\xa1\xa1\xb5\xda1\xd5\xc2' \
    > $c/heading_scan/seed-bad-bytes

# chapter_pattern: how the pattern is taken (first byte: 0 as written, 1 a literal, 2 "^" and
# a literal, 3 a stored choice), the bound on matches less one, the pattern's UTF-8, a NUL,
# then GBK text: patterns that backtrack without end, recurse, are invalid or empty; a line
# longer than a heading can be; literals with the pattern syntax's own characters.
mkdir -p $c/chapter_pattern
cp_seed() { printf "$1" > $c/chapter_pattern/seed-$2; printf '%s\0' "$3" >> $c/chapter_pattern/seed-$2; }
a25=$(for i in $(seq 200); do printf 'aaaaaaaaaaaaaaaaaaaaaaaaa!\n'; done)
cp_seed '\x00\x13' backtracking '(a+)+$'; printf '%s' "$a25" >> $c/chapter_pattern/seed-backtracking
cp_seed '\x00\x13' nested '((a*)*|b)+c'; printf '%s' "$a25" >> $c/chapter_pattern/seed-nested
cp_seed '\x00\x13' every-start '(?:a|a){0,11}bz'
for i in 1 2 3; do printf '%s\n' "$(printf 'a%.0s' $(seq 253))zb"; done >> $c/chapter_pattern/seed-every-start
cp_seed '\x00\x13' recursion '^(\((?1)*\))+$'
for n in 10 60 120; do printf '%s%s\n' "$(printf '(%.0s' $(seq $n))" "$(printf ')%.0s' $(seq $((n - 1))))"; done \
    >> $c/chapter_pattern/seed-recursion
cp_seed '\x00\x13' endless-recursion '((?1))|a'; printf 'aaa\nb\n' >> $c/chapter_pattern/seed-endless-recursion
cp_seed '\x00\x13' long-line '^第'
{ head -c 60000 $text | tr -d '\r\n'; printf '\n'; gbk '第一章'; printf '\r\n'; } >> $c/chapter_pattern/seed-long-line
for bad in '第(\d' '[' '\' '(?<' 'a{2,1}' '(?<=a+)b'; do
    cp_seed '\x00\x13' "invalid-$(printf '%s' "$bad" | od -An -tx1 | tr -d ' \n')" "$bad"
    gbk $'第1章\n第(1\n' >> $c/chapter_pattern/seed-invalid-$(printf '%s' "$bad" | od -An -tx1 | tr -d ' \n')
done
cp_seed '\x00\x13' empty ''; gbk $'第一章\n正文\n' >> $c/chapter_pattern/seed-empty
cp_seed '\x01\x13' literal '第一章'
gbk $'第一章 风起\r\n　　第一章又来\r\n正文第一章\r\n第二章\r\n\t 第一章\n' >> $c/chapter_pattern/seed-literal
cp_seed '\x02\x13' prefix '第'
gbk $'第一章\r\n　　第二章\r\n正文，第三\r\n第\n' >> $c/chapter_pattern/seed-prefix
cp_seed '\x02\x13' prefix-indented '第'
gbk $'\t第一章\r\n \t　第二章\r\n正文\r\n　 \t\n' >> $c/chapter_pattern/seed-prefix-indented
cp_seed '\x01\x13' longest-line '章'
{ printf '%s' "$(printf 'a%.0s' $(seq 253))"; gbk $'章\n'; printf '%s' "$(printf 'a%.0s' $(seq 254))"; gbk $'章\n'; } \
    >> $c/chapter_pattern/seed-longest-line
cp_seed '\x01\x13' metacharacters 'a.b*(c)|$^'
printf 'a.b*(c)|$^\nab\n  xa.b*(c)|$^x\na.b*(c)\n' >> $c/chapter_pattern/seed-metacharacters
cp_seed '\x02\x00' bound '第'; gbk $'第1\n第2\n第3\n' >> $c/chapter_pattern/seed-bound
for stored in 'rule:hui' 're:^第.+章' 're:' 'rule:' 'rule:nope' 're:(a+)+$'; do
    name=choice-$(printf '%s' "$stored" | od -An -tx1 | tr -d ' \n' | head -c 24)
    cp_seed '\x03\x13' "$name" "$stored"
    { gbk $'第一回 甲\n第二章 乙\n'; printf 'aaaaaaaaaaaaaaaaaaaaaaaa!\n'; } >> $c/chapter_pattern/seed-$name
done
cp_seed '\x00\x13' guwen '^[^，。]{1,8}$'; head -c 3000 $text >> $c/chapter_pattern/seed-guwen

# folder_path: the path style (first byte), then an argument, or names one a line.
mkdir -p $c/folder_path
printf '\x00/home/user/books/a.txt' > $c/folder_path/seed-posix
printf '\x01C:\\\\books\\\\\xb5\xda\\\\a.txt' > $c/folder_path/seed-windows
printf '\x00\xb5\xda2\xd5\xc2.txt\n\xb5\xda10\xd5\xc2.txt\na.txt\nB.TXT\n\n10.txt\n9.txt\n9.txt' > $c/folder_path/seed-names
printf '\x01C:\\' > $c/folder_path/seed-root
printf '\x00///' > $c/folder_path/seed-slashes
printf '\x01\x81\\\\x:y' > $c/folder_path/seed-gbk-sep

# dropped_path: a drop's URL list as file managers and browsers write it.
mkdir -p $c/dropped_path
printf 'file:///home/u/a.txt\r\n' > $c/dropped_path/seed-file
printf 'https://example.org/a\r\nfile:///home/u/my%%20books/%%E4%%B9%%A6/\r\n' > $c/dropped_path/seed-remote-first
printf '# comment\r\nfile://server/%%B2%%E2.txt\r\nfile:///b\r\n' > $c/dropped_path/seed-gbk-host
printf 'FILE:///a%%2Fb/../%%01%%00c\nfile:\nfile://' > $c/dropped_path/seed-odd

# collection_items: the catalogue up to the first NUL, then the article files 1, 2, ...
mkdir -p $c/collection_items
printf '1\t1\t\xe7\xac\xac\xe4\xb8\x80\tdesc\n2\t2\ttwo\t\n\n\0\xe4\xb8\xad\xe6\x96\x87\r\nline\n\0\xef\xbb\xbfsecond' > $c/collection_items/seed-two
printf '7\t1\ttitle\t\n\0' > $c/collection_items/seed-empty-article
printf '1\t../x\tt\t\n\0' > $c/collection_items/seed-outside
printf '1x\t1\tt\t\n\0a' > $c/collection_items/seed-bad-ident
printf '70000\t1\tt\t\n\0a' > $c/collection_items/seed-big-ident
printf '1\t1\t\xff\t\n\0a' > $c/collection_items/seed-bad-utf8

# description_text: every kind of value and line, naming the files its target provides
# (a.bin, p.jpg, the collection c), and the program's own descriptions.
d=$c/description_text
mkdir -p $d
printf 'object A: TA\n  X = 1\n  Y = "text \\x41 \\n"\n  Z = [a, b]\n  L = (1 "x" ( true false ))\n  F = file "a.bin"\n  P.Data = picture TJPEGImage "p.jpg"\n  C = collection ( item 3 ( A = 1 ) item ( B = nil ) )\n  object B: TB prefix 2 5\n  end\n  object WJKStringList0: TWJKStringList\n    items "c" catalogue "about"\n  end\nend\ntrailer hex "00 01"\n' > $d/seed-kinds
printf 'object R: TRoot\n  I = int64 -5000000000\n  M = currency 12\n  E = extended "00112233445566778899"\n  S = single "00112233"\n  D = date "0011223344556677"\n  W = wide "\\uD800x"\n  U = utf8 "\\xFF"\n  H = hex (\n    "0A0B"\n    "0C"\n  )\n  K = ident "true"\n  T = long "short"\n  N = int8 5\n  O = 0x00EFF3F7\n# comment\n\n  object : ""  prefix 0\n  end\nend\n' > $d/seed-tags
cp ../resource/descriptions/TstarYe.txt $d/seed-staryo
cp ../resource/descriptions/TaboutKestrow.txt $d/seed-about
head -c 20000 ../resource/descriptions/TOrlenth.txt > $d/seed-main

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

# Streams with a library container for object_stream and dump_files: a window holding one
# category (each of the five, with one article, three, or none) made by pack from a
# collection folder, and one with two categories, one of them nested.
w=$(mktemp -d)
mkdir -p $w/c $c/object_stream $c/dump_files
for cat in 0 1 2 3 4; do
    for variant in a b c; do
        case $variant in
            a) printf '1\t1.txt\tt\t\n' > $w/c/catalogue.tsv; printf 'x\n' > $w/c/1.txt ;;
            b) printf '1\t1.txt\t\xe7\xac\xac\xe4\xb8\x80\td\n2\t2.txt\ttwo\t\n3\t1.txt\tthree\tx\n' > $w/c/catalogue.tsv
               printf '\xe4\xb8\xad\xe6\x96\x87\nline\n\nmore\n' > $w/c/1.txt
               head -c 3000 $text | iconv -c -f GB18030 -t UTF-8 > $w/c/2.txt ;;
            c) : > $w/c/catalogue.tsv ;;
        esac
        printf 'object Orlenth: TOrlenth\n  Left = 1\n  object WJKStringList%s: TWJKStringList\n    DefaultCompressed = true\n    items "c" catalogue "cat"\n  end\n  object Other: TPanel\n    Caption = "x"\n  end\nend\n' $cat > $w/lib.txt
        "$tool" pack $w/lib.txt -o $c/object_stream/seed-library-$cat$variant
        cp $c/object_stream/seed-library-$cat$variant $c/dump_files/
    done
done
printf '1\t1.txt\tt\t\n' > $w/c/catalogue.tsv
printf 'object Orlenth: TOrlenth\n  object P: TPanel\n    object WJKStringList2: TWJKStringList\n      items "c"\n    end\n  end\n  object WJKStringList4: TWJKStringList\n    items "c" catalogue "z"\n  end\nend\n' > $w/lib2.txt
"$tool" pack $w/lib2.txt -o $c/object_stream/seed-library-two
cp $c/object_stream/seed-library-two $c/dump_files/
# dump_files also takes the small windows with their pictures, and a stream of every kind
# of value with a picture and a collection.
"$tool" extract TSTARYE > $c/dump_files/seed-TSTARYE
"$tool" extract TABOUTKESTROW > $c/dump_files/seed-TABOUTKESTROW
printf '\x01\x02\x03' > $w/a.bin
printf '\xff\xd8\xff\xe0\x00\x10JFIF\x00' > $w/p.jpg
printf '1\t1.txt\t\xe7\xac\xac\xe4\xb8\x80\t\n2\t2.txt\ttwo\tabout\n' > $w/c/catalogue.tsv
printf '\xe4\xb8\xad\xe6\x96\x87\nline\n' > $w/c/1.txt
: > $w/c/2.txt
cp $d/seed-kinds $w/kinds.txt
"$tool" pack $w/kinds.txt -o $c/dump_files/seed-kinds
rm -rf $w
