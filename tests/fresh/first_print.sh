#!/usr/bin/env bash
# A newcomer's first minutes, on a display with xdotool (scripts/fresh-debian.sh
# --display gives both): scripts/run.sh, then a text typed into zpltest and
# "打印" pressed, then zpltest closed. Ends, once run.sh has, with "FIRST PRINT
# OK" when zplsink reported the whole job and zpltest showed its box, else with
# "FIRST PRINT FAILED: why" and status 1.
set -uo pipefail
cd "$(dirname "$0")/../.."
job='^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AFRESH17^FS^FO160,50^A0,89,89^FDFRESH17^FS^PQ2^XZ'
log=$(mktemp)
bash scripts/run.sh > >(tee "$log") 2>&1 &
run=$!
verdict=
failed() { [[ -n $verdict ]] || verdict="FIRST PRINT FAILED: $*"; }
window() { # class or name, ARGS: the first visible such window, waiting while run.sh runs
    local found=
    while kill -0 "$run" 2>/dev/null && [[ -z $found ]]; do
        found=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1) || sleep 0.2
    done
    echo "$found"
}

form1=$(window --class zpltest)
[[ -n $form1 ]] || failed "no zpltest window"
[[ -n $verdict || -n $(window --class zplsink) ]] || failed "no zplsink window"
if [[ -z $verdict ]]; then
    # In Form1: Text1 at (8, 64) 297 x 57, "打印" at (208, 160) 97 x 41. With no
    # window manager the keyboard follows the pointer.
    xdotool mousemove --window "$form1" 150 92 click 1 sleep 0.3 type --delay 50 fresh17
    xdotool mousemove --window "$form1" 256 180 click 1
    for _ in $(seq 100); do grep -qF "$job" "$log" && break; sleep 0.1; done
    grep -qF "$job" "$log" || failed "zplsink did not receive the job for \"fresh17\""
    [[ -n $verdict || -n $(window --name 'ZPL打印测试') ]] || failed "zpltest showed no message box"
fi
for p in /proc/[0-9]*; do [[ $(cat "$p/comm" 2>/dev/null) == zpltest ]] && kill -TERM "${p#/proc/}"; done
wait "$run"
rm -f "$log"
echo "${verdict:-FIRST PRINT OK}"
[[ -z $verdict ]]
