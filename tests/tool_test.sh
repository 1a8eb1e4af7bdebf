#!/usr/bin/env bash
# The companion tool as a user runs it: stdin to stdout, clear messages and status 1 for
# bad input, never a crash.
set -u
tool=$1
version=${2:?the project version}
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

expect() { # name, command...: the command must succeed
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL $name"; fi
}

no_control_bytes() { # file: nothing a terminal would act on (ESC, BEL, CR ...)
    ! LC_ALL=C grep -q '[[:cntrl:]]' <(tr -d '\n' < "$1")
}

# The memory bound of a command, as a shell prefix. Under AddressSanitizer (the sanitized
# tree sets ASAN_OPTIONS) the address space is reserved up front, so a bound on it cannot
# hold: that run checks the outcomes without it.
cap() {
    [ -n "${ASAN_OPTIONS:-}" ] || echo "ulimit -v $1;"
}

check help 0 "$tool" --help
grep -q "compress" "$tmp/out" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL help lists compress"; }
check version 0 "$tool" --version
expect version_is_the_projects grep -qx "orlenth-tool $version" "$tmp/out"

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

# The embedded window descriptions, and a stream whose wide text holds a lone surrogate and
# a U+FEFF right after an escape (and bytes after its root record): extract, check, and
# dump and pack back to the same bytes.
cp "$(dirname "$0")/../fuzz/corpus/object_stream/regress-wide-text-units" "$tmp/WIDE"
for name in TORLENTH TSTARYE TABOUTKESTROW WIDE; do
    [ "$name" = WIDE ] || check "extract_$name" 0 sh -c "'$tool' extract $name > '$tmp/$name'"
    check "check_$name" 0 "$tool" check "$tmp/$name"
    check "dump_$name" 0 sh -c "'$tool' dump '$tmp/$name' > '$tmp/$name.txt'"
    check "pack_$name" 0 "$tool" pack "$tmp/$name.txt" -o "$tmp/$name.again"
    cmp -s "$tmp/$name" "$tmp/$name.again" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL $name inline round trip"; }
    check "dump_files_$name" 0 "$tool" dump --files "$tmp/d-$name" "$tmp/$name"
    check "pack_files_$name" 0 sh -c "'$tool' pack '$tmp'/d-$name/*.txt > '$tmp/$name.files'"
    cmp -s "$tmp/$name" "$tmp/$name.files" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL $name files round trip"; }
done
"$tool" check "$tmp/TORLENTH" > "$tmp/report"
grep -q "352 object records" "$tmp/report" && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL record count"; }
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

# ---------------------------------------------------------------- names and paths
# Names from a stream become file names only when they are one harmless name; nothing is
# written or removed outside the folder given, and nothing there is replaced.
item_records='    object : TWJKStringListItem
      Ident = 0
      Internal = hex "090C00000008000000807469746C650D0A"
    end
    object : TWJKStringListItem
      Ident = 0
      Internal = hex "0918000000140000004000206C696E65206F6E650D0A00A274776F0D0A"
    end'
hostile() { # file, container name as quoted in a description text
    printf 'object O: TOrlenth\n  object "%s": TWJKStringList\n%s\n  end\nend\n' "$2" "$item_records" > "$1.txt"
    "$tool" pack "$1.txt" -o "$1"
}
hostile "$tmp/up" '../../..'
hostile "$tmp/esc" 'a\x1B[31mb'
hostile "$tmp/fine" 'WJKStringList0'
while read -r row stream out want says; do
    mkdir -p "$tmp/j/a/b" && echo keep > "$tmp/j/a/keep" && touch "$tmp/j/mark"
    check "dump_$row" "$want" "$tool" dump --files "$tmp/j/a/b/$out" "$tmp/$stream"
    if [ "$want" = 0 ]; then
        expect "dump_${row}_makes_the_folder" test -f "$tmp/j/a/b/$out/$says"
    else
        expect_stderr "dump_${row}_says" "$says"
    fi
    expect "dump_${row}_escapes" no_control_bytes "$tmp/err"
    expect "dump_${row}_keeps" test "$(cat "$tmp/j/a/keep")" = keep
    expect "dump_${row}_writes_only_inside" test -z "$(find "$tmp/j" -newer "$tmp/j/mark" ! -path "$tmp/j/a/b/$out*" ! -path "$tmp/j/a/b" -print)"
    expect "dump_${row}_leaves_no_work_folder" test -z "$(find "$tmp/j" -name '.dump-*' -print)"
    rm -rf "$tmp/j"
