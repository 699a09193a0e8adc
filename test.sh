#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
#   ./test.sh             normal build in build/
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-sanitize/
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"

build_dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
    build_dir=build-sanitize
    extra=(-DQUILLORA_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

scripts/setup.sh "$build_dir" "${extra[@]}"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "$build_dir"
ctest --output-on-failure --timeout 300
