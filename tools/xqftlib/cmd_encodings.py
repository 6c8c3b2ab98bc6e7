"""`encodings`: one record per value encoding, for the reader round-trip tests.

Writes OUT (a trace whose records each hold one case) and OUT.cases (one line per record, in
order: case name and payload size). The record ids are 60000 + the case's index, outside every
call family, so a loader skips them.
"""
import struct

from . import encodings as enc
from . import trace
from .cmd_raw import add_header_options, writer_from

CASE_ID_BASE = 60000


def cases(ts):
    """(name, payload) pairs; the reader tests know each name."""
    T = trace.TYPE
    s = lambda code: (lambda v: enc.scalar(ts, code, v))  # noqa: E731
    f = enc.float32
    return [
        ("uint21", enc.scalar(ts, T["GLuint"], 0xDEADBEEF)),
        ("int17", enc.scalar(ts, T["GLint"], -5)),
        ("glenum", enc.scalar(ts, T["GLenum"], 0x0DE1)),
        ("boolean13", enc.scalar(ts, T["GLboolean"], 1)),
        ("eglint_minus1", enc.scalar(ts, T["EGLint"], -1)),
        ("fixed24", enc.scalar(ts, T["GLfixed"], 0x10000)),
        ("pointer", enc.pointer(ts, 0x89ABCDEF12345678)),
        ("float22", f(1.5)),
        ("float23", f(0.25)),
        ("data_block", enc.data_block(ts, 0x10, bytes(range(10)))),
        ("data_block_empty", enc.data_block(ts, 0x20, b"")),
        ("data_block_null_pointer", enc.data_block(ts, 0, b"\x01\x02\x03")),
        ("image", enc.image(ts, 0x30, bytes(range(16)))),
        ("string", enc.string(ts, 0x40, "hello")),
        ("string_null_pointer", enc.string(ts, 0, "hello")),
        ("array_uint21", enc.counted_array(ts, 0x50, [1, 2, 3], s(T["GLuint"]))),
        ("array_int17", enc.counted_array(ts, 0x58, [-5, 6, 7], s(T["GLint"]))),
        ("array_null_pointer", enc.counted_array(ts, 0, [1, 2, 3], s(T["GLuint"]))),
        ("array_tuple2_float", enc.counted_array(ts, 0x60, [1.0, 2.0, 3.0, 4.0], f, count=2)),
        ("array_matrix4_float", enc.counted_array(ts, 0x70, [float(i) for i in range(16)], f, count=1)),
        ("array_strings", enc.counted_array(ts, 0x80, ["a", "bc"],
                                            lambda t: enc.string(ts, 0x81, t))),
        ("array_pointers", enc.counted_array(ts, 0x90, [0, 0xABC], lambda p: enc.pointer(ts, p))),
        ("fixed_vec4_float", enc.fixed_array(ts, 0xA0, [1.0, 2.0, 3.0, 4.0], f)),
        ("fixed_null_pointer", enc.fixed_array(ts, 0, [1.0, 2.0, 3.0, 4.0], f)),
        ("fixed_matrix4_fixed", enc.fixed_array(ts, 0xB0, [0x10000 * i for i in range(16)], s(T["GLfixed"]))),
        ("attrib_list", enc.attrib_list(ts, 0xC0, [0x3024, 8, 0x3038])),
        ("native_window", enc.native_window(ts, 7, 640, 480)),
        ("native_window6", enc.native_window6(ts, 9, [1, 2, 3, 4])),
        ("native_pixmap", enc.native_pixmap(ts, 11, "pixmap one")),
        ("native_pixmap_second", enc.native_pixmap(ts, 12, "two")),
    ]


def run(args):
    w = writer_from(args)
    lines = []
    for index, (name, payload) in enumerate(cases(w.type_sizes)):
        w.record(CASE_ID_BASE + index, payload)
        lines.append("%s %d" % (name, len(payload)))
    w.write(args.out)
    with open(args.out + ".cases", "w") as f:
        f.write("\n".join(lines) + "\n")
    return 0


def register(subparsers):
    p = subparsers.add_parser("encodings", help="one record per value encoding (reader tests)")
    p.add_argument("out")
    add_header_options(p)
    p.set_defaults(func=run)
