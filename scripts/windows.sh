# Windows x64 steps of ./dev.sh (sourced by it; uses its ROOT, JOBS, log and
# need_packages). The DLL is cross-built with mingw-w64 and proven under wine64:
# proof 1 is a host built with the MSVC C++ ABI that drives the DLL through
# its vtables, proof 2 the cross-compiled test suites.
# Every step skips what is already there, so re-runs cost only the tests.

WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    wine64 clang lld dpkg-dev rapidjson-dev libgtest-dev)
MINGW=x86_64-w64-mingw32
DEPS_DIR=$ROOT/build/deps
MINGW_PREFIX=$DEPS_DIR/mingw-prefix
WIN_BUILD=$ROOT/build/windows
WINE64=/usr/lib/wine/wine64
WINE_TIMEOUT=${WINE_TIMEOUT:-600}
# DLLs every Windows x64 system has; anything else in the import table means
# a runtime that the till does not have.
WINDOWS_SYSTEM_DLLS="KERNEL32.dll msvcrt.dll WS2_32.dll SHELL32.dll ole32.dll ADVAPI32.dll USER32.dll"

# `apt-get source` needs deb-src entries. Debian images often ship only the
# binary ones; mirror them for sources, keeping the machine's own mirrors.
ensure_deb_src() {
    if grep -qsE '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources ||
        grep -qsE '^[[:space:]]*deb-src[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list; then
        return 0
    fi
    log "adding deb-src entries mirroring the binary ones"
    local list=/etc/apt/sources.list.d/zarvik-deb-src.sources tmp
    tmp=$(mktemp)
    # deb822 stanzas are separated by blank lines; keep those with Types: deb.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*(^|[ \t])deb([ \t]|\n|$)/ {
             out = ""
             n = split($0, lines, "\n")
             for (i = 1; i <= n; i++) {
                 if (lines[i] ~ /^#/) continue
                 if (lines[i] ~ /^Types:/) lines[i] = "Types: deb-src"
                 out = out lines[i] "\n"
             }
             printf "%s\n", out
         }' /etc/apt/sources.list.d/*.sources >"$tmp" 2>/dev/null || true
    # One-line style sources.list, if that is what the machine uses.
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list 2>/dev/null >"$tmp.list" || true
    if [ -s "$tmp" ]; then as_root cp "$tmp" "$list"; fi
    if [ -s "$tmp.list" ]; then as_root cp "$tmp.list" /etc/apt/sources.list.d/zarvik-deb-src.list; fi
    rm -f "$tmp" "$tmp.list"
    as_root apt-get update -qq
    APT_UPDATED=1
}

# The unpacked Debian source of PACKAGE under build/deps (fetched once).
debian_source_dir() {
    local dir
    for dir in "$DEPS_DIR/$1"-*/; do
        [ -f "$dir/CMakeLists.txt" ] && { echo "${dir%/}"; return 0; }
    done
    return 1
}

fetch_debian_source() {
    debian_source_dir "$1" >/dev/null && return 0
    ensure_deb_src
    log "fetching Debian's $1 source"
    mkdir -p "$DEPS_DIR"
    # apt drops root to _apt for downloads; let it write into the folder.
    chmod 0777 "$DEPS_DIR" 2>/dev/null || true
    (cd "$DEPS_DIR" && apt-get source -qq "$1" >/dev/null)
    debian_source_dir "$1" >/dev/null || { echo "$1 source not unpacked" >&2; return 1; }
}

# A static library of PACKAGE (a CMake project), from the Debian source, into
# PREFIX. Extra arguments go to CMake (the toolchain for mingw).
build_static_from_debian() {
    local package=$1 prefix=$2 build=$3
    shift 3
    [ -f "$prefix/.$package-built" ] && return 0
    fetch_debian_source "$package"
    log "building static $package into ${prefix#"$ROOT"/}"
    cmake -S "$(debian_source_dir "$package")" -B "$build" --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF \
        -Dtinyxml2_BUILD_TESTING=OFF -DPUGIXML_BUILD_TESTS=OFF -DBUILD_TESTING=OFF \
        -DCMAKE_POSITION_INDEPENDENT_CODE=ON "$@" >/dev/null
    cmake --build "$build" -j "$JOBS" >/dev/null
    cmake --install "$build" >/dev/null
    touch "$prefix/.$package-built"
}

# The Linux shared object carries tinyxml2 and pugixml inside (Debian ships
# no position-independent static libraries of them), so that it needs nothing
# on the till beyond libc, libm and the loader. The linux preset looks in
# this prefix before the system.
build_linux_deps() {
    need_packages dpkg-dev
    local package
    for package in tinyxml2 pugixml; do
        build_static_from_debian "$package" "$DEPS_DIR/linux-prefix" "$DEPS_DIR/build/$package-linux"
    done
}

