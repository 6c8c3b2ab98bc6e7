#!/usr/bin/env python3
"""Writes the traces the viewer's tests open: the sample scene, a statistics trace whose draws
cover every mode (strip and fan with fewer than 3 vertices, last frame left open), a trace whose
shaders are created before either is sourced, a trace of ES 1.1 client-array draws beside ES 2.0
ones, and the bad inputs.

usage: make_traces.py TOOLS_DIR OUT_DIR
"""
import argparse
import os
import struct
import sys

VS = "attribute vec4 p;\nvoid main()\n{\n    gl_Position = p;\n}\n"
FS = "precision mediump float;\nvoid main()\n{\n    gl_FragColor = vec4(1.0, 0.5, 0.0, 1.0);\n}\n"
# Long enough (more than 70 characters) to be written as a wrapped, quoted block.
FS2 = "precision mediump float;\r\nuniform vec4 c;\nvoid main()\n{\n    gl_FragColor = c * 0.5;\n}\n"


def writer_calls(trace, es2, egl, w):
    sizes = w.type_sizes

    def call(rid, *values):
        r = es2.encode_call(rid, list(values), sizes, bool(w.data_included))
        w.record(r.id, r.payload)

    def draw(mode, count, first=0):
        r = es2.encode_draw_arrays(sizes, mode, first, count, [])
        w.record(r.id, r.payload)

    def swap(frame):
        w.record(egl.ID["eglSwapBuffers"], egl.swap_buffers(w, frame=frame))

    def source(name, text):
        call(2099, name, 1, (0x7000 + name, [(0x7100 + name, text)]), (0x7200 + name, [len(text)]))

    return call, draw, swap, source


def stats_trace(trace, es2, egl, path):
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=1)
    call, draw, swap, source = writer_calls(trace, es2, egl, w)
    # Frame 1: shaders, a texture and one draw of every mode.
    call(2027, 1, 0x8B31)
    source(1, VS)
    call(2027, 2, 0x8B30)
    source(2, FS2)
    call(2026, 3)
    call(2002, 3, 1)
    call(2002, 3, 2)
    call(2007, 0x0DE1, 5)
    call(2106, 0x0DE1, 0, 0x1908, 2, 2, 0, 0x1908, 0x1401, (0x7500, bytes(16)), 4)
    call(2016, 0x4000)
    for mode, count in [(4, 10), (5, 10), (6, 2), (6, 1), (5, 0), (0, 7), (1, 8), (3, 4), (2, 3), (4, 2)]:
        draw(mode, count)
    swap(0)
    # Frame 2: a function called only here, and a second source for shader 1.
    call(2142, 0, 0, 64, 48)
    source(1, VS)
    call(2017, 0.25, 0.5, 0.75, 1.0)
    draw(4, 36)
    swap(1)
    # Frame 3: still open (no eglSwapBuffers closes it).
    call(2016, 0x4000)
    draw(5, 4)
    w.write(path)


def shader_order_trace(trace, es2, egl, path):
    """Both shaders are created before either is sourced: each keeps its own type."""
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=0)
    call, draw, swap, source = writer_calls(trace, es2, egl, w)
    call(2027, 11, 0x8B31)
    call(2027, 12, 0x8B30)
    source(12, FS)
    source(11, VS)
    swap(0)
    w.write(path)


# Sources given as several strings, as applications build them: with recorded lengths that cut a
# string short, a negative length (up to the NUL, which the capture may have recorded with bytes
# after it) and no length array at all. What each joins to, byte for byte, is the *_JOINED text.
MULTI_FS = [("precision mediump float;\n", -1),
            ("uniform vec4 tint;\nvarying vec2 uv;\nvoid main()\n{\nNOT PART OF THE SOURCE",
             len("uniform vec4 tint;\nvarying vec2 uv;\nvoid main()\n{\n")),
            ("    gl_FragColor = tint * vec4(uv, 1.0, 1.0);\n}\n\0left over after the terminator", -1)]
MULTI_FS_JOINED = ("precision mediump float;\nuniform vec4 tint;\nvarying vec2 uv;\nvoid main()\n{\n"
                   "    gl_FragColor = tint * vec4(uv, 1.0, 1.0);\n}\n")
MULTI_VS = ["attribute vec4 p;\nvarying vec2 uv;\n", "void main()\n{\n    uv = p.xy;\n    gl_Position = p;\n}\n"]
MULTI_VS_JOINED = "".join(MULTI_VS)


