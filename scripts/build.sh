#!/usr/bin/env bash
# Configures and builds zpltest into build/ (or $BUILD_DIR): everything, or
# only the targets named in $BUILD_TARGETS. Extra arguments go to the
# configure step, whose output is shown whole when it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "scripts/build.sh: configuring $build_dir failed (CMake's output above)" >&2
    exit 1
fi
targets=()
for target in ${BUILD_TARGETS:-}; do
    targets+=(--target "$target")
done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
