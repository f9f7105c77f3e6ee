#!/usr/bin/env bash
# Times the batch calculator on a generated 1,000,000-row file against `cat`
# of the same file, and prints rows per second and the ratio of the times.
#
#   bash bench/engine/batch_vs_cat.sh BUILD_DIR [ROWS] [RUNS]
#
# Every figure is the best of RUNS runs (default 7), so that a busy machine
# spoils as little as possible. The file is kept in BUILD_DIR/bench-data.
set -euo pipefail

build_dir=${1:?usage: batch_vs_cat.sh BUILD_DIR [ROWS] [RUNS]}
rows=${2:-1000000}
runs=${3:-7}
cli="$build_dir/cli/orvandel-cli"
[[ -x $cli ]] || { echo "no $cli; build the orvandel-cli target first" >&2; exit 2; }

data_dir="$build_dir/bench-data"
mkdir -p "$data_dir"
input="$data_dir/batch-$rows.csv"
output="$data_dir/batch-$rows.out.csv"

# Half the rows by dates around the rate change, half by day counts; amounts
# from a few yuan to ten million with cents; a pass-through id and name.
if [[ ! -s $input ]]; then
    awk -v rows="$rows" 'BEGIN {
        srand(20010501);
        print "id,taxpayer,amount,start_date,end_date,days_before,days_after";
        split("31 28 31 30 31 30 31 31 30 31 30 31", mdays, " ");
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
    }' > "$input"
fi

# Best wall-clock time in nanoseconds of `runs` runs of the command. The
# output file is removed before each run, outside the timing, so that no run
# pays for truncating the previous run's output.
best_ns() {
    local best=0 start end elapsed
    for ((k = 0; k < runs; k++)); do
        rm -f "$output"
        start=$(date +%s%N)
        "$@"
        end=$(date +%s%N)
        elapsed=$((end - start))
        if ((best == 0 || elapsed < best)); then best=$elapsed; fi
    done
    echo "$best"
}

run_cat() { cat "$input" > /dev/null; }
run_cat_file() { cat "$input" > "$output"; }
run_null() { "$cli" --batch "$input" -o /dev/null || [[ $? -eq 1 ]]; }
run_file() { "$cli" --batch "$input" -o "$output" || [[ $? -eq 1 ]]; }

cat "$input" > /dev/null # into the page cache
cat_ns=$(best_ns run_cat)
null_ns=$(best_ns run_null)
file_ns=$(best_ns run_file)
cat_file_ns=$(best_ns run_cat_file)
rm -f "$output"

report() {
    awk -v what="$1" -v ns="$2" -v cat_ns="$cat_ns" -v rows="$rows" 'BEGIN {
        printf "%-34s %9.1f ms  %6.2f M rows/s  %6.1f x cat\n", what, ns / 1e6, rows / ns * 1e3, ns / cat_ns
    }'
}
echo "$rows rows, $(wc -c < "$input") bytes, best of $runs runs"
report "cat FILE > /dev/null" "$cat_ns"
report "orvandel-cli --batch -o /dev/null" "$null_ns"
report "orvandel-cli --batch -o FILE" "$file_ns"
report "(for scale: cat FILE > FILE2)" "$cat_file_ns"
