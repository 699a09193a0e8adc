#!/usr/bin/env bash
# Builds the Windows release of Quillora on Debian 12, with Debian's packages only:
#   scripts/windows.sh                the release, in build-windows/
#   scripts/windows.sh --cache-ready  builds nothing; exits 0 when the cross-built libraries
#                                     are cached and up to date, 1 otherwise (for CI)
# 1. installs what is missing (mingw-w64, NSIS, Wine's DLLs, ...) and a deb-src entry;
# 2. builds, once, Qt (qtbase, qtmultimedia), libmpg123 and libjpeg-turbo for Windows from
#    Debian's source packages into a cache outside the repository (scripts/windows-env.sh names
#    the versions and folders); each is built again only when its recipe changes;
# 3. builds the program for this machine in build/ (the sample photos, music and icon come from
#    there), then quillora.exe and its tests in build-windows/;
# 4. gathers the program folder build-windows/Quillora/ (quillora.exe, the DLLs it needs and no
#    others, Qt's Chinese translations, photos\) and makes the portable zip and the NSIS
#    installer beside it.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/scripts/windows-env.sh"
out=$top/build-windows
jobs=$(nproc)
cache_ready_only=false
[ "${1:-}" = --cache-ready ] && cache_ready_only=true

say() { echo "== $*"; }

# --- 1. packages -------------------------------------------------------------------------------
packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    cmake ninja-build ccache pkg-config dpkg-dev nasm nsis zip
    # the host Qt: its tools (moc, rcc, uic, qsb) serve the cross build
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-shadertools-dev
    # Windows' own DLLs as Wine implements them, to tell them from those the program brings
    libwine
    # Qt's own translations (.qm files are the same on every platform)
    qt6-translations-l10n
)
$cache_ready_only || "$top/scripts/install-missing.sh" "${packages[@]}"

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

# Unpacks a source package's upstream tarball into $cache/src/PACKAGE-VERSION, fetching it first
# unless it is there. A missing upstream signature (.asc) makes apt-get fail after the tarball
# has arrived; the tarball is all that is used.
source_dir() { # package version
    local dir=$cache/src/$1-$2 tarball
    [ -d "$dir" ] && { echo "$dir"; return; }
    find_tarball() { find "$cache/src" -maxdepth 1 -name "$1_$2*.orig.tar.*" ! -name '*.asc'; }
    mkdir -p "$cache/src"
    if [ -z "$(find_tarball "$1" "$2")" ]; then
        add_source_entries >&2
        (cd "$cache/src" && apt-get source -qq --download-only "$1" >/dev/null 2>&1) || true
    fi
    tarball=$(find_tarball "$1" "$2" | head -1)
    [ -n "$tarball" ] || { echo "无法取得源码包 $1 $2" >&2; exit 1; }
    mkdir -p "$dir.part" && tar xf "$tarball" -C "$dir.part" --strip-components=1 && mv "$dir.part" "$dir"
    echo "$dir"
}

# The toolchain file the cached libraries were built with stays in the cache, so that they do
# not depend on this clone.
toolchain=$cache/mingw-w64-x86_64.cmake
if ! $cache_ready_only && ! cmp -s "$top/packaging/windows/mingw-w64-x86_64.cmake" "$toolchain"; then
    mkdir -p "$cache"
    cp "$top/packaging/windows/mingw-w64-x86_64.cmake" "$toolchain"
fi

