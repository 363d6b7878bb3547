# Sourced by the benchmark scripts, before anything else runs: starts the
# caller again under a virtual display with its own session bus, then gives
# it openbox and a scratch folder ($work, removed at exit) holding the user's
# data and runtime folders. Sets $here and $build.
here=$(cd "$(dirname "$0")" && pwd)
build=${ZEL_BUILD_DIR:-$here/../build/linux}
if [ -z "${ZEL_BENCH_INNER:-}" ]; then
  export ZEL_BENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$@"
fi
openbox >/dev/null 2>&1 & sleep 0.5
work=$(mktemp -d)
trap 'rm -rf "$work"; kill %1 2>/dev/null || true' EXIT
export XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
