#include "../support.h"

#include <QFontMetrics>
#include <memory>

using namespace cad;

namespace {

template <typename T>
std::unique_ptr<T> MakeBox(TMyCAD& Cad, float L, float T0, float R, float B) {
  auto s = std::make_unique<T>(&Cad);
  s->Points = {{L, T0}, {R, T0}, {R, B}, {L, B}};
  s->CenterPoint = s->ComputeCenterPoint();
  return s;
}

// The wrapping rule measured one character longer at a time, as a reference.
QStringList NaiveWrap(const QStringList& Lines, int Width, const QFontMetrics& Fm) {
  QStringList out;
  for (const QString& line : Lines) {
    if (Fm.horizontalAdvance(line) <= Width) {
      out << line;
      continue;
    }
    QString s = line;
    for (int k = 1; k <= s.size(); ++k) {
      if (Fm.horizontalAdvance(s.left(k)) > Width) {
        const int take = std::max(1, k - 1);
        out << s.left(take);
        s.remove(0, take);
        k = 0;
      }
    }
    if (!s.isEmpty()) out << s;
  }
  return out;
}

// The shape drawn on white.
struct Render : testing_support::TRendered {
  using TRendered::TRendered;
};

QByteArray Saved(TMyShape& S) {
  TMemoryStream m;
  S.SaveToStream(m);
  return m.Data();
}

template <typename T>
std::unique_ptr<T> Loaded(TMyCAD& Cad, const QByteArray& Data, const char* Version) {
  Cad.SetDiskFileVersion(QLatin1String(Version));
  auto s = std::make_unique<T>(&Cad);
  TMemoryStream m(Data);
  s->LoadFromStream(m);
  EXPECT_EQ(m.Position(), m.Size()) << Version;
  return s;
}

// The common record of a default shape as an older generation has it. The newest layout ends
// with the user-data count and three flag bytes: "ZK.9" has the same layout, "ZK.8" lacks the
// flags and "ZK.6" the user data as well.
QByteArray CommonRecord(TMyCAD& Cad, const char* Version) {
  Cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  TMyRectangle plain(&Cad);
  plain.Points = {{1, 2}, {3, 2}, {3, 4}, {1, 4}};
  QByteArray b = Saved(plain);
  const QByteArray v(Version);
  if (v == "ZK.8") b.chop(3);
  if (v == "ZK.6") b.chop(7);
  return b;
}

}  // namespace

TEST(TextShape, WrapKeepsTheBreaksOfTheOneCharacterRuleAndEnds) {
  TFont font;
  const QFontMetrics& fm = MetricsOf(font);
  const QString line = QStringLiteral("The quick brown fox jumps over the lazy dog, twice over and once more");
  ASSERT_GT(fm.horizontalAdvance(line), 250);
  // Runs of narrow and wide letters make each piece much longer or shorter than the one before,
  // which the search for the next cut starts from.
  QString mixed;
  for (int run = 1; run <= 12; ++run) mixed += QString(run * 3, QLatin1Char(run % 2 ? 'i' : 'W'));
  const QStringList lines{line, QStringLiteral("short"), QString(), mixed};
  for (int width : {100, 37, 1, 0, -5}) {
    SCOPED_TRACE(width);
    const QStringList wrapped = TMyText::WrapLines(lines, width, fm);
    EXPECT_EQ(wrapped, NaiveWrap(lines, width, fm));
    if (width >= 37) {
      for (const QString& piece : wrapped) EXPECT_LE(fm.horizontalAdvance(piece), width) << piece.toStdString();
    }
  }
  // No character is lost, and a box narrower than any character gives one per line without
  // splitting the surrogate pair.
  const QStringList narrow = TMyText::WrapLines({QStringLiteral("x\U0001F600yz")}, 0, fm);
  EXPECT_EQ(narrow, (QStringList{"x", QStringLiteral("\U0001F600"), "y", "z"}));
  EXPECT_EQ(TMyText::WrapLines({line}, 100, fm).join(QString()), line);
}

