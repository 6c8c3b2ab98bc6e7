"""`es2-scenes`: an OpenGL ES 2.0 trace shaped as the recording of a benchmark that runs its scenes one
after another, a frame image in every frame, for the load benchmarks. Each scene drops the last
scene's objects and context, makes a context of its own, looks its entry points up again and builds
its programs, buffers and textures; its frames draw from buffer objects in one of four shapes, as
recorded from such a benchmark:
- lookups: about 440 calls a frame; every object's draw looks its attribute and uniform locations up
  again by name, sets them and draws a dozen index ranges of the bound element buffer;
- mesh: 15 calls a frame, one mesh drawn from two buffers;
- depth: 48 calls a frame, a depth pass into a framebuffer's texture, then the scene drawn on a quad;
- desktop: about 360 calls a frame, windows drawn into textures through framebuffers, then composed.
Each scene takes about as many calls as the others (a light scene runs more frames in its time).
Written as it goes: traces of gigabytes take no memory."""
import random
import struct

from . import egl, es2, trace
from .cmd_egl import CONFIG, CONFIG_ATTRIBS, CONTEXT_ATTRIBS, DPY, SURFACE
from .cmd_es2_real import _Out, _start

GL_TEXTURE_2D, GL_ARRAY_BUFFER, GL_ELEMENT_ARRAY_BUFFER, GL_FLOAT = 0x0DE1, 0x8892, 0x8893, 0x1406
GL_VERTEX_SHADER, GL_FRAGMENT_SHADER, GL_TRIANGLES, GL_TRIANGLE_STRIP = 0x8B31, 0x8B30, 4, 5
GL_STATIC_DRAW, GL_UNSIGNED_SHORT, GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT = 0x88E4, 0x1403, 0x8D40, 0x8D00
GL_COLOR_ATTACHMENT0, GL_DEPTH_TEST, GL_BLEND, GL_RGBA, GL_UNSIGNED_BYTE = 0x8CE0, 0x0B71, 0x0BE2, 0x1908, 0x1401
KINDS = ("lookups", "mesh", "depth", "desktop")
ATTRIBUTES = ("position", "normal", "texcoord")
UNIFORMS = ("ModelViewProjectionMatrix", "NormalMatrix", "LightSourcePosition", "MaterialDiffuse", "time")
PROGRAMS, BUFFERS, TEXTURES = 10, 20, 2


def _source(kind, scene, program):
    lines = ["// %s shader %d of scene %d" % (kind, program, scene), "precision mediump float;",
             "attribute vec3 position;", "attribute vec3 normal;", "uniform mat4 ModelViewProjectionMatrix;",
             "uniform vec4 LightSourcePosition;", "varying vec4 Color;"]
    lines += ["    vec4 t%d = LightSourcePosition * %d.0;" % (k, k) for k in range(12 + program % 8)]
    lines.append("void main() { gl_Position = ModelViewProjectionMatrix * vec4(position, 1.0); }")
    return "\n".join(lines) + "\n"


def _matrix(out, location, rnd):
    c, s = round(rnd.uniform(-1, 1), 6), round(rnd.uniform(-1, 1), 6)
    out.es2(2130, location, 1, 0, (0x7000, [c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0.1, 0.2, -5, 1]))


