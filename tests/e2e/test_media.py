"""Video and audio of local pages: they play and seek from the package and
from beside the executable, however the page names them, and the media
relay that carries them answers nobody else."""

import http.client
import http.server
import os
import re
import shutil
import subprocess
import tempfile
import threading
import unittest

from zeltest import ZelTestCase, page

INI = {"ID": "e2e.media", "Name": "Media Test", "DirName": "app"}
GST = shutil.which("gst-launch-1.0")
_CLIP = None


def clip():
    """A four-second VP8/Vorbis WebM with a key frame every half second,
    made once per run."""
    global _CLIP
    if _CLIP is None:
        path = os.path.join(tempfile.mkdtemp(prefix="zel-media-"), "clip.webm")
        subprocess.run(
            [GST, "-q", "videotestsrc", "num-buffers=120", "!",
             "video/x-raw,width=160,height=120,framerate=30/1", "!",
             "vp8enc", "deadline=1", "keyframe-max-dist=15", "!", "webmmux", "name=m", "!",
             "filesink", "location=" + path, "audiotestsrc", "num-buffers=172", "!",
             "audio/x-raw,rate=44100", "!", "vorbisenc", "!", "m."],
            check=True, timeout=120)
        with open(path, "rb") as f:
            _CLIP = f.read()
    return _CLIP


# Plays a muted element until its time moves, then seeks it to `target`.
PLAY_AND_SEEK = """
function once(el, name) {
  return new Promise((resolve, reject) => {
    el.addEventListener(name, () => resolve(), {once: true});
    el.addEventListener('error', () => reject(new Error('media error ' +
        (el.error && el.error.code) + ' ' + (el.error && el.error.message))), {once: true});
  });
}
async function playAndSeek(el, target) {
  el.muted = true;
  if (el.readyState < 1) await once(el, 'loadedmetadata');
  const r = {duration: el.duration, src: el.src, currentSrc: el.currentSrc,
             attribute: el.getAttribute('src')};
  await el.play();
  while (el.currentTime === 0) await once(el, 'timeupdate');
  el.pause();
  const seeked = once(el, 'seeked');
  el.currentTime = target;
  await seeked;
  r.time = el.currentTime;
  return r;
}
"""


@unittest.skipUnless(GST, "needs gst-launch-1.0 to make the test clip")
class MediaPlayback(ZelTestCase):
    def check_played(self, r, target):
        self.assertNotIn("error", r)
        self.assertAlmostEqual(r["duration"], 4.0, delta=0.1)
        self.assertAlmostEqual(r["time"], target, delta=0.1)

    def test_video_from_the_package_and_from_beside_the_executable(self):
        script = PLAY_AND_SEEK + """
        (async () => {
          const r = {};
          for (const id of ['packaged', 'beside']) {
            try { r[id] = await playAndSeek(document.getElementById(id), 2.5); }
            catch (e) { r[id] = {error: String(e)}; }
          }
          report('media', r);
        })();
        """
        body = ("<video id='packaged' src='media/clip.webm'></video>"
                "<video id='beside' src='side/clip.webm'></video>")
        exe = self.pack(INI, {"index.html": page(body, script), "media/clip.webm": clip()})
        self.write(os.path.join(self.tmp, "side", "clip.webm"), clip())
        self.start(exe)
        r = self.report("media", timeout=40)
        for id in ("packaged", "beside"):
            with self.subTest(id):
                self.check_played(r[id], 2.5)
        # The page reads back what it wrote, not the relay's address.
        self.assertEqual(r["packaged"]["src"], "app:///media/clip.webm")
        self.assertEqual(r["packaged"]["currentSrc"], "app:///media/clip.webm")
        self.assertEqual(r["packaged"]["attribute"], "media/clip.webm")

    def test_every_way_a_page_names_a_source(self):
        script = PLAY_AND_SEEK + """
        const ways = {
          sourceChild: () => { const v = document.createElement('video');
            v.innerHTML = "<source src='media/clip.webm' type='video/webm'>";
            document.body.append(v); return v; },
          property: () => { const v = document.createElement('video');
            v.src = 'media/clip.webm'; return v; },
          setAttribute: () => { const v = document.createElement('video');
            v.setAttribute('src', 'media/clip.webm'); document.body.append(v); return v; },
          inserted: () => { document.body.insertAdjacentHTML('beforeend',
            "<video id='late' src='./media/../media/clip.webm'></video>");
            return document.getElementById('late'); },
          audio: () => new Audio('media/clip.webm'),
          absolute: () => { const a = document.createElement('audio');
            a.src = 'file:///media/clip.webm'; return a; },
        };
        (async () => {
          const r = {};
          for (const [name, make] of Object.entries(ways)) {
            try { r[name] = await playAndSeek(make(), 1.0); }
            catch (e) { r[name] = {error: String(e)}; }
          }
          report('ways', r);
        })();
        """
        self.start(self.pack(INI, {"index.html": page("", script), "media/clip.webm": clip()}))
        r = self.report("ways", timeout=60)
        for name, result in r.items():
            with self.subTest(name):
                self.check_played(result, 1.0)
        self.assertEqual(r["property"]["src"], "app:///media/clip.webm")


