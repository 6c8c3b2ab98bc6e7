#!/usr/bin/env python3
"""Checks xqft-dump's exports against expectations computed here from the trace files alone: this
walks the records itself (header, framing, payloads of the calls the test traces use) and writes
the text export, both CSV files and the shader files as the viewer defines them, and the statistics
dock's frame and call summaries of every frame.

usage: check_exports.py XQFT_DUMP TOOLS_DIR WORK_DIR
"""
import os
import shutil
import struct
import subprocess
import sys

# ---- reading the file ---------------------------------------------------------------------------


class Payload:
    def __init__(self, data, sizes):
        self.d, self.pos, self.sizes = data, 0, sizes

    def width(self, code):
        s = self.sizes[code]
        return 4 if s == 0 else abs(s)

    def take(self, n):
        b = self.d[self.pos:self.pos + n]
        if len(b) != n:
            raise ValueError("payload too short")
        self.pos += n
        return b

    def u(self, code):
        return int.from_bytes(self.take(self.width(code)), "little")

    def i(self, code):
        n = self.width(code)
        return int.from_bytes(self.take(n), "little", signed=True)

    def f(self, code):
        return struct.unpack("<f", self.take(4))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]


def read_trace(path):
    data = open(path, "rb").read()
    assert data[:8] == b"XQFTrace"
    version = struct.unpack_from("<I", data, 12)[0]
    with_data = data[16]
    pos = 17
    if version >= 11:
        pos += 1
    selector = struct.unpack_from("<I", data, pos)[0]
    pos += 4
    if version >= 8:
        count = data[pos]
        pos += 1
    else:
        count = 28 if selector == 1 else 27
    sizes = [struct.unpack_from("<b", data, pos + k)[0] for k in range(count)]
    pos += count
    records = []
    while pos + 6 <= len(data):
        size, rid = struct.unpack_from("<IH", data, pos)
        body = data[pos + 6:pos + 6 + size]
        if len(body) != size:
            break
        records.append((rid, Payload(body, sizes)))
        pos += 6 + size
    return with_data, records


# ---- texts --------------------------------------------------------------------------------------

ENUMS = {0x0DE1: "GL_TEXTURE_2D", 0x84C0: "GL_TEXTURE0", 0x2801: "GL_TEXTURE_MIN_FILTER",
         0x2800: "GL_TEXTURE_MAG_FILTER", 0x2601: "GL_LINEAR", 0x1908: "GL_RGBA", 0x1401: "GL_UNSIGNED_BYTE",
         0x8892: "GL_ARRAY_BUFFER", 0x88E4: "GL_STATIC_DRAW", 0x1406: "GL_FLOAT",
         0x8B31: "GL_VERTEX_SHADER", 0x8B30: "GL_FRAGMENT_SHADER", 0x8074: "GL_VERTEX_ARRAY",
         0x1403: "GL_UNSIGNED_SHORT"}
MODES = ["GL_POINTS", "GL_LINES", "GL_LINE_LOOP", "GL_LINE_STRIP", "GL_TRIANGLES", "GL_TRIANGLE_STRIP",
         "GL_TRIANGLE_FAN"]
CLEAR_BITS = [("GL_DEPTH_BUFFER_BIT", 0x100), ("GL_STENCIL_BUFFER_BIT", 0x400), ("GL_COLOR_BUFFER_BIT", 0x4000)]


def enum(v):
    return ENUMS.get(v, "GL_NONE" if v == 0 else "%u" % v)


def bits(v):
    names = [n for n, b in CLEAR_BITS if v & b == b]
    rest = v & ~sum(b for n, b in CLEAR_BITS if v & b == b)
    if v == 0:
        return "0"
    assert rest == 0, "the checker names only the clear bits"
    return " | ".join(names)


def ptr(v):
    return "NULL" if v == 0 else "0x%x" % v


def quoted(s):
    """The wrapped, quoted text of a recorded string (long texts of strings)."""
    if len(s) < 70:
        return '"' + s + '"'
    w = 70
    while True:
        out, lines, col, k, again = '\n"', 0, 0, 0, False
        while k < len(s):
            c = s[k]
            if lines > w:
                if lines > 210:
                    return out + ' ...."'
                w, again = int(w * 1.25), True
                break
            if c == "\n":
                out += c
                lines, col = lines + 1, 0
                k += 2 if k + 1 < len(s) and s[k + 1] == "\r" else 1
                continue
            if col >= w:
                soft = False
                for back in range(2, w):
                    if back + 1 > len(out) or out[-(back + 1)] in "\n\r":
                        break
                    if out[-(back + 1)] in " \t":
                        out = out[:len(out) - back] + "\\\n" + out[len(out) - back:]
                        soft = True
                        break
                if not soft:
                    out += "\\\n"
                lines, col = lines + 1, 0
            out += c
            col += 1
            k += 1
        if not again:
            return out + '"'


