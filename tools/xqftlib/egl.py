"""Payloads of EGL call records (ids 1001-1034, 1100-1105).

Every payload starts with the recorded EGL error (type EGLint); the rest follows the function's
record layout for the file's format version. Values are sized by the writer's type-size table.
"""
import struct

from . import trace

T = trace.TYPE

ID = {
    "eglSwapBuffers": 1022,
}

EGL_TRUE = 1


def error_prefix(w, error=0):
    return w.sized(T["EGLint"], error)


def data_block(w, data, pointer=0x1000, size=None):
    """pointer, u32 byte size, bytes (a size larger than the bytes makes an oversized block)."""
    declared = len(data) if size is None else size
    return w.sized(T["pointer"], pointer if data or size else 0) + struct.pack("<I", declared) + bytes(data)


def frame_image(width, height, frame=0):
    """width x height RGBA pixels, bottom row first; a gradient that differs per frame."""
    row = bytearray()
    for x in range(width):
        row += bytes(((x * 255) // max(1, width - 1), frame & 0xFF, 0x40, 0xFF))
    out = bytearray()
    for y in range(height):
        r = bytearray(row)
        r[2::4] = bytes([(y * 255) // max(1, height - 1)]) * width
        out += r
    return bytes(out)


def swap_buffers(w, dpy=1, surface=2, frame=0, width=0, height=0, image=b"", error=0,
                 image_size=None, result=EGL_TRUE):
    """eglSwapBuffers in the layout of the writer's version: v1/v6 return value, dpy, surface;
    v9 adds the frame counter; v10 also width, height and the frame image block."""
    p = error_prefix(w, error) + w.sized(T["EGLBoolean"], result)
    p += w.sized(T["EGLDisplay"], dpy) + w.sized(T["EGLSurface"], surface)
    if w.version >= 9:
        p += w.sized(T["GLuint"], frame)
    if w.version >= 10:
        p += w.sized(T["GLuint"], width) + w.sized(T["GLuint"], height)
        p += data_block(w, image, size=image_size)
    return p
