// Desktop habits of the main window: recent files and drops, nudging the selection, the editing shortcuts, the code
// samples of every kind, the pressed connector tool and the pointer shown in the drawing's unit.
#include "mainwindow_fixture.h"

#include <QApplication>
#include <QMimeData>
#include <QSettings>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

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

TEST_F(MainWindow, RecentFilesSurviveARestartAndAMissingOneIsTakenOff) {
  QSettings().remove(QStringLiteral("Files/Recent"));
  TMyCAD* c = form->MyCAD1;
  AddRectangle(c, 20, 20);
  const QString a = dir.filePath("a.vorn"), b = dir.filePath("b.vorn");
  ASSERT_TRUE(form->SaveDrawingAs(a));
  ASSERT_TRUE(form->SaveDrawingAs(b));
  EXPECT_EQ(form->RecentFiles(), (QStringList{b, a}));
  // A new window (as after a restart) lists them and reopens one.
  form.reset();
  form = std::make_unique<TMainForm>();
  form->show();
  ASSERT_EQ(form->RecentMenu()->actions().size(), 2);
  EXPECT_EQ(form->RecentMenu()->actions()[1]->toolTip(), a);
  form->RecentMenu()->actions()[1]->trigger();
  EXPECT_EQ(form->CurrentFileName(), a);
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 1);
  EXPECT_EQ(form->RecentFiles(), (QStringList{a, b}));
  // A file that is gone is said so and taken off.
  QFile::remove(b);
  AnswerMessages({});
  Recorded().Clear();
  form->RecentMenu()->actions()[1]->trigger();
  EXPECT_EQ(Recorded().Messages.size(), 1);
  EXPECT_EQ(form->RecentFiles(), QStringList{a});
}

