#!/usr/bin/env bash
# Measures "-minimize" against the default selection and against the exact
# solver's figures (bench/minimize_optima.txt): on the small circuits of
# tests/data, on real circuits fault-simulated by the generator of
# ../shared/tools (fixed seeds), and on the generated 20,000 x 20,000 design,
# runs the tool with and without the option and prints a Markdown table of
# chosen counts, the lower bound, the solver's best and bound, the LP
# relaxation, median wall times and peak memory, with the targets checked.
#
# usage: bench/minimize_measure.sh [--runs N] [--results DIR] [--build-dir DIR]
#          [--no-build] [--cases LIST] [--big] [--highs]
#
#   --runs N         runs per case and mode (default 3); the median time is shown
#   --results DIR    where designs and outputs go (default bench/results/minimize)
#   --build-dir DIR  optimised build with the benchmarks (default build/bench)
#   --no-build       use the binaries already in the build directory
#   --cases LIST     comma-separated subset of the case names (default: all
#                    but d100k)
#   --big            also d100k, 100,000 vectors x 40,000 nodes: a patterns
#                    file of 4.5 GB (9 GB of disk while it is written), at
#                    most three runs per mode
#   --highs          solve the covering problems again with HiGHS
#                    (bench/minimize_highs.py, 600 s each, on one core),
#                    shown beside the recorded figures
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=3
results="$repo/bench/results/minimize"
build=1
highs=0
big=0
cases=""
build_dir="$repo/build/bench"
while [[ $# -gt 0 ]]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --results) results="$2"; shift 2 ;;
        --build-dir) build_dir="$2"; shift 2 ;;
        --no-build) build=0; shift ;;
        --cases) cases="$2"; shift 2 ;;
        --big) big=1; shift ;;
        --highs) highs=1; shift ;;
        -h|--help) sed -n '2,25p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "minimize_measure.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
# shellcheck source=bench/measure_runs.sh
source "$repo/bench/measure_runs.sh"
build_tools

# name|design|source: copy:<folder>, sim:<circuit> <generator arguments>, or
# gen:<generator arguments>
case_table=(
    "c17|c17|copy:$repo/tests/data/c17"
    "c432|c432|copy:$repo/tests/data/c432"
    "c880|c880|copy:$repo/tests/data/c880"
    "c1908|c1908|copy:$repo/tests/data/c1908"
    "c2670|c2670|sim:c2670 -n 2000 -s 2670"
    "c3540|c3540|sim:c3540 -n 2000 -s 3540"
    "c5315|c5315|sim:c5315 -n 2000 -s 5315"
    "c6288|c6288|sim:c6288 -n 2000 -s 6288"
    "c7552-5k|c7552|sim:c7552 -n 5000 -s 7551"
    "c7552-20k|c7552|sim:c7552 -n 20000 -s 7552"
    "s38584|s38584|sim:s38584 -n 10000 -s 38584"
    "b22|b22|sim:b22 -n 10000 -s 2222"
    "d20k|d20k|gen:--vectors 20000 --nodes 20000 $generated --seed 1"
)
[[ $big -eq 1 ]] && case_table+=("d100k|d100k|gen:--vectors 100000 --nodes 40000 $generated --seed 7")
recorded() { recorded_in "$repo/bench/minimize_optima.txt" "$@"; }

printf '| design | vectors | default | `-minimize` | its bound | solver best (bound) | LP | default run | `-minimize` run | ratio | peak RSS default / `-minimize` | targets |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for entry in "${case_table[@]}"; do
    IFS='|' read -r name design source <<<"$entry"
    selected "$name" || continue
    prepare "$name" "$design" "$source"
    file="$results/designs/$name/$design.tst"
    vectors="$(head -c 4096 "$file" | sed -n 's/^\.VECTORS *\([0-9]*\).*/\1/p' | head -n 1)"
    count=$runs
    ((count > 3)) && [[ $name == d100k ]] && count=3
    # Both modes read the file from the page cache alike.
    cat "$file" > /dev/null
    measure "$name" "$design" "" "$count"
    plain_time=$mode_time plain_rss=$mode_rss
    measure "$name" "$design" "-minimize" "$count" -minimize
    default_count="$(number "$results/out/$name.txt" Chose)"
    chosen="$(number "$results/out/$name-minimize.txt" Chose)"
    bound="$(number "$results/out/$name-minimize.txt" 'Lower bound')"
    best="$(recorded "$name" 2)"
    proven="$(recorded "$name" 3)"
    lp="$(recorded "$name" 4)"
    solver="-"
    [[ -n "$best" ]] && solver="$best ($proven)"
    if [[ $highs -eq 1 && $name != d* ]]; then
        now="$(taskset -c 0 /usr/bin/python3 "$repo/bench/minimize_highs.py" "$file" --name "$name")"
        solver="$solver, now $(awk '{ printf "%s (%.0f)", $7, $8 }' <<<"$now")"
        lp="$(awk '{ print $5 }' <<<"$now")"
    fi
    ratio="$(awk -v a="$mode_time" -v b="$plain_time" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }')"
    # Targets: no more vectors than the solver's best, a bound of at least
    # 0.97 x LP rounded up, and from 20,000 vectors on at most 30 s and 20x
    # the default run; d100k: the default run within 12x the d20k one and
    # at most 0.3 x the patterns file of peak RSS, -minimize within 10x its
    # time and 2x its memory.
    [[ $name == d20k ]] && d20k_time=$plain_time
    verdict=""
    add() { verdict="$verdict${verdict:+, }$1"; }
    if [[ -n "$best" ]]; then
        ((chosen <= best)) && add "count met" || add "count NOT met"
        awk -v b="$bound" -v l="$lp" 'BEGIN { r = 0.97 * l; n = int(r); if (n < r) n++; exit !(b >= n) }' &&
            add "bound met" || add "bound NOT met"
    fi
    if ((vectors >= 20000)); then
        awk -v a="$mode_time" -v b="$plain_time" 'BEGIN { exit !(a <= 30 && a <= 20 * b) }' &&
            add "time met" || add "time NOT met"
    fi
    if [[ $name == d100k ]]; then
        bytes="$(stat -c %s "$file")"
        awk -v r="$plain_rss" -v f="$bytes" 'BEGIN { exit !(r * 1048576 <= 0.3 * f) }' &&
            add "default RSS met" || add "default RSS NOT met"
        if [[ -n "${d20k_time:-}" ]]; then
            awk -v a="$plain_time" -v b="$d20k_time" 'BEGIN { exit !(a <= 12 * b) }' &&
                add "default time met" || add "default time NOT met"
        fi
        awk -v a="$mode_time" -v b="$plain_time" -v m="$mode_rss" -v r="$plain_rss" \
            'BEGIN { exit !(a <= 10 * b && m <= 2 * r) }' && add "-minimize met" || add "-minimize NOT met"
    fi
    printf '| %s | %s | %s | %s | %s | %s | %s | %s s | %s s | %s | %s / %s MB | %s |\n' "$name" "$vectors" \
        "$default_count" "$chosen" "$bound" "$solver" "${lp:--}" "$plain_time" "$mode_time" "$ratio" \
        "$plain_rss" "$mode_rss" "${verdict:--}"
done
