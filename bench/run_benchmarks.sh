#!/usr/bin/env bash
# Builds the tool, the baseline binary and the generator (preset "bench"),
# generates the benchmark designs, runs both binaries side by side on each,
# and prints a Markdown table of wall times, peak memory and output checks.
#
# usage: bench/run_benchmarks.sh [--runs N] [--baseline-runs N]
#          [--baseline-cases LIST] [--cases LIST] [--results DIR]
#          [--jobs N] [--no-build]
#
#   --runs N            runs of the tool per case (default 5); the median is shown
#   --baseline-runs N   runs of the baseline on each case whose patterns file
#                       is larger than 10 MB (default: as --runs; 0 skips the
#                       baseline and the output comparison there); smaller
#                       cases always get --runs baseline runs
#   --baseline-cases L  cases on which the baseline runs at all (default: all)
#   --cases LIST        comma-separated subset of: d20k,g10k,g20k,g40k,c1908
#                       (the default), or d100k: 100,000 vectors x 40,000
#                       nodes, a 4.5 GB patterns file, too large for routine
#                       runs (leave it out of --baseline-cases)
#   --results DIR       where designs, outputs and the table go (default bench/results)
#   --jobs N            build jobs (default: nproc)
#   --no-build          use the binaries already in build/bench
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=5
baseline_runs=""
baseline_cases="all"
cases="d20k,g10k,g20k,g40k,c1908"
results="$repo/bench/results"
jobs="$(nproc)"
build=1

while [[ $# -gt 0 ]]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --baseline-runs) baseline_runs="$2"; shift 2 ;;
        --baseline-cases) baseline_cases="$2"; shift 2 ;;
        --cases) cases="$2"; shift 2 ;;
        --results) results="$2"; shift 2 ;;
        --jobs) jobs="$2"; shift 2 ;;
        --no-build) build=0; shift ;;
        -h|--help) sed -n '2,18p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "run_benchmarks.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
baseline_runs="${baseline_runs:-$runs}"
# Runs change directory: every path must be absolute.
mkdir -p "$results"
results="$(cd "$results" && pwd)"

build_dir="$repo/build/bench"
tool="$build_dir/tvcompact"
baseline="$build_dir/bench/baseline/tvcompact-baseline"
generator="$build_dir/bench/generate_design"
phases="$build_dir/bench/phases_bench"

log() { printf '%s\n' "$*" >&2; }

# ---- tools ----------------------------------------------------------------

# GNU time (the peak memory) and Google Benchmark, from the project's package list.
"$repo/tools/install_packages.sh" bench >&2

if [[ $build -eq 1 ]]; then
    log "== building (preset bench)"
    (cd "$repo" && cmake --preset bench >&2)
    (cd "$repo" && cmake --build --preset bench -j "$jobs" \
        --target tvcompact tvcompact_baseline_tool generate_design phases_bench >&2)
fi
needed=("$tool" "$generator" "$phases" "$baseline")
for binary in "${needed[@]}"; do
    [[ -x "$binary" ]] || { log "missing $binary (build first)"; exit 1; }
done

# ---- cases ----------------------------------------------------------------

# name|design name|generator arguments, or copy:<folder> for a real design
case_table=(
    "d20k|d20k|--vectors 20000 --nodes 20000 --inputs 128 --constants 2 --outputs 64 --x-share 0.05 --seed 1"
    "g10k|g10k|--vectors 10000 --nodes 5000 --inputs 128 --constants 2 --outputs 64 --x-share 0.05 --seed 2"
    "g20k|g20k|--vectors 20000 --nodes 5000 --inputs 128 --constants 2 --outputs 64 --x-share 0.05 --seed 2"
    "g40k|g40k|--vectors 40000 --nodes 5000 --inputs 128 --constants 2 --outputs 64 --x-share 0.05 --seed 2"
    "c1908|c1908|copy:$repo/tests/data/c1908"
    "d100k|d100k|--vectors 100000 --nodes 40000 --inputs 128 --constants 2 --outputs 64 --x-share 0.05 --seed 7"
)

selected() { [[ ",$1," == *",$2,"* || ("$1" == "all" && "$2" != d100k) ]]; }

mkdir -p "$results/designs" "$results/work" "$results/out"

