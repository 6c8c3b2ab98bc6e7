"""`es1-all`: a trace holding every OpenGL ES 1.1 record, with its expected listing.
`es1-mixed`: a large mixed OpenGL ES 1.1 trace (client-array draws, textures) for load benchmarks."""
import random

from . import es1, trace
from .cmd_es2 import register_family, write_all, write_listing, write_mixed


def every_record(type_sizes, data, version):
    """Every table record once, with distinct values (the matrix loads only from version 6), then
    the draw records."""
    out = []
    for rid in sorted(es1.LAYOUTS):
        if rid in es1.MATRIX_LOADS and version < 6:
            continue
        out.append(es1.encode_call(rid, es1.sample_values(rid, rid * 100), type_sizes, data))
    return out + es1.draw_records(type_sizes, data)


def write_expectations(path, records):
    write_listing(path, records, es1.NAMES.__getitem__, es1.CATEGORIES.__getitem__)


def run_all(args):
    return write_all(args, lambda sizes, data: every_record(sizes, data, args.version), write_expectations)


def _mixed_records(sizes, vertex_bytes, texture_bytes):
    """The record kinds of es1-mixed: (record bytes, captured bytes) by name."""
    rec = lambda rid, values: es1.encode_call(rid, values, sizes, True)
    made = {}
    plain = [rid for rid in sorted(es1.LAYOUTS) if rid not in (3007, 3008, 3023, 3114, 3133)]
    for rid in plain:
        r = rec(rid, es1.sample_values(rid, rid))
        made[rid] = (trace.record(rid, r.payload), r.captured)
    vertex = bytes(j & 0xFF for j in range(vertex_bytes))
    draw = es1.encode_draw_arrays(sizes, 4, 0, len(vertex) // 12, [(0x1000, vertex)])
    indices = bytes(range(48))
    elements = es1.encode_draw_elements(sizes, True, 4, 24, 0x1403, (0x2000, indices), 0,
                                        [(0x1000, vertex)])
    texels = bytes(texture_bytes)
    tex = rec(3133, [0x0DE1, 0, 0x1908, 64, 64, 0, 0x1908, 0x1401, (0x9000, texels), 4])
    made["draw"] = (trace.record(es1.DRAW_ARRAYS, draw.payload), draw.captured)
    made["elements"] = (trace.record(es1.DRAW_ELEMENTS, elements.payload), elements.captured)
    made["tex"] = (trace.record(3133, tex.payload), tex.captured)
    return plain, made


def run_mixed(args):
    """calls: total records; frames: cut by eglSwapBuffers (the last one holds last_frame_calls
    calls when given); a draw with a captured client array in every fifth call (a glDrawArrays or
    a glDrawElements), a texture upload in one call of a hundred, the other calls drawn from every
    ES 1.1 record. Writes OUT.info with the totals the benchmark checks."""
    sizes = list(trace.DEFAULT_TYPE_SIZES)
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, type_sizes=sizes)
    plain, made = _mixed_records(sizes, args.vertex_bytes, args.texture_bytes)

    def pick(rnd):
        roll = rnd.random()
        key = ("draw" if roll < 0.15 else "elements" if roll < 0.2 else "tex" if roll < 0.21
               else plain[rnd.randrange(len(plain))])
        return made[key]

    return write_mixed(args, w, random.Random(11), pick)


def register(subparsers):
    register_family(subparsers, ("es1", "OpenGL ES 1.1"), run_all, run_mixed)
