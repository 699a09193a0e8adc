#!/usr/bin/env bash
# Checks the Windows release that scripts/windows.sh made, under Wine (Debian's wine64), headless
# on Xvfb, in a private Wine prefix that is removed afterwards:
#   1. the installer installs silently: the program folder, the Start-menu shortcut, the entry
#      in Apps & features;
#   2. the installed program opens its window at 898 x 617 client pixels; a click on the plant
#      list and the arrow keys choose a plant, whose photo and facts are shown (a screenshot
#      goes to build-windows/screenshot-windows.png);
#   3. the author button starts the browser the Windows way: a stand-in put at the browser's
#      place records its command line and the show state asked for;
#   4. the music plays through Windows' audio path (Wine's PulseAudio driver, into a private
#      null sink) and loops: a short music file put in photos\ is heard again and again;
#   5. the catalogue, selection and window tests, cross-built, pass under Wine;
#   6. the uninstaller, silent, leaves nothing behind.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$top/build-windows
version=$(sed -n 's/^project(Quillora VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
setup=$out/Quillora-$version-windows-x64.exe
[ -f "$setup" ] || { echo "先运行 scripts/windows.sh：没有 $setup" >&2; exit 1; }

packages=(wine wine64 xvfb xauth xdotool imagemagick pulseaudio pulseaudio-utils lame python3
          fonts-noto-cjk)
"$top/scripts/install-missing.sh" "${packages[@]}"

work=$(mktemp -d /tmp/quillora-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export QUILLORA_BROWSER_RECORD_UNIX=$work/browser.txt
pids=()
cleanup() {
    wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
pass() { echo "  ok    $*"; }
fail() { echo "  FAIL  $*"; failures=$((failures + 1)); }
check() { # description command...
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# A display and a private sound server with a silent sink whose monitor can be recorded.
number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
display=:$number
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
mkdir -p "$work/pulse"
export PULSE_RUNTIME_PATH=$work/pulse PULSE_STATE_PATH=$work/pulse PULSE_SERVER=unix:$work/pulse/native
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native" \
    -L "module-null-sink sink_name=quillora_null rate=44100 channels=2" \
    -L "module-always-sink" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$work/pulse/native" ] && break; sleep 0.1; done

echo "== Wine prefix $(wine --version)"
start=$SECONDS
wineboot -i >/dev/null 2>&1
wineserver -w
echo "   ready in $((SECONDS - start)) s"
drive=$WINEPREFIX/drive_c
install_dir="$drive/Program Files/Quillora"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/药用植物图鉴.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillora'

echo "== 1. Silent install"
wine "$setup" /S
wineserver -w
check "quillora.exe in Program Files" test -f "$install_dir/quillora.exe"
photos=$(find "$install_dir/photos" -name '*.jpg' | wc -l)
check "133 photos and BGM.mp3 in photos\\ ($photos photos)" \
    test "$photos" -eq 133 -a -f "$install_dir/photos/BGM.mp3"
check "Start-menu shortcut 药用植物图鉴" test -f "$shortcut"
check "Apps & features entry" bash -c "wine reg query '$uninstall_key' /v UninstallString 2>/dev/null | grep -q uninstall.exe"
diff <(cd "$out/Quillora" && find . -type f | sort) \
     <(cd "$install_dir" && find . -type f ! -name uninstall.exe | sort) >"$work/files.diff" \
    && pass "installed files are the program folder's" \
    || { fail "installed files differ from the program folder"; cat "$work/files.diff"; }

echo "== 2. The installed program"
# The stand-in browser goes where the author button looks for the browser.
browser_dir="$drive/Program Files/Internet Explorer"
mkdir -p "$browser_dir"
rm -f "$browser_dir"/[Ii][Ee][Xx][Pp][Ll][Oo][Rr][Ee].[Ee][Xx][Ee]
cp "$out/cmake/standinbrowser.exe" "$browser_dir/IEXPLORE.exe"
export QUILLORA_BROWSER_RECORD='Z:'"${QUILLORA_BROWSER_RECORD_UNIX//\//\\}"

# A short music file in place of the sample: 2 s, a tone for its first half second.
python3 - "$work/tone.wav" <<'EOF'
import math, struct, sys, wave
rate = 44100
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
    frames = bytearray()
    for i in range(2 * rate):
        v = 0.5 * math.sin(2 * math.pi * 660 * i / rate) if i < rate // 2 else 0.0
        frames += struct.pack("<h", int(v * 32767))
    w.writeframes(bytes(frames))
EOF
lame --quiet -b 128 "$work/tone.wav" "$work/tone.mp3"
cp "$install_dir/photos/BGM.mp3" "$work/sample-bgm.mp3"
cp "$work/tone.mp3" "$install_dir/photos/BGM.mp3"

parec --device=quillora_null.monitor --format=s16le --rate=44100 --channels=1 --raw \
    >"$work/heard.raw" 2>/dev/null &
recorder=$!
pids+=($recorder)
wine "C:\\Program Files\\Quillora\\quillora.exe" >/dev/null 2>&1 &
program=$!
pids+=($program)
probe() { "$top/scripts/wine-run.sh" "$out/cmake/windowprobe.exe" "Quillora 2.0" 2>/dev/null | tr -d '\r'; }
shown=
for _ in $(seq 120); do
    shown=$(probe) && [ -n "$shown" ] && break
    kill -0 "$program" 2>/dev/null || { echo "   the program ended before showing its window"; break; }
    sleep 0.5
done
echo "$shown" | sed 's/^/   /'
client=$(echo "$shown" | sed -n 's/^client //p')
check "window shown with a client area of 898 x 617 ($client)" test "$client" = "898 617"
origin=$(echo "$shown" | sed -n 's/^origin //p')
x=${origin% *}
y=${origin#* }
x=${x:-0}
y=${y:-0}

# The window as it opened, then after a click on the first name in the list and ten steps down
# with the arrow key (薄荷).
sleep 1
import -window root -crop 898x617+"$x"+"$y" +repage "$work/before.png"
# Wine takes a click where the pointer has been seen to arrive.
click_at() { xdotool mousemove "$1" "$2"; sleep 0.3; xdotool click 1; }
click_at $((x + 40)) $((y + 32))
sleep 0.5
for _ in $(seq 10); do xdotool key Down; sleep 0.1; done
sleep 1.5
import -window root -crop 898x617+"$x"+"$y" +repage "$out/screenshot-windows.png"
pass "screenshot: build-windows/screenshot-windows.png"
# The photo box (433 x 353 at 432, 32) shows a photo where it was empty.
colours() { convert "$1" -crop 433x353+432+32 +repage -format '%k' info:; }
before=$(colours "$work/before.png")
after=$(colours "$out/screenshot-windows.png")
check "a photo in the photo box ($before colours before, $after after)" test "$after" -gt 100 -a "$before" -lt 20
# The first six fact boxes (281 x 358 at 136, 32) hold more light text than their captions alone.
text() { convert "$1" -crop 281x358+136+32 +repage -colorspace Gray -threshold 60% \
    -format '%[fx:int(mean*w*h)]' info:; }
before=$(text "$work/before.png")
after=$(text "$out/screenshot-windows.png")
check "the facts are written ($before light pixels before, $after after)" test "$after" -gt $((before + 500))

echo "== 3. The author button"
click_at $((x + 864)) $((y + 592))
sleep 1
xdotool click 1
for _ in $(seq 40); do
    [ -f "$QUILLORA_BROWSER_RECORD_UNIX" ] && [ "$(wc -l <"$QUILLORA_BROWSER_RECORD_UNIX")" -ge 2 ] && break
    sleep 0.25
done
if [ -f "$QUILLORA_BROWSER_RECORD_UNIX" ]; then
    sed 's/^/   /' "$QUILLORA_BROWSER_RECORD_UNIX"
    starts=$(wc -l <"$QUILLORA_BROWSER_RECORD_UNIX")
    check "two clicks started the browser twice ($starts)" test "$starts" -eq 2
    address=$(grep -o 'QUILLORA_AUTHOR_URL:STRING=.*' "$out/cmake/CMakeCache.txt" | cut -d= -f2)
    check "command line: the executable, one blank, the address" bash -c \
        "cut -f1 '$QUILLORA_BROWSER_RECORD_UNIX' | grep -qxF '\"C:\\Program Files\\Internet Explorer\\IEXPLORE.exe\" $address'"
    check "show state 2: minimized and activated" bash -c \
        "cut -f2 '$QUILLORA_BROWSER_RECORD_UNIX' | sort -u | grep -qx 2"
else
    fail "the browser was not started"
fi

echo "== 4. The music"
sleep 8
kill "$recorder" 2>/dev/null || true
wait "$recorder" 2>/dev/null || true
# The tone's starts: 50 ms steps whose peak rises above 1 % of full scale (the tone is played at
# the player's volume; between tones the file is digital silence).
starts=$(python3 - "$work/heard.raw" <<'EOF'
import array, sys
samples = array.array("h", open(sys.argv[1], "rb").read())
step = 2205
loud = [max(abs(s) for s in samples[i:i + step]) > 328 for i in range(0, len(samples) - step, step)]
starts = [i * 0.05 for i in range(1, len(loud)) if loud[i] and not loud[i - 1]]
print(" ".join("%.2f" % s for s in starts))
EOF
)
echo "   tone heard at (s): ${starts:-none}"
gaps=$(python3 -c "import sys; s=[float(x) for x in sys.argv[1:]]; print(' '.join('%.2f' % (b - a) for a, b in zip(s, s[1:])))" $starts)
check "the 2-s music loops: 3 or more passes heard, each 2 s apart (gaps: ${gaps:-none})" python3 -c "
import sys
g = [float(x) for x in sys.argv[1:]]
sys.exit(0 if len(g) >= 2 and all(abs(x - 2.0) < 0.25 for x in g) else 1)" $gaps
cp "$work/sample-bgm.mp3" "$install_dir/photos/BGM.mp3"

# Closing the window ends the program.
"$top/scripts/wine-run.sh" "$out/cmake/windowprobe.exe" "Quillora 2.0" close >/dev/null 2>&1 || true
for _ in $(seq 40); do kill -0 "$program" 2>/dev/null || break; sleep 0.25; done
check "closing the window ends the program" bash -c "! kill -0 $program 2>/dev/null"

echo "== 5. Cross-built tests under Wine"
if (cd "$out/cmake" && ctest --output-on-failure --timeout 120 >"$work/ctest.log" 2>&1); then
    pass "$(grep -o '[0-9]*% tests passed.*' "$work/ctest.log" || tail -1 "$work/ctest.log")"
else
    fail "cross-built tests"
    cat "$work/ctest.log"
fi
# The faces the Chinese text is drawn from (Qt Test writes its log to a file under Wine).
(cd "$out/cmake" && "$top/scripts/wine-run.sh" window_form.exe chineseFromChineseFaces \
    -o "Z:${work//\//\\}\\faces.txt,txt" >/dev/null 2>&1) || true
sed -n 's/^QINFO  *: TestWindowForm::chineseFromChineseFaces(\(.*\)) \(.*\)$/   Chinese face for \1: \2/p' \
    "$work/faces.txt" 2>/dev/null | tr -d '\r' | sort -u

echo "== 6. Silent uninstall"
wine "$install_dir/uninstall.exe" /S
wineserver -w
for _ in $(seq 40); do [ -e "$install_dir" ] || break; sleep 0.25; done
check "program folder removed" test ! -e "$install_dir"
check "Start-menu shortcut removed" test ! -e "$shortcut"
check "Apps & features entry removed" bash -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"

echo
if [ "$failures" -eq 0 ]; then
    echo "Windows check: all passed"
else
    echo "Windows check: $failures failed"
    exit 1
fi
