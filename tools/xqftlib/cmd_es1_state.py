"""`es1-state-random`: a trace of seeded random OpenGL ES 1.1 state calls (every state effect, in
its f, i and x forms, with values inside and outside the tracked ranges) cut into frames, for tests
that compare tracked states. `es1-state-bench`: the state benchmark's trace."""
import random

from . import es1, trace
from .cmd_es2 import swap_buffers
from .cmd_es2_state import write_random_frames

TEX2D, RGBA, UBYTE, FLOAT = 0x0DE1, 0x1908, 0x1401, 0x1406
TEX0, LIGHT0, PLANE0 = 0x84C0, 0x4000, 0x3000
CAPS = [0x0BC0, 0x0BE2, 0x3000, 0x3003, 0x0BF2, 0x0B57, 0x0B44, 0x0B71, 0x0BD0, 0x0B60, 0x4000, 0x4007, 0x0B50,
        0x0B20, 0x809D, 0x0BA1, 0x0B10, 0x8861, 0x8037, 0x803A, 0x809E, 0x809F, 0x0C11, 0x0B90, 0x8840, TEX2D,
        0x80A0]
ENV_PNAMES = [0x2200, 0x8571, 0x8572, 0x8580, 0x8581, 0x8582, 0x8588, 0x8589, 0x858A, 0x8590, 0x8591, 0x8592,
              0x8598, 0x8599, 0x859A, 0x8573, 0x0D1C, 0x2201, 0x1234]


def _f(r):
    return round(r.uniform(-2, 2), 3)


def _x(r):
    """A fixed-point number, 16.16."""
    return int(_f(r) * 65536)


def _vec(r, n, fixed=False):
    return (0x100, [_x(r) if fixed else _f(r) for _ in range(n)])


def random_call(r):
    """(id, values) of one random ES 1.1 state call."""
    kind = r.randrange(24)
    unit = TEX0 + r.choice([0, 1, 2, 3, 40])
    if kind == 0:
        return r.choice([3038, 3034]), [r.choice(CAPS)]
    if kind == 1:
        return r.choice([(3002, [0x0201, _f(r)]), (3003, [0x0204, _x(r)]), (3006, [r.choice([0, 1, 0x302]), 0x303]),
                         (3010, [_f(r) for _ in range(4)]), (3011, [_x(r) for _ in range(4)]),
                         (3012, [_f(r)]), (3013, [_x(r)]), (3014, [r.randrange(9)])])
    if kind == 2:
        return r.choice([(3021, [r.randrange(2) for _ in range(4)]), (3027, [r.choice([0x404, 0x405, 0x408])]),
                         (3046, [r.choice([0x900, 0x901])]), (3030, [r.choice([0x201, 0x203, 0x207])]),
                         (3031, [r.randrange(2)]), (3032, [_f(r), _f(r)]), (3033, [_x(r), _x(r)]),
                         (3088, [0x1500 + r.randrange(16)]), (3122, [r.choice([0x1D00, 0x1D01])])])
    if kind == 3:
        return r.choice([(3083, [_f(r)]), (3084, [_x(r)]), (3108, [_f(r)]), (3109, [_x(r)]),
                         (3110, [_f(r), _f(r)]), (3111, [_x(r), _x(r)]), (3117, [_f(r), r.randrange(2)]),
                         (3118, [_x(r), r.randrange(2)])])
    if kind == 4:
        return r.choice([(3121, [r.randrange(99) for _ in range(4)]), (3144, [r.randrange(99) for _ in range(4)]),
                         (3123, [0x0203, r.randrange(9), 0xFF]), (3124, [r.randrange(256)]),
                         (3125, [0x1E00, 0x1E01, 0x150A]), (3103, [r.choice([0x0CF5, 0x0D05]), r.choice([1, 2, 4, 8])])])
    if kind == 5:
        return 3071, [r.choice([0x0C54, 0x8192, 0x0C52, 0x0C50, 0x0C51, 0x1234]), r.choice([0x1100, 0x1101, 0x1102])]
    if kind == 6:
        pname = r.choice([0x8126, 0x8127, 0x8128, 0x8129])
        return r.choice([(3104, [pname, _f(r)]), (3106, [pname, _x(r)]), (3105, [pname, _vec(r, 3)]),
                         (3107, [pname, _vec(r, 3, True)])])
    if kind == 7:
        pname = r.choice([0x0B65, 0x0B62, 0x0B63, 0x0B64, 0x0B66])
        mode = r.choice([0x0800, 0x0801, 0x2601])
        n = r.choice([1, 2, 4])
        return r.choice([(3042, [pname, float(mode) if pname == 0x0B65 else _f(r)]),
                         (3044, [pname, mode if pname == 0x0B65 else _x(r)]),
                         (3043, [pname, _vec(r, n)]), (3045, [pname, _vec(r, n, True)])])
    if kind in (8, 9):
        light = LIGHT0 + r.choice([0, 1, 5, 7, 9])
        pname = 0x1200 + r.randrange(10)
        n = r.choice([0, 1, 3, 4])
        return r.choice([(3079, [light, pname, _f(r)]), (3081, [light, pname, _x(r)]),
                         (3080, [light, pname, _vec(r, n)]), (3082, [light, pname, _vec(r, n, True)])])
    if kind == 10:
        pname = r.choice([0x0B52, 0x0B53])
        n = r.choice([0, 1, 4])
        return r.choice([(3075, [pname, _f(r)]), (3077, [pname, _x(r)]), (3076, [pname, _vec(r, n)]),
                         (3078, [pname, _vec(r, n, True)])])
    if kind == 11:
        pname = r.choice([0x1200, 0x1201, 0x1202, 0x1600, 0x1601, 0x1602])
        n = r.choice([0, 1, 4])
        return r.choice([(3089, [0x0408, pname, _f(r)]), (3091, [0x0408, pname, _x(r)]),
                         (3090, [0x0408, pname, _vec(r, n)]), (3092, [0x0408, pname, _vec(r, n, True)])])
    if kind == 12:
        plane = PLANE0 + r.choice([0, 2, 5, 7])
        return r.choice([(3016, [plane, (r.choice([0, 0x200]), [_f(r) for _ in range(4)])]),
                         (3017, [plane, (0x200, [_x(r) for _ in range(4)])])])
    if kind == 13:
        return r.choice([(3018, [_f(r) for _ in range(4)]), (3019, [r.randrange(256) for _ in range(4)]),
                         (3020, [_x(r) for _ in range(4)]), (3098, [_f(r) for _ in range(3)]),
                         (3099, [_x(r) for _ in range(3)])])
    if kind == 14:
        return r.choice([(3096, [unit] + [_f(r) for _ in range(4)]), (3097, [unit] + [_x(r) for _ in range(4)])])
    if kind in (15, 16):
        mode = r.choice([0x1700, 0x1701, 0x1702, 0x8840])
        return r.choice([(3093, [mode]), (3113, []), (3113, []), (3112, [])])
    if kind == 17:
        return r.choice([(3001, [unit]), (3015, [unit]), (3005, [TEX2D, r.randrange(1, 5)])])
    if kind in (18, 19):
        target = r.choice([0x2300, 0x2300, 0x8861])
        pname = 0x8862 if target == 0x8861 else r.choice(ENV_PNAMES)
        e = r.choice([0x2100, 0x1E01, 0x8570, 0x0104, 1, 2])
        n = 4 if pname == 0x2201 else r.choice([1, 1, 0])
        return r.choice([(3127, [target, pname, float(e)]), (3129, [target, pname, e]), (3131, [target, pname, e]),
                         (3128, [target, pname, (0x100, [float(e)] + [_f(r) for _ in range(n - 1)] if n else [])]),
                         (3130, [target, pname, (0x100, [e] * n)]),
                         (3132, [target, pname, (0x100, [e] * n)])])
    if kind == 20:
        name = r.randrange(1, 4)
        return r.choice([(3004, [r.choice([0x8892, 0x8893, 0x1234]), name]),
                         (3007, [r.choice([0x8892, 0x8893]), 8, (0x300, bytes(r.randrange(256) for _ in range(8))), 0x88E4]),
                         (3008, [0x8892, r.randrange(10), 4, (0x300, bytes(4))])])
    if kind == 21:
        return r.choice([(3039, [r.choice([0x8076, 0x8075, 0x8074, 0x8B9C, 0x8078])]),
                         (3035, [r.choice([0x8076, 0x8075, 0x8074, 0x8B9C, 0x8078])]),
                         (3143, [3, FLOAT, 12, 0x1000 + r.randrange(64)]), (3022, [4, UBYTE, 4, 0x2000]),
                         (3100, [FLOAT, 0, 0x3000]), (3126, [2, FLOAT, 8, 0x4000]), (3145, [FLOAT, 4, 0x5000])])
    if kind == 22:
        w = r.randrange(1, 4)
        return 3133, [TEX2D, r.randrange(3), RGBA, w, w, 0, RGBA, UBYTE, (0x6000, bytes(w * w * 4)), 4]
    return r.choice([(3029, [1, (0x10, [r.randrange(1, 5)])]), (3085, []), (3141, [_f(r), _f(r), _f(r)])])