TEST_F(MainWindow, ADroppedDrawingOpensAndADroppedPictureIsPlacedWhereItFalls) {
  TMyCAD* c = form->MyCAD1;
  AddRectangle(c, 20, 20);
  AddRectangle(c, 120, 20);
  const QString drawing = dir.filePath("two.vorn");
  ASSERT_TRUE(c->SaveToFile(drawing));
  c->DeleteAllShapes();
  c->SetModified(false);
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(drawing)});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
  QApplication::sendEvent(form.get(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
  QApplication::sendEvent(form.get(), &drop);
  EXPECT_EQ(form->CurrentFileName(), drawing);
  EXPECT_EQ(c->GetShapesCount(), 2);

  QImage img(30, 20, QImage::Format_RGB32);
  img.fill(Qt::red);
  const QString picture = dir.filePath("red.png");
  ASSERT_TRUE(img.save(picture));
  QMimeData pic;
  pic.setUrls({QUrl::fromLocalFile(picture)});
  QDragEnterEvent over(QPoint(200, 150), Qt::CopyAction, &pic, Qt::LeftButton, {});
  QApplication::sendEvent(c, &over);
  ASSERT_TRUE(over.isAccepted());
  QDropEvent onto(QPointF(200, 150), Qt::CopyAction, &pic, Qt::LeftButton, {});
  QApplication::sendEvent(c, &onto);
  ASSERT_EQ(c->GetShapesCount(), 3);
  TMyShape* image = c->GetShapeByNo(2);
  EXPECT_EQ(image->ClassName(), "TMyImage");
  const TMyRect box = GetPointsLTRB(std::as_const(image->Points));
  EXPECT_EQ(box.Left, 200);
  EXPECT_EQ(box.Top, 150);
  EXPECT_EQ(box.Right - box.Left, 30);
}

TEST_F(MainWindow, TheCommandsFollowASelectionMadeByCode) {
  TMyCAD* c = form->MyCAD1;
  const int32_t a = AddRectangle(c, 20, 20);
  c->DeSelectedAllShapesByCode();
  form->UpdateToolbar();
  EXPECT_FALSE(Enabled("tbtnLock"));
  c->SelectShapeByCode(a, true);
  QCoreApplication::processEvents();
  EXPECT_TRUE(Enabled("tbtnLock"));
  EXPECT_TRUE(Enabled("tbtnDelete"));
  // Locked by code: activating the window brings the buttons up to date.
  c->LockUnLockforShapes(c->GetShapeByID(a), true);
  QEvent activation(QEvent::ActivationChange);
  form->activateWindow();
  QApplication::sendEvent(form.get(), &activation);
  ASSERT_TRUE(form->isActiveWindow());
  EXPECT_FALSE(Enabled("tbtnLock"));
  EXPECT_TRUE(Enabled("tbtnUnlock"));
}

TEST_F(MainWindow, ZoomingKeepsTheViewAndTheWheelScrollsAndZooms) {
  TMyCAD* c = form->MyCAD1;
  QWidget* view = form->ScrollBox1->viewport();
  QScrollBar* h = form->ScrollBox1->horizontalScrollBar();
  QScrollBar* v = form->ScrollBox1->verticalScrollBar();
  c->SetZoom(4);
  h->setValue(h->maximum() / 3);
  v->setValue(v->maximum() / 4);
  // Zoom In then Zoom Out: back where it was.
  const int h0 = h->value(), v0 = v->value();
  Trigger("Zoomin");
  Trigger("Zoomout");
  EXPECT_NEAR(h->value(), h0, 1);
  EXPECT_NEAR(v->value(), v0, 1);
  // Ctrl+wheel: the drawing point under the pointer stays under it.
  const QPoint pointer(200, 150);
  const QPointF before = QPointF(c->mapFrom(view, pointer)) / c->Zoom();
  auto wheel = [&](Qt::KeyboardModifiers Mods, int Delta) {
    const QPoint local = c->mapFrom(view, pointer);
    QWheelEvent e(local, c->mapToGlobal(local), QPoint(), QPoint(0, Delta), Qt::NoButton, Mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(c, &e);
  };
  wheel(Qt::ControlModifier, 120);
  EXPECT_DOUBLE_EQ(c->Zoom(), 5.0);
  const QPointF after = QPointF(c->mapFrom(view, pointer)) / c->Zoom();
  EXPECT_LE(std::abs(after.x() - before.x()) * c->Zoom(), 1.0);
  EXPECT_LE(std::abs(after.y() - before.y()) * c->Zoom(), 1.0);
  // The wheel scrolls down (what the surface leaves goes on to the box's viewport), Shift+wheel
  // sideways.
  const int h1 = h->value(), v1 = v->value();
  QWheelEvent plain(pointer, view->mapToGlobal(pointer), QPoint(), QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &plain);
  EXPECT_GT(v->value(), v1);
  EXPECT_EQ(h->value(), h1);
  wheel(Qt::ShiftModifier, -120);
  EXPECT_GT(h->value(), h1);
  // A resize keeps the drawing point at the top-left.
  const QPointF corner = QPointF(c->mapFrom(view, QPoint(0, 0))) / c->Zoom();
  form->resize(form->width() - 100, form->height() - 60);
  const QPointF still = QPointF(c->mapFrom(view, QPoint(0, 0))) / c->Zoom();
  EXPECT_NEAR(still.x(), corner.x(), 1.0);
  EXPECT_NEAR(still.y(), corner.y(), 1.0);
}

TEST_F(MainWindow, NewStartsAFreshDrawingAfterAnA3TwoLayerOne) {
  TMyCAD other;
  other.SetPageStyle(TPageStyle::A3);
  other.NewLayer("Walls", true);
  TBitmap picture(8, 8);
  other.SetBkBitmap(&picture);
  AddRectangle(&other, 10, 10);
  const QString file = dir.filePath("a3.vorn");
  ASSERT_TRUE(other.SaveToFile(file));
  ASSERT_TRUE(form->OpenDrawing(file));
  TMyCAD* c = form->MyCAD1;
  ASSERT_EQ(c->GetLayersCount(), 2);
  ASSERT_EQ(c->PageStyle(), TPageStyle::A3);
  TMainForm fresh;  // the window as it starts
  AnswerMessages({mrYes});
  Trigger("New");
  EXPECT_EQ(c->GetShapesCount(), 0);
  ASSERT_EQ(c->GetLayersCount(), 1);
  EXPECT_EQ(c->GetLayerNameByID(c->GetLayerIdByNo(0)), "Layer0");
  EXPECT_EQ(c->PageStyle(), fresh.MyCAD1->PageStyle());
  EXPECT_EQ(c->PageWidth(), fresh.MyCAD1->PageWidth());
  EXPECT_EQ(c->PageHeight(), fresh.MyCAD1->PageHeight());
  EXPECT_TRUE(c->BkBitmap()->Empty());
  EXPECT_FALSE(c->Modified());
  EXPECT_FALSE(c->CanUndo());
}

TEST_F(MainWindow, EscapeDropsTheShapeBeingDrawnAndReturnsToSelecting) {
  TMyCAD* c = form->MyCAD1;
  Click("sbtnPolyLine");
  QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(50, 50));
  QTest::mouseMove(c, QPoint(120, 80));
  QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(120, 80));
  QTest::mouseMove(c, QPoint(160, 140));
  Key(Qt::Key_Escape);
  EXPECT_EQ(c->ShapeTool(), TDrawTool::SpSelecting);
  EXPECT_TRUE(form->SpeedButtons.at("sbtnSelecting")->isChecked());
  EXPECT_EQ(c->CurrentShape(), nullptr);
  // Clicks now select; nothing was added, nothing to undo.
  QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(200, 200));
  EXPECT_EQ(c->GetShapesCount(), 0);
  EXPECT_FALSE(c->CanUndo());
  // With a selection, Esc lets it go.
  c->SelectShapeByCode(AddRectangle(c, 20, 20), true);
  Key(Qt::Key_Escape);
  EXPECT_EQ(c->GetSelectedShapesCount(), 0);
}

