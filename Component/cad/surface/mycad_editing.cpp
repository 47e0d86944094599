// Selection, shape tree lookups, deletion with renumbering, grouping, flips, locks, bounding
// boxes, and the undo-list entry points.
#include "../shapes/group.h"
#include "mycad.h"

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
}

void TMyCAD::AddWorkingShapes(TMyShape* Shape) {
  if (!Shape) return;
  Shape = GetRootParentShape(Shape);
  if (Shape->FSlot.Selected) return;
  FWorkingShapes.push_back(Shape);
  SetSelected(Shape, true);
}

void TMyCAD::RemoveWorkingShape(TMyShape* Shape) {
  const int32_t i = IsInWorkingShape(Shape);
  if (i < 0) return;
  if (FCurrentShape == Shape) SetCurrentShape(nullptr);
  FWorkingShapes.erase(FWorkingShapes.begin() + i);
  SetSelected(Shape, false);
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
  auto shift = [No](int32_t& n) {
    if (n > No) --n;
  };
  for (TMyShape* s : FMyShapes) {
    if (s == gone) continue;
    shift(s->ParentNo);
    if (!s->ChildShapes.empty())
      for (int32_t& c : s->ChildShapes.Edit()) shift(c);
    for (int32_t& l : s->LinkShapes) shift(l);
  }
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
  delete gone;
}

bool TMyCAD::DeleteShapeById(int32_t Id, bool RecordUndo) {
  TMyShape* s = GetShapeByID(Id);
  if (!s || s->Locked()) return false;
  if (OnShapeDeleted) OnShapeDeleted(s);
  if (RecordUndo) PushtoUndoRedoShapeList(TArrMyShape{s}, QStringLiteral("ACT_DELETE"));

  // Members before their group, skipping locked ones.
  std::vector<int32_t> ids;
  WalkShapeTree(s, TWalk::ChildrenFirst, [&ids](TMyShape* shape) {
    if (!shape->Locked()) ids.push_back(shape->ShapeId);
  });
  for (int32_t id : ids) {
    TMyShape* victim = GetShapeByID(id);
    if (!victim) continue;
    RemoveShapeAt(GetShapeNoInMyShapes(victim));
  }
  ClearWorkingList();
  SetCurrentShape(nullptr);
  return true;
}

void TMyCAD::DeleteAllShapes() {
  ClearWorkingList();
  SetCurrentShape(nullptr);
  FClickedChildShape = nullptr;
  FHoverShape = nullptr;
  ForgetAllShapes();
  for (TMyShape* s : FMyShapes) delete s;
  FMyShapes.clear();
  FNextShapeId = 0;
  Repaint();
}

// ---- Grouping ----

int32_t TMyCAD::GroupShapes(const TArrMyShape& Shapes, bool RecordUndo) {
  if (Shapes.size() < 2) return -1;
  const uint8_t layer = static_cast<uint8_t>(Shapes[0]->LayerId);
  for (const TMyShape* s : Shapes)
    if (!s || static_cast<uint8_t>(s->LayerId) != layer || !s->Visible()) return -1;
  const TMyRect b = GetShapesLTRBinZoom(Shapes);
  auto* group = new TMyGroup(this);
  group->AddPoint(TMyPoint{b.Left, b.Top});
  group->AddPoint(TMyPoint{b.Right, b.Top});
  group->AddPoint(TMyPoint{b.Right, b.Bottom});
  group->AddPoint(TMyPoint{b.Left, b.Bottom});
  group->ShapeNo = GetShapesCount();
  group->ShapeId = FNextShapeId;
  group->SetName(QStringLiteral("Shape") + QString::number(group->ShapeId));
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
  Repaint();
  return group->ShapeId;
}

void TMyCAD::UnGroupShape(TMyShape* Shape, bool RecordUndo) {
  if (!Shape || !Shape->HasChildShapes() || Shape->HasParentShape() || dynamic_cast<TMyCombine*>(Shape)) return;
  const bool wasBusy = FBusy;
  FBusy = true;
  ClearWorkingList();
  for (int32_t no : std::as_const(Shape->ChildShapes))
    if (TMyShape* c = GetShapeByNo(no); c && c != Shape) c->ParentNo = -1;
  if (RecordUndo) PushtoUndoRedoShapeList(TArrMyShape{Shape}, QStringLiteral("ACT_UNGROUP"));
  Shape->ChildShapes.clear();
  DeleteShapeById(Shape->ShapeId, false);
  FBusy = wasBusy;
  Repaint();
}

// ---- Flips, locks ----

void TMyCAD::FlipHoriz(TMyShape* Shape) {
  if (!Shape || Shape->ClassName() == QLatin1String("TMyLinkLine")) return;
  PushtoUndoRedoShapeList(TArrMyShape{Shape}, QStringLiteral("ACT_CHANGE"));
  WalkShapeTree(Shape, TWalk::ChildrenFirst, [this](TMyShape* s) {
    if (s->Locked()) return;
    s->FlipHoriz();
    ChangeLinkShapes(s);
  });
}

void TMyCAD::FlipVert(TMyShape* Shape) {
  if (!Shape || Shape->ClassName() == QLatin1String("TMyLinkLine")) return;
  PushtoUndoRedoShapeList(TArrMyShape{Shape}, QStringLiteral("ACT_CHANGE"));
  WalkShapeTree(Shape, TWalk::ChildrenFirst, [this](TMyShape* s) {
    if (s->Locked()) return;
    s->FlipVert();
    ChangeLinkShapes(s);
  });
}

void TMyCAD::LockUnLockforShapes(TMyShape* Shape, bool Locked) {
  WalkShapeTree(Shape, TWalk::ChildrenFirst, [Locked](TMyShape* s) { s->SetLocked(Locked); });
}

TMyRect TMyCAD::GetShapesLTRB(const TArrMyShape& Shapes) const {
  bool seeded = false;
  TMyRect r;
  for (const TMyShape* s : Shapes) {
    if (!s) continue;
    for (const TMyPoint& p : s->Points) {
      if (!seeded) {
        r = TMyRect{p.X, p.Y, p.X, p.Y};
        seeded = true;
      }
      r.Left = std::min(r.Left, p.X);
      r.Top = std::min(r.Top, p.Y);
      r.Right = std::max(r.Right, p.X);
      r.Bottom = std::max(r.Bottom, p.Y);
    }
  }
  return r;
}

TMyRect TMyCAD::InZoom(const TMyRect& R) const {
  const auto z = [this](float v) { return static_cast<float>(v * FZoom); };
  return TMyRect{z(R.Left), z(R.Top), z(R.Right), z(R.Bottom)};
}

TMyRect TMyCAD::GetShapeLTRBinZoom(const TMyShape* Shape) const { return InZoom(GetPointsLTRB(Shape->Points)); }

TMyRect TMyCAD::GetShapesLTRBinZoom(const TArrMyShape& Shapes) const { return InZoom(GetShapesLTRB(Shapes)); }

}  // namespace cad
