// The drawing file: the container byte for byte, every generation, the round trip of every
// stored field, atomic saving, loading that fails without touching the open drawing, and the
// relations a file may get wrong.
#include "faults.h"
#include "support.h"
#include "../shapes/recordbytes.h"

#include <cad/shapes/group.h>
#include <cad/shapes/line.h>
#include <cad/shapes/linkline.h>
#include <cad/shapes/rectangle.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <limits>
#include <random>
#include <unistd.h>

using namespace cad;
using testing_support::Bytes;
using testing_support::DefaultStyleFields;
using testing_support::Header;
using testing_support::Settings;

namespace {

QByteArray Saved(TMyCAD& Cad) {
  TMemoryStream m;
  EXPECT_TRUE(Cad.SaveToStream(m));
  return m.Data();
}

bool Load(TMyCAD& Cad, const QByteArray& Data) {
  TMemoryStream m(Data);
  return Cad.LoadFromStream(m);
}

TMyShape* AddShape(TMyCAD& Cad, const char* Class, float L, float T, float R, float B) {
  TMyShape* s = Cad.CreateAddShapeByName(QLatin1String(Class), nullptr);
  if (dynamic_cast<TMyLine*>(s)) s->Points = {{L, T}, {R, B}};
  else s->Points = {{L, T}, {R, T}, {R, B}, {L, B}};
  s->CenterPoint = s->ComputeCenterPoint();
  s->Changed();
  return s;
}

// What the surface holds, as a comparable picture: its saved bytes and its layer table.
struct Snapshot {
  QByteArray Bytes;
  std::vector<std::tuple<QString, int32_t, bool>> Layers;
  int32_t NextId;
  QString Version;
  bool operator==(const Snapshot&) const = default;
};
Snapshot Snap(TMyCAD& Cad) {
  Snapshot s{Saved(Cad), {}, Cad.NextShapeId(), Cad.DiskFileVersion()};
  for (const LayerRec& l : Cad.Layers()) s.Layers.emplace_back(l.LayerName, l.LayerId, l.Visible);
  return s;
}

// A drawing with one shape of every kind, a group, a connector between two link points, two
// layers and settings other than the defaults.
void BuildRichDrawing(TMyCAD& Cad) {
  Cad.SetWidth(640);
  Cad.SetHeight(480);
  Cad.SetColorOfBackGround(clYellow);
  Cad.SetUnit(TUnits::inch);
  Cad.SetBkBitmapMode(TBkBitmapMode::Tiled);
  Cad.SetRatio(2.5);
  TMyShape* a = AddShape(Cad, "TMyRectangle", 10, 10, 60, 40);
  a->AddLinkPoint(MyPoint(60, 25));
  TMyShape* b = AddShape(Cad, "TMyEllipse", 200, 10, 260, 50);
  b->AddLinkPoint(MyPoint(200, 30));
  ASSERT_GE(Cad.CreateLink(QStringLiteral("Wire"), a, 0, b, 0), 0);
  AddShape(Cad, "TMyLine", 0, 100, 80, 140);
  TMyShape* poly = AddShape(Cad, "TMyPolyLine", 100, 100, 150, 150);
  poly->AddPoint(MyPoint(170, 120));
  AddShape(Cad, "TMyPolygon", 300, 100, 350, 150);
  AddShape(Cad, "TMyLinkPoint", 400, 100, 410, 110);
  AddShape(Cad, "TMyLineLinkLine", 420, 100, 430, 110);
  Cad.NewLayer(QString(300, QLatin1Char('n')), false);  // longer than a length byte can say
  TMyShape* g1 = AddShape(Cad, "TMyRectangle", 10, 200, 50, 240);
  TMyShape* g2 = AddShape(Cad, "TMyEllipse", 60, 200, 90, 240);
  g2->Font()->SetCharset(0);
  g2->Font()->SetPitch(2);
  g2->Font()->SetResolution(120);
  g2->SetCaption(QString::fromUtf8("\xe4\xb8\xad caption"));
  g1->SetCaption(QString::fromLatin1("\xc3\x28 legacy"));  // not UTF-8: one character per byte
  ASSERT_GE(Cad.GroupShapes({g1, g2}, false), 0);
  TMyShape* c = AddShape(Cad, "TMyCombine", 300, 300, 340, 340);
  (void)c;
}

QByteArray RichDrawingBytes() {
  TMyCAD source;
  BuildRichDrawing(source);
  return Saved(source);
}

}  // namespace

TEST(DrawingFile, EmptyDrawingIsWrittenAsTheTableSays) {
  TMyCAD cad;
  cad.SetWidth(800);
  cad.SetHeight(600);
  Bytes expected = Header("ZK.a");
  Settings(expected, 800, 600);
  expected.i32(1).str("Layer0").i32(0).i32(1);  // one visible layer
  expected.i32(0).i32(0);                        // current layer id, no shapes
  const QByteArray data = Saved(cad);
  EXPECT_EQ(data.size(), 281);
  EXPECT_EQ(data, expected.Data);
}

TEST(DrawingFile, SizeIsStoredUnzoomedAndLoadsAtZoomOne) {
  TMyCAD cad;
  cad.SetZoom(2);
  cad.SetWidth(1001);
  cad.SetHeight(600);
  const QByteArray data = Saved(cad);
  TMemoryStream m(data);
  m.SetPosition(222);
  EXPECT_EQ(m.ReadLE<int32_t>(), 500);  // 500.5 rounds to even
  EXPECT_EQ(m.ReadLE<int32_t>(), 300);
  TMyCAD other;
  other.SetZoom(3);
  ASSERT_TRUE(Load(other, data));
  EXPECT_EQ(other.Zoom(), 1.0);
  EXPECT_EQ(other.Width(), 500);
  EXPECT_EQ(other.Height(), 300);
  // The page follows from the size: 500 pixels at 96 per inch are 132 mm.
  EXPECT_EQ(other.PageWidth(), 132u);
}

