#!/bin/bash
# Cross-builds static libjpeg-turbo (with its NASM SIMD code) and libpng for
# x86_64-w64-mingw32 and installs them into BUILD_DIR/deps/mingw64.
#
# Usage: tools/setup/build-windows-deps.sh [BUILD_DIR]
#
# The sources are Debian's own source packages of the versions this machine
# ships, so the Windows build decodes images with the same code (and the same
# Debian patches) as the native build and its tests. They are fetched with a
# private apt configuration under BUILD_DIR/deps/apt so the machine's apt
# state is never touched and no deb-src lines have to be added system-wide.
#
# A stamp in the prefix records what it was built from; when nothing changed
# the script only reads dpkg's database and exits. Noisy output goes to
# BUILD_DIR/deps/logs and is printed only when a step fails.
set -euo pipefail

repo_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir=${1:-"$repo_dir/build"}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

deps_dir="$build_dir/deps"
prefix="$deps_dir/mingw64"
stamp="$prefix/.stamp"
apt_dir="$deps_dir/apt"
apt_conf="$apt_dir/apt.conf"
src_dir="$deps_dir/src"
work_dir="$deps_dir/build"
log_dir="$deps_dir/logs"

triplet=x86_64-w64-mingw32
sysroot=/usr/$triplet
zlib_library=$sysroot/lib/libz.a
zlib_include=$sysroot/include

# The native -dev packages decide which upstream versions we want.
jpeg_dev=libjpeg62-turbo-dev
png_dev=libpng-dev

die() {
    echo "build-windows-deps: $*" >&2
    exit 1
}

run_logged() {
    local log=$1
    shift
    echo "+ $*" >>"$log"
    if ! "$@" >>"$log" 2>&1; then
        echo "build-windows-deps: failed: $*" >&2
        echo "---- $log ----" >&2
        cat "$log" >&2
        exit 1
    fi
}

installed_version() {
    dpkg-query -W -f='${Version}' "$1" 2>/dev/null ||
        die "$1 is not installed; run tools/setup/install-packages.sh first"
}

source_name() {
    dpkg-query -W -f='${source:Package}' "$1"
}

