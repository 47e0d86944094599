#!/usr/bin/env python3
"""A DXF written by ezdxf is imported by kestrafel-tool, exported again, and read back by ezdxf:
the lines, circles and closed outlines keep their places (millimetres) and the text its
characters.

Usage: ezdxf_roundtrip.py KESTRAFEL_TOOL WORK_DIR
Exit status 77 (skipped) when ezdxf is not installed.
"""
import math
import os
import subprocess
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed")
    sys.exit(77)

tool, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)
source = os.path.join(work, "source.dxf")
drawing = os.path.join(work, "imported.vorn")
exported = os.path.join(work, "exported.dxf")

doc = ezdxf.new("R2000")
msp = doc.modelspace()
msp.add_line((10, 20), (60, 45), dxfattribs={"layer": "walls"})
msp.add_circle((100, 150), 12.5)
msp.add_lwpolyline([(20, 200), (80, 200), (80, 240), (20, 240)], close=True)
msp.add_lwpolyline([(120, 200), (170, 210), (140, 260)], close=True)
msp.add_text("Grüße", dxfattribs={"height": 5, "insert": (30, 100)})
doc.saveas(source)


def run(*args):
    r = subprocess.run([tool, *args], capture_output=True, text=True)
    if r.returncode != 0 or r.stderr:
        sys.exit(f"{' '.join(args)}: exit {r.returncode}: {r.stderr}")
    return r.stdout


print(run("import-dxf", source, drawing), end="")
run("export", drawing, exported)

back = ezdxf.readfile(exported)
entities = list(back.modelspace())
kinds = sorted(e.dxftype() for e in entities)
expected_kinds = sorted(["LINE", "CIRCLE", "POLYLINE", "POLYLINE", "TEXT"])
if kinds != expected_kinds:
    sys.exit(f"entity kinds {kinds}, expected {expected_kinds}")

# The export turns y about the drawing's height; the source's y comes back shifted by one
# constant, found from the line's start.
line = next(e for e in entities if e.dxftype() == "LINE")
dy = line.dxf.start.y - 20


def near(a, b, what):
    if not math.isclose(a, b, abs_tol=1e-3):
        sys.exit(f"{what}: {a} != {b}")


near(line.dxf.start.x, 10, "line start x")
near(line.dxf.end.x, 60, "line end x")
near(line.dxf.end.y - dy, 45, "line end y")
circle = next(e for e in entities if e.dxftype() == "CIRCLE")
near(circle.dxf.radius, 12.5, "circle radius")
near(circle.dxf.center.x, 100, "circle x")
near(circle.dxf.center.y - dy, 150, "circle y")
outlines = sorted(([(round(v.dxf.location.x, 3), round(v.dxf.location.y - dy, 3)) for v in e.vertices]
                   for e in entities if e.dxftype() == "POLYLINE"), key=len)
rect = sorted(outlines[0])
if rect != sorted([(20, 200), (80, 200), (80, 240), (20, 240)]):
    sys.exit(f"rectangle {rect}")
triangle = set(outlines[1])
if triangle != {(120, 200), (170, 210), (140, 260)}:
    sys.exit(f"polygon {outlines[1]}")
text = next(e for e in entities if e.dxftype() == "TEXT")
# Characters beyond ASCII travel as \U+XXXX, which DXF readers decode.
if ezdxf.decode_dxf_unicode(text.dxf.text) != "Grüße" or not text.dxf.text.isascii():
    sys.exit(f"text {text.dxf.text!r}")
print("ezdxf read back", len(entities), "entities")
