#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each over a working copy of its
# committed seed corpus (tests/fuzz/corpus/<name in lower case>) for the
# given number of seconds (default 10); any finding fails the step.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-10}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
for target in build/fuzz/bin/zel_fuzz_*; do
  name=${target##*/zel_fuzz_}
  name=${name,,}
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$work" "tests/fuzz/corpus/$name" 2>&1 | tail -n 4
done
