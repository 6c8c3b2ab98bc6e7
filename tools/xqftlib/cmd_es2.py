"""`es2-all`: a trace holding every OpenGL ES 2.0 record, with its expected listing.
`es2-mixed`: a large mixed OpenGL ES 2.0 trace for load benchmarks."""
import random
import struct

from . import es2, trace


def _type_sizes(pointer_size, version=trace.LATEST_VERSION):
    sizes = list(trace.DEFAULT_TYPE_SIZES)[:trace.table_count_for(version, 1)]
    sizes[trace.TYPE["pointer"]] = -pointer_size if pointer_size != 4 else 4
    return sizes


def every_record(type_sizes, data):
    """Every table record once, with distinct values, then the draw calls."""
    out = []
    for rid in sorted(es2.LAYOUTS):
        out.append(es2.encode_call(rid, es2.sample_values(rid, rid * 100), type_sizes, data))
    blk = lambda n, seed: bytes((seed + j) & 0xFF for j in range(n))
    # Two blocks read; the last 20 bytes (40 or fewer remain) are a trailer that is never read.
    out.append(es2.encode_draw_arrays(type_sizes, 4, 3, 36, [(0x1000, blk(64, 1)), (0x2000, blk(48, 2))],
                                      trailer=struct.pack("<II", 0x3000, 12) + blk(12, 3)))
    # With data: index block, offset and one captured block; an empty block header at the very
    # end (8 bytes) is a trailer that is never read.
    ptr_width = trace.type_width(type_sizes, 0)
    tail = (b"\0" * ptr_width + b"\0" * 4) if ptr_width + 4 <= 8 else b""
    out.append(es2.encode_draw_elements(type_sizes, data, 5, 6, 0x1403, (0x4000, blk(12, 4)), 0x40,
                                        [(0x5000, blk(32, 5))], trailer=tail))
    # An empty index block: listed through its offset.
    out.append(es2.encode_draw_elements(type_sizes, data, 4, 3, 0x1403, (0x6000, b""), 0x80, []))
    return out


def write_listing(path, records, name_of, category_of):
    """One line per record: id, function, category, bytes consumed, return text, then name=text
    for each listed argument of the verbose listing (hidden ones as !name=text), tab-separated."""
    with open(path, "w") as f:
        for r in records:
            ret, args = r.listing
            fields = [str(r.id), name_of(r.id), category_of(r.id), str(r.consumed), "-" if ret is None else ret]
            fields += [("!" if hidden else "") + name + "=" + text for name, text, hidden in args]
            f.write("\t".join(fields) + "\n")


def write_expectations(path, records):
    write_listing(path, records, es2.NAMES.__getitem__,
                  lambda rid: "Draw" if rid in (es2.DRAW_ARRAYS, es2.DRAW_ELEMENTS) else es2.LAYOUTS[rid][1])


def write_all(args, every, expectations):
    """`*-all`: the records `every(type_sizes, data)` gives, written as a trace to args.out, and
    their expected listing (`expectations(path, records)`) to args.expect when asked."""
    sizes = _type_sizes(args.pointer_size, args.version)
    w = trace.TraceWriter(version=args.version, data_included=0 if args.no_data else 1, type_sizes=sizes)
    records = every(sizes, not args.no_data)
    for r in records:
        w.record(r.id, r.payload)
    w.write(args.out)
    if args.expect:
        expectations(args.expect, records)
    return 0


def run_all(args):
    return write_all(args, every_record, write_expectations)


def swap_buffers(w, frame):
    """eglSwapBuffers as recorded from format version 10: error, result, display, surface, frame
    number, width, height and an empty frame image."""
    s = w.sized
    return (s(1, 0x3000) + s(2, 1) + s(6, 1) + s(7, 2) + s(21, frame) + s(21, 0) + s(21, 0)
            + s(0, 0) + struct.pack("<I", 0))


