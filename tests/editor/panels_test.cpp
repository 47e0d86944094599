// The side panels of the main window driven as a user drives them: the inspector, the layer tree
// and the library pages.
#include "mainwindow_fixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QMimeData>

namespace {

// A shape of each kind the inspector has a panel for, made by code and selected.
int32_t AddKind(TMyCAD* Cad, const QString& Kind) {
  if (Kind == "TMyLinkLine") {
    auto* link = new TMyLinkLine(Cad);
    link->Points = {{40, 40}, {140, 40}, {140, 120}};
    link->ShapeId = Cad->NextShapeId();
    link->SetName(QStringLiteral("Shape") + QString::number(link->ShapeId));
    if (!Cad->AddShape(link, false, false)) return -1;
    link->ShapeNo = Cad->GetShapesCount() - 1;
    Cad->SelectShapeByCode(link->ShapeId, true);
    return link->ShapeId;
  }
  if (Kind == "TMyImage") {
    TBitmap picture(20, 10);
    return Cad->AddImageShapeByCode(QStringLiteral("Picture"), TPoint{30, 30}, &picture);
  }
  const std::map<QString, std::pair<TDrawTool, TArrMyPoint>> byCode = {
      {"TMyLine", {TDrawTool::SpLine, {{20, 20}, {120, 80}}}},
      {"TMyRuleLine", {TDrawTool::SpRuleLine, {{20, 20}, {120, 20}}}},
      {"TMyPolygon", {TDrawTool::SpPolygon, {{20, 20}, {120, 20}, {60, 90}}}},
      {"TMyRectangle", {TDrawTool::SpRectangle, {{20, 20}, {120, 20}, {120, 80}, {20, 80}}}},
      {"TMyElliArc", {TDrawTool::SpElliArc, {{60, 60}, {120, 60}, {120, 120}}}},
      {"TMyText", {TDrawTool::SpText, {{20, 20}, {160, 20}, {160, 80}, {20, 80}}}},
  };
  const auto& [tool, points] = byCode.at(Kind);
  return Cad->AddShapeByCode(Cad, tool, QString(), points, 0, QStringLiteral("Info"));
}

// Chooses another item of the drop-down list than the one shown, as the user does.
void ChooseAnother(QComboBox* Combo) {
  const int index = (Combo->currentIndex() + 1) % Combo->count();
  Combo->setCurrentIndex(index);
  emit Combo->activated(index);
}

// Drags Data over Target and drops it at At, as the platform delivers a drag; true when the
// target took it.
bool DropOn(QWidget* Target, QPoint At, const QMimeData* Data) {
  QDragEnterEvent enter(At, Qt::CopyAction, Data, Qt::LeftButton, {});
  QApplication::sendEvent(Target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(At), Qt::CopyAction, Data, Qt::LeftButton, {});
  QApplication::sendEvent(Target, &drop);
  return drop.isAccepted();
}

void Type(QLineEdit* Edit, const QString& Text) {
  Edit->setText(Text);
  QTest::keyClick(Edit, Qt::Key_Return);
}

}  // namespace

