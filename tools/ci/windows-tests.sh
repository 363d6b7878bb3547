#!/usr/bin/env bash
# Builds the Windows host (MinGW-w64) and tests it under Wine:
#  1. the portable unit tests (zel_unit_tests.exe),
#  2. the Windows platform tests (zel_windows_tests.exe: system services,
#     windows, the UI-thread queue, message and file dialogs),
#  3. smoke tests of zel.exe as a person sees it, under Xvfb with openbox:
#     the bare host's error dialog in English and in German, and the
#     single-instance claim held by one process and refused to another,
#  4. the host end to end: a package whose browser loader is the fake
#     runtime, driven by a script of page messages (tests/windows/host_e2e.py).
# Prints "N passed, N failed" at the end; exits non-zero on any failure.
# ZEL_UNIT_TESTS_FILTER may narrow the portable unit tests (a GoogleTest filter).
# --build-only builds the host and prepares the Wine prefix, and runs nothing.
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BIN="$ROOT/build/windows/bin"
export WINEPREFIX="${ZEL_WINEPREFIX:-$ROOT/build/wine-prefix}"
export WINEDEBUG=-all
# No Mono or Gecko installers (the host needs neither), no menu entries, and
# no debugger that would wait for someone after a crash.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"

PASSED=0
FAILED=0
log() { echo "windows-tests: $*" >&2; }
pass() { PASSED=$((PASSED + 1)); echo "PASS: $*"; }
fail() { FAILED=$((FAILED + 1)); echo "FAIL: $*"; }

# The packages (Wine, the virtual display) and the locales (Wine takes the
# user's language from the C library's locale) come from the one list.
install_missing() {
  "$ROOT/tools/ci/install-deps.sh"
}

build() {
  "$ROOT/tools/ci/build-mingw-deps.sh" || return 1
  if [[ ! -f "$ROOT/build/windows/build.ninja" ]]; then
    (cd "$ROOT" && cmake --preset windows >/dev/null) || return 1
  fi
  (cd "$ROOT" && cmake --build --preset windows) || return 1
}

prepare_prefix() {
  [[ -f "$WINEPREFIX/system.reg" ]] && return 0
  log "creating the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
}

# ---- Inside the X display ------------------------------------------------

# $2: an optional GoogleTest filter.
run_gtest() {
  local exe="$1" filter="${2:-*}"
  if timeout 600 wine "$BIN/$exe" --gtest_brief=1 "--gtest_filter=$filter"; then
    pass "$exe"
  else
    fail "$exe"
  fi
}

# Presses Enter in the visible window titled $1 until process $2 ends.
answer_dialog() {
  local title="$1" pid="$2" id
  for _ in $(seq 1 40); do
    kill -0 "$pid" 2>/dev/null || return 0
    for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
      timeout 5 xdotool windowactivate --sync "$id" key --clearmodifiers Return 2>/dev/null
    done
    sleep 0.5
  done
  return 1
}

# The bare host shows its localized error and ends with exit code 0 once the
# dialog is answered. $1: locale, $2: message, $3: button caption.
smoke_bare_host() {
  local locale="$1" message="$2" button="$3" texts pid code
  LANG="$locale" LC_ALL="$locale" wine "$BIN/zel.exe" &
  pid=$!
  texts="$(timeout 60 wine "$BIN/zel_win_dialog_probe.exe" Error 30000)"
  answer_dialog Error "$pid" || kill "$pid" 2>/dev/null
  wait "$pid"
  code=$?
  local what="bare host ($locale)"
  if ! grep -qxF "$(printf 'Static\t%s' "$message")" <<<"$texts"; then
    fail "$what: message \"$message\" not shown; saw: $texts"
  elif ! grep -qxF "$(printf 'Button\t%s' "$button")" <<<"$texts"; then
    fail "$what: button \"$button\" not shown; saw: $texts"
  elif [[ "$code" != 0 ]]; then
    fail "$what: exit code $code"
  else
    pass "$what"
  fi
}

