#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, and with a Linux build folder also
# cv2cli.exe (scripts/windows-e2e.sh) and the window program cv2sicherung.exe
# (scripts/windows-window-e2e.sh) against its cv2sim, and the setup program made
# by scripts/pack-windows.sh (scripts/windows-setup-e2e.sh):
#   bash scripts/test-windows.sh BUILD_DIR JOBS [LINUX_BUILD_DIR]
#
# Wine's prefix, its server and its background services are set up once, before any
# test starts, and stay up for the whole suite. Left to themselves, tests started side
# by side each try to start a server when none is running, and one of them can find
# the server's directory gone and fail before its first line runs.
set -uo pipefail
# The dialog tests need windows: without a display, all of it runs on a virtual
# one, Wine's server and desktop included, which take their display when they start.
if [ -z "${DISPLAY:-}" ] && [ -z "${CV2_VIRTUAL_DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  CV2_VIRTUAL_DISPLAY=1 exec xvfb-run -a bash "$0" "$@"
fi
build=$1
jobs=${2:-2}
linux_build=${3:+$(cd "$3" && pwd)}
here=$(cd "$(dirname "$0")" && pwd)
cd "$build" || exit 1
export WINEPREFIX=$PWD/wine WINEDEBUG=-all
setup_log=$PWD/wine-setup.log
: >"$setup_log"

# One step of the set-up; its output goes to the log, which is shown when it fails.
setup() {
  "$@" </dev/null >>"$setup_log" 2>&1
  local rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "Wine: \"$*\" ist fehlgeschlagen (Code $rc); Ausgabe:" >&2
    cat "$setup_log" >&2
  fi
  return "$rc"
}

# Wine's own fonts where its programs find them (this Wine looks for them only in
# the prefix), and window frames drawn by Wine itself: a virtual display has no
# window manager to draw title bars, and the screenshots show them.
fonts_and_frames() {
  if [ -d /usr/share/wine/fonts ]; then
    cp -u /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || return 1
  fi
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
}

# The prefix, one server kept running, and the services, started here with nothing
# of ctest's output open: a service that outlives a test while holding its output
# would keep ctest waiting.
start_wine() {
  setup wineboot --init && setup fonts_and_frames && setup wineserver --wait &&
    setup wineserver --persistent && setup wineboot && return 0
  wineserver --kill >/dev/null 2>&1
  return 1
}

if start_wine || { echo "Wine: zweiter Versuch" >&2 && start_wine; }; then
  trap 'wineserver --kill >/dev/null 2>&1 || true' EXIT
else
  echo "Wine: kein dauerhafter Server, die Tests starten ihn selbst" >&2
fi
ctest --output-on-failure -j "$jobs" --timeout 300 || exit 1
[ -n "$linux_build" ] || exit 0
bash "$here/windows-e2e.sh" . "$linux_build" || exit 1
bash "$here/windows-window-e2e.sh" . "$linux_build" || exit 1
# The setup runs in a prefix of its own, made fresh; this one's server stays out of it.
bash "$here/windows-setup-e2e.sh" . "$linux_build"
