// The surface as a host embeds it: in a scroll area, driven by real mouse events, configured
// through the meta-object system, followed through signals, keeping shapes by id.
#include "support.h"

#include <QMetaEnum>
#include <QMetaProperty>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <map>
#include <tuple>

using namespace cad;

namespace {

TArrMyPoint Box(float L, float T, float R, float B) { return {{L, T}, {R, T}, {R, B}, {L, B}}; }

int32_t AddRect(TMyCAD& Cad, float L, float T, float R, float B) {
  return Cad.AddShapeByCode(nullptr, TDrawTool::SpRectangle, QString(), Box(L, T, R, B));
}

}  // namespace

// A host that only creates the surface, puts it in a resizable scroll area and sets the tool
// through its property: the page keeps its size, and drawing, selecting and dragging work with
// the mouse on the widget.
TEST(Embedding, ScrollAreaHostDrawsSelectsAndDrags) {
  QScrollArea area;
  area.setWidgetResizable(true);
  auto* cad = new TMyCAD;
  area.setWidget(cad);
  area.resize(1300, 1500);  // larger than an A4 page at 96 pixels per inch (794 x 1123)
  area.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
  QCoreApplication::processEvents();
  EXPECT_EQ(cad->size(), QSize(794, 1123));
  EXPECT_EQ(cad->PageWidth(), 210u);
  EXPECT_EQ(cad->PageHeight(), 297u);
  EXPECT_EQ(cad->PageStyle(), TPageStyle::A4);

  // Without any setup call the mouse works with the selecting tool the surface reports:
  // clicking empty paper lets the selection go, clicking the outline selects the shape again,
  // dragging it by the outline moves it by the mouse's distance.
  const int32_t id = AddRect(*cad, 100, 100, 200, 160);
  TMyShape* rect = cad->GetShapeByID(id);
  QTest::mouseClick(cad, Qt::LeftButton, {}, QPoint(400, 400));
  EXPECT_EQ(cad->GetSelectedShapesCount(), 0);
  QSignalSpy selected(cad, &TMyCAD::shapeSelected);
  QTest::mouseClick(cad, Qt::LeftButton, {}, QPoint(100, 130));
  EXPECT_EQ(cad->GetSelectedShape(), rect);
  EXPECT_EQ(selected.count(), 1);
  QTest::mousePress(cad, Qt::LeftButton, {}, QPoint(100, 130));
  QTest::mouseMove(cad, QPoint(120, 150));
  QTest::mouseMove(cad, QPoint(140, 170));
  QTest::mouseRelease(cad, Qt::LeftButton, {}, QPoint(140, 170));
  EXPECT_EQ(std::as_const(rect->Points)[0], (TMyPoint{140, 140}));
  EXPECT_EQ(std::as_const(rect->Points)[2], (TMyPoint{240, 200}));

  // Drawing with the tool set as a form sets it, by name: press and release at one corner,
  // move, click at the other (grid points, so the default grid snapping keeps them).
  QSignalSpy added(cad, &TMyCAD::shapeAdded);
  ASSERT_TRUE(cad->setProperty("ShapeTool", QStringLiteral("SpRectangle")));
  QTest::mouseClick(cad, Qt::LeftButton, {}, QPoint(300, 300));
  QTest::mouseMove(cad, QPoint(400, 360));
  QTest::mouseClick(cad, Qt::LeftButton, {}, QPoint(400, 360));
  ASSERT_EQ(cad->GetShapesCount(), 2);
  EXPECT_EQ(added.count(), 1);
  EXPECT_EQ(cad->ShapeTool(), TDrawTool::SpSelecting);
  const TMyShape* drawn = cad->GetShapeByNo(1);
  EXPECT_EQ(std::as_const(drawn->Points)[0], (TMyPoint{300, 300}));
  EXPECT_EQ(std::as_const(drawn->Points)[2], (TMyPoint{400, 360}));

  // Zooming resizes the widget inside the area; the page stays.
  cad->SetZoom(2);
  QCoreApplication::processEvents();
  EXPECT_EQ(cad->size(), QSize(1587, 2245));
  EXPECT_EQ(cad->PageWidth(), 210u);
  EXPECT_EQ(cad->PageHeight(), 297u);
}

