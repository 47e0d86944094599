#include "recordbytes.h"
#include "../support.h"

#include <limits>
#include <memory>

using namespace cad;
using testing_support::Bytes;
using testing_support::DefaultStyleFields;

namespace {

// Ten-byte extended reals of the values the old records below use.
Bytes& ext(Bytes& b, double v) {
  if (v == 1.5) return b.raw({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});
  if (v == 10.0) return b.raw({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40});
  if (v == -2.5) return b.raw({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0});
  if (v == 0.5) return b.raw({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F});
  if (v == 20.0) return b.raw({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x03, 0x40});
  ADD_FAILURE() << "no extended bytes for " << v;
  return b;
}

// The font, pen, brush and text fields of the default shape of a new surface, from item 13 on.

std::unique_ptr<TMyShape> Load(TMyCAD& Cad, const QString& Class, const QByteArray& Data, const char* Version) {
  Cad.SetDiskFileVersion(QLatin1String(Version));
  std::unique_ptr<TMyShape> s(TMyCAD::CreateShapeByName(Class, &Cad));
  TMemoryStream m(Data);
  s->LoadFromStream(m);
  EXPECT_EQ(m.Position(), m.Size()) << "record not read to its end";
  return s;
}

QByteArray Saved(TMyShape& S) {
  TMemoryStream m;
  S.SaveToStream(m);
  return m.Data();
}

void ExpectSameStoredFields(TMyShape& a, TMyShape& b) {
  EXPECT_EQ(a.ClassName(), b.ClassName());
  EXPECT_EQ(a.Name(), b.Name());
  EXPECT_EQ(a.ShapeId, b.ShapeId);
  EXPECT_EQ(a.ShapeNo, b.ShapeNo);
  EXPECT_EQ(a.LayerId, b.LayerId);
  EXPECT_EQ(a.ParentNo, b.ParentNo);
  EXPECT_EQ(a.ChildShapes, b.ChildShapes);
  EXPECT_EQ(a.LinkShapes, b.LinkShapes);
  EXPECT_EQ(a.Points, b.Points);
  EXPECT_EQ(a.LinkPoints, b.LinkPoints);
  EXPECT_EQ(a.TextPoint, b.TextPoint);
  EXPECT_EQ(a.Tag(), b.Tag());
  EXPECT_EQ(a.Angle(), b.Angle());
  EXPECT_EQ(a.Brush()->Bitmap(), b.Brush()->Bitmap());
  EXPECT_EQ(a.Brush()->Color(), b.Brush()->Color());
  EXPECT_EQ(a.Brush()->Style(), b.Brush()->Style());
  EXPECT_EQ(a.Caption(), b.Caption());
  EXPECT_EQ(a.ColorBegin(), b.ColorBegin());
  EXPECT_EQ(a.ColorEnd(), b.ColorEnd());
  EXPECT_EQ(a.Font()->Name(), b.Font()->Name());
  EXPECT_EQ(a.Font()->Color(), b.Font()->Color());
  EXPECT_EQ(a.Font()->Size(), b.Font()->Size());
  EXPECT_EQ(a.Font()->Style(), b.Font()->Style());
  EXPECT_EQ(a.GradientStyle(), b.GradientStyle());
  EXPECT_EQ(a.GradientBitmap.Image(), b.GradientBitmap.Image());
  EXPECT_EQ(a.Info(), b.Info());
  EXPECT_EQ(a.Pen()->Color(), b.Pen()->Color());
  EXPECT_EQ(a.Pen()->Mode(), b.Pen()->Mode());
  EXPECT_EQ(a.Pen()->Style(), b.Pen()->Style());
  EXPECT_EQ(a.Pen()->Width(), b.Pen()->Width());
  EXPECT_EQ(a.UserData()->Records, b.UserData()->Records);
  EXPECT_EQ(a.IsFlipHorz(), b.IsFlipHorz());
  EXPECT_EQ(a.IsFlipVert(), b.IsFlipVert());
  EXPECT_EQ(a.Visible(), b.Visible());
  auto* la = dynamic_cast<TMyLine*>(&a);
  auto* lb = dynamic_cast<TMyLine*>(&b);
  ASSERT_EQ(la == nullptr, lb == nullptr);
  if (la) {
    EXPECT_EQ(la->ArrowAngle(), lb->ArrowAngle());
    EXPECT_EQ(la->ArrowLength(), lb->ArrowLength());
    EXPECT_EQ(la->ArrowOffset(), lb->ArrowOffset());
    EXPECT_EQ(la->ArrowStyle(), lb->ArrowStyle());
  }
}

// Gives every stored field a value other than its default.
void FillEveryField(TMyShape& s) {
  s.SetName(QStringLiteral("Shape12"));
  s.ShapeId = 12;
  s.ShapeNo = 3;
  s.LayerId = 2;
  s.ParentNo = 1;
  s.ChildShapes = {4, 5};
  s.LinkShapes = {6};
  s.SetAngle(0.25f);  // no points yet: stored as it is
  s.Points = {{1.5f, -2.25f}, {100, 50}, {-7, 3.125f}, {1.5f, -2.25f}};
  s.LinkPoints = {{10, 20}};
  s.TextPoint = MyPoint(33.5f, 44);
  s.SetTag(-99);
  TBitmap pattern(2, 2);
  pattern.SetPixel(1, 0, clRed);
  s.Brush()->SetBitmap(&pattern);
  s.Brush()->SetColor(clAqua);
  s.Brush()->SetStyle(TBrushStyle::bsDiagCross);
  s.SetCaption(QStringLiteral("caption \u00e4\u4e2d"));
  s.SetColorBegin(clRed);
  s.SetColorEnd(clBlue);
  s.Font()->SetName(QStringLiteral("Liberation Serif"));
  s.Font()->SetColor(clGreen);
  s.Font()->SetSize(15);
  s.Font()->SetStyle(fsBold | fsStrikeOut);
  s.SetGradientStyle(TGradientStyle::gsDiamond);
  s.SetInfo(QString(600, QLatin1Char('i')));  // longer than one length byte can say
  s.Pen()->SetColor(clPurple);
  s.Pen()->SetMode(TPenMode::pmXor);
  s.Pen()->SetStyle(TPenStyle::psDashDot);
  s.Pen()->SetWidth(5);
  s.UserData()->AddKeyandValue(QStringLiteral("part"), QStringLiteral("A-17"));
  s.UserData()->AddKeyandValue(QString(), QString(256, QLatin1Char('v')));
  s.SetIsFlipHorz(true);
  s.SetVisible(false);
  s.SetLocked(true);
  s.SetCaptionShow(false);
  if (auto* l = dynamic_cast<TMyLine*>(&s)) {
    l->SetArrowAngle(-30);
    l->SetArrowLength(200);
    l->SetArrowOffset(7);
    l->SetArrowStyle(TArrowStyle::ALeft);
  }
}

}  // namespace

