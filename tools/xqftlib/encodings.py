"""Encodings of recorded values inside a call payload.

Sized(code) means the width the trace's type-size table gives for the type code (0 -> 4 bytes,
-n or n -> n bytes); u32 is always 4 bytes; everything is little-endian. `ts` is the type-size
table (a list of signed entries). Each function returns the bytes of one value.
"""
import struct

from .trace import TYPE, sized

POINTER = TYPE["pointer"]
EGLINT = TYPE["EGLint"]
NATIVE_PIXMAP = TYPE["EGLNativePixmapType"]
NATIVE_WINDOW = TYPE["EGLNativeWindowType"]


def u32(value):
    return struct.pack("<I", value & 0xFFFFFFFF)


def scalar(ts, code, value):
    """Any integer-like type code, in its table width (two's complement for negatives)."""
    return sized(ts, code, value)


def float32(value):
    """GLfloat (22) and GLclampf (23): always 4 bytes IEEE single; the table must say 4."""
    return struct.pack("<f", value)


def pointer(ts, value):
    return sized(ts, POINTER, value)


def data_block(ts, ptr, data, count=None):
    """SDataPtr: pointer, u32 byte count, then the bytes when the count is not 0 (whatever the
    pointer). count overrides the stored count (for lying records)."""
    n = len(data) if count is None else count
    return pointer(ts, ptr) + u32(n) + (bytes(data) if n else b"")


def image(ts, ptr, pixels, count=None):
    """SImage2D: the same layout as a data block."""
    return data_block(ts, ptr, pixels, count)


def string(ts, ptr, text, length=None):
    """SString: pointer, u32 length, then the characters (no terminator) only when both the
    pointer and the length are non-zero."""
    raw = text.encode("latin-1") if isinstance(text, str) else bytes(text)
    n = len(raw) if length is None else length
    return pointer(ts, ptr) + u32(n) + (raw if ptr and n else b"")


def counted_array(ts, ptr, elements, element, count=None):
    """SArrayPtr<T, a, b>: pointer, u32 count (entries of a x b elements), then the elements,
    each through element(value), only when both the count and the pointer are non-zero.
    `elements` is the flat element list; count defaults to len(elements) (pass entries for
    tuples and matrices)."""
    n = len(elements) if count is None else count
    body = b"".join(element(v) for v in elements) if ptr and n else b""
    return pointer(ts, ptr) + u32(n) + body


def fixed_array(ts, ptr, elements, element):
    """SPtr<T, a, b>: pointer, then the a x b elements when the pointer is non-zero; no count."""
    return pointer(ts, ptr) + (b"".join(element(v) for v in elements) if ptr else b"")


def attrib_list(ts, ptr, values, count=None):
    """SEglAttribList: a counted array of EGLint (code 1); the count is stored as given, the
    EGL_NONE terminator is not looked for."""
    return counted_array(ts, ptr, values, lambda v: sized(ts, EGLINT, v), count)


def native_window(ts, handle, width, height):
    """SEglNativeWindowDesc (format 7): handle Sized(11), u32 width, u32 height."""
    return sized(ts, NATIVE_WINDOW, handle) + u32(width) + u32(height)


def native_window6(ts, handle, words):
    """SEglNativeWindowDesc6: handle Sized(11), four u32 words."""
    assert len(words) == 4
    return sized(ts, NATIVE_WINDOW, handle) + b"".join(u32(w) for w in words)


def native_pixmap(ts, handle, text, length=None):
    """SEglNativePixmapDesc: handle Sized(10), u32 length, the characters."""
    raw = text.encode("latin-1") if isinstance(text, str) else bytes(text)
    n = len(raw) if length is None else length
    return sized(ts, NATIVE_PIXMAP, handle) + u32(n) + raw
