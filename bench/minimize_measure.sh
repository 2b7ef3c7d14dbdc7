#!/usr/bin/env bash
# Measures "-minimize" against the default selection: on the benchmark
# circuits and on the generated 20,000 x 20,000 design, runs the tool with
# and without the option on fresh copies and prints a Markdown table of the
# chosen counts, the lower bound, the exact optimum (bench/minimize_optima.txt)
# and the median wall times.
#
# usage: bench/minimize_measure.sh [--runs N] [--results DIR] [--build-dir DIR]
#          [--no-build] [--cbc]
#
#   --runs N         runs per case and mode (default 3); the median time is shown
#   --results DIR    where designs and outputs go (default bench/results/minimize)
#   --build-dir DIR  optimised build with the benchmarks (default build/bench)
#   --no-build       use the binaries already in the build directory
#   --cbc            solve the circuits' covering problems again with CBC
#                    (apt-get install coinor-cbc), shown beside the recorded optimum
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=3
results="$repo/bench/results/minimize"
build=1
cbc=0
build_dir="$repo/build/bench"
while [[ $# -gt 0 ]]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --results) results="$2"; shift 2 ;;
        --build-dir) build_dir="$2"; shift 2 ;;
        --no-build) build=0; shift ;;
        --cbc) cbc=1; shift ;;
        -h|--help) sed -n '2,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "minimize_measure.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
mkdir -p "$results"
results="$(cd "$results" && pwd)"
mkdir -p "$build_dir"
build_dir="$(cd "$build_dir" && pwd)"
tool="$build_dir/tvcompact"
generator="$build_dir/bench/generate_design"
log() { printf '%s\n' "$*" >&2; }

if [[ $build -eq 1 ]]; then
    log "== building in $build_dir"
    cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTVCOMPACT_BENCH=ON -DTVCOMPACT_TESTS=OFF >&2
    cmake --build "$build_dir" -j 2 --target tvcompact generate_design >&2
fi
for binary in "$tool" "$generator"; do
    [[ -x "$binary" ]] || { log "missing $binary (build first)"; exit 1; }
done

# name|generator arguments, or copy:<folder> for a real design
case_table=(
    "c17|copy:$repo/tests/data/c17"
    "c432|copy:$repo/tests/data/c432"
    "c880|copy:$repo/tests/data/c880"
    "c1908|copy:$repo/tests/data/c1908"
    "d20k|--vectors 20000 --nodes 20000 --inputs 128 --constants 2 --outputs 64 --x-share 0.05 --seed 1"
)

prepare() {
    local name="$1" source="$2" dir="$results/designs/$1"
    [[ -f "$dir/$name.agm" && -f "$dir/$name.tst" ]] && return
    mkdir -p "$dir"
    if [[ "$source" == copy:* ]]; then
        cp "${source#copy:}/$name.agm" "${source#copy:}/$name.tst" "$dir/"
        chmod u+w "$dir/$name.agm" "$dir/$name.tst"
    else
        log "== generating $name"
        # shellcheck disable=SC2086
        "$generator" $source --out "$dir/$name" >&2
    fi
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs the tool on a fresh copy; leaves its output in $results/out/<name><suffix>.txt
# and prints the wall time in seconds.
timed_run() {
    local name="$1" suffix="$2"
    shift 2
    local work="$results/work/$name"
    rm -rf "$work" && mkdir -p "$work" "$results/out"
    cp "$results/designs/$name/$name.agm" "$results/designs/$name/$name.tst" "$work/"
    local start end
    start=$EPOCHREALTIME
    (cd "$work" && "$tool" "$@" "$name" > "$results/out/$name$suffix.txt")
    end=$EPOCHREALTIME
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

number() { sed -n "s/^$2 \([0-9]*\) .*/\1/p" "$1"; }

printf '| design | default | -minimize | lower bound | optimum | default s | -minimize s | ratio |\n'
printf '|---|---|---|---|---|---|---|---|\n'
for entry in "${case_table[@]}"; do
    name="${entry%%|*}"
    prepare "$name" "${entry#*|}"
    plain_times=() minimize_times=()
    for ((r = 0; r < runs; ++r)); do
        plain_times+=("$(timed_run "$name" "" )")
        minimize_times+=("$(timed_run "$name" "-minimize" -minimize)")
    done
    plain_time="$(printf '%s\n' "${plain_times[@]}" | median)"
    minimize_time="$(printf '%s\n' "${minimize_times[@]}" | median)"
    default_count="$(number "$results/out/$name.txt" Chose)"
    chosen="$(number "$results/out/$name-minimize.txt" Chose)"
    bound="$(number "$results/out/$name-minimize.txt" 'Lower bound')"
    optimum="$(awk -v d="$name" '$1 == d { print $2 }' "$repo/bench/minimize_optima.txt")"
    # Without a recorded optimum, a bound equal to the count proves it.
    if [[ -z "$optimum" ]]; then
        optimum="-"
        [[ "$bound" == "$chosen" ]] && optimum="$chosen (= bound)"
    fi
    if [[ $cbc -eq 1 && "$entry" == *"|copy:"* ]]; then
        python3 "$repo/bench/minimize_lp.py" "$results/designs/$name/$name.tst" "$results/$name.lp" >&2
        solved="$(cbc "$results/$name.lp" solve 2>&1 | sed -n 's/^Objective value: *\([0-9.]*\).*/\1/p' | head -1)"
        optimum="$optimum (CBC now: ${solved%%.*})"
    fi
    ratio="$(awk -v a="$minimize_time" -v b="$plain_time" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
    printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$name" "$default_count" "$chosen" "$bound" \
        "$optimum" "$plain_time" "$minimize_time" "$ratio"
done
