# The 1C package step of ./dev.sh test (sourced by it; uses its ROOT, log and
# need_packages): the ZIP with MANIFEST.XML, the Windows DLL and the Linux
# library, made by the driver_package target and then checked from outside.

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
    if [ ! -f "$ROOT/build/windows/ZarvikKassaDriver.dll" ]; then
        echo "package: build/windows/ZarvikKassaDriver.dll is missing; the Windows build makes it" >&2
        return 1
    fi
    log "1C package"
    cmake --build --preset linux --target driver_package
    check_package "$PACKAGE_ZIP" "$ROOT/build/linux"
}
