# Sourced by the run scripts: start_simulator SIM LINK OUT DEFAULT_ARGS starts
# cv2sim serving a pseudo-terminal linked at LINK (its first line, the port,
# goes to OUT; CV2SIM_ARGS replaces DEFAULT_ARGS), stops it when the script
# ends, and returns once the link exists. Failures go through fail().

start_simulator() {
    local sim="$1" link="$2" out="$3" defaults="$4"
    [ -x "$sim" ] || fail "$sim is not built"
    rm -f "$link"
    # shellcheck disable=SC2086 # the options are a list of words
    "$sim" --link "$link" ${CV2SIM_ARGS:-$defaults} >"$out" &
    sim_pid=$!
    trap stop_simulator EXIT
    for _ in $(seq 100); do
        [ -L "$link" ] && return 0
        kill -0 "$sim_pid" 2>/dev/null || fail "cv2sim ended before it was ready"
        sleep 0.05
    done
    fail "cv2sim did not create $link"
}

stop_simulator() {
    if kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}