def multistring_trace(trace, es2, egl, path):
    """Program 23 of multi-string sources; the fragment shader is sourced again and attached again
    in the second frame (the shader list shows each shader once, a row per source call)."""
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=0)
    call, draw, swap, _ = writer_calls(trace, es2, egl, w)

    def fragment():
        call(2099, 22, len(MULTI_FS), (0x7122, [(0x7300 + k, t) for k, (t, _) in enumerate(MULTI_FS)]),
             (0x7222, [n for _, n in MULTI_FS]))

    call(2027, 21, 0x8B31)
    call(2099, 21, len(MULTI_VS), (0x7121, [(0x7400 + k, t) for k, t in enumerate(MULTI_VS)]), (0, []))
    call(2027, 22, 0x8B30)
    fragment()
    call(2026, 23)
    call(2002, 23, 21)
    call(2002, 23, 22)
    swap(0)
    fragment()
    call(2002, 23, 22)
    swap(1)
    w.write(path)


# A fragment shader that does not compile: an unknown extension warned of at line 1, an undeclared
# name at line 14 (where the checker also stops).
BROKEN_FS = ("#extension GL_XQF_unknown : warn\nprecision mediump float;\nuniform vec4 tint;\nvarying vec2 uv;\n\n"
             "vec4 shade(vec2 at)\n{\n    return tint * vec4(at, 1.0, 1.0);\n}\n\nvoid main()\n{\n"
             "    vec4 colour = shade(uv);\n    colour.rgb *= brightness;\n    gl_FragColor = colour;\n}\n")


def broken_shader_trace(trace, es2, egl, path):
    """A vertex shader that compiles and a fragment shader broken at line 14."""
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=0)
    call, draw, swap, source = writer_calls(trace, es2, egl, w)
    call(2027, 31, 0x8B31)
    source(31, VS)
    call(2027, 32, 0x8B30)
    source(32, BROKEN_FS)
    call(2026, 33)
    call(2002, 33, 31)
    call(2002, 33, 32)
    swap(0)
    w.write(path)


def es1_trace(trace, es1, es2, egl, path):
    """ES 1.1 draws with their captured client arrays, a texture upload, and ES 2.0 draws of the
    same names in the same frames."""
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=0)
    sizes = w.type_sizes
    es2_call, es2_draw, swap, _ = writer_calls(trace, es2, egl, w)

    def call(rid, *values):
        r = es1.encode_call(rid, list(values), sizes, True)
        w.record(r.id, r.payload)

    def arrays(mode, first, count, blocks):
        w.record(es1.DRAW_ARRAYS, es1.encode_draw_arrays(sizes, mode, first, count, blocks).payload)

    def elements(mode, count, indices, blocks):
        r = es1.encode_draw_elements(sizes, True, mode, count, 0x1403, (0x9000, indices), 0, blocks)
        w.record(r.id, r.payload)

    vertices = bytes(range(108))
    call(3144, 0, 0, 64, 48)
    call(3009, 0x4000)
    call(3005, 0x0DE1, 3)
    call(3133, 0x0DE1, 0, 0x1908, 2, 2, 0, 0x1908, 0x1401, (0x7500, bytes(16)), 4)
    call(3143, 3, 0x1406, 12, 0x8000)
    call(3039, 0x8074)
    arrays(4, 0, 9, [(0x8000, vertices)])
    elements(4, 6, bytes(12), [(0x8000, vertices)])
    arrays(5, 0, 4, [])
    es2_draw(4, 3)
    swap(0)
    arrays(6, 0, 5, [(0x8000, vertices)])
    elements(5, 7, bytes(14), [])
    es2_draw(5, 6)
    swap(1)
    w.write(path)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tools")
    ap.add_argument("out")
    a = ap.parse_args()
    sys.path.insert(0, a.tools)
    from xqftlib import trace, es1, es2, egl, cmd_sample  # noqa: E402
    os.makedirs(a.out, exist_ok=True)
    p = lambda name: os.path.join(a.out, name)

    # The sample's frames without its EGL session: the export checker lists ES 2.0 calls and
    # eglSwapBuffers, and the viewer's tests need no replay of it.
    cmd_sample.run(argparse.Namespace(out=p("good.xqft"), no_session=True))
    stats_trace(trace, es2, egl, p("stats.xqft"))
    shader_order_trace(trace, es2, egl, p("shaders.xqft"))
    es1_trace(trace, es1, es2, egl, p("es1.xqft"))
    multistring_trace(trace, es2, egl, p("multistring.xqft"))
    broken_shader_trace(trace, es2, egl, p("brokenshader.xqft"))
    with open(p("good.xqft"), "rb") as f:
        good = f.read()
    header = trace.header_bytes(trace.LATEST_VERSION, 1, 1)
    bad = {
        "cut.xqft": good[:-10],                          # last record truncated
        "badmagic.xqft": b"XQFTraxe" + good[8:],
        "headeronly.xqft": header,
        "empty.xqft": b"",
        "huge.xqft": header + struct.pack("<IH", 0xFFFFFFF0, 2016) + bytes(16),
        "run.1.xqft": good,
        "n\u00e4me \u65e5\u672c.xqft": good,             # a path outside ASCII
    }
    for name, data in bad.items():
        with open(p(name), "wb") as f:
            f.write(data)
    os.makedirs(p("folder.xqft"), exist_ok=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
