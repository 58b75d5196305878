#!/usr/bin/env bash
# Packs the window program cv2sicherung.exe and cv2cli.exe with the German guide
# as HTML (folder "Anleitung") into BUILD/cv2sicherung-<version>-windows.zip, for
# use without installation, and into the setup program
# BUILD/cv2sicherung-<version>-setup.exe (dist/windows/cv2sicherung.nsi):
#   scripts/pack-windows.sh BUILD
# Refuses a program that would need a DLL beyond the system's own, and a guide
# with a missing picture or Markdown left in it.
set -euo pipefail
build=$(cd "${1:?usage: pack-windows.sh BUILD}" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(cv2sicherung VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
name=cv2sicherung-$version
programs=("$build/cv2sicherung.exe" "$build/cv2cli.exe")

# Windows' own DLLs, which every Windows has; anything else would have to lie beside it.
system_dlls='^(kernel32|user32|advapi32|msvcrt|winmm|ws2_32|shell32|ole32|comdlg32|gdi32)\.dll$'
for exe in "${programs[@]}"; do
  foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
            tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
  if [ -n "$foreign" ]; then
    echo "pack-windows: $(basename "$exe") braucht DLLs, die Windows nicht mitbringt: $foreign" >&2
    exit 1
  fi
done

# The guide from whatever the Markdown holds today.
guide=$build/guide
bash "$source/dist/guide/make_guide.sh" "$source/docs" "$guide"
sh "$source/dist/guide/check_guide.sh" "$guide" >/dev/null

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name"
cp "${programs[@]}" "$stage/$name/"
cp -r "$guide" "$stage/$name/Anleitung"
zip_file=$build/$name-windows.zip
rm -f "$zip_file"
(cd "$stage" && zip -qr -X "$zip_file" "$name")
echo "$zip_file: $(stat -c %s "$zip_file") Bytes"
unzip -l "$zip_file" | sed -n '4,$p' | awk 'NF >= 4 {print "  " $4}' | grep -v '^  $' | head -20

setup_file=$build/$name-setup.exe
rm -f "$setup_file"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DBUILD="$build" -DGUIDE="$guide" \
  -DSOURCE="$source" -DOUTFILE="$setup_file" "$source/dist/windows/cv2sicherung.nsi" >&2
echo "$setup_file: $(stat -c %s "$setup_file") Bytes"
