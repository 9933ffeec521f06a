# Windows steps of ./dev.sh (sourced by it; uses its ROOT, JOBS, log and
# need_packages). The x64 DLL and the x86 one (for 32-bit clients) are
# cross-built with mingw-w64 and proven under wine, in one prefix for both
# widths: proof 1 is a host built with the MSVC C++ ABI that drives the DLL
# through its vtables, proof 2 the cross-compiled test suites.
# Every step skips what is already there, so re-runs cost only the tests.

WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    wine64 clang lld dpkg-dev rapidjson-dev libgtest-dev)
WINDOWS_X86_PACKAGES=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev)
MINGW=x86_64-w64-mingw32
MINGW_X86=i686-w64-mingw32
DEPS_DIR=$ROOT/build/deps
MINGW_PREFIX=$DEPS_DIR/mingw-prefix
MINGW_X86_PREFIX=$DEPS_DIR/mingw-x86-prefix
WIN_BUILD=$ROOT/build/windows
WIN_X86_BUILD=$ROOT/build/windows-x86
WINE64=/usr/lib/wine/wine64
WINE_TIMEOUT=${WINE_TIMEOUT:-600}
# DLLs every Windows system has; anything else in the import table means
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

# build_mingw_deps PREFIX TOOLCHAIN NAME: tinyxml2, pugixml and GoogleTest for one
# width, built with its toolchain (so with its flags, on x86 the stack
# assumption and the 64-bit time_t).
build_mingw_deps() {
    local prefix=$1 toolchain=$ROOT/cmake/$2 name=$3 package
    for package in tinyxml2 pugixml; do
        build_static_from_debian "$package" "$prefix" "$DEPS_DIR/build/$package-$name" \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    done
    # RapidJSON is headers only: the same ones as on Linux, seen through the
    # prefix so that the cross build never searches /usr/include.
    mkdir -p "$prefix/include"
    [ -e "$prefix/include/rapidjson" ] || ln -s /usr/include/rapidjson "$prefix/include/rapidjson"
    if [ ! -f "$prefix/.gtest-built" ]; then
        log "building GoogleTest for $name"
        cmake -S /usr/src/googletest -B "$DEPS_DIR/build/gtest-$name" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
            -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF >/dev/null
        cmake --build "$DEPS_DIR/build/gtest-$name" -j "$JOBS" >/dev/null
        cmake --install "$DEPS_DIR/build/gtest-$name" >/dev/null
        touch "$prefix/.gtest-built"
    fi
}

build_windows() {
    need_packages "${WINDOWS_PACKAGES[@]}"
    build_mingw_deps "$MINGW_PREFIX" mingw-w64-x86_64.cmake mingw
    log "building for Windows x64"
    cmake --preset windows-mingw >/dev/null
    cmake --build --preset windows-mingw -j "$JOBS"
    check_dll_tables "$WIN_BUILD/ZarvikKassaDriver.dll" "$MINGW"
}

# The x86 preset builds only what the proof needs: the DLL, the two suites,
# the two tools and the host's negative controls.
build_windows_x86() {
    need_packages "${WINDOWS_X86_PACKAGES[@]}"
    build_mingw_deps "$MINGW_X86_PREFIX" mingw-w64-i686.cmake mingw-x86
    log "building for Windows x86"
    cmake --preset windows-mingw-x86 >/dev/null
    cmake --build --preset windows-mingw-x86 -j "$JOBS"
    check_dll_tables "$WIN_X86_BUILD/ZarvikKassaDriver.dll" "$MINGW_X86"
}

# The till has nothing but Windows: the import table may name system DLLs only,
# and the platform looks the four entry points up by their plain names.
check_dll_tables() {
    local dll=$1 triple=$2 dump imports exports name bad=0
    dump=$("$triple-objdump" -p "$dll")
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
    log "${dll#"$ROOT"/} imports: $(tr '\n' ' ' <<<"$imports")"
}

