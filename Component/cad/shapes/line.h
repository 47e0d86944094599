// The line family: shapes defined by an ordered list of points joined by straight segments.
//
// TMyLine is a straight line of two points with optional arrow heads at either end; the poly
// line, the rule line and the connector lines derive from it and inherit its drawing, hit
// testing and editing. TMyPolyLine is an open chain finished by a double click; TMyPolygon is a
// closed, filled chain finished by clicking near its first point, whose last point is a copy of
// the first (the closing point).
#pragma once

#include "shape.h"

#include <array>

namespace cad {

// The index of the last device point whose hot square (half side HotSize) holds P; -1 if none.
int32_t HotPointAt(const TArrPoint& Px, int32_t HotSize, const TPoint& P);
// Whether P lies within the 8-pixel band along any segment of the chain Px. Box holds the
// chain's extremes; slanted segments only count inside it.
bool ChainBandHit(const TArrPoint& Px, const TRect& Box, const TPoint& P);
// The shape's points in zoom turned about C by A, rounded to device pixels (rotation ghosts).
TArrPoint TurnedPixels(const TMyShape& S, const TMyPoint& C, long double A);

class TMyLine : public TMyShape {
public:
  // Takes the arrow settings from the surface.
  explicit TMyLine(TMyCAD* ACAD);
  QString ClassName() const override { return QStringLiteral("TMyLine"); }

  void Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void DrawHot(TCanvas* Canvas) override;
  void Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  QString GetInfo() override;
  int32_t InWhichHot(const TPoint& P) override;
  bool IsClickedMe(TCanvas* Canvas, const TPoint& P) override;
  bool IsDrawingFinished(TMouseButton Button, const TPoint& P) override;
  void Rotating(TCanvas* Canvas, const TMyPoint& C, long double A) override;
  void SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) override;
  void Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void Assign(TMyShape* Source) override;
  void Draw(TCanvas* Canvas) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // Arrow heads reach their length beyond the end points.
  TShapeReach GetReach() override;

  // Half-opening angle of an arrow head in degrees.
  int32_t ArrowAngle() const { return FArrowAngle; }
  void SetArrowAngle(int32_t Value);
  // Side length of an arrow head in drawing units.
  uint8_t ArrowLength() const { return FArrowLength; }
  void SetArrowLength(uint8_t Value);
  // How far the tip is pulled back from the end point, in device pixels.
  uint8_t ArrowOffset() const { return FArrowOffset; }
  void SetArrowOffset(uint8_t Value);
  TArrowStyle ArrowStyle() const { return FArrowStyle; }
  void SetArrowStyle(TArrowStyle Value);

  // The tip and the two base corners of the arrow head at end T pointing away from its
  // neighbour B (device coordinates, not rounded).
  std::array<TMyPoint, 3> GetArrowHead(const TMyPoint& T, const TMyPoint& B) const;

protected:
  // Fills the arrow head at end T (device coordinates) in the canvas's current brush.
  void DrawTriangle(TCanvas* Canvas, const TMyPoint& T, const TMyPoint& B);
  // The zoomed point I rounded to a device pixel.
  TPoint ZoomedPixel(int32_t I) const { return MyPtToPt(GetPointInZoom(I)); }
  bool ValidPoint(int32_t I) const { return I >= 0 && I < GetPointsCount(); }
  void DrawSegment(TCanvas* Canvas, const TPoint& A, const TPoint& B);

private:
  int32_t FArrowAngle = 10;
  uint8_t FArrowLength = 30;
  uint8_t FArrowOffset = 0;
  TArrowStyle FArrowStyle = TArrowStyle::ANone;
};

class TMyPolyLine : public TMyLine {
public:
  // A poly line starts without arrow heads.
  explicit TMyPolyLine(TMyCAD* ACAD);
  QString ClassName() const override { return QStringLiteral("TMyPolyLine"); }

  // Finished once the last two points coincide (a double click adds its point twice); the
  // duplicate is removed.
  bool IsDrawingFinished(TMouseButton Button, const TPoint& P) override;

  // Appends a device point given in the surface's axis mode (mapped back first).
  void AppendPoint(const TPoint& P);
};

class TMyPolygon : public TMyPolyLine {
public:
  using TMyPolyLine::TMyPolyLine;
  QString ClassName() const override { return QStringLiteral("TMyPolygon"); }

  void DrawHot(TCanvas* Canvas) override;
  bool IsClickedMe(TCanvas* Canvas, const TPoint& P) override;
  // Finished by a click within the hot size of the first point; the last point then becomes
  // an exact copy of the first.
  bool IsDrawingFinished(TMouseButton Button, const TPoint& P) override;
  // Moves the grabbed point; point 0 and the closing point move together.
  void SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) override;
  void Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void Draw(TCanvas* Canvas) override;
};

}  // namespace cad
