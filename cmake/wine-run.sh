#!/bin/sh
# Runs a Windows program under Wine for CTest, the way CTest runs a Linux one.
#
# The first Wine program of a session starts Wine's own services, which
# inherit its output and live until the session's last program ends. CTest
# (and execute_process, and Python's subprocess) read a test's output until
# every holder has closed it, so a test would wait for the tests running
# beside it, and time out. Here the program writes into files instead, which
# this script passes on when the program has ended: only this script holds
# the test's output.
set -u
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
if [ -n "${ORVANDEL_TEST_REPORT:-}" ]; then
    rm -f "$ORVANDEL_TEST_REPORT"
fi
/usr/lib/wine/wine64 "$@" >"$output" 2>"$errors"
status=$?
cat "$output"
# A Windows program with windows has no console to print to: a Qt test
# writes its report into the file named here instead.
if [ -n "${ORVANDEL_TEST_REPORT:-}" ] && [ -f "$ORVANDEL_TEST_REPORT" ]; then
    cat "$ORVANDEL_TEST_REPORT"
fi
cat "$errors" >&2
exit "$status"
