#!/usr/bin/env bash
# Builds the Windows Installer package of the control panel with wixl from a dist/ folder.
#   scripts/build-msi.sh DIST_DIR OUT_MSI VERSION
# The product code is derived from the version: the same version always gives the same
# product code (installing it twice keeps one entry), a new version a new one (which replaces
# the older through the package's upgrade code). The package is reproducible (the same sources
# and date give the same bytes) and signed (scripts/sign.sh says with what).
set -euo pipefail
here=$(dirname "$(realpath "$0")")
root=$(dirname "$here")
dist=$(realpath "$1")
out=$(realpath -m "$2")
version=$3
upgrade_code=88808D64-06F9-4B81-9872-6F39206D4D43
product_code=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), "PelnixCpl " + sys.argv[2])).upper())' "$upgrade_code" "$version")

for file in PelnixCpl.exe PelnixLib.dll Hook.dll UserManual.pdf UserManual.2052.pdf UserManual.1041.pdf null.cur Language/1033.ini Language/2052.ini Language/1041.ini; do
  [ -f "$dist/$file" ] || { echo "build-msi: $dist/$file is missing" >&2; exit 1; }
done

# wixl takes the files of the package by names relative to where it runs. They are staged as
# copies dated at the source's date: the package's cabinet records each file's time.
epoch=$(bash "$here/source-date-epoch.sh")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/dist/Language"
for file in PelnixCpl.exe PelnixLib.dll Hook.dll UserManual.pdf UserManual.2052.pdf UserManual.1041.pdf null.cur Language/1033.ini Language/2052.ini Language/1041.ini; do
  cp "$dist/$file" "$stage/dist/$file"
done
cp "$root/src/app/res/PelnixCpl.ico" "$root/packaging/find_null_cursor.js" "$stage/"
find "$stage" -exec touch -h -d "@$epoch" {} +
mkdir -p "$(dirname "$out")"
(cd "$stage" && wixl --arch x64 \
  -D Version="$version" -D ProductCode="$product_code" -D UpgradeCode="$upgrade_code" \
  -D DistDir=dist -D IconFile=PelnixCpl.ico \
  -o "$stage/package.msi" "$root/packaging/PelnixCpl.wxs")
# wixl's own time stamps and random package code, made reproducible; then the signature.
python3 "$here/msi-summary.py" "$stage/package.msi" "$epoch"
bash "$here/sign.sh" "$stage/package.msi"
mv -f "$stage/package.msi" "$out"
