#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each for the given number of
# seconds (default 30) over a working copy of the committed seed corpus.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
for name in archive ini bridge; do
  target=build/fuzz/bin/zel_fuzz_${name^}
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$work" "tests/fuzz/corpus/$name" 2>&1 | tail -n 4
done
