"""OpenGL ES 1.1 call records: every record layout, written independently of the C++ call table so
that the two can check each other. The item kinds and the encoder are those of es2.py; the
layouts, the pointer calls' twice-listed pointer and the two draw records are this API's own.
"""

from . import es2, trace
from .es2 import (Block, Extra, Record, Ret, Scalar, Writer, arr, b, bf, cf, data, e, f, fixed, i, image, sz,
                  u, _sgn32)

PTR, GLENUM, GLBITFIELD, GLINT, GLSIZEI, GLUBYTE, GLFIXED, GLINTPTR, GLSIZEIPTR, GLCLAMPX = (
    0, 12, 14, 17, 18, 19, 24, 25, 26, 27)


def x(name): return Scalar(name, GLFIXED, "fixed")
def cx(name): return Scalar(name, GLCLAMPX, "fixed")
def ub(name): return Scalar(name, GLUBYTE, "uint")
def mode(name): return Scalar(name, GLENUM, "mode")


E_U, E_I, E_F, E_X, E_B, E_P = u(""), i(""), f(""), x(""), b(""), Scalar("", PTR, "ptr")


class PointerTwice:
    """A client array's pointer value: recorded once whatever the data flag, listed as "pointer"
    and, in the verbose listing only, again as hidden "pointerPlayback"."""

    name = "pointer"

    def encode(self, w, v, data):
        w.sized(PTR, v)

    def listings(self, v, data, w):
        text = Scalar("", PTR, "ptr").text(v, data, w)
        return [("pointer", text, False), ("pointerPlayback", text, True)]

    def sample(self, sampler):
        return 0x30000 + 0x10 * sampler.next()


def _objs(name): return [sz("n"), arr(name, E_U)]
def _vec(name, elem): return arr(name, elem)
def _matrix(elem): return Block("m", "fixed", elem, 4, 4)


