#!/usr/bin/env bash
# Builds the Windows release of Quillora on Debian 12, with Debian's packages only:
#   scripts/windows.sh
# 1. installs what is missing (mingw-w64, NSIS, ...) and a deb-src entry for the same archive;
# 2. builds, once, Qt 6.4.2 (qtbase, qtmultimedia), libmpg123 and libjpeg-turbo for Windows from
#    Debian's source packages into a cache outside the repository ($QUILLORA_CACHE, by default
#    ~/.cache/quillora); later runs reuse it;
# 3. builds the program for this machine in build/ (the sample photos, music and icon come from
#    there), then quillora.exe and its tests in build-windows/;
# 4. gathers the program folder build-windows/Quillora/ (quillora.exe, the DLLs it needs and no
#    others, photos\) and makes the portable zip and the NSIS installer beside it.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${QUILLORA_CACHE:-$HOME/.cache/quillora}
qt=$cache/qt-6.4.2-mingw64
deps=$cache/deps-mingw64 # libmpg123 and libjpeg-turbo
out=$top/build-windows
jobs=$(nproc)
mingw=x86_64-w64-mingw32

say() { echo "== $*"; }

# --- 1. packages -------------------------------------------------------------------------------
packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    cmake ninja-build ccache pkg-config dpkg-dev nasm nsis zip
    # the host Qt: its tools (moc, rcc, uic, qsb) serve the cross build
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-shadertools-dev
)
"$top/scripts/install-missing.sh" "${packages[@]}"

# --- 2. the Windows libraries, built once from Debian's sources -------------------------------
# A deb-src entry for every archive the machine installs from, when there is none.
add_source_entries() {
    grep -rqs '^deb-src\|^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ && return
    [ "$(id -u)" -eq 0 ] || { echo "需要 deb-src 软件源，请以 root 身份运行。" >&2; exit 1; }
    say "Adding deb-src entries"
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -e "$f" ] && sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    done
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list >/etc/apt/sources.list.d/quillora-src.list
    fi
    apt-get update -qq
}

# Fetches a source package into $cache/src unless its upstream tarball is already there. A
# missing upstream signature (.asc) makes apt-get fail after the tarball has arrived; the
# tarball is all that is used.
fetch_source() { # package tarball-glob
    local package=$1 glob=$2
    mkdir -p "$cache/src"
    compgen -G "$cache/src/$glob" >/dev/null && return
    add_source_entries
    (cd "$cache/src" && apt-get source -qq --download-only "$package" 2>/dev/null) || true
    compgen -G "$cache/src/$glob" >/dev/null || { echo "无法取得源码包 $package" >&2; exit 1; }
}

unpack() { # tarball-glob folder
    [ -d "$cache/src/$2" ] || (cd "$cache/src" && tar xf $1)
}

# The toolchain file the cached libraries were built with stays in the cache, so that they do
# not depend on this clone.
mkdir -p "$cache/build"
cp "$top/packaging/windows/mingw-w64-x86_64.cmake" "$cache/mingw-w64-x86_64.cmake.new"
cmp -s "$cache/mingw-w64-x86_64.cmake.new" "$cache/mingw-w64-x86_64.cmake" \
    || mv "$cache/mingw-w64-x86_64.cmake.new" "$cache/mingw-w64-x86_64.cmake"
rm -f "$cache/mingw-w64-x86_64.cmake.new"
toolchain=$cache/mingw-w64-x86_64.cmake
host_qt=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
launchers=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

if [ ! -f "$qt/.built-qtbase" ]; then
    fetch_source qt6-base 'qt6-base_6.4.2*.orig.tar.xz'
    unpack 'qt6-base_6.4.2*.orig.tar.xz' qtbase-everywhere-src-6.4.2
    say "Building qtbase for Windows (about an hour on two cores, once)"
    start=$SECONDS
    # Only what the program uses: no OpenGL (the window is drawn in software), no D-Bus, SQL,
    # printing, XML or Vulkan; the third-party libraries Qt bundles (zlib, libpng, libjpeg,
    # pcre2, harfbuzz, freetype) are built for Windows too. wintab.h is not in Debian's
    # source, hence no tablet events. Qt 6.4 builds its DirectWrite 3 font database only
    # together with Direct2D, yet the Windows platform asks for it whenever DirectWrite 3 is
    # on: with it off, the platform uses its GDI font database, Qt 6.4's default anyway.
    cmake -G Ninja -S "$cache/src/qtbase-everywhere-src-6.4.2" -B "$cache/build/qtbase" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${host_qt[@]}" "${launchers[@]}" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt" \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF \
        -DFEATURE_tabletevent=OFF -DFEATURE_printsupport=OFF \
        -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF \
        -DFEATURE_openssl=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_brotli=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
        >"$cache/build/qtbase-configure.log" 2>&1 \
        || { tail -40 "$cache/build/qtbase-configure.log"; exit 1; }
    cmake --build "$cache/build/qtbase" --parallel "$jobs" >"$cache/build/qtbase-build.log" 2>&1 \
        || { tail -40 "$cache/build/qtbase-build.log"; exit 1; }
    cmake --install "$cache/build/qtbase" >/dev/null
    touch "$qt/.built-qtbase"
    say "qtbase built in $((SECONDS - start)) s"
