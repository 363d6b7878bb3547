"""The menu bar, the tray icon and the tray menu end to end: AT-SPI reads the
menu bar and clicks its items, trayer hosts the XEmbed icon, and a fake
StatusNotifierWatcher on the private session bus stands for a desktop that
shows StatusNotifierItems."""

import json
import os
import struct
import subprocess
import time
import unittest
import zlib

import atspi
from atspi import Atspi
from zeltest import ZelTestCase, page, run, wait_for

INI = {"ID": "e2e.menus", "Name": "Menus Test", "DirName": "app"}
HERE = os.path.dirname(os.path.abspath(__file__))


def png(rgb, size=32):
    """A plain square PNG of one colour."""
    row = b"\x00" + bytes(rgb) * size
    raw = zlib.compress(row * size)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", raw) + chunk(b"IEND", b""))


EVENTS = """
let trayClicks = 0;
zel.events.onMainMenuItemClick = id => report('main-' + id, id);
zel.events.onTrayMenuItemClick = id => report('tray-' + id, id);
zel.events.onTrayIconClick = () => { trayClicks++; report('icon-' + trayClicks, trayClicks); };
async function settle(p) { try { return {ok: await p}; } catch (e) { return {error: e}; } }
"""

MENU_PAGE = EVENTS + """
const ITEMS = [
  {id: 1, caption: '&File', items: [
    {id: 2, caption: 'Open', image: 'app/red.png'},
    {id: 3, caption: '-'},
    {id: 4, caption: 'Close'},
    {id: 'abc', caption: 'Word'}]},
  {id: 10, caption: 'Edit', image: 'app/red.png', items: [
    {id: 11, caption: 'Nested', items: [{id: 12, caption: 'Deep', enabled: 'false'}]}]}];
async function run() {
  const r = {};
  r.noItems = await settle(zel.mainMenu.updateItem({id: 5}));
  r.wrongList = await settle(zel.mainMenu.setItems({items: '{}'}));
  r.badItem = await settle(zel.mainMenu.setItems({items: JSON.stringify(
      [{id: 1, caption: 'a', items: [{id: 2, items: []}]}])}));
  r.first = await settle(zel.mainMenu.setItems({items: JSON.stringify(ITEMS)}));
  r.second = await settle(zel.mainMenu.setItems({items: JSON.stringify([{id: 9, caption: 'X'}])}));
  r.wrongId = await settle(zel.mainMenu.updateItem({id: -1}));
  r.rename = await settle(zel.mainMenu.updateItem({id: 4, caption: 'Renamed', enabled: false}));
  r.fifo = await settle(zel.mainMenu.updateItem({id: 2, image: '/dev/zero'}));
  report('setup', r);
}
run();
"""

WRONG_PAGE = EVENTS + """
async function run() {
  const r = {};
  let deep = '';
  for (let i = 0; i < 10000; i++) deep += '{"id": 1, "caption": "x", "items": [';
  deep += ']}'.repeat(10000);
  r.deep = await settle(zel.mainMenu.setItems({items: '[' + deep + ']'}));
  r.huge = await settle(zel.mainMenu.setItems({items: JSON.stringify(
      [{id: 1, caption: 'c'.repeat(1 << 20), image: %(fifo)s}])}));
  r.tray = await settle(zel.trayMenu.setItems({items: JSON.stringify(
      [{id: 1, caption: 'z'.repeat(1 << 20), image: '/dev/zero'}])}));
  r.after = await settle(zel.hello());
  report('wrong', r);
}
run();
"""

TRAY_PAGE = EVENTS + """
async function run() {
  const r = {};
  r.hide = await settle(zel.trayMenu.hideIcon());
  r.show1 = await settle(zel.trayMenu.showIcon());
  r.show2 = await settle(zel.trayMenu.showIcon());
  r.items = await settle(zel.trayMenu.setItems({items: JSON.stringify(
      [{id: 7, caption: '&Quit', image: 'app/red.png'},
       {id: 8, caption: 'Sub', items: [{id: -3, caption: 'Inner'}]}])}));
  report('setup', r);
}
// The inner item hides the icon, so a test can ask for that from outside.
zel.events.onTrayMenuItemClick = id => {
  report('tray-' + id, id);
  if (id === '-3') zel.trayMenu.hideIcon().then(v => report('hidden', v));
};
run();
"""


def sensitive(node):
    return node.get_state_set().contains(Atspi.StateType.SENSITIVE)


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


