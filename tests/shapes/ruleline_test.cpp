#include "../support.h"

#include <memory>

using namespace cad;

namespace {

std::unique_ptr<TMyRuleLine> Make(TMyCAD& Cad, std::initializer_list<TMyPoint> Pts) {
  auto s = testing_support::Make<TMyRuleLine>(Cad, Pts);
  s->CenterPoint = s->ComputeCenterPoint();
  return s;
}

// The shape drawn on white; counts black-ish pixels in a column or a row band.
struct Render : testing_support::TRendered {
  using TRendered::TRendered;
  bool Dark(int X, int Y) const { return Image.Pixel(X, Y) != clWhite; }
  // Rows in [Y0, Y1) that hold a painted pixel between columns X0 and X1.
  int DarkRows(int X0, int X1, int Y0, int Y1) const {
    int n = 0;
    for (int y = Y0; y < Y1; ++y)
      for (int x = X0; x < X1; ++x)
        if (Dark(x, y)) {
          ++n;
          break;
        }
    return n;
  }
};

}  // namespace

TEST(RuleLine, LabelValueInEachUnitAndZoom) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetUnit(TUnits::inch);
  auto s = Make(cad, {{0, 100}, {96, 100}});
  EXPECT_EQ(s->LabelText(), QStringLiteral("     1.00 in"));
  cad.SetUnit(TUnits::mm);
  EXPECT_EQ(s->LabelText(), QStringLiteral("    25.40 mm"));  // 25.4 mm to the inch
  cad.SetUnit(TUnits::pixel);
  EXPECT_EQ(s->LabelText(), QStringLiteral("    96.00 pixel(s)"));
  // At zoom 2 the line is 192 device pixels long but still measures one inch.
  cad.SetZoom(2);
  cad.SetUnit(TUnits::mm);
  EXPECT_EQ(s->LabelText(), QStringLiteral("    25.40 mm"));
  // A slanted line measures its length, not its run.
  cad.SetZoom(1);
  cad.SetUnit(TUnits::pixel);
  auto t = Make(cad, {{10, 10}, {40, 50}});
  EXPECT_EQ(t->LabelText(), QStringLiteral("    50.00 pixel(s)"));

  // Drawing stores the length as Info; a user text replaces the label and leaves Info alone.
  Render r(*t);
  EXPECT_EQ(t->Info(), QStringLiteral("    50.00 pixel(s)"));
  t->SetInfo(QStringLiteral("before"));
  t->SetUserInfo(QStringLiteral("A"));
  t->SetShowUserInfo(true);
  EXPECT_EQ(t->LabelText(), QStringLiteral("A"));
  Render r2(*t);
  EXPECT_EQ(t->Info(), QStringLiteral("before"));
}

TEST(RuleLine, TicksLabelAndAngle) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetUnit(TUnits::inch);
  for (bool reversed : {false, true}) {
    auto s = reversed ? Make(cad, {{150, 100}, {54, 100}}) : Make(cad, {{54, 100}, {150, 100}});
    s->SetArrowStyle(TArrowStyle::ANone);
    Render r(*s);
    // A 21-pixel tick across each end, 10 pixels to each side, and nothing beyond it.
    for (int x : {54, 150}) {
      EXPECT_TRUE(r.Dark(x, 90) && r.Dark(x, 110)) << reversed << " " << x;
      EXPECT_FALSE(r.Dark(x, 88) || r.Dark(x, 112)) << reversed << " " << x;
    }
    // The label stands above the line, the gap of 3 pixels next to it is clear, nothing below.
    EXPECT_GT(r.DarkRows(60, 145, 70, 97), 4) << reversed;
    EXPECT_EQ(r.DarkRows(60, 145, 98, 100), 0) << reversed;
    EXPECT_EQ(r.DarkRows(60, 145, 101, 125), 0) << reversed;
    // The stored angle is the line's direction: 0 left to right, pi right to left.
    EXPECT_NEAR(s->Angle(), reversed ? PiL : 0, 1e-5) << reversed;
  }

  // Without ticks only the line and the label remain.
  auto s = Make(cad, {{54, 100}, {150, 100}});
  s->SetArrowStyle(TArrowStyle::ANone);
  s->SetTickStyle(TTickStyle::tsNone);
  Render r(*s);
  EXPECT_TRUE(r.Dark(54, 100));
  EXPECT_FALSE(r.Dark(54, 90) || r.Dark(150, 110));

  // A vertical line: the ticks are horizontal and the label stands on its left.
  for (bool up : {false, true}) {
    auto v = up ? Make(cad, {{100, 150}, {100, 54}}) : Make(cad, {{100, 54}, {100, 150}});
    v->SetArrowStyle(TArrowStyle::ANone);
    Render rv(*v);
    EXPECT_TRUE(rv.Dark(90, 54) && rv.Dark(110, 150)) << up;
    EXPECT_NEAR(v->Angle(), 3 * PiL / 2, 1e-5) << up;
    int left = 0, right = 0;
    for (int y = 70; y < 135; ++y)
      for (int x = 70; x < 97; ++x) left += rv.Dark(x, y);
    for (int y = 70; y < 135; ++y)
      for (int x = 103; x < 130; ++x) right += rv.Dark(x, y);
    EXPECT_GT(left, 10) << up;
    EXPECT_EQ(right, 0) << up;
  }
}