// A host keeps shape ids, not pointers, across what rebuilds the list, and looks the shapes up
// again when told. Undoing a deletion and loading make new shape objects: run under the
// sanitizers, a pointer kept past them is a use after free here.
TEST(Embedding, ShapesAreFoundAgainByIdAfterTheListIsReplaced) {
  TMyCAD cad;
  const int32_t id = AddRect(cad, 10, 10, 60, 40);
  TMemoryStream saved;
  ASSERT_TRUE(cad.SaveToStream(saved));

  TMyShape* held = cad.GetShapeByID(id);
  QObject::connect(&cad, &TMyCAD::shapeListReplaced, [&] { held = cad.GetShapeByID(id); });
  QObject::connect(&cad, &TMyCAD::drawingCleared, [&] { held = nullptr; });
  QObject::connect(&cad, &TMyCAD::shapesDeleted, [&](const QList<int>& Ids) {
    if (Ids.contains(id)) held = nullptr;
  });

  const std::vector<std::tuple<const char*, std::function<void()>, bool>> steps{
      {"delete", [&] { cad.DeleteSelectedShapes(); }, false},
      {"undo", [&] { cad.Undo(); }, true},
      {"redo", [&] { cad.Redo(); }, false},
      {"undo again", [&] { cad.Undo(); }, true},
      {"load", [&] {
         saved.SetPosition(0);
         cad.LoadFromStream(saved);
       },
       true},
      {"clear", [&] { cad.DeleteAllShapes(); }, false},
  };
  for (const auto& [what, action, present] : steps) {
    SCOPED_TRACE(what);
    if (held) cad.SelectShapeByCode(held->ShapeId, true);
    action();
    ASSERT_EQ(held != nullptr, present);
    if (!held) continue;
    EXPECT_EQ(held->ShapeId, id);
    EXPECT_EQ(held->ClassName(), QStringLiteral("TMyRectangle"));
    EXPECT_EQ(std::as_const(held->Points)[2], (TMyPoint{60, 40}));
  }
}

// Every property the surface declares is writable to a value other than its own and reads it
// back; enumerations are known to the meta-object system by their enumerators' names, which is
// how forms store them.
TEST(Embedding, PropertiesRoundTripThroughTheMetaObject) {
  TMyCAD cad;
  const QMetaObject* mo = cad.metaObject();
  int checked = 0, enums = 0;
  for (int i = TMyCAD::staticMetaObject.propertyOffset(); i < mo->propertyCount(); ++i) {
    const QMetaProperty p = mo->property(i);
    SCOPED_TRACE(p.name());
    if (!p.isWritable()) continue;
    const QVariant before = p.read(&cad);
    QVariant want;
    if (p.isEnumType()) {
      const QMetaEnum e = p.enumerator();
      ASSERT_TRUE(e.isValid());
      ASSERT_GT(e.keyCount(), 1);
      const int now = before.toInt();
      ASSERT_NE(e.valueToKey(now), nullptr);
      int at = 0;
      while (e.value(at) != now) ++at;
      const int next = e.value((at + 1) % e.keyCount());
      // Written by the enumerator's name, as a form loader does.
      ASSERT_TRUE(p.write(&cad, QString::fromLatin1(e.valueToKey(next))));
      EXPECT_STREQ(e.valueToKey(p.read(&cad).toInt()), e.valueToKey(next));
      ++enums;
      ++checked;
      continue;
    }
    switch (p.typeId()) {
      case QMetaType::Bool: want = !before.toBool(); break;
      case QMetaType::Int: want = before.toInt() + 1; break;
      case QMetaType::UInt: want = before.toUInt() + 1; break;
      case QMetaType::Double: want = before.toDouble() * 2 + 0.5; break;
      case QMetaType::QString: want = before.toString() + QStringLiteral("x"); break;
      case QMetaType::QFont: {
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPointSize(15);
        f.setBold(true);
        f.setItalic(true);
        f.setUnderline(true);
        want = f;
        break;
      }
      case QMetaType::QBrush: want = QBrush(QColor(10, 20, 30), Qt::DiagCrossPattern); break;
      case QMetaType::QPen: want = QPen(QBrush(QColor(200, 100, 50)), 3, Qt::DashDotLine); break;
      case QMetaType::QPixmap: {
        QImage img(7, 5, QImage::Format_RGB32);
        img.fill(QColor(1, 2, 3));
        img.setPixelColor(3, 2, QColor(250, 0, 0));
        ASSERT_TRUE(p.write(&cad, QPixmap::fromImage(img)));
        const QImage back = p.read(&cad).value<QPixmap>().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(back, img);
        ASSERT_TRUE(p.reset(&cad));
        EXPECT_TRUE(p.read(&cad).value<QPixmap>().isNull());
        ++checked;
        continue;
      }
      default: ADD_FAILURE() << "no test value for " << p.typeName(); continue;
    }
    ASSERT_NE(want, before);
    ASSERT_TRUE(p.write(&cad, want));
    EXPECT_EQ(p.read(&cad), want);
    ++checked;
  }
  // Every setter-backed property of the surface, the enumerations among them.
  EXPECT_EQ(checked, 56);
  EXPECT_EQ(enums, 12);
  EXPECT_FALSE(mo->property(mo->indexOfProperty("Version")).isStored());
}