TEST(DrawingFile, SignatureCheck) {
  QTemporaryDir dir;
  auto file = [&dir](const char* Name, const QByteArray& Data) {
    const QString path = dir.filePath(QLatin1String(Name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Data);
    return path;
  };
  QByteArray padded("\t\n  Travemo Component");
  padded.append(64 - padded.size(), '\0');
  EXPECT_TRUE(TMyCAD::IsVORNFile(file("padded", padded + QByteArray(100, 'x'))));
  QByteArray lower("travemo component");
  lower.append(64 - lower.size(), ' ');
  EXPECT_FALSE(TMyCAD::IsVORNFile(file("lower", lower)));
  EXPECT_FALSE(TMyCAD::IsVORNFile(file("short", "Travemo Component")));
  EXPECT_THROW(TMyCAD::IsVORNFile(dir.filePath(QStringLiteral("missing"))), EFOpenError);
  EXPECT_THROW(TMyCAD().LoadFromFile(dir.filePath(QStringLiteral("missing"))), EFOpenError);
  TMyCAD cad;
  AddShape(cad, "TMyRectangle", 0, 0, 10, 10);
  EXPECT_FALSE(cad.LoadFromFile(file("lower2", lower)));
  EXPECT_EQ(cad.GetShapesCount(), 1);
}

TEST(DrawingFile, NextIdsFollowTheLargestStoredOnes) {
  TMyCAD cad;
  for (int i = 0; i < 4; ++i) AddShape(cad, "TMyRectangle", i * 20.f, 0, i * 20.f + 10, 10);
  cad.DeleteShapeById(1, false);
  cad.DeleteShapeById(3, false);  // ids 0 and 2 are left
  cad.NewLayer(QStringLiteral("Top"), true);
  TMyCAD other;
  ASSERT_TRUE(Load(other, Saved(cad)));
  EXPECT_EQ(other.NextShapeId(), 3);
  EXPECT_EQ(other.NewLayer(QStringLiteral("Next"), true), 2);

  TMyCAD empty, loaded;
  AddShape(loaded, "TMyRectangle", 0, 0, 10, 10);
  ASSERT_TRUE(Load(loaded, Saved(empty)));
  EXPECT_EQ(loaded.GetShapesCount(), 0);
  EXPECT_EQ(loaded.NextShapeId(), 1);
  EXPECT_EQ(loaded.NewLayer(QStringLiteral("Next"), true), 1);
}

TEST(DrawingFile, EveryStoredFieldSurvivesAndTheSecondSaveIsIdentical) {
  TMyCAD cad;
  BuildRichDrawing(cad);
  const QByteArray first = Saved(cad);
  TMyCAD other;
  ASSERT_TRUE(Load(other, first));
  EXPECT_EQ(other.ColorOfBackGround(), clYellow);
  EXPECT_EQ(other.TheUNIT(), TUnits::inch);
  EXPECT_EQ(other.BkBitmapMode(), TBkBitmapMode::Tiled);
  EXPECT_EQ(other.Ratio(), 2.5);
  EXPECT_EQ(other.Width(), 640);
  ASSERT_EQ(other.Layers().size(), 2u);
  EXPECT_EQ(other.Layers()[1].LayerName, QString(300, QLatin1Char('n')));
  EXPECT_FALSE(other.Layers()[1].Visible);
  EXPECT_EQ(other.CurrentLayerId(), 1);
  ASSERT_EQ(other.GetShapesCount(), cad.GetShapesCount());
  for (int32_t i = 0; i < cad.GetShapesCount(); ++i) {
    TMyShape* a = cad.GetShapeByNo(i);
    TMyShape* b = other.GetShapeByNo(i);
    SCOPED_TRACE(a->ClassName().toStdString());
    EXPECT_EQ(a->ClassName(), b->ClassName());
    EXPECT_EQ(a->GetRelations(), b->GetRelations());
    EXPECT_EQ(a->Points, b->Points);
    EXPECT_EQ(a->LinkPoints, b->LinkPoints);
    EXPECT_EQ(a->Caption(), b->Caption());
    EXPECT_EQ(a->Font()->Charset(), b->Font()->Charset());
    EXPECT_EQ(a->Font()->Pitch(), b->Font()->Pitch());
    EXPECT_EQ(a->Font()->Resolution(), b->Font()->Resolution());
    EXPECT_EQ(b->CenterPoint, b->ComputeCenterPoint());
  }
  EXPECT_EQ(Saved(other), first);
  // The long layer name is stored whole, with the negated count.
  const QByteArray name(300, 'n');
  const int at = first.indexOf(name);
  ASSERT_GT(at, 4);
  TMemoryStream m(first);
  m.SetPosition(at - 4);
  EXPECT_EQ(m.ReadLE<int32_t>(), -300);
}

TEST(DrawingFile, FontAttributesTextsAndPicturesComeBackByteForByte) {
  // A newest-generation drawing written by hand: a rectangle whose font has character set 0,
  // fixed pitch, resolution 120 and a height that another screen resolution gave (-16 for
  // size 10), a caption in a legacy code page and a JPEG background.
  QImage photo(8, 6, QImage::Format_RGB32);
  photo.fill(Qt::darkCyan);
  QByteArray jpeg;
  QBuffer buf(&jpeg);
  buf.open(QIODevice::WriteOnly);
  ASSERT_TRUE(photo.save(&buf, "JPG"));

  Bytes b = Header("ZK.a");
  b.i32(0x123456).i32(300).i32(200).u8(0).i64(jpeg.size());
  b.Data.append(jpeg);
  b.i32(3).raw({0, 0, 0, 0, 0, 0, 0, 0x40});  // LeftTop, ratio 2
  b.i32(1).str("Layer0").i32(0).i32(1).i32(0).i32(1);
  b.chars("TMyRectangle    ");
  b.str("R").i32(0).i32(0).i32(0).i32(-1).i32(0).i32(0);
  b.i32(4).f32(1).f32(2).f32(30).f32(2).f32(30).f32(20).f32(1).f32(20).i32(0);
  b.f32(0).f32(0).i32(0).f32(0);
  b.i64(0).i32(0xFFFFFF).u8(0).i32(3).chars("\xe4\xf6\xfc");  // caption in Latin-1 bytes
  b.i32(0xFFFFFF).i32(0).str("Courier").u8(0).i32(0).i32(-16).i32(10).u8(2).i32(120).u8(0);
  b.i32(0).i32(0).u8(23).i32(3).chars("\xe4\xb8\xad").i32(0).u8(4).u8(0).i32(1);  // info in UTF-8
  b.i32(0).u8(0).u8(0).u8(1);

  TMyCAD cad;
  ASSERT_TRUE(Load(cad, b.Data));
  TMyShape* s = cad.GetShapeByNo(0);
  EXPECT_EQ(s->Caption(), QString::fromLatin1("\xe4\xf6\xfc"));
  EXPECT_EQ(s->Info(), QString::fromUtf8("\xe4\xb8\xad"));
  EXPECT_EQ(s->Font()->Size(), 10);
  EXPECT_EQ(cad.BkBitmap()->Width(), 8);
  EXPECT_EQ(Saved(cad), b.Data);
}

namespace {

// Ten-byte extended reals of the few values the old records below use.
void Ext(Bytes& b, double v) {
  if (v == 10.0) b.raw({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40});
  else if (v == 20.0) b.raw({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x03, 0x40});
  else if (v == 0.5) b.raw({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F});
  else ADD_FAILURE() << "no extended bytes for " << v;
}

// A picture of 2 x 1 pixels, red and blue, as a 24-bit BMP: file header, information header,
// one row of blue-green-red triples padded to four bytes.
QByteArray RedBlueBmp() {
  return Bytes()
      .chars("BM").i32(62).i32(0).i32(54)
      .i32(40).i32(2).i32(1).raw({1, 0, 24, 0}).i32(0).i32(8).i32(2835).i32(2835).i32(0).i32(0)
      .raw({0, 0, 0xFF, 0xFF, 0, 0, 0, 0})
      .Data;
}

// A drawing of one generation holding one rectangle (id 5) with the corners (10, 20) and
// (20, 10) given twice, written from the record table of that generation; or, as Image says,
// a picture shape with the same common fields holding RedBlueBmp, transparent, with a border
// where the generation has one.
QByteArray OldDrawing(const QString& V, bool Image = false) {
  Bytes b = Header(V.toLatin1().constData());
  Settings(b, 400, 300);
  b.i32(1).str("Base").i32(3).i32(1).i32(3).i32(1);
  b.chars(Image ? "TMyImage        " : "TMyRectangle    ");
  b.str("Old").i32(5).i32(0).i32(3).i32(-1).i32(0).i32(0);
  const bool ext = V == "ZK.3" || V == "ZK.4";
  if (V == "ZK.2") {
    b.i32(4).i32(0);  // counts only
    Ext(b, 0.5);
    Ext(b, 0.5);
  } else {
    b.i32(4);
    for (double p : {10.0, 20.0, 20.0, 10.0, 10.0, 20.0, 20.0, 10.0}) ext ? Ext(b, p) : void(b.f32(static_cast<float>(p)));
    b.i32(0);
    ext ? (Ext(b, 0.5), Ext(b, 0.5)) : void(b.f32(0.5f).f32(0.5f));
    b.i32(7);
    ext ? Ext(b, 0.5) : void(b.f32(0.5f));
  }
  b.i64(0).i32(0x0000FF).u8(0).str("").i32(0).i32(0).str("Arial").u8(0).i32(0).i32(-11).i32(8).u8(0).i32(0).u8(0);
  if (V != "ZK.7") b.i32(0).i32(0);
  b.u8(23);
  if (V == "ZK.2" || ext) b.raw({0, 0});
  b.str("").i32(0).u8(4).u8(0).i32(2);
  if (V == "ZK.9") b.i32(1).str("key").str("value").u8(1).u8(0).u8(1);
  if (Image) {
    const QByteArray bmp = RedBlueBmp();
    b.i64(bmp.size()).Data.append(bmp);
    b.u8(1);
    if (V == "ZK.7" || V == "ZK.8" || V == "ZK.9") b.u8(1);
    if (V == "ZK.9") b.u8(0).i32(0).i32(0);
  }
  return b.Data;
}

}  // namespace

TEST(DrawingFile, OlderGenerationsLoadAsWritten) {
  for (const char* v : {"ZK.2", "ZK.3", "ZK.4", "ZK.6", "ZK.7", "ZK.9"}) {
    SCOPED_TRACE(v);
    const QString ver = QLatin1String(v);
    TMyCAD cad;
    ASSERT_TRUE(Load(cad, OldDrawing(ver)));
    EXPECT_EQ(cad.DiskFileVersion(), ver);
    ASSERT_EQ(cad.GetShapesCount(), 1);
    TMyShape* s = cad.GetShapeByNo(0);
    EXPECT_EQ(s->ClassName(), "TMyRectangle");
    EXPECT_EQ(s->Name(), "Old");
    EXPECT_EQ(s->LayerId, 3);
    EXPECT_EQ(s->Brush()->Color(), clRed);
    EXPECT_EQ(s->Pen()->Width(), 2);
    EXPECT_EQ(cad.NextShapeId(), 6);
    EXPECT_EQ(cad.CurrentLayerId(), 3);
    if (ver == "ZK.2") {
      EXPECT_EQ(s->Points, TArrMyPoint(4, TMyPoint{}));
      EXPECT_EQ(s->Tag(), 0);
    } else {
      EXPECT_EQ(s->GetPoint(0), MyPoint(10, 20));
      EXPECT_EQ(s->GetPoint(1), MyPoint(20, 10));
      EXPECT_EQ(s->TextPoint, MyPoint(0.5f, 0.5f));
      EXPECT_EQ(s->Tag(), 7);
      EXPECT_EQ(s->Angle(), 0.5f);
    }
    EXPECT_EQ(s->UserData()->Records.size(), ver == "ZK.9" ? 1u : 0u);
    EXPECT_EQ(s->IsFlipHorz(), ver == "ZK.9");
    // Saved again, it is a newest-generation drawing that loads the same.
    TMyCAD again;
    ASSERT_TRUE(Load(again, Saved(cad)));
    EXPECT_EQ(again.DiskFileVersion(), "ZK.a");
    EXPECT_EQ(again.GetShapeByNo(0)->Points, s->Points);
  }
}

TEST(DrawingFile, OlderPictureRecordsLoadTheirPicture) {
  // Extended reals (ZK.3), singles with the reserved pair (ZK.6), no reserved pair but the border
  // flag (ZK.7): the picture after the common fields is read from the right place in each.
  for (const char* v : {"ZK.3", "ZK.6", "ZK.7"}) {
    SCOPED_TRACE(v);
    const QString ver = QLatin1String(v);
    TMyCAD cad;
    ASSERT_TRUE(Load(cad, OldDrawing(ver, true)));
    ASSERT_EQ(cad.GetShapesCount(), 1);
    auto* image = dynamic_cast<TMyImage*>(cad.GetShapeByNo(0));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetPoint(1), MyPoint(20, 10));
    EXPECT_EQ(image->Tag(), 7);
    EXPECT_EQ(image->Pen()->Width(), 2);
    ASSERT_EQ(image->Bitmap().Width(), 2);
    ASSERT_EQ(image->Bitmap().Height(), 1);
    EXPECT_EQ(image->Bitmap().Pixel(0, 0), clRed);
    EXPECT_EQ(image->Bitmap().Pixel(1, 0), clBlue);
    EXPECT_TRUE(image->Transparent());
    EXPECT_EQ(image->Border(), ver == "ZK.7");
    // The picture goes back as the bytes it came as.
    EXPECT_TRUE(Saved(cad).contains(RedBlueBmp()));
  }
}

