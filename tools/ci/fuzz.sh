#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each over a working copy of its
# committed seed corpus (tests/fuzz/corpus/<name in lower case>) for the
# given number of seconds (default 10), as many at a time as there are
# cores; any finding fails the step. --build-only stops after the build.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
[[ "${1:-}" == "--build-only" ]] && exit 0
seconds=${1:-10}

fuzz_one() {
  local target=$1 seconds=$2 name rc=0
  name=${target##*/zel_fuzz_}
  name=${name,,}
  mkdir -p "build/fuzz/corpus/$name"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "build/fuzz/corpus/$name" "tests/fuzz/corpus/$name" >"build/fuzz/$name.log" 2>&1 || rc=$?
  # One block per target, whole, however the runs interleave; a finding's
  # report in full.
  { echo "fuzzed $name for ${seconds}s (exit $rc)"; tail -n "$((rc ? 60 : 4))" "build/fuzz/$name.log"; } |
    flock build/fuzz -c cat
  return $((rc != 0))
}
export -f fuzz_one
printf '%s\n' build/fuzz/bin/zel_fuzz_* | xargs -P "$(nproc)" -I{} bash -c 'fuzz_one "$1" "$2"' _ {} "$seconds"
