// The editing commands and the undo and redo lists: relation numbers kept consistent through
// every command, the steps each command records, and undo followed by redo giving back the
// drawing field by field.
#include "support.h"

#include <cad/shapes/group.h>
#include <cad/shapes/linkline.h>
#include <cad/shapes/rectangle.h>
#include <cad/shapes/textimage.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <sstream>

using namespace cad;
using testing_support::Recorded;

namespace {

class Editing : public ::testing::Test {
protected:
  void SetUp() override {
    cad.SetZoom(1);
    cad.SetSnap(false);
    cad.SetShapeTool(TDrawTool::SpSelecting);
  }
  TMyShape* Rect(float l, float t, float r, float b) {
    TMyShape* s = cad.CreateAddShapeByName(QStringLiteral("TMyRectangle"), nullptr);
    s->Points = {{l, t}, {r, t}, {r, b}, {l, b}};
    s->CenterPoint = s->ComputeCenterPoint();
    s->TextPoint = TMyPoint{(l + r) / 2, b + 10};
    s->Changed();
    return s;
  }
  // A connector from link point 0 of A to link point 0 of B, both given one link point.
  TMyLinkLine* Connect(TMyShape* A, TMyShape* B) {
    if (A->GetLinkPointsCount() == 0) A->AddLinkPoint(A->GetCenterPointInZoom());
    if (B->GetLinkPointsCount() == 0) B->AddLinkPoint(B->GetCenterPointInZoom());
    const int32_t id = cad.CreateLink(QString(), A, 0, B, 0);
    return dynamic_cast<TMyLinkLine*>(cad.GetShapeByID(id));
  }
  // The whole drawing as text: each shape's record (every stored field, relations included)
  // and its lock, shape by shape. Taken after a paint, which normalises connector routes.
  std::string Snapshot() {
    cad.Repaint();
    std::ostringstream o;
    for (int32_t i = 0; i < cad.GetShapesCount(); ++i) {
      TMyShape* s = cad.GetShapeByNo(i);
      o << s->ClassName().toStdString() << " " << testing_support::RecordOf(*s).toHex().toStdString() << " lock"
        << s->Locked() << "\n";
    }
    o << "next" << cad.NextShapeId();
    return o.str();
  }
  // Every relation as shape ids, shape by shape in id order: what an undo must give back even
  // where it brings shapes back at other places of the list.
  std::string RelationsById() {
    std::map<int32_t, std::string> byId;
    auto id = [this](int32_t No) { return No < 0 ? -1 : cad.GetShapeByNo(No)->ShapeId; };
    for (int32_t i = 0; i < cad.GetShapesCount(); ++i) {
      TMyShape* s = cad.GetShapeByNo(i);
      const TShapeRelations r = s->GetRelations();
      std::vector<int32_t> members, links;
      for (int32_t c : r.ChildShapes) members.push_back(id(c));
      for (int32_t l : r.LinkShapes) links.push_back(id(l));
      std::sort(members.begin(), members.end());
      std::sort(links.begin(), links.end());
      std::ostringstream o;
      o << "parent " << id(r.ParentNo) << " members";
      for (int32_t m : members) o << " " << m;
      o << " links";
      for (int32_t l : links) o << " " << l;
      o << " ends " << id(r.StartSpNo) << "/" << r.StartSpPtId << " " << id(r.EndSpNo) << "/" << r.EndSpPtId;
      byId[s->ShapeId] = o.str();
    }
    std::string all;
    for (const auto& [i, text] : byId) all += std::to_string(i) + ": " + text + "\n";
    return all;
  }
  // Runs 400 random commands (adds, connects, deletes, groups, ungroups, z-order, moves, undo,
  // redo) and checks the relations after each.
  void RandomCommands(unsigned Seed);
  std::vector<std::string> Actions() {
    std::vector<std::string> a;
    for (const TSavedShape& r : cad.UndoList())
      a.push_back(std::to_string(r.Step) + " " + r.Action.toStdString() + " " + r.ShapeName.toStdString());
    return a;
  }
  TMyCAD cad;
};

}  // namespace

TEST_F(Editing, TheListKeepsTheNewestStepsItMayHold) {
  cad.SetUndoRedoSize(3);
  std::vector<TMyShape*> shapes;
  for (int i = 0; i < 5; ++i) shapes.push_back(Rect(i * 20.f, 0, i * 20.f + 10, 10));
  for (TMyShape* s : shapes) {
    cad.Move(s, 1, 0);  // by code: no step
    cad.FlipHoriz(s);   // one step each, on shapes Shape0 to Shape4 in turn
  }
  EXPECT_EQ(cad.UndoStepsCount(), 3);
  EXPECT_EQ(Actions(), (std::vector<std::string>{"0 ACT_CHANGE Shape2", "1 ACT_CHANGE Shape3", "2 ACT_CHANGE Shape4"}));
  EXPECT_TRUE(cad.CanUndo());
  EXPECT_FALSE(cad.CanRedo());

  // Lowering the size keeps the newest steps; 0 switches undo off and empties the list.
  cad.SetUndoRedoSize(2);
  EXPECT_EQ(Actions(), (std::vector<std::string>{"0 ACT_CHANGE Shape3", "1 ACT_CHANGE Shape4"}));
  // Undo takes the newest first: Shape4 comes back unflipped, Shape3 stays flipped.
  const TArrMyPoint flipped3 = shapes[3]->Points;
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(shapes[4]->Points[0], (TMyPoint{81, 0}));
  EXPECT_EQ(shapes[3]->Points, flipped3);
  EXPECT_EQ(Actions(), (std::vector<std::string>{"0 ACT_CHANGE Shape3"}));
  cad.SetUndoRedoSize(0);
  EXPECT_FALSE(cad.CanUndo());
  cad.FlipHoriz(shapes[0]);
  EXPECT_TRUE(cad.UndoList().empty());
  cad.PopFromUndoRedoShapeList();  // nothing to undo: nothing happens
}

