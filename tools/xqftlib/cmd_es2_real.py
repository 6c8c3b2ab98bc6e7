"""`es2-real`: an OpenGL ES 2.0 trace shaped as the recordings of real applications are, for the
load benchmarks: a start-up of many EGL queries, scenes that each build their own programs (long
shader sources, a dozen uniforms looked up by name), textures and buffers, then frames of about a
hundred calls that switch programs, set uniforms and draw from client arrays (small captured
blocks, as sprite renderers send), each frame ended by a frame image. Written as it goes: traces of
gigabytes take no memory."""
import random
import struct

from . import egl, es2, trace
from .cmd_egl import CONFIG, CONFIG_ATTRIBS, CONTEXT_ATTRIBS, DPY, SURFACE, SURFACE_ATTRIBS, WINDOW

GL_TEXTURE_2D, GL_ARRAY_BUFFER, GL_FLOAT, GL_RGBA, GL_UNSIGNED_BYTE = 0x0DE1, 0x8892, 0x1406, 0x1908, 0x1401
GL_VERTEX_SHADER, GL_FRAGMENT_SHADER, GL_TRIANGLES, GL_TRIANGLE_STRIP = 0x8B31, 0x8B30, 4, 5
PROGRAMS_PER_SCENE, UNIFORMS_PER_PROGRAM, DRAWS_PER_FRAME = 6, 12, 6
UNIFORM_NAMES = ["u_modelview", "u_projection", "u_normal_matrix", "u_light_position", "u_light_color",
                 "u_material_ambient", "u_material_diffuse", "u_material_specular", "u_shininess",
                 "u_texture0", "u_texture1", "u_time"]


def _source(kind, scene, program, rnd):
    """A shader source of 1-3 KB, as the programs of real applications are."""
    lines = ["// %s shader %d of scene %d" % (kind, program, scene), "precision mediump float;"]
    lines += ["uniform %s %s;" % ("mat4" if "matrix" in n or n in ("u_modelview", "u_projection") else "vec4", n)
              for n in UNIFORM_NAMES]
    lines += ["attribute vec4 a_position;", "attribute vec2 a_texcoord;", "varying vec2 v_texcoord;"]
    for k in range(rnd.randrange(20, 70)):
        lines.append("    vec4 t%d = u_light_color * %d.%d + u_material_diffuse * v_texcoord.x;" % (k, k, program))
    lines.append("void main() { gl_Position = u_projection * u_modelview * a_position; }")
    return "\n".join(lines) + "\n"


class _Out:
    """Records written straight to the file."""

    def __init__(self, f, w):
        self.f, self.w, self.calls = f, w, 0

    def es2(self, rid, *values):
        self.put(rid, es2.encode_call(rid, list(values), self.w.type_sizes, True).payload)

    def egl(self, name, **values):
        self.put(egl.ID[name], egl.encode(self.w, egl.ID[name], values))

    def put(self, rid, payload):
        self.f.write(trace.record(rid, payload))
        self.calls += 1


def _start(out, width, height):
    """EGL start-up as recorded from a real program: the configs queried attribute by attribute and
    the entry points looked up one by one."""
    out.egl("eglGetDisplay", **{"return": DPY, "NativeDisplayType": 0, "display_id": 0})
    out.egl("eglInitialize", **{"return": egl.EGL_TRUE, "dpy": DPY, "major_v": [1], "minor_v": [4]})
    for config in range(48):
        for attribute in range(0x3020, 0x3040):
            out.egl("eglGetConfigAttrib", **{"return": egl.EGL_TRUE, "dpy": DPY, "config": 0x11 + config,
                                             "attribute": attribute, "value": [config * 7 + attribute & 0xFF]})
    for n, name in enumerate(sorted(es2.NAMES.values()) * 8):
        out.egl("eglGetProcAddress", **{"return": 0x7F000000 + 16 * n, "procname": name + ("OES" if n % 3 else "")})
    out.egl("eglChooseConfig", **{"return": egl.EGL_TRUE, "dpy": DPY, "attrib_list": CONFIG_ATTRIBS,
                                  "configs": [CONFIG], "config_size": 1, "num_config": [1]})
    out.egl("eglCreateWindowSurface", **{"return": SURFACE, "dpy": DPY, "config": CONFIG,
                                         "win": (WINDOW, width, height), "attrib_list": None,
                                         "surface_attribs": SURFACE_ATTRIBS})