TEST(ShapeRecord, BareShapeIsWrittenAsTheTableSays) {
  TMyCAD cad;
  TMyShape s(&cad);
  Bytes expected;
  expected.str("").i32(0).i32(0).i32(0).i32(-1)  // name, id, number, layer, parent
      .i32(0).i32(0).i32(0).i32(0)                // children, links, points, link points
      .f32(0).f32(0).i32(0).f32(0);               // text point, tag, angle
  DefaultStyleFields(expected);
  EXPECT_EQ(Saved(s), expected.Data);
}

TEST(ShapeRecord, LineRecordAppendsTheArrowFields) {
  TMyCAD cad;
  TMyLine l(&cad);
  l.SetName(QStringLiteral("Shape7"));
  l.ShapeId = 7;
  l.ShapeNo = 2;
  l.LayerId = 1;
  l.Points = {{0, 0}, {100, 50}};
  l.TextPoint = MyPoint(50, 60);
  l.SetArrowAngle(30);
  l.SetArrowLength(10);
  l.SetArrowOffset(2);
  l.SetArrowStyle(TArrowStyle::ADouble);
  Bytes expected;
  expected.str("Shape7").i32(7).i32(2).i32(1).i32(-1)
      .i32(0).i32(0)
      .i32(2).f32(0).f32(0).f32(100).f32(50)
      .i32(0)
      .f32(50).f32(60).i32(0).f32(0);
  DefaultStyleFields(expected, "Shape7");  // the caption took the name when it was set
  expected.i32(30).u8(10).u8(2).u8(3);
  EXPECT_EQ(Saved(l), expected.Data);
}

