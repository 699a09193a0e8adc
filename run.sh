#!/usr/bin/env bash
# Installs what is missing, builds, and opens the picture book.
#   ./run.sh                    shows the window on this display
#   ./run.sh --screenshot FILE  runs it under Xvfb, chooses a plant and saves a PNG
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"

scripts/setup.sh build

if [ "${1:-}" = "--screenshot" ]; then
    out=${2:?usage: ./run.sh --screenshot FILE}
    case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
    exec xvfb-run -a -s "-screen 0 1280x800x24" build/quillora --screenshot "$out"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "没有可用的显示器（DISPLAY 未设置）：请在图形桌面中运行，或用 ./run.sh --screenshot FILE 截图。" >&2
    exit 1
fi
exec build/quillora
