"""`sample`: a small valid trace for `make run` until a real scene replaces it."""
from . import trace


def run(args):
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=1)
    w.record64(0x0123456789ABCDEF)
    for frame in range(3):
        w.marker(2)
        # Records of an id no call family claims: framed and skipped by every reader.
        for i in range(4):
            w.record(9000 + i, w.sized(trace.TYPE["GLenum"], 0) + w.sized(trace.TYPE["GLuint"], frame))
        w.marker(3)
    w.write(args.out)
    return 0


def register(subparsers):
    p = subparsers.add_parser("sample", help="a small valid trace")
    p.add_argument("out")
    p.set_defaults(func=run)
