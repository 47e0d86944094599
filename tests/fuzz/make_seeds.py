#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets. Run from this directory.

corpus/ (shaperecord_fuzz): one small record per generation and class. Each seed is the
generation index (byte 0), the class index (byte 1), then the record laid out as the
shape-record table describes it for that generation.

corpus-drawing/ (drawing_fuzz): whole drawings of every generation holding one shape of each
class, behind the byte that picks whole drawing (0) or block mode (1 to 3), and drawings whose
few bytes claim much (point counts without coordinates, gradients, large compressed pictures).
The "saved-" seeds there are drawings saved by the component (the host example's) and the
"found-" seeds inputs that fuzzing found faults with; both are kept.

corpus-library/ (library_fuzz): shape libraries of every generation, each with an entry of one
shape of every class and an entry of a box and a link point (with user data where the
generation stores it), an empty library, and one whose second entry's size leads past the end.
"""
import os
import struct
import zlib

VERSIONS = ["ZK.2", "ZK.3", "ZK.4", "ZK.5", "ZK.6", "ZK.7", "ZK.8", "ZK.9", "ZK.a"]
CLASSES = ["TMyRectangle", "TMyLine", "TMyPolyLine", "TMyPolygon", "TMyLinkLine", "TMyLinkPoint", "TMyLineLinkLine",
           "TMyRuleLine", "TMyPolyBezier", "TMyText", "TMyImage", "TMyElliArc"]
LINES = ("TMyLine", "TMyPolyLine", "TMyPolygon", "TMyLinkLine", "TMyRuleLine")
LINK_POINTS = ("TMyLinkPoint", "TMyLineLinkLine")


def i32(v):
    return struct.pack("<i", v)


def f32(v):
    return struct.pack("<f", v)


def ext(v):
    """A 10-byte extended real for values with a short binary mantissa."""
    if v == 0:
        return bytes(10)
    sign = 0x8000 if v < 0 else 0
    v = abs(v)
    e = 0
    while v >= 2:
        v /= 2
        e += 1
    while v < 1:
        v *= 2
        e -= 1
    mant = int(v * (1 << 63))
    return struct.pack("<QH", mant, sign | (e + 16383))


def text(s):
    b = s.encode()
    return i32(len(b)) + b


def bmp_picture():
    """A 3 x 2 picture as a 24-bit BMP with its rows padded to four bytes."""
    rows = b""
    for y in range(2):
        row = b"".join(bytes([0, 0, 255]) if (x + y) % 2 else bytes([255, 255, 255]) for x in range(3))
        rows += row + bytes(3)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 3, 2, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + rows


def png_picture():
    """A 2 x 2 RGB picture as a PNG."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + bytes([255, 0, 0, 0, 0, 255]) for _ in range(2))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 2, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def png_blank(side):
    """A side x side picture of one bit per pixel, all black: a few hundred bytes for a quarter
    million pixels at side 512."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = (b"\0" + bytes((side + 7) // 8)) * side
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 1, 0, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def record(version, cls, points, brush=b"", picture=b"", counts=None, gradient=9, colors=(0xFFFFFF, 0)):
    extended = version in ("ZK.3", "ZK.4", "ZK.5")
    counts_only = version == "ZK.2"
    coord = ext if extended else f32
    r = text("Shape1") + i32(1) + i32(0) + i32(0) + i32(-1)
    r += i32(1) + i32(3)  # one child number
    r += i32(0)  # no links
    r += i32(len(points) if counts is None else counts)
    if not counts_only:
        for x, y in points:
            r += coord(x) + coord(y)
    r += i32(1 if counts is None else counts)  # one link point
    if not counts_only:
        r += coord(5) + coord(6)
    if counts_only:
        r += ext(50) + ext(60)
    else:
        r += coord(50) + coord(60) + i32(7) + coord(0.5)
    r += struct.pack("<q", len(brush)) + brush  # the brush picture, if any
    r += i32(0xFFFFFF) + bytes([0])
    r += text("cap") + i32(colors[0]) + i32(colors[1])
    r += text("DejaVu Sans") + bytes([1]) + i32(0) + i32(-11) + i32(8) + bytes([0]) + i32(0) + bytes([1])
    if version != "ZK.7":
        r += i32(0) + i32(0)
    r += bytes([gradient])  # a linear gradient unless asked otherwise
    if counts_only or extended:
        r += bytes(2)
    r += text("info") + i32(0xFF) + bytes([4, 0]) + i32(2)
    if version in ("ZK.8", "ZK.9", "ZK.a"):
        r += i32(2) + text("k") + text("v") + text("key2") + text("value")
    if version in ("ZK.9", "ZK.a"):
        r += bytes([0, 1, 1])
    if cls in LINES:
        r += i32(30) + bytes([10, 0, 3])
    if cls == "TMyLinkLine":
        r += i32(2) + i32(0) + i32(5) + i32(1)  # start shape and link point, end shape and link point
        if version in ("ZK.5", "ZK.6", "ZK.7", "ZK.8", "ZK.9", "ZK.a"):
            r += bytes([0])  # routed horizontally and vertically
    if cls in LINK_POINTS:
        r += bytes([8])  # the square's side
    if cls == "TMyRuleLine":
        r += bytes([1, 0]) + text("span")  # user text shown, ticks
    if cls == "TMyText":
        r += bytes([1, 1])  # border, solid
        if version == "ZK.a":
            r += i32(3) + text("first") + text("") + text("a longer third line") + bytes([2, 0, 1])
    if cls == "TMyImage":
        r += struct.pack("<q", len(picture)) + picture + bytes([1])  # the picture, transparent
        if version in ("ZK.7", "ZK.8", "ZK.9", "ZK.a"):
            r += bytes([1])  # border
        if version in ("ZK.9", "ZK.a"):
            r += bytes([1]) + i32(-40) + i32(25)  # gray scale, brightness, contrast
    if cls == "TMyElliArc":
        r += bytes([1, 2])  # ellipse mode, sector
    return r


def main():
    os.makedirs("corpus", exist_ok=True)
    for f in os.listdir("corpus"):
        os.remove(os.path.join("corpus", f))
    pts = {"TMyRectangle": [(0, 0), (10, 20)], "TMyLine": [(0, 0), (100, 50)],
           "TMyPolyLine": [(0, 0), (50, 0), (50, 40)], "TMyPolygon": [(0, 0), (100, 0), (100, 100), (0, 0)],
           "TMyLinkLine": [(0, 0), (25, 0), (25, 40), (60, 40)],
           "TMyLinkPoint": [(0, 0), (8, 0), (8, 8), (0, 8)], "TMyLineLinkLine": [(0, 0), (8, 0), (8, 8), (0, 8)],
           "TMyRuleLine": [(0, 0), (80, 30)], "TMyPolyBezier": [(0, 0), (10, 30), (40, 30), (50, 0)],
           "TMyText": [(0, 0), (60, 0), (60, 30), (0, 30)], "TMyImage": [(0, 0), (3, 0), (3, 2), (0, 2)],
           "TMyElliArc": [(0, 10), (10, 0), (0, -10)]}
    for vi, version in enumerate(VERSIONS):
        for ci, cls in enumerate(CLASSES):
            if (vi + ci) % 2 and version not in ("ZK.2", "ZK.a"):
                continue  # half the pairs are enough; keep every class for the ends
            picture = bmp_picture() if cls == "TMyImage" and vi % 2 else png_picture() if cls == "TMyImage" else b""
            data = bytes([vi, ci]) + record(version, cls, pts[cls], picture=picture)
            with open(os.path.join("corpus", f"{version}-{cls}"), "wb") as out:
                out.write(data)
    # Brush pictures take the picture decoder's path.
    for version in ("ZK.6", "ZK.a"):
        vi = VERSIONS.index(version)
        for name, picture in (("bmp", bmp_picture()), ("png", png_picture())):
            for ci, cls in enumerate(CLASSES[:2]):
                data = bytes([vi, ci]) + record(version, cls, pts[cls], picture)
                with open(os.path.join("corpus", f"{version}-{cls}-{name}-brush"), "wb") as out:
                    out.write(data)
    # Claims without bytes behind them: the most points a ZK.2 list may count, a radial gradient.
    with open(os.path.join("corpus", "ZK.2-TMyRectangle-claims"), "wb") as out:
        out.write(bytes([0, 0]) + record("ZK.2", "TMyRectangle", [], counts=65536))
    with open(os.path.join("corpus", "ZK.a-TMyRectangle-radial"), "wb") as out:
        out.write(bytes([8, 0]) + record("ZK.a", "TMyRectangle", pts["TMyRectangle"], gradient=0, colors=(0xFF, 0xFF00)))
    drawings(pts)
    libraries(pts)


LIBRARY_TAGS = [("VORNLIBX.2", "ZK.2"), ("VORNLIBX.3", "ZK.4"), ("VORNLIBX.6", "ZK.6"), ("VORNLIBX.7", "ZK.7"),
                ("VORNLIBX.8", "ZK.8"), ("VORNLIBX.9", "ZK.9"), ("VORNLIBX.a", "ZK.a")]


def entry(name, width, height, user_data, records):
    """A library entry: name, body size, nominal size, user data (if any), tagged records."""
    body = i32(width) + i32(height) + user_data + i32(len(records))
    for cls, rec in records:
        body += field(cls, 16) + rec
    n = name.encode()
    return bytes([len(n)]) + n + i32(len(body)) + body


def libraries(pts):
    os.makedirs("corpus-library", exist_ok=True)
    for f in os.listdir("corpus-library"):
        if not f.startswith("found-"):
            os.remove(os.path.join("corpus-library", f))
    unit = {"TMyRectangle": [(0, 0), (1, 0), (1, 1), (0, 1)],
            "TMyLinkPoint": [(0.75, 0.25), (1.25, 0.25), (1.25, 0.75), (0.75, 0.75)]}
    for tag, version in LIBRARY_TAGS:
        ud = i32(1) + text("k") + text("v") if version in ("ZK.8", "ZK.9", "ZK.a") else b""
        every = [(cls, record(version, cls, pts[cls], picture=png_picture() if cls == "TMyImage" else b""))
                 for cls in CLASSES]
        part = [(cls, record(version, cls, unit[cls])) for cls in ("TMyRectangle", "TMyLinkPoint")]
        data = tag.encode() + entry("every", 100, 100, ud, every) + entry("part", 40, 20, ud, part)
        with open(os.path.join("corpus-library", tag), "wb") as out:
            out.write(data)
    with open(os.path.join("corpus-library", "empty"), "wb") as out:
        out.write(b"VORNLIBX.a")
    ok = entry("part", 40, 20, i32(0), [("TMyRectangle", record("ZK.a", "TMyRectangle", unit["TMyRectangle"]))])
    with open(os.path.join("corpus-library", "damaged-size"), "wb") as out:
        out.write(b"VORNLIBX.a" + ok + bytes([1]) + b"C" + i32(100000) + bytes(40))


def field(text, width):
    b = text.encode()
    return b + b" " * (width - len(b))


def drawing(version, shapes, picture=b""):
    """A drawing container: header, settings, two layers, the tagged shape records."""
    d = field("Travemo Component", 64) + field("VORN for Kivendoria", 64) + field(version, 16)
    d += field("20040831", 10) + b" " * 63 + b"\0"
    d += i32(0xFFFFFF) + i32(400) + i32(300) + bytes([1]) + struct.pack("<q", len(picture)) + picture
    d += i32(2) + struct.pack("<d", 1.0)
    d += i32(2) + text("Layer0") + i32(0) + i32(1) + text("Top") + i32(1) + i32(0)
    d += i32(1) + i32(len(shapes))
    for cls, rec in shapes:
        d += field(cls, 16) + rec
    return d


def drawings(pts):
    os.makedirs("corpus-drawing", exist_ok=True)
    # Seeds whose names start with "saved-" were written by the component itself and are kept.
    for f in os.listdir("corpus-drawing"):
        if not f.startswith(("saved-", "found-")):
            os.remove(os.path.join("corpus-drawing", f))
    for vi, version in enumerate(VERSIONS):
        shapes = [(cls, record(version, cls, pts[cls], picture=png_picture() if cls == "TMyImage" else b""))
                  for cls in CLASSES]
        data = drawing(version, shapes, png_picture() if version == "ZK.a" else b"")
        with open(os.path.join("corpus-drawing", f"{version}"), "wb") as out:
            out.write(bytes([vi % 4]) + data)
    with open(os.path.join("corpus-drawing", "empty"), "wb") as out:
        out.write(bytes([0]) + drawing("ZK.a", []))
    # Few bytes that claim much, record after record: point lists counted without coordinates,
    # more gradients of different colours than are kept, pictures of a quarter million pixels in
    # a few hundred bytes. (Few enough that the fuzzer still runs them quickly.)
    claims = {
        "ZK.2-claims": ("ZK.2", [("TMyRectangle", record("ZK.2", "TMyRectangle", [], counts=65536))] * 40),
        "ZK.a-gradients": ("ZK.a", [("TMyRectangle", record("ZK.a", "TMyRectangle", pts["TMyRectangle"], gradient=0,
                                                           colors=(i, 0xFFFFFF - i))) for i in range(12)]),
        "ZK.a-pictures": ("ZK.a", [("TMyImage", record("ZK.a", "TMyImage", pts["TMyImage"], picture=png_blank(512)))] * 3),
    }
    for name, (version, shapes) in claims.items():
        with open(os.path.join("corpus-drawing", name), "wb") as out:
            out.write(bytes([0]) + drawing(version, shapes))


if __name__ == "__main__":
    main()
