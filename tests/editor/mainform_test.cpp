// The Kestrafel main window driven as a user drives it: buttons, shortcuts and the mouse on the
// real window under the offscreen platform; file dialogs and message boxes are answered by the
// test.
#include "mainwindow_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

TEST_F(MainWindow, StartsReadyToSelectAtFullSize) {
  EXPECT_EQ(form->cmbZoom->currentText(), "100%");
  EXPECT_TRUE(form->SpeedButtons.at("sbtnSelecting")->isChecked());
  EXPECT_EQ(form->CurrentFileName(), "NoName.VORN");
  EXPECT_EQ(form->PageControl1->currentWidget(), form->tsInspector);
  EXPECT_TRUE(form->windowTitle().contains("NoName.VORN"));
  // Every component and action is found by its name.
  for (const char* name : {"ToolBar1", "Panel1", "ScrollBox1", "MyCAD1", "Splitter1", "Panel2", "PageControl1", "tsLayer",
                           "tsLibrary", "tsInspector", "cmbZoom", "lblLabelXY", "lblLabelValue", "ActionList1", "FileOpen",
                           "FileSaveAs", "ImageFileOpen", "ColorDialog1", "PopupMenu1", "MainMenu1", "tbtnNew", "tbtnUndo",
                           "tbtnSnapToShape", "sbtnZoomOut", "LineLinkLine"})
    EXPECT_NE(form->findChild<QObject*>(QLatin1String(name)), nullptr) << name;
  EXPECT_EQ(form->Action("ACopy")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  EXPECT_EQ(form->Action("Delete")->property("Category").toString(), "Edit");
  EXPECT_FALSE(form->Action("Undo")->isEnabled());
  EXPECT_FALSE(form->Action("Redo")->isEnabled());
  EXPECT_TRUE(form->Action("DXF")->isEnabled());
  EXPECT_FALSE(form->Action("WMF")->isEnabled());  // no metafile writer
}

TEST_F(MainWindow, ZoomCommandsKeepTheirLimits) {
  Trigger("Zoomin");
  EXPECT_EQ(form->MyCAD1->Zoom(), 2.0);
  EXPECT_EQ(form->cmbZoom->currentText(), "200%");
  form->MyCAD1->SetZoom(50);
  Trigger("Zoomin");
  EXPECT_EQ(form->MyCAD1->Zoom(), 50.0);
  form->MyCAD1->SetZoom(0.02);
  Trigger("Zoomout");
  EXPECT_EQ(form->MyCAD1->Zoom(), 0.02);
  EXPECT_EQ(form->cmbZoom->currentText(), "2%");
  // Nicefit: a 2000 x 500 surface in a 1000 x 500 box.
  form->MyCAD1->SetZoom(1);
  form->MyCAD1->SetWidth(2000);
  form->MyCAD1->SetHeight(500);
  form->ScrollBox1->resize(1000, 500);
  Trigger("Nicefit");
  // It fits the room inside the box's frame, without scroll bars.
  const QSize room = form->ScrollBox1->maximumViewportSize();
  EXPECT_DOUBLE_EQ(form->MyCAD1->Zoom(), std::min(room.width() / 2000.0, room.height() / 500.0));
  EXPECT_LE(form->MyCAD1->width(), room.width());
  EXPECT_LE(form->MyCAD1->height(), room.height());
  // The selector's items.
  form->cmbZoom->setCurrentIndex(5);
  emit form->cmbZoom->activated(5);
  EXPECT_EQ(form->MyCAD1->Zoom(), 2.0);
}

TEST_F(MainWindow, CodeDrawingAddsItsSampleOnce) {
  Trigger("Line");
  Trigger("Line");
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 1);
  EXPECT_EQ(Recorded().Messages.count("MyCAD1.AddShapeByCode(MyCAD1,spLine, 'LineShape', [MyPoint(13, 4), MyPoint(40, 50)]);"), 1);
  Trigger("Rectangle");
  TMyShape* r = form->MyCAD1->GetShapeByName("RectangleShape");
  ASSERT_NE(r, nullptr);
  EXPECT_NEAR(r->Angle(), 30 * M_PI / 180, 1e-6);
  Trigger("Polygon");
  EXPECT_EQ(form->MyCAD1->GetShapeByName("PolygonShapeArray")->GetPointsCount(), 5);
  Trigger("ShowVORNVersion");
  EXPECT_EQ(Recorded().Messages.back(), "The current version is:ZK.a");
}

