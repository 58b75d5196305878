# cv2sim started and stopped for the end-to-end scripts, which source this
# file after setting $sim (the program) and $work (a scratch folder); sim_pid
# holds the running simulator.

# cv2sim at instant speed with its port linked at $1; the other words are its options.
start_sim() {
  local link=$1
  shift
  rm -f "$link"
  "$sim" --speed instant --link "$link" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.05; done
}

# Ends cv2sim, which writes its --dump on the way out.
stop_sim() {
  kill -TERM "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=
}

# Seconds since the time $1 (from date +%s.%N), one decimal.
since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }
