// Desktop habits of the main window: nudging the selection, the editing shortcuts, the code
// samples of every kind, the pressed connector tool and the pointer shown in the drawing's unit.
#include "mainwindow_fixture.h"

namespace {

int32_t AddRectangle(TMyCAD* Cad, float L, float T) {
  return Cad->AddShapeByCode(Cad, TDrawTool::SpRectangle, QString(), {{L, T}, {L + 60, T}, {L + 60, T + 40}, {L, T + 40}});
}

}  // namespace

TEST_F(MainWindow, NudgesMoveTheWholeSelectionAndARunIsOneUndoStep) {
  TMyCAD* c = form->MyCAD1;
  const int32_t a = AddRectangle(c, 20, 20), b = AddRectangle(c, 200, 100);
  Trigger("SelectAllShapes");
  c->ClearAllUndoStuff();
  const TMyPoint a0 = c->GetShapeByID(a)->Points[0], b0 = c->GetShapeByID(b)->Points[0];
  for (int i = 0; i < 10; ++i) Key(Qt::Key_Right);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  // Ten pixels right, ten down with Shift, both shapes, at zoom 1.
  EXPECT_EQ(c->GetShapeByID(a)->Points[0].X, a0.X + 10);
  EXPECT_EQ(c->GetShapeByID(a)->Points[0].Y, a0.Y + 10);
  EXPECT_EQ(c->GetShapeByID(b)->Points[0].X, b0.X + 10);
  EXPECT_EQ(c->UndoStepsCount(), 1);
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(c->GetShapeByID(a)->Points[0].X, a0.X);
  EXPECT_EQ(c->GetShapeByID(b)->Points[0].Y, b0.Y);
  // Another key between two nudges ends the run: two steps.
  Trigger("SelectAllShapes");
  Key(Qt::Key_Left);
  Key(Qt::Key_A);
  Key(Qt::Key_Left);
  EXPECT_EQ(c->UndoStepsCount(), 2);
}

TEST_F(MainWindow, EditingShortcutsReachTheirCommands) {
  TMyCAD* c = form->MyCAD1;
  const int32_t a = AddRectangle(c, 20, 20), b = AddRectangle(c, 200, 100);
  Trigger("SelectAllShapes");
  Key(Qt::Key_G, Qt::ControlModifier);
  ASSERT_EQ(c->GetSelectedShapesCount(), 1);
  EXPECT_EQ(c->GetSelectedShape()->ClassName(), "TMyGroup");
  Key(Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(c->GetShapeByID(a)->ParentNo, -1);
  // Z-order a step at a time: the first rectangle comes in front of the second.
  c->SelectShapeByCode(a, true);
  QCoreApplication::processEvents();  // the commands follow a selection made by code
  Key(Qt::Key_BracketRight, Qt::ControlModifier);
  EXPECT_GT(c->GetShapeByID(a)->ShapeNo, c->GetShapeByID(b)->ShapeNo);
  Key(Qt::Key_BracketLeft, Qt::ControlModifier);
  EXPECT_LT(c->GetShapeByID(a)->ShapeNo, c->GetShapeByID(b)->ShapeNo);
  Key(Qt::Key_Delete);
  EXPECT_EQ(c->GetShapeByID(a), nullptr);
}

TEST_F(MainWindow, EveryCodeSampleAddsItsKindAndThePaletteShowsItsTool) {
  EXPECT_TRUE(form->lblLabelXY->text().isEmpty());
  EXPECT_TRUE(form->lblLabelValue->text().isEmpty());
  AnswerMessages({});
  const std::pair<const char*, const char*> samples[] = {{"PolyBezier", "TMyPolyBezier"}, {"Text", "TMyText"}};
  for (const auto& [action, kind] : samples) {
    const int32_t before = form->MyCAD1->GetShapesCount();
    Trigger(action);
    ASSERT_EQ(form->MyCAD1->GetShapesCount(), before + 1) << action;
    EXPECT_EQ(form->MyCAD1->GetShapeByNo(before)->ClassName(), kind);
  }
  Click("LineLinkLine");
  EXPECT_TRUE(form->SpeedButtons.at("LineLinkLine")->isChecked());
  EXPECT_FALSE(form->SpeedButtons.at("sbtnSelecting")->isChecked());
  // 96 pixels at zoom 1 are an inch: 25.40 mm.
  QTest::mouseMove(form->MyCAD1, QPoint(96, 48));
  EXPECT_EQ(form->lblStatusXY->text(), "X 25.40 mm, Y 12.70 mm");
}

TEST_F(MainWindow, TheSurfaceMenuOffersTheCommandsForTheSelection) {
  TMyCAD* c = form->MyCAD1;
  auto names = [this] {
    QStringList out;
    for (QAction* a : form->SurfaceMenu()->actions())
      if (!a->isSeparator()) out << a->objectName();
    return out;
  };
  EXPECT_EQ(names(), (QStringList{"Paste", "SelectAllShapes"}));
  AddRectangle(c, 20, 20);
  AddRectangle(c, 200, 100);
  Trigger("SelectAllShapes");
  const QStringList forSelection = names();
  for (const char* name : {"Cut", "ACopy", "Delete", "GroupShape", "UngroupShape", "BringToFront", "SendToBack", "Lock",
                           "Unlock", "FlipHorizontal", "FlipVertical"})
    EXPECT_TRUE(forSelection.contains(name)) << name;
  // Its entries act: Group from the menu groups the two.
  for (QAction* a : form->SurfaceMenu()->actions())
    if (a->objectName() == "GroupShape") {
      EXPECT_TRUE(a->isEnabled());
      a->trigger();
    }
  ASSERT_EQ(c->GetSelectedShapesCount(), 1);
  EXPECT_EQ(c->GetSelectedShape()->ClassName(), "TMyGroup");
}
