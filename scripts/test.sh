#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, then the same tests
# under AddressSanitizer + UndefinedBehaviorSanitizer, then a short run of each fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test

# Layout is clang-format's business, so no review time goes on it.
find . \( -name 'build*' -o -name '.git' \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

jobs=$(nproc)
preset=test
[ -n "${CI:-}" ] && preset=ci

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs"
ctest --preset "$preset" -j "$jobs"

if [ "${AMPWISE_SKIP_ASAN:-}" != 1 ]; then
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ctest --preset asan -j "$jobs"
fi

if [ -f fuzz/CMakeLists.txt ] && [ "${AMPWISE_SKIP_FUZZ:-}" != 1 ]; then
  bash fuzz/run.sh
fi
