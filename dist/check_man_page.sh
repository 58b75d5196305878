#!/bin/sh
# The man page as a user reads it in a UTF-8 terminal: every option the program
# lists in its --help stands in it, umlauts are umlauts, and it has a synopsis
# line per form and the table of exit codes.
set -eu
program=$1
page=$2
text=$(LC_ALL=C.UTF-8 MANWIDTH=100 man -l "$page" 2>/dev/null || sed 's/\\-/-/g' "$page")
missing=0
complain() { echo "$page: $1" >&2; missing=1; }
for option in $("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  case $text in
    *"$option"*) ;;
    *) complain "$option fehlt" ;;
  esac
done
case $text in *'??'*|*'Ã'*) complain "Umlaute verstümmelt" ;; esac
case $text in *SYNOPSIS*) ;; *) complain "SYNOPSIS fehlt" ;; esac
if [ "$(basename "$page")" = cv2cli.1 ]; then
  case $text in *übertragen*) ;; *) complain "„übertragen“ fehlt" ;; esac
  # Each form on a line of its own, and every exit code with its meaning.
  [ "$(printf '%s\n' "$text" | grep -c '^ *cv2cli [a-z-]* ')" -ge 7 ] || complain "Aufrufformen nicht je Zeile"
  for code in 0 1 2 3 4 130; do
    printf '%s\n' "$text" | sed -n '/^EXIT STATUS/,/^[A-Z]/p' | grep -q "^ *$code " ||
      complain "Exit-Status $code fehlt"
  done
fi
exit $missing
