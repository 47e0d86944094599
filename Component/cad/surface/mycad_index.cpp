// The spatial index of the surface: keeping it current as shapes change, looking shapes up by
// area in list order, and the damage bookkeeping that lets a repaint cover only what changed.
#include "mycad.h"
#include "../shapes/group.h"
#include "../shapes/linkline.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace cad {

namespace {

// Control coordinates are kept well inside the int range, so QRect arithmetic never overflows.
constexpr double kFarAway = 1e9;

int Floor(double V) { return V <= -kFarAway ? -1000000000 : V >= kFarAway ? 1000000000 : static_cast<int>(std::floor(V)); }
int Ceil(double V) { return V <= -kFarAway ? -1000000000 : V >= kFarAway ? 1000000000 : static_cast<int>(std::ceil(V)); }

const QRect& Everywhere() {
  static const QRect r(QPoint(-1000000000, -1000000000), QPoint(1000000000, 1000000000));
  return r;
}

QRect AreaOf(const TRect& R) {
  const int l = std::min(R.Left, R.Right), r = std::max(R.Left, R.Right);
  const int t = std::min(R.Top, R.Bottom), b = std::max(R.Top, R.Bottom);
  return QRect(QPoint(l, t), QPoint(std::max(l, r - 1), std::max(t, b - 1)));
}

// Device coordinates come from single-precision products: a margin for their rounding, which
// grows with the size of the coordinates.
double Slack(double Farthest) { return 2 + 1e-6 * std::max(Farthest, 0.0); }

float FloatBelow(double V) {
  float f = static_cast<float>(V);
  if (f > V) f = std::nextafter(f, -std::numeric_limits<float>::infinity());
  return f;
}
float FloatAbove(double V) {
  float f = static_cast<float>(V);
  if (f < V) f = std::nextafter(f, std::numeric_limits<float>::infinity());
  return f;
}

}  // namespace

void TMyCAD::SetUseShapeIndex(bool Value) {
  if (Value == FUseShapeIndex) return;
  FUseShapeIndex = Value;
  Repaint();
}

void TMyCAD::ShapeChanged(TMyShape* Shape) { FShapeIndex.Queue(Shape); }

void TMyCAD::ShapeRelationsChanged() {
  // Members paint through their groups, so a change of membership can change the painting order.
  FTreesDirty = true;
  DamageAll();
}

int TMyCAD::SurfaceMargin() const {
  // Hot squares and the text diamond (hot size), link crosses and their highlight (6), the band
  // a line's hit test accepts (8), and a pixel of pen around each.
  return std::max<int>(FHotSize, 8) + 6;
}

QRect TMyCAD::ReachToControl(const TShapeReach& Reach) const {
  if (!Reach.Bounded) return Everywhere();
  // Runs for every shape a lookup or a repaint touches: plain doubles, which hold device
  // coordinates with room to spare (the slack covers the single-precision products).
  const double z = FZoom;
  const double l = Reach.Box.Left * z, t = Reach.Box.Top * z, r = Reach.Box.Right * z, b = Reach.Box.Bottom * z;
  const double far = std::max(std::max(-l, r), std::max(-t, b));
  if (!(far < 1e15)) return Everywhere();
  const double m = Reach.Margin + SurfaceMargin() + Slack(far);
  return QRect(QPoint(Floor(l - m), Floor(t - m)), QPoint(Ceil(r + m), Ceil(b + m)));
}

bool TMyCAD::Reaches(TMyShape* Shape, const QRect& Area) {
  if (!FUseShapeIndex || Shape->FSlot.Surface != this) return true;
  return ReachToControl(Shape->FSlot.Reach).intersects(Area);
}

