#!/usr/bin/env bash
# Fuzzes one reader with clang's libFuzzer (ASan and UBSan on):
#   scripts/fuzz.sh TARGET SECONDS     e.g. scripts/fuzz.sh series_info 300
#   scripts/fuzz.sh list               the targets (tests/fuzz/*_fuzz.cpp)
# Builds into build-fuzz/ (apart from the normal build), starts from the
# committed seeds in tests/fuzz/corpus/TARGET/ and keeps what it finds in
# build-fuzz/corpus/TARGET/. An input that breaks the reader is written to
# build-fuzz/artifacts/TARGET/; once the fault is mended, commit it under
# tests/fuzz/regressions/TARGET/ so the unit tests replay it for good.
set -euo pipefail
cd "$(dirname "$0")/.."

targets() { for f in tests/fuzz/*_fuzz.cpp; do basename "$f" _fuzz.cpp; done; }
if [ "${1:-}" = "list" ]; then targets; exit 0; fi
TARGET=${1:?usage: scripts/fuzz.sh TARGET SECONDS (scripts/fuzz.sh list names the targets)}
RUN_SECONDS=${2:-60}
if [ ! -f "tests/fuzz/${TARGET}_fuzz.cpp" ]; then
  echo "no fuzz target '$TARGET'; the targets are:" >&2
  targets >&2
  exit 2
fi

# clang and its fuzzing runtime come with the other dependencies.
scripts/install-deps.sh

BUILD=build-fuzz
cmake -S . -B "$BUILD" -G Ninja -DVISTRA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2 --target "fuzz_$TARGET"

WORK="$BUILD/corpus/$TARGET"
ARTIFACTS="$BUILD/artifacts/$TARGET"
mkdir -p "$WORK" "$ARTIFACTS"
# -timeout: any one input taking seconds is a fault too (the readers are
# linear in their input). Leak checks stay on.
exec "$BUILD/tests/fuzz/fuzz_$TARGET" -max_total_time="$RUN_SECONDS" -timeout=5 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" "$WORK" "tests/fuzz/corpus/$TARGET"
