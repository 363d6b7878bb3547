"""The browser: pages, styles, scripts, images, fonts and data from the
archive, the lookups on disk, new windows, permissions, drops, titles, the
window's configured shape and the close handshake."""

import os
import shutil
import struct
import subprocess
import time
import unittest
import zlib

from zeltest import ROOT, ZelTestCase, page, run, wait_for

INI = {"ID": "e2e.browser", "Name": "Browser Test", "DirName": "app"}
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def read(path, mode="r"):
    with open(path, mode) as f:
        return f.read()


def png(width, height, rgb):
    """A small solid PNG, made here rather than stored."""
    raw = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


class ArchivePages(ZelTestCase):
    def test_everything_comes_from_the_archive(self):
        script = """
        async function check() {
          const r = {};
          r.color = getComputedStyle(document.querySelector('h1')).color;
          r.script = window.fromScript === 42;
          const img = document.getElementById('png');
          await img.decode();
          r.png = [img.naturalWidth, img.naturalHeight];
          const svg = document.getElementById('svg');
          await svg.decode();
          r.svg = svg.naturalWidth > 0;
          await document.fonts.load('20px TestFont');
          r.font = document.fonts.check('20px TestFont');
          r.json = await (await fetch('data/values.json')).json();
          r.jsonType = (await fetch('data/values.json')).headers.get('content-type');
          r.location = location.protocol;
          report('archive', r);
        }
        check().catch(e => report('archive', {error: String(e)}));
        """
        files = {
            "index.html": page("<h1 style=\"font-family: TestFont\">Zel test</h1>"
                               "<img id='png' src='images/red.png'>"
                               "<img id='svg' src='images/logo.svg'>",
                               script, head="<link rel='stylesheet' href='css/site.css'>"
                               "<script src='js/main.js'></script>"),
            "css/site.css": "@font-face { font-family: TestFont; src: url(../fonts/test.ttf); }\n"
                            "h1 { color: rgb(12, 34, 56); }",
            "js/main.js": "window.fromScript = 42;",
            "images/red.png": png(30, 20, (220, 20, 20)),
            "images/logo.svg": read(os.path.join(ROOT, "examples/demo/app/images/logo.svg")),
            "fonts/test.ttf": read(FONT, "rb"),
            "data/values.json": '{"answer": 42, "list": [1, 2]}',
        }
        p = self.start(self.pack(INI, files))
        r = self.report("archive")
        time.sleep(1)
        self.screenshot("archive")
        self.assertNotIn("error", r)
        self.assertEqual(r["color"], "rgb(12, 34, 56)")
        self.assertTrue(r["script"])
        self.assertEqual(r["png"], [30, 20])
        self.assertTrue(r["svg"])
        self.assertTrue(r["font"])
        self.assertEqual(r["json"], {"answer": 42, "list": [1, 2]})
        self.assertEqual(r["jsonType"], "application/json; charset=utf-8")
        self.assertIsNone(p.poll())

    def test_files_beside_the_executable_and_by_absolute_path(self):
        absolute = os.path.join(self.tmp, "elsewhere", "absolute.txt")
        self.write(absolute, "by absolute path")
        self.write(os.path.join(self.tmp, "beside.txt"), "beside the executable")
        script = """
        Promise.all([fetch('file:///beside.txt'), fetch('file://%s'), fetch('missing.txt')])
          .then(async ([a, b, c]) => report('disk', {beside: await a.text(),
              absolute: await b.text(), missing: c.status}))
          .catch(e => report('disk', {error: String(e)}));
        """ % absolute
        self.start(self.pack(INI, {"index.html": page("", script)}))
        r = self.report("disk")
        self.assertEqual(r, {"beside": "beside the executable", "absolute": "by absolute path",
                             "missing": 404})

    def test_missing_start_page_shows_the_error_page(self):
        p = self.start(self.pack(dict(INI, IndexHtml="missing.html"), {"index.html": ""}))
        self.window(p)
        import atspi
        text = atspi.page_text(p.pid, "not found")
        self.screenshot("error-page")
        self.assertIn("not found", text)
        self.assertIsNone(p.poll())


