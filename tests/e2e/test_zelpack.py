"""The packager: what it writes, what it lists, and its clear refusals."""

import json
import os
import unittest

from zeltest import ZEL, ZELPACK, ZelTestCase, run


class Packager(ZelTestCase):
    def folder(self):
        src = os.path.join(self.tmp, "src")
        self.write(os.path.join(src, "zel.ini"), "[App]\nID=x\nName=x\nDirName=app\n")
        self.write(os.path.join(src, "app", "index.html"), "<p>")
        self.write(os.path.join(src, "app", "css", "a.css"), "")
        os.makedirs(os.path.join(src, "app", "empty"), exist_ok=True)
        return src

    def test_lists_every_file_and_folder(self):
        out = os.path.join(self.tmp, "app.bin")
        result = run([ZELPACK, self.folder(), "-o", out])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(os.access(out, os.X_OK))
        listing = run([ZELPACK, "--list", out]).stdout.split()
        self.assertEqual(sorted(listing), sorted([
            "zel.ini", "app/", "app/index.html", "app/css/", "app/css/a.css", "app/empty/",
            "libzelwebkit.so", "zel-runtime-installer.sh"]))

    def test_refusals(self):
        src = self.folder()
        packed = os.path.join(self.tmp, "packed.bin")
        self.assertEqual(run([ZELPACK, src, "-o", packed]).returncode, 0)
        with open(packed, "rb") as f:
            before = f.read()
        out = os.path.join(self.tmp, "o")
        cases = [
            ([os.path.join(self.tmp, "none"), "-o", packed], "folder not found"),
            ([src, "-o", "/nonexistent/dir/app.bin"], "cannot write"),
            ([src, "-o", out, "--host", packed], "already carries an archive"),
            ([src, "-o", out, "--host", os.path.join(src, "zel.ini")], "not an executable"),
            ([src, "-o", out, "--host", os.path.join(self.tmp, "nohost")], "host not found"),
            (["--list", ZEL], "no application archive"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                result = run([ZELPACK, *args])
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr)
                self.assertEqual(len(result.stderr.strip().splitlines()), 1, result.stderr)
        # A refused output never replaces the application that was there.
        with open(packed, "rb") as f:
            self.assertEqual(f.read(), before)
        self.assertFalse(os.path.exists(out))
        # A file that cannot be read.
        os.symlink("/nonexistent/target", os.path.join(src, "app", "dangling.txt"))
        result = run([ZELPACK, src, "-o", out])
        self.assertEqual(result.returncode, 1)
        self.assertIn("cannot read", result.stderr)
        self.assertEqual(run([ZELPACK]).returncode, 2)

    def test_refuses_an_id_that_is_no_folder_name(self):
        src = self.folder()
        out = os.path.join(self.tmp, "app.bin")
        for app_id in ["..", ".", "  ", "../escape", "a\\b", "a\x01b"]:
            with self.subTest(id=app_id):
                self.write(os.path.join(src, "zel.ini"),
                           "[App]\nID=%s\nName=x\nDirName=app\n" % app_id)
                result = run([ZELPACK, src, "-o", out])
                self.assertEqual(result.returncode, 1)
                self.assertIn("[App] ID", result.stderr)
                self.assertEqual(len(result.stderr.strip().splitlines()), 1, result.stderr)
                self.assertFalse(os.path.exists(out))


if __name__ == "__main__":
    unittest.main()

class DevelopersLoop(ZelTestCase):
    """A new application, changed and run in one step, as the README shows."""

    def test_new_then_run(self):
        folder = os.path.join(self.tmp, "first")
        created = run([ZELPACK, "new", folder])
        self.assertEqual(created.returncode, 0, created.stderr)
        for name in ("zel.ini", "app/index.html", "types/zel.d.ts", "jsconfig.json"):
            self.assertTrue(os.path.isfile(os.path.join(folder, name)), name)
        again = run([ZELPACK, "new", folder])
        self.assertEqual((again.returncode, len(again.stderr.splitlines())), (1, 1))

        # The starter page, changed to report what it shows and close.
        index = os.path.join(folder, "app", "index.html")
        with open(index, encoding="utf-8") as f:
            html = f.read()
        report = os.path.join(self.reports, "hello.json")
        html = html.replace("</body>", """<script>
          zel.hello().then(v => zel.files.writeTextFile({filePath: %s, contents: v}))
                     .then(() => zel.app.close());
        </script></body>""" % json.dumps(report))
        with open(index, "w", encoding="utf-8") as f:
            f.write(html)

        before = set(os.listdir(os.path.dirname(ZELPACK)))
        p = self.start(ZELPACK, "run", folder, "--", "one", "two words")
        self.assertEqual(self.exits(p, timeout=40), 0)
        self.assertTrue(self.has_report("hello"))
        # The temporary application is gone again.
        self.assertEqual(set(os.listdir(os.path.dirname(ZELPACK))) - before, set())

    def test_packaged_hello_is_small(self):
        folder = os.path.join(self.tmp, "hello")
        self.assertEqual(run([ZELPACK, "new", folder]).returncode, 0)
        out = os.path.join(self.tmp, "hello.bin")
        self.assertEqual(run([ZELPACK, folder, "-o", out]).returncode, 0)
        size = os.path.getsize(out)
        print("packaged hello application: %d bytes" % size)
        self.assertLessEqual(size, 2 * 1024 * 1024)