wine_env() {
    export WINEPREFIX=$WIN_BUILD/wineprefix WINEDEBUG=-all WINEARCH=win64
    # No Mono or Gecko: nothing here needs them, and asking for them would hang.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
}

# 32-bit wine from Debian: the i386 architecture beside amd64. wine64 then
# hands 32-bit programs to the i386 loader.
ensure_wine32() {
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed" && return 0
    log "installing 32-bit wine (wine32:i386)"
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    as_root apt-get update -qq
    APT_UPDATED=1
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        wine32:i386 >/dev/null
}

# Some virtual machines' kernels run no 32-bit programs (execve of an i386
# binary fails with "Exec format error"), so 32-bit wine cannot start. There
# the i386 loader runs under qemu's user-mode emulation, registered for i386
# binaries with binfmt_misc. Wine under that emulation crashes now and then in
# programs with several threads, so only the x86 host and its negative
# controls, single-threaded, run there; the x86 test suites and tools wait
# for a kernel that runs 32-bit code.
X86_BINFMT=/proc/sys/fs/binfmt_misc/zarvik-i386

x86_emulated() { [ -e "$X86_BINFMT" ]; }

ensure_x86_runs() {
    if ! x86_emulated && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        log "this kernel runs no 32-bit programs: x86 under qemu user-mode emulation"
        need_packages qemu-user-static
        [ -e /proc/sys/fs/binfmt_misc/register ] ||
            as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
        # An i386 ELF executable; F opens qemu now, so it serves every mount namespace.
        printf '%s' ':zarvik-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
            as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null
    fi
    if x86_emulated; then
        echo "  x86 under emulation: the MSVC-ABI host and its negative controls run;" \
            "unit_tests.exe, integration_tests.exe and the tools (x86) do not" >&2
    fi
}

# The marker says the prefix was made, or remade, with its 32-bit half.
WINE_WOW64_MARKER=.zarvik-wow64

ensure_wine_prefix() {
    wine_env
    [ -f "$WINEPREFIX/$WINE_WOW64_MARKER" ] && return 0
    if [ -f "$WINEPREFIX/system.reg" ]; then
        # Made before 32-bit wine was installed, or where it could not start:
        # every x86 program fails with "could not load kernel32.dll". wineboot
        # -u does not mend it; without its update stamp the next start
        # rebuilds the 32-bit half.
        log "completing the wine prefix for 32-bit programs (once)"
        rm -f "$WINEPREFIX/.update-timestamp"
    else
        log "creating the wine prefix (once)"
        mkdir -p "$WINEPREFIX"
    fi
    timeout "$WINE_TIMEOUT" "$WINE64" wineboot --init >/dev/null 2>&1
    timeout "$WINE_TIMEOUT" /usr/lib/wine/wineserver -w || true
    # Only a prefix whose 32-bit half was really made; one made where 32-bit
    # wine could not start is completed at the next run.
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] &&
        touch "$WINEPREFIX/$WINE_WOW64_MARKER"
    return 0
}

run_under_wine() {
    timeout "$WINE_TIMEOUT" "$WINE64" "$@"
}

# Proof 1: compiled as MSVC compiles, with no C++ runtime at all, so its
# vtables and virtual calls are the platform's.
#   build_msvc_host BUILD_DIR x64|x86
build_msvc_host() {
    local out=$1/msvc_host arch=$2 src=$ROOT/tests/msvc_host/msvc_host.cpp target link
    if [ "$arch" = x86 ]; then
        # mingw's import libraries carry no SafeSEH table.
        target=i686-pc-windows-msvc link=(/machine:x86 /safeseh:no "/libpath:/usr/$MINGW_X86/lib")
    else
        target=x86_64-pc-windows-msvc link=(/machine:x64 "/libpath:/usr/$MINGW/lib")
    fi
    mkdir -p "$out"
    if [ "$out/msvc_host.exe" -nt "$src" ] && [ "$out/msvc_host.exe" -nt "${src%/*}/msvc_abi.h" ]; then
        return 0
    fi
    log "building the MSVC-ABI host ($arch)"
    clang++ --target=$target -std=c++17 -O1 -Wall -Wextra -fno-exceptions -fno-rtti \
        -nostdlib -nostdlibinc -ffreestanding -fms-extensions -Xclang -fno-rtti-data \
        -c "$src" -o "$out/msvc_host.obj"
    lld-link /nologo /subsystem:console /entry:HostMain /nodefaultlib "${link[@]}" \
        /out:"$out/msvc_host.exe" "$out/msvc_host.obj" libkernel32.a
}

