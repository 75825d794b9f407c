#!/usr/bin/env bash
# The whole test suite from a fresh clone: installs what is missing, builds,
# runs every test without a display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure --timeout 300
