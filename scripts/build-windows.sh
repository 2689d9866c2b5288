#!/usr/bin/env bash
# Builds the Windows program on Debian 12, cross-compiled with mingw-w64:
#   build-windows.sh [toolchain|qt|icu|all|cached] [build folder]
# 1. Qt 6 for Windows and ICU's common library (with only the character names data),
#    from Debian's own sources, built once into a cache folder outside the tree and
#    reused while their versions, our options and our patches stay the same;
# 2. ondrel.exe and Kestrine.dll, through Qt's qt.toolchain.cmake;
# 3. ondrel-<version>-win64.zip (portable) and ondrel-<version>-win64-setup.exe
#    (an NSIS installer) in the build folder.
# "toolchain" stops after step 1; "qt" and "icu" build only that part of it; "cached"
# changes nothing and answers whether step 1 is done already (exit status 0). Runs as root or through sudo (apt-get, the cache).
# ONDREL_WINDOWS_CACHE names the cache's parent folder (default /var/cache/ondrel).
set -euo pipefail

what=${1:-all}
root=$(cd "$(dirname "$0")/.." && pwd)
out=${2:-$root/build-windows}
case "$what" in
toolchain | qt | icu | all | cached) ;;
*)
    echo "usage: $0 [toolchain|qt|icu|all|cached] [build folder]" >&2
    exit 2
    ;;
esac
jobs=${ONDREL_JOBS:-2}
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
triple=x86_64-w64-mingw32
log() { echo "== build-windows: $*"; }

# --- What the build needs from Debian -------------------------------------------------
packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build
    dpkg-dev icu-devtools qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools
    libicu-dev nsis zip)
missing=()
[ "$what" = cached ] && packages=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 \
        install -y -q --no-install-recommends "${missing[@]}"
fi

qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev 2>/dev/null) || exit 1
icu_version=$(dpkg-query -W -f='${source:Version}' libicu-dev 2>/dev/null) || exit 1
gcc_version=$($triple-g++-posix -dumpfullversion 2>/dev/null) || exit 1

