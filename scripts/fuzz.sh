#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang-14, ASan + UBSan) and runs each for a while.
#   bash scripts/fuzz.sh            about a minute per harness
#   FUZZ_SECONDS=600 bash scripts/fuzz.sh framescan
# Seeds come from tests/fuzz/corpus/<harness>; what the run learns stays in build/fuzz/corpus.
# A finding is written to build/fuzz/findings/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(framescan profilefile conversions)
build=build/fuzz

bash scripts/setup.sh
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_BUILD_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF -DVELMORA_SANITIZE="address;undefined"
cmake --build "$build" -j2 --target "${harnesses[@]/#/fuzz_}"

mkdir -p "$build/findings"
status=0
for h in "${harnesses[@]}"; do
    mkdir -p "$build/corpus/$h"
    echo "== fuzz_$h for ${seconds}s"
    if ! "$build/bin/fuzz_$h" "$build/corpus/$h" "tests/fuzz/corpus/$h" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$h-" 2>"$build/fuzz_$h.log"; then
        status=1
        echo "fuzz_$h found a fault; see $build/fuzz_$h.log and $build/findings/"
    fi
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/fuzz_$h.log" || true
done
exit $status
