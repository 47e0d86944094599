#include "linkline.h"

#include "../core/drawmodes.h"
#include "../core/streamprims.h"
#include "../gfx/streams.h"
#include "../surface/mycad.h"
#include "shapedraw.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace cad {

namespace {

// Inner route points this close (drawing units) to the line of both neighbours are merged away.
constexpr float kMergeDistance = 10;

TMyPoint Plus(const TMyPoint& A, const TMyPoint& D) { return TMyPoint{A.X + D.X, A.Y + D.Y}; }
TMyPoint Midpoint(const TMyPoint& A, const TMyPoint& B) { return TMyPoint{A.X + (B.X - A.X) / 2, A.Y + (B.Y - A.Y) / 2}; }

// Whether P (device) lies on the hot square of centre C (rounded), as every hot test of the line
// family takes it: grown by the hot size, right and bottom edges excluded.
bool OnHotSquare(const TMyPoint& C, int32_t S, const TPoint& P) {
  const TPoint c = MyPtToPt(C);
  return PtInRect(ExpandRect(TRect{c.X, c.Y, c.X, c.Y}, S), P);
}

// The first inner point of W that lies within the merge distance of the vertical (Vertical) or
// horizontal line of both its neighbours, or -1.
int32_t MergeCandidate(const TArrMyPoint& W, bool& Vertical) {
  for (size_t i = 1; i + 1 < W.size(); ++i) {
    const TMyPoint &a = W[i - 1], &p = W[i], &b = W[i + 1];
    if (std::fabs(p.X - a.X) <= kMergeDistance && std::fabs(p.X - b.X) <= kMergeDistance) {
      Vertical = true;
      return static_cast<int32_t>(i);
    }
    if (std::fabs(p.Y - a.Y) <= kMergeDistance && std::fabs(p.Y - b.Y) <= kMergeDistance) {
      Vertical = false;
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

bool HasRepeatedPoint(const TArrMyPoint& W) { return std::adjacent_find(W.begin(), W.end()) != W.end(); }

}  // namespace

// ---- TMyLinkLine ----

TMyLinkLine::TMyLinkLine(TMyCAD* ACAD) : TMyLine(ACAD) {
  if (MyCAD) FLinkLineDrawStyle = MyCAD->LinkLineDrawStyle();
}

void TMyLinkLine::Assign(TMyShape* Source) {
  if (!Source || Source == this) return;
  TMyLine::Assign(Source);
  if (auto* l = dynamic_cast<TMyLinkLine*>(Source)) {
    FStartSpNo = l->FStartSpNo;
    FStartSpPtId = l->FStartSpPtId;
    FEndSpNo = l->FEndSpNo;
    FEndSpPtId = l->FEndSpPtId;
    FLinkLineDrawStyle = l->FLinkLineDrawStyle;
    FReroute = l->FReroute;
    FJumpRadius = l->FJumpRadius;
    Changed();
  }
}

// ---- Ends ----

TShapeRelations TMyLinkLine::GetRelations() const {
  TShapeRelations r = TMyLine::GetRelations();
  r.StartSpNo = FStartSpNo;
  r.StartSpPtId = FStartSpPtId;
  r.EndSpNo = FEndSpNo;
  r.EndSpPtId = FEndSpPtId;
  return r;
}
void TMyLinkLine::SetRelations(const TShapeRelations& R) {
  TMyLine::SetRelations(R);
  FStartSpNo = R.StartSpNo;
  FStartSpPtId = R.StartSpPtId;
  FEndSpNo = R.EndSpNo;
  FEndSpPtId = R.EndSpPtId;
}
void TMyLinkLine::RenumberRelations(const std::function<int32_t(int32_t)>& Map) {
  TMyLine::RenumberRelations(Map);
  FStartSpNo = Map(FStartSpNo);
  FEndSpNo = Map(FEndSpNo);
}
void TMyLinkLine::SetStartSpNo(int32_t Value) { FStartSpNo = Value; }
void TMyLinkLine::SetStartSpPtId(int32_t Value) { FStartSpPtId = Value; }
void TMyLinkLine::SetEndSpNo(int32_t Value) { FEndSpNo = Value; }
void TMyLinkLine::SetEndSpPtId(int32_t Value) { FEndSpPtId = Value; }

TMyShape* TMyLinkLine::GetStartShape() const {
  return MyCAD && FStartSpNo != -1 ? MyCAD->GetShapeByNo(FStartSpNo) : nullptr;
}
TMyShape* TMyLinkLine::GetEndShape() const { return MyCAD && FEndSpNo != -1 ? MyCAD->GetShapeByNo(FEndSpNo) : nullptr; }

TMyPoint TMyLinkLine::GetStartPoint() const {
  const TMyShape* s = GetStartShape();
  if (s && FStartSpPtId >= 0 && FStartSpPtId < s->GetLinkPointsCount()) return s->GetLinkPointInZoom(FStartSpPtId);
  return GetPointInZoom(0);
}

TMyPoint TMyLinkLine::GetEndPoint() const {
  const TMyShape* s = GetEndShape();
  if (s && FEndSpPtId >= 0 && FEndSpPtId < s->GetLinkPointsCount()) return s->GetLinkPointInZoom(FEndSpPtId);
  return GetPointInZoom(GetPointsCount() - 1);
}

void TMyLinkLine::CreateSrcLink(int32_t ShapeNo, int32_t LinkPointId) {
  FStartSpNo = ShapeNo;
  FStartSpPtId = LinkPointId;
}
void TMyLinkLine::CreateDestLink(int32_t ShapeNo, int32_t LinkPointId) {
  FEndSpNo = ShapeNo;
  FEndSpPtId = LinkPointId;
}
void TMyLinkLine::RemoveSrcLink() { CreateSrcLink(-1, -1); }
void TMyLinkLine::RemoveDestLink() { CreateDestLink(-1, -1); }
void TMyLinkLine::RemoveAllLink() {
  RemoveSrcLink();
  RemoveDestLink();
}

// ---- Style and state ----

void TMyLinkLine::SetLinkLineDrawStyle(TLinkLineDrawStyle Value) {
  if (Value == FLinkLineDrawStyle) return;
  FLinkLineDrawStyle = Value;
  if (Value == TLinkLineDrawStyle::lldsFree) {
    if (Points.size() > 2) {
      const TMyPoint first = std::as_const(Points).front(), last = std::as_const(Points).back();
      Points = {first, last};
    }
  } else {
    FReroute = true;
    if (MyCAD && !Points.empty())
      MyCAD->GetPath(nullptr, this, GetStartShape(), GetStartPoint(), GetEndShape(), GetEndPoint());
  }
  CenterPoint = ComputeCenterPoint();
  Changed();
  InvalidateSurface();
}

void TMyLinkLine::SetJumpRadius(int32_t Value) {
  if (Value == FJumpRadius) return;
  FJumpRadius = Value;
  Changed();
}

// ---- Geometry helpers ----

int32_t TMyLinkLine::IsLineHV(const TMyPoint& P1, const TMyPoint& P2) {
  return std::fabs(P1.X - P2.X) >= std::fabs(P1.Y - P2.Y) ? 1 : 2;
}

void TMyLinkLine::SplitALine(const TMyPoint& A, const TMyPoint& B, TMyPoint& M) {
  if (IsLineHV(A, B) == 1) M = TMyPoint{A.X + (B.X - A.X) / 2, A.Y};
  else M = TMyPoint{A.X, A.Y + (B.Y - A.Y) / 2};
}

TArrMyPoint TMyLinkLine::ZoomedRoute() const {
  TArrMyPoint w;
  w.reserve(Points.size());
  for (int32_t i = 0; i < GetPointsCount(); ++i) w.push_back(GetPointInZoom(i));
  return w;
}

void TMyLinkLine::MergePoints() {
  // Runs on every paint: a route that needs nothing is only read, and a route that changes is
  // written back once (through Points, which tells the surface; nothing repaints from here).
  const TArrMyPoint& now = Points;
  if (now.size() < 2) return;
  bool vertical = false;
  const bool repeated = HasRepeatedPoint(now);
  const bool bothEndsHeld = StartAttached() && EndAttached();
  if (!repeated && ((now.size() <= 4 && bothEndsHeld) || MergeCandidate(now, vertical) < 0)) return;

  TArrMyPoint w = now;
  // Each point equal to its predecessor goes (the first such point each time, which is what
  // removing repeats from left to right amounts to).
  w.erase(std::unique(w.begin(), w.end()), w.end());
  // A short route between two shapes stays as it is; otherwise inner points on the line of their
  // neighbours go, one at a time, until none is left.
  if (!(w.size() <= 4 && bothEndsHeld)) {
    for (int32_t i = MergeCandidate(w, vertical); i >= 0; i = MergeCandidate(w, vertical)) {
      const size_t k = static_cast<size_t>(i);
      const bool lastFollows = EndAttached() && k + 2 == w.size();
      TMyPoint& target = lastFollows ? w[k - 1] : w[k + 1];
      const TMyPoint& source = lastFollows ? w[k + 1] : w[k - 1];
      if (vertical) target.X = source.X;
      else target.Y = source.Y;
      w.erase(w.begin() + i);
    }
  }
  Points = std::move(w);
}

// ---- Painting ----

void TMyLinkLine::DrawHalfCircle(TCanvas* Canvas, const TMyPoint& P, int32_t R) {
  // Every paint with CrossLine on draws thousands of these: the eight roundings are done in
  // double precision, which holds a single plus an integer exactly and rounds the same way (half
  // to even) as the long double rounding of the component, at a fraction of its cost.
  auto round = [](double v) {
    if (!(v > -2147483648.0 && v < 2147483647.0)) return Round(v);
    return static_cast<int32_t>(std::nearbyint(v));
  };
  const double x0 = P.X, y0 = P.Y, r = R;
  Canvas->RepeatedArc(round(x0 - r), round(y0 - r), round(x0 + r), round(y0 + r), round(x0 + r), round(y0), round(x0 - r - 1),
              round(y0 + 1));
}

void TMyLinkLine::DrawCrossedSegment(TCanvas* Canvas, const TMyPoint& A, const TMyPoint& B) {
  FCrossings.clear();
  if (IsLineHV(A, B) == 1) MyCAD->GetLinkLineCrossings(A, B, FCrossings);
  if (FCrossings.empty()) {
    LineDraw(this, Canvas, A, B);
    return;
  }
  // Left to right; among equal values the order does not change what is drawn.
  std::sort(FCrossings.begin(), FCrossings.end());
  const TMyPoint& L = B.X >= A.X ? A : B;
  const TMyPoint& R = B.X >= A.X ? B : A;
  TMyPoint C = L;
  const int32_t r = Round(static_cast<long double>(FJumpRadius) * Zoom());
  for (const float x0 : FCrossings) {
    const TMyPoint j1{static_cast<float>(x0 - static_cast<long double>(r)), C.Y};
    const TMyPoint j2{static_cast<float>(x0 + static_cast<long double>(r)), C.Y};
    if (R.X > j2.X && j1.X > C.X) {
      LineDraw(this, Canvas, C, j1);
      DrawHalfCircle(Canvas, TMyPoint{x0, A.Y}, r);
      C = j2;
    }
  }
  LineDraw(this, Canvas, C, R);
}

void TMyLinkLine::Draw(TCanvas* Canvas) {
  if (!Canvas) return;
  SetDrawShapeMode(this, Canvas);
  SetPS(Canvas, Pen()->Style(), Pen()->Color(), Pen()->Width(), nullptr, nullptr);
  MergePoints();
  const int32_t n = GetPointsCount();
  const bool jumps = MyCAD && MyCAD->CrossLine();
  for (int32_t i = 0; i + 1 < n; ++i) {
    const TMyPoint a = GetPointInZoom(i), b = GetPointInZoom(i + 1);
    if (jumps) DrawCrossedSegment(Canvas, a, b);
    else LineDraw(this, Canvas, a, b);
  }
  if (n >= 2) {
    SetDrawTriangleMode(this, Canvas);
    const TArrowStyle style = ArrowStyle();
    if (style == TArrowStyle::ALeft || style == TArrowStyle::ADouble)
      DrawTriangle(Canvas, GetPointInZoom(n - 1), GetPointInZoom(n - 2));
    if (style == TArrowStyle::ARight || style == TArrowStyle::ADouble) DrawTriangle(Canvas, GetPointInZoom(0), GetPointInZoom(1));
  }
  SetDrawShapeMode(this, Canvas);
  DrawInfo(Canvas);
}

TShapeReach TMyLinkLine::GetReach() {
  TShapeReach r = TMyLine::GetReach();
  if (!r.Bounded || Points.size() < 2) return r;
  // A jump bulges the jump radius (zoomed with the drawing) above a horizontal segment, and a
  // connector's vertical segment makes the others jump within that radius of it. Whether jumps
  // show is the surface's CrossLine, which may change at any time, so the room is always kept;
  // a pixel more covers the rounding of the radius and the arc's end point.
  const float j = static_cast<float>(std::max(FJumpRadius, 0));
  r.Box = TMyRect{r.Box.Left - j, r.Box.Top - j, r.Box.Right + j, r.Box.Bottom + j};
  r.Margin += 2;
  return r;
}

// ---- Hot points ----

int32_t TMyLinkLine::InWhichHot(const TPoint& P) {
  HotId = -1;
  if (MyCAD && MyCAD->ShapeTool() == TDrawTool::SpRotateSelecting) return -1;
  const int32_t n = GetPointsCount(), s = HotSize();
  for (int32_t i = 0; i < n; ++i)
    if (OnHotSquare(GetPointInZoom(i), s, P)) HotId = i;
  for (int32_t i = 0; i + 1 < n; ++i)
    if (OnHotSquare(Midpoint(GetPointInZoom(i), GetPointInZoom(i + 1)), s, P)) HotId = n + i;
  return HotId;
}

void TMyLinkLine::DrawStartEnd(TCanvas* Canvas, const TMyPoint& P) {
  if (Locked()) SetDrawLockedHotMode(Canvas);
  else SetDrawHotMode(Canvas);
  const long double s = HotSize();
  Canvas->Rectangle(Round(P.X - s), Round(P.Y - s), Round(P.X + s), Round(P.Y + s));
}

void TMyLinkLine::DrawCorner(TCanvas* Canvas, const TMyPoint& P) {
  if (Locked()) SetDrawLockedHotMode(Canvas);
  else SetDrawHotMode(Canvas);
  Canvas->Pen()->SetStyle(TPenStyle::psClear);
  const long double s = HotSize();
  Canvas->Polygon(TArrPoint{{Round(P.X - s), Round(P.Y)}, {Round(P.X), Round(P.Y - s)}, {Round(P.X + s), Round(P.Y)},
                            {Round(P.X), Round(P.Y + s)}});
}

void TMyLinkLine::DrawCenter(TCanvas* Canvas, const TMyPoint& P) {
  if (Locked()) SetDrawLockedHotMode(Canvas);
  else SetDrawHotMode(Canvas);
  Canvas->Pen()->SetStyle(TPenStyle::psClear);
  const long double s = HotSize();
  Canvas->Rectangle(Round(P.X - s), Round(P.Y - s), Round(P.X + s), Round(P.Y + s));
}

void TMyLinkLine::DrawHot(TCanvas* Canvas) {
  if (!Canvas || (MyCAD && !MyCAD->HotShow())) return;
  const int32_t n = GetPointsCount();
  if (FLinkLineDrawStyle == TLinkLineDrawStyle::lldsFree) {
    for (int32_t i = 0; i < n; ++i) DrawStartEnd(Canvas, GetPointInZoom(i));
  } else if (n > 0) {
    DrawStartEnd(Canvas, GetPointInZoom(0));
    DrawStartEnd(Canvas, GetPointInZoom(n - 1));
    for (int32_t i = 1; i + 1 < n; ++i) DrawCorner(Canvas, GetPointInZoom(i));
    for (int32_t i = 0; i + 1 < n; ++i) DrawCenter(Canvas, Midpoint(GetPointInZoom(i), GetPointInZoom(i + 1)));
  }
  DrawDiamond(this, Canvas, ZoomedValuePt(TextPoint), clLime);
}

TCursor TMyLinkLine::GetMouseCursor(int X, int Y) {
  const int32_t h = InWhichHot(Point(X, Y)), n = GetPointsCount();
  if (h >= 0 && h < n) return crSizeAll;
  if (h >= n && h - n + 1 < n)
    return IsLineHV(GetPointInZoom(h - n), GetPointInZoom(h - n + 1)) == 2 ? crSizeWE : crSizeNS;
  return crDefault;
}

// ---- Hand editing ----

bool TMyLinkLine::EditRoute(TArrMyPoint& W, int32_t H, const TMyPoint& D, int32_t& Lo, int32_t& Hi) const {
  const int32_t n = static_cast<int32_t>(W.size());
  if (H < 0 || n == 0) return false;
  auto insertTwice = [&W](size_t At, const TMyPoint& M) { W.insert(W.begin() + static_cast<std::ptrdiff_t>(At), 2, M); };
  auto alongAxis = [](const TMyPoint& From, TMyPoint& Follower, const TMyPoint& D) {
    if (IsLineHV(From, Follower) == 1) Follower.Y += D.Y;
    else Follower.X += D.X;
  };
  TMyPoint m;
  if (H < n) {
    // A route point: its neighbours follow it along their segments' axes.
    size_t i = static_cast<size_t>(H);
    if (StartAttached() && i == 1) {
      SplitALine(W[0], W[1], m);
      insertTwice(1, m);
      i = 3;
    }
    if (EndAttached() && i + 2 == W.size()) {
      SplitALine(W[i], W[i + 1], m);
      insertTwice(i + 1, m);
    }
    if (i + 1 < W.size()) alongAxis(W[i], W[i + 1], D);
    if (i >= 1) alongAxis(W[i], W[i - 1], D);
    W[i] = Plus(W[i], D);
    Lo = static_cast<int32_t>(i >= 1 ? i - 1 : i);
    Hi = static_cast<int32_t>(std::min(i + 1, W.size() - 1));
    // A dragged end whose segment runs neither across nor down (a straight route between close
    // link points) turns a corner, so the route stays right-angled: across from its neighbour
    // when the neighbour's other segment runs down, else down.
    const bool atStart = i == 0, atEnd = i + 1 == W.size();
    if ((atStart || atEnd) && W.size() >= 2) {
      const size_t k = atStart ? 1 : i - 1;
      if (W[i].X != W[k].X && W[i].Y != W[k].Y) {
        const bool hasOther = atStart ? k + 1 < W.size() : k >= 1;
        const bool otherAcross = hasOther && IsLineHV(W[atStart ? k + 1 : k - 1], W[k]) == 1;
        const TMyPoint corner = otherAcross ? TMyPoint{W[k].X, W[i].Y} : TMyPoint{W[i].X, W[k].Y};
        W.insert(W.begin() + static_cast<std::ptrdiff_t>(atStart ? 1 : i), corner);
        Lo = atStart ? 0 : std::min(Lo, static_cast<int32_t>(k));
        Hi = atStart ? std::min(Hi + 1, static_cast<int32_t>(W.size()) - 1) : static_cast<int32_t>(W.size()) - 1;
      }
    }
    return true;
  }
  // A segment handle: the segment moves across its axis as a whole.
  size_t i = static_cast<size_t>(H - n);
  if (i + 1 >= W.size()) return false;
  if (StartAttached() && i == 0) {
    SplitALine(W[0], W[1], m);
    SplitALine(W[0], m, m);
    insertTwice(1, m);
    i = 2;
  }
  if (EndAttached() && i + 2 == W.size()) {
    SplitALine(W[i], W[i + 1], m);
    SplitALine(W[i + 1], m, m);
    insertTwice(i + 1, m);
  }
  if (IsLineHV(W[i], W[i + 1]) == 1) {
    W[i].Y += D.Y;
    W[i + 1].Y += D.Y;
  } else {
    W[i].X += D.X;
    W[i + 1].X += D.X;
  }
  Lo = static_cast<int32_t>(i);
  Hi = static_cast<int32_t>(i + 1);
  return true;
}

void TMyLinkLine::SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) {
  TMyShape::SizeChangeValue(P1, P2);
  const int32_t n = GetPointsCount(), h = HotId;
  if (n == 0 || h < 0) return;
  const TMyPoint d{P2.X - P1.X, P2.Y - P1.Y};
  TArrMyPoint w = ZoomedRoute();
  // An end point dragged onto a link point attaches there; dragged off, it comes free.
  if (MyCAD && h == 0) {
    TMyPoint p = Plus(w[0], d);
    MyCAD->GetMainShape(this, TLinkLineEndPoint::llStart, p);
  }
  if (MyCAD && h == n - 1) {
    TMyPoint p = Plus(w[static_cast<size_t>(n - 1)], d);
    MyCAD->GetMainShape(this, TLinkLineEndPoint::llEnd, p);
  }
  if (FLinkLineDrawStyle == TLinkLineDrawStyle::lldsFree) {
    if (h < n) PointAddXY(h, d.X, d.Y);
    CenterPoint = ComputeCenterPoint();
    Changed();
    return;
  }
  // A hand-shaped route stays when an attached shape moves later: only the end at that shape is
  // routed again. Any drag of an inner handle shapes the route by hand, whichever way it went,
  // so it clears the reroute flag; a drag of no distance shaped nothing and leaves the flag.
  if (h != 0 && h != n - 1 && (d.X != 0 || d.Y != 0)) FReroute = false;
  int32_t lo = 0, hi = 0;
  if (!EditRoute(w, h, d, lo, hi)) return;
  const double z = Zoom();
  TArrMyPoint stored;
  stored.reserve(w.size());
  for (const TMyPoint& p : w) stored.push_back(TMyPoint{static_cast<float>(p.X / z), static_cast<float>(p.Y / z)});
  Points = std::move(stored);
  CenterPoint = ComputeCenterPoint();
  Changed();
}

void TMyLinkLine::Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  TMyLine::Sizing(Canvas, P1, P2);
  if (!Canvas || FLinkLineDrawStyle != TLinkLineDrawStyle::lldsHV) return;
  TArrMyPoint w = ZoomedRoute();
  const TMyPoint d{static_cast<float>(P2.X - P1.X), static_cast<float>(P2.Y - P1.Y)};
  int32_t lo = 0, hi = 0;
  if (!EditRoute(w, HotId, d, lo, hi)) return;
  const int32_t last = static_cast<int32_t>(w.size()) - 2;
  for (int32_t j = std::max(lo - 1, 0); j <= std::min(hi, last); ++j)
    DrawSegment(Canvas, MyPtToPt(w[static_cast<size_t>(j)]), MyPtToPt(w[static_cast<size_t>(j + 1)]));
}

// ---- Creation and moving ----

bool TMyLinkLine::IsDrawingFinished(TMouseButton, const TPoint&) { return GetPointsCount() >= 2; }

void TMyLinkLine::Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) {
  TMyShape* start = GetStartShape();
  const TMyPoint from = start ? GetStartPoint() : PtToMyPt(P1);
  if (FLinkLineDrawStyle == TLinkLineDrawStyle::lldsHV) {
    if (MyCAD) MyCAD->GetPath(Canvas, this, start, from, GetEndShape(), PtToMyPt(P2));
  } else if (Canvas) {
    DrawSegment(Canvas, MyPtToPt(from), P2);
  }
}

