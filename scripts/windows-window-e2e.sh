#!/usr/bin/env bash
# cv2sicherung.exe under Wine on the (virtual) display, driven by keyboard as a
# user would, against the Linux cv2sim through COM5: the main window appears
# with its title; the backup button and a path typed into the save dialog give
# a file equal to the Linux cv2cli's; a station with database version 6 gives
# the failure box and leaves the file whole; the restore (open dialog, the
# question answered Yes) gives the same station memory as the Linux cv2cli's;
# the options and notice windows open from the menu; closing the window writes
# the settings file. Each window is photographed into SHOTS (default
# WINDOWS_BUILD/screenshots).
#
#   scripts/windows-window-e2e.sh WINDOWS_BUILD LINUX_BUILD [SHOTS]
# Wine's prefix is WINDOWS_BUILD/wine unless WINEPREFIX names another; needs a
# display (scripts/test-windows.sh provides a virtual one), xdotool and import.
set -uo pipefail
win=$(cd "${1:?usage: windows-window-e2e.sh WINDOWS_BUILD LINUX_BUILD [SHOTS]}" && pwd)
lin=$(cd "${2:?usage: windows-window-e2e.sh WINDOWS_BUILD LINUX_BUILD [SHOTS]}" && pwd)
shots=${3:-$win/screenshots}
exe=$win/cv2sicherung.exe
cli=$lin/cv2cli
sim=$lin/cv2sim
for program in "$exe" "$cli" "$sim"; do
  [ -f "$program" ] || { echo "Fenster-e2e: $program fehlt (erst bauen)" >&2; exit 2; }
done
for tool in xdotool import; do
  command -v "$tool" >/dev/null || { echo "Fenster-e2e: $tool fehlt (scripts/install-deps.sh windows)" >&2; exit 2; }
