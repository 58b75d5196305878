#!/bin/sh
# Checks a guide folder made by make_guide.sh as a reader's browser would meet it:
# the three pages are there, every picture and page they point at lies beside
# them, and no Markdown is left in the text (a table the converter did not take,
# bold or a link left as typed).
#   check_guide.sh FOLDER
set -eu
dir=${1:?usage: check_guide.sh FOLDER}
fail() { echo "FEHLER: Anleitung in $dir: $*" >&2; exit 1; }

for page in anleitung.html fehlermeldungen.html README.en.html anleitung.css; do
  [ -s "$dir/$page" ] || fail "$page fehlt"
done
for page in "$dir"/*.html; do
  name=$(basename "$page")
  grep -q '<table>' "$page" || [ "$name" = README.en.html ] || fail "$name hat keine Tabelle"
  # What the pages point at on the disk: pictures, pages, the stylesheet.
  for target in $(grep -o -E '(src|href)="[^"#]+' "$page" | sed 's/^[a-z]*="//' | grep -v -E '^[a-z]+:'); do
    [ -f "$dir/$target" ] || fail "$name verweist auf $target, das fehlt"
  done
  # Code blocks may hold any characters; the text around them may not.
  left=$(sed '/<pre>/,/<\/pre>/d' "$page" |
         grep -n -E '\|[ :]*---|\*\*|\]\(|^#{1,6} |`|\.md"' || true)
  [ -z "$left" ] || fail "$name enthält noch Markdown: $left"
done
echo "Anleitung in Ordnung: $(ls "$dir"/*.html | wc -l) Seiten, $(ls "$dir/images" | wc -l) Bilder"
