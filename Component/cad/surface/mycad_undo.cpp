// The undo list and the redo list.
//
// The undo list holds, per step, copies of the shapes a command is about to change, and undoes
// a step by calling the editing commands backwards (deleting what was added, re-creating what
// was deleted, assigning the old values back, regrouping, moving back in z-order).
//
// Undoing does not bring back exactly the drawing that was there before (deleted shapes come
// back at the end of the list, detached from their connectors), so redo does not replay
// commands: before a step is undone, the surface notes the list order, every relation number
// and copies of the shapes the step touches, and Redo puts all of that back. The undone step's
// records are kept with it and become undoable again as they were.
#include "../shapes/group.h"
#include "../shapes/linkline.h"
#include "mycad.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace cad {

namespace {
constexpr QLatin1String kAdd("ACT_ADD");
constexpr QLatin1String kDelete("ACT_DELETE");
constexpr QLatin1String kChange("ACT_CHANGE");
constexpr QLatin1String kGroup("ACT_GROUP");
constexpr QLatin1String kUnGroup("ACT_UNGROUP");
constexpr QLatin1String kToFront("ACT_BRINGTOFRONT");
constexpr QLatin1String kToFrontByStep("ACT_BRINGTOFRONTBYSTEP");
constexpr QLatin1String kToBack("ACT_SENDTOBACK");
constexpr QLatin1String kToBackByStep("ACT_SENDTOBACKBYSTEP");
}  // namespace

struct TMyCAD::TRedoStep {
  // The undone step's own records, to go back onto the undo list.
  std::vector<TSavedShape> Records;
  // The drawing before the undo: ids in list order, the relations of the shapes that had any
  // (by position), and copies of the shapes the step touched, with their names.
  std::vector<int32_t> Order;
  std::vector<std::pair<int32_t, TShapeRelations>> Relations;
  std::vector<std::unique_ptr<TMyShape>> Copies;
  std::vector<QString> Names;
  int32_t NextShapeId = 0;
};

void TMyCAD::TRedoStepDeleter::operator()(TRedoStep* P) const { delete P; }

// ---- Recording ----

int32_t TMyCAD::UndoStepsCount() const {
  if (FUndoList.empty()) return 0;
  return FUndoList.back().Step - FUndoList.front().Step + 1;
}

void TMyCAD::AppendSavedShape(int32_t Step, TMyShape* Shape, const QString& Action) {
  std::unique_ptr<TMyShape> copy(CreateShapeByName(Shape->ClassName(), this));
  if (!copy) return;
  copy->Assign(Shape);
  copy->LinkShapes.clear();
  TSavedShape rec{Step, Shape->Name(), std::move(copy), Action};
  if (TMyShape* p = GetShapeByNo(Shape->ParentNo); p && p != Shape) rec.ParentShapeId = p->ShapeId;
  if (auto* line = dynamic_cast<TMyLinkLine*>(Shape)) {
    if (TMyShape* s = line->GetStartShape()) rec.StartShapeId = s->ShapeId;
    if (TMyShape* e = line->GetEndShape()) rec.EndShapeId = e->ShapeId;
  }
  FUndoList.push_back(std::move(rec));
}

void TMyCAD::DropOldestUndoStep() {
  // Steps stay numbered from 0: the others move down one number.
  const int32_t oldest = FUndoList.front().Step;
  auto firstKept = std::find_if(FUndoList.begin(), FUndoList.end(), [oldest](const TSavedShape& r) { return r.Step != oldest; });
  FUndoList.erase(FUndoList.begin(), firstKept);
  for (TSavedShape& r : FUndoList) --r.Step;
}

void TMyCAD::MakeRoomForUndoStep() {
  // A full list (or one a lowered size left too long) drops its oldest steps.
  while (!FUndoList.empty() && FUndoList.back().Step >= FUndoRedoSize - 1) DropOldestUndoStep();
}

void TMyCAD::BeginUndoGroup() { ++FUndoGroupDepth; }

void TMyCAD::EndUndoGroup() {
  if (FUndoGroupDepth > 0 && --FUndoGroupDepth == 0) FUndoGroupOpen = false;
}

