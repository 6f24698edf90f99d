#!/usr/bin/env bash
# The time every reproducible output of the build carries (the manuals' dates, the installer
# package's dates and file times, the signatures' signing time), in seconds since 1970:
# SOURCE_DATE_EPOCH when set, else the time of the last commit, else 0 (a copy without Git).
#   scripts/source-date-epoch.sh          prints it
#   scripts/source-date-epoch.sh FILE     writes it to FILE only when it changed, so that what
#                                         depends on FILE is made again only for a new commit
set -euo pipefail
root=$(dirname "$(dirname "$(realpath "$0")")")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)}
epoch=${epoch:-0}
if [ $# -eq 0 ]; then
  echo "$epoch"
elif [ "$(cat "$1" 2>/dev/null || true)" != "$epoch" ]; then
  mkdir -p "$(dirname "$1")"
  echo "$epoch" >"$1"
fi
