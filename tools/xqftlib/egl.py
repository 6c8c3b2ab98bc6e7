"""Payloads of EGL call records (ids 1001-1034, 1100-1105), every record layout.

Every payload starts with the recorded EGL error (type EGLint, EGL_SUCCESS 0x3000 by default);
the rest follows the function's row in LAYOUTS for the file's format version: the row with the
highest first version not above it. Values are sized by the writer's type-size table.

Item kinds of a row, in payload order:
    ("ret", code | BLOCK)            return value (scalar of type code, or a block kind)
    ("arg", name, code)              scalar argument
    ("dop", name, block)             pointer argument: the block when the trace carries data, else
                                     the pointer value only
    ("dataonly", name, block)        a block present only when the trace carries data
    ("block", name, block)           a block present whatever the data flag
    ("extra", name, code | block)    a value after the arguments, present whatever the data flag
Block kinds: attribs, configs, ints, enums (counted EGLint/EGLConfig arrays), string, data,
window, window6, pixmap, and "u10" (a native pixmap handle in place of a block).
Values given for a block: a list (arrays), str (string), bytes (data), (handle, width, height)
(window), (handle, [4 words]) (window6), (handle, text) (pixmap); None writes a null pointer.
"""
import struct

from . import encodings as enc
from . import trace

T = trace.TYPE
EGL_SUCCESS = 0x3000
EGL_TRUE = 1
EGL_NONE = 0x3038

RET, ARG, DOP, DATAONLY, BLOCK, EXTRA = "ret", "arg", "dop", "dataonly", "block", "extra"

_B, _D, _S, _C = T["EGLBoolean"], T["EGLDisplay"], T["EGLSurface"], T["EGLContext"]
_CFG, _INT = T["EGLConfig"], T["EGLint"]