prepare_case() {
    local name="$1" design="$2" source="$3"
    local dir="$results/designs/$name"
    if [[ -f "$dir/$design.agm" && -f "$dir/$design.tst" ]]; then
        return
    fi
    mkdir -p "$dir"
    if [[ "$source" == copy:* ]]; then
        cp "${source#copy:}/$design.agm" "${source#copy:}/$design.tst" "$dir/"
        chmod u+w "$dir/$design.agm" "$dir/$design.tst"
    else
        log "== generating $name"
        local start end
        start=$EPOCHREALTIME
        # shellcheck disable=SC2086
        "$generator" $source --out "$dir/$design" >&2
        end=$EPOCHREALTIME
        awk -v s="$start" -v e="$end" -v b="$(stat -c %s "$dir/$design.tst")" \
            'BEGIN { printf "   %.2f s, %.0f MB/s\n", e - s, b / (e - s) / 1e6 }' >&2
    fi
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) { print "nan"; exit }
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

mask_time() { sed 's/^Time, used by process: .*$/Time, used by process: TIME/'; }

# Runs binary $1 on case $2 (design $3) $4 times. Leaves the median wall time
# in run_time, the largest peak RSS in kB in run_rss, and the first run's
# masked standard output and compacted file in $results/out/<case>-<label>.*
run_binary() {
    local binary="$1" name="$2" design="$3" count="$4" label="$5"
    local work="$results/work/$name-$label"
    local times=() rss=0 i start end status
    run_failed=""
    for ((i = 1; i <= count; i++)); do
        rm -rf "$work"
        mkdir -p "$work"
        cp "$results/designs/$name/$design.agm" "$results/designs/$name/$design.tst" "$work/"
        # A patterns file is an old file on disk: the run must not pay for
        # writing back the copy just made.
        sync "$work/$design.agm" "$work/$design.tst"
        start=$EPOCHREALTIME
        set +e
        (cd "$work" && /usr/bin/time -f '%M' -o "$work/rss" "$binary" "$design" >"$work/stdout" 2>"$work/stderr")
        status=$?
        set -e
        end=$EPOCHREALTIME
        if [[ $status -ne 0 ]]; then
            run_failed="exit $status"
            log "   $label on $name: exit status $status"
            sed 's/^/   | /' "$work/stderr" >&2
        fi
        times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')")
        local peak
        peak="$(tail -n 1 "$work/rss")"
        if ((peak > rss)); then
            rss=$peak
        fi
        mask_time <"$work/stdout" >"$work/stdout.masked"
        echo "$status" >>"$work/stdout.masked"
        if [[ $i -eq 1 ]]; then
            mv "$work/stdout.masked" "$results/out/$name-$label.stdout"
            mv "$work/$design.tst" "$results/out/$name-$label.tst"
        elif ! cmp -s "$work/stdout.masked" "$results/out/$name-$label.stdout" ||
            ! cmp -s "$work/$design.tst" "$results/out/$name-$label.tst"; then
            log "   $label on $name: run $i differs from run 1"
        fi
        log "   $label run $i: ${times[-1]} s, $peak kB"
    done
    rm -rf "$work"
    run_time="$(printf '%s\n' "${times[@]}" | median)"
    run_rss=$rss
}

wc_time() {
    local file="$1" times=() i start end
    for ((i = 1; i <= 5; i++)); do
        start=$EPOCHREALTIME
        wc -l "$file" >/dev/null
        end=$EPOCHREALTIME
        times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')")
    done
    printf '%s\n' "${times[@]}" | median
}

# Median time the file system takes to replace a copy of the patterns file
# with a small file (the old inode and its blocks freed): a cost of every run
# that writes the compacted file over its input, whatever the tool does.
replace_time() {
    local file="$1" times=() i start end
    local target="$results/work/replace.tst" small="$results/work/replace.new"
    for ((i = 1; i <= 5; i++)); do
        cp "$file" "$target"
        echo >"$small"
        sync "$target" "$small"
        start=$EPOCHREALTIME
        mv -f "$small" "$target"
        end=$EPOCHREALTIME
        times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')")
    done
    rm -f "$target"
    printf '%s\n' "${times[@]}" | median
}

