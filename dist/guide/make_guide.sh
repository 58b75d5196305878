#!/usr/bin/env bash
# Turns the guide (docs/anleitung.md, docs/fehlermeldungen.md, docs/README.en.md)
# into HTML pages a browser opens from the disk, with the stylesheet and the
# pictures they show beside them:
#   make_guide.sh DOCS OUT
# OUT gets anleitung.html, fehlermeldungen.html, README.en.html, anleitung.css and
# images/ with exactly the pictures the pages show. Needs cmark-gfm, which keeps the
# tables; raw HTML in the Markdown (the <br> in the error list) passes through.
set -euo pipefail
docs=$(cd "${1:?usage: make_guide.sh DOCS OUT}" && pwd)
out=${2:?usage: make_guide.sh DOCS OUT}
here=$(cd "$(dirname "$0")" && pwd)
command -v cmark-gfm >/dev/null || { echo "make_guide: cmark-gfm fehlt (Debian-Paket cmark-gfm)" >&2; exit 2; }

# Built beside OUT and moved into place, so a failure leaves no half guide.
stage=$(mktemp -d "${out%/}.new.XXXXXX")
trap 'rm -rf "$stage"' EXIT

# One page: the file's first heading is its title; links to the other Markdown
# pages point at their HTML, also in the link's text.
page() {
  local name=$1 lang=$2 title
  title=$(sed -n 's/^# //p' "$docs/$name.md" | head -n 1)
  {
    printf '<!DOCTYPE html>\n<html lang="%s">\n<head>\n<meta charset="utf-8">\n' "$lang"
    printf '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
    printf '<title>%s</title>\n<link rel="stylesheet" href="anleitung.css">\n</head>\n<body>\n' "$title"
    printf '<nav><a href="anleitung.html">Anleitung</a> · <a href="fehlermeldungen.html">Fehlermeldungen</a>'
    printf ' · <a href="README.en.html" lang="en">English summary</a></nav>\n<main>\n'
    # The error list's note for whoever edits the Markdown is no business of a reader's.
    grep -v '^<!--.*-->$' "$docs/$name.md" |
      cmark-gfm --unsafe -e table -e autolink -e strikethrough |
      sed -E 's/(href="[^"#:]*)\.md(["#])/\1.html\2/g; s/>([A-Za-z.]+)\.md</>\1.html</g'
    printf '</main>\n</body>\n</html>\n'
  } >"$stage/$name.html"
}
page anleitung de
page fehlermeldungen de
page README.en en
cp "$here/anleitung.css" "$stage/"

# The pictures the pages show, and no others.
mkdir "$stage/images"
for picture in $(grep -oh '<img src="images/[^"]*"' "$stage"/*.html | sed 's/.*images\///; s/"$//' | sort -u); do
  cp "$docs/images/$picture" "$stage/images/" ||
    { echo "make_guide: das Bild images/$picture fehlt in $docs" >&2; exit 1; }
done

rm -rf "$out"
mv "$stage" "$out"
trap - EXIT