done <<'ROWS'
container_up_and_out up out 1 container "../../.." cannot serve
container_with_escape esc out 1 container "a\\x1B\[31mb" cannot serve
into_a_new_folder fine out 0 collection/WJKStringList0/catalogue.tsv
ROWS
mkdir -p "$tmp/again/collection" && echo mine > "$tmp/again/collection/mine"
check dump_over_existing 1 "$tool" dump --files "$tmp/again" "$tmp/fine"
expect_stderr dump_over_existing_says "collection exists already"
expect dump_over_existing_keeps test "$(cat "$tmp/again/collection/mine")" = mine
expect dump_over_existing_writes_nothing test "$(ls -A "$tmp/again")" = collection

# pack reads only files inside the description's folder (or the one --root names).
mkdir -p "$tmp/p/desc/c" "$tmp/p/shared" "$tmp/p/outside"
echo secret > "$tmp/p/outside/secret"
echo pic > "$tmp/p/shared/pic"
ln -s "$tmp/p/outside" "$tmp/p/desc/link"
printf '1\t../../outside/secret\tT\tD\n' > "$tmp/p/desc/c/catalogue.tsv"
while read -r row root want line; do
    printf 'object A: TA\n  %s\nend\n' "$line" > "$tmp/p/desc/t.txt"
    check "pack_$row" "$want" "$tool" pack "$tmp/p/desc/t.txt" --root "$tmp/p/$root"
    [ "$want" = 0 ] || expect_stderr "pack_${row}_says" "lies outside $tmp/p/$root"
done <<ROWS
absolute_path desc 1 X = file "$tmp/p/outside/secret"
up_and_out desc 1 X = file "../outside/secret"
through_a_link desc 1 X = picture TBitmap "link/secret"
collection_up_and_out desc 1 items "../outside"
article_up_and_out desc 1 items "c"
up_within_the_root . 0 X = file "../shared/pic"
ROWS

# pack -o writes a file of its own beside OUT and renames it; a failure leaves nothing.
echo theirs > "$tmp/o.bin.part"
check pack_beside 0 "$tool" pack "$tmp/TSTARYE.txt" -o "$tmp/o.bin"
check pack_fails 1 "$tool" pack "$tmp/bad.txt" -o "$tmp/o.bin"
check pack_into_no_folder 1 "$tool" pack "$tmp/TSTARYE.txt" -o "$tmp/none/o.bin"
expect pack_keeps_their_part test "$(cat "$tmp/o.bin.part")" = theirs
expect pack_leaves_no_part test "$(ls "$tmp" | grep -c 'part$')" = 1
expect pack_output_whole cmp -s "$tmp/o.bin" "$tmp/TSTARYE"

# Names and arguments reach the terminal with their control bytes escaped.
printf 'object "\\x1B]0;x\\x07": TOrlenth\nend\n' > "$tmp/title.txt"
"$tool" pack "$tmp/title.txt" -o "$tmp/title.bin"
check check_escapes 0 "$tool" check "$tmp/title.bin"
expect check_escapes_name grep -qF '"\x1B]0;x\x07"' "$tmp/out"
expect check_escapes_everything no_control_bytes "$tmp/out"
check unknown_command_escapes 1 "$tool" "$(printf 'x\033[2J')"
expect unknown_command_escapes_it no_control_bytes "$tmp/err"