def s_string(p, with_data):
    ptr_value = p.u(0)
    n = p.u32()
    chars = p.take(n).decode("latin-1") if ptr_value and n else ""
    return ptr_value, chars


def s_block(p, what):
    ptr_value = p.u(0)
    n = p.u32()
    p.take(n)
    if ptr_value == 0:
        return "NULL"
    return ptr(ptr_value) if n == 0 else "~%s(%u bytes)~" % (what, n)


def s_array(p, read_elem, long_elem):
    ptr_value = p.u(0)
    n = p.u32()
    elems = [read_elem(p) for _ in range(n)] if ptr_value and n else []
    if ptr_value == 0:
        return "NULL", elems
    if n == 0:
        return "0x%x" % ptr_value, elems
    return "\n".join(long_elem(e) for e in elems), elems


def joined_source(count, strings, lengths):
    """What glShaderSource was given: its first count strings, each cut to its length where one is
    given and not negative, else at its NUL."""
    out = ""
    for k, (_, chars) in enumerate(strings[:max(count, 0)]):
        out += chars[:lengths[k]] if k < len(lengths) and lengths[k] >= 0 else chars.split("\0")[0]
    return out


class Call:
    def __init__(self, api, name, args, ret=None, **facts):
        self.api, self.name, self.args, self.ret, self.facts = api, name, args, ret, facts

    def line(self):
        text = "%s %s(%s)" % (self.api, self.name, ",".join(self.args))
        if self.ret:
            text += " ==> " + self.ret
        return text


def decode(rid, p, with_data):
    """The call's listing and the facts the statistics need, from its payload."""
    if rid == 1022:
        p.i(1)
        ret = p.u(2)
        dpy, surface = p.u(6), p.u(7)
        name = lambda v, kind, zero: zero if v == 0 else "%s(%u)" % (kind, v)
        return Call("EGL", "eglSwapBuffers", [name(dpy, "EGLDisplay", "EGL_NO_DISPLAY"),
                                              name(surface, "EGLSurface", "EGL_NO_SURFACE")],
                    {0: "EGL_FALSE", 1: "EGL_TRUE"}.get(ret, "EGLBoolean(%u)" % ret))
    p.u(12)  # recorded GL error
    u, i, e = (lambda: "%u" % p.u(21)), (lambda code=17: "%d" % p.i(code)), (lambda: enum(p.u(12)))
    mode_text = lambda m: MODES[m] if m < 7 else "%d" % m
    if rid in (2041, 3036):
        mode, first, count = p.u(12), p.i(17), p.i(18)
        return Call("ES2" if rid == 2041 else "ES1", "glDrawArrays", [mode_text(mode), "%d" % first, "%d" % count],
                    mode=mode, count=count)
    if rid == 3037:
        mode, count, gltype = p.u(12), p.i(18), p.u(12)
        args = [mode_text(mode), "%d" % count, enum(gltype)]
        args += [s_block(p, "Data"), ptr(p.u(0))] if with_data else [ptr(p.u(0))]
        return Call("ES1", "glDrawElements", args, mode=mode, count=count)
    if rid == 3133:
        args = [e(), i(), i(), i(18), i(18), i(), e(), e(), s_block(p, "Image")]
        return Call("ES1", "glTexImage2D", args)
    es1 = {3144: ("glViewport", [i, i, lambda: i(18), lambda: i(18)]),
           3009: ("glClear", [lambda: bits(p.u(14))]),
           3005: ("glBindTexture", [e, u]),
           3143: ("glVertexPointer", [i, e, lambda: i(18), lambda: ptr(p.u(0))]),
           3039: ("glEnableClientState", [e])}
    if rid in es1:
        fn, readers = es1[rid]
        return Call("ES1", fn, [r() for r in readers])
    if rid == 2027:
        ret = p.u(21)
        t = p.u(12)
        return Call("ES2", "glCreateShader", [enum(t)], "%u" % ret, shader=ret, type=t)
    if rid == 2099:
        shader, count = p.u(21), p.i(18)
        if with_data:
            # The long text of a string ends at its first NUL.
            text, elems = s_array(p, lambda q: s_string(q, True),
                                  lambda e: quoted(e[1].split("\0")[0]).replace("\r", ""))
            lengths, given = s_array(p, lambda q: q.i(17), lambda v: "%d" % v)
            source = joined_source(count, elems, given)
        else:
            text, lengths, source = ptr(p.u(0)), ptr(p.u(0)), ""
        return Call("ES2", "glShaderSource", ["%u" % shader, "%d" % count, text, lengths],
                    shader=shader, source=source)
    if rid == 2106:
        args = [e(), i(), e(), i(18), i(18), i(), e(), e(), s_block(p, "Image")]
        return Call("ES2", "glTexImage2D", args)
    if rid == 2007:
        target, texture = p.u(12), p.u(21)
        return Call("ES2", "glBindTexture", [enum(target), "%u" % texture], texture=texture)
    simple = {2142: ("glViewport", [i, i, lambda: i(18), lambda: i(18)]),
              2017: ("glClearColor", [lambda: "%f" % p.f(23)] * 4),
              2016: ("glClear", [lambda: bits(p.u(14))]),
              2021: ("glCompileShader", [u]), 2002: ("glAttachShader", [u, u]),
              2090: ("glLinkProgram", [u]), 2131: ("glUseProgram", [u]),
              2001: ("glActiveTexture", [e]), 2109: ("glTexParameteri", [e, e, e]),
              2114: ("glUniform1i", [i, i]), 2112: ("glUniform1f", [i, lambda: "%f" % p.f(22)]),
              2004: ("glBindBuffer", [e, u]), 2044: ("glEnableVertexAttribArray", [u]),
              2141: ("glVertexAttribPointer", [u, i, e, lambda: {0: "GL_FALSE", 1: "GL_TRUE"}[p.u(13)],
                                               lambda: i(18), lambda: ptr(p.u(0))])}
    if rid in simple:
        fn, readers = simple[rid]
        return Call("ES2", fn, [r() for r in readers])
    if rid == 2026:
        return Call("ES2", "glCreateProgram", [], "%u" % p.u(21))
    if rid == 2003:
        program, index = u(), u()
        return Call("ES2", "glBindAttribLocation", [program, index, quoted(s_string(p, True)[1])])
    if rid == 2077:
        ret = p.i(17)
        program = u()
        name = quoted(s_string(p, True)[1]) if with_data else ptr(p.u(0))
        return Call("ES2", "glGetUniformLocation", [program, name], "%d" % ret)
    if rid in (2054, 2050):
        n = p.i(18)
        text, _ = s_array(p, lambda q: q.u(21), lambda v: "%u" % v)
        return Call("ES2", {2054: "glGenTextures", 2050: "glGenBuffers"}[rid], ["%d" % n, text])
    if rid == 2013:
        target, size = e(), "%d" % p.i(26)
        return Call("ES2", "glBufferData", [target, size, s_block(p, "Data"), e()])
    raise AssertionError("the checker does not know record %d" % rid)


