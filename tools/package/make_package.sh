#!/usr/bin/env bash
# Makes the ZIP the 1C platform loads the component from: MANIFEST.XML and
# the two libraries at the root, deflated, and INFO.XML for the equipment
# library of 1C configurations.
#   make_package.sh LINUX_SO WINDOWS_DLL MANIFEST OUT_ZIP INFO_XML
set -euo pipefail
so=$1 dll=$2 manifest=$3 out=$(realpath -m "$4")
info=$5
[ -f "$info" ] || { echo "make_package: $info is missing" >&2; exit 1; }
for file in "$so" "$dll" "$manifest"; do
    [ -f "$file" ] || { echo "make_package: $file is missing" >&2; exit 1; }
done
command -v zip >/dev/null || { echo "make_package: the zip program is missing (apt-get install zip)" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$manifest" "$stage/MANIFEST.XML"
cp "$dll" "$stage/ZarvikKassaDriver.dll"
# The debug sections stay with the build; the till needs only the code.
strip --strip-debug -o "$stage/libZarvikKassaDriver.so" "$so"
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$stage" && zip -q -X -9 "$out.tmp" MANIFEST.XML ZarvikKassaDriver.dll libZarvikKassaDriver.so)
cp "$info" "$stage/INFO.XML"
(cd "$stage" && zip -q -X -9 "$out.tmp" INFO.XML)
mv "$out.tmp" "$out"
echo "1C package: $out"
