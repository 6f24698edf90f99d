#!/usr/bin/env bash
# Builds the user manual in one language: the Markdown chapters, in file-name order, to HTML
# (pandoc) and to an A4 PDF (weasyprint).
#   scripts/build-manual.sh OUT_PDF [PICTURES_DIR] [LANGUAGE_ID]
# LANGUAGE_ID is the program's number of the language: 1033 (English, the default) takes the
# chapters of docs/manual, 2052 (Simplified Chinese) and 1041 (Japanese) those of
# docs/manual/2052 and docs/manual/1041, each folder with its own metadata.yaml.
# Pictures are referenced by file name and taken from PICTURES_DIR (the screenshots of
# scripts/manual-pictures.sh); a missing one is left out with a note, and the manual still builds.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
manual=$(realpath "$here/../docs/manual")
out=$1
pictures=$(realpath -m "${2:-$manual}")
language=${3:-1033}
chapters=$manual
format=markdown
if [ "$language" != 1033 ]; then
  chapters=$manual/$language
  # A line break between two Chinese or Japanese characters is no space.
  format=markdown+east_asian_line_breaks
fi
[ -f "$chapters/metadata.yaml" ] || { echo "no manual for language $language in $chapters" >&2; exit 1; }
# The PDF's dates are the source's, so that the same commit gives the same bytes.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(bash "$here/source-date-epoch.sh")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Reproducible: the screenshots carry the time they were taken (PNG date and time chunks), so
# the manual takes copies of its language's pictures without them; and the HTML embeds them
# (--self-contained), since the PDF names each picture after its address, which would be this
# run's temporary folder.
case $language in 2052) suffix=zh ;; 1041) suffix=ja ;; *) suffix=en ;; esac
mkdir -p "$work/pictures"
if compgen -G "$pictures/*-$suffix.png" >/dev/null; then
  mogrify -path "$work/pictures" -strip -define png:exclude-chunks=date,time "$pictures"/*-"$suffix".png
fi
PELNIX_MANUAL_PICTURES=$work/pictures pandoc \
  --from "$format" --to html5 --standalone --self-contained \
  --template "$manual/template.html" --metadata-file "$chapters/metadata.yaml" \
  --toc --toc-depth 2 --lua-filter "$manual/pictures.lua" \
  --output "$work/UserManual.html" "$chapters"/[0-9][0-9]-*.md
# weasyprint warns about CSS it ignores; only errors matter here.
weasyprint --quiet --stylesheet "$manual/manual.css" --base-url "$work/" \
  "$work/UserManual.html" "$work/UserManual.pdf"
mkdir -p "$(dirname "$out")"
mv -f "$work/UserManual.pdf" "$out"
