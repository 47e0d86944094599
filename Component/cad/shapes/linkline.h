// Connectors: lines whose ends are attached to link points of other shapes and that the surface
// re-routes when those shapes move, and the small boxes they meet at.
//
// TMyLinkLine is a line whose route is either made of horizontal and vertical segments
// (lldsHV: it leaves each shape straight out of its nearest side and steps around library
// shapes) or straight (lldsFree). Its start and end are shape numbers with a link point index
// each, -1 when free. TMyLinkPoint is a cross-marked square that stands on its own as a
// connection spot; TMyLineLinkLine is the joint placed where a connector is broken in two, with
// one link point at its centre.
#pragma once

#include "line.h"
#include "rectangle.h"

#include <vector>

namespace cad {

// One move of the router: a direction and the point it heads for.
struct TDirAndPoint {
  Tdirections Dir = Tdirections::dNone;
  TMyPoint Pt;
};
using TArrDirAndPoints = std::vector<TDirAndPoint>;

class TMyLinkLine : public TMyLine {
public:
  // Both ends free, jump radius 8, reroute flag set, draw style copied from the surface.
  explicit TMyLinkLine(TMyCAD* ACAD);
  QString ClassName() const override { return QStringLiteral("TMyLinkLine"); }

  void DragChangeValuedxdy(double DX, double DY) override;
  void Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void Drawed(const TPoint& P1, TPoint& P2) override;
  void DrawHot(TCanvas* Canvas) override;
  void Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  TCursor GetMouseCursor(int X, int Y) override;
  // Route points first, then segment midpoints (n + segment index); the last match wins.
  int32_t InWhichHot(const TPoint& P) override;
  bool IsDrawingFinished(TMouseButton Button, const TPoint& P) override;
  void SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) override;
  void Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  void Assign(TMyShape* Source) override;
  void Draw(TCanvas* Canvas) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  TShapeReach GetReach() override;

  TShapeRelations GetRelations() const override;
  void SetRelations(const TShapeRelations& R) override;
  void RenumberRelations(const std::function<int32_t(int32_t)>& Map) override;

  // ---- Ends ----
  int32_t StartSpNo() const { return FStartSpNo; }
  int32_t StartSpPtId() const { return FStartSpPtId; }
  int32_t EndSpNo() const { return FEndSpNo; }
  int32_t EndSpPtId() const { return FEndSpPtId; }
  void SetStartSpNo(int32_t Value);
  void SetStartSpPtId(int32_t Value);
  void SetEndSpNo(int32_t Value);
  void SetEndSpPtId(int32_t Value);
  // The shapes named by the end numbers on this line's surface, or null.
  TMyShape* GetStartShape() const;
  TMyShape* GetEndShape() const;
  // The connection points in zoom: the attached link point when the end is attached, else the
  // first (last) route point.
  TMyPoint GetStartPoint() const;
  TMyPoint GetEndPoint() const;
  void CreateSrcLink(int32_t ShapeNo, int32_t LinkPointId);
  void CreateDestLink(int32_t ShapeNo, int32_t LinkPointId);
  void RemoveSrcLink();
  void RemoveDestLink();
  void RemoveAllLink();

  // ---- Routing style and state ----
  TLinkLineDrawStyle LinkLineDrawStyle() const { return FLinkLineDrawStyle; }
  // lldsHV -> lldsFree keeps the first and last point; lldsFree -> lldsHV sets the reroute
  // flag and routes again at once.
  void SetLinkLineDrawStyle(TLinkLineDrawStyle Value);
  bool Reroute() const { return FReroute; }
  void SetReroute(bool Value) { FReroute = Value; }
  int32_t JumpRadius() const { return FJumpRadius; }
  void SetJumpRadius(int32_t Value);

  // ---- Geometry helpers ----
  // 1 when the segment counts as horizontal (|dx| >= |dy|), else 2.
  static int32_t IsLineHV(const TMyPoint& P1, const TMyPoint& P2);
  // The midpoint of a segment along its axis.
  static void SplitALine(const TMyPoint& A, const TMyPoint& B, TMyPoint& M);
  // Normalises the stored route: drops repeated points and inner points that lie (within 10
  // units) on the line of their neighbours. Runs before every paint.
  void MergePoints();

  // ---- Painters ----
  void DrawStartEnd(TCanvas* Canvas, const TMyPoint& P);
  void DrawCorner(TCanvas* Canvas, const TMyPoint& P);
  void DrawCenter(TCanvas* Canvas, const TMyPoint& P);
  // The upward half circle of a jump centred at (X0, Y0), radius r in device pixels.
  void DrawHalfCircle(TCanvas* Canvas, const TMyPoint& P, int32_t R);

private:
  bool StartAttached() const { return FStartSpNo != -1; }
  bool EndAttached() const { return FEndSpNo != -1; }
  // The route in zoom (device coordinates, not rounded).
  TArrMyPoint ZoomedRoute() const;
  // Hand editing of an lldsHV route: moves hot point H (a route point, or
  // segment H - n) of the zoomed route W by D, inserting the stubs at attached ends. Lo..Hi are
  // the indices of W that moved. False when H names nothing.
  bool EditRoute(TArrMyPoint& W, int32_t H, const TMyPoint& D, int32_t& Lo, int32_t& Hi) const;
  // One segment A-B (device) of a paint with CrossLine on: straight, or with the jumps.
  void DrawCrossedSegment(TCanvas* Canvas, const TMyPoint& A, const TMyPoint& B);

  int32_t FEndSpNo = -1;
  int32_t FEndSpPtId = -1;
  TLinkLineDrawStyle FLinkLineDrawStyle = TLinkLineDrawStyle::lldsHV;
  int32_t FStartSpNo = -1;
  int32_t FStartSpPtId = -1;
  bool FReroute = true;
  int32_t FJumpRadius = 8;
  // The crossings of the segment being drawn, kept to spare an allocation per segment.
  std::vector<float> FCrossings;
};

class TMyLinkPoint : public TMyRectangle {
public:
  explicit TMyLinkPoint(TMyCAD* ACAD);
  QString ClassName() const override { return QStringLiteral("TMyLinkPoint"); }

  void Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) override;
  // A link point is never resized.
  int32_t InWhichHot(const TPoint& P) override;
  // A square of side Size (zoomed) centred on P.
  void AddPointByMouse(const TPoint& P) override;
  void Assign(TMyShape* Source) override;
  void Draw(TCanvas* Canvas) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;

  uint8_t Size() const { return FSize; }
  void SetSize(uint8_t Value);

private:
  uint8_t FSize = 8;
};

class TMyLineLinkLine : public TMyLinkPoint {
public:
  using TMyLinkPoint::TMyLinkPoint;
  QString ClassName() const override { return QStringLiteral("TMyLineLinkLine"); }

  void Drawed(const TPoint& P1, TPoint& P2) override;
  void DrawHot(TCanvas* Canvas) override;
  // The square, then one link point at its centre where connectors meet.
  void AddPointByMouse(const TPoint& P) override;
  void Draw(TCanvas* Canvas) override;
};

}  // namespace cad
