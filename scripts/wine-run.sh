#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine, for ctest (CMAKE_CROSSCOMPILING_EMULATOR) and
# for scripts/windows-check.sh. The Qt, libmpg123 and mingw runtime DLLs are found through
# WINEPATH. Needs WINEPREFIX (a private one) and DISPLAY set by the caller.
set -euo pipefail
cache=${QUILLORA_CACHE:-$HOME/.cache/quillora}
: "${WINEPREFIX:?WINEPREFIX must name a private Wine prefix}"
: "${DISPLAY:?DISPLAY must name an X display (Xvfb)}"
dirs=("$cache/qt-6.4.2-mingw64/bin" "$cache/deps-mingw64/bin" /usr/lib/gcc/x86_64-w64-mingw32/*-posix
      /usr/x86_64-w64-mingw32/lib)
path=
for d in "${dirs[@]}"; do path+="${path:+;}Z:${d//\//\\}"; done
export WINEPATH=$path WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