void TMyCAD::PushtoUndoRedoShapeList(const TArrMyShape& Shapes, const QString& Action) {
  if (FUndoRedoSize == 0 || FUndoing || Shapes.empty()) return;
  FRedoList.clear();
  int32_t step;
  if (FUndoGroupOpen && !FUndoList.empty()) {
    step = FUndoList.back().Step;
  } else {
    MakeRoomForUndoStep();
    step = FUndoList.empty() ? 0 : FUndoList.back().Step + 1;
    FUndoGroupOpen = FUndoGroupDepth > 0;
  }
  if (Action == kDelete) {
    // The connectors of the shapes going away are detached by the deletion: they are recorded
    // too, so that undoing it attaches them again.
    std::unordered_set<const TMyShape*> gone;
    std::vector<TMyShape*> detached;
    for (auto it = Shapes.rbegin(); it != Shapes.rend(); ++it)
      WalkShapeTree(*it, TWalk::ShapeFirst, [&](TMyShape* s) {
        AppendSavedShape(step, s, Action);
        gone.insert(s);
      });
    for (const TMyShape* s : gone)
      for (int32_t no : s->LinkShapes)
        if (TMyShape* l = GetShapeByNo(no); l && !gone.count(l)) detached.push_back(l);
    std::sort(detached.begin(), detached.end(), [](const TMyShape* a, const TMyShape* b) { return a->ShapeNo < b->ShapeNo; });
    detached.erase(std::unique(detached.begin(), detached.end()), detached.end());
    for (TMyShape* l : detached) AppendSavedShape(step, l, kChange);
  } else if (Action == kChange) {
    for (auto it = Shapes.rbegin(); it != Shapes.rend(); ++it)
      WalkShapeTree(*it, TWalk::ShapeFirst, [&](TMyShape* s) { AppendSavedShape(step, s, Action); });
  } else if (Action == kAdd) {
    for (auto it = Shapes.rbegin(); it != Shapes.rend(); ++it)
      if (*it) AppendSavedShape(step, *it, Action);
  } else if (Action == kUnGroup) {
    for (int32_t no : std::as_const(Shapes[0]->ChildShapes))
      if (TMyShape* c = GetShapeByNo(no); c && c != Shapes[0]) AppendSavedShape(step, c, Action);
  } else if (Shapes[0]) {
    AppendSavedShape(step, Shapes[0], Action);
  }
  NotifyStateChanges();
}

void TMyCAD::ClearAllUndoStuff() {
  FUndoList.clear();
  FRedoList.clear();
  FUndoGroupOpen = false;
  NotifyStateChanges();
}

void TMyCAD::SetUndoRedoSize(uint8_t Value) {
  if (Value == FUndoRedoSize) return;
  FUndoRedoSize = Value;
  if (Value == 0) {
    ClearAllUndoStuff();
    return;
  }
  // A smaller list keeps its newest steps.
  while (UndoStepsCount() > Value) DropOldestUndoStep();
  while (static_cast<int32_t>(FRedoList.size()) > Value) FRedoList.erase(FRedoList.begin());
  NotifyStateChanges();
}

// ---- Undoing ----

