#!/usr/bin/env bash
# Start-up figures of the program beside the floor of a bare 36-widget Qt
# window, on the offscreen platform and under Xvfb, and the time Calculate
# takes from click to results painted.
#
#   bench/startup/run.sh BUILD_DIR     (configured with -DORVANDEL_BENCH=ON)
#
# Each start is timed from launch to exit, where the program exits right after
# its first paint (ORVANDEL_EXIT_AFTER_FIRST_PAINT=1); exit adds the same few
# milliseconds to both. One cold start is run and dropped, then RUNS warm ones
# (default 15); the median and the best are shown, with the peak RSS.
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
runs=${RUNS:-15}
program=$build/app/orvandel
floor=$build/bench/startup/startup_floor
calculate=$build/bench/startup/calculate_bench
for f in "$program" "$floor" "$calculate"; do
    [ -x "$f" ] || { echo "missing $f (build with -DORVANDEL_BENCH=ON)" >&2; exit 1; }
done

config=$(mktemp -d)
trap 'rm -rf "$config"; [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
export XDG_CONFIG_HOME=$config ORVANDEL_EXIT_AFTER_FIRST_PAINT=1 LANG=C.UTF-8 LC_ALL=C.UTF-8

# One start of a command: prints "<milliseconds> <peak RSS in KiB>".
one_start() {
    local t0 t1 rss=0
    t0=$EPOCHREALTIME
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f '%M' -o "$config/rss" "$@" >/dev/null 2>&1
        rss=$(tail -1 "$config/rss")
    else
        "$@" >/dev/null 2>&1
    fi
    t1=$EPOCHREALTIME
    awk -v a="$t0" -v b="$t1" -v r="$rss" 'BEGIN { printf "%.1f %d\n", (b - a) * 1000, r }'
}

# Median and best of RUNS warm starts: "<median ms> <best ms> <median peak RSS MiB>".
starts() {
    local samples middle=$(( (runs + 1) / 2 ))
    one_start "$@" >/dev/null
    samples=$(for _ in $(seq "$runs"); do one_start "$@"; done)
    echo "$(cut -d' ' -f1 <<<"$samples" | sort -n | sed -n "${middle}p")" \
        "$(cut -d' ' -f1 <<<"$samples" | sort -n | head -1)" \
        "$(cut -d' ' -f2 <<<"$samples" | sort -n | sed -n "${middle}p" | awk '{ printf "%.1f", $1 / 1024 }')"
}

# Interleaved, so a busy machine weighs on all three alike.
report() {
    local p_med p_best p_rss f_med f_best f_rss t_med t_best t_rss
    read -r p_med p_best p_rss < <(starts "$program")
    read -r f_med f_best f_rss < <(starts "$floor")
    read -r t_med t_best t_rss < <(starts "$floor" --form-texts)
    printf '%-9s orvandel:               median %6.1f ms (best %6.1f), peak RSS %5.1f MiB\n' \
        "$1" "$p_med" "$p_best" "$p_rss"
    printf '%-9s floor, short texts:     median %6.1f ms (best %6.1f), peak RSS %5.1f MiB  ratio %.2f\n' \
        "$1" "$f_med" "$f_best" "$f_rss" "$(awk -v a="$p_med" -v b="$f_med" 'BEGIN { print a / b }')"
    printf '%-9s floor, the form texts:  median %6.1f ms (best %6.1f), peak RSS %5.1f MiB  ratio %.2f\n' \
        "$1" "$t_med" "$t_best" "$t_rss" "$(awk -v a="$p_med" -v b="$t_med" 'BEGIN { print a / b }')"
    [ -x /usr/bin/time ] || echo "          (peak RSS needs /usr/bin/time, package time)"
}

echo "start-up to first paint (and exit), $runs warm runs each"
QT_QPA_PLATFORM=offscreen report offscreen

if command -v Xvfb >/dev/null; then
    display=:$(( 90 + RANDOM % 100 ))
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    DISPLAY=$display QT_QPA_PLATFORM=xcb report Xvfb
else
    echo "Xvfb        not installed (package xvfb): skipped"
fi

unset ORVANDEL_EXIT_AFTER_FIRST_PAINT
QT_QPA_PLATFORM=offscreen "$calculate"
