#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Usage: install-deps.sh [windows]
# Runs as root (or through sudo when available); does nothing when all are there.
set -euo pipefail
# With the argument "windows": what the cross build, its run under Wine (the dialogs
# on a virtual display) and its zip need; fonts-wine gives Wine its own fonts (the
# caption buttons' symbols among them); xdotool, x11-utils and imagemagick drive
# the window program by keyboard, find its windows and photograph them.
# qt6-base-private-dev: the window tests take the focus away from the program as
# another program would. xvfb and xauth run the windows without a display
# (xvfb-run); fonts-dejavu-core is the font the windows are measured against;
# man-db renders the man pages as their test reads them; cmark-gfm turns the guide
# into HTML (tables included), for the Linux package and for Windows, where nsis
# also makes the setup program.
if [ "${1:-}" = windows ]; then
  packages=(cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 fonts-wine zip unzip
            xvfb xauth xdotool x11-utils imagemagick nsis cmark-gfm)
else
  packages=(cmake make g++ pkg-config qt6-base-dev qt6-base-private-dev qt6-serialport-dev
            qt6-translations-l10n libgtest-dev libgmock-dev clang libclang-rt-14-dev socat
            xvfb xauth fonts-dejavu-core help2man man-db strace cmark-gfm)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null && sudo=sudo
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
