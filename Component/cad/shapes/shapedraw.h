// Canvas presets and markers that depend on a shape and its surface's settings.
#pragma once

#include "../core/geometry.h"
#include "../gfx/canvas.h"

namespace cad {

class TMyShape;

// Pen and brush of the shape onto the canvas (printers get the clear brush kept clear).
void SetDrawShapeMode(TMyShape* Shape, TCanvas* Canvas);
// Arrow heads: the shape's pen, filled with the pen colour.
void SetDrawTriangleMode(TMyShape* Shape, TCanvas* Canvas);
// Hot-point marker at device point P: square, half square for group members, circle while
// rotating; grey for locked shapes; nothing when the surface hides hot points.
void DrawSquare(TMyShape* Shape, TCanvas* Canvas, const TMyPoint& P);
// Text-point marker (a filled diamond) for shapes with an Info text; the colour is not used.
void DrawDiamond(TMyShape* Shape, TCanvas* Canvas, const TMyPoint& P, TColor Color);
// Link-point crosses of the shape, when the surface shows hot points.
void DrawLinkHot(TMyShape* Shape, TCanvas* Canvas);
// Outline moved by (DX, DY) device pixels, for drag ghosts drawn from a kept outline. The array
// is shared and valid until the next call.
const TArrPoint& MovedOutline(const TArrPoint& Outline, int64_t DX, int64_t DY);
// One line in the shape's pen.
void LineDraw(TMyShape* Shape, TCanvas* Canvas, const TMyPoint& P1, const TMyPoint& P2);

}  // namespace cad