TEST_F(MainWindow, TheInspectorShowsThePanelsOfTheSelectedKind) {
  kestrafel::TInspector* in = form->Inspector;
  struct Case {
    const char* Kind;
    std::vector<QWidget*> Shown;
  };
  const Case cases[] = {
      {"TMyLine", {in->PLine}},
      {"TMyRuleLine", {in->PLine, in->PRuleLine}},
      {"TMyLinkLine", {in->PLine, in->PLinkLine}},
      {"TMyPolygon", {}},
      {"TMyRectangle", {}},
      {"TMyElliArc", {in->PElliArc}},
      {"TMyImage", {in->PImage}},
      {"TMyText", {in->PText}},
  };
  for (const Case& c : cases) {
    ASSERT_GE(AddKind(form->MyCAD1, c.Kind), 0) << c.Kind;
    for (QWidget* p : {in->PLine, in->PRuleLine, in->PLinkLine, in->PElliArc, in->PImage, in->PText}) {
      const bool shown = std::find(c.Shown.begin(), c.Shown.end(), p) != c.Shown.end();
      EXPECT_EQ(p->isVisibleTo(in), shown) << c.Kind << " " << p->objectName().toStdString();
    }
  }
  EXPECT_EQ(in->PRuleLine->y(), 152);
  EXPECT_EQ(in->PLinkLine->y(), 152);
  // The text's own values are shown.
  auto* text = dynamic_cast<TMyText*>(form->MyCAD1->GetSelectedShape());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(in->Memo1->toPlainText(), text->Lines().join('\n'));
  EXPECT_EQ(in->cbWordWrap->currentIndex(), text->WordWrap() ? 0 : 1);
  EXPECT_EQ(in->edtFontSize->text(), QString::number(text->Font()->Size()));
  // A click on empty space with nothing selected shows the surface's pen and hides the panels.
  form->MyCAD1->DeSelectedAllShapesByCode();
  QTest::mouseClick(form->MyCAD1, Qt::LeftButton, {}, QPoint(form->MyCAD1->width() - 5, form->MyCAD1->height() - 5));
  EXPECT_FALSE(in->PText->isVisibleTo(in));
  EXPECT_EQ(in->sePenWidth->value(), form->MyCAD1->Pen()->Width());
}

TEST_F(MainWindow, PenWidthWithNothingSelectedSetsTheSurfacesPen) {
  form->Inspector->sePenWidth->setValue(7);
  EXPECT_EQ(form->MyCAD1->Pen()->Width(), 7);
  EXPECT_FALSE(form->MyCAD1->CanUndo());
}

TEST_F(MainWindow, EveryInspectorEditIsOneUndoStepAndEndsRedo) {
  kestrafel::TInspector* in = form->Inspector;
  in->OnChooseColor = [](TColor) { return std::optional<TColor>(clRed); };
  struct Case {
    const char* Kind;
    const char* What;
    std::function<void()> Edit;
  };
  const Case cases[] = {
      {"TMyRectangle", "pen width", [in] { in->sePenWidth->setValue(in->sePenWidth->value() + 3); }},
      {"TMyRectangle", "pen style", [in] { ChooseAnother(in->cmbPenStyle); }},
      {"TMyRectangle", "pen colour", [in] { QTest::mouseClick(in->PPenColor, Qt::LeftButton); }},
      {"TMyRectangle", "brush colour", [in] { QTest::mouseClick(in->PBrushColor, Qt::LeftButton); }},
      {"TMyRectangle", "brush style", [in] { ChooseAnother(in->cmbBrushStyle); }},
      {"TMyRectangle", "angle", [in] { Type(in->edtAngle, "0.5"); }},
      {"TMyLine", "arrow style", [in] { ChooseAnother(in->cmbArrowStyle); }},
      {"TMyLine", "arrow length", [in] { Type(in->edtArrowLength, "44"); }},
      {"TMyLine", "arrow angle", [in] { Type(in->edtArrowAngle, "25"); }},
      {"TMyLine", "arrow offset", [in] { Type(in->edtArrowOffset, "6"); }},
      {"TMyRuleLine", "tick style", [in] { ChooseAnother(in->cmbTickStyle); }},
      {"TMyLinkLine", "route style", [in] { ChooseAnother(in->cmbLinkLineDrawStyle); }},
      {"TMyElliArc", "arc style", [in] { ChooseAnother(in->cmbArcStyle); }},
      {"TMyElliArc", "arc mode", [in] { ChooseAnother(in->cmbArcMode); }},
      {"TMyImage", "border", [in] { QTest::mouseClick(in->cbBorder, Qt::LeftButton); }},
      {"TMyText", "font size", [in] { Type(in->edtFontSize, "19"); }},
      {"TMyText", "alignment", [in] { ChooseAnother(in->cbHAlignment); }},
      {"TMyText", "vertical alignment", [in] { ChooseAnother(in->cbVAlignment); }},
      {"TMyText", "word wrap", [in] { ChooseAnother(in->cbWordWrap); }},
      {"TMyText", "lines", [in] {
         in->Memo1->setPlainText("first\nsecond");
         QTest::mouseClick(in->btnUpdate, Qt::LeftButton);
       }},
  };
  for (const Case& c : cases) {
    const int32_t id = AddKind(form->MyCAD1, c.Kind);
    ASSERT_GE(id, 0) << c.What;
    // Only this edit's steps are counted (the list keeps a limited number). Painted first: a
    // rule line keeps its label text and angle in step with its points when it is drawn.
    form->MyCAD1->ClearAllUndoStuff();
    form->MyCAD1->Repaint();
    const QByteArray before = testing_support::RecordOf(*form->MyCAD1->GetShapeByID(id));
    const int32_t steps = form->MyCAD1->UndoStepsCount();
    c.Edit();
    EXPECT_NE(testing_support::RecordOf(*form->MyCAD1->GetShapeByID(id)), before) << c.What;
    EXPECT_EQ(form->MyCAD1->UndoStepsCount(), steps + 1) << c.What;
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(testing_support::RecordOf(*form->MyCAD1->GetShapeByID(id)), before) << c.What;
    // The inspector shows the values the undo brought back.
    if (form->MyCAD1->GetSelectedShape() == form->MyCAD1->GetShapeByID(id)) {
      EXPECT_EQ(in->sePenWidth->value(), form->MyCAD1->GetShapeByID(id)->Pen()->Width()) << c.What;
    }
    ASSERT_TRUE(form->MyCAD1->CanRedo()) << c.What;
    // The same edit again is a new step: what was undone cannot come back over it.
    form->MyCAD1->SelectShapeByCode(id, true);
    c.Edit();
    EXPECT_FALSE(form->MyCAD1->CanRedo()) << c.What;
  }
  EXPECT_TRUE(Recorded().Messages.isEmpty()) << Recorded().Messages.join("; ").toStdString();
}