# (id, first version, function, items)
LAYOUTS = [
    (1001, 1, "eglChooseConfig", [(RET, _B), (ARG, "dpy", _D), (DOP, "attrib_list", "attribs"),
                                  (DOP, "configs", "configs"), (ARG, "config_size", _INT),
                                  (DOP, "num_config", "ints")]),
    (1002, 1, "eglCopyBuffers", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S), (DOP, "target", "u10")]),
    (1002, 6, "eglCopyBuffers", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S), (DOP, "target", "pixmap")]),
    (1003, 1, "eglCreateContext", [(RET, _C), (ARG, "dpy", _D), (ARG, "config", _CFG),
                                   (ARG, "share_context", _C), (DOP, "attrib_list", "attribs"),
                                   (DOP, "attrib_list_config", "attribs")]),
    (1004, 6, "eglCreatePbufferSurface", [(RET, _S), (ARG, "dpy", _D), (ARG, "config", _CFG),
                                          (DOP, "attrib_list", "attribs"),
                                          (DATAONLY, "SurfaceDesc", "attribs")]),
    (1005, 6, "eglCreatePixmapSurface", [(RET, _S), (ARG, "dpy", _D), (ARG, "config", _CFG),
                                         (DOP, "pixmap", "pixmap"), (DOP, "attrib_list", "attribs")]),
    (1006, 6, "eglCreateWindowSurface", [(RET, _S), (ARG, "dpy", _D), (ARG, "config", _CFG),
                                         (DOP, "win", "window6"), (DOP, "attrib_list", "attribs")]),
    (1006, 7, "eglCreateWindowSurface", [(RET, _S), (ARG, "dpy", _D), (ARG, "config", _CFG),
                                         (DOP, "win", "window"), (DOP, "attrib_list", "attribs"),
                                         (DOP, "surface_attribs", "attribs")]),
    (1007, 1, "eglDestroyContext", [(RET, _B), (ARG, "dpy", _D), (ARG, "ctx", _C)]),
    (1008, 1, "eglDestroySurface", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S)]),
    (1009, 1, "eglGetConfigAttrib", [(RET, _B), (ARG, "dpy", _D), (ARG, "config", _CFG),
                                     (ARG, "attribute", _INT), (DOP, "value", "enums")]),
    (1010, 1, "eglGetConfigs", [(RET, _B), (ARG, "dpy", _D), (DOP, "configs", "configs"),
                                (ARG, "config_size", _INT), (DOP, "num_config", "ints")]),
    (1011, 1, "eglGetCurrentContext", [(RET, _C)]),
    (1012, 1, "eglGetCurrentDisplay", [(RET, _D)]),
    (1013, 1, "eglGetCurrentSurface", [(RET, _S), (ARG, "readdraw", _INT)]),
    (1014, 1, "eglGetDisplay", [(RET, _D), (ARG, "display_id", T["EGLNativeDisplayType"])]),
    (1014, 6, "eglGetDisplay", [(RET, _D), (ARG, "NativeDisplayType", T["EGLNativeDisplayType"])]),
    (1015, 1, "eglGetError", [(RET, _INT)]),
    (1016, 1, "eglGetProcAddress", [(RET, T["pointer"]), (DOP, "procname", "string")]),
    (1017, 6, "eglInitialize", [(RET, _B), (ARG, "dpy", _D), (DOP, "major_v", "ints"), (DOP, "minor_v", "ints")]),
    (1017, 7, "eglInitialize", [(RET, _B), (ARG, "dpy", _D), (DOP, "major_v", "ints"), (DOP, "minor_v", "ints")]),
    (1018, 7, "eglMakeCurrent", [(RET, _B), (ARG, "dpy", _D), (ARG, "draw", _S), (ARG, "read", _S),
                                 (ARG, "ctx", _C)]),
    (1018, 9, "eglMakeCurrent", [(RET, _B), (ARG, "dpy", _D), (ARG, "draw", _S), (ARG, "read", _S),
                                 (ARG, "ctx", _C), (EXTRA, "config", _CFG), (EXTRA, "attribs", "attribs")]),
    (1019, 1, "eglQueryContext", [(RET, _B), (ARG, "dpy", _D), (ARG, "ctx", _C), (ARG, "attribute", _INT),
                                  (DOP, "value", "enums")]),
    (1020, 1, "eglQueryString", [(RET, "string"), (ARG, "dpy", _D), (ARG, "name", _INT)]),
    (1021, 1, "eglQuerySurface", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S), (ARG, "attribute", _INT),
                                  (DOP, "value", "enums")]),
    (1022, 1, "eglSwapBuffers", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S)]),
    (1022, 6, "eglSwapBuffers", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S)]),
    (1022, 9, "eglSwapBuffers", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S), (EXTRA, "frame", T["GLuint"])]),
    (1022, 10, "eglSwapBuffers", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S), (EXTRA, "frame", T["GLuint"]),
                                  (EXTRA, "width", T["GLuint"]), (EXTRA, "height", T["GLuint"]),
                                  (EXTRA, "frameData", "data")]),
    (1023, 1, "eglTerminate", [(RET, _B), (ARG, "dpy", _D)]),
    (1024, 1, "eglWaitGL", [(RET, _B)]),
    (1025, 1, "eglWaitNative", [(RET, _B), (ARG, "engine", _INT)]),
    (1026, 1, "eglBindTexImage", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S), (ARG, "buffer", _INT)]),
    (1027, 1, "eglReleaseTexImage", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S), (ARG, "buffer", _INT)]),
    (1028, 1, "eglSurfaceAttrib", [(RET, _B), (ARG, "dpy", _D), (ARG, "surface", _S), (ARG, "attribute", _INT),
                                   (ARG, "value", _INT)]),
    (1029, 1, "eglSwapInterval", [(RET, _B), (ARG, "dpy", _D), (ARG, "interval", _INT)]),
    (1030, 1, "eglBindAPI", [(RET, _B), (ARG, "api", T["EGLenum"])]),
    (1031, 1, "eglCreatePbufferFromClientBuffer", [(RET, _S), (ARG, "dpy", _D), (ARG, "buftype", T["EGLenum"]),
                                                   (ARG, "buffer", T["EGLClientBuffer"]), (ARG, "config", _CFG),
                                                   (DOP, "attrib_list", "attribs")]),
    (1032, 1, "eglQueryAPI", [(RET, T["EGLenum"])]),
    (1033, 1, "eglReleaseThread", [(RET, _B)]),
    (1034, 1, "eglWaitClient", [(RET, _B)]),
    (1100, 1, "eglSetSwapRectangleANDROID", [(RET, _B), (ARG, "dpy", _D), (ARG, "draw", _S), (ARG, "left", _INT),
                                             (ARG, "top", _INT), (ARG, "width", _INT), (ARG, "height", _INT)]),
    (1101, 1, "eglGetRenderBufferANDROID", [(RET, T["EGLClientBuffer"]), (ARG, "dpy", _D), (ARG, "draw", _S)]),
    (1102, 1, "eglLockSurfaceKHR", [(RET, _B), (ARG, "display", _D), (ARG, "surface", _S),
                                    (BLOCK, "attrib_list", "ints")]),
    (1103, 1, "eglUnlockSurfaceKHR", [(RET, _B), (ARG, "display", _D), (ARG, "surface", _S)]),
    (1104, 1, "eglCreateImageKHR", [(RET, T["EGLImageKHR"]), (ARG, "dpy", _D), (ARG, "ctx", _C),
                                    (ARG, "target", T["EGLenum"]), (ARG, "buffer", T["EGLClientBuffer"]),
                                    (BLOCK, "attrib_list", "ints")]),
    (1105, 1, "eglDestroyImageKHR", [(RET, _B), (ARG, "dpy", _D), (ARG, "image", T["EGLImageKHR"])]),
]