TEST(TextShape, AlignmentPlacesEachLineInTheBox) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto t = MakeBox<TMyText>(cad, 10, 20, 210, 80);  // 200 x 60
  t->SetLines({"a", "bb", "ccc"});
  const QFontMetrics& fm = MetricsOf(*t->Font());
  const double h = fm.height();
  const double w2 = fm.horizontalAdvance(QStringLiteral("bb"));

  t->SetVAlignment(TVAlignment::vaBottom);
  t->SetHAlignment(TAlignment::taRightJustify);
  auto laid = t->LaidOutLines();
  ASSERT_EQ(laid.size(), 3u);
  EXPECT_DOUBLE_EQ(laid[2].DY, 60 - h);
  EXPECT_DOUBLE_EQ(laid[0].DY, 60 - 3 * h);
  EXPECT_DOUBLE_EQ(laid[1].DX, 200 - w2);

  t->SetVAlignment(TVAlignment::vaTop);
  t->SetHAlignment(TAlignment::taLeftJustify);
  laid = t->LaidOutLines();
  EXPECT_DOUBLE_EQ(laid[1].DY, h);
  EXPECT_DOUBLE_EQ(laid[1].DX, 0);

  t->SetVAlignment(TVAlignment::vaMiddle);
  t->SetHAlignment(TAlignment::taCenter);
  laid = t->LaidOutLines();
  EXPECT_DOUBLE_EQ(laid[0].DY, (60 - 3 * h) / 2);
  EXPECT_DOUBLE_EQ(laid[1].DX, (200 - w2) / 2);

  // Painted: left-justified text hugs the left side, right-justified the right side.
  t->SetLines({"MMMM"});
  t->SetHAlignment(TAlignment::taLeftJustify);
  const QRect left = Render(*t, 240, 120).Ink();
  t->SetHAlignment(TAlignment::taRightJustify);
  const QRect right = Render(*t, 240, 120).Ink();
  ASSERT_FALSE(left.isEmpty());
  EXPECT_LE(left.left(), 14);
  EXPECT_GE(right.right(), 204);
  EXPECT_LE(right.right(), 211);
  // Without lines, the Info text shows centred.
  t->SetLines({});
  t->SetInfo(QStringLiteral("Hello"));
  const QRect info = Render(*t, 240, 120).Ink();
  ASSERT_FALSE(info.isEmpty());
  EXPECT_NEAR(info.center().x(), 110, 3);
  EXPECT_NEAR(info.center().y(), 50, 4);
}

TEST(TextShape, LayoutFollowsTextFontBoxAndZoom) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto t = MakeBox<TMyText>(cad, 0, 0, 100, 100);
  const QString longLine = QStringLiteral("wrap this line of text into several pieces please");
  t->SetLines({longLine});
  auto fresh = [&] {
    // What a shape with the same settings and no history lays out.
    auto u = MakeBox<TMyText>(cad, 0, 0, 100, 100);
    u->Points = t->Points;
    u->Font()->Assign(*t->Font());
    u->SetLines(t->Lines());
    u->SetWordWrap(t->WordWrap());
    std::vector<QString> texts;
    for (const auto& l : u->LaidOutLines()) texts.push_back(l.Text);
    return texts;
  };
  auto texts = [&] {
    std::vector<QString> v;
    for (const auto& l : t->LaidOutLines()) v.push_back(l.Text);
    return v;
  };
  const auto before = texts();
  EXPECT_GT(before.size(), 1u);
  t->SetLines({longLine + longLine});
  EXPECT_EQ(texts(), fresh());
  t->Font()->SetSize(20);
  EXPECT_EQ(texts(), fresh());
  t->Points = {{0, 0}, {300, 0}, {300, 100}, {0, 100}};
  EXPECT_EQ(texts(), fresh());
  t->SetWordWrap(false);
  EXPECT_EQ(texts().size(), 1u);
  t->SetWordWrap(true);
  const size_t atOne = texts().size();
  cad.SetZoom(4);  // the box is four times as wide, the font is not
  EXPECT_LT(texts().size(), atOne);
}

