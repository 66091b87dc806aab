#!/usr/bin/env bash
# Builds everything and runs the whole test suite (unit, integration, e2e).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build
ctest --test-dir build --output-on-failure -j2 "$@"
