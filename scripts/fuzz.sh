#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) with clang under ASan and UBSan, runs
# every kept crash input of each target once, then fuzzes each target for
# SECONDS seconds from its seeds (tests/fuzz/corpus, and the pictures the
# build writes into build/fuzz/seeds).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# A crash stops the script; its input is saved in tests/fuzz/regressions/
# TARGET/ so that it is kept as a regression case once the fault is mended.
# Debian packages: clang libclang-rt-14-dev (scripts/setup.sh installs them).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
build=$top/build/fuzz

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSARVO_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$top"/tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" _fuzz.cpp)"); done
fi

for target in "${targets[@]}"; do
    program=$build/bin/fuzz_$target
    seeds=()  # the text seeds kept in the tree, the binary ones the build writes
    for folder in "$top/tests/fuzz/corpus/$target" "$build/seeds/$target"; do
        [[ ! -d $folder ]] || seeds+=("$folder")
    done
    kept=$top/tests/fuzz/regressions/$target
    mkdir -p "$kept"
    work=$(mktemp -d "${TMPDIR:-/tmp}/sarvo-fuzz-$target.XXXXXX")
    # Kept crash inputs first: each must now pass.
    if compgen -G "$kept/*" >/dev/null; then
        "$program" -runs=1 "$kept"/* >"$work/regressions.log" 2>&1 || {
            cat "$work/regressions.log" >&2
            echo "fuzz: $target fails on a kept regression input" >&2
            exit 1
        }
    fi
    echo "fuzz: $target for $seconds s"
    # New inputs go into a scratch corpus, never into the repository's seeds.
    if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$kept/" "$work" "${seeds[@]}" >"$work/fuzz.log" 2>&1; then
        tail -n 40 "$work/fuzz.log" >&2
        echo "fuzz: $target found a fault; the input is in $kept/" >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units' "$work/fuzz.log" | sed "s/^/fuzz: $target /" || true
    rm -rf "$work"
done