# One process holds an instance name; a second is refused; after the first
# ends the name is free again.
smoke_single_instance() {
  local name="zel-smoke-$$" release="$WINEPREFIX/drive_c/zel-release-$$" out first second third
  out="$(mktemp)"
  rm -f "$release"
  wine "$BIN/zel_win_instance_probe.exe" "$name" 60000 'C:\zel-release-'$$ >"$out" &
  local holder=$!
  for _ in $(seq 1 100); do grep -q . "$out" && break; sleep 0.1; done
  first="$(tr -d '\r' <"$out")"
  second="$(wine "$BIN/zel_win_instance_probe.exe" "$name" 0 | tr -d '\r')"
  touch "$release"
  wait "$holder"
  third="$(wine "$BIN/zel_win_instance_probe.exe" "$name" 0 | tr -d '\r')"
  rm -f "$out" "$release"
  if [[ "$first/$second/$third" == "Created/AlreadyExists/Created" ]]; then
    pass "single instance"
  else
    fail "single instance: $first/$second/$third (want Created/AlreadyExists/Created)"
  fi
}

# Visible top-level windows with exactly this title.
count_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }

# A packaged application (the fake browser runtime as its loader library):
# the first copy opens its window, a second copy ends at once with exit code
# 0, and the second-window command line (AppID and an address) still starts.
smoke_packaged_app() {
  local id="zel.smoke.$$" dir="$ROOT/build/windows-smoke" first="" second="" code
  rm -rf "$dir"
  mkdir -p "$dir/src/app"
  printf '[App]\nID=%s\nName=Zel Smoke\nDirName=app\n' "$id" >"$dir/src/zel.ini"
  echo '<!doctype html><title>smoke</title>' >"$dir/src/app/index.html"
  cp "$ROOT/build/windows/tests/libzelfakeruntime.dll" "$dir/src/WebView2LoaderWin64.dll"
  if ! wine "$BIN/zelpack.exe" "$(winepath -w "$dir/src")" -o "$(winepath -w "$dir/app.exe")" \
    >/dev/null; then
    fail "packaged app: zelpack failed"
    return
  fi
  wine "$dir/app.exe" &
  first=$!
  if ! timeout 60 wine "$BIN/zel_win_dialog_probe.exe" "Zel Smoke" 30000 >/dev/null; then
    fail "packaged app: no main window"
  else
    timeout 60 wine "$dir/app.exe"
    code=$?
    if [[ "$code" != 0 ]] || ! kill -0 "$first" 2>/dev/null || [[ "$(count_windows 'Zel Smoke')" != 1 ]]; then
      fail "packaged app: second copy (exit $code, windows $(count_windows 'Zel Smoke'))"
    else
      wine "$dir/app.exe" "$id" "file:///app/index.html" &
      second=$!
      for _ in $(seq 1 100); do [[ "$(count_windows 'Zel Smoke')" == 2 ]] && break; sleep 0.2; done
      if [[ "$(count_windows 'Zel Smoke')" == 2 ]]; then
        pass "packaged app: single instance and second-window launch"
      else
        fail "packaged app: the second-window launch opened no window"
      fi
    fi
  fi
  # The close handshake needs a page, which the fake runtime has not: end them.
  wineserver -k 2>/dev/null
  wait $first $second 2>/dev/null
  rm -rf "$dir" "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/$id"
}

# Packs an application from $1 (folder) into $2 (exe); the [App] keys follow.
pack_smoke_app() {
  local src="$1" exe="$2"
  shift 2
  mkdir -p "$src/app"
  printf '[App]\n' >"$src/zel.ini"
  printf '%s\n' "$@" >>"$src/zel.ini"
  echo '<!doctype html><title>smoke</title>' >"$src/app/index.html"
  wine "$BIN/zelpack.exe" "$(winepath -w "$src")" -o "$(winepath -w "$exe")" >/dev/null
}

# Clicks the button captioned $2 in the visible window titled $1.
press_button() {
  local id
  id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1)"
  [[ -n "$id" ]] || return 1
  # The dialog's buttons answer to their underlined letter or to Tab/Return;
  # Cancel is the second button, so Tab moves to it.
  if [[ "$2" == second ]]; then
    timeout 5 xdotool windowactivate --sync "$id" key --clearmodifiers Tab Return 2>/dev/null
  else
    timeout 5 xdotool windowactivate --sync "$id" key --clearmodifiers Return 2>/dev/null
  fi
}

