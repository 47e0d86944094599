// Drawing by code: shapes from point lists (the point rule per tool, naming, undo, selection,
// ownership), selection by id, bounding boxes, the default-attribute setters, the shape naming
// rule and the debugging text on the canvas.
#include "support.h"

#include <cad/gfx/streams.h>

#include <QByteArray>
#include <cmath>
#include <utility>
#include <vector>

using namespace cad;
using testing_support::AddBox;

namespace {

const TArrMyPoint kBox{{10, 20}, {30, 20}, {30, 40}, {10, 40}};

class DrawByCode : public ::testing::Test {
protected:
  void SetUp() override {
    cad.SetZoom(1);
    cad.SetSnap(false);
    cad.OnShapeAdded = [this](TMyShape*& S, int32_t Count) { added.emplace_back(S, Count); };
    cad.OnShapeSelected = [this](TMyShape* Last, TMyShape* S) { selected.emplace_back(Last, S); };
  }
  static TArrMyPoint Pts(int N) {
    TArrMyPoint p;
    for (int i = 0; i < N; ++i) p.push_back(TMyPoint{10.0f * i, 5.0f * (i % 2)});
    return p;
  }
  TMyCAD cad;
  std::vector<std::pair<TMyShape*, int32_t>> added;
  std::vector<std::pair<TMyShape*, TMyShape*>> selected;
};

}  // namespace

TEST_F(DrawByCode, ARectangleTakesFourPointsAndIsOneUndoableStep) {
  TMyShape* before = AddBox(cad, 100, 100, 120, 120);
  cad.AddWorkingShapes(before);
  const int32_t next = cad.NextShapeId();

  EXPECT_EQ(cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QStringLiteral("Door"), {{10, 20}, {30, 20}, {30, 40}}), -1);
  EXPECT_EQ(cad.GetShapesCount(), 1);
  EXPECT_EQ(cad.NextShapeId(), next);
  EXPECT_TRUE(added.empty());
  EXPECT_EQ(cad.UndoStepsCount(), 0);
  EXPECT_EQ(cad.GetSelectedShapes(), TArrMyShape{before});

  const int32_t id = cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QStringLiteral("Door"), kBox);
  EXPECT_EQ(id, next);
  EXPECT_EQ(cad.NextShapeId(), next + 1);
  TMyShape* s = cad.GetShapeByID(id);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->ClassName(), QStringLiteral("TMyRectangle"));
  EXPECT_EQ(s->Name(), QStringLiteral("Door"));
  EXPECT_EQ(s->Caption(), QStringLiteral("Door"));
  EXPECT_EQ(s->ShapeNo, 1);
  EXPECT_EQ(s->LayerId, cad.CurrentLayerId());
  EXPECT_EQ(s->Points.Items(), kBox);
  EXPECT_EQ(s->GetLinkPointsCount(), 0);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0], std::make_pair(s, int32_t{2}));
  EXPECT_EQ(cad.GetSelectedShapes(), TArrMyShape{s});
  EXPECT_EQ(cad.CurrentShape(), s);
  EXPECT_TRUE(cad.Modified());
  ASSERT_EQ(cad.UndoStepsCount(), 1);
  EXPECT_EQ(cad.UndoList().back().Action, QStringLiteral("ACT_ADD"));
  EXPECT_EQ(cad.UndoList().back().ShapeName, QStringLiteral("Door"));

  // Undo deletes the shape, current shape and all (the list owned it: freed once, nothing left
  // pointing at it); redo brings it back.
  cad.Undo();
  EXPECT_EQ(cad.GetShapesCount(), 1);
  EXPECT_EQ(cad.GetShapeByID(id), nullptr);
  EXPECT_EQ(cad.CurrentShape(), nullptr);
  cad.Redo();
  ASSERT_NE(cad.GetShapeByID(id), nullptr);
  EXPECT_EQ(cad.GetShapeByID(id)->Points.Items(), kBox);
  // The current shape belongs to the list: deleting it must not free it a second time.
  const int32_t other = cad.AddShapeByCode(&cad, TDrawTool::SpEllipse, QStringLiteral("Pond"), kBox);
  ASSERT_EQ(cad.CurrentShape(), cad.GetShapeByID(other));
  EXPECT_TRUE(cad.DeleteShapeById(other, true));
  EXPECT_EQ(cad.CurrentShape(), nullptr);
}

