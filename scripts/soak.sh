#!/bin/bash
# Fault soak: cv2cli against cv2sim, every fault twice.
#  - A backup over an existing good backup (with a tail behind it): afterwards
#    the file holds the station's content when the run succeeded (or failed
#    only at the bootloader's end), and is byte for byte the old file when it
#    failed otherwise; no work copy is left beside it.
#  - A restore that fails part-way, then a clean restore of the same file into
#    the station as the failure left it: afterwards cv2cli verify finds the
#    station equal to the file; the file itself is never changed.
# Every run must end with its exit code and status, within its time limit, with
# the port's lock gone and no process left. Among the faults: Ctrl-C, Ctrl-\,
# SIGTERM and SIGKILL of cv2cli at random points, and the simulator killed mid-run.
#
#   scripts/soak.sh BUILD [FAULTS]   the first FAULTS faults of the table (all by default)
#   SOAK_SEED=n                      the random points of another soak again
#
# Prints one line a run and the figures at the end; exits 1 when a run failed.
set -u

build=${1:?usage: soak.sh BUILD [FAULTS]}
build=$(cd "$build" && pwd)
cli=$build/cv2cli
sim=$build/cv2sim
for program in "$cli" "$sim"; do
  [ -x "$program" ] || { echo "soak: $program fehlt (erst bauen)" >&2; exit 2; }
done
seed=${SOAK_SEED:-$RANDOM}
RANDOM=$seed

backup_size=574252
tail_size=64  # the old file is longer than a backup: its tail must survive

