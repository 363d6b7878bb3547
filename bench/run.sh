#!/usr/bin/env bash
# Benchmarks against a bare WebKitGTK window (figures, not pass/fail):
#  1. start-up: a packaged small app until its page has loaded and set its
#     title, against the bare window loading the same page from memory;
#     alternating runs, medians, one ratio;
#  2. bridge round trips: zel.hello() per second, sequential and with 64 in
#     flight, against the same JSON over a bare script message handler.
# Usage: bench/run.sh [runs]   (needs a linux build; runs under Xvfb)
set -euo pipefail
runs=${1:-15}
source "$(dirname "$0")/display.sh"

mkdir -p "$work/startup/app"
cp "$here/pages/startup.html" "$work/startup/app/index.html"
printf '[App]\nID=bench.startup\nName=bench\nDirName=app\nDynamicAppTitle=1\nAllowInstances=1\n' \
  >"$work/startup/zel.ini"
"$build/bin/zelpack" "$work/startup" -o "$work/startup.bin"
"$build/bin/startup_bench" 1 bench-ready -- "$work/startup.bin" -- \
  "$build/bin/bare_webkit" startup "$here/pages/startup.html" >/dev/null  # warm-up
echo "== start-up until the page set its title (A: packaged app, B: bare WebKitGTK)"
"$build/bin/startup_bench" "$runs" bench-ready -- "$work/startup.bin" -- \
  "$build/bin/bare_webkit" startup "$here/pages/startup.html" | tail -n 1

mkdir -p "$work/rt/app"
cp "$here/pages/roundtrip-zel.html" "$work/rt/app/index.html"
printf '[App]\nID=bench.rt\nName=bench\nDirName=app\n' >"$work/rt/zel.ini"
printf 'window.report = (n, v) => zel.files.writeTextFile({filePath: "%s/" + n + ".json", contents: JSON.stringify(v)});' \
  "$work" >"$work/rt/zel-webviewjs"
"$build/bin/zelpack" "$work/rt" -o "$work/rt.bin"
"$work/rt.bin" & app=$!
for _ in $(seq 600); do [ -f "$work/roundtrip.json" ] && break; sleep 0.1; done
kill $app 2>/dev/null || true
zel=$(sed 's/^\xef\xbb\xbf//' "$work/roundtrip.json")
bare=$(timeout 60 "$build/bin/bare_webkit" roundtrip "$here/pages/roundtrip-bare.html")
echo "== zel.hello() round trips per second"
/usr/bin/python3 - "$zel" "$bare" <<'PY'
import json, sys
z, b = json.loads(sys.argv[1]), json.loads(sys.argv[2])
for k in ("sequential", "parallel"):
    print("%-10s zel %8.0f/s  bare %8.0f/s  time ratio zel/bare %.2f" % (k, z[k], b[k], b[k] / z[k]))
PY
