"""The .xqft container: header of every format version, type-size table, record framing.

Every multi-byte field is little-endian whatever the byte-order marker says.
Header layout (offsets):            version 7   8..10   11+
    magic "XQFTrace"   8 bytes          0        0       0
    byte-order marker  u32              8        8       8
    format version     u32             12       12      12
    data-included flag u8              16       16      16
    frame-image flag   u8               -        -      17
    table selector     u32             17       17      18
    type-size count    u8               -       21      22
    type-size table    count bytes     21       22      23
Version 7 stores no count: the table has 28 entries when the selector is 1, else 27.
Record: u32 payload size, u16 id, payload.
"""
import struct

MAGIC = b"XQFTrace"
BYTE_ORDER_LITTLE = 0x0001FEFF
BYTE_ORDER_BIG = 0xFFFE0100
OLDEST_VERSION = 7
FIRST_VERSION_WITH_COUNT = 8
FIRST_VERSION_WITH_FRAME_IMAGE = 11
LATEST_VERSION = 11
VERSIONS = (7, 8, 9, 10, 11)

RECORD_HEADER_SIZE = 6
ID_64BIT = 1
MARKER_IDS = (2, 3, 4)
ID_SWAP_BUFFERS = 1022

# Type codes: index into the type-size table.
TYPE_NAMES = (
    "pointer", "EGLint", "EGLBoolean", "EGLenum", "EGLConfig", "EGLContext", "EGLDisplay",
    "EGLSurface", "EGLClientBuffer", "EGLNativeDisplayType", "EGLNativePixmapType",
    "EGLNativeWindowType", "GLenum", "GLboolean", "GLbitfield", "unused15", "unused16", "GLint",
    "GLsizei", "ApiSelector", "unused20", "GLuint", "GLfloat", "GLclampf", "GLfixed", "GLintptr",
    "GLsizeiptr", "GLclampx", "EGLImageKHR", "GLeglImageOES",
)
TYPE = {name: code for code, name in enumerate(TYPE_NAMES)}

# A 32-bit device: every value 4 bytes except GLboolean. Entry 0 would also mean 4 bytes.
DEFAULT_TYPE_SIZES = tuple(1 if name == "GLboolean" else 4 for name in TYPE_NAMES)


def table_count_for(version, table_selector):
    """Entries a header of this version holds by default (version 7 derives it)."""
    if version < FIRST_VERSION_WITH_COUNT:
        return 28 if table_selector == 1 else 27
    return len(TYPE_NAMES)


def header_layout(version):
    """Offsets of the version-dependent fields; None where the field is absent."""
    image = 17 if version >= FIRST_VERSION_WITH_FRAME_IMAGE else None
    selector = 18 if image is not None else 17
    count = None if version < FIRST_VERSION_WITH_COUNT else selector + 4
    table = selector + 4 if count is None else count + 1
    return {"frame_image": image, "table_selector": selector, "table_count": count, "table": table}


def type_width(type_sizes, code):
    """Bytes a value of type code occupies: 0 means 4, -n means n."""
    if code >= len(type_sizes):
        raise IndexError("type code %d has no entry in a table of %d" % (code, len(type_sizes)))
    s = type_sizes[code]
    return 4 if s == 0 else abs(s)


def sized(type_sizes, code, value):
    """Value of type code written in the table's width, little-endian, two's complement."""
    width = type_width(type_sizes, code)
    return (value & ((1 << (8 * width)) - 1)).to_bytes(width, "little")


def header_bytes(version=LATEST_VERSION, data_included=1, frame_image=0, table_selector=1,
                 type_sizes=None, table_count=None, byte_order=BYTE_ORDER_LITTLE, magic=MAGIC):
    """A header. table_count overrides the stored count byte (and the table's length, when
    type_sizes is not given); type_sizes longer or shorter than the count are written as given,
    so both can be made to disagree on purpose."""
    count = table_count_for(version, table_selector) if table_count is None else table_count
    if type_sizes is None:
        sizes = list(DEFAULT_TYPE_SIZES[:count]) + [4] * max(0, count - len(DEFAULT_TYPE_SIZES))
    else:
        sizes = list(type_sizes)
    out = bytearray(magic)
    out += struct.pack("<IIB", byte_order & 0xFFFFFFFF, version & 0xFFFFFFFF, data_included & 0xFF)
    if version >= FIRST_VERSION_WITH_FRAME_IMAGE:
        out.append(frame_image & 0xFF)
    out += struct.pack("<I", table_selector & 0xFFFFFFFF)
    if version >= FIRST_VERSION_WITH_COUNT:
        out.append(count & 0xFF)
    out += struct.pack("<%db" % len(sizes), *sizes)
    return bytes(out)


def record(rec_id, payload=b"", size=None):
    """One record; size overrides the declared payload size (huge or lying sizes)."""
    declared = len(payload) if size is None else size
    return struct.pack("<IH", declared & 0xFFFFFFFF, rec_id & 0xFFFF) + bytes(payload)


def marker(rec_id=2):
    return record(rec_id)


def record64(value=0):
    return record(ID_64BIT, struct.pack("<Q", value))


class TraceWriter:
    """Collects a header and records; other modules add call payloads through sized()."""

    def __init__(self, version=LATEST_VERSION, data_included=1, frame_image=0, table_selector=1,
                 type_sizes=None, table_count=None, byte_order=BYTE_ORDER_LITTLE, magic=MAGIC):
        self.version = version
        self.data_included = data_included
        self.header = header_bytes(version, data_included, frame_image, table_selector,
                                   type_sizes, table_count, byte_order, magic)
        count = table_count_for(version, table_selector) if table_count is None else table_count
        self.type_sizes = list(type_sizes) if type_sizes is not None else \
            (list(DEFAULT_TYPE_SIZES[:count]) + [4] * max(0, count - len(DEFAULT_TYPE_SIZES)))
        self.body = bytearray()

    @property
    def offset(self):
        """File offset at which the next record will start."""
        return len(self.header) + len(self.body)

    def width(self, code):
        return type_width(self.type_sizes, code)

    def sized(self, code, value):
        return sized(self.type_sizes, code, value)

    def record(self, rec_id, payload=b"", size=None):
        """Appends a record; returns its offset."""
        at = self.offset
        self.body += record(rec_id, payload, size)
        return at

    def marker(self, rec_id=2):
        return self.record(rec_id)

    def record64(self, value=0):
        return self.record(ID_64BIT, struct.pack("<Q", value))

    def raw(self, data):
        self.body += data

    def data(self):
        return self.header + bytes(self.body)

    def write(self, path, cut=0):
        """Writes the file; cut drops that many bytes from its end (a truncated capture)."""
        data = self.data()
        if cut:
            data = data[:max(0, len(data) - cut)]
        with open(path, "wb") as f:
            f.write(data)
        return len(data)
