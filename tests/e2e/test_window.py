"""window.zel.window end to end: style, state, title, size, zoom and border
of the real main window under openbox, checked with the X tools."""

import json
import os
import re
import time
import unittest

from zeltest import ZelTestCase, page, run, wait_for

INI = {"ID": "e2e.window", "Name": "Window Test", "DirName": "app",
       "Width": 700, "Height": 500}

# The page runs steps one by one: each reports its result and waits for the
# test's go-ahead, so the test can look at the window between them.
STEPS = """
const G = %s;
const W = zel.window;
const sleep = ms => new Promise(r => setTimeout(r, ms));
async function settle(p) {
  try { return {ok: await p}; } catch (e) { return {error: String(e)}; }
}
// Resolves "pending" for a promise that does not settle soon.
function pending(p, ms) {
  return Promise.race([p.then(v => ({ok: v}), e => ({error: String(e)})),
                       sleep(ms).then(() => "pending")]);
}
async function step(name, fn) {
  await report(name, await fn());
  while (!(await zel.files.fileExists({filePath: G + name + ".go"}))) await sleep(50);
}
"""


class WindowFunctions(ZelTestCase):
    def go(self, name):
        self.write(os.path.join(self.reports, name + ".go"), "")

    def ask(self, name):
        result = self.report(name)
        return result

    @staticmethod
    def state(window):
        return ZelTestCase.xprop(window, "_NET_WM_STATE")

    @staticmethod
    def outer(window):
        """The frame's bounds: the client's place and size plus the frame extents."""
        info = run(["xwininfo", "-id", str(window)]).stdout
        value = lambda key: int(re.search(key + r":\s+(-?\d+)", info).group(1))
        extents = ZelTestCase.xprop(window, "_NET_FRAME_EXTENTS")
        m = re.search(r"= (\d+), (\d+), (\d+), (\d+)", extents)
        left, right, top, bottom = (int(v) for v in m.groups()) if m else (0, 0, 0, 0)
        return {"left": value("Absolute upper-left X") - left,
                "top": value("Absolute upper-left Y") - top,
                "width": value("Width") + left + right,
                "height": value("Height") + top + bottom}

    @staticmethod
    def mapped(window):
        return "IsViewable" in run(["xwininfo", "-id", str(window)]).stdout

    def test_style_title_size_zoom_state(self):
        script = STEPS % json.dumps(self.reports) + """
        async function run() {
          await step("ontop", async () => [await W.setStyle({style: "ontop"}), await W.getStyle()]);
          await step("Ontop", async () => [await W.setStyle({style: "Ontop"}), await W.getStyle()]);
          await step("title", async () => [await W.setTitle({title: 'a"b\\\\c'}), await W.getTitle()]);
          await step("size0", async () => await W.getSize());
          await step("move", async () => [await W.setSize({left: "100", top: 20}), await W.getSize()]);
          await step("size1", async () => await W.getSize());
          await step("width", async () => [await W.setSize({width: 1024}), await W.getSize()]);
          await step("size2", async () => await W.getSize());
          await step("zoom", async () => {
            const r = {};
            const inner = window.innerWidth;
            r.number = [await W.setZoom({factor: 1.5}), await W.getZoom()];
            await sleep(500);
            r.widths = [inner, window.innerWidth];
            r.text = [await W.setZoom({factor: "1.5"}), await W.getZoom()];
            r.comma = [await W.setZoom({factor: "1,5"}), await W.getZoom()];
            r.empty = [await W.setZoom({}), await W.getZoom()];
            r.zero = [await W.setZoom({factor: "2"}), await W.setZoom({factor: 0}), await W.getZoom()];
            r.nan = [await W.setZoom({factor: "nan"}), await W.getZoom()];
            await W.setZoom({factor: 1});
            return r;
          });
          await step("bad", async () => [await W.setSize({width: -5, height: "x", left: 10.5}),
                                         await pending(W.setSize({width: [1]}), 300),
                                         await W.getTitle()]);
          await step("huge", async () => [
            await W.setSize({left: 0, top: 0, width: 30000, height: "99999999999999999999999"}),
            await W.getSize()]);
          await step("sized", async () => [await W.setSize({width: 900, height: 600}), await W.getSize()]);
          await step("regrown", async () => {
            for (let i = 0; i < 40 && window.innerWidth < 800; i++) await sleep(50);
            return window.innerWidth;
          });
          await step("minimize", async () => [await W.setState({state: "minimized"}), await W.getState()]);
          await step("restore", async () => [await W.setState({state: "normal"}), await W.getState()]);
          await step("maximize", async () => [await W.setState({state: "maximized"}), await W.getState()]);
          await step("unmaximize", async () => [await W.setState({}), await W.getState()]);
          await step("done", async () => 1);
        }
        run();
        """
        p = self.start(self.pack(INI, {"index.html": page("", script)}))
        self.ask("ontop")
        window = self.window(p)
        self.assertEqual(self.ask("ontop"), [True, "ontop"])
        wait_for(lambda: "_NET_WM_STATE_ABOVE" in self.state(window), 10, what="above")
        self.go("ontop")
        self.assertEqual(self.ask("Ontop"), [True, "normal"])
        wait_for(lambda: "_NET_WM_STATE_ABOVE" not in self.state(window), 10, what="not above")
        self.go("Ontop")
        self.assertEqual(self.ask("title"), [True, 'a"b\\c'])
        wait_for(lambda: self.title(window) == 'a"b\\c', 10, what="the title")
        self.go("title")

        size0 = self.ask("size0")
        self.assertEqual(size0, self.outer(window))
        self.go("size0")
        moved = dict(size0, left=100, top=20)
        self.assertEqual(self.ask("move")[1], moved)
        wait_for(lambda: self.outer(window) == moved, 10, what="moved")
        time.sleep(1.2)  # past the time the host trusts its own request
        self.go("move")
        self.assertEqual(self.ask("size1"), self.outer(window))
        self.go("size1")
        self.assertEqual(self.ask("width")[1], dict(moved, width=1024))
        wait_for(lambda: self.outer(window)["width"] == 1024, 10, what="width 1024")
        time.sleep(1.2)
        self.go("width")
        size2 = self.ask("size2")
        self.assertEqual(size2, dict(moved, width=1024))
        self.assertEqual(size2, self.outer(window))
        self.go("size2")
        zoom = self.ask("zoom")
        self.screenshot("zoom")
        self.assertEqual(zoom["number"], [True, "1.5"])
        self.assertTrue(all(zoom["widths"]), zoom)
        self.assertAlmostEqual(zoom["widths"][0] / zoom["widths"][1], 1.5, delta=0.05, msg=zoom)
        self.assertEqual(zoom["text"], [True, "1.5"])
        self.assertEqual(zoom["comma"], [False, "1"])
        self.assertEqual(zoom["empty"], [False, "1"])
        self.assertEqual(zoom["zero"], [True, True, "2"])
        self.assertEqual(zoom["nan"], [False, "1"])
        self.go("zoom")

        self.assertEqual(self.ask("bad")[:2], [True, "pending"])
        self.go("bad")
        # No bigger than the desktop (1280 x 800) and the frame, as on Windows:
        # 30000 pixels square would cost gigabytes in every process that draws.
        answer, huge = self.ask("huge")
        self.assertTrue(answer)
        frame = lambda size: (size["width"] - 1280, size["height"] - 800)
        self.assertTrue(all(0 <= extra < 60 for extra in frame(huge)), huge)
        wait_for(lambda: frame(self.outer(window)) == frame(huge), 10, what="the desktop's size")
        self.go("huge")
        sized = self.ask("sized")[1]
        wait_for(lambda: self.outer(window) == sized, 10, what="900 x 600")
        self.assertIsNone(p.poll())
        self.go("sized")
        # The page grows back with the window after it was one pixel wide.
        self.assertGreaterEqual(self.ask("regrown"), 800)
        self.go("regrown")

        self.assertEqual(self.ask("minimize"), [True, "minimized"])
        wait_for(lambda: "_NET_WM_STATE_HIDDEN" in self.state(window), 10, what="iconic")
        self.go("minimize")
        self.assertEqual(self.ask("restore"), [True, "normal"])
        wait_for(lambda: "_NET_WM_STATE_HIDDEN" not in self.state(window), 10, what="restored")
        self.go("restore")
        self.assertEqual(self.ask("maximize"), [True, "maximized"])
        wait_for(lambda: "_NET_WM_STATE_MAXIMIZED_VERT" in self.state(window), 10, what="max")
        self.go("maximize")
        self.assertEqual(self.ask("unmaximize"), [True, "normal"])
        wait_for(lambda: "MAXIMIZED" not in self.state(window), 10, what="unmaximized")
        self.go("unmaximize")
        self.ask("done")
        self.assertIsNone(p.poll())

    def test_borders(self):
        script = STEPS % json.dumps(self.reports) + """
        async function run() {
          for (const border of ["none", "single", "sizeable", "dialog", "toolwindow",
                                "sizetoolwindow", "Single", ""]) {
            await step("border-" + border, async () => {
              const before = await W.getSize();
              const reply = await pending(W.setBorder({border: border}), 300);
              return [reply, await W.getBorder(), before];
            });
          }
          await step("default", async () => [await pending(W.setBorder({}), 300), await W.getBorder()]);
        }
        run();
        """
        p = self.start(self.pack(INI, {"index.html": page("", script)}))
        self.ask("border-none")
        window = self.window(p)
        client = lambda: {k: self.geometry(window)[k] for k in ("WIDTH", "HEIGHT")}
        first = client()
        expected = {"none": "none", "single": "single", "sizeable": "sizeable", "dialog": "dialog",
                    "toolwindow": "toolwindow", "sizetoolwindow": "sizetoolwindow",
                    "Single": "sizetoolwindow", "": "sizetoolwindow"}
        for word, answer in expected.items():
            with self.subTest(border=word):
                reply, border, _ = self.ask("border-" + word)
                self.assertEqual(reply, "pending")
                self.assertEqual(border, answer)
                extents = lambda: self.xprop(window, "_NET_FRAME_EXTENTS")
                if word == "none":
                    wait_for(lambda: "= 0, 0, 0, 0" in extents(), 10, what="no frame")
                else:
                    wait_for(lambda: "= 0, 0, 0, 0" not in extents(), 10, what="a frame")
                time.sleep(0.3)
                # Fixed borders keep the window's size.
                self.assertEqual(client(), first)
                self.screenshot("border-" + (word or "empty"))
                self.go("border-" + word)
        self.assertEqual(self.ask("default"), ["pending", "sizeable"])
        self.assertIsNone(p.poll())

    def test_zoom_text_follows_the_locale(self):
        if "de_DE.utf8" not in run(["locale", "-a"]).stdout:
            self.skipTest("no German locale")
        script = """
        (async () => {
          const W = zel.window;
          report("zoom", [await W.setZoom({factor: "1.5"}), await W.getZoom(),
                          await W.setZoom({factor: "1,5"}), await W.getZoom(),
                          await W.setZoom({factor: 2.25}), await W.getZoom()]);
        })();
        """
        self.start(self.pack(INI, {"index.html": page("", script)}),
                   env={"LC_ALL": "de_DE.UTF-8"})
        self.assertEqual(self.report("zoom"), [True, "1,5", False, "1", True, "2,25"])

    def test_tray_icon_hides_the_minimized_window(self):
        script = STEPS % json.dumps(self.reports) + """
        async function run() {
          await step("tray", async () => await pending(zel.trayMenu.showIcon(), 5000));
          await step("minimize", async () => await W.setState({state: "minimized"}));
          await step("restore", async () => await W.setState({state: "normal"}));
          await step("minimize2", async () => await W.setState({state: "minimized"}));
          await step("lost", async () => [await zel.trayMenu.hideIcon(),
                                          await W.setState({state: "normal"})]);
          await step("done", async () => 1);
        }
        run();
        """
        p = self.start(self.pack(INI, {"index.html": page("", script)}))
        self.assertEqual(self.ask("tray"), {"ok": True})
        window = self.window(p)
        self.go("tray")
        self.assertEqual(self.ask("minimize"), True)
        wait_for(lambda: not self.mapped(window), 10, what="unmapped")
        self.go("minimize")
        self.assertEqual(self.ask("restore"), True)
        wait_for(lambda: self.mapped(window), 10, what="mapped")
        active = lambda: run(["xdotool", "getactivewindow"]).stdout.strip() == str(window)
        wait_for(active, 10, what="active")
        self.go("restore")
        self.ask("minimize2")
        wait_for(lambda: not self.mapped(window), 10, what="unmapped again")
        self.go("minimize2")
        self.assertEqual(self.ask("lost"), [True, True])
        wait_for(lambda: self.mapped(window), 10, what="back without the tray icon")
        self.go("lost")
        self.ask("done")


if __name__ == "__main__":
    unittest.main()