# --- The cache's key: versions, options and patches ------------------------------------
# Qt: shared libraries, and only what Ondrel links (Core, Gui, Widgets, Network, the
# windows platform plugin, the windowsvista style). Notes on 6.4.2:
#  - FEATURE_opengl=OFF leaves dynamicgl on and qwindowswindow.cpp fails to compile;
#    INPUT_opengl=no turns both off.
#  - with direct2d off, directwrite3 must be off too, or qwindows fails to link
#    (QWindowsDirectWriteFontDatabase); both off keeps the GDI font database with
#    DirectWrite rendering.
#  - Debian's source leaves out the bundled wintab headers: no tablet events.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DQT_BUILD_MANUAL_TESTS=OFF -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_testlib=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF
    -DINPUT_openssl=no -DFEATURE_ssl=OFF -DFEATURE_schannel=OFF -DFEATURE_icu=OFF -DFEATURE_freetype=OFF
    -DFEATURE_fontconfig=OFF -DFEATURE_harfbuzz=ON -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_sql_sqlite=OFF
    # What Ondrel's windows, dialogs and local socket never use. The main window, tool
    # bar and menu bar stay, as Qt Widgets' precompiled header needs them in 6.4.2, and
    # so does XPM: without it there is no drag and drop, and Qt 6.4.2 for Windows does
    # not compile without that. The windowsvista style includes the input dialog.
    -DFEATURE_graphicsview=OFF -DFEATURE_graphicseffect=OFF
    -DFEATURE_dockwidget=OFF -DFEATURE_mdiarea=OFF -DFEATURE_statusbar=OFF
    -DFEATURE_toolbox=OFF -DFEATURE_splitter=OFF -DFEATURE_wizard=OFF
    -DFEATURE_datetimeedit=OFF -DFEATURE_calendarwidget=OFF -DFEATURE_commandlinkbutton=OFF
    -DFEATURE_textbrowser=OFF -DFEATURE_splashscreen=OFF -DFEATURE_lcdnumber=OFF -DFEATURE_dial=OFF
    -DFEATURE_fontcombobox=OFF -DFEATURE_fontdialog=OFF -DFEATURE_filedialog=OFF
    -DFEATURE_fscompleter=OFF -DFEATURE_filesystemmodel=OFF -DFEATURE_progressdialog=OFF
    -DFEATURE_errormessage=OFF -DFEATURE_keysequenceedit=OFF
    -DFEATURE_syntaxhighlighter=OFF -DFEATURE_scroller=OFF -DFEATURE_treewidget=OFF
    -DFEATURE_tablewidget=OFF -DFEATURE_listwidget=OFF -DFEATURE_columnview=OFF
    -DFEATURE_datawidgetmapper=OFF -DFEATURE_undoview=OFF -DFEATURE_undogroup=OFF
    -DFEATURE_undostack=OFF -DFEATURE_undocommand=OFF -DFEATURE_pdf=OFF -DFEATURE_movie=OFF
    -DFEATURE_picture=OFF -DFEATURE_textodfwriter=OFF -DFEATURE_textmarkdownreader=OFF
    -DFEATURE_textmarkdownwriter=OFF -DFEATURE_imageformat_ppm=OFF -DFEATURE_imageformat_xbm=OFF
    -DFEATURE_tuiotouch=OFF -DFEATURE_ico=OFF
    -DFEATURE_http=OFF -DFEATURE_udpsocket=OFF -DFEATURE_networkproxy=OFF -DFEATURE_socks5=OFF
    -DFEATURE_networkdiskcache=OFF -DFEATURE_dnslookup=OFF -DFEATURE_networklistmanager=OFF
    -DFEATURE_gssapi=OFF -DFEATURE_sspi=OFF -DFEATURE_brotli=OFF -DFEATURE_topleveldomain=OFF
)
# ICU: common/ only, static, with just unames.icu as its data.
icu_items=(unames.icu)
patch_dir=$root/scripts/windows-patches

# The toolchain file that both builds share: the posix-thread compilers (std::thread).
toolchain_text="set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_CXX_COMPILER $triple-g++-posix)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)"

# Each build's folder is named by a hash of what makes it: versions, compiler,
# options, patches, and for ICU the recipe below.
hash() { sha256sum | cut -c1-12; }
qt_key=$( {
    echo "qt $qt_version gcc $gcc_version"
    echo "$toolchain_text"
    printf '%s\n' "${qt_options[@]}"
    cat "$patch_dir"/qt6-base-*.patch 2>/dev/null || true
} | hash)
icu_key=$( {
    echo "icu $icu_version gcc $gcc_version"
    echo "$toolchain_text"
    printf '%s\n' "${icu_items[@]}"
    sed -n '/^ *# --- ICU build begins/,/^ *# --- ICU build ends/p' "$0"
} | hash)
cache_parent=${ONDREL_WINDOWS_CACHE:-/var/cache/ondrel}
qt_cache=$cache_parent/windows-qt${qt_version%%+*}-$qt_key
icu_cache=$cache_parent/windows-icu${icu_version%%-*}-$icu_key
qt_prefix=$qt_cache/qt
icu_prefix=$icu_cache/icu
sources=$cache_parent/sources
if [ "$what" = cached ]; then
    [ -f "$qt_prefix/.complete" ] && [ -f "$icu_prefix/.complete" ]
    exit
fi

"${sudo[@]}" mkdir -p "$cache_parent"
"${sudo[@]}" chown "$(id -u):$(id -g)" "$cache_parent"
mkdir -p "$sources"
toolchain=$cache_parent/mingw-w64-x86_64.cmake
# Rewritten only when it changes: Qt's build depends on it.
if [ "$(cat "$toolchain" 2>/dev/null)" != "$toolchain_text" ]; then
    echo "$toolchain_text" >"$toolchain.new"
    mv "$toolchain.new" "$toolchain"