TEST(RuleLine, DefaultsHitTestAndReach) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto s = Make(cad, {{10, 10}, {110, 10}});
  EXPECT_EQ(s->ArrowStyle(), TArrowStyle::ADouble);
  EXPECT_EQ(s->ArrowLength(), 20);
  EXPECT_EQ(s->ArrowAngle(), 10);
  EXPECT_EQ(s->Font()->Size(), 8);
  EXPECT_EQ(s->TickStyle(), TTickStyle::tsLine);
  EXPECT_FALSE(s->ShowUserInfo());
  // The line's band and hot points.
  EXPECT_TRUE(s->IsClickedMe(nullptr, Point(60, 17)));
  EXPECT_FALSE(s->IsClickedMe(nullptr, Point(60, 30)));
  EXPECT_EQ(s->InWhichHot(Point(110, 11)), 1);
  // Ticks and label reach past the arrow heads' box.
  const TShapeReach r = s->GetReach();
  EXPECT_GE(r.Margin, 12);
}

TEST(RuleLine, AssignAndRecord) {
  TMyCAD cad;
  auto s = Make(cad, {{1, 2}, {30, 40}});
  s->SetUserInfo(QStringLiteral("Span"));
  s->SetShowUserInfo(true);
  s->SetTickStyle(TTickStyle::tsNone);
  TMyRuleLine copy(&cad);
  copy.Assign(s.get());
  EXPECT_EQ(copy.UserInfo(), QStringLiteral("Span"));
  EXPECT_TRUE(copy.ShowUserInfo());
  EXPECT_EQ(copy.TickStyle(), TTickStyle::tsNone);

  // The record is the line's, then the three own fields.
  for (const char* version : {"ZK.a"}) {
    cad.SetDiskFileVersion(QLatin1String(version));
    TMyLine line(&cad);
    line.Assign(s.get());
    TMemoryStream lm;
    line.SaveToStream(lm);
    QByteArray expected = lm.Data();
    expected.append(QByteArray("\x01\x01\x04\x00\x00\x00Span", 10));
    TMemoryStream rm;
    s->SaveToStream(rm);
    EXPECT_EQ(rm.Data(), expected) << version;

    TMemoryStream in(expected);
    TMyRuleLine back(&cad);
    back.LoadFromStream(in);
    EXPECT_EQ(in.Position(), in.Size()) << version;
    EXPECT_EQ(back.Points, s->Points);
    EXPECT_EQ(back.UserInfo(), QStringLiteral("Span"));
    EXPECT_TRUE(back.ShowUserInfo());
    EXPECT_EQ(back.TickStyle(), TTickStyle::tsNone);
  }
  // An unknown tick style reads as ticks.
  TMyLine line(&cad);
  TMemoryStream lm;
  line.SaveToStream(lm);
  QByteArray bytes = lm.Data();
  bytes.append(QByteArray("\x00\x07\x00\x00\x00\x00", 6));
  TMemoryStream in(bytes);
  TMyRuleLine back(&cad);
  back.LoadFromStream(in);
  EXPECT_EQ(back.TickStyle(), TTickStyle::tsLine);
  EXPECT_FALSE(back.ShowUserInfo());
}

TEST(RuleLine, DrawnWithTheMouseAndByCode) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetSnap(false);
  std::unique_ptr<TMyShape> byName(TMyCAD::CreateShapeByName(QStringLiteral("TMyRuleLine"), &cad));
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(byName->ClassName(), QStringLiteral("TMyRuleLine"));

  cad.SetShapeTool(TDrawTool::SpRuleLine);
  cad.MouseDown(TMouseButton::mbLeft, 0, 20, 30);
  cad.MouseUp(TMouseButton::mbLeft, 0, 20, 30);
  cad.MouseMove(0, 80, 30);
  cad.MouseMove(0, 120, 30);
  cad.MouseDown(TMouseButton::mbLeft, 0, 120, 30);
  cad.MouseUp(TMouseButton::mbLeft, 0, 120, 30);
  ASSERT_EQ(cad.GetShapesCount(), 1);
  TMyShape* s = cad.GetShapeByNo(0);
  EXPECT_EQ(s->ClassName(), QStringLiteral("TMyRuleLine"));
  EXPECT_EQ(s->Points, (TArrMyPoint{{20, 30}, {120, 30}}));

  const int32_t id = cad.AddShapeByCode(&cad, TDrawTool::SpRuleLine, QStringLiteral("RuleLineShape"),
                                        TArrMyPoint{{131, 41}, {140, 150}});
  ASSERT_GE(id, 0);
  EXPECT_EQ(cad.GetShapeByID(id)->ClassName(), QStringLiteral("TMyRuleLine"));
  EXPECT_EQ(cad.GetShapeByID(id)->Points, (TArrMyPoint{{131, 41}, {140, 150}}));
}
