#!/usr/bin/python3
"""The Windows host end to end under Wine, inside an X display with a window
manager: a package whose browser loader is the fake runtime (which drives
itself from a script, see tests/fakeruntime/FakeDriver.h) starts, shows its
page from the package, answers bridge requests through the real dispatcher,
and its main window is read back with X11 tools. Then the close handshake.

Usage: host_e2e.py BUILD_DIR (the Windows build); prints PASS/FAIL lines and
exits non-zero on any failure."""

import json
import os
import pwd
import re
import shutil
import subprocess
import sys
import time

BUILD = os.path.abspath(sys.argv[1])
WORK = os.path.join(BUILD, "host-e2e")
APP_ID = "zel.e2e.%d" % os.getpid()
TITLE = "Zel E2E \u2013 Fenster \u00fc \"quoted\""
PAGE = '<!doctype html><title>E2E start page</title><p id="x">served from the package</p>\n'
SECOND_PAGE = "<!doctype html><title>Second</title>\n"
MENU = [{"id": 1, "caption": "&File", "items": [
    {"id": 7, "caption": "&Open"}, {"id": 8, "caption": "-"}, {"id": 9, "caption": "E&xit"}]},
    {"id": 2, "caption": "&Help", "items": [{"id": 21, "caption": "&About"}]}]

failures = []
START = time.time()


def check(what, ok, detail=""):
    print("%s: host e2e: %s%s [%.1f s]" % ("PASS" if ok else "FAIL", what,
                                          "" if ok else " (%s)" % (detail,), time.time() - START),
          flush=True)
    if not ok:
        failures.append(what)
    return ok


WORK_WIN = None


def winpath(path):
    """The Windows name of a path below WORK (one winepath call, which starts Wine)."""
    global WORK_WIN
    if WORK_WIN is None:
        WORK_WIN = subprocess.run(["winepath", "-w", WORK], capture_output=True, text=True,
                                  check=True).stdout.strip()
    rel = os.path.relpath(path, WORK)
    return WORK_WIN if rel == "." else WORK_WIN + "\\" + rel.replace("/", "\\")


def run(*args):
    return subprocess.run(list(args), capture_output=True, text=True).stdout


class TLog:
    def __init__(self, path):
        self.path = path

    def lines(self):
        try:
            with open(self.path, encoding="utf-8", errors="replace") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def wait(self, line, timeout=60, proc=None):
        end = time.time() + timeout
        while time.time() < end:
            if line in self.lines():
                return True
            if proc is not None and proc.poll() is not None:
                return False
            time.sleep(0.1)
        return False

    def replies(self):
        out = {}
        for line in self.lines():
            if line.startswith("PostWebMessageAsJson "):
                reply = json.loads(line[len("PostWebMessageAsJson "):])
                out[reply["uuid"]] = (reply["success"], reply["result"])
        return out


def request(uuid, fid, data):
    return json.dumps({"id": fid, "uuid": uuid, "data": data}, ensure_ascii=False)


def phases(out_file, out_dir):
    """The page's messages in three phases; the test looks at the window
    between them."""
    reg = "Software\\ZelE2E\\Sub"
    return [[
        ("hello", 10001, {}), ("isRuntime", 10002, {}),
        ("write", 30003, {"filePath": out_file, "contents": "Gr\u00fc\u00dfe\nline 2"}),
        ("exists", 30001, {"filePath": out_file}),
        ("list", 40004, {"dirPath": out_dir, "fileMask": "*.txt", "allDirs": False}),
        ("regWrite", 13001, {"key": reg, "name": "Greeting", "value": "hi \u00fc"}),
        ("regRead", 13002, {"key": reg, "name": "Greeting"}),
        ("regValueExist", 13003, {"key": reg, "name": "Greeting"}),
        ("setTitle", 60006, {"title": TITLE}), ("getTitle", 60005, {}),
        ("setSize", 60010, {"top": 60, "left": 90, "width": 640, "height": 480}),
        ("getSize", 60009, {}),
        ("setBorderNone", 60012, {"border": "none"}), ("getBorderNone", 60011, {}),
        ("setZoom", 60008, {"factor": 1.5}), ("getZoom", 60007, {}),
        ("exeDir", 40008, {}),
        ("unknownId", 10003, {}),
    ], [
        ("delete", 30002, {"filePath": out_file}), ("gone", 30001, {"filePath": out_file}),
        ("regDeleteKey", 13006, {"key": "Software\\ZelE2E"}),
        ("regKeyGone", 13005, {"key": reg}), ("regNoKey", 13005, {}),
        ("setBorderSingle", 60012, {"border": "single"}), ("getBorderSingle", 60011, {}),
        # The following messages come from the second page.
        ("navigate", 50006, {"url": "file:///second.html"}),
    ], [
        # Malformed messages get no answer; a uuid with quotes comes back
        # whole; a size beyond the desktop is cut to it.
        "[1, 2]", '{"id": 10001, "uuid": "noData"}', '{"id": "5x", "uuid": "badId", "data": {}}',
        ('q"uote\\', 60005, {}),
        ("huge", 60010, {"width": 30000, "height": "99999999999999999999999"}),
        ("getSizeHuge", 60009, {}),
        # The window manager has framed the window by now, and keeps it still.
        ("getSizeBefore2", 60009, {}),
        ("setSize2", 60010, {"width": 700, "height": 500}), ("getSize2", 60009, {}),
        ("getTitle2", 60005, {}),
        # A list that does not parse leaves an empty menu bar; a good one fills it.
        ("setItemsBad", 12001, {"items": "[{"}),
        ("setItems", 12001, {"items": json.dumps(MENU)}),
        ("updateItem", 12002, {"id": 9, "caption": "&Quit", "enabled": False}),
    ]]


