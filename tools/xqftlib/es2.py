"""OpenGL ES 2.0 call records: every record layout, written independently of the C++ call table so
that the two can check each other.

A layout is the list of items that follow the recorded GL error, in reading order (also listing
order). Each item knows how to encode a value in both data-included modes, how many payload bytes
that takes, and the text the viewer shows for it, so a generated trace can carry its own expected
listing.
"""

import struct

from . import encodings as enc
from . import trace

# Type codes of the type-size table.
PTR, GLENUM, GLBOOLEAN, GLBITFIELD, GLINT, GLSIZEI, GLUINT, GLFLOAT, GLCLAMPF, GLINTPTR, GLSIZEIPTR = (
    0, 12, 13, 14, 17, 18, 21, 22, 23, 25, 26)


class Writer:
    """Payload bytes with the widths of one type-size table."""

    def __init__(self, type_sizes):
        self.type_sizes = type_sizes
        self.out = bytearray()

    def width(self, code):
        return trace.type_width(self.type_sizes, code)

    def sized(self, code, value):
        self.out += trace.sized(self.type_sizes, code, value)

    def f32(self, value):
        self.out += enc.float32(value)

    def u32(self, value):
        self.out += enc.u32(value)

    def raw(self, data):
        self.out += data


# ---- scalar texts -------------------------------------------------------------------------------

_BLEND = {0: "GL_ZERO", 1: "GL_ONE", 0x300: "GL_SRC_COLOR", 0x301: "GL_ONE_MINUS_SRC_COLOR",
          0x302: "GL_SRC_ALPHA", 0x303: "GL_ONE_MINUS_SRC_ALPHA", 0x304: "GL_DST_ALPHA",
          0x305: "GL_ONE_MINUS_DST_ALPHA", 0x306: "GL_DST_COLOR", 0x307: "GL_ONE_MINUS_DST_COLOR",
          0x308: "GL_SRC_ALPHA_SATURATE"}
_MODES = ["GL_POINTS", "GL_LINES", "GL_LINE_LOOP", "GL_LINE_STRIP", "GL_TRIANGLES",
          "GL_TRIANGLE_STRIP", "GL_TRIANGLE_FAN"]
_ERRORS = {0: "GL_NO_ERROR", 0x500: "GL_INVALID_ENUM", 0x501: "GL_INVALID_VALUE",
           0x502: "GL_INVALID_OPERATION", 0x503: "GL_STACK_OVERFLOW", 0x504: "GL_STACK_UNDERFLOW",
           0x505: "GL_OUT_OF_MEMORY"}
# The few GL enum names the generated traces use; other enum values are chosen without a name.
_ENUMS = {0x0DE1: "GL_TEXTURE_2D", 0x2601: "GL_LINEAR", 0x1F00: "GL_VENDOR", 0x8B31: "GL_VERTEX_SHADER",
          0x8892: "GL_ARRAY_BUFFER", 0x88E4: "GL_STATIC_DRAW", 0x1403: "GL_UNSIGNED_SHORT",
          0x1406: "GL_FLOAT", 0x1908: "GL_RGBA", 0x1401: "GL_UNSIGNED_BYTE", 0x84C0: "GL_TEXTURE0"}


def _ftext(v):
    return "%f" % struct.unpack("<f", struct.pack("<f", v))[0]


def _sgn32(v):
    v &= 0xFFFFFFFF
    return v - (1 << 32) if v & 0x80000000 else v