# name; cv2sim faults; how it strikes (- none, kill-sim, INT, TERM, KILL);
# backup: exit code, status (regex, - none); restore: exit code, status;
# seconds a run may take. Short runs first, so that a short soak meets each kind.
faults=(
  "FS-Modul stumm;--silent-fs;-;1;300031;1;300031;30"
  "Strg+C;;INT;130;-;130;-;20"
  "SIGKILL;;KILL;137;-;137;-;20"
  "CV2 verschwindet;;kill-sim;1;[0-9]*(0013|1012|0031);1;[0-9]*(0013|1012|0031);20"
  "Version 7;--version-word 7;-;1;10099;1;10099;15"
  "SIGTERM;;TERM;130;-;130;-;20"
  "Rauschen;--noise;-;0;-;0;-;40"
  "Schreiben abgelehnt;--refuse-write 3000;-;0;-;1;221611;20"
  "stumm nach 30;--no-answer-after 30;-;1;270013;1;280013;15"
  "stumm nach 2000;--no-answer-after 2000;-;1;210013;1;220013;15"
  "Leitung tot nach 40;--drop-line-after 40;-;1;270013;1;280013;15"
  "kein ReadBlock;--no-answer ReadBlock;-;1;13;1;13;15"
  "kein WriteBlock;--no-answer WriteBlock;-;0;-;1;280013;15"
  "kein Echo;--no-echo;-;0;-;0;-;15"
  "keine Bestätigung;--no-confirmation;-;1;111011;1;111011;40"
  "Strg+\\;;QUIT;130;-;130;-;20"
  "kein Bootloader-Ende;--no-answer BootloaderEnd;-;1;120013;1;120013;15"
  "andere Geräte;--traffic 20;-;0;-;0;-;20"
  "Antworten verloren;--traffic 50 --lose-answer 5000;-;0;-;0;-;40"
)
count=${2:-${#faults[@]}}
((count > ${#faults[@]})) && count=${#faults[@]}

work=$(mktemp -d /tmp/cv2-soak-XXXXXX)
sim_pid=
soak_pid=$BASHPID
cleanup() {
  # Only the soak itself: a background child that fails must not clean up.
  [ "$BASHPID" = "$soak_pid" ] || return
  [ -n "$sim_pid" ] && kill -KILL "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 2

now() { date +%s.%N; }
# Seconds between two times, two decimals.
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# Starts cv2sim on ./port with the given options; its pty path in $pty.
start_sim() {
  rm -f port sim.out
  "$sim" --speed instant --link ./port "$@" >sim.out 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do [ -s sim.out ] && [ -L port ] && break; sleep 0.05; done
  pty=$(head -n 1 sim.out)
}

# Stops cv2sim (unless it is gone already) and waits for it, at most 5 s.
stop_sim() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$sim_pid" 2>/dev/null || break; sleep 0.05; done
  fi
  wait "$sim_pid" 2>/dev/null
  sim_pid=
}

# A complete backup of the content of this seed, made by cv2sim itself.
good_backup() {
  "$sim" --seed "$1" --link ./made --dump "$2" >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 100); do [ -L made ] && break; sleep 0.05; done
  kill -TERM $pid
  wait $pid 2>/dev/null
}

# The section texts a signal may strike after, and a random one of them.
strike_points=(" Datenbank Index" " Lokdaten" " Booster" " Magnetartikel" " TALIX" " Fahrstra")
random_point() { echo "${strike_points[RANDOM % ${#strike_points[@]}]}"; }

# Runs cv2cli with the words given, against ./port, and strikes as told
# (-, kill-sim, or a signal for cv2cli) once a random section has begun.
# Sets code, took, status and where.
run_cli() {
  local how=$1 limit=$2
  shift 2
  rm -f cli.out
  local start
  start=$(now)
  timeout -s KILL $((limit + 10)) "$cli" "$@" >cli.out 2>&1 </dev/null &
  local cli_pid=$!
  where=-
  if [ "$how" != "-" ]; then
    where=$(random_point)
    while kill -0 "$cli_pid" 2>/dev/null && ! grep -qF -- "$where" cli.out; do sleep 0.02; done
    sleep "0.$((RANDOM % 30))"
    if [ "$how" = kill-sim ]; then
      { kill -KILL "$sim_pid" && wait "$sim_pid"; } 2>/dev/null
    else
      # timeout passes the signal on to cv2cli.
      pkill -"$how" -P "$cli_pid" -x cv2cli 2>/dev/null
    fi
  fi
  wait "$cli_pid" 2>/dev/null
  code=$?
  took=$(seconds "$start" "$(now)")
  status=$(grep -ao 'Status -\?[0-9]*' cli.out | tail -n 1 | cut -d' ' -f2)
  kill -0 "$cli_pid" 2>/dev/null && problems+=("cv2cli läuft noch")
}

# The run ended as the table says, in time, and left no lock behind.
check_run() {
  local want_code=$1 want_status=$2 limit=$3 how=$4
  [ "$code" = "$want_code" ] || problems+=("Exit $code statt $want_code")
  if [ "$want_status" = "-" ]; then
    [ -z "$status" ] || problems+=("Status $status")
  elif ! [[ "$status" =~ ^($want_status)$ ]]; then
    problems+=("Status ${status:-keiner} statt $want_status")
  fi
  awk -v t="$took" -v l="$limit" 'BEGIN { exit !(t > l) }' && problems+=("$took s > $limit s")
  [ "$how" = KILL ] && return  # a killed program cannot take its lock away
  local lock_name=${pty#/dev/}
  lock_name=LCK..${lock_name//\//_}
  # The lock file names its owner's process on its first line. A lock whose owner
  # has ended was left behind; one whose owner runs belongs to another program
  # that took the pty's number once it was free.
  for lock in /run/lock /var/lock /tmp; do
    owner=$(head -n 1 "$lock/$lock_name" 2>/dev/null)
    [ -n "$pty" ] && [ -n "$owner" ] && ! kill -0 "$owner" 2>/dev/null &&
      problems+=("Sperre $lock/$lock_name")
  done
}

report() {
  local n=$1 op=$2 name=$3 file_after=$4 station_after=$5
  local result=ok
  if ((${#problems[@]})); then
    result="FEHLER: $(IFS=';'; echo "${problems[*]}")"
    failures=$((failures + 1))
    sed 's/^/    | /' cli.out | tail -n 5
  fi
  printf '%2d %-7s %-22s %-16s exit %-3s status %-7s Datei: %-6s CV2: %-7s %6s s  %s\n' \
    "$n" "$op" "$name" "${where# }" "$code" "${status:--}" "$file_after" "$station_after" \
    "$took" "$result"
  runs=$((runs + 1))
  total=$(awk -v a="$total" -v b="$took" 'BEGIN { print a + b }')
}

echo "Zufall: SOAK_SEED=$seed"
failures=0
runs=0
total=0

for ((n = 0; n < count; n++)); do
  IFS=';' read -r name sim_faults how b_code b_status r_code r_status limit <<<"${faults[n]}"
  # shellcheck disable=SC2206  # the faults are separate words
  sim_faults=($sim_faults)

  # The backup, over a good backup of other content with a tail behind it.
  problems=()
  rm -f file.CDF file.CDF.tmp dump.CDF
  good_backup $((500 + n)) old.CDF
  head -c $tail_size /dev/urandom >>old.CDF
  cp old.CDF file.CDF
  start_sim --seed $((n + 1)) --dump dump.CDF "${sim_faults[@]}"
  run_cli "$how" "$limit" backup --port ./port file.CDF
  stop_sim
  check_run "$b_code" "$b_status" "$limit" "$how"
  # Every section read and only the bootloader's end unanswered: the complete
  # backup is kept although the run fails.
  if [ "$code" = 0 ] || [ "$status" = 120013 ]; then
    file_after=neu
    cmp -s <(head -c $backup_size file.CDF) dump.CDF || problems+=("Sicherung ist nicht der Inhalt der CV2")
    cmp -s <(tail -c $tail_size file.CDF) <(tail -c $tail_size old.CDF) || problems+=("Ende der Datei verändert")
  else
    file_after=alt
    cmp -s file.CDF old.CDF || { file_after=anders; problems+=("alte Sicherung verändert"); }
  fi
  if [ "$how" = KILL ]; then
    # The work copy of a killed run is taken over by the next one.
    killed_where=$where killed_took=$took
    start_sim --seed $((n + 1)) --dump dump.CDF
    run_cli - "$limit" backup --port ./port file.CDF
    stop_sim
    [ "$code" = 0 ] && cmp -s <(head -c $backup_size file.CDF) dump.CDF ||
      problems+=("die nächste Sicherung gelingt nicht")
    code=137 where=$killed_where took=$killed_took
  fi
  [ -e file.CDF.tmp ] && problems+=("Arbeitskopie übrig")
  report $((n + 1)) backup "$name" "$file_after" -

  # The restore: fails part-way, then a clean one brings the whole file in.
  problems=()
  rm -f before.CDF after.CDF
  good_backup $((700 + n)) file.CDF
  cp file.CDF kept.CDF
  start_sim --seed $((n + 1)) --dump before.CDF "${sim_faults[@]}"
  run_cli "$how" "$limit" restore --yes --port ./port file.CDF
  failed_code=$code failed_status=$status failed_took=$took failed_where=$where
  stop_sim
  check_run "$r_code" "$r_status" "$limit" "$how"
  cmp -s file.CDF kept.CDF || problems+=("Datei verändert")
  # The station as the failure left it; as seeded when the simulator was killed
  # or when its fault lies in its content (a version word no restore writes).
  if [ -s before.CDF ] && [[ " ${sim_faults[*]} " != *" --version-word "* ]]; then
    start_sim --load before.CDF --dump after.CDF
  else
    start_sim --seed $((n + 1)) --dump after.CDF
  fi
  run_cli - 60 restore --yes --port ./port file.CDF
  [ "$code" = 0 ] || problems+=("zweite Rückübertragung: Exit $code")
  run_cli - 60 verify --port ./port file.CDF
  station_after="= Datei"
  [ "$code" = 0 ] || { station_after=anders; problems+=("verify: Exit $code"); }
  stop_sim
  cmp -s after.CDF file.CDF || problems+=("CV2 nach der zweiten Rückübertragung nicht gleich der Datei")
  code=$failed_code status=$failed_status took=$failed_took where=$failed_where
  report $((n + 1)) restore "$name" "gleich" "$station_after"
  [ -n "$(jobs -pr)" ] && problems+=("Prozesse übrig: $(jobs -pr | tr '\n' ' ')")
done

printf 'Läufe: %d, Fehler: %d, Zeit: %.1f s, je Lauf %.2f s\n' "$runs" "$failures" "$total" \
  "$(awk -v a="$total" -v n="$runs" 'BEGIN { print a / n }')"
((failures == 0))
