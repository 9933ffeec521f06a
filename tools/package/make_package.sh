#!/usr/bin/env bash
# Makes the ZIP the 1C platform loads the component from: MANIFEST.XML and
# the three libraries at the root, deflated, and INFO.XML for the equipment
# library of 1C configurations. Both Windows builds are named
# ZarvikKassaDriver.dll in their build folders; the x86 one ships as
# ZarvikKassaDriver_x86.dll.
#   make_package.sh LINUX_SO WINDOWS_DLL WINDOWS_X86_DLL MANIFEST OUT_ZIP INFO_XML
set -euo pipefail
so=$1 dll=$2 dll_x86=$3 manifest=$4 out=$(realpath -m "$5")
info=$6
for file in "$so" "$dll" "$dll_x86" "$manifest" "$info"; do
    [ -f "$file" ] || { echo "make_package: $file is missing" >&2; exit 1; }
done
command -v zip >/dev/null || { echo "make_package: the zip program is missing (apt-get install zip)" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$manifest" "$stage/MANIFEST.XML"
cp "$dll" "$stage/ZarvikKassaDriver.dll"
cp "$dll_x86" "$stage/ZarvikKassaDriver_x86.dll"
# The debug sections stay with the build; the till needs only the code.
strip --strip-debug -o "$stage/libZarvikKassaDriver.so" "$so"
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$stage" && zip -q -X -9 "$out.tmp" MANIFEST.XML ZarvikKassaDriver.dll ZarvikKassaDriver_x86.dll \
    libZarvikKassaDriver.so)
cp "$info" "$stage/INFO.XML"
(cd "$stage" && zip -q -X -9 "$out.tmp" INFO.XML)
mv "$out.tmp" "$out"
echo "1C package: $out"