TEST(TextShape, FlipsKeepTheCornerOrder) {
  TMyCAD cad;
  auto t = MakeBox<TMyText>(cad, 0, 0, 40, 20);
  t->FlipVert();
  EXPECT_EQ(t->Points, (TArrMyPoint{{0, 0}, {40, 0}, {40, 20}, {0, 20}}));
  EXPECT_EQ(t->Angle(), 0);
  t->FlipHoriz();
  EXPECT_EQ(t->Points, (TArrMyPoint{{0, 0}, {40, 0}, {40, 20}, {0, 20}}));
  EXPECT_EQ(t->Angle(), 0);
  // A turned box comes back turned the other way (modulo a full turn).
  auto r = MakeBox<TMyText>(cad, 0, 0, 40, 20);
  r->SetAngle(0.5f);
  r->FlipHoriz();
  EXPECT_NEAR(std::remainder(r->Angle() + 0.5, 2 * M_PI), 0, 1e-5);
}

TEST(TextShape, ReachCoversWrappedLinesAtEveryZoom) {
  // A box narrower on the screen than a line is tall wraps its text into a column that leaves
  // the box far behind; whatever it paints must lie within its reach measured at that zoom (the
  // box at the zoom, widened by the margin in pixels).
  struct Case {
    double Zoom;
    TVAlignment Align;
    float Angle;
  };
  for (const Case& c : {Case{0.25, TVAlignment::vaTop, 0}, Case{1, TVAlignment::vaBottom, 0},
                        Case{4, TVAlignment::vaMiddle, 0}, Case{1, TVAlignment::vaTop, static_cast<float>(M_PI / 2)}}) {
    SCOPED_TRACE(testing::Message() << "zoom " << c.Zoom << ", alignment " << static_cast<int>(c.Align) << ", angle " << c.Angle);
    TMyCAD cad;
    cad.SetZoom(c.Zoom);
    // 2 x 20 units with its top-left corner at device (600, 600), in the middle of the picture.
    const float x = static_cast<float>(600 / c.Zoom), y = static_cast<float>(600 / c.Zoom);
    auto t = MakeBox<TMyText>(cad, x, y, x + 2, y + 20);
    t->SetLines({QString(40, QLatin1Char('i')), QStringLiteral("Wrap")});
    t->SetVAlignment(c.Align);
    t->SetAngle(c.Angle);
    const TShapeReach reach = t->GetReach();
    ASSERT_TRUE(reach.Bounded);
    const QRect ink = Render(*t, 1200, 1200).Ink();
    ASSERT_TRUE(QRect(1, 1, 1198, 1198).contains(ink));  // all of it is on the picture
    const double m = reach.Margin + 1;  // a pixel for rounding
    EXPECT_GE(ink.left(), reach.Box.Left * c.Zoom - m);
    EXPECT_GE(ink.top(), reach.Box.Top * c.Zoom - m);
    EXPECT_LE(ink.right(), reach.Box.Right * c.Zoom + m);
    EXPECT_LE(ink.bottom(), reach.Box.Bottom * c.Zoom + m);
  }
}

TEST(TextShape, RecordInEveryGeneration) {
  TMyCAD cad;
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  auto t = MakeBox<TMyText>(cad, 1, 2, 3, 4);
  const QString longLine(300, QLatin1Char('q'));
  t->SetLines({"one", longLine, QStringLiteral("\u00e4\u4e2d")});
  t->SetIsBorder(true);
  t->SetIsSolid(false);
  t->SetVAlignment(TVAlignment::vaBottom);
  t->SetHAlignment(TAlignment::taLeftJustify);
  t->SetWordWrap(false);

  TMyRectangle plain(&cad);
  plain.Assign(t.get());
  QByteArray expected = Saved(plain);
  expected.append(QByteArray("\x01\x00\x03\x00\x00\x00\x03\x00\x00\x00one\xd4\xfe\xff\xff", 17));
  expected.append(longLine.toLatin1());
  expected.append(QByteArray("\x05\x00\x00\x00\xc3\xa4\xe4\xb8\xad\x02\x00\x00", 12));
  const QByteArray saved = Saved(*t);
  EXPECT_EQ(saved, expected);
  auto back = Loaded<TMyText>(cad, saved, "ZK.a");
  EXPECT_EQ(back->Lines(), t->Lines());
  EXPECT_TRUE(back->IsBorder());
  EXPECT_FALSE(back->IsSolid());
  EXPECT_EQ(back->VAlignment(), TVAlignment::vaBottom);
  EXPECT_EQ(back->HAlignment(), TAlignment::taLeftJustify);
  EXPECT_FALSE(back->WordWrap());

  // Before the newest generation the record holds the two flags only.
  QByteArray old = CommonRecord(cad, "ZK.9");
  old.append("\x01\x00", 2);
  auto older = Loaded<TMyText>(cad, old, "ZK.9");
  EXPECT_TRUE(older->Lines().isEmpty());
  EXPECT_TRUE(older->IsBorder());
  EXPECT_EQ(older->VAlignment(), TVAlignment::vaMiddle);
  EXPECT_TRUE(older->WordWrap());

  // A line count the rest of the stream cannot hold fails before anything is allocated.
  for (int32_t n : {-1, 0x7fffffff, 2}) {
    QByteArray bad = CommonRecord(cad, "ZK.a");
    bad.append("\x00\x01", 2);
    for (int i = 0; i < 4; ++i) bad.append(static_cast<char>(static_cast<uint32_t>(n) >> (8 * i)));
    bad.append("\x01\x00\x00\x00", 4);  // one 4-byte length, no room for a second
    cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
    TMyText victim(&cad);
    TMemoryStream m(bad);
    EXPECT_THROW(victim.LoadFromStream(m), EReadError) << n;
  }
}