void TMyLinkLine::Drawed(const TPoint& P1, TPoint& P2) {
  TMyLine::Drawed(P1, P2);
  if (!MyCAD) return;
  TMyPoint p = PtToMyPt(P2);
  MyCAD->GetMainShape(this, TLinkLineEndPoint::llEnd, p);
  P2 = MyPtToPt(p);
  const int32_t n = GetPointsCount();
  if (n == 0) return;
  if (GetStartShape()) SetPointInZoom(0, GetStartPoint());
  if (GetEndShape()) SetPointInZoom(n - 1, GetEndPoint());
  if (!EndAttached()) {
    // Released on a straight stretch of another connector: that one is split there and this
    // one joins it at the new joint, its end put onto the point found.
    TMyPoint at = p;
    TMyLinkLine* other = nullptr;
    const int32_t seg = MyCAD->IsBreakLineByAPoint(at, other, this);
    if (seg >= 0 && other) {
      SetPointInZoom(n - 1, at);
      MyCAD->BreakLine(this, at, other, seg);
    }
  }
  CenterPoint = ComputeCenterPoint();
  Changed();
}

void TMyLinkLine::DragChangeValuedxdy(double DX, double DY) {
  TMyLine::DragChangeValuedxdy(DX, DY);
  if (!MyCAD || MyCAD->GetWorkingShapesCount() != 1 || MyCAD->IsInWorkingShape(this) < 0) return;
  const int32_t n = GetPointsCount();
  if (n == 0) return;
  TMyPoint first = GetPointInZoom(0), last = GetPointInZoom(n - 1);
  MyCAD->GetMainShape(this, TLinkLineEndPoint::llStart, first);
  MyCAD->GetMainShape(this, TLinkLineEndPoint::llEnd, last);
}

