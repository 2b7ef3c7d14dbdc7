#!/usr/bin/env bash
# Measures "-diagnostic" against the default run and the exact solver's
# figures (bench/diagnostic_optima.txt): on the ISCAS'85 circuits (those of
# tests/data copied, the others fault-simulated by the generator of
# ../shared/tools with fixed seeds) and on the generated 20,000 x 20,000
# design, runs the tool without options, with -diagnostic and with
# -diagnostic -minimize, and prints a Markdown table of chosen counts,
# classes, the lower bound, the solver's figures, median wall times and
# peak memory (GNU time), with the targets checked.
#
# usage: bench/diagnostic_measure.sh [--runs N] [--results DIR] [--build-dir DIR]
#          [--no-build] [--cases LIST]
#
#   --runs N         runs per case and mode (default 3); the median time is shown
#   --results DIR    where designs and outputs go (default bench/results/diagnostic)
#   --build-dir DIR  optimised build with the benchmarks (default build/bench)
#   --no-build       use the binaries already in the build directory
#   --cases LIST     comma-separated subset of the case names (default: all)
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=3
results="$repo/bench/results/diagnostic"
build=1
cases=""
build_dir="$repo/build/bench"
while [[ $# -gt 0 ]]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --results) results="$2"; shift 2 ;;
        --build-dir) build_dir="$2"; shift 2 ;;
        --no-build) build=0; shift ;;
        --cases) cases="$2"; shift 2 ;;
        -h|--help) sed -n '2,19p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "diagnostic_measure.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
# shellcheck source=bench/measure_runs.sh
source "$repo/bench/measure_runs.sh"
build_tools

case_table=(
    "c17|c17|copy:$repo/tests/data/c17"
    "c432|c432|copy:$repo/tests/data/c432"
    "c499|c499|sim:c499 -n 2000 -s 499"
    "c880|c880|copy:$repo/tests/data/c880"
    "c1355|c1355|sim:c1355 -n 2000 -s 1355"
    "c1908|c1908|copy:$repo/tests/data/c1908"
    "c2670|c2670|sim:c2670 -n 2000 -s 2670"
    "c3540|c3540|sim:c3540 -n 2000 -s 3540"
    "c5315|c5315|sim:c5315 -n 2000 -s 5315"
    "c6288|c6288|sim:c6288 -n 2000 -s 6288"
    "c7552|c7552|sim:c7552 -n 5000 -s 7551"
    "d20k|d20k|gen:--vectors 20000 --nodes 20000 $generated --seed 1"
)
recorded() { recorded_in "$repo/bench/diagnostic_optima.txt" "$@"; }
# The greedy top-up's sizes in the issue that asked for the option.
declare -A topup=([c432]=78 [c880]=60 [c1908]=129)

printf '| design | vectors | default | classes of the input | under the default set | `-diagnostic` | `-diagnostic -minimize` | its bound | solver best (bound) | default run | `-diagnostic` run | ratio | `-diagnostic -minimize` run | peak RSS default / `-diagnostic` / with `-minimize` | targets |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for entry in "${case_table[@]}"; do
    IFS='|' read -r name design source <<<"$entry"
    selected "$name" || continue
    prepare "$name" "$design" "$source"
    file="$results/designs/$name/$design.tst"
    vectors="$(head -c 4096 "$file" | sed -n 's/^\.VECTORS *\([0-9]*\).*/\1/p' | head -n 1)"
    cat "$file" > /dev/null
    # The default set's classes come from a run that reports them alone:
    # -diagnostic with a budget of the default count adds nothing.
    measure "$name" "$design" "" "$runs"
    plain_time=$mode_time plain_rss=$mode_rss
    default_count="$(number "$results/out/$name.txt" Chose)"
    timed_run "$name" "$design" "-classes" -diagnostic -max_vectors "$default_count"
    measure "$name" "$design" "-diagnostic" "$runs" -diagnostic
    diag_time=$mode_time diag_rss=$mode_rss
    measure "$name" "$design" "-diagnostic-minimize" "$runs" -diagnostic -minimize
    min_time=$mode_time min_rss=$mode_rss
    classes() { sed -n 's/^Distinguished \([0-9]*\) of \([0-9]*\) .*/\1 \2/p' "$results/out/$name$1.txt"; }
    read -r default_classes input_classes <<<"$(classes -classes)"
    read -r diag_classes _ <<<"$(classes -diagnostic)"
    read -r min_classes _ <<<"$(classes -diagnostic-minimize)"
    diag_count="$(number "$results/out/$name-diagnostic.txt" Chose)"
    min_count="$(number "$results/out/$name-diagnostic-minimize.txt" Chose)"
    bound="$(number "$results/out/$name-diagnostic-minimize.txt" 'Lower bound')"
    best="$(recorded "$name" 2)"
    proven="$(recorded "$name" 3)"
    solver="-"
    [[ -n "$best" ]] && solver="$best ($proven)"
    ratio="$(awk -v a="$diag_time" -v b="$plain_time" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
    # Targets: every class kept; no more than the greedy top-up where the
    # issue gives it; with the search, within 3 % of a proven optimum and no
    # more than an unproven best; the search within 30 s; d20k within 3x
    # the default run's time and 1.5x its peak RSS.
    verdict=""
    add() { verdict="$verdict${verdict:+, }$1"; }
    ((diag_classes == input_classes && min_classes == input_classes)) && add "classes met" || add "classes NOT met"
    if [[ -n "${topup[$name]:-}" ]]; then
        ((diag_count <= topup[$name])) && add "top-up met" || add "top-up NOT met"
    fi
    if [[ -n "$best" ]]; then
        if ((best == proven)); then
            awk -v c="$min_count" -v b="$best" 'BEGIN { exit !(c <= 1.03 * b) }' && add "3 % met" || add "3 % NOT met"
        else
            ((min_count <= best)) && add "best met" || add "best NOT met"
        fi
    fi
    if [[ $name == c* ]]; then
        awk -v t="$min_time" 'BEGIN { exit !(t <= 30) }' && add "30 s met" || add "30 s NOT met"
    fi
    if [[ $name == d20k ]]; then
        awk -v a="$diag_time" -v b="$plain_time" -v m="$diag_rss" -v r="$plain_rss" \
            'BEGIN { exit !(a <= 3 * b && m <= 1.5 * r) }' && add "3x time, 1.5x RSS met" ||
            add "3x time, 1.5x RSS NOT met"
    fi
    printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s s | %s s | %s | %s s | %s / %s / %s MB | %s |\n' \
        "$name" "$vectors" "$default_count" "$input_classes" "$default_classes" "$diag_count" "$min_count" \
        "$bound" "$solver" "$plain_time" "$diag_time" "$ratio" "$min_time" "$plain_rss" "$diag_rss" "$min_rss" \
        "${verdict:--}"
done