void TMyCAD::PopFromUndoRedoShapeList() {
  if (FUndoRedoSize == 0 || FUndoList.empty()) return;
  // Shapes go and come back as copies: hosts hear of one new list when the undo is done.
  TNotifyBatch batch(this, TNotifyBatch::Replaced);
  FUndoGroupOpen = false;
  const int32_t step = FUndoList.back().Step;
  TRedoStepPtr redo = CaptureRedoStep(step);
  FUndoing = true;
  ClearWorkingList();

  size_t first = FUndoList.size();
  while (first > 0 && FUndoList[first - 1].Step == step) --first;
  TArrMyShape regroup;
  std::vector<TSavedShape*> deleted;
  // Connectors whose ends go back where they were once every shape of the step is back.
  std::vector<TSavedShape*> ends;
  bool processed = false;
  for (size_t i = FUndoList.size(); i-- > first;) {
    TSavedShape& rec = FUndoList[i];
    TMyShape* copy = rec.Shape.get();
    if (rec.Action == kDelete) {
      deleted.push_back(&rec);
      if (dynamic_cast<TMyLinkLine*>(copy)) ends.push_back(&rec);
      processed = true;
      continue;
    }
    TMyShape* live = GetShapeByID(copy->ShapeId);
    if (!live) continue;
    processed = true;
    TMyShape* s = GetShapeByNo(live->ShapeNo);
    if (rec.Action == kAdd) {
      DeleteShapeById(copy->ShapeId, false);
    } else if (rec.Action == kChange) {
      if (!s || s->ShapeId != copy->ShapeId) {
        MessageDlg(QStringLiteral("A change to \"%1\" could not be undone: the shape is no longer where the change left it.")
                       .arg(rec.ShapeName),
                   TMsgDlgType::mtWarning, mbOK);
        continue;
      }
      s->AssignWithoutRelation(copy);
      if (dynamic_cast<TMyLinkLine*>(s)) ends.push_back(&rec);
      ChangeLinkShapes(s);
    } else if (rec.Action == kGroup) {
      UnGroupShape(s, false);
    } else if (rec.Action == kUnGroup) {
      if (s) regroup.push_back(s);
    } else if (rec.Action == kToFront) {
      SendToBack(s, false);
    } else if (rec.Action == kToBack) {
      BringToFront(s, false);
    } else if (rec.Action == kToFrontByStep) {
      SendToBackByStep(s, false);
    } else if (rec.Action == kToBackByStep) {
      BringToFrontByStep(s, false);
    }
  }
  if (!regroup.empty()) GroupShapes(regroup, false);
  if (!deleted.empty()) RecreateDeletedShapes(deleted);
  for (TSavedShape* rec : ends)
    if (TMyShape* s = GetShapeByID(rec->Shape->ShapeId)) RestoreConnectorEnds(s, *rec);

  redo->Records.assign(std::make_move_iterator(FUndoList.begin() + static_cast<std::ptrdiff_t>(first)),
                       std::make_move_iterator(FUndoList.end()));
  FUndoList.erase(FUndoList.begin() + static_cast<std::ptrdiff_t>(first), FUndoList.end());
  FRedoList.push_back(std::move(redo));
  while (static_cast<int32_t>(FRedoList.size()) > FUndoRedoSize) FRedoList.erase(FRedoList.begin());
  SetModified(true);
  SetCurrentShape(nullptr);
  // The repaint is part of the undo: what it tidies (connector routes) must not end redo.
  if (processed) Repaint();
  FUndoing = false;
}

void TMyCAD::WithdrawLastStep() {
  if (!CanUndo()) return;
  // Hosts hear of the end state once: nothing to redo.
  TNotifyBatch batch(this, TNotifyBatch::Replaced);
  // Undoing puts the step at the end of the redo list.
  PopFromUndoRedoShapeList();
  if (!FRedoList.empty()) FRedoList.pop_back();
}

void TMyCAD::RestoreConnectorEnds(TMyShape* Shape, const TSavedShape& Record) {
  auto* line = dynamic_cast<TMyLinkLine*>(Shape);
  auto* was = dynamic_cast<TMyLinkLine*>(Record.Shape.get());
  if (!line || !was) return;
  const int32_t no = line->ShapeNo;
  // The shapes the record names, by id, when they still stand with that link point.
  auto target = [&](int32_t Id, int32_t Pt) -> TMyShape* {
    TMyShape* t = Id >= 0 ? GetShapeByID(Id) : nullptr;
    return t && t != line && Pt >= 0 && Pt < t->GetLinkPointsCount() ? t : nullptr;
  };
  TMyShape* const oldStart = line->GetStartShape();
  TMyShape* const oldEnd = line->GetEndShape();
  TMyShape* const start = target(Record.StartShapeId, was->StartSpPtId());
  TMyShape* const end = target(Record.EndShapeId, was->EndSpPtId());
  if (start) line->CreateSrcLink(start->ShapeNo, was->StartSpPtId());
  else line->RemoveSrcLink();
  if (end) line->CreateDestLink(end->ShapeNo, was->EndSpPtId());
  else line->RemoveDestLink();
  // A shape lists the connector while either end is on it.
  for (TMyShape* s : {oldStart, oldEnd})
    if (s && s != start && s != end) RemoveLinklineShape(s, no);
  for (TMyShape* s : {start, end})
    if (s) AddLinklineShape(s, no);
}

