#include "../core/bytes.h"
#include "../shapes/recordbytes.h"
#include "../support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <csignal>
#include <sys/resource.h>

using namespace cad;
using testing_support::Bytes;
using testing_support::Near;
using testing_support::RecordOf;

namespace {

// A ten-byte extended real: 64-bit mantissa with its integer bit, biased exponent, sign.
Bytes& Ext(Bytes& b, double v) {
  if (v == 0) return b.zeros(10);
  int e = 0;
  const double m = std::frexp(std::fabs(v), &e);  // v = m * 2^e, 0.5 <= m < 1
  b.i64(static_cast<int64_t>(static_cast<uint64_t>(std::ldexp(m, 64))));
  b.u8(static_cast<uint8_t>((e - 1 + 16383) & 0xFF));
  return b.u8(static_cast<uint8_t>(((e - 1 + 16383) >> 8) | (v < 0 ? 0x80 : 0)));
}

// A shape record of the given generation, as the record table lays it out: a plain shape with
// the points given, no relations, pen width 2; a link point appends the side of its square.
QByteArray Record(const QString& V, std::initializer_list<TMyPoint> Points, bool LinkPoint) {
  const bool countsOnly = V == "ZK.2", extended = V == "ZK.4";
  Bytes b;
  auto coord = [&](float x) { extended ? Ext(b, x) : b.f32(x); };
  b.str("").i32(0).i32(0).i32(0).i32(-1).i32(0).i32(0);
  b.i32(static_cast<int32_t>(Points.size()));
  if (!countsOnly)
    for (const TMyPoint& p : Points) coord(p.X), coord(p.Y);
  b.i32(0);  // no link points of its own
  if (countsOnly) {
    Ext(b, 0.5), Ext(b, 0.5);
  } else {
    coord(0.5f), coord(0.5f);
    b.i32(0);
    coord(0);
  }
  b.i64(0).i32(0xFFFFFF).u8(0).str("cap").i32(0).i32(0).str("DejaVu Sans").u8(1).i32(0).i32(-11).i32(8).u8(0).i32(0).u8(0);
  if (V != "ZK.7") b.i32(0).i32(0);
  b.u8(23);
  if (countsOnly || extended) b.raw({0, 0});
  b.str("").i32(0x0000FF).u8(4).u8(0).i32(2);
  if (V == "ZK.8" || V == "ZK.9" || V == "ZK.a") b.i32(0);
  if (V == "ZK.9" || V == "ZK.a") b.raw({0, 0, 1});
  if (LinkPoint) b.u8(8);
  return b.Data;
}

// A 16-byte class tag.
QByteArray Tag(const char* Class) {
  QByteArray t(Class);
  return t + QByteArray(16 - t.size(), ' ');
}

// One entry as the entry table lays it out.
QByteArray Entry(const char* Name, int32_t W, int32_t H, const QByteArray& UserData, const QList<QByteArray>& Records) {
  Bytes body;
  body.i32(W).i32(H);
  body.Data += UserData;
  body.i32(static_cast<int32_t>(Records.size()));
  for (const QByteArray& r : Records) body.Data += r;
  Bytes e;
  e.u8(static_cast<uint8_t>(std::strlen(Name))).chars(Name).i32(static_cast<int32_t>(body.Data.size()));
  return e.Data + body.Data;
}

QString WriteFile(const QTemporaryDir& Dir, const QString& Name, const QByteArray& Data) {
  const QString path = Dir.filePath(Name);
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(Data);
  return path;
}

QByteArray ReadFile(const QString& Path) {
  QFile f(Path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Names(TLibManager& Lib) {
  QStringList n;
  for (int32_t i = 0; i < Lib.cmbShapesCount(); ++i) n << Lib.GetCmbShapesNameByID(i);
  return n;
}

TMyShape* AddShape(TMyCAD& Cad, const char* Class, std::initializer_list<TMyPoint> Points) {
  TMyShape* s = TMyCAD::CreateShapeByName(QLatin1String(Class), &Cad);
  s->Points = Points;
  s->ShapeId = Cad.NextShapeId();
  s->ShapeNo = Cad.GetShapesCount();
  s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
  s->CenterPoint = s->ComputeCenterPoint();
  EXPECT_TRUE(Cad.AddShape(s, false, false));
  return s;
}

}  // namespace

TEST(LibManager, NewLibraryAndEntryBytes) {
  TLibManager lib;
  EXPECT_EQ(lib.Buffer(), QByteArray("VORNLIBX.a"));
  EXPECT_EQ(lib.cmbShapesCount(), 0);

  // A box at (10, 20)-(110, 70) with its text point in the middle: stored relative to its box.
  TMyCAD cad;
  TMyShape* box = AddShape(cad, "TMyRectangle", {{10, 20}, {110, 20}, {110, 70}, {10, 70}});
  box->TextPoint = TMyPoint{60, 45};
  TUserData data;
  data.AddKeyandValue("k", "v");
  lib.AppendNewShape("Box", {box}, &data, 100, 50);

  Bytes rec;
  rec.str("").i32(0).i32(0).i32(0).i32(-1).i32(0).i32(0)
      .i32(4).f32(0).f32(0).f32(1).f32(0).f32(1).f32(1).f32(0).f32(1)
      .i32(0).f32(0.5f).f32(0.5f).i32(0).f32(0);
  testing_support::DefaultStyleFields(rec, "Shape0");
  const int32_t body = 8 + 14 + 4 + 16 + static_cast<int32_t>(rec.Data.size());
  Bytes entry;
  entry.u8(3).chars("Box").i32(body).i32(100).i32(50).i32(1).str("k").str("v").i32(1).chars("TMyRectangle    ");
  EXPECT_EQ(lib.Buffer(), QByteArray("VORNLIBX.a") + entry.Data + rec.Data);
  EXPECT_EQ(lib.Buffer().size(), 10 + 1 + 3 + 4 + body);
  EXPECT_EQ(lib.GetCmbShapesNameByID(0), "Box");

  // The old format loads as its bytes, and only through its own loader.
  QTemporaryDir dir;
  const QByteArray old = QByteArray("VORNLIB2.1") + QByteArray(7, '\x01');
  const QString oldFile = WriteFile(dir, "old.lib", old);
  TLibManager fromOld;
  EXPECT_FALSE(fromOld.LoadFromFile(dir.filePath("missing.lib")));
  EXPECT_TRUE(fromOld.LibFileName().isEmpty());
  EXPECT_TRUE(fromOld.LoadFromOldFile(oldFile));
  EXPECT_EQ(fromOld.Buffer(), old);
  EXPECT_EQ(fromOld.LibFileName(), oldFile);
  EXPECT_FALSE(lib.LoadFromOldFile(WriteFile(dir, "new.lib", lib.Buffer())));
}

TEST(LibManager, WritingAnEntryLeavesTheShapesAlone) {
  TMyCAD cad;
  // Coordinates that do not survive being divided by the box and multiplied back.
  TMyShape* a = AddShape(cad, "TMyPolyLine", {{0.1f, 0.7f}, {33.3f, 9.9f}, {71.7f, 3.3f}});
  TMyShape* b = AddShape(cad, "TMyEllipse", {{3.3f, 3.3f}, {9.1f, 3.3f}, {9.1f, 13.7f}, {3.3f, 13.7f}});
  a->TextPoint = TMyPoint{1.1f, 2.3f};
  const QByteArray beforeA = RecordOf(*a), beforeB = RecordOf(*b);
  const uint64_t revA = a->Revision(), revB = b->Revision();
  TLibManager lib;
  lib.AppendNewShape("Two", {a, b}, nullptr, 72, 13);
  int32_t w = 0, h = 0;
  int64_t len = 0, next = 0;
  EXPECT_TRUE(lib.WriteShapes({a, b}, w, h, lib.Buffer().size(), len, next));
  EXPECT_EQ(w, 72);  // round(71.7 - 0.1)
  EXPECT_EQ(h, 13);  // round(13.7 - 0.7)
  EXPECT_EQ(RecordOf(*a), beforeA);
  EXPECT_EQ(RecordOf(*b), beforeB);
  EXPECT_EQ(a->Revision(), revA);
  EXPECT_EQ(b->Revision(), revB);
  EXPECT_EQ(a->Name(), "Shape0");
}

// Libraries written by hand in every generation: a box filling the entry and a link point
// around (1, 0.5) of the unit box, at the nominal size 40 x 20, with the user data "k" = "v"
// where the generation stores user data.
TEST(LibManager, EveryGenerationReadsAndUpgrades) {
  struct Case {
    const char* Tag;
    const char* Version;
    bool UserData;
  };
  const Case cases[] = {{"VORNLIBX.2", "ZK.2", false}, {"VORNLIBX.3", "ZK.4", false}, {"VORNLIBX.6", "ZK.6", false},
                        {"VORNLIBX.7", "ZK.7", false}, {"VORNLIBX.8", "ZK.8", true},  {"VORNLIBX.9", "ZK.9", true},
                        {"VORNLIBX.a", "ZK.a", true}};
  QTemporaryDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Tag);
    const QString v = QLatin1String(c.Version);
    const QByteArray ud = c.UserData ? Bytes().i32(1).str("k").str("v").Data : QByteArray();
    const QByteArray box = Tag("TMyRectangle") + Record(v, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, false);
    const QByteArray link = Tag("TMyLinkPoint") + Record(v, {{0.75f, 0.25f}, {1.25f, 0.25f}, {1.25f, 0.75f}, {0.75f, 0.75f}}, true);
    const QByteArray data = QByteArray(c.Tag) + Entry("Part", 40, 20, ud, {box, link}) + Entry("Second", 1, 1, ud, {box});
    const QString file = WriteFile(dir, QStringLiteral("lib") + c.Version, data);
    ASSERT_TRUE(IsVORNLibFile(file));

    const bool countsOnly = v == "ZK.2";  // points stored as counts only lie at (0, 0)
    auto check = [&](TLibManager& Lib) -> QByteArray {
      EXPECT_EQ(Names(Lib), (QStringList{"Part", "Second"}));
      TArrMyPoint links;
      TUserData got;
      got.AddKeyandValue("stale", "x");
      TLibShapes shapes;
      int32_t w = 0, h = 0;
      if (!Lib.GetCmbShape("Part", links, &got, shapes, w, h, true) || shapes.size() != 1 || links.size() != 1) {
        ADD_FAILURE() << "entry not read as written";
        return QByteArray();
      }
      EXPECT_EQ(w, 40);
      EXPECT_EQ(h, 20);
      EXPECT_EQ(shapes[0]->ClassName(), "TMyRectangle");
      EXPECT_EQ(shapes[0]->Pen()->Width(), 2);
      const TArrMyPoint expected = countsOnly ? TArrMyPoint(4) : TArrMyPoint{{0, 0}, {40, 0}, {40, 20}, {0, 20}};
      EXPECT_EQ(shapes[0]->Points.Items(), expected);
      EXPECT_TRUE(Near(links[0], countsOnly ? TMyPoint{0, 0} : TMyPoint{40, 10}));
      const TArrUserDataRecord stored = c.UserData ? TArrUserDataRecord{{"k", "v"}} : TArrUserDataRecord();
      EXPECT_EQ(got.Records, stored);
      // Without extraction the link point stays a shape of the entry.
      EXPECT_TRUE(Lib.GetCmbShape("Second", links, nullptr, shapes, w, h, false));
      EXPECT_EQ(shapes.size(), 1u);
      if (!Lib.GetCmbShape("Part", links, nullptr, shapes, w, h, false) || shapes.size() != 2) {
        ADD_FAILURE() << "link point not kept as a shape";
        return QByteArray();
      }
      EXPECT_TRUE(links.empty());
      return RecordOf(*shapes[0]) + RecordOf(*shapes[1]);
    };

    TLibManager loaded;
    ASSERT_TRUE(loaded.LoadFromFile(file));
    EXPECT_EQ(loaded.Buffer(), data);  // loading keeps the tag
    const QByteArray asRead = check(loaded);

    // Upgraded, saved and opened again: the same shapes, byte for byte, under the newest tag.
    EXPECT_TRUE(loaded.Upgradefromx6tox8(QString()));
    EXPECT_TRUE(loaded.Buffer().startsWith("VORNLIBX.a"));
    EXPECT_EQ(check(loaded), asRead);
    const QString saved = dir.filePath(QStringLiteral("saved") + c.Version);
    loaded.SavetoFile(saved);
    TLibManager reopened;
    ASSERT_TRUE(reopened.LoadFromFile(saved));
    EXPECT_EQ(check(reopened), asRead);

    // The file-taking constructor gives the newest tag whatever the file said.
    TLibManager opened(file);
    EXPECT_EQ(opened.LibFileName(), file);
    int64_t len = 0, pos = 0;
    QString tag;
    opened.ReadLibTag(len, pos, tag);
    EXPECT_EQ(tag, "VORNLIBX.a");
    EXPECT_EQ(check(opened), asRead);
  }
}