ID = {}
for _id, _first, _name, _items in LAYOUTS:
    ID[_name] = _id


def layout(rec_id, version):
    """The row the reader uses for this id at this format version, or None."""
    best = None
    for row in LAYOUTS:
        if row[0] == rec_id and row[1] <= version:
            best = row
    return best


def _block(ts, kind, value, ptr):
    if kind == "u10":
        return trace.sized(ts, T["EGLNativePixmapType"], value or 0)
    if kind == "window":
        h, wd, ht = value if value is not None else (0, 0, 0)
        return enc.native_window(ts, h, wd, ht)
    if kind == "window6":
        h, words = value if value is not None else (0, [0, 0, 0, 0])
        return enc.native_window6(ts, h, words)
    if kind == "pixmap":
        h, text = value if value is not None else (0, "")
        return enc.native_pixmap(ts, h, text)
    p = 0 if value is None else ptr
    if kind == "attribs":
        return enc.attrib_list(ts, p, value or [])
    if kind in ("ints", "enums"):
        return enc.counted_array(ts, p, value or [], lambda v: trace.sized(ts, T["EGLint"], v))
    if kind == "configs":
        return enc.counted_array(ts, p, value or [], lambda v: trace.sized(ts, T["EGLConfig"], v))
    if kind == "string":
        return enc.string(ts, p, value or "")
    if kind == "data":
        if isinstance(value, tuple):  # (bytes, declared size): a lying block
            return enc.data_block(ts, ptr, value[0], value[1])
        return enc.data_block(ts, p, value or b"")
    raise ValueError("unknown block kind %r" % kind)


def encode(w, rec_id, values=None, error=EGL_SUCCESS):
    """Payload of record rec_id in the layout of the writer's version. values maps item names
    ("return" for the return value) to values; missing scalars are 0 and missing blocks null.
    Pointer values default to a fixed address per item; `name + "_ptr"` overrides it."""
    row = layout(rec_id, w.version)
    if row is None:
        raise ValueError("no layout of id %d at version %d" % (rec_id, w.version))
    values = values or {}
    ts = w.type_sizes
    out = bytearray(trace.sized(ts, T["EGLint"], error))
    for n, item in enumerate(row[3]):
        kind = item[0]
        name = "return" if kind == RET else item[1]
        value = values.get(name)
        ptr = values.get(name + "_ptr", 0x1000 + 0x100 * n)
        spec = item[1] if kind == RET else item[2]
        if isinstance(spec, int):
            out += trace.sized(ts, spec, value or 0)
        elif kind == DOP and not w.data_included:
            out += trace.sized(ts, T["pointer"], values.get(name + "_ptr", 0 if value is None else ptr))
        elif kind == DATAONLY and not w.data_included:
            pass
        else:
            out += _block(ts, spec, value, ptr)
    return bytes(out)


def frame_image(width, height, frame=0):
    """width x height RGBA pixels, bottom row first; a pattern that differs per frame."""
    out = bytearray(width * height * 4)
    for y in range(height):
        for x in range(width):
            i = 4 * (y * width + x)
            out[i:i + 4] = bytes(((x * 255) // max(1, width - 1), (y * 255) // max(1, height - 1),
                                  (frame * 37) & 0xFF, 0xFF))
    return bytes(out)


def swap_buffers(w, dpy=1, surface=2, frame=0, width=0, height=0, image=b"", error=EGL_SUCCESS,
                 image_size=None, result=EGL_TRUE):
    """eglSwapBuffers in the layout of the writer's version (v10 and later carry the image)."""
    data = image if image_size is None else (image, image_size)
    return encode(w, ID["eglSwapBuffers"], {"return": result, "dpy": dpy, "surface": surface,
                                            "frame": frame, "width": width, "height": height,
                                            "frameData": data, "frameData_ptr": 0x1000 if image else 0},
                  error)