@unittest.skipUnless(GST, "needs gst-launch-1.0 to make the test clip")
class MediaRelayAccess(ZelTestCase):
    """The relay's address is in the page's element; whoever lacks its
    secret, names another host or comes after the page went remote gets
    nothing."""

    def relay_address(self, then=""):
        script = """
        const v = document.getElementById('v');
        report('relay', {address: v.attributes.src.value}).then(() => { %s });
        """ % then
        body = "<video id='v' src='media/clip.webm'></video>"
        ini = dict(INI, DynamicAppTitle="1")
        self.start(self.pack(ini, {"index.html": page(body, script), "media/clip.webm": clip()}))
        address = self.report("relay")["address"]
        m = re.match(r"http://127\.0\.0\.1:(\d+)/([0-9a-f]{32})/(\d+)/media/clip\.webm$", address)
        self.assertTrue(m, address)
        return int(m.group(1)), m.group(2), m.group(3)

    def get(self, port, path, method="GET", headers=None):
        c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
        try:
            c.request(method, path, headers=headers or {})
            r = c.getresponse()
            return r.status, dict(r.getheaders()), r.read()
        finally:
            c.close()

    def test_only_requests_with_the_secret_and_the_relay_host_are_answered_with_ranges(self):
        port, secret, pageid = self.relay_address()
        good = "/%s/%s/media/clip.webm" % (secret, pageid)
        status, headers, body = self.get(port, good)
        self.assertEqual((status, body), (200, clip()))
        self.assertEqual(headers.get("Cache-Control"), "no-store")
        wrong = secret[:-1] + ("0" if secret[-1] != "0" else "1")
        cases = [
            ("wrong secret", "/%s/%s/media/clip.webm" % (wrong, pageid), "GET", {}, 404),
            ("no secret", "/media/clip.webm", "GET", {}, 404),
            ("other page", "/%s/%s/media/clip.webm" % (secret, int(pageid) + 1000), "GET", {}, 404),
            ("other host", good, "GET", {"Host": "localhost:%d" % port}, 403),
            ("post", good, "POST", {}, 405),
            ("missing file", "/%s/%s/media/none.webm" % (secret, pageid), "GET", {}, 404),
        ]
        for name, path, method, extra, expected in cases:
            with self.subTest(name):
                status, _, body = self.get(port, path, method, extra)
                self.assertEqual(status, expected)
                self.assertNotIn(b"webm", body)
        # Ranges go to the page server and its answers come back as they are.
        data = clip()
        size = len(data)
        ranges = [
            ("part", "bytes=100-199", 206, data[100:200], "bytes 100-199/%d" % size),
            ("open end", "bytes=%d-" % (size - 10), 206, data[-10:],
             "bytes %d-%d/%d" % (size - 10, size - 1, size)),
            ("suffix", "bytes=-5", 206, data[-5:], "bytes %d-%d/%d" % (size - 5, size - 1, size)),
            ("past the end", "bytes=%d-" % size, 416, None, None),
        ]
        for name, value, expected, part, content_range in ranges:
            with self.subTest(name):
                status, headers, body = self.get(port, good, headers={"Range": value})
                self.assertEqual(status, expected)
                if part is not None:
                    self.assertEqual(body, part)
                    self.assertEqual(headers.get("Content-Range"), content_range)
                    self.assertEqual(headers.get("Accept-Ranges"), "bytes")
        with self.subTest("head"):
            status, headers, body = self.get(port, good, "HEAD")
            self.assertEqual((status, headers.get("Content-Length"), body), (200, str(size), b""))

    def test_nothing_once_the_page_is_remote(self):
        class Remote(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                data = b"<title>remote page</title><p>remote"
                self.send_response(200)
                self.send_header("Content-Type", "text/html")
                self.send_header("Content-Length", str(len(data)))
                self.end_headers()
                self.wfile.write(data)

            def log_message(self, *args):
                pass

        server = http.server.HTTPServer(("127.0.0.1", 0), Remote)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        remote = "http://127.0.0.1:%d/" % server.server_port
        port, secret, pageid = self.relay_address("location.href = %r;" % remote)
        self.window_named("remote page")
        status, _, body = self.get(port, "/%s/%s/media/clip.webm" % (secret, pageid))
        self.assertEqual(status, 403)
        self.assertNotIn(b"webm", body)