TEST(DrawingFile, LayerTableIsRepairedNotFatal) {
  TMyCAD cad;
  AddShape(cad, "TMyRectangle", 0, 0, 10, 10);
  TMyShape* stray = AddShape(cad, "TMyEllipse", 20, 0, 30, 10);
  stray->LayerId = 9;
  QByteArray data = Saved(cad);
  testing_support::Recorded().Clear();
  {  // a layer the table lacks is made
    TMyCAD other;
    ASSERT_TRUE(Load(other, data));
    EXPECT_EQ(other.GetLayerNameByID(9), "Layer9");
    EXPECT_TRUE(other.IsVisibleLayerByID(9));
    EXPECT_EQ(other.NewLayer(QStringLiteral("Next"), true), 10);
  }
  {  // no layer at all: the table is rebuilt from the shapes
    QByteArray noLayers = data.left(251);
    noLayers.append(QByteArray(4, '\0'));
    noLayers.append(data.mid(255 + 18));
    TMyCAD other;
    ASSERT_TRUE(Load(other, noLayers));
    EXPECT_EQ(other.GetLayersCount(), 2);
    EXPECT_EQ(other.GetShapesCount(), 2);
    EXPECT_EQ(other.GetLayerNoById(static_cast<uint8_t>(other.CurrentLayerId())), 0);
  }
  EXPECT_TRUE(testing_support::Recorded().Messages.isEmpty());
  EXPECT_EQ(testing_support::Recorded().TerminateRequests, 0);
}

