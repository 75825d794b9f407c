#!/usr/bin/env bash
# A newcomer's first minutes, on a display: the README's start command
# (scripts/run.sh: set-up, build, zplsink's window, then zpltest's), and one
# print: a text typed into zpltest, "打印" pressed, and the job arriving
# whole at zplsink, whose report run.sh shows on the terminal. Ends with
# "FIRST PRINT OK", or "FIRST PRINT FAILED: why" and status 1, once run.sh
# has ended (zpltest closed by whoever watches the windows). Needs DISPLAY and
# xdotool; fresh-debian --display gives both and stops zpltest.
set -uo pipefail
cd "$(dirname "$0")/../.."
text=fresh17
job='^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AFRESH17^FS^FO160,50^A0,89,89^FDFRESH17^FS^PQ2^XZ'
log=$(mktemp)
bash scripts/run.sh > >(tee "$log") 2>&1 &
run=$!

verdict=
failed() { [[ -n $verdict ]] || verdict="FIRST PRINT FAILED: $*"; }
window() { # class: the first visible window of that class, waiting while run.sh runs
    local found=
    while kill -0 "$run" 2>/dev/null; do
        found=$(xdotool search --onlyvisible --class "$1" 2>/dev/null | head -n 1)
        [[ -n $found ]] && break
        sleep 1
    done
    echo "$found"
}

form1=$(window zpltest)
[[ -n $form1 ]] || failed "no zpltest window"
[[ -z $form1 || -n $(window zplsink) ]] || failed "no zplsink window"
if [[ -z $verdict ]]; then
    # Form1's layout, in pixels from its top left: Text1 at (8, 64) 297 x 57,
    # "打印" at (208, 160) 97 x 41. Without a window manager the keyboard
    # follows the pointer.
    xdotool mousemove --window "$form1" 150 92 click 1 sleep 0.3 type --delay 50 "$text"
    xdotool mousemove --window "$form1" 256 180 click 1
    for _ in $(seq 100); do
        grep -qF "$job" "$log" && break
        sleep 0.1
    done
    grep -qF "$job" "$log" || failed "zplsink did not receive the job for \"$text\""
    # The message box ("打印成功" once the printer acknowledged the job).
    for _ in $(seq 50); do
        box=$(xdotool search --onlyvisible --name 'ZPL打印测试' 2>/dev/null | head -n 1)
        [[ -n $box ]] && break
        sleep 0.1
    done
    [[ -n ${box:-} ]] || failed "zpltest showed no message box"
fi
wait "$run"
rm -f "$log"
echo "${verdict:-FIRST PRINT OK}"
[[ -z $verdict ]]