void TMyCAD::RecreateDeletedShapes(std::vector<TSavedShape*>& Kept) {
  // The copies come back at the end of the list, in the order kept. Their numbers among
  // themselves are mapped to the new places; a shape the records name that is still here (a
  // locked member the deletion passed over) keeps its place. Other numbers are dropped: the
  // shapes go back into groups that stayed, and connectors get their ends back, by id.
  std::unordered_map<int32_t, int32_t> renumber;
  std::unordered_set<int32_t> ids;
  std::vector<TSavedShape*> back;
  int32_t next = GetShapesCount();
  for (TSavedShape* rec : Kept) {
    const TMyShape* copy = rec->Shape.get();
    if (!ids.insert(copy->ShapeId).second) continue;  // recorded twice in one step
    if (const TMyShape* live = GetShapeByID(copy->ShapeId)) {
      renumber.emplace(copy->ShapeNo, live->ShapeNo);
      continue;
    }
    renumber.emplace(copy->ShapeNo, next++);
    back.push_back(rec);
  }
  auto mapped = [&renumber](int32_t No) {
    auto it = renumber.find(No);
    return it == renumber.end() ? -1 : it->second;
  };
  for (TSavedShape* rec : back) {
    TMyShape* copy = rec->Shape.get();
    TMyShape* s = CreateShapeByName(copy->ClassName(), this);
    if (!s) return;
    s->Assign(copy);
    s->SetName(rec->ShapeName);
    TShapeRelations r;
    r.ShapeNo = GetShapesCount();
    r.ParentNo = mapped(copy->ParentNo);
    for (int32_t c : std::as_const(copy->ChildShapes))
      if (const int32_t m = mapped(c); m >= 0) r.ChildShapes.push_back(m);
    s->SetRelations(r);
    // Back on its own layer, whichever layer is current now. (Only a surface without layers
    // refuses, and then it refuses every shape.)
    if (!AddShape(s, true, true)) {
      delete s;
      return;
    }
  }
  for (TSavedShape* rec : back) {
    TMyShape* s = GetShapeByID(rec->Shape->ShapeId);
    if (!s) continue;
    // Members that stayed belong to their group again.
    for (int32_t c : std::as_const(s->ChildShapes))
      if (TMyShape* m = GetShapeByNo(c); m && m != s && m->ParentNo < 0) m->ParentNo = s->ShapeNo;
    // A member whose group stayed goes back into it.
    if (s->ParentNo < 0 && rec->ParentShapeId >= 0)
      if (TMyShape* p = GetShapeByID(rec->ParentShapeId); p && p != s && !ids.count(p->ShapeId)) {
        s->ParentNo = p->ShapeNo;
        if (std::find(p->ChildShapes.begin(), p->ChildShapes.end(), s->ShapeNo) == p->ChildShapes.end())
          p->ChildShapes.push_back(s->ShapeNo);
      }
  }
  ShapeRelationsChanged();
}

// ---- Redoing ----

TMyCAD::TRedoStepPtr TMyCAD::CaptureRedoStep(int32_t Step) {
  TRedoStepPtr redo(new TRedoStep);
  redo->NextShapeId = FNextShapeId;
  redo->Order.reserve(FMyShapes.size());
  const TShapeRelations none;
  for (size_t i = 0; i < FMyShapes.size(); ++i) {
    TMyShape* s = FMyShapes[i];
    redo->Order.push_back(s->ShapeId);
    TShapeRelations r = s->GetRelations();
    r.ShapeNo = none.ShapeNo;
    if (!(r == none)) redo->Relations.emplace_back(static_cast<int32_t>(i), std::move(r));
  }
  // The shapes the step names, their members and their connectors: what undoing it may change
  // or remove.
  std::unordered_set<TMyShape*> touched;
  for (const TSavedShape& rec : FUndoList) {
    if (rec.Step != Step) continue;
    WalkShapeTree(GetShapeByID(rec.Shape->ShapeId), TWalk::ShapeFirst, [&](TMyShape* s) {
      touched.insert(s);
      for (int32_t no : s->LinkShapes)
        if (TMyShape* l = GetShapeByNo(no)) touched.insert(l);
    });
  }
  for (TMyShape* s : FMyShapes) {
    if (!touched.count(s)) continue;
    std::unique_ptr<TMyShape> copy(CreateShapeByName(s->ClassName(), this));
    if (!copy) continue;
    copy->Assign(s);
    redo->Copies.push_back(std::move(copy));
    redo->Names.push_back(s->Name());
  }
  return redo;
}

void TMyCAD::Redo() {
  if (FUndoRedoSize == 0 || FRedoList.empty()) return;
  TNotifyBatch batch(this, TNotifyBatch::Replaced);
  TRedoStepPtr redo = std::move(FRedoList.back());
  FRedoList.pop_back();
  FUndoing = true;
  ClearWorkingList();
  SetCurrentShape(nullptr);
  ApplyRedoStep(*redo);

  // The step's records are undoable again, as the newest step.
  MakeRoomForUndoStep();
  const int32_t step = FUndoList.empty() ? 0 : FUndoList.back().Step + 1;
  for (TSavedShape& r : redo->Records) {
    r.Step = step;
    FUndoList.push_back(std::move(r));
  }
  SetModified(true);
  Repaint();
  FUndoing = false;
}

