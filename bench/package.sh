#!/usr/bin/env bash
# Benchmarks of large packages (figures, not pass/fail):
#  1. start-up until the page set its title, a 1 MB package against a 200 MB
#     one (same page; the rest is incompressible filler), with the host's
#     resident memory at that moment; then `zelpack run` on the 1 MB
#     package's folder (packing included) against its packed copy;
#  2. a 20 MB asset fetched by the page from the package, against the same
#     bytes served from memory by a bare WebKitGTK custom scheme (median of
#     nine whole fetches each).
# Usage: bench/package.sh [runs]   (needs a linux build; runs under Xvfb)
set -euo pipefail
runs=${1:-11}
source "$(dirname "$0")/display.sh"

# The same page and settings, with filler of the given size in MB.
pack() {
  local name=$1 mb=$2
  mkdir -p "$work/$name/app"
  cp "$here/pages/startup.html" "$work/$name/app/index.html"
  head -c $((mb * 1024 * 1024)) /dev/urandom >"$work/$name/app/filler.bin"
  printf '[App]\nID=bench.%s\nName=bench\nDirName=app\nDynamicAppTitle=1\nAllowInstances=1\n' \
    "$name" >"$work/$name/zel.ini"
  "$build/bin/zelpack" "$work/$name" -o "$work/$name.bin" >/dev/null
}
pack small 1
pack large 200
# Both packages read once, so both runs start with a warm page cache.
cat "$work/small.bin" "$work/large.bin" >/dev/null
"$build/bin/startup_bench" 1 bench-ready -- "$work/small.bin" -- "$work/large.bin" >/dev/null
echo "== start-up until the page set its title (A: 1 MB package, B: 200 MB package)"
"$build/bin/startup_bench" "$runs" bench-ready -- "$work/small.bin" -- "$work/large.bin" | tail -n 1

echo "== start-up until the page set its title (A: zelpack run on the folder, B: the packed copy)"
"$build/bin/startup_bench" "$runs" bench-ready -- "$build/bin/zelpack" run "$work/small" \
  -- "$work/small.bin" | tail -n 1

mkdir -p "$work/asset/app"
cp "$here/pages/asset.html" "$work/asset/app/index.html"
head -c $((20 * 1024 * 1024)) /dev/urandom >"$work/asset/app/asset.bin"
printf '[App]\nID=bench.asset\nName=bench\nDirName=app\n' >"$work/asset/zel.ini"
printf 'window.report = (n, v) => zel.files.writeTextFile({filePath: "%s/" + n + ".json", contents: JSON.stringify(v)});' \
  "$work" >"$work/asset/zel-webviewjs"
"$build/bin/zelpack" "$work/asset" -o "$work/asset.bin" >/dev/null
cat "$work/asset.bin" >/dev/null
"$work/asset.bin" & app=$!
for _ in $(seq 600); do [ -f "$work/asset.json" ] && break; sleep 0.1; done
kill $app 2>/dev/null || true
zel=$(sed 's/^\xef\xbb\xbf//' "$work/asset.json")
bare=$(timeout 120 "$build/bin/bare_webkit" asset "$here/pages/asset.html" "$work/asset/app/asset.bin")
echo "== a 20 MB asset fetched whole by the page (median of 9)"
/usr/bin/python3 - "$zel" "$bare" <<'PY'
import json, sys
z, b = json.loads(sys.argv[1]), json.loads(sys.argv[2])
print("package %.1f ms  bare from memory %.1f ms  ratio %.2f  (bytes %d / %d)"
      % (z["median"], b["median"], z["median"] / b["median"], z["size"], b["size"]))
PY