fi

# Debian's source packages: a deb-src line for each deb line of the system's sources.
fetch_source() { # package version
    local package=$1 version=$2
    [ -f "$sources/$package.$version.ok" ] && return
    if ! apt-get source --print-uris "$package=$version" >/dev/null 2>&1; then
        local list=/etc/apt/sources.list.d/ondrel-deb-src
        log "adding Debian's source lines ($list.*)"
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            sed 's/^Types: *deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
                "${sudo[@]}" tee "$list.sources" >/dev/null
        else
            sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
                "${sudo[@]}" tee "$list.list" >/dev/null
        fi
        "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 update -q
    fi
    log "fetching the source of $package $version"
    rm -rf "$sources/$package.tmp"
    mkdir -p "$sources/$package.tmp"
    (cd "$sources/$package.tmp" && apt-get source -q "$package=$version" >/dev/null)
    rm -rf "$sources/$package"
    mv "$sources/$package.tmp" "$sources/$package"
    touch "$sources/$package.$version.ok"
}
source_dir() { find "$sources/$1" -mindepth 1 -maxdepth 1 -type d | head -1; }

# --- Qt ---------------------------------------------------------------------------------
if [ "$what" != icu ] && [ ! -f "$qt_prefix/.complete" ]; then
    started=$SECONDS
    fetch_source qt6-base "$qt_version"
    qt_source=$(source_dir qt6-base)
    for patch in "$patch_dir"/qt6-base-*.patch; do
        [ -e "$patch" ] || continue
        if patch -d "$qt_source" -p1 -R --dry-run -s -f <"$patch" >/dev/null 2>&1; then
            continue
        fi
        log "applying $(basename "$patch")"
        patch -d "$qt_source" -p1 -s <"$patch"
    done
    rm -rf "$qt_cache/qt-build" "$qt_prefix"
    mkdir -p "$qt_cache/qt-build"
    log "configuring Qt $qt_version for Windows (cache: $qt_cache)"
    nice -n 15 cmake -S "$qt_source" -B "$qt_cache/qt-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_QMAKE_TARGET_MKSPEC=win32-g++ "${qt_options[@]}" >"$qt_cache/qt-configure.log"
    log "building Qt (about 40 minutes on 2 cores; log: $qt_cache/qt-build.log)"
    nice -n 15 cmake --build "$qt_cache/qt-build" --parallel "$jobs" >"$qt_cache/qt-build.log" 2>&1 || {
        tail -40 "$qt_cache/qt-build.log"
        exit 1
    }
    cmake --install "$qt_cache/qt-build" >/dev/null
    touch "$qt_prefix/.complete"
    rm -rf "$qt_cache/qt-build"
    log "Qt built in $((SECONDS - started)) s"
fi

if [ "$what" != qt ] && [ ! -f "$icu_prefix/.complete" ]; then
    # --- ICU build begins (this recipe is part of the cache key) ---
    started=$SECONDS
    fetch_source icu "$icu_version"
    icu_source=$(source_dir icu)/source
    icu_build=$icu_cache/icu-build
    rm -rf "$icu_build" "$icu_prefix"
    mkdir -p "$icu_build/data" "$icu_prefix/lib" "$icu_prefix/include"
    # The names data alone, repacked from the full data that the source ships and
    # turned into C, so that it links into the library (no .dat beside the program).
    icu_major=${icu_version%%.*}
    full_data=$(find "$icu_source/data/in" -name "icudt${icu_major}l.dat" | head -1)
    (cd "$icu_build/data" &&
        icupkg -x "$(printf '%s,' "${icu_items[@]}" | sed 's/,$//')" -d . "$full_data" &&
        printf '%s\n' "${icu_items[@]}" >items.txt &&
        icupkg -tl -s . -a items.txt new "icudt${icu_major}l.dat" &&
        genccode -d . "icudt${icu_major}l.dat" >/dev/null &&
        # genccode names the array after the file; ICU looks for its entry point.
        sed -i "s/\bicudt${icu_major}l_dat\b/icudt${icu_major}_dat/" "icudt${icu_major}l_dat.c")
    cat >"$icu_build/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.16)