TEST_F(DrawByCode, EachToolTakesItsNumberOfPoints) {
  struct Case {
    TDrawTool Tool;
    const char* Class;
    std::vector<int> Good, Bad;
  };
  const Case cases[] = {
      {TDrawTool::SpLine, "TMyLine", {2}, {0, 1, 3}},
      {TDrawTool::SpRuleLine, "TMyRuleLine", {2}, {1, 3}},
      {TDrawTool::SpPolyLine, "TMyPolyLine", {2, 3, 9}, {0, 1}},
      {TDrawTool::SpPolygon, "TMyPolygon", {2, 5}, {0, 1}},
      {TDrawTool::SpPolyBezier, "TMyPolyBezier", {4, 7, 10}, {0, 1, 2, 3, 5, 6, 8}},
      {TDrawTool::SpRectangle, "TMyRectangle", {4}, {3, 5}},
      {TDrawTool::SpEllipse, "TMyEllipse", {4}, {3, 5}},
      {TDrawTool::SpText, "TMyText", {4}, {3, 5}},
      {TDrawTool::SpElliArc, "TMyElliArc", {3}, {2, 4}},
  };
  for (const Case& c : cases) {
    for (int n : c.Good) {
      const int32_t count = cad.GetShapesCount();
      const int32_t id = cad.AddShapeByCode(&cad, c.Tool, QString(), Pts(n), 0, QStringLiteral("Hello"));
      ASSERT_GE(id, 0) << c.Class << " " << n;
      EXPECT_EQ(cad.GetShapesCount(), count + 1);
      EXPECT_EQ(cad.GetShapeByID(id)->ClassName(), QLatin1String(c.Class));
      EXPECT_EQ(cad.GetShapeByID(id)->Name(), QStringLiteral("Shape%1").arg(id));  // no name given
      if (c.Tool == TDrawTool::SpText) {
        EXPECT_EQ(cad.GetShapeByID(id)->Info(), QStringLiteral("Hello"));
      }
    }
    for (int n : c.Bad) EXPECT_EQ(cad.AddShapeByCode(&cad, c.Tool, QString(), Pts(n)), -1) << c.Class << " " << n;
  }
  const int32_t count = cad.GetShapesCount();
  for (TDrawTool t : {TDrawTool::SpLinkLine, TDrawTool::SpSelecting, TDrawTool::SpRotateSelecting, TDrawTool::SpLinkPoint,
                      TDrawTool::SpLineLinkLine, TDrawTool::SpImage, TDrawTool::SpClose})
    for (int n : {1, 2, 3, 4})
      EXPECT_EQ(cad.AddShapeByCode(&cad, t, QString(), Pts(n)), -1) << static_cast<int>(t) << " " << n;
  EXPECT_EQ(cad.GetShapesCount(), count);
}

TEST_F(DrawByCode, PointsAreKeptAsGivenAndPolygonsClosed) {
  // Drawing coordinates at any zoom: the points are not divided by it.
  cad.SetZoom(2);
  const TArrMyPoint three{{0, 0}, {40, 0}, {20, 30}};
  const int32_t id = cad.AddShapeByCode(&cad, TDrawTool::SpPolygon, QStringLiteral("Roof"), three);
  ASSERT_GE(id, 0);
  TMyShape* s = cad.GetShapeByID(id);
  ASSERT_EQ(s->GetPointsCount(), 4);
  EXPECT_EQ(s->Points.Items(), (TArrMyPoint{{0, 0}, {40, 0}, {20, 30}, {0, 0}}));
  // An angle turns the shape about its own centre; it does not carry it off round the origin.
  const int32_t line = cad.AddShapeByCode(&cad, TDrawTool::SpLine, QStringLiteral("Bar"), {{100, 50}, {140, 50}}, PiL / 2);
  ASSERT_GE(line, 0);
  TMyShape* l = cad.GetShapeByID(line);
  EXPECT_NEAR(l->Angle(), PiL / 2, 1e-5);
  const TMyPoint p0 = l->GetPoint(0), p1 = l->GetPoint(1);
  EXPECT_NEAR(p0.X, 120, 1e-3);
  EXPECT_NEAR(p1.X, 120, 1e-3);
  EXPECT_NEAR((p0.Y + p1.Y) / 2, 50, 1e-3);
  EXPECT_NEAR(std::fabs(p0.Y - p1.Y), 40, 1e-3);
  // A null surface means this one.
  const int32_t own = cad.AddShapeByCode(nullptr, TDrawTool::SpRectangle, QString(), kBox);
  ASSERT_GE(own, 0);
  EXPECT_EQ(cad.GetShapeByID(own)->MyCAD, &cad);
}