TEST_F(Editing, DeletingRenumbersEveryRelation) {
  TMyShape* s0 = Rect(0, 0, 10, 10);
  TMyShape* s1 = Rect(20, 0, 30, 10);
  TMyShape* victim = Rect(40, 0, 50, 10);
  TMyShape* s3 = Rect(60, 0, 70, 10);
  TMyShape* s4 = Rect(80, 0, 90, 10);
  // 3 and 4 grouped (group at 5), a connector from 0 to the group's member 3 (at 6), one to
  // the victim (at 7).
  ASSERT_GE(cad.GroupShapes(TArrMyShape{s3, s4}, false), 0);
  TMyLinkLine* toMember = Connect(s0, s3);
  TMyLinkLine* toVictim = Connect(s1, victim);
  ASSERT_TRUE(toMember && toVictim);
  EXPECT_EQ(victim->LinkShapes, (TMyShapeNo{7}));

  ASSERT_TRUE(cad.DeleteShapeById(victim->ShapeId, true));
  EXPECT_EQ(cad.GetShapesCount(), 7);
  TMyShape* group = cad.GetShapeByNo(4);
  ASSERT_EQ(group->ClassName(), QStringLiteral("TMyGroup"));
  EXPECT_EQ(s3->ShapeNo, 2);
  EXPECT_EQ(s4->ShapeNo, 3);
  EXPECT_EQ(s3->ParentNo, 4);
  EXPECT_EQ(s4->ParentNo, 4);
  EXPECT_EQ(group->ChildShapes, (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(toMember->ShapeNo, 5);
  EXPECT_EQ(toMember->StartSpNo(), 0);
  EXPECT_EQ(toMember->EndSpNo(), 2);
  EXPECT_EQ(s3->LinkShapes, (TMyShapeNo{5}));
  EXPECT_EQ(s0->LinkShapes, (TMyShapeNo{5}));
  // The victim's connector stays, detached at its end.
  EXPECT_EQ(toVictim->ShapeNo, 6);
  EXPECT_EQ(toVictim->StartSpNo(), 1);
  EXPECT_EQ(toVictim->EndSpNo(), -1);
  EXPECT_EQ(s1->LinkShapes, (TMyShapeNo{6}));

  // Deleting a connector takes it out of its shapes' link lists.
  ASSERT_TRUE(cad.DeleteShapeById(toMember->ShapeId, false));
  EXPECT_TRUE(s0->LinkShapes.empty());
  EXPECT_TRUE(s3->LinkShapes.empty());
  EXPECT_EQ(toVictim->ShapeNo, 5);
  EXPECT_EQ(s1->LinkShapes, (TMyShapeNo{5}));
}

TEST_F(Editing, UndoingADeletedGroupBringsItBackAtTheEnd) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(20, 0, 30, 10);
  TMyShape* other = Rect(100, 100, 110, 110);
  const int32_t gid = cad.GroupShapes(TArrMyShape{a, b}, false);
  TMyShape* group = cad.GetShapeByID(gid);
  TMyLinkLine* line = Connect(other, a);
  ASSERT_TRUE(line);
  const int32_t aId = a->ShapeId, bId = b->ShapeId;

  ASSERT_TRUE(cad.DeleteShapeById(gid, true));
  // The connector the deletion detaches is recorded with it.
  EXPECT_EQ(Actions(), (std::vector<std::string>{"0 ACT_ADD Shape4", "1 ACT_DELETE Shape3", "1 ACT_DELETE Shape0",
                                                 "1 ACT_DELETE Shape1", "1 ACT_CHANGE Shape4"}));
  EXPECT_EQ(cad.GetShapesCount(), 2);  // the other box and the connector
  EXPECT_EQ(line->EndSpNo(), -1);

  cad.PopFromUndoRedoShapeList();
  ASSERT_EQ(cad.GetShapesCount(), 5);
  // Re-created newest record first: b, a, then the group, after the shapes that stayed.
  TMyShape* b2 = cad.GetShapeByNo(2);
  TMyShape* a2 = cad.GetShapeByNo(3);
  TMyShape* g2 = cad.GetShapeByNo(4);
  EXPECT_EQ(b2->ShapeId, bId);
  EXPECT_EQ(a2->ShapeId, aId);
  EXPECT_EQ(g2->ShapeId, gid);
  EXPECT_EQ(a2->Name(), QStringLiteral("Shape0"));
  EXPECT_EQ(g2->ChildShapes, (std::vector<int32_t>{3, 2}));
  EXPECT_EQ(a2->ParentNo, 4);
  EXPECT_EQ(b2->ParentNo, 4);
  // The connector is attached to the member again, at its link point.
  EXPECT_EQ(a2->LinkShapes, (TMyShapeNo{line->ShapeNo}));
  EXPECT_EQ(line->EndSpNo(), a2->ShapeNo);
  EXPECT_EQ(line->EndSpPtId(), 0);
  EXPECT_EQ(cad.GetRootParentShape(a2), g2);
  EXPECT_EQ(cad.UndoStepsCount(), 1);
  (void)group;
}

TEST_F(Editing, GroupingRefusesWhatItCannotGroup) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(20, 20, 30, 40);
  EXPECT_EQ(cad.GroupShapes(TArrMyShape{a}, true), -1);
  b->SetVisible(false);
  EXPECT_EQ(cad.GroupShapes(TArrMyShape{a, b}, true), -1);
  b->SetVisible(true);
  const int32_t layer = cad.NewLayer(QStringLiteral("Other"), true);
  b->LayerId = layer;
  EXPECT_EQ(cad.GroupShapes(TArrMyShape{a, b}, true), -1);
  b->LayerId = a->LayerId;
  EXPECT_EQ(cad.GroupShapes(TArrMyShape{a, a}, true), -1);
  EXPECT_EQ(cad.GetShapesCount(), 2);
  EXPECT_TRUE(cad.UndoList().empty());

  const int32_t gid = cad.GroupShapes(TArrMyShape{a, b}, true);
  TMyShape* g = cad.GetShapeByID(gid);
  EXPECT_EQ(g->Name(), QStringLiteral("Shape") + QString::number(gid));
  EXPECT_EQ(g->Points, (TArrMyPoint{{0, 0}, {30, 0}, {30, 40}, {0, 40}}));
  EXPECT_EQ(g->TextPoint, (TMyPoint{15, 50}));
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{g}));
  // A member already in a group cannot join another one.
  TMyShape* c = Rect(50, 0, 60, 10);
  c->LayerId = a->LayerId;  // the new layer became the current one
  EXPECT_EQ(cad.GroupShapes(TArrMyShape{a, c}, true), -1);
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(cad.GetShapesCount(), 3);
  EXPECT_EQ(a->ParentNo, -1);
  EXPECT_EQ(b->ParentNo, -1);
}

