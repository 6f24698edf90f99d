#!/usr/bin/env bash
# Checks that every source of the program, the simulator, the two DLLs and the tools includes
# only headers of its own folder or of a layer below it, and that the portable core/ folders
# stay portable (they include only core/ headers and the plain id headers of res/, never
# <windows.h>). Prints each offending file and include and exits 1; silent with exit 0 when
# every include looks down.
#
# Layers of src/, bottom to top:
#   0 base          language, paths, text, log, console, message numbers
#   1 framework     the window layer and the controls every dialog shares
#   2 device config touch screens and driver configuration
#   3 calibration diagnostics update ui   the features; one opens another's window only
#                   through that feature's *_entry.h header
#   4 app           start-up; nothing includes it
# Beside them:
#   simulator/      a HID backend: base, framework and device, never config, a feature or app;
#                   simulator/demo_main.cpp is an entry point like src/app/main.cpp and may
#                   include app; nothing in src/ includes the simulator
#   libs/           PelnixLib.dll and Hook.dll, loaded by the program and never linked to it:
#                   only the portable record and message headers of base/core and config/core,
#                   and base's header-only owners of handles (scoped_handle.h), which link
#                   nothing of the program
#   tools/          programs of their own: only portable core/ headers of src/ and simulator/
set -uo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root" || exit 2

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

# The rule for an include of src/ or simulator/ by a file outside src/; empty when allowed.
outside_rule() {
  local file=$1 header=$2 target=${2%%/*}
  case "$file" in
    simulator/demo_main.cpp)
      return ;;
    simulator/*)
      [ "$target" = simulator ] && return
      case "$target" in base|framework|device) return ;; esac
      echo "the simulator is a HID backend: it includes base, framework and device only" ;;
    libs/*)
      case "$header" in base/core/*|config/core/*|base/scoped_handle.h) return ;; esac
      echo "a DLL includes only the portable headers of base/core and config/core and base/scoped_handle.h" ;;
    tools/*)
      [[ "$header" == */core/* && "$target" != app ]] && return
      echo "a tool includes only portable core/ headers of src and simulator" ;;
  esac
}

check_file() {
  local file=$1 folder own=-1 portable=0 in_src=0 line target header theirs rule
  case "$file" in
    src/*) in_src=1; folder=${file#src/}; folder=${folder%%/*}; own=$(layer "$folder")
           [ "$own" -ge 0 ] || { echo "$file: folder \"$folder\" belongs to no layer"; status=1; return; } ;;
  esac
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
    [ "$theirs" -ge 0 ] || [ "$target" = simulator ] || continue  # a resource path, a system folder
    if [ $portable -eq 1 ] && [[ "$header" != */core/* && "$header" != */res/*_ids.h ]]; then
      fail "$file" "$header" "a portable core file includes only portable headers"
      continue
    fi
    if [ $in_src -eq 0 ]; then
      rule=$(outside_rule "$file" "$header")
      [ -z "$rule" ] || fail "$file" "$header" "$rule"
      continue
    fi
    if [ "$target" = simulator ]; then
      fail "$file" "$header" "the program reaches the simulator only through an entry point"
      continue
    fi
    [ "$target" = "$folder" ] && continue
    if [ "$theirs" -gt "$own" ]; then
      fail "$file" "$header" "layer $folder ($own) includes layer $target ($theirs) above it"
    elif [ "$theirs" -eq "$own" ] && [[ "$header" != */*_entry.h ]]; then
      fail "$file" "$header" "$folder and $target are one layer: only $target's *_entry.h may be included"
    fi
  done < "$file"
}

while IFS= read -r file; do
  check_file "$file"
done < <(find src simulator libs tools -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) | sort)

exit $status
