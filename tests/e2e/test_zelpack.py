"""The packager: what it writes, what it lists, and its clear refusals."""

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


if __name__ == "__main__":
    unittest.main()