done
[ -n "${DISPLAY:-}" ] || { echo "Fenster-e2e: keine Anzeige (DISPLAY)" >&2; exit 2; }
export WINEPREFIX=${WINEPREFIX:-$win/wine} WINEDEBUG=-all
com5=$WINEPREFIX/dosdevices/com5
work=$(mktemp -d /tmp/cv2-win-ui-XXXXXX)
mkdir -p "$shots"
source "$(dirname "$0")/wine-windows.sh"
cleanup() {
  end_started
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/sim-control.sh"
e2e_begin=$(date +%s.%N)

# Waits up to 30 seconds until the window $1 is no longer shown.
gone() {
  local deadline=$((SECONDS + 30))
  while [ "$SECONDS" -le "$deadline" ]; do
    xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 0
    sleep 0.1
  done
  return 1
}
shot() { import -window "$1" "$shots/$2.png" 2>/dev/null || fail "Bildschirmfoto $2"; }
# Waits up to $2 seconds for the file $1 to exist.
appears() {
  local deadline=$((SECONDS + $2))
  while [ "$SECONDS" -le "$deadline" ]; do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}

title="CV2 Sicherung - Ver.: 1.0.0"
# The Linux results to compare with: a backup of seed 1, that file restored into seed 2.
start_sim "$work/port" --seed 1
"$cli" backup -q --port "$work/port" "$work/lin.CDF" >/dev/null 2>&1 || fail "Linux-Sicherung"
stop_sim
start_sim "$work/port" --seed 2 --mark-every 1 --dump "$work/restore-lin.CDF"
"$cli" restore -q --yes --port "$work/port" "$work/lin.CDF" >/dev/null 2>&1 || fail "Linux-Übertragung"
restore_requests=$(tail -n 1 "$work/sim.out")
stop_sim

# The program and its settings file beside it: COM5 at 115200 Bd, no backup file.
cp "$exe" "$work/"
printf '5\r\n115200\r\n""\r\n' >"$work/CV2_DF.INF"
start_sim "$com5" --seed 1
begin=$(date +%s.%N)
wine "$work/cv2sicherung.exe" >"$work/program.out" 2>&1 </dev/null &
prog_pid=$!
main=$(window "$title" 90) || { fail "kein Hauptfenster \"$title\""; exit 1; }
echo "== Hauptfenster \"$title\" nach $(since "$begin") s"
# Read at the start; the end must write it anew.
rm -f "$work/CV2_DF.INF"
shot "$main" MainWin

# The backup: its button, then a path typed into the save dialog.
press "$main" space
dialog=$(window "Sicherungsdatei speichern..." 30) || fail "kein Speichern-Dialog"
shot "$dialog" save-dialog
xdotool windowfocus --sync "$dialog" 2>/dev/null
xdotool type --delay 20 "Z:${work//\//\\}\\fenster.CDF"
xdotool key Return
begin=$(date +%s.%N)
appears "$work/fenster.CDF" 300 || fail "Sicherung: keine Datei"
took=$(since "$begin")
stop_sim
if cmp -s "$work/fenster.CDF" "$work/lin.CDF"; then
  echo "== Sicherung im Fenster: $(stat -c %s "$work/fenster.CDF") Bytes in $took s, gleich der von cv2cli unter Linux"
else
  fail "Sicherung: Datei anders als die von cv2cli unter Linux"
fi
shot "$main" MainWin-backup

# A station with database version 6: the failure box, the file left as it was.
start_sim "$com5" --seed 1 --version-word 6
press "$main" space
if box=$(window "Fehler beim Speichern der Datenbank" 60); then
  shot "$box" backup-failure
  press "$box" Return
  gone "$box" || fail "Fehlerkasten bleibt offen"
  echo "== Version 6: Fehlerkasten \"Fehler beim Speichern der Datenbank\""
else
  fail "Version 6: kein Fehlerkasten"
fi
stop_sim
cmp -s "$work/fenster.CDF" "$work/lin.CDF" || fail "Version 6: die Sicherungsdatei wurde verändert"

# The restore into a station of other content: its button (the second in tab
# order), the open dialog on the file in use, the question answered Yes.
start_sim "$com5" --seed 2 --mark-every 1 --dump "$work/restore-win.CDF"
press "$main" Tab space
dialog=$(window "Sicherungsdatei öffnen..." 30) || fail "kein Öffnen-Dialog"
press "$dialog" Return
question=$(window "CV-2 - Sicherung" 30) || fail "keine Frage vor dem Überschreiben"
shot "$question" restore-question
press "$question" Return
begin=$(date +%s.%N)
# The options window opens only once no procedure runs: the restore has ended.
options=
deadline=$((SECONDS + 300))
while [ -z "$options" ] && [ "$SECONDS" -le "$deadline" ]; do
  if [ "$(tail -n 1 "$work/sim.out")" -ge "$restore_requests" ] 2>/dev/null; then
    press "$main" F10 Down Down Return
    options=$(window Optionen 2) || options=
  else
    sleep 0.2
  fi
done
took=$(since "$begin")
stop_sim
if cmp -s "$work/restore-win.CDF" "$work/restore-lin.CDF" && cmp -s "$work/restore-win.CDF" "$work/lin.CDF"; then
  echo "== Übertragung im Fenster: $restore_requests Anfragen in $took s, CV2 gleich der Datei und der unter Linux"
else
  fail "Übertragung: die CV2 hält anderes als unter Linux"
fi

# The options window from the menu, closed with its close box; the notice window.
if [ -n "$options" ]; then
  shot "$options" OptWin
  press "$options" alt+F4
  gone "$options" || fail "Optionen bleiben offen"
else
  fail "Optionen: kein Fenster"
fi
press "$main" F10 Right Return
if notice=$(window Hinweis 30); then
  shot "$notice" frmHinweis
  press "$notice" alt+F4
  gone "$notice" || fail "Hinweis bleibt offen"
else
  fail "Hinweis: kein Fenster"
fi

# Closing the main window writes the settings file and ends the program.
press "$main" alt+F4
for _ in $(seq 300); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$prog_pid" 2>/dev/null; then
  fail "das Programm endet nicht beim Schließen"
else
  wait "$prog_pid"
  prog_pid=
fi
[ "$(cat "$work/CV2_DF.INF" 2>/dev/null)" = "$(printf '5\r\n115200\r\n""\r\n')" ] &&
  echo "== Schließen: CV2_DF.INF geschrieben" || fail "Schließen: CV2_DF.INF fehlt oder ist falsch"
echo "== Bildschirmfotos: $(cd "$shots" && ls *.png | tr '\n' ' ')"
echo "== Fensterprogramm unter Wine: $(since "$e2e_begin") s in allem"

[ "$failures" = 0 ] && echo "cv2sicherung.exe unter Wine: wie unter Linux" || exit 1
