#!/usr/bin/env bash
# The Windows build: installs what is missing, builds once the Qt, libqrencode
# and zint for Windows that it links against (scripts/windows-deps.sh, cached
# outside the clone), then zpltest.exe and zplsink.exe from the same sources
# with MinGW-w64 into build-windows/ (or $BUILD_DIR), with the tests that run
# on Windows (tst_settings, tst_labeljob), and packs the zip. Prints the zip's
# path last.
set -euo pipefail
cd "$(dirname "$0")/.."
# Installs the tools (scripts/setup.sh); its progress goes to the terminal, the prefix is its last line.
# (Through cat, not `tee /dev/stderr`: opening /dev/stderr anew truncates a log file it points at.)
prefix=$(bash scripts/windows-deps.sh | tee >(cat >&2) | tail -n 1)
build_dir=${BUILD_DIR:-build-windows}
# Configured and built as the Linux build is (CMake's output shown whole when configuring fails).
BUILD_DIR=$build_dir scripts/build.sh -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DZPLTEST_WINDOWS_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
rm -f "$build_dir"/zpltest-*-windows-x64.zip
(cd "$build_dir" && cpack -G ZIP >/dev/null && ls "$PWD"/zpltest-*-windows-x64.zip)