# id: (function, category, items after the GL error). The draw calls (3036, 3037) are described apart.
LAYOUTS = {
    3001: ("glActiveTexture", "Texture", [e("texture")]),
    3002: ("glAlphaFunc", "Rasterizer", [e("func"), cf("ref")]),
    3003: ("glAlphaFuncx", "Rasterizer", [e("func"), cx("ref")]),
    3004: ("glBindBuffer", "Buffers", [e("target"), u("buffer")]),
    3005: ("glBindTexture", "Texture", [e("target"), u("texture")]),
    3006: ("glBlendFunc", "Rasterizer", [bf("sfactor"), bf("dfactor")]),
    3007: ("glBufferData", "Buffers", [e("target"), Scalar("size", GLSIZEIPTR, "int"), data("data"), e("usage")]),
    3008: ("glBufferSubData", "Buffers",
           [e("target"), Scalar("offset", GLINTPTR, "int"), Scalar("size", GLSIZEIPTR, "int"), data("data")]),
    3009: ("glClear", "Rasterizer", [Scalar("mask", GLBITFIELD, "bits")]),
    3010: ("glClearColor", "Rasterizer", [cf("red"), cf("green"), cf("blue"), cf("alpha")]),
    3011: ("glClearColorx", "Rasterizer", [cx("red"), cx("green"), cx("blue"), cx("alpha")]),
    3012: ("glClearDepthf", "Rasterizer", [cf("depth")]),
    3013: ("glClearDepthx", "Rasterizer", [cx("depth")]),
    3014: ("glClearStencil", "Rasterizer", [i("s")]),
    3015: ("glClientActiveTexture", "Texture", [e("texture")]),
    3016: ("glClipPlanef", "Rasterizer", [e("plane"), fixed("equation", E_F, 4, always=True)]),
    3017: ("glClipPlanex", "Rasterizer", [e("plane"), fixed("equation", E_X, 4, always=True)]),
    3018: ("glColor4f", "Vertex Attributes", [f("red"), f("green"), f("blue"), f("alpha")]),
    3019: ("glColor4ub", "Vertex Attributes", [ub("red"), ub("green"), ub("blue"), ub("alpha")]),
    3020: ("glColor4x", "Vertex Attributes", [x("red"), x("green"), x("blue"), x("alpha")]),
    3021: ("glColorMask", "Rasterizer", [b("red"), b("green"), b("blue"), b("alpha")]),
    3022: ("glColorPointer", "Vertex Attributes", [i("size"), e("type"), sz("stride"), PointerTwice()]),
    3023: ("glCompressedTexImage2D", "Texture",
           [e("target"), i("level"), i("internalformat"), sz("width"), sz("height"), i("border"), sz("imageSize"),
            image("data")]),
    3024: ("glCompressedTexSubImage2D", "Texture",
           [e("target"), i("level"), i("xoffset"), i("yoffset"), sz("width"), sz("height"), e("format"),
            sz("imageSize"), image("data")]),
    3025: ("glCopyTexImage2D", "Texture",
           [e("target"), i("level"), e("internalformat"), i("x"), i("y"), sz("width"), sz("height"), i("border")]),
    3026: ("glCopyTexSubImage2D", "Texture",
           [e("target"), i("level"), i("xoffset"), i("yoffset"), i("x"), i("y"), sz("width"), sz("height")]),
    3027: ("glCullFace", "Rasterizer", [e("mode")]),
    3028: ("glDeleteBuffers", "Buffers", _objs("buffers")),
    3029: ("glDeleteTextures", "Texture", _objs("textures")),
    3030: ("glDepthFunc", "Rasterizer", [e("func")]),
    3031: ("glDepthMask", "Rasterizer", [b("flag")]),
    3032: ("glDepthRangef", "Rasterizer", [cf("zNear"), cf("zFar")]),
    3033: ("glDepthRangex", "Rasterizer", [cx("zNear"), cx("zFar")]),
    3034: ("glDisable", "Other", [e("cap")]),
    3035: ("glDisableClientState", "Vertex Attributes", [e("cap")]),
    3038: ("glEnable", "Other", [e("cap")]),
    3039: ("glEnableClientState", "Vertex Attributes", [e("cap")]),
    3040: ("glFinish", "Other", []),
    3041: ("glFlush", "Other", []),
    3042: ("glFogf", "Rasterizer", [e("pname"), f("param")]),
    3043: ("glFogfv", "Rasterizer", [e("pname"), _vec("params", E_F)]),
    3044: ("glFogx", "Rasterizer", [e("pname"), x("param")]),
    3045: ("glFogxv", "Rasterizer", [e("pname"), _vec("params", E_X)]),
    3046: ("glFrontFace", "Rasterizer", [e("mode")]),
    3047: ("glFrustumf", "Matrix", [f("left"), f("right"), f("bottom"), f("top"), f("zNear"), f("zFar")]),
    3048: ("glFrustumx", "Matrix", [x("left"), x("right"), x("bottom"), x("top"), x("zNear"), x("zFar")]),
    3049: ("glGetBooleanv", "Getters", [e("pname"), _vec("params", E_B)]),
    3050: ("glGetBufferParameteriv", "Buffers", [e("target"), e("pname"), _vec("params", E_I)]),
    3051: ("glGetClipPlanef", "Getters", [e("pname"), arr("eqn", E_F, 4)]),
    3052: ("glGetClipPlanex", "Getters", [e("pname"), arr("eqn", E_X, 4)]),
    3053: ("glGenBuffers", "Buffers", _objs("buffers")),
    3054: ("glGenTextures", "Texture", _objs("textures")),
    3055: ("glGetError", "Getters", [Ret(Scalar("", GLENUM, "error"))]),
    3056: ("glGetFixedv", "Getters", [e("pname"), _vec("params", E_X)]),
    3057: ("glGetFloatv", "Getters", [e("pname"), _vec("params", E_F)]),
    3058: ("glGetIntegerv", "Getters", [e("pname"), _vec("params", E_I)]),
    3059: ("glGetLightfv", "Getters", [e("light"), e("pname"), _vec("params", E_F)]),
    3060: ("glGetLightxv", "Getters", [e("light"), e("pname"), _vec("params", E_X)]),
    3061: ("glGetMaterialfv", "Getters", [e("face"), e("pname"), _vec("params", E_F)]),
    3062: ("glGetMaterialxv", "Getters", [e("face"), e("pname"), _vec("params", E_X)]),
    3063: ("glGetPointerv", "Getters", [e("pname"), _vec("params", E_P)]),
    3064: ("glGetString", "Getters", [Ret(Block("", "string", always=True)), e("name")]),
    3065: ("glGetTexEnvfv", "Getters", [e("env"), e("pname"), _vec("params", E_F)]),
    3066: ("glGetTexEnviv", "Getters", [e("env"), e("pname"), _vec("params", E_I)]),
    3067: ("glGetTexEnvxv", "Getters", [e("env"), e("pname"), _vec("params", E_X)]),
    3068: ("glGetTexParameterfv", "Getters", [e("target"), e("pname"), _vec("params", E_F)]),
    3069: ("glGetTexParameteriv", "Getters", [e("target"), e("pname"), _vec("params", E_I)]),
    3070: ("glGetTexParameterxv", "Getters", [e("target"), e("pname"), _vec("params", E_X)]),
    3071: ("glHint", "Other", [e("target"), e("mode")]),
    3072: ("glIsBuffer", "Buffers", [Ret(b("")), u("buffer")]),
    3073: ("glIsEnabled", "Other", [Ret(b("")), e("cap")]),
    3074: ("glIsTexture", "Texture", [Ret(b("")), u("texture")]),
    3075: ("glLightModelf", "Lighting", [e("pname"), f("param")]),
    3076: ("glLightModelfv", "Lighting", [e("pname"), _vec("params", E_F)]),
    3077: ("glLightModelx", "Lighting", [e("pname"), x("param")]),
    3078: ("glLightModelxv", "Lighting", [e("pname"), _vec("params", E_X)]),
    3079: ("glLightf", "Lighting", [e("light"), e("pname"), f("param")]),
    3080: ("glLightfv", "Lighting", [e("light"), e("pname"), _vec("params", E_F)]),
    3081: ("glLightx", "Lighting", [e("light"), e("pname"), x("param")]),
    3082: ("glLightxv", "Lighting", [e("light"), e("pname"), _vec("params", E_X)]),
    3083: ("glLineWidth", "Other", [f("width")]),
    3084: ("glLineWidthx", "Other", [x("width")]),
    3085: ("glLoadIdentity", "Matrix", []),
    3086: ("glLoadMatrixf", "Matrix", [_matrix(E_F)]),
    3087: ("glLoadMatrixx", "Matrix", [_matrix(E_X)]),
    3088: ("glLogicOp", "Rasterizer", [e("opcode")]),
    3089: ("glMaterialf", "Material", [e("face"), e("pname"), f("param")]),
    3090: ("glMaterialfv", "Material", [e("face"), e("pname"), _vec("params", E_F)]),
    3091: ("glMaterialx", "Material", [e("face"), e("pname"), x("param")]),
    3092: ("glMaterialxv", "Material", [e("face"), e("pname"), _vec("params", E_X)]),
    3093: ("glMatrixMode", "Matrix", [e("mode")]),
    3094: ("glMultMatrixf", "Matrix", [_matrix(E_F)]),
    3095: ("glMultMatrixx", "Matrix", [_matrix(E_X)]),
    3096: ("glMultiTexCoord4f", "Vertex Attributes", [e("target"), f("s"), f("t"), f("r"), f("q")]),
    3097: ("glMultiTexCoord4x", "Vertex Attributes", [e("target"), x("s"), x("t"), x("r"), x("q")]),
    3098: ("glNormal3f", "Vertex Attributes", [f("nx"), f("ny"), f("nz")]),
    3099: ("glNormal3x", "Vertex Attributes", [x("nx"), x("ny"), x("nz")]),
    3100: ("glNormalPointer", "Vertex Attributes", [e("type"), sz("stride"), PointerTwice()]),
    3101: ("glOrthof", "Matrix", [f("left"), f("right"), f("bottom"), f("top"), f("zNear"), f("zFar")]),
    3102: ("glOrthox", "Matrix", [x("left"), x("right"), x("bottom"), x("top"), x("zNear"), x("zFar")]),
    3103: ("glPixelStorei", "Rasterizer", [e("pname"), i("param")]),
    3104: ("glPointParameterf", "Rasterizer", [e("pname"), f("param")]),
    3105: ("glPointParameterfv", "Rasterizer", [e("pname"), _vec("params", E_F)]),
    3106: ("glPointParameterx", "Rasterizer", [e("pname"), x("param")]),
    3107: ("glPointParameterxv", "Rasterizer", [e("pname"), _vec("params", E_X)]),
    3108: ("glPointSize", "Rasterizer", [f("size")]),
    3109: ("glPointSizex", "Rasterizer", [x("size")]),
    3110: ("glPolygonOffset", "Rasterizer", [f("factor"), f("units")]),
    3111: ("glPolygonOffsetx", "Rasterizer", [x("factor"), x("units")]),
    3112: ("glPopMatrix", "Matrix", []),
    3113: ("glPushMatrix", "Matrix", []),
    3114: ("glReadPixels", "Rasterizer",
           [i("x"), i("y"), sz("width"), sz("height"), e("format"), e("type"), image("pixels"),
            Extra(i("alignment"), False)]),
    3115: ("glRotatef", "Matrix", [f("angle"), f("x"), f("y"), f("z")]),
    3116: ("glRotatex", "Matrix", [x("angle"), x("x"), x("y"), x("z")]),
    3117: ("glSampleCoverage", "Rasterizer", [cf("value"), b("invert")]),
    3118: ("glSampleCoveragex", "Rasterizer", [cx("value"), b("invert")]),
    3119: ("glScalef", "Matrix", [f("x"), f("y"), f("z")]),
    3120: ("glScalex", "Matrix", [x("x"), x("y"), x("z")]),
    3121: ("glScissor", "Rasterizer", [i("x"), i("y"), sz("width"), sz("height")]),
    3122: ("glShadeModel", "Rasterizer", [e("mode")]),
    3123: ("glStencilFunc", "Rasterizer", [e("func"), i("ref"), u("mask")]),
    3124: ("glStencilMask", "Rasterizer", [u("mask")]),
    3125: ("glStencilOp", "Rasterizer", [e("fail"), e("zfail"), e("zpass")]),
    3126: ("glTexCoordPointer", "Vertex Attributes", [i("size"), e("type"), sz("stride"), PointerTwice()]),
    3127: ("glTexEnvf", "Texture", [e("target"), e("pname"), f("param")]),
    3128: ("glTexEnvfv", "Texture", [e("target"), e("pname"), _vec("params", E_F)]),
    3129: ("glTexEnvi", "Texture", [e("target"), e("pname"), i("param")]),
    3130: ("glTexEnviv", "Texture", [e("target"), e("pname"), _vec("params", E_I)]),
    3131: ("glTexEnvx", "Texture", [e("target"), e("pname"), x("param")]),
    3132: ("glTexEnvxv", "Texture", [e("target"), e("pname"), _vec("params", E_X)]),
    3133: ("glTexImage2D", "Texture",
           [e("target"), i("level"), i("internalformat"), sz("width"), sz("height"), i("border"), e("format"),
            e("type"), image("pixels"), Extra(i("alignment"), True)]),
    3134: ("glTexParameterf", "Texture", [e("target"), e("pname"), f("param")]),
    3135: ("glTexParameterfv", "Texture", [e("target"), e("pname"), _vec("params", E_F)]),
    3136: ("glTexParameteri", "Texture", [e("target"), e("pname"), i("param")]),
    3137: ("glTexParameteriv", "Texture", [e("target"), e("pname"), _vec("params", E_I)]),
    3138: ("glTexParameterx", "Texture", [e("target"), e("pname"), x("param")]),
    3139: ("glTexParameterxv", "Texture", [e("target"), e("pname"), _vec("params", E_X)]),
    3140: ("glTexSubImage2D", "Texture",
           [e("target"), i("level"), i("xoffset"), i("yoffset"), sz("width"), sz("height"), e("format"), e("type"),
            image("pixels"), i("alignment")]),
    3141: ("glTranslatef", "Matrix", [f("x"), f("y"), f("z")]),
    3142: ("glTranslatex", "Matrix", [x("x"), x("y"), x("z")]),
    3143: ("glVertexPointer", "Vertex Attributes", [i("size"), e("type"), sz("stride"), PointerTwice()]),
    3144: ("glViewport", "Rasterizer", [i("x"), i("y"), sz("width"), sz("height")]),
    3145: ("glPointSizePointerOES", "Rasterizer", [e("type"), sz("stride"), PointerTwice()]),
}