TEST(ImageShape, PlaceholderPictureAndTurnedPlacement) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto img = MakeBox<TMyImage>(cad, 10, 10, 70, 50);
  Render empty(*img, 100, 100);
  const TColor grey = RGB(128, 128, 128);
  EXPECT_EQ(empty.Image.Pixel(40, 10), grey);  // outline
  EXPECT_EQ(empty.Image.Pixel(40, 30), grey);  // where the diagonals cross
  EXPECT_EQ(empty.Image.Pixel(25, 30), clWhite);

  // A 40 x 20 picture, red on its left half and blue on its right, at (30, 30).
  TBitmap picture(40, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) picture.SetPixel(x, y, x < 20 ? clRed : clBlue);
  auto p = MakeBox<TMyImage>(cad, 30, 30, 31, 31);
  p->SetBitmap(&picture);
  EXPECT_EQ(p->Points, (TArrMyPoint{{30, 30}, {70, 30}, {70, 50}, {30, 50}}));
  p->CenterPoint = p->ComputeCenterPoint();
  Render flat(*p, 120, 120);
  EXPECT_EQ(flat.Image.Pixel(35, 40), clRed);
  EXPECT_EQ(flat.Image.Pixel(65, 40), clBlue);
  EXPECT_EQ(flat.Ink(), QRect(30, 30, 40, 20));

  // Turned a quarter clockwise about the centre (50, 40): the box stands 20 wide and 40 tall at
  // (40, 20)..(60, 60), the picture's left half on top.
  p->SetAngle(static_cast<float>(M_PI / 2));
  Render turned(*p, 120, 120);
  EXPECT_EQ(turned.Image.Pixel(50, 25), clRed);
  EXPECT_EQ(turned.Image.Pixel(50, 55), clBlue);
  const QRect ink = turned.Ink();
  EXPECT_NEAR(ink.left(), 40, 1);
  EXPECT_NEAR(ink.right(), 59, 1);
  EXPECT_NEAR(ink.top(), 20, 1);
  EXPECT_NEAR(ink.bottom(), 59, 1);

  // At zoom 2 the picture covers the doubled box, without a scratch copy of the zoomed size.
  p->SetAngle(0);
  cad.SetZoom(2);
  Render zoomed(*p, 200, 200);
  EXPECT_EQ(zoomed.Ink(), QRect(60, 60, 80, 40));
  EXPECT_EQ(zoomed.Image.Pixel(135, 95), clBlue);
}

