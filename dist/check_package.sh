#!/bin/sh
# Unpacks the Debian package built into $1 and checks it as an installed system
# would see it: every shared library and Qt file the programs load comes from a
# declared dependency ($2 is the list the build declared), the programs start
# from there, the window program keeps its settings in the user's configuration
# folder and loads Qt's German texts; the guide lies among the package's
# documentation and the desktop entry opens it.
set -eu
pkg_dir=$1
declared=$2
fail() { echo "FEHLER: $*" >&2; exit 1; }

set -- "$pkg_dir"/cv2sicherung_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "kein Paket in $pkg_dir"
deb=$1
tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
root=$tmp/root
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin

# The dependencies written into the package are the ones the build declared.
depends=$(dpkg-deb -f "$deb" Depends)
[ "$depends" = "$declared" ] || fail "Depends im Paket: $depends"
depends_names=$(echo "$depends" | tr ',' '\n' | sed 's/(.*)//; s/ //g')
owner_of() {  # dpkg knows a file under one spelling of its path only
  for path in "$1" "/usr$1" "${1#/usr}" "$(readlink -f "$1")"; do
    found=$(dpkg -S "$path" 2>/dev/null | head -n1 | cut -d: -f1)
    [ -n "$found" ] && echo "$found" && return
  done
}
needs_package() {  # $1: a file on this system the programs use
  owner=$(owner_of "$1")
  [ -n "$owner" ] || fail "$1 gehört zu keinem Paket"
  echo "$depends_names" | grep -qx "$owner" || fail "$1 kommt aus $owner, das nicht in Depends steht"
}
# The libraries each program names itself; what those load in turn is their
# packages' business.
for program in "$bin"/*; do
  for name in $(readelf -d "$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    needs_package "$(ldd "$program" | awk -v n="$name" '$1 == n { print $3 }')"
  done
done
qt_dir=$(find /usr/lib -path '*qt6/plugins/platforms' -type d | head -n1)
needs_package "$qt_dir/libqxcb.so"
needs_package "$qt_dir/libqoffscreen.so"
needs_package /usr/share/qt6/translations/qtbase_de.qm

# What the package holds beside the programs.
for f in share/applications/cv2sicherung.desktop share/man/man1/cv2sim.1; do
  [ -s "$root/usr/$f" ] || fail "$f fehlt im Paket"
done
grep -qx 'Categories=Utility;' "$root/usr/share/applications/cv2sicherung.desktop" || fail "Categories"
# The guide as HTML, whole, and the desktop entry's "Anleitung" opening it.
sh "$(dirname "$0")/guide/check_guide.sh" "$root/usr/share/doc/cv2sicherung" >/dev/null
guide=$(sed -n 's/^Exec=xdg-open //p' "$root/usr/share/applications/cv2sicherung.desktop")
[ "$guide" = /usr/share/doc/cv2sicherung/anleitung.html ] || fail "die Aktion Anleitung öffnet \"$guide\""

# The programs run from the unpacked tree.
"$bin/cv2sim" --help | grep -q -- --speed || fail "cv2sim --help"
if [ -x "$bin/cv2cli" ]; then
  [ -s "$root/usr/share/man/man1/cv2cli.1" ] || fail "cv2cli.1 fehlt im Paket"
  "$bin/cv2cli" --version | grep -q . || fail "cv2cli --version"
fi
# The build tool that draws the guide's pictures stays out of the package.
[ ! -e "$bin/cv2shots" ] || fail "cv2shots im Paket"

# A normal start with a program folder the user cannot write: the settings go to
# $XDG_CONFIG_HOME/cv2sicherung, and Qt's German texts come from the system.
# root may write anywhere, so root runs it as nobody.
chmod a-w "$bin"
chmod 755 "$tmp"
mkdir -m 777 "$tmp/config" "$tmp/home"
as_user=""
[ "$(id -u)" -eq 0 ] && as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
trace=""
command -v strace >/dev/null && trace="strace -f -e trace=openat -o $tmp/opened"
# The program writes its own process id, so it alone is ended (strace would
# let it run on).
QT_QPA_PLATFORM=offscreen HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config \
  $trace $as_user sh -c 'echo $$ > "$0"; exec "$1"' "$tmp/home/pid" "$bin/cv2sicherung" &
runner=$!
i=0
while [ ! -d "$tmp/config/cv2sicherung" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
sleep 0.5
[ -s "$tmp/home/pid" ] && kill "$(cat "$tmp/home/pid")" 2>/dev/null || true
wait "$runner" 2>/dev/null || true
[ -d "$tmp/config/cv2sicherung" ] || fail "kein Einstellungsordner in XDG_CONFIG_HOME"
[ ! -e "$bin/CV2_DF.INF" ] || fail "Einstellungsdatei im Programmordner"
if [ -n "$trace" ]; then
  grep 'qtbase_de\.qm' "$tmp/opened" | grep -qv ENOENT || fail "qtbase_de.qm nicht geladen"
else
  echo "strace fehlt: das Laden der Übersetzung bleibt ungeprüft"
fi
echo "Paket in Ordnung: $(basename "$deb")"
