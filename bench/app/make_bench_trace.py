#!/usr/bin/env python3
"""A large ES 2.0 trace for the viewer's benchmark: CALLS calls in frames of 100, a mix of state
calls, uniforms, texture binds and draws, each frame ended by eglSwapBuffers.

usage: make_bench_trace.py TOOLS_DIR OUT [CALLS]
"""
import sys


def main():
    tools, out = sys.argv[1], sys.argv[2]
    calls = int(sys.argv[3]) if len(sys.argv) > 3 else 1000000
    sys.path.insert(0, tools)
    from xqftlib import trace, es2, egl

    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=0)
    sizes = w.type_sizes
    enc = lambda rid, *v: trace.record(rid, es2.encode_call(rid, list(v), sizes, True).payload)
    draw = lambda mode, count: trace.record(2041, es2.encode_draw_arrays(sizes, mode, 0, count, []).payload)
    body = [enc(2142, 0, 0, 640, 480), enc(2016, 0x4100), enc(2131, 3)]
    for k in range(12):
        body += [enc(2007, 0x0DE1, 5 + k % 3), enc(2124, k % 4, 0.5, 0.25, 1.0, 1.0), enc(2112, 7, k * 0.1),
                 enc(2036, 0x0201), draw(4, 36), draw(5, 14), enc(2039, 0x0BE2), enc(2043, 0x0B71)]
    swap = trace.record(1022, egl.swap_buffers(w))
    frame = b"".join(body[:99]) + swap
    frames = calls // 100
    with open(out, "wb") as f:
        f.write(w.data())
        for _ in range(frames):
            f.write(frame)
    return 0


if __name__ == "__main__":
    sys.exit(main())
