#!/usr/bin/env bash
# Installs what is needed, builds Ampwise and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default -G Ninja >/dev/null
cmake --build --preset default -j "$(nproc)"
exec "build/Brannoworks/Ampwise/Ampwise" "$@"
