#!/usr/bin/env bash
# Workbooks of ROWS rows (default 1,000,000): written a row at a time, read
# back a row at a time, and the whole command-line pipeline from CSV to a
# workbook, each with its time, CPU time and peak memory (/usr/bin/time -v).
#
#   bash bench/xlsx/run.sh BUILD_DIR [ROWS]
#
# BUILD_DIR is a Release build with -DORVANDEL_BENCH=ON. The files go to
# BUILD_DIR/bench-data and are removed at the end.
set -euo pipefail

build_dir=${1:?usage: run.sh BUILD_DIR [ROWS]}
rows=${2:-1000000}
bench="$build_dir/bench/xlsx/xlsx_bench"
cli="$build_dir/cli/orvandel-cli"
[[ -x $bench ]] || { echo "no $bench; build the xlsx_bench target first" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (apt-get install time)" >&2; exit 2; }

data_dir="$build_dir/bench-data"
mkdir -p "$data_dir"
book="$data_dir/xlsx-bench-$rows.xlsx"
csv="$data_dir/xlsx-bench-$rows.csv"
out="$data_dir/xlsx-bench-$rows.out.xlsx"
trap 'rm -f "$book" "$csv" "$out"' EXIT

# The command's own lines, then its wall-clock time, CPU time and peak memory.
measure() {
    local what=$1
    shift
    local log
    log=$(mktemp)
    /usr/bin/time -v "$@" 2> "$log" || { cat "$log" >&2; rm -f "$log"; return 1; }
    awk -v what="$what" '
        /Elapsed \(wall clock\)/ { n = split($NF, t, ":"); wall = t[n] + (n > 1 ? t[n-1] * 60 : 0) + (n > 2 ? t[n-2] * 3600 : 0) }
        /User time/ { user = $NF }
        /System time/ { sys = $NF }
        /Maximum resident set size/ { rss = $NF }
        END { printf "%-30s %7.2f s wall  %7.2f s CPU  %8.1f MB peak\n", what, wall, user + sys, rss / 1024 }
    ' "$log"
    rm -f "$log"
}

echo "$rows rows of 13 columns, $(nproc) CPUs, load $(cut -d' ' -f1-3 /proc/loadavg)"
measure "write (xlsx_sheet_writer)" "$bench" write "$book" "$rows"
echo "  file: $(stat -c %s "$book") bytes"
measure "read (xlsx_rows)" "$bench" read "$book"

if [[ -x $cli ]]; then
    # The batch's input: half the rows by dates around the rate change, half
    # by day counts, as bench/engine/batch_vs_cat.sh makes it.
    awk -v rows="$rows" 'BEGIN {
        srand(20010501);
        print "id,taxpayer,amount,start_date,end_date,days_before,days_after";
        for (i = 1; i <= rows; i++) {
            amount = sprintf("%d.%02d", int(10 ^ (1 + rand() * 6)), int(rand() * 100));
            if (i % 2) {
                y = 1998 + int(rand() * 5); m = 1 + int(rand() * 12); d = 1 + int(rand() * 28);
                y2 = y + int(rand() * 3); m2 = 1 + int(rand() * 12); d2 = 1 + int(rand() * 28);
                if (y2 * 10000 + m2 * 100 + d2 < y * 10000 + m * 100 + d) { y2 = y + 3 }
                printf "%d,T%07d,%s,%04d-%02d-%02d,%04d-%02d-%02d,,\n", i, i, amount, y, m, d, y2, m2, d2;
            } else {
                printf "%d,T%07d,%s,,,%d,%d\n", i, i, amount, int(rand() * 400), int(rand() * 4000);
            }
        }
    }' > "$csv"
    measure "orvandel-cli --batch CSV -o XLSX" sh -c "'$cli' --batch '$csv' -o '$out' || [ \$? -eq 1 ]"
    echo "  file: $(stat -c %s "$out") bytes"
fi
