#!/usr/bin/env bash
# The whole test suite from a fresh clone, without a display: installs what
# is missing, then
#   1. builds and runs every test (with the settings reader's parity against
#      Windows' own reader under Wine),
#   2. builds again with AddressSanitizer and UndefinedBehaviorSanitizer and
#      runs the suite there,
#   3. fuzzes the settings reader for $FUZZ_SECONDS seconds (60 by default)
#      and the renderer for $RENDER_FUZZ_SECONDS (120 by default),
#   4. puts three mutants of tests/mutation/mutants.txt, chosen by the commit,
#      into a copy of the tree and fails when the tests miss one,
#   5. builds the Debian package, installs, starts and removes it (as root).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

scripts/setup.sh wine wine64 gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 clang libzxing-dev
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

stage "fuzz the settings reader and the renderer"
cmake -S . -B build-fuzz -DZPLTEST_FUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" >/dev/null
cmake --build build-fuzz --target fuzz_settings fuzz_render --parallel "$(nproc)"
mkdir -p build-fuzz/corpus-settings build-fuzz/corpus-render
for fixture in tests/fixtures/*.ini; do
    name=$(basename "$fixture" .ini)
    { printf '\x00\x01prtmod\nprtmod\n'; cat "$fixture"; } >"build-fuzz/corpus-settings/$name"
    { printf '\x09\x00network\nprinterport\n'; cat "$fixture"; } >"build-fuzz/corpus-settings/$name-size8"
done
cp tests/labels/*.zpl build-fuzz/corpus-render/
printf '^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ1^XZ' \
    >build-fuzz/corpus-render/zpltest-label
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

stage "mutation check: three one-line mistakes chosen by the commit"
tests/mutation/mutate.sh --ci 3
passed=$((passed + 1))

stage "Debian package"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
"${sudo[@]}" bash tests/package/test_package.sh build
passed=$((passed + 1))

echo
echo "all stages: $passed passed, 0 failed"
