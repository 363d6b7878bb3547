"""A hostile page: every bridge function gets malformed requests (wrong types
for every field, no data, a 10 MB string, deeply nested JSON, lone UTF-16
halves, thousands of calls in flight). The host must stay responsive and
give back the memory the flood took.

Functions that would act on the machine only get requests that fail before
they act: dialogs (which would wait for a person), navigation, the shell
functions and closing. The system actions reach the test's private system
bus, where nobody answers."""

import json
import os
import subprocess
import time
import unittest

from zeltest import SANITIZER, ZelTestCase, page, wait_for

SCRIPT = r"""
const IDS = [10001, 10002, 11001, 11002, 11003, 11004, 11005, 12001, 12002,
  13001, 13002, 13003, 13004, 13005, 13006, 14001, 14002, 14003, 14004, 20001, 20002, 20003,
  30001, 30002, 30003, 30004, 40001, 40002, 40003, 40004, 40005, 40006, 40007, 40008, 40009,
  50001, 50002, 50003, 50004, 50005, 50006, 60001, 60002, 60003, 60004, 60005, 60006, 60007,
  60008, 60009, 60010, 60011, 60012, 70001, 70002, 70003, 70004, 80001, 80002, 80003, 90001];
// The fields each function reads ('x' for those that read none).
const MENU_ITEM = ['id', 'caption', 'enabled', 'image'];
const FILE_TYPES = ['title', 'fileTypes', 'fileName'];
const FIELDS_OF = {11005: ['name', 'title', 'body'], 12001: ['items'], 12002: MENU_ITEM,
  13001: ['key', 'name', 'value'], 13002: ['key', 'name'], 13003: ['key', 'name'],
  13004: ['key', 'name'], 13005: ['key'], 13006: ['key'], 14003: ['items'], 14004: MENU_ITEM,
  20001: FILE_TYPES, 20002: FILE_TYPES.concat(['overwritePrompt']), 20003: ['title'],
  30001: ['filePath'], 30002: ['filePath'], 30003: ['filePath', 'contents'],
  30004: ['sourceFile', 'targetFile'], 40001: ['dirPath'], 40002: ['dirPath'],
  40003: ['dirPath'], 40004: ['dirPath', 'fileMask', 'allDirs'], 50006: ['url'],
  60002: ['style'], 60004: ['state'], 60006: ['title'], 60008: ['factor'],
  60010: ['left', 'top', 'width', 'height'], 60012: ['border'],
  70001: ['filePath', 'arguments'], 70002: ['filePath'],
  70003: ['command', 'workingDir', 'showWindow'], 80003: ['name'],
  90001: ['filePath', 'contents']};
const fieldsOf = id => FIELDS_OF[id] || ['x'];
// Functions that would act on the machine (or wait for a person) with any
// text: they only get values that no text field accepts.
const GUARDED = new Set([20001, 20002, 20003, 50006, 70001, 70002, 70003]);
// Closing takes no data: it only gets requests refused before dispatch.
const UNDISPATCHED = new Set([50001]);

function deepArray(n) { let v = []; for (let i = 0; i < n; i++) v = [v]; return v; }
function deepest() {
  for (const n of [10000, 3000, 1000]) {
    try { const v = deepArray(n); JSON.stringify(v); return [n, v]; } catch (e) {}
  }
  return [0, []];
}
let depth, deep, big, refused, coercible;
function payloads() {
  [depth, deep] = deepest();
  big = 'x'.repeat(10 * 1024 * 1024);
  const deepText = '['.repeat(100000) + ']'.repeat(100000);
  const deepMenu = '[' + '{"id":1,"caption":"a","items":['.repeat(20000) + ']}'.repeat(20000) + ']';
  refused = [{}, [], {a: {b: [1, {c: null}]}}, deep];
  coercible = [12345, -1.5e308, 1e-320, true, false, null, '', '\uD800', '\uDC00x\uD800',
    'nul\u0000nul', deepText, deepMenu, '99999999999999999999999'];
}
const send = m => window.chrome.webview.postMessage(m);
function all(id, value) { const d = {}; for (const f of fieldsOf(id)) d[f] = value; return d; }
let uuidCount = 0;
const uuid = () => 'hostile-' + (uuidCount++);

function protocol(id) {
  for (const data of [undefined, 'text', 5, null, [1, 2], true])
    send(data === undefined ? {id, uuid: uuid()} : {id, uuid: uuid(), data});
  for (const u of [undefined, {}, [], null, true])
    send(u === undefined ? {id, data: {}} : {id, uuid: u, data: {}});
  for (const i of [String(id) + 'x', id + 0.5, -id, 1e300, {}, [id], null, '', ' '])
    send({id: i, uuid: uuid(), data: {}});
  send({uuid: uuid(), data: {}});
  send('{"id": ' + id + '}');
}

async function attack(id) {
  protocol(id);
  if (UNDISPATCHED.has(id)) return;
  for (const v of refused) send({id, uuid: uuid(), data: all(id, v)});
  if (GUARDED.has(id)) return;
  for (const v of coercible) send({id, uuid: uuid(), data: all(id, v)});
  // One 10 MB string per function, in its first field.
  send({id, uuid: uuid(), data: {[fieldsOf(id)[0]]: big}});
  send({id, uuid: 12345, data: {}});
  send({id, uuid: 'x"\\\u0000<\/script>', data: {}});
}

async function timed(call) {
  const t = performance.now();
  await call();
  return performance.now() - t;
}

async function run() {
  await zel.hello();
  zel.events.onCloseQuery = () => {};
  await report('loaded', true);
  payloads();
  report('ready', {depth});
  while (!(await zel.files.fileExists({filePath: %(go)s})))
    await new Promise(r => setTimeout(r, 100));
  send(big);
  const slowest = {id: 0, ms: 0};
  for (const id of IDS) {
    await report('at', id);
    await attack(id);
    // Requests are served in order: this answer comes after all of them.
    const ms = await timed(() => zel.hello());
    if (ms > slowest.ms) Object.assign(slowest, {id, ms});
  }
  await report('at', 'flood');
  const flood = [];
  for (let i = 0; i < 1000; i++) {
    flood.push(zel.hello(), zel.files.fileExists({filePath: '/nonexistent/' + i}),
               zel.registry.readValue({key: 'Software\\ZelHostile', name: 'v' + i}).catch(e => e));
  }
  const floodMs = await timed(() => Promise.all(flood));
  const helloMs = await timed(() => zel.hello());
  const sizeMs = await timed(() => zel.window.getSize());
  report('done', {slowest, flood: flood.length, floodMs, helloMs, sizeMs,
                  title: (await zel.window.getTitle()).length});
}
run().catch(e => report('error', String(e) + ' ' + e.stack));
"""