TEST(DrawingFile, FailedLoadLeavesTheDrawingAsItWas) {
  const QByteArray good = RichDrawingBytes();

  TMyCAD cad;
  AddShape(cad, "TMyRectangle", 5, 5, 50, 50);
  cad.NewLayer(QStringLiteral("Mine"), true);
  AddShape(cad, "TMyLine", 0, 0, 30, 30);
  cad.SelectAllShapes();
  cad.Copy();
  cad.DeleteShapeById(1, true);
  const Snapshot before = Snap(cad);
  const int undo = cad.UndoStepsCount();

  // Every prefix of a real drawing.
  int loaded = 0;
  for (int n = 0; n < good.size(); ++n) loaded += Load(cad, good.left(n));
  EXPECT_EQ(loaded, 0);
  EXPECT_EQ(Snap(cad), before);
  EXPECT_EQ(cad.UndoStepsCount(), undo);
  EXPECT_EQ(cad.GetMemShapesCount(), 2);

  // Random changes: whatever loads is a drawing; whatever does not leaves the old one.
  std::mt19937 rng(1234);
  for (int round = 0; round < 400; ++round) {
    QByteArray bad = good;
    const int changes = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < changes; ++i) bad[static_cast<int>(rng() % bad.size())] = static_cast<char>(rng());
    TMyCAD victim;
    AddShape(victim, "TMyRectangle", 5, 5, 50, 50);
    const Snapshot was = Snap(victim);
    if (Load(victim, bad)) {
      victim.Repaint();
      victim.SelectAllShapes();
      for (int32_t i = 0; i < victim.GetShapesCount(); ++i) victim.GetShapeByNo(i)->Pen()->SetColor(clRed);
      continue;
    }
    EXPECT_EQ(Snap(victim), was);
  }
}

TEST(DrawingFile, RelationsFromTheFileAreMadeSound) {
  TMyCAD cad;
  std::vector<TMyShape*> s;
  for (int i = 0; i < 6; ++i) s.push_back(AddShape(cad, "TMyGroup", i * 20.f, 0, i * 20.f + 10, 10));
  // Two groups holding each other, a shape its own parent, a member listed twice and under two
  // groups, numbers beyond the list.
  s[0]->ChildShapes = {1};
  s[0]->ParentNo = 1;
  s[1]->ChildShapes = {0};
  s[1]->ParentNo = 0;
  s[2]->ParentNo = 2;
  s[2]->ChildShapes = {2, 77, -5};
  s[3]->ChildShapes = {5, 5};
  s[4]->ChildShapes = {5};
  s[5]->ParentNo = 3;
  s[5]->LinkShapes = {40, 4};
  const QByteArray data = Saved(cad);
  // Live relations as bad as these (a host may set them) must not send a style change round
  // the loop for ever either.
  s[0]->Pen()->SetColor(clRed);
  EXPECT_EQ(s[1]->Pen()->Color(), clRed);

  TMyCAD other;
  ASSERT_TRUE(Load(other, data));
  auto at = [&other](int i) { return other.GetShapeByNo(i); };
  // The cycle is cut in one place, the rest kept.
  EXPECT_TRUE((at(0)->ParentNo == -1) != (at(1)->ParentNo == -1));
  EXPECT_EQ(at(2)->ParentNo, -1);
  EXPECT_TRUE(at(2)->ChildShapes.empty());
  EXPECT_EQ(at(3)->ChildShapes, TMyShapeNo{5});
  EXPECT_TRUE(at(4)->ChildShapes.empty());
  EXPECT_EQ(at(5)->ParentNo, 3);
  EXPECT_EQ(at(5)->LinkShapes, TMyShapeNo{4});
  // The style change that used to recurse without end hands down once.
  at(0)->Pen()->SetColor(clRed);
  at(1)->Pen()->SetColor(clBlue);
  other.Repaint();
}

TEST(DrawingFile, DeepNestingNeedsNoDeepRecursion) {
  // Each group holds the next: a walk that recursed per level would exhaust the stack.
  TMyCAD cad;
  constexpr int kDepth = 3000;
  for (int i = 0; i < kDepth; ++i) {
    TMyShape* g = AddShape(cad, "TMyGroup", 0, 0, 10, 10);
    if (i > 0) g->ParentNo = i - 1;
    if (i + 1 < kDepth) g->ChildShapes = {i + 1};
  }
  TMyCAD other;
  ASSERT_TRUE(Load(other, Saved(cad)));
  other.GetShapeByNo(0)->Pen()->SetColor(clRed);
  EXPECT_EQ(other.GetShapeByNo(kDepth - 1)->Pen()->Color(), clRed);
  other.SelectAllShapes();
  other.Move(other.GetShapeByNo(0), 5, 5);
  EXPECT_EQ(other.GetShapeByNo(kDepth - 1)->GetPoint(0), MyPoint(5, 5));
  other.Repaint();
}

