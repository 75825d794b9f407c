#!/usr/bin/env bash
# Installs what is missing, builds, and starts zpltest in its window. The
# program reads Config.ini from its own folder: build/ui/Config.ini.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "zpltest needs a display (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
    exit 1
fi
exec "${BUILD_DIR:-build}/ui/zpltest"
