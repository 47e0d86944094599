// The box shapes: TMyRectangle, the four-cornered box every box-like shape derives from, and
// TMyEllipse, the ellipse inscribed in such a box.
//
// A box keeps four corner points in a fixed cyclic order: 0 and 2 are opposite, 1 shares its
// unrotated Y with 0, 3 shares its unrotated X with 0. Angle holds the rotation already applied
// to them; resizing and rotating turn about the centre, the intersection of the diagonals.
#pragma once

#include "shape.h"

#include <array>
#include <optional>

namespace cad {

// The colour ramp of a gradient (blue, green, red per entry) and the related vocabulary that
// hosts use when they paint their own gradients.
struct TGradientColor {
  uint8_t Blue = 0, Green = 0, Red = 0;
};
using TGradientColors = std::array<TGradientColor, 256>;
using TGradientShift = int8_t;     // -100 .. 100
using TGradientRotation = int8_t;  // -100 .. 100
using TCustomGradientEvent = std::function<void(void* Sender, const TGradientColors& Colors, TBitmap* Pattern)>;

class TMyRectangle : public TMyShape {
public:
  using TMyShape::TMyShape;
  QString ClassName() const override { return QStringLiteral("TMyRectangle"); }

  void Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void DrawHot(TCanvas* Canvas) override;
  void Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  QString GetInfo() override;
  QString GetLengthByUnit(const TPoint& P1, const TPoint& P2) override;
  int32_t InWhichHot(const TPoint& P) override;
  bool IsClickedMe(TCanvas* Canvas, const TPoint& P) override;
  bool IsDrawingFinished(TMouseButton Button, const TPoint& P) override;
  void Rotating(TCanvas* Canvas, const TMyPoint& C, long double A) override;
  void SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) override;
  void Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void AddPointByMouse(const TPoint& P) override;
  void Draw(TCanvas* Canvas) override;
  TMyPoint GetCenterPoint() override;
  TMyPoint GetCenterPointInZoom() override;

  // Outline through Pts[0..3] and back to Pts[0].
  void DrawRectangle(TCanvas* Canvas, const TArrPoint& Pts);

  // The corners after moving corner H to NewPoint with the opposite corner fixed, computed on
  // Corners (any scale) turned by Angle about Center; none when the move would carry the corner
  // across the fixed one or H is not a corner.
  static std::optional<std::array<TMyPoint, 4>> ResizedCorners(const std::array<TMyPoint, 4>& Corners,
                                                               const TMyPoint& Center, float Angle, int32_t H,
                                                               const TMyPoint& NewPoint);

protected:
  // Mirrors the box as TMyShape's flips do, then puts the corners back in their order (corner 0
  // first in the unturned frame) with the mirrored box's angle: what is laid out from corner 0
  // (lines of text, a picture) stays inside the box and reads as before.
  void FlipKeepingCornerOrder(bool Horizontal);
  std::array<TMyPoint, 4> Corners() const;
  std::array<TMyPoint, 4> ZoomedCorners() const;
  TArrPoint ZoomedCornerPolygon() const;
  // Side lengths in pixels used by the area text.
  virtual long double AreaInPixels();
  QString AreaText(long double PixelArea);

private:
  // The corners as the hit test rounds them, and their box, kept per revision and zoom.
  std::array<TPoint, 4> FHitCorners{};
  TRect FHitBox;
  uint64_t FHitRevision = 0;
  double FHitZoom = 0;
};

class TMyEllipse : public TMyRectangle {
public:
  using TMyRectangle::TMyRectangle;
  QString ClassName() const override { return QStringLiteral("TMyEllipse"); }

  void Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  QString GetInfo() override;
  void Draw(TCanvas* Canvas) override;

  // The 73 vertices of the outline (vertex 72 repeats vertex 0) around a device centre.
  TArrPoint OutlineAround(const TMyPoint& Center);
  void OutlineAround(const TMyPoint& Center, TArrPoint& Out);
  // The outline as painted (around the centre in zoom), kept until the shape or the zoom changes.
  const TArrPoint& Outline();
  // The outline is turned about the diagonals' crossing: with points that are no turned box it
  // can leave their bounds, so the reach covers its circumscribed circle as well.
  TShapeReach GetReach() override;

protected:
  long double AreaInPixels() override;

private:
  // What the outline takes from the shape alone: the unturned sides and the turn.
  struct TOutlineShape {
    float Width = 0, Height = 0;
    long double Cos = 1, Sin = 0;
  };
  const TOutlineShape& OutlineShape();
  TOutlineShape FShape;
  uint64_t FShapeRevision = 0;
};

}  // namespace cad
