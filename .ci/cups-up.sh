#!/usr/bin/env bash
# Starts a CUPS print server (unless one is running) with one PDF printer,
# TestPDF, as the default printer, for the printing tests. Its pages land as PDF
# files in $ORVANDEL_TEST_PDF_DIR (default /var/spool/orvandel-test-pdf); the
# tests read that folder from /etc/cups/cups-pdf-TestPDF.conf.
# Needs root and the packages cups, printer-driver-cups-pdf and poppler-utils.
# Undo with .ci/cups-down.sh. Safe to run again while set up.
set -euo pipefail

printer=TestPDF
out=${ORVANDEL_TEST_PDF_DIR:-/var/spool/orvandel-test-pdf}
state=${ORVANDEL_CUPS_STATE:-/run/orvandel-cups-test}
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

if [ "$(id -u)" -ne 0 ]; then
    echo "cups-up: needs root (starts cupsd, adds a printer)" >&2
    exit 1
fi
for tool in /usr/sbin/cupsd lpadmin lpstat cancel; do
    command -v "$tool" >/dev/null || { echo "cups-up: $tool missing (apt-get install cups)" >&2; exit 1; }
done
[ -f "$ppd" ] || { echo "cups-up: $ppd missing (apt-get install printer-driver-cups-pdf)" >&2; exit 1; }

mkdir -p "$state" "$out"
chmod 0777 "$out"

# The printer's own cups-pdf settings (cups-pdf:/TestPDF reads this file): a
# fixed output folder whoever prints, and the job number in every file name.
cat >/etc/cups/cups-pdf-$printer.conf <<CONF
Out $out
AnonDirName $out
Label 1
UserUMask 0022
AnonUMask 0022
CONF

running() { lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; }
if ! running; then
    mkdir -p /run/cups
    setsid /usr/sbin/cupsd -f </dev/null >/dev/null 2>&1 &
    echo $! >"$state/cupsd.pid"
    for _ in $(seq 1 50); do
        running && break
        sleep 0.2
    done
    running || { echo "cups-up: cupsd did not start" >&2; exit 1; }
fi

# Jobs left over from an earlier run would arrive in the tests' folder later.
cancel -a -x "$printer" 2>/dev/null || true
lpadmin -p "$printer" -E -v "cups-pdf:/$printer" -P "$ppd" \
    -o pdftops-renderer-default=pdftocairo
lpadmin -d "$printer"
cupsenable "$printer"
cupsaccept "$printer"
echo "cups-up: $printer is the default printer; pages go to $out"
