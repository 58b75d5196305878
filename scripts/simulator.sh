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

# serve_local_tcp SIM PORT OUT DEFAULT_ARGS: when PORT is a LocoNet server on
# this machine (tcp://localhost[:N] or tcp://127.0.0.1[:N], N 1234 when not
# given) and nothing serves there yet, starts cv2sim --tcp N, so that
# `make run PORT=tcp://localhost:1234` works without hardware; stopped when the
# script ends. Any other PORT is left alone.
serve_local_tcp() {
    local sim="$1" port="$2" out="$3" defaults="$4"
    [[ "$port" =~ ^tcp://(localhost|127\.0\.0\.1)(:([0-9]+))?/?$ ]] || return 0
    local number="${BASH_REMATCH[3]:-1234}"
    if (exec 3<>"/dev/tcp/127.0.0.1/$number") 2>/dev/null; then
        return 0
    fi
    [ -x "$sim" ] || fail "$sim is not built"
    # shellcheck disable=SC2086 # the options are a list of words
    "$sim" --tcp "$number" ${CV2SIM_ARGS:-$defaults} >"$out" &
    sim_pid=$!
    trap stop_simulator EXIT
    for _ in $(seq 100); do
        [ -s "$out" ] && {
            echo "simulated station as a LocoNet server on $(head -n1 "$out")" >&2
            return 0
        }
        kill -0 "$sim_pid" 2>/dev/null || fail "cv2sim ended before it was ready"
        sleep 0.05
    done
    fail "cv2sim did not start serving on TCP port $number"
}

stop_simulator() {
    if kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}