TEST_F(Editing, ZOrderMovesTopLevelShapesOnly) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* m1 = Rect(20, 0, 30, 10);
  TMyShape* m2 = Rect(40, 0, 50, 10);
  TMyShape* d = Rect(60, 0, 70, 10);
  const int32_t gid = cad.GroupShapes(TArrMyShape{m1, m2}, false);
  TMyShape* g = cad.GetShapeByID(gid);
  TMyLinkLine* line = Connect(a, m2);  // at 5, from 0 to 2
  ASSERT_TRUE(line);
  EXPECT_EQ(cad.GetNextSingleorRootShape(0), d);
  EXPECT_EQ(cad.GetPrevSingleorRootShape(4), d);

  cad.BringToFront(a, true);
  // a hopped over d, the group and the connector; the members stayed at their places.
  EXPECT_EQ(a->ShapeNo, 5);
  EXPECT_EQ(d->ShapeNo, 0);
  EXPECT_EQ(g->ShapeNo, 3);
  EXPECT_EQ(line->ShapeNo, 4);
  EXPECT_EQ(cad.GetShapeByNo(1), m1);
  EXPECT_EQ(g->ChildShapes, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(m1->ParentNo, 3);
  EXPECT_EQ(line->StartSpNo(), 5);
  EXPECT_EQ(line->EndSpNo(), 2);
  EXPECT_EQ(a->LinkShapes, (TMyShapeNo{4}));
  EXPECT_EQ(m2->LinkShapes, (TMyShapeNo{4}));
  // Already in front: no change, but a step all the same.
  const std::string front = Snapshot();
  cad.BringToFront(a, true);
  EXPECT_EQ(Snapshot(), front);
  EXPECT_EQ(cad.UndoStepsCount(), 3);  // the connector, then both moves

  cad.SendToBackByStep(a, true);
  EXPECT_EQ(a->ShapeNo, 4);
  EXPECT_EQ(line->ShapeNo, 5);
  EXPECT_EQ(line->StartSpNo(), 4);
  cad.SwapShape(d, g);
  EXPECT_EQ(d->ShapeNo, 3);
  EXPECT_EQ(g->ShapeNo, 0);
  EXPECT_EQ(m2->ParentNo, 0);
  EXPECT_EQ(cad.GetRootParentShape(m1), g);
  EXPECT_TRUE(cad.areTheyBrother(m1, m2));
  EXPECT_FALSE(cad.areTheyBrother(m1, d));
}

TEST_F(Editing, AlignPassesControlPixelsAtTheZoom) {
  struct Recording : TMyRectangle {
    using TMyRectangle::TMyRectangle;
    void DragChangeValuedxdy(double DX, double DY) override {
      Moves.push_back({DX, DY});
      TMyRectangle::DragChangeValuedxdy(DX, DY);
    }
    std::vector<std::pair<double, double>> Moves;
  };
  auto* a = new Recording(&cad);
  auto* b = new Recording(&cad);
  a->Points = {{10, 0}, {20, 0}, {20, 10}, {10, 10}};
  b->Points = {{50, 30}, {70, 30}, {70, 50}, {50, 50}};
  for (TMyShape* s : {static_cast<TMyShape*>(a), static_cast<TMyShape*>(b)}) {
    s->CenterPoint = s->ComputeCenterPoint();
    s->ShapeNo = cad.GetShapesCount();
    ASSERT_TRUE(cad.AddShape(s, false, false));
  }
  cad.SetZoom(2);
  cad.AddWorkingShapes(a);
  cad.AddWorkingShapes(b);
  cad.AlignLeft();
  EXPECT_EQ(b->Moves, (std::vector<std::pair<double, double>>{{-80, 0}}));
  EXPECT_EQ(b->Points[0], (TMyPoint{10, 30}));
  cad.AlignBottom();
  EXPECT_EQ(a->Points[2], (TMyPoint{20, 50}));
  cad.AlignVerticalCenter();
  EXPECT_FLOAT_EQ(a->GetCenterPoint().Y, 40);
  EXPECT_FLOAT_EQ(b->GetCenterPoint().Y, 40);
  EXPECT_EQ(cad.UndoStepsCount(), 3);
  // One selected shape: nothing to align with.
  cad.RemoveWorkingShape(b);
  cad.AlignRight();
  EXPECT_EQ(cad.UndoStepsCount(), 3);
}

