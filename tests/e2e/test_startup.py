"""The start-up: the package, the configuration, the localized message,
the per-user folder, the browser's environment and the single-instance rule."""

import os
import time
import unittest

import atspi
from zeltest import ZEL, ZelTestCase, page, run, wait_for

INI = {"ID": "e2e.start", "Name": "Start Test", "DirName": "app"}
INDEX = page("<h1>start</h1>", "report('loaded', {ok: true});")


class BareHost(ZelTestCase):
    def test_message_in_the_users_language(self):
        cases = [
            ("de_DE.UTF-8", "Error", "Dies ist keine gültige Windows-Anwendung.", "Akzeptieren"),
            ("zh_CN.UTF-8", "错误", "这不是有效的Windows应用程序。", "接受"),
            ("pt_BR.UTF-8", "Error", "This is not a valid Windows application.", "Accept"),
        ]
        for locale, title, message, button in cases:
            with self.subTest(locale=locale):
                p = self.start(ZEL, env={"LC_ALL": locale, "LANG": locale})
                dialog = atspi.wait_find(lambda: atspi.application(p.pid), "alert")
                self.assertEqual(self.title(self.window(p)), title)
                shown = atspi.texts(dialog)
                self.assertIn(message, shown)
                self.assertIn("[%s]" % button, shown)
                self.screenshot("message-" + locale.split(".")[0])
                atspi.press(atspi.find_all(dialog, "push button", button)[0])
                self.assertEqual(self.exits(p), 0)


class SilentEnds(ZelTestCase):
    def test_unusable_packages_end_silently(self):
        with_id = self.pack(INI, {"index.html": INDEX})
        no_id = self.pack({"Name": "x", "DirName": "app"}, {"index.html": INDEX}, name="noid")
        garbage = os.path.join(self.tmp, "garbage.bin")
        with open(ZEL, "rb") as f:
            bare = f.read()
        with open(with_id, "rb") as f:
            packed = f.read()
        cases = {
            "no ID": no_id,
            "garbage tail": (bare + b"not an archive at all"),
            "truncated archive": packed[: len(bare) + (len(packed) - len(bare)) // 2],
            "one-byte tail": bare + b"\0",
        }
        for what, exe in cases.items():
            with self.subTest(what):
                if isinstance(exe, bytes):
                    with open(garbage, "wb") as f:
                        f.write(exe)
                    os.chmod(garbage, 0o755)
                    exe = garbage
                p = self.start(exe)
                self.assertEqual(self.exits(p, 15), 0)
                self.assertEqual(self.windows_of(p), [])


class Instances(ZelTestCase):
    def test_second_start_of_the_same_id_ends_at_once(self):
        app = self.pack(INI, {"index.html": INDEX,
                              "other.html": page("", "report('other', location.pathname);")})
        first = self.start(app)
        self.report("loaded")
        second = self.start(app)
        self.assertEqual(self.exits(second, 15), 0)
        self.assertIsNone(first.poll())
        # The second-window command line passes the rule and opens its page.
        other = self.start(app, "e2e.start", "file:///other.html")
        self.assertTrue(self.report("other").endswith("/other.html"))
        self.assertIsNone(other.poll())
        # One argument equal to the id is not the second-window form.
        single = self.start(app, "e2e.start")
        self.assertEqual(self.exits(single, 15), 0)

    def test_allow_instances(self):
        app = self.pack(dict(INI, AllowInstances="1"), {"index.html": INDEX})
        first = self.start(app)
        self.report("loaded")
        os.remove(os.path.join(self.reports, "loaded.json"))
        second = self.start(app)
        self.report("loaded")
        self.assertIsNone(first.poll())
        self.assertIsNone(second.poll())


class PerUserFolder(ZelTestCase):
    def test_folder_loader_and_environment(self):
        app = self.pack(dict(INI, WebviewArguments="--disable-web-security --custom-switch"),
                        {"index.html": INDEX})
        p = self.start(app, env={"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER": "/elsewhere",
                                 "WEBVIEW2_RELEASE_CHANNEL_PREFERENCE": "1"})
        self.report("loaded")
        data = os.path.join(self.env["XDG_DATA_HOME"], "e2e.start")
        runtime = os.path.join(data, "Linux64")
        self.assertTrue(os.path.isdir(runtime))
        loaders = [os.path.join(d, f) for d, _, fs in os.walk(runtime) for f in fs
                   if f == "libzelwebkit.so"]
        self.assertEqual(len(loaders), 1)
        # The browser's processes are the host's children and inherit the
        # environment the start-up prepared.
        children = run(["pgrep", "-P", str(p.pid)]).stdout.split()
        self.assertTrue(children)
        with open("/proc/%s/environ" % children[0], "rb") as f:
            env = dict(v.split(b"=", 1) for v in f.read().split(b"\0") if b"=" in v)
        self.assertEqual(env[b"WEBVIEW2_USER_DATA_FOLDER"].decode(), runtime + "/")
        self.assertEqual(env[b"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS"],
                         b"--disable-web-security --custom-switch")
        self.assertNotIn(b"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", env)
        self.assertNotIn(b"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", env)


if __name__ == "__main__":
    unittest.main()