TEST_F(MainWindow, TextThatIsNoNumberChangesNothing) {
  kestrafel::TInspector* in = form->Inspector;
  const std::pair<const char*, QLineEdit*> cases[] = {
      {"TMyRectangle", in->edtAngle}, {"TMyLine", in->edtArrowLength}, {"TMyLine", in->edtArrowAngle},
      {"TMyText", in->edtFontSize},   {"TMyLine", in->edtArrowOffset}};
  for (const auto& [kind, edit] : cases) {
    const int32_t id = AddKind(form->MyCAD1, kind);
    const QByteArray before = testing_support::RecordOf(*form->MyCAD1->GetShapeByID(id));
    const int32_t steps = form->MyCAD1->UndoStepsCount();
    AnswerMessages({});
    Recorded().Clear();
    Type(edit, "1,5x");
    EXPECT_EQ(testing_support::RecordOf(*form->MyCAD1->GetShapeByID(id)), before) << edit->objectName().toStdString();
    EXPECT_EQ(form->MyCAD1->UndoStepsCount(), steps);
    ASSERT_EQ(Recorded().Messages.size(), 1) << edit->objectName().toStdString();
    EXPECT_TRUE(Recorded().Messages[0].contains("1,5x"));
  }
}

TEST_F(MainWindow, ArrowKeysMoveTheShapeOnlyFromTheSurface) {
  const int32_t id = AddKind(form->MyCAD1, "TMyRectangle");
  TMyShape* s = form->MyCAD1->GetShapeByID(id);
  const TMyPoint start = s->Points[0];
  QLineEdit* angle = form->Inspector->edtAngle;
  angle->setFocus();
  angle->setText("0.25");
  angle->setCursorPosition(4);
  QTest::keyClick(angle, Qt::Key_Left);
  EXPECT_EQ(angle->cursorPosition(), 3);
  EXPECT_EQ(s->Points[0].X, start.X);
  QTest::keyClick(form->cmbZoom, Qt::Key_Up);
  EXPECT_EQ(s->Points[0].Y, start.Y);
  // The zoom box took its key: the zoom changed, the shape did not move. From the surface the
  // key moves the shape one pixel.
  Key(Qt::Key_Left);
  EXPECT_NEAR(s->Points[0].X, start.X - 1 / form->MyCAD1->Zoom(), 1e-4);
}