project(icu_common LANGUAGES C CXX)
file(GLOB sources "$icu_source/common/*.cpp")
add_library(icuuc STATIC \${sources} data/icudt${icu_major}l_dat.c)
target_include_directories(icuuc PRIVATE "$icu_source/common")
# The data file is C: ICU's own implementation types are C++ only.
target_compile_definitions(icuuc PRIVATE \$<\$<COMPILE_LANGUAGE:CXX>:U_COMMON_IMPLEMENTATION>
    U_STATIC_IMPLEMENTATION U_ATTRIBUTE_DEPRECATED=)
set_target_properties(icuuc PROPERTIES CXX_STANDARD 17 OUTPUT_NAME icuuc)
EOF
    log "building ICU's common library (about 6 minutes on 2 cores)"
    nice -n 15 cmake -S "$icu_build" -B "$icu_build/b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" >"$icu_cache/icu-build.log"
    nice -n 15 cmake --build "$icu_build/b" --parallel "$jobs" >>"$icu_cache/icu-build.log" 2>&1 || {
        tail -40 "$icu_cache/icu-build.log"
        exit 1
    }
    cp "$icu_build/b/libicuuc.a" "$icu_prefix/lib/"
    cp -r "$icu_source/common/unicode" "$icu_prefix/include/"
    touch "$icu_prefix/.complete"
    rm -rf "$icu_build"
    # --- ICU build ends ---
    log "ICU built in $((SECONDS - started)) s"
fi

[ "$what" = all ] || {
    log "toolchain ready: $qt_prefix, $icu_prefix"
    exit 0
}

# --- Ondrel -------------------------------------------------------------------------------
started=$SECONDS
build=$out/ondrel
mkdir -p "$build"
log "building Ondrel in $build"
cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DONDREL_BUILD_TESTS=OFF -DONDREL_BUILD_BENCH=OFF \
    -DONDREL_WARNINGS_AS_ERRORS="${ONDREL_WARNINGS_AS_ERRORS:-OFF}" \
    -DICU_INCLUDE_DIR="$icu_prefix/include" -DICU_UC_LIBRARY_RELEASE="$icu_prefix/lib/libicuuc.a" \
    -DCMAKE_CXX_FLAGS="-DU_STATIC_IMPLEMENTATION" >"$out/ondrel-configure.log" || {
    cat "$out/ondrel-configure.log"
    exit 1
}
cmake --build "$build" --parallel "$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# The portable tree: the program, its hook library, the Qt and mingw runtime DLLs, the
# two plugins it loads, Qt's own translations for the languages Ondrel speaks, and a
# qt.conf that points Qt at them (without it Qt looks beside a Qt install).
stage=$out/stage
tree=$stage/Ondrel
rm -rf "$stage"
mkdir -p "$tree/plugins/platforms" "$tree/plugins/styles" "$tree/translations"
cp "$build/ondrel.exe" "$build/Kestrine.dll" "$tree/"
for module in Core Gui Widgets Network; do
    cp "$qt_prefix/bin/Qt6$module.dll" "$tree/"
done
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$tree/plugins/platforms/"
cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$tree/plugins/styles/"
for runtime in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    found=$($triple-g++-posix -print-file-name="$runtime")
    [ -f "$found" ] || found=/usr/$triple/lib/$runtime
    cp "$found" "$tree/"
