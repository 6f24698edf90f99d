#!/usr/bin/env bash
# Builds the user manual: the Markdown chapters of docs/manual, in file-name order, to HTML
# (pandoc) and to an A4 PDF (weasyprint).
#   scripts/build-manual.sh OUT_PDF [PICTURES_DIR]
# Pictures are referenced by file name and taken from PICTURES_DIR (the screenshots of
# scripts/screenshots.sh); a missing one is left out with a note, and the manual still builds.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
manual=$(realpath "$here/../docs/manual")
out=$1
pictures=$(realpath -m "${2:-$manual}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

PELNIX_MANUAL_PICTURES=$pictures pandoc \
  --from markdown --to html5 --standalone \
  --template "$manual/template.html" --metadata-file "$manual/metadata.yaml" \
  --toc --toc-depth 2 --lua-filter "$manual/pictures.lua" \
  --output "$work/UserManual.html" "$manual"/[0-9][0-9]-*.md
# weasyprint warns about CSS it ignores; only errors matter here.
weasyprint --quiet --stylesheet "$manual/manual.css" --base-url "$work/" \
  "$work/UserManual.html" "$work/UserManual.pdf"
mkdir -p "$(dirname "$out")"
mv -f "$work/UserManual.pdf" "$out"
