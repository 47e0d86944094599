// Direct drawing of the canvas's commonest primitives into a 32-bit image: solid one-pixel
// lines and solid polygon fills in an opaque colour. Each function draws exactly the pixels the
// painter would draw for the same primitive (the painter's aliased one-pixel lines and fills at
// one device pixel per pixel; R x R blocks along the device line at R device pixels per pixel),
// without the painter's per-call and per-pixel overheads. Used by TCanvas only.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>

namespace cad::fastdraw {

// The image a painter draws on, in device pixels, when the painter draws plainly: no raster
// operation, no opacity, no antialiasing, and a world that is a whole-number scale (the device
// pixel ratio) and a whole-pixel shift.
struct TTarget {
  uint32_t* Pixels = nullptr;
  qsizetype Stride = 0;  // in pixels
  QRect Device;          // the whole image
  QRect Clip;            // the image within the painter's clip
  int Scale = 1;
  int64_t Dx = 0, Dy = 0;

  // Clip is the painter's clip rectangle in world coordinates, if it has one; a painter clipped
  // otherwise has no target.
  static std::optional<TTarget> Of(QPainter* P, QPaintDevice* Device, const std::optional<QRect>& Clip);
  // Points of the world on the device; false when one lies beyond the reach of exact arithmetic.
  bool Map(const QPoint* Points, size_t Count, QPoint* Out) const;
};

// An opaque colour as the image holds it, or nothing for a colour the fast paths do not draw.
std::optional<uint32_t> OpaqueColor(const QColor& Color);

// The painter's one-pixel cosmetic line at one device pixel per pixel: a line (both ends
// drawn), an open polyline, or a polygon's closed outline. Points are device points.
enum class TFigure { Line, Polyline, Polygon };
void HairLines(const TTarget& Target, uint32_t Color, const QPoint* Points, size_t Count, TFigure Figure);

// R x R blocks along the device line between each pair of points (R = Target.Scale >= 2),
// closing the figure when Closed. Points are device points.
void BlockLines(const TTarget& Target, uint32_t Color, const QPoint* Points, size_t Count, bool Closed);

// The painter's aliased fill of a polygon with the odd-even rule. Points are device points.
void FillPolygon(const TTarget& Target, uint32_t Color, const QPoint* Points, size_t Count);

// Fills Area (device pixels, within the clip) with Color.
void FillArea(const TTarget& Target, uint32_t Color, const QRect& Area);

// Fills Area (device pixels) with Back, with one-pixel columns (Scale device pixels wide) of
// Line at the pixels First + k Step: every row is the same, so it is made once and copied.
void FillColumns(const TTarget& Target, uint32_t Back, uint32_t Line, const QRect& Area, int First, int Step);

// Whether the painter draws these points of a polygon as a rectangle instead (drawn by the
// painter, not here).
bool PainterTakesAsRect(const QPoint* Points, size_t Count);

}  // namespace cad::fastdraw
