"""`ext-all`: a trace holding every extension record, with its expected listing.
`ext-mixed`: a large trace of extension calls (fixed-point, vertex-array and mapping calls, half of
them on each API) for load benchmarks."""
import random

from . import ext, trace
from .cmd_es2 import register_family, write_all, write_listing, write_mixed


def every_record(type_sizes, data, version, selector):
    """Every table record once, with distinct values: from version 8 on all of them; a version-7
    file holds neither the records that came with version 8 nor the EGL-image records, whose type
    code its type-size table lacks."""
    out = []
    for rid in sorted(ext.LAYOUTS):
        if version < 8 and (rid in ext.FROM_VERSION_8 or rid in ext.EGL_IMAGE):
            continue
        out.append(ext.encode_call(rid, ext.sample_values(rid, rid * 100), type_sizes, data, selector))
    return out


def write_expectations(path, records):
    write_listing(path, records, ext.NAMES.__getitem__, ext.CATEGORIES.__getitem__)


def run_all(args):
    return write_all(args, lambda sizes, data: every_record(sizes, data, args.version, args.selector),
                     write_expectations)


def run_mixed(args):
    """calls: total records in frames cut by eglSwapBuffers; every other call one of the
    fixed-point records, the rest vertex-array binds and generations and map/unmap pairs of
    --vertex-bytes, each on a selector drawn at random (half on each API)."""
    sizes = list(trace.DEFAULT_TYPE_SIZES)
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, type_sizes=sizes)
    mapped = bytes(j & 0xFF for j in range(args.vertex_bytes))
    fixed_point = [rid for rid in sorted(ext.LAYOUTS) if ext.CATEGORIES[rid] != "Extension"
                   and rid not in (4089, 4090)]
    made = {}
    for selector in (1, 2):
        rec = lambda rid, values: ext.encode_call(rid, values, sizes, True, selector)
        kinds = [(rid, rec(rid, ext.sample_values(rid, rid))) for rid in fixed_point]
        kinds.append((4007, rec(4007, [5])))
        kinds.append((4009, rec(4009, [1, (0x7000, [5])])))
        kinds.append((4004, rec(4004, [0x8892, 0x88B9])))
        kinds.append((4005, rec(4005, [0x8892, (0x8000, mapped)])))
        made[selector] = [(trace.record(rid, r.payload), r.captured) for rid, r in kinds]
    split = len(fixed_point)

    def pick(rnd):
        kinds = made[rnd.choice((1, 2))]
        if rnd.random() < 0.5:
            return kinds[rnd.randrange(split)]
        return kinds[split + rnd.randrange(len(kinds) - split)]

    return write_mixed(args, w, random.Random(13), pick)


def register(subparsers):
    all_, mixed = register_family(subparsers, ("ext", "OpenGL ES extension"), run_all, run_mixed)
    all_.add_argument("--selector", type=int, default=2,
                      help="API selector of every record (1 ES 1.1, 2 ES 2.0, others list as EGL)")
    mixed.set_defaults(calls=1000000, vertex_bytes=4096)
