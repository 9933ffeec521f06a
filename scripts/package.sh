# The 1C package step of ./dev.sh test (sourced by it; uses its ROOT, log and
# need_packages): the ZIP with MANIFEST.XML, INFO.XML, the two Windows DLLs
# (x64 and x86) and the Linux library built on Debian 11, made by the
# driver_package target and then
# checked from outside.

PACKAGE_ZIP=$ROOT/build/linux/package/ZarvikKassaDriver.zip

# check_package ZIP BUILD_DIR: unzips into a scratch folder and runs the checker.
check_package() {
    local zip=$1 build=$2 dir rc
    dir=$(mktemp -d)
    unzip -q "$zip" -d "$dir"
    "$build/tools/package/package-check" "$zip" "$dir"
    rc=$?
    rm -rf "$dir"
    return $rc
}

package_and_check() {
    need_packages zip unzip
    local width
    for width in windows windows-x86; do
        if [ ! -f "$ROOT/build/$width/ZarvikKassaDriver.dll" ]; then
            echo "package: build/$width/ZarvikKassaDriver.dll is missing; the Windows build makes it" >&2
            return 1
        fi
        [ "$width" = windows-x86 ] && x86_emulated && continue
        smoke_windows_tools "$ROOT/build/$width"
    done
    if [ ! -f "$ROOT/build/linux-bullseye/libZarvikKassaDriver.so" ]; then
        echo "package: build/linux-bullseye/libZarvikKassaDriver.so is missing; the Debian 11 build makes it" >&2
        return 1
    fi
    log "1C package"
    cmake --build --preset linux --target driver_package
    check_package "$PACKAGE_ZIP" "$ROOT/build/linux"
    # The checker's own refusals, now also of a DLL of the other width.
    ctest --preset linux -R '^Package\.'
    check_packaged_linux_so
}

# The library as the till gets it, out of the ZIP: no glibc newer than the
# oldest tills have (check_linux_so, scripts/bullseye.sh).
check_packaged_linux_so() {
    declare -F check_linux_so >/dev/null || return 0
    local so rc=0
    so=$(mktemp)
    unzip -p "$PACKAGE_ZIP" libZarvikKassaDriver.so >"$so"
    check_linux_so "$so" || rc=$?
    rm -f "$so"
    return $rc
}

# The Windows builds of kassa-emulator and kassa-host, started once under
# wine: the host opens a shift through the DLL against the emulator, which
# stops by itself after the two requests that takes.
#   smoke_windows_tools BUILD_DIR (build/windows or build/windows-x86)
smoke_windows_tools() {
    local build=$1 tools=$1/tools port_file=$1/tools-smoke.port
    local emulator_pid port out rc
    [ -f "$tools/kassa_emulator/kassa-emulator.exe" ] || {
        echo "windows tools: ${tools#"$ROOT"/} is missing; the Windows build makes it" >&2
        return 1
    }
    log "kassa-emulator.exe and kassa-host.exe (${build#"$ROOT"/}) under wine"
    ensure_wine_prefix
    rm -f "$port_file"
    run_under_wine "$tools/kassa_emulator/kassa-emulator.exe" --port 0 --max-requests 2 \
        --port-file "$(winepath_of "$port_file")" >"$build/tools-smoke.log" 2>&1 &
    emulator_pid=$!
    for _ in $(seq 600); do
        [ -s "$port_file" ] && break
        kill -0 "$emulator_pid" 2>/dev/null || break
        sleep 0.1
    done
    port=$(tr -dc '0-9' <"$port_file" 2>/dev/null)
    if [ -z "$port" ]; then
        echo "windows tools: kassa-emulator.exe did not start" >&2
        kill "$emulator_pid" 2>/dev/null
        return 1
    fi
    out=$(run_under_wine "$tools/kassa_host/kassa-host.exe" \
        --lib "$(winepath_of "$build/ZarvikKassaDriver.dll")" --port "$port" \
        call OpenShift empty "@$(winepath_of "$ROOT/examples/input_parameters.xml")" out)
    rc=$?
    printf '%s\n' "$out"
    if [ $rc -ne 0 ] || ! grep -q 'ShiftState="2"' <<<"$out"; then
        echo "windows tools: kassa-host.exe did not open the shift" >&2
        # Its requests may never have arrived: the emulator would wait on.
        kill "$emulator_pid" 2>/dev/null
        wait "$emulator_pid" 2>/dev/null
        return 1
    fi
    wait "$emulator_pid" || { echo "windows tools: kassa-emulator.exe failed" >&2; return 1; }
}