void TMyCAD::FlushShapeIndex() {
  if (FIndexedZoom != FZoom) {
    // Reaches that count pixels the zoom changes (wrapped text) are measured again. That changes
    // nothing painted: a new zoom repaints everything, and a zoom put back after a render finds
    // its picture as it was. Where a shape that changed meanwhile was painted is not known at
    // this zoom, so then the whole buffer is repainted.
    FIndexedZoom = FZoom;
    if (FShapeIndex.HasQueue()) DamageAll();
    for (TMyShape* s : FShapeIndex.FollowingZoom()) FShapeIndex.Queue(s);
    FShapeIndex.Flush(FMyShapes, nullptr);
  }
  if (FShapeIndex.HasQueue())
    FShapeIndex.Flush(FMyShapes, [this](const TShapeReach* Before, const TShapeReach& After) {
      if (Before) AddDamage(ReachToControl(*Before));
      AddDamage(ReachToControl(After));
    });
  if (FTreesDirty) RebuildContainers();
}

void TMyCAD::RebuildContainers() {
  FTreesDirty = false;
  for (TMyShape* s : FMyShapes) s->FSlot.Containers.clear();
  std::vector<int32_t> stack;
  for (TMyShape* g : FMyShapes) {
    if (g->ChildShapes.empty()) continue;
    // Everything the group's member walk can reach, each shape once (cycles in damaged data end).
    if (++FWalkStamp == 0) {
      for (TMyShape* s : FMyShapes) s->FSlot.WalkMark = 0;
      FWalkStamp = 1;
    }
    g->FSlot.WalkMark = FWalkStamp;
    stack.assign(g->ChildShapes.begin(), g->ChildShapes.end());
    while (!stack.empty()) {
      TMyShape* c = GetShapeByNo(stack.back());
      stack.pop_back();
      if (!c || c->FSlot.WalkMark == FWalkStamp) continue;
      c->FSlot.WalkMark = FWalkStamp;
      c->FSlot.Containers.push_back(g);
      const TMyShapeNo& members = c->ChildShapes;
      stack.insert(stack.end(), members.begin(), members.end());
    }
  }
}

void TMyCAD::CollectShapeTree(TMyShape* Shape, TWalk Order, bool ForDrawing, TArrMyShape& Out) {
  if (!Shape || (ForDrawing && !Shape->Visible())) return;
  if (++FWalkStamp == 0) {
    for (TMyShape* s : FMyShapes) s->FSlot.WalkMark = 0;
    FWalkStamp = 1;
  }
  // Each frame is a shape and the index of its next member to look at.
  std::vector<std::pair<TMyShape*, size_t>> stack;
  auto enter = [&](TMyShape* s) {
    s->FSlot.WalkMark = FWalkStamp;
    if (Order == TWalk::ShapeFirst || (Order == TWalk::LeavesOnly && !s->HasChildShapes())) Out.push_back(s);
    stack.emplace_back(s, 0);
  };
  enter(Shape);
  while (!stack.empty()) {
    auto& [s, next] = stack.back();
    if (next < s->ChildShapes.size()) {
      const int32_t no = s->ChildShapes[next++];
      TMyShape* c = GetShapeByNo(no);
      if (!c || c->FSlot.WalkMark == FWalkStamp) continue;
      if (ForDrawing && (c->ParentNo != s->ShapeNo || !c->Visible())) continue;
      enter(c);
      continue;
    }
    if (Order == TWalk::ChildrenFirst) Out.push_back(s);
    stack.pop_back();
  }
}

void TMyCAD::BeginLookup() {
  FlushShapeIndex();
  FCandidates.clear();
  if (++FLookupStamp == 0) {
    for (TMyShape* s : FMyShapes) s->FSlot.Mark = 0;
    FLookupStamp = 1;
  }
}

void TMyCAD::CollectReaching(const TRect& Area, bool ContainingGroups) {
  if (!FUseShapeIndex) return;
  const QRect area = AreaOf(Area);
  // Widen by the largest margin any entry or mark adds, then go to drawing coordinates.
  const double z = FZoom;
  const double l = area.left(), t = area.top(), r = area.right() + 1.0, b = area.bottom() + 1.0;
  const double m = FShapeIndex.MaxMargin() + SurfaceMargin() + Slack(std::max(std::max(-l, r), std::max(-t, b)));
  const TMyRect query{FloatBelow((l - m) / z), FloatBelow((t - m) / z), FloatAbove((r + m) / z), FloatAbove((b + m) / z)};
  FFound.clear();
  FShapeIndex.Query(query, FFound);
  auto take = [this](TMyShape* s) {
    if (s->FSlot.Mark == FLookupStamp) return;
    s->FSlot.Mark = FLookupStamp;
    FCandidates.push_back(s);
  };
  for (TMyShape* s : FFound) {
    if (!ReachToControl(s->FSlot.Reach).intersects(area)) continue;
    take(s);
    if (ContainingGroups)
      for (TMyShape* g : s->FSlot.Containers) take(g);
  }
}

