#!/usr/bin/env bash
# Starts the window program; without a display, run-headless.sh runs instead.
#   run.sh BUILDDIR        against the simulated station: cv2sim serves a
#                          pseudo-terminal, the settings file names its link,
#                          and cv2sim is stopped when the program ends.
#   run.sh BUILDDIR PORT   against a real station on PORT (e.g. /dev/ttyUSB0);
#                          a LocoNet server on this machine (tcp://localhost:1234)
#                          that is not there yet is the simulated station.
# CV2SIM_ARGS passes options to cv2sim (default "--speed 10": ten times LocoNet
# speed, a backup in about 2.5 minutes), e.g. CV2SIM_ARGS="--speed wire --seed 7".
set -euo pipefail

build="${1:-build}"
port="${2:-}"
build="$(cd "$build" && pwd)"

# Without a display the window could only be drawn on an invisible screen:
# the backup runs on the command line instead.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec bash "$(dirname "$0")/run-headless.sh" "$build" "$port"
fi

program="$build/cv2sicherung"
settings="$build/CV2_DF.INF"

fail() {
    echo "run.sh: $*" >&2
    exit 1
}
# shellcheck source=simulator.sh
source "$(dirname "$0")/simulator.sh"

[ -x "$program" ] || fail "$program is not built"

# The settings file the program reads from its own folder: port, rate, file.
write_settings() {
    printf '"%s"\r\n115200\r\n""\r\n' "$1" >"$settings"
}

if [ -n "$port" ]; then
    serve_local_tcp "$build/cv2sim" "$port" "$build/cv2sim.out" "--speed 10"
    write_settings "$port"
    "$program"
    exit
fi

# A short name, so that the window shows it whole: the port label and the
# COM port box were made for a port number.
link="$(mktemp -u /tmp/cv2-XXXX)"
start_simulator "$build/cv2sim" "$link" "$build/cv2sim.out" "--speed 10"
echo "run.sh: simulated station on $(head -n1 "$build/cv2sim.out") ($link)" >&2
write_settings "$link"
"$program"
