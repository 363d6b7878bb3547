"""The missing-runtime road: the localized messages, the installer run behind
the progress window, the fresh start, and the per-user folder's removal.
The package carries a stub loader that reports no runtime; the tests run as
root, so the installer runs without pkexec."""

import os
import shutil
import signal
import time
import unittest

import atspi
from zeltest import BUILD, ZEL, ZelTestCase, page, run, wait_for

STUB = os.path.join(BUILD, "tests", "libzelstubruntime.so")
REAL = os.path.join(BUILD, "bin", "libzelwebkit.so")
INSTALLER = "zel-runtime-installer.sh"
INI = {"ID": "e2e.installer", "Name": "Installer Test", "DirName": "app"}
INDEX = page("<h1>installed</h1>", "report('loaded', {ok: true});")

MESSAGES = {
    6: "The Microsoft WebView2 runtime is required to run this application. This application "
       "cannot continue and will be closed now.",
    7: "The Microsoft WebView2 runtime is required to run this application. Do you want to "
       "install it now?",
    8: "This application cannot continue and will be closed now.",
    9: "You cancel the installation of Microsoft WebView2 runtime, This application cannot "
       "continue and will be closed now.",
}


@unittest.skipUnless(os.geteuid() == 0, "runs the installer as root, without pkexec")
class MissingRuntime(ZelTestCase):
    def setUp(self):
        super().setUp()
        # A bare host with nothing beside it, so no real installer or loader
        # slips into the packages.
        hostdir = os.path.join(self.tmp, "host")
        os.makedirs(hostdir)
        self.host = os.path.join(hostdir, "zel")
        shutil.copy(ZEL, self.host)
        self.data = os.path.join(self.env["XDG_DATA_HOME"], INI["ID"])

    def app(self, installer=None, **ini):
        with open(STUB, "rb") as f:
            files = {"libzelwebkit.so": f.read()}
        if installer is not None:
            files[INSTALLER] = installer
        return self.pack(dict(INI, **ini), {"index.html": INDEX}, folder_files=files,
                         host=self.host)

    def dialog(self, p, message):
        """The message box showing message `message`; returns it."""
        def find():
            for node in atspi.find_all(atspi.application(p.pid), "alert"):
                if MESSAGES[message] in atspi.texts(node):
                    return node
            return None
        return wait_for(find, what="message %d" % message)

    def answer(self, p, message, button):
        node = self.dialog(p, message)
        atspi.press(atspi.find_all(node, "push button", button)[0])

    def test_no_installer_offered(self):
        p = self.start(self.app(EdgeInstaller="0"))
        self.answer(p, 6, "Accept")
        self.assertEqual(self.exits(p), 0)
        self.assertTrue(os.path.isdir(self.data))

    def test_declined(self):
        p = self.start(self.app())
        self.answer(p, 7, "Cancel")
        self.answer(p, 8, "Accept")
        self.assertEqual(self.exits(p), 0)
        self.assertFalse(os.path.exists(self.data))

    def test_accepted_without_installer(self):
        for what, installer in [("no entry", None), ("empty entry", b"")]:
            with self.subTest(what):
                p = self.start(self.app(installer))
                self.answer(p, 7, "Accept")
                self.answer(p, 9, "Accept")
                self.assertEqual(self.exits(p), 0)
                self.assertFalse(os.path.exists(self.data))

    def test_installer_that_does_not_install(self):
        log = os.path.join(self.tmp, "installer.log")
        p = self.start(self.app("#!/bin/sh\necho \"$@\" > %s\nexit 259\n" % log))
        self.answer(p, 7, "Accept")
        self.answer(p, 9, "Accept")
        self.assertEqual(self.exits(p), 0)
        with open(log) as f:
            self.assertEqual(f.read().strip(), "/silent /install")
        self.assertFalse(os.path.exists(self.data))

    def test_installed_then_started_afresh(self):
        log = os.path.join(self.tmp, "installer.log")
        # Logs its arguments, takes its time, then puts the real runtime in
        # the stub's place (whole, by rename, as a package manager does).
        script = ("#!/bin/sh\necho \"$@\" > %(log)s\nsleep 3\n"
                  "for f in %(data)s/Linux64/*/libzelwebkit.so; do\n"
                  "  cp %(real)s \"$f.new\" && mv \"$f.new\" \"$f\"\ndone\n"
                  % {"log": log, "data": self.data, "real": REAL})
        p = self.start(self.app(script, InstallIndicatorType="1"))
        self.answer(p, 7, "Accept")
        progress = self.window_named("EdgeInstallerForm")
        geometry = self.geometry(progress)
        self.assertEqual((geometry["WIDTH"], geometry["HEIGHT"]), (80, 80))
        self.assertLessEqual(abs(geometry["X"] + 40 - 640), 1)
        self.assertLessEqual(abs(geometry["Y"] + 40 - 400), 1)
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", self.xprop(progress, "_NET_WM_STATE"))
        self.screenshot("progress")
        # Neither the keys nor the window manager's close end it.
        run(["xdotool", "windowactivate", str(progress)])
        self.key("alt+F4")
        self.close_window(progress)
        self.assertIn(progress, self.windows_of(p))
        self.assertEqual(self.exits(p, 30), 0)
        with open(log) as f:
            self.assertEqual(f.read().strip(), "/silent /install")
        # The fresh instance finds the runtime and shows the page.
        self.assertEqual(self.report("loaded", 30), {"ok": True})
        self.assertFalse(os.path.exists(os.path.join(self.data, INSTALLER)))

    def test_progress_window_kinds(self):
        cases = [({"InstallIndicatorType": "0"}, {}),
                 ({"InstallIndicatorType": "2"}, {}),
                 ({"InstallIndicatorType": "1", "InstallIndicatorColor": "0",
                   "InstallFormColor": "$0080FFFF"}, {}),
                 ({"InstallIndicatorType": "2"}, {"GDK_SCALE": "2"})]
        for keys, env in cases:
            with self.subTest(keys=keys, env=env):
                p = self.start(self.app("#!/bin/sh\nsleep 2\n", **keys), env=env)
                self.answer(p, 7, "Accept")
                progress = self.window_named("EdgeInstallerForm")
                geometry = self.geometry(progress)
                size = 160 if env else 80
                self.assertEqual((geometry["WIDTH"], geometry["HEIGHT"]), (size, size))
                time.sleep(0.3)
                self.screenshot("kind%s%s" % (keys["InstallIndicatorType"],
                                              "-scale2" if env else ""))
                self.answer(p, 9, "Accept")
                self.assertEqual(self.exits(p), 0)

    def test_told_to_end_while_waiting(self):
        p = self.start(self.app("#!/bin/sh\nsleep 60\n"))
        self.answer(p, 7, "Accept")
        self.window_named("EdgeInstallerForm")
        p.send_signal(signal.SIGTERM)
        self.assertEqual(self.exits(p, 10), -signal.SIGTERM)

    def test_real_runtime_never_starts_the_flow(self):
        p = self.pack(INI, {"index.html": INDEX},
                      folder_files={INSTALLER: "#!/bin/sh\ntouch %s/ran\n" % self.tmp})
        self.start(p)
        self.assertEqual(self.report("loaded"), {"ok": True})
        self.assertFalse(os.path.exists(os.path.join(self.data, INSTALLER)))
        self.assertFalse(os.path.exists(os.path.join(self.tmp, "ran")))


if __name__ == "__main__":
    unittest.main()