TEST_F(DrawByCode, RefusalsLeaveTheSurfaceAsItWas) {
  const int32_t first = cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QStringLiteral("First"), kBox);
  ASSERT_GE(first, 0);
  TMyShape* current = cad.CurrentShape();
  added.clear();
  const int32_t next = cad.NextShapeId();
  const auto unchanged = [&](const char* What) {
    EXPECT_EQ(cad.GetShapesCount(), 1) << What;
    EXPECT_EQ(cad.NextShapeId(), next) << What;
    EXPECT_EQ(cad.UndoStepsCount(), 1) << What;
    EXPECT_EQ(cad.CurrentShape(), current) << What;
    EXPECT_EQ(cad.GetSelectedShapes(), TArrMyShape{current}) << What;
    EXPECT_TRUE(added.empty()) << What;
  };
  EXPECT_EQ(cad.AddShapeByCode(&cad, TDrawTool::SpPolyLine, QStringLiteral("Wire"), {{1, 1}}), -1);
  unchanged("one point");
  EXPECT_EQ(cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QStringLiteral("1abc"), kBox), -1);
  unchanged("invalid name");
  // Without a layer the shape is refused (and reported), not kept.
  cad.DeleteAllLayers();
  testing_support::Recorded().Clear();
  EXPECT_EQ(cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QStringLiteral("Late"), kBox), -1);
  EXPECT_EQ(testing_support::Recorded().Messages, QStringList{QStringLiteral("Error!There is no Layer!")});
}

TEST_F(DrawByCode, NamesNeedNotBeUnique) {
  const int32_t a = cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QStringLiteral("Door"), kBox);
  const int32_t b = cad.AddShapeByCode(&cad, TDrawTool::SpEllipse, QStringLiteral("Door"), kBox);
  ASSERT_GE(a, 0);
  ASSERT_GT(b, a);
  EXPECT_EQ(cad.GetShapesCount(), 2);
  EXPECT_EQ(cad.GetShapeByName(QStringLiteral("Door")), cad.GetShapeByID(a));
  EXPECT_EQ(cad.GetShapeByID(b)->Name(), QStringLiteral("Door"));
}

TEST_F(DrawByCode, SelectShapeByCode) {
  TMyShape* a = AddBox(cad, 0, 0, 10, 10);
  TMyShape* b = AddBox(cad, 20, 0, 30, 10);
  TMyShape* c = AddBox(cad, 40, 0, 50, 10);
  const int32_t g = cad.GroupShapes({b, c}, false);
  ASSERT_GE(g, 0);
  TMyShape* group = cad.GetShapeByID(g);
  cad.DeSelectedAllShapesByCode();
  selected.clear();

  EXPECT_TRUE(cad.SelectShapeByCode(a->ShapeId, false));
  EXPECT_EQ(cad.GetSelectedShapes(), TArrMyShape{a});
  // A member's id selects its group; the selection grows.
  EXPECT_TRUE(cad.SelectShapeByCode(c->ShapeId, false));
  EXPECT_EQ(cad.GetSelectedShapes(), (TArrMyShape{a, group}));
  // Exclusive replaces it.
  EXPECT_TRUE(cad.SelectShapeByCode(b->ShapeId, true));
  EXPECT_EQ(cad.GetSelectedShapes(), TArrMyShape{group});
  EXPECT_TRUE(cad.SelectShapeByCode(a->ShapeId, true));
  EXPECT_EQ(cad.GetSelectedShapes(), TArrMyShape{a});
  const std::vector<std::pair<TMyShape*, TMyShape*>> events{{nullptr, a}, {a, c}, {a, b}, {group, a}};
  EXPECT_EQ(selected, events);

  EXPECT_FALSE(cad.SelectShapeByCode(999, true));
  EXPECT_FALSE(cad.SelectShapeByCode(-1, false));
  EXPECT_EQ(cad.GetSelectedShapes(), TArrMyShape{a});
  EXPECT_EQ(selected.size(), events.size());
}

