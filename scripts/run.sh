#!/usr/bin/env bash
# Installs what is missing, builds, and starts zpltest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
echo "zpltest is built in ${BUILD_DIR:-build}/ (the window comes with the user interface)."