TEST_F(Editing, UndoThenRedoGivesBackTheDrawing) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(20, 20, 40, 30);
  TMyShape* c = Rect(60, 0, 70, 50);
  ASSERT_TRUE(Connect(a, c));
  c->Pen()->SetColor(clRed);
  cad.ClearAllUndoStuff();
  // Each kind of command; right after it, undo and redo must give back exactly its result.
  std::vector<std::string> states{Snapshot()};
  auto step = [&](const std::function<void()>& Command) {
    const int before = cad.UndoStepsCount();
    Command();
    ASSERT_EQ(cad.UndoStepsCount(), before + 1);
    states.push_back(Snapshot());
    cad.PopFromUndoRedoShapeList();
    EXPECT_NE(Snapshot(), states.back());
    EXPECT_TRUE(cad.CanRedo());
    cad.Redo();
    EXPECT_EQ(Snapshot(), states.back()) << "step " << states.size() - 1;
    EXPECT_FALSE(cad.CanRedo());
    EXPECT_EQ(cad.UndoStepsCount(), before + 1);
  };
  step([&] { cad.GroupShapes(TArrMyShape{a, b}, true); });
  step([&] {
    cad.RemoveAllWorkingShapes();
    cad.AddWorkingShapes(c);
    cad.MouseDown(TMouseButton::mbLeft, 0, 65, 25);
    cad.MouseMove(0, 90, 45);
    cad.MouseUp(TMouseButton::mbLeft, 0, 90, 45);
  });
  step([&] { cad.SendToBackByStep(cad.GetRootParentShape(a), true); });
  step([&] { cad.BringToFront(cad.GetShapeByNo(0), true); });
  step([&] { cad.UnGroupShape(cad.GetRootParentShape(a), true); });
  step([&] {
    cad.RemoveAllWorkingShapes();
    cad.AddWorkingShapes(b);
    cad.AddWorkingShapes(c);
    ASSERT_TRUE(cad.DeleteSelectedShapes());
  });
  step([&] {
    cad.SetShapeTool(TDrawTool::SpRectangle);
    cad.MouseDown(TMouseButton::mbLeft, 0, 200, 200);
    cad.MouseUp(TMouseButton::mbLeft, 0, 200, 200);
    cad.MouseMove(0, 240, 230);
    cad.MouseDown(TMouseButton::mbLeft, 0, 240, 230);
    cad.MouseUp(TMouseButton::mbLeft, 0, 240, 230);
  });
  // Everything undone, then everything redone, ends where the commands ended.
  const int32_t steps = cad.UndoStepsCount();
  ASSERT_EQ(steps, 7);
  for (int32_t i = 0; i < steps; ++i) cad.PopFromUndoRedoShapeList();
  EXPECT_FALSE(cad.CanUndo());
  EXPECT_EQ(cad.RedoStepsCount(), steps);
  for (int32_t i = 0; i < steps; ++i) cad.Redo();
  EXPECT_EQ(Snapshot(), states.back());
  EXPECT_EQ(cad.UndoStepsCount(), steps);
  // A new command after an undo empties the redo list, and so does a change by code.
  cad.PopFromUndoRedoShapeList();
  EXPECT_TRUE(cad.CanRedo());
  cad.FlipVert(cad.GetShapeByID(0));
  EXPECT_FALSE(cad.CanRedo());
  cad.PopFromUndoRedoShapeList();
  EXPECT_TRUE(cad.CanRedo());
  cad.Move(cad.GetShapeByID(0), 5, 5);
  EXPECT_FALSE(cad.CanRedo());
  cad.ClearAllUndoStuff();
  EXPECT_FALSE(cad.CanUndo());
}

TEST_F(Editing, UndoOfEachKindFollowsItsCommand) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(20, 0, 30, 10);
  TMyShape* c = Rect(40, 0, 50, 10);
  // Change: the old values come back.
  cad.AddWorkingShapes(a);
  cad.MouseDown(TMouseButton::mbLeft, 0, 5, 5);
  cad.MouseMove(0, 15, 25);
  cad.MouseUp(TMouseButton::mbLeft, 0, 15, 25);
  EXPECT_EQ(a->Points[0], (TMyPoint{10, 20}));
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(a->Points[0], (TMyPoint{0, 0}));
  // Z-order: undone by the opposite command.
  cad.BringToFront(a, true);
  EXPECT_EQ(cad.GetShapeByNo(2), a);
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(cad.GetShapeByNo(0), a);
  // Ungroup: a new group of the same members.
  const int32_t gid = cad.GroupShapes(TArrMyShape{b, c}, false);
  cad.UnGroupShape(cad.GetShapeByID(gid), true);
  EXPECT_EQ(b->ParentNo, -1);
  cad.PopFromUndoRedoShapeList();
  ASSERT_TRUE(b->HasParentShape());
  EXPECT_EQ(b->ParentNo, c->ParentNo);
  EXPECT_EQ(cad.GetShapeByNo(b->ParentNo)->ClassName(), QStringLiteral("TMyGroup"));
  // Resizing by code records nothing; a combine is never ungrouped.
  const int32_t steps = cad.UndoStepsCount();
  cad.SizeShape(a, 2, TMyPoint{20, 20});
  EXPECT_EQ(a->Points[2], (TMyPoint{20, 20}));
  EXPECT_EQ(cad.UndoStepsCount(), steps);
  auto* combine = new TMyCombine(&cad);
  combine->Points = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  combine->ShapeNo = cad.GetShapesCount();
  combine->ChildShapes.push_back(0);
  ASSERT_TRUE(cad.AddShape(combine, false, false));
  cad.UnGroupShape(combine, true);
  EXPECT_EQ(cad.GetShapeByNo(combine->ShapeNo), combine);
  EXPECT_EQ(cad.UndoStepsCount(), steps);
}

TEST_F(Editing, LockedSelectionIsNotDeletedAndLocksReachMembers) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(20, 0, 30, 10);
  TMyShape* c = Rect(40, 0, 50, 10);
  const int32_t gid = cad.GroupShapes(TArrMyShape{a, b}, false);
  cad.LockUnLockforShapes(cad.GetShapeByID(gid), true);
  EXPECT_TRUE(a->Locked());
  EXPECT_TRUE(b->Locked());
  cad.AddWorkingShapes(c);
  cad.AddWorkingShapes(a);  // selects its group
  EXPECT_FALSE(cad.DeleteSelectedShapes());
  EXPECT_EQ(cad.GetShapesCount(), 4);
  EXPECT_FALSE(cad.DeleteShapeById(gid, true));
  EXPECT_TRUE(cad.UndoList().empty());
  cad.LockUnLockforShapes(cad.GetShapeByID(gid), false);
  EXPECT_TRUE(cad.DeleteSelectedShapes());
  EXPECT_EQ(cad.GetShapesCount(), 0);
}