done
for ts in "$root"/translations/ondrel_*.ts; do
    language=${ts##*/ondrel_}
    language=${language%.ts}
    qm=/usr/share/qt6/translations/qtbase_$language.qm
    if [ -f "$qm" ]; then
        cp "$qm" "$tree/translations/"
    else
        log "no Qt translation for $language ($qm; package qt6-translations-l10n)"
    fi
done
printf '[Paths]\r\nPrefix = .\r\nPlugins = plugins\r\nTranslations = translations\r\n' >"$tree/qt.conf"
# The licences of what the tree carries besides Ondrel: Qt (LGPL 3), ICU, and the GCC
# and mingw-w64 runtime libraries.
mkdir -p "$tree/licenses"
fetch_source qt6-base "$qt_version"
fetch_source icu "$icu_version"
qt_source=$(source_dir qt6-base)
cp "$qt_source/LICENSES/LGPL-3.0-only.txt" "$qt_source/LICENSES/GPL-3.0-only.txt" "$tree/licenses/"
cp "$qt_source/debian/copyright" "$tree/licenses/Qt-copyright.txt"
cp "$(source_dir icu)/LICENSE" "$tree/licenses/ICU-LICENSE.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$tree/licenses/GCC-runtime-copyright.txt"
if [ -f /usr/share/doc/mingw-w64-common/copyright ]; then
    cp /usr/share/doc/mingw-w64-common/copyright "$tree/licenses/mingw-w64-copyright.txt"
fi
find "$tree" -name '*.exe' -o -name '*.dll' | xargs $triple-strip --strip-unneeded

# Every DLL that a program or plugin of the tree imports is Windows' own or in the tree.
missing_dlls=$(find "$tree" -name '*.exe' -o -name '*.dll' | xargs -n1 $triple-objdump -p |
    sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | sort -u | while read -r dll; do
        base=$(echo "$dll" | tr '[:upper:]' '[:lower:]')
        base=${base%.dll}
        # api-ms-win-*: Windows' API sets, which the system resolves itself.
        [ -e "$tree/$dll" ] || [ -e "/usr/$triple/lib/lib$base.a" ] ||
            [[ $base == api-ms-win-* ]] || echo "$dll"
    done)
if [ -n "$missing_dlls" ]; then
    echo "build-windows: the tree lacks: $missing_dlls" >&2
    exit 1
fi

zip_file=$out/ondrel-$version-win64.zip
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -q -X -r -9 "$zip_file" Ondrel)
log "made $zip_file ($(du -k "$zip_file" | cut -f1) KiB)"

# The installer's lists of files: what it installs, and what its uninstaller removes
# (files, then folders deepest first).
(
    cd "$tree"
    find . -type d | sort | while read -r dir; do
        rel=${dir#.}
        rel=${rel#/}
        if [ -z "$rel" ]; then
            echo 'SetOutPath "$INSTDIR"'
        else
            printf 'SetOutPath "$INSTDIR\\%s"\n' "${rel//\//\\}"
        fi
        find "$dir" -maxdepth 1 -type f | sort | while read -r file; do
            printf 'File "%s/%s"\n' "$tree" "${file#./}"
        done
    done
    echo 'SetOutPath "$INSTDIR"'
) >"$stage/files.nsh"
(
    cd "$tree"
    find . -type f | sort | sed 's|^\./||' | while read -r file; do
        printf 'Delete "$INSTDIR\\%s"\n' "${file//\//\\}"
    done
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||' | while read -r dir; do
        printf 'RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}"
    done
) >"$stage/unfiles.nsh"
setup=$out/ondrel-$version-win64-setup.exe
size_kb=$(du -sk "$tree" | cut -f1)
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" -DSIZE_KB="$size_kb" \
    -DICON="$root/resources/ondrel.ico" \
    "$root/packaging/windows/ondrel.nsi"
log "made $setup ($(du -k "$setup" | cut -f1) KiB)"
log "Ondrel and its packages took $((SECONDS - started)) s"
