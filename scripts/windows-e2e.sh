#!/usr/bin/env bash
# cv2cli.exe under Wine against the Linux cv2sim, and the Linux cv2cli beside it
# against a station of the same content: the Windows program reaches the
# station through COM5, which the Wine prefix links to cv2sim's pseudo-terminal.
# A backup must give the same file, a restore (also one from another station)
# the same station memory, a silent FS module the same exit code and status,
# a first contact at wire speed the same result, and Ctrl-C the same end; the
# serial interface at 16666 bit/s on COM2 must find the station ready, and a
# backup through cv2sim's LocoNet server over TCP (Winsock) give the same file.
#
#   scripts/windows-e2e.sh WINDOWS_BUILD LINUX_BUILD
# Wine's prefix is WINDOWS_BUILD/wine unless WINEPREFIX names another.
set -uo pipefail
win=$(cd "${1:?usage: windows-e2e.sh WINDOWS_BUILD LINUX_BUILD}" && pwd)
lin=$(cd "${2:?usage: windows-e2e.sh WINDOWS_BUILD LINUX_BUILD}" && pwd)
exe=$win/cv2cli.exe
cli=$lin/cv2cli
sim=$lin/cv2sim
for program in "$exe" "$cli" "$sim"; do
  [ -x "$program" ] || [ -f "$program" ] || { echo "e2e: $program fehlt (erst bauen)" >&2; exit 2; }
