"""OpenGL ES extension call records: every record layout, written independently of the C++ call
table so that the two can check each other. The item kinds and the encoder are those of es2.py and
es1.py; what is this family's own is the API selector after the GL error, the arrays recorded
whatever the data flag, and the multi-draw records, which describe nothing at all.
"""

from . import es2
from .es1 import PointerTwice, cx, x
from .es2 import Block, Ret, Scalar, arr, b, e, fixed, i, sz, u

SELECTOR, GLEIMAGE = 19, 29

E_U, E_I, E_X, E_E, E_P = u(""), i(""), x(""), e(""), Scalar("", 0, "ptr")


def always(name, elem): return Block(name, "array", elem, always=True)
def _objs(name, elem=E_U): return [sz("n"), arr(name, elem)]
def _fences(): return [sz("n"), always("fences", E_U)]
def _xv(*scalars): return [e(n) for n in scalars] + [arr("params", E_X)]
def _matrix(): return Block("m", "fixed", E_X, 4, 4)


# id: (function, category, items after the GL error and the API selector).
LAYOUTS = {
    4001: ("glDiscardFramebufferEXT", "Extension", [e("target"), sz("numAttachments"), arr("attachments", E_E)]),
    4002: ("glMultiDrawElementsEXT", "Extension", []),
    4003: ("glMultiDrawArraysEXT", "Extension", []),
    4004: ("glMapBufferOES", "Extension", [e("target"), e("access")]),
    4005: ("glUnmapBufferOES", "Extension", [e("target"), Block("data", "data", always=True)]),
    4006: ("glGetBufferPointervOES", "Extension", [e("target"), e("pname"), arr("params", E_P)]),
    4007: ("glBindVertexArrayOES", "Extension", [u("vertexarray")]),
    4008: ("glDeleteVertexArraysOES", "Extension", _objs("vertexarrays")),
    4009: ("glGenVertexArraysOES", "Extension", _objs("vertexarrays", E_E)),   # names printed as enums
    4010: ("glIsVertexArrayOES", "Extension", [Ret(b("")), u("vertexarray")]),
    4011: ("glCurrentPaletteMatrixOES", "Extension", [u("matrixpaletteindex")]),
    4012: ("glLoadPaletteFromModelViewMatrixOES", "Extension", []),
    4013: ("glMatrixIndexPointerOES", "Extension", [i("size"), e("type"), sz("stride"), PointerTwice()]),
    4014: ("glWeightPointerOES", "Extension", [i("size"), e("type"), sz("stride"), PointerTwice()]),
    4015: ("glIsRenderbufferOES", "Extension", [Ret(b("")), u("renderbuffer")]),
    4016: ("glBindRenderbufferOES", "Extension", [e("target"), u("renderbuffer")]),
    4017: ("glDeleteRenderbuffersOES", "Extension", _objs("renderbuffers")),
    4018: ("glGenRenderbuffersOES", "Extension", _objs("renderbuffers")),
    4019: ("glRenderbufferStorageOES", "Extension", [e("target"), e("internalformat"), sz("width"), sz("height")]),
    4020: ("glGetRenderbufferParameterivOES", "Extension", [e("target"), e("pname"), arr("params", E_I)]),
    4021: ("glIsFramebufferOES", "Extension", [Ret(b("")), u("framebuffer")]),
    4022: ("glBindFramebufferOES", "Extension", [e("target"), u("framebuffer")]),
    4023: ("glDeleteFramebuffersOES", "Extension", _objs("framebuffers")),
    4024: ("glGenFramebuffersOES", "Extension", _objs("framebuffers")),
    4025: ("glCheckFramebufferStatusOES", "Extension", [Ret(e("")), e("target")]),
    4026: ("glFramebufferTexture2DOES", "Extension",
           [e("target"), e("attachment"), e("textarget"), u("texture"), i("level")]),
    4027: ("glFramebufferRenderbufferOES", "Extension",
           [e("target"), e("attachment"), e("renderbuffertarget"), u("renderbuffer")]),
    4028: ("glGetFramebufferAttachmentParameterivOES", "Extension",
           [e("target"), e("attachment"), e("pname"), arr("params", E_I)]),
    4029: ("glGenerateMipmapOES", "Extension", [e("target")]),
    4030: ("glTexBindStreamWZQ", "Extension", [i("device"), i("deviceoffset")]),
    4031: ("glGetTexStreamDeviceAttributeivWZQ", "Extension", [i("device"), e("pname"), always("params", E_I)]),
    4032: ("glGetTexStreamDeviceNameWZQ", "Extension", [Ret(Block("", "string", always=True)), i("device")]),
    4033: ("glDeleteFencesNV", "Extension", _fences()),
    4034: ("glFinishFenceNV", "Extension", [u("fence")]),
    4035: ("glGenFencesNV", "Extension", _fences()),
    4036: ("glGetFenceivNV", "Extension", [u("fence"), e("name"), always("params", E_I)]),
    4037: ("glIsFenceNV", "Extension", [Ret(b("")), u("fence")]),
    4038: ("glSetFenceNV", "Extension", [u("fence"), e("condition")]),
    4039: ("glTestFenceNV", "Extension", [Ret(b("")), u("fence")]),
    4040: ("glEGLImageTargetRenderbufferStorageOES", "Extension", [e("target"), Scalar("image", GLEIMAGE, "uint")]),
    4041: ("glEGLImageTargetTexture2DOES", "Extension", [e("target"), Scalar("image", GLEIMAGE, "uint")]),
    4042: ("glAlphaFuncxOES", "Rasterizer", [e("func"), cx("ref")]),
    4043: ("glClearColorxOES", "Rasterizer", [cx("red"), cx("green"), cx("blue"), cx("alpha")]),
    4044: ("glClearDepthxOES", "Rasterizer", [cx("depth")]),
    4045: ("glClipPlanexOES", "Rasterizer", [e("plane"), fixed("equation", E_X, 4, always=True)]),
    4046: ("glColor4xOES", "Vertex Attributes", [x("red"), x("green"), x("blue"), x("alpha")]),
    4047: ("glDepthRangexOES", "Rasterizer", [cx("zNear"), cx("zFar")]),
    4048: ("glFogxOES", "Rasterizer", [e("pname"), x("param")]),
    4049: ("glFogxvOES", "Rasterizer", _xv("pname")),
    4050: ("glFrustumxOES", "Matrix", [x("left"), x("right"), x("bottom"), x("top"), x("zNear"), x("zFar")]),
    4051: ("glGetClipPlanexOES", "Getters", [e("pname"), arr("eqn", E_X, 4)]),
    4052: ("glGetFixedvOES", "Getters", _xv("pname")),
    4053: ("glGetLightxvOES", "Getters", _xv("light", "pname")),
    4054: ("glGetMaterialxvOES", "Getters", _xv("face", "pname")),
    4055: ("glGetTexEnvxvOES", "Getters", _xv("env", "pname")),
    4056: ("glGetTexParameterxvOES", "Getters", _xv("target", "pname")),
    4057: ("glLightModelxOES", "Lighting", [e("pname"), x("param")]),
    4058: ("glLightModelxvOES", "Lighting", _xv("pname")),
    4059: ("glLightxOES", "Lighting", [e("light"), e("pname"), x("param")]),
    4060: ("glLightxvOES", "Lighting", _xv("light", "pname")),
    4061: ("glLineWidthxOES", "Other", [x("width")]),
    4062: ("glLoadMatrixxOES", "Matrix", [_matrix()]),
    4063: ("glMaterialxOES", "Material", [e("face"), e("pname"), x("param")]),
    4064: ("glMaterialxvOES", "Material", _xv("face", "pname")),
    4065: ("glMultMatrixxOES", "Matrix", [_matrix()]),
    4066: ("glMultiTexCoord4xOES", "Vertex Attributes", [e("target"), x("s"), x("t"), x("r"), x("q")]),
    4067: ("glNormal3xOES", "Vertex Attributes", [x("nx"), x("ny"), x("nz")]),
    4068: ("glOrthoxOES", "Matrix", [x("left"), x("right"), x("bottom"), x("top"), x("zNear"), x("zFar")]),
    4069: ("glPointParameterxOES", "Rasterizer", [e("pname"), x("param")]),
    4070: ("glPointParameterxvOES", "Rasterizer", _xv("pname")),
    4071: ("glPointSizexOES", "Rasterizer", [x("size")]),
    4072: ("glPolygonOffsetxOES", "Rasterizer", [x("factor"), x("units")]),
    4073: ("glRotatexOES", "Matrix", [x("angle"), x("x"), x("y"), x("z")]),
    4074: ("glSampleCoveragexOES", "Rasterizer", [cx("value"), b("invert")]),
    4075: ("glScalexOES", "Matrix", [x("x"), x("y"), x("z")]),
    4076: ("glTexEnvxOES", "Texture", [e("target"), e("pname"), x("param")]),
    4077: ("glTexEnvxvOES", "Texture", _xv("target", "pname")),
    4078: ("glTexParameterxOES", "Texture", [e("target"), e("pname"), x("param")]),
    4079: ("glTexParameterxvOES", "Texture", _xv("target", "pname")),
    4080: ("glTranslatexOES", "Matrix", [x("x"), x("y"), x("z")]),
    4089: ("glRenderbufferStorageMultisampleWZQ", "RenderToTextureMult",
           [e("target"), sz("samples"), e("internalformat"), sz("width"), sz("height")]),
    4090: ("glFramebufferTexture2DMultisampleWZQ", "RenderToTextureMult",
           [e("target"), e("attachment"), e("textarget"), u("texture"), i("level"), sz("samples")]),
}