class MenuBar(ZelTestCase):
    def start_app(self, script, scale=None):
        exe = self.pack(INI, {"index.html": page("<p>menus</p>", script),
                              "red.png": png((255, 0, 0))})
        # A blue file of the same name beside the executable loses to the package.
        self.write(os.path.join(self.tmp, "app", "red.png"), png((0, 0, 255)))
        env = {"GDK_SCALE": str(scale)} if scale else {}
        return self.start(exe, env=env)

    def test_menu_bar_items_clicks_and_errors(self):
        p = self.start_app(MENU_PAGE)
        r = self.report("setup")
        self.assertEqual(r["noItems"], {"error": "No menu items"})
        self.assertEqual(r["wrongList"], {"error": "Wrong menu items JSON"})
        self.assertEqual(r["badItem"], {"error": "Wrong menu item JSON"})
        for key in ("first", "second", "rename", "fifo"):
            self.assertEqual(r[key], {"ok": True}, key)
        self.assertEqual(r["wrongId"], {"error": "Wrong item ID"})

        app = atspi.application(p.pid)
        bar = atspi.wait_find(lambda: app, "menu bar")
        names = [atspi.name(bar.get_child_at_index(i)) for i in range(bar.get_child_count())]
        self.assertEqual(names, ["File", "Edit"])  # the second list changed nothing
        renamed = atspi.wait_find(lambda: app, "menu item", "Renamed")
        self.assertFalse(sensitive(renamed))
        self.assertFalse(sensitive(atspi.wait_find(lambda: app, "menu item", "Deep")))

        atspi.press(atspi.wait_find(lambda: app, "menu item", "Open"))
        self.assertEqual(self.report("main-2"), "2")
        atspi.press(atspi.wait_find(lambda: app, "menu item", "Word"))
        self.assertEqual(self.report("main-0"), "0")
        time.sleep(0.5)
        self.assertFalse(self.has_report("main-1"))  # File opens a submenu only

        # The access key opens File from the keyboard.
        window = self.window(p)
        run(["xdotool", "windowactivate", "--sync", str(window)])
        self.key("Escape")
        self.key("alt+f")
        open_item = atspi.wait_find(lambda: app, "menu item", "Open")
        wait_for(lambda: showing(open_item), 10, what="File menu open")
        self.screenshot("file-menu")
        self.key("Escape")

    def test_wrong_inputs_neither_crash_nor_freeze(self):
        fifo = os.path.join(self.tmp, "pipe.png")
        os.mkfifo(fifo)
        p = self.start_app(WRONG_PAGE % {"fifo": json.dumps(fifo)})
        r = self.report("wrong", timeout=40)
        self.assertEqual(r["deep"], {"error": "Wrong menu item JSON"})
        self.assertEqual(r["huge"], {"ok": True})
        self.assertEqual(r["tray"], {"ok": True})
        self.assertIn("ok", r["after"])
        self.assertIsNone(p.poll())

    def test_package_image_beats_the_file_beside_the_executable(self):
        p = self.start_app(MENU_PAGE)
        self.report("setup")
        app = atspi.application(p.pid)
        edit = atspi.wait_find(lambda: app, "menu", "Edit")
        ext = edit.get_extents(Atspi.CoordType.SCREEN)
        shot = self.screenshot("edit-item")
        crop = "%dx%d+%d+%d" % (ext.width, ext.height, ext.x, ext.y)
        colours = run(["convert", shot, "-crop", crop, "-format", "%c", "histogram:info:-"]).stdout
        self.assertIn("#FF0000", colours.upper())
        self.assertNotIn("#0000FF", colours.upper())


TRAYER = ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
          "--height", "32", "--SetDockType", "true", "--expand", "false"]