DRAW_ARRAYS, DRAW_ELEMENTS = 3036, 3037
FIRST_ID, LAST_ID = 3001, 3145
MATRIX_LOADS = (3086, 3087)   # recorded from format version 6 on
NAMES = {k: v[0] for k, v in LAYOUTS.items()}
NAMES[DRAW_ARRAYS], NAMES[DRAW_ELEMENTS] = "glDrawArrays", "glDrawElements"
CATEGORIES = {k: v[1] for k, v in LAYOUTS.items()}
CATEGORIES[DRAW_ARRAYS] = CATEGORIES[DRAW_ELEMENTS] = "Draw"

# Client arrays are read as blocks while more than this many bytes of the record remain.
BLOCKS_ABOVE = 40


def encode_call(rid, values, type_sizes, data, error=0):
    return es2.encode_call(rid, values, type_sizes, data, error, LAYOUTS)


def sample_values(rid, seed):
    return es2.sample_values(rid, seed, LAYOUTS)


def _blocks(w, blocks):
    for p, payload in blocks:
        w.sized(PTR, p)
        w.u32(len(payload))
        w.raw(payload)


def encode_draw_arrays(type_sizes, mode_, first, count, blocks, trailer=b"", error=0):
    """glDrawArrays: mode, first, count, then the captured client arrays (pointer, u32 size,
    bytes), read in both data modes while more than 40 bytes remain; trailer bytes (40 or fewer
    when blocks were read before them) are never read."""
    w = Writer(type_sizes)
    w.sized(GLENUM, error)
    w.sized(GLENUM, mode_)
    w.sized(GLINT, first)
    w.sized(GLSIZEI, count)
    _blocks(w, blocks)
    consumed = len(w.out)
    w.raw(trailer)
    args = [("mode", mode("").text(mode_, 1, w), False), ("first", "%d" % _sgn32(first), False),
            ("count", "%d" % _sgn32(count), False)]
    return Record(DRAW_ARRAYS, bytes(w.out), (None, args), consumed, sum(len(p) for _, p in blocks))