# Median read and selection times in seconds from the phase timer.
phase_times() {
    local name="$1" design="$2" csv="$results/out/$1-phases.csv"
    "$phases" --design "$results/designs/$name/$design" --repetitions "$runs" \
        --benchmark_out="$csv" --benchmark_out_format=csv >/dev/null 2>&1 || true
    local reading selecting
    reading="$(awk -F, '/^"read_patterns.*_median"/ { printf "%.4f", $3 / 1000 }' "$csv" 2>/dev/null)"
    selecting="$(awk -F, '/^"selection\/.*_median"/ { printf "%.4f", $3 / 1000 }' "$csv" 2>/dev/null)"
    phase_read="${reading:-nan}"
    phase_select="${selecting:-nan}"
}

# ---- runs -----------------------------------------------------------------

rows=()
declare -A fast_time ratio_wc ratio_wc_kept replace_s phase_r phase_s rss_ratio speedups identical failures
for entry in "${case_table[@]}"; do
    IFS='|' read -r name design source <<<"$entry"
    selected "$cases" "$name" || continue
    prepare_case "$name" "$design" "$source"
    file="$results/designs/$name/$design.tst"
    bytes="$(stat -L -c %s "$file")"
    header="$(head -c 4096 "$file" | sed -n 's/^\.VECTORS *\([0-9]*\).*/\1/p' | head -n 1)"
    nodes="$(sed -n 's/^STAT# *\([0-9]*\).*/\1/p' "$results/designs/$name/$design.agm" | head -n 1)"

    log "== $name: $header vectors x $nodes nodes, $bytes bytes"
    run_binary "$tool" "$name" "$design" "$runs" fast
    fast_time[$name]=$run_time
    tool_time=$run_time tool_rss=$run_rss
    failures[$name]="$run_failed"
    wc_median="$(wc_time "$file")"
    replace_median="$(replace_time "$file")"
    phase_times "$name" "$design"
    ratio_wc[$name]="$(awk -v t="$tool_time" -v w="$wc_median" 'BEGIN { printf "%.2f", t / w }')"
    ratio_wc_kept[$name]="$(awk -v t="$tool_time" -v r="$replace_median" -v w="$wc_median" 'BEGIN { printf "%.2f", (t - r) / w }')"
    replace_s[$name]=$replace_median
    rss_ratio[$name]="$(awk -v r="$tool_rss" -v b="$bytes" 'BEGIN { printf "%.3f", r * 1024 / b }')"
    phase_r[$name]=$phase_read
    phase_s[$name]=$phase_select

    base_col="not run" speedup="–" same="–"
    case_baseline_runs=$baseline_runs
    ((bytes <= 10000000)) && case_baseline_runs=$runs
    if [[ $case_baseline_runs -gt 0 ]] && selected "$baseline_cases" "$name"; then
        run_binary "$baseline" "$name" "$design" "$case_baseline_runs" baseline
        base_col="$(printf '%.3f s (%s run%s)' "$run_time" "$case_baseline_runs" "$([[ $case_baseline_runs -eq 1 ]] || echo s)")"
        [[ -n "$run_failed" ]] && failures[$name]="${failures[$name]} baseline $run_failed"
        speedups[$name]="$(awk -v b="$run_time" -v f="$tool_time" 'BEGIN { printf "%.1f", b / f }')"
        speedup="${speedups[$name]}×"
        if cmp -s "$results/out/$name-fast.stdout" "$results/out/$name-baseline.stdout"; then
            same="stdout yes"
        else
            same="stdout NO"
        fi
        if cmp -s "$results/out/$name-fast.tst" "$results/out/$name-baseline.tst"; then
            same="$same, file yes"
        else
            same="$same, file NO"
        fi
        identical[$name]="$same"
    fi
    [[ -n "${failures[$name]}" ]] && name="$name (FAILED: ${failures[$name]})"
    rows+=("$(awk -v n="$name" -v v="$header" -v nd="$nodes" -v b="$bytes" -v w="$wc_median" \
        -v t="$tool_time" -v r="$tool_rss" -v pr="$phase_read" -v ps="$phase_select" -v rp="$replace_median" \
        -v bc="$base_col" -v su="$speedup" -v same="$same" 'BEGIN {
        printf "| %s | %s × %s | %.1f MB | %.3f s | %.3f s | %.2f | %.3f s | %.2f | %s s | %s s | %.1f MB | %.3f | %s | %s | %s |",
            n, v, nd, b / 1e6, w, t, t / w, rp, (t - rp) / w, pr, ps, r / 1000, r * 1024 / b, bc, su, same }')")
done