# ---- expectations -------------------------------------------------------------------------------

UPLOADS = {2022, 2023, 2106, 2111, 3023, 3024, 3133, 3140}


def frames_of(records, with_data):
    frames, current = [], []
    for rid, p in records:
        current.append((rid, decode(rid, p, with_data)))
        if rid == 1022:
            frames.append(current)
            current = []
    if current:
        frames.append(current)
    return frames


def expected_text(frames):
    calls = sum(len(f) for f in frames)
    out = "NoCalls:%d\nNoFrames:%d\n\nWriting to file:\n" % (calls, len(frames))
    for n, frame in enumerate(frames, 1):
        out += "\nFrame:%d/%d\n%s\n" % (n, len(frames), "-" * 77)
        out += "".join(c.line() + "\n" for _, c in frame)
    return out


def triangles(mode, count):
    if count <= 0:
        return 0
    if mode == 4:
        return count // 3
    if mode in (5, 6):
        return max(0, count - 2)
    return 0


def expected_csv(frames):
    frame_lines, per_frame, names = [], [], set()
    for n, frame in enumerate(frames, 1):
        draws = [c for rid, c in frame if rid in (2041, 2042, 3036, 3037)]
        tri = sum(triangles(c.facts["mode"], c.facts["count"]) for c in draws)
        uploads = sum(1 for rid, _ in frame if rid in UPLOADS)
        frame_lines.append("%d,%d,%d,%d,%d,\n" % (n, len(frame), len(draws), tri, uploads))
        counts = {}
        for _, c in frame:
            counts[c.name] = counts.get(c.name, 0) + 1
        per_frame.append(counts)
        names |= set(counts)
    header = "".join(nm + "," for nm in sorted(names, key=lambda s: s.encode()))
    calls = "@," + header + "\n"
    for n, counts in enumerate(per_frame, 1):
        calls += "%d," % n + "".join("%d," % counts.get(nm, 0) for nm in sorted(names, key=lambda s: s.encode())) + "\n"
    return ",numFunctionsCalls,numDrawCalls,numTriangles,numTextureUploads,\n" + "".join(frame_lines), calls


