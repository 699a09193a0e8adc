#!/usr/bin/env bash
# Shared set-up for ./run.sh and ./test.sh: installs the Debian packages that are missing
# (apt-get update first, only when something is missing), then configures and builds into
# the build folder given as $1 (default: build). Extra arguments go to cmake's configure step.
#   scripts/setup.sh [--program] [BUILD_DIR [CMAKE_OPTION...]]
# --program: only what running the program needs (its packages; the program, its photos and
# music, and the drive library ./run.sh --screenshot uses), no tests and no benchmark.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program_only=false
if [ "${1:-}" = "--program" ]; then
    program_only=true
    shift
fi
build_dir=${1:-build}
shift || true

# What building and running the program needs.
packages=(
    # toolchain and Qt
    cmake g++ make ccache pkg-config qt6-base-dev libgl-dev
    # the music decoder, its sound output (PulseAudio's client library) and the encoder for the
    # sample music, the photo decoder
    libmpg123-dev libpulse-dev lame libjpeg-dev
    # fonts: a Song-style CJK face and a sans face with CJK coverage, and fontTools, which cuts
    # the CJK faces to the book's characters for the program (tools/bookfaces.py)
    fonts-noto-cjk fonts-dejavu-core fontconfig libfontconfig-dev python3-fonttools
    # the display check, the browser starter, and Qt's own translations (the program loads them)
    libxcb1-dev xdg-utils qt6-translations-l10n
)
targets=()
if $program_only; then
    targets=(--target quillora quillora-photos quillora-music quillora-drive)
else
    packages+=(
        # a sound server the music tests play into (a private one with a silent sink), and the
        # benchmark's recorder
        pulseaudio pulseaudio-utils
        # virtual screens for the window tests and screenshots, with the desktop's font
        # resolution (xrdb) and a window manager that frames windows and keeps a panel's room
        xvfb xauth x11-xserver-utils openbox
        # what a screen reader sees: the accessibility bus and its reader, on a session bus of
        # the test's own
        at-spi2-core python3-pyatspi dbus-daemon
        # benchmark floor (djpeg), desktop metadata checks, the package
        libjpeg-turbo-progs desktop-file-utils appstream dpkg-dev file git
    )
fi

"$top/scripts/install-missing.sh" "${packages[@]}"

cd "$top"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
elif [ $# -gt 0 ]; then
    cmake -S . -B "$build_dir" "$@" >/dev/null
fi
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
