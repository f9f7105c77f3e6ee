#!/usr/bin/env bash
# Counts the instructions the batch calculator executes per row, under
# callgrind, on the first ROWS rows of the file batch_vs_cat.sh generates.
# Unlike a time, the count does not depend on what else the machine is doing,
# so it compares two builds fairly on a shared machine.
#
#   bash bench/engine/batch_instructions.sh BUILD_DIR [ROWS] [TOP]
#
# Prints the instructions per row and the TOP functions (default 15) by their
# own instructions per row.
set -euo pipefail

build_dir=${1:?usage: batch_instructions.sh BUILD_DIR [ROWS] [TOP]}
rows=${2:-100000}
top=${3:-15}
cli="$build_dir/cli/orvandel-cli"
full="$build_dir/bench-data/batch-1000000.csv"
[[ -x $cli ]] || { echo "no $cli; build the orvandel-cli target first" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "valgrind is needed" >&2; exit 2; }
if [[ ! -s $full ]]; then
    bash "$(dirname "${BASH_SOURCE[0]}")/batch_vs_cat.sh" "$build_dir" 1000000 1 >/dev/null
fi

slice="$build_dir/bench-data/batch-slice-$rows.csv"
profile="$build_dir/bench-data/callgrind.out"
head -n "$((rows + 1))" "$full" > "$slice"
valgrind --tool=callgrind --callgrind-out-file="$profile" "$cli" --batch "$slice" -o /dev/null \
    2>/dev/null || [[ $? -eq 1 ]]

# Functions by their own instructions, lines of one function that came from
# several files (inlined code) summed.
report=$(callgrind_annotate --auto=no "$profile" 2>/dev/null)
awk -v rows="$rows" '/PROGRAM TOTALS/ {
    gsub(",", "", $1); printf "%d rows: %.0f instructions per row\n", rows, $1 / rows
}' <<<"$report"
awk -v rows="$rows" '
    /file:function/ { listing = 1; getline; next }
    listing && /^-/ { listing = 0 }
    listing && NF >= 3 {
        count = $1; gsub(",", "", count);
        name = $0; sub(/^[^:]*:/, "", name); sub(/ \[\/.*$/, "", name);
        gsub(/\(anonymous namespace\)/, "{anonymous}", name); sub(/\(.*$/, "", name);
        own[name] += count
    }
    END { for (name in own) printf "%8.1f  %s\n", own[name] / rows, name }' <<<"$report" |
    sort -rn | head -n "$top"