# ---------------------------------------------------------------- bombs
# 65536 blocks of 43 bytes, each restoring 32781 zeros: 2.8 MB that stand for 2 GiB. The
# codec commands pass data through a block at a time, so 200 MB of address space is ample.
head -c 32781 /dev/zero | "$tool" frame | tail -c +5 > "$tmp/zblock"
head -c 32781 /dev/zero | tr '\0' '\n' | "$tool" frame | tail -c +5 > "$tmp/lfblock"
repeat() { # file, doublings: the file doubled that many times
    for _ in $(seq "$2"); do cat "$1" "$1" > "$1.2" && mv "$1.2" "$1"; done
}
cp "$tmp/zblock" "$tmp/zblocks" && repeat "$tmp/zblocks" 16
{ printf '\x00\x00\x2B\x00'; cat "$tmp/zblocks"; } > "$tmp/zeros.lz"
check unframe_bomb 0 sh -c "$(cap 200000) '$tool' unframe < '$tmp/zeros.lz' | wc -c"
expect unframe_bomb_whole test "$(cat "$tmp/out")" -eq 2148335616
check frame_large_to_a_pipe 0 sh -c "$(cap 200000) head -c 300000000 /dev/zero | '$tool' frame | '$tool' unframe | wc -c"
expect frame_large_to_a_pipe_whole test "$(cat "$tmp/out")" -eq 300000000
check frame_large_to_a_file 0 sh -c "$(cap 200000) head -c 300000000 /dev/zero | '$tool' frame > '$tmp/large.lz'"
check frame_large_to_a_file_reads_back 0 sh -c "'$tool' unframe < '$tmp/large.lz' | wc -c"
expect frame_large_to_a_file_whole test "$(cat "$tmp/out")" -eq 300000000
check compress_endless 1 sh -c "$(cap 200000) '$tool' compress < /dev/zero"
expect_stderr compress_endless_says "longer than one block"

# Item records whose payloads restore to far more than the stream's size: each block
# restores 32781 line breaks.
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
item() { # blocks file: one item whose record is those blocks, compressed
    local n
    n=$(stat -c %s "$1")
    printf '\x12TWJKStringListItem\x00\x08Internal\x0a'
    le32 $((n + 5))
    printf '\x09'
    le32 "$n"
    cat "$1"
    printf '\x00\x00'
}
library() { # blocks file, items: a window whose one category holds those items
    printf 'TPF0\x08TOrlenth\x07Orlenth\x00\x0eTWJKStringList\x0eWJKStringList0\x00'
    for _ in $(seq "$2"); do item "$1"; done
    printf '\x00\x00'
}
cp "$tmp/lfblock" "$tmp/lf10" && repeat "$tmp/lf10" 10
cp "$tmp/lf10" "$tmp/lf13" && repeat "$tmp/lf13" 3
library "$tmp/lf10" 1 > "$tmp/lines.bin"  # 34 MB of line breaks from 44 KB
library "$tmp/lf13" 4 > "$tmp/bomb.bin"   # 1.07 GB from 1.4 MB
while read -r row want command; do
    check "$row" "$want" sh -c "$(cap 300000) '$tool' $command"
done <<ROWS
check_under_the_limit 0 check $tmp/lines.bin
check_over_the_limit 1 check $tmp/bomb.bin
check_over_a_lower_limit 1 check --max-bytes 10M $tmp/lines.bin
dump_over_the_limit 1 dump --files $tmp/bombed $tmp/bomb.bin
check_bad_limit 1 check --max-bytes 12X $tmp/lines.bin
ROWS
expect_stderr check_bad_limit_says "max-bytes takes a number of bytes"
"$tool" check "$tmp/bomb.bin" > /dev/null 2> "$tmp/err"
expect_stderr check_over_the_limit_says "restore to more than 1073741824 bytes"
expect dump_over_the_limit_writes_nothing test ! -e "$tmp/bombed"