NAMES = {k: v[0] for k, v in LAYOUTS.items()}
CATEGORIES = {k: v[1] for k, v in LAYOUTS.items()}
LISTS_NOTHING = (4002, 4003)
FROM_VERSION_8 = (4080, 4089, 4090)
EGL_IMAGE = (4040, 4041)        # type 29: not in a version-7 type-size table
API = {1: "ES1", 2: "ES2"}      # any other selector lists "EGL"


class _Selector:
    """The API selector after the GL error: read by every record, listed as its API tag."""

    name = "selector"

    def encode(self, w, v, data):
        w.sized(SELECTOR, v)

    def listings(self, v, data, w):
        return []


_WITH_SELECTOR = {rid: (fn, cat, [_Selector()] + items) for rid, (fn, cat, items) in LAYOUTS.items()}


def encode_call(rid, values, type_sizes, data, selector=2, error=0):
    """One record; values as sample_values gives them (without the selector). The multi-draw
    records list nothing at all."""
    r = es2.encode_call(rid, [selector] + list(values), type_sizes, data, error, _WITH_SELECTOR)
    if rid in LISTS_NOTHING:
        r.listing = (None, [])
    return r


def sample_values(rid, seed):
    return es2.sample_values(rid, seed, LAYOUTS)


def api_tag(selector):
    return API.get(selector, "EGL")
