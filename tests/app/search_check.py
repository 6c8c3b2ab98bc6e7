#!/usr/bin/env python3
"""The call search against an independent scan: a trace of calls whose arguments are all scalars
(so the text export writes each argument as the search sees it) is searched with `xqft-dump search`
for a table of patterns, and the numbers it prints are compared with what Python's `re` finds over
the API tag, the function name, each argument and the return text of every call of
`xqft-dump export-text`.

usage: search_check.py XQFT_DUMP TOOLS_DIR OUT_DIR
"""
import os
import random
import re
import subprocess
import sys

# Patterns that Python's re and the viewer's expressions read alike.
PATTERNS = [
    "glBlend", "GL_ONE_MINUS", r"^glUniform[1-4]f$", "^ES2$", "^EGL$", r"^-?0\.[0-4]", r"\d{3}",
    "GL_(SRC|DST)_ALPHA$", "^glIs", "Depth|Stencil", "^0$", "gl_true", "GL_TRUE", "nothing matches this",
    r"^[A-Z_]+$", "swap",
]


def write_trace(tools, path, frames):
    sys.path.insert(0, tools)
    from xqftlib import trace, es2, egl  # noqa: E402
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=0)
    scalar = sorted(rid for rid, (_, _, items) in es2.LAYOUTS.items()
                    if all(isinstance(it, (es2.Scalar, es2.Ret)) and
                           isinstance(getattr(it, "item", it), es2.Scalar) for it in items))
    rnd = random.Random(11)
    for frame in range(frames):
        for _ in range(rnd.randrange(20, 60)):
            rid = rnd.choice(scalar)
            r = es2.encode_call(rid, es2.sample_values(rid, rnd.randrange(1000)), w.type_sizes, True)
            w.record(r.id, r.payload)
        w.record(egl.ID["eglSwapBuffers"], egl.swap_buffers(w, frame=frame))
    w.write(path)
    return len(scalar)


def exported_calls(dump, trace_path, text_path):
    """[(frame, [texts])] per call, in call order."""
    subprocess.run([dump, "export-text", trace_path, text_path], check=True, stderr=subprocess.DEVNULL)
    calls, frame = [], 0
    line = re.compile(r"^(\w+) (\w+)\((.*)\)(?: ==> (.*))?$")
    with open(text_path) as f:
        for text in f:
            text = text.rstrip("\n")
            if text.startswith("Frame:"):
                frame = int(text[6:].split("/")[0])
                continue
            m = line.match(text)
            if not m:
                continue
            texts = [m.group(1), m.group(2)] + (m.group(3).split(",") if m.group(3) else [])
            if m.group(4) is not None:
                texts.append(m.group(4))
            calls.append((frame, texts))
    return calls


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    dump, tools, out = sys.argv[1:]
    os.makedirs(out, exist_ok=True)
    trace_path = os.path.join(out, "scalars.xqft")
    kinds = write_trace(tools, trace_path, 6)
    calls = exported_calls(dump, trace_path, os.path.join(out, "scalars.txt"))
    if kinds < 40 or len(calls) < 100:
        print("the generated trace is too small: %d kinds, %d calls" % (kinds, len(calls)))
        return 1
    failures = 0
    for pattern in PATTERNS:
        for case in (False, True):
            for frame in (None, 3):
                expression = re.compile(pattern, 0 if case else re.IGNORECASE)
                expected = [n for n, (f, texts) in enumerate(calls, 1)
                            if (frame is None or f == frame) and any(expression.search(t) for t in texts)]
                args = [dump, "search", trace_path, pattern, "--limit", "0"]
                args += ["--case"] if case else []
                args += ["--frame", str(frame)] if frame else []
                run = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
                lines = run.stdout.splitlines()
                found = [int(x) for x in lines[:-1]]
                status = ("No elements found." if not expected else
                          "Search has found: %d element%s." % (len(expected), "" if len(expected) == 1 else "s"))
                if run.returncode != 0 or found != expected or lines[-1:] != [status]:
                    failures += 1
                    print("FAIL %r case=%s frame=%s: expected %d calls %s..., got %d %s... (%s)"
                          % (pattern, case, frame, len(expected), expected[:8], len(found), found[:8], lines[-1:]))
    if failures:
        return 1
    print("%d patterns agree over %d calls" % (len(PATTERNS), len(calls)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