# ---------------------------------------------------------------- parsing in bounded memory
# A description text is read a token at a time: 20 MB of blank lines cost nothing. A
# stream's tree costs a bounded size per record and value, and holds at most 1048576 of
# them unless --max-records says more. Before, the first took 1.6 GB, the second 832 MB
# for 5 MB of minimal records and 1.1 GB for 5 MB of flags.
head -c 20000000 /dev/zero | tr '\0' '\n' > "$tmp/blank.txt"
printf '\x01T\x00\x00\x00' > "$tmp/child" && repeat "$tmp/child" 20 # 5 MB, 1048576 records
{ printf 'TPF0\x01R\x00\x00'; head -c 5242870 "$tmp/child"; printf '\x00'; } > "$tmp/children.bin"
{ printf 'TPF0\x01R\x00\x00'; cat "$tmp/child" "$tmp/child"; printf '\x00'; } > "$tmp/children2.bin"
printf '\x09' > "$tmp/flag" && repeat "$tmp/flag" 22 # 4 MB of booleans in one list
{ printf 'TPF0\x01R\x00\x01L\x01'; cat "$tmp/flag"; printf '\x00\x00\x00'; } > "$tmp/flags.bin"
bounded() { # name, status, message the run must give (or ""), arguments...
    local name=$1 want=$2 message=$3
    shift 3
    check "$name" "$want" sh -c "$(cap 400000) '$tool' $*"
    [ -z "$message" ] || expect_stderr "${name}_says" "$message"
}
bounded pack_blank_lines 1 "blank.txt:20000001: 'object' expected" pack "$tmp/blank.txt"
bounded check_minimal_records 0 "" check "$tmp/children.bin"
expect check_minimal_records_counts grep -q "1048575 object records" "$tmp/out"
bounded dump_minimal_records 0 "" dump "$tmp/children.bin"
# A record costs its tree at most 64 bytes: the million of them, the stream and the program
# fit in 160 MB of address space (they took over 190 MB at 120 bytes a record).
check check_minimal_records_compact 0 sh -c "$(cap 160000) '$tool' check '$tmp/children.bin'"
bounded check_too_many_records 1 "Stream holds more than 1048576 records and values" \
    check "$tmp/children2.bin"
bounded dump_too_many_values 1 "Error reading R.L: Stream holds more than 1048576" \
    dump "$tmp/flags.bin"
bounded check_values_under_a_raised_limit 0 "" check --max-records 5000000 "$tmp/flags.bin"
bounded check_bad_record_limit 1 "max-records takes a number of records" \
    check --max-records 12K "$tmp/flags.bin"

# pack refuses, naming the line, whatever the stream could not give back as the text
# says; before, each of these packed with status 0 into a stream that read back otherwise.
long() { head -c "$1" /dev/zero | tr '\0' "$2"; }
while IFS='|' read -r row text message; do
    printf "$text" > "$tmp/bad.txt"
    check "pack_$row" 1 "$tool" pack "$tmp/bad.txt"
    expect_stderr "pack_${row}_says" "bad.txt:$message"
done <<ROWS
class_of_240_bytes|object a: $(long 240 C)\nend\n|1: a class name of 240 bytes or more needs a prefix
empty_child_class|object a: B\n  object c: ""\n    P = 1\n  end\nend\n|2: a child's class name may be empty only after a prefix
empty_set_member|object a: B\n  S = ["", x]\nend\n|2: a set member may not be empty
empty_property_name|object a: B\n  "" = 1\nend\n|2: a property name may not be empty
text_as_position|object X: TY prefix 2 "t"\nend\n|1: the child position is a number
collection_as_position|object X: TY prefix 2 collection ( )\nend\n|1: the child position is a number
object_name_of_256|object $(long 256 n): T\nend\n|1: an object name holds at most 255 bytes
property_name_of_256|object a: B\n  $(long 256 P) = 1\nend\n|2: a property name holds at most 255 bytes
ident_of_256|object a: B\n  P = $(long 256 i)\nend\n|2: an identifier holds at most 255 bytes
set_member_of_256|object a: B\n  P = [$(long 256 s)]\nend\n|2: a set member holds at most 255 bytes
picture_class_of_256|object a: B\n  P = picture $(long 256 P) "x"\nend\n|2: a picture class holds at most 255 bytes
hex_of_64_bits|object a: B\n  P = int64 0xFFFFFFFFFFFFFFFF\nend\n|2: '0xFFFFFFFFFFFFFFFF' does not fit 64 bits
null_in_a_list|object a: B\n  p = (null 1)\nend\n|2: a list cannot hold null
folder_as_file|object a: B\n  p = file "."\nend\n|2: .* is a folder, not a file
ROWS
# What pack accepts at the edges, dump gives back as it was.
printf 'object %s: %s\n  %s = [%s]\n  Q = int64 0x7FFFFFFFFFFFFFFF\n  object : "" prefix 0\n  end\nend\n' \
    "$(long 255 n)" "$(long 239 C)" "$(long 255 P)" "$(long 255 s)" > "$tmp/edge.txt"
