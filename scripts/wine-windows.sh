# Finding and driving the windows of a Windows program under Wine on the
# virtual display, for the end-to-end scripts, which source this file; fail()
# counts into $failures, which starts at 0, as do the simulator's and the
# program's process ids.

sim_pid=
prog_pid=
failures=0

fail() {
  echo "FEHLER: $*"
  failures=$((failures + 1))
}

# Ends what the script started, the simulator ($sim_pid) and the program
# ($prog_pid), whichever runs; for the script's exit trap.
end_started() {
  [ -n "${sim_pid:-}" ] && kill -KILL "$sim_pid" 2>/dev/null
  [ -n "${prog_pid:-}" ] && kill -KILL "$prog_pid" 2>/dev/null
  return 0
}

# The id of the visible window titled exactly $1, waiting up to $2 seconds for it.
window() {
  local deadline=$((SECONDS + ${2:-30})) id
  while [ "$SECONDS" -le "$deadline" ]; do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Keys typed into window $1, which gets the keyboard first.
press() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id" 2>/dev/null
  xdotool key --delay 60 "$@"
}
