// Snapping to the grid and to shape edges, the Shift constraints, the operations that move,
// resize and rotate a shape together with its members, and the code-driven Move and Rotate.
#include "../shapes/group.h"
#include "../shapes/rectangle.h"
#include "mycad.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace cad {

namespace {
int Sign(long double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// Lines that draw straight between two ends: Shift makes them horizontal or vertical.
bool IsStraightLineKind(const TMyShape* S) {
  const QString n = S->ClassName();
  return n == QLatin1String("TMyLine") || n == QLatin1String("TMyRuleLine") || n == QLatin1String("TMyLinkLine");
}

TMyRect BoxOf(const TArrMyPoint& pts) { return GetPointsLTRB(pts); }

// A group resize as one affine map of the plane: turned back by the frame angle R about the
// centre C, stretched by (SX, SY) about the fixed corner A (given in that unturned frame), turned
// forward again. It is the map SizeChangeValueByScale applies to a shape whose own frame is R.
struct TGroupScaling {
  TMyPoint C, A;
  float R;
  double SX, SY;
  TMyPoint Map(const TMyPoint& P) const {
    TMyPoint q = RotateAPoint(P, C, -R);
    q.X = static_cast<float>((static_cast<long double>(q.X) - A.X) * SX + A.X);
    q.Y = static_cast<float>((static_cast<long double>(q.Y) - A.Y) * SY + A.Y);
    return RotateAPoint(q, C, R);
  }
};

// Two scaling frames closer than this are one frame up to rounding of the stored angles.
constexpr long double kSameFrame = 1e-6L;

void MapShapePoints(TMyShape* S, const std::function<TMyPoint(const TMyPoint&)>& F) {
  for (TMyPoint& p : S->LinkPoints.Edit()) p = F(p);
  for (TMyPoint& p : S->Points.Edit()) p = F(p);
  S->TextPoint = F(S->TextPoint);
  S->CenterPoint = S->ComputeCenterPoint();
  S->Changed();
}

// Scales a member whose own frame differs from the group's. A shape made of free points takes
// the group's map as it is, so every point lands exactly where the group's box takes it. A box
// cannot: stretched along axes that are not its own it would turn into a parallelogram, which no
// box kind can draw or resize. It stays a box at its own angle instead:
//  - its centre goes where the group's map takes it (the centre of that parallelogram);
//  - each side is stretched by the group's factors weighted by how much of it runs along each of
//    the group's axes (for a side at angle d to the group's x axis: SX cos^2 d + SY sin^2 d), so a
//    side along a group axis gets exactly that axis's factor and an even stretch stays even;
//  - when the box so stretched would reach beyond the group-aligned box its old extent maps to
//    (a turned box needs room along both axes, and one of them may grow less or shrink), it is
//    shrunk evenly until it fits, which keeps it inside the group's new box.
// Its link points and text point move with it by the same map, so they keep their places on and
// beside the box.
void ScaleBoxInOtherFrame(TMyShape* S, const TGroupScaling& G) {
  const TMyPoint c = S->ComputeCenterPoint();
  const TMyPoint to = G.Map(c);
  const long double own = S->Angle();
  const long double d = own - G.R;
  const long double cd = std::cos(d), sd = std::sin(d);
  const long double kw = G.SX * cd * cd + G.SY * sd * sd, kh = G.SX * sd * sd + G.SY * cd * cd;
  const long double co = std::cos(own), so = std::sin(own);
  const long double cg = std::cos(static_cast<long double>(G.R)), sg = std::sin(static_cast<long double>(G.R));
  // The offset of a point from the centre, stretched along the box's own axes.
  auto stretched = [&](const TMyPoint& p) {
    const long double vx = static_cast<long double>(p.X) - c.X, vy = static_cast<long double>(p.Y) - c.Y;
    const long double a = (vx * co + vy * so) * kw, b = (-vx * so + vy * co) * kh;
    return std::pair{a * co - b * so, a * so + b * co};
  };
  // Half extents along the group's axes, before and after stretching.
  long double ex = 0, ey = 0, nx = 0, ny = 0;
  for (const TMyPoint& p : std::as_const(S->Points)) {
    const long double vx = static_cast<long double>(p.X) - c.X, vy = static_cast<long double>(p.Y) - c.Y;
    ex = std::max(ex, std::fabs(vx * cg + vy * sg));
    ey = std::max(ey, std::fabs(-vx * sg + vy * cg));
    const auto [wx, wy] = stretched(p);
    nx = std::max(nx, std::fabs(wx * cg + wy * sg));
    ny = std::max(ny, std::fabs(-wx * sg + wy * cg));
  }
  long double fit = 1;
  if (nx > G.SX * ex) fit = std::min(fit, G.SX * ex / nx);
  if (ny > G.SY * ey) fit = std::min(fit, G.SY * ey / ny);
  MapShapePoints(S, [&](const TMyPoint& p) {
    const auto [wx, wy] = stretched(p);
    return TMyPoint{static_cast<float>(to.X + fit * wx), static_cast<float>(to.Y + fit * wy)};
  });
}
}  // namespace

// ---- Grid and shape snapping ----

void TMyCAD::SetFSnapPixels(uint8_t Value) {
  if (Value < FGridOperation->GridWidth() && Value < FGridOperation->GridHeight()) FSnapPixels = Value;
}

bool TMyCAD::SnapXY(int& X, int& Y) {
  bool snapped = false;
  const int s = FSnapPixels;
  if (FSnap) {
    // A zero grid step has no lines to snap to.
    auto snapAxis = [&](int& v, int step) {
      if (step <= 0) return;
      const int r = v % step;
      if (0 < r && r < s) {
        v = (v / step) * step;
        snapped = true;
      } else if (r > step - s) {
        v = (v / step + 1) * step;
        snapped = true;
      }
    };
    snapAxis(X, FGridOperation->GridWidth());
    snapAxis(Y, FGridOperation->GridHeight());
  }
  if (!snapped && FSnapShape) {
    bool xFlag = false, yFlag = false;
    int xCand = 0, topCand = 0, bottomCand = 0;
    // A shape can only pull the point when an edge lies within s of it across the edge and the
    // point lies between 0.8 and 1.2 times the shape's extent along it (a band relative to the
    // origin): two areas around the point hold every such shape. Later shapes win.
    const long double x = X, y = Y;
    auto span = [](long double a, long double b) { return std::pair{std::floor(std::min(a, b)), std::ceil(std::max(a, b))}; };
    const auto [y0, y1] = span(y / 1.2L, y / 0.8L);
    const auto [x0, x1] = span(x / 1.2L, x / 0.8L);
    auto rect = [](long double l, long double t, long double r, long double b) {
      auto c = [](long double v) { return static_cast<int>(std::clamp(v, -1e9L, 1e9L)); };
      return TRect{c(l), c(t), c(r) + 1, c(b) + 1};
    };
    BeginLookup();
    CollectReaching(rect(x - s, y0, x + s, y1), false);
    CollectReaching(rect(x0, y - s, x1, y + s), false);
    for (TMyShape* sh : EndLookup()) {
      if (sh->HasParentShape() || sh == FCurrentShape || sh->Points.empty()) continue;
      const TMyRect b = GetShapeLTRBinZoom(sh);
      const long double l = b.Left, t = b.Top, r = b.Right, bo = b.Bottom;
      const bool inY = 0.8L * t < Y && Y < 1.2L * bo, inX = 0.8L * l < X && X < 1.2L * r;
      if (l - s < X && X < l + s && inY) {
        xCand = Round(X - l);
        xFlag = true;
      }
      if (r - s < X && X < r + s && inY) {
        xCand = Round(X - r);
        xFlag = true;
      }
      if (t - s < Y && Y < t + s && inX) {
        topCand = Round(Y - t);
        yFlag = true;
      }
      if (bo - s < Y && Y < bo + s && inX) {
        bottomCand = Round(Y - bo);
        yFlag = true;
      }
    }
    if (xFlag && xCand != 0) X -= xCand;
    if (yFlag) {
      int c = 0;
      if (topCand != 0 && bottomCand != 0) c = std::abs(bottomCand) < std::abs(topCand) ? bottomCand : topCand;
      else c = topCand != 0 ? topCand : bottomCand;
      Y -= c;
    }
    snapped = xFlag || yFlag;
  }
  return snapped;
}

void TMyCAD::SnapRect(const TMyRect& R, int& X, int& Y) {
  const TPoint corners[4] = {{Round(R.Left), Round(R.Top)},
                             {Round(R.Left), Round(R.Bottom)},
                             {Round(R.Right), Round(R.Top)},
                             {Round(R.Right), Round(R.Bottom)}};
  int bestX = 0, bestY = 0;
  for (const TPoint& c : corners) {
    int x = c.X, y = c.Y;
    if (!SnapXY(x, y)) continue;
    const int dx = c.X - x, dy = c.Y - y;
    if (dx != 0 && (bestX == 0 || std::abs(dx) < std::abs(bestX))) bestX = dx;
    if (dy != 0 && (bestY == 0 || std::abs(dy) < std::abs(bestY))) bestY = dy;
  }
  X -= bestX;
  Y -= bestY;
}

// ---- Shift constraints ----

void TMyCAD::DrawMakeSquareorHV(TShiftState Shift, TMyShape* Shape, const TPoint& Ref, TPoint& P) {
  if (!(Shift & ssShift) || !Shape) return;
  if (IsStraightLineKind(Shape)) {
    if (std::abs(P.X - Ref.X) < std::abs(P.Y - Ref.Y)) P.X = Ref.X;
    else P.Y = Ref.Y;
    return;
  }
  if (!dynamic_cast<TMyRectangle*>(Shape)) return;
  if (P.X == Ref.X) P.X = Ref.X + 1;
  if (P.Y == Ref.Y) P.Y = Ref.Y + 1;
  const int dx = P.X - Ref.X, dy = P.Y - Ref.Y;
  if (std::abs(dy) < std::abs(dx)) P.X = Ref.X + Sign(dx) * std::abs(dy);
  else P.Y = Ref.Y + Sign(dy) * std::abs(dx);
}

void TMyCAD::ResizeMakeSquareorHV(TShiftState Shift, TMyShape* Shape, const TPoint& Ref, TPoint& P) {
  (void)Ref;
  if (!(Shift & ssShift) || !Shape) return;
  const int32_t k = Shape->HotId;
  if (dynamic_cast<TMyRectangle*>(Shape)) {
    if (k < 0 || k > 3) return;
    const int opposite = (k + 2) % 4;
    const int sign = (k == 0 || k == 2) ? 1 : -1;
    const TMyPoint c = Shape->GetCenterPointInZoom();
    const float a = Shape->Angle();
    const TMyPoint o = RotateAPoint(Shape->GetPointInZoom(opposite), c, -a);
    TMyPoint p = RotateAPoint(PtToMyPt(P), c, -a);
    const long double dx = static_cast<long double>(p.X) - o.X, dy = static_cast<long double>(p.Y) - o.Y;
    if (std::fabs(dy) < std::fabs(dx)) p.X = static_cast<float>(Round(o.X + sign * dy));
    else p.Y = static_cast<float>(Round(o.Y + sign * dx));
    P = MyPtToPt(RotateAPoint(p, c, a));
    return;
  }
  const QString n = Shape->ClassName();
  if ((n == QLatin1String("TMyLine") || n == QLatin1String("TMyRuleLine")) && Shape->GetPointsCount() == 2 &&
      (k == 0 || k == 1)) {
    const TMyPoint f = Shape->GetPointInZoom(k == 0 ? 1 : 0);
    if (std::fabs(f.X - P.X) < std::fabs(f.Y - P.Y)) P.X = Round(f.X);
    else P.Y = Round(f.Y);
  }
}

// ---- Group-aware gestures ----

// A group's ghost is the ghosts of its members; its own frame is not drawn.
void TMyCAD::DraggingforShapes(TCanvas* ACanvas, TMyShape* Shape, const TPoint& Start, const TPoint& Current) {
  WalkShapeTree(Shape, TWalk::LeavesOnly, [&](TMyShape* s) {
    if (!s->Locked()) s->Draging(ACanvas, Start, Current);
  });
}

void TMyCAD::DragChangeValueDxDyforShapes(TMyShape* Shape, double dx, double dy) {
  WalkShapeTree(Shape, TWalk::ChildrenFirst, [&](TMyShape* s) {
    if (!s->Locked()) s->DragChangeValuedxdy(dx, dy);
  });
}

void TMyCAD::RotatingforShapes(TCanvas* ACanvas, TMyShape* Shape, const TMyPoint& Center, long double Angle) {
  WalkShapeTree(Shape, TWalk::LeavesOnly, [&](TMyShape* s) {
    if (!s->Locked()) s->Rotating(ACanvas, Center, Angle);
  });
}

void TMyCAD::RotateChangeValueforShapes(TMyShape* Shape, const TMyPoint& Center, double Angle) {
  WalkShapeTree(Shape, TWalk::ShapeFirst, [&](TMyShape* s) {
    if (!s->Locked()) s->RotateChangeValueByAngle(Center, Angle);
  });
}

void TMyCAD::SizeChangeValueforShapes(TMyShape* Shape, const TMyPoint& From, const TMyPoint& To) {
  if (!Shape || Shape->Locked()) return;
  const float a = Shape->Angle();
  if (dynamic_cast<TMyGroup*>(Shape)) {
    // Measure how the group's own box changes, then scale the group and every member by the
    // same factors about the fixed corner, in the box's unturned frame.
    const int32_t k = Shape->HotId;
    if (k < 0 || k > 3) return;
    const TMyPoint c0 = Shape->GetCenterPoint();
    const float r = Shape->ScaleFrameAngle();
    auto unturned = [&](const TArrMyPoint& pts, const TMyPoint& c) {
      TArrMyPoint u;
      for (const TMyPoint& p : pts) u.push_back(RotateAPoint(p, c, -r));
      return BoxOf(u);
    };
    const TMyPoint fixed = RotateAPoint(Shape->GetPoint((k + 2) % 4), c0, -r);
    const TMyRect b0 = unturned(Shape->Points, c0);
    const TArrMyPoint saved = Shape->Points;
    const TMyPoint savedCenter = Shape->CenterPoint;
    Shape->SizeChangeValue(From, To);
    const TMyPoint c1 = Shape->GetCenterPoint();
    const TMyRect b1 = unturned(Shape->Points, c0);
    Shape->Points = saved;
    Shape->CenterPoint = savedCenter;
    const long double w0 = b0.Right - b0.Left, h0 = b0.Bottom - b0.Top;
    const double sx = w0 != 0 ? static_cast<double>((b1.Right - b1.Left) / w0) : 1.0;
    const double sy = h0 != 0 ? static_cast<double>((b1.Bottom - b1.Top) / h0) : 1.0;
    // Shapes turned like the group (the group itself among them) scale in their own frame,
    // which is the group's; the others must not, or they would be stretched along their own
    // axes about a corner given in another frame and leave the group's new box.
    const TGroupScaling g{c0, fixed, r, sx, sy};
    WalkShapeTree(Shape, TWalk::ChildrenFirst, [&](TMyShape* s) {
      if (s->Locked()) return;
      if (std::fabs(static_cast<long double>(s->ScaleFrameAngle()) - r) <= kSameFrame)
        s->SizeChangeValueByScale(sx, sy, fixed, c0, c1);
      else if (dynamic_cast<TMyRectangle*>(s) && s->GetPointsCount() == 4 && std::isfinite(s->Angle()))
        ScaleBoxInOtherFrame(s, g);
      else
        MapShapePoints(s, [&g](const TMyPoint& p) { return g.Map(p); });
    });
    return;
  }

  // Any other shape resizes itself; its text point follows the box's change of size.
  const TMyPoint c0 = Shape->GetCenterPoint();
  auto unturned = [&](const TArrMyPoint& pts) {
    TArrMyPoint u;
    for (const TMyPoint& p : pts) u.push_back(RotateAPoint(p, c0, -a));
    return BoxOf(u);
  };
  const TMyRect r0 = unturned(Shape->Points);
  Shape->SizeChangeValue(From, To);
  const TMyRect r1 = unturned(Shape->Points);
  TMyPoint f{r0.Left, r0.Top};
  if (r1.Left == r0.Left) f.X = r0.Left;
  if (r1.Top == r0.Top) f.Y = r0.Top;
  if (r1.Right == r0.Right) f.X = r0.Right;
  if (r1.Bottom == r0.Bottom) f.Y = r0.Bottom;
  const long double w0 = r0.Right - r0.Left, h0 = r0.Bottom - r0.Top;
  TMyPoint t = RotateAPoint(Shape->TextPoint, c0, -a);
  if (w0 != 0) t.X = static_cast<float>(f.X + (t.X - f.X) * ((r1.Right - r1.Left) / w0));
  if (h0 != 0) t.Y = static_cast<float>(f.Y + (t.Y - f.Y) * ((r1.Bottom - r1.Top) / h0));
  Shape->TextPoint = RotateAPoint(t, c0, a);
  Shape->Changed();
}

void TMyCAD::SizeShape(TMyShape* Shape, int32_t HotIndex, const TMyPoint& P) {
  if (!Shape || HotIndex < 0 || HotIndex >= Shape->GetPointsCount() - 1) return;
  DropRedo();
  Shape->HotId = HotIndex;
  SizeChangeValueforShapes(Shape, Shape->GetPointInZoom(HotIndex), P);
  ChangeLinkShapes(Shape);
  RepaintChanged();
}

void TMyCAD::Move(TMyShape* Shape, float dx, float dy) {
  if (!Shape) return;
  DropRedo();
  MoveInZoom(Shape, dx, dy);
  RepaintChanged();
}

void TMyCAD::MoveInZoom(TMyShape* Shape, double dx, double dy) {
  Fire(OnShapeCodeDragging, &TMyCAD::shapeCodeDragging, Shape, static_cast<float>(dx), static_cast<float>(dy));
  DragChangeValueDxDyforShapes(Shape, dx, dy);
  ChangeLinkShapes(Shape);
}

bool TMyCAD::MoveByUnits(const TArrMyShape& Shapes, double dx, double dy) {
  // One unit in drawing coordinates, by the conversion the length labels use (at zoom 1).
  const long double unit = LengthInUnit(1, FTheUNIT, FRatio);
  if (!std::isfinite(dx) || !std::isfinite(dy) || !(unit > 0) || !std::isfinite(static_cast<double>(unit)))
    return false;
  TArrMyShape shapes;
  for (TMyShape* s : Shapes.empty() ? FWorkingShapes : Shapes)
    if (GetShapeNoInMyShapes(s) >= 0 && std::find(shapes.begin(), shapes.end(), s) == shapes.end()) shapes.push_back(s);
  if (shapes.empty()) return false;
  TNotifyBatch batch(this);
  PushtoUndoRedoShapeList(shapes, QStringLiteral("ACT_CHANGE"));
  DropRedo();
  const double px = static_cast<double>(dx / unit * FZoom), py = static_cast<double>(dy / unit * FZoom);
  for (TMyShape* s : shapes) MoveInZoom(s, px, py);
  SetModified(true);
  RepaintChanged();
  return true;
}

void TMyCAD::Rotate(TMyShape* Shape, float Angle) {
  if (!Shape) return;
  DropRedo();
  Fire(OnShapeCodeRotating, &TMyCAD::shapeCodeRotating, Shape, Angle);
  Shape->SetAngle(Angle);  // turns the whole group and re-routes its connectors
  RepaintChanged();
}

}  // namespace cad