const TArrMyShape& TMyCAD::EndLookup() {
  if (!FUseShapeIndex) return FMyShapes;
  std::sort(FCandidates.begin(), FCandidates.end(),
            [](const TMyShape* a, const TMyShape* b) { return a->FSlot.ListPos < b->FSlot.ListPos; });
  return FCandidates;
}

const TArrMyShape& TMyCAD::ShapesReaching(const TRect& Area, bool ContainingGroups) {
  BeginLookup();
  CollectReaching(Area, ContainingGroups);
  return EndLookup();
}

void TMyCAD::ForgetShape(TMyShape* Shape) {
  TShapeSlot& slot = Shape->FSlot;
  if (slot.Surface != this) return;
  if (auto* line = dynamic_cast<TMyLinkLine*>(Shape)) std::erase(FLinkLines, line);
  if (dynamic_cast<TMyCombine*>(Shape)) std::erase(FCombines, Shape);
  if (FLinkLitShape == Shape) FLinkLitShape = nullptr;
  AddDamage(Shape);
  FShapeIndex.Remove(Shape);
  // Groups list their members in these arrays: they are rebuilt before the next lookup.
  if (!slot.Containers.empty() || Shape->HasChildShapes()) FTreesDirty = true;
  slot = TShapeSlot{};
}

void TMyCAD::ForgetAllShapes() {
  FShapeIndex.Clear();
  FLinkLines.clear();
  FCombines.clear();
  FLinkLitShape = nullptr;
  for (TMyShape* s : FMyShapes) s->FSlot = TShapeSlot{};
  FTreesDirty = false;
  DamageAll();
}

// ---- Damage ----

void TMyCAD::AddDamage(const QRect& Area) {
  if (FDamageAll || Area.isEmpty()) return;
  FDamage |= Area.intersected(FBufferArea);
  // Once the whole buffer is damaged, more damage changes nothing.
  if (FDamage == FBufferArea) DamageAll();
}

void TMyCAD::AddDamage(TMyShape* Shape) {
  if (!Shape || FDamageAll) return;
  if (Shape->FSlot.Surface != this) {
    DamageAll();
    return;
  }
  // A queued shape adds its damage, old place and new, when the queue is flushed.
  if (Shape->FSlot.Indexed) AddDamage(ReachToControl(Shape->FSlot.Reach));
}

TMyCAD::TPaintState TMyCAD::CurrentPaintState() const {
  TPaintState s;
  s.Zoom = FZoom;
  s.HotShow = FHotShow;
  s.HotSize = FHotSize;
  s.HotColor = HotColor;
  s.RotateEnable = FRotateEnable;
  // Hot points show as circles while rotating.
  s.RotateMarks = FAction == TActionTools::dtRotating || FAction == TActionTools::dtRotateSelecting;
  s.Background = FColorOfBackGround;
  s.PrintBackground = FPrintBackground;
  s.ClickedChild = FClickedChildShape;
  s.Buffer = FBufferArea;
  s.Size = size();
  const TGridObject* g = FGridOperation;
  s.Grid = {g->GridColor(), g->GridHeight(), g->GridPenSize(), g->GridShow(), static_cast<int>(g->GridType()), g->GridWidth()};
  s.BkMode = FBkBitmapMode;
  s.BkKey = FBkBitmap.Image().cacheKey();
  s.Layers.reserve(FLayers.size());
  for (const LayerRec& l : FLayers) s.Layers.emplace_back(l.LayerId, l.Visible);
  return s;
}

}  // namespace cad
