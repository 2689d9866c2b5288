#!/usr/bin/env bash
# Builds the Windows code with mingw-w64 for x86_64 and i686, checks the hook
# library's export names for both, and runs the x86_64 test programs under Wine on a
# private X server:  tests/win32/run-under-wine.sh [build-dir]
# Only 64-bit programs run: 32-bit Wine would need the i386 architecture.
# The Wine prefix and the generated locales are kept in the build folder, so later
# runs skip creating them.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(mkdir -p "${1:-$root/build/win32}" && cd "${1:-$root/build/win32}" && pwd)
wine=${ONDREL_WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
werror=${ONDREL_WARNINGS_AS_ERRORS:-OFF}

passed=0
failed=0
pass() {
    echo "PASSED: $1"
    passed=$((passed + 1))
}
fail() {
    echo "FAILED: $1"
    failed=$((failed + 1))
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
    exit $?
}

for tool in "$wine" "$wineserver" x86_64-w64-mingw32-g++ i686-w64-mingw32-g++ Xvfb localedef; do
    if ! command -v "$tool" >/dev/null; then
        fail "$tool is missing (scripts/install-deps.sh test installs it)"
        finish
    fi
done

# --- Build both architectures --------------------------------------------------------
for arch in x86_64 i686; do
    if cmake -S "$root/tests/win32" -B "$build/$arch" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDREL_WARNINGS_AS_ERRORS="$werror" \
        >"$build/$arch-configure.log" 2>&1 &&
        cmake --build "$build/$arch" >"$build/$arch-build.log" 2>&1; then
        pass "build for $arch"
    else
        cat "$build/$arch-configure.log" "$build/$arch-build.log" 2>/dev/null | tail -n 40
        fail "build for $arch"
        finish
    fi
done

# --- The hook library's exports ------------------------------------------------------
# The program looks the two up by name, so the table must hold exactly these.
expected_exports=$'_LowLevelKeyboardProc@12\nsetAppHwnd'
for arch in x86_64 i686; do
    dll=$build/$arch/Kestrine.dll
    exports=$("$arch-w64-mingw32-objdump" -p "$dll" 2>/dev/null |
        sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        # binutils 2.40 writes "[   0] Name", 2.44 "[   0] +base[   1]  0000 Name":
        # either way the name ends the line.
        awk '/^[[:space:]]*\[[[:space:]]*[0-9]+\]/ { print $NF }' | LC_ALL=C sort)
    if [ "$exports" = "$expected_exports" ]; then
        pass "Kestrine.dll ($arch) exports exactly: $(echo $exports)"
    else
        fail "Kestrine.dll ($arch) exports: '$(echo $exports)', expected: '$(echo $expected_exports)'"
    fi
done

# A hook library that is loaded into every program must bring no runtime DLLs along.
for arch in x86_64 i686; do
    imports=$("$arch-w64-mingw32-objdump" -p "$build/$arch/Kestrine.dll" 2>/dev/null |
        sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr '[:upper:]' '[:lower:]' | LC_ALL=C sort)
    others=$(echo "$imports" | grep -vxE 'kernel32\.dll|user32\.dll|msvcrt\.dll')
    if [ -n "$imports" ] && [ -z "$others" ]; then
        pass "Kestrine.dll ($arch) imports only from Windows: $(echo $imports)"
    else
        fail "Kestrine.dll ($arch) imports: '$(echo $imports)'"
    fi
done

# --- Locales for the code page checks ------------------------------------------------
locales=(en_US ru_RU he_IL tr_TR de_DE el_GR)
export LOCPATH=$build/locales
mkdir -p "$LOCPATH"
for locale in "${locales[@]}"; do
    if [ ! -e "$LOCPATH/$locale.UTF-8/LC_CTYPE" ]; then
        localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8" >"$build/localedef.log" 2>&1
    fi
    [ -e "$LOCPATH/$locale.UTF-8/LC_CTYPE" ] || fail "generate the $locale.UTF-8 locale"
done

# --- X server and Wine -----------------------------------------------------------------
scratch=$(mktemp -d)
xvfb_pid=
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
# No prompts to install Mono or Gecko while the prefix is created.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
cleanup() {
    "$wineserver" -k >/dev/null 2>&1
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
if [ ! -s "$scratch/display" ]; then
    fail "start Xvfb"
    finish
fi
export DISPLAY=:$(head -n 1 "$scratch/display")

mkdir -p "$WINEPREFIX"
# Wine calls stall when its output goes to a pipe: the server's and every program's
# output goes to files.
"$wineserver" -p >/dev/null 2>&1

# Runs one program under Wine: run <name> <folder to run in> <exe> [args...]
run() {
    local name=$1 folder=$2 exe=$3
    shift 3
    local out=$scratch/out err=$scratch/err status
    (cd "$folder" && timeout 300 "$wine" "$exe" "$@" >"$out" 2>"$err")
    status=$?
    sed 's/\r$//; s/^/    /' "$out"
    if [ "$status" -eq 0 ] && grep -q '^PASS' "$out" && ! grep -q '^FAIL' "$out"; then
        pass "$name"
    else
        sed 's/^/    stderr: /' "$err" | tail -n 20
        fail "$name (exit status $status)"
    fi
}

bin=$build/x86_64
run "typing through the Windows keyboard" "$bin" "$bin/tst_typing.exe"
run "window activation" "$bin" "$bin/tst_windowactivation.exe"
for locale in "${locales[@]}"; do
    LANG=$locale.UTF-8 LC_ALL=$locale.UTF-8 \
        run "OEM code page in $locale" "$bin" "$bin/tst_codepage.exe" "$locale"
done
run "Kestrine.dll as the keyboard hook" "$bin" "$bin/tst_kestrine.exe"

# The hook loader, run from a folder where someone planted a Kestrine.dll: once with
# no library beside the program, once with the real one there.
layout=$build/hookloader
rm -rf "$layout"
mkdir -p "$layout/planted" "$layout/no-library-beside" "$layout/library-beside"
cp "$bin/planted/Kestrine.dll" "$layout/planted/"
cp "$bin/tst_hookloader.exe" "$layout/no-library-beside/"
cp "$bin/tst_hookloader.exe" "$bin/Kestrine.dll" "$layout/library-beside/"
for case in no-library-beside library-beside; do
    run "hook loader, $case" "$layout/planted" "$layout/$case/tst_hookloader.exe" "$case"
done

finish
