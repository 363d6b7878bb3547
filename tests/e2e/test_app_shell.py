"""zel.app and zel.shell end to end: arguments, full screen, commands,
programs and addresses, the file manager over D-Bus, and window titles."""

import json
import os
import stat
import subprocess

from zeltest import (ZelTestCase, page, read_calls, run, start_fake_service,
                     start_private_bus, wait_for)

INI = {"ID": "e2e.appshell", "Name": "AppShell Test", "DirName": "app"}

SETTLE = """
async function settle(p) {
  try { return {ok: await p}; } catch (e) { return {error: e}; }
}
"""

FILE_MANAGER_XML = """
<node><interface name="org.freedesktop.FileManager1">
  <method name="ShowItems"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
  <method name="ShowFolders"><arg type="as" direction="in"/><arg type="s" direction="in"/></method>
</interface></node>
"""


class App(ZelTestCase):
    def test_get_args(self):
        exe = self.pack(INI, {"index.html": page("", "zel.app.getArgs().then(a => report('args', a));")})
        self.start(exe, "one", "two words")
        self.assertEqual(self.report("args"), [os.path.realpath(exe), "one", "two words"])

    def test_full_screen_and_back(self):
        go = os.path.join(self.tmp, "go-exit")
        script = SETTLE + """
        async function run() {
          zel.app.enterFullscreen();
          zel.app.enterFullscreen();
          report('entered', await zel.app.inFullscreen());
          const timer = setInterval(async () => {
            if (!await zel.files.fileExists({filePath: %s})) return;
            clearInterval(timer);
            zel.app.exitFullscreen();
            report('exited', await zel.app.inFullscreen());
          }, 100);
        }
        run();
        """ % json.dumps(go)
        p = self.start(self.pack(dict(INI, WindowBorder=3), {"index.html": page("", script)}))
        self.assertIs(self.report("entered"), True)
        window = self.window(p)
        wait_for(lambda: "MAXIMIZED_HORZ" in self.xprop(window, "_NET_WM_STATE"), 10,
                 what="maximized")
        state = self.xprop(window, "_NET_WM_STATE")
        self.assertIn("_NET_WM_STATE_MAXIMIZED_VERT", state)
        self.assertIn("_NET_WM_STATE_MAXIMIZED_HORZ", state)
        wait_for(lambda: "= 0, 0, 0, 0" in self.xprop(window, "_NET_FRAME_EXTENTS"), 10,
                 what="no frame")

        self.write(go, "")
        self.assertIs(self.report("exited"), False)
        wait_for(lambda: "MAXIMIZED" not in self.xprop(window, "_NET_WM_STATE"), 10,
                 what="not maximized")
        # Decorated again with a dialog border, which cannot be resized.
        wait_for(lambda: "= 0, 0, 0, 0" not in self.xprop(window, "_NET_FRAME_EXTENTS"), 10,
                 what="a frame")
        self.assertIn("_NET_WM_WINDOW_TYPE_DIALOG", self.xprop(window, "_NET_WM_WINDOW_TYPE"))
        hints = self.xprop(window, "WM_NORMAL_HINTS")
        minimum = [l.split(":")[1].strip() for l in hints.splitlines() if "minimum size" in l]
        maximum = [l.split(":")[1].strip() for l in hints.splitlines() if "maximum size" in l]
        self.assertTrue(minimum and minimum == maximum, hints)