fi

if [ ! -f "$qt/.built-qtmultimedia" ]; then
    fetch_source qt6-multimedia 'qt6-multimedia_6.4.2*.orig.tar.xz'
    unpack 'qt6-multimedia_6.4.2*.orig.tar.xz' qtmultimedia-everywhere-src-6.4.2
    say "Building qtmultimedia for Windows (once)"
    start=$SECONDS
    # The video shaders are baked by the host's qsb; its CMake package names the tool. Qt names
    # Media Foundation's libraries and some headers with other capitals than mingw-w64 and Qt
    # itself spell them (Mf, Mferror.h, QUrl.h, ...), which only a case-insensitive file system
    # forgives: the libraries are named here, and each such header gets a same-named one that
    # includes the lower-case file.
    wmf=()
    for lib in Mf Mfuuid Mfplat Mfcore Propsys; do
        wmf+=("-DWMF_${lib^^}_LIBRARY=/usr/$mingw/lib/lib${lib,,}.a")
    done
    spelled=$cache/build/windows-spelled-headers
    mkdir -p "$spelled"
    grep -rhoE '#include [<"][A-Za-z0-9_]+\.h[>"]' "$cache/src/qtmultimedia-everywhere-src-6.4.2/src" \
        | sed 's/#include .\(.*\)./\1/' | sort -u | while read -r header; do
        lower=${header,,}
        [ "$header" = "$lower" ] && continue
        for dir in "/usr/$mingw/include" "$qt"/include/Qt*; do
            if [ ! -e "$dir/$header" ] && [ -e "$dir/$lower" ]; then
                echo "#include <$lower>" >"$spelled/$header"
            fi
        done
    done
    cmake -G Ninja -S "$cache/src/qtmultimedia-everywhere-src-6.4.2" -B "$cache/build/qtmultimedia" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${host_qt[@]}" "${launchers[@]}" \
        -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="$qt" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt" \
        -DQt6ShaderTools_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6ShaderTools \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_spatialaudio=OFF "${wmf[@]}" \
        -DCMAKE_CXX_FLAGS="-I$spelled" \
        >"$cache/build/qtmultimedia-configure.log" 2>&1 \
        || { tail -40 "$cache/build/qtmultimedia-configure.log"; exit 1; }
    cmake --build "$cache/build/qtmultimedia" --parallel "$jobs" \
        >"$cache/build/qtmultimedia-build.log" 2>&1 \
        || { tail -40 "$cache/build/qtmultimedia-build.log"; exit 1; }
    cmake --install "$cache/build/qtmultimedia" >/dev/null
    touch "$qt/.built-qtmultimedia"
    say "qtmultimedia built in $((SECONDS - start)) s"
fi

if [ ! -f "$deps/.built-mpg123" ]; then
    fetch_source mpg123 'mpg123_*.orig.tar.bz2'
    unpack 'mpg123_*.orig.tar.bz2' "$(cd "$cache/src" && ls mpg123_*.orig.tar.bz2 | sed 's/_\(.*\)\.orig.*/-\1/')"
    source_dir=$(ls -d "$cache/src"/mpg123-*/ | head -1)
    say "Building libmpg123 for Windows (once)"
    rm -rf "$cache/build/mpg123" && mkdir -p "$cache/build/mpg123"
    (cd "$cache/build/mpg123" \
        && "$source_dir/configure" --host=$mingw --prefix="$deps" --enable-shared --disable-static \
            --with-cpu=x86-64 --enable-modules=no --disable-network CC="ccache $mingw-gcc-posix" \
        && make -j"$jobs" && make install) >"$cache/build/mpg123.log" 2>&1 \
        || { tail -40 "$cache/build/mpg123.log"; exit 1; }
    touch "$deps/.built-mpg123"
fi

if [ ! -f "$deps/.built-jpeg" ]; then
    fetch_source libjpeg-turbo 'libjpeg-turbo_*.orig.tar.gz'
    unpack 'libjpeg-turbo_*.orig.tar.gz' "$(cd "$cache/src" && ls libjpeg-turbo_*.orig.tar.gz | sed 's/_\(.*\)\.orig.*/-\1/')"
    source_dir=$(ls -d "$cache/src"/libjpeg-turbo-*/ | head -1)
    say "Building libjpeg-turbo for Windows (once)"
    # Static, with its SIMD code: the program links it in, as on Linux it uses the system's.
    cmake -G Ninja -S "$source_dir" -B "$cache/build/jpeg" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        "${launchers[@]}" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
        -DCMAKE_ASM_NASM_COMPILER=nasm >"$cache/build/jpeg.log" 2>&1 \
        && cmake --build "$cache/build/jpeg" --parallel "$jobs" >>"$cache/build/jpeg.log" 2>&1 \
        && cmake --install "$cache/build/jpeg" >>"$cache/build/jpeg.log" 2>&1 \
        || { tail -40 "$cache/build/jpeg.log"; exit 1; }
    touch "$deps/.built-jpeg"