TEST(LibManager, PreviewIsScaledAndCentred) {
  TMyCAD cad;
  TMyShape* box = AddShape(cad, "TMyRectangle", {{0, 0}, {100, 0}, {100, 50}, {0, 50}});
  box->Pen()->SetColor(clRed);
  box->Brush()->SetColor(clRed);
  TLibManager lib;
  lib.AppendNewShape("Wide", {box}, nullptr, 100, 50);

  // Size 66: zoom (66 - 2) / 100 = 0.64, so the box is 64 x 32 pixels, 1 pixel from the left
  // and round((66 - 32) / 2) = 17 from the top.
  TBitmap bmp;
  lib.GetCmbShapeImage("Wide", 66, bmp, clYellow);
  ASSERT_EQ(bmp.Width(), 66);
  ASSERT_EQ(bmp.Height(), 66);
  EXPECT_EQ(bmp.Pixel(0, 0), clYellow);
  QRect ink;
  for (int y = 0; y < 66; ++y)
    for (int x = 0; x < 66; ++x)
      if (bmp.Pixel(x, y) == clRed) ink |= QRect(x, y, 1, 1);
  EXPECT_EQ(ink.left(), 1);
  EXPECT_EQ(ink.top(), 17);
  EXPECT_NEAR(ink.width(), 64, 1);
  EXPECT_NEAR(ink.height(), 32, 1);

  // A missing entry gives the plain background.
  lib.GetCmbShapeImage("Missing", 32, bmp, clYellow);
  ASSERT_EQ(bmp.Width(), 32);
  EXPECT_EQ(bmp.Pixel(16, 16), clYellow);
}

