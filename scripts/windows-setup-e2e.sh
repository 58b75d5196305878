#!/usr/bin/env bash
# The setup program under Wine, in a prefix of its own made fresh for each run, as
# on a machine that never had the program: its welcome page on the display
# (photographed, then cancelled); a silent install puts both programs, the
# guide and the three Start-menu links where Windows keeps them, no desktop link,
# and the entry in the list of programs; a second silent install replaces the
# files without a question; the installed cv2cli.exe backs up the Linux cv2sim
# through COM5 as the Linux cv2cli does; the installed window program opens, and
# a silent update while it runs ends with exit code 2 and changes nothing;
# the silent uninstall takes files, links and entry away and leaves the user's
# settings in %APPDATA%\cv2sicherung and the user's own files alone; /D installs
# into another folder.
#
#   scripts/windows-setup-e2e.sh WINDOWS_BUILD LINUX_BUILD [SHOTS]
# Needs a display (scripts/test-windows.sh provides a virtual one), xdotool and import.
set -uo pipefail
usage="usage: windows-setup-e2e.sh WINDOWS_BUILD LINUX_BUILD [SHOTS]"
win=$(cd "${1:?$usage}" && pwd)
lin=$(cd "${2:?$usage}" && pwd)
shots=${3:-$win/screenshots}
version=$(sed -n 's/^project(cv2sicherung VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
setup_exe=$win/cv2sicherung-$version-setup.exe
cli=$lin/cv2cli
sim=$lin/cv2sim
for program in "$setup_exe" "$cli" "$sim"; do
  [ -f "$program" ] || { echo "Setup-e2e: $program fehlt (erst bauen, make windows)" >&2; exit 2; }
done
for tool in xdotool import strings; do
  command -v "$tool" >/dev/null || { echo "Setup-e2e: $tool fehlt (scripts/install-deps.sh windows)" >&2; exit 2; }
done
[ -n "${DISPLAY:-}" ] || { echo "Setup-e2e: keine Anzeige (DISPLAY)" >&2; exit 2; }

# Wine's menu builder would turn the Start-menu links into desktop entries of
# this Linux machine's user; Mono and Gecko are not needed and would be offered
# for download in a fresh prefix.
export WINEPREFIX=$win/wine-setup WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
work=$(mktemp -d /tmp/cv2-win-setup-XXXXXX)
mkdir -p "$shots"
source "$(dirname "$0")/wine-windows.sh"
cleanup() {
  end_started
  wineserver --kill >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/sim-control.sh"
e2e_begin=$(date +%s.%N)


# A fresh prefix with Wine's own fonts and window frames drawn by Wine, as the
# other Windows tests have it.
rm -rf "$WINEPREFIX"
wineboot --init >"$work/wineboot.out" 2>&1 </dev/null || { cat "$work/wineboot.out"; fail "wineboot"; exit 1; }
if [ -d /usr/share/wine/fonts ]; then
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
wineserver --wait
echo "== neues Wine-Präfix nach $(since "$e2e_begin") s"

# Where this Windows keeps things, as Unix paths.
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_var() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
program_dir=$(unix_path "$(windows_var ProgramFiles)\\CV2 Sicherung")
menu_dir=$(unix_path "$(windows_var ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs\\CV2 Sicherung")
public_desktop=$(unix_path "$(windows_var PUBLIC)\\Desktop")
appdata=$(unix_path "$(windows_var APPDATA)")
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\CV2 Sicherung'
setup_win="Z:${setup_exe//\//\\}"

# The welcome page, as a user who double-clicks the setup sees it; Escape and
# Yes cancel the installation before anything is written.
wine "$setup_win" >"$work/setup-ui.out" 2>&1 </dev/null &
prog_pid=$!
if welcome=$(window "Installation von CV2 Sicherung" 60); then
  sleep 1
  import -window "$welcome" "$shots/setup-welcome.png" 2>/dev/null || fail "Bildschirmfoto der Willkommensseite"
  # The question whether to cancel has the setup's title too.
  press "$welcome" Escape
  question=
  for _ in $(seq 100); do
    question=$(xdotool search --onlyvisible --name "^Installation von CV2 Sicherung\$" 2>/dev/null |
               grep -vx "$welcome" | head -n 1)
    [ -n "$question" ] && break
    sleep 0.1
  done
  [ -n "$question" ] && press "$question" Return || fail "keine Frage beim Abbrechen"
  for _ in $(seq 100); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$prog_pid" 2>/dev/null && fail "Abbrechen auf der Willkommensseite beendet das Setup nicht"
  echo "== Willkommensseite: $shots/setup-welcome.png"
else
  fail "keine Willkommensseite"
fi
kill -KILL "$prog_pid" 2>/dev/null && wait "$prog_pid" 2>/dev/null
prog_pid=
[ ! -e "$program_dir" ] || fail "der Abbruch auf der Willkommensseite hat installiert"

# One silent install; sets install_code.
install() {
  local begin
  begin=$(date +%s.%N)
  timeout 120 wine "$setup_win" /S >"$work/setup.out" 2>&1 </dev/null
  install_code=$?
  wineserver --wait
  echo "== setup.exe /S ($1): Exit $install_code in $(since "$begin") s"
  [ "$install_code" = 0 ] || fail "setup.exe /S ($1): Exit $install_code"
}
# A Start-menu link named $1 that points at $2 (its target stands in the link in
# UTF-16 or in the system's code page).
link_to() {
  [ -f "$1" ] || { fail "Verknüpfung $(basename "$1") fehlt"; return; }
  local text
  text=$(strings -a "$1"; strings -a -e l "$1")
  grep -qiF "$2" <<<"$text" || fail "Verknüpfung $(basename "$1") zeigt nicht auf $2"
}
installed() {
  for f in cv2sicherung.exe cv2cli.exe uninstall.exe; do
    [ -f "$program_dir/$f" ] || fail "$1: $f fehlt in $program_dir"
  done
  cmp -s "$program_dir/cv2cli.exe" "$win/cv2cli.exe" || fail "$1: cv2cli.exe nicht die gebaute"
  cmp -s "$program_dir/cv2sicherung.exe" "$win/cv2sicherung.exe" || fail "$1: cv2sicherung.exe nicht die gebaute"
  diff -r "$program_dir/Anleitung" "$win/guide" >/dev/null || fail "$1: die Anleitung ist nicht die gebaute"
  sh "$(dirname "$0")/../dist/guide/check_guide.sh" "$program_dir/Anleitung" >/dev/null || fail "$1: Anleitung"
  link_to "$menu_dir/CV2 Sicherung.lnk" 'cv2sicherung.exe'
  link_to "$menu_dir/Anleitung.lnk" 'anleitung.html'
  link_to "$menu_dir/CV2 Sicherung entfernen.lnk" 'uninstall.exe'
  [ ! -e "$public_desktop/CV2 Sicherung.lnk" ] || fail "$1: Desktop-Verknüpfung, obwohl nicht gewählt"
  wine reg query "$key" >"$work/key.txt" 2>&1 </dev/null || { fail "$1: kein Eintrag $key"; return; }
  for value in 'DisplayName.*CV2 Sicherung' "DisplayVersion.*$version" 'Publisher.*cv2sicherung' \
               'DisplayIcon.*cv2sicherung.exe' 'UninstallString.*uninstall.exe' 'EstimatedSize.*0x'; do
    grep -q "$value" "$work/key.txt" || fail "$1: im Eintrag fehlt $value"
  done
}

install "erste Installation"
installed "erste Installation"
size_kb=$(printf '%d' "$(sed -n 's/.*EstimatedSize.*\(0x[0-9a-fA-F]*\).*/\1/p' "$work/key.txt" | tr -d '\r')" 2>/dev/null)
echo "== installiert in $program_dir, $size_kb KB laut Eintrag; Startmenü: $(cd "$menu_dir" 2>/dev/null && ls | tr '\n' ' ')"

# An update over a program never started: changed and stray files of the old
# installation are replaced or gone, without a question.
printf 'alt' >>"$program_dir/cv2cli.exe"
printf 'alt' >"$program_dir/Anleitung/anleitung.html"
cp "$program_dir/Anleitung/images/MainWin.png" "$program_dir/Anleitung/images/alt.png"
install "Aktualisierung"
installed "Aktualisierung"

# The installed cv2cli.exe, found by its Start-menu folder's program folder,
# backs up through COM5 what the Linux cv2cli backs up.
start_sim "$work/port" --seed 1
"$cli" backup -q --port "$work/port" "$work/lin.CDF" >/dev/null 2>&1 || fail "Linux-Sicherung"
stop_sim
start_sim "$WINEPREFIX/dosdevices/com5" --seed 1
timeout 300 wine "C:\\Program Files\\CV2 Sicherung\\cv2cli.exe" backup -q --port 5 \
  "Z:${work//\//\\}\\win.CDF" >"$work/cli.out" 2>&1 </dev/null
cli_code=$?
stop_sim
if [ "$cli_code" = 0 ] && cmp -s "$work/win.CDF" "$work/lin.CDF"; then
  echo "== installiertes cv2cli.exe: Sicherung über COM5 gleich der von cv2cli unter Linux"
else
  sed 's/^/   /' "$work/cli.out"
  fail "installiertes cv2cli.exe: Exit $cli_code, Datei anders als unter Linux"
fi
help=$(wine "C:\\Program Files\\CV2 Sicherung\\cv2cli.exe" --help 2>/dev/null </dev/null)
grep -q '^Anleitung: Anleitung\\anleitung.html' <<<"$help" || fail "cv2cli.exe --help nennt die Anleitung nicht"

# The installed window program opens and ends on its close box.
wine "C:\\Program Files\\CV2 Sicherung\\cv2sicherung.exe" >"$work/program.out" 2>&1 </dev/null &
prog_pid=$!
if main=$(window "CV2 Sicherung - Ver.: $version" 90); then
  echo "== installiertes cv2sicherung.exe: Hauptfenster offen"
  # Windows keeps a running program's file from being replaced: a silent update
  # meanwhile ends with exit code 2 and leaves the installation whole.
  timeout 120 wine "$setup_win" /S >"$work/setup.out" 2>&1 </dev/null
  running_code=$?
  echo "== setup.exe /S, während das Programm läuft: Exit $running_code"
  [ "$running_code" = 2 ] || fail "setup.exe /S bei laufendem Programm: Exit $running_code statt 2"
  installed "bei laufendem Programm"
  press "$main" alt+F4
else
  fail "installiertes cv2sicherung.exe: kein Hauptfenster"
fi
for _ in $(seq 300); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$prog_pid" 2>/dev/null && fail "cv2sicherung.exe endet nicht beim Schließen"
kill -KILL "$prog_pid" 2>/dev/null
wait "$prog_pid" 2>/dev/null
prog_pid=

# An update after the program ran.
install "Aktualisierung nach dem Start"
installed "Aktualisierung nach dem Start"

# The user's settings and a backup the user saved into the program folder.
mkdir -p "$appdata/cv2sicherung"
printf '7\r\n115200\r\n""\r\n' >"$appdata/cv2sicherung/CV2_DF.INF"
cp "$appdata/cv2sicherung/CV2_DF.INF" "$work/settings-before"
cp "$work/win.CDF" "$program_dir/anlage.CDF"
own_files=$(cd "$program_dir" && ls | grep -vxE 'cv2sicherung.exe|cv2cli.exe|uninstall.exe|Anleitung' | sort)

# The uninstaller copies itself away and runs from there, so its end is seen in
# what it leaves.
begin=$(date +%s.%N)
wine "C:\\Program Files\\CV2 Sicherung\\uninstall.exe" /S >"$work/uninstall.out" 2>&1 </dev/null
uninstall_code=$?
for _ in $(seq 600); do [ -e "$program_dir/uninstall.exe" ] || break; sleep 0.1; done
wineserver --wait
echo "== uninstall.exe /S: Exit $uninstall_code in $(since "$begin") s"
[ "$uninstall_code" = 0 ] || fail "uninstall.exe /S: Exit $uninstall_code"
for f in cv2sicherung.exe cv2cli.exe uninstall.exe Anleitung; do
  [ ! -e "$program_dir/$f" ] || fail "Entfernen: $f ist noch da"
done
[ ! -e "$menu_dir" ] || fail "Entfernen: der Startmenü-Ordner ist noch da: $(ls "$menu_dir" | tr '\n' ' ')"
wine reg query "$key" >/dev/null 2>&1 </dev/null && fail "Entfernen: der Eintrag $key ist noch da"
cmp -s "$appdata/cv2sicherung/CV2_DF.INF" "$work/settings-before" ||
  fail "Entfernen: die Einstellungen in %APPDATA%\\cv2sicherung sind verändert oder weg"
left=$(cd "$program_dir" 2>/dev/null && ls | sort)
[ "$left" = "$own_files" ] && cmp -s "$program_dir/anlage.CDF" "$work/win.CDF" ||
  fail "Entfernen: im Programmordner sollten nur $(echo $own_files) bleiben, da ist: $(echo $left)"
echo "== entfernt; geblieben: %APPDATA%\\cv2sicherung\\CV2_DF.INF und im Programmordner $(echo $left)"

# A folder of the administrator's choice, given with /D, on a machine without an
# installation, and its removal.
other='C:\Werkzeuge\CV2 Sicherung'
other_dir=$(unix_path "$other")
# Typed as on Windows, last and without quotes: Wine quotes a word with a space,
# so the folder goes in as the words of that line.
read -r -a words <<<"/D=$other"
timeout 120 wine "$setup_win" /S "${words[@]}" >"$work/setup.out" 2>&1 </dev/null
other_code=$?
wineserver --wait
[ "$other_code" = 0 ] && [ -f "$other_dir/cv2sicherung.exe" ] && [ -f "$other_dir/Anleitung/anleitung.html" ] ||
  fail "setup.exe /S /D=$other: Exit $other_code, Programm nicht dort"
location=$(wine reg query "$key" /v InstallLocation 2>/dev/null </dev/null)
grep -qF "$other" <<<"$location" || fail "setup.exe /S /D=$other: InstallLocation nicht $other"
link_to "$menu_dir/CV2 Sicherung.lnk" 'Werkzeuge'
wine "$other\\uninstall.exe" /S >/dev/null 2>&1 </dev/null
for _ in $(seq 600); do [ -e "$other_dir" ] || break; sleep 0.1; done
wineserver --wait
[ ! -e "$other_dir" ] && [ ! -e "$menu_dir" ] || fail "Entfernen aus $other: es bleibt etwas"
echo "== setup.exe /S /D=$other: installiert und wieder entfernt"
echo "== Setup unter Wine: $(since "$e2e_begin") s in allem"

[ "$failures" = 0 ] && echo "Setup unter Wine: installiert, aktualisiert, läuft und wird entfernt" || exit 1
