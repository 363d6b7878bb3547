#!/usr/bin/env bash
# Installs what is missing, builds the host, packs the demo application and
# runs it. Without a display it runs under a virtual one and saves a
# screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ci/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target zel zelpack
build/linux/bin/zelpack examples/demo -o build/linux/zel-demo
echo "Packed build/linux/zel-demo"
if [ -n "${DISPLAY:-}" ]; then
  exec build/linux/zel-demo
fi
echo "No display: running under Xvfb for 8 seconds; screenshot in build/linux/zel-demo.png"
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash -c '
  openbox & sleep 1
  build/linux/zel-demo & app=$!
  sleep 7
  import -window root build/linux/zel-demo.png
  kill $app' 2>/dev/null || true
