"""Helpers for the end-to-end tests: pack a test application, run the real
host under the virtual display, read what its pages report, find its
windows and drive them as a person would (xdotool, the accessibility tree).
"""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("ZEL_BUILD_DIR", os.path.join(ROOT, "build", "linux"))
ZEL = os.path.join(BUILD, "bin", "zel")
ZELPACK = os.path.join(BUILD, "bin", "zelpack")
ARTIFACTS = os.environ.get("ZEL_E2E_ARTIFACTS", os.path.join(BUILD, "e2e-artifacts"))
# A host built with the address sanitizer: the path of its runtime library.
# The host's children (WebKit's web processes load the runtime library as an
# extension) need it preloaded, and its reports go to files the test reads,
# since the host's own output is not kept.
SANITIZER = os.environ.get("ZEL_E2E_ASAN_RUNTIME")

# The page-side helper every test page can use: report(name, value) writes
# a JSON report through the bridge; it is defined before the page's scripts.
REPORT_SCRIPT = """
window.report = function (name, value) {
  return zel.files.writeTextFile({filePath: %(dir)s + name + ".json",
                                  contents: JSON.stringify(value)});
};
"""


def wait_for(predicate, timeout=20.0, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(interval)


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def private_bus_env(socket):
    """The environment of a private bus daemon. What it starts on demand (an
    accessibility bus for a host on it) keeps its sockets in a folder of its
    own: the accessibility bus names its socket after the display only, so
    in the shared folder it would replace, and on exit remove, the socket of
    the accessibility bus that the tests read."""
    runtime = socket + ".run"
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    return dict(os.environ, XDG_RUNTIME_DIR=runtime, XDG_CACHE_HOME=runtime)


def start_private_bus(folder):
    """Starts a private D-Bus daemon with a socket in `folder`; returns its
    address and the process. Its permissive session policy serves as a
    stand-in system bus too."""
    socket = os.path.join(folder, "bus-%d" % time.monotonic_ns())
    p = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                          "--address=unix:path=" + socket, "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                         env=private_bus_env(socket))
    address = p.stdout.readline().strip()
    p.stdout.close()
    if not address:
        p.kill()
        raise AssertionError("no private D-Bus daemon")
    return address, p


FAKE_SERVICE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fake_dbus_service.py")


def start_fake_service(address, name, path, interface_xml, log):
    """Runs fake_dbus_service.py on the bus at `address`: it owns `name`,
    answers every method of `interface_xml` at `path` with empty results and
    writes each call to `log` as a JSON line [method, args]. Returns the
    process once the name is owned."""
    ready = log + ".ready"
    p = subprocess.Popen(["/usr/bin/python3", FAKE_SERVICE, address, name, path,
                          interface_xml, log, ready],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: os.path.exists(ready), 10, what="fake service " + name)
    return p


def read_calls(log):
    if not os.path.exists(log):
        return []
    with open(log) as f:
        return [json.loads(line) for line in f if line.strip()]


class ZelTestCase(unittest.TestCase):
    """Each test gets its own folders, so instances of different tests never
    share a lock, a data folder or a report."""

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="zel-e2e-")
        self.reports = os.path.join(self.tmp, "reports") + "/"
        os.makedirs(self.reports)
        self.env = dict(os.environ)
        self.env.update({
            "XDG_DATA_HOME": os.path.join(self.tmp, "data"),
            "XDG_RUNTIME_DIR": os.path.join(self.tmp, "run"),
            "XDG_CONFIG_HOME": os.path.join(self.tmp, "config"),
            "LC_ALL": "C.UTF-8",
        })
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)
        self.processes = []
        # No test may ever reach the machine's system bus.
        address, bus = start_private_bus(self.tmp)
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = address
        self.services = [bus]

    def tearDown(self):
        result = getattr(self._outcome, "result", None)
        problems = (getattr(result, "failures", []) + getattr(result, "errors", [])) if result else []
        if any(test is self or getattr(test, "test_case", None) is self for test, _ in problems):
            self.screenshot("failure")
        for p in self.processes:
            if p.poll() is None:
                p.kill()
                p.wait(10)
        kill_strays(self.tmp)
        for p in reversed(self.services):
            p.kill()
            p.wait(10)
        reports = self.sanitizer_reports()
        shutil.rmtree(self.tmp, ignore_errors=True)
        if reports:
            raise AssertionError("sanitizer reports:\n" + "\n".join(reports))

    # ---- applications ----------------------------------------------------

    def pack(self, ini, files=None, name="app", webviewjs=None, folder_files=None, host=None):
        """Writes a test application folder and packs it; returns its path.
        `ini` is the [App] section as a dict (or the whole text); `files`
        maps names below the application folder to contents."""
        src = os.path.join(self.tmp, name + "-src")
        os.makedirs(src, exist_ok=True)
        if isinstance(ini, dict):
            text = "[App]\n" + "".join("%s=%s\n" % kv for kv in ini.items())
        else:
            text = ini
        with open(os.path.join(src, "zel.ini"), "w") as f:
            f.write(text)
        script = REPORT_SCRIPT % {"dir": json.dumps(self.reports)} + (webviewjs or "")
        with open(os.path.join(src, "zel-webviewjs"), "w") as f:
            f.write(script)
        dirname = ini.get("DirName", "app") if isinstance(ini, dict) else "app"
        for path, content in (files or {}).items():
            self.write(os.path.join(src, dirname, path), content)
        for path, content in (folder_files or {}).items():
            self.write(os.path.join(src, path), content)
        out = os.path.join(self.tmp, name + ".bin")
        result = run([ZELPACK, src, "-o", out] + (["--host", host] if host else []))
        self.assertEqual(result.returncode, 0, result.stderr)
        return out

    @staticmethod
    def write(path, content):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        mode = "wb" if isinstance(content, bytes) else "w"
        with open(path, mode) as f:
            f.write(content)

    def sanitizer_env(self):
        if not SANITIZER:
            return {}
        # Leaks are the unit tests' business: here WebKit's own would drown
        # ours. Short allocation stacks keep the uninstrumented WebKit quick.
        log = "log_path=" + os.path.join(self.tmp, "sanitizer")
        return {"LD_PRELOAD": SANITIZER,
                "ASAN_OPTIONS": "detect_leaks=0:halt_on_error=1:malloc_context_size=8:" + log,
                "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1:" + log}

    def sanitizer_reports(self):
        names = sorted(n for n in os.listdir(self.tmp) if n.startswith("sanitizer."))
        texts = []
        for name in names:
            with open(os.path.join(self.tmp, name), errors="replace") as f:
                texts.append(name + ":\n" + f.read())
        return texts

    def start(self, exe, *args, env=None):
        e = dict(self.env)
        e.update(self.sanitizer_env())
        e.update(env or {})
        p = subprocess.Popen([exe, *args], env=e, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, cwd=self.tmp)
        self.processes.append(p)
        return p

    def exits(self, process, timeout=20):
        """Waits for the process to end and returns its exit code."""
        return process.wait(timeout)

    def report(self, name, timeout=25):
        path = os.path.join(self.reports, name + ".json")
        wait_for(lambda: os.path.exists(path), timeout, what="report " + name)
        with open(path, encoding="utf-8-sig") as f:
            return json.loads(f.read())

    def has_report(self, name):
        return os.path.exists(os.path.join(self.reports, name + ".json"))

    # ---- windows -----------------------------------------------------------

    def windows_of(self, process):
        result = run(["xdotool", "search", "--onlyvisible", "--pid", str(process.pid)])
        return [int(w) for w in result.stdout.split()]

    def window(self, process, timeout=20):
        return wait_for(lambda: (self.windows_of(process) or [None])[-1], timeout,
                        what="a window of pid %d" % process.pid)

    def window_named(self, name, timeout=20):
        def find():
            result = run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name])
            ids = result.stdout.split()
            return int(ids[-1]) if ids else None
        return wait_for(find, timeout, what="window " + name)

    @staticmethod
    def title(window):
        return run(["xdotool", "getwindowname", str(window)]).stdout.strip()

    @staticmethod
    def xprop(window, prop):
        return run(["xprop", "-id", str(window), prop]).stdout.strip()

    @staticmethod
    def geometry(window):
        out = run(["xdotool", "getwindowgeometry", "--shell", str(window)]).stdout
        values = dict(line.split("=") for line in out.split())
        return {k: int(v) for k, v in values.items()}

    @staticmethod
    def close_window(window):
        """The window manager's close button."""
        run(["wmctrl", "-i", "-c", hex(window)])

    @staticmethod
    def key(*keys, window=None):
        cmd = ["xdotool", "key"]
        if window:
            cmd += ["--window", str(window)]
        run(cmd + list(keys))

    @staticmethod
    def type_text(text):
        run(["xdotool", "type", "--delay", "20", text])

    def screenshot(self, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, "%s-%s.png" % (self.id().split(".")[-1], name))
        run(["import", "-window", "root", path])
        return path


def kill_strays(tmp):
    """Ends the host processes that a test started through its apps (second
    instances are not children of the test)."""
    result = run(["pgrep", "-f", tmp])
    for pid in result.stdout.split():
        try:
            os.kill(int(pid), signal.SIGKILL)
        except (ProcessLookupError, ValueError):
            pass


def page(body, script="", head=""):
    return ("<!doctype html><html><head><meta charset='utf-8'>%s</head><body>%s"
            "<script>%s</script></body></html>" % (head, body, script))
