#!/usr/bin/env bash
# Installs what building and running need, builds the program (and the data and help it reads,
# nothing else) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec "build/Brannoworks/Ampwise/Ampwise" "$@"
