"""`from-log`: the trace of a call log written by xqft-record (tools/xqftrecord).

Each log line is one EGL, OpenGL ES 1.1, OpenGL ES 2.0 or extension call: {"id", "f", "err", "v":
values} (extension calls add "sel", the API they were made on), where the values follow the record layout of the call (a list for ES records, item names for EGL
records), and draws carry "mode", "count", "first" or "type"/"indices"/"offset", and their
client-array "blocks". Object names and EGL handles come tagged {"o": kind, "v": value} and are
renamed by a fixed one-to-one rule (GL names keep 0; EGL handles become small 32-bit values), so
that a replay really goes through its name maps; ES 1.1 texture, framebuffer and renderbuffer names
stay as they are (the ES 1.1 players use them on the host as recorded). Draws end with a trailer of
40 bytes that no reader takes as a block. An eglSwapBuffers naming an "image" carries it as its frame image (the log's
NAME.fN.ppm, alpha 255). With --no-data the trace is one recorded without data: arguments that
carry data keep their pointer values only, as a capture layer writes them when told to keep no
data (a glDrawArrays keeps its client-array blocks, which are read in both modes).
"""
import json
import os

from . import egl, es1, es2, ext, trace

# GL object names: n -> n + offset (0 stays 0); uniform locations: l -> l + 100 (-1 stays).
GL_OFFSETS = {"texture": 1000, "buffer": 2000, "framebuffer": 3000, "renderbuffer": 4000,
              "program": 5000, "shader": 6000, "vertexarray": 7000}
# EGL handles: the first of a kind gets the base, the next base + 1, ...
EGL_BASES = {"display": 1, "config": 0x11, "context": 0x21, "surface": 0x31, "window": 0x55}


class Renamer:
    def __init__(self, keep=()):
        self.handles = {kind: {} for kind in EGL_BASES}
        self.keep = keep

    def name(self, kind, value):
        if kind in self.keep:
            return value
        if kind in GL_OFFSETS:
            return 0 if value == 0 else value + GL_OFFSETS[kind]
        if kind == "location":
            return value if value < 0 else value + 100
        if value == 0:
            return 0
        seen = self.handles[kind]
        if value not in seen:
            seen[value] = EGL_BASES[kind] + len(seen)
        return seen[value]

    def value(self, v):
        """A logged value as the writers take it."""
        if isinstance(v, dict):
            if "o" in v and "a" in v:
                return (v["p"], [self.name(v["o"], x) for x in v["a"]])
            if "o" in v:
                return self.name(v["o"], v["v"])
            if "hex" in v:
                return (v["p"], bytes.fromhex(v["hex"]))
            if "s" in v:
                return (v["p"], v["s"])
            if "a" in v:
                return (v["p"], [self.value(x) for x in v["a"]])
            raise ValueError("unknown logged value %r" % v)
        if isinstance(v, list):
            return [self.value(x) for x in v]
        if v is None:
            return None
        return v


def frame_image(path):
    """A binary PPM (RGB, top row first) as a device's frame image: RGBA, bottom row first."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    rgb = data[pos:pos + 3 * width * height]
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = rgb[3 * width * y:3 * width * (y + 1)]
        for x in range(width):
            out += row[3 * x:3 * x + 3] + b"\xff"
    return bytes(out)


def blocks(renamer, logged):
    return [renamer.value(b) for b in logged]


def es1_record(ts, data, renamer, call, rid, error, where):
    """The payload of one logged ES 1.1 call, with data (1) or without (0)."""
    if rid == es1.DRAW_ARRAYS:
        return es1.encode_draw_arrays(ts, call["mode"], call["first"], call["count"],
                                      blocks(renamer, call["blocks"]), trailer=bytes(40), error=error).payload
    if rid == es1.DRAW_ELEMENTS:
        return es1.encode_draw_elements(ts, data, call["mode"], call["count"], call["type"],
                                        renamer.value(call["indices"]), call["offset"],
                                        blocks(renamer, call["blocks"]), trailer=bytes(40), error=error).payload
    values = [renamer.value(v) for v in call["v"]]
    try:
        return es1.encode_call(rid, values, ts, data, error).payload
    except ValueError as e:
        raise SystemExit("%s: %s: %s" % (where, call.get("f"), e))


def run(args):
    data = 0 if args.no_data else 1
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=data, frame_image=1)
    ts = w.type_sizes
    renamer = Renamer()
    es1_renamer = Renamer(keep=("texture", "framebuffer", "renderbuffer"))
    folder = os.path.dirname(os.path.abspath(args.log))
    with open(args.log) as f:
        for number, line in enumerate(f, 1):
            if not line.strip():
                continue
            call = json.loads(line)
            rid, error = call["id"], call["err"]
            if rid < 2000:
                values = {k: renamer.value(v) for k, v in call["v"].items()}
                if rid == egl.ID["eglSwapBuffers"] and "image" in call:
                    values["frameData"] = frame_image(os.path.join(folder, call["image"]))
                    values["frameData_ptr"] = 0x1000
                w.record(rid, egl.encode(w, rid, values, error))
            elif rid in ext.LAYOUTS:
                selector = call["sel"]
                names = es1_renamer if selector == 1 else renamer
                values = [names.value(v) for v in call["v"]]
                try:
                    w.record(rid, ext.encode_call(rid, values, ts, data, selector, error).payload)
                except ValueError as e:
                    raise SystemExit("%s:%d: %s: %s" % (args.log, number, call.get("f"), e))
            elif es1.FIRST_ID <= rid <= es1.LAST_ID:
                w.record(rid, es1_record(ts, data, es1_renamer, call, rid, error, "%s:%d" % (args.log, number)))
            elif rid == es2.DRAW_ARRAYS:
                # The trailer keeps the last block: the reader stops once 40 or fewer bytes remain.
                record = es2.encode_draw_arrays(ts, call["mode"], call["first"], call["count"],
                                                blocks(renamer, call["blocks"]), trailer=bytes(40), error=error)
                w.record(rid, record.payload)
            elif rid == es2.DRAW_ELEMENTS:
                indices = renamer.value(call["indices"])
                record = es2.encode_draw_elements(ts, data, call["mode"], call["count"], call["type"], indices,
                                                  call["offset"], blocks(renamer, call["blocks"]),
                                                  trailer=bytes(8), error=error)
                w.record(rid, record.payload)
            else:
                values = [renamer.value(v) for v in call["v"]]
                try:
                    w.record(rid, es2.encode_call(rid, values, ts, data, error).payload)
                except ValueError as e:
                    raise SystemExit("%s:%d: %s: %s" % (args.log, number, call.get("f"), e))
    w.write(args.out)
    return 0


def register(subparsers):
    p = subparsers.add_parser("from-log", help="the trace of an xqft-record call log")
    p.add_argument("log")
    p.add_argument("out")
    p.add_argument("--no-data", action="store_true", help="a trace recorded without data")
    p.set_defaults(func=run)
