#!/bin/sh
# Prints the worksheet's figures: bench/worksheet/run.sh BUILD_DIR (a Release
# build with -DORVANDEL_BENCH=ON). Each mode runs in its own process.
set -e
bench="$1/bench/worksheet/worksheet_bench"
for mode in paste100k open100k open1m edit scroll; do
    "$bench" "$mode"
done