class Scalar:
    """A scalar of one type code. kind selects the text: uint, int, float, fixed (16.16), enum, blend,
    mode, bool, bits, error, ptr."""

    def __init__(self, name, code, kind):
        self.name, self.code, self.kind = name, code, kind

    def encode(self, w, v, data):
        if self.kind == "float":
            w.f32(v)
        else:
            w.sized(self.code, v)

    def text(self, v, data, w):
        k = self.kind
        if k == "float":
            return _ftext(v)
        # Only the low 32 bits of a wider scalar are kept.
        v32 = v & 0xFFFFFFFF
        if self.code != PTR and w.width(self.code) < 4:
            v32 &= (1 << (8 * w.width(self.code))) - 1
        if k == "uint":
            return "%u" % v32
        if k == "fixed":
            return _ftext(_sgn32(v32) / 65536.0)
        if k == "int":
            return "%d" % (_sgn32(v32) if w.width(self.code) >= 4 else v32)
        if k == "ptr":
            return "NULL" if v == 0 else "0x%x" % (v & ((1 << (8 * w.width(PTR))) - 1))
        if k == "enum":
            return _ENUMS.get(v32, "GL_NONE" if v32 == 0 else "%u" % v32)
        if k == "blend":
            return _BLEND.get(v32, "%d" % _sgn32(v32))
        if k == "mode":
            return _MODES[v32] if v32 < len(_MODES) else "%d" % _sgn32(v32)
        if k == "bool":
            return {0: "GL_FALSE", 1: "GL_TRUE"}.get(v32, "%u" % v32)
        if k == "error":
            return _ERRORS.get(v32, "%d" % _sgn32(v32))
        if k == "bits":
            names, rest = [], v32
            for bit, nm in ((0x100, "GL_DEPTH_BUFFER_BIT"), (0x400, "GL_STENCIL_BUFFER_BIT"),
                            (0x4000, "GL_COLOR_BUFFER_BIT")):
                if rest & bit:
                    names.append(nm)
                    rest &= ~bit
            if v32 == 0:
                return "0"
            if rest:
                return ("%s | %#X" % (" | ".join(names), rest)) if names else "%#X" % rest
            return " | ".join(names)
        raise ValueError(k)

    def size(self, w, v, data):
        return 4 if self.kind == "float" else w.width(self.code)


def u(name): return Scalar(name, GLUINT, "uint")
def i(name): return Scalar(name, GLINT, "int")
def sz(name): return Scalar(name, GLSIZEI, "int")
def e(name): return Scalar(name, GLENUM, "enum")
def b(name): return Scalar(name, GLBOOLEAN, "bool")
def f(name): return Scalar(name, GLFLOAT, "float")
def cf(name): return Scalar(name, GLCLAMPF, "float")
def bf(name): return Scalar(name, GLENUM, "blend")
def ptr(name): return Scalar(name, PTR, "ptr")


# ---- blocks -------------------------------------------------------------------------------------

def _list_text(parts):
    """The list family's cut at 35 characters."""
    text = "{ "
    for n, p in enumerate(parts):
        if len(text) + len(p) > 35:
            text += p[:max(0, 35 - len(text))] + "... }"
            return text
        text += p + (", " if n < len(parts) - 1 else " }")
    return text


