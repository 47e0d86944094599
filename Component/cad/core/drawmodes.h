// Canvas presets for hot points and rubber bands, the link-point cross, rotated text, text
// measuring, and pixel-by-pixel bitmap transforms. Presets that need a shape live with the
// shapes (shapes/shapedraw.h).
#pragma once

#include "../gfx/bitmap.h"
#include "../gfx/canvas.h"
#include "geometry.h"

#include <memory>

namespace cad {

// Fill colour of hot-point markers, shared by every surface of the process. A surface's
// ColorOfHot property writes it.
inline TColor HotColor = clLime;

void SetDrawHotMode(TCanvas* Canvas);
void SetDrawLockedHotMode(TCanvas* Canvas);
// Dotted white XOR outline with a clear brush: drawn twice at the same place, it vanishes.
void SetDragResizeRotateShapeMode(TCanvas* Canvas);
bool IsBlackWhitePrinter();

// The blue cross that marks a link point (device coordinates).
void DrawLinkSquare(TCanvas* Canvas, const TMyPoint& P);

// Text whose box starts at device (X, Y), turned by A radians about that point (clockwise on
// the screen for positive A). Z is accepted for compatibility and not used.
void MyLogTextOut(TCanvas* Canvas, int X, int Y, const QString& Text, const TFont* Font, double A, double Z = 0);
// The same for a text laid out once by the caller and kept between paints.
void MyLogTextOut(TCanvas* Canvas, int X, int Y, const TShapedText& Text, const TFont* Font, double A);
// Sets the canvas font and returns (width, height) of the text in pixels.
TPoint GetTextWidthHeight(TCanvas* Canvas, const QString& Text, const TFont* Font, double D1 = 0, double D2 = 0);

// A new bitmap: Source stretched to W x H, turned by A radians about its centre moved by
// (DX, DY), on white, sampled nearest-neighbour. The caller owns the result.
std::unique_ptr<TBitmap> RotateBitmap(const TBitmap& Source, double A, int W, int H, int DX, int DY);
void FlipBitmap(TBitmap& Bitmap, bool H, bool V);
void GrayScaleBitmap(TBitmap& Bitmap, bool G);
void AdjustBrightBitmap(TBitmap& Bitmap, int V);
void AdjustContrastBitmap(TBitmap& Bitmap, int V);

}  // namespace cad
