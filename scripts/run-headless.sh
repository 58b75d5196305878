#!/usr/bin/env bash
# make run on a machine without a display (no DISPLAY, no WAYLAND_DISPLAY): the
# backup on the command line, where the user can watch it, in place of a
# window nobody can see.
#   run-headless.sh BUILDDIR        cv2cli backup of the simulated station into
#                                   BUILDDIR/demo.CDF, then inspect and verify
#   run-headless.sh BUILDDIR PORT   cv2cli backup of the real station on PORT
#                                   into BUILDDIR/demo.CDF, then inspect (a LocoNet
#                                   server tcp://localhost:N not there yet is the
#                                   simulated station)
# CV2SIM_ARGS passes options to cv2sim (default "--speed 200": the backup and
# the verify take about 10 seconds each).
# Ends with 0 when every step succeeded, otherwise with the failing step's reason.
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
port="${2:-}"
cli="$build/cv2cli"
demo="$build/demo.CDF"

fail() {
    echo "run: $*" >&2
    exit 1
}

# step WHAT COMMAND...: runs the command, ends the script when it fails.
step() {
    local what="$1"
    shift
    echo
    echo "== $what: ${*#"$build/"}"
    local rc=0
    "$@" || rc=$?
    [ "$rc" -eq 0 ] || fail "$what failed (cv2cli exit status $rc)"
}

window_hint() {
    echo
    echo "The window program (build/cv2sicherung) needs a display: run 'make run' in a desktop" \
        "session, or over 'ssh -X', or draw it with 'make screenshots' (offscreen, PNG files)."
}

# shellcheck source=simulator.sh
source "$(dirname "$0")/simulator.sh"

[ -x "$cli" ] || fail "$cli is not built"

if [ -n "$port" ]; then
    serve_local_tcp "$build/cv2sim" "$port" "$build/cv2sim-demo.out" "--speed 200"
    echo "run: no display; backing up the station on $port with cv2cli"
    step "Backup" "$cli" backup --port "$port" "$demo"
    step "Inspect" "$cli" inspect "$demo"
    window_hint
    exit 0
fi

link="$build/cv2sim-demo-port"
start_simulator "$build/cv2sim" "$link" "$build/cv2sim-demo.out" "--speed 200"

echo "run: no display; the backup runs on the command line against the simulated station ($link)"
step "Backup" "$cli" backup --port "$link" "$demo"
step "Inspect" "$cli" inspect "$demo"
step "Verify" "$cli" verify --port "$link" "$demo"
window_hint