class XEmbedTray(ZelTestCase):
    @staticmethod
    def descendants(window):
        out = run(["xwininfo", "-tree", "-id", str(window)]).stdout
        return [line.split()[0] for line in out.splitlines()
                if line.strip().startswith("0x") and "+" in line]
    def test_icon_clicks_and_menu(self):
        trayer = subprocess.Popen(TRAYER, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(trayer)
        tray_window = self.window(trayer)
        time.sleep(0.5)
        baseline = set(self.descendants(tray_window))
        exe = self.pack(INI, {"index.html": page("<p>tray</p>", TRAY_PAGE),
                              "red.png": png((255, 0, 0))})
        p = self.start(exe)
        r = self.report("setup")
        self.assertEqual(r, {"hide": {"ok": True}, "show1": {"ok": True},
                             "show2": {"ok": True}, "items": {"ok": True}})

        def icons():
            # Embedded clients carry _XEMBED_INFO; their inner windows do not.
            return [w for w in self.descendants(tray_window) if w not in baseline
                    and "=" in self.xprop(int(w, 16), "_XEMBED_INFO")]
        wait_for(lambda: len(icons()) >= 1, 10, what="an embedded icon")
        time.sleep(0.5)
        self.assertEqual(len(icons()), 1)
        icon = int(icons()[0], 16)
        geo = self.geometry(icon)
        x, y = geo["X"] + geo["WIDTH"] // 2, geo["Y"] + geo["HEIGHT"] // 2
        run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"])
        self.assertEqual(self.report("icon-1"), 1)
        run(["xdotool", "click", "3"])
        app = atspi.application(p.pid)
        quit_item = atspi.wait_find(lambda: app, "menu item", "Quit")
        wait_for(lambda: showing(quit_item), 10, what="tray menu open")
        self.screenshot("tray-menu")
        atspi.press(quit_item)
        self.assertEqual(self.report("tray-7"), "7")


WATCHER = os.path.join(HERE, "fake_sni_watcher.py")


class StatusNotifierTray(ZelTestCase):
    def watcher(self):
        log = os.path.join(self.tmp, "watcher.log")
        w = subprocess.Popen(["/usr/bin/python3", WATCHER, log], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        self.processes.append(w)
        wait_for(lambda: os.path.exists(log), 10, what="the watcher")
        return w, log

    @staticmethod
    def registered(log):
        with open(log) as f:
            return [line.split()[1] for line in f if line.startswith("register ")]

    @staticmethod
    def gdbus(name, path, method, *args):
        return run(["gdbus", "call", "--session", "--dest", name, "--object-path", path,
                    "--method", method, "--", *args])

    def item_id(self, name, label):
        """The dbusmenu id of the item with that label; None when not there."""
        layout = self.gdbus(name, "/MenuBar", "com.canonical.dbusmenu.GetLayout", "0", "-1",
                            "[]").stdout
        marker = "'label': <'%s'>" % label
        if marker not in layout:
            return None
        head = layout[:layout.index(marker)]
        return int(head[head.rindex("(") + 1:].split(",")[0])

    def test_register_activate_menu_and_restart(self):
        w, log = self.watcher()
        exe = self.pack(INI, {"index.html": page("<p>tray</p>", TRAY_PAGE),
                              "red.png": png((255, 0, 0))})
        self.start(exe)
        self.report("setup")
        name = wait_for(lambda: (self.registered(log) or [None])[-1], 15, what="registration")
        self.assertTrue(name.startswith("org.kde.StatusNotifierItem-"))

        status = self.gdbus(name, "/StatusNotifierItem", "org.freedesktop.DBus.Properties.Get",
                            "org.kde.StatusNotifierItem", "Status").stdout
        self.assertIn("Active", status)
        self.gdbus(name, "/StatusNotifierItem", "org.kde.StatusNotifierItem.Activate", "0", "0")
        self.assertEqual(self.report("icon-1"), 1)

        item = wait_for(lambda: self.item_id(name, "_Quit"), 10, what="the exported menu")
        # The item's image goes along as PNG bytes.
        icon = self.gdbus(name, "/MenuBar", "com.canonical.dbusmenu.GetProperty", str(item),
                          "icon-data").stdout
        self.assertIn("0x89, 0x50, 0x4e, 0x47", icon)
        self.gdbus(name, "/MenuBar", "com.canonical.dbusmenu.Event", str(item), "clicked",
                   "<0>", "0")
        self.assertEqual(self.report("tray-7"), "7")

        # A watcher that restarts hears from the item again.
        w.terminate()
        w.wait(10)
        os.remove(log)
        w, log = self.watcher()
        name = wait_for(lambda: (self.registered(log) or [None])[-1], 15,
                        what="registration after restart")

        # Hidden, the item leaves the bus, and the watcher with it.
        inner = wait_for(lambda: self.item_id(name, "Inner"), 10, what="the inner item")
        self.gdbus(name, "/MenuBar", "com.canonical.dbusmenu.Event", str(inner), "clicked",
                   "<0>", "0")
        self.assertTrue(self.report("hidden"))

        def owned():
            return "true" in self.gdbus("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                        "org.freedesktop.DBus.NameHasOwner", name).stdout
        wait_for(lambda: not owned(), 10, what="the item to leave")


if __name__ == "__main__":
    unittest.main()