TEST(DrawingFile, WalksPassEachMemberOnce) {
  // Every group lists the next one twice and the last lists the first: a walk that follows
  // every listing visits 2^40 shapes.
  TMyCAD cad;
  constexpr int kGroups = 40;
  for (int i = 0; i < kGroups; ++i) AddShape(cad, "TMyGroup", 0, 0, 10, 10);
  for (int i = 0; i < kGroups; ++i) {
    const int next = (i + 1) % kGroups;
    cad.GetShapeByNo(i)->ChildShapes = {next, next};
    cad.GetShapeByNo(next)->ParentNo = i;
  }
  cad.Move(cad.GetShapeByNo(0), 3, 0);
  for (int i = 0; i < kGroups; ++i) EXPECT_EQ(cad.GetShapeByNo(i)->GetPoint(0), MyPoint(3, 0)) << i;
  cad.FlipHoriz(cad.GetShapeByNo(0));
  cad.GetShapeByNo(5)->Brush()->SetColor(clBlue);
  EXPECT_EQ(cad.GetShapeByNo(4)->Brush()->Color(), clBlue);
  cad.Repaint();
}

TEST(DrawingFile, ShapeForLoadingGoesToItsPlace) {
  TMyCAD cad;
  TMyShape* a = AddShape(cad, "TMyRectangle", 0, 0, 10, 10);
  TMyShape* b = AddShape(cad, "TMyRectangle", 20, 0, 30, 10);
  ASSERT_GE(cad.GroupShapes({a, b}, false), 0);
  TMyShape* s = TMyCAD::CreateShapeByName(QStringLiteral("TMyEllipse"), &cad);
  s->ShapeId = 50;
  ASSERT_TRUE(cad.AddShapeforLoadfromStream(0, s, true));
  EXPECT_EQ(cad.GetShapeByNo(0), s);
  EXPECT_EQ(a->ShapeNo, 1);
  EXPECT_EQ(cad.GetShapeByNo(3)->ChildShapes, (TMyShapeNo{1, 2}));
  EXPECT_EQ(a->ParentNo, 3);
  // A place beyond the end is refused; the shape stays the caller's.
  std::unique_ptr<TMyShape> far(TMyCAD::CreateShapeByName(QStringLiteral("TMyEllipse"), &cad));
  EXPECT_FALSE(cad.AddShapeforLoadfromStream(9, far.get(), true));
  EXPECT_EQ(cad.GetShapesCount(), 4);
}

// ---- Saving ----

namespace {

QStringList FilesIn(const QString& Dir) { return QDir(Dir).entryList(QDir::Files | QDir::Hidden | QDir::System); }

}  // namespace

TEST(DrawingFile, SaveReplacesTheFileAndClearsTheModifiedFlag) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.vorn"));
  TMyCAD cad;
  BuildRichDrawing(cad);
  cad.SetModified(true);
  ASSERT_TRUE(cad.SaveToFileold(path));
  EXPECT_TRUE(cad.Modified());
  ASSERT_TRUE(cad.SaveToFile(path));
  EXPECT_FALSE(cad.Modified());
  EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("a.vorn")});
  TMyCAD other;
  ASSERT_TRUE(other.LoadFromFile(path));
  EXPECT_EQ(Saved(other), Saved(cad));
}

TEST(DrawingFile, FailedSaveKeepsTheOldFileAndReportsFalse) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("keep.vorn"));
  TMyCAD small;
  ASSERT_TRUE(small.SaveToFile(path));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray old = f.readAll();
  f.close();

  TMyCAD cad;
  BuildRichDrawing(cad);
  for (int i = 0; i < 200; ++i) AddShape(cad, "TMyRectangle", i, i, i + 10.f, i + 10.f);
  cad.SetModified(true);

  // A folder that cannot hold files: under a plain file, or missing. Each failure says why.
  EXPECT_FALSE(cad.SaveToFile(path + QStringLiteral("/inside.vorn")));
  EXPECT_TRUE(cad.LastFileError().contains(QStringLiteral("Cannot create file"))) << cad.LastFileError().toStdString();
  EXPECT_FALSE(cad.SaveToFile(dir.filePath(QStringLiteral("no/such/folder.vorn"))));
  EXPECT_TRUE(cad.LastFileError().contains(QStringLiteral("no/such/folder.vorn"))) << cad.LastFileError().toStdString();
  // A folder without write permission (the superuser may write anyway: then it proves nothing).
  QDir(dir.path()).mkdir(QStringLiteral("locked"));
  const QString locked = dir.filePath(QStringLiteral("locked"));
  QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  if (::access(locked.toLocal8Bit().constData(), W_OK) != 0) {
    EXPECT_FALSE(cad.SaveToFile(locked + QStringLiteral("/x.vorn")));
  }
  QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

  // A full disk: files may not grow past 4 KiB while saving. The reason is the system's.
  bool saved = true;
  {
    testing_support::TFileSizeLimit full(4096);
    saved = cad.SaveToFile(path);
  }
  EXPECT_FALSE(saved);
  EXPECT_TRUE(cad.LastFileError().contains(QString::fromLocal8Bit(std::strerror(EFBIG)))) << cad.LastFileError().toStdString();

  EXPECT_TRUE(cad.Modified());
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), old);
  EXPECT_EQ(FilesIn(dir.path()), QStringList{QStringLiteral("keep.vorn")});
}

