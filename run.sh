#!/usr/bin/env bash
# Installs what is missing, builds what the picture book needs (no tests, no benchmark) into
# build/, the folder ./test.sh uses too, and opens the book.
#   ./run.sh                    shows the window on this display
#   ./run.sh --screenshot FILE  runs it on a virtual screen (Xvfb), chooses 薄荷 and saves the
#                               window as PNG (through the drive library, tools/drivepreload.cpp)
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"

if [ "${1:-}" = "--screenshot" ]; then
    out=${2:?usage: ./run.sh --screenshot FILE}
    case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
    scripts/install-missing.sh xvfb xauth
    scripts/setup.sh --program build
    exec xvfb-run -a -s "-screen 0 1280x800x24" env LD_PRELOAD="$top/build/libquillora-drive.so" \
        QUILLORA_DRIVE_CHOOSE=薄荷 QUILLORA_DRIVE_SHOT="$out" build/quillora
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "没有可用的显示器（DISPLAY 未设置）：请在图形桌面中运行，或用 ./run.sh --screenshot FILE 截图。" >&2
    exit 1
fi
scripts/setup.sh --program build
exec build/quillora
