#!/usr/bin/env bash
# package-check refuses the packages the platform could not load: a manifest
# in the wrong namespace, a library in a folder, a stored entry, a system
# missing, a library that does not load; and those the equipment library
# could not install: INFO.XML missing or naming another object or version.
#   tests/tools/package_check.sh BUILD_DIR
set -uo pipefail
BUILD=$1
CHECKER=$BUILD/tools/package/package-check
SO=$BUILD/libZarvikKassaDriver.so
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAILED=0

# verdict NAME EXPECTED-LINE...: zips $WORK/NAME (ZIP_FLAGS), checks, and
# wants exit status 1 with every expected line in the report.
verdict() {
    local name=$1 expected out rc
    shift
    (cd "$WORK/$name" && zip -q -r -D -X ${ZIP_FLAGS:-} "$WORK/$name.zip" .)
    mkdir -p "$WORK/$name.out"
    unzip -q "$WORK/$name.zip" -d "$WORK/$name.out"
    out=$("$CHECKER" "$WORK/$name.zip" "$WORK/$name.out")
    rc=$?
    for expected in "$@"; do
        if [ $rc -eq 1 ] && grep -qF -- "$expected" <<<"$out"; then
            echo "ok   $name: $expected"
        else
            echo "FAIL $name: expected exit 1 and \"$expected\"; got $rc:"
            echo "$out"
            FAILED=1
        fi
    done
}

manifest() {  # manifest NAME NAMESPACE COMPONENT-LINES
    mkdir -p "$WORK/$1"
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<bundle xmlns="%s">\n%s\n</bundle>\n' \
        "$2" "$3" >"$WORK/$1/MANIFEST.XML"
}

NS=http://v8.1c.ru/8.2/addin/bundle
LINUX='<component os="Linux" path="libZarvikKassaDriver.so" type="native" arch="x86_64"/>'

manifest linux-only "$NS" "$LINUX"
cp "$SO" "$WORK/linux-only/"
verdict linux-only "FAIL one component for Windows and one for Linux" \
    "ok   libZarvikKassaDriver.so exports GetClassObject" "FAIL INFO.XML is in the archive"

manifest namespace "http://v8.1c.ru/8.2/addin" "$LINUX"
cp "$SO" "$WORK/namespace/"
verdict namespace "FAIL its namespace is $NS"

manifest nested "$NS" '<component os="Linux" path="lib/libZarvikKassaDriver.so" type="native" arch="x86_64"/>'
mkdir -p "$WORK/nested/lib" && cp "$SO" "$WORK/nested/lib/"
verdict nested "FAIL lib/libZarvikKassaDriver.so sits at the root of the archive"

manifest stored "$NS" "$LINUX"
cp "$SO" "$WORK/stored/"
ZIP_FLAGS=-0 verdict stored "FAIL libZarvikKassaDriver.so is deflated"

manifest i386 "$NS" '<component os="Linux" path="libZarvikKassaDriver.so" type="native" arch="i386"/>'
cp "$SO" "$WORK/i386/"
verdict i386 "FAIL component libZarvikKassaDriver.so (Linux) is for x86_64"

manifest info "$NS" "$LINUX"
cp "$SO" "$WORK/info/"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<drivers><component progid="AddIn.CZarvikKassaAddInNative" type="ККТ" name="%s" version="1.0"/></drivers>\n' \
    'ЗАРВИК Reviv: Драйвер ККТ с передачей данных (54-ФЗ) ФФД 1.2 (версия 3.4)' >"$WORK/info/INFO.XML"
verdict info "FAIL INFO.XML's progid is AddIn. and the extension name the library registers (ZARVIK_KASSA_KKM_54FZ_FFD105)" \
    "FAIL INFO.XML's version is the library's DriverVersion (1.7.0.0)" "ok   INFO.XML's name is the library's Name" \
    "ok   INFO.XML holds drivers with one component"

manifest broken "$NS" "$LINUX
<component os=\"Windows\" path=\"ZarvikKassaDriver.dll\" type=\"native\" arch=\"x86_64\"/>"
printf 'not a library' >"$WORK/broken/libZarvikKassaDriver.so"
printf 'MZ but no more' >"$WORK/broken/ZarvikKassaDriver.dll"
verdict broken "FAIL libZarvikKassaDriver.so loads with dlopen" \
    "FAIL ZarvikKassaDriver.dll is a PE image with an export table"

exit $FAILED
