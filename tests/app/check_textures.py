#!/usr/bin/env python3
"""Checks the texture images against an independent conversion: writes uploads with
`xqftgen.py es2-textures` (as ES 2.0 and as ES 1.1 records), runs `xqft-dump textures`, and compares every record and PPM with what
this script makes of the generator's own raw bytes (rows at their unpack alignment; 4-, 5- and
6-bit channels within 1 of the exact expansion, 8-bit ones exact). An upload whose data ends early
gives the rows it holds whole and nothing past them; one of black (nothing decoded) writes no file.
Compressed uploads are checked for their size here and for their texels by the C++ tests against
the library's decoders.

usage: check_textures.py XQFT_DUMP TOOLS_DIR WORK_DIR"""
import json
import os
import re
import subprocess
import sys

RGBA, RGB, ALPHA, LUM, LUM_ALPHA = 0x1908, 0x1907, 0x1906, 0x1909, 0x190A
UBYTE, US4444, US5551, US565 = 0x1401, 0x8033, 0x8034, 0x8363

LINE = re.compile(r"call=(\d+) name=(\d+) target=0x([0-9A-F]+) level=(-?\d+) size=(-?\d+)x(-?\d+) "
                  r"internalformat=0x([0-9A-F]+) type=0x([0-9A-F]+) image=(\w+)(?: held=(\d+)/(\d+))?$")


def expand(v, bits):
    return v * 255 / ((1 << bits) - 1)


def pixel(fmt, typ, b):
    """(r, g, b) of one pixel's bytes as exact expansions, and the tolerance."""
    if typ == UBYTE:
        if fmt == RGBA or fmt == RGB:
            return (b[0], b[1], b[2]), 0
        if fmt in (LUM, LUM_ALPHA, ALPHA):
            return (b[0], b[0], b[0]), 0   # alpha shows as grey levels
    v = b[0] | b[1] << 8
    if typ == US4444:
        return tuple(expand(v >> s & 15, 4) for s in (12, 8, 4)), 1
    if typ == US5551:
        return tuple(expand(v >> s & 31, 5) for s in (11, 6, 1)), 1
    if typ == US565:
        return (expand(v >> 11, 5), expand(v >> 5 & 63, 6), expand(v & 31, 5)), 1
    raise ValueError("pair %x/%x" % (fmt, typ))


def held_rows(e):
    """The rows the recorded bytes hold whole, at most the height."""
    w, h, bpp, align = e["width"], e["height"], e["bpp"], e["alignment"]
    row = w * bpp
    stride = row if align <= 0 else (row + align - 1) // align * align
    size = len(e["data"]) // 2
    return 0 if size < row else min(h, 1 + (size - row) // stride)


def expected_rgb(e, h=None):
    w, bpp, align = e["width"], e["bpp"], e["alignment"]
    h = e["height"] if h is None else h
    data = bytes.fromhex(e["data"])
    row = w * bpp
    stride = row if align <= 0 else (row + align - 1) // align * align
    out = []
    for y in range(h):
        for x in range(w):
            at = y * stride + x * bpp
            out.append(pixel(e["format"], e["type"], data[at:at + bpp]))
    return out


def read_ppm(path):
    with open(path, "rb") as f:
        blob = f.read()
    head = blob.split(b"\n", 3)
    w, h = (int(v) for v in head[1].split())
    return w, h, head[3]


def check(dump, tools, work, extra, failures):
    trace = os.path.join(work, "textures%s.xqft" % "".join(extra))
    out = trace + ".out"
    os.makedirs(out, exist_ok=True)
    subprocess.run([sys.executable, os.path.join(tools, "xqftgen.py"), "es2-textures", trace, "--hostile"] + extra,
                   check=True)
    listing = subprocess.run([dump, "textures", trace, out], check=True, capture_output=True, text=True).stdout
    lines = {int(m.group(1)): m for m in map(LINE.match, listing.splitlines()) if m}
    with open(trace + ".json") as f:
        uploads = json.load(f)["uploads"]

    def fail(e, why):
        failures.append("%s call %d: %s" % (os.path.basename(trace), e["call"], why))

    for e in uploads:
        m = lines.get(e["call"])
        if e["expect"] == "norecord":
            if m:
                fail(e, "a sub-image upload made a record")
            continue
        if not m:
            fail(e, "no record")
            continue
        fields = (int(m.group(2)), int(m.group(3), 16), int(m.group(4)), int(m.group(5)), int(m.group(6)),
                  int(m.group(7), 16), int(m.group(8), 16))
        want = (e["name"], e["target"], e["level"], e["width"], e["height"], e["internalformat"], e["type"])
        if fields != want:
            fail(e, "record %s, expected %s" % (fields, want))
        kind = m.group(9)
        ppm = os.path.join(out, "%d.ppm" % e["call"])
        if e["expect"] in ("none", "black"):
            if kind != e["expect"] or os.path.exists(ppm):
                fail(e, "%s with a file, expected %s and none" % (kind, e["expect"]))
            # The uploads larger than their data say what they hold (rows of 4-aligned bytes).
            if e["expect"] == "black" and e["width"] >= 4096:
                held = "%d/%d" % (len(e["data"]) // 2, e["width"] * e["height"] * e["bpp"])
                if m.group(10) is None or "%s/%s" % (m.group(10), m.group(11)) != held:
                    fail(e, "held=%s/%s, expected %s" % (m.group(10), m.group(11), held))
            continue
        if not os.path.exists(ppm):
            fail(e, "no image")
            continue
        w, h, pixels = read_ppm(ppm)
        rows = held_rows(e) if e["expect"] == "partial" else max(e["height"], 0)
        if (w, h) != (max(e["width"], 0), rows) or len(pixels) != w * h * 3:
            fail(e, "image %dx%d, expected %dx%d" % (w, h, max(e["width"], 0), rows))
            continue
        if e["expect"] == "library":
            if kind != "decoded":
                fail(e, "not decoded")
        elif e["expect"] in ("convert", "partial"):
            if kind != ("decoded" if e["expect"] == "convert" else "partial"):
                fail(e, "%s, expected %s" % (kind, e["expect"]))
                continue
            for i, ((r, g, b), tolerance) in enumerate(expected_rgb(e, rows)):
                got = pixels[3 * i:3 * i + 3]
                if any(abs(c - x) > tolerance + 0.5 for c, x in zip(got, (r, g, b))):
                    fail(e, "pixel %d is %s, expected %s (format 0x%X type 0x%X alignment %d)" %
                         (i, tuple(got), (r, g, b), e["format"], e["type"], e["alignment"]))
                    break
    return len(uploads)


def main():
    dump, tools, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    failures = []
    n = check(dump, tools, work, [], failures)
    n += check(dump, tools, work, ["--no-data"], failures)
    n += check(dump, tools, work, ["--api", "es1"], failures)
    n += check(dump, tools, work, ["--api", "es1", "--no-data"], failures)
    for f in failures:
        print("FAIL:", f)
    print("%d uploads checked, %d failures" % (n, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
