#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine, for ctest (CMAKE_CROSSCOMPILING_EMULATOR) and
# for scripts/windows-check.sh. The Qt, libmpg123 and mingw runtime DLLs are found through
# WINEPATH. Needs WINEPREFIX (a private one) and DISPLAY set by the caller.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/windows-env.sh"
: "${WINEPREFIX:?WINEPREFIX must name a private Wine prefix}"
: "${DISPLAY:?DISPLAY must name an X display (Xvfb)}"
dll_dirs
path=
for d in "${dlls[@]}"; do path+="${path:+;}Z:${d//\//\\}"; done
export WINEPATH=$path WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