TEST_F(Editing, FlippingOrTurningAMemberMovesTheWholeGroup) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(30, 0, 40, 20);
  cad.GroupShapes(TArrMyShape{a, b}, false);
  // Mirrored about the group's centre (x = 20), not the member's own.
  cad.FlipHoriz(a);
  EXPECT_EQ(a->Points[0], (TMyPoint{40, 0}));
  EXPECT_EQ(b->Points[0], (TMyPoint{10, 0}));
  EXPECT_EQ(cad.UndoStepsCount(), 1);
  EXPECT_EQ(cad.UndoList().size(), 3u);  // the group and both members
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(a->Points[0], (TMyPoint{0, 0}));
  // A member's angle turns the group about its centre (20, 10).
  b->SetAngle(static_cast<float>(PiL));
  EXPECT_TRUE(testing_support::Near(a->Points[0], TMyPoint{40, 20}, 1e-3f));
  EXPECT_TRUE(testing_support::Near(b->Points[0], TMyPoint{10, 20}, 1e-3f));
}

TEST_F(Editing, ArcAnglesForExport) {
  cad.resize(200, 100);
  long double r = 0, a1 = 0, a2 = 0;
  // y is turned upwards (100 - y): P1 (60, 50) -> (60, 50), P3 (50, 40) -> (50, 60), centre (50, 50).
  cad.GetRA1A2By3Points(TMyPoint{60, 50}, TMyPoint{}, TMyPoint{50, 40}, TMyPoint{50, 50}, r, a1, a2);
  EXPECT_NEAR(static_cast<double>(r), 10, 1e-9);
  EXPECT_NEAR(static_cast<double>(a1), 270, 1e-9);  // straight below the centre in flipped terms
  EXPECT_NEAR(static_cast<double>(a2), 0, 1e-9);
  cad.GetRA1A2By3Points(TMyPoint{40, 40}, TMyPoint{}, TMyPoint{50, 60}, TMyPoint{50, 50}, r, a1, a2);
  EXPECT_NEAR(static_cast<double>(a1), 90, 1e-9);
  EXPECT_NEAR(static_cast<double>(a2), 180 - 45, 1e-9);
  EXPECT_NEAR(static_cast<double>(r), std::sqrt(200.0), 1e-6);
}

TEST_F(Editing, AChangeWhoseShapeMovedIsSkippedWithAMessage) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(20, 0, 30, 10);
  cad.FlipHoriz(a);
  const TArrMyPoint flipped = a->Points;
  // A host renumbered the shape behind the surface's back: the record no longer finds it where
  // the step left it, so the step is skipped and the user is told.
  a->ShapeNo = b->ShapeNo;
  Recorded().Clear();
  cad.PopFromUndoRedoShapeList();
  ASSERT_EQ(Recorded().Messages.size(), 1);
  EXPECT_TRUE(Recorded().Messages[0].contains(QStringLiteral("could not be undone")));
  EXPECT_FALSE(Recorded().Messages[0].contains(QStringLiteral("reer")));
  EXPECT_EQ(a->Points, flipped);
  EXPECT_EQ(b->Points, (TArrMyPoint{{20, 0}, {30, 0}, {30, 10}, {20, 10}}));
  a->ShapeNo = 0;
}

