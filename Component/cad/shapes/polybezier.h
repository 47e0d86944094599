// TMyPolyBezier: a smooth open curve of consecutive cubic Bezier segments.
//
// The points are P0, C1, C2, J1, C3, C4, J2, ...: an on-curve joint at every index divisible by
// 3 and two control points between consecutive joints; a complete curve has 3k + 1 points.
// While drawing, every third click past the first segment inserts a joint midway between the
// control points around it, so that neighbouring segments share their tangent; editing a control
// point next to a joint turns the opposite one about the joint to keep the curve smooth. The
// kind has no fields of its own and stores the common shape record only.
#pragma once

#include "shape.h"

namespace cad {

class TMyPolyBezier : public TMyShape {
public:
  using TMyShape::TMyShape;
  QString ClassName() const override { return QStringLiteral("TMyPolyBezier"); }

  void AddPointByMouse(const TPoint& P) override;
  void Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void Draw(TCanvas* Canvas) override;
  void DrawHot(TCanvas* Canvas) override;
  void Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  int32_t InWhichHot(const TPoint& P) override;
  // The 8-pixel band along the control polygon, not along the curve.
  bool IsClickedMe(TCanvas* Canvas, const TPoint& P) override;
  // Finished by a double click (the last two points coincide) once a segment exists; the
  // duplicate goes and the mouse point is repeated up to a complete segment.
  bool IsDrawingFinished(TMouseButton Button, const TPoint& P) override;
  void Rotating(TCanvas* Canvas, const TMyPoint& C, long double A) override;
  void SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) override;
  void Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  // No override of GetReach: a cubic segment stays within the convex hull of its four points,
  // so the box of the points already holds the whole curve.

  // The midpoint A + (B - A) / 2.
  static TMyPoint LineCenterPoint(const TMyPoint& A, const TMyPoint& B);
  static TPoint LineCenterPoint(const TPoint& A, const TPoint& B);

private:
  // The zoomed points after the edit of point HotId by the device offset P2 - P1 (see
  // SizeChangeValue); Moved receives the indices that changed.
  TArrMyPoint EditedPoints(const TMyPoint& P1, const TMyPoint& P2, std::vector<int32_t>& Moved) const;

  // The curve as painted, flattened once per change and zoom.
  TFlatBezier FFlat;
};

}  // namespace cad
