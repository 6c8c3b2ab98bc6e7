"""`sample`: the trace `make run` opens: a few frames of a textured, lit ES 2.0 quad turning in
front of the camera, each frame ended by eglSwapBuffers with its frame image. An EGL session (display,
context, window surface made current) comes first, so that the frames replay on the host."""
import math
import struct

from . import trace

WIDTH, HEIGHT = 160, 120
TEX = 16

VERTEX_SHADER = """precision highp float;
attribute vec2 a_position;
attribute vec2 a_texcoord;
uniform float u_angle;
varying vec2 v_texcoord;
varying float v_light;
void main()
{
    float c = cos(u_angle);
    float s = sin(u_angle);
    vec2 p = vec2(c * a_position.x - s * a_position.y, s * a_position.x + c * a_position.y);
    v_texcoord = a_texcoord;
    v_light = 0.6 + 0.4 * (p.y + 0.7);
    gl_Position = vec4(p, 0.0, 1.0);
}
"""

FRAGMENT_SHADER = """precision mediump float;
uniform sampler2D u_texture;
varying vec2 v_texcoord;
varying float v_light;
void main()
{
    gl_FragColor = vec4(texture2D(u_texture, v_texcoord).rgb * v_light, 1.0);
}
"""

# Two triangles: x, y, s, t.
QUAD = [(-0.7, -0.7, 0, 0), (0.7, -0.7, 1, 0), (0.7, 0.7, 1, 1),
        (-0.7, -0.7, 0, 0), (0.7, 0.7, 1, 1), (-0.7, 0.7, 0, 1)]


def texel(s, t):
    """The checker texture: orange and blue squares."""
    on = (int(s * 4) + int(t * 4)) % 2
    return (235, 140, 40) if on else (60, 110, 200)


def texture_bytes():
    out = bytearray()
    for y in range(TEX):
        for x in range(TEX):
            out += bytes(texel((x + 0.5) / TEX, (y + 0.5) / TEX)) + b"\xff"
    return bytes(out)


def render(angle):
    """What the shaders draw, computed on the CPU: RGBA rows, bottom row first."""
    c, s = math.cos(angle), math.sin(angle)
    out = bytearray()
    for row in range(HEIGHT):
        y = (row + 0.5) / HEIGHT * 2 - 1
        for col in range(WIDTH):
            x = (col + 0.5) / WIDTH * 2 - 1
            # Undo the rotation to find the quad coordinates of this pixel.
            qx, qy = c * x + s * y, -s * x + c * y
            if abs(qx) <= 0.7 and abs(qy) <= 0.7:
                light = 0.6 + 0.4 * (y + 0.7)
                r, g, b = texel((qx + 0.7) / 1.4, (qy + 0.7) / 1.4)
                out += bytes((min(255, int(r * light)), min(255, int(g * light)), min(255, int(b * light)), 255))
            else:
                out += bytes((25, 28, 38, 255))
    return bytes(out)


def stand_in(out):
    """Without the call layouts in this tree, a framed trace of unknown records."""
    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=1)
    for frame in range(3):
        for i in range(4):
            w.record(9000 + i, w.sized(trace.TYPE["GLenum"], 0) + w.sized(trace.TYPE["GLuint"], frame))
    w.write(out)
    return 0


def run(args):
    try:
        from . import egl, es2
        from .cmd_egl import DPY, SURFACE, open_session
    except ImportError:
        return stand_in(args.out)

    w = trace.TraceWriter(version=trace.LATEST_VERSION, data_included=1, frame_image=1)
    sizes = w.type_sizes

    def call(rid, *values):
        r = es2.encode_call(rid, list(values), sizes, True)
        w.record(r.id, r.payload)

    def shader(name, kind, text):
        r = es2.encode_call(2027, [name, kind], sizes, True)            # glCreateShader
        w.record(r.id, r.payload)
        call(2099, name, 1, (0x7000 + name, [(0x7100 + name, text)]), (0x7200 + name, [len(text)]))
        call(2021, name)                                                  # glCompileShader

    if not getattr(args, "no_session", False):
        open_session(w, WIDTH, HEIGHT)
    call(2142, 0, 0, WIDTH, HEIGHT)                                       # glViewport
    call(2017, 0.1, 0.11, 0.15, 1.0)                                      # glClearColor
    shader(1, 0x8B31, VERTEX_SHADER)
    shader(2, 0x8B30, FRAGMENT_SHADER)
    call(2026, 3)                                                         # glCreateProgram
    call(2002, 3, 1)                                                      # glAttachShader
    call(2002, 3, 2)
    call(2003, 3, 0, (0x7300, "a_position"))                              # glBindAttribLocation
    call(2003, 3, 1, (0x7310, "a_texcoord"))
    call(2090, 3)                                                         # glLinkProgram
    call(2131, 3)                                                         # glUseProgram
    call(2077, 0, 3, (0x7320, "u_angle"))                                 # glGetUniformLocation
    call(2077, 1, 3, (0x7330, "u_texture"))
    call(2054, 1, (0x7400, [5]))                                          # glGenTextures
    call(2001, 0x84C0)                                                    # glActiveTexture
    call(2007, 0x0DE1, 5)                                                 # glBindTexture
    call(2109, 0x0DE1, 0x2801, 0x2601)                                    # glTexParameteri MIN_FILTER
    call(2109, 0x0DE1, 0x2800, 0x2601)                                    # MAG_FILTER
    call(2106, 0x0DE1, 0, 0x1908, TEX, TEX, 0, 0x1908, 0x1401, (0x7500, texture_bytes()), 4)
    call(2114, 1, 0)                                                      # glUniform1i
    vertices = b"".join(struct.pack("<4f", *v) for v in QUAD)
    call(2050, 1, (0x7600, [7]))                                          # glGenBuffers
    call(2004, 0x8892, 7)                                                 # glBindBuffer
    call(2013, 0x8892, len(vertices), (0x7700, vertices), 0x88E4)         # glBufferData
    call(2044, 0)                                                         # glEnableVertexAttribArray
    call(2044, 1)
    call(2141, 0, 2, 0x1406, 0, 16, 0)                                    # glVertexAttribPointer
    call(2141, 1, 2, 0x1406, 0, 16, 8)

    frames = 4
    for frame in range(frames):
        angle = frame * math.pi / 10
        call(2016, 0x4000)                                                # glClear
        call(2112, 0, angle)                                              # glUniform1f
        r = es2.encode_draw_arrays(sizes, 4, 0, len(QUAD), [])            # glDrawArrays
        w.record(r.id, r.payload)
        w.record(egl.ID["eglSwapBuffers"],
                 egl.swap_buffers(w, dpy=DPY, surface=SURFACE, frame=frame, width=WIDTH, height=HEIGHT,
                                  image=render(angle)))
    w.write(args.out)
    return 0


def register(subparsers):
    p = subparsers.add_parser("sample", help="the viewer's sample: a textured, lit ES 2.0 quad")
    p.add_argument("out")
    p.add_argument("--no-session", action="store_true",
                   help="leave out the EGL session: the frames do not replay (for checkers of ES 2.0 listings)")
    p.set_defaults(func=run)