namespace {

// Every relation number names a shape that answers it: members and groups agree, each
// connector end is in its shape's link list and each link list entry is a connector attached
// there, and every shape stands where its number says.
::testing::AssertionResult RelationsConsistent(TMyCAD& Cad) {
  const int32_t n = Cad.GetShapesCount();
  for (int32_t i = 0; i < n; ++i) {
    TMyShape* s = Cad.GetShapeByNo(i);
    if (s->ShapeNo != i) return ::testing::AssertionFailure() << "shape at " << i << " says " << s->ShapeNo;
    if (s->ParentNo >= n) return ::testing::AssertionFailure() << "parent out of range at " << i;
    if (s->ParentNo >= 0) {
      const auto& c = Cad.GetShapeByNo(s->ParentNo)->ChildShapes.Items();
      if (std::find(c.begin(), c.end(), i) == c.end()) return ::testing::AssertionFailure() << "parent does not list " << i;
    }
    for (int32_t c : s->ChildShapes.Items())
      if (c < 0 || c >= n || Cad.GetShapeByNo(c)->ParentNo != i) return ::testing::AssertionFailure() << "member " << c << " of " << i;
    for (int32_t l : s->LinkShapes) {
      auto* line = l >= 0 && l < n ? dynamic_cast<TMyLinkLine*>(Cad.GetShapeByNo(l)) : nullptr;
      if (!line || (line->StartSpNo() != i && line->EndSpNo() != i))
        return ::testing::AssertionFailure() << "link " << l << " of " << i;
    }
    if (auto* line = dynamic_cast<TMyLinkLine*>(s))
      for (int32_t end : {line->StartSpNo(), line->EndSpNo()}) {
        if (end < 0) continue;
        if (end >= n) return ::testing::AssertionFailure() << "end out of range at " << i;
        const TMyShapeNo& links = Cad.GetShapeByNo(end)->LinkShapes;
        if (std::find(links.begin(), links.end(), i) == links.end())
          return ::testing::AssertionFailure() << "shape " << end << " does not list connector " << i;
      }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(Editing, RandomCommandsKeepEveryRelationConsistent) {
  for (unsigned seed = 1; seed <= 10; ++seed) {
    cad.DeleteAllShapes();
    cad.ClearAllUndoStuff();
    RandomCommands(seed);
  }
}

void Editing::RandomCommands(unsigned Seed) {
  std::mt19937 rng(Seed);
  auto pick = [&]() -> TMyShape* {
    if (cad.GetShapesCount() == 0) return nullptr;
    return cad.GetShapeByNo(static_cast<int32_t>(rng() % static_cast<unsigned>(cad.GetShapesCount())));
  };
  for (int i = 0; i < 8; ++i) {
    TMyShape* r = Rect(static_cast<float>(i * 60), static_cast<float>(i % 3 * 70), static_cast<float>(i * 60 + 20), static_cast<float>(i % 3 * 70 + 20));
    r->AddLinkPoint(r->GetCenterPointInZoom());
    r->AddLinkPoint(TMyPoint{r->GetPoint(1).X, r->GetCenterPoint().Y});
  }
  std::string log;  // the commands so far, to replay a failure
  // A connector of the drawing, or null.
  auto pickLine = [&]() -> TMyLinkLine* {
    std::vector<TMyLinkLine*> lines;
    for (int32_t i = 0; i < cad.GetShapesCount(); ++i)
      if (auto* l = dynamic_cast<TMyLinkLine*>(cad.GetShapeByNo(i))) lines.push_back(l);
    return lines.empty() ? nullptr : lines[rng() % lines.size()];
  };
  // Where an end may be dragged: a link point of some shape, or open space.
  auto somewhere = [&](TMyShape* Not) {
    TMyShape* u = pick();
    if (u && u != Not && u->GetLinkPointsCount() > 0 && rng() % 4 != 0)
      return u->GetLinkPointInZoom(static_cast<int32_t>(rng() % static_cast<unsigned>(u->GetLinkPointsCount())));
    return TMyPoint{static_cast<float>(rng() % 500), static_cast<float>(rng() % 500)};
  };
  // A straight stretch of a connector long enough to split, as its index and middle.
  auto stretch = [&](TMyLinkLine* L, TMyPoint& Mid) {
    for (int32_t i = 0; i + 1 < L->GetPointsCount(); ++i) {
      const TMyPoint a = L->GetPointInZoom(i), b = L->GetPointInZoom(i + 1);
      const bool across = std::fabs(a.Y - b.Y) < 0.01f && std::fabs(a.X - b.X) > 30;
      const bool down = std::fabs(a.X - b.X) < 0.01f && std::fabs(a.Y - b.Y) > 30;
      if (!across && !down) continue;
      Mid = TMyPoint{std::round((a.X + b.X) / 2), std::round((a.Y + b.Y) / 2)};
      return i;
    }
    return -1;
  };
  auto newestRecord = [this]() { return cad.UndoList().empty() ? nullptr : cad.UndoList().back().Shape.get(); };
  for (int round = 0; round < 400; ++round) {
    TMyShape* s = pick();
    TMyShape* t = pick();
    const unsigned command = rng() % 18;
    const std::string relationsBefore = RelationsById();
    const TMyShape* recordBefore = newestRecord();
    log += std::to_string(command) + (s ? "(" + std::to_string(s->ShapeNo) : std::string("(-")) +
           (t ? "," + std::to_string(t->ShapeNo) + ") " : std::string(",-) "));
    switch (command) {
      case 0:
        if (cad.GetShapesCount() < 30) Rect(static_cast<float>(rng() % 400), static_cast<float>(rng() % 400), 500, 500);
        break;
      case 1:
        if (s && t && s != t && !dynamic_cast<TMyLinkLine*>(s) && !dynamic_cast<TMyLinkLine*>(t)) Connect(s, t);
        break;
      case 2:
        if (s) cad.DeleteShapeById(s->ShapeId, true);
        break;
      case 3:
        if (s && t) cad.GroupShapes(TArrMyShape{cad.GetRootParentShape(s), cad.GetRootParentShape(t)}, true);
        break;
      case 4:
        if (s) cad.UnGroupShape(cad.GetRootParentShape(s), true);
        break;
      case 5:
        if (s) (rng() % 2 ? cad.BringToFront(s, true) : cad.SendToBackByStep(s, true));
        break;
      case 6:
        if (s && t) cad.SwapShape(s, t);
        break;
      case 7:
        if (s) cad.Move(s, 7, 3);
        break;
      case 8:
        cad.PopFromUndoRedoShapeList();
        break;
      case 9:
        cad.Redo();
        break;
      case 11:  // an end of a connector dragged, as the mouse does it
        if (TMyLinkLine* l = pickLine(); l && l->GetPointsCount() >= 2) {
          const int32_t end = rng() % 2 ? 0 : l->GetPointsCount() - 1;
          cad.PushtoUndoRedoShapeList(TArrMyShape{l}, QStringLiteral("ACT_CHANGE"));
          l->HotId = end;
          cad.SizeChangeValueforShapes(l, l->GetPointInZoom(end), somewhere(l));
          cad.ChangeLinkShapes(l);
        }
        break;
      case 12:  // a whole connector dragged, alone, so that its start may land on a link point
        if (TMyLinkLine* l = pickLine(); l && l->GetPointsCount() >= 2) {
          cad.RemoveAllWorkingShapes();
          cad.AddWorkingShapes(l);
          const TMyPoint from = l->GetPointInZoom(0), to = somewhere(l);
          cad.PushtoUndoRedoShapeList(cad.GetSelectedShapes(), QStringLiteral("ACT_CHANGE"));
          cad.DragChangeValueDxDyforShapes(l, to.X - from.X, to.Y - from.Y);
          cad.ChangeLinkShapes(l);
        }
        break;
      case 13:  // a connector split at a new joint, or by another connector drawn onto it
        if (TMyLinkLine* l = pickLine()) {
          TMyPoint mid;
          const int32_t seg = stretch(l, mid);
          if (seg < 0) break;
          if (rng() % 2) {
            // The joint added by code and the split, as one step.
            cad.BeginUndoGroup();
            TMyShape* joint = cad.CreateAddShapeByName(QStringLiteral("TMyLineLinkLine"), nullptr);
            joint->AddPointByMouse(MyPtToPt(mid));
            cad.PushtoUndoRedoShapeList(TArrMyShape{joint}, QStringLiteral("ACT_ADD"));
            cad.BreakLineByAPoint(mid, l, seg, joint);
            cad.EndUndoGroup();
          } else if (s && s != l && s->GetLinkPointsCount() > 0) {
            const TPoint from = MyPtToPt(s->GetLinkPointInZoom(0));
            cad.SetShapeTool(TDrawTool::SpLinkLine);
            cad.MouseDown(TMouseButton::mbLeft, 0, from.X, from.Y);
            cad.MouseMove(ssLeft, static_cast<int>(mid.X), static_cast<int>(mid.Y));
            cad.MouseUp(TMouseButton::mbLeft, 0, static_cast<int>(mid.X), static_cast<int>(mid.Y));
            cad.SetShapeTool(TDrawTool::SpSelecting);
          }
        }
        break;
      case 14:
        if (s) (rng() % 2 ? cad.FlipHoriz(s) : cad.FlipVert(s));
        break;
      case 15:  // two shapes aligned
        cad.RemoveAllWorkingShapes();
        if (s) cad.AddWorkingShapes(s);
        if (t) cad.AddWorkingShapes(t);
        (rng() % 2 ? cad.AlignLeft() : cad.AlignVerticalCenter());
        break;
      case 16:  // turned about its group's centre, as the mouse does it
        if (s) {
          TMyShape* root = cad.GetRootParentShape(s);
          cad.PushtoUndoRedoShapeList(TArrMyShape{root}, QStringLiteral("ACT_CHANGE"));
          cad.RotateChangeValueforShapes(root, root->GetCenterPoint(), 0.3);
          cad.ChangeLinkShapes(root);
        }
        break;
      default:
        cad.RemoveAllWorkingShapes();
        if (s) cad.AddWorkingShapes(s);
        if (t) cad.AddWorkingShapes(t);
        cad.DeleteSelectedShapes();
        break;
    }
    ASSERT_TRUE(RelationsConsistent(cad)) << "seed " << Seed << " round " << round << ": " << log;
    // Now and then a command that recorded a step is undone and redone at once: the undo gives
    // back every relation as it was (an ungroup comes back as a new group, so not its ids), and
    // the redo gives back exactly the drawing the command made.
    if (command == 8 || command == 9 || newestRecord() == recordBefore || rng() % 3 != 0) continue;
    const std::string after = Snapshot();
    cad.PopFromUndoRedoShapeList();
    ASSERT_TRUE(RelationsConsistent(cad)) << "undo, seed " << Seed << " round " << round << ": " << log;
    if (command != 4) {
      ASSERT_EQ(RelationsById(), relationsBefore) << "undo, seed " << Seed << " round " << round << ": " << log;
    }
    cad.Redo();
    ASSERT_EQ(Snapshot(), after) << "redo, seed " << Seed << " round " << round << ": " << log;
  }
}

TEST_F(Editing, UndoPutsConnectorEndsBackWhereTheyWere) {
  TMyShape* a = Rect(0, 0, 40, 40);
  TMyShape* b = Rect(200, 0, 240, 40);
  TMyShape* c = Rect(200, 200, 240, 240);
  TMyShape* d = Rect(0, 200, 40, 240);
  c->AddLinkPoint(c->GetCenterPointInZoom());
  d->AddLinkPoint(d->GetCenterPointInZoom());
  TMyLinkLine* line = Connect(a, b);
  ASSERT_TRUE(line);
  cad.ClearAllUndoStuff();
  const std::string before = Snapshot();
  auto onlyOn = [&](TMyShape* Start, TMyShape* End) {
    EXPECT_EQ(line->GetStartShape(), Start);
    EXPECT_EQ(line->GetEndShape(), End);
    for (TMyShape* s : {a, b, c, d}) {
      const bool listed = std::find(s->LinkShapes.begin(), s->LinkShapes.end(), line->ShapeNo) != s->LinkShapes.end();
      EXPECT_EQ(listed, s == Start || s == End) << s->Name().toStdString();
    }
  };

  // The end dragged by the mouse from b's link point to c's.
  cad.AddWorkingShapes(line);
  const TPoint end = MyPtToPt(line->GetPointInZoom(line->GetPointsCount() - 1));
  cad.MouseDown(TMouseButton::mbLeft, 0, end.X, end.Y);
  cad.MouseMove(ssLeft, 220, 220);
  cad.MouseUp(TMouseButton::mbLeft, 0, 220, 220);
  onlyOn(a, c);
  const std::string moved = Snapshot();
  cad.PopFromUndoRedoShapeList();
  onlyOn(a, b);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(RelationsConsistent(cad));
  cad.Redo();
  onlyOn(a, c);
  EXPECT_EQ(Snapshot(), moved);
  cad.PopFromUndoRedoShapeList();

  // The whole connector dragged (alone) 200 down: both ends land on d and c.
  cad.RemoveAllWorkingShapes();
  cad.AddWorkingShapes(line);
  cad.PushtoUndoRedoShapeList(cad.GetSelectedShapes(), QStringLiteral("ACT_CHANGE"));
  cad.DragChangeValueDxDyforShapes(line, 0, 200);
  cad.ChangeLinkShapes(line);
  onlyOn(d, c);
  cad.PopFromUndoRedoShapeList();
  onlyOn(a, b);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(Editing, SplittingALoopKeepsItOnItsShape) {
  TMyShape* a = Rect(100, 100, 160, 140);
  a->AddLinkPoint(TMyPoint{100, 120});
  a->AddLinkPoint(TMyPoint{160, 120});
  TMyLinkLine* loop = dynamic_cast<TMyLinkLine*>(cad.GetShapeByID(cad.CreateLink(QString(), a, 0, a, 1)));
  ASSERT_TRUE(loop);
  // Split on its longest straight stretch at a new joint.
  int32_t seg = -1;
  float longest = 0;
  for (int32_t i = 0; i + 1 < loop->GetPointsCount(); ++i) {
    const TMyPoint p = loop->GetPoint(i), q = loop->GetPoint(i + 1);
    const float len = std::fabs(p.X - q.X) + std::fabs(p.Y - q.Y);
    if ((p.X == q.X || p.Y == q.Y) && len > longest) longest = len, seg = i;
  }
  ASSERT_GE(seg, 0);
  const TMyPoint mid{(loop->GetPoint(seg).X + loop->GetPoint(seg + 1).X) / 2, (loop->GetPoint(seg).Y + loop->GetPoint(seg + 1).Y) / 2};
  TMyShape* joint = cad.CreateAddShapeByName(QStringLiteral("TMyLineLinkLine"), nullptr);
  joint->AddPointByMouse(MyPtToPt(mid));
  ASSERT_TRUE(cad.BreakLineByAPoint(mid, loop, seg, joint));
  // The first half still starts at a, the second half ends there: a lists both.
  EXPECT_EQ(loop->GetStartShape(), a);
  EXPECT_EQ(a->LinkShapes.size(), 2u);
  EXPECT_TRUE(RelationsConsistent(cad));
}

TEST_F(Editing, EveryChangeOutsideUndoEndsRedo) {
  TMyShape* box = Rect(0, 0, 40, 40);
  TMyText* text = dynamic_cast<TMyText*>(cad.CreateAddShapeByName(QStringLiteral("TMyText"), nullptr));
  TMyImage* image = dynamic_cast<TMyImage*>(cad.CreateAddShapeByName(QStringLiteral("TMyImage"), nullptr));
  ASSERT_TRUE(text && image);
  text->Points = image->Points = {{50, 0}, {90, 0}, {90, 40}, {50, 40}};
  TBitmap picture(4, 4);
  const std::vector<std::pair<const char*, std::function<void()>>> edits = {
      {"pen", [&] { box->Pen()->SetColor(clRed); }},
      {"brush", [&] { box->Brush()->SetStyle(TBrushStyle::bsCross); }},
      {"font", [&] { box->Font()->SetSize(30); }},
      {"caption", [&] { box->SetCaption(QStringLiteral("renamed")); }},
      {"info", [&] { box->SetInfo(QStringLiteral("note")); }},
      {"tag", [&] { box->SetTag(5); }},
      {"text", [&] { text->SetLines({QStringLiteral("new text")}); }},
      {"solid", [&] { text->SetIsSolid(!text->IsSolid()); }},
      {"picture", [&] { image->SetBitmap(&picture); }},
      {"grey", [&] { image->SetGrayScale(!image->GrayScale()); }},
      {"visible", [&] { box->SetVisible(false); }},
  };
  for (const auto& [what, edit] : edits) {
    cad.FlipHoriz(box);
    cad.PopFromUndoRedoShapeList();
    ASSERT_TRUE(cad.CanRedo()) << what;
    edit();
    EXPECT_FALSE(cad.CanRedo()) << what;
    box->SetVisible(true);
  }
}

TEST_F(Editing, DeletingAllShapesEndsTheirUndoSteps) {
  TMyShape* a = Rect(0, 0, 10, 10);
  cad.FlipHoriz(a);
  cad.DeleteShapeById(a->ShapeId, true);
  cad.PopFromUndoRedoShapeList();
  ASSERT_TRUE(cad.CanUndo() && cad.CanRedo());
  cad.DeleteAllShapes();
  EXPECT_FALSE(cad.CanUndo());
  EXPECT_FALSE(cad.CanRedo());
  // A new shape takes id 0 again; nothing recorded for the old one touches it.
  TMyShape* b = Rect(50, 50, 70, 60);
  ASSERT_EQ(b->ShapeId, 0);
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(b->Points[0], (TMyPoint{50, 50}));
  EXPECT_EQ(cad.GetShapesCount(), 1);
}

TEST_F(Editing, ALockedGroupStaysWhole) {
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(20, 0, 30, 10);
  TMyShape* g = cad.GetShapeByID(cad.GroupShapes(TArrMyShape{a, b}, false));
  g->SetLocked(true);
  cad.UnGroupShape(g, true);
  EXPECT_EQ(cad.GetShapesCount(), 3);
  EXPECT_EQ(g->ChildShapes, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(a->ParentNo, g->ShapeNo);
  EXPECT_TRUE(cad.UndoList().empty());
  cad.PopFromUndoRedoShapeList();
  EXPECT_EQ(cad.GetShapesCount(), 3);
}

TEST_F(Editing, ConnectorsKeepTheirEndsOnLinkPointsAndTheirRightAngles) {
  // Link points too close to route between: the connector runs straight, and stays on both
  // link points when a shape moves and routing is refused again.
  TMyShape* a = Rect(0, 0, 10, 10);
  TMyShape* b = Rect(30, 10, 40, 20);
  a->AddLinkPoint(TMyPoint{10, 5});
  b->AddLinkPoint(TMyPoint{30, 15});
  TMyLinkLine* close = Connect(a, b);
  ASSERT_TRUE(close);
  cad.Move(a, 3, 4);
  EXPECT_EQ(close->Points.Items().front(), a->GetLinkPoint(0));
  EXPECT_EQ(close->Points.Items().back(), b->GetLinkPoint(0));

  // Its end comes free (b goes); dragged anywhere, that end takes the route round a corner
  // instead of running on slanted, and the start stays on a's link point.
  cad.DeleteShapeById(b->ShapeId, false);
  ASSERT_EQ(close->GetEndShape(), nullptr);
  cad.RemoveAllWorkingShapes();
  cad.AddWorkingShapes(close);
  for (const TPoint to : {TPoint{300, 250}, TPoint{360, 180}, TPoint{40, 330}}) {
    const TPoint from = MyPtToPt(close->GetPointInZoom(close->GetPointsCount() - 1));
    cad.MouseDown(TMouseButton::mbLeft, 0, from.X, from.Y);
    cad.MouseMove(ssLeft, to.X, to.Y);
    cad.MouseUp(TMouseButton::mbLeft, 0, to.X, to.Y);
    cad.Repaint();
    const TArrMyPoint& p = close->Points.Items();
    for (size_t i = 0; i + 1 < p.size(); ++i)
      EXPECT_TRUE(p[i].X == p[i + 1].X || p[i].Y == p[i + 1].Y) << "segment " << i << " to " << to.X << "," << to.Y;
    EXPECT_EQ(p.front(), a->GetLinkPoint(0));
    EXPECT_LE(std::fabs(p.back().X - to.X) + std::fabs(p.back().Y - to.Y), 10);  // a paint tidies near corners
  }
}
