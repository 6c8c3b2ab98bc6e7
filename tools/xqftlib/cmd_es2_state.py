"""`es2-state-random`: a trace of random OpenGL ES 2.0 state calls (fixed state, units, buffers,
framebuffers, shaders, programs, attributes, uniforms, textures) cut into frames, for tests that
compare tracked states."""
import random
import struct

from . import es2, trace
from .cmd_es2 import swap_buffers

TEX2D, CUBE, RGBA, RGB, UBYTE = 0x0DE1, 0x8513, 0x1908, 0x1907, 0x1401


def _f(r):
    return round(r.uniform(-2, 2), 3)


def _pixels(r, n):
    return bytes(r.randrange(256) for _ in range(n))


def _image_size(w, h, bpp, align=4):
    pitch = (w * bpp + align - 1) // align * align
    return pitch * h


def random_call(r):
    """(id, values) of one random state call."""
    names = [1, 2, 3, 4]
    kind = r.randrange(24)
    if kind == 0:
        return 2043 if r.random() < 0.5 else 2039, [r.choice([0x0BE2, 0x0B44, 0x0B71, 0x0BD0, 0x8037, 0x0C11, 0x0B90, 0x1234])]
    if kind == 1:
        return 2011, [r.choice([0, 1, 0x302, 0x303]), r.choice([0, 1, 0x302, 0x303])]
    if kind == 2:
        return 2012, [r.choice([0, 1, 0x300, 0x301]) for _ in range(4)]
    if kind == 3:
        return r.choice([(2008, [_f(r) for _ in range(4)]), (2017, [_f(r) for _ in range(4)]), (2018, [_f(r)])])
    if kind == 4:
        return r.choice([(2036, [r.choice([0x200, 0x201, 0x203, 0x207])]), (2037, [r.randrange(2)]),
                         (2020, [r.randrange(2) for _ in range(4)]), (2038, [_f(r), _f(r)]),
                         (2028, [r.choice([0x404, 0x405, 0x408])]), (2049, [r.choice([0x900, 0x901])])])
    if kind == 5:
        return r.choice([2142, 2097]), [r.randrange(100), r.randrange(100), r.randrange(1, 300), r.randrange(1, 300)]
    if kind == 6:
        face = r.choice([0x404, 0x405, 0x408, 0x999])
        return r.choice([(2100, [0x203, r.randrange(8), r.randrange(256)]), (2101, [face, 0x202, r.randrange(8), 0xFF]),
                         (2102, [r.randrange(256)]), (2103, [face, r.randrange(256)]),
                         (2104, [0x1E00, 0x1E01, 0x1E02]), (2105, [face, 0x1E03, 0x150A, 0x1E00])])
    if kind == 7:
        return 2001, [0x84C0 + r.randrange(4)]
    if kind == 8:
        return 2007, [r.choice([TEX2D, CUBE]), r.choice(names)]
    if kind == 9:
        w, h = r.randrange(1, 5), r.randrange(1, 5)
        fmt, bpp = r.choice([(RGBA, 4), (RGB, 3)])
        target = r.choice([TEX2D, TEX2D, 0x8515 + r.randrange(6)])
        px = _pixels(r, _image_size(w, h, bpp))
        return 2106, [target, r.randrange(3), fmt, w, h, 0, fmt, UBYTE, (0x1000, px), 4]
    if kind == 10:
        w, h = r.randrange(1, 3), r.randrange(1, 3)
        px = _pixels(r, _image_size(w, h, 4))
        return 2111, [TEX2D, r.randrange(3), r.randrange(3), r.randrange(3), w, h, RGBA, UBYTE, (0x2000, px), 4]
    if kind == 11:
        return 2109, [r.choice([TEX2D, CUBE]), r.choice([0x2800, 0x2801, 0x2802, 0x2803]), r.choice([0x2600, 0x2601, 0x812F])]
    if kind == 12:
        return 2031, [1, (0x10, [r.choice(names)])]
    if kind == 13:
        return 2004, [r.choice([0x8892, 0x8893]), r.choice(names)]
    if kind == 14:
        n = r.randrange(1, 9)
        return 2013, [r.choice([0x8892, 0x8893]), n, (0x3000, _pixels(r, n)), 0x88E4]
    if kind == 15:
        n = r.randrange(1, 5)
        return 2014, [r.choice([0x8892, 0x8893]), r.randrange(6), n, (0x3000, _pixels(r, n))]
    if kind == 16:
        return r.choice([(2052, [1, (0x10, [r.choice(names)])]), (2005, [0x8D40, r.choice([0] + names)]),
                         (2048, [0x8D40, r.choice([0x8CE0, 0x8D00, 0x8D20]), r.choice([TEX2D, 0x8516]), r.choice(names), r.randrange(3)]),
                         (2030, [1, (0x10, [r.choice(names)])])])
    if kind == 17:
        return r.choice([(2053, [1, (0x10, [r.choice(names)])]), (2006, [0x8D41, r.choice(names)]),
                         (2095, [0x8D41, 0x81A5, r.randrange(1, 64), r.randrange(1, 64)]),
                         (2047, [0x8D40, r.choice([0x8CE0, 0x8D00]), 0x8D41, r.choice(names)]),
                         (2033, [1, (0x10, [r.choice(names)])])])
    if kind == 18:
        shader = 10 + r.randrange(3)
        return r.choice([(2027, [shader, r.choice([0x8B31, 0x8B30])]), (2021, [shader]),
                         (2099, [shader, 1, (0x10, [(0x20, "void main(){%d}" % r.randrange(9))]), (0x30, [14])]),
                         (2002, [20 + r.randrange(2), shader]), (2035, [20 + r.randrange(2), shader]),
                         (2034, [shader])])
    if kind == 19:
        program = 20 + r.randrange(2)
        return r.choice([(2090, [program]), (2131, [program]), (2003, [program, r.randrange(3), (0x40, "a%d" % r.randrange(3))]),
                         (2032, [program]) if r.random() < 0.2 else (2131, [program])])
    if kind == 20:
        loc = r.choice([-1, 0, 1, 2])
        return r.choice([(2112, [loc, _f(r)]), (2114, [loc, r.randrange(9)]), (2124, [loc] + [_f(r) for _ in range(4)]),
                         (2121, [loc, 2, (0x50, [_f(r) for _ in range(6)])]),
                         (2129, [loc, 1, 0, (0x50, [_f(r) for _ in range(9)])]),
                         (2077, [loc, 20 + r.randrange(2), (0x60, "u%d" % loc)])])
    if kind == 21:
        idx = r.randrange(3)
        return r.choice([(2139, [idx] + [_f(r) for _ in range(4)]), (2136, [idx, (0x70, [_f(r), _f(r)])]),
                         (2044, [idx]), (2040, [idx]), (2141, [idx, 3, 0x1406, 0, 12, 0x100 * idx])])
    if kind == 22:
        return r.choice([(2091, [r.choice([0x0D05, 0x0CF5]), r.choice([1, 2, 4, 8])]), (2081, [0x8192, 0x1102]),
                         (2092, [_f(r), _f(r)]), (2096, [_f(r), r.randrange(2)]), (2094, [])])
    return 2107, [TEX2D, r.choice([0x2800, 0x2802]), float(r.choice([0x2600, 0x2601]))]