// An entry of a group of two boxes and a link point becomes one combine around the two boxes
// (not the group), centred on the point asked for, with the link point as its own.
TEST(LibManager, InsertingAnEntryMakesOneCombine) {
  TMyCAD src;
  TMyShape* a = AddShape(src, "TMyRectangle", {{0, 0}, {40, 0}, {40, 20}, {0, 20}});
  TMyShape* b = AddShape(src, "TMyEllipse", {{60, 0}, {100, 0}, {100, 20}, {60, 20}});
  TMyShape* lp = AddShape(src, "TMyLinkPoint", {{96, 6}, {104, 6}, {104, 14}, {96, 14}});
  ASSERT_GE(src.GroupShapes({a, b}, false), 0);
  TMyShape* group = src.GetShapeByNo(3);
  TUserData data;
  data.AddKeyandValue("part", "A-17");
  TLibManager lib;
  lib.AppendNewShape("Pair", {group, a, b, lp}, &data, 100, 20);
  // A group brings its members along.
  lib.AppendNewShape("Roots", {group, lp}, &data, 0, 0);

  for (const auto& [entry, zoom] : {std::pair{"Pair", 1.0}, std::pair{"Pair", 2.0}, std::pair{"Roots", 1.0}}) {
    SCOPED_TRACE(std::string(entry) + " at zoom " + std::to_string(zoom));
    TMyCAD cad;
    cad.SetZoom(zoom);
    AddShape(cad, "TMyRectangle", {{0, 0}, {5, 0}, {5, 5}, {0, 5}});
    int added = 0;
    cad.OnShapeAdded = [&added](TMyShape*&, int32_t) { ++added; };
    const int32_t id = cad.AddUserDefineShapefromLib(&lib, entry, 300, 200, nullptr);
    ASSERT_GE(id, 0);
    EXPECT_EQ(added, 1);
    ASSERT_EQ(cad.GetShapesCount(), 4);
    TMyShape* combine = cad.GetShapeByID(id);
    ASSERT_NE(combine, nullptr);
    EXPECT_EQ(combine->ClassName(), "TMyCombine");
    EXPECT_EQ(combine->ShapeNo, 1);
    EXPECT_EQ(combine->ChildShapes.Items(), (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(cad.GetShapeByNo(2)->ClassName(), "TMyRectangle");
    EXPECT_EQ(cad.GetShapeByNo(3)->ClassName(), "TMyEllipse");
    for (int32_t no : {2, 3}) {
      EXPECT_EQ(cad.GetShapeByNo(no)->ParentNo, 1);
      EXPECT_EQ(cad.GetShapeByNo(no)->Name(), QStringLiteral("Shape%1").arg(cad.GetShapeByNo(no)->ShapeId));
    }
    // The combine and its members share one box, 100 x 20 at zoom 1, centred on (300, 200).
    const TMyRect outer = cad.GetShapesLTRBinZoom(TArrMyShape{combine});
    const TMyRect inner = cad.GetShapesLTRBinZoom(TArrMyShape{cad.GetShapeByNo(2), cad.GetShapeByNo(3)});
    EXPECT_TRUE(Near(TMyPoint{outer.Left, outer.Top}, TMyPoint{static_cast<float>(300 - 50 * zoom), static_cast<float>(200 - 10 * zoom)}));
    EXPECT_TRUE(Near(TMyPoint{outer.Right, outer.Bottom}, TMyPoint{static_cast<float>(300 + 50 * zoom), static_cast<float>(200 + 10 * zoom)}));
    EXPECT_TRUE(Near(TMyPoint{inner.Left, inner.Top}, TMyPoint{outer.Left, outer.Top}));
    EXPECT_TRUE(Near(TMyPoint{inner.Right, inner.Bottom}, TMyPoint{outer.Right, outer.Bottom}));
    ASSERT_EQ(combine->GetLinkPointsCount(), 1);
    EXPECT_TRUE(Near(combine->GetLinkPointInZoom(0), TMyPoint{static_cast<float>(300 + 50 * zoom), 200}));
    EXPECT_EQ(cad.GetSelectedShape(), combine);
    EXPECT_EQ(combine->UserData()->Records, data.Records);

    cad.Undo();
    EXPECT_EQ(cad.GetShapesCount(), 1);
  }
  TMyCAD cad;
  EXPECT_EQ(cad.AddUserDefineShapefromLib(&lib, "Missing", 10, 10, nullptr), -1);
  EXPECT_EQ(cad.GetShapesCount(), 0);
}

TEST(LibManager, SameNamesActOnTheFirstAndEntriesMove) {
  TMyCAD cad;
  TMyShape* box = AddShape(cad, "TMyRectangle", {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  TMyShape* ell = AddShape(cad, "TMyEllipse", {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  TLibManager lib;
  lib.AppendNewShape("A", {box}, nullptr, 10, 10);
  lib.AppendNewShape("B", {box}, nullptr, 10, 10);
  lib.AppendNewShape("A", {ell}, nullptr, 10, 10);

  int64_t pos = 0, len = 0;
  ASSERT_TRUE(lib.GetExistShape("A", pos, len));
  EXPECT_EQ(pos, 10);
  auto classOf = [&lib](const QString& Name) {
    TArrMyPoint links;
    TLibShapes shapes;
    int32_t w = 0, h = 0;
    return lib.GetCmbShape(Name, links, nullptr, shapes, w, h, true) && !shapes.empty() ? shapes[0]->ClassName() : QString();
  };
  EXPECT_EQ(classOf("A"), "TMyRectangle");

  // Renaming keeps the entry's body byte for byte and acts on the first "A".
  const QByteArray sizeAndBody = lib.Buffer().mid(12, len - 2);
  EXPECT_TRUE(lib.RenameCmbShapeName("A", QStringLiteral("Fl\u00e4che")));
  EXPECT_EQ(Names(lib), (QStringList{QStringLiteral("Fl\u00e4che"), "B", "A"}));
  EXPECT_EQ(lib.Buffer().mid(10, 7), QByteArray("\x06" "Fl\xe4" "che"));  // Latin-1 text
  EXPECT_EQ(lib.Buffer().mid(17, len - 2), sizeAndBody);
  EXPECT_FALSE(lib.RenameCmbShapeName("Missing", "X"));
  EXPECT_EQ(classOf("A"), "TMyEllipse");

  struct Move {
    const char* Name;
    const char* Before;
    bool Result;
    QStringList Order;
  };
  const Move moves[] = {
      {"A", "", true, {"A", QStringLiteral("Fl\u00e4che"), "B"}},
      {"A", "B", true, {QStringLiteral("Fl\u00e4che"), "A", "B"}},
      {"B", "A", true, {QStringLiteral("Fl\u00e4che"), "B", "A"}},
      {"A", "A", true, {QStringLiteral("Fl\u00e4che"), "B", "A"}},
      {"X", "A", false, {QStringLiteral("Fl\u00e4che"), "B", "A"}},
      {"A", "X", false, {QStringLiteral("Fl\u00e4che"), "B", "A"}},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(std::string(m.Name) + " before " + m.Before);
    EXPECT_EQ(lib.MoveCmbShapeBeforeByName(m.Name, m.Before), m.Result);
    EXPECT_EQ(Names(lib), m.Order);
  }
  EXPECT_EQ(classOf("A"), "TMyEllipse");

  lib.AppendNewShape("B", {ell}, nullptr, 10, 10);
  lib.DeleteShape("B");
  EXPECT_EQ(Names(lib), (QStringList{QStringLiteral("Fl\u00e4che"), "A", "B"}));
  EXPECT_EQ(classOf("B"), "TMyEllipse");
  lib.RepalceExistShape("A", {box}, nullptr, 10, 10);
  EXPECT_EQ(Names(lib), (QStringList{QStringLiteral("Fl\u00e4che"), "A", "B"}));
  EXPECT_EQ(classOf("A"), "TMyRectangle");
  lib.DeleteShape("Missing");
  EXPECT_EQ(lib.cmbShapesCount(), 3);
  EXPECT_EQ(lib.GetCmbShapesNameByID(3), QString());
  EXPECT_EQ(lib.GetCmbShapesNameByID(-1), QString());
}

// Entries after a damaged one are out of reach, but the walk ends cleanly and the entries
// before it stay usable.
TEST(LibManager, DamagedSizesEndTheWalk) {
  const QByteArray box = Tag("TMyRectangle") + Record("ZK.a", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, false);
  const QByteArray good = QByteArray("VORNLIBX.a") + Entry("A", 10, 10, Bytes().i32(0).Data, {box});
  struct Case {
    const char* What;
    QByteArray Tail;
    int Count;
  };
  const Case cases[] = {
      {"negative size", Bytes().u8(1).chars("C").i32(-5).zeros(40).Data, 1},
      {"size past the end", Bytes().u8(1).chars("C").i32(1000).zeros(40).Data, 1},
      {"largest size", Bytes().u8(1).chars("C").i32(0x7FFFFFFF).zeros(40).Data, 1},
      {"name past the end", Bytes().u8(200).chars("C").Data, 1},
      {"size cut short", Bytes().u8(1).chars("C").u8(4).Data, 1},
      {"huge shape count", Bytes().u8(1).chars("C").i32(16).i32(10).i32(10).i32(0).i32(0x10000000).Data, 2},
      {"huge user-data count", Bytes().u8(1).chars("C").i32(16).i32(10).i32(10).i32(0x7FFFFFF0).i32(0).Data, 2},
      {"body too short", Bytes().u8(1).chars("C").i32(2).i32(10).Data, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TLibManager lib;
    QTemporaryDir dir;
    ASSERT_TRUE(lib.LoadFromFile(WriteFile(dir, "damaged", good + c.Tail)));
    EXPECT_EQ(lib.cmbShapesCount(), c.Count);
    TArrMyPoint links;
    TLibShapes shapes;
    int32_t w = 0, h = 0;
    EXPECT_TRUE(lib.GetCmbShape("A", links, nullptr, shapes, w, h, true));
    EXPECT_EQ(shapes.size(), 1u);
    EXPECT_FALSE(lib.GetCmbShape("C", links, nullptr, shapes, w, h, true));
    EXPECT_TRUE(shapes.empty());
    TBitmap bmp;
    lib.GetCmbShapeImage("C", 32, bmp, clWhite);
    // New entries go where the walk finds them, in front of the damage.
    lib.AppendNewShape("N", {}, nullptr, 1, 1);
    EXPECT_EQ(Names(lib).last(), "N");
  }
}

TEST(LibManager, FailedSaveLeavesTheOldFile) {
  QTemporaryDir dir;
  const QString file = WriteFile(dir, "old.lib", QByteArray("VORNLIBX.a"));
  TMyCAD cad;
  TLibManager lib;
  for (int i = 0; i < 20; ++i)
    lib.AppendNewShape(QStringLiteral("E%1").arg(i), {AddShape(cad, "TMyRectangle", {{0, 0}, {9, 0}, {9, 9}, {0, 9}})},
                       nullptr, 9, 9);

  // A disk that fills up: files may not grow past 1000 bytes for a moment.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &small);
  QString what;
  try {
    lib.SavetoFile(file);
  } catch (const EFCreateError& e) {
    what = QString::fromUtf8(e.what());
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(what.contains(file)) << what.toStdString();
  EXPECT_EQ(ReadFile(file), QByteArray("VORNLIBX.a"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.lib"});

  // A folder that does not exist.
  const QString nowhere = dir.filePath("missing/new.lib");
  EXPECT_THROW(lib.SavetoFile(nowhere), EFCreateError);
  EXPECT_FALSE(QFile::exists(nowhere));

  lib.SavetoFile(file);
  EXPECT_EQ(ReadFile(file), lib.Buffer());
}