TEST_F(MainWindow, SelectionDrivesTheToolbar) {
  Trigger("Rectangle");
  Trigger("Ellipse");
  form->MyCAD1->DeSelectedAllShapesByCode();
  form->UpdateToolbar();
  EXPECT_FALSE(Enabled("tbtnDelete"));
  EXPECT_FALSE(Enabled("tbtnCopy"));
  EXPECT_FALSE(Enabled("tbtnPaste"));
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(form->MyCAD1->GetSelectedShapesCount(), 2);
  EXPECT_TRUE(Enabled("tbtnDelete"));
  EXPECT_TRUE(Enabled("tbtnCopy"));
  EXPECT_TRUE(Enabled("tbtnCut"));
  EXPECT_TRUE(Enabled("tbtnGroup"));
  EXPECT_TRUE(Enabled("tbtnAlignLeft"));
  EXPECT_FALSE(Enabled("tbtnUngroup"));
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(Enabled("tbtnPaste"));
  // One locked shape: Lock off, Unlock on.
  form->MyCAD1->SelectShapeByCode(form->MyCAD1->GetShapeByName("RectangleShape")->ShapeId, true);
  Trigger("Lock");
  EXPECT_TRUE(form->MyCAD1->GetShapeByName("RectangleShape")->Locked());
  EXPECT_FALSE(Enabled("tbtnLock"));
  EXPECT_TRUE(Enabled("tbtnUnlock"));
  // The arrow keys move the selected shape (once it is unlocked).
  Trigger("Unlock");
  EXPECT_TRUE(Enabled("tbtnLock"));
  const TMyPoint before = form->MyCAD1->GetSelectedShape()->GetPoint(0);
  Key(Qt::Key_Right);
  Key(Qt::Key_Down);
  EXPECT_EQ(form->MyCAD1->GetSelectedShape()->GetPoint(0), MyPoint(before.X + 1, before.Y + 1));
  Key(Qt::Key_Delete);
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 1);
}

TEST_F(MainWindow, DrawingWithTheMouseThenUndoAndRedoByShortcut) {
  DrawBox("sbtnRectangle", QPoint(60, 60), QPoint(160, 120));
  DrawBox("sbtnRectangle", QPoint(200, 60), QPoint(260, 140));
  ASSERT_EQ(form->MyCAD1->GetShapesCount(), 2);
  EXPECT_TRUE(form->SpeedButtons.at("sbtnSelecting")->isChecked());  // back to selecting
  EXPECT_TRUE(Enabled("tbtnUndo"));
  EXPECT_FALSE(Enabled("tbtnRedo"));
  EXPECT_TRUE(form->windowTitle().contains('*'));
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 1);
  EXPECT_TRUE(Enabled("tbtnRedo"));
  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 2);
  Key(Qt::Key_Z, Qt::ControlModifier);
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 2);
  // The flips reach the surface.
  form->MyCAD1->SelectShapeByCode(form->MyCAD1->GetShapeByNo(0)->ShapeId, true);
  form->UpdateToolbar();
  Trigger("FlipHorizontal");
  EXPECT_TRUE(form->MyCAD1->GetShapeByNo(0)->IsFlipHorz());
}

TEST_F(MainWindow, ClosingWithChangesAsksFirst) {
  Trigger("Line");
  ASSERT_TRUE(form->MyCAD1->Modified());
  AnswerMessages({mrCancel});
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  AnswerMessages({mrNo});
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(Dialogs.isEmpty());  // nothing saved
  // Yes on an unnamed drawing asks for a name and saves there.
  form->show();
  form->MyCAD1->SetModified(true);
  const QString path = dir.filePath("closing.vorn");
  Answers << path;
  AnswerMessages({mrYes});
  EXPECT_TRUE(form->close());
  EXPECT_EQ(Dialogs, QStringList{"FileSaveAs"});
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_EQ(Recorded().Messages.back(), "MyCAD1 has been saved to " + path);
}

TEST_F(MainWindow, FailedSaveKeepsTheWindowAndTheDrawing) {
  Trigger("Line");
  const QString path = dir.filePath("no/such/folder/x.vorn");
  Answers << path;
  AnswerMessages({mrYes});
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 1);
  EXPECT_TRUE(form->MyCAD1->Modified());
  ASSERT_FALSE(Recorded().Messages.isEmpty());
  EXPECT_TRUE(Recorded().Messages.back().startsWith("MyCAD1 could not be saved to " + path)) << Recorded().Messages.back().toStdString();
  EXPECT_TRUE(Recorded().Messages.back().contains("does not exist"));
  EXPECT_EQ(form->CurrentFileName(), "NoName.VORN");
}