check pack_edges 0 "$tool" pack "$tmp/edge.txt" -o "$tmp/edge.bin"
check dump_edges 0 sh -c "'$tool' dump '$tmp/edge.bin' > '$tmp/edge2.txt'"
check pack_edges_again 0 "$tool" pack "$tmp/edge2.txt" -o "$tmp/edge2.bin"
expect edges_come_back cmp -s "$tmp/edge.bin" "$tmp/edge2.bin"

# Inputs that are no file: a FIFO nobody writes to reads as empty at once, a device that
# never ends is refused before a byte is read. Each under a time and memory bound.
mkfifo "$tmp/fifo"
while read -r row want command; do
    check "$row" "$want" timeout 20 sh -c "$(cap 300000) '$tool' $command"
done <<ROWS
check_writerless_fifo 1 check $tmp/fifo
check_dev_zero 1 check /dev/zero
pack_dev_urandom 1 pack /dev/urandom
ROWS
"$tool" check /dev/zero > /dev/null 2> "$tmp/err"
expect_stderr check_dev_zero_says "/dev/zero is not a file or a pipe"
check check_from_a_pipe 0 sh -c "'$tool' extract TORLENTH | '$tool' check /dev/stdin"


# ---------------------------------------------------------------- output: what -o OUT is
# pack -o follows OUT's kind: a device, a FIFO or a link is written into or through, never
# replaced; a regular file keeps its mode, owner and other links.
o=$tmp/o && mkdir -p "$o" && cp "$tmp/TSTARYE.txt" "$o/s.txt" && cp "$tmp/TSTARYE" "$o/s.bin"
ln -s /dev/null "$o/null"
check pack_into_a_link_to_a_device 0 "$tool" pack "$o/s.txt" -o "$o/null"
expect pack_into_a_link_to_a_device_keeps_the_link test -L "$o/null" -a -c /dev/null
if [ "$(id -u)" = 0 ]; then
    mknod "$o/dev" c 1 3
    check pack_into_a_device 0 "$tool" pack "$o/s.txt" -o "$o/dev"
    expect pack_into_a_device_keeps_it test -c "$o/dev"
    echo x > "$o/theirs" && chown 12345:23456 "$o/theirs"
    check pack_over_another_users_file 0 "$tool" pack "$o/s.txt" -o "$o/theirs"
    expect pack_over_another_users_file_keeps_the_owner test "$(stat -c %u:%g "$o/theirs")" = 12345:23456