// A load that fails says why, in words that name the fault and the place; a good load clears it.
TEST(DrawingFile, FailedLoadSaysWhy) {
  TMyCAD source;
  AddShape(source, "TMyLine", 0, 0, 30, 30);
  AddShape(source, "TMyRectangle", 5, 5, 50, 50);
  const QByteArray good = Saved(source);
  const qsizetype tagAt = good.lastIndexOf("TMyRectangle");
  ASSERT_GT(tagAt, 0);
  QByteArray unknown = good;
  unknown.replace(tagAt, 12, "TMyNoSuchOne");
  QByteArray newer = good.left(good.size() - 5);
  ASSERT_EQ(newer.mid(128, 4), QByteArray("ZK.a"));
  newer[131] = 'b';

  QTemporaryDir dir;
  auto write = [&](const char* Name, const QByteArray& Bytes) {
    QFile f(dir.filePath(QLatin1String(Name)));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Bytes);
    return f.fileName();
  };
  // Past the most a drawing may hold: a sparse file that starts like a drawing.
  const QString huge = write("huge.vorn", good);
  ASSERT_TRUE(QFile::resize(huge, TMemoryStream::MaxSize + 1));

  const struct {
    QString File;
    QString Why;
  } cases[] = {
      {write("junk.vorn", QByteArray(300, 'x')), QStringLiteral("it is not a drawing file")},
      {write("cut.vorn", good.left(good.size() - 5)),
       QStringLiteral("it ends early (after %1 bytes, in shape 2 of 2 (\"TMyRectangle\"))").arg(good.size() - 5)},
      {write("unknown.vorn", unknown),
       QStringLiteral("it is damaged at byte %1, in shape 2 of 2 (\"TMyNoSuchOne\")").arg(tagAt + 16)},
      {write("newer.vorn", newer), QStringLiteral("newer version (drawing generation \"ZK.b\"")},
      {huge, QStringLiteral("it is too large (%1 bytes").arg(TMemoryStream::MaxSize + 1)},
  };
  TMyCAD cad;
  for (const auto& c : cases) {
    ASSERT_TRUE(cad.LoadFromFile(write("good.vorn", good)));
    EXPECT_EQ(cad.LastFileError(), QString());
    EXPECT_FALSE(cad.LoadFromFile(c.File)) << c.File.toStdString();
    EXPECT_TRUE(cad.LastFileError().contains(c.Why)) << cad.LastFileError().toStdString() << " / " << c.Why.toStdString();
    EXPECT_EQ(cad.GetShapesCount(), 2);
  }
  // A missing file raises, and says why too.
  EXPECT_THROW(cad.LoadFromFile(dir.filePath(QStringLiteral("missing.vorn"))), EFOpenError);
  EXPECT_TRUE(cad.LastFileError().contains(QStringLiteral("missing.vorn"))) << cad.LastFileError().toStdString();
}

// ---- Clipboard and blocks ----

TEST(Clipboard, PasteTwiceGivesTwoOffsetSetsWithNewIdsAndNames) {
  TMyCAD cad;
  AddShape(cad, "TMyRectangle", 10, 10, 20, 20);
  AddShape(cad, "TMyLine", 30, 30, 40, 50);
  cad.SelectAllShapes();
  cad.Copy();
  cad.Paste();
  cad.Paste();
  ASSERT_EQ(cad.GetShapesCount(), 6);
  for (int i = 2; i < 6; ++i) {
    TMyShape* s = cad.GetShapeByNo(i);
    TMyShape* original = cad.GetShapeByNo(i % 2);
    EXPECT_EQ(s->ShapeId, i);
    EXPECT_EQ(s->Name(), QStringLiteral("Shape%1").arg(i));
    EXPECT_EQ(s->ShapeNo, i);
    EXPECT_EQ(s->GetPoint(0), MyPoint(original->GetPoint(0).X + 4, original->GetPoint(0).Y + 4));
  }
  // The second paste is selected, as one undoable step.
  EXPECT_EQ(cad.GetSelectedShapesCount(), 2);
  EXPECT_EQ(cad.GetSelectedShapes()[0], cad.GetShapeByNo(4));
  cad.Undo();
  EXPECT_EQ(cad.GetShapesCount(), 4);
}

TEST(Clipboard, PastedRelationsOnlyNamePastedShapes) {
  TMyCAD cad;
  TMyShape* a = AddShape(cad, "TMyRectangle", 10, 10, 60, 40);
  a->AddLinkPoint(MyPoint(60, 25));
  TMyShape* b = AddShape(cad, "TMyRectangle", 200, 10, 260, 50);
  b->AddLinkPoint(MyPoint(200, 30));
  const int32_t wire = cad.CreateLink(QStringLiteral("Wire"), a, 0, b, 0);
  ASSERT_GE(wire, 0);
  TMyShape* g1 = AddShape(cad, "TMyRectangle", 10, 200, 50, 240);
  TMyShape* g2 = AddShape(cad, "TMyEllipse", 60, 200, 90, 240);
  ASSERT_GE(cad.GroupShapes({g1, g2}, false), 0);
  TMyShape* group = cad.GetShapeByNo(cad.GetShapesCount() - 1);

  cad.RemoveAllWorkingShapes();
  cad.AddWorkingShapes(a);
  cad.AddWorkingShapes(cad.GetShapeByID(wire));
  cad.AddWorkingShapes(group);
  cad.Copy();
  ASSERT_EQ(cad.GetMemShapesCount(), 5);  // a, the wire, the group and its two members
  // A member number the copies do not hold.
  cad.MemShapes()[2]->ChildShapes.push_back(1);
  const int32_t base = cad.GetShapesCount();
  cad.Paste();
  ASSERT_EQ(cad.GetShapesCount(), base + 5);
  auto* line = dynamic_cast<TMyLinkLine*>(cad.GetShapeByNo(base + 1));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->StartSpNo(), base);
  EXPECT_EQ(line->EndSpNo(), -1);  // b was not copied: that end is free
  EXPECT_EQ(cad.GetShapeByNo(base)->LinkShapes, TMyShapeNo{base + 1});
  TMyShape* pastedGroup = cad.GetShapeByNo(base + 2);
  EXPECT_EQ(pastedGroup->ChildShapes, (TMyShapeNo{base + 3, base + 4}));
  EXPECT_EQ(cad.GetShapeByNo(base + 3)->ParentNo, base + 2);
  for (int32_t i = base; i < cad.GetShapesCount(); ++i) {
    TShapeRelations r = cad.GetShapeByNo(i)->GetRelations();
    for (int32_t n : r.ChildShapes) EXPECT_GE(n, base);
    for (int32_t n : r.LinkShapes) EXPECT_GE(n, base);
    EXPECT_TRUE(r.ParentNo == -1 || r.ParentNo >= base);
  }
}

TEST(Clipboard, CutRemovesAndPasteBringsBack) {
  TMyCAD cad;
  AddShape(cad, "TMyRectangle", 10, 10, 20, 20);
  cad.SelectAllShapes();
  cad.Cut();
  EXPECT_EQ(cad.GetShapesCount(), 0);
  cad.Paste();
  ASSERT_EQ(cad.GetShapesCount(), 1);
  EXPECT_EQ(cad.GetShapeByNo(0)->GetPoint(0), MyPoint(14, 14));
  // Copy without a selection keeps the clipboard.
  cad.RemoveAllWorkingShapes();
  cad.Copy();
  EXPECT_EQ(cad.GetMemShapesCount(), 1);
}

