#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the Linux
# unit tests, the browser runtime and end-to-end tests under a virtual
# display, the same under the sanitizers (unit, runtime and the bridge's
# end-to-end tests under ASan and UBSan; ThreadSanitizer on request), short
# fuzzing runs, and the Windows build with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ci/install-deps.sh
jobs=$(nproc)

step() { printf '\n==== %s ====\n' "$*"; }

step "Linux build"
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs"

# The Windows cross build and the fuzzers' build take only what the Linux
# tests leave idle: those wait on the browser and the display much of the time.
background() {
  local log=$1
  shift
  # Its own process group (same session), so that it can be ended whole.
  set -m
  chrt --idle 0 nice -n 19 "$@" >"$log" 2>&1 &
  set +m
}
finish() {
  local pid=$1 log=$2
  if ! wait "$pid"; then
    cat "$log"
    echo "failed: see above" >&2
    exit 1
  fi
  tail -n 3 "$log"
}
mkdir -p build
# A failing step ends the run: the builds behind it go too.
trap 'for job in $(jobs -p); do kill -- -"$job" 2>/dev/null || true; done' EXIT
background build/windows-build.log tools/ci/windows-tests.sh --build-only
windows_build=$!
background build/fuzz-build.log tools/ci/fuzz.sh --build-only
fuzz_build=$!

step "Linux tests (unit, runtime, end to end)"
ctest --preset linux -j 1

step "Unit and runtime tests under ASan and UBSan"
cmake --preset linux-asan >/dev/null
cmake --build --preset linux-asan -j "$jobs" --target zel_unit_tests zel zelpack zelwebkit zel_runtime_tests
ASAN_OPTIONS=detect_leaks=1 build/linux-asan/bin/zel_unit_tests --gtest_brief=1
ctest --test-dir build/linux-asan -R zel_runtime_tests --output-on-failure

step "End-to-end tests of the bridge under ASan and UBSan"
# One module that crosses every layer, page to handler and back: the whole
# suite under the sanitizers takes too long for every run.
ZEL_BUILD_DIR="$PWD/build/linux-asan" ZEL_E2E_ASAN_RUNTIME="$(gcc -print-file-name=libasan.so)" \
  tests/e2e/run.sh test_bridge

if [[ -n "${ZEL_TSAN:-}${ZEL_TSAN_RUNTIME:-}" ]]; then
  # A third full build of the code: on request (the unit and runtime tests
  # are clean under it; ZEL_TSAN=1 runs the unit tests, ZEL_TSAN_RUNTIME=1
  # the runtime tests too), so that every run stays well under half an hour.
  step "Tests under ThreadSanitizer"
  cmake --preset linux-tsan >/dev/null
  tsan_targets=(zel_unit_tests)
  [[ -n "${ZEL_TSAN_RUNTIME:-}" ]] && tsan_targets+=(zel_runtime_tests)
  cmake --build --preset linux-tsan -j "$jobs" --target "${tsan_targets[@]}"
  TSAN_OPTIONS=halt_on_error=1 build/linux-tsan/bin/zel_unit_tests --gtest_brief=1
  if [[ -n "${ZEL_TSAN_RUNTIME:-}" ]]; then
    ctest --test-dir build/linux-tsan -R zel_runtime_tests --output-on-failure
  fi
fi

step "Fuzzing (short runs over the committed corpus)"
finish "$fuzz_build" build/fuzz-build.log
tools/ci/fuzz.sh 6

step "Windows build and tests under Wine"
finish "$windows_build" build/windows-build.log
tools/ci/windows-tests.sh

step "All tests passed"