TEST_F(MainWindow, TheLayerTreeFollowsTheLayers) {
  kestrafel::TLayerPanel* lp = form->Layers;
  TMyCAD* c = form->MyCAD1;
  for (int i = 1; c->GetMaxLayerId() < 3 && i < 10; ++i) c->NewLayer(QStringLiteral("Other%1").arg(i), true);
  ASSERT_EQ(c->GetMaxLayerId(), 3);
  lp->Refresh();
  QTest::mouseClick(lp->sbtnLayerNew, Qt::LeftButton);
  ASSERT_EQ(lp->tvLayer->topLevelItemCount(), c->GetLayersCount());
  QTreeWidgetItem* last = lp->tvLayer->topLevelItem(lp->tvLayer->topLevelItemCount() - 1);
  EXPECT_EQ(last->text(0), "Layer4");
  // Choosing a node makes its layer the current one; hiding it changes its image.
  lp->tvLayer->setCurrentItem(last);
  EXPECT_EQ(c->CurrentLayerId(), 4);
  QTest::mouseClick(lp->sbtnLayerHideVisible, Qt::LeftButton);
  EXPECT_FALSE(c->IsVisibleLayerByID(4));
  last = lp->tvLayer->topLevelItem(lp->tvLayer->topLevelItemCount() - 1);
  EXPECT_EQ(last->icon(0).cacheKey(), lp->ImageList2[1].cacheKey());
  EXPECT_TRUE(last->isSelected());
  // Renamed in place.
  last->setText(0, "Walls");
  EXPECT_EQ(c->GetLayerNameByID(4), "Walls");
  last = lp->tvLayer->topLevelItem(lp->tvLayer->topLevelItemCount() - 1);
  last->setText(0, " ");
  EXPECT_EQ(c->GetLayerNameByID(4), "Walls");
  // Deleted with its node.
  lp->tvLayer->setCurrentItem(lp->tvLayer->topLevelItem(lp->tvLayer->topLevelItemCount() - 1));
  QTest::mouseClick(lp->sbtnLayerDelete, Qt::LeftButton);
  EXPECT_EQ(c->GetLayerNameByID(4), "");
  EXPECT_EQ(lp->tvLayer->topLevelItemCount(), c->GetLayersCount());
}