class NewWindowsAndPermissions(ZelTestCase):
    def test_window_open_on_a_file_address_starts_a_second_instance(self):
        files = {
            "index.html": page("<h1>first</h1>", """
                const w = window.open('file:///second.html');
                setTimeout(() => report('first', {href: location.href, opened: w !== null}), 3000);
            """),
            "second.html": page("<h1>second</h1>", "report('second', location.href);"),
        }
        first = self.start(self.pack(INI, files))
        self.assertTrue(self.report("second").endswith("/second.html"))
        r = self.report("first")
        self.assertTrue(r["href"].endswith("/index.html"))
        self.assertIsNone(first.poll())
        second = [int(x) for x in run(["pgrep", "-f", self.tmp + "/app.bin e2e.browser"]).stdout.split()]
        self.assertEqual(len(second), 1)

    def test_geolocation_is_allowed_without_a_prompt(self):
        script = """
        navigator.geolocation.getCurrentPosition(
          p => report('geo', {ok: true}),
          e => report('geo', {code: e.code, message: e.message}),
          {timeout: 4000});
        """
        self.start(self.pack(INI, {"index.html": page("", script)}))
        r = self.report("geo")
        self.assertNotEqual(r.get("code"), 1, r)  # 1 is PERMISSION_DENIED

    def test_application_script_runs_after_the_guards(self):
        app_script = """
        const probe = new Event('dragover', {cancelable: true});
        window.dispatchEvent(probe);
        window.appScriptSaw = {guarded: probe.defaultPrevented, zel: typeof window.zel};
        """
        self.start(self.pack(INI, {"index.html": page("", "report('order', window.appScriptSaw);")},
                             webviewjs=app_script))
        self.assertEqual(self.report("order"), {"guarded": True, "zel": "object"})


