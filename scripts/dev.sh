#!/usr/bin/env bash
# Sets up a Debian 12 machine for Orvandel, builds it, and then either starts
# the program (`run`) or runs every test (`test`).
#
#   bash scripts/dev.sh run     build and start the calculator
#   bash scripts/dev.sh test    build and run the whole test suite
#
# It builds the CMake preset `dev` (CMakePresets.json) in build/. Environment:
# ORVANDEL_WERROR=ON to make warnings errors, CMAKE_ARGS for anything else to
# hand to CMake.
set -euo pipefail

action=${1:-run}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
cd "$root"

packages=(g++ cmake make pkg-config qt6-base-dev qt6-translations-l10n fonts-noto-cjk
          libgtest-dev libgmock-dev libxlsxwriter-dev libzip-dev libexpat1-dev)
if [ "$action" = test ]; then
    packages+=(cups printer-driver-cups-pdf poppler-utils python3-openpyxl)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -eq 0 ]; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get -o DPkg::Lock::Timeout=900 update -qq
        apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
    else
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
fi

# shellcheck disable=SC2086
cmake --preset dev -DORVANDEL_WERROR="${ORVANDEL_WERROR:-OFF}" ${CMAKE_ARGS:-} >/dev/null
cmake --build --preset dev -j"$(nproc)"

case "$action" in
run)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display here, so the window cannot open; the command-line calculator works:" \
             "$build/cli/orvandel-cli --amount 12345.67 --from 2001-04-21 --to 2001-05-10"
        exec "$build/cli/orvandel-cli" --amount 12345.67 --from 2001-04-21 --to 2001-05-10
    fi
    exec "$build/app/orvandel"
    ;;
test)
    # The printing tests use a real print server with a PDF printer when one
    # can be started here; without it they say so and are skipped.
    cups_started=0
    if [ "$(id -u)" -eq 0 ] && [ -f "$root/.ci/cups-up.sh" ]; then
        if bash "$root/.ci/cups-up.sh"; then cups_started=1; fi
    fi
    status=0
    ctest --preset dev -j"$(nproc)" || status=$?
    if [ $cups_started -eq 1 ]; then bash "$root/.ci/cups-down.sh" || true; fi
    exit $status
    ;;
*)
    echo "usage: bash scripts/dev.sh run|test" >&2
    exit 2
    ;;
esac