# build_once NAME PREFIX PACKAGE VERSION AFTER STEPS ARG...
# Builds the source package PACKAGE at upstream VERSION into PREFIX by running each function in
# STEPS with SOURCE-DIR BUILD-DIR PREFIX ARG... (in a subshell; the steps chain their commands
# with &&, as set -e does not reach into a function whose status is tested), unless
# PREFIX/.built-NAME holds the same recipe: the source version, the toolchain file, the steps'
# code, their arguments and the recipes of the libraries named in AFTER (those it is built
# against). A changed configure flag thus rebuilds that library and those built against it, in
# the same build folder, so that ccache and ninja redo only what the flag touches.
declare -A recipes=()
stale=0
build_once() {
    local name=$1 prefix=$2 package=$3 version=$4 after=$5 steps=$6
    shift 6
    local recipe dep step
    recipe=$(
        echo "source $package $version"
        echo "toolchain $(sha256sum "$top/packaging/windows/mingw-w64-x86_64.cmake" | cut -d' ' -f1)"
        for dep in $after; do echo "after $dep"; echo "${recipes[$dep]}"; done
        for step in $steps; do declare -f "$step"; done
        printf 'arg %s\n' "$@"
    )
    recipes[$name]=$recipe
    local stamp=$prefix/.built-$name
    [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && return
    if $cache_ready_only; then
        echo "$name: $([ -f "$stamp" ] && echo "its recipe changed" || echo "not built")"
        stale=1
        return
    fi
    local src build=$cache/build/$name start=$SECONDS
    src=$(source_dir "$package" "$version")
    say "Building $name $version for Windows (log: $build.log)"
    rm -f "$stamp"
    mkdir -p "$build" "$prefix"
    : >"$build.log"
    for step in $steps; do
        ("$step" "$src" "$build" "$prefix" "$@") >>"$build.log" 2>&1 \
            || { tail -40 "$build.log"; exit 1; }
    done
    echo "$recipe" >"$stamp"
    say "$name built in $((SECONDS - start)) s"
}

# A CMake project, configured afresh (a removed flag is forgotten too) in its kept build folder.
cmake_build() { # source build prefix arg...
    local src=$1 build=$2 prefix=$3
    shift 3
    cmake --fresh -G Ninja -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" \
        && cmake --build "$build" --parallel "$jobs" && cmake --install "$build"
}

# An autotools project, configured in an emptied build folder (ccache makes the rebuild cheap).
autotools_build() { # source build prefix arg...
    local src=$1 build=$2 prefix=$3
    shift 3
    find "$build" -mindepth 1 -delete && cd "$build" \
        && "$src/configure" --host=$mingw --prefix="$prefix" "$@" && make -j"$jobs" && make install
}

# Qt names Media Foundation's libraries and some headers with other capitals than mingw-w64 and
# Qt itself spell them (Mf, Mferror.h, QUrl.h, ...), which only a case-insensitive file system
# forgives: each such header gets a same-named one that includes the lower-case file.
spell_headers() { # source build
    local spelled=$2/spelled-headers header lower dir
    mkdir -p "$spelled"
    grep -rhoE '#include [<"][A-Za-z0-9_]+\.h[>"]' "$1/src" | sed 's/#include .\(.*\)./\1/' \
        | sort -u | while read -r header; do
        lower=${header,,}
        [ "$header" = "$lower" ] && continue
        for dir in "/usr/$mingw/include" "$qt"/include/Qt*; do
            if [ ! -e "$dir/$header" ] && [ -e "$dir/$lower" ]; then
                echo "#include <$lower>" >"$spelled/$header"
            fi
        done
    done
}

host_qt=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)

# Only what the program uses: no OpenGL (the window is drawn in software), no D-Bus, SQL,
# printing, XML or Vulkan; the third-party libraries Qt bundles (zlib, libpng, libjpeg, pcre2,
# harfbuzz, freetype) are built for Windows too. wintab.h is not in Debian's source, hence no
# tablet events. Qt 6.4 builds its DirectWrite 3 font database only together with Direct2D, yet
# the Windows platform asks for it whenever DirectWrite 3 is on: with it off, the platform uses
# its GDI font database, Qt 6.4's default anyway.
build_once qtbase "$qt" qt6-base "$qt_version" "" cmake_build "${host_qt[@]}" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF \
    -DFEATURE_openssl=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_brotli=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF

# The video shaders are baked by the host's qsb; its CMake package names the tool. Media
# Foundation's libraries are named here (see spell_headers for the headers).
wmf=()
for lib in Mf Mfuuid Mfplat Mfcore Propsys; do
    wmf+=("-DWMF_${lib^^}_LIBRARY=/usr/$mingw/lib/lib${lib,,}.a")
done
build_once qtmultimedia "$qt" qt6-multimedia "$qt_version" qtbase "spell_headers cmake_build" \
    "${host_qt[@]}" -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="$qt" \
    -DQt6ShaderTools_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6ShaderTools \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_spatialaudio=OFF "${wmf[@]}" \
    -DCMAKE_CXX_FLAGS="-I$cache/build/qtmultimedia/spelled-headers"

# pkg-config looks only among the Windows libraries: it would offer this machine's (libpulse).
build_once mpg123 "$deps" mpg123 "$mpg123_version" "" autotools_build --enable-shared \
    --disable-static --with-cpu=x86-64 --enable-modules=no --disable-network \
    CC="ccache $mingw-gcc-posix" PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig" PKG_CONFIG_PATH=

# Static, with its SIMD code: the program links it in, as on Linux it uses the system's.
build_once jpeg "$deps" libjpeg-turbo "$jpeg_version" "" cmake_build -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm

if $cache_ready_only; then
    exit $stale
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
# Qt's own Chinese texts (a fact box's context menu, ...), loaded from translations\ beside
# quillora.exe: Debian's files, as .qm files are the same on every platform. qt_zh_CN.qm only
# names the other two.
mkdir -p "$app/translations"
for catalogue in qt qtbase qtmultimedia; do
    cp "/usr/share/qt6/translations/${catalogue}_zh_CN.qm" "$app/translations/"
done

# Every DLL quillora.exe and the plugins load, found in the cross Qt, the libraries and the
# mingw runtime, copied beside quillora.exe; a DLL found nowhere must be one of Windows' own
# (one Wine implements too), else the build stops.
dll_dirs
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
        for dir in "${dlls[@]}"; do
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