fi
mkfifo "$o/fifo"
check pack_into_a_fifo_nobody_reads 1 timeout 20 "$tool" pack "$o/s.txt" -o "$o/fifo"
expect_stderr pack_into_a_fifo_nobody_reads_says "fifo is a FIFO or socket that nobody reads"
exec 7<> "$o/fifo"
check pack_into_a_fifo 0 timeout 20 "$tool" pack "$o/s.txt" -o "$o/fifo"
expect pack_into_a_fifo_delivers cmp -s "$o/s.bin" <(head -c "$(stat -c %s "$o/s.bin")" <&7)
exec 7<&-
expect pack_into_a_fifo_keeps_it test -p "$o/fifo"
ln -s /dev/stdout "$o/stdout"
check pack_through_dev_stdout 0 "$tool" pack "$o/s.txt" -o "$o/stdout"
expect pack_through_dev_stdout_writes cmp -s "$tmp/out" "$o/s.bin"
expect pack_through_dev_stdout_keeps_the_link test -L "$o/stdout"
check pack_to_dash 0 "$tool" pack "$o/s.txt" -o -
expect pack_to_dash_writes_stdout cmp -s "$tmp/out" "$o/s.bin"
echo old > "$o/target" && ln -s target "$o/link"
check pack_through_a_link 0 "$tool" pack "$o/s.txt" -o "$o/link"
expect pack_through_a_link_replaces_the_target cmp -s "$o/target" "$o/s.bin"
expect pack_through_a_link_keeps_the_link test -L "$o/link"
ln -s "missing" "$o/dangling"
check pack_through_a_dangling_link 0 "$tool" pack "$o/s.txt" -o "$o/dangling"
expect pack_through_a_dangling_link_makes_its_target cmp -s "$o/missing" "$o/s.bin"
echo old > "$o/linked" && ln "$o/linked" "$o/other-name" && chmod 640 "$o/linked"
check pack_over_a_hard_link 0 "$tool" pack "$o/s.txt" -o "$o/linked"
expect pack_over_a_hard_link_keeps_it cmp -s "$o/other-name" "$o/s.bin"
expect pack_over_a_hard_link_keeps_the_mode test "$(stat -c %a:%h "$o/linked")" = 640:2
echo old > "$o/private" && chmod 600 "$o/private"
check pack_keeps_the_mode 0 "$tool" pack "$o/s.txt" -o "$o/private"
expect pack_keeps_the_mode_600 test "$(stat -c %a "$o/private")" = 600
expect pack_keeps_the_mode_writes cmp -s "$o/private" "$o/s.bin"
check pack_to_an_empty_name 1 "$tool" pack "$o/s.txt" -o ""
expect_stderr pack_to_an_empty_name_says "'' names none"
check pack_to_a_folder 1 "$tool" pack "$o/s.txt" -o "$o"
expect_stderr pack_to_a_folder_says "is a folder; -o names the file to write"
expect pack_leaves_no_part_files test -z "$(find "$o" -name '*.part')"

# ---------------------------------------------------------------- files a description names
# Only regular files are read, and none past 1 GiB: a FIFO, a device, a folder or a huge
# file is refused at once with the file and the line named.
n=$tmp/n && mkdir -p "$n/c" "$n/fc" "$n/sub"
mkfifo "$n/fifo" "$n/fc/catalogue.tsv" "$n/c/article"
truncate -s 3G "$n/big"
printf '1\tarticle\tT\tD\n' > "$n/c/catalogue.tsv"
while read -r row says line; do
    printf 'object A: TA\n  %s\nend\n' "$line" > "$n/t.txt"
    check "pack_$row" 1 timeout 20 sh -c "$(cap 300000) '$tool' pack '$n/t.txt'"
    expect_stderr "pack_${row}_says" "$says"
done <<'ROWS'
picture_fifo t.txt:2:.*fifo.is.a.FIFO,.not.a.file X = picture TBitmap "fifo"
file_fifo t.txt:2:.*fifo.is.a.FIFO X = file "fifo"
catalogue_fifo t.txt:2:.*catalogue.tsv.is.a.FIFO items "fc"
article_fifo catalogue.tsv:1:.*article.is.a.FIFO items "c"
file_of_3_gb t.txt:2:.*big.is.larger.than.1073741824.bytes X = file "big"
folder_as_file t.txt:2:.*sub.is.a.folder,.not.a.file X = file "sub"
ROWS
check pack_dev_zero_through_stdin 1 timeout 20 sh -c "printf 'object A: TA\n  X = file \"zero\"\nend\n' | { $(cap 300000) '$tool' pack /dev/stdin; }"
expect_stderr pack_dev_zero_through_stdin_says "/dev/stdin:2: /dev/zero is a device, not a file"