TEST_F(MainWindow, ALibraryMadeFromTheSelectionIsSavedReopenedAndDroppedBack) {
  kestrafel::TLibraryPanel* lib = form->Library;
  TMyCAD* c = form->MyCAD1;
  AddKind(c, "TMyRectangle");
  AddKind(c, "TMyElliArc");
  Trigger("SelectAllShapes");
  lib->OnAskText = [](const QString&, const QString&, const QString&) { return QStringLiteral("Pair"); };
  Trigger("AddSelectionToLib");
  ASSERT_EQ(lib->LibCount(), 1);
  EXPECT_EQ(form->PageControl1->currentWidget(), form->tsLibrary);
  ASSERT_EQ(lib->ListView(0)->count(), 1);
  EXPECT_EQ(lib->ListView(0)->item(0)->text(), "Pair");
  EXPECT_TRUE(lib->LibModified(0));

  // Closing it unsaved asks first; Cancel keeps it.
  AnswerMessages({mrCancel});
  lib->miCloseClick();
  EXPECT_EQ(lib->LibCount(), 1);

  const QString file = dir.filePath("shapes.lib");
  Answers << file;
  Trigger("SaveLib");
  ASSERT_TRUE(QFileInfo::exists(file));
  EXPECT_FALSE(lib->LibModified(0));
  lib->miCloseClick();
  EXPECT_EQ(lib->LibCount(), 0);

  Answers << file;
  Trigger("OpenLib");
  ASSERT_EQ(lib->LibCount(), 1);
  EXPECT_EQ(lib->PageControl2->tabText(0), "shapes");
  Recorded().Clear();
  Answers << file;
  Trigger("OpenLib");
  EXPECT_EQ(lib->LibCount(), 1);
  EXPECT_EQ(Recorded().Messages, QStringList{"This Lib: " + file + " has been opened!"});

  // Dragged onto the surface: one combined shape, centred where it was dropped, one undo step.
  // The offscreen platform runs no drag loop, so the drop arrives as the events the platform
  // delivers, with the data the list gives its drags.
  kestrafel::TLibListView* list = lib->ListView(0);
  std::unique_ptr<QMimeData> data(list->model()->mimeData({list->model()->index(0, 0)}));
  ASSERT_NE(data, nullptr);
  const int32_t before = c->GetShapesCount();
  const int32_t steps = c->UndoStepsCount();
  const QPoint drop(300, 260);
  QMimeData text;
  text.setText("Pair");
  EXPECT_FALSE(DropOn(c, drop, &text));  // other data is refused
  EXPECT_EQ(c->GetShapesCount(), before);
  ASSERT_TRUE(DropOn(c, drop, data.get()));
  ASSERT_EQ(c->GetShapesCount(), before + 3);  // the combine and its two members
  EXPECT_EQ(c->UndoStepsCount(), steps + 1);
  TMyShape* combine = c->GetSelectedShape();
  ASSERT_NE(combine, nullptr);
  EXPECT_EQ(combine->ClassName(), "TMyCombine");
  EXPECT_EQ(combine->ChildShapes.size(), 2u);
  const TMyRect box = GetPointsLTRB(std::as_const(combine->Points));
  EXPECT_NEAR((box.Left + box.Right) / 2, drop.x(), 1.0);
  EXPECT_NEAR((box.Top + box.Bottom) / 2, drop.y(), 1.0);
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(c->GetShapesCount(), before);
}

TEST_F(MainWindow, LibraryEntriesAreRenamedMovedAndDeleted) {
  kestrafel::TLibraryPanel* lib = form->Library;
  TMyCAD* c = form->MyCAD1;
  lib->NewLib();
  QStringList names = {"A", "B", "C"};
  for (const QString& n : names) {
    c->SelectShapeByCode(AddKind(c, "TMyRectangle"), true);
    ASSERT_TRUE(lib->AddSelection(n));
  }
  auto listed = [&] {
    QStringList out;
    for (int i = 0; i < lib->ListView(0)->count(); ++i) out << lib->ListView(0)->item(i)->text();
    return out;
  };
  // C dragged onto A within the list goes in front of it.
  kestrafel::TLibListView* list = lib->ListView(0);
  std::unique_ptr<QMimeData> c3(list->model()->mimeData({list->model()->index(2, 0)}));
  ASSERT_TRUE(DropOn(list->viewport(), list->visualItemRect(list->item(0)).center(), c3.get()));
  EXPECT_EQ(listed(), (QStringList{"C", "A", "B"}));
  lib->MoveEntry(0, "C", "");
  EXPECT_EQ(listed(), (QStringList{"A", "B", "C"}));
  lib->OnAskText = [](const QString&, const QString&, const QString&) { return QStringLiteral("Bee"); };
  lib->RenameEntry(0, "B");
  EXPECT_EQ(listed(), (QStringList{"A", "Bee", "C"}));
  AnswerMessages({mrYes});
  lib->DeleteEntry(0, "A");
  EXPECT_EQ(listed(), (QStringList{"Bee", "C"}));
  EXPECT_EQ(lib->Lib(0)->GetcmbShapesCount(), 2);
  // Unsaved at the window's close: No drops it.
  AnswerMessages({mrNo});
  EXPECT_TRUE(lib->CanClose());
}
