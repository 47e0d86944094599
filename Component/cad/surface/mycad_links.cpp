// Connectors on the surface: creating them by code, finding link points under the pointer,
// routing, following moved shapes, and splitting a connector where another one joins it.
#include "../shapes/group.h"
#include "../shapes/linkline.h"
#include "mycad.h"

#include <algorithm>
#include <cmath>

namespace cad {

namespace {

// Router settings, in device pixels: the length of one walking step, how close to a target a
// move counts as arrived, how many steps one routing may take in all, and how far an obstacle's
// box is grown to be hit and to be stepped around.
constexpr float kStep = 15;
constexpr float kArrived = 20;
constexpr int kMaxSteps = 10;
constexpr float kObstacleMargin = 10;
constexpr float kDetourMargin = 20;

bool IsHorizontal(Tdirections D) { return D == Tdirections::dLeft || D == Tdirections::dRight; }

TMyPoint Advance(const TMyPoint& P, Tdirections D) {
  switch (D) {
    case Tdirections::dLeft: return TMyPoint{P.X - kStep, P.Y};
    case Tdirections::dbottom: return TMyPoint{P.X, P.Y + kStep};
    case Tdirections::dRight: return TMyPoint{P.X + kStep, P.Y};
    case Tdirections::dTop: return TMyPoint{P.X, P.Y - kStep};
    default: return P;
  }
}

// The moves from C towards G after a move in direction After: an L of at most two legs, the
// first leg across the previous direction. Listed first move first.
TArrDirAndPoints MovesTowards(const TMyPoint& C, const TMyPoint& G, Tdirections After) {
  TArrDirAndPoints moves;
  auto horizontal = [&](const TMyPoint& From) {
    if (G.X != From.X) moves.push_back({G.X > From.X ? Tdirections::dRight : Tdirections::dLeft, TMyPoint{G.X, From.Y}});
  };
  auto vertical = [&](const TMyPoint& From) {
    if (G.Y != From.Y) moves.push_back({G.Y > From.Y ? Tdirections::dbottom : Tdirections::dTop, TMyPoint{From.X, G.Y}});
  };
  if (IsHorizontal(After)) {
    vertical(C);
    horizontal(TMyPoint{C.X, G.Y});
  } else {
    horizontal(C);
    vertical(TMyPoint{G.X, C.Y});
  }
  return moves;
}

bool Contains(const TMyRect& R, const TMyPoint& P) {
  return P.X >= R.Left && P.X <= R.Right && P.Y >= R.Top && P.Y <= R.Bottom;
}

TMyRect Grown(const TMyRect& R, float By) { return TMyRect{R.Left - By, R.Top - By, R.Right + By, R.Bottom + By}; }

bool ValidLinkPoint(const TMyShape* S, int32_t I) { return S && I >= 0 && I < S->GetLinkPointsCount(); }

}  // namespace

// ---- Finding link points ----

int32_t TMyCAD::IsinHotLink(TMyShape* S, const TPoint& P) const {
  if (!S) return -1;
  int32_t found = -1;
  for (int32_t i = 0; i < S->GetLinkPointsCount(); ++i) {
    const TPoint c = MyPtToPt(S->GetLinkPointInZoom(i));
    if (PtInRect(ExpandRect(TRect{c.X, c.Y, c.X, c.Y}, 5), P)) found = i;
  }
  return found;
}

bool TMyCAD::InWhichShapeWhichHotLinkId(int32_t& ShapeNo, int32_t& LinkId, const TMyPoint& P) {
  ShapeNo = LinkId = -1;
  const TPoint p = MyPtToPt(P);
  // Only shapes whose reach meets the pointer can have a link point under it. The shape lit by
  // the last call is asked too when it is not among them, so that its mark goes away.
  // (A copy: asking a shape may bring the picture up to date, which looks shapes up again.)
  const TArrMyShape asked = ShapesReaching(TRect{p.X - 6, p.Y - 6, p.X + 7, p.Y + 7});
  TMyShape* lit = FLinkLitShape;
  FLinkLitShape = nullptr;
  if (lit && lit->LinkHotId >= 0 && std::find(asked.begin(), asked.end(), lit) == asked.end()) lit->InWhichLinkHot(P);
  for (TMyShape* s : asked) {
    if (s->GetLinkPointsCount() == 0) continue;
    if (s->FSlot.Selected && FWorkingShapes.size() != 1) continue;
    const int32_t id = s->InWhichLinkHot(P);
    if (id < 0) continue;
    ShapeNo = s->ShapeNo;
    LinkId = id;
    FLinkLitShape = s;
    return true;
  }
  return false;
}

void TMyCAD::ClearAllLinkHot() {
  for (TMyShape* s : FMyShapes) s->LinkHotId = -1;
  FLinkLitShape = nullptr;
}

int32_t TMyCAD::IsLinked(TMyShape* A, TMyShape* B) const {
  if (!A || !B) return -1;
  for (int32_t no : A->LinkShapes) {
    if (std::find(B->LinkShapes.begin(), B->LinkShapes.end(), no) == B->LinkShapes.end()) continue;
    if (TMyShape* line = GetShapeByNo(no)) return line->ShapeId;
  }
  return -1;
}

// ---- Routing ----

void TMyCAD::GetPath(TCanvas* ACanvas, TMyLinkLine* Line, TMyShape* StartShape, const TMyPoint& Ps, TMyShape* EndShape,
                     const TMyPoint& Pe) {
  RoutePath(ACanvas, Line, StartShape, Ps, EndShape, Pe);
}

bool TMyCAD::RoutePath(TCanvas* ACanvas, TMyLinkLine* Line, TMyShape* StartShape, const TMyPoint& Ps, TMyShape* EndShape,
                       const TMyPoint& Pe) {
  if (!Line) return false;
  if (Line->LinkLineDrawStyle() == TLinkLineDrawStyle::lldsFree) {
    RemoveAllPoints(Line);
    Line->AddPoint(Ps);
    Line->AddPoint(Pe);
    return true;
  }
  auto drawRoute = [&]() {
    if (!ACanvas || Line->GetPointsCount() < 2) return;
    SetDragResizeRotateShapeMode(ACanvas);
    TArrPoint pts;
    for (int32_t i = 0; i < Line->GetPointsCount(); ++i) pts.push_back(MyPtToPt(Line->GetPointInZoom(i)));
    ACanvas->Polyline(pts);
  };
  if (Line->GetPointsCount() > 2) drawRoute();  // erases the route shown so far
  if (std::fabs(Ps.X - Pe.X) < kArrived && std::fabs(Ps.Y - Pe.Y) < kArrived) return false;

  // The route runs Ps, [the point out of the start shape], ..., [the point out of the end
  // shape], Pe; the walk fills in the corners before the goal and its approach.
  TArrMyPoint route{Ps, Pe};
  TMyPoint current = Ps, goal = Pe;
  if (StartShape) {
    current = Line->GetMagicPoint(StartShape, Ps);
    route.insert(route.begin() + 1, current);
  }
  size_t tail = 1;  // points after the insertion place: Pe, and the goal before it when it differs
  if (EndShape) {
    goal = Line->GetMagicPoint(EndShape, Pe);
    route.insert(route.end() - 1, goal);
    tail = 2;
  }
  auto insertCorner = [&](const TMyPoint& P) { route.insert(route.end() - static_cast<std::ptrdiff_t>(tail), P); };

  // Obstacles are the combined shapes (library entries) whose grown box holds a point, the
  // first in list order; their boxes are taken once per routing.
  std::vector<std::pair<TMyShape*, TMyRect>> obstacles;
  for (TMyShape* s : FCombines) obstacles.emplace_back(s, Grown(GetShapeLTRBinZoom(s), kObstacleMargin));
  std::sort(obstacles.begin(), obstacles.end(), [](const auto& a, const auto& b) { return a.first->ShapeNo < b.first->ShapeNo; });
  auto obstacleAt = [&obstacles](const TMyPoint& P) -> TMyShape* {
    for (const auto& [s, box] : obstacles)
      if (Contains(box, P)) return s;
    return nullptr;
  };

  TArrDirAndPoints stack;  // the top is the back
  auto pushMoves = [&](const TMyPoint& From, Tdirections After) {
    const TArrDirAndPoints moves = MovesTowards(From, goal, After);
    for (auto it = moves.rbegin(); it != moves.rend(); ++it) stack.push_back(*it);
  };
  pushMoves(current, Tdirections::dNone);
  int steps = 0;
  while (!stack.empty()) {
    TDirAndPoint move = stack.back();
    for (;;) {
      const TMyPoint walker = Advance(current, move.Dir);
      if (std::fabs(walker.X - move.Pt.X) <= kArrived && std::fabs(walker.Y - move.Pt.Y) <= kArrived) break;
      if (++steps > kMaxSteps) break;
      TMyShape* obstacle = obstacleAt(walker);
      if (obstacle && obstacle != obstacleAt(move.Pt)) {
        insertCorner(current);
        const TMyRect r = Grown(GetShapeLTRBinZoom(obstacle), kDetourMargin);
        TDirAndPoint detour;
        if (IsHorizontal(move.Dir)) {
          detour = std::fabs(move.Pt.Y - r.Top) < std::fabs(move.Pt.Y - r.Bottom) ? TDirAndPoint{Tdirections::dTop, {current.X, r.Top}}
                                                                                  : TDirAndPoint{Tdirections::dbottom, {current.X, r.Bottom}};
        } else {
          detour = std::fabs(move.Pt.X - r.Left) < std::fabs(move.Pt.X - r.Right) ? TDirAndPoint{Tdirections::dLeft, {r.Left, current.Y}}
                                                                                   : TDirAndPoint{Tdirections::dRight, {r.Right, current.Y}};
        }
        stack.pop_back();
        pushMoves(detour.Pt, detour.Dir);
        stack.push_back(detour);
        move = detour;
        continue;
      }
      current = walker;
    }
    insertCorner(move.Pt);
    stack.pop_back();
    current = move.Pt;
  }

  RemoveAllPoints(Line);
  for (const TMyPoint& p : route) Line->AddPoint(p);
  drawRoute();
  return true;
}

// ---- Following the shapes ----

void TMyCAD::ChangeLinkShapes(TMyShape* Shape) {
  if (!Shape) return;
  // Members first (their connectors follow them), then the shape's own.
  WalkShapeTree(Shape, TWalk::ChildrenFirst, [this](TMyShape* s) { RerouteConnectorsOf(s); });
}

void TMyCAD::RerouteConnectorsOf(TMyShape* S) {
  const TMyShapeNo links = S->LinkShapes;
  for (int32_t no : links) {
    auto* line = dynamic_cast<TMyLinkLine*>(GetShapeByNo(no));
    if (!line || line == S) continue;
    if (line->GetPointsCount() <= 3) line->SetReroute(true);
    if (line->Reroute()) {
      const TMyPoint from = line->GetStartPoint(), to = line->GetEndPoint();
      if (!RoutePath(nullptr, line, line->GetStartShape(), from, line->GetEndShape(), to)) {
        // The link points came too close to route between: straight from one to the other, so
        // that both ends stay on their link points.
        RemoveAllPoints(line);
        line->AddPoint(from);
        line->AddPoint(to);
      }
      continue;
    }
    // A hand-shaped route: only the part at S is routed again, up to the route's next corner.
    if (line->StartSpNo() == S->ShapeNo && line->GetPointsCount() >= 3) {
      const TArrMyPoint& now = line->Points.Items();
      const TArrMyPoint rest(now.begin() + 2, now.end());
      const TMyPoint from = ValidLinkPoint(S, line->StartSpPtId()) ? S->GetLinkPointInZoom(line->StartSpPtId()) : line->GetPointInZoom(0);
      if (!RoutePath(nullptr, line, S, from, nullptr, line->GetPointInZoom(2))) {
        // The link point came too close to that corner to route: go there straight.
        RemoveAllPoints(line);
        line->AddPoint(from);
      }
      TArrMyPoint pts = line->Points.Items();
      pts.insert(pts.end(), rest.begin(), rest.end());
      line->Points = pts;
    }
    const int32_t n = line->GetPointsCount();
    if (line->EndSpNo() == S->ShapeNo && n >= 3) {
      const TArrMyPoint& now = line->Points.Items();
      const TArrMyPoint head(now.begin(), now.begin() + (n - 2));
      const TMyPoint from = ValidLinkPoint(S, line->EndSpPtId()) ? S->GetLinkPointInZoom(line->EndSpPtId()) : line->GetPointInZoom(n - 1);
      TArrMyPoint pts = head;
      if (RoutePath(nullptr, line, S, from, nullptr, line->GetPointInZoom(n - 3))) {
        const TArrMyPoint back = line->Points.Items();
        pts.insert(pts.end(), back.rbegin(), back.rend());
      } else {
        const double z = FZoom;
        pts.push_back(TMyPoint{static_cast<float>(from.X / z), static_cast<float>(from.Y / z)});
      }
      line->Points = pts;
    }
  }
}

// ---- Creating connectors by code ----

int32_t TMyCAD::CreateLink(const QString& Name, TMyShape* A, int32_t I, TMyShape* B, int32_t J) {
  if (!ValidLinkPoint(A, I) || !ValidLinkPoint(B, J) || !IsValidComponentName(Name)) return -1;
  if (GetShapeNoInMyShapes(A) < 0 || GetShapeNoInMyShapes(B) < 0) return -1;
  TNotifyBatch batch(this);
  auto* line = new TMyLinkLine(this);
  const TMyPoint from = A->GetLinkPointInZoom(I), to = B->GetLinkPointInZoom(J);
  if (!RoutePath(nullptr, line, A, from, B, to)) {
    // Link points too close to route between: a straight connector.
    line->AddPoint(from);
    line->AddPoint(to);
  }
  NameNewShape(line, Name);
  line->LayerId = FCurrentLayerId;
  line->CreateSrcLink(A->ShapeNo, I);
  line->CreateDestLink(B->ShapeNo, J);
  if (!AddShape(line, false, false)) {
    delete line;
    return -1;
  }
  AddLinklineShape(A, line->ShapeNo);
  AddLinklineShape(B, line->ShapeNo);
  TMyShape* announced = line;
  Fire(OnShapeAdded, &TMyCAD::shapeAdded, announced, GetShapesCount());
  PushtoUndoRedoShapeList(TArrMyShape{line}, QStringLiteral("ACT_ADD"));
  SetModified(true);
  ClearWorkingList();
  AddWorkingShapes(line);
  SetCurrentShape(nullptr);
  RepaintChanged();
  return line->ShapeId;
}

// ---- Attaching and splitting ----

void TMyCAD::GetMainShape(TMyLinkLine* Line, TLinkLineEndPoint End, TMyPoint& P) {
  if (!Line) return;
  const bool start = End == TLinkLineEndPoint::llStart;
  const int32_t before = start ? Line->StartSpNo() : Line->EndSpNo();
  int32_t no = -1, id = -1;
  const bool found = InWhichShapeWhichHotLinkId(no, id, P);
  if (start) Line->CreateSrcLink(no, id);
  else Line->CreateDestLink(no, id);
  if (found) {
    TMyShape* s = GetShapeByNo(no);
    AddLinklineShape(s, Line->ShapeNo);
    P = s->GetLinkPointInZoom(id);
  }
  // The shape the end leaves forgets the line, unless the line stays attached to it (the same
  // shape again, or the other end).
  const int32_t other = start ? Line->EndSpNo() : Line->StartSpNo();
  if (before >= 0 && before != no && before != other)
    if (TMyShape* old = GetShapeByNo(before)) RemoveLinklineShape(old, Line->ShapeNo);
}

int32_t TMyCAD::IsBreakLineByAPoint(TMyPoint& P, TMyLinkLine*& Line, const TMyLinkLine* Exclude) {
  std::vector<TMyLinkLine*> lines;
  for (TMyLinkLine* l : FLinkLines)
    if (l != Exclude) lines.push_back(l);
  std::sort(lines.begin(), lines.end(), [](const TMyLinkLine* a, const TMyLinkLine* b) { return a->ShapeNo < b->ShapeNo; });
  const float hot = FHotSize;
  for (TMyLinkLine* l : lines) {
    for (int32_t i = 0; i + 1 < l->GetPointsCount(); ++i) {
      const TMyPoint a = l->GetPointInZoom(i), b = l->GetPointInZoom(i + 1);
      if (TMyLinkLine::IsLineHV(a, b) == 2) {
        if (P.Y > std::min(a.Y, b.Y) && P.Y < std::max(a.Y, b.Y) && std::fabs(P.X - a.X) <= hot) {
          P.X = a.X;
          Line = l;
          return i;
        }
      } else if (P.X > std::min(a.X, b.X) && P.X < std::max(a.X, b.X) && std::fabs(P.Y - a.Y) <= hot) {
        P.Y = a.Y;
        Line = l;
        return i;
      }
    }
  }
  return -1;
}

TMyLinkLine* TMyCAD::SplitOffTail(TMyLinkLine* OldLine, const TMyPoint& P, int32_t SegIndex) {
  // The second half: P, then the old line's points after the split segment; it takes over the
  // old line's end (and its place in the end shape's link list) and its pen and style.
  auto* tail = new TMyLinkLine(this);
  NameNewShape(tail);
  tail->SetPen(OldLine->Pen());
  tail->SetLinkLineDrawStyle(OldLine->LinkLineDrawStyle());
  tail->AddPoint(P);
  for (int32_t i = SegIndex + 1; i < OldLine->GetPointsCount(); ++i) tail->AddPoint(OldLine->GetPointInZoom(i));
  if (!AddShape(tail, false, false)) {
    delete tail;
    return nullptr;
  }
  tail->CreateDestLink(OldLine->EndSpNo(), OldLine->EndSpPtId());
  if (TMyShape* end = GetShapeByNo(OldLine->EndSpNo())) {
    // The old line leaves the end shape's list unless its start is on that shape too.
    if (OldLine->StartSpNo() != OldLine->EndSpNo()) RemoveLinklineShape(end, OldLine->ShapeNo);
    AddLinklineShape(end, tail->ShapeNo);
  }
  PushtoUndoRedoShapeList(TArrMyShape{tail}, QStringLiteral("ACT_ADD"));
  // The first half keeps the points up to the split segment and ends at P.
  const TArrMyPoint& old = OldLine->Points.Items();
  TArrMyPoint head(old.begin(), old.begin() + SegIndex + 1);
  head.push_back(TMyPoint{static_cast<float>(P.X / FZoom), static_cast<float>(P.Y / FZoom)});
  OldLine->Points = head;
  return tail;
}

bool TMyCAD::BreakLine(TMyLinkLine* NewLine, const TMyPoint& P, TMyLinkLine* OldLine, int32_t SegIndex) {
  if (!NewLine || !OldLine || SegIndex <= -1 || SegIndex + 1 >= OldLine->GetPointsCount()) return false;
  if (GetShapeNoInMyShapes(OldLine) < 0) return false;
  BeginUndoGroup();
  PushtoUndoRedoShapeList(TArrMyShape{OldLine}, QStringLiteral("ACT_CHANGE"));
  TMyLinkLine* tail = SplitOffTail(OldLine, P, SegIndex);
  if (!tail) {
    EndUndoGroup();
    return false;
  }
  auto* joint = new TMyLineLinkLine(this);
  NameNewShape(joint);
  joint->AddPointByMouse(MyPtToPt(P));
  if (!AddShape(joint, false, false)) {
    delete joint;
    EndUndoGroup();
    return false;
  }
  NewLine->CreateDestLink(joint->ShapeNo, 0);
  if (NewLine->GetPointsCount() > 0) NewLine->SetPointInZoom(NewLine->GetPointsCount() - 1, P);
  AddLinklineShape(joint, tail->ShapeNo);
  PushtoUndoRedoShapeList(TArrMyShape{joint}, QStringLiteral("ACT_ADD"));
  tail->CreateSrcLink(joint->ShapeNo, 0);
  OldLine->CreateDestLink(joint->ShapeNo, 0);
  AddLinklineShape(joint, OldLine->ShapeNo);
  AddLinklineShape(joint, NewLine->ShapeNo);
  PushtoUndoRedoShapeList(TArrMyShape{NewLine}, QStringLiteral("ACT_ADD"));
  EndUndoGroup();
  SetModified(true);
  RepaintChanged();
  return true;
}

bool TMyCAD::BreakLineByAPoint(const TMyPoint& P, TMyLinkLine* OldLine, int32_t SegIndex, TMyShape* LinkPt) {
  if (!OldLine || !LinkPt || SegIndex <= -1 || SegIndex + 1 >= OldLine->GetPointsCount()) return false;
  if (GetShapeNoInMyShapes(OldLine) < 0 || GetShapeNoInMyShapes(LinkPt) < 0) return false;
  BeginUndoGroup();
  PushtoUndoRedoShapeList(TArrMyShape{OldLine}, QStringLiteral("ACT_CHANGE"));
  TMyLinkLine* tail = SplitOffTail(OldLine, OldLine->ZoomedValuePt(P), SegIndex);
  EndUndoGroup();
  if (!tail) return false;
  tail->CreateSrcLink(LinkPt->ShapeNo, 0);
  AddLinklineShape(LinkPt, tail->ShapeNo);
  OldLine->CreateDestLink(LinkPt->ShapeNo, 0);
  AddLinklineShape(LinkPt, OldLine->ShapeNo);
  SetModified(true);
  RepaintChanged();
  return true;
}

}  // namespace cad