def run(args):
    r = random.Random(args.seed)
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1)
    per_frame = max(1, args.calls // args.frames)
    for n in range(args.calls):
        rid, values = random_call(r)
        w.record(rid, es2.encode_call(rid, values, w.type_sizes, True).payload)
        if n % per_frame == per_frame - 1:
            w.record(trace.ID_SWAP_BUFFERS, swap_buffers(w, n // per_frame + 1))
    w.write(args.out)
    return 0


def register(subparsers):
    p = subparsers.add_parser("es2-state-random", help="random OpenGL ES 2.0 state calls cut into frames")
    p.add_argument("out")
    p.add_argument("--calls", type=int, default=1000)
    p.add_argument("--frames", type=int, default=10)
    p.add_argument("--seed", type=int, default=1)
    p.set_defaults(func=run)
    register_bench(subparsers)


def run_bench(args):
    """A first frame that creates `textures` 16x16 RGBA textures (and, with --uniforms, gives both
    programs the random calls use that many uniforms), then frames of `frame_calls` random state
    calls each."""
    r = random.Random(5)
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1)
    ts = w.type_sizes
    texels = bytes(16 * 16 * 4)
    for name in range(1, args.textures + 1):
        w.record(2007, es2.encode_call(2007, [TEX2D, name], ts, True).payload)
        w.record(2106, es2.encode_call(2106, [TEX2D, 0, RGBA, 16, 16, 0, RGBA, UBYTE, (0x1000, texels), 4], ts, True).payload)
    for program in (20, 21) if args.uniforms else ():
        w.record(2131, es2.encode_call(2131, [program], ts, True).payload)
        for loc in range(args.uniforms):
            w.record(2077, es2.encode_call(2077, [loc, program, (0x60, "u_uniform%d" % loc)], ts, True).payload)
            w.record(2124, es2.encode_call(2124, [loc] + [_f(r) for _ in range(4)], ts, True).payload)
    w.record(trace.ID_SWAP_BUFFERS, swap_buffers(w, 1))
    write_random_frames(w, r, args, random_call, es2.encode_call, 2007)
    w.write(args.out)
    return 0


def write_random_frames(w, r, args, random_call, encode_call, bind_texture):
    """args.frames frames of args.frame_calls calls each (the last an eglSwapBuffers), the others
    from random_call(r); a texture bind (id bind_texture) names one of args.textures textures.
    Payloads of calls seen before are reused."""
    cache = {}
    for frame in range(args.frames):
        for _ in range(args.frame_calls - 1):
            rid, values = random_call(r)
            if rid == bind_texture:
                values = [values[0], r.randrange(1, args.textures + 1)]
            key = (rid, repr(values))
            payload = cache.get(key)
            if payload is None:
                payload = encode_call(rid, values, w.type_sizes, True).payload
                if len(cache) < 50000:
                    cache[key] = payload
            w.record(rid, payload)
        w.record(trace.ID_SWAP_BUFFERS, swap_buffers(w, frame + 2))


def register_bench(subparsers):
    p = subparsers.add_parser("es2-state-bench", help="1,000 textures, then frames of random state calls")
    p.add_argument("out")
    p.add_argument("--frames", type=int, default=20)
    p.add_argument("--frame-calls", type=int, default=10000)
    p.add_argument("--textures", type=int, default=1000)
    p.add_argument("--uniforms", type=int, default=0, help="uniforms of each program (with values)")
    p.set_defaults(func=run_bench)
