#!/usr/bin/env bash
# Installs what is missing, builds, and starts zpltest in its window. The
# program reads Config.ini from its own folder: build/ui/Config.ini. While
# that file names a printer on this machine (the sample does: 127.0.0.1:9100),
# zplsink plays the printer in this terminal, unless something already listens
# on that port.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
build_dir=${BUILD_DIR:-build}
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "zpltest needs a display (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
    exit 1
fi

# The value of KEY in [SECTION] of Config.ini, roughly as the program reads it.
ini_value() {
    tr -d '\r' <"$build_dir/ui/Config.ini" | awk -v section="$1" -v key="$2" '
        /^[ \t]*\[/ { name = $0; gsub(/^[ \t]*\[[ \t]*|[ \t]*\].*$/, "", name); inside = (tolower(name) == tolower(section)); next }
        inside && index($0, "=") {
            k = substr($0, 1, index($0, "=") - 1); v = substr($0, index($0, "=") + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", k)
            if (tolower(k) == tolower(key)) { sub(/;.*/, "", v); gsub(/^[ \t"]+|[ \t"]+$/, "", v); print v; exit }
        }'
}

host=$(ini_value network printerip)
port=$(ini_value network printerport)
sink=
if [[ $host == 127.* || $host == localhost ]] && [[ $port =~ ^[0-9]+$ ]]; then
    echo "Config.ini 指向本机 $host:$port：由 zplsink 充当打印机 / Config.ini names this machine: zplsink plays the printer."
    "$build_dir/tools/zplsink/zplsink" --listen 127.0.0.1 --port "$port" &
    sink=$!
    sleep 0.5
    if ! kill -0 "$sink" 2>/dev/null; then
        echo "端口 $port 上已有程序在监听，就用它 / something already listens on port $port: printing goes there."
        sink=
    fi
fi
status=0
"$build_dir/ui/zpltest" || status=$?
if [[ -n $sink ]]; then
    kill -INT "$sink" 2>/dev/null || true
    wait "$sink" 2>/dev/null || true
fi
exit "$status"