TEST_F(MainWindow, OpeningSomethingElseKeepsTheDrawing) {
  Trigger("Line");
  form->MyCAD1->SetModified(false);
  const QString text = dir.filePath("notes.txt");
  QFile f(text);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(100, 'x'));
  f.close();
  Answers << text;
  Trigger("Open");
  EXPECT_EQ(Recorded().Messages.back(), text + "is not a VORN format file");
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 1);
  // A damaged drawing: the message, and the open drawing stays.
  const QString good = dir.filePath("good.vorn");
  ASSERT_TRUE(form->MyCAD1->SaveToFile(good));
  QFile g(good);
  ASSERT_TRUE(g.open(QIODevice::ReadOnly));
  const QByteArray bytes = g.readAll();
  g.close();
  const QString cut = dir.filePath("cut.vorn");
  QFile c(cut);
  ASSERT_TRUE(c.open(QIODevice::WriteOnly));
  c.write(bytes.left(bytes.size() - 20));
  c.close();
  Answers << cut;
  Trigger("Open");
  EXPECT_TRUE(Recorded().Messages.back().startsWith("Error when read file"));
  // It says why: the file ends early, within the one shape.
  EXPECT_TRUE(Recorded().Messages.back().contains("it ends early (after " + QString::number(bytes.size() - 20) + " bytes, in shape 1 of 1"))
      << Recorded().Messages.back().toStdString();
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 1);
  EXPECT_EQ(form->CurrentFileName(), "NoName.VORN");
}

TEST_F(MainWindow, RoundTripThroughTheWindow) {
  DrawBox("sbtnRectangle", QPoint(60, 60), QPoint(160, 120));
  DrawBox("sbtnEllipse", QPoint(200, 60), QPoint(300, 140));
  DrawBox("sbtnLine", QPoint(40, 200), QPoint(240, 260));
  const int count = form->MyCAD1->GetShapesCount();
  ASSERT_EQ(count, 3);
  TMemoryStream drawn;
  ASSERT_TRUE(form->MyCAD1->SaveToStream(drawn));

  const QString path = dir.filePath("round.vorn");
  Answers << path;
  Key(Qt::Key_S, Qt::ControlModifier);  // unnamed: Save asks for a name
  EXPECT_EQ(form->CurrentFileName(), path);
  EXPECT_FALSE(form->MyCAD1->Modified());
  AnswerMessages({mrYes});
  Trigger("New");
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 0);
  EXPECT_EQ(form->CurrentFileName(), "NoName.VORN");
  Answers << path;
  Trigger("Open");
  EXPECT_EQ(form->CurrentFileName(), path);
  ASSERT_EQ(form->MyCAD1->GetShapesCount(), count);
  TMemoryStream opened;
  ASSERT_TRUE(form->MyCAD1->SaveToStream(opened));
  EXPECT_EQ(opened.Data(), drawn.Data());
  EXPECT_EQ(Dialogs, (QStringList{"FileSaveAs", "FileOpen"}));
  EXPECT_FALSE(form->Action("Undo")->isEnabled());
}

TEST_F(MainWindow, ZoomToolZoomsAroundTheBand) {
  Click("sbtnZoomIn");
  EXPECT_EQ(form->MyCAD1->ShapeTool(), TDrawTool::SpClose);
  QTest::mousePress(form->MyCAD1, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(form->MyCAD1, QPoint(150, 130));
  QTest::mouseMove(form->MyCAD1, QPoint(200, 160));
  QTest::mouseRelease(form->MyCAD1, Qt::LeftButton, {}, QPoint(200, 160));
  EXPECT_DOUBLE_EQ(form->MyCAD1->Zoom(), 1.2);
  EXPECT_EQ(form->cmbZoom->currentText(), "120%");
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 0);  // the band drew nothing
  Click("sbtnZoomOut");
  QTest::mousePress(form->MyCAD1, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(form->MyCAD1, Qt::LeftButton, {}, QPoint(30, 30));
  EXPECT_DOUBLE_EQ(form->MyCAD1->Zoom(), 1.2 * 0.8);
  // Importing a drawing adds its shapes on new layers.
  TMyCAD other;
  other.AddShapeByCode(&other, TDrawTool::SpRectangle, "Box", {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  const QString path = dir.filePath("block.vorn");
  ASSERT_TRUE(other.SaveToFile(path));
  Answers << path;
  Trigger("ImportVORNFile");
  EXPECT_EQ(form->MyCAD1->GetShapesCount(), 1);
  EXPECT_NE(form->MyCAD1->GetLayerIdByName("BlockLayer0"), -1);
}

TEST_F(MainWindow, TheImageToolAsksForThePicture) {
  const QString file = dir.filePath("pic.bmp");
  TBitmap picture(24, 16);
  ASSERT_TRUE(picture.SaveToFile(file));
  Answers << file;
  DrawBox("sbtnImage", QPoint(60, 60), QPoint(160, 120));
  EXPECT_EQ(Dialogs, QStringList{"ImageFileOpen"});
  ASSERT_EQ(form->MyCAD1->GetShapesCount(), 1);
  auto* image = dynamic_cast<TMyImage*>(form->MyCAD1->GetShapeByNo(0));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Bitmap().Width(), 24);
  EXPECT_EQ(image->Points, (TArrMyPoint{{60, 60}, {84, 60}, {84, 76}, {60, 76}}));
}
