"""The host killed (SIGKILL) at random moments while its page writes big
files and registry values in a loop: every file is always some write's whole
content, the registry store stays sound and keeps every answered value, and
interrupted writes leave at most one temporary file per target."""

import json
import os
import random
import re
import signal
import sqlite3
import time

from zeltest import ZelTestCase, page, wait_for

RUNS = 50

# Every file is one unit repeated; a unit names the run and generation that
# wrote it, and the repeat count follows from them, so a file is whole
# exactly when it equals the content that its first unit announces.
UNIT = "r%03dg%06d;"
UNIT_LEN = 11
TEXT_PREFIX = "\ufeff".encode()


def units(run, gen, kind):
    """How many units a write holds: 1 to 3 MB, varying with each write."""
    mb = 1 + (run * 7 + gen * 3 + kind) % 3
    return mb * 1024 * 1024 // UNIT_LEN - (gen % 97)


def expected(run, gen, kind):
    body = (UNIT % (run, gen)).encode() * units(run, gen, kind)
    return TEXT_PREFIX + body + b"\r\n" if kind == 0 else body


SCRIPT = r"""
const dir = %(dir)s;
let run = 0;
function units(gen, kind) {
  const mb = 1 + (run * 7 + gen * 3 + kind) %% 3;
  return Math.floor(mb * 1024 * 1024 / 11) - (gen %% 97);
}
function content(gen, kind) {
  const unit = 'r' + String(run).padStart(3, '0') + 'g' + String(gen).padStart(6, '0') + ';';
  return unit.repeat(units(gen, kind));
}
async function loop() {
  run = Number((await zel.app.getArgs())[1]);
  await report('started' + run, true);
  for (let gen = 1; ; gen++) {
    await zel.files.writeTextFile({filePath: dir + 'text.txt', contents: content(gen, 0)});
    await zel.files.extractFile({sourceFile: gen %% 2 ? '/one.bin' : '/two.bin',
                                 targetFile: dir + 'extracted.bin'});
    await zel.base64.decodeToFile({filePath: dir + 'decoded.bin', contents: btoa(content(gen, 2))});
    await zel.registry.writeValue({key: 'Software\\ZelKill', name: 'r' + run + 'g' + gen,
                                   value: 'value ' + run + '/' + gen});
    // Written after the answers it reports, so it never claims too much.
    await zel.files.writeTextFile({filePath: dir + 'progress.json',
                                   contents: JSON.stringify({run, gen})});
  }
}
loop().catch(e => report('error', String(e)));
"""

TARGETS = ["text.txt", "extracted.bin", "decoded.bin", "progress.json"]
TEMP = re.compile(r"^(.*)\.zel-\d+$")


class KillTest(ZelTestCase):
    def store(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "zel", "registry.sqlite")

    def registry_values(self):
        with sqlite3.connect(self.store(), timeout=30) as db:
            self.assertEqual(db.execute("PRAGMA integrity_check").fetchone()[0], "ok")
            rows = db.execute(
                "SELECT v.name, v.data FROM vals v JOIN keys k ON v.key = k.id "
                "JOIN keys p ON k.parent = p.id "
                "WHERE k.fold = 'ZELKILL' AND p.fold = 'SOFTWARE' AND p.parent = 1").fetchall()
        return dict(rows)

    def whole(self, name, data, extractable):
        """Whether a target holds some write's whole content."""
        if name == "extracted.bin":
            return data in extractable
        if name == "progress.json":
            try:
                value = json.loads(data.decode("utf-8-sig"))
                return data == TEXT_PREFIX + json.dumps(value, separators=(",", ":")).encode() + b"\r\n"
            except ValueError:
                return False
        kind = 0 if name == "text.txt" else 2
        head = data[len(TEXT_PREFIX):] if kind == 0 else data
        m = re.match(rb"r(\d{3})g(\d{6});", head)
        return bool(m) and data == expected(int(m.group(1)), int(m.group(2)), kind)

    def test_killed_at_random_moments(self):
        seed = int(os.environ.get("ZEL_KILL_SEED", time.time_ns() % 1000000))
        print("\nkill test seed %d (ZEL_KILL_SEED to repeat)" % seed)
        rng = random.Random(seed)
        out = os.path.join(self.tmp, "out") + "/"
        os.makedirs(out)
        extractable = {expected(900, 1, 1), expected(901, 2, 1)}
        files = {"one.bin": expected(900, 1, 1), "two.bin": expected(901, 2, 1)}
        script = SCRIPT % {"dir": json.dumps(out)}
        app = self.pack({"ID": "e2e.kill", "Name": "Kill", "DirName": "app"},
                        dict(files, **{"index.html": page("", script)}))
        answered = {}
        seen_leftovers = set()
        half_written = most_leftovers = 0
        started = time.monotonic()
        for run in range(1, RUNS + 1):
            process = self.start(app, str(run))
            # Some kills land while the host starts, others at a random moment
            # of the page's loop, the rest just after a file write has begun.
            delay = rng.uniform(-0.3, 3.0)
            in_write = rng.random() < 0.5
            if delay > 0:
                self.report("started%d" % run, 60)
            if in_write and delay > 0:
                known = set(os.listdir(out))
                wait_for(lambda: any(TEMP.match(n) and n not in known for n in os.listdir(out)),
                         30, 0.002, "a write to begin")
                time.sleep(delay / 100)
            else:
                time.sleep(abs(delay))
            os.kill(process.pid, signal.SIGKILL)
            process.wait(10)

            leftovers = {}
            for name in os.listdir(out):
                m = TEMP.match(name)
                if m:
                    leftovers.setdefault(m.group(1), []).append(name)
                    continue
                with open(os.path.join(out, name), "rb") as f:
                    if not self.whole(name, f.read(), extractable):
                        half_written += 1
                        print("run %d: %s is not whole" % (run, name))
            seen_leftovers.update(n for v in leftovers.values() for n in v)
            most_leftovers = max([most_leftovers] + [len(v) for v in leftovers.values()])
            self.assertLessEqual(set(leftovers), set(TARGETS))

            progress = os.path.join(out, "progress.json")
            if os.path.exists(progress):
                with open(progress, encoding="utf-8-sig") as f:
                    p = json.load(f)
                for gen in range(1, p["gen"] + 1):
                    answered["r%dg%d" % (p["run"], gen)] = "value %d/%d" % (p["run"], gen)
            if os.path.exists(self.store()):
                values = self.registry_values()
                lost = [k for k, v in answered.items() if values.get(k) != v]
                self.assertEqual(lost, [], "answered values lost after run %d" % run)
        elapsed = time.monotonic() - started
        interrupted = len(seen_leftovers)
        print("kill test: %d runs in %.0f s, %d writes interrupted (temporary files found), "
              "%d half-written files, at most %d leftover per target, %d answered registry "
              "values kept" % (RUNS, elapsed, interrupted, half_written, most_leftovers,
                               len(answered)))
        self.assertEqual(half_written, 0)
        self.assertLessEqual(most_leftovers, 1)
        self.assertGreater(len(answered), 0, "the page never got far")


if __name__ == "__main__":
    import unittest
    unittest.main()
