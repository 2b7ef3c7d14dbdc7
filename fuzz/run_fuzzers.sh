#!/usr/bin/env bash
# Builds the fuzz harnesses with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given number of seconds,
# one after the other. Fails on the first finding; the input that caused it
# is left in build/fuzz/artifacts.
#
#   fuzz/run_fuzzers.sh SECONDS [HARNESS...]
#
# HARNESS is model_reader_fuzz, patterns_reader_fuzz or pipeline_fuzz (all
# three by default). The corpora grow in fuzz/corpus-work/<harness>, seeded
# at every run from examples/, the small files of the bundled real designs
# and the inputs of the end-to-end cases.
set -euo pipefail

if [ "$#" -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [HARNESS...]" >&2
  exit 2
fi
seconds=$1
shift
harnesses=("$@")
if [ "${#harnesses[@]}" -eq 0 ]; then
  harnesses=(model_reader_fuzz patterns_reader_fuzz pipeline_fuzz)
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz"
work="$root/fuzz/corpus-work"
data="$root/tests/data"

# The compiler and its sanitizer runtimes, from the project's package list.
"$root/tools/install_packages.sh" fuzz

# Build: the tool's sources once, then one binary per harness.
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fno-sanitize-recover=all -I"$root/src")
# The version the build sets once, in CMakeLists.txt.
version=$(sed -n 's/^project(tvcompact VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
flags+=("-DTVCOMPACT_VERSION=\"$version\"")
mkdir -p "$build/obj" "$build/artifacts"
sources=()
while IFS= read -r source; do
  sources+=("$source")
done < <(find "$root/src" -name '*.cpp' ! -path "$root/src/driver/main.cpp" | sort)
object_of() { echo "$build/obj/$(echo "${1#"$root"/src/}" | tr '/' '_').o"; }
objects=()
for source in "${sources[@]}"; do
  objects+=("$(object_of "$source")")
done
# The loop feeding xargs runs in a subshell of its own.
for source in "${sources[@]}"; do
  object="$(object_of "$source")"
  if [ ! -e "$object" ] || [ "$source" -nt "$object" ] || [ -n "$(find "$root/src" -name '*.h' -newer "$object" -print -quit)" ]; then
    printf '%s\0%s\0' "$source" "$object"
  fi
done | xargs -0 -r -n2 -P2 bash -c 'n=$#; exec clang++ "${@:1:n-2}" -c "${@:n-1:1}" -o "${@:n:1}"' bash \
  "${flags[@]}" -fsanitize=fuzzer-no-link,address,undefined ||
  { echo "building the tool's sources failed" >&2; exit 1; }
for harness in "${harnesses[@]}"; do
  clang++ "${flags[@]}" -fsanitize=fuzzer,address,undefined \
    "$root/fuzz/$harness.cpp" "${objects[@]}" -o "$build/$harness"
done

# Seeds, copied afresh so that removed or changed sources don't linger.
seed_files() {
  local pattern=$1
  {
    find "$root/examples" "$root/tests/cases" -name "$pattern" -size -64k
    find "$data" -name "$pattern" -size -64k
  } 2>/dev/null | sort
}
make_seeds() {
  local harness=$1 dir="$build/seeds/$1" n=0 file model patterns
  rm -rf "$dir"
  mkdir -p "$dir"
  case "$harness" in
    model_reader_fuzz)
      while IFS= read -r file; do
        cp "$file" "$dir/seed-$((n += 1))"
      done < <(seed_files '*.agm')
      ;;
    patterns_reader_fuzz)
      # The first byte picks the fixed model and the block size.
      while IFS= read -r file; do
        for selector in '\000' '\001' '\006' '\040' '\055'; do
          { printf "$selector"; cat "$file"; } >"$dir/seed-$((n += 1))"
        done
      done < <(seed_files '*.tst')
      ;;
    pipeline_fuzz)
      # Option byte, percentage byte, model, separator, patterns.
      while IFS= read -r model; do
        patterns="${model%.agm}.tst"
        [ -e "$patterns" ] || continue
        for options in '\000\000' '\001\000' '\002\062' '\003\132' '\004\000' '\006\132'; do
          { printf "$options"; cat "$model"; printf '@@@@'; cat "$patterns"; } >"$dir/seed-$((n += 1))"
        done
      done < <(seed_files '*.agm')
      ;;
  esac
}

max_len() {
  case "$1" in
    model_reader_fuzz) echo 65536 ;;
    *) echo 16384 ;;
  esac
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for harness in "${harnesses[@]}"; do
  make_seeds "$harness"
  mkdir -p "$work/$harness"
  log="$build/$harness.log"
  echo "== $harness: $seconds s"
  if "$build/$harness" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -max_len="$(max_len "$harness")" -dict="$root/fuzz/dictionary.txt" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$harness-" \
      "$work/$harness" "$build/seeds/$harness" >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
  else
    echo "$harness: finding (log: $log)" >&2
    tail -n 60 "$log" >&2
    status=1
    break
  fi
done
exit "$status"
