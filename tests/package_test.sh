#!/usr/bin/env bash
# The Debian package as a newcomer's machine meets it: built by cpack, it must declare
# everything the reader loads at run time without linking it (Qt's platform plugins, Qt's
# translations, the article faces), and installed with --no-install-recommends into a bare
# Debian system it must start, on an X display and on the offscreen platform.
# Usage: package_test.sh BUILD_FOLDER VERSION
# Needs root (debootstrap, chroot) and Debian's mirror; without either it says so and
# reports the test as skipped (exit 77), never as passed.
set -uo pipefail
build=$(cd "${1:?the build folder}" && pwd)
version=${2:?the project version}
failed=0
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

work=$(mktemp -d)
root=$work/root
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
    mountpoint -q "$root/proc" 2> /dev/null && umount "$root/proc"
    rm -rf "$work"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$work/pkg" > "$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    echo "FAIL cpack -G DEB"
    exit 1
}
deb=$(find "$work/pkg" -maxdepth 1 -name "orlenth_${version}_*.deb" | head -n 1)
[ -n "$deb" ] || { echo "FAIL no orlenth_${version}_*.deb made"; exit 1; }

# What no shared library names, so the package's own list must: Qt finds its platform
# plugin and translations by path, the reader its faces by name and OpenCC's dictionaries
# by path.
depends=$(dpkg-deb -f "$deb" Depends)
for pkg in qt6-qpa-plugins qt6-translations-l10n fonts-arphic-uming fonts-arphic-ukai libopencc-data; do
    grep -qE "(^|, )$pkg( |,|$)" <<< "$depends" || fail "the package does not depend on $pkg ($depends)"
done
# Reading aloud's engine is recommended: without it only 朗读 is off.
recommends=$(dpkg-deb -f "$deb" Recommends)
for pkg in qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng; do
    grep -qE "(^|, )$pkg( |,|$)" <<< "$recommends" || fail "the package does not recommend $pkg ($recommends)"
done

if [ "$(id -u)" -ne 0 ] || ! command -v debootstrap > /dev/null; then
    echo "SKIP the install into a bare system needs root and debootstrap"
    [ "$failed" = 0 ] && exit 77
    exit 1
fi

# A bare system, kept in the build folder between runs: making it is the slow part.
cache=$build/test-cache/bookworm-minbase.tar
mirror=http://deb.debian.org/debian
if [ ! -s "$cache" ]; then
    mkdir -p "$build/test-cache"
    if ! debootstrap --variant=minbase bookworm "$work/fresh" "$mirror" > "$work/debootstrap.log" 2>&1; then
        tail -n 5 "$work/debootstrap.log"
        echo "SKIP Debian's mirror cannot be reached"
        [ "$failed" = 0 ] && exit 77
        exit 1
    fi
    tar -C "$work/fresh" -cf "$cache.part" . && mv "$cache.part" "$cache"
    rm -rf "$work/fresh"
fi
mkdir -p "$root"
tar -C "$root" -xf "$cache"
if ! chroot "$root" /bin/true 2> /dev/null; then
    echo "SKIP this machine does not allow chroot"
    [ "$failed" = 0 ] && exit 77
    exit 1
fi
# The host's sources, so that the bare system sees the same updates the package was built
# against.
if [ -d /etc/apt/sources.list.d ]; then
    cp /etc/apt/sources.list.d/*.sources "$root/etc/apt/sources.list.d/" 2> /dev/null &&
        rm -f "$root/etc/apt/sources.list"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf" 2> /dev/null
mount -t proc proc "$root/proc" 2> /dev/null || echo "note: /proc not mounted in the bare system"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
if ! in_root sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends /tmp/$(basename "$deb")" > "$work/apt.log" 2>&1; then
    tail -n 20 "$work/apt.log"
    fail "apt-get install --no-install-recommends of the package"
    exit 1
fi
# The one recommendation that would otherwise bring the plugins along must really be absent,
# or this test proves nothing.
in_root dpkg-query -W -f='${Status}' qt6-gtk-platformtheme 2> /dev/null | grep -q "install ok" &&
    fail "recommends were installed after all"

# Qt's dialogs speak Chinese only with the translation the reader loads by path.
[ -f "$root/usr/share/qt6/translations/qtbase_zh_CN.qm" ] ||
    fail "Qt's Chinese translation is not installed with the package"

png_ok() { # a PNG of the main window's size
    local f=$1 w h
    [ -s "$f" ] || return 1
    [ "$(head -c 8 "$f" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || return 1
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$f")
    [ "$w" -ge 600 ] && [ "$h" -ge 350 ]
}

run_reader() { # name, extra environment...
    local name=$1
    shift
    rm -f "$root/tmp/shot.png"
    if ! timeout 120 chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp \
        XDG_CONFIG_HOME=/tmp/config XDG_RUNTIME_DIR=/tmp/runtime ORLENTH_SCREENSHOT=/tmp/shot.png \
        "$@" orlenth > "$work/$name.log" 2>&1; then
        cat "$work/$name.log"
        fail "the installed reader does not start ($name)"
    elif ! png_ok "$root/tmp/shot.png"; then
        cat "$work/$name.log"
        fail "the installed reader made no screenshot ($name)"
    else
        echo "ok   the installed reader starts ($name)"
    fi
}
mkdir -p "$root/tmp/runtime" && chmod 700 "$root/tmp/runtime"
run_reader offscreen QT_QPA_PLATFORM=offscreen

# A desktop: an X server reached over loopback, since the bare system has no socket folder
# of the host's.
if command -v Xvfb > /dev/null; then
    for n in $(seq 70 99); do [ -e "/tmp/.X$n-lock" ] || break; done
    Xvfb ":$n" -listen tcp -ac -screen 0 1024x768x24 > "$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    run_reader x11 DISPLAY="127.0.0.1:$n"
fi

[ "$failed" = 0 ] && echo "package: dependencies declared, installs without recommends, starts"
[ "$failed" = 0 ]
