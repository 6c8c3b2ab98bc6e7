"""`raw`: a header of any version with hand-given records, optionally corrupted."""
import argparse

from . import trace


def parse_record(spec):
    """ID, ID:HEX, ID:zN (N zero bytes), ID:size=N[:HEX] (declared size N, payload as given)."""
    parts = spec.split(":")
    try:
        rec_id = int(parts[0], 0)
        size = None
        payload = b""
        for part in parts[1:]:
            if part.startswith("size="):
                size = int(part[5:], 0)
            elif part.startswith("z"):
                payload = bytes(int(part[1:], 0))
            elif part:
                payload = bytes.fromhex(part)
    except ValueError as e:
        raise argparse.ArgumentTypeError("bad record %r: %s" % (spec, e))
    return rec_id, payload, size


def add_header_options(p):
    """Header fields shared by the commands that write whole files."""
    p.add_argument("--version", type=lambda s: int(s, 0), default=trace.LATEST_VERSION)
    p.add_argument("--data-included", type=lambda s: int(s, 0), default=1)
    p.add_argument("--frame-image", type=lambda s: int(s, 0), default=0)
    p.add_argument("--table-selector", type=lambda s: int(s, 0), default=1)
    p.add_argument("--table-count", type=lambda s: int(s, 0), default=None,
                   help="stored count byte (the table gets as many default entries)")
    p.add_argument("--type-sizes", default=None,
                   help="comma-separated signed entries of the type-size table")
    p.add_argument("--byte-order", type=lambda s: int(s, 0), default=trace.BYTE_ORDER_LITTLE)
    p.add_argument("--magic", default=None, help="8 characters in place of the magic")


def writer_from(args):
    sizes = [int(v, 0) for v in args.type_sizes.split(",")] if args.type_sizes else None
    magic = args.magic.encode("latin-1") if args.magic is not None else trace.MAGIC
    return trace.TraceWriter(args.version, args.data_included, args.frame_image,
                             args.table_selector, sizes, args.table_count, args.byte_order, magic)


def run(args):
    w = writer_from(args)
    lines = []
    for rec_id, payload, size in args.record:
        at = w.record(rec_id, payload, size)
        lines.append("%d %d %d" % (at, rec_id, len(payload) if size is None else size))
    if args.cut_to is not None:
        data = w.data()[:args.cut_to]
        with open(args.out, "wb") as f:
            f.write(data)
    else:
        w.write(args.out, args.cut)
    if args.print_offsets:
        print("first_record_offset=%d" % len(w.header))
        for line in lines:
            print(line)
    return 0


def register(subparsers):
    p = subparsers.add_parser("raw", help="header and hand-given records, optionally corrupted")
    p.add_argument("out")
    add_header_options(p)
    p.add_argument("--record", type=parse_record, action="append", default=[],
                   metavar="ID[:HEX|:zN][:size=N]", help="append a record (repeatable)")
    p.add_argument("--cut", type=int, default=0, help="drop this many bytes from the end")
    p.add_argument("--cut-to", type=int, default=None, help="keep only this many bytes")
    p.add_argument("--print-offsets", action="store_true",
                   help="print the first record offset and 'offset id size' per record")
    p.set_defaults(func=run)
