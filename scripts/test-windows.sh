#!/usr/bin/env bash
# Runs the Windows build's tests under Wine: bash scripts/test-windows.sh BUILD_DIR JOBS
#
# Wine's prefix, its server and its background services are set up once, before any
# test starts, and stay up for the whole suite. Left to themselves, tests started side
# by side each try to start a server when none is running, and one of them can find
# the server's directory gone and fail before its first line runs.
set -euo pipefail
build=$1
jobs=${2:-2}
cd "$build"
export WINEPREFIX=$PWD/wine WINEDEBUG=-all
wineboot --init >/dev/null 2>&1
wineserver --wait
wineserver --persistent
trap 'wineserver --kill >/dev/null 2>&1 || true' EXIT
# The services start here, with nothing of ctest's output open: a service that
# outlives a test while holding its output would keep ctest waiting.
wineboot >/dev/null 2>&1 </dev/null
ctest --output-on-failure -j "$jobs" --timeout 300