def script(parts, gates):
    lines = ["# messages of the fake page, one a line"]
    for i, part in enumerate(parts):
        if i > 0:
            lines.append("await " + gates[i - 1])
        lines += [m if isinstance(m, str) else request(*m) for m in part]
    # What the bridge script's default close handler does.
    lines.append("when zel.events.onCloseQuery(); => " + request("close", 50001, {}))
    return "\n".join(lines) + "\n"


EXPECTED_A = {
    "hello": (True, "2025.2"), "isRuntime": (True, True), "write": (True, True),
    "exists": (True, True), "regWrite": (True, True),
    "regRead": (True, "hi \u00fc"), "regValueExist": (True, True),
    "setTitle": (True, True), "getTitle": (True, TITLE), "setSize": (True, True),
    "getSize": (True, {"top": 60, "left": 90, "width": 640, "height": 480}),
    "getBorderNone": (True, "none"), "setZoom": (True, True), "getZoom": (True, "1.5"),
}
EXPECTED_B = {
    "delete": (True, True), "gone": (True, False), "regDeleteKey": (True, True),
    "regKeyGone": (True, False), "regNoKey": (False, "Missing registry key."),
    "getBorderSingle": (True, "single"), "navigate": (True, True),
    "getTitle2": (True, TITLE), "setItems": (True, True),
    "setItemsBad": (False, "Wrong menu items JSON"), "updateItem": (True, True),
    'q"uote\\': (True, TITLE), "huge": (True, True),
}
NO_REPLY = ["setBorderNone", "unknownId", "setBorderSingle", "noData", "badId"]


def check_replies(log, expected):
    replies = log.replies()
    for uuid, want in expected.items():
        check("reply %s" % uuid, replies.get(uuid) == want, "got %r" % (replies.get(uuid),))


