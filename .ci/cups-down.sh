#!/usr/bin/env bash
# Undoes .ci/cups-up.sh: removes the TestPDF printer and its settings, and stops
# cupsd if cups-up.sh started it (a server that was already running is left).
set -uo pipefail

printer=TestPDF
state=${ORVANDEL_CUPS_STATE:-/run/orvandel-cups-test}

if lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; then
    cancel -a -x "$printer" 2>/dev/null
    lpadmin -x "$printer" 2>/dev/null
fi
rm -f "/etc/cups/cups-pdf-$printer.conf"

if [ -f "$state/cupsd.pid" ]; then
    pid=$(cat "$state/cupsd.pid")
    if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ]; then
        kill "$pid"
        for _ in $(seq 1 50); do
            [ -e "/proc/$pid" ] || break
            sleep 0.1
        done
    fi
    rm -f "$state/cupsd.pid"
fi
echo "cups-down: $printer removed"
