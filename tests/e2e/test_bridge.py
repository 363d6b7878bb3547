"""window.zel end to end: the core, dialog, base64, file and folder
functions called from a real page, the dialogs driven as a person would,
replies in flight, functions without replies, and pages from the network."""

import http.server
import json
import os
import threading
import time
import unittest

import atspi
from zeltest import ZelTestCase, page, run, wait_for

INI = {"ID": "e2e.bridge", "Name": "Bridge Test", "DirName": "app"}


class Functions(ZelTestCase):
    def test_core_files_and_folders(self):
        work = os.path.join(self.tmp, "work") + "/"
        os.makedirs(work + "tree/sub")
        for f in ("a.txt", "b.md", "sub/c.txt"):
            self.write(work + "tree/" + f, f)
        self.write(work + "delete-me.txt", "x")
        script = """
        const W = %s;
        async function settle(p) {
          try { return {ok: await p}; } catch (e) { return {error: e}; }
        }
        async function run() {
          const r = {};
          r.hello = await settle(zel.hello());
          r.isRuntime = await settle(zel.isRuntime());
          r.fileExists = await settle(zel.files.fileExists({filePath: W + 'tree/a.txt'}));
          r.fileExistsDir = await settle(zel.files.fileExists({filePath: W + 'tree'}));
          r.missing = await settle(zel.files.fileExists({}));
          r.deleteFile = await settle(zel.files.deleteFile({filePath: W + 'delete-me.txt'}));
          r.write = await settle(zel.files.writeTextFile({filePath: W + 'new/deep/t.txt',
                                                          contents: 'one\\ntwo'}));
          r.extract = await settle(zel.files.extractFile({sourceFile: '/data/d.json',
                                                          targetFile: W + 'd.json'}));
          r.extractMissing = await settle(zel.files.extractFile({sourceFile: '/none',
                                                                 targetFile: W + 'x'}));
          r.dirExists = await settle(zel.folders.dirExists({dirPath: W + 'tree'}));
          r.createDir = await settle(zel.folders.createDir({dirPath: W + 'made'}));
          r.deleteDir = await settle(zel.folders.deleteDir({dirPath: W + 'made'}));
          r.list = await settle(zel.folders.listFiles({dirPath: W + 'tree', fileMask: '*.txt',
                                                       allDirs: true}));
          r.listMissing = await settle(zel.folders.listFiles({dirPath: W + 'nope',
                                                              fileMask: '*', allDirs: 'true'}));
          r.temp = await settle(zel.folders.getTempDir());
          r.documents = await settle(zel.folders.getUserDocumentsDir());
          r.desktop = await settle(zel.folders.getUserDesktopDir());
          r.exeDir = await settle(zel.folders.getAppExecutableDir());
          r.appData = await settle(zel.folders.getAppDataDir());
          r.base64 = await settle(zel.base64.decodeToFile({filePath: W + 'out/b.bin',
                                                           contents: 'aGVsbG8='}));
          r.base64Missing = await settle(zel.base64.decodeToFile({contents: 'aGVsbG8='}));
          report('functions', r);
        }
        run();
        """ % json.dumps(work)
        app = self.pack(INI, {"index.html": page("", script), "data/d.json": '{"d": 1}'})
        self.start(app, env={"TMPDIR": self.tmp + "/t", "HOME": self.tmp + "/home"})
        r = self.report("functions")
        ok = lambda v: {"ok": v}
        self.assertEqual(r["hello"], ok("2025.2"))
        self.assertEqual(r["isRuntime"], ok(True))
        self.assertEqual(r["fileExists"], ok(True))
        self.assertEqual(r["fileExistsDir"], ok(False))
        self.assertEqual(r["missing"], {"error": "Missing filePath"})
        self.assertEqual(r["deleteFile"], ok(True))
        self.assertFalse(os.path.exists(work + "delete-me.txt"))
        self.assertEqual(r["write"], ok(True))
        with open(work + "new/deep/t.txt", "rb") as f:
            self.assertEqual(f.read(), b"\xef\xbb\xbfone\r\ntwo\r\n")
        self.assertEqual(r["extract"], ok(True))
        with open(work + "d.json") as f:
            self.assertEqual(f.read(), '{"d": 1}')
        self.assertEqual(r["extractMissing"], {"error": "File not found"})
        self.assertEqual(r["dirExists"], ok(True))
        self.assertEqual(r["createDir"], ok(True))
        self.assertEqual(r["deleteDir"], ok(True))
        self.assertEqual(sorted(r["list"]["ok"]), [work + "tree/a.txt", work + "tree/sub/c.txt"])
        self.assertEqual(r["listMissing"], {"error": "The specified folder does not exist."})
        self.assertEqual(r["temp"], ok(self.tmp + "/t/"))
        self.assertEqual(r["documents"], ok(self.tmp + "/home/"))
        self.assertEqual(r["desktop"], ok(self.tmp + "/home/Desktop/"))
        self.assertEqual(r["exeDir"], ok(self.tmp + "/"))
        self.assertEqual(r["appData"], ok(self.env["XDG_CONFIG_HOME"] + "/"))
        self.assertEqual(r["base64"], ok(True))
        with open(work + "out/b.bin", "rb") as f:
            self.assertEqual(f.read(), b"hello")
        self.assertEqual(r["base64Missing"], {"error": "Missing filePath"})

    def test_calls_in_flight_and_calls_without_reply(self):
        script = """
        const pending = {enter: true, exit: true, border: true, noData: true};
        zel.app.enterFullscreen().finally(() => pending.enter = false);
        zel.app.exitFullscreen().finally(() => pending.exit = false);
        zel.window.setBorder({border: 'sizeable'}).finally(() => pending.border = false);
        zel.dialogs.openFile().finally(() => pending.noData = false);
        Promise.all([zel.hello(), zel.isRuntime(), zel.files.fileExists({filePath: '/'}),
                     zel.hello()])
          .then(all => setTimeout(() => report('flight', {all, pending}), 2000));
        """
        self.start(self.pack(INI, {"index.html": page("", script)}))
        r = self.report("flight")
        self.assertEqual(r["all"], ["2025.2", True, False, "2025.2"])
        self.assertEqual(r["pending"], {"enter": True, "exit": True, "border": True, "noData": True})


