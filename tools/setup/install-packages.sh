#!/bin/bash
# Installs the Debian packages needed to build and test Tavrin and generates
# the ja_JP.UTF-8 locale the tests run under.
#
# Usage: tools/setup/install-packages.sh [BUILD_DIR]
#
# Safe to run repeatedly: when everything is already present it only queries
# dpkg and exits without touching the network. Noisy apt/locale-gen output
# goes to BUILD_DIR/logs/install-packages.log and is shown only on failure.
set -euo pipefail

repo_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir=${1:-"$repo_dir/build"}
log_file=""

packages=(
    # native tooling
    build-essential cmake ninja-build pkg-config git python3
    ca-certificates xz-utils
    # apt-get source needs dpkg-source to unpack and patch source packages
    dpkg-dev
    # Windows cross toolchain; posix threads so std::thread works
    mingw-w64 binutils-mingw-w64-x86-64
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
    libz-mingw-w64-dev
    # libjpeg-turbo's SIMD code is NASM assembly
    nasm
    # native unit tests
    googletest libgtest-dev
    libjpeg62-turbo-dev libpng-dev zlib1g-dev
    # clang with sanitizer runtimes for the native checks
    clang libclang-rt-14-dev
    # running the Windows binaries headless; parec records what the sound server plays
    wine wine64 xvfb x11-utils xauth pulseaudio pulseaudio-utils
    # the symbol font Wine draws the title-bar buttons with (otherwise they show as letters)
    fonts-wine
    # Japanese UI text has to render and round-trip
    fonts-noto-cjk locales
    # the export tests read tavrin-export's video files back with ffprobe and ffmpeg
    ffmpeg
)

die() {
    echo "install-packages: $*" >&2
    exit 1
}

# Log lazily so a no-op run leaves no trace in the build folder.
open_log() {
    if [[ -z $log_file ]]; then
        mkdir -p "$build_dir/logs"
        log_file="$build_dir/logs/install-packages.log"
        : >"$log_file"
    fi
}

run_logged() {
    open_log
    echo "+ $*" >>"$log_file"
    if ! "$@" >>"$log_file" 2>&1; then
        echo "install-packages: failed: $*" >&2
        cat "$log_file" >&2
        exit 1
    fi
}

need_root() {
    [[ $EUID -eq 0 ]] || die "must run as root to $1"
}

missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$pkg")
done

if ((${#missing[@]})); then
    need_root "install: ${missing[*]}"
    run_logged apt-get update
    run_logged env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qx 'ja_JP.utf8'; then
    need_root "generate the ja_JP.UTF-8 locale"
    if grep -Eq '^[#[:space:]]*ja_JP\.UTF-8[[:space:]]+UTF-8' /etc/locale.gen 2>/dev/null; then
        sed -i -E 's/^[#[:space:]]*(ja_JP\.UTF-8[[:space:]]+UTF-8)/\1/' /etc/locale.gen
    else
        echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    fi
    run_logged locale-gen
    locale -a 2>/dev/null | grep -qx 'ja_JP.utf8' || die "locale-gen did not produce ja_JP.utf8"
fi
