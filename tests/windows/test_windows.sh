#!/usr/bin/env bash
# The Windows build under Wine, from its zip unpacked into a fresh folder: 1. every DLL that a
# program or library in the zip imports is in it or Windows' own, no file names a path of the
# build machine; 2. tst_settings and tst_labeljob built for Windows; 3. zplsink.exe --render
# against the Linux zplsink, dot for dot; 4. zpltest.exe's window: "打印" over the network and
# to LPT1:, the job bytes exact at the printer and in the port; zplsink.exe started as a
# double-click starts it, in its window, as that printer; 5. zplsink.exe receiving a job from
# the Linux zpltest: the same PNG as the Linux zplsink's; zplsink.exe --http answering as the Linux one
# does (PNG, PDF, a JPEG turned to ^GFA, an error). Needs a display (xvfb-run gives one).
# The screenshots, images and jobs stay in OUT.
#   test_windows.sh ZIP WINDOWS_BUILD LINUX_BUILD QT_PREFIX OUT
set -euo pipefail
zip=$1 winbuild=$(realpath "$2") linbuild=$(realpath "$3") qtprefix=$4 out=$(realpath -m "$5")
source=$(realpath "$(dirname "$0")/../..")
export WINEPREFIX=$winbuild/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
# Wine hands the environment on: the Windows programs choose their own platform.
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$out/xdg

fail() { echo "FAILED: $*" >&2; exit 1; }
ok() { echo "  ok: $*"; }
until_true() { # SECONDS COMMAND...: retries the command every 0.2 s
    local end=$((SECONDS + $1)) && shift
    until "$@"; do ((SECONDS < end)) && sleep 0.2 || return 1; done
}
# The job zpltest composes for "ab12" at darkness 15 with print quantity $1.
job() { printf '^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ%s^XZ' "$1"; }
# The windows' client coordinates: the text box at (8, 64), 297 x 57 pixels,
# "打印" at (208, 160), 97 x 41.
type_text() { xdotool mousemove --window "$1" 150 92 click 1 sleep 0.5 type --delay 100 ab12; } # WINDOW
click_print() { xdotool windowraise "$1" sleep 0.5 mousemove --window "$1" 256 180 click 1; } # raised above zplsink
# Waits for the message box ("ZPL打印测试"), which has the keyboard, copies its
# text (Ctrl+C: title, text and buttons), closes it and prints the text.
message() {
    local box
    box=$(timeout 20 xdotool search --sync --onlyvisible --name '^ZPL' | head -n 1) || fail "no message box"
    xclip -selection clipboard </dev/null >/dev/null 2>&1
    xdotool windowraise "$box" sleep 1 key ctrl+c sleep 1
    xclip -o -selection clipboard
    xdotool key Return
}
port_of() { # LOG TEXT: waits for zplsink's line "TEXT [http://]127.0.0.1:PORT" and prints PORT
    until_true 30 grep -qs "$2" "$1" || fail "zplsink did not start: $(cat "$1")"
    sed -n "s|.*$2 [a-z:/]*127\\.0\\.0\\.1:\\([0-9]*\\).*|\\1|p" "$1" | head -n 1
}
config() { # FOLDER PRTMOD PORT: a Config.ini
    printf '[prtmod]\r\nprtmod=%s;\r\ndarkness=15\r\n[network]\r\nprinterip=127.0.0.1\r\nprinterport=%s\r\n' "$2" "$3" >"$1/Config.ini"
}

rm -rf "$out"
mkdir -p "$out" && mkdir -m 700 "$XDG_RUNTIME_DIR"
wineserver -k 2>/dev/null || true
trap 'kill $(jobs -p) 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
wineboot -i >/dev/null 2>&1