TEST(ImageShape, EmptyPicturesKeepTheBoxAndFlipsKeepThePictureInIt) {
  TMyCAD cad;
  cad.SetZoom(1);
  // A 40 x 20 picture, red on its left half and blue on its right.
  TBitmap picture(40, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) picture.SetPixel(x, y, x < 20 ? clRed : clBlue);

  // A picture the loader cannot read (or none) leaves the box as it was.
  TBitmap unreadable;
  EXPECT_FALSE(unreadable.LoadFromData(QByteArray("not a picture")));
  const int32_t id = cad.AddImageShapeByCode(QStringLiteral("Picture"), TPoint{30, 30}, &picture);
  ASSERT_GE(id, 0);
  TMyShape* onSurface = cad.GetShapeByID(id);
  const TArrMyPoint box{{30, 30}, {70, 30}, {70, 50}, {30, 50}};
  ASSERT_EQ(onSurface->Points, box);
  for (const TBitmap* none : {static_cast<const TBitmap*>(&unreadable), static_cast<const TBitmap*>(nullptr)}) {
    ASSERT_TRUE(cad.SetMyImage(id, none));
    EXPECT_EQ(onSurface->Points, box);
  }
  // Made by code without a picture, it has no box to keep: it stays at its corner.
  const int32_t bare = cad.AddImageShapeByCode(QStringLiteral("Bare"), TPoint{5, 6}, &unreadable);
  ASSERT_GE(bare, 0);
  EXPECT_EQ(cad.GetShapeByID(bare)->Points, (TArrMyPoint{{5, 6}, {5, 6}, {5, 6}, {5, 6}}));

  // Flipped one way, the other, or both, upright or turned a quarter: the picture covers the
  // box and nothing beyond, and an upright one still reads from left to right.
  for (float angle : {0.0f, static_cast<float>(M_PI / 2)}) {
    for (int flips : {1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << "angle " << angle << ", flips " << flips);
      auto p = MakeBox<TMyImage>(cad, 30, 30, 31, 31);
      p->SetBitmap(&picture);
      p->SetAngle(angle);
      const QRect before = Render(*p, 120, 120).Ink();
      if (flips & 1) p->FlipHoriz();
      if (flips & 2) p->FlipVert();
      const Render after(*p, 120, 120);
      const QRect ink = after.Ink();
      EXPECT_NEAR(ink.left(), before.left(), 1);
      EXPECT_NEAR(ink.top(), before.top(), 1);
      EXPECT_NEAR(ink.right(), before.right(), 1);
      EXPECT_NEAR(ink.bottom(), before.bottom(), 1);
      if (angle == 0) {
        EXPECT_EQ(after.Image.Pixel(35, 40), clRed);
        EXPECT_EQ(after.Image.Pixel(65, 40), clBlue);
      }
    }
  }

  // A record whose corners an older flip left mirrored (corner 0 on the right) loads, saves and
  // paints as it did: from corner 0 along the box's angle.
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  auto old = MakeBox<TMyImage>(cad, 30, 30, 31, 31);
  old->SetBitmap(&picture);
  old->Points = {{70, 30}, {30, 30}, {30, 50}, {70, 50}};
  old->CenterPoint = old->ComputeCenterPoint();
  const QByteArray record = Saved(*old);
  auto loaded = Loaded<TMyImage>(cad, record, "ZK.a");
  EXPECT_EQ(Saved(*loaded), record);
  EXPECT_EQ(Render(*loaded, 160, 120).Ink(), QRect(70, 30, 40, 20));
}

