"""The start-up password prompt: it closes by itself on the right text, and
closing it any other way ends the program."""

import os
import time
import unittest

import atspi
from zeltest import ZelTestCase, page, run, wait_for

INI = {"ID": "e2e.password", "Name": "Password Test", "DirName": "app", "Password": "Secret"}
INDEX = page("<h1>inside</h1>", "report('loaded', {ok: true});")


class PasswordPrompt(ZelTestCase):
    def prompt(self, p):
        """The prompt's frame and field, focused for typing."""
        app = atspi.application(p.pid)
        frame = atspi.wait_find(lambda: app, "frame", INI["Name"])
        field = atspi.wait_find(lambda: frame, "password text")
        window = self.window_named(INI["Name"])
        run(["xdotool", "windowactivate", "--sync", str(window)])
        return frame, field, window

    def stays_open(self, p, window):
        time.sleep(0.7)
        self.assertIsNone(p.poll())
        self.assertIn(window, self.windows_of(p))
        self.assertFalse(self.has_report("loaded"))

    def clear(self):
        self.key("ctrl+a", "BackSpace")

    def test_only_the_exact_text_opens(self):
        p = self.start(self.pack(INI, {"index.html": INDEX}))
        frame, field, window = self.prompt(p)
        self.screenshot("prompt")
        geometry = self.geometry(window)
        self.assertLessEqual(abs(geometry["X"] + geometry["WIDTH"] // 2 - 640), 2)
        for wrong in ["secret", "SECRET", "Secre", " Secret"]:
            with self.subTest(wrong):
                self.type_text(wrong)
                self.stays_open(p, window)
                self.clear()
        # Enter and Escape mean nothing in the field.
        self.type_text("Secre")
        self.key("Return")
        self.key("Escape")
        self.stays_open(p, window)
        self.assertEqual(atspi.text_of(field), "*****")
        # One character too many, then deleted: closes on that key's release.
        self.type_text("xt")
        self.key("Left")
        self.stays_open(p, window)
        self.key("BackSpace")
        self.assertEqual(self.report("loaded"), {"ok": True})
        wait_for(lambda: window not in self.windows_of(p), what="the prompt to close")
        self.assertIsNone(p.poll())

    def test_closing_the_prompt_ends_the_program(self):
        p = self.start(self.pack(INI, {"index.html": INDEX}))
        _, _, window = self.prompt(p)
        self.close_window(window)
        self.assertEqual(self.exits(p), 0)
        self.assertFalse(self.has_report("loaded"))

    def test_second_window_launch_is_never_asked(self):
        app = self.pack(INI, {"index.html": INDEX})
        p = self.start(app, INI["ID"], "file:///index.html")
        self.assertEqual(self.report("loaded"), {"ok": True})
        self.assertEqual(atspi.find_all(atspi.application(p.pid), "password text"), [])

    def test_scaled_prompt(self):
        p = self.start(self.pack(INI, {"index.html": INDEX}), env={"GDK_SCALE": "2"})
        _, _, window = self.prompt(p)
        geometry = self.geometry(window)
        self.assertGreaterEqual(geometry["WIDTH"], 2 * 308)
        self.screenshot("prompt-scale2")
        self.type_text(INI["Password"])
        self.assertEqual(self.report("loaded"), {"ok": True})


if __name__ == "__main__":
    unittest.main()