void TMyLinkLine::Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) { TMyLine::Draging(Canvas, P1, P2); }

// ---- Stream record ----

void TMyLinkLine::SaveToStream(TStream& Stream) {
  TMyLine::SaveToStream(Stream);
  Stream.WriteLE<int32_t>(FStartSpNo);
  Stream.WriteLE<int32_t>(FStartSpPtId);
  Stream.WriteLE<int32_t>(FEndSpNo);
  Stream.WriteLE<int32_t>(FEndSpPtId);
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FLinkLineDrawStyle));
}

void TMyLinkLine::LoadFromStream(TStream& Stream) {
  TMyLine::LoadFromStream(Stream);
  FStartSpNo = Stream.ReadLE<int32_t>();
  FStartSpPtId = Stream.ReadLE<int32_t>();
  FEndSpNo = Stream.ReadLE<int32_t>();
  FEndSpPtId = Stream.ReadLE<int32_t>();
  // The style byte came with "ZK.5"; older drawings keep the default.
  const QString v = RecordVersion().trimmed();
  static const char* const kWithStyle[] = {"ZK.5", "ZK.6", "ZK.7", "ZK.8", "ZK.9", "ZK.a"};
  const bool withStyle = std::any_of(std::begin(kWithStyle), std::end(kWithStyle), [&v](const char* k) { return v == QLatin1String(k); });
  FLinkLineDrawStyle = withStyle
                           ? EnumFromStored(Stream.ReadLE<uint8_t>(), TLinkLineDrawStyle::lldsFree, TLinkLineDrawStyle::lldsHV)
                           : TLinkLineDrawStyle::lldsHV;
  FReroute = true;
  Changed();
}

