"""`es2-textures`: texture uploads for the texture-image tests (as ES 2.0 records, or with
`--api es1` as the ES 1.1 records of the same functions): every uncompressed ES 2.0
format/type pair at chosen unpack alignments, ETC1 and XQFTC uploads (fixed or random blocks),
a mip chain, cube faces, sub-image uploads, an upload without data and uploads the viewer must
survive (impossible sizes, short data, odd alignments, unknown pairs). Writes OUT.json beside the
trace: one entry per upload record with its call number, arguments, the raw bytes (hex) and what
the viewer is expected to make of it ("convert", "partial": the rows its data holds converted,
"library", "black", "none" or "norecord")."""
import json
import random

from . import es1, es2, trace
from .cmd_es2 import swap_buffers

TEX2D, CUBE_MAP, CUBE_X = 0x0DE1, 0x8513, 0x8515
UBYTE, US4444, US5551, US565, FLOAT = 0x1401, 0x8033, 0x8034, 0x8363, 0x1406
ALPHA, RGB, RGBA, LUM, LUM_ALPHA = 0x1906, 0x1907, 0x1908, 0x1909, 0x190A
ETC1, XQFTC_4RGB, XQFTC_2RGB, XQFTC_4RGBA = 0x8D64, 0x8C00, 0x8C01, 0x8C02

# Every uncompressed format/type pair of OpenGL ES 2.0 with its bytes per pixel.
PAIRS = [(RGBA, UBYTE, 4), (RGB, UBYTE, 3), (RGBA, US4444, 2), (RGBA, US5551, 2), (RGB, US565, 2),
         (LUM_ALPHA, UBYTE, 2), (LUM, UBYTE, 1), (ALPHA, UBYTE, 1)]


def row_bytes(w, bpp, align):
    row = w * bpp
    return row if align <= 0 else (row + align - 1) // align * align


def image_bytes(w, h, bpp, align):
    """Rows at the alignment, the last one unpadded (what GL reads)."""
    return 0 if h == 0 else row_bytes(w, bpp, align) * (h - 1) + w * bpp


def compressed_size(fmt, w, h):
    if fmt == ETC1:
        return ((w + 3) // 4) * ((h + 3) // 4) * 8
    if fmt in (XQFTC_4RGB, XQFTC_4RGBA):
        return max(w, 8) * max(h, 8) * 4 // 8
    return max(w, 16) * max(h, 8) * 2 // 8


# The ids of the upload functions in each API; both list their values in the same order.
IDS = {
    "es2": {"glBindTexture": 2007, "glTexImage2D": 2106, "glCompressedTexImage2D": 2022,
            "glTexSubImage2D": 2111, "glCompressedTexSubImage2D": 2023},
    "es1": {"glBindTexture": 3005, "glTexImage2D": 3133, "glCompressedTexImage2D": 3023,
            "glTexSubImage2D": 3140, "glCompressedTexSubImage2D": 3024},
}


class Uploads:
    def __init__(self, data, api="es2"):
        self.w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1 if data else 0)
        self.data = data
        self.calls = 0
        self.entries = []
        self.name = 0
        self.ids = IDS[api]
        self.encode = es1.encode_call if api == "es1" else es2.encode_call

    def call(self, rid, values):
        self.w.record(rid, self.encode(rid, values, self.w.type_sizes, self.data).payload)
        self.calls += 1
        return self.calls

    def bind(self, name=None, target=TEX2D):
        if name is None:
            self.name += 1
            name = self.name
        self.call(self.ids["glBindTexture"], [target, name])
        return name

    def tex_image(self, expect, fmt, typ, w, h, pixels, align=4, level=0, target=TEX2D, ifmt=None, bpp=0,
                  new_texture=True, pointer=0x1000):
        name = self.bind() if new_texture else self.name
        ptr = pointer if pixels is not None else 0
        n = self.call(self.ids["glTexImage2D"], [target, level, fmt if ifmt is None else ifmt, w, h, 0, fmt, typ,
                             (ptr, pixels or b""), align])
        self.entries.append({"call": n, "name": name, "kind": "teximage", "target": target, "level": level,
                             "internalformat": fmt if ifmt is None else ifmt, "format": fmt, "type": typ,
                             "width": w, "height": h, "alignment": align, "bpp": bpp,
                             "data": (pixels or b"").hex() if self.data else "", "expect": expect})

    def compressed(self, expect, fmt, w, h, blocks, level=0):
        name = self.bind()
        n = self.call(self.ids["glCompressedTexImage2D"], [TEX2D, level, fmt, w, h, 0, len(blocks), (0x2000, blocks)])
        self.entries.append({"call": n, "name": name, "kind": "compressed", "target": TEX2D, "level": level,
                             "internalformat": fmt, "format": 0, "type": 0, "width": w, "height": h,
                             "alignment": 0, "bpp": 0, "data": blocks.hex() if self.data else "",
                             "expect": expect})

    def norecord(self, function, values):
        n = self.call(self.ids[function], values)
        self.entries.append({"call": n, "kind": "sub", "expect": "norecord"})