TEST(Blocks, AppendMakesLayersFromTheNextIdAndKeepsTheShapesOnThem) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("block.vorn"));
  {
    TMyCAD block;
    block.SetLayerNameByID(QStringLiteral("L1"), 0);
    AddShape(block, "TMyRectangle", 0, 0, 10, 10);
    block.NewLayer(QStringLiteral("L2"), false);
    AddShape(block, "TMyEllipse", 20, 0, 30, 10);
    ASSERT_TRUE(block.SaveToFile(path));
  }
  TMyCAD cad;
  for (int i = 1; i <= 4; ++i) cad.NewLayer(QStringLiteral("Own%1").arg(i), true);
  AddShape(cad, "TMyLine", 0, 50, 10, 60);
  cad.SetCurrentLayerId(0);
  ASSERT_TRUE(cad.AddBlockfromVORNFile(path, TBlockLayerMode::Append));
  EXPECT_EQ(cad.GetLayerIdByName(QStringLiteral("BlockL1")), 5);
  EXPECT_EQ(cad.GetLayerIdByName(QStringLiteral("BlockL2")), 6);
  EXPECT_TRUE(cad.IsVisibleLayerByID(6));
  EXPECT_EQ(cad.CurrentLayerId(), 6);
  ASSERT_EQ(cad.GetShapesCount(), 3);
  EXPECT_EQ(cad.GetShapeByNo(1)->LayerId, 5);
  EXPECT_EQ(cad.GetShapeByNo(2)->LayerId, 6);
  EXPECT_EQ(cad.GetShapeByNo(1)->Name(), "Shape1");
  EXPECT_EQ(cad.GetShapeByNo(2)->GetPoint(0), MyPoint(24, 4));
  EXPECT_EQ(cad.GetSelectedShapesCount(), 2);
  EXPECT_EQ(cad.GetMemShapesCount(), 0);

  // Merge puts everything on the current layer; Import maps by position.
  TMyCAD merged;
  merged.NewLayer(QStringLiteral("Second"), true);
  ASSERT_TRUE(merged.AddBlockfromVORNFile(path, TBlockLayerMode::Merge));
  EXPECT_EQ(merged.GetShapeByNo(0)->LayerId, 1);
  EXPECT_EQ(merged.GetShapeByNo(1)->LayerId, 1);
  TMyCAD imported;
  ASSERT_TRUE(imported.AddBlockfromVORNFile(path, TBlockLayerMode::Import));
  EXPECT_EQ(imported.GetShapeByNo(0)->LayerId, 0);
  EXPECT_EQ(imported.GetShapeByNo(1)->LayerId, imported.GetLayerIdByName(QStringLiteral("BlockL2")));
}

TEST(Blocks, AFailedBlockChangesNothing) {
  const QByteArray good = RichDrawingBytes();
  TMyCAD cad;
  AddShape(cad, "TMyRectangle", 5, 5, 50, 50);
  const Snapshot before = Snap(cad);
  for (int n = 0; n < good.size(); n += 7) {
    TMemoryStream m(good.left(n));
    EXPECT_FALSE(cad.LoadFromStreamforBlock(m, TBlockLayerMode::Append));
  }
  EXPECT_EQ(Snap(cad), before);
  EXPECT_EQ(cad.GetShapeByNo(0)->Name(), "Shape0");
}

namespace {

// A surface with a layer "A" (id 1) and, after many layers came and went, a hidden layer "B"
// whose id (257) ends in the same byte, with a rectangle on each.
void LayersSharingALowByte(TMyCAD& Cad) {
  Cad.NewLayer(QStringLiteral("A"), true);
  AddShape(Cad, "TMyRectangle", 0, 0, 10, 10);
  while (Cad.NewLayer(QStringLiteral("passing"), true) < 256) Cad.DeleteLayerByName(QStringLiteral("passing"));
  Cad.DeleteLayerByName(QStringLiteral("passing"));
  ASSERT_EQ(Cad.NewLayer(QStringLiteral("B"), false), 257);
  AddShape(Cad, "TMyEllipse", 20, 0, 30, 10);
}

}  // namespace

TEST(Blocks, AGroupInABlockStylesOnlyItsOwnMembers) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("group.vorn"));
  {
    TMyCAD block;
    TMyShape* a = AddShape(block, "TMyRectangle", 0, 0, 10, 10);
    TMyShape* b = AddShape(block, "TMyEllipse", 20, 0, 30, 10);
    TMyShape* g = block.GetShapeByID(block.GroupShapes({a, b}, false));
    g->Pen()->SetColor(clRed);
    g->Brush()->SetColor(clYellow);
    ASSERT_EQ(b->Pen()->Color(), clRed);
    ASSERT_TRUE(block.SaveToFile(path));
  }
  for (TBlockLayerMode mode : {TBlockLayerMode::Merge, TBlockLayerMode::Append, TBlockLayerMode::Import}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TMyCAD cad;
    for (int i = 0; i < 4; ++i) {
      TMyShape* s = AddShape(cad, "TMyRectangle", i * 20.f, 50, i * 20.f + 10, 60);
      s->Pen()->SetColor(clBlue);
      s->Brush()->SetColor(clLime);
    }
    ASSERT_TRUE(cad.AddBlockfromVORNFile(path, mode));
    ASSERT_EQ(cad.GetShapesCount(), 7);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(cad.GetShapeByNo(i)->Pen()->Color(), clBlue) << i;
      EXPECT_EQ(cad.GetShapeByNo(i)->Brush()->Color(), clLime) << i;
    }
    for (int i = 4; i < 7; ++i) {
      EXPECT_EQ(cad.GetShapeByNo(i)->Pen()->Color(), clRed) << i;
      EXPECT_EQ(cad.GetShapeByNo(i)->Brush()->Color(), clYellow) << i;
    }
  }
}

TEST(Blocks, ZoomSizeAndPageStayTogether) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("wide.vorn"));
  {
    TMyCAD block;
    block.SetWidth(1000);
    block.SetHeight(300);
    AddShape(block, "TMyRectangle", 900, 0, 990, 10);
    ASSERT_TRUE(block.SaveToFile(path));
  }
  TMyCAD cad;  // A4 at 96 pixels per inch: 793.7 x 1122.5 pixels
  cad.SetZoom(2);
  ASSERT_TRUE(cad.AddBlockfromVORNFile(path, TBlockLayerMode::Merge));
  // The zoom stays; the drawing grew to the block's width (and kept its height).
  EXPECT_EQ(cad.Zoom(), 2.0);
  EXPECT_EQ(cad.Width(), 2000);
  EXPECT_EQ(cad.Height(), 2245);
  EXPECT_EQ(cad.PageWidth(), 265u);  // 1000 pixels are 264.6 mm
  EXPECT_EQ(cad.PageHeight(), 297u);
  const QByteArray saved = Saved(cad);
  TMemoryStream m(saved);
  m.SetPosition(222);
  EXPECT_EQ(m.ReadLE<int32_t>(), 1000);
  EXPECT_EQ(m.ReadLE<int32_t>(), 1122);  // 1122.5 to even
  cad.SetZoom(1);
  EXPECT_EQ(cad.Width(), 1000);
}