// ---- TMyLinkPoint ----

TMyLinkPoint::TMyLinkPoint(TMyCAD* ACAD) : TMyRectangle(ACAD) {}

// The square appears whole at the click that places it: there is nothing to rubber-band.
void TMyLinkPoint::Drawing(TCanvas*, const TPoint&, const TPoint&) {}

int32_t TMyLinkPoint::InWhichHot(const TPoint&) {
  HotId = -1;
  return -1;
}

void TMyLinkPoint::AddPointByMouse(const TPoint& P) {
  const long double h = FSize * static_cast<long double>(Zoom()) / 2;
  const long double x = P.X, y = P.Y;
  Points.clear();
  for (const auto& [dx, dy] : {std::pair{-h, -h}, std::pair{h, -h}, std::pair{h, h}, std::pair{-h, h}})
    AddPoint(TMyPoint{static_cast<float>(x + dx), static_cast<float>(y + dy)});
}

void TMyLinkPoint::Assign(TMyShape* Source) {
  if (!Source || Source == this) return;
  TMyRectangle::Assign(Source);
  if (auto* p = dynamic_cast<TMyLinkPoint*>(Source)) {
    FSize = p->FSize;
    Changed();
  }
}

void TMyLinkPoint::Draw(TCanvas* Canvas) {
  if (!Canvas) return;
  SetDrawShapeMode(this, Canvas);
  if (GetPointsCount() >= 4) {
    LineDraw(this, Canvas, GetPointInZoom(0), GetPointInZoom(2));
    LineDraw(this, Canvas, GetPointInZoom(1), GetPointInZoom(3));
  }
  DrawInfo(Canvas);
}

