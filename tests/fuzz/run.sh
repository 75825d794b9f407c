#!/usr/bin/env bash
# Fuzzes the settings reader for $FUZZ_SECONDS seconds (60 by default), the
# renderer for $RENDER_FUZZ_SECONDS (120) and the HTTP service's requests for
# $HTTP_FUZZ_SECONDS (30), in build-fuzz/ (clang, libFuzzer, ASan, UBSan).
# The corpora start from tests/fuzz/seeds/: settings files behind their
# section, key and buffer size; labels (with the test labels); HTTP requests
# as method, path, headers, an empty line and the body.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-fuzz -DZPLTEST_FUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" >/dev/null
cmake --build build-fuzz --target fuzz_settings fuzz_render fuzz_http --parallel "$(nproc)"
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
}
fuzz fuzz_settings "${FUZZ_SECONDS:-60}"
fuzz fuzz_render "${RENDER_FUZZ_SECONDS:-120}"
fuzz fuzz_http "${HTTP_FUZZ_SECONDS:-30}"