TEST(ImageShape, SettingsCopiesAndRecords) {
  TMyCAD cad;
  auto img = MakeBox<TMyImage>(cad, 0, 0, 8, 4);
  img->SetBrightness(300);
  EXPECT_EQ(img->Brightness(), 0);
  img->SetBrightness(-255);
  EXPECT_EQ(img->Brightness(), -255);
  img->SetContrast(256);
  EXPECT_EQ(img->Contrast(), 0);
  img->SetContrast(17);
  img->SetGrayScale(true);
  img->SetBorder(true);
  img->SetTransparent(true);
  TBitmap picture(8, 4);
  picture.SetPixel(0, 3, clRed);
  img->SetBitmap(&picture);
  EXPECT_TRUE(img->Bitmap().Transparent());
  EXPECT_EQ(img->Bitmap().TransparentColor(), clRed);  // taken from the bottom-left pixel

  TMyImage copy(&cad);
  copy.Assign(img.get());
  EXPECT_EQ(copy.Bitmap().Image(), img->Bitmap().Image());
  EXPECT_TRUE(copy.Transparent() && copy.Border() && copy.GrayScale());
  EXPECT_EQ(copy.Brightness(), -255);
  EXPECT_EQ(copy.Contrast(), 17);

  // The record: the picture blob, then transparent, border, gray scale, brightness, contrast.
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  const QByteArray saved = Saved(*img);
  const QByteArray tail = saved.right(11);
  EXPECT_EQ(tail, QByteArray("\x01\x01\x01\x01\xff\xff\xff\x11\x00\x00\x00", 11));
  auto back = Loaded<TMyImage>(cad, saved, "ZK.a");
  EXPECT_EQ(back->Bitmap().Image().convertToFormat(QImage::Format_RGB32),
            img->Bitmap().Image().convertToFormat(QImage::Format_RGB32));
  EXPECT_TRUE(back->Transparent() && back->Bitmap().Transparent());
  EXPECT_TRUE(back->Border() && back->GrayScale());
  EXPECT_EQ(back->Brightness(), -255);
  EXPECT_EQ(back->Contrast(), 17);
  EXPECT_EQ(Saved(*back), saved);  // the picture's bytes are kept as they were read

  // Older generations: the border came with "ZK.7", gray scale and the levels with "ZK.9".
  const QByteArray noPicture("\0\0\0\0\0\0\0\0\x01", 9);
  const QByteArray levels("\x01\x05\x00\x00\x00\x06\x00\x00\x00", 9);
  struct Case {
    const char* Version;
    QByteArray Tail;
    bool Border, Gray;
  };
  for (const Case& c : {Case{"ZK.6", noPicture, false, false}, Case{"ZK.8", noPicture + "\x01", true, false},
                        Case{"ZK.9", noPicture + "\x01" + levels, true, true}}) {
    SCOPED_TRACE(c.Version);
    auto s = Loaded<TMyImage>(cad, CommonRecord(cad, c.Version) + c.Tail, c.Version);
    EXPECT_TRUE(s->Transparent());
    EXPECT_EQ(s->Border(), c.Border);
    EXPECT_EQ(s->GrayScale(), c.Gray);
    EXPECT_EQ(s->Brightness(), c.Gray ? 5 : 0);
    EXPECT_EQ(s->Contrast(), c.Gray ? 6 : 0);
  }

  // A blob longer than the stream is refused before anything is allocated for it.
  QByteArray huge = CommonRecord(cad, "ZK.a");
  huge.append(QByteArray("\x00\x00\x00\x00\x00\x00\x00\x40", 8));
  cad.SetDiskFileVersion(QStringLiteral("ZK.a"));
  TMyImage victim(&cad);
  TMemoryStream m(huge);
  EXPECT_THROW(victim.LoadFromStream(m), EReadError);
}

TEST(TextAndImage, DrawnWithTheMouseAndLoadedWithTheDrawing) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetSnap(false);
  for (TDrawTool tool : {TDrawTool::SpText, TDrawTool::SpImage}) {
    cad.SetShapeTool(tool);
    cad.MouseDown(TMouseButton::mbLeft, 0, 60, 50);
    cad.MouseUp(TMouseButton::mbLeft, 0, 60, 50);
    cad.MouseMove(0, 20, 90);
    cad.MouseDown(TMouseButton::mbLeft, 0, 20, 90);
    cad.MouseUp(TMouseButton::mbLeft, 0, 20, 90);
  }
  ASSERT_EQ(cad.GetShapesCount(), 2);
  auto* text = dynamic_cast<TMyText*>(cad.GetShapeByNo(0));
  ASSERT_NE(text, nullptr);
  // Drawn from right to left, the text box is put back into corner order.
  EXPECT_EQ(text->Points, (TArrMyPoint{{20, 50}, {60, 50}, {60, 90}, {20, 90}}));
  ASSERT_NE(dynamic_cast<TMyImage*>(cad.GetShapeByNo(1)), nullptr);
  text->SetLines({"kept"});

  TMemoryStream m;
  ASSERT_TRUE(cad.SaveToStream(m));
  TMyCAD other;
  m.SetPosition(0);
  ASSERT_TRUE(other.LoadFromStream(m));
  ASSERT_EQ(other.GetShapesCount(), 2);
  EXPECT_EQ(static_cast<TMyText*>(other.GetShapeByNo(0))->Lines(), QStringList{"kept"});
  EXPECT_EQ(other.GetShapeByNo(1)->ClassName(), QStringLiteral("TMyImage"));
}
