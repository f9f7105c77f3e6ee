#!/usr/bin/env bash
# The Windows program's folder holds every DLL its programs and plugins load,
# beyond Windows' own: each import of each .exe and .dll in it is either in the
# folder or one of Windows' system DLLs listed below. A DLL missing here is a
# program that does not start on a user's machine, which Wine (with DLLs of its
# own) would not show. orvandel-cli.exe needs no DLL beside it at all.
#   check_deployment.sh FOLDER      (OBJDUMP: MinGW's objdump)
set -euo pipefail
folder=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# Windows' own DLLs (lower case), as present on every Windows 10 and later.
system_dlls=" advapi32.dll authz.dll comdlg32.dll d3d11.dll d3d9.dll dwmapi.dll dwrite.dll
dxgi.dll gdi32.dll imm32.dll kernel32.dll mpr.dll msvcrt.dll netapi32.dll ole32.dll
oleaut32.dll setupapi.dll shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll
version.dll winmm.dll winspool.drv ws2_32.dll wtsapi32.dll comctl32.dll ntdll.dll
bcrypt.dll crypt32.dll secur32.dll shcore.dll "
system_dlls=" $(echo $system_dlls) " # one space between names, line breaks included

imports() { # file: its imported DLLs, lower case
    "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]'
}

status=0
declare -A shipped
while IFS= read -r -d '' f; do
    shipped[$(basename "$f" | tr '[:upper:]' '[:lower:]')]=1
done < <(find "$folder" -maxdepth 1 -type f -iname '*.dll' -print0)

for file in orvandel.exe orvandel-cli.exe platforms/qwindows.dll styles/qwindowsvistastyle.dll \
            imageformats/qjpeg.dll translations/qtbase_zh_CN.qm qt.conf LICENSES.txt \
            licenses/LGPL-3.txt licenses/orvandel.txt licenses/qt6-base.txt; do
    [ -f "$folder/$file" ] || { echo "missing from the folder: $file"; status=1; }
done

while IFS= read -r -d '' f; do
    name=${f#"$folder"/}
    for dll in $(imports "$f"); do
        if [[ $system_dlls == *" $dll "* || $dll == api-ms-win-* ]]; then
            continue
        fi
        if [ "$name" = orvandel-cli.exe ]; then
            echo "orvandel-cli.exe needs $dll beside it"
            status=1
        elif [ -z "${shipped[$dll]:-}" ]; then
            echo "$name needs $dll, which is not in the folder"
            status=1
        fi
    done
done < <(find "$folder" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)

[ $status -eq 0 ] && echo "every DLL the programs load is in the folder or Windows' own"
exit $status
