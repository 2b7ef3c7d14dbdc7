#!/usr/bin/env bash
# The Debian packages the project needs, listed once, by what needs them:
#   build  the tool alone
#   test   the tests and the CI checks (the build's packages too)
#   fuzz   the fuzz harnesses (fuzz/run_fuzzers.sh)
#   bench  the benchmarks (bench/run_benchmarks.sh) and the exact solver's
#          figures (bench/minimize_highs.py, bench/demand_exact.py)
# Installs the packages of the groups named that are missing, through sudo
# when not run as root; with --list it prints them instead.
#
#   tools/install_packages.sh [--list] GROUP...
set -euo pipefail

build=(g++ cmake make)
test=(libgtest-dev libgmock-dev libexpat1-dev groff-base man-db librsvg2-bin python3)
fuzz=(clang libclang-rt-14-dev)
bench=(libbenchmark-dev time python3 python3-scipy)

list=0
if [ "${1:-}" = "--list" ]; then
  list=1
  shift
fi
if [ "$#" -eq 0 ]; then
  echo "usage: $0 [--list] build|test|fuzz|bench..." >&2
  exit 2
fi
packages=("${build[@]}")
for group in "$@"; do
  case "$group" in
    build) ;;
    test) packages+=("${test[@]}") ;;
    fuzz) packages+=("${fuzz[@]}") ;;
    bench) packages+=("${bench[@]}") ;;
    *) echo "$0: unknown group $group" >&2; exit 2 ;;
  esac
done
if [ "$list" -eq 1 ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
