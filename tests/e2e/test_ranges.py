"""Range requests: parts of package entries and of files beside the
executable, as media elements and scripts ask for them."""

import os
import unittest

from zeltest import ZelTestCase, page

INI = {"ID": "e2e.ranges", "Name": "Ranges Test", "DirName": "app"}

# Over three of the package reader's 1 MB checkpoints, in a pattern with no
# period of a power of two, so a part from the wrong offset cannot match.
PACKED = bytes((i * 7 + i // 251) % 256 for i in range(3 * 1024 * 1024 + 4321))
BESIDE = bytes((i * 13 + 5) % 253 for i in range(200 * 1024))

# name, address, Range header (None: none)
CASES = [
    ("across a checkpoint", "data/big.bin", "bytes=1048570-1048600"),
    ("first byte", "data/big.bin", "bytes=0-0"),
    ("suffix", "data/big.bin", "bytes=-500"),
    ("open-ended", "data/big.bin", "bytes=3000000-"),
    ("past the end clipped", "data/big.bin", "bytes=3145000-99999999"),
    ("whole", "data/big.bin", None),
    ("unsatisfiable", "data/big.bin", "bytes=99999999-"),
    ("several ranges", "data/big.bin", "bytes=0-9,20-29"),
    ("malformed", "data/big.bin", "bytes=9-5"),
    ("beside", "file:///beside.bin", "bytes=100000-100099"),
    ("beside suffix", "file:///beside.bin", "bytes=-7"),
    ("beside whole", "file:///beside.bin", None),
    ("beside unsatisfiable", "file:///beside.bin", "bytes=204800-"),
]

# Each answer comes back as its status, headers and an FNV-1a hash of the
# body, computed the same way below.
SCRIPT = """
function fnv(bytes) {
  let h = 0x811c9dc5;
  for (const b of bytes) h = Math.imul(h ^ b, 16777619) >>> 0;
  return h;
}
async function one([name, address, range]) {
  const r = await fetch(address, range ? {headers: {Range: range}} : {});
  const body = new Uint8Array(await r.arrayBuffer());
  return [name, {status: r.status, range: r.headers.get('content-range'),
                 accept: r.headers.get('accept-ranges'),
                 length: body.length, hash: fnv(body)}];
}
Promise.all(%s.map(one)).then(all => report('ranges', Object.fromEntries(all)))
  .catch(e => report('ranges', {error: String(e)}));
"""


def fnv(data):
    h = 0x811C9DC5
    for b in data:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return h


def expected(data, header):
    """The status, Content-Range and body the answer must have."""
    size = len(data)
    if header is None or "," in header or header == "bytes=9-5":
        return 200, None, data
    first, _, last = header[len("bytes="):].partition("-")
    if not first:
        start, end = max(0, size - int(last)), size - 1
    else:
        start, end = int(first), min(size - 1, int(last)) if last else size - 1
    if start >= size:
        return 416, "bytes */%d" % size, b""
    return 206, "bytes %d-%d/%d" % (start, end, size), data[start:end + 1]


class Ranges(ZelTestCase):
    def test_parts_of_package_entries_and_disk_files(self):
        import json
        self.write(os.path.join(self.tmp, "beside.bin"), BESIDE)
        exe = self.pack(INI, {"index.html": page("", SCRIPT % json.dumps(CASES)),
                              "data/big.bin": PACKED})
        self.start(exe)
        answers = self.report("ranges", timeout=40)
        self.assertNotIn("error", answers)
        for name, address, header in CASES:
            data = BESIDE if address.startswith("file:") else PACKED
            status, content_range, body = expected(data, header)
            with self.subTest(name):
                got = answers[name]
                self.assertEqual(got["status"], status)
                self.assertEqual(got["range"], content_range)
                self.assertEqual(got["accept"], "bytes")
                self.assertEqual(got["length"], len(body))
                self.assertEqual(got["hash"], fnv(body))


if __name__ == "__main__":
    unittest.main()
