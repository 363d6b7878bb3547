"""The system functions end to end: log-off, restart and shutdown against a
fake logind on a private system bus, hardware addresses inside a network
namespace, notifications under dunst, and the host's themes."""

import html
import json
import os
import shutil
import subprocess
import time
import unittest

import atspi
from privatebus import PrivateBus, assert_private_system_bus, start_logind_mock
from zeltest import ZelTestCase, page, run, wait_for

INI = {"ID": "e2e.system", "Name": "System Test", "DirName": "app"}

# The page runs its steps one at a time: step n starts when the test
# creates the file "go-n" and ends with the report "step-n".
STEPPER = """
async function settle(p) {
  try { return {ok: await p}; } catch (e) { return {error: e}; }
}
const clicks = [];
zel.events.onNotificationClick = function (name) {
  clicks.push(name);
  report('clicks', clicks);
};
async function runSteps() {
  const dir = %(dir)s;
  for (let n = 0; n < steps.length; n++) {
    while (!(await zel.files.fileExists({filePath: dir + 'go-' + n})))
      await new Promise(r => setTimeout(r, 50));
    report('step-' + n, await steps[n]());
  }
}
runSteps();
"""


class SystemCase(ZelTestCase):
    def setUp(self):
        super().setUp()
        self.mocks = []
        # Always, before any host starts: the host's system bus is ours.
        self.system_bus = PrivateBus(os.path.join(self.tmp, "system-bus"))
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self.system_bus.address

    def tearDown(self):
        super().tearDown()
        for m in self.mocks:
            if m.poll() is None:
                m.kill()
                m.wait(10)
        self.system_bus.close()

    def start(self, exe, *args, env=None):
        e = dict(self.env)
        e.update(env or {})
        assert_private_system_bus(e, self.system_bus)
        return super().start(exe, *args, env=env)

    def stepper(self, steps_js, ini=None):
        script = "const steps = [%s];\n" % steps_js + STEPPER % {
            "dir": json.dumps(self.reports)}
        return self.pack(ini or INI, {"index.html": page("<h1>System</h1>", script)})

    def step(self, n, timeout=25):
        self.write(os.path.join(self.reports, "go-%d" % n), "")
        return self.report("step-%d" % n, timeout)


class ExitRequests(SystemCase):
    def test_logind_gets_the_requests_and_its_refusal_comes_back(self):
        log = os.path.join(self.tmp, "logind.log")
        self.mocks.append(start_logind_mock(self.system_bus, log))
        self.system_bus.call("org.freedesktop.login1", "/org/freedesktop/login1",
                             "org.freedesktop.DBus.Mock.AddSession",
                             "auto", "seat0", "1000", "tester", "true")
        app = self.stepper("""
          () => settle(zel.system.reboot()),
          () => settle(zel.system.shutdown()),
          () => settle(zel.system.logoff()),
          () => settle(zel.system.shutdown())""")
        self.start(app)
        self.assertEqual(self.step(0), {"ok": True})
        self.assertEqual(self.step(1), {"ok": True})
        self.assertEqual(self.step(2), {"ok": True})
        with open(log) as f:
            calls = [" ".join(line.split()[1:]) for line in f if line.strip()]
        self.assertIn("Reboot False", calls)
        self.assertIn("PowerOff False", calls)
        # Session.Terminate: only the object session/auto has it, and the
        # call succeeded.
        self.assertIn("Terminate", calls)
        # Polkit's refusal, as logind passes it on.
        self.system_bus.call(
            "org.freedesktop.login1", "/org/freedesktop/login1",
            "org.freedesktop.DBus.Mock.AddMethod", "org.freedesktop.login1.Manager",
            "PowerOff", "b", "",
            "raise dbus.exceptions.DBusException('Access denied.', "
            "name='org.freedesktop.DBus.Error.AccessDenied')")
        self.assertEqual(self.step(3), {"error": "Access denied"})

    def test_without_a_bus_the_connection_error_comes_back(self):
        app = self.stepper("() => settle(zel.system.reboot())")
        missing = "unix:path=" + os.path.join(self.system_bus.folder, "no-such-socket")
        self.start(app, env={"DBUS_SYSTEM_BUS_ADDRESS": missing})
        refusal = self.step(0)
        self.assertIn("error", refusal)
        self.assertTrue(refusal["error"], refusal)
        self.assertFalse(refusal["error"].endswith((".", " ", "\n")), refusal)
        self.assertNotIn("GDBus.Error", refusal["error"])


