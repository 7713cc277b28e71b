#!/usr/bin/env bash
# The Windows .exe imports only DLLs that every Windows has, and the .zip
# holds it with its README.   usage: package_zip_test.sh BUILD_DIR EXE
set -eu
build=$1 exe=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | sort -f)
for dll in $imports; do
  case "${dll,,}" in
    kernel32.dll | msvcrt.dll) ;;
    *) echo "the .exe imports $dll, which a bare Windows may not have"; exit 1 ;;
  esac
done

(cd "$build" && cpack -G ZIP -B "$work" > /dev/null)
listing=$(cd "$work" && cmake -E tar tf tovalin-*-windows-x86_64.zip)
for file in tovalin.exe README.txt; do
  grep -qx "$file" <<< "$listing" || { echo "the .zip lacks $file"; printf '%s\n' "$listing"; exit 1; }
done
echo "imports: $(echo $imports); zip: $(echo $listing)"