def find_window(title, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        ids = run("xdotool", "search", "--onlyvisible", "--name",
                  "^%s$" % re.escape(title)).split()
        if ids:
            return ids[-1]
        time.sleep(0.2)
    return None


def geometry(wid):
    info = run("xwininfo", "-id", wid)
    get = lambda key: int(re.search(key + r":\s+(-?\d+)", info).group(1))
    return (get("Absolute upper-left X"), get("Absolute upper-left Y"),
            get("Width"), get("Height"))


def prop(wid, name):
    return run("xprop", "-id", wid, name).strip()


def frame_extents(wid):
    m = re.search(r"= (\d+), (\d+), (\d+), (\d+)", prop(wid, "_NET_FRAME_EXTENTS"))
    return tuple(int(v) for v in m.groups()) if m else None


def settled(read, good, timeout=5):
    """Reads until good(value) or the time is up: Wine passes window changes on
    to the X server a little later."""
    end = time.time() + timeout
    value = read()
    while not good(value) and time.time() < end:
        time.sleep(0.2)
        value = read()
    return value


def check_window_a(wid):
    want = '_NET_WM_NAME(UTF8_STRING) = "%s"' % TITLE.replace('"', '\\"')
    name = settled(lambda: prop(wid, "_NET_WM_NAME"), lambda v: v == want)
    check("X11 title", name == want, name)
    # Without a border the X window is the whole window, where setSize put it.
    box = settled(lambda: geometry(wid), lambda v: v == (90, 60, 640, 480))
    check("X11 geometry without border", box == (90, 60, 640, 480), box)
    extents = settled(lambda: frame_extents(wid), lambda v: v in (None, (0, 0, 0, 0)))
    check("X11 no decorations", extents in (None, (0, 0, 0, 0)), extents)


def fixed_size(wid):
    """The window's size when the window manager may not change it, else None."""
    hints = prop(wid, "WM_NORMAL_HINTS")
    small = re.search(r"minimum size: (\d+) by (\d+)", hints)
    large = re.search(r"maximum size: (\d+) by (\d+)", hints)
    if not small or not large or small.groups() != large.groups():
        return None
    return tuple(int(v) for v in small.groups())


def check_window_b(wid):
    extents = settled(lambda: frame_extents(wid), lambda v: v is not None and v[2] > 0)
    check("X11 frame with border", extents is not None and extents[2] > 0, extents)


def check_window_c(wid):
    # The frame that the window manager draws replaces the window's own
    # caption and edges, so the X window is a little smaller than 700 x 500.
    size = lambda: geometry(wid)[2:]
    w, h = settled(size, lambda v: 600 <= v[0] <= 700 and 400 <= v[1] <= 500)
    check("X11 size after setSize", 600 <= w <= 700 and 400 <= h <= 500, (w, h))
    # A fixed border: the window manager may not resize it.
    fixed = settled(lambda: fixed_size(wid), lambda v: v == (w, h))
    check("X11 fixed size", fixed == (w, h), (fixed, (w, h)))


def click_menu(log, wid):
    """Opens File on the menu bar and picks its first item, with the mouse."""
    run("xdotool", "windowactivate", "--sync", wid)
    time.sleep(0.3)
    run("xdotool", "mousemove", "--window", wid, "13", "10", "click", "1")
    time.sleep(0.7)
    subprocess.run(["import", "-window", "root", os.path.join(BUILD, "host-e2e-menu.png")],
                   capture_output=True)
    run("xdotool", "mousemove", "--window", wid, "24", "32", "click", "1")
    return log.wait('ExecuteScript zel.events.onMainMenuItemClick("7");', timeout=10)


def key_menu(log, wid):
    """Opens Help with its access key and picks its first item: the keys go
    to the browser's control, which has the focus."""
    run("xdotool", "windowactivate", "--sync", wid)
    time.sleep(0.3)
    run("xdotool", "key", "--clearmodifiers", "alt+h")
    time.sleep(0.5)
    run("xdotool", "key", "--clearmodifiers", "Return")
    return log.wait('ExecuteScript zel.events.onMainMenuItemClick("21");', timeout=10)


def menu_shrinks_page(log):
    """The browser's bounds lose height when the menu bar arrives."""
    bounds, mark = [], None
    for line in log.lines():
        if line.startswith("put_Bounds "):
            bounds.append([int(v) for v in line.split()[1].split(",")])
        if line.startswith("send ") and '"id": 12001' in line and mark is None:
            mark = len(bounds)
    return mark is not None and 0 < mark < len(bounds) and bounds[-1][3] < bounds[mark - 1][3]


def check_page(log):
    lines = log.lines()
    check("navigates to the start page", "Navigate file:///index.html" in lines)
    check("page served from the package", "resource file:///index.html 200 OK" in lines and
          "headers Content-Type: text/html; charset=utf-8\\nAccept-Ranges: bytes" in lines and
          "body " + PAGE.replace("\n", "\\n") in lines,
          [l for l in lines if l.startswith(("resource", "headers", "body"))])
    check("bridge script injected", any(l.startswith("AddScriptToExecuteOnDocumentCreated")
                                        and "window.zel" in l for l in lines))
    check("web messages enabled", "put_IsWebMessageEnabled 1" in lines)


def prepare():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(os.path.join(WORK, "src", "app"))
    os.makedirs(os.path.join(WORK, "out"))
    with open(os.path.join(WORK, "src", "zel.ini"), "w") as f:
        f.write("[App]\nID=%s\nName=Zel E2E\nDirName=app\nWidth=800\nHeight=600\n" % APP_ID)
    with open(os.path.join(WORK, "src", "app", "index.html"), "w") as f:
        f.write(PAGE)
    with open(os.path.join(WORK, "src", "app", "second.html"), "w") as f:
        f.write(SECOND_PAGE)
    shutil.copy(os.path.join(BUILD, "tests", "libzelfakeruntime.dll"),
                os.path.join(WORK, "src", "WebView2LoaderWin64.dll"))
    exe = os.path.join(WORK, "app.exe")
    subprocess.run(["wine", os.path.join(BUILD, "bin", "zelpack.exe"),
                    winpath(os.path.join(WORK, "src")), "-o", winpath(exe)],
                   check=True, capture_output=True)
    return exe


class TPhases:
    """Lets the script go on phase by phase."""

    def __init__(self, log):
        self.log, self.proc, self.gates, self.done = log, None, [], 0

    def gate(self):
        path = os.path.join(WORK, "go%d" % (len(self.gates) + 1))
        self.gates.append(path)
        return winpath(path)

    def reached(self, what):
        last = self.done == len(self.gates)
        mark = "script-done" if last else "awaiting " + winpath(self.gates[self.done])
        ok = check(what, self.log.wait(mark, 30, self.proc))
        time.sleep(0.3)  # what the host changed reaches the X server
        return ok

    def go_on(self):
        open(self.gates[self.done], "w").close()
        self.done += 1


def first_phase(log, out_file):
    check_replies(log, EXPECTED_A)
    with open(os.path.join(WORK, "out", "out.txt"), "rb") as f:
        data = f.read()
    # UTF-8 with a byte order mark and CR LF line ends, as Windows editors expect.
    check("written file", data == b"\xef\xbb\xbf" + "Gr\u00fc\u00dfe\r\nline 2\r\n".encode(),
          data)
    check("reply list", log.replies().get("list") == (True, [out_file]),
          log.replies().get("list"))
    check("reply exeDir", log.replies().get("exeDir") == (True, winpath(WORK) + "\\"),
          log.replies().get("exeDir"))
    check("zoom reaches the browser", "put_ZoomFactor 1.5" in log.lines())
    wid = find_window(TITLE)
    if check("main window with the new title", wid is not None):
        check_window_a(wid)


def last_phase(log):
    check_replies(log, EXPECTED_B)
    replies = log.replies()
    check("no reply to setBorder and unknown ids",
          not any(u in replies for u in NO_REPLY), replies.keys())
    huge = replies.get("getSizeHuge")
    check("a size beyond the desktop is cut to it", huge and huge[0] and
          640 <= huge[1]["width"] <= 1280 + 100 and 480 <= huge[1]["height"] <= 800 + 100, huge)
    # setSize with width and height only keeps the position.
    before, after = replies.get("getSizeBefore2"), replies.get("getSize2")
    check("reply getSize2", before and after and after == (True, dict(
        before[1], width=700, height=500)), (before, after))
    check("menu bar takes room from the page", menu_shrinks_page(log))
    lines = log.lines()
    check("second page served", "resource file:///second.html 200 OK" in lines and
          "body " + SECOND_PAGE.replace("\n", "\\n") in lines and
          lines.index("navigated file:///second.html") <
          lines.index("send " + request("getSizeBefore2", 60009, {})))
    wid = find_window(TITLE)
    if check("main window after setSize", wid is not None):
        check_window_c(wid)
        check("menu bar item clicked", click_menu(log, wid))
        check("menu bar item chosen with the keyboard", key_menu(log, wid))
        subprocess.run(["import", "-window", "root",
                        os.path.join(BUILD, "host-e2e.png")], capture_output=True)
        run("wmctrl", "-i", "-c", wid)


def main():
    exe = prepare()
    out_file = winpath(os.path.join(WORK, "out", "out.txt"))
    log = TLog(os.path.join(WORK, "fake.log"))
    script_path = os.path.join(WORK, "script.txt")
    env = dict(os.environ, ZEL_FAKE_SCRIPT=winpath(script_path),
               ZEL_FAKE_LOG=winpath(log.path))
    steps = TPhases(log)
    parts = phases(out_file, winpath(os.path.join(WORK, "out")))
    with open(script_path, "w", encoding="utf-8") as f:
        f.write(script(parts, [steps.gate() for _ in parts[1:]]))
    proc = steps.proc = subprocess.Popen(["wine", exe], env=env)
    try:
        if not check("start-up to the page", log.wait("navigated file:///index.html", 60, proc),
                     "exit %s; log %s" % (proc.poll(), log.lines()[-5:])):
            return
        check_page(log)
        if steps.reached("first script phase"):
            first_phase(log, out_file)
        steps.go_on()
        if steps.reached("second script phase"):
            wid = find_window(TITLE)
            if check("main window after the border change", wid is not None):
                check_window_b(wid)
        steps.go_on()
        if steps.reached("last script phase"):
            last_phase(log)
        try:
            code = proc.wait(30)
        except subprocess.TimeoutExpired:
            code = None
        lines = log.lines()
        order = [next((i for i, l in enumerate(lines) if l == want), -1) for want in
                 ("ExecuteScript zel.events.onCloseQuery();",
                  "react " + request("close", 50001, {}), "Close", "driver-stopped")]
        check("close handshake", code == 0 and -1 not in order and order == sorted(order),
              "exit %s, order %s" % (code, order))
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        prefix = os.environ.get("WINEPREFIX", "")
        if prefix:
            user = pwd.getpwuid(os.getuid()).pw_name
            shutil.rmtree(os.path.join(prefix, "drive_c", "users", user, "AppData", "Local",
                                       APP_ID), ignore_errors=True)
        if not failures:
            shutil.rmtree(WORK, ignore_errors=True)


if __name__ == "__main__":
    try:
        main()
    except Exception as e:  # a broken run is a failure, not a crash of the suite
        check("run", False, repr(e))
    sys.exit(1 if failures else 0)