build_mingw_deps() {
    local toolchain=$ROOT/cmake/mingw-w64-x86_64.cmake
    local package
    for package in tinyxml2 pugixml; do
        build_static_from_debian "$package" "$MINGW_PREFIX" "$DEPS_DIR/build/$package-mingw" \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    done
    # RapidJSON is headers only: the same ones as on Linux, seen through the
    # prefix so that the cross build never searches /usr/include.
    mkdir -p "$MINGW_PREFIX/include"
    [ -e "$MINGW_PREFIX/include/rapidjson" ] || ln -s /usr/include/rapidjson "$MINGW_PREFIX/include/rapidjson"
    if [ ! -f "$MINGW_PREFIX/.gtest-built" ]; then
        log "building GoogleTest for mingw"
        cmake -S /usr/src/googletest -B "$DEPS_DIR/build/gtest-mingw" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$MINGW_PREFIX" \
            -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF >/dev/null
        cmake --build "$DEPS_DIR/build/gtest-mingw" -j "$JOBS" >/dev/null
        cmake --install "$DEPS_DIR/build/gtest-mingw" >/dev/null
        touch "$MINGW_PREFIX/.gtest-built"
    fi
}

build_windows() {
    need_packages "${WINDOWS_PACKAGES[@]}"
    build_mingw_deps
    log "building for Windows x64"
    cmake --preset windows-mingw >/dev/null
    cmake --build --preset windows-mingw -j "$JOBS"
    check_dll_tables "$WIN_BUILD/ZarvikKassaDriver.dll"
}

# The till has nothing but Windows: the import table may name system DLLs only,
# and the platform looks the four entry points up by their plain names.
check_dll_tables() {
    local dll=$1 dump imports exports name bad=0
    dump=$("$MINGW-objdump" -p "$dll")
    imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
    for name in $imports; do
        case " ${WINDOWS_SYSTEM_DLLS,,} " in
            *" ${name,,} "*) ;;
            *)
                echo "FAIL: $dll imports $name, which is not a Windows system DLL" >&2
                bad=1
                ;;
        esac
    done
    exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
                   table && /^\t\[/ { print $NF; next }
                   table { table = 0 }' <<<"$dump" | sort | tr '\n' ' ')
    if [ "$exports" != "DestroyObject GetClassNames GetClassObject SetPlatformCapabilities " ]; then
        echo "FAIL: $dll exports [${exports:0:200}], expected exactly the four entry points" >&2
        bad=1
    fi
    [ $bad -eq 0 ] || return 1
    log "DLL imports: $(tr '\n' ' ' <<<"$imports")"
}

wine_env() {
    export WINEPREFIX=$WIN_BUILD/wineprefix WINEDEBUG=-all WINEARCH=win64
    # No Mono or Gecko: nothing here needs them, and asking for them would hang.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
}

ensure_wine_prefix() {
    wine_env
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    log "creating the wine prefix (once)"
    mkdir -p "$WINEPREFIX"
    timeout "$WINE_TIMEOUT" "$WINE64" wineboot --init >/dev/null 2>&1
    timeout "$WINE_TIMEOUT" /usr/lib/wine/wineserver -w || true
}

run_under_wine() {
    timeout "$WINE_TIMEOUT" "$WINE64" "$@"
}

# Proof 1: compiled as MSVC compiles, with no C++ runtime at all, so its
# vtables and virtual calls are the platform's.
build_msvc_host() {
    local out=$WIN_BUILD/msvc_host src=$ROOT/tests/msvc_host/msvc_host.cpp
    mkdir -p "$out"
    if [ "$out/msvc_host.exe" -nt "$src" ] && [ "$out/msvc_host.exe" -nt "${src%/*}/msvc_abi.h" ]; then
        return 0
    fi
    log "building the MSVC-ABI host"
    clang++ --target=x86_64-pc-windows-msvc -std=c++17 -O1 -Wall -Wextra -fno-exceptions -fno-rtti \
        -nostdlib -nostdlibinc -ffreestanding -fms-extensions -Xclang -fno-rtti-data \
        -c "$src" -o "$out/msvc_host.obj"
    lld-link /nologo /subsystem:console /entry:HostMain /nodefaultlib /out:"$out/msvc_host.exe" \
        "$out/msvc_host.obj" "/libpath:/usr/$MINGW/lib" libkernel32.a
}

test_windows() {
    build_windows
    build_msvc_host
    ensure_wine_prefix
    log "MSVC-ABI host under wine64"
    run_under_wine "$WIN_BUILD/msvc_host/msvc_host.exe" "$(winepath_of "$WIN_BUILD/ZarvikKassaDriver.dll")"
    local suite
    for suite in unit_tests integration_tests; do
        log "$suite.exe under wine64"
        run_under_wine "$WIN_BUILD/tests/$suite.exe" --gtest_brief=1
    done
}

# Wine maps the Unix root to drive Z:.
winepath_of() {
    printf 'Z:%s' "${1//\//\\}"
}
