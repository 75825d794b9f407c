#!/usr/bin/env bash
# The whole test suite from a fresh clone, without a display: installs what
# is missing, then
#   1. builds and runs every test (with the settings reader's parity against
#      Windows' own reader under Wine),
#   2. builds again with AddressSanitizer and UndefinedBehaviorSanitizer and
#      runs the suite there,
#   3. fuzzes the settings reader for $FUZZ_SECONDS seconds (60 by default),
#   4. builds the Debian package, installs, starts and removes it (as root).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

scripts/setup.sh wine wine64 gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 clang libclang-rt-14-dev libzxing-dev

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

stage "fuzz the settings reader"
cmake -S . -B build-fuzz -DZPLTEST_FUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" >/dev/null
cmake --build build-fuzz --target fuzz_settings --parallel "$(nproc)"
corpus=build-fuzz/corpus
mkdir -p "$corpus"
for fixture in tests/fixtures/*.ini; do
    name=$(basename "$fixture" .ini)
    { printf '\x00\x01prtmod\nprtmod\n'; cat "$fixture"; } >"$corpus/$name"
    { printf '\x09\x00network\nprinterport\n'; cat "$fixture"; } >"$corpus/$name-size8"
done
if ! (cd build-fuzz && ./tests/fuzz/fuzz_settings -max_total_time="${FUZZ_SECONDS:-60}" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 corpus >fuzz.log 2>&1); then
    tail -n 60 build-fuzz/fuzz.log
    echo "the fuzzer found a failure" >&2
    exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' build-fuzz/fuzz.log
passed=$((passed + 1))

stage "Debian package"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
"${sudo[@]}" bash tests/package/test_package.sh build
passed=$((passed + 1))

echo
echo "all stages: $passed passed, 0 failed"