done
export WINEPREFIX=${WINEPREFIX:-$win/wine} WINEDEBUG=-all
com5=$WINEPREFIX/dosdevices/com5
work=$(mktemp -d /tmp/cv2-win-e2e-XXXXXX)
sim_pid=
failures=0
cleanup() {
  [ -n "$sim_pid" ] && kill -KILL "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/sim-control.sh"

# One run on each side, each against its own cv2sim with the options given
# after "--"; a word @NAME is the file $work/win-NAME or $work/lin-NAME. Sets
# win_code, win_status, win_took, lin_code, lin_status, lin_took; each
# station's memory afterwards in $work/<name>-win.CDF and $work/<name>-lin.CDF.
both() {
  local name=$1 words=() options=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do words+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  options=("$@")
  start_sim "$com5" "${options[@]}" --dump "$work/$name-win.CDF"
  # Windows sees the work folder as drive Z:.
  local winwords=("${words[@]//@/Z:${work//\//\\}\\win-}")
  local begin
  begin=$(date +%s.%N)
  timeout 300 wine "$exe" "${winwords[@]}" --port 5 >"$work/$name-win.out" 2>&1 </dev/null
  win_code=$?
  win_took=$(since "$begin")
  stop_sim
  start_sim "$work/port" "${options[@]}" --dump "$work/$name-lin.CDF"
  local linwords=("${words[@]//@/$work/lin-}")
  begin=$(date +%s.%N)
  timeout 300 "$cli" "${linwords[@]}" --port "$work/port" >"$work/$name-lin.out" 2>&1 </dev/null
  lin_code=$?
  lin_took=$(since "$begin")
  stop_sim
  win_status=$(grep -ao 'Status -\?[0-9]*' "$work/$name-win.out" | tail -n 1)
  lin_status=$(grep -ao 'Status -\?[0-9]*' "$work/$name-lin.out" | tail -n 1)
  echo "== $name: Windows Exit $win_code ${win_status:-} ($win_took s)," \
       "Linux Exit $lin_code ${lin_status:-} ($lin_took s)"
}

fail() {
  echo "FEHLER: $*"
  failures=$((failures + 1))
}
same_files() { cmp -s "$1" "$2" || fail "$1 und $2 unterscheiden sich"; }
show_output() { sed 's/^/   /' "$work/$1-win.out"; }

# A file name with an umlaut must reach the file system, and the summary, as typed.
both backup backup -q @anlage-müller.CDF -- --seed 1
[ "$win_code" = 0 ] && [ "$lin_code" = 0 ] || { show_output backup; fail "Sicherung"; }
same_files "$work/win-anlage-müller.CDF" "$work/lin-anlage-müller.CDF"
same_files "$work/win-anlage-müller.CDF" "$work/backup-win.CDF"
grep -aq 'anlage-müller.CDF' "$work/backup-win.out" || fail "Sicherung: Dateiname verstümmelt"

# The file goes into a station of other content, then into another station.
cp "$work/win-anlage-müller.CDF" "$work/win-file.CDF"
cp "$work/win-anlage-müller.CDF" "$work/lin-file.CDF"
both restore restore -q --yes @file.CDF -- --seed 2
[ "$win_code" = 0 ] && [ "$lin_code" = 0 ] || { show_output restore; fail "Übertragung"; }
same_files "$work/restore-win.CDF" "$work/restore-lin.CDF"
same_files "$work/restore-win.CDF" "$work/win-file.CDF"

both other-station restore -q --yes --other-station @file.CDF -- --seed 3 --identity 1
[ "$win_code" = 0 ] && [ "$lin_code" = 0 ] || { show_output other-station; fail "andere CV2"; }
same_files "$work/other-station-win.CDF" "$work/other-station-lin.CDF"

both silent-fs backup -q @fs.CDF -- --seed 1 --silent-fs
[ "$win_code" = "$lin_code" ] && [ "$win_code" != 0 ] || fail "FS-Modul stumm: Exit $win_code, Linux $lin_code"
[ -n "$win_status" ] && [ "$win_status" = "$lin_status" ] || { show_output silent-fs; fail "FS-Modul stumm: $win_status, Linux $lin_status"; }

# At wire speed, each answer byte at its line time: the port holds back the
# rest of a frame (read time-outs) instead of waking for every byte.
both paced info -- --speed wire --byte-paced
[ "$win_code" = 0 ] && [ "$lin_code" = 0 ] || { show_output paced; fail "info bei Leitungstempo"; }
# Windows ends its lines with CR LF.
[ "$(grep -a '^Ergebnis' "$work/paced-win.out" | tr -d '\r')" = "$(grep -a '^Ergebnis' "$work/paced-lin.out")" ] ||
  fail "info bei Leitungstempo: anderes Ergebnis"
# A frame held back past its end would cost a reply wait's two seconds per command;
# Wine's start takes one or two.
awk -v w="$win_took" -v l="$lin_took" 'BEGIN { exit !(w <= l + 4) }' ||
  fail "info bei Leitungstempo: unter Windows $win_took s, unter Linux $lin_took s"

# The serial LocoNet interface on COM2 at 16666 bit/s: RTS, byte-wise sending under
# CTS (a pseudo-terminal has no modem lines: CTS counts as asserted) and the rate
# of the UART divisor through the DCB. Linux reaches COM2 only as /dev/ttyS1.
start_sim "$WINEPREFIX/dosdevices/com2" --seed 1
timeout 120 wine "$exe" info --port 2 --interface serial --baud 16666 >"$work/serial.out" 2>&1 </dev/null
serial_code=$?
stop_sim
rm -f "$WINEPREFIX/dosdevices/com2"
echo "== serielles Interface an COM2, 16666 Baud: Exit $serial_code"
[ "$serial_code" = 0 ] && grep -aq '^Ergebnis: Die CV2 ist bereit' "$work/serial.out" ||
  { sed 's/^/   /' "$work/serial.out"; fail "serielles Interface: Exit $serial_code"; }

# Ctrl-C in the middle of a backup: Wine hands SIGINT to the console's control
# handler; the run ends through its own course, as on Linux, and leaves no file.
start_sim "$com5" --seed 1
wine "$exe" backup --port 5 "Z:${work//\//\\}\\cancel.CDF" >"$work/cancel.out" 2>&1 </dev/null &
cli_pid=$!
for _ in $(seq 600); do grep -aq Lokdaten "$work/cancel.out" && break; sleep 0.05; done
kill -INT "$cli_pid"
wait "$cli_pid"
cancel_code=$?
stop_sim
echo "== Strg+C: Exit $cancel_code, $(grep -a '^Abgebrochen' "$work/cancel.out" | tr -d '\r')"
[ "$cancel_code" = 130 ] && grep -aq '^Abgebrochen. Schritt: ' "$work/cancel.out" ||
  fail "Strg+C: Exit $cancel_code"
[ ! -e "$work/cancel.CDF" ] || fail "Strg+C: eine halbe Sicherung blieb liegen"

# LocoNet over TCP through Winsock, among other devices' messages: cv2sim
# serves on a free port and says which on its first line.
"$sim" --speed instant --tcp 0 --seed 1 --traffic 50 >"$work/tcp-sim.out" 2>/dev/null &
sim_pid=$!
for _ in $(seq 100); do [ -s "$work/tcp-sim.out" ] && break; sleep 0.05; done
tcp_port=$(head -n 1 "$work/tcp-sim.out")
timeout 300 wine "$exe" backup -q --port "$tcp_port" "Z:${work//\//\\}\\tcp.CDF" >"$work/tcp.out" 2>&1 </dev/null
tcp_code=$?
stop_sim
echo "== LocoNet über TCP ($tcp_port): Exit $tcp_code"
[ "$tcp_code" = 0 ] || { sed 's/^/   /' "$work/tcp.out"; fail "LocoNet über TCP: Exit $tcp_code"; }
same_files "$work/tcp.CDF" "$work/lin-anlage-müller.CDF"

[ "$failures" = 0 ] && echo "cv2cli.exe unter Wine: wie unter Linux" || exit 1
