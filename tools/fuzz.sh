#!/bin/sh
# Builds the libFuzzer entry points with clang and runs one of them over its corpus.
# Usage: tools/fuzz.sh <target> [seconds]     (targets: fuzz/targets/*.cpp)
# New findings land in fuzz/corpus/<target>/; keep the ones that crashed as regressions.
set -e
cd "$(dirname "$0")/.."
target=${1:?target name}; secs=${2:-600}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=ON \
  -DVELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target "fuzz_$target"
mkdir -p "fuzz/corpus/$target" build-fuzz/new-corpus/"$target"
build-fuzz/fuzz/"fuzz_$target" -max_total_time="$secs" -rss_limit_mb=2048 -timeout=10 \
  -artifact_prefix="fuzz/corpus/$target/crash-" build-fuzz/new-corpus/"$target" "fuzz/corpus/$target"