class Block:
    """A pointer argument that carries memory when the trace has data.

    form: data (SDataPtr), image (SImage2D), string (SString), array (SArrayPtr<elem, a, b>) or
    fixed (SPtr<elem, a, 1>). always: the block is read whatever the data flag. A value is
    (pointer, payload) where payload is bytes, text or a list of element values."""

    def __init__(self, name, form, elem=None, a=1, bb=1, always=False, name_without=None):
        self.name, self.form, self.elem, self.a, self.b = name, form, elem, a, bb
        self.always = always
        self.name_without = name_without or name

    def listed_name(self, data):
        return self.name if (data or self.always) else self.name_without

    def carries(self, data):
        return data or self.always

    def encode(self, w, v, data):
        p, payload = v
        ts = w.type_sizes
        if not self.carries(data):
            w.raw(enc.pointer(ts, p))
        elif self.form in ("data", "image"):
            w.raw(enc.data_block(ts, p, payload))
        elif self.form == "string":
            w.raw(enc.string(ts, p, payload))
        elif self.form == "array":
            w.raw(enc.counted_array(ts, p, payload, lambda x: self._element(w, x, data),
                                    len(payload) // (self.a * self.b)))
        elif self.form == "fixed":
            w.raw(enc.fixed_array(ts, p, payload, lambda x: self._element(w, x, data)))

    def _element(self, w, x, data):
        tmp = Writer(w.type_sizes)
        self.elem.encode(tmp, x, data)
        return bytes(tmp.out)

    def captured(self, w, v, data):
        """Bytes of recorded memory this value carries (what a reader keeps beyond the holders)."""
        p, payload = v
        if not self.carries(data) or (not p and self.form not in ("data", "image")):
            return 0
        if self.form in ("data", "image"):
            return len(payload)
        if self.form == "string":
            return len(payload)
        if not isinstance(payload, list):
            return 0
        if isinstance(self.elem, StringElem):
            return sum(len(x[1]) for x in payload if x[0])
        return sum(self.elem.size(w, x, data) for x in payload)

    def size(self, w, v, data):
        tmp = Writer(w.type_sizes)
        self.encode(tmp, v, data)
        return len(tmp.out)

    def text(self, v, data, w):
        p, payload = v
        ptext = Scalar("", PTR, "ptr").text(p, data, w)
        if not self.carries(data):
            return ptext
        fm = self.form
        if fm == "data":
            return "NULL" if p == 0 else (ptext if not payload else "~Data(%u bytes)~" % len(payload))
        if fm == "image":
            return "NULL" if p == 0 else (ptext if not payload else "~Image(%u bytes)~" % len(payload))
        if fm == "string":
            if p == 0:
                return "NULL"
            s = payload.replace("\t", "  ")
            t = '"%s"' % s if len(payload) < 26 else '"%s..."' % s[:24]
            return t.replace("\n", "\\n")
        if fm == "array":
            if p == 0:
                return "NULL"
            if not isinstance(payload, list) or not payload:
                return "0x%x" % p
            et = [self.elem.text(x, data, w) for x in payload]
            n = self.a * self.b
            if n == 1:
                return _list_text(et)
            entries = []
            for k in range(0, len(et), n):
                g = et[k:k + n]
                if self.b == 1:
                    entries.append("[ " + "; ".join(g) + " ]")
                else:
                    rows = [", ".join(g[r * self.a:(r + 1) * self.a]) for r in range(self.b)]
                    entries.append("[ " + "; ".join(rows) + " ]")
            return _list_text(entries)
        if fm == "fixed":
            if p == 0:
                return "NULL"
            et = [self.elem.text(x, data, w) for x in payload]
            if len(et) == 1:
                return et[0]
            if self.b == 1:
                return "[ " + "; ".join(et) + " ]"
            return "[ " + "; ".join(", ".join(et[r * self.b:(r + 1) * self.b]) for r in range(self.a)) + " ]"
        raise ValueError(fm)


class StringElem:
    """An SString element of an array (glShaderSource)."""

    def encode(self, w, v, data):
        w.raw(enc.string(w.type_sizes, v[0], v[1]))

    def text(self, v, data, w):
        return Block("", "string").text(v, True, w)


def data(name): return Block(name, "data")
def image(name): return Block(name, "image")
def string(name): return Block(name, "string")
def arr(name, elem, a=1, bb=1): return Block(name, "array", elem, a, bb)
def fixed(name, elem, n, rows=1, always=False): return Block(name, "fixed", elem, n, rows, always=always)


class Ret:
    def __init__(self, item):
        self.item = item
        self.name = "return"


class Extra:
    """A value after the arguments: listed only in the verbose listing (hidden) or never."""

    def __init__(self, item, verbose_listed):
        self.item, self.verbose_listed = item, verbose_listed
        self.name = item.name


E_U, E_I, E_SZ, E_F, E_E, E_B, E_P = (u(""), i(""), sz(""), f(""), e(""), b(""), ptr(""))


def _objs(name): return [sz("n"), arr(name, E_U)]


# ---- the table ----------------------------------------------------------------------------------
# id: (function, category, items after the GL error). Draw calls (2041, 2042) are described apart.
LAYOUTS = {
    2001: ("glActiveTexture", "Texture", [e("texture")]),
    2002: ("glAttachShader", "Shader", [u("program"), u("shader")]),
    2003: ("glBindAttribLocation", "Vertex Attributes",
           [u("program"), u("index"), Block("name", "string", always=True)]),
    2004: ("glBindBuffer", "Buffers", [e("target"), u("buffer")]),
    2005: ("glBindFramebuffer", "Buffers", [e("target"), u("framebuffer")]),
    2006: ("glBindRenderbuffer", "Buffers", [e("target"), u("renderbuffer")]),
    2007: ("glBindTexture", "Texture", [e("target"), u("texture")]),
    2008: ("glBlendColor", "Rasterizer", [cf("red"), cf("green"), cf("blue"), cf("alpha")]),
    2009: ("glBlendEquation", "Rasterizer", [e("mode")]),
    2010: ("glBlendEquationSeparate", "Rasterizer", [e("modeRGB"), e("modeAlpha")]),
    2011: ("glBlendFunc", "Rasterizer", [bf("sfactor"), bf("dfactor")]),
    2012: ("glBlendFuncSeparate", "Rasterizer", [bf("srcRGB"), bf("dstRGB"), bf("srcAlpha"), bf("dstAlpha")]),
    2013: ("glBufferData", "Buffers",
           [e("target"), Scalar("size", GLSIZEIPTR, "int"), data("data"), e("usage")]),
    2014: ("glBufferSubData", "Buffers",
           [e("target"), Scalar("offset", GLINTPTR, "int"), Scalar("size", GLSIZEIPTR, "int"), data("data")]),
    2015: ("glCheckFramebufferStatus", "Buffers", [Ret(e("")), e("target")]),
    2016: ("glClear", "Rasterizer", [Scalar("mask", GLBITFIELD, "bits")]),
    2017: ("glClearColor", "Rasterizer", [cf("red"), cf("green"), cf("blue"), cf("alpha")]),
    2018: ("glClearDepthf", "Rasterizer", [cf("depth")]),
    2019: ("glClearStencil", "Rasterizer", [i("s")]),
    2020: ("glColorMask", "Rasterizer", [b("red"), b("green"), b("blue"), b("alpha")]),
    2021: ("glCompileShader", "Shader", [u("shader")]),
    2022: ("glCompressedTexImage2D", "Texture",
           [e("target"), i("level"), e("internalformat"), sz("width"), sz("height"), i("border"),
            sz("imageSize"), Block("pixels ", "image", name_without="data")]),
    2023: ("glCompressedTexSubImage2D", "Texture",
           [e("target"), i("level"), i("xoffset"), i("yoffset"), sz("width"), sz("height"), e("format"),
            sz("imageSize"), image("data")]),
    2024: ("glCopyTexImage2D", "Texture",
           [e("target"), i("level"), e("internalformat"), i("x"), i("y"), sz("width"), sz("height"), i("border")]),
    2025: ("glCopyTexSubImage2D", "Texture",
           [e("target"), i("level"), i("xoffset"), i("yoffset"), i("x"), i("y"), sz("width"), sz("height")]),
    2026: ("glCreateProgram", "Shader", [Ret(u(""))]),
    2027: ("glCreateShader", "Shader", [Ret(u("")), e("type")]),
    2028: ("glCullFace", "Rasterizer", [e("mode")]),
    2029: ("glDeleteBuffers", "Buffers", _objs("buffers")),
    2030: ("glDeleteFramebuffers", "Buffers", _objs("framebuffers")),
    2031: ("glDeleteTextures", "Texture", _objs("textures")),
    2032: ("glDeleteProgram", "Shader", [u("program")]),
    2033: ("glDeleteRenderbuffers", "Buffers", _objs("renderbuffers")),
    2034: ("glDeleteShader", "Shader", [u("shader")]),
    2035: ("glDetachShader", "Shader", [u("program"), u("shader")]),
    2036: ("glDepthFunc", "Rasterizer", [e("func")]),
    2037: ("glDepthMask", "Rasterizer", [b("flag")]),
    2038: ("glDepthRangef", "Rasterizer", [cf("zNear"), cf("zFar")]),
    2039: ("glDisable", "Other", [e("cap")]),
    2040: ("glDisableVertexAttribArray", "Vertex Attributes", [u("index")]),
    2043: ("glEnable", "Other", [e("cap")]),
    2044: ("glEnableVertexAttribArray", "Vertex Attributes", [u("index")]),
    2045: ("glFinish", "Other", []),
    2046: ("glFlush", "Other", []),
    2047: ("glFramebufferRenderbuffer", "Buffers",
           [e("target"), e("attachment"), e("renderbuffertarget"), u("renderbuffer")]),
    2048: ("glFramebufferTexture2D", "Texture",
           [e("target"), e("attachment"), e("textarget"), u("texture"), i("level")]),
    2049: ("glFrontFace", "Rasterizer", [e("mode")]),
    2050: ("glGenBuffers", "Buffers", _objs("buffers")),
    2051: ("glGenerateMipmap", "Texture", [e("target")]),
    2052: ("glGenFramebuffers", "Buffers", _objs("framebuffers")),
    2053: ("glGenRenderbuffers", "Buffers", _objs("renderbuffers")),
    2054: ("glGenTextures", "Texture", _objs("textures")),
    2055: ("glGetActiveAttrib", "Getters",
           [u("program"), u("index"), sz("bufsize"), arr("length", E_SZ), arr("size", E_I), arr("type", E_E),
            string("name")]),
    2056: ("glGetActiveUniform", "Getters",
           [u("program"), u("index"), sz("bufsize"), arr("length", E_SZ), arr("size", E_I), arr("type", E_E),
            string("name")]),
    2057: ("glGetAttachedShaders", "Getters",
           [u("program"), sz("maxcount"), arr("count", E_SZ), arr("shaders", E_U)]),
    2058: ("glGetAttribLocation", "Getters", [Ret(i("")), u("program"), string("name")]),
    2059: ("glGetBooleanv", "Getters", [e("pname"), arr("params", E_B)]),
    2060: ("glGetBufferParameteriv", "Getters", [e("target"), e("pname"), arr("params", E_I)]),
    2061: ("glGetError", "Getters", [Ret(Scalar("", GLENUM, "error"))]),
    2062: ("glGetFloatv", "Getters", [e("pname"), arr("params", E_F)]),
    2063: ("glGetFramebufferAttachmentParameteriv", "Getters",
           [e("target"), e("attachment"), e("pname"), arr("params", E_I)]),
    2064: ("glGetIntegerv", "Getters", [e("pname"), arr("params", E_I)]),
    2065: ("glGetProgramiv", "Getters", [u("program"), e("pname"), arr("params", E_I)]),
    2066: ("glGetProgramInfoLog", "Getters", [u("program"), sz("bufsize"), arr("length", E_SZ), string("infolog")]),
    2067: ("glGetRenderbufferParameteriv", "Getters", [e("target"), e("pname"), arr("params", E_I)]),
    2068: ("glGetShaderiv", "Getters", [u("shader"), e("pname"), arr("params", E_I)]),
    2069: ("glGetShaderInfoLog", "Getters", [u("shader"), sz("bufsize"), arr("length", E_SZ), string("infolog")]),
    2070: ("glGetShaderPrecisionFormat", "Getters",
           [e("shadertype"), e("precisiontype"), arr("range", E_I), arr("precision", E_I)]),
    2071: ("glGetShaderSource", "Getters", [u("shader"), sz("bufsize"), arr("length", E_SZ), string("source")]),
    2072: ("glGetString", "Getters", [Ret(Block("", "string", always=True)), e("name")]),
    2073: ("glGetTexParameterfv", "Getters", [e("target"), e("pname"), arr("params", E_F)]),
    2074: ("glGetTexParameteriv", "Getters", [e("target"), e("pname"), arr("params", E_I)]),
    2075: ("glGetUniformfv", "Getters", [u("program"), i("location"), arr("params", E_F)]),
    2076: ("glGetUniformiv", "Getters", [u("program"), i("location"), arr("params", E_I)]),
    2077: ("glGetUniformLocation", "Getters", [Ret(i("")), u("program"), string("name")]),
    2078: ("glGetVertexAttribfv", "Getters", [u("index"), e("pname"), arr("params", E_F)]),
    2079: ("glGetVertexAttribiv", "Getters", [u("index"), e("pname"), arr("params", E_I)]),
    2080: ("glGetVertexAttribPointerv", "Getters", [u("index"), e("pname"), arr("pointer", E_P)]),
    2081: ("glHint", "Other", [e("target"), e("mode")]),
    2082: ("glIsBuffer", "Getters", [Ret(b("")), u("buffer")]),
    2083: ("glIsEnabled", "Getters", [Ret(b("")), e("cap")]),
    2084: ("glIsFramebuffer", "Getters", [Ret(b("")), u("framebuffer")]),
    2085: ("glIsProgram", "Getters", [Ret(b("")), u("program")]),
    2086: ("glIsRenderbuffer", "Getters", [Ret(b("")), u("renderbuffer")]),
    2087: ("glIsShader", "Getters", [Ret(b("")), u("shader")]),
    2088: ("glIsTexture", "Getters", [Ret(b("")), u("texture")]),
    2089: ("glLineWidth", "Other", [f("width")]),
    2090: ("glLinkProgram", "Shader", [u("program")]),
    2091: ("glPixelStorei", "Rasterizer", [e("pname"), i("param")]),
    2092: ("glPolygonOffset", "Rasterizer", [f("factor"), f("units")]),
    2093: ("glReadPixels", "Rasterizer",
           [i("x"), i("y"), sz("width"), sz("height"), e("format"), e("type"), image("pixels"),
            Extra(i("alignment"), False)]),
    2094: ("glReleaseShaderCompiler", "Shader", []),
    2095: ("glRenderbufferStorage", "Buffers", [e("target"), e("internalformat"), sz("width"), sz("height")]),
    2096: ("glSampleCoverage", "Rasterizer", [cf("value"), b("invert")]),
    2097: ("glScissor", "Rasterizer", [i("x"), i("y"), sz("width"), sz("height")]),
    2098: ("glShaderBinary", "Shader",
           [sz("count"), arr("shaders", E_U), e("binaryformat"), data("binary"), sz("length")]),
    2099: ("glShaderSource", "Shader", [u("shader"), sz("count"), arr("string", StringElem()), arr("length", E_I)]),
    2100: ("glStencilFunc", "Rasterizer", [e("func"), i("ref"), u("mask")]),
    2101: ("glStencilFuncSeparate", "Rasterizer", [e("face"), e("func"), i("ref"), u("mask")]),
    2102: ("glStencilMask", "Rasterizer", [u("mask")]),
    2103: ("glStencilMaskSeparate", "Rasterizer", [e("face"), u("mask")]),
    2104: ("glStencilOp", "Rasterizer", [e("fail"), e("zfail"), e("zpass")]),
    2105: ("glStencilOpSeparate", "Rasterizer", [e("face"), e("fail"), e("zfail"), e("zpass")]),
    2106: ("glTexImage2D", "Texture",
           [e("target"), i("level"), e("internalformat"), sz("width"), sz("height"), i("border"), e("format"),
            e("type"), image("pixels"), Extra(i("alignment"), True)]),
    2107: ("glTexParameterf", "Texture", [e("target"), e("pname"), f("param")]),
    2108: ("glTexParameterfv", "Texture", [e("target"), e("pname"), arr("params", E_F)]),
    2109: ("glTexParameteri", "Texture", [e("target"), e("pname"), e("param")]),
    2110: ("glTexParameteriv", "Texture", [e("target"), e("pname"), arr("params", E_E)]),
    2111: ("glTexSubImage2D", "Texture",
           [e("target"), i("level"), i("xoffset"), i("yoffset"), sz("width"), sz("height"), e("format"),
            e("type"), image("pixels"), Extra(i("alignment"), False)]),
    2112: ("glUniform1f", "Uniforms", [i("location"), f("x")]),
    2113: ("glUniform1fv", "Uniforms", [i("location"), sz("count"), arr("v", E_F)]),
    2114: ("glUniform1i", "Uniforms", [i("location"), i("x")]),
    2115: ("glUniform1iv", "Uniforms", [i("location"), sz("count"), arr("v", E_I)]),
    2116: ("glUniform2f", "Uniforms", [i("location"), f("x"), f("y")]),
    2117: ("glUniform2fv", "Uniforms", [i("location"), sz("count"), arr("v", E_F, 2)]),
    2118: ("glUniform2i", "Uniforms", [i("location"), i("x"), i("y")]),
    2119: ("glUniform2iv", "Uniforms", [i("location"), sz("count"), arr("v", E_I, 2)]),
    2120: ("glUniform3f", "Uniforms", [i("location"), f("x"), f("y"), f("z")]),
    2121: ("glUniform3fv", "Uniforms", [i("location"), sz("count"), arr("v", E_F, 3)]),
    2122: ("glUniform3i", "Uniforms", [i("location"), i("x"), i("y"), i("z")]),
    2123: ("glUniform3iv", "Uniforms", [i("location"), sz("count"), arr("v", E_I, 3)]),
    2124: ("glUniform4f", "Uniforms", [i("location"), f("x"), f("y"), f("z"), f("w")]),
    2125: ("glUniform4fv", "Uniforms", [i("location"), sz("count"), arr("v", E_F, 4)]),
    2126: ("glUniform4i", "Uniforms", [i("location"), i("x"), i("y"), i("z"), i("w")]),
    2127: ("glUniform4iv", "Uniforms", [i("location"), sz("count"), arr("v", E_I, 4)]),
    2128: ("glUniformMatrix2fv", "Uniforms", [i("location"), sz("count"), b("transpose"), arr("value", E_F, 2, 2)]),
    2129: ("glUniformMatrix3fv", "Uniforms", [i("location"), sz("count"), b("transpose"), arr("value", E_F, 3, 3)]),
    2130: ("glUniformMatrix4fv", "Uniforms", [i("location"), sz("count"), b("transpose"), arr("value", E_F, 4, 4)]),
    2131: ("glUseProgram", "Shader", [u("program")]),
    2132: ("glValidateProgram", "Shader", [u("program")]),
    2133: ("glVertexAttrib1f", "Vertex Attributes", [u("index"), f("x")]),
    2134: ("glVertexAttrib1fv", "Vertex Attributes", [u("index"), fixed("values", E_F, 1)]),
    2135: ("glVertexAttrib2f", "Vertex Attributes", [u("index"), f("x"), f("y")]),
    2136: ("glVertexAttrib2fv", "Vertex Attributes", [u("index"), fixed("values", E_F, 2)]),
    2137: ("glVertexAttrib3f", "Vertex Attributes", [u("index"), f("x"), f("y"), f("z")]),
    2138: ("glVertexAttrib3fv", "Vertex Attributes", [u("index"), fixed("values", E_F, 3)]),
    2139: ("glVertexAttrib4f", "Vertex Attributes", [u("index"), f("x"), f("y"), f("z"), f("w")]),
    2140: ("glVertexAttrib4fv", "Vertex Attributes", [u("index"), fixed("values", E_F, 4)]),
    2141: ("glVertexAttribPointer", "Vertex Attributes",
           [u("index"), i("size"), e("type"), b("normalized"), sz("stride"), ptr("ptr")]),
    2142: ("glViewport", "Rasterizer", [i("x"), i("y"), sz("width"), sz("height")]),
}

DRAW_ARRAYS, DRAW_ELEMENTS = 2041, 2042
NAMES = {k: v[0] for k, v in LAYOUTS.items()}
NAMES[DRAW_ARRAYS], NAMES[DRAW_ELEMENTS] = "glDrawArrays", "glDrawElements"


# ---- records ------------------------------------------------------------------------------------

class Record:
    """One encoded call record: payload bytes and what the viewer should list for it.

    listing: (return text or None, [(name, text, hidden)]) for the verbose listing;
    consumed: payload bytes a reader takes (all of them except documented draw-call trailers)."""

    def __init__(self, rid, payload, listing, consumed, captured=0):
        self.id, self.payload, self.listing, self.consumed = rid, payload, listing, consumed
        self.captured = captured


def encode_call(rid, values, type_sizes, data, error=0, layouts=None):
    """Encode a table record. values: one value per item (Ret and Extra included), in order. An
    item with a listings(value, data, writer) method lists itself (as [(name, text, hidden)])."""
    fn, _cat, items = (layouts or LAYOUTS)[rid]
    w = Writer(type_sizes)
    w.sized(GLENUM, error)
    ret, args, captured = None, [], 0
    for item, v in zip(items, values, strict=True):
        inner = item.item if isinstance(item, (Ret, Extra)) else item
        if isinstance(inner, Block):
            captured += inner.captured(w, v, data)
        if isinstance(item, Ret):
            item.item.encode(w, v, data)
            ret = item.item.text(v, data, w)
        elif isinstance(item, Extra):
            item.item.encode(w, v, data)
            if item.verbose_listed:
                args.append((item.name, item.item.text(v, data, w), True))
        elif hasattr(item, "listings"):
            item.encode(w, v, data)
            args += item.listings(v, data, w)
        else:
            item.encode(w, v, data)
            nm = item.listed_name(data) if isinstance(item, Block) else item.name
            args.append((nm, item.text(v, data, w), False))
    return Record(rid, bytes(w.out), (ret, args), len(w.out), captured)


def encode_draw_arrays(type_sizes, mode, first, count, blocks, trailer=b"", error=0):
    """glDrawArrays: mode, first, count, then captured blocks (pointer, u32 size, bytes), read
    while more than 40 bytes remain; trailer bytes after the blocks are never read."""
    w = Writer(type_sizes)
    w.sized(GLENUM, error)
    w.sized(GLENUM, mode)
    w.sized(GLINT, first)
    w.sized(GLSIZEI, count)
    for p, payload in blocks:
        w.sized(PTR, p)
        w.u32(len(payload))
        w.raw(payload)
    consumed = len(w.out)
    w.raw(trailer)
    args = [("mode", Scalar("", GLENUM, "mode").text(mode, 1, w), False),
            ("first", "%d" % _sgn32(first), False), ("count", "%d" % _sgn32(count), False)]
    return Record(DRAW_ARRAYS, bytes(w.out), (None, args), consumed, sum(len(b) for _, b in blocks))


def encode_draw_elements(type_sizes, data, mode, count, gltype, indices, offset, blocks,
                         trailer=b"", error=0):
    """glDrawElements from format version 7: with data the index block and the second pointer
    value (indicesOffset), without data the index pointer; then captured blocks read while more
    than 8 bytes remain. indices = (pointer, bytes)."""
    w = Writer(type_sizes)
    w.sized(GLENUM, error)
    w.sized(GLENUM, mode)
    w.sized(GLSIZEI, count)
    w.sized(GLENUM, gltype)
    if data:
        w.sized(PTR, indices[0])
        w.u32(len(indices[1]))
        w.raw(indices[1])
        w.sized(PTR, offset)
    else:
        w.sized(PTR, indices[0])
    for p, payload in blocks:
        w.sized(PTR, p)
        w.u32(len(payload))
        w.raw(payload)
    consumed = len(w.out)
    w.raw(trailer)
    ptext = lambda p: Scalar("", PTR, "ptr").text(p, data, w)
    args = [("mode", Scalar("", GLENUM, "mode").text(mode, 1, w), False),
            ("count", "%d" % _sgn32(count), False), ("type", Scalar("", GLENUM, "enum").text(gltype, 1, w), False)]
    if data:
        if indices[1]:
            args.append(("indices", "NULL" if indices[0] == 0 else "~Data(%u bytes)~" % len(indices[1]), False))
        else:
            args.append(("indices", ptext(offset), False))
        args.append(("indicesOffset", ptext(offset), True))
    else:
        args.append(("indices", ptext(indices[0]), False))
    return Record(DRAW_ELEMENTS, bytes(w.out), (None, args), consumed)


# ---- sample values ------------------------------------------------------------------------------

class Sampler:
    """Distinct, printable values for every item of a record."""

    def __init__(self, seed):
        self.n = seed

    def next(self):
        self.n += 1
        return self.n

    def value(self, item):
        if isinstance(item, (Ret, Extra)):
            return self.value(item.item)
        if hasattr(item, "sample"):
            return item.sample(self)
        if isinstance(item, StringElem):
            k = self.next()
            return (0x5000 + k, "src%d;" % k)
        if isinstance(item, Block):
            k = self.next()
            p = 0x10000 + 0x100 * (k & 0xFFF)
            fm = item.form
            if fm in ("data", "image"):
                return (p, bytes((k + j) & 0xFF for j in range(8 + k % 8)))
            if fm == "string":
                return (p, "name_%d" % k)
            if fm == "array":
                n = 2 * item.a * item.b if item.a * item.b <= 4 else item.a * item.b
                return (p, [self.value(item.elem) for _ in range(n)])
            if fm == "fixed":
                return (p, [self.value(item.elem) for _ in range(item.a * item.b)])
        k = self.next()
        kind = item.kind
        if kind == "float":
            return k + 0.5
        if kind == "fixed":
            return -k * 4099 if k % 3 == 0 else k * 4099   # about +-k/16 in 16.16
        if kind == "enum":
            return 0x7000 + k          # no name: prints in decimal
        if kind == "blend":
            return 0x300 + k % 9
        if kind == "mode":
            return k % 7
        if kind == "bool":
            return k % 2
        if kind == "bits":
            return 0x4100
        if kind == "error":
            return 0x502
        if kind == "ptr":
            return 0x20000 + 0x10 * k
        if kind == "int":
            return -k if k % 3 == 0 else k
        return k


def sample_values(rid, seed, layouts=None):
    s = Sampler(seed)
    return [s.value(it) for it in (layouts or LAYOUTS)[rid][2]]
