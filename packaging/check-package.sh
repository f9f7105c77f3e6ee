#!/usr/bin/env bash
# Builds the Debian package from BUILD_DIR, checks its metadata, installs it
# with apt-get as a user would, runs both installed programs, and removes it.
#
#   bash packaging/check-package.sh BUILD_DIR
#
# Needs root (apt-get). Prints lintian's findings without failing on them.
set -euo pipefail

build=${1:?usage: check-package.sh BUILD_DIR}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export DEBIAN_FRONTEND=noninteractive

need=()
for tool in appstreamcli:appstream desktop-file-validate:desktop-file-utils \
            lintian:lintian dpkg-shlibdeps:dpkg-dev man:man-db; do
    command -v "${tool%%:*}" >/dev/null || need+=("${tool##*:}")
done
if [ ${#need[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

echo "== metadata"
appstreamcli validate --no-net "$root/packaging/org.example.Orvandel.metainfo.xml"
desktop-file-validate "$root/packaging/orvandel.desktop"
for page in "$root"/packaging/*.1; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$page: $warnings" >&2
        exit 1
    fi
done

echo "== package"
rm -f "$build"/orvandel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(realpath "$build"/orvandel_*.deb)
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"
depends=$(dpkg-deb --field "$deb" Depends)
echo "$depends"
for library in libxlsxwriter libzip libexpat1; do
    if ! grep -q "$library" <<<"$depends"; then
        echo "check-package.sh: the package does not depend on $library" >&2
        exit 1
    fi
done
lintian --tag-display-limit 0 "$deb" || true

echo "== install"
apt-get install -y -qq "$deb" >/dev/null
trap 'apt-get remove -y -qq orvandel >/dev/null || true' EXIT

json=$(orvandel-cli --amount 12345.67 --from 2001-04-21 --to 2001-05-10 --json)
echo "$json"
grep -q '"total_fee":"302.47"' <<<"${json// /}"
grep -q '"tax_and_fee_total":"12648.14"' <<<"${json// /}"
books=$(mktemp -d)
printf 'amount,days_before,days_after\r\n1234.56,15,30\r\n' > "$books/in.csv"
orvandel-cli --batch "$books/in.csv" -o "$books/out.xlsx"
orvandel-cli --batch "$books/out.xlsx" | grep -q '^1234.56,15,30,45,37.04,18.52,55.56,1290.12,'
rm -rf "$books"
echo "orvandel-cli wrote a workbook and read it back"

home=$(mktemp -d)
HOME=$home XDG_CONFIG_HOME=$home/config QT_QPA_PLATFORM=offscreen \
    ORVANDEL_EXIT_AFTER_FIRST_PAINT=1 timeout 60 orvandel
echo "orvandel started, painted its window and exited 0"
man -w orvandel-cli >/dev/null
test -f /usr/share/applications/org.example.Orvandel.desktop
test -f /usr/share/icons/hicolor/48x48/apps/orvandel.png
rm -rf "$home"
echo "== package checked"