TEST(ShapeRecord, EveryStoredFieldRoundTrips) {
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  for (const char* cls : {"TMyRectangle", "TMyLine", "TMyPolyLine", "TMyPolygon"}) {
    SCOPED_TRACE(cls);
    std::unique_ptr<TMyShape> a(TMyCAD::CreateShapeByName(QLatin1String(cls), &cad));
    ASSERT_NE(a, nullptr);
    FillEveryField(*a);
    const QByteArray data = Saved(*a);
    std::unique_ptr<TMyShape> b = Load(cad, QLatin1String(cls), data, "ZK.a");
    ExpectSameStoredFields(*a, *b);
    // Not part of the record: a loaded shape has them at their defaults.
    EXPECT_FALSE(b->Locked());
    EXPECT_TRUE(b->CaptionShow());
    // Writing the loaded shape gives the same bytes.
    EXPECT_EQ(Saved(*b), data);
  }
}

TEST(ShapeRecord, OlderGenerationsReadAsTheirLayout) {
  TMyCAD cad;
  // Fields 1 to 7, the same in every generation.
  auto head = [] { return Bytes().str("Old").i32(4).i32(1).i32(2).i32(-1).i32(1).i32(5).i32(0); };
  // Fields 13 to 26.
  auto style = [](Bytes& b) {
    b.i64(0).i32(0x0000FF).u8(1).str("cap").i32(0x00FF00).i32(0x0000FF).str("Arial").u8(0).i32(0x800000)
        .i32(-13).i32(10).u8(2).i32(96).u8(1);
  };
  // Fields 28 to 33 with optional extra bytes after the gradient style.
  auto tail = [](Bytes& b, bool extra) {
    b.u8(9);
    if (extra) b.raw({0xEE, 0xEE});
    b.str("info").i32(0x123456).u8(15).u8(2).i32(3);
  };
  auto checkCommon = [](TMyShape& s) {
    EXPECT_EQ(s.Name(), "Old");
    EXPECT_EQ(s.ShapeId, 4);
    EXPECT_EQ(s.ChildShapes, TMyShapeNo{5});
    EXPECT_EQ(s.Brush()->Color(), clRed);
    EXPECT_EQ(s.Brush()->Style(), TBrushStyle::bsClear);
    EXPECT_EQ(s.Caption(), "cap");
    EXPECT_EQ(s.ColorBegin(), clLime);
    EXPECT_EQ(s.Font()->Name(), "Arial");
    EXPECT_EQ(s.Font()->Size(), 10);
    EXPECT_EQ(s.Font()->Color(), clNavy);
    EXPECT_EQ(s.Font()->Style(), fsBold);
    EXPECT_EQ(s.GradientStyle(), TGradientStyle::gsLinearH);
    EXPECT_EQ(s.GradientBitmap.Width(), 1);  // rebuilt on reading
    EXPECT_EQ(s.Info(), "info");
    EXPECT_EQ(s.Pen()->Mode(), TPenMode::pmNotXor);
    EXPECT_EQ(s.Pen()->Style(), TPenStyle::psDot);
    EXPECT_EQ(s.Pen()->Width(), 3);
  };

  {  // ZK.2: counts without coordinates, extended text point, no tag and angle.
    SCOPED_TRACE("ZK.2");
    Bytes b = head();
    b.i32(2).i32(1);
    ext(ext(b, 1.5), 10.0);
    style(b);
    b.i32(0).i32(0);
    tail(b, true);
    auto s = Load(cad, "TMyRectangle", b.Data, "ZK.2");
    checkCommon(*s);
    EXPECT_EQ(s->Points, (TArrMyPoint{{0, 0}, {0, 0}}));
    EXPECT_EQ(s->LinkPoints, (TArrMyPoint{{0, 0}}));
    EXPECT_EQ(s->TextPoint, MyPoint(1.5f, 10));
    EXPECT_EQ(s->Tag(), 0);
  }
  {  // ZK.5: every coordinate and the angle as extended reals, the two extra bytes.
    SCOPED_TRACE("ZK.5");
    Bytes b = head();
    b.i32(1);
    ext(ext(b, 10.0), -2.5);
    b.i32(0);
    ext(ext(b, 0.5), 20.0);
    b.i32(9);
    ext(b, 1.5);
    style(b);
    b.i32(0).i32(0);
    tail(b, true);
    auto s = Load(cad, "TMyRectangle", b.Data, "ZK.5");
    checkCommon(*s);
    EXPECT_EQ(s->Points, TArrMyPoint{MyPoint(10, -2.5f)});
    EXPECT_EQ(s->TextPoint, MyPoint(0.5f, 20));
    EXPECT_EQ(s->Tag(), 9);
    EXPECT_EQ(s->Angle(), 1.5f);
  }
  // ZK.7 to ZK.9: singles; ZK.7 lacks the reserved pair, ZK.8 adds user data, ZK.9 the flags.
  for (const char* v : {"ZK.7", "ZK.8", "ZK.9"}) {
    SCOPED_TRACE(v);
    const QString ver = QLatin1String(v);
    Bytes b = head();
    b.i32(1).f32(10).f32(-2.5f).i32(0).f32(0.5f).f32(20).i32(9).f32(1.5f);
    style(b);
    if (ver != "ZK.7") b.i32(0).i32(0);
    tail(b, false);
    if (ver != "ZK.7") b.i32(2).str("k").str("v").str("k").str("w");
    if (ver == "ZK.9") b.u8(1).u8(0).u8(0);
    b.i32(45).u8(12).u8(0).u8(1);  // a line's arrow fields follow
    auto s = Load(cad, "TMyLine", b.Data, v);
    checkCommon(*s);
    EXPECT_EQ(s->Points, TArrMyPoint{MyPoint(10, -2.5f)});
    EXPECT_EQ(s->Angle(), 1.5f);
    const TArrUserDataRecord expectedData = ver == "ZK.7" ? TArrUserDataRecord{} : TArrUserDataRecord{{"k", "v"}};
    EXPECT_EQ(s->UserData()->Records, expectedData);
    EXPECT_EQ(s->IsFlipHorz(), ver == "ZK.9");
    EXPECT_TRUE(s->Visible() == (ver != "ZK.9"));
    auto* l = static_cast<TMyLine*>(s.get());
    EXPECT_EQ(l->ArrowAngle(), 45);
    EXPECT_EQ(l->ArrowLength(), 12);
    EXPECT_EQ(l->ArrowStyle(), TArrowStyle::ALeft);
  }
}

