# Finding and driving the windows of a Windows program under Wine on the
# virtual display, for the end-to-end scripts, which source this file; fail()
# counts into $failures.

fail() {
  echo "FEHLER: $*"
  failures=$((failures + 1))
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