# Without a browser runtime (Wine has none, and the package carries no
# loader): EdgeInstaller=0 reports message 6; otherwise the question
# (message 7) appears, and Cancel leads to message 8 with the per-user
# folder gone.
smoke_missing_runtime() {
  local dir="$ROOT/build/windows-smoke-runtime" id="zel.runtime.$$" texts pid data
  data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/$id"
  rm -rf "$dir"
  pack_smoke_app "$dir/off" "$dir/off.exe" "ID=$id" "Name=Zel Runtime" "DirName=app" \
    "EdgeInstaller=0" || { fail "missing runtime: zelpack failed"; return; }
  pack_smoke_app "$dir/on" "$dir/on.exe" "ID=$id" "Name=Zel Runtime" "DirName=app" ||
    { fail "missing runtime: zelpack failed"; return; }

  wine "$dir/off.exe" &
  pid=$!
  texts="$(timeout 60 wine "$BIN/zel_win_dialog_probe.exe" Error 30000)"
  answer_dialog Error "$pid"
  wait "$pid"
  if grep -qF "The Microsoft WebView2 runtime is required to run this application. This application cannot continue" <<<"$texts" && [[ -d "$data" ]]; then
    pass "missing runtime, not offered: message 6, folder kept"
  else
    fail "missing runtime, not offered: saw: $texts"
  fi

  wine "$dir/on.exe" &
  pid=$!
  texts="$(timeout 60 wine "$BIN/zel_win_dialog_probe.exe" Confirm 30000)"
  press_button Confirm second
  local after
  after="$(timeout 60 wine "$BIN/zel_win_dialog_probe.exe" Error 30000)"
  answer_dialog Error "$pid"
  wait "$pid"
  if grep -qF "Do you want to install it now?" <<<"$texts" &&
    grep -qF "This application cannot continue and will be closed now." <<<"$after" &&
    [[ ! -e "$data" ]]; then
    pass "missing runtime, declined: message 7, message 8, folder removed"
  else
    fail "missing runtime, declined: saw: $texts / $after / folder $(ls -d "$data" 2>&1)"
  fi

  # Accepted: the package's installer runs ("runas"; Wine has no elevation
  # prompt), the runtime is still missing, so message 9 and no folder.
  mkdir -p "$dir/inst"
  cp "$BIN/zel_win_fake_installer.exe" "$dir/inst/WebView2Installer.exe"
  pack_smoke_app "$dir/inst" "$dir/inst.exe" "ID=$id" "Name=Zel Runtime" "DirName=app" ||
    { fail "missing runtime: zelpack failed"; return; }
  local log="$dir/installer.log"
  ZEL_FAKE_INSTALLER_LOG="$(winepath -w "$log")" ZEL_FAKE_INSTALLER_MS=3000 wine "$dir/inst.exe" &
  pid=$!
  timeout 60 wine "$BIN/zel_win_dialog_probe.exe" Confirm 30000 >/dev/null
  press_button Confirm first
  if timeout 30 wine "$BIN/zel_win_dialog_probe.exe" EdgeInstallerForm 20000 >/dev/null; then
    sleep 0.5
    import -window root "$ROOT/build/windows/progress-smoke.png" 2>/dev/null
  fi
  after="$(timeout 60 wine "$BIN/zel_win_dialog_probe.exe" Error 30000)"
  answer_dialog Error "$pid"
  wait "$pid"
  if grep -qF "You cancel the installation" <<<"$after" && [[ ! -e "$data" ]] &&
    tr -d '\r' <"$log" 2>/dev/null | grep -qx '/silent /install'; then
    pass "missing runtime, accepted: installer ran with /silent /install, message 9, folder removed"
  else
    fail "missing runtime, accepted: saw: $after / log $(cat "$log" 2>&1) / folder $(ls -d "$data" 2>&1)"
  fi
  rm -rf "$dir" "$data"
}

