#!/usr/bin/env bash
# Installs what is missing, builds, and starts zpltest in its window. The
# program reads Config.ini from its own folder: build/ui/Config.ini. While
# that file names a printer on this machine (the sample does: 127.0.0.1:9100),
# zplsink plays the printer, in a window of its own, unless something already
# listens on that port.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The two programs and the sample Config.ini; the tests are the test command's.
BUILD_TARGETS="zpltest zpltest_config zplsink" scripts/build.sh
build_dir=${BUILD_DIR:-build}
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "zpltest needs a display (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
    exit 1
fi
config=$build_dir/ui/Config.ini
if [[ ! -f $config ]]; then
    echo "找不到 $config：程序从自己的文件夹读取设置；请运行 scripts/build.sh 放回示例文件。" >&2
    echo "$config is missing: zpltest reads its settings beside itself; scripts/build.sh puts the sample back." >&2
    exit 1
fi

# zplsink reads Config.ini as zpltest does and refuses, with a sentence, an
# address that is not this machine or a port that is taken.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$build_dir/tools/zplsink/zplsink" --window --config "$config" > >(tee "$log") 2>&1 &
sink=$!
for _ in $(seq 100); do
    grep -q -e "listening on" -e "^zplsink: " "$log" && break
    kill -0 "$sink" 2>/dev/null || break
    sleep 0.1
done
if ! grep -q "listening on" "$log"; then
    echo "zplsink 没有启动，打印任务发往 Config.ini 所写的打印机 / zplsink did not start: printing goes where Config.ini says."
    sink=
fi
status=0
"$build_dir/ui/zpltest" || status=$?
if [[ -n $sink ]]; then
    kill -INT "$sink" 2>/dev/null || true
    wait "$sink" 2>/dev/null || true
fi
exit "$status"
