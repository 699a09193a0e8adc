# The Windows release's versions and folders, in one place; sourced (bash) by scripts/windows.sh,
# windows-check.sh, wine-run.sh and .ci/run.

# Upstream versions of the Debian 12 source packages built for Windows.
qt_version=6.4.2
mpg123_version=1.31.2
jpeg_version=2.1.5

mingw=x86_64-w64-mingw32

# The cross-built libraries live outside the repository and are built once.
cache=${QUILLORA_CACHE:-$HOME/.cache/quillora}
qt=$cache/qt-$qt_version-mingw64 # qtbase and qtmultimedia
deps=$cache/deps-mingw64         # libmpg123 and libjpeg-turbo

# Windows' own DLLs as Wine implements them (Debian's libwine).
wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows

# Sets dlls to the folders that hold the DLLs cross-built programs load: the Windows Qt, the
# libraries and the mingw runtime (a function, as the runtime's folder exists once mingw-w64 is
# installed).
dll_dirs() { dlls=("$qt/bin" "$deps/bin" /usr/lib/gcc/$mingw/*-posix /usr/$mingw/lib); }
