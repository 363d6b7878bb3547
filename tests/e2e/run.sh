#!/usr/bin/env bash
# Runs the end-to-end tests under a virtual display with a window manager
# and a private session bus. Arguments go to unittest (e.g. a test name).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${ZEL_E2E_INNER:-}" ]; then
  export ZEL_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$@"
fi
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true' EXIT
sleep 0.5
cd "$here"
# The system interpreter has the GObject bindings for the accessibility tree.
/usr/bin/python3 -m unittest ${@:-discover -s . -p 'test_*.py'} -v