def encode_draw_elements(type_sizes, data_, mode_, count, gltype, indices, offset, blocks, trailer=b"", error=0):
    """glDrawElements: mode, count, type; with data the index block (pointer, u32 size, bytes), the
    offset into the element buffer (a pointer value) and the captured client arrays read as for
    glDrawArrays; without data the index pointer and nothing more is read. indices = (pointer,
    bytes)."""
    w = Writer(type_sizes)
    w.sized(GLENUM, error)
    w.sized(GLENUM, mode_)
    w.sized(GLSIZEI, count)
    w.sized(GLENUM, gltype)
    ptext = lambda p: Scalar("", PTR, "ptr").text(p, data_, w)
    args = [("mode", mode("").text(mode_, 1, w), False), ("count", "%d" % _sgn32(count), False),
            ("type", e("").text(gltype, 1, w), False)]
    captured = 0
    if data_:
        w.sized(PTR, indices[0])
        w.u32(len(indices[1]))
        w.raw(indices[1])
        w.sized(PTR, offset)
        _blocks(w, blocks)
        captured = len(indices[1]) + sum(len(p) for _, p in blocks)
        args.append(("indices", data("").text(indices, 1, w), False))
        args.append(("indicesOffset", ptext(offset), False))
    else:
        w.sized(PTR, indices[0])
        args.append(("indices", ptext(indices[0]), False))
    consumed = len(w.out)
    if not data_:
        _blocks(w, blocks)   # never read without data
    w.raw(trailer)
    return Record(DRAW_ELEMENTS, bytes(w.out), (None, args), consumed, captured)