# ---------------------------------------------------------------- texts and catalogues
mkdir -p "$n/ids" && echo text > "$n/ids/a.txt"
printf 'object A: TA\n  object L: TWJKStringList\n    items "ids"\n  end\nend\n' > "$n/ids.txt"
for id in 12abc ' 7' +5 70000; do
    printf '%s\ta.txt\tT\tD\n' "$id" > "$n/ids/catalogue.tsv"
    check "pack_ident_[$id]" 1 "$tool" pack "$n/ids.txt"
    expect_stderr "pack_ident_[$id]_says" "catalogue.tsv:1: the ident '$id' is not a number from 0 to 65535"
done
printf '7\ta.txt\tT\377\tD\n' > "$n/ids/catalogue.tsv"
check pack_title_not_utf8 1 "$tool" pack "$n/ids.txt"
expect_stderr pack_title_not_utf8_says "catalogue.tsv:1: the title is not UTF-8"
printf 'object A: TA\n  X = "a\377b"\n  Y = "a\342\202"\nend\n' > "$n/u.txt"
check pack_text_not_utf8 1 "$tool" pack "$n/u.txt"
expect_stderr pack_text_not_utf8_says "u.txt:2: the text is not UTF-8"
sed -i 2d "$n/u.txt"
check pack_text_cut_inside_a_character 1 "$tool" pack "$n/u.txt"
expect_stderr pack_text_cut_inside_a_character_says "u.txt:2: the text is not UTF-8"
printf 'object A: TA\n  X = "\360\237\230\200"\nend\n' > "$n/u.txt"
check pack_text_beyond_gbk 1 "$tool" pack "$n/u.txt"
expect_stderr pack_text_beyond_gbk_says "u.txt:2: the text holds characters that GBK cannot hold"

# ---------------------------------------------------------------- failures end with status 1
# Output that does not arrive (a full device, a closed descriptor) fails the command, and a
# closed descriptor is never taken over by a file the tool opens.
while read -r row says command; do
    check "$row" 1 sh -c "$command"
    expect_stderr "${row}_says" "$says"
done <<ROWS
check_to_dev_full no.space.is.left '$tool' check '$tmp/TSTARYE' > /dev/full
check_to_closed_stdout standard.output:.it.is.closed '$tool' check '$tmp/TSTARYE' >&-
dump_to_dev_full no.space.is.left '$tool' dump '$tmp/TSTARYE' > /dev/full
dump_to_closed_stdout standard.output:.it.is.closed '$tool' dump '$tmp/TSTARYE' >&-
dump_files_to_dev_full no.space.is.left '$tool' dump --files '$tmp/full' '$tmp/fine' > /dev/full
frame_to_closed_stdout standard.output:.it.is.closed '$tool' frame < '$tmp/abc' >&-
unframe_to_dev_full no.space.is.left '$tool' frame < '$tmp/text' | '$tool' unframe > /dev/full
check_from_closed_stdin standard.input:.it.is.closed '$tool' check <&-
frame_from_closed_stdin standard.input:.it.is.closed '$tool' frame <&- > /dev/null
help_to_dev_full no.space.is.left '$tool' --help > /dev/full
version_to_dev_full no.space.is.left '$tool' --version > /dev/full
ROWS

# ---------------------------------------------------------------- dump --files leaves no debris
# A signal mid-dump removes the work folder; a failed dump leaves OUT as it was, whatever
# runs beside it. (env --default-signal: a background job of a script ignores SIGINT.)
library "$tmp/lf13" 1 > "$tmp/long.bin"   # 268 M line breaks: seconds of work
for sig in TERM INT HUP; do
    out=$tmp/sig-$sig && mkdir -p "$out"
    env --default-signal=INT,HUP,TERM "$tool" dump --files "$out" "$tmp/long.bin" > /dev/null 2>&1 &
    pid=$!
    for _ in $(seq 400); do [ -n "$(ls -A "$out")" ] && break; sleep 0.05; done
    kill -s "$sig" "$pid"
    { wait "$pid"; } 2> /dev/null
    status=$?
    expect "dump_ended_by_$sig" test "$status" = $((128 + $(kill -l "$sig")))
    expect "dump_ended_by_${sig}_leaves_nothing" test -z "$(ls -A "$out")"
