"""The registry functions end to end on Linux: one per-user store shared by
every application, case-insensitive, safe with many instances writing at
once and with a writer killed in the middle."""

import json
import os
import signal
import sqlite3
import stat
import time

from zeltest import ZelTestCase, page, wait_for

SETTLE = """
async function settle(p) {
  try { return {ok: await p}; } catch (e) { return {error: e}; }
}
"""


class Registry(ZelTestCase):
    def store(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "zel", "registry.sqlite")

    def integrity(self):
        with sqlite3.connect(self.store(), timeout=30) as db:
            return db.execute("PRAGMA integrity_check").fetchone()[0]

    def run_page(self, ini, script, report, name="app", timeout=60):
        app = self.pack(ini, {"index.html": page("", SETTLE + script)}, name=name)
        process = self.start(app)
        result = self.report(report, timeout)
        process.kill()
        process.wait(10)
        return result

    def test_functions_and_a_second_package(self):
        script = r"""
        const R = zel.registry;
        async function run() {
          const r = {};
          r.write = await settle(R.writeValue({key: 'Software\\ZelTest\\Sub', name: 'Greeting',
                                               value: 'hello "you" \u00e4'}));
          r.readOtherCase = await settle(R.readValue({key: 'SOFTWARE\\zeltest\\SUB',
                                                      name: 'GREETING'}));
          r.readMissingKey = await settle(R.readValue({key: 'Software\\ZelNone', name: 'x'}));
          r.keyExistNoKey = await settle(R.keyExist({}));
          r.writeNoName = await settle(R.writeValue({key: 'Software\\ZelTest'}));
          r.emptyName = await settle(R.keyExist({key: 'Software\\\\ZelTest'}));
          r.deleteRoot = await settle(R.deleteKey({key: '\\'}));
          r.subAfterRoot = await settle(R.keyExist({key: 'Software\\ZelTest\\Sub'}));
          r.shared = await settle(R.writeValue({key: '\\Software\\ZelShared\\', name: 'v',
                                                value: 'from the first package'}));
          report('first', r);
        }
        run();
        """
        r = self.run_page({"ID": "e2e.registry.one", "Name": "Registry One", "DirName": "app"},
                          script, "first")
        self.assertEqual(r["write"], {"ok": True})
        self.assertEqual(r["readOtherCase"], {"ok": 'hello "you" \u00e4'})
        self.assertEqual(r["readMissingKey"], {"ok": ""})
        self.assertEqual(r["keyExistNoKey"], {"error": "Missing registry key."})
        self.assertEqual(r["writeNoName"], {"error": "Missing value name."})
        self.assertEqual(r["emptyName"], {"ok": False})
        self.assertEqual(r["deleteRoot"], {"ok": False})
        self.assertEqual(r["subAfterRoot"], {"ok": True})
        self.assertEqual(r["shared"], {"ok": True})
        mode = os.stat(self.store()).st_mode
        self.assertEqual(stat.S_IMODE(mode), 0o600)
        self.assertEqual(stat.S_IMODE(os.stat(os.path.dirname(self.store())).st_mode), 0o700)

        script = r"""
        const R = zel.registry;
        async function run() {
          const r = {};
          r.shared = await settle(R.readValue({key: 'software\\zelshared', name: 'V'}));
          r.deleteBranch = await settle(R.deleteKey({key: 'Software\\ZelTest'}));
          r.subGone = await settle(R.keyExist({key: 'Software\\ZelTest\\Sub'}));
          r.branchGone = await settle(R.keyExist({key: 'Software\\ZelTest'}));
          r.readGone = await settle(R.readValue({key: 'Software\\ZelTest\\Sub',
                                                 name: 'Greeting'}));
          r.sharedKept = await settle(R.keyExist({key: 'Software\\ZelShared'}));
          report('second', r);
        }
        run();
        """
        r = self.run_page({"ID": "e2e.registry.two", "Name": "Registry Two", "DirName": "app"},
                          script, "second", name="two")
        self.assertEqual(r, {"shared": {"ok": "from the first package"},
                             "deleteBranch": {"ok": True}, "subGone": {"ok": False},
                             "branchGone": {"ok": False}, "readGone": {"ok": ""},
                             "sharedKept": {"ok": True}})
        self.assertEqual(self.integrity(), "ok")

    def test_eight_instances_writing_at_once(self):
        script = r"""
        const me = crypto.randomUUID();
        async function run() {
          const key = 'Software\\ZelLoad\\' + me;
          const writes = [];
          for (let i = 0; i < 100; i++)
            writes.push(zel.registry.writeValue({key, name: 'v' + i, value: me + '/' + i}));
          const results = await Promise.all(writes);
          report('writer-' + me, {me, written: results.filter(x => x === true).length});
        }
        run();
        """
        app = self.pack({"ID": "e2e.registry.load", "Name": "Load", "DirName": "app",
                         "AllowInstances": "1"}, {"index.html": page("", script)})
        for _ in range(8):
            self.start(app)
        names = wait_for(lambda: (lambda n: n if len(n) == 8 else None)(
            [f for f in os.listdir(self.reports) if f.startswith("writer-")]),
            timeout=120, what="eight writers")
        writers = [self.report(n[:-5]) for n in names]
        self.assertEqual([w["written"] for w in writers], [100] * 8)

        script = r"""
        const ids = %s;
        async function run() {
          let same = 0;
          for (const me of ids)
            for (let i = 0; i < 100; i++) {
              const v = await zel.registry.readValue({key: 'SOFTWARE\\ZELLOAD\\' + me,
                                                      name: 'V' + i});
              if (v === me + '/' + i) same++;
            }
          report('reader', same);
        }
        run();
        """ % json.dumps([w["me"] for w in writers])
        read = self.run_page({"ID": "e2e.registry.reader", "Name": "Reader", "DirName": "app"},
                             script, "reader", name="reader", timeout=120)
        self.assertEqual(read, 800)
        self.assertEqual(self.integrity(), "ok")

    def test_a_writer_killed_mid_write(self):
        script = r"""
        async function run() {
          const big = 'x'.repeat(65536);
          for (let i = 0; ; i++) {
            await zel.registry.writeValue({key: 'Software\\ZelKill\\K' + (i % 20) + '\\Deep',
                                           name: 'v' + i, value: big});
            if (i === 20) report('writing', true);
          }
        }
        run();
        """
        app = self.pack({"ID": "e2e.registry.kill", "Name": "Kill", "DirName": "app"},
                        {"index.html": page("", script)})
        process = self.start(app)
        self.report("writing", 60)
        time.sleep(1.0)
        os.kill(process.pid, signal.SIGKILL)
        process.wait(10)
        self.assertEqual(self.integrity(), "ok")
        script = r"""
        async function run() {
          const r = {};
          r.write = await zel.registry.writeValue({key: 'Software\\ZelKill', name: 'after',
                                                   value: 'fine'});
          r.read = await zel.registry.readValue({key: 'software\\zelkill', name: 'AFTER'});
          r.deep = await zel.registry.readValue({key: 'Software\\ZelKill\\K1\\Deep', name: 'v1'});
          report('after', r);
        }
        run();
        """
        r = self.run_page({"ID": "e2e.registry.after", "Name": "After", "DirName": "app"},
                          script, "after", name="after")
        self.assertEqual(r["write"], True)
        self.assertEqual(r["read"], "fine")
        self.assertEqual(len(r["deep"]), 65536)
        self.assertEqual(self.integrity(), "ok")


if __name__ == "__main__":
    import unittest
    unittest.main()