def draw_records(type_sizes, data_):
    """The draw records of es1-all: each one's blocks and trailer show where reading stops."""
    blk = lambda n, seed: bytes((seed + j) & 0xFF for j in range(n))
    ptr_width = trace.type_width(type_sizes, PTR)
    out = []
    # Two blocks read; the 20-byte trailer (40 or fewer remain) is never read.
    out.append(encode_draw_arrays(type_sizes, 4, 3, 36, [(0x1000, blk(64, 1)), (0x2000, blk(48, 2))],
                                  trailer=bytes(20)))
    # Exactly 41 bytes after the arguments: read as one block ...
    out.append(encode_draw_arrays(type_sizes, 5, 0, 4, [(0x3000, blk(41 - ptr_width - 4, 3))]))
    # ... and exactly 40 bytes: nothing is read.
    out.append(encode_draw_arrays(type_sizes, 0, 0, 1, [], trailer=bytes(40)))
    out.append(encode_draw_elements(type_sizes, data_, 4, 6, 0x1403, (0x4000, blk(12, 4)), 0x40,
                                    [(0x5000, blk(48, 5))], trailer=bytes(16)))
    # An empty index block at pointer 0 lists NULL.
    out.append(encode_draw_elements(type_sizes, data_, 1, 2, 0x1401, (0, b""), 0x80, []))
    return out
