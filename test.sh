#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
#   ./test.sh             normal build in build/, with the benchmark (build/quillora-bench)
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-sanitize/
#   ./test.sh --windows   the Windows release (scripts/windows.sh: cross Qt built once, about an
#                         hour), then its check under Wine (scripts/windows-check.sh; further
#                         arguments go to it, e.g. --music-runs 5)
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"

if [ "${1:-}" = "--windows" ]; then
    scripts/windows.sh
    exec scripts/windows-check.sh "${@:2}"
fi

build_dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
    build_dir=build-sanitize
    extra=(-DQUILLORA_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    # Leaks inside system libraries only (sound server client, session bus); see the file.
    export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

scripts/setup.sh "$build_dir" -DQUILLORA_BENCH=ON "${extra[@]}"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "$build_dir"
ctest --output-on-failure --timeout 300