// Each command announces what it did once, when it is done.
TEST(Embedding, EachCommandEmitsItsSignalsOnce) {
  struct Row {
    const char* Name;
    std::function<void(TMyCAD&)> Setup, Action;
    std::map<QByteArray, int> Expected;
  };
  const auto withTwo = [](TMyCAD& c) {
    AddRect(c, 10, 10, 50, 50);
    AddRect(c, 100, 10, 150, 50);
  };
  const std::vector<Row> rows{
      {"add by code", nullptr, [](TMyCAD& c) { AddRect(c, 10, 10, 50, 50); },
       {{"shapeAdded", 1}, {"modifiedChanged", 1}, {"undoRedoChanged", 1}}},
      {"select other", withTwo, [](TMyCAD& c) { c.SelectShapeByCode(0, true); }, {{"shapeSelected", 1}}},
      {"deselect", withTwo, [](TMyCAD& c) { c.DeSelectedAllShapesByCode(); }, {{"selectionCleared", 1}}},
      {"delete selection", withTwo, [](TMyCAD& c) {
         c.SelectAllShapes();
         c.DeleteSelectedShapes();
       },
       {{"shapeDeleted", 2}, {"shapesDeleted", 1}, {"selectionCleared", 1}}},
      {"ungroup", [withTwo](TMyCAD& c) {
         withTwo(c);
         c.GroupShapes({c.GetShapeByNo(0), c.GetShapeByNo(1)}, false);
       },
       [](TMyCAD& c) { c.UnGroupShape(c.GetShapeByNo(2), true); },
       {{"shapeDeleted", 1}, {"shapesDeleted", 1}, {"selectionCleared", 1}}},
      {"undo", withTwo, [](TMyCAD& c) { c.Undo(); },
       {{"shapeDeleted", 1}, {"shapeListReplaced", 1}, {"selectionCleared", 1}, {"undoRedoChanged", 1}}},
      {"redo", [](TMyCAD& c) {
         AddRect(c, 10, 10, 50, 50);
         c.Undo();
       },
       [](TMyCAD& c) { c.Redo(); }, {{"shapeListReplaced", 1}, {"undoRedoChanged", 1}}},
      {"clear", withTwo, [](TMyCAD& c) { c.DeleteAllShapes(); },
       {{"drawingCleared", 1}, {"selectionCleared", 1}, {"undoRedoChanged", 1}}},
      {"load", withTwo, [](TMyCAD& c) {
         TMemoryStream m;
         TMyCAD other;
         other.SetUnit(TUnits::cm);
         other.SetZoom(3);
         other.SaveToStream(m);
         m.SetPosition(0);
         c.LoadFromStream(m);
       },
       {{"shapeListReplaced", 1}, {"drawingLoaded", 1}, {"selectionCleared", 1}, {"modifiedChanged", 1},
        {"undoRedoChanged", 1}, {"unitChanged", 1}}},
      {"zoom", nullptr, [](TMyCAD& c) { c.SetZoom(2); }, {{"zoomChanged", 1}}},
      {"same zoom", nullptr, [](TMyCAD& c) { c.SetZoom(1); }, {}},
      {"tool", nullptr, [](TMyCAD& c) { c.SetShapeTool(TDrawTool::SpLine); }, {{"shapeToolChanged", 1}}},
      {"unit", nullptr, [](TMyCAD& c) { c.setProperty("TheUNIT", QStringLiteral("inch")); }, {{"unitChanged", 1}}},
      {"page", nullptr, [](TMyCAD& c) { c.SetPageOrientation(TPrinterOrientation::poLandscape); }, {{"pageChanged", 1}}},
      {"outside resize", nullptr, [](TMyCAD& c) { c.SetWidth(500); }, {{"pageChanged", 1}}},
      {"modified", nullptr, [](TMyCAD& c) { c.SetModified(true); }, {{"modifiedChanged", 1}}},
      {"units move", withTwo, [](TMyCAD& c) { c.MoveByUnits({}, 1, 1); },
       {{"shapeCodeDragging", 1}}},
      {"layers", nullptr, [](TMyCAD& c) {
         c.NewLayer(QStringLiteral("B"), true);
         c.DeleteLayerByName(QStringLiteral("B"));
       },
       {{"newLayer", 1}, {"deleteLayer", 1}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    TMyCAD cad;
    if (row.Setup) row.Setup(cad);
    // Every signal of the surface that a plain argument list carries, watched.
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> spies;
    const QMetaObject* mo = cad.metaObject();
    for (int i = TMyCAD::staticMetaObject.methodOffset(); i < mo->methodCount(); ++i) {
      const QMetaMethod m = mo->method(i);
      if (m.methodType() != QMetaMethod::Signal || m.name() == "dragOver" || m.name() == "paint") continue;
      spies[m.name()] = std::make_unique<QSignalSpy>(&cad, m);
      ASSERT_TRUE(spies[m.name()]->isValid()) << m.methodSignature().constData();
    }
    row.Action(cad);
    for (const auto& [name, spy] : spies) {
      const auto it = row.Expected.find(name);
      EXPECT_EQ(spy->count(), it == row.Expected.end() ? 0 : it->second) << name.constData();
    }
  }
}

// Moving by drawing units is one undo step at any zoom and in any unit, and ends redo.
TEST(Embedding, MoveByUnitsIsOneUndoStepOfTheRightLength) {
  struct Row {
    TUnits Unit;
    double Ratio, Zoom, Dx, Dy;
    double PixelsX, PixelsY;  // expected shift in control pixels
  };
  const double mm = 96 / 25.4;
  const std::vector<Row> rows{
      {TUnits::mm, 1, 1, 10, -5, 10 * mm, -5 * mm},
      {TUnits::mm, 1, 2, 10, 0, 20 * mm, 0},
      {TUnits::cm, 2, 1, 1, 1, 5 * mm, 5 * mm},  // one cm at scale 2 is half a cm on screen
      {TUnits::inch, 1, 0.5, 1, 2, 48, 96},
      {TUnits::pixel, 1, 3, 7, 0, 21, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(QStringLiteral("unit %1 zoom %2").arg(static_cast<int>(r.Unit)).arg(r.Zoom).toStdString());
    TMyCAD cad;
    cad.SetUnit(r.Unit);
    cad.SetRatio(r.Ratio);
    cad.SetZoom(r.Zoom);
    const int32_t a = AddRect(cad, 100, 100, 200, 150);
    const int32_t b = AddRect(cad, 300, 100, 400, 150);
    // A redo waiting, which the move must end.
    AddRect(cad, 0, 0, 10, 10);
    cad.Undo();
    ASSERT_TRUE(cad.CanRedo());
    cad.SetModified(false);
    const TMyPoint a0 = cad.GetShapeByID(a)->GetPointInZoom(0), b0 = cad.GetShapeByID(b)->GetPointInZoom(0);
    const int32_t steps = cad.UndoStepsCount();

    ASSERT_TRUE(cad.MoveByUnits({cad.GetShapeByID(a), cad.GetShapeByID(b)}, r.Dx, r.Dy));
    for (const auto& [id, p0] : {std::pair{a, a0}, std::pair{b, b0}}) {
      const TMyPoint p = cad.GetShapeByID(id)->GetPointInZoom(0);
      EXPECT_NEAR(p.X - p0.X, r.PixelsX, 1e-3);
      EXPECT_NEAR(p.Y - p0.Y, r.PixelsY, 1e-3);
    }
    EXPECT_EQ(cad.UndoStepsCount(), steps + 1);
    EXPECT_FALSE(cad.CanRedo());
    EXPECT_TRUE(cad.Modified());

    cad.Undo();
    EXPECT_EQ(cad.GetShapeByID(a)->GetPointInZoom(0), a0);
    EXPECT_EQ(cad.GetShapeByID(b)->GetPointInZoom(0), b0);
  }
  TMyCAD empty;
  EXPECT_FALSE(empty.MoveByUnits({}, 1, 1));  // no selection: nothing to move, nothing recorded
  EXPECT_FALSE(empty.CanUndo());
}