class Dialogs(ZelTestCase):
    def test_dialogs(self):
        chosen = os.path.join(self.tmp, "pick me.txt")
        self.write(chosen, "x")
        folder = os.path.join(self.tmp, "folder")
        os.makedirs(folder)
        script = """
        async function step(name, call) {
          try { report(name, {ok: await call()}); } catch (e) { report(name, {error: e}); }
        }
        const steps = {
          Open: () => step('open', () => zel.dialogs.openFile({title: 'Pick A File',
              fileTypes: 'Text files|*.txt;All files|*.*'})),
          Cancel: () => step('cancel', () => zel.dialogs.openFile({title: 'Cancel Me'})),
          Save: () => step('save', () => zel.dialogs.saveFile({title: 'Save It',
              fileName: 'report.txt'})),
          Folder: () => step('folder', () => zel.dialogs.selFolder({})),
        };
        for (const name of Object.keys(steps)) {
          const b = document.createElement('button');
          b.textContent = name;
          b.onclick = steps[name];
          document.body.append(b);
        }
        report('up', 1);
        """
        p = self.start(self.pack(INI, {"index.html": page("", script)}))
        self.report("up")
        self.window(p)

        def press(button, title):
            atspi.page_text(p.pid, button)
            node = atspi.wait_find(lambda: atspi.application(p.pid), "push button", button)
            atspi.press(node)
            dialog = self.window_named(title)
            run(["xdotool", "windowactivate", "--sync", str(dialog)])
            time.sleep(0.5)

        def accept(label):
            time.sleep(0.5)
            app = atspi.application(p.pid)
            atspi.press(atspi.find_all(app, "push button", label)[-1])

        press("Open", "Pick A File")
        self.screenshot("open-dialog")
        self.key("ctrl+l")
        self.type_text(chosen)
        accept("Open")
        self.assertEqual(self.report("open"), {"ok": chosen})

        press("Cancel", "Cancel Me")
        self.key("Escape")
        self.assertEqual(self.report("cancel"), {"ok": ""})

        press("Save", "Save It")
        self.key("ctrl+a")
        self.type_text(os.path.join(self.tmp, "saved.txt"))
        accept("Save")
        self.assertEqual(self.report("save"), {"ok": os.path.join(self.tmp, "saved.txt")})

        press("Folder", "Save file")
        self.key("ctrl+l")
        self.type_text(folder + "/")
        time.sleep(0.3)
        self.key("Return")
        self.assertEqual(self.report("folder"), {"ok": folder + "/"})


class RemotePages(ZelTestCase):
    def test_a_page_from_the_network_gets_no_replies(self):
        results = []

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                if self.path.startswith("/result"):
                    results.append(self.path)
                    body = b"ok"
                else:
                    body = page("<p>remote</p>", """
                    const state = {hello: 'pending', write: 'pending', zel: typeof window.zel};
                    zel.hello().then(v => state.hello = v, e => state.hello = 'rejected');
                    zel.files.writeTextFile({filePath: %s, contents: 'x'})
                      .then(v => state.write = v, e => state.write = 'rejected');
                    setTimeout(() => fetch('/result?' + encodeURIComponent(JSON.stringify(state))),
                               2500);
                    """ % json.dumps(self.server.forbidden)).encode()
                self.send_response(200)
                self.send_header("Content-Type", "text/html")
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        server.forbidden = os.path.join(self.tmp, "written-by-remote.txt")
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.shutdown)
        url = "http://127.0.0.1:%d/page.html" % server.server_port
        app = self.pack(INI, {"index.html": page("", "report('local', 1);")})
        self.start(app, "e2e.bridge", url)
        wait_for(lambda: results, 25, what="the remote page's result")
        from urllib.parse import unquote
        state = json.loads(unquote(results[0].split("?", 1)[1]))
        self.assertEqual(state, {"hello": "pending", "write": "pending", "zel": "object"})
        self.assertFalse(os.path.exists(server.forbidden))


if __name__ == "__main__":
    unittest.main()
