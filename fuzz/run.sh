#!/usr/bin/env bash
# Builds the libFuzzer targets with CMake (the fuzz preset: clang, each target linked with the pure
# library it fuzzes) and runs each for a few seconds over the small committed corpus (new inputs go
# to a temporary folder, so the corpus stays as committed). FUZZ_SECONDS changes the time per
# target, FUZZ_BUILD the build folder. Inputs go up to 64 KiB from the first run (no slow growth of
# lengths), and one input may take at most a second: a path that grows with the square of the
# input then fails the run instead of hiding behind small inputs.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-5}
out=${FUZZ_BUILD:-build-fuzz}
cmake --preset fuzz -B "$out" >/dev/null
cmake --build "$out" -j "$(nproc)" --target ampwise_fuzzers

for target in clean_number double_list format initext regfile csv elfsection schedule; do
  scratch=$(mktemp -d)
  echo "fuzz_${target}: ${seconds}s"
  "$out/fuzz/fuzz_${target}" -max_total_time="$seconds" -max_len=65536 -len_control=0 -timeout=1 \
    -artifact_prefix="$out/" "$scratch" "fuzz/corpus/${target}" 2>"$out/fuzz_${target}.log" || {
    tail -40 "$out/fuzz_${target}.log"
    rm -rf "$scratch"
    exit 1
  }
  rm -rf "$scratch"
done