class DragAndDrop(ZelTestCase):
    SOURCE = r'''
import sys, gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk, Gdk
w = Gtk.Window(title="drag source")
w.move(0, 0)
b = Gtk.Button(label="DRAG ME")
b.set_size_request(160, 100)
b.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
b.drag_source_add_uri_targets()
b.connect("drag-data-get", lambda w, c, d, i, t: d.set_uris(["file://" + sys.argv[1]]))
w.add(b)
w.connect("destroy", Gtk.main_quit)
w.show_all()
Gtk.main()
'''

    def test_dropping_a_file_does_not_navigate(self):
        dropped = os.path.join(self.tmp, "dropped.txt")
        self.write(dropped, "a dropped file")
        script = """
        document.addEventListener('drop', () => report('dropped', true));
        report('page', location.href);
        """
        body = "<div style='position:fixed;inset:0;background:#cde'>drop here</div>"
        app = self.start(self.pack(dict(INI, Left=400, Top=300, Width=500, Height=400,
                                        WindowPosition=1), {"index.html": page(body, script)}))
        self.report("page")
        target = self.window(app)
        source_script = os.path.join(self.tmp, "source.py")
        self.write(source_script, self.SOURCE)
        source = subprocess.Popen(["/usr/bin/python3", source_script, dropped], env=self.env)
        self.processes.append(source)
        src = self.window_named("drag source")
        run(["xdotool", "windowmove", str(src), "0", "0"])
        run(["xdotool", "windowactivate", "--sync", str(src)])
        g = self.geometry(target)
        tx, ty = g["X"] + g["WIDTH"] // 2, g["Y"] + g["HEIGHT"] // 2
        run(["xdotool", "mousemove", "60", "60", "mousedown", "1"])
        for i in range(1, 21):
            run(["xdotool", "mousemove", str(60 + (tx - 60) * i // 20), str(60 + (ty - 60) * i // 20)])
            time.sleep(0.05)
        time.sleep(0.5)
        run(["xdotool", "mouseup", "1"])
        self.assertTrue(self.report("dropped"))
        time.sleep(1.5)
        self.screenshot("after-drop")
        # Still the same document, not the dropped file.
        import atspi
        text = atspi.page_text(app.pid, "drop here")
        self.assertIn("drop here", text)
        self.assertNotIn("a dropped file", text)
        self.assertIsNone(app.poll())


class WindowShape(ZelTestCase):
    def test_dynamic_title(self):
        script = "setTimeout(() => { document.title = 'Changed By Page'; report('titled', 1); }, 500);"
        for dynamic, expected in (("1", "Changed By Page"), ("0", "Browser Test")):
            with self.subTest(dynamic=dynamic):
                p = self.start(self.pack(dict(INI, DynamicAppTitle=dynamic, ID="e2e.t" + dynamic),
                                         {"index.html": page("", script)}, name="t" + dynamic))
                self.report("titled")
                window = self.window(p)
                wait_for(lambda: self.title(window) == expected, 10, what="title " + expected)
                os.remove(os.path.join(self.reports, "titled.json"))

    def test_full_screen_style(self):
        p = self.start(self.pack(dict(INI, WindowStyle=1, WindowBorder=2),
                                 {"index.html": page("", "report('up', 1);")}))
        self.report("up")
        window = self.window(p)
        wait_for(lambda: self.geometry(window)["WIDTH"] == 1280, 10, what="full width")
        g = self.geometry(window)
        self.assertEqual((g["WIDTH"], g["HEIGHT"]), (1280, 800))
        self.assertIn("0, 0, 0, 0", self.xprop(window, "_NET_FRAME_EXTENTS") or "0, 0, 0, 0")

    def test_border_state_and_order(self):
        cases = [
            ({"WindowBorder": 0}, "_NET_FRAME_EXTENTS", lambda v: "= 0, 0, 0, 0" in v or "not found" in v),
            ({"WindowState": 1}, "_NET_WM_STATE", lambda v: "_NET_WM_STATE_MAXIMIZED_VERT" in v),
            ({"WindowState": 2}, "_NET_WM_STATE", lambda v: "MAXIMIZED" not in v),
            ({"WindowOrder": 1}, "_NET_WM_STATE", lambda v: "_NET_WM_STATE_ABOVE" in v),
            ({"WindowBorder": 3}, "_NET_WM_WINDOW_TYPE", lambda v: "_NET_WM_WINDOW_TYPE_DIALOG" in v),
            ({"WindowBorder": 4}, "_NET_WM_WINDOW_TYPE", lambda v: "_NET_WM_WINDOW_TYPE_UTILITY" in v),
        ]
        for i, (settings, prop, check) in enumerate(cases):
            with self.subTest(settings=settings):
                p = self.start(self.pack(dict(INI, ID="e2e.shape%d" % i, **settings),
                                         {"index.html": page("", "report('up%d', 1);" % i)},
                                         name="shape%d" % i))
                self.report("up%d" % i)
                window = self.window(p)
                wait_for(lambda: check(self.xprop(window, prop)), 10,
                         what="%s for %s" % (prop, settings))
                p.kill()


class CloseHandshake(ZelTestCase):
    def test_every_close_attempt_asks_the_page(self):
        script = """
        let asked = 0;
        zel.events.onCloseQuery = function () { asked++; report('asked', asked); };
        report('up', 1);
        """
        p = self.start(self.pack(INI, {"index.html": page("", script)}))
        self.report("up")
        window = self.window(p)
        for attempt in (1, 2):
            self.close_window(window)
            wait_for(lambda: self.has_report("asked") and self.report("asked") == attempt, 10,
                     what="close query %d" % attempt)
        time.sleep(0.5)
        self.assertIsNone(p.poll())

    def test_default_handler_closes_the_window(self):
        p = self.start(self.pack(INI, {"index.html": page("", "report('up', 1);")}))
        self.report("up")
        self.close_window(self.window(p))
        self.assertEqual(self.exits(p, 15), 0)


if __name__ == "__main__":
    unittest.main()