# With the fake runtime as loader (it reports a version) the password prompt
# appears; typing the password closes it and the main window opens.
smoke_password() {
  local dir="$ROOT/build/windows-smoke-password" id="zel.password.$$" pid prompt
  rm -rf "$dir"
  mkdir -p "$dir/src"
  cp "$ROOT/build/windows/tests/libzelfakeruntime.dll" "$dir/src/WebView2LoaderWin64.dll"
  pack_smoke_app "$dir/src" "$dir/app.exe" "ID=$id" "Name=Zel Password" "DirName=app" \
    "Password=Se cret" || { fail "password: zelpack failed"; return; }
  wine "$dir/app.exe" &
  pid=$!
  for _ in $(seq 1 100); do
    prompt="$(xdotool search --onlyvisible --name '^Zel Password$' 2>/dev/null | tail -1)"
    [[ -n "$prompt" ]] && break
    sleep 0.3
  done
  if [[ -z "$prompt" ]]; then
    fail "password: no prompt"
  else
    sleep 0.5
    import -window root "$ROOT/build/windows/password-prompt.png" 2>/dev/null
    timeout 10 xdotool windowactivate --sync "$prompt" type --delay 50 "se cret" 2>/dev/null
    timeout 5 xdotool key Escape Return 2>/dev/null
    sleep 1
    local stayed
    stayed="$(count_windows 'Zel Password')"
    timeout 10 xdotool key ctrl+a BackSpace 2>/dev/null
    timeout 10 xdotool type --delay 50 "Se cret" 2>/dev/null
    # The prompt closes; the main window (same title) follows.
    local main=""
    for _ in $(seq 1 100); do
      main="$(xdotool search --onlyvisible --name '^Zel Password$' 2>/dev/null | grep -vx "$prompt" | tail -1)"
      [[ -n "$main" ]] && ! xdotool search --onlyvisible --name '^Zel Password$' | grep -qx "$prompt" && break
      main=""
      sleep 0.3
    done
    if [[ "$stayed" == 1 && -n "$main" ]] && kill -0 "$pid" 2>/dev/null; then
      import -window root "$ROOT/build/windows/password-smoke.png" 2>/dev/null
      pass "password: wrong text stays, right text opens"
    else
      fail "password: stayed=$stayed"
    fi
  fi
  wineserver -k 2>/dev/null
  wait "$pid" 2>/dev/null
  rm -rf "$dir" "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/$id"
}

# Start-up to the page, bridge functions of several groups, the main window
# and its menu bar as X11 sees them, and the close handshake.
host_end_to_end() {
  local out
  out="$(mktemp)"
  timeout 300 /usr/bin/python3 "$ROOT/tests/windows/host_e2e.py" "$ROOT/build/windows" >"$out" 2>&1
  local code=$?
  cat "$out" >&2
  if [[ "$code" == 0 ]]; then
    pass "host end to end ($(grep -c '^PASS' "$out") checks)"
  else
    fail "host end to end: $(grep '^FAIL' "$out" | tr '\n' ';')"
  fi
  rm -f "$out"
  wineserver -k 2>/dev/null
}

# Wine builds the adapter list from the Linux interfaces that its device
# processes see: a fresh wineserver inside a network namespace sees a veth of
# known address (and an IPv4 address, as adapters without one may be left out).
adapters_in_namespace() {
  if [[ $(id -u) != 0 ]] || ! command -v unshare >/dev/null || ! command -v ip >/dev/null; then
    log "skipping the adapter list in a network namespace: needs root, unshare and ip"
    return
  fi
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  if unshare -n -m sh -c '
      ip link add zelveth0 address 00:1a:2b:3c:4d:5e type veth peer name zelveth1 &&
      ip addr add 10.77.0.1/24 dev zelveth0 && ip link set zelveth0 up &&
      mount -t sysfs sysfs /sys || exit 1
      ZEL_TEST_EXPECT_MAC=E,00:1a:2b:3c:4d:5e wine "$1" --gtest_filter="WinMac*"
      rc=$?
      wineserver -k 2>/dev/null
      exit $rc' sh "$BIN/zel_windows_tests.exe" >/dev/null 2>&1; then
    pass "adapter list in a network namespace"
  else
    fail "adapter list in a network namespace"
  fi
}

inside_display() {
  openbox >/dev/null 2>&1 &
  local wm=$!
  sleep 1
  run_gtest zel_unit_tests.exe "${ZEL_UNIT_TESTS_FILTER:-*}"
  run_gtest zel_windows_tests.exe
  smoke_bare_host C.UTF-8 "This is not a valid Windows application." "Accept"
  smoke_bare_host de_DE.UTF-8 "Dies ist keine gültige Windows-Anwendung." "Akzeptieren"
  smoke_single_instance
  smoke_packaged_app
  smoke_missing_runtime
  smoke_password
  host_end_to_end
  adapters_in_namespace
  wineserver -k 2>/dev/null
  kill "$wm" 2>/dev/null
  echo "$PASSED passed, $FAILED failed"
  [[ "$FAILED" == 0 ]]
}

main() {
  if [[ "${1:-}" == "--inside-display" ]]; then
    inside_display
    return
  fi
  local start=$SECONDS
  install_missing
  build || { echo "0 passed, 1 failed"; return 1; }
  log "build ready after $((SECONDS - start)) s"
  prepare_prefix
  [[ "${1:-}" == "--build-only" ]] && return 0
  xvfb-run -a -s "-screen 0 1280x800x24" "$0" --inside-display
  local rc=$?
  log "done after $((SECONDS - start)) s"
  return "$rc"
}

main "$@"