class Shell(ZelTestCase):
    def run_page(self, body, env=None, name="r"):
        script = SETTLE + "async function run() { const r = {}; " + body + \
            " report(%s, r); } run();" % json.dumps(name)
        self.start(self.pack(INI, {"index.html": page("", script)}), env=env)
        return self.report(name)

    def test_command(self):
        pwned = os.path.join(self.tmp, "pwned")
        r = self.run_page("""
          r.echo = await settle(zel.shell.command({command: 'echo hello'}));
          r.quotes = await settle(zel.shell.command({command: "printf '\\"q\\"\\\\n'"}));
          r.nosuch = await settle(zel.shell.command({command: 'nosuch'}));
          r.cwd = await settle(zel.shell.command({command: 'pwd', workingDir: '/usr'}));
          r.inject = await settle(zel.shell.command({command: 'echo x',
                                                     workingDir: '/tmp; touch %s'}));
          r.missing = await settle(zel.shell.command({}));
        """ % pwned)
        self.assertEqual(r["echo"], {"ok": "hello\n"})
        self.assertEqual(r["quotes"], {"ok": '"q"\n'})
        self.assertIn("not found", r["nosuch"]["ok"])
        self.assertEqual(r["cwd"], {"ok": "/usr\n"})
        self.assertEqual(r["inject"], {"ok": ""})
        self.assertFalse(os.path.exists(pwned))
        self.assertEqual(r["missing"], {"error": "Missing command"})

    def test_execute(self):
        log = os.path.join(self.tmp, "handler.log")
        handler = os.path.join(self.tmp, "handler.sh")
        self.write(handler, '#!/bin/sh\necho "$1" >> %s\n' % log)
        os.chmod(handler, stat.S_IRWXU)
        self.write(os.path.join(self.env["XDG_DATA_HOME"], "applications", "zeltest-handler.desktop"),
                   "[Desktop Entry]\nType=Application\nName=Zel Test Handler\n"
                   "Exec=%s %%u\nMimeType=x-scheme-handler/zeltest;\nNoDisplay=true\n" % handler)
        self.write(os.path.join(self.env["XDG_CONFIG_HOME"], "mimeapps.list"),
                   "[Default Applications]\nx-scheme-handler/zeltest=zeltest-handler.desktop\n")
        pwned = os.path.join(self.tmp, "pwned")
        r = self.run_page("""
          r.uri = await settle(zel.shell.execute({filePath: 'zeltest:hello/world?x=1'}));
          r.missingFile = await settle(zel.shell.execute({filePath: '%s/no such file.txt'}));
          r.inject = await settle(zel.shell.execute({filePath: '/bin/true; touch %s'}));
          r.program = await settle(zel.shell.execute({filePath: 'touch',
                                                      arguments: '"%s/made it"'}));
          r.missing = await settle(zel.shell.execute({arguments: 'x'}));
        """ % (self.tmp, pwned, self.tmp))
        self.assertEqual(r["uri"], {"ok": True})
        wait_for(lambda: os.path.exists(log), 10, what="the handler's log")
        with open(log) as f:
            self.assertEqual(f.read(), "zeltest:hello/world?x=1\n")
        for key in ("missingFile", "inject"):
            self.assertIn("error", r[key], key)
            self.assertTrue(r[key]["error"].strip(), key)
            self.assertFalse(r[key]["error"].endswith("."), key)
        self.assertEqual(r["program"], {"ok": True})
        wait_for(lambda: os.path.exists(os.path.join(self.tmp, "made it")), 10, what="made it")
        self.assertFalse(os.path.exists(pwned))
        self.assertEqual(r["missing"], {"error": "Missing filePath"})

    def test_explore_with_a_file_manager(self):
        address, bus = start_private_bus(self.tmp)
        self.services.append(bus)
        log = os.path.join(self.tmp, "fm.log")
        self.services.append(start_fake_service(
            address, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
            FILE_MANAGER_XML, log))
        r = self.run_page("""
          r.explore = await settle(zel.shell.explore({filePath: '/tmp/a b/c.txt'}));
          r.missing = await settle(zel.shell.explore({filePath: ''}));
        """, env={"DBUS_SESSION_BUS_ADDRESS": address})
        self.assertEqual(r["explore"], {"ok": True})
        self.assertEqual(r["missing"], {"error": "Missing filePath"})
        self.assertEqual(read_calls(log), [["ShowItems", [["file:///tmp/a%20b/c.txt"], ""]]])

    def test_explore_without_a_file_manager_opens_the_folder(self):
        address, bus = start_private_bus(self.tmp)
        self.services.append(bus)
        log = os.path.join(self.tmp, "folder.log")
        handler = os.path.join(self.tmp, "folder.sh")
        self.write(handler, '#!/bin/sh\necho "$1" >> %s\n' % log)
        os.chmod(handler, stat.S_IRWXU)
        self.write(os.path.join(self.env["XDG_DATA_HOME"], "applications", "zeltest-folder.desktop"),
                   "[Desktop Entry]\nType=Application\nName=Zel Test Folders\n"
                   "Exec=%s %%u\nMimeType=inode/directory;\nNoDisplay=true\n" % handler)
        self.write(os.path.join(self.env["XDG_CONFIG_HOME"], "mimeapps.list"),
                   "[Default Applications]\ninode/directory=zeltest-folder.desktop\n")
        folder = os.path.join(self.tmp, "a b")
        self.write(os.path.join(folder, "c.txt"), "x")
        r = self.run_page("r.explore = await settle(zel.shell.explore({filePath: %s}));"
                          % json.dumps(folder + "/c.txt"),
                          env={"DBUS_SESSION_BUS_ADDRESS": address})
        self.assertEqual(r["explore"], {"ok": True})
        wait_for(lambda: os.path.exists(log), 10, what="the folder handler's log")
        with open(log) as f:
            self.assertIn(f.read().strip(), (folder, "file://" + folder.replace(" ", "%20")))

    def test_window_titles(self):
        helper = """
import sys
import gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk, GLib
for t in sys.argv[1:]:
    w = Gtk.Window(title=t)
    w.show()
GLib.timeout_add_seconds(60, Gtk.main_quit)
Gtk.main()
"""
        titles = ['He said "hi" \\ ok', "   ", "  lead"]
        p = subprocess.Popen(["/usr/bin/python3", "-c", helper, *titles], env=self.env)
        self.processes.append(p)
        wait_for(lambda: run(["xdotool", "search", "--name", "^  lead$"]).stdout.strip(), 10,
                 what="helper windows")
        r = self.run_page("r.windows = await settle(zel.shell.windows());")
        got = r["windows"]["ok"]
        self.assertIn(titles[0], got)
        self.assertIn(titles[2], got)
        self.assertNotIn(titles[1], got)
        self.assertFalse([t for t in got if not t.strip()])
        self.assertIn("AppShell Test", got)
