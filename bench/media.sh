#!/usr/bin/env bash
# Media benchmark (figures, not pass/fail): a packaged application seeks a
# 100 MB WebM to 90 % of its length; prints the time until `seeked` for the
# first seek after the metadata and the median of later 10 % -> 90 % seeks,
# over several runs of the application; the same for a bare WebKitGTK
# window that plays the file from disk (file:), the engine's own best case.
# Usage: bench/media.sh [runs]   (needs a linux build and gst-launch-1.0)
set -euo pipefail
runs=${1:-5}
source "$(dirname "$0")/display.sh"

# 60 s of noise, nearly uncompressed: about 100 MB, a key frame every second.
mkdir -p "$work/app/app/media"
gst-launch-1.0 -q videotestsrc pattern=snow num-buffers=1500 \
  ! video/x-raw,width=320,height=240,framerate=25/1 \
  ! vp8enc deadline=1 end-usage=cq cq-level=0 min-quantizer=0 max-quantizer=0 \
    keyframe-max-dist=25 threads=2 \
  ! webmmux ! filesink location="$work/app/app/media/big.webm"
echo "video: $(stat -c %s "$work/app/app/media/big.webm") bytes"
cp "$here/pages/seek.html" "$work/app/app/index.html"
printf '[App]\nID=bench.media\nName=bench\nDirName=app\nAllowInstances=1\n' >"$work/app/zel.ini"
printf 'window.report = (n, v) => zel.files.writeTextFile({filePath: "%s/" + n + ".json", contents: JSON.stringify(v)});' \
  "$work" >"$work/app/zel-webviewjs"
"$build/bin/zelpack" "$work/app" -o "$work/media.bin"
echo "package: $(stat -c %s "$work/media.bin") bytes"

results=()
bare=()
for i in $(seq "$runs"); do
  bare+=("$(timeout 120 "$build/bin/bare_webkit" file "$work/app/app/index.html" || echo '{"error": "no report"}')")
  rm -f "$work/seek.json"
  "$work/media.bin" & app=$!
  for _ in $(seq 1200); do [ -f "$work/seek.json" ] && break; sleep 0.1; done
  kill $app 2>/dev/null || true
  wait $app 2>/dev/null || true
  results+=("$(sed 's/^\xef\xbb\xbf//' "$work/seek.json" 2>/dev/null || echo '{"error": "no report"}')")
done
summary() {
/usr/bin/python3 - "$@" <<'PY'
import json, statistics, sys
runs = [json.loads(a) for a in sys.argv[1:]]
bad = [r for r in runs if "error" in r]
if bad:
    print("errors:", bad)
runs = [r for r in runs if "error" not in r]
if runs:
    first = [r["first"]["ms"] for r in runs]
    later = [s["ms"] for r in runs for s in r["later"]]
    off = max(abs(s["time"] - s["target"]) for r in runs for s in [r["first"]] + r["later"])
    print("duration %.1f s; runs %d" % (runs[0]["duration"], len(runs)))
    print("first seek after metadata: median %.1f ms (min %.1f, max %.1f)"
          % (statistics.median(first), min(first), max(first)))
    print("later 10 %% -> 90 %% seeks: median %.1f ms (min %.1f, max %.1f)"
          % (statistics.median(later), min(later), max(later)))
    print("largest distance from the target: %.3f s" % off)
PY
}
echo "== A: the packaged application, seeking to 90 % until seeked"
summary "${results[@]}"
echo "== B: bare WebKitGTK, the same video from disk (file:)"
summary "${bare[@]}"