fi

# --- 3. the program -----------------------------------------------------------------------------
say "Building for this machine in build/ (sample photos, music and icon)"
"$top/scripts/setup.sh" build

say "Building quillora.exe and its tests in build-windows/"
export PKG_CONFIG_LIBDIR=$deps/lib/pkgconfig PKG_CONFIG_PATH=
cmake -G Ninja -S "$top" -B "$out/cmake" -DCMAKE_TOOLCHAIN_FILE="$top/packaging/windows/mingw-w64-x86_64.cmake" \
    "${host_qt[@]}" -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_PREFIX_PATH="$qt;$deps" \
    -DCMAKE_FIND_ROOT_PATH="$qt;$deps" \
    -DCMAKE_BUILD_TYPE=Release -DQUILLORA_HOST_BUILD="$top/build" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$top/scripts/wine-run.sh" >/dev/null
cmake --build "$out/cmake" --parallel "$jobs"

# --- 4. the program folder, the zip and the installer ------------------------------------------
say "Gathering build-windows/Quillora/"
app=$out/Quillora
rm -rf "$app" && mkdir -p "$app/photos"
cp "$out/cmake/quillora.exe" "$app/"
$mingw-strip "$app/quillora.exe"
cp "$out/cmake/photos/"*.jpg "$out/cmake/photos/BGM.mp3" "$app/photos/"
# Qt's plugins the program loads: the Windows platform, the Windows styles, the Windows audio
# output, and the picture formats beside JPEG that Qt's readers handle (JPEG itself goes
# through libjpeg-turbo, linked in).
for plugin in platforms/qwindows styles/qwindowsvistastyle multimedia/windowsmediaplugin \
    imageformats/qgif imageformats/qico; do
    mkdir -p "$app/$(dirname $plugin)"
    cp "$qt/plugins/$plugin.dll" "$app/$plugin.dll"
done

# Every DLL quillora.exe and the plugins load, found in the cross Qt, the libraries and the
# mingw runtime, copied beside quillora.exe; a DLL found nowhere must be one of Windows' own
# (one Wine implements too), else the build stops.
search=("$qt/bin" "$deps/bin" /usr/lib/gcc/$mingw/*-posix /usr/$mingw/lib)
wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
declare -A seen=()
queue=("$app/quillora.exe" "$app"/*/*.dll)
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    for dll in $($mingw-objdump -p "$file" | sed -n 's/^\s*DLL Name: \(.*\)$/\1/p' | tr -d '\r'); do
        key=${dll,,}
        [ -n "${seen[$key]:-}" ] && continue
        seen[$key]=1
        found=
        for dir in "${search[@]}"; do
            candidate=$(find "$dir" -maxdepth 1 -iname "$dll" -print -quit 2>/dev/null)
            [ -n "$candidate" ] && { found=$candidate; break; }
        done
        if [ -n "$found" ]; then
            cp "$found" "$app/"
            $mingw-strip --strip-unneeded "$app/$(basename "$found")"
            queue+=("$app/$(basename "$found")")
        elif [ ! -e "$wine_dlls/$key" ] && [[ $key != api-ms-win-* ]]; then
            echo "缺少 $dll（$(basename "$file") 需要）" >&2
            exit 1
        fi
    done
done
for plugin in "$app"/*/*.dll; do $mingw-strip --strip-unneeded "$plugin"; done
ls "$app"/*.dll | xargs -n1 basename | sort | tr '\n' ' '
echo

version=$(sed -n 's/^project(Quillora VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
zip_file=$out/Quillora-$version-windows-x64-portable.zip
setup_file=$out/Quillora-$version-windows-x64.exe
say "Making $(basename "$zip_file")"
rm -f "$zip_file"
(cd "$out" && zip -q -r -9 "$zip_file" Quillora)

say "Making $(basename "$setup_file")"
# The uninstaller removes exactly the files the installer put there, then the folders if they
# are empty: pictures someone added to photos\ stay.
nsh=$out/nsis
mkdir -p "$nsh"
(cd "$app" && find . -type f | sed 's|^\./||' | sort) | while read -r file; do
    echo "Delete \"\$INSTDIR\\${file//\//\\}\""
done >"$nsh/uninstall-files.nsh"
(cd "$app" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||') | while read -r dir; do
    echo "RMDir \"\$INSTDIR\\${dir//\//\\}\""
done >>"$nsh/uninstall-files.nsh"
size_kb=$(du -sk "$app" | cut -f1)
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$app" -DOUTFILE="$setup_file" \
    -DUNINSTALL_LIST="$nsh/uninstall-files.nsh" -DICON="$top/build/icons/quillora.ico" \
    -DSIZE_KB="$size_kb" "$top/packaging/windows/quillora.nsi"

say "Done:"
ls -l "$zip_file" "$setup_file" | awk '{print "   ", $5, $NF}'