TEST_F(DrawByCode, BoundingBoxesOfShapeLists) {
  TMyShape* r = cad.GetShapeByID(cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QString(), kBox));
  TMyShape* p = cad.GetShapeByID(cad.AddShapeByCode(&cad, TDrawTool::SpPolyLine, QString(), {{-5, 50}, {25, 60}, {0, 70}}));
  ASSERT_TRUE(r && p);
  const TArrMyShape both{r, p};
  const auto same = [](const TMyRect& A, const TMyRect& B) {
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
  };
  EXPECT_TRUE(same(cad.GetShapesLTRB(both, 1), TMyRect{-5, 20, 30, 70}));
  EXPECT_TRUE(same(cad.GetShapesLTRB(both), TMyRect{-5, 20, 30, 70}));
  EXPECT_TRUE(same(cad.GetShapesLTRB(both, 0), TMyRect{10, 20, 30, 40}));
  EXPECT_TRUE(same(cad.GetShapesLTRB(both, 7), TMyRect{-5, 20, 30, 70}));  // no further than the list
  EXPECT_TRUE(same(cad.GetShapesLTRB(both, -1), TMyRect{}));
  EXPECT_TRUE(same(cad.GetShapesLTRB(TArrMyShape{}, 0), TMyRect{}));
  cad.SetZoom(2);
  EXPECT_TRUE(same(cad.GetShapesLTRBinZoom(both, 1), TMyRect{-10, 40, 60, 140}));
  EXPECT_TRUE(same(cad.GetShapesLTRBinZoom(both), TMyRect{-10, 40, 60, 140}));
  EXPECT_TRUE(same(cad.GetShapesLTRBinZoom(both, 0), TMyRect{20, 40, 60, 80}));
}

TEST_F(DrawByCode, DefaultAttributesKeepTheirRules) {
  cad.SetArrowAngle(45);
  for (int bad : {360, -1, 1000}) cad.SetArrowAngle(bad);
  EXPECT_EQ(cad.ArrowAngle(), 45);
  cad.SetArrowAngle(359);
  EXPECT_EQ(cad.ArrowAngle(), 359);
  cad.SetArrowAngle(0);
  EXPECT_EQ(cad.ArrowAngle(), 0);

  cad.SetArrowLength(50);
  for (int bad : {5, 9, 81, 300, 266, -1}) cad.SetArrowLength(bad);  // 266 and 300 would wrap into range as bytes
  EXPECT_EQ(cad.ArrowLength(), 50);
  cad.setProperty("ArrowLength", 300);
  EXPECT_EQ(cad.ArrowLength(), 50);
  cad.SetArrowLength(10);
  EXPECT_EQ(cad.ArrowLength(), 10);
  cad.SetArrowLength(80);
  EXPECT_EQ(cad.ArrowLength(), 80);

  // The font is copied into the surface's own.
  TFont f;
  f.SetSize(21);
  cad.SetCADFont(&f);
  f.SetSize(8);
  EXPECT_EQ(cad.Font()->Size(), 21);
}

