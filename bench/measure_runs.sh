# The runs of the measuring scripts (minimize_measure.sh,
# diagnostic_measure.sh), sourced by them once they have read their
# options: designs prepared once under $results/designs, and timed runs of
# the tool on them. The sourcing script sets repo, results, build (1 to
# build the tools), build_dir and cases (names to run, comma-separated;
# empty for all).

mkdir -p "$results" "$build_dir"
results="$(cd "$results" && pwd)"
build_dir="$(cd "$build_dir" && pwd)"
tool="$build_dir/tvcompact"
generator="$build_dir/bench/generate_design"
shared="$repo/../shared"
simulator="$results/ssbdd_data"

log() { printf '%s\n' "$*" >&2; }

# The generator's arguments of the generated designs, beside their sizes and seed.
generated="--inputs 128 --constants 2 --outputs 64 --x-share 0.05"

# Whether case $1 is to run.
selected() { [[ -z "$cases" || ",$cases," == *",$1,"* ]]; }

# Column $3 of design $2's line in the recorded optima file $1.
recorded_in() { awk -v d="$2" -v c="$3" '$1 == d { print $c }' "$1"; }

# Builds $tool and $generator in $build_dir unless $build is 0, and checks
# that they are there.
build_tools() {
    if [[ $build -eq 1 ]]; then
        log "== building in $build_dir"
        cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTVCOMPACT_BENCH=ON -DTVCOMPACT_TESTS=OFF >&2
        cmake --build "$build_dir" -j 2 --target tvcompact generate_design >&2
    fi
    local binary
    for binary in "$tool" "$generator"; do
        [[ -x "$binary" ]] || { log "missing $binary (build first)"; exit 1; }
    done
}

# Makes $results/designs/<name>/<design>.{agm,tst} unless they are there:
# source is copy:<folder>, sim:<circuit> <ssbdd_data arguments>, or
# gen:<generate_design arguments>.
prepare() {
    local name="$1" design="$2" source="$3" dir="$results/designs/$1"
    [[ -f "$dir/$design.agm" && -f "$dir/$design.tst" ]] && return
    mkdir -p "$dir"
    case "$source" in
        copy:*)
            cp "${source#copy:}/$design.agm" "${source#copy:}/$design.tst" "$dir/"
            chmod u+w "$dir/$design.agm" "$dir/$design.tst" ;;
        sim:*)
            if [[ ! -x "$simulator" ]]; then
                log "== compiling the fault simulator of $shared/tools"
                g++ -O2 -std=c++17 -o "$simulator" "$shared/tools/ssbdd_data.cpp" >&2
            fi
            local arguments="${source#sim:}"
            local circuit="${arguments%% *}"
            log "== simulating $name"
            # shellcheck disable=SC2086
            "$simulator" "$shared/circuits/$circuit.bench" -o "$dir" -d "$design" ${arguments#* } >&2 ;;
        gen:*)
            log "== generating $name"
            # shellcheck disable=SC2086
            "$generator" ${source#gen:} --out "$dir/$design" >&2 ;;
    esac
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs the tool on the design read in place (-extension, so that a run
# neither copies nor replaces a patterns file of gigabytes); leaves its
# output in $results/out/<name><suffix>.txt, the wall time in run_time and
# the peak RSS in kB in run_rss.
timed_run() {
    local name="$1" design="$2" suffix="$3"
    shift 3
    local work="$results/work/$name"
    rm -rf "$work" && mkdir -p "$work" "$results/out"
    ln -s "$results/designs/$name/$design.agm" "$work/$design.agm"
    ln -s "$results/designs/$name/$design.tst" "$work/$design.input"
    local start end
    start=$EPOCHREALTIME
    (cd "$work" && /usr/bin/time -f '%M' -o rss "$tool" -extension input "$@" "$design" \
        > "$results/out/$name$suffix.txt")
    end=$EPOCHREALTIME
    run_time="$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }')"
    run_rss="$(tail -n 1 "$work/rss")"
    rm -rf "$work"
}

# Median wall time and largest peak RSS (MB) of `count` runs, in
# mode_time and mode_rss.
measure() {
    local name="$1" design="$2" suffix="$3" count="$4"
    shift 4
    local times=() rss=0 r
    for ((r = 0; r < count; ++r)); do
        timed_run "$name" "$design" "$suffix" "$@"
        times+=("$run_time")
        ((run_rss > rss)) && rss=$run_rss
    done
    mode_time="$(printf '%s\n' "${times[@]}" | median)"
    mode_rss="$(awk -v k="$rss" 'BEGIN { printf "%.0f", k / 1024 }')"
}

number() { sed -n "s/^$2 \([0-9]*\) .*/\1/p" "$1"; }
