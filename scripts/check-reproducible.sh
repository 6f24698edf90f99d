#!/usr/bin/env bash
# Checks that the same commit, built again in another folder at another time, gives the same
# bytes: PelnixCpl.exe, PelnixLib.dll, Hook.dll (signed) and the installer package (signed).
#   scripts/check-reproducible.sh BUILD_DIR
# BUILD_DIR is a windows build that has made all of them. The source files (those Git tracks or
# would track, as they are now) are copied to a new folder under /tmp and configured there with
# the same toolchain and signing settings; only the three binaries and the language files are
# built (a few minutes, not the test suite's half hour); the package is made from them with the
# same script, its manuals taken from BUILD_DIR: they come out of Xvfb screenshots that take
# longer than the rest together, and what could make them differ (the PDF's dates) is set from
# the same source date as the package's. The source date is BUILD_DIR's: the copy has no Git.
set -euo pipefail
root=$(dirname "$(dirname "$(realpath "$0")")")
first=$(realpath "$1")
version=$(sed -n 's/^project(PelnixCpl VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
package=PelnixCpl-$version-x64.msi
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(cat "$first/source-date-epoch")

work=$(mktemp -d /tmp/pelnix-reproducible-XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/elsewhere/PelnixCpl
mkdir -p "$copy"
(cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy")

# The same signing settings; the test certificate is the copy's own (same bytes, another path).
signing=()
for setting in PELNIX_SIGN_CERT PELNIX_SIGN_KEY PELNIX_SIGN_PASS_FILE PELNIX_SIGN_TIMESTAMP; do
  value=$(sed -n "s/^$setting:[A-Z]*=//p" "$first/CMakeCache.txt")
  case $value in "$root"/*) value=$copy/${value#"$root"/} ;; esac
  signing+=("-D$setting=$value")
done

echo "Building again in $copy"
cmake -S "$copy" -B "$copy/out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/mingw-w64-x86_64.cmake" "${signing[@]}" >"$work/configure.log" 2>&1 \
  || { cat "$work/configure.log"; exit 1; }
cmake --build "$copy/out" -j2 --target pelnix_signed_binaries pelnix_language_files pelnix_null_cursor \
  >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }

second=$copy/out/dist
cp "$first"/dist/UserManual*.pdf "$second/"
bash "$copy/scripts/build-msi.sh" "$second" "$copy/out/package/$package" "$version"

status=0
for file in dist/PelnixCpl.exe dist/PelnixLib.dll dist/Hook.dll dist/Language/1033.ini package/$package; do
  second_file=$copy/out/$file
  if cmp -s "$first/$file" "$second_file"; then
    echo "same bytes: $file ($(sha256sum <"$second_file" | cut -c1-16))"
  else
    echo "FAILED: $file differs between $first and $copy/out"
    cmp -l "$first/$file" "$second_file" | head -5 || true
    status=1
  fi
done
[ $status -eq 0 ] && echo "The second build gave the same bytes."
exit $status