TEST_F(DrawByCode, ShapeNamesMustBeIdentifiers) {
  TMyShape s(&cad);
  for (const char* good : {"", "A", "_", "_x1", "Shape17", "a_B_9"}) {
    EXPECT_NO_THROW(s.SetName(QLatin1String(good))) << good;
    EXPECT_EQ(s.Name(), QLatin1String(good));
  }
  s.SetName(QStringLiteral("Old"));
  for (const QString& bad : {QStringLiteral("1abc"), QStringLiteral("a b"), QStringLiteral(" "), QStringLiteral("a-b"),
                             QStringLiteral("x.y"), QStringLiteral("caf\u00e9"), QStringLiteral("9")}) {
    EXPECT_THROW(s.SetName(bad), EComponentError) << bad.toStdString();
    EXPECT_EQ(s.Name(), QStringLiteral("Old"));
  }
  try {
    s.SetName(QStringLiteral("1abc"));
    ADD_FAILURE() << "no error";
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "\"1abc\" is not a valid component name.");
  }
  // A caption is still taken from the first valid name only.
  TMyShape t(&cad);
  EXPECT_THROW(t.SetName(QStringLiteral("no way")), EComponentError);
  EXPECT_EQ(t.Caption(), QString());

  // A stored record with such a name is refused as a damaged record.
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  TMyShape named(&cad);
  named.SetName(QStringLiteral("Good"));
  TMemoryStream out;
  named.SaveToStream(out);
  QByteArray bytes = out.Data();
  const qsizetype at = bytes.indexOf("Good");
  ASSERT_GE(at, 0);
  bytes.replace(at, 4, "Go d");
  TMyShape back(&cad);
  TMemoryStream in(bytes);
  EXPECT_THROW(back.LoadFromStream(in), EReadError);

  // Connectors made by code follow the rule too, without leaving anything behind.
  TMyShape* a = AddBox(cad, 0, 0, 10, 10);
  TMyShape* b = AddBox(cad, 100, 0, 110, 10);
  a->AddLinkPoint(TMyPoint{10, 5});
  b->AddLinkPoint(TMyPoint{100, 5});
  EXPECT_EQ(cad.CreateLink(QStringLiteral("no way"), a, 0, b, 0), -1);
  EXPECT_EQ(cad.GetShapesCount(), 2);
  EXPECT_GE(cad.CreateLink(QStringLiteral("Wire"), a, 0, b, 0), 0);
}

TEST_F(DrawByCode, DebugTextIsDrawnOnTheCanvasUntilTheNextRepaint) {
  TCanvas* c = cad.Canvas();
  ASSERT_NE(c, nullptr);
  const auto greyBox = [&](int& L, int& R) {
    L = 1 << 30;
    R = -1;
    for (int y = 30; y < 80; ++y)
      for (int x = 0; x < 400; ++x)
        if (c->Pixel(x, y) == TColor{0x808080}) {
          L = std::min(L, x);
          R = std::max(R, x);
        }
    return R >= 0;
  };
  int l = 0, r = 0;
  ASSERT_FALSE(greyBox(l, r));
  cad.DebugVar(20, 30, 12345);
  ASSERT_TRUE(greyBox(l, r));
  EXPECT_EQ(l, 20);
  EXPECT_EQ(r - l + 1, c->TextWidth(QStringLiteral("[12345]")));

  // The next repaint takes it away.
  cad.RepaintChanged();
  c = cad.Canvas();
  EXPECT_FALSE(greyBox(l, r));

  // Up to fifteen significant digits.
  cad.DebugVarf(20, 30, 1.0 / 3);
  ASSERT_TRUE(greyBox(l, r));
  EXPECT_EQ(r - l + 1, c->TextWidth(QStringLiteral("[0.333333333333333]")));
}

TEST_F(DrawByCode, ImageShapesTakeTheirBoxFromThePicture) {
  TBitmap picture(30, 20);
  const int32_t id = cad.AddImageShapeByCode(QStringLiteral("Photo"), TPoint{5, 5}, &picture);
  ASSERT_GE(id, 0);
  TMyShape* s = cad.GetShapeByID(id);
  EXPECT_EQ(s->ClassName(), QStringLiteral("TMyImage"));
  EXPECT_EQ(s->Points, (TArrMyPoint{{5, 5}, {35, 5}, {35, 25}, {5, 25}}));
  EXPECT_EQ(cad.CurrentShape(), nullptr);

  // A new picture lays the box out again from point 0; unknown ids and other kinds refuse.
  TBitmap tall(10, 40);
  EXPECT_TRUE(cad.SetMyImage(id, &tall));
  EXPECT_EQ(s->Points, (TArrMyPoint{{5, 5}, {15, 5}, {15, 45}, {5, 45}}));
  EXPECT_EQ(static_cast<TMyImage*>(s)->Bitmap().Width(), 10);
  EXPECT_FALSE(cad.SetMyImage(12345, &picture));
  const int32_t box = cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QString(), kBox);
  EXPECT_FALSE(cad.SetMyImage(box, &picture));
}