TEST(ShapeRecord, ExtremeFontSizesRoundTrip) {
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  for (int32_t size : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), 0}) {
    TMyShape a(&cad);
    a.Font()->SetSize(size);
    auto b = Load(cad, "TMyRectangle", Saved(a), "ZK.a");
    EXPECT_EQ(b->Font()->Size(), size);
  }
}

TEST(ShapeRecord, UnknownEnumerationBytesReadAsDefaults) {
  // Style bytes past the last enumerator (damaged or foreign data) load as the defaults, so
  // nothing later meets a value its enumeration does not have; the record still loads whole.
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  TMyLine l(&cad);
  TMemoryStream m;
  l.SaveToStream(m);
  QByteArray bytes = m.Data();
  // Offsets from the font name: the brush style comes before the empty caption and the two
  // gradient colours; the gradient style after the font's 27 further bytes; the pen style
  // after the empty info, the pen colour and mode; the arrow style is the last byte.
  const qsizetype font = bytes.indexOf("DejaVu Sans");
  const qsizetype brushStyle = font - 4 - 4 - 4 - 4 - 1, gradient = font + 11 + 27;
  ASSERT_EQ(bytes[brushStyle], 0);
  ASSERT_EQ(bytes[gradient], 23);
  bytes[brushStyle] = static_cast<char>(200);
  bytes[gradient] = 77;
  bytes[gradient + 1 + 4 + 4 + 1] = 99;  // pen style, after the empty info, pen colour and mode
  bytes[bytes.size() - 1] = 9;           // arrow style
  TMyLine back(&cad);
  TMemoryStream in(bytes);
  back.LoadFromStream(in);
  EXPECT_EQ(in.Remaining(), 0);
  EXPECT_EQ(back.Brush()->Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(back.GradientStyle(), TGradientStyle::gsNone);
  EXPECT_EQ(back.Pen()->Style(), TPenStyle::psSolid);
  EXPECT_EQ(back.ArrowStyle(), TArrowStyle::ANone);
  // Known values still load as they are.
  bytes[brushStyle] = static_cast<char>(TBrushStyle::bsCross);
  bytes[bytes.size() - 1] = static_cast<char>(TArrowStyle::ADouble);
  TMyLine known(&cad);
  TMemoryStream in2(bytes);
  known.LoadFromStream(in2);
  EXPECT_EQ(known.Brush()->Style(), TBrushStyle::bsCross);
  EXPECT_EQ(known.ArrowStyle(), TArrowStyle::ADouble);
}

TEST(ShapeRecord, BrushPicturesThatLieAreSkipped) {
  // A brush blob whose BMP header claims 5,700 x 5,700 pixels in 240 bytes: the record loads,
  // the brush has no picture.
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  TMyShape s(&cad);
  TMemoryStream m;
  s.SaveToStream(m);
  const QByteArray liar = Bytes()
                              .chars("BM").i32(240).i32(0).i32(54)
                              .i32(40).i32(5700).i32(5700).raw({1, 0, 24, 0}).i32(0).i32(0)
                              .i32(0).i32(0).i32(0).i32(0)
                              .zeros(240 - 54)
                              .Data;
  QByteArray bytes = m.Data();
  const qsizetype blob = bytes.indexOf("DejaVu Sans") - 4 - 4 - 4 - 4 - 1 - 4 - 8;  // see above
  ASSERT_EQ(bytes.mid(blob, 8), QByteArray(8, '\0'));
  bytes.replace(blob, 8, Bytes().i64(liar.size()).Data + liar);
  TMyShape back(&cad);
  TMemoryStream in(bytes);
  back.LoadFromStream(in);
  EXPECT_EQ(in.Remaining(), 0);
  EXPECT_TRUE(back.Brush()->Bitmap().isNull());
}

TEST(ShapeRecord, DamagedRecordsFailCleanly) {
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  TMyPolygon p(&cad);
  FillEveryField(p);
  const QByteArray full = Saved(p);
  // Every truncation raises the read error; none reads past the end.
  for (qsizetype n = 0; n < full.size(); n += (n < 64 ? 1 : 37)) {
    TMyPolygon q(&cad);
    TMemoryStream m(full.left(n));
    EXPECT_THROW(q.LoadFromStream(m), EReadError) << n;
  }
  // Counts beyond what the stream holds are refused before anything is allocated for them.
  const QByteArray prefix = Bytes().str("").i32(0).i32(0).i32(0).i32(-1).Data;
  for (const QByteArray& tail : {Bytes().i32(0x7FFFFFFF).Data, Bytes().i32(-2).Data,
                                 Bytes().i32(0).i32(0).i32(0x10000000).f32(1).f32(2).Data}) {
    TMyShape s(&cad);
    TMemoryStream m(prefix + tail + QByteArray(64, '\0'));
    EXPECT_THROW(s.LoadFromStream(m), EReadError);
  }
  // ZK.2 point counts carry no bytes at all, so they are bounded outright.
  cad.SetDiskFileVersion(QStringLiteral("ZK.2"));
  TMyShape s(&cad);
  TMemoryStream m(prefix + Bytes().i32(0).i32(0).i32(0x7FFFFFFF).Data + QByteArray(200, '\0'));
  EXPECT_THROW(s.LoadFromStream(m), EReadError);
  // A brush blob claiming 2^62 bytes.
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  TMyShape t(&cad);
  TMemoryStream huge(prefix + Bytes().i32(0).i32(0).i32(0).i32(0).f32(0).f32(0).i32(0).f32(0).i64(int64_t{1} << 62).Data +
                     QByteArray(100, '\0'));
  EXPECT_THROW(t.LoadFromStream(huge), EReadError);
}

TEST(ShapeRecord, ClaimsWithoutBytesShareOneAllowancePerStream) {
  TMyCAD cad;
  // ZK.2 point counts carry no bytes: all the records of a stream together may claim one point
  // per byte of the stream, and at least 65536.
  struct Case {
    std::vector<int32_t> Claims;
    int Padding;  // bytes after the records, which make the stream's allowance larger
    int Loaded;
  };
  for (const Case& c : {Case{{40000, 25536}, 0, 2}, Case{{40000, 25537}, 0, 1}, Case{{65536, 65536, 65536, 65536}, 200000, 3}}) {
    cad.SetDiskFileVersion(QStringLiteral("ZK.2"));
    QByteArray data;
    for (int32_t n : c.Claims) data += testing_support::Zk2Record(n, 0);
    TMemoryStream m(data + QByteArray(c.Padding, '\0'));
    int loaded = 0;
    for (int pass = 0; pass < 2; ++pass) {  // a second reading from the start gets the allowance anew
      m.SetPosition(0);
      loaded = 0;
      try {
        for (int32_t n : c.Claims) {
          TMyShape s(&cad);
          s.LoadFromStream(m);
          EXPECT_EQ(s.Points.size(), static_cast<size_t>(n));
          ++loaded;
        }
      } catch (const EReadError&) {
      }
      EXPECT_EQ(loaded, c.Loaded) << c.Claims.size() << " records, pass " << pass;
    }
  }

  // Pixels made from a few bytes, a brush pattern's or a gradient's, draw on the stream's pixel
  // allowance, and are not made beyond it (the record loads on); shapes with a gradient that is
  // already made share it and take nothing.
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  TMyShape patterned(&cad);
  TBitmap pattern(10, 10);
  patterned.Brush()->SetBitmap(&pattern);
  TMyShape graded(&cad);
  graded.SetColorBegin(RGB(1, 2, 3));
  graded.SetColorEnd(RGB(4, 5, 6));
  graded.SetGradientStyle(TGradientStyle::gsLinearV);  // 256 x 1
  const QByteArray patternRecord = Saved(patterned), gradientRecord = Saved(graded);
  struct PixelCase {
    const QByteArray* Record;
    int64_t Left;  // pixels the stream still allows when the record is read
    bool Fresh;    // other gradients were made since, so that this one is made anew
    bool Picture;  // the record's picture is made
  };
  for (const PixelCase& c : {PixelCase{&patternRecord, 99, true, false}, PixelCase{&patternRecord, 100, true, true},
                             PixelCase{&gradientRecord, 255, true, false}, PixelCase{&gradientRecord, 256, true, true},
                             PixelCase{&gradientRecord, 0, false, true}}) {
    if (c.Fresh) {
      TMyShape other(&cad);
      other.SetGradientStyle(TGradientStyle::gsLinearV);
      for (int i = 0; i < 8; ++i) other.SetColorEnd(RGB(200, 0, i));
    }
    TMemoryStream m(*c.Record);
    m.Claim(TStream::TClaim::Pixels, m.ClaimLeft(TStream::TClaim::Pixels) - c.Left);
    TMyShape s(&cad);
    ASSERT_NO_THROW(s.LoadFromStream(m)) << c.Left;
    const bool picture = c.Record == &patternRecord ? !s.Brush()->Bitmap().isNull() : s.GradientBitmap.Width() == 256;
    EXPECT_EQ(picture, c.Picture) << c.Left;
    if (c.Picture && c.Left > 0) {
      EXPECT_EQ(m.ClaimLeft(TStream::TClaim::Pixels), 0) << c.Left;
    }
  }
}