echo "== the zip: $(basename "$zip"), $(du -k "$zip" | cut -f1) KiB"
unzip -q "$zip" -d "$out/unpacked"
app=$(echo "$out"/unpacked/*)
[[ -f $app/zpltest.exe && -f $app/zplsink.exe ]] || fail "no zpltest.exe and zplsink.exe at the zip's top folder"
unzip -Z1 "$zip" | tee "$out/zip-contents.txt" | sed 's/^/    /'
# Windows' own DLLs (every Windows 10 has them); everything else comes in the zip.
system_dlls=" $(echo advapi32 authz comdlg32 d3d11 d3d9 dnsapi dwmapi dwrite dxgi gdi32 imm32 iphlpapi kernel32 mpr \
    msvcrt netapi32 ole32 oleaut32 secur32 shcore shell32 shlwapi user32 userenv uxtheme version winhttp winmm ws2_32 \
    wtsapi32) "
shipped=" $(cd "$app" && find . -iname '*.dll' -printf '%f ' | tr '[:upper:]' '[:lower:]') "
binaries=$(find "$app" -iname '*.exe' -o -iname '*.dll')
for binary in $binaries; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]'); do
        [[ $shipped == *" $dll "* || $system_dlls == *" ${dll%.dll} "* || $dll == api-ms-win-* ]] ||
            fail "${binary#"$app"/} imports $dll, which is neither in the zip nor Windows' own"
    done
done
ok "every DLL that the zip's $(echo "$binaries" | wc -l) programs and libraries import is in it or Windows' own"
! grep -rlaF -e "$source" -e "$winbuild" -e "$qtprefix" "$app" || fail "files in the zip name paths of the build machine"
! grep -qv $'\r$' "$app/Config.ini" || fail "Config.ini has lines without CR LF"
ok "no file names $source, $winbuild or $qtprefix; Config.ini has CR LF line ends"

echo "== tst_settings and tst_labeljob for Windows, beside the zip's libraries and Qt Test"
cp -r "$app" "$out/tests"
cp "$winbuild"/tst_{settings,labeljob}.exe "$qtprefix/bin/Qt6Test.dll" "$out/tests/"
for test in tst_settings tst_labeljob; do
    # Under the Chinese (PRC) code page, 936, as the users' systems.
    (cd "$out/tests" && LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 QT_QPA_PLATFORM=offscreen wine "$test.exe" -o "$test.log,txt" \
        >/dev/null 2>&1) || { cat "$out/tests/$test.log"; fail "$test.exe"; }
    ok "$test.exe: $(grep '^Totals:' "$out/tests/$test.log")"
done

echo "== zplsink.exe --render against the Linux zplsink"
mkdir -p "$out/render"; cp "$source/tests/labels/shipping.zpl" "$out/render/"; job 1 >"$out/render/ab12.zpl"
for label in ab12:60x30mm shipping:4x8in; do
    name=${label%:*} media=${label#*:}
    "$linbuild/tools/zplsink/zplsink" --render "$out/render/$name.zpl" --media "$media" --out "$out/render/linux" >/dev/null
    (cd "$out/render" && wine "$app/zplsink.exe" --render "$name.zpl" --media "$media" --out windows >/dev/null)
    for png in "$out/render/linux/$name"-*.png; do
        png=$(basename "$png")
        differing=$(compare -metric AE "$out/render/linux/$png" "$out/render/windows/$png" "$out/render/diff-$png" 2>&1) ||
            fail "$png: $differing dots differ between Linux and Windows (red in $out/render/diff-$png)"
        ok "$png ($(identify -format '%wx%h' "$out/render/linux/$png") dots): the same on both systems, dot for dot"
    done
done

echo "== zplsink.exe --watch"
mkdir -p "$out/watched"
(cd "$out" && exec wine "$app/zplsink.exe" --watch watched >"$out/zplsink-watch.log" 2>&1) &
until_true 30 grep -q 'Ctrl+C quits' "$out/zplsink-watch.log" || fail "zplsink.exe --watch did not start: $(cat "$out/zplsink-watch.log")"
cp "$out/render/ab12.zpl" "$out/watched/"
until_true 20 test -s "$out/watched/done/ab12.zpl" || fail "zplsink.exe --watch took no file: $(cat "$out/zplsink-watch.log")"
cmp "$out/watched/out/ab12-1.png" <("$linbuild/tools/zplsink/zplsink" --render - --out "$out/watched-linux" <"$out/render/ab12.zpl" >/dev/null &&
    cat "$out/watched-linux/stdin-1.png") || fail "zplsink.exe --watch drew another PNG than the Linux zplsink"
ok "zplsink.exe --watch rendered a file copied in, moved it to done\\ and drew the Linux zplsink's PNG"
wineserver -k

echo "== zplsink.exe --http against the Linux zplsink --http"
(cd "$out" && exec wine "$app/zplsink.exe" --http 0 >"$out/zplsink-http.log" 2>&1) &
"$linbuild/tools/zplsink/zplsink" --http 0 >"$out/linux-http.log" 2>&1 & linuxhttp=$!
exe=$(port_of "$out/zplsink-http.log" "HTTP service on") linux=$(port_of "$out/linux-http.log" "HTTP service on")
post() { # PORT WHAT ACCEPT OUT [CURL OPTIONS...]: the status; the body to OUT
    local port=$1 what=$2 accept=$3 file=$4
    shift 4
    curl -s -o "$file" -w '%{http_code}' -H "Accept: $accept" "$@" "http://127.0.0.1:$port/v1/$what"
}
convert -size 37x21 xc:white -fill black -draw 'rectangle 5,3 30,15' -quality 95 "$out/graphic.jpg"
for side in exe linux; do
    port=${!side} label=(--data-binary @"$out/render/ab12.zpl")
    answers="$(post "$port" printers/8dpmm/labels/4x6/0/ image/png "$out/http-$side.png" "${label[@]}")"
    answers+=" $(post "$port" printers/8dpmm/labels/4x6/ application/pdf "$out/http-$side.pdf" -H 'X-Page-Size: A4' "${label[@]}")"
    answers+=" $(post "$port" graphics text/plain "$out/http-$side.zpl" -F file=@"$out/graphic.jpg")"
    answers+=" $(post "$port" printers/7dpmm/labels/4x6/0/ image/png "$out/http-$side.txt" "${label[@]}")"
    [[ $answers == "200 200 200 400" ]] ||
        fail "zplsink --http ($side) answered $answers to a label as PNG and as A4 PDF, a JPEG and 7 dots/mm (200 200 200 400 due)"
done
kill "$linuxhttp"
for kind in png pdf zpl txt; do
    cmp "$out/http-exe.$kind" "$out/http-linux.$kind" || fail "zplsink.exe --http's .$kind answer differs from the Linux zplsink's"
done
pdfinfo "$out/http-exe.pdf" | grep -q 'Page size: *595.* x 841.* pts' || fail "zplsink.exe --http's PDF page is not A4"
grep -q '^\^XA\^FO0,0\^GFA,' "$out/http-exe.zpl" || fail "zplsink.exe --http's graphic: $(cat "$out/http-exe.zpl")"
grep -q '^ERROR: ' "$out/http-exe.txt" || fail "zplsink.exe --http's error: $(cat "$out/http-exe.txt")"
ok "zplsink.exe --http answered a label as the Linux zplsink's PNG and A4 PDF, a JPEG as the same ^GFA, and a bad density with \"$(head -c 40 "$out/http-exe.txt")\""
wineserver -k

echo "== zpltest.exe"
# A printer on this machine: the Linux zplsink, saving every job it receives.
"$linbuild/tools/zplsink/zplsink" --port 0 --out "$out/printer" >"$out/printer.log" 2>&1 & sink=$!
port=$(port_of "$out/printer.log" "listening on")
config "$app" ip "$port"
(cd "$app" && exec wine zpltest.exe >"$out/zpltest.log" 2>&1) & disown
form1=$(timeout 60 xdotool search --sync --onlyvisible --name '^Form1$' | head -n 1) || fail "zpltest.exe shows no window"
sleep 2; import -window root "$out/zpltest-window.png"
ok "zpltest.exe shows its window (screenshot: $out/zpltest-window.png)"
type_text "$form1"; click_print "$form1"
text=$(message)
cmp "$out/printer/job-0001.zpl" <(job 2) || fail "the printer received other bytes: $(cat "$out/printer/job-0001.zpl")"
[[ $text == *打印成功* ]] || fail "the message box says: $text"
ok "network: the printer received exactly $(job 2), the box says 打印成功"

# The parallel port: Wine's LPT1: is this file.
config "$app" lpt1 "$port"
: >"$out/lpt1"; ln -sfn "$out/lpt1" "$WINEPREFIX/dosdevices/lpt1"
click_print "$form1"
until_true 20 test -s "$out/lpt1" || fail "nothing was written to LPT1:"; sleep 1
cmp "$out/lpt1" <(job 1; printf '\r\n') || fail "LPT1: received other bytes: $(cat "$out/lpt1")"
ok "lpt1: LPT1: received exactly $(job 1) and CR LF"

# zplsink.exe started as a double-click starts it (start: a console of its
# own): its window, listening where the Config.ini beside it says.
kill $sink && { wait $sink 2>/dev/null || true; }
config "$app" ip "$port"
wine start /unix "$app/zplsink.exe"
sinkwindow=$(timeout 60 xdotool search --sync --onlyvisible --name "^zplsink .*127\.0\.0\.1:$port\$" | head -n 1) ||
    fail "zplsink.exe started alone shows no window listening on 127.0.0.1:$port"
click_print "$form1"; sleep 3; import -window root "$out/zplsink-window.png"
# The label's top (QR code and "AB12") on the paper in its window, where Wine
# places it; the message box stays hidden behind that window.
label=$(convert "$out/zplsink-window.png" -crop 600x100+560+110 +repage -threshold 25% -format '%[fx:mean]' info:)
[[ $label != 1 ]] || fail "zplsink.exe's window shows no label after zpltest.exe's print"
ok "zplsink.exe started alone shows its window on 127.0.0.1:$port and in it the label zpltest.exe printed (screenshot: $out/zplsink-window.png)"
wineserver -k

echo "== zplsink.exe receiving from the Linux zpltest"
(cd "$out" && exec wine "$app/zplsink.exe" --port 0 --out 'sink\jobs' --png 'sink\png' >"$out/zplsink-exe.log" 2>&1) &
port=$(port_of "$out/zplsink-exe.log" "listening on")
mkdir -p "$out/linux-zpltest"; cp "$linbuild/ui/zpltest" "$out/linux-zpltest/"
config "$out/linux-zpltest" ip "$port"
"$out/linux-zpltest/zpltest" >"$out/linux-zpltest.log" 2>&1 &
form1=$(timeout 30 xdotool search --sync --onlyvisible --pid $! --name '^Form1$' | head -n 1) ||
    fail "the Linux zpltest shows no window"
sleep 1
type_text "$form1"; click_print "$form1"
until_true 20 test -s "$out/sink/png/job-0001-1.png" || fail "zplsink.exe saved no label image"
cmp "$out/sink/jobs/job-0001.zpl" <(job 2) || fail "zplsink.exe received other bytes: $(cat "$out/sink/jobs/job-0001.zpl")"
"$linbuild/tools/zplsink/zplsink" --render "$out/sink/jobs/job-0001.zpl" --out "$out/sink/linux" >/dev/null
cmp "$out/sink/png/job-0001-1.png" "$out/sink/linux/job-0001-1.png" || fail "zplsink.exe saved another PNG than the Linux zplsink"
ok "zplsink.exe received exactly $(job 2) from the Linux zpltest and saved the same PNG as the Linux zplsink"
