#!/usr/bin/env bash
# Installs what is missing, builds Murmex and starts it. Run as yourself; sudo is asked for only when
# packages have to be installed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh run
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMURMEX_TESTS=OFF >/dev/null
cmake --build build-release --target murmex
exec build-release/murmex
