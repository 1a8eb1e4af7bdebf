#!/usr/bin/env bash
# Installs the build as a package would (prefix /usr, into a scratch DESTDIR) and checks
# what a desktop finds there: every file in its place and nothing else, the desktop entry,
# the metadata and the manual pages accepted by the tools that read them, and the installed
# programs answering with the project's version.
set -u
build=${1:?the build folder}
id=${2:?the desktop id}
version=${3:?the project version}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
failed=0
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

if ! DESTDIR=$root cmake --install "$build" --prefix /usr > "$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL cmake --install"
    exit 1
fi
usr=$root/usr

sizes="16 24 32 48 64 128 256"
expected=(
    bin/orlenth
    bin/orlenth-tool
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/icons/hicolor/scalable/apps/$id.svg
    share/man/man1/orlenth.1.gz
    share/man/man1/orlenth-tool.1.gz
    share/doc/orlenth/copyright
    share/doc/orlenth/changelog.gz
)
for n in $sizes; do expected+=("share/icons/hicolor/${n}x$n/apps/$id.png"); done
printf '%s\n' "${expected[@]}" | sort > "$tmp/expected"
(cd "$usr" && find . -type f -o -type l | sed 's|^\./||' | sort) > "$tmp/installed"
if ! diff -u "$tmp/expected" "$tmp/installed" > "$tmp/layout.diff"; then
    fail "installed files differ from the expected layout (- missing, + unexpected):"
    cat "$tmp/layout.diff"
fi
[ "$(find "$root" -mindepth 1 -maxdepth 1)" = "$usr" ] || fail "something was installed outside the prefix"

for exe in orlenth orlenth-tool; do
    [ -x "$usr/bin/$exe" ] || fail "$exe is not executable"
done
got=$("$usr/bin/orlenth" --version 2>&1)
[[ $got == "Orlenth $version "* ]] || fail "installed orlenth --version: $got"
got=$("$usr/bin/orlenth-tool" --version 2>&1)
[ "$got" = "orlenth-tool $version" ] || fail "installed orlenth-tool --version: $got"

# The icons: each bitmap the size its folder says (a PNG's header holds width and height as
# big-endian words from byte 16), the scalable one well-formed with the glyph's outline.
for n in $sizes; do
    png=$usr/share/icons/hicolor/${n}x$n/apps/$id.png
    [ -f "$png" ] || continue
    read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
    w=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
    h=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
    [ "$w" = "$n" ] && [ "$h" = "$n" ] || fail "$png is ${w}x$h"
done
svg=$usr/share/icons/hicolor/scalable/apps/$id.svg
if [ -f "$svg" ]; then
    xmllint --noout "$svg" || fail "$svg is not well-formed"
    grep -q '<path [^>]*d="M[-0-9. ]*[LC]' "$svg" || fail "$svg holds no outline of the character"
fi

desktop=$usr/share/applications/$id.desktop
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" > "$tmp/desktop.log" 2>&1 || fail "desktop-file-validate: $(cat "$tmp/desktop.log")"
    # The validator accepts hints silently on success; anything it prints is a finding.
    [ -s "$tmp/desktop.log" ] && fail "desktop-file-validate: $(cat "$tmp/desktop.log")"
    for line in "Exec=orlenth %f" "Icon=$id" "Terminal=false"; do
        grep -qxF "$line" "$desktop" || fail "$desktop lacks $line"
    done
    for key in Name Comment Keywords; do
        grep -q "^$key\[zh_CN\]=" "$desktop" || fail "$desktop has no Chinese $key"
    done
fi

metainfo=$usr/share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
    appstreamcli validate --no-net --pedantic "$metainfo" > "$tmp/metainfo.log" 2>&1 ||
        fail "appstreamcli validate: $(cat "$tmp/metainfo.log")"
    grep -qF "<release version=\"$version\"" "$metainfo" || fail "$metainfo does not name release $version"
    grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "$metainfo does not launch $id.desktop"
fi

# The manual pages: no warning from the formatter, the version on them, and every command
# and option the programs' own --help names.
for page in orlenth orlenth-tool; do
    file=$usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || continue
    gzip -t "$file" || fail "$file is not gzip"
    if ! MANWIDTH=80 man --warnings -l "$file" > /dev/null 2> "$tmp/man.err" || [ -s "$tmp/man.err" ]; then
        fail "man --warnings $page: $(cat "$tmp/man.err")"
    fi
    MANWIDTH=200 MAN_KEEP_FORMATTING=0 man -l "$file" 2> /dev/null | col -b > "$tmp/$page.txt"
    grep -qF "Orlenth $version" "$tmp/$page.txt" || fail "$page(1) does not carry version $version"
    for section in ENVIRONMENT FILES "EXIT STATUS" EXAMPLES; do
        grep -qx "$section" "$tmp/$page.txt" || fail "$page(1) has no $section section"
    done
    for word in $("$usr/bin/$page" --help | grep -oE '^  [-a-z]+' ); do
        grep -qE "(^|[[:space:],])$word([[:space:],]|$)" "$tmp/$page.txt" || fail "$page(1) does not explain $word"
    done
done
grep -qF ORLENTH_SCREENSHOT "$tmp/orlenth.txt" || fail "orlenth(1) does not explain ORLENTH_SCREENSHOT"
grep -qF QT_QPA_PLATFORM "$tmp/orlenth.txt" || fail "orlenth(1) does not explain QT_QPA_PLATFORM"

[ "$failed" = 0 ] && echo "installed layout, desktop entry, metadata and manual pages: all checks passed"
[ "$failed" = 0 ]