NETNS_SETUP = """
set -e
ip link add zelveth0 address 00:1a:2b:3c:4d:5e type veth peer name zelveth1 \
  address 00:1a:2b:3c:4d:5f
ip link set zelveth0 up
mount -t sysfs sysfs /sys
exec "$@"
"""


def can_make_namespaces():
    if os.geteuid() != 0 or not shutil.which("unshare") or not shutil.which("ip"):
        return False
    return run(["unshare", "-n", "-m", "sh", "-c", NETNS_SETUP, "sh", "true"]).returncode == 0


class Addresses(SystemCase):
    @unittest.skipUnless(can_make_namespaces(), "needs root for a network namespace")
    def test_addresses_in_a_network_namespace(self):
        app = self.stepper("() => settle(zel.system.macAddresses())")
        e = dict(self.env)
        assert_private_system_bus(e, self.system_bus)
        # The session bus of the namespace's host is a filesystem socket.
        e["DBUS_SESSION_BUS_ADDRESS"] = self.system_bus.address
        p = subprocess.Popen(["unshare", "-n", "-m", "sh", "-c", NETNS_SETUP, "sh", app],
                             env=e, cwd=self.tmp, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        self.processes.append(p)
        # Interface order: zelveth1 is created second but gets the lower
        # index as the peer; both are listed, loopback is not.
        self.assertEqual(self.step(0), {"ok": ["E,00:1a:2b:3c:4d:5f", "E,00:1a:2b:3c:4d:5e"]})


class Notifications(SystemCase):
    def setUp(self):
        super().setUp()
        self.session_bus = PrivateBus(os.path.join(self.tmp, "session-bus"))
        self.session_env = {"DBUS_SESSION_BUS_ADDRESS": self.session_bus.address}

    def tearDown(self):
        super().tearDown()
        self.session_bus.close()

    def dunstctl(self, *args):
        e = dict(os.environ, **self.session_env)
        return run(["dunstctl", *args], env=e).stdout.strip()

    def test_dunst_shows_replaces_and_reports_clicks(self):
        if not shutil.which("dunst"):
            self.skipTest("dunst is not installed")
        e = dict(os.environ, **self.session_env)
        e["XDG_CONFIG_HOME"] = self.env["XDG_CONFIG_HOME"]
        self.mocks.append(subprocess.Popen(["dunst"], env=e, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))
        self.session_bus.wait_for_name("org.freedesktop.Notifications")
        app = self.stepper(r"""
          () => settle(zel.system.notification({name: 'ok"1\\', title: 'First',
                                                body: 'a < b & c'})),
          () => settle(zel.system.notification({name: 'ok"1\\', title: 'Second',
                                                body: 'a < b & c'})),
          () => settle(zel.system.notification({name: 'only-name'}))""")
        self.start(app, env=self.session_env)
        self.assertEqual(self.step(0), {"ok": True})
        wait_for(lambda: self.dunstctl("count", "displayed") == "1", what="one notification")
        self.assertEqual(self.step(1), {"ok": True})
        self.assertEqual(self.dunstctl("count", "displayed"), "1")
        self.screenshot("notification")
        self.dunstctl("action", "0")
        self.assertEqual(self.report("clicks"), ['ok"1\\'])
        self.assertEqual(self.step(2), {"ok": True})
        wait_for(lambda: self.dunstctl("count", "displayed") == "1", what="the nameless one")
        self.dunstctl("close-all")
        history = json.loads(self.dunstctl("history"))["data"][0]
        bodies = {h["summary"]["data"]: h["body"]["data"] for h in history}
        # dunst keeps the markup it was sent and renders it: the text shown
        # is exactly the page's body.
        self.assertEqual(html.unescape(bodies.get("Second", "")), "a < b & c", history)

    def test_without_a_notification_service_the_answer_is_false(self):
        app = self.stepper("() => settle(zel.system.notification({name: 'n', title: 't'}))")
        self.start(app, env=self.session_env)
        self.assertEqual(self.step(0), {"ok": False})


THEMES = [
    "Amakrits", "Amethyst Kamri", "Aqua Graphite", "Aqua Light Slate", "Auric", "Carbon",
    "Charcoal Dark Slate", "Cobalt XEMedia", "Cyan Dusk", "Cyan Night", "Emerald Light Slate",
    "Glossy", "Glow", "Golden Graphite", "Iceberg Classico", "Lavender Classico", "Light", "Luna",
    "Metropolis UI Black", "Metropolis UI Blue", "Metropolis UI Dark", "Metropolis UI Green",
    "Obsidian", "Onyx Blue", "Ruby Graphite", "Sapphire Kamri", "Silver", "Sky", "Slate Classico",
    "Smokey Quartz Kamri", "Tablet Dark", "Tablet Light", "Turquoise Gray", "Windows",
    "Windows10", "Windows10 Blue", "Windows10 Dark", "Windows10 Green", "Windows10 Purple",
    "Windows10 SlateGray"]


def pixel(path, x, y):
    out = run(["convert", path, "-crop", "1x1+%d+%d" % (x, y), "-format",
               "%[fx:int(255*r+.5)],%[fx:int(255*g+.5)],%[fx:int(255*b+.5)]", "info:"]).stdout
    return tuple(int(v) for v in out.split(","))


class Themes(SystemCase):
    def test_bridge_functions(self):
        app = self.stepper("""
          async () => {
            const r = {};
            r.list = await zel.themes.getThemes();
            r.dark = await zel.themes.setTheme({name: 'Windows10 Dark'});
            r.afterDark = await zel.themes.getTheme();
            r.lower = await zel.themes.setTheme({name: 'carbon'});
            r.afterLower = await zel.themes.getTheme();
            r.empty = await zel.themes.setTheme({});
            r.afterEmpty = await zel.themes.getTheme();
            r.windows = await zel.themes.setTheme({name: 'Windows'});
            r.afterWindows = await zel.themes.getTheme();
            return r;
          }""")
        self.start(app)
        r = self.step(0)
        self.assertEqual(r["list"], THEMES)
        self.assertEqual((r["dark"], r["afterDark"]), (True, "Windows10 Dark"))
        self.assertEqual((r["lower"], r["afterLower"]), (False, "Carbon"))
        self.assertEqual((r["empty"], r["afterEmpty"]), (False, "Carbon"))
        self.assertEqual((r["windows"], r["afterWindows"]), (True, "Windows"))

    def test_start_up_theme(self):
        p = self.start(self.stepper("() => zel.themes.getTheme()", dict(INI, Theme="NoSuch")))
        app = atspi.application(p.pid)
        label = wait_for(lambda: atspi.find_all(app, "label", "Style 'NoSuch' not found"),
                         what="the style error")
        self.assertTrue(label)
        buttons = wait_for(lambda: atspi.find_all(app, "push button"), what="its button")
        self.assertEqual(len(buttons), 1)
        buttons[0].do_action(0)
        self.assertEqual(self.step(0), "Windows")
        p.kill()
        p.wait(10)
        p = self.start(self.pack(dict(INI, Theme="carbon"), {"index.html": page(
            "", "zel.themes.getTheme().then(t => report('carbon', t));")}, name="carbon"))
        self.assertEqual(self.report("carbon"), "Carbon")

    def test_menu_bar_follows_the_theme(self):
        app = self.stepper("""
          () => zel.mainMenu.setItems({items: JSON.stringify([{id: 1, caption: '&File', items: [
                   {id: 2, caption: 'Open'}, {id: 3, caption: 'Off', enabled: false}]}])}),
          () => zel.themes.setTheme({name: 'Windows10 Dark'}),
          () => zel.themes.setTheme({name: 'Windows'})""")
        p = self.start(app)
        app = atspi.application(p.pid)
        colours = []
        for n in range(3):
            self.assertTrue(self.step(n))
            bar = atspi.wait_find(lambda: app, "menu bar")
            ext = bar.get_extents(atspi.Atspi.CoordType.SCREEN)
            time.sleep(0.5)
            shot = self.screenshot("menu-bar-%d" % n)
            # The bar's empty end, right of its only item.
            colours.append(pixel(shot, ext.x + ext.width - 4, ext.y + ext.height // 2))
            if n == 1:
                self.assert_disabled_item_dimmed(p, app)
        plain, dark, back = colours
        self.assertNotEqual(plain, dark)
        self.assertLess(sum(dark), sum(plain))
        self.assertEqual(back, plain)

    def assert_disabled_item_dimmed(self, p, app):
        """The popup keeps the system's look under a theme: its disabled
        item's text stays dimmer than the enabled one's."""
        run(["xdotool", "windowactivate", "--sync", str(self.window(p))])
        run(["xdotool", "key", "alt+f"])
        items = [atspi.wait_find(lambda: app, "menu item", name) for name in ("Open", "Off")]
        wait_for(lambda: items[0].get_state_set().contains(atspi.Atspi.StateType.SHOWING), 10,
                 what="File menu open")
        time.sleep(0.5)
        shot = self.screenshot("dark-menu")
        contrast = []
        for item in items:
            e = item.get_extents(atspi.Atspi.CoordType.SCREEN)
            out = run(["convert", shot, "-crop", "%dx%d+%d+%d" % (e.width, e.height, e.x, e.y),
                       "-colorspace", "Gray", "-format", "%[fx:maxima-minima]", "info:"]).stdout
            contrast.append(float(out))
        run(["xdotool", "key", "Escape"])
        enabled, disabled = contrast
        self.assertLess(disabled, enabled - 0.15, contrast)

    def test_dialogs_wear_the_theme(self):
        # A message dialog (the start-up error) and a file chooser, three
        # contrasting themes: the dialog's background follows the palette.
        backgrounds = {}
        for n, theme in enumerate(["Windows", "Windows10 Dark", "Luna"]):
            os.makedirs(os.path.join(self.reports, str(n)))
            reports = self.reports
            self.reports = os.path.join(reports, str(n)) + "/"
            steps = """
              async () => { await zel.themes.setTheme({name: %s});
                            return await zel.dialogs.openFile({}); }""" % json.dumps(theme)
            p = self.start(self.stepper(steps, dict(INI, ID="e2e.system%d" % n)),
                           env={"XDG_DATA_HOME": os.path.join(self.tmp, "data%d" % n)})
            self.write(os.path.join(self.reports, "go-0"), "")
            chooser = wait_for(lambda: [w for w in self.windows_of(p)
                                        if self.title(w) != INI["Name"]],
                               what="the file chooser")[-1]
            run(["xdotool", "windowactivate", "--sync", str(chooser)])
            time.sleep(0.7)
            self.screenshot("chooser-%d" % n)
            # The action area's background, left of the buttons.
            shot = os.path.join(self.tmp, "chooser-%d.png" % n)
            run(["import", "-window", str(chooser), shot])
            size = run(["identify", "-format", "%w %h", shot]).stdout.split()
            backgrounds[theme] = pixel(shot, 12, int(size[1]) - 10)
            atspi.press(atspi.find_all(atspi.application(p.pid), "push button", "Cancel")[-1])
            self.assertEqual(self.report("step-0"), "")
            p.kill()
            p.wait(10)
            self.reports = reports
        dark = backgrounds["Windows10 Dark"]
        self.assertLess(sum(dark), 3 * 80, backgrounds)
        self.assertNotEqual(backgrounds["Windows"], dark)
        self.assertNotEqual(backgrounds["Luna"], dark)


if __name__ == "__main__":
    unittest.main()