TEST(Blocks, AFailedBlockLeavesTheModifiedFlag) {
  QTemporaryDir dir;
  const QString notDrawing = dir.filePath(QStringLiteral("text.vorn"));
  QFile f(notDrawing);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(100, 'x'));
  f.close();
  const QString good = dir.filePath(QStringLiteral("good.vorn"));
  {
    TMyCAD block;
    AddShape(block, "TMyRectangle", 0, 0, 10, 10);
    ASSERT_TRUE(block.SaveToFile(good));
  }
  TMyCAD cad;
  ASSERT_FALSE(cad.Modified());
  EXPECT_FALSE(cad.AddBlockfromVORNFile(notDrawing, TBlockLayerMode::Merge));
  EXPECT_FALSE(cad.Modified());
  // Nowhere to put the shapes: no layer on the surface, and Merge makes none.
  cad.DeleteAllLayers();
  EXPECT_FALSE(cad.AddBlockfromVORNFile(good, TBlockLayerMode::Merge));
  EXPECT_FALSE(cad.Modified());
  EXPECT_EQ(cad.GetShapesCount(), 0);
  EXPECT_TRUE(cad.AddBlockfromVORNFile(good, TBlockLayerMode::Append));
  EXPECT_TRUE(cad.Modified());
}

TEST(Blocks, LayersAreTellApartByTheirWholeIdExceptOnImport) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("layers.vorn"));
  {
    TMyCAD block;
    LayersSharingALowByte(block);
    ASSERT_TRUE(block.SaveToFile(path));
  }
  TMyCAD appended;
  ASSERT_TRUE(appended.AddBlockfromVORNFile(path, TBlockLayerMode::Append));
  ASSERT_EQ(appended.GetShapesCount(), 2);
  EXPECT_EQ(appended.GetShapeByNo(0)->LayerId, appended.GetLayerIdByName(QStringLiteral("BlockA")));
  EXPECT_EQ(appended.GetShapeByNo(1)->LayerId, appended.GetLayerIdByName(QStringLiteral("BlockB")));
  // Import compares the low bytes, so both land on the layer at A's place.
  TMyCAD imported;
  ASSERT_TRUE(imported.AddBlockfromVORNFile(path, TBlockLayerMode::Import));
  EXPECT_EQ(imported.GetShapeByNo(0)->LayerId, imported.GetShapeByNo(1)->LayerId);
  // A plain load keeps each layer's own name and visibility.
  TMyCAD loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.GetLayerNameByID(257), QStringLiteral("B"));
  EXPECT_EQ(loaded.GetLayerNameByID(1), QStringLiteral("A"));
  EXPECT_FALSE(loaded.IsVisibleLayerByID(257));
  EXPECT_EQ(loaded.GetLayerNoById(257), 2);
  EXPECT_EQ(loaded.GetLayerNoByName(QStringLiteral("B")), 2);
}

TEST(DrawingFile, ASizeGivenInPixelsIsKeptThroughZooming) {
  TMyCAD source;
  source.SetWidth(400);
  source.SetHeight(300);
  TMyCAD cad;
  ASSERT_TRUE(Load(cad, Saved(source)));
  for (double z : {2.0, 1.5, 0.3, 7.0, 1.0}) cad.SetZoom(z);
  EXPECT_EQ(cad.Width(), 400);
  EXPECT_EQ(cad.Height(), 300);
  cad.SetZoom(1.5);
  EXPECT_EQ(cad.Width(), 600);
  EXPECT_EQ(cad.Height(), 450);
  const QByteArray saved = Saved(cad);
  TMemoryStream m(saved);
  m.SetPosition(222);
  EXPECT_EQ(m.ReadLE<int32_t>(), 400);
  EXPECT_EQ(m.ReadLE<int32_t>(), 300);
  // The page follows in whole millimetres (105.8 x 79.4); a page size set in millimetres
  // sizes the drawing from then on.
  EXPECT_EQ(cad.PageWidth(), 106u);
  EXPECT_EQ(cad.PageHeight(), 79u);
  cad.SetPageStyle(TPageStyle::A5);
  cad.SetZoom(1);
  EXPECT_EQ(cad.Width(), 559);  // 148 mm
  EXPECT_EQ(cad.Height(), 794);  // 210 mm
}

TEST(DrawingFile, ShapeIdsAHostSetAreRepairedOnLoad) {
  TMyCAD cad;
  TMyShape* a = AddShape(cad, "TMyRectangle", 0, 0, 10, 10);
  TMyShape* b = AddShape(cad, "TMyEllipse", 20, 0, 30, 10);
  TMyShape* c = AddShape(cad, "TMyRectangle", 40, 0, 50, 10);
  TMyShape* d = AddShape(cad, "TMyEllipse", 60, 0, 70, 10);
  ASSERT_GE(cad.GroupShapes({c, d}, false), 0);
  a->ShapeId = 1 << 30;
  b->ShapeId = -5;
  c->ShapeId = std::numeric_limits<int32_t>::max();
  d->ShapeId = 3;
  TMyCAD other;
  ASSERT_TRUE(Load(other, Saved(cad)));
  ASSERT_EQ(other.GetShapesCount(), 5);
  // Sound ids stay (3 and the group's 4); the others follow the largest, in list order.
  std::vector<int32_t> ids;
  for (int32_t i = 0; i < 5; ++i) ids.push_back(other.GetShapeByNo(i)->ShapeId);
  EXPECT_EQ(ids, (std::vector<int32_t>{5, 6, 7, 3, 4}));
  EXPECT_EQ(other.NextShapeId(), 8);
  EXPECT_EQ(other.GetShapeByNo(4)->ChildShapes, (std::vector<int32_t>{2, 3}));
  // What was repaired saves and loads as it is.
  TMyCAD again;
  ASSERT_TRUE(Load(again, Saved(other)));
  EXPECT_EQ(Saved(again), Saved(other));
}
