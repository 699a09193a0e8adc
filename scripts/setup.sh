#!/usr/bin/env bash
# Shared set-up for ./run.sh and ./test.sh: installs the Debian packages that are missing
# (apt-get update first, only when something is missing), then configures and builds into
# the build folder given as $1 (default: build). Extra arguments go to cmake's configure step.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-build}
shift || true

packages=(
    # toolchain and Qt
    cmake g++ make ccache pkg-config git qt6-base-dev libgl-dev
    # the music decoder, its sound output (PulseAudio's client library), the encoder for the
    # sample music, and a sound server the music tests play into (a private one with a silent
    # sink)
    libmpg123-dev libpulse-dev lame pulseaudio pulseaudio-utils
    # fonts: a Song-style CJK face and a sans face with CJK coverage
    fonts-noto-cjk fonts-dejavu-core fontconfig libfontconfig-dev
    # a display for tests and screenshots, and the browser starter
    xvfb xauth xdg-utils libxcb1-dev
    # benchmark floor (djpeg) and desktop metadata checks
    libjpeg-turbo-progs libjpeg-dev desktop-file-utils appstream dpkg-dev file
    # the benchmark's private sound server (a null sink) and its recorder
    pulseaudio pulseaudio-utils
)

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
cmake --build "$build_dir" --parallel "$(nproc)"
