#!/usr/bin/env bash
# Registry benchmark (figures, not pass/fail): writeValue + readValue round
# trips per second from one page, writes per second of 8 instances of one
# application writing 300 values each at once into the one per-user store,
# and the store alone, without a page.
# Usage: bench/registry.sh   (needs a linux build; runs under Xvfb)
set -euo pipefail
source "$(dirname "$0")/display.sh"
export XDG_CONFIG_HOME=$work/config

# $1: name, $2: the page's start (index.html or a copy that runs the load).
pack() {
  mkdir -p "$work/$1/app"
  cp "$here/pages/registry.html" "$work/$1/app/index.html"
  printf '[App]\nID=bench.%s\nName=bench\nDirName=app\nAllowInstances=1\n' "$1" >"$work/$1/zel.ini"
  printf 'window.report = (n, v) => zel.files.writeTextFile({filePath: "%s/" + n + ".json", contents: JSON.stringify(v)});%s' \
    "$work" "$2" >"$work/$1/zel-webviewjs"
  "$build/bin/zelpack" "$work/$1" -o "$work/$1.bin" >/dev/null
}
wait_files() {  # $1: glob, $2: count
  for _ in $(seq 1200); do
    [ "$(ls $work/$1 2>/dev/null | wc -l)" -ge "$2" ] && return 0
    sleep 0.1
  done
  echo "timed out waiting for $1" >&2; return 1
}

pack single ""
"$work/single.bin" & app=$!
wait_files single.json 1
kill $app 2>/dev/null || true
# The load page is the same page with a query-free switch: the hash.
pack load 'if (!location.hash) history.replaceState(null, "", "#load");'
pids=()
for _ in $(seq 8); do "$work/load.bin" & pids+=($!); done
wait_files 'load-*.json' 8
kill "${pids[@]}" 2>/dev/null || true
echo "== registry (per-user SQLite store at \$XDG_CONFIG_HOME/zel/registry.sqlite)"
"$build/bin/registry_store_bench" "$work/store" 3
/usr/bin/python3 - "$work" <<'PY'
import glob, json, sys
work = sys.argv[1]
def load(p):
    with open(p, encoding="utf-8-sig") as f:
        return json.load(f)
s = load(work + "/single.json")
print("one page:    %6.0f writeValue+readValue round trips/s" % (s["roundTrips"] / s["seconds"]))
loads = [load(p) for p in glob.glob(work + "/load-*.json")]
writes = sum(l["writes"] for l in loads)
span = (max(l["end"] for l in loads) - min(l["start"] for l in loads)) / 1000
each = sum(l["writes"] / ((l["end"] - l["start"]) / 1000) for l in loads) / len(loads)
print("8 instances: %6.0f writes/s together (%d writes in %.2f s), %.0f writes/s per instance"
      % (writes / span, writes, span, each))
PY