def _scene(out, scene, rnd, previous):
    """A scene's own context, programs, textures and buffers (the last scene's deleted first);
    returns its programs as (name, uniform locations)."""
    context = 0x21 + scene
    out.egl("eglCreateContext", **{"return": context, "dpy": DPY, "config": CONFIG, "share_context": 0,
                                   "attrib_list": CONTEXT_ATTRIBS, "attrib_list_config": CONFIG_ATTRIBS})
    out.egl("eglMakeCurrent", **{"return": egl.EGL_TRUE, "dpy": DPY, "draw": SURFACE, "read": SURFACE,
                                 "ctx": context, "config": CONFIG, "attribs": CONTEXT_ATTRIBS})
    if previous:
        out.egl("eglDestroyContext", **{"return": egl.EGL_TRUE, "dpy": DPY, "ctx": context - 1})
    for n, query in enumerate((0x1F00, 0x1F01, 0x1F02, 0x1F03)):
        out.es2(2072, (0x6000 + n, "GL_OES_extension_name " * (40 if query == 0x1F03 else 1)), query)
    programs = []
    for p in range(PROGRAMS_PER_SCENE):
        base = 100 * scene + 10 * p
        shaders = (base + 1, base + 2)
        for shader, kind in zip(shaders, (GL_VERTEX_SHADER, GL_FRAGMENT_SHADER)):
            out.es2(2027, shader, kind)
            text = _source("vertex" if kind == GL_VERTEX_SHADER else "fragment", scene, p, rnd)
            out.es2(2099, shader, 1, (0x5000, [(0x5100, text)]), (0x5200, [len(text)]))
            out.es2(2021, shader)
            out.es2(2068, shader, 0x8B81, (0x5300, [1]))
        program = base + 3
        out.es2(2026, program)
        for shader in shaders:
            out.es2(2002, program, shader)
        for index, name in enumerate(("a_position", "a_texcoord", "a_normal")):
            out.es2(2003, program, index, (0x5400, name))
        out.es2(2090, program)
        out.es2(2065, program, 0x8B82, (0x5300, [1]))
        locations = []
        for location, name in enumerate(UNIFORM_NAMES):
            out.es2(2077, location, program, (0x5500, name))
            locations.append(location)
        for shader in shaders:
            out.es2(2034, shader)
        programs.append((program, locations))
    textures = [1000 * (scene + 1) + t for t in range(4)]
    out.es2(2054, len(textures), (0x5600, textures))
    for texture in textures:
        out.es2(2007, GL_TEXTURE_2D, texture)
        for pname, param in ((0x2801, 0x2601), (0x2800, 0x2601), (0x2802, 0x812F), (0x2803, 0x812F)):
            out.es2(2109, GL_TEXTURE_2D, pname, param)
        out.es2(2106, GL_TEXTURE_2D, 0, GL_RGBA, 128, 128, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                (0x9000, bytes(rnd.getrandbits(8) for _ in range(64)) * 1024), 4)
    return programs, textures


def _frame(out, frame, rnd, programs, textures, width, height):
    """About a hundred calls: clears, then draws that each switch program, set its matrices and
    uniforms and draw sprites from client arrays."""
    out.es2(2142, 0, 0, width, height)
    out.es2(2017, 0.0, 0.0, 0.1, 1.0)
    out.es2(2016, 0x4100)
    for d in range(DRAWS_PER_FRAME):
        program, locations = programs[(frame + d) % len(programs)]
        out.es2(2131, program)
        angle = 0.01 * frame + d
        c, s = round(rnd.uniform(-1, 1), 3), round(angle % 1, 3)
        # Model-view, projection and normal matrices, as lit scenes send them before each draw.
        for m in range(3):
            out.es2(2130, locations[m], 1, 0, (0x7000, [c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, d * 0.1, m, 0, 1]))
        out.es2(2125, locations[3], 1, (0x7100, [c, s, 0.5, 1.0]))
        out.es2(2112, locations[11], angle)
        out.es2(2001, 0x84C0)
        out.es2(2007, GL_TEXTURE_2D, textures[d % len(textures)])
        out.es2(2044, 0)
        out.es2(2044, 1)
        out.es2(2141, 0, 2, GL_FLOAT, 0, 0, 0x20000000 + 0x1000 * d)
        out.es2(2141, 1, 2, GL_FLOAT, 0, 0, 0x30000000 + 0x1000 * d)
        # Sprites from client arrays: the many single quads take blocks of 32 bytes each, the batch
        # of a hundred sprites a few kilobytes.
        sprites = 118 if d == 0 else 1
        positions = struct.pack("<%df" % (12 * sprites), *[rnd.uniform(-1, 1) for _ in range(12 * sprites)])
        coords = struct.pack("<%df" % (12 * sprites), *([0.0, 0.0, 1.0, 0.0, 0.0, 1.0] * 2 * sprites))
        count = 6 * sprites
        if sprites == 1:
            positions, coords, count = positions[:32], coords[:32], 4
        out.put(es2.DRAW_ARRAYS, es2.encode_draw_arrays(
            out.w.type_sizes, GL_TRIANGLES if sprites > 1 else GL_TRIANGLE_STRIP, 0, count,
            [(0x20000000 + 0x1000 * d, positions), (0x30000000 + 0x1000 * d, coords)]).payload)
        out.es2(2040, 0)
        out.es2(2040, 1)


def run(args):
    width, height = (int(v) for v in args.image.split("x"))
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=1,
                          type_sizes=list(trace.DEFAULT_TYPE_SIZES))
    rnd = random.Random(11)
    # One image reused: what it holds does not matter to a load, and writing stays fast.
    image = bytes(rnd.getrandbits(8) for _ in range(256)) * (width * height * 4 // 256 + 1)
    image = image[:width * height * 4]
    with open(args.out, "wb") as f:
        f.write(w.header)
        out = _Out(f, w)
        _start(out, width, height)
        programs = textures = None
        for frame in range(1, args.frames + 1):
            if (frame - 1) % args.scene_frames == 0:
                if textures:
                    out.es2(2031, len(textures), (0x5600, textures))
                    for program, _ in programs:
                        out.es2(2032, program)
                programs, textures = _scene(out, (frame - 1) // args.scene_frames, rnd, programs is not None)
            _frame(out, frame, rnd, programs, textures, width, height)
            out.put(egl.ID["eglSwapBuffers"], egl.swap_buffers(w, frame=frame, width=width, height=height,
                                                                image=image))
    with open(args.out + ".info", "w") as f:
        f.write("calls=%d\nframes=%d\n" % (out.calls, args.frames))
    return 0


def register(subparsers):
    p = subparsers.add_parser("es2-real", help="an OpenGL ES 2.0 trace of a real recording's shape, frame images "
                                               "in every frame, for load benchmarks")
    p.add_argument("out")
    p.add_argument("--frames", type=int, default=2702)
    p.add_argument("--scene-frames", type=int, default=300, help="frames a scene lasts (each makes its programs)")
    p.add_argument("--image", default="240x240", metavar="WxH", help="frame image size (RGBA: 230,400 bytes)")
    p.set_defaults(func=run)
