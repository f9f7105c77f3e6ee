#!/usr/bin/env bash
# Builds the Windows program on Debian 12: Qt and the workbook libraries for
# Windows (scripts/windows-deps.sh; the first time only), the preset mingw in
# build-mingw/, and from it the installer and the zip:
#   build-mingw/orvandel-VERSION-setup.exe
#   build-mingw/orvandel-VERSION-win64.zip
#
#   bash scripts/windows.sh         build them
#   bash scripts/windows.sh test    and run every Windows test under Wine, the
#                                   installed program's end-to-end test included
#
# Installs what is missing first (with apt-get when run as root). Environment:
# ORVANDEL_WERROR=ON to make warnings errors, ORVANDEL_JOBS for the parallel
# jobs (default: the number of processors), and what windows-deps.sh reads.
set -euo pipefail

action=${1:-build}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
start=$(date +%s)
say() { echo "windows [$(($(date +%s) - start))s]: $*"; }

packages=(g++-mingw-w64-x86-64-posix cmake make pkg-config nsis qt6-base-dev
          qt6-translations-l10n googletest base-files)
if [ "$action" = test ]; then
    packages+=(wine64 xvfb xdotool xclip imagemagick poppler-utils locales fonts-noto-cjk
               python3-openpyxl)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
    say "installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
fi

prefix=$(bash scripts/windows-deps.sh | tail -n 1)
say "Qt and the libraries for Windows: $prefix"

jobs=${ORVANDEL_JOBS:-$(nproc)}
cmake --preset mingw -DORVANDEL_WINDOWS_PREFIX="$prefix" \
    -DORVANDEL_WERROR="${ORVANDEL_WERROR:-OFF}" >/dev/null
if [ "$action" = test ]; then
    cmake --build --preset mingw -j"$jobs"
    say "built the programs and the tests"
fi
cmake --build --preset mingw -j"$jobs" --target windows_package
say "made $(cd build-mingw && ls orvandel-*-setup.exe orvandel-*-win64.zip | tr '\n' ' ')"

if [ "$action" = test ]; then
    ctest --preset mingw -j"$jobs"
    say "tested; screenshots in build-mingw/tests/windows/e2e/shots"
fi
