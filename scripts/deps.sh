# Sourced by ./run and ./test: makes sure the Debian packages the build needs are present.
# As root it installs what is missing; otherwise it prints the one command to run and stops.

ORLENTH_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libjpeg62-turbo-dev liblz4-dev libicu-dev libuchardet-dev
    libopencc-dev libopencc-data opencc libpcre2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-arphic-uming fonts-arphic-ukai xvfb xauth
    clang-format qt6-translations-l10n
    qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin speech-dispatcher
    speech-dispatcher-espeak-ng speech-dispatcher-audio-plugins espeak-ng
    desktop-file-utils appstream lintian dpkg-dev libxml2-utils man-db bsdextrautils
    python3-pyatspi at-spi2-core dbus-x11 debootstrap
)

orlenth_missing_packages() {
    local p missing=()
    for p in "${ORLENTH_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    echo "${missing[@]}"
}

orlenth_ensure_packages() {
    local missing
    missing=$(orlenth_missing_packages)
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: $missing"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        # shellcheck disable=SC2086
        apt-get install -y -qq --no-install-recommends $missing
    else
        echo "Missing Debian packages. Run this once, then try again:"
        echo "  sudo apt-get install -y $missing"
        exit 1
    fi
}

# Configures and builds the given tree incrementally; the arguments are cache settings,
# applied each time so that a tree always builds as it was last asked to.
orlenth_build() {
    local dir=$1
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    elif [ $# -gt 0 ]; then
        cmake -S . -B "$dir" "$@" > /dev/null
    fi
    cmake --build "$dir" -j "$(nproc)"
}

# Fails, listing the differences, when a tracked C++ file is not as clang-format writes it.
orlenth_check_format() {
    git ls-files -z '*.cpp' '*.h' '*.h.in' | xargs -0 clang-format --dry-run -Werror
}
