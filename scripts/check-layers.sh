#!/usr/bin/env bash
# Checks that every source under src/ includes only headers of its own folder or of a layer
# below it, and that the portable core/ folders stay portable (they include only core/ headers
# and the plain id headers of res/, never <windows.h>). Prints each offending file and
# include and exits 1; silent with exit 0 when every include looks down.
#
# Layers, bottom to top:
#   0 base          language, paths, text, log, console, message numbers
#   1 framework     the window layer and the controls every dialog shares
#   2 device config touch screens and driver configuration
#   3 calibration diagnostics update ui   the features; one opens another's window only
#                   through that feature's *_entry.h header
#   4 app           start-up; nothing includes it
set -uo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root/src" || exit 2

layer() {
  case "$1" in
    base) echo 0 ;;
    framework) echo 1 ;;
    device|config) echo 2 ;;
    calibration|diagnostics|update|ui) echo 3 ;;
    app) echo 4 ;;
    *) echo -1 ;;
  esac
}

status=0
fail() { echo "$1: includes \"$2\": $3"; status=1; }

while IFS= read -r file; do
  folder=${file%%/*}
  own=$(layer "$folder")
  [ "$own" -ge 0 ] || { echo "$file: folder \"$folder\" belongs to no layer"; status=1; continue; }
  portable=0
  case "$file" in */core/*) portable=1 ;; esac
  while IFS= read -r line; do
    if [ $portable -eq 1 ] && [[ "$line" =~ \#[[:space:]]*include[[:space:]]*\<windows\.h\> ]]; then
      fail "$file" "<windows.h>" "a portable core file never includes <windows.h>"
      continue
    fi
    [[ "$line" =~ \#[[:space:]]*include[[:space:]]*\"([a-z_]+)/([^\"]+)\" ]] || continue
    target=${BASH_REMATCH[1]}
    header="${BASH_REMATCH[1]}/${BASH_REMATCH[2]}"
    theirs=$(layer "$target")
    [ "$theirs" -ge 0 ] || continue  # not a folder of src/ (a resource path, a library)
    if [ $portable -eq 1 ] && [[ "$header" != */core/* && "$header" != */res/*_ids.h ]]; then
      fail "$file" "$header" "a portable core file includes only portable headers"
      continue
    fi
    [ "$target" = "$folder" ] && continue
    if [ "$theirs" -gt "$own" ]; then
      fail "$file" "$header" "layer $folder ($own) includes layer $target ($theirs) above it"
    elif [ "$theirs" -eq "$own" ] && [[ "$header" != */*_entry.h ]]; then
      fail "$file" "$header" "$folder and $target are one layer: only $target's *_entry.h may be included"
    fi
  done < "$file"
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)

exit $status