def _scene(out, scene, rnd, previous):
    """The last scene's objects and context dropped, a new context with its entry points, programs,
    buffers, textures and a framebuffer."""
    if previous:
        programs, buffers, textures, framebuffers = previous
        for program in programs:
            out.es2(2034, program + 1)
            out.es2(2034, program + 2)
            out.es2(2032, program)
        for b in range(0, len(buffers), 2):
            out.es2(2029, 2, (0x5600, buffers[b:b + 2]))
        out.es2(2031, len(textures), (0x5600, textures))
        out.es2(2030, len(framebuffers), (0x5600, framebuffers))
    context = 0x4000 + scene
    out.egl("eglCreateContext", **{"return": context, "dpy": DPY, "config": CONFIG, "share_context": 0,
                                   "attrib_list": CONTEXT_ATTRIBS, "attrib_list_config": CONFIG_ATTRIBS})
    out.egl("eglMakeCurrent", **{"return": egl.EGL_TRUE, "dpy": DPY, "draw": SURFACE, "read": SURFACE,
                                 "ctx": context, "config": CONFIG, "attribs": CONTEXT_ATTRIBS})
    if previous:
        out.egl("eglDestroyContext", **{"return": egl.EGL_TRUE, "dpy": DPY, "ctx": context - 1})
    names = sorted(es2.NAMES.values())
    for n in range(292):
        out.egl("eglGetProcAddress", **{"return": 0x7F000000 + 16 * n, "procname": names[n % len(names)]})
    out.es2(2072, (0x6000, "OpenGL ES 3.2 Mesa"), 0x1F02)
    programs = []
    for p in range(PROGRAMS):
        program = 100 * scene + 10 * p + 3
        for shader, kind in ((program + 1, GL_VERTEX_SHADER), (program + 2, GL_FRAGMENT_SHADER)):
            text = _source("vertex" if kind == GL_VERTEX_SHADER else "fragment", scene, p)
            out.es2(2027, shader, kind)
            out.es2(2099, shader, 1, (0x5000, [(0x5100, text)]), (0x5200, [len(text)]))
            out.es2(2021, shader)
            out.es2(2068, shader, 0x8B81, (0x5300, [1]))
        out.es2(2026, program)
        out.es2(2002, program, program + 1)
        out.es2(2002, program, program + 2)
        out.es2(2090, program)
        out.es2(2065, program, 0x8B82, (0x5300, [1]))
        programs.append(program)
    buffers = [1000 * (scene + 1) + b for b in range(BUFFERS)]
    out.es2(2050, len(buffers), (0x5600, buffers))
    for n, buffer in enumerate(buffers):
        target = GL_ELEMENT_ARRAY_BUFFER if n % 2 else GL_ARRAY_BUFFER
        size = 6000 + 1000 * (n % 5)
        out.es2(2004, target, buffer)
        out.es2(2013, target, size, (0x9000, bytes(rnd.getrandbits(8) for _ in range(64)) * (size // 64)),
                GL_STATIC_DRAW)
    textures = [2000 * (scene + 1) + t for t in range(TEXTURES)]
    out.es2(2054, len(textures), (0x5600, textures))
    for texture in textures:
        out.es2(2007, GL_TEXTURE_2D, texture)
        out.es2(2109, GL_TEXTURE_2D, 0x2801, 0x2601)
        out.es2(2106, GL_TEXTURE_2D, 0, GL_RGBA, 128, 128, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                (0x9100, bytes(rnd.getrandbits(8) for _ in range(64)) * 1024), 4)
    framebuffers = [3000 + scene]
    out.es2(2052, 1, (0x5600, framebuffers))
    out.es2(2043, GL_DEPTH_TEST)
    return programs, buffers, textures, framebuffers


def _lookups(out, rnd, objects, width, height):
    programs, buffers, _, _ = objects
    out.es2(2017, 0.0, 0.0, 0.0, 1.0)
    out.es2(2018, 1.0)
    out.es2(2016, 0x4100)
    for o in range(9):
        program = programs[o % len(programs)]
        out.es2(2039, GL_BLEND)
        out.es2(2004, GL_ARRAY_BUFFER, buffers[2 * o])
        out.es2(2004, GL_ELEMENT_ARRAY_BUFFER, buffers[2 * o + 1])
        out.es2(2131, program)
        for location, name in enumerate(UNIFORMS):
            out.es2(2058, location % 3, program, (0x5400, ATTRIBUTES[location % 3]))
            out.es2(2077, location, program, (0x5500, name))
            if location < 2:
                _matrix(out, location, rnd)
            elif location < 4:
                out.es2(2121, location, 1, (0x7100, [rnd.uniform(-1, 1), 0.5, 1.0]))
            else:
                out.es2(2112, location, rnd.uniform(0, 10))
        out.es2(2141, 0, 3, GL_FLOAT, 0, 24, 0)
        out.es2(2044, 0)
        for r in range(12):
            out.put(es2.DRAW_ELEMENTS, es2.encode_draw_elements(
                out.w.type_sizes, True, GL_TRIANGLE_STRIP, 2 * (40 + r), GL_UNSIGNED_SHORT, (0, b""),
                r * 4 * (40 + r), []).payload)
        out.es2(2040, 0)
        out.es2(2131, 0)
        for location, name in enumerate(UNIFORMS):
            out.es2(2058, location % 3, program, (0x5400, ATTRIBUTES[location % 3]))
            out.es2(2077, location, program, (0x5500, name))
            if location < 2:
                _matrix(out, location, rnd)
            else:
                out.es2(2112, location, rnd.uniform(0, 10))
        out.es2(2141, 0, 3, GL_FLOAT, 0, 24, 0)
        out.es2(2044, 0)
        out.put(es2.DRAW_ARRAYS, es2.encode_draw_arrays(out.w.type_sizes, GL_TRIANGLES, 0, 36, []).payload)
        out.es2(2040, 0)


def _mesh(out, rnd, objects, width, height, pass_buffers=(0, 2)):
    _, buffers, _, _ = objects
    out.es2(2017, 0.0, 0.0, 0.0, 1.0)
    out.es2(2018, 1.0)
    out.es2(2016, 0x4100)
    _matrix(out, 0, rnd)
    _matrix(out, 1, rnd)
    for index, b in enumerate(pass_buffers):
        out.es2(2044, index)
        out.es2(2004, GL_ARRAY_BUFFER, buffers[b])
        out.es2(2141, index, 3, GL_FLOAT, 0, 0, 0)
    out.put(es2.DRAW_ARRAYS, es2.encode_draw_arrays(out.w.type_sizes, GL_TRIANGLES, 0, 21516, []).payload)
    out.es2(2040, 0)
    out.es2(2040, 1)


def _depth_pass(out, rnd, objects, framebuffer, texture, width, height, mask):
    programs, buffers, _, _ = objects
    out.es2(2131, programs[0])
    _matrix(out, 0, rnd)
    out.es2(2005, GL_FRAMEBUFFER, framebuffer)
    out.es2(2048, GL_FRAMEBUFFER, mask, GL_TEXTURE_2D, texture, 0)
    out.es2(2142, 0, 0, 2 * width, 2 * height)
    out.es2(2020, 0, 0, 0, 0)
    out.es2(2016, 0x100)
    for index, b in enumerate((0, 2)):
        out.es2(2044, index)
        out.es2(2004, GL_ARRAY_BUFFER, buffers[b])
        out.es2(2141, index, 3, GL_FLOAT, 0, 0, 0)
    out.put(es2.DRAW_ARRAYS, es2.encode_draw_arrays(out.w.type_sizes, GL_TRIANGLES, 0, 21516, []).payload)
    out.es2(2040, 0)
    out.es2(2040, 1)
    out.es2(2005, GL_FRAMEBUFFER, 0)
    out.es2(2142, 0, 0, width, height)
    out.es2(2020, 1, 1, 1, 1)


def _quad(out, rnd, objects, texture):
    programs, buffers, _, _ = objects
    out.es2(2004, GL_ARRAY_BUFFER, buffers[4])
    out.es2(2131, programs[1])
    out.es2(2001, 0x84C0)
    out.es2(2007, GL_TEXTURE_2D, texture)
    out.es2(2114, 2, 0)
    _matrix(out, 0, rnd)
    _matrix(out, 1, rnd)
    out.es2(2044, 0)
    out.es2(2141, 0, 2, GL_FLOAT, 0, 0, 0)
    out.put(es2.DRAW_ARRAYS, es2.encode_draw_arrays(out.w.type_sizes, GL_TRIANGLE_STRIP, 0, 4, []).payload)
    out.es2(2040, 0)
    out.es2(2007, GL_TEXTURE_2D, 0)
    out.es2(2004, GL_ARRAY_BUFFER, 0)


def _depth(out, rnd, objects, width, height):
    programs, _, textures, framebuffers = objects
    out.es2(2017, 0.0, 0.0, 0.0, 1.0)
    out.es2(2018, 1.0)
    out.es2(2016, 0x4100)
    _depth_pass(out, rnd, objects, framebuffers[0], textures[0], width, height, GL_DEPTH_ATTACHMENT)
    _quad(out, rnd, objects, textures[0])
    out.es2(2131, programs[2])
    _mesh(out, rnd, objects, width, height)


def _desktop(out, rnd, objects, width, height):
    _, _, textures, framebuffers = objects
    out.es2(2017, 0.0, 0.0, 0.0, 1.0)
    out.es2(2016, 0x4000)
    for window in range(8):
        out.es2(2039 if window % 2 else 2043, GL_BLEND)
        out.es2(2012, 0x302, 0x303, 1, 0x303)
        _depth_pass(out, rnd, objects, framebuffers[0], textures[window % 2], width, height, GL_COLOR_ATTACHMENT0)
        out.es2(2015, 0x8CD5, GL_FRAMEBUFFER)
        _quad(out, rnd, objects, textures[window % 2])
    out.es2(2039, GL_BLEND)


FRAMES = {"lookups": (_lookups, 440), "mesh": (_mesh, 15), "depth": (_depth, 48), "desktop": (_desktop, 360)}


def run(args):
    width, height = (int(v) for v in args.image.split("x"))
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=1,
                          type_sizes=list(trace.DEFAULT_TYPE_SIZES))
    rnd = random.Random(5)
    image = bytes(rnd.getrandbits(8) for _ in range(256)) * (width * height * 4 // 256 + 1)
    image = image[:width * height * 4]
    scene_calls = args.calls // args.scenes
    frame = 0
    with open(args.out, "wb") as f:
        f.write(w.header)
        out = _Out(f, w)
        _start(out, width, height)
        objects = None
        for scene in range(args.scenes):
            draw, per_frame = FRAMES[KINDS[scene % len(KINDS)]]
            objects = _scene(out, scene, rnd, objects)
            for _ in range(max(1, scene_calls // per_frame)):
                frame += 1
                draw(out, rnd, objects, width, height)
                out.put(egl.ID["eglSwapBuffers"], egl.swap_buffers(w, dpy=DPY, surface=SURFACE, frame=frame,
                                                                    width=width, height=height, image=image))
    with open(args.out + ".info", "w") as f:
        f.write("calls=%d\nframes=%d\n" % (out.calls, frame))
    return 0


def register(subparsers):
    p = subparsers.add_parser("es2-scenes", help="an OpenGL ES 2.0 trace shaped as a benchmark's recording: scenes "
                                                 "one after another, a frame image in every frame")
    p.add_argument("out")
    p.add_argument("--calls", type=int, default=271000, help="about this many calls in all")
    p.add_argument("--scenes", type=int, default=8, help="scenes, of the four shapes in turn")
    p.add_argument("--image", default="320x240", metavar="WxH", help="frame image size (RGBA: 307,200 bytes)")
    p.set_defaults(func=run)