def rss_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def children(pid):
    out = subprocess.run(["pgrep", "-P", str(pid)], capture_output=True, text=True).stdout
    return [int(p) for p in out.split()]


class HostilePage(ZelTestCase):
    def memory(self, pid):
        """The host's RSS and that of its web processes, in MB."""
        web = sum(rss_kb(c) for c in children(pid) if "WebProcess" in self.comm(c))
        return rss_kb(pid) / 1024, web / 1024

    @staticmethod
    def comm(pid):
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                return f.read().decode(errors="replace")
        except OSError:
            return ""

    def test_malformed_requests_to_every_function(self):
        go = os.path.join(self.tmp, "go")
        script = SCRIPT % {"go": json.dumps(go)}
        app = self.pack({"ID": "e2e.hostile", "Name": "Hostile", "DirName": "app"},
                        {"index.html": page("<h1>Hostile</h1>", script)})
        process = self.start(app)
        wait_for(lambda: self.has_report("ready") or self.has_report("error"), 60, what="ready")
        self.assertFalse(self.has_report("error"), self.has_report("error") and self.report("error"))
        ready = self.report("ready")
        time.sleep(1.0)
        host_before, web_before = self.memory(process.pid)
        open(go, "w").close()
        try:
            done = self.report("done", 400)
        except AssertionError:
            self.fail("no answer after function %s" % (
                self.has_report("at") and self.report("at")))
        time.sleep(3.0)
        self.assertIsNone(process.poll(), "the host ended")
        host_after, web_after = self.memory(process.pid)
        print("\nhostile page: nesting depth %d; slowest function %d took %.0f ms; %d calls in "
              "flight answered in %.0f ms; hello afterwards %.1f ms" % (
                  ready["depth"], done["slowest"]["id"], done["slowest"]["ms"], done["flood"],
                  done["floodMs"], done["helloMs"]))
        print("hostile page: host RSS %.1f MB before, %.1f MB after; web process %.1f MB "
              "before, %.1f MB after" % (host_before, host_after, web_before, web_after))
        self.assertLess(done["helloMs"], 1000)
        self.assertLess(done["sizeMs"], 1000)
        if SANITIZER:
            return  # ASan keeps freed memory in quarantine: the figures say nothing
        # Big blocks go back to the system when freed (some 20 MB stay in
        # caches); with glibc's rising mapping limit some 45 MB stayed.
        self.assertLess(host_after, host_before + 35.0)
        # A window grown to what a page asked for would show here first.
        self.assertLess(web_after, web_before + 300.0)


if __name__ == "__main__":
    import unittest
    unittest.main()
