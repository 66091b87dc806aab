#!/usr/bin/env bash
# Builds Vistra and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build
exec ./build/vistra