def run(args):
    r = random.Random(args.seed)
    rand = lambda n: bytes(r.randrange(256) for _ in range(n))
    u = Uploads(not args.no_data, args.api)
    black_without_data = "black" if args.no_data else None

    # Every pair at every alignment, at sizes whose rows do not fill the alignment.
    for align in args.alignments:
        for fmt, typ, bpp in PAIRS:
            for w, h in ((3, 2), (5, 3)):
                u.tex_image(black_without_data or "convert", fmt, typ, w, h, rand(image_bytes(w, h, bpp, align)),
                            align, bpp=bpp)
    # A mip chain: later levels group under the first.
    u.bind()
    for level, size in enumerate((8, 4, 2, 1)):
        u.tex_image(black_without_data or "convert", RGBA, UBYTE, size, size, rand(size * size * 4), level=level,
                    bpp=4, new_texture=False)
    # Six cube faces under one name, bound as a cube map (the faces go to the cube binding).
    u.bind(target=CUBE_MAP)
    for face in range(6):
        u.tex_image(black_without_data or "convert", RGB, UBYTE, 2, 2, rand(image_bytes(2, 2, 3, 4)),
                    target=CUBE_X + face, bpp=3, new_texture=False)
    # Block-compressed uploads, decoded by the library (random blocks: no encoder is needed).
    for fmt, w, h in ((ETC1, 8, 4), (ETC1, 6, 6), (XQFTC_4RGB, 5, 5), (XQFTC_4RGBA, 8, 8), (XQFTC_2RGB, 16, 8)):
        u.compressed(black_without_data or "library", fmt, w, h, rand(compressed_size(fmt, w, h)))
    # Sub-image uploads make no record.
    u.norecord("glTexSubImage2D", [TEX2D, 0, 0, 0, 1, 1, RGBA, UBYTE, (0x3000, rand(4)), 4])
    u.norecord("glCompressedTexSubImage2D", [TEX2D, 0, 0, 0, 4, 4, ETC1, 8, (0x3000, rand(8))])
    # No data recorded: black of the upload's size.
    u.tex_image("black", RGBA, UBYTE, 7, 3, None, bpp=4)

    if args.hostile:
        u.tex_image("none", RGBA, UBYTE, 65535, 65535, None, bpp=4)
        u.tex_image("none", RGBA, UBYTE, -4, 4, None, bpp=4)
        u.tex_image("black", RGBA, UBYTE, 0, 4, rand(16), bpp=4)
        u.tex_image("black", RGBA, UBYTE, 4, 0, rand(16), bpp=4)
        u.tex_image(black_without_data or "partial", RGB, UBYTE, 3, 4, rand(image_bytes(3, 4, 3, 4) - 1),
                    bpp=3)                                                                 # a byte short
        u.tex_image(black_without_data or "partial", RGBA, UBYTE, 8, 8, rand(100), bpp=4)  # rows missing
        # Sizes the data does not hold: 16 KB for 16384 x 16384 (not one row), none at all.
        u.tex_image("black", RGBA, UBYTE, 16384, 16384, rand(16384), bpp=4)
        u.tex_image("black", RGBA, UBYTE, 16384, 16384, None, bpp=4)
        for align in (0, 3, 16):
            u.tex_image(black_without_data or "convert", RGB, UBYTE, 5, 3, rand(image_bytes(5, 3, 3, align)),
                        align, bpp=3)
        u.tex_image("black", RGBA, FLOAT, 2, 2, rand(64), bpp=16)       # no such pair in ES 2.0
        u.tex_image("black", 0x1234, UBYTE, 2, 2, rand(16), bpp=4)      # no such format
        u.compressed("black", ETC1, 8, 8, rand(31))                     # one byte short
        u.compressed("black", XQFTC_4RGB, 5, 5, rand(8))
        u.compressed("black", 0x9999, 4, 4, rand(8))                    # no decoder

    u.w.record(trace.ID_SWAP_BUFFERS, swap_buffers(u.w, 1))
    u.w.write(args.out)
    with open(args.manifest or args.out + ".json", "w") as f:
        json.dump({"uploads": u.entries}, f, indent=0)
    return 0


def register(subparsers):
    p = subparsers.add_parser("es2-textures", help="texture uploads of every kind, with a manifest for checkers")
    p.add_argument("out")
    p.add_argument("--alignments", type=lambda s: [int(x) for x in s.split(",")], default=[1, 2, 4, 8])
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--no-data", action="store_true", help="a trace recorded without data")
    p.add_argument("--hostile", action="store_true", help="add uploads the viewer must survive")
    p.add_argument("--manifest", help="where to write the manifest (default OUT.json)")
    p.add_argument("--api", choices=("es2", "es1"), default="es2", help="the API whose records carry the uploads")
    p.set_defaults(func=run)