# ---- report ---------------------------------------------------------------

table="$results/table.md"
{
    echo "Machine: $(nproc) CPUs, $(grep -m 1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(awk '/MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo) memory"
    echo
    echo "Tool runs per case: $runs; baseline runs: $baseline_runs on patterns files above 10 MB, $runs on smaller ones (medians of wall time; peak RSS is the largest of the tool's runs; read and selection are medians of $runs runs of phases_bench)."
    echo
    echo "Inputs are copied and synced to disk before each timed run. \"replacing\" is the time the file system alone takes to replace a copy of the patterns file by a small file, which every run pays when it writes the compacted file over its input; the column after it leaves that time out."
    echo
    echo "| case | vectors × nodes | patterns file | \`wc -l\` | tool run | tool / \`wc -l\` | replacing | (tool − replacing) / \`wc -l\` | read | selection | peak RSS | RSS / file | baseline run | speed-up | identical output |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
    if [[ -n "${fast_time[g10k]:-}" && -n "${fast_time[g20k]:-}" && -n "${fast_time[g40k]:-}" ]]; then
        echo
        echo "Growth at 5,000 nodes: 10,000 → 20,000 vectors ×$(awk -v a="${fast_time[g10k]}" -v b="${fast_time[g20k]}" 'BEGIN { printf "%.2f", b / a }'), 20,000 → 40,000 vectors ×$(awk -v a="${fast_time[g20k]}" -v b="${fast_time[g40k]}" 'BEGIN { printf "%.2f", b / a }')."
    fi
    echo
    echo "Targets:"
    check() { # label, awk condition over a and b, a, b
        local verdict
        if [[ "$3" == "" || "$3" == "nan" || "$4" == "nan" ]]; then
            verdict="not measured"
        elif awk -v a="$3" -v b="$4" "BEGIN { exit !($2) }"; then
            verdict="met"
        else
            verdict="NOT met"
        fi
        echo "- $1: $verdict"
    }
    if [[ -n "${fast_time[d20k]:-}" ]]; then
        check "d20k whole run ≥ 50× faster than the baseline (${speedups[d20k]:-not run}${speedups[d20k]:+×})" "a >= 50" "${speedups[d20k]:-}" 0
        echo "- d20k identical output: ${identical[d20k]:-not compared}"
        check "d20k whole run ≤ 3× \`wc -l\` (${ratio_wc[d20k]}×; ${ratio_wc_kept[d20k]}× without the ${replace_s[d20k]} s of replacing the file)" "a <= 3" "${ratio_wc[d20k]}" 0
        check "d20k selection (${phase_s[d20k]} s) no longer than reading (${phase_r[d20k]} s)" "a <= b" "${phase_s[d20k]}" "${phase_r[d20k]}"
        check "d20k peak RSS ≤ 0.35 × patterns file (${rss_ratio[d20k]})" "a <= 0.35" "${rss_ratio[d20k]}" 0
    fi
    if [[ -n "${fast_time[g10k]:-}" && -n "${fast_time[g20k]:-}" && -n "${fast_time[g40k]:-}" ]]; then
        check "growth 10,000 → 20,000 vectors ≤ 2.5×" "b / a <= 2.5" "${fast_time[g10k]}" "${fast_time[g20k]}"
        check "growth 20,000 → 40,000 vectors ≤ 2.5×" "b / a <= 2.5" "${fast_time[g20k]}" "${fast_time[g40k]}"
    fi
    if [[ -n "${fast_time[d100k]:-}" ]]; then
        check "d100k peak RSS ≤ 0.3 × patterns file (${rss_ratio[d100k]})" "a <= 0.3" "${rss_ratio[d100k]}" 0
        if [[ -n "${fast_time[d20k]:-}" ]]; then
            check "d100k whole run ≤ 12× the d20k run ($(awk -v a="${fast_time[d100k]}" -v b="${fast_time[d20k]}" 'BEGIN { printf "%.1f", a / b }')×)" "a <= 12 * b" "${fast_time[d100k]}" "${fast_time[d20k]}"
        fi
    fi
    if [[ -n "${fast_time[c1908]:-}" ]]; then
        echo "- c1908 identical output: ${identical[c1908]:-not compared}; speed-up ${speedups[c1908]:-not measured}${speedups[c1908]:+×}"
    fi
} | tee "$table"
log "table written to $table"
