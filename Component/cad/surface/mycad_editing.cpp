// Selection, shape tree lookups, deletion with renumbering, grouping, flips, locks, bounding
// boxes, and the undo-list entry points.
#include "../shapes/group.h"
#include "../shapes/linkline.h"
#include "mycad.h"

#include <cmath>
#include <numeric>

namespace cad {

// ---- Selection ----

// Every shape in the working list carries the selected flag, so membership costs nothing to
// test; the flag and the list change together, here.
void TMyCAD::SetSelected(TMyShape* Shape, bool Selected) {
  if (Shape->FSlot.Selected == Selected) return;
  Shape->FSlot.Selected = Selected;
  AddDamage(Shape);  // its hot marks come or go
}

void TMyCAD::ClearWorkingList() {
  for (TMyShape* s : FWorkingShapes) SetSelected(s, false);
  FWorkingShapes.clear();
  NotifyStateChanges();
}

void TMyCAD::AddWorkingShapes(TMyShape* Shape) {
  if (!Shape) return;
  Shape = GetRootParentShape(Shape);
  if (Shape->FSlot.Selected) return;
  FWorkingShapes.push_back(Shape);
  SetSelected(Shape, true);
  NotifyStateChanges();
}

void TMyCAD::RemoveWorkingShape(TMyShape* Shape) {
  const int32_t i = IsInWorkingShape(Shape);
  if (i < 0) return;
  if (FCurrentShape == Shape) SetCurrentShape(nullptr);
  FWorkingShapes.erase(FWorkingShapes.begin() + i);
  SetSelected(Shape, false);
  NotifyStateChanges();
}

void TMyCAD::RemoveAllWorkingShapes() {
  // The same as removing the first entry until none is left, without the quadratic cost.
  if (FCurrentShape && FCurrentShape->FSlot.Selected) SetCurrentShape(nullptr);
  ClearWorkingList();
}

int32_t TMyCAD::IsInWorkingShape(const TMyShape* Shape) const {
  if (!Shape || !Shape->FSlot.Selected) return -1;
  for (int32_t i = static_cast<int32_t>(FWorkingShapes.size()) - 1; i >= 0; --i)
    if (FWorkingShapes[static_cast<size_t>(i)] == Shape) return i;
  return -1;
}

void TMyCAD::SelectAllShapes() {
  for (TMyShape* s : FMyShapes)
    if (!s->HasParentShape()) AddWorkingShapes(s);
  SelectAllWorkingShapes();
}

void TMyCAD::DeSelectedAllShapesByCode() {
  ClearWorkingList();
  RepaintChanged();
}

TMyShape* TMyCAD::GetRootParentShape(TMyShape* Shape) const {
  if (!Shape) return nullptr;
  // Bounded walk: a cycle of parent numbers ends at the shape reached last.
  for (int32_t steps = 0; Shape->HasParentShape() && steps <= GetShapesCount(); ++steps) {
    TMyShape* parent = GetShapeByNo(Shape->ParentNo);
    if (!parent || parent == Shape) break;
    Shape = parent;
  }
  return Shape;
}

bool TMyCAD::areTheyBrother(const TMyShape* A, const TMyShape* B) const {
  return A && B && A->HasParentShape() && B->HasParentShape() && A->ParentNo == B->ParentNo;
}

// ---- Region tests ----

bool TMyCAD::IsPtinRegion(const TRect& R, TMyShape* Shape) const {
  const long double l = std::min(R.Left, R.Right), r = std::max(R.Left, R.Right);
  const long double t = std::min(R.Top, R.Bottom), b = std::max(R.Top, R.Bottom);
  for (const TMyPoint& p : std::as_const(Shape->Points)) {
    const long double x = p.X * FZoom, y = p.Y * FZoom;
    if (l < x && x < r && t < y && y < b) return true;
  }
  return false;
}

bool TMyCAD::IsPtinRegionX(const TRect& R, TMyShape* Shape) const {
  const long double l = std::min(R.Left, R.Right), r = std::max(R.Left, R.Right);
  for (const TMyPoint& p : std::as_const(Shape->Points)) {
    const long double x = p.X * FZoom;
    if (l < x && x < r) return true;
  }
  return false;
}

bool TMyCAD::IsPtinRegionY(const TRect& R, TMyShape* Shape) const {
  const long double t = std::min(R.Top, R.Bottom), b = std::max(R.Top, R.Bottom);
  for (const TMyPoint& p : std::as_const(Shape->Points)) {
    const long double y = p.Y * FZoom;
    if (t < y && y < b) return true;
  }
  return false;
}

bool TMyCAD::IsShapeBigthanRegion(const TRect& R, TMyShape* Shape) const {
  const TMyRect b = GetPointsLTRB(Shape->Points);
  return (b.Right - b.Left) * FZoom > std::abs(static_cast<long double>(R.Right) - R.Left) ||
         (b.Bottom - b.Top) * FZoom > std::abs(static_cast<long double>(R.Top) - R.Bottom);
}

// ---- Deleting ----

void TMyCAD::RemoveShapeAt(int32_t No) {
  TMyShape* gone = GetShapeByNo(No);
  if (!gone) return;
  DropRedo();
  // Later numbers move down by one; the shape's own number goes from every list that names it
  // (its group forgets the member, its shapes the connector) and every parent or end it was.
  const auto shift = [No](int32_t n) { return n == No ? -1 : (n > No ? n - 1 : n); };
  for (TMyShape* s : FMyShapes) {
    if (s == gone) continue;
    s->RenumberRelations(shift);
    if (std::find(s->ChildShapes.begin(), s->ChildShapes.end(), -1) != s->ChildShapes.end())
      std::erase(s->ChildShapes.Edit(), -1);
    std::erase(s->LinkShapes, -1);
  }
  // The undo copies keep the numbers of their own time, except their link lists.
  for (TSavedShape& r : FUndoList)
    for (int32_t& l : r.Shape->LinkShapes) l = l > No ? l - 1 : l;
  FMyShapes.erase(FMyShapes.begin() + No);
  for (int32_t i = No; i < GetShapesCount(); ++i) {
    FMyShapes[static_cast<size_t>(i)]->ShapeNo = i;
    FMyShapes[static_cast<size_t>(i)]->FSlot.ListPos = i;
  }
  if (FCurrentShape == gone) SetCurrentShape(nullptr);
  if (FClickedChildShape == gone) FClickedChildShape = nullptr;
  if (FHoverShape == gone) FHoverShape = nullptr;
  if (gone->FSlot.Selected) std::erase(FWorkingShapes, gone);
  ForgetShape(gone);
  ShapeRelationsChanged();
  FRemovedIds.append(gone->ShapeId);
  delete gone;
  NotifyStateChanges();
}

void TMyCAD::DetachConnectors(TMyShape* Shape) {
  const int32_t no = Shape->ShapeNo;
  for (TMyLinkLine* line : FLinkLines) {
    if (line->StartSpNo() == no) line->RemoveSrcLink();
    if (line->EndSpNo() == no) line->RemoveDestLink();
  }
  if (auto* line = dynamic_cast<TMyLinkLine*>(Shape)) {
    if (TMyShape* s = GetShapeByNo(line->StartSpNo())) RemoveLinklineShape(s, no);
    if (TMyShape* e = GetShapeByNo(line->EndSpNo())) RemoveLinklineShape(e, no);
  }
}

bool TMyCAD::DeleteShapeById(int32_t Id, bool RecordUndo) {
  TMyShape* s = GetShapeByID(Id);
  if (!s || s->Locked()) return false;
  TNotifyBatch batch(this);
  Fire(OnShapeDeleted, &TMyCAD::shapeDeleted, s);
  if (RecordUndo) PushtoUndoRedoShapeList(TArrMyShape{s}, QStringLiteral("ACT_DELETE"));

  // Members before their group, skipping locked ones; each first lets go of its connectors.
  std::vector<int32_t> ids;
  WalkShapeTree(s, TWalk::ChildrenFirst, [&ids](TMyShape* shape) {
    if (!shape->Locked()) ids.push_back(shape->ShapeId);
  });
  for (int32_t id : ids)
    if (TMyShape* victim = GetShapeByID(id)) DetachConnectors(victim);
  for (int32_t id : ids) {
    TMyShape* victim = GetShapeByID(id);
    if (!victim) continue;
    RemoveShapeAt(GetShapeNoInMyShapes(victim));
  }
  ClearWorkingList();
  SetCurrentShape(nullptr);
  return true;
}

bool TMyCAD::DeleteSelectedShapes() {
  TNotifyBatch batch(this);
  try {
    for (const TMyShape* w : FWorkingShapes)
      if (w->Locked()) return false;
    // A selected joint takes the connectors that meet at it along.
    TArrMyShape gone = FWorkingShapes;
    for (TMyShape* w : FWorkingShapes) {
      if (!dynamic_cast<TMyLineLinkLine*>(w)) continue;
      for (int32_t no : w->LinkShapes)
        if (TMyShape* l = GetShapeByNo(no); l && !l->FSlot.Selected && std::find(gone.begin(), gone.end(), l) == gone.end())
          gone.push_back(l);
    }
    std::vector<int32_t> ids;
    for (TMyShape* s : gone) ids.push_back(s->ShapeId);
    PushtoUndoRedoShapeList(gone, QStringLiteral("ACT_DELETE"));
    for (int32_t id : ids) DeleteShapeById(id, false);
    SetModified(true);
    RepaintChanged();
    return true;
  } catch (...) {
    return false;
  }
}

void TMyCAD::DeleteAllShapes() {
  // Ids start again from 0, so the undo and redo records (which find their shapes by id) would
  // act on the new shapes that take the old ids: they go with the shapes.
  ClearAllUndoStuff();
  ClearWorkingList();
  SetCurrentShape(nullptr);
  FClickedChildShape = nullptr;
  FHoverShape = nullptr;
  ForgetAllShapes();
  for (TMyShape* s : FMyShapes) delete s;
  FMyShapes.clear();
  FNextShapeId = 0;
  // Within a load the picture of the empty drawing would be painted only to be painted over:
  // the next paint (or whoever asks for the canvas) paints the loaded one.
  if (FLoading) RepaintChanged();
  else Repaint();
  // Within a load, the load reports the new drawing instead.
  if (!FLoading) emit drawingCleared();
  NotifyStateChanges();
}

// ---- Grouping ----

int32_t TMyCAD::GroupShapes(const TArrMyShape& Shapes, bool RecordUndo) {
  if (Shapes.size() < 2 || !Shapes[0]) return -1;
  TNotifyBatch batch(this);
  const uint8_t layer = static_cast<uint8_t>(Shapes[0]->LayerId);
  for (const TMyShape* s : Shapes)
    if (!s || static_cast<uint8_t>(s->LayerId) != layer || !s->Visible()) return -1;
  // A shape joins one group once, and only a shape of this drawing that has no group yet.
  for (size_t i = 0; i < Shapes.size(); ++i) {
    if (GetShapeNoInMyShapes(Shapes[i]) < 0 || Shapes[i]->HasParentShape()) return -1;
    if (std::find(Shapes.begin(), Shapes.begin() + static_cast<std::ptrdiff_t>(i), Shapes[i]) != Shapes.begin() + static_cast<std::ptrdiff_t>(i))
      return -1;
  }
  const TMyRect b = GetShapesLTRBinZoom(Shapes);
  auto* group = new TMyGroup(this);
  group->AddPoint(TMyPoint{b.Left, b.Top});
  group->AddPoint(TMyPoint{b.Right, b.Top});
  group->AddPoint(TMyPoint{b.Right, b.Bottom});
  group->AddPoint(TMyPoint{b.Left, b.Bottom});
  NameNewShape(group);
  if (!AddShape(group, false, false)) {
    delete group;
    return -1;
  }
  for (TMyShape* s : Shapes) {
    group->ChildShapes.push_back(GetShapeNoInMyShapes(s));
    s->ParentNo = group->ShapeNo;
  }
  group->CenterPoint = group->ComputeCenterPoint();
  group->TextPoint = TMyPoint{group->CenterPoint.X, group->GetRightBottom().Y + 10};
  group->Changed();
  if (RecordUndo) PushtoUndoRedoShapeList(TArrMyShape{group}, QStringLiteral("ACT_GROUP"));
  ClearWorkingList();
  SetCurrentShape(nullptr);
  AddWorkingShapes(group);
  SetModified(true);
  Repaint();
  return group->ShapeId;
}

void TMyCAD::UnGroupShape(TMyShape* Shape, bool RecordUndo) {
  if (!Shape || !Shape->HasChildShapes() || Shape->HasParentShape() || dynamic_cast<TMyCombine*>(Shape)) return;
  // A locked group cannot be deleted, so it cannot be taken apart either (it would stay behind
  // empty, and undoing would group its members a second time).
  if (Shape->Locked()) return;
  TNotifyBatch batch(this);
  const bool wasBusy = FBusy;
  FBusy = true;
  ClearWorkingList();
  for (int32_t no : std::as_const(Shape->ChildShapes))
    if (TMyShape* c = GetShapeByNo(no); c && c != Shape) c->ParentNo = -1;
  if (RecordUndo) PushtoUndoRedoShapeList(TArrMyShape{Shape}, QStringLiteral("ACT_UNGROUP"));
  Shape->ChildShapes.clear();
  DeleteShapeById(Shape->ShapeId, false);
  FBusy = wasBusy;
  SetModified(true);
  Repaint();
}

// ---- Flips, locks ----

void TMyCAD::FlipShapes(TMyShape* Shape, bool Horizontal) {
  // A member mirrors its whole group, about the group's centre.
  Shape = GetRootParentShape(Shape);
  if (!Shape || dynamic_cast<TMyLinkLine*>(Shape)) return;
  PushtoUndoRedoShapeList(TArrMyShape{Shape}, QStringLiteral("ACT_CHANGE"));
  WalkShapeTree(Shape, TWalk::ChildrenFirst, [this, Horizontal](TMyShape* s) {
    if (s->Locked()) return;
    if (Horizontal) s->FlipHoriz();
    else s->FlipVert();
    ChangeLinkShapes(s);
  });
  SetModified(true);
}

void TMyCAD::FlipHoriz(TMyShape* Shape) { FlipShapes(Shape, true); }

void TMyCAD::FlipVert(TMyShape* Shape) { FlipShapes(Shape, false); }

void TMyCAD::LockUnLockforShapes(TMyShape* Shape, bool Locked) {
  WalkShapeTree(Shape, TWalk::ChildrenFirst, [Locked](TMyShape* s) { s->SetLocked(Locked); });
}

TMyRect TMyCAD::InZoom(const TMyRect& R) const {
  const auto z = [this](float v) { return static_cast<float>(v * FZoom); };
  return TMyRect{z(R.Left), z(R.Top), z(R.Right), z(R.Bottom)};
}

TMyRect TMyCAD::GetShapeLTRBinZoom(const TMyShape* Shape) const { return InZoom(GetPointsLTRB(Shape->Points)); }

// ---- Z-order ----

TMyShape* TMyCAD::GetNextSingleorRootShape(int32_t No) const {
  for (int32_t i = std::max(No + 1, 0); i < GetShapesCount(); ++i)
    if (!FMyShapes[static_cast<size_t>(i)]->HasParentShape()) return FMyShapes[static_cast<size_t>(i)];
  return nullptr;
}

TMyShape* TMyCAD::GetPrevSingleorRootShape(int32_t No) const {
  for (int32_t i = std::min(No, GetShapesCount()) - 1; i >= 0; --i)
    if (!FMyShapes[static_cast<size_t>(i)]->HasParentShape()) return FMyShapes[static_cast<size_t>(i)];
  return nullptr;
}

void TMyCAD::PermuteShapes(const std::vector<int32_t>& NewPos) {
  DropRedo();
  const auto map = [&NewPos](int32_t n) { return n >= 0 && n < static_cast<int32_t>(NewPos.size()) ? NewPos[static_cast<size_t>(n)] : n; };
  for (TMyShape* s : FMyShapes) s->RenumberRelations(map);
  TArrMyShape moved(FMyShapes.size());
  for (size_t i = 0; i < FMyShapes.size(); ++i) moved[static_cast<size_t>(NewPos[i])] = FMyShapes[i];
  FMyShapes = std::move(moved);
  for (int32_t i = 0; i < GetShapesCount(); ++i) {
    FMyShapes[static_cast<size_t>(i)]->ShapeNo = i;
    FMyShapes[static_cast<size_t>(i)]->FSlot.ListPos = i;
  }
  ShapeRelationsChanged();
  // The painting order changed where the moved shapes overlap others.
  DamageAll();
}

void TMyCAD::SwapShape(TMyShape* A, TMyShape* B) {
  const int32_t a = GetShapeNoInMyShapes(A), b = GetShapeNoInMyShapes(B);
  if (a < 0 || b < 0 || a == b) return;
  std::vector<int32_t> pos(FMyShapes.size());
  std::iota(pos.begin(), pos.end(), 0);
  std::swap(pos[static_cast<size_t>(a)], pos[static_cast<size_t>(b)]);
  PermuteShapes(pos);
}

bool TMyCAD::StepShape(TMyShape* S, bool Forward, bool Once) {
  const int32_t from = GetShapeNoInMyShapes(S);
  if (from < 0) return false;
  // S hops over every following (or preceding) top-level shape in one permutation, or over the
  // next one only: the shapes it passes move one top-level place towards where S was; members
  // stay where they are.
  std::vector<int32_t> hops;
  for (TMyShape* n = Forward ? GetNextSingleorRootShape(from) : GetPrevSingleorRootShape(from); n;
       n = Forward ? GetNextSingleorRootShape(n->ShapeNo) : GetPrevSingleorRootShape(n->ShapeNo)) {
    hops.push_back(n->ShapeNo);
    if (Once) break;
  }
  if (hops.empty()) return false;
  std::vector<int32_t> pos(FMyShapes.size());
  std::iota(pos.begin(), pos.end(), 0);
  pos[static_cast<size_t>(from)] = hops.back();
  int32_t previous = from;
  for (int32_t h : hops) {
    pos[static_cast<size_t>(h)] = previous;
    previous = h;
  }
  PermuteShapes(pos);
  SetModified(true);
  return true;
}

void TMyCAD::ReorderShape(TMyShape* Shape, bool Forward, bool Once, bool RecordUndo, const QString& Action) {
  if (!Shape) return;
  // All the way records a step even when the shape is already there; one step does not.
  if (!StepShape(Shape, Forward, Once) && Once) return;
  RepaintChanged();
  if (RecordUndo) PushtoUndoRedoShapeList(TArrMyShape{Shape}, Action);
}

void TMyCAD::BringToFront(TMyShape* Shape, bool RecordUndo) {
  ReorderShape(Shape, true, false, RecordUndo, QStringLiteral("ACT_BRINGTOFRONT"));
}

void TMyCAD::SendToBack(TMyShape* Shape, bool RecordUndo) {
  ReorderShape(Shape, false, false, RecordUndo, QStringLiteral("ACT_SENDTOBACK"));
}

void TMyCAD::BringToFrontByStep(TMyShape* Shape, bool RecordUndo) {
  ReorderShape(Shape, true, true, RecordUndo, QStringLiteral("ACT_BRINGTOFRONTBYSTEP"));
}

void TMyCAD::SendToBackByStep(TMyShape* Shape, bool RecordUndo) {
  ReorderShape(Shape, false, true, RecordUndo, QStringLiteral("ACT_SENDTOBACKBYSTEP"));
}

// ---- Align ----

void TMyCAD::AlignBy(int Which) {
  if (FWorkingShapes.size() < 2) return;
  PushtoUndoRedoShapeList(FWorkingShapes, QStringLiteral("ACT_CHANGE"));
  const TMyRect b = GetShapesLTRB(FWorkingShapes);
  for (TMyShape* w : FWorkingShapes) {
    const TMyRect r = GetShapesLTRB(TArrMyShape{w});
    const TMyPoint c = w->GetCenterPoint();
    long double dx = 0, dy = 0;
    switch (Which) {
      case 0: dx = static_cast<long double>(b.Left) - r.Left; break;
      case 1: dx = static_cast<long double>(b.Right) - r.Right; break;
      case 2: dy = static_cast<long double>(b.Top) - r.Top; break;
      case 3: dy = static_cast<long double>(b.Bottom) - r.Bottom; break;
      case 4: dx = (b.Left + (static_cast<long double>(b.Right) - b.Left) / 2) - c.X; break;
      default: dy = (b.Top + (static_cast<long double>(b.Bottom) - b.Top) / 2) - c.Y; break;
    }
    DragChangeValueDxDyforShapes(w, static_cast<double>(dx * FZoom), static_cast<double>(dy * FZoom));
  }
  for (TMyShape* w : FWorkingShapes) ChangeLinkShapes(w);
  SetModified(true);
  RepaintChanged();
}

void TMyCAD::AlignLeft() { AlignBy(0); }
void TMyCAD::AlignRight() { AlignBy(1); }
void TMyCAD::AlignTop() { AlignBy(2); }
void TMyCAD::AlignBottom() { AlignBy(3); }
void TMyCAD::AlignHorizontalCenter() { AlignBy(4); }
void TMyCAD::AlignVerticalCenter() { AlignBy(5); }

// ---- Arcs for export ----

void TMyCAD::GetRA1A2By3Points(const TMyPoint& P1, const TMyPoint&, const TMyPoint& P3, const TMyPoint& Centre,
                               long double& R, long double& A1, long double& A2) const {
  const long double h = Height();
  const auto angleOf = [&Centre](long double x, long double y) -> long double {
    if (x == Centre.X) return y < Centre.Y ? 90 : 270;
    const long double a = std::atan((y - Centre.Y) / (x - Centre.X)) * 180 / PiL;
    return x > Centre.X ? a : a + 180;
  };
  const long double x1 = P1.X, y1 = h - P1.Y, x3 = P3.X, y3 = h - P3.Y;
  R = std::hypot(x1 - Centre.X, y1 - Centre.Y);
  A1 = angleOf(x3, y3);
  A2 = angleOf(x1, y1);
}

}  // namespace cad
