#!/usr/bin/env bash
# The whole test suite from a fresh clone, without a display: installs what
# is missing, then
#   1. builds and runs every test (with the settings reader's parity against
#      Windows' own reader under Wine),
#   2. builds again with AddressSanitizer and UndefinedBehaviorSanitizer and
#      runs the suite there,
#   3. fuzzes the settings reader for $FUZZ_SECONDS seconds (60 by default),
#      the renderer for $RENDER_FUZZ_SECONDS (120 by default) and the HTTP
#      service's requests for $HTTP_FUZZ_SECONDS (30 by default),
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

stage() {
    echo
    echo "=== $* ($(date +%T))"
}
passed=0
count_tests() { # build folder
    passed=$((passed + $(ctest --test-dir "$1" -N "${@:2}" | sed -n 's/^Total Tests: //p')))
}

stage "build and test"
BUILD_DIR=build scripts/build.sh -DZPLTEST_REQUIRE_PARITY=ON
ctest --test-dir build --output-on-failure --timeout 600
count_tests build

stage "build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
BUILD_DIR=build-asan scripts/build.sh -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure --timeout 600 -E profile_parity
count_tests build-asan -E profile_parity

stage "fuzz the settings reader, the renderer and the HTTP service"
cmake -S . -B build-fuzz -DZPLTEST_FUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" >/dev/null
cmake --build build-fuzz --target fuzz_settings fuzz_render fuzz_http --parallel "$(nproc)"
# The corpora start from tests/fuzz/seeds/: settings files behind their
# section, key and buffer size; labels (with the test labels); HTTP requests
# as method, path, headers, an empty line and the body.
for target in settings render http; do
    mkdir -p "build-fuzz/corpus-$target"
    cp "tests/fuzz/seeds/$target"/* "build-fuzz/corpus-$target/"
done
cp tests/labels/*.zpl build-fuzz/corpus-render/
# fuzz TARGET SECONDS: judged by the exit status and by no crash, leak,
# timeout or out-of-memory input being left in artifacts/, not by
# libFuzzer's wording.
fuzz() {
    local target=$1 seconds=$2 status=0
    local artifacts=build-fuzz/artifacts-$target
    rm -rf "$artifacts" && mkdir -p "$artifacts"
    (cd build-fuzz && "./tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="artifacts-$target/" "corpus-${target#fuzz_}" >"$target.log" 2>&1) ||
        status=$?
    if ((status != 0)) || [[ -n $(ls -A "$artifacts") ]]; then
        tail -n 60 "build-fuzz/$target.log"
        ls -l "$artifacts"
        echo "$target found a failure (exit status $status)" >&2
        exit 1
    fi
    echo "$target:"
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "build-fuzz/$target.log" || true
    passed=$((passed + 1))
}
fuzz fuzz_settings "${FUZZ_SECONDS:-60}"
fuzz fuzz_render "${RENDER_FUZZ_SECONDS:-120}"
fuzz fuzz_http "${HTTP_FUZZ_SECONDS:-30}"

stage "mutation check: three listed and three generated one-line mistakes chosen by the commit"
tests/mutation/mutate.sh --ci 3
passed=$((passed + 1))

stage "Debian package"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
"${sudo[@]}" bash tests/package/test_package.sh build
passed=$((passed + 1))

# ---- 6. A fresh machine ----------------------------------------------------
# What CI cannot see on a machine where everything is installed: the README's
# start command on a minimal Debian 12 with only what scripts/setup.sh
# installs, zpltest's and zplsink's windows under Xvfb and one print. The
# root is cached outside the clone after its first making (a few minutes).
# Inside such a copy (this suite run there) the stage is what is running.
# With the cached root it costs about 2.5 minutes on an idle machine (packages
# fetched and the programs built from nothing), 10 to 20 on a busy one, so it
# runs every time; ZPLTEST_FRESH=off leaves it out.
stage "fresh machine: scripts/run.sh and one print on a minimal Debian 12"
if [[ -f /.fresh-debian-base ]]; then
    echo "left out: this machine is itself a fresh-debian copy"
elif [[ ${ZPLTEST_FRESH:-on} == off ]]; then
    echo "left out: ZPLTEST_FRESH=off"
else
    [[ -z $(git status --porcelain --untracked-files=no) ]] ||
        echo "note: the check clones the last commit; uncommitted changes are not in it"
    status=0
    "${sudo[@]}" bash scripts/fresh-debian.sh --display 'bash tests/fresh/first_print.sh' 2>&1 |
        tee build/fresh-debian.log || status=$?
    if ((status != 0)) || ! grep -q '^FIRST PRINT OK' build/fresh-debian.log; then
        echo "fresh machine FAILED (exit status $status; log: build/fresh-debian.log)" >&2
        exit 1
    fi
    passed=$((passed + 1))
fi

stage "Windows: the zip, built with MinGW-w64, under Wine"
# The first run builds Qt for Windows into the cache (scripts/windows-deps.sh).
scripts/setup.sh wine wine64 xvfb xauth xdotool xclip imagemagick unzip
zip=$(bash scripts/windows.sh | tail -n 1)
qt_prefix=$(sed -n 's/^ZPLTEST_WINDOWS_PREFIX:[A-Z]*=//p' build-windows/CMakeCache.txt)
xvfb-run -a -s "-screen 0 1280x1024x24" bash tests/windows/test_windows.sh "$zip" build-windows build \
    "$qt_prefix" build-windows/wine-test | tee build-windows/wine-test.log
passed=$((passed + $(grep -c '^  ok:' build-windows/wine-test.log)))

echo
echo "all stages: $passed passed, 0 failed"
