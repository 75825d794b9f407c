#!/usr/bin/env bash
# Builds, once, what the Windows build of zpltest and zplsink links against:
# Qt 6 (qtbase only, cut to what the programs use) from Debian's own source
# package, and libqrencode and zint from theirs, all cross-compiled with
# MinGW-w64. They go into a cache folder outside the clone, keyed by the
# versions, and are not built again while it is there. Prints the prefix last.
#
#   ZPLTEST_WINDOWS_CACHE  the cache folder (default /var/cache/zpltest)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

scripts/setup.sh g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix ninja-build dpkg-dev patch \
    libz-mingw-w64-dev xz-utils bzip2 curl ca-certificates

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)

# Debian's source packages: a deb-src line for bookworm, when there is none.
if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Version: 6\.4\.2'; then
    "${sudo[@]}" tee /etc/apt/sources.list.d/zpltest-deb-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    "${sudo[@]}" apt-get update -qq
fi

# The version of a source package and the path of its upstream tarball.
version_of() { apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -V | tail -n 1; }
orig_of() { # package version
    apt-cache showsrc "$1" | awk -v v="$2" '
        /^Version: / { take = ($2 == v) }
        take && /^Directory: / { dir = $2 }
        take && /^Files:/ { files = 1; next }
        take && files && /^ / { if ($3 ~ /\.orig\.tar\./) name = $3; next }
        { files = 0 }
        END { print dir "/" name }'
}

gcc_version=$(x86_64-w64-mingw32-gcc-posix -dumpversion)
qt_version=$(version_of qt6-base)
zint_version=$(version_of zint)
qrencode_version=$(version_of qrencode)
httplib_version=$(version_of cpp-httplib)
# Bump the recipe when the configure options below change.
# 2: no tablet support (Debian's source package leaves out the wintab header
#    that the windows platform plugin needs for it), and the plugin's fix below.
# 3: JPEG and GIF images (the web service's /v1/graphics reads them), and
#    cpp-httplib's header.
recipe=3
key="qt${qt_version%%+*}-zint${zint_version%%-*}-qrencode${qrencode_version%%-*}-httplib${httplib_version%%+*}-mingw${gcc_version}-r${recipe}"
cache=${ZPLTEST_WINDOWS_CACHE:-/var/cache/zpltest}
prefix=$cache/windows-$key
work=$cache/work-$key
"${sudo[@]}" mkdir -p "$cache"
"${sudo[@]}" chown "$(id -u):$(id -g)" "$cache"
mkdir -p "$prefix" "$work"
toolchain=$source/cmake/mingw-w64.cmake
export ZPLTEST_WINDOWS_PREFIX=$prefix

# fetch PACKAGE: the upstream tarball into $work, unpacked; prints the folder.
fetch() {
    local package=$1 version path file
    version=$(version_of "$package")
    path=$(orig_of "$package" "$version")
    file=$work/$(basename "$path")
    if [[ ! -s $file ]]; then
        curl -fsSL --retry 3 -o "$file.part" "http://deb.debian.org/debian/$path"
        mv "$file.part" "$file"
    fi
    local folder
    folder=$(tar -tf "$file" | head -n 1 | cut -d/ -f1)
    [[ -d $work/$folder ]] || tar -xf "$file" -C "$work"
    echo "$work/$folder"
}

timed() { # what command...
    local what=$1 start=$SECONDS status=0
    shift
    echo "== $what"
    "$@" || status=$?
    echo "== $what: $((SECONDS - start)) s$( ((status == 0)) || echo ", failed (exit status $status)")"
    return "$status"
}

if [[ ! -f $prefix/.qtbase-done ]]; then
    qtsrc=$(fetch qt6-base)
    # Qt 6.4.2's windows platform plugin calls dynamic OpenGL without OpenGL
    # (isSoftwareGl): the call goes where OpenGL is off.
    window_cpp=$qtsrc/src/plugins/platforms/windows/qwindowswindow.cpp
    sed -i '/^static inline bool isSoftwareGl()/,/^}/ s/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$window_cpp"
    grep -q '^#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)$' "$window_cpp"
    # A build that stopped half-way goes on where it stopped.
    timed "Qt $qt_version for Windows: configure" \
        cmake -G Ninja -S "$qtsrc" -B "$work/qtbase-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
            -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
            -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DINPUT_openssl=no \
            -DFEATURE_jpeg=ON -DFEATURE_system_jpeg=OFF -DFEATURE_gif=ON -DFEATURE_ico=OFF -DFEATURE_tabletevent=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
            -DFEATURE_system_harfbuzz=OFF >"$work/qtbase-configure.log"
    timed "Qt $qt_version for Windows: build" ninja -C "$work/qtbase-build" -j"$(nproc)" >"$work/qtbase-build.log" ||
        { grep -A 12 '^FAILED' "$work/qtbase-build.log" | head -n 60; exit 1; }
    cmake --install "$work/qtbase-build" >/dev/null
    touch "$prefix/.qtbase-done"
    rm -rf "$work/qtbase-build" "$qtsrc"
fi

# The barcode libraries, static, so that the programs carry them.
if [[ ! -f $prefix/.qrencode-done ]]; then
    src=$(fetch qrencode)
    timed "libqrencode $qrencode_version for Windows" bash -c '
        cmake -G Ninja -S "$1" -B "$1/build-windows" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_INSTALL_PREFIX="$3" \
            -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DWITH_TOOLS=NO -DWITH_TESTS=NO >/dev/null &&
        ninja -C "$1/build-windows" >/dev/null && cmake --install "$1/build-windows" >/dev/null' \
        _ "$src" "$toolchain" "$prefix"
    touch "$prefix/.qrencode-done"
    rm -rf "$src"
fi
if [[ ! -f $prefix/.zint-done ]]; then
    src=$(fetch zint)
    timed "zint $zint_version for Windows" bash -c '
        cmake -G Ninja -S "$1" -B "$1/build-windows" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_INSTALL_PREFIX="$3" \
            -DCMAKE_BUILD_TYPE=Release -DZINT_STATIC=ON -DZINT_USE_PNG=OFF \
            -DZINT_USE_QT=OFF -DZINT_TEST=OFF >/dev/null &&
        ninja -C "$1/build-windows" >/dev/null && cmake --install "$1/build-windows" >/dev/null' \
        _ "$src" "$toolchain" "$prefix"
    touch "$prefix/.zint-done"
    rm -rf "$src"
fi
# cpp-httplib is one header that holds the library too; Debian's own patches
# (security fixes) are applied to it as Debian's build applies them.
if [[ ! -f $prefix/.httplib-done ]]; then
    src=$(fetch cpp-httplib)
    debian=$work/$(basename "$(apt-cache showsrc cpp-httplib | awk -v v="$httplib_version" '
        /^Version: / { take = ($2 == v) } take && / [^ ]+\.debian\.tar\.xz$/ { print $3; exit }')")
    [[ -s $debian ]] || curl -fsSL --retry 3 -o "$debian" \
        "http://deb.debian.org/debian/$(dirname "$(orig_of cpp-httplib "$httplib_version")")/$(basename "$debian")"
    tar -xf "$debian" -C "$src"
    while read -r patch; do
        [[ -z $patch || $patch == \#* ]] || patch -d "$src" -p1 -s <"$src/debian/patches/$patch"
    done <"$src/debian/patches/series"
    install -D -m 644 "$src/httplib.h" "$prefix/include/httplib.h"
    touch "$prefix/.httplib-done"
    rm -rf "$src"
fi
echo "$prefix"
