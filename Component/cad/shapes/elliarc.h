// TMyElliArc: an arc through three points.
//
// Point 0 is the start, point 2 the end. In amCircle mode point 1 is any point of the circle:
// the arc runs from the start along that circle towards growing angles (clockwise on the
// screen) to the end, so the circle, not the side, depends on the middle point. In amEllipse
// mode point 1 is a control point that bends a curve from the start to the end. A circular arc
// is painted open, closed by its chord, or closed through the centre as a pie slice; the curve
// is always open. Both settings follow the common shape record, one byte each.
#pragma once

#include "shape.h"

namespace cad {

class TMyElliArc : public TMyShape {
public:
  using TMyShape::TMyShape;
  QString ClassName() const override { return QStringLiteral("TMyElliArc"); }

  void Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  // Markers at the points (when the surface shows them) and at the info text.
  void DrawHot(TCanvas* Canvas) override;
  // The rubber band while the three points are being placed; P2 is the mouse.
  void Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  int32_t InWhichHot(const TPoint& P) override;
  // Inside the triangle of the three points.
  bool IsClickedMe(TCanvas* Canvas, const TPoint& P) override;
  // Finished once three points are held.
  bool IsDrawingFinished(TMouseButton Button, const TPoint& P) override;
  void Rotating(TCanvas* Canvas, const TMyPoint& C, long double A) override;
  // Moves the point under HotId by the device offset P2 - P1.
  void SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) override;
  void Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void Assign(TMyShape* Source) override;
  void Draw(TCanvas* Canvas) override;
  // Mirrored like every shape, then start and end change places so the arc keeps its direction.
  void FlipHoriz() override;
  void FlipVert() override;
  // The centre of the circle through the three points; the centre of their box while there are
  // fewer than three or they lie on one line.
  TMyPoint GetCenterPoint() override;
  TMyPoint GetCenterPointInZoom() override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // A circle through three points bulges beyond them; the reach covers the whole circle.
  TShapeReach GetReach() override;

  // The circular arc from A through the circle of A, B, C to C, closed as ArcStyle says. The two
  // flags are accepted and not used.
  void DrawArc(TCanvas* Canvas, const TPoint& A, const TPoint& B, const TPoint& C, bool Unused1 = false,
               bool Unused2 = false);
  // The curve from P0 to P2 bent towards P1.
  void DrawElliArc(TCanvas* Canvas, const TPoint& P0, const TPoint& P1, const TPoint& P2);

  // The device points the two painters join. ArcPoints is empty when B = C or the three points
  // lie on one line; a chord ends with the first point again, a sector with the rounded centre
  // and then the first point.
  static void ArcPoints(const TPoint& A, const TPoint& B, const TPoint& C, TArcStyle Style, TArrPoint& Out);
  static void ElliArcPoints(const TPoint& P0, const TPoint& P1, const TPoint& P2, TArrPoint& Out);
  // The points of the circle about (CX, CY) with radius R from angle A1 to A3 (A3 < A1 goes once
  // more around; A3 = A1 is the full circle).
  static void CirclePoints(long double CX, long double CY, long double R, long double A1, long double A3,
                           TArcStyle Style, TArrPoint& Out);
  // The most steps either painter makes: beyond it the steps grow, so that an arc of an
  // enormous radius (three points almost on one line) still paints in bounded time and memory.
  static constexpr int32_t MaxSteps = 1 << 16;

  // ---- Published properties ----
  TArcMode ArcMode() const { return FArcMode; }
  void SetArcMode(TArcMode Value);
  TArcStyle ArcStyle() const { return FArcStyle; }
  void SetArcStyle(TArcStyle Value);

private:
  // The three device points painted: with two points the third repeats the second, with one
  // all three are that point.
  void PaintPoints(TPoint& A, TPoint& B, TPoint& C);
  // The outline of the current mode through three device points, and how to paint it.
  void Outline(const TPoint& A, const TPoint& B, const TPoint& C, TArrPoint& Out) const;
  // A closed outline as one polygon, an open one as a polyline.
  static void Paint(TCanvas* Canvas, const TArrPoint& Pts, bool Closed);
  void PaintThrough(TCanvas* Canvas, const TPoint& A, const TPoint& B, const TPoint& C);
  // The outline through the painted points, kept until the shape or the zoom changes, and
  // whether it is painted closed.
  const TArrPoint& PaintedOutline();
  bool Closed() const;

  TArcMode FArcMode = TArcMode::amCircle;
  TArcStyle FArcStyle = TArcStyle::asArc;
};

}  // namespace cad