# Under emulation wine's exit code can read 0 after a crash: the host's last
# line says whether it ran every check.
host_passed() { grep -qE '^msvc_host: [0-9]+ passed, 0 failed' <<<"$1"; }

#   prove_windows_dll BUILD_DIR x64|x86 SUITE...: the host, then the suites.
prove_windows_dll() {
    local build=$1 arch=$2 suite out rc=0
    shift 2
    log "MSVC-ABI host ($arch) under wine"
    out=$(run_under_wine "$build/msvc_host/msvc_host.exe" "$(winepath_of "$build/ZarvikKassaDriver.dll")" 2>&1) || rc=$?
    printf '%s\n' "$out"
    [ "$rc" -eq 0 ] && host_passed "$out" || {
        echo "FAIL: the MSVC-ABI host ($arch) did not report all checks passed" >&2
        return 1
    }
    for suite in "$@"; do
        log "$suite.exe ($arch) under wine"
        run_under_wine "$build/tests/$suite.exe" --gtest_brief=1
    done
}

# The x86 host must catch what would break the 32-bit client: it fails a DLL
# whose component has plain virtual destructors (every slot shifted) and one
# whose component code counts on a 16-byte aligned stack (a witness at every
# function entry says so), and passes that witness's twin built as shipped.
x86_negative_controls() {
    local controls=$WIN_X86_BUILD/tests/controls host=$WIN_X86_BUILD/msvc_host/msvc_host.exe
    local name out rc bad=0
    wine_env
    log "negative controls of the x86 host under wine"
    for name in plain_dtor unaligned_stack aligned_stack; do
        rc=0
        out=$(run_under_wine "$host" "$(winepath_of "$controls/control_$name.dll")" 2>&1) || rc=$?
        printf '  control_%s.dll: exit %s, %s\n' "$name" "$rc" "$(grep -m1 -E 'MISMATCH|stack_witness|passed|^wine: Unhandled' <<<"$out")"
        case $name in
            aligned_stack) [ "$rc" -eq 0 ] && host_passed "$out" || bad=1 ;;
            unaligned_stack) [ "$rc" -ne 0 ] && grep -q stack_witness <<<"$out" || bad=1 ;;
            # A crash; under emulation wine may still exit with 0.
            *) [ "$rc" -ne 0 ] || grep -q '^wine: Unhandled' <<<"$out" || bad=1 ;;
        esac
    done
    [ $bad -eq 0 ] || { echo "FAIL: the x86 host's negative controls did not come out as expected" >&2; return 1; }
}

test_windows() {
    build_windows
    build_windows_x86
    build_msvc_host "$WIN_BUILD" x64
    build_msvc_host "$WIN_X86_BUILD" x86
    ensure_wine32
    ensure_x86_runs
    ensure_wine_prefix
    local x86_suites=(unit_tests integration_tests)
    x86_emulated && x86_suites=()
    prove_windows_dll "$WIN_BUILD" x64 unit_tests integration_tests
    prove_windows_dll "$WIN_X86_BUILD" x86 "${x86_suites[@]}"
    x86_negative_controls
}

# Wine maps the Unix root to drive Z:.
winepath_of() {
    printf 'Z:%s' "${1//\//\\}"
}
