#!/usr/bin/env bash
# The whole test suite from a fresh clone, without a display: installs what
# is missing, then runs each stage below in turn and stops at the first that
# fails. Nothing outside the clone is needed.
#   1. builds and runs every test (with the settings reader's parity against
#      Windows' own reader under Wine),
#   2. builds again with AddressSanitizer and UndefinedBehaviorSanitizer and
#      runs the suite there,
#   3. fuzzes the settings reader, the renderer and the HTTP service's
#      requests (tests/fuzz/run.sh; the seconds of each there),
#   4. puts three mutants of tests/mutation/mutants.txt and three generated
#      from the source (tests/mutation/generate.pl, of those a sample showed
#      caught), chosen by the commit, into a copy of the tree and fails when
#      the tests miss one,
#   5. builds the Debian package, installs, starts and removes it (as root),
#   6. on a minimal Debian 12 (scripts/fresh-debian.sh, as root), runs the
#      README's start command from a fresh clone of the last commit and
#      prints once to zplsink (tests/fresh/first_print.sh),
#   7. builds the Windows zip (scripts/windows.sh) and tries it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

scripts/setup.sh wine wine64 gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 clang libzxing-dev poppler-utils
# libFuzzer comes with the compiler-rt package of the installed clang's version.
scripts/setup.sh "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)

passed=0
count_tests() { # build folder, ctest's options
    passed=$((passed + $(ctest --test-dir "$1" -N "${@:2}" | sed -n 's/^Total Tests: //p')))
}

build_and_test() {
    BUILD_DIR=build scripts/build.sh -DZPLTEST_REQUIRE_PARITY=ON
    ctest --test-dir build --output-on-failure --timeout 600
    count_tests build
}

sanitizers() {
    BUILD_DIR=build-asan scripts/build.sh -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build-asan --output-on-failure --timeout 600 -E profile_parity
    count_tests build-asan -E profile_parity
}

fuzzing() {
    tests/fuzz/run.sh
    passed=$((passed + 3))
}

mutation() {
    tests/mutation/mutate.sh --ci 3
    passed=$((passed + 1))
}

package() {
    "${sudo[@]}" bash tests/package/test_package.sh build
    passed=$((passed + 1))
}

# What CI cannot see on a machine where everything is installed: the README's
# start command on a minimal Debian 12 with only what scripts/setup.sh
# installs, zpltest's and zplsink's windows under Xvfb and one print. The root
# is cached outside the clone after its first making (a few minutes); with it
# the stage costs about 2.5 minutes on an idle machine, 10 to 20 on a busy
# one, so it runs every time; ZPLTEST_FRESH=off leaves it out. Inside such a
# copy (this suite run there) the stage is what is running.
fresh_machine() {
    if [[ -f /.fresh-debian-base ]]; then
        echo "left out: this machine is itself a fresh-debian copy" && return
    elif [[ ${ZPLTEST_FRESH:-on} == off ]]; then
        echo "left out: ZPLTEST_FRESH=off" && return
    fi
    [[ -z $(git status --porcelain --untracked-files=no) ]] ||
        echo "note: the check clones the last commit; uncommitted changes are not in it"
    local status=0
    "${sudo[@]}" bash scripts/fresh-debian.sh --display 'bash tests/fresh/first_print.sh' 2>&1 |
        tee build/fresh-debian.log || status=$?
    if ((status != 0)) || ! grep -q '^FIRST PRINT OK' build/fresh-debian.log; then
        echo "fresh machine FAILED (exit status $status; log: build/fresh-debian.log)" >&2
        exit 1
    fi
    passed=$((passed + 1))
}

# The first run builds Qt for Windows into the cache (scripts/windows-deps.sh).
windows() {
    scripts/setup.sh wine wine64 xvfb xauth xdotool xclip imagemagick unzip
    local zip qt_prefix
    zip=$(bash scripts/windows.sh | tail -n 1)
    qt_prefix=$(sed -n 's/^ZPLTEST_WINDOWS_PREFIX:[A-Z]*=//p' build-windows/CMakeCache.txt)
    xvfb-run -a -s "-screen 0 1280x1024x24" bash tests/windows/test_windows.sh "$zip" build-windows build \
        "$qt_prefix" build-windows/wine-test | tee build-windows/wine-test.log
    passed=$((passed + $(grep -c '^  ok:' build-windows/wine-test.log)))
}

stage() { # TITLE FUNCTION
    echo
    echo "=== $1 ($(date +%T))"
    "$2"
}
stage "build and test" build_and_test
stage "build and test with AddressSanitizer and UndefinedBehaviorSanitizer" sanitizers
stage "fuzz the settings reader, the renderer and the HTTP service" fuzzing
stage "mutation check: three listed and three generated one-line mistakes chosen by the commit" mutation
stage "Debian package" package
stage "fresh machine: scripts/run.sh and one print on a minimal Debian 12" fresh_machine
stage "Windows: the zip, built with MinGW-w64, under Wine" windows

echo
echo "all stages: $passed passed, 0 failed"