def run_mixed(args):
    """calls: total records; frames: cut by eglSwapBuffers (the last one holds last_frame_calls
    calls when given); a captured vertex block in every fifth call (a glDrawArrays) and a texture
    upload in one call of a hundred. Writes OUT.info with the totals the benchmark checks."""
    sizes = list(trace.DEFAULT_TYPE_SIZES)
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, type_sizes=sizes)
    plain = [rid for rid in sorted(es2.LAYOUTS) if rid != 2106]
    records = {}
    for rid in plain:
        r = es2.encode_call(rid, es2.sample_values(rid, rid), sizes, True)
        records[rid] = (trace.record(rid, r.payload), r.captured)
    vertex = bytes(range(256)) * (args.vertex_bytes // 256)
    draw = trace.record(2041, es2.encode_draw_arrays(sizes, 4, 0, len(vertex) // 12, [(0x1000, vertex)]).payload)
    texels = bytes(args.texture_bytes)
    tex = trace.record(2106, es2.encode_call(2106, [0x0DE1, 0, 0x1908, 64, 64, 0, 0x1908, 0x1401, (0x9000, texels), 4],
                                             sizes, True).payload)

    def pick(rnd):
        roll = rnd.random()
        if roll < 0.2:
            return draw, len(vertex)
        if roll < 0.21:
            return tex, len(texels)
        return records[plain[rnd.randrange(len(plain))]]

    return write_mixed(args, w, random.Random(7), pick)


def write_mixed(args, w, rnd, pick):
    """Writes args.calls records in frames cut by eglSwapBuffers: args.frames frames (the last one
    holding args.last_frame_calls calls when given), each call but the swap chosen by pick(rnd),
    which returns (record bytes, captured bytes). Writes OUT.info with the totals the benchmarks
    check."""
    normal = args.calls - args.last_frame_calls
    frames = max(1, args.frames - (1 if args.last_frame_calls else 0))
    captured = 0
    with open(args.out, "wb") as f:
        f.write(w.header)
        written, frame = 0, 1
        while written < args.calls:
            if frame <= frames and written < normal:
                n = normal * frame // frames - written
            else:
                n = args.calls - written
            body = []
            for _ in range(n - 1):
                rec, kept = pick(rnd)
                body.append(rec)
                captured += kept
            body.append(trace.record(trace.ID_SWAP_BUFFERS, swap_buffers(w, frame)))
            f.write(b"".join(body))
            written += n
            frame += 1
    with open(args.out + ".info", "w") as f:
        f.write("calls=%d\nframes=%d\ncaptured=%d\n" % (args.calls, frame - 1, captured))
    return 0


def register_family(subparsers, api, run_all_, run_mixed_):
    """The -all and -mixed commands of a call family ("es2", "OpenGL ES 2.0")."""
    prefix, name = api
    p = all_ = subparsers.add_parser(prefix + "-all", help="every %s record once, with its expected listing" % name)
    p.add_argument("out")
    p.add_argument("--no-data", action="store_true", help="pointer arguments as bare pointer values")
    p.add_argument("--pointer-size", type=int, default=4, choices=(4, 8))
    p.add_argument("--version", type=int, default=trace.LATEST_VERSION)
    p.add_argument("--expect", help="write the expected listing of every record here")
    p.set_defaults(func=run_all_)

    p = subparsers.add_parser(prefix + "-mixed", help="a large mixed %s trace for load benchmarks" % name)
    p.add_argument("out")
    p.add_argument("--calls", type=int, default=2000000)
    p.add_argument("--frames", type=int, default=5000)
    p.add_argument("--vertex-bytes", type=int, default=1536)
    p.add_argument("--texture-bytes", type=int, default=16384)
    p.add_argument("--last-frame-calls", type=int, default=0, help="calls in the last frame")
    p.set_defaults(func=run_mixed_)
    return all_, p


def register(subparsers):
    register_family(subparsers, ("es2", "OpenGL ES 2.0"), run_all, run_mixed)
