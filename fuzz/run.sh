#!/usr/bin/env bash
# Builds the libFuzzer targets of the number text routines, the INI text engine, the
# settings-store reader and the CSV reader straight from their few pure sources, and runs each for
# a few seconds over the small committed corpus (new inputs go to a temporary folder, so the corpus
# stays as committed). FUZZ_SECONDS changes the time per target. Inputs go up to 64 KiB from the first run
# (no slow growth of lengths), and one input may take at most a second: a path that grows with the
# square of the input then fails the run instead of hiding behind small inputs.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-5}
out=${FUZZ_BUILD:-build-fuzz}
mkdir -p "$out"
number_sources=(settings/QvSysUtils.cpp units/QvConv.cpp units/QvFormat.cpp units/QvUnitTables.cpp)
flags=(-std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

for target in clean_number double_list format initext regfile csv; do
  sources=("${number_sources[@]}")
  [ "$target" = regfile ] && sources=(settings/QvRegText.cpp settings/QvRegFile.cpp settings/QvSysUtils.cpp settings/QvFileUtils.cpp)
  [ "$target" = initext ] && sources=(settings/QvIniText.cpp settings/QvFileUtils.cpp)
  [ "$target" = csv ] && sources=(text/QvCsv.cpp)
  clang++ "${flags[@]}" "fuzz/fuzz_${target}.cpp" "${sources[@]}" -o "$out/fuzz_${target}"
  scratch=$(mktemp -d)
  echo "fuzz_${target}: ${seconds}s"
  "$out/fuzz_${target}" -max_total_time="$seconds" -max_len=65536 -len_control=0 -timeout=1 \
    -artifact_prefix="$out/" "$scratch" "fuzz/corpus/${target}" 2>"$out/fuzz_${target}.log" || {
    tail -40 "$out/fuzz_${target}.log"
    rm -rf "$scratch"
    exit 1
  }
  rm -rf "$scratch"
done