def write_calls(w, calls, frames):
    """The calls cut into frames by eglSwapBuffers."""
    per_frame = max(1, len(calls) // frames)
    for n, (rid, values) in enumerate(calls):
        w.record(rid, es1.encode_call(rid, values, w.type_sizes, True).payload)
        if n % per_frame == per_frame - 1:
            w.record(trace.ID_SWAP_BUFFERS, swap_buffers(w, n // per_frame + 1))


def run(args):
    r = random.Random(args.seed)
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1)
    write_calls(w, [random_call(r) for _ in range(args.calls)], args.frames)
    w.write(args.out)
    return 0


def run_bench(args):
    """A first frame that uploads `textures` 16x16 RGBA textures, then frames of `frame_calls`
    random state calls each."""
    r = random.Random(5)
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1)
    ts = w.type_sizes
    texels = bytes(16 * 16 * 4)
    bind = lambda name: es1.encode_call(3005, [TEX2D, name], ts, True).payload
    upload = es1.encode_call(3133, [TEX2D, 0, RGBA, 16, 16, 0, RGBA, UBYTE, (0x1000, texels), 4], ts, True).payload
    for name in range(1, args.textures + 1):
        w.record(3005, bind(name))
        w.record(3133, upload)
    w.record(trace.ID_SWAP_BUFFERS, swap_buffers(w, 1))
    write_random_frames(w, r, args, random_call, es1.encode_call, 3005)
    w.write(args.out)
    return 0


def register(subparsers):
    p = subparsers.add_parser("es1-state-random", help="random OpenGL ES 1.1 state calls cut into frames")
    p.add_argument("out")
    p.add_argument("--calls", type=int, default=1000)
    p.add_argument("--frames", type=int, default=10)
    p.add_argument("--seed", type=int, default=1)
    p.set_defaults(func=run)

    p = subparsers.add_parser("es1-state-bench", help="1,000 textures, then frames of random ES 1.1 state calls")
    p.add_argument("out")
    p.add_argument("--textures", type=int, default=1000)
    p.add_argument("--frames", type=int, default=20)
    p.add_argument("--frame-calls", type=int, default=10000)
    p.set_defaults(func=run_bench)