done
for c in TOrlenth TOther; do
    printf 'object O: %s\n  object WJKStringList0: TWJKStringList\n%s\n  end\nend\n' $c "$item_records" > "$tmp/$c.txt"
    "$tool" pack "$tmp/$c.txt" -o "$tmp/$c.bin"
done
# A dump that finds OUT taken meanwhile: it waits for the other's lock, then fails whole.
mkdir -p "$tmp/held"
exec 8< "$tmp/held"
flock 8
"$tool" dump --files "$tmp/held" "$tmp/TOrlenth.bin" > /dev/null 2> "$tmp/held.err" 8<&- &
pid=$!
for _ in $(seq 400); do [ -n "$(find "$tmp/held" -path '*/.dump-*/TOrlenth.txt')" ] && break; sleep 0.05; done
mkdir "$tmp/held/collection"
exec 8<&-
{ wait "$pid"; } 2> /dev/null
expect dump_waits_for_the_other_and_fails test $? = 1
expect dump_waits_for_the_other_says grep -q "collection exists already" "$tmp/held.err"
expect dump_waits_for_the_other_leaves_out_as_it_was test "$(ls -A "$tmp/held")" = collection
# Two at once, again and again: one wins whole, the other leaves nothing of its own.
mixed=0
for _ in $(seq 60); do
    rm -rf "$tmp/two" && mkdir "$tmp/two"
    "$tool" dump --files "$tmp/two" "$tmp/TOrlenth.bin" > /dev/null 2>&1 &
    "$tool" dump --files "$tmp/two" "$tmp/TOther.bin" > /dev/null 2>&1
    s2=$?
    wait $!
    got="$?$s2:$(ls -A "$tmp/two" | LC_ALL=C sort | tr '\n' ' ')"
    case "$got" in "01:TOrlenth.txt collection " | "10:TOther.txt collection ") ;; *) mixed=$((mixed + 1)) ;; esac
done
expect two_dumps_at_once_never_mix test "$mixed" = 0

# ---------------------------------------------------------------- bounds and numbers
check max_bytes_past_2_64 1 "$tool" check --max-bytes 18446744073709551616 "$tmp/fine"
expect_stderr max_bytes_past_2_64_says "takes at most 4611686018427387904 bytes"
check max_bytes_past_2_64_with_unit 1 "$tool" check --max-bytes 17179869184G "$tmp/fine"
expect_stderr max_bytes_past_2_64_with_unit_says "takes at most"
check check_endless_stdin 1 sh -c "$(cap 1300000) '$tool' check < /dev/zero"
expect_stderr check_endless_stdin_says "standard input is longer than 1073741824 bytes"
# Memory running out, which only a bound on the address space brings about.
if [ -z "${ASAN_OPTIONS:-}" ]; then
    check check_out_of_memory 1 sh -c "$(cap 120000) '$tool' check '$tmp/lines.bin'"
    expect_stderr check_out_of_memory_says "not enough memory while reading $tmp/lines.bin"
    truncate -s 900M "$n/large"
    printf 'object A: TA\n  X = file "large"\nend\n' > "$n/t.txt"
    check pack_out_of_memory 1 sh -c "$(cap 300000) '$tool' pack '$n/t.txt'"
    expect_stderr pack_out_of_memory_says "t.txt:2: not enough memory to read .*large (943718400 bytes)"
fi
# Incompressible blocks whose stream would pass the 32-bit total: refused, and a file as
# stdout is cut back to what it held. Half a minute of compression, so not under the
# sanitizers.
if [ -z "${ASAN_OPTIONS:-}" ]; then
    head -c 32781 /dev/urandom > "$tmp/noise" && repeat "$tmp/noise" 6
    check frame_past_the_32_bit_total 1 sh -c "for i in \$(seq 1100); do cat '$tmp/noise'; done | '$tool' frame > /dev/null"
    expect_stderr frame_past_the_32_bit_total_says "the most the stream's 32-bit total can count"
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