# 1:2.1.5-2 -> 2.1.5
upstream_version() {
    local v=${1#*:}
    echo "${v%-*}"
}

for tool in "$triplet-gcc-posix" "$triplet-g++-posix" "$triplet-windres" \
    nasm cmake ninja apt-get dpkg-source; do
    command -v "$tool" >/dev/null || die "$tool not found; run tools/setup/install-packages.sh first"
done
[[ -f $zlib_library && -f $zlib_include/zlib.h ]] ||
    die "MinGW zlib missing; run tools/setup/install-packages.sh first"

jpeg_src=$(source_name "$jpeg_dev")
png_src=$(source_name "$png_dev")

# The key changes when the native packages are upgraded or this recipe is
# edited; either way the Windows libraries have to be rebuilt.
recipe_hash=$(sha256sum "${BASH_SOURCE[0]}" | cut -d' ' -f1)
key="$jpeg_dev=$(installed_version "$jpeg_dev") $png_dev=$(installed_version "$png_dev") recipe=$recipe_hash"

summary() {
    echo "windows deps: libjpeg-turbo $(upstream_version "$1") (SIMD), libpng $(upstream_version "$2") -> $prefix"
}

# Fast path, no lock and no network: the prefix was built from the same inputs.
stamp_ok() {
    [[ -f $stamp ]] && [[ $(sed -n 's/^key=//p' "$stamp") == "$key" ]] &&
        [[ -f $prefix/lib/libjpeg.a && -f $prefix/include/jpeglib.h && -f $prefix/include/png.h ]] &&
        compgen -G "$prefix/lib/libpng*.a" >/dev/null
}
if stamp_ok; then
    summary "$(sed -n "s/^$jpeg_src=//p" "$stamp")" "$(sed -n "s/^$png_src=//p" "$stamp")"
    exit 0
fi

[[ $EUID -eq 0 ]] || die "must run as root (apt-get source with a private apt state)"

mkdir -p "$deps_dir" "$log_dir"
# Two configures racing on the same build folder would trample each other.
exec 9>"$deps_dir/.lock"
flock 9
if stamp_ok; then
    summary "$(sed -n "s/^$jpeg_src=//p" "$stamp")" "$(sed -n "s/^$png_src=//p" "$stamp")"
    exit 0
fi
rm -f "$log_dir"/*.log

# ---- private apt: deb-src twins of the machine's own sources ----

write_apt_config() {
    mkdir -p "$apt_dir"/{state,lists/partial,cache/archives/partial,sources.list.d,preferences.d}
    cat >"$apt_conf" <<CONF
Dir::State "$apt_dir/state";
Dir::State::Lists "$apt_dir/lists";
Dir::Cache "$apt_dir/cache";
Dir::Cache::Archives "$apt_dir/cache/archives";
Dir::Etc::SourceList "$apt_dir/sources.list";
Dir::Etc::SourceParts "$apt_dir/sources.list.d";
Dir::Etc::Preferences "$apt_dir/preferences";
Dir::Etc::PreferencesParts "$apt_dir/preferences.d";
// Only Sources indices are wanted; skip translations.
Acquire::Languages "none";
// We are root and the private folders are root's; the _apt sandbox user
// could not write into them.
APT::Sandbox::User "root";
CONF

    : >"$apt_dir/sources.list"
    : >"$apt_dir/preferences"
    rm -f "$apt_dir"/sources.list.d/*
    local f out
    if [[ -f /etc/apt/sources.list ]]; then
        # Existing deb-src lines are dropped so they are not listed twice.
        sed -E -e '/^[[:space:]]*deb-src[[:space:]]/d' \
            -e 's/^([[:space:]]*)deb([[:space:]])/\1deb-src\2/' \
            /etc/apt/sources.list >"$apt_dir/sources.list"
    fi
    for f in /etc/apt/sources.list.d/*; do
        [[ -f $f ]] || continue
        out="$apt_dir/sources.list.d/$(basename "$f")"
        case $f in
        *.list)
            sed -E -e '/^[[:space:]]*deb-src[[:space:]]/d' \
                -e 's/^([[:space:]]*)deb([[:space:]])/\1deb-src\2/' "$f" >"$out"
            ;;
        *.sources)
            # deb822: any stanza with deb (or deb-src) becomes deb-src only.
            sed -E 's/^([Tt]ypes:).*\<deb(-src)?\>.*$/\1 deb-src/' "$f" >"$out"
            ;;
        esac
    done
}

# Version of source package $1 in the release's main suite. Point releases
# and security fixes live in -updates/-security, whose sources the mirror
# may not serve, so the base suite is the reliable pick.
main_suite_version() {
    apt-cache -c "$apt_conf" madison "$1" 2>>"$log_dir/apt.log" |
        awk -F'|' -v pkg="$1" -v suite="$main_suite" '
            { for (i = 1; i <= NF; i++) gsub(/^[ \t]+|[ \t]+$/, "", $i) }
            $1 == pkg && $3 ~ /Sources$/ {
                split($3, w, " ")
                split(w[2], s, "/")
                if (s[1] == suite) { print $2; exit }
            }'
}

# Fallback when the index has no main-suite entry: the installed version
# without its stable/security suffix (1.6.39-2+deb12u4 -> 1.6.39-2).
fallback_version() {
    dpkg-query -W -f='${source:Version}' "$1" | sed -E 's/\+deb[0-9]+u[0-9]+$//'
}

main_suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[[ -n $main_suite ]] || die "cannot tell the Debian release from /etc/os-release"

write_apt_config
# A third-party repository without sources must not stop us; a missing
# package below is reported with this log.
if ! apt-get -c "$apt_conf" update >>"$log_dir/apt.log" 2>&1; then
    echo "build-windows-deps: warning: apt-get update reported errors (see $log_dir/apt.log)" >>"$log_dir/apt.log"
fi

jpeg_version=$(main_suite_version "$jpeg_src")
png_version=$(main_suite_version "$png_src")
[[ -n $jpeg_version ]] || jpeg_version=$(fallback_version "$jpeg_dev")
[[ -n $png_version ]] || png_version=$(fallback_version "$png_dev")

# Unpacks source package $1=$2 into src/ once; prints its directory.
fetch_source() {
    local pkg=$1 version=$2
    local dir="$src_dir/$pkg-$(upstream_version "$version")"
    if [[ ! -f $dir/.fetched || $(cat "$dir/.fetched") != "$version" ]]; then
        rm -rf "$dir"
        mkdir -p "$src_dir"
        (cd "$src_dir" && run_logged "$log_dir/apt.log" \
            apt-get -c "$apt_conf" source "$pkg=$version")
        [[ -d $dir ]] || die "apt-get source did not unpack $dir"
        echo "$version" >"$dir/.fetched"
    fi
    echo "$dir"
}

jpeg_dir=$(fetch_source "$jpeg_src" "$jpeg_version")
png_dir=$(fetch_source "$png_src" "$png_version")

# ---- cross build ----

toolchain="$work_dir/mingw64-toolchain.cmake"
mkdir -p "$work_dir"
cat >"$toolchain" <<CMAKE
set(CMAKE_SYSTEM_NAME Windows)
# libjpeg-turbo picks its x86_64 SIMD sources from this name.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER $triplet-gcc-posix)
set(CMAKE_CXX_COMPILER $triplet-g++-posix)
set(CMAKE_RC_COMPILER $triplet-windres)
set(CMAKE_FIND_ROOT_PATH $sysroot)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
CMAKE

# Installed under a staging DESTDIR and moved into place at the end, so an
# interrupted build never leaves a half-filled prefix behind.
stage="$work_dir/stage"
rm -rf "$stage"

common_args=(
    -G Ninja
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DCMAKE_BUILD_TYPE=Release
    # Our C++ code throws out of libjpeg's error callback, through the
    # library's C frames; those need unwind tables. The release flags are
    # cleared so -O2 stays (libjpeg-turbo would otherwise bump it to -O3).
    -DCMAKE_C_FLAGS="-O2 -fexceptions"
    -DCMAKE_C_FLAGS_RELEASE="-DNDEBUG"
    -DCMAKE_INSTALL_PREFIX="$prefix"
    # Typed on purpose: libjpeg-turbo re-declares these as PATH, and CMake
    # then turns an untyped relative value into a path under the cwd.
    -DCMAKE_INSTALL_LIBDIR:PATH=lib
    -DCMAKE_INSTALL_INCLUDEDIR:PATH=include
)

# Configures, builds and installs source tree $1 as $2; the rest are options.
cmake_build() {
    local src=$1 name=$2
    shift 2
    local bdir="$work_dir/$name" log="$log_dir/$name.log"
    rm -rf "$bdir"
    cd "$work_dir"
    run_logged "$log" cmake -S "$src" -B "$bdir" "${common_args[@]}" "$@"
    run_logged "$log" cmake --build "$bdir"
    run_logged "$log" env DESTDIR="$stage" cmake --install "$bdir"
}

cmake_build "$jpeg_dir" libjpeg-turbo \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
    -DCMAKE_ASM_NASM_COMPILER=nasm
# REQUIRE_SIMD already fails the configure, but make sure it really is the
# 64-bit flavour and not a silently different CPU type.
grep -q 'SIMD extensions: x86_64' "$log_dir/libjpeg-turbo.log" || {
    cat "$log_dir/libjpeg-turbo.log" >&2
    die "libjpeg-turbo was not configured with x86_64 SIMD"
}

png_args=(
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF
    -DZLIB_LIBRARY="$zlib_library" -DZLIB_INCLUDE_DIR="$zlib_include"
)
# Newer libpng releases also build pngfix and friends unless told not to.
grep -q 'PNG_EXECUTABLES' "$png_dir/CMakeLists.txt" && png_args+=(-DPNG_EXECUTABLES=OFF)
cmake_build "$png_dir" libpng "${png_args[@]}"

staged="$stage$prefix"
for f in lib/libjpeg.a include/jpeglib.h include/jconfig.h include/jmorecfg.h \
    include/jerror.h include/png.h include/pngconf.h include/pnglibconf.h; do
    [[ -f $staged/$f ]] || die "install is missing $f"
done
compgen -G "$staged/lib/libpng*.a" >/dev/null || die "install is missing lib/libpng*.a"

cat >"$staged/.stamp" <<STAMP
key=$key
$jpeg_src=$jpeg_version
$png_src=$png_version
STAMP

rm -rf "$prefix"
mv "$staged" "$prefix"
rm -rf "$stage"

summary "$jpeg_version" "$png_version"
