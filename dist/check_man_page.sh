#!/bin/sh
# Every option the program lists in its --help also stands in its man page.
set -eu
program=$1
page=$2
text=$(sed 's/\\-/-/g' "$page")
missing=0
for option in $("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  case $text in
    *"$option"*) ;;
    *) echo "$page: $option fehlt" >&2; missing=1 ;;
  esac
done
exit $missing
