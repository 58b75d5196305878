#!/bin/bash
# Fault soak: backups and restores of cv2cli against cv2sim, each run with
# another injected fault. Every run has to end with its exit code and status,
# within its time limit, with the port closed and its lock gone, no process
# left, and the backup file losing nothing beyond what the run overwrote: a
# backup writes the station's content from the file's start (all 574,252 bytes
# when it succeeds), a restore only reads the file.
#
#   scripts/soak.sh BUILD [RUNS]   the first RUNS runs of the table (all 20 by default)
#
# Prints one line a run and the figures at the end; exits 1 when a run failed.
set -u

build=${1:?usage: soak.sh BUILD [RUNS]}
build=$(cd "$build" && pwd)
cli=$build/cv2cli
sim=$build/cv2sim
for program in "$cli" "$sim"; do
  [ -x "$program" ] || { echo "soak: $program fehlt (erst bauen)" >&2; exit 2; }
done

backup_size=574252
tail_size=64  # the file is longer than a backup: its tail must survive every run

# op; cv2sim faults; exit code; status (regex, - for none); seconds; kill cv2sim when
# the output shows this text (- never). The quick runs come first, so that a
# short soak still meets every kind of fault.
runs=(
  "backup;--noise;0;-;30;-"
  "restore;--refuse-write 5;1;281611;15;-"
  "backup;;1;25(0013|1012);20; Magnetartikel"
  "restore;--version-word 7;1;10099;15;-"
  "backup;--no-answer-after 30;1;270013;15;-"
  "restore;--noise;0;-;40;-"
  "backup;--silent-fs;1;300031;30;-"
  "restore;--no-answer-after 500;1;220013;15;-"
  "backup;--drop-line-after 40;1;270013;15;-"
  "restore;--refuse-write 3000;1;221611;15;-"
  "backup;--version-word 4;1;10099;15;-"
  "restore;--silent-fs;1;300031;40;-"
  "backup;--no-answer-after 2000;1;210013;15;-"
  "restore;;1;26(0013|1012|1611);20; Magnetartikel"
  "backup;--no-answer ReadBlock;1;13;15;-"
  "restore;--drop-line-after 2000;1;220013;15;-"
  "backup;--no-echo;1;111011;15;-"
  "restore;--no-answer-after 5;1;13;15;-"
  "backup;--no-confirmation;1;111011;40;-"
  "restore;--no-confirmation;1;111011;40;-"
)
count=${2:-${#runs[@]}}
((count > ${#runs[@]})) && count=${#runs[@]}

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

# The backup file: anything at first, with a tail behind the backup's end.
head -c $((backup_size + tail_size)) /dev/urandom > file.CDF

now() { date +%s.%N; }
# Seconds between two times, two decimals.
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

failures=0
total=0

# Stops cv2sim (unless it is gone already) and waits for it, at most 5 s.
stop_sim() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$sim_pid" 2>/dev/null || break; sleep 0.05; done
  fi
  wait "$sim_pid" 2>/dev/null
}

for ((n = 0; n < count; n++)); do
  IFS=';' read -r op faults want_code want_status limit kill_at <<<"${runs[n]}"
  label=${faults:-kill}
  problems=()
  rm -f port dump.CDF sim.out cli.out
  cp file.CDF before.CDF

  # Content from another seed each run, so that what a backup wrote shows.
  # shellcheck disable=SC2086  # the faults are separate words
  "$sim" --speed instant --seed $((n + 1)) --link ./port --dump dump.CDF $faults >sim.out 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do [ -s sim.out ] && [ -L port ] && break; sleep 0.05; done
  pty=$(head -n 1 sim.out)

  args=(backup --port ./port file.CDF)
  [ "$op" = restore ] && args=(restore --yes --port ./port file.CDF)
  start=$(now)
  timeout -s KILL $((limit + 10)) "$cli" "${args[@]}" >cli.out 2>&1 </dev/null &
  cli_pid=$!
  if [ "$kill_at" != "-" ]; then
    # The station vanishes mid-run: its port disappears under cv2cli.
    while kill -0 "$cli_pid" 2>/dev/null && ! grep -qF -- "$kill_at" cli.out; do sleep 0.05; done
    { kill -KILL "$sim_pid" && wait "$sim_pid"; } 2>/dev/null
  fi
  wait "$cli_pid"
  code=$?
  took=$(seconds "$start" "$(now)")
  stop_sim

  status=$(grep -ao 'Status -\?[0-9]*' cli.out | tail -n 1 | cut -d' ' -f2)
  [ "$code" = "$want_code" ] || problems+=("Exit $code statt $want_code")
  if [ "$want_status" = "-" ]; then
    [ -z "$status" ] || problems+=("Status $status")
  elif ! [[ "$status" =~ ^($want_status)$ ]]; then
    problems+=("Status ${status:-keiner} statt $want_status")
  fi
  awk -v t="$took" -v l="$limit" 'BEGIN { exit !(t > l) }' && problems+=("$took s > $limit s")

  # Nothing left behind: cv2cli, cv2sim, their lock on the port.
  kill -0 "$cli_pid" 2>/dev/null && problems+=("cv2cli läuft noch")
  kill -0 "$sim_pid" 2>/dev/null && problems+=("cv2sim läuft noch")
  [ -n "$(jobs -pr)" ] && problems+=("Prozesse übrig: $(jobs -pr | tr '\n' ' ')")
  lock_name=${pty#/dev/}
  lock_name=LCK..${lock_name//\//_}
  # The lock file names its owner's process on its first line. A lock whose owner
  # has ended was left behind; one whose owner runs belongs to another program
  # that took the pty's number once it was free.
  for lock in /run/lock /var/lock /tmp; do
    owner=$(head -n 1 "$lock/$lock_name" 2>/dev/null)
    [ -n "$pty" ] && [ -n "$owner" ] && ! kill -0 "$owner" 2>/dev/null &&
      problems+=("Sperre $lock/$lock_name")
  done

  # The file: a restore only reads it. A backup overwrites it from the start with the
  # station's content, all of it when it succeeds, up to where it stopped when it
  # fails; the rest, the tail behind the backup among it, is as before.
  if [ "$op" = restore ]; then
    cmp -s file.CDF before.CDF || problems+=("Datei verändert")
  elif [ "$code" = 0 ]; then
    cmp -s <(head -c $backup_size file.CDF) dump.CDF || problems+=("Sicherung ist nicht der Inhalt der CV2")
    cmp -s <(tail -c +$((backup_size + 1)) file.CDF) <(tail -c +$((backup_size + 1)) before.CDF) ||
      problems+=("Ende der Datei verändert")
  else
    [ "$(stat -c %s file.CDF)" = "$(stat -c %s before.CDF)" ] || problems+=("Dateigröße verändert")
    # Offset (from 1) of the last byte that changed.
    last=$(cmp -l file.CDF before.CDF 2>/dev/null | tail -n 1 | awk '{ print $1 }')
    if [ -n "$last" ]; then
      [ "$last" -le $backup_size ] || problems+=("Datei hinter der Sicherung verändert")
      # The dump is missing when cv2sim was killed.
      if [ -s dump.CDF ] && ! cmp -s <(head -c "$last" file.CDF) <(head -c "$last" dump.CDF); then
        problems+=("Datei verändert, aber nicht mit dem Inhalt der CV2")
      fi
    fi
  fi

  result=ok
  if ((${#problems[@]})); then
    result="FEHLER: $(IFS=';'; echo "${problems[*]}")"
    failures=$((failures + 1))
    sed 's/^/    | /' cli.out | tail -n 5
  fi
  printf '%2d %-7s %-24s exit %s status %-7s %6s s  %s\n' $((n + 1)) "$op" "$label" "$code" \
    "${status:--}" "$took" "$result"
  total=$(awk -v a="$total" -v b="$took" 'BEGIN { print a + b }')
  sim_pid=
  rm -f port
done

printf 'Läufe: %d, Fehler: %d, Zeit: %.1f s, je Lauf %.2f s\n' "$count" "$failures" "$total" \
  "$(awk -v a="$total" -v n="$count" 'BEGIN { print a / n }')"
((failures == 0))