// The image tool reads every common picture kind; a cancelled dialog or an unreadable file takes
// the drawn box back and leaves nothing to undo or redo.
TEST_F(MainWindow, TheImageToolPlacesEveryPictureKindOrTakesItsBoxBack) {
  TMyCAD* c = form->MyCAD1;
  QImage img(24, 16, QImage::Format_RGB32);
  img.fill(Qt::blue);
  // The toolkit writes no GIF: a blue 24 x 16 one, as another program wrote it.
  const QByteArray gif = QByteArray::fromHex(
      "47494638396118001000f000000000ff00000021f90400000000002c0000000018001000000211848fa9cbed0fa39cb4da8bb3debcfbaf14003b");
  const char* kinds[] = {"bmp", "png", "jpg", "gif", "ico"};
  for (const char* kind : kinds) {
    const QString file = dir.filePath(QStringLiteral("pic.") + QLatin1String(kind));
    if (QByteArray(kind) == "gif") {
      QFile g(file);
      ASSERT_TRUE(g.open(QIODevice::WriteOnly));
      g.write(gif);
    } else {
      ASSERT_TRUE(img.save(file, kind)) << kind;
    }
    Answers << file;
    DrawBox("sbtnImage", QPoint(40, 40), QPoint(140, 120));
    QCoreApplication::processEvents();
    ASSERT_EQ(c->GetShapesCount(), 1) << kind;
    const auto* image = dynamic_cast<TMyImage*>(c->GetShapeByNo(0));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Bitmap().Width(), 24) << kind;
    EXPECT_EQ(image->Bitmap().Height(), 16) << kind;
    c->DeleteAllShapes();
    c->ClearAllUndoStuff();
  }
  EXPECT_TRUE(Recorded().Messages.isEmpty()) << Recorded().Messages.join('|').toStdString();

  const QString junk = dir.filePath("junk.png");
  QFile j(junk);
  ASSERT_TRUE(j.open(QIODevice::WriteOnly));
  j.write("not a picture at all");
  j.close();
  AddRectangle(c, 200, 200);
  for (const QString& answer : {QString(), junk}) {
    Recorded().Clear();
    Answers << answer;
    DrawBox("sbtnImage", QPoint(40, 40), QPoint(140, 120));
    QCoreApplication::processEvents();
    EXPECT_EQ(c->GetShapesCount(), 1) << answer.toStdString();
    EXPECT_EQ(c->UndoStepsCount(), 1);
    EXPECT_FALSE(c->CanRedo());
    EXPECT_EQ(Recorded().Messages.size(), answer.isEmpty() ? 0 : 1);
  }
}