void TMyLinkPoint::SaveToStream(TStream& Stream) {
  TMyRectangle::SaveToStream(Stream);
  Stream.WriteLE<uint8_t>(FSize);
}

void TMyLinkPoint::LoadFromStream(TStream& Stream) {
  TMyRectangle::LoadFromStream(Stream);
  FSize = Stream.ReadLE<uint8_t>();
  Changed();
}

void TMyLinkPoint::SetSize(uint8_t Value) {
  if (Value == FSize) return;
  FSize = Value;
  Changed();
}

// ---- TMyLineLinkLine ----

void TMyLineLinkLine::AddPointByMouse(const TPoint& P) {
  TMyLinkPoint::AddPointByMouse(P);
  LinkPoints = {GetCenterPoint()};
}

void TMyLineLinkLine::Drawed(const TPoint& P1, TPoint& P2) {
  TMyLinkPoint::Drawed(P1, P2);
  // The joint's one link point stays at its centre, where the connectors meet.
  if (GetPointsCount() >= 4 && !(LinkPoints.size() == 1 && std::as_const(LinkPoints)[0] == GetCenterPoint()))
    LinkPoints = {GetCenterPoint()};
}

void TMyLineLinkLine::DrawHot(TCanvas* Canvas) {
  // A joint is moved, never resized: one mark at its centre.
  if (!Canvas) return;
  if (GetPointsCount() >= 4) DrawSquare(this, Canvas, GetCenterPointInZoom());
  DrawDiamond(this, Canvas, ZoomedValuePt(TextPoint), clLime);
}

void TMyLineLinkLine::Draw(TCanvas* Canvas) {
  if (!Canvas) return;
  SetDrawShapeMode(this, Canvas);
  if (GetPointsCount() >= 4) {
    // A junction dot: the circle inscribed in the square and, filled in the pen colour, one of
    // half its radius (the two circles the DXF export writes for a joint).
    const TMyPoint c = GetCenterPointInZoom();
    const long double r = std::fabs(static_cast<long double>(GetPointInZoom(1).X) - GetPointInZoom(0).X) / 2;
    Canvas->Ellipse(Round(c.X - r), Round(c.Y - r), Round(c.X + r), Round(c.Y + r));
    Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    Canvas->Brush()->SetColor(Pen()->Color());
    Canvas->Ellipse(Round(c.X - r / 2), Round(c.Y - r / 2), Round(c.X + r / 2), Round(c.Y + r / 2));
    SetDrawShapeMode(this, Canvas);
  }
  DrawInfo(Canvas);
}

}  // namespace cad