def expected_summary(frame, csv_line):
    """The statistics dock's two tables for a frame: the counters of its CSV line, the line draws
    and shader loads counted here, then the functions busiest first (by name among equal counts)."""
    _, calls, draws, tri, uploads = (int(v) for v in csv_line.split(",")[:5])
    lines = sum(1 for rid, c in frame if rid in (2041, 2042) and c.facts["mode"] == 1)
    shader_loads = sum(1 for rid, _ in frame if rid == 2099)
    out = "Function calls: %d\nDraw calls: %d\nTriangles: %d\nLines: %d\nTexture Loads: %d\nShader Loads: %d\n\n" % (
        calls, draws, tri, lines, uploads, shader_loads)
    counts = {}
    for _, c in frame:
        counts[c.name] = counts.get(c.name, 0) + 1
    for name in sorted(counts, key=lambda nm: (-counts[nm], nm.encode())):
        out += "%s: %d\n" % (name, counts[name])
    return out


def expected_shaders(frames):
    """File name -> contents: the last source of each shader, typed by its own glCreateShader."""
    types, files = {}, {}
    for frame in frames:
        for rid, c in frame:
            if rid == 2027:
                types[c.facts["shader"]] = c.facts["type"]
            elif rid == 2099:
                s = c.facts["shader"]
                ext = "fsh" if types.get(s) == 0x8B30 else "vsh"
                files["XQFTraceShader_Shader%u.%s" % (s, ext)] = c.facts["source"]
    return files


# ---- the check ----------------------------------------------------------------------------------


def compare(what, got, want):
    if got == want:
        return 0
    a, b = got.splitlines(True), want.splitlines(True)
    for k in range(max(len(a), len(b))):
        if k >= len(a) or k >= len(b) or a[k] != b[k]:
            print("MISMATCH %s at line %d:\n  got:  %r\n  want: %r" % (
                what, k + 1, a[k] if k < len(a) else None, b[k] if k < len(b) else None))
            break
    return 1


def compiles(path):
    """A written shader compiles as its stage (when glslangValidator is installed)."""
    if not shutil.which("glslangValidator"):
        return 0
    stage = "frag" if path.endswith(".fsh") else "vert"
    run = subprocess.run(["glslangValidator", "-S", stage, path], capture_output=True, text=True)
    if run.returncode == 0:
        return 0
    print("MISMATCH %s does not compile as %s:\n%s" % (path, stage, run.stdout + run.stderr))
    return 1


def check(dump, trace_path, work):
    with_data, records = read_trace(trace_path)
    frames = frames_of(records, with_data)
    base = os.path.join(work, os.path.basename(trace_path))
    failures = 0
    subprocess.run([dump, "export-text", trace_path, base + ".txt"], check=True)
    failures += compare(trace_path + " text", open(base + ".txt", encoding="latin-1").read(), expected_text(frames))
    subprocess.run([dump, "export-csv", trace_path, base + ".frames.csv", base + ".calls.csv"], check=True)
    frames_csv, calls_csv = expected_csv(frames)
    failures += compare(trace_path + " frames csv", open(base + ".frames.csv").read(), frames_csv)
    failures += compare(trace_path + " calls csv", open(base + ".calls.csv").read(), calls_csv)
    for n, frame in enumerate(frames, 1):
        got = subprocess.run([dump, "summary", trace_path, "--frame", str(n)], check=True, capture_output=True,
                             text=True).stdout
        failures += compare("%s summary of frame %d" % (trace_path, n), got,
                            expected_summary(frame, frames_csv.splitlines()[n]))
    folder = base + ".shaders"
    os.makedirs(folder, exist_ok=True)
    for old in os.listdir(folder):
        os.remove(os.path.join(folder, old))
    subprocess.run([dump, "export-shaders", trace_path, folder], check=True)
    want = expected_shaders(frames)
    got = {f: open(os.path.join(folder, f), encoding="latin-1", newline="").read() for f in os.listdir(folder)}
    if sorted(got) != sorted(want):
        print("MISMATCH %s shader files: got %s, want %s" % (trace_path, sorted(got), sorted(want)))
        failures += 1
    else:
        for f in want:
            failures += compare(trace_path + " " + f, got[f], want[f])
            failures += compiles(os.path.join(folder, f)) if with_data else 0
    print("%s: %d frames, %d calls, %d shader files: %s" % (
        os.path.basename(trace_path), len(frames), len(records), len(want), "ok" if not failures else "FAILED"))
    return failures


def main():
    dump, tools, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run([sys.executable, os.path.join(here, "make_traces.py"), tools, work], check=True)
    failures = 0
    for name in ("good.xqft", "stats.xqft", "shaders.xqft", "es1.xqft", "multistring.xqft"):
        failures += check(dump, os.path.join(work, name), work)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