void TMyCAD::ApplyRedoStep(TRedoStep& Step) {
  std::unordered_map<int32_t, size_t> wanted;  // id -> position in the order
  for (size_t i = 0; i < Step.Order.size(); ++i) wanted.emplace(Step.Order[i], i);
  // Shapes the undo brought in go again.
  for (int32_t i = GetShapesCount() - 1; i >= 0; --i)
    if (!wanted.count(FMyShapes[static_cast<size_t>(i)]->ShapeId)) RemoveShapeAt(i);
  // Shapes it removed come back from their copies; the others take their old values.
  std::unordered_map<int32_t, TMyShape*> byId;
  for (TMyShape* s : FMyShapes) byId.emplace(s->ShapeId, s);
  for (size_t i = 0; i < Step.Copies.size(); ++i) {
    TMyShape* copy = Step.Copies[i].get();
    auto it = byId.find(copy->ShapeId);
    if (it != byId.end()) {
      it->second->AssignWithoutRelation(copy);
      continue;
    }
    TMyShape* s = CreateShapeByName(copy->ClassName(), this);
    s->Assign(copy);
    s->SetName(Step.Names[i]);
    s->SetRelations(TShapeRelations{});
    if (!AddShape(s, true, true)) {
      delete s;
      continue;
    }
    byId.emplace(s->ShapeId, s);
  }
  // The old order; a shape that cannot be found any more leaves a gap that the numbers skip.
  TArrMyShape order;
  std::vector<int32_t> newPos(Step.Order.size(), -1);
  for (size_t i = 0; i < Step.Order.size(); ++i) {
    auto it = byId.find(Step.Order[i]);
    if (it == byId.end()) continue;
    newPos[i] = static_cast<int32_t>(order.size());
    order.push_back(it->second);
    byId.erase(it);
  }
  for (TMyShape* s : FMyShapes)
    if (byId.count(s->ShapeId)) order.push_back(s);  // not in the old order: kept, at the end
  const bool reordered = order != FMyShapes;
  FMyShapes = std::move(order);
  for (int32_t i = 0; i < GetShapesCount(); ++i) {
    FMyShapes[static_cast<size_t>(i)]->FSlot.ListPos = i;
    FMyShapes[static_cast<size_t>(i)]->ShapeNo = i;
  }
  // Every relation as it was, each number moved with its shape.
  auto map = [&newPos](int32_t No) { return No >= 0 && No < static_cast<int32_t>(newPos.size()) ? newPos[static_cast<size_t>(No)] : -1; };
  size_t next = 0;
  for (size_t i = 0; i < Step.Order.size(); ++i) {
    if (newPos[i] < 0) continue;
    TMyShape* s = FMyShapes[static_cast<size_t>(newPos[i])];
    TShapeRelations r;
    if (next < Step.Relations.size() && Step.Relations[next].first == static_cast<int32_t>(i)) r = Step.Relations[next++].second;
    r.ShapeNo = newPos[i];
    r.ParentNo = r.ParentNo < 0 ? -1 : map(r.ParentNo);
    auto mapAll = [&](std::vector<int32_t>& V) {
      std::vector<int32_t> out;
      for (int32_t n : V)
        if (const int32_t m = map(n); m >= 0) out.push_back(m);
      V = std::move(out);
    };
    mapAll(r.ChildShapes);
    mapAll(r.LinkShapes);
    if (r.StartSpNo >= 0) r.StartSpNo = map(r.StartSpNo);
    if (r.EndSpNo >= 0) r.EndSpNo = map(r.EndSpNo);
    if (!(s->GetRelations() == r)) s->SetRelations(r);
  }
  if (reordered) {
    ShapeRelationsChanged();
    DamageAll();
  }
  // Ids the undo handed out are free again (nothing holds them now); no id in use is.
  int32_t nextId = Step.NextShapeId;
  for (const TMyShape* s : FMyShapes) nextId = std::max(nextId, s->ShapeId + 1);
  FNextShapeId = nextId;
}

}  // namespace cad
