// Export: DXF text read back by dxflib, bitmaps, and files that fail without harming the old
// one. DXF import is checked by a round trip of exported drawings.
#include "faults.h"
#include "support.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <sstream>

using namespace cad;
using testing_support::AddBox;

namespace {

constexpr double K = 96.0 / 25.4;

// What dxflib reads from a DXF text.
struct TRead : DL_CreationAdapter {
  std::map<std::string, int> Count;
  std::vector<DL_LineData> Lines;
  std::vector<DL_CircleData> Circles;
  std::vector<DL_ArcData> Arcs;
  std::vector<int> PolyFlags;
  std::vector<std::vector<DL_VertexData>> Polys;
  std::vector<DL_TextData> Texts;
  void addLine(const DL_LineData& d) override { ++Count["LINE"], Lines.push_back(d); }
  void addCircle(const DL_CircleData& d) override { ++Count["CIRCLE"], Circles.push_back(d); }
  void addArc(const DL_ArcData& d) override { ++Count["ARC"], Arcs.push_back(d); }
  void addText(const DL_TextData& d) override { ++Count["TEXT"], Texts.push_back(d); }
  void addPolyline(const DL_PolylineData& d) override {
    ++Count["POLYLINE"];
    PolyFlags.push_back(d.flags);
    Polys.emplace_back();
  }
  void addVertex(const DL_VertexData& d) override {
    ++Count["VERTEX"];
    if (!Polys.empty()) Polys.back().push_back(d);
  }
};

TRead ReadDxf(const QByteArray& Text) {
  TRead r;
  std::istringstream in(Text.toStdString());
  DL_Dxf dxf;
  EXPECT_TRUE(dxf.in(in, &r));
  return r;
}

TMyShape* Add(TMyCAD& Cad, const char* Class, const TArrMyPoint& Pts) {
  TMyShape* s = TMyCAD::CreateShapeByName(QLatin1String(Class), &Cad);
  if (!s) return nullptr;
  s->Points = Pts;
  if (!Cad.AddShape(s, false, false)) {
    delete s;
    return nullptr;
  }
  return s;
}

QByteArray FileBytes(const QString& Name) {
  QFile f(Name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& Name, const QByteArray& Bytes) {
  QFile f(Name);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(Bytes);
}

// A surface 400 pixels high at zoom 1.
struct Surface400 {
  TMyCAD Cad;
  Surface400() {
    Cad.SetZoom(1);
    Cad.SetWidth(400);
    Cad.SetHeight(400);
  }
};

}  // namespace

TEST(ExportDxf, ExactText) {
  Surface400 s;
  EXPECT_EQ(s.Cad.DxfText(), QByteArray("0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n"));
  Add(s.Cad, "TMyLine", {{0, 0}, {378, 0}});
  EXPECT_EQ(s.Cad.DxfText(), QByteArray("0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n20\n8\n0\n10\n0\n20\n105.833333333333\n30\n0.0\n"
                                        "11\n100.0125\n21\n105.833333333333\n31\n0.0\n0\nENDSEC\n0\nEOF\n"));
  // Handles run on through every entity: LINE 20, POLYLINE 21, VERTEX 22..25, SEQEND 26.
  Add(s.Cad, "TMyRectangle", {{10, 10}, {50, 10}, {50, 30}, {10, 30}});
  const QList<QByteArray> lines = s.Cad.DxfText().split('\n');
  QList<QByteArray> handles, kinds;
  for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
    if (lines[i] == "5") handles << lines[i + 1];
    if (lines[i] == "0") kinds << lines[i + 1];
  }
  EXPECT_EQ(handles, (QList<QByteArray>{"20", "21", "22", "23", "24", "25", "26"}));
  EXPECT_EQ(kinds, (QList<QByteArray>{"SECTION", "LINE", "POLYLINE", "VERTEX", "VERTEX", "VERTEX", "VERTEX", "SEQEND",
                                      "ENDSEC", "EOF"}));
}

TEST(ExportDxf, EveryClassReadBackByDxflib) {
  struct Case {
    const char* Class;
    TArrMyPoint Pts;
    std::map<std::string, int> Count;
  } cases[] = {
      {"TMyRuleLine", {{0, 0}, {50, 50}}, {}},
      {"TMyImage", {{0, 0}, {50, 0}, {50, 50}, {0, 50}}, {}},
      {"TMyGroup", {{0, 0}, {50, 0}, {50, 50}, {0, 50}}, {}},
      {"TMyLinkPoint", {{0, 0}, {5, 0}, {5, 5}, {0, 5}}, {}},
      {"TMyPolyLine", {{1, 1}}, {}},
      {"TMyPolyLine", {{0, 0}, {10, 0}, {10, 10}}, {{"LINE", 2}}},
      {"TMyLinkLine", {{0, 0}, {10, 0}, {10, 10}, {20, 10}}, {{"LINE", 3}}},
      {"TMyRectangle", {{10, 10}, {50, 10}, {50, 30}, {10, 30}}, {{"POLYLINE", 1}, {"VERTEX", 4}}},
      {"TMyPolygon", {{10, 10}, {50, 10}, {30, 40}, {10, 10}}, {{"POLYLINE", 1}, {"VERTEX", 4}}},
      // Half axes 50 and 50.2: a circle; 50 and 50.5: 181 vertices.
      {"TMyEllipse", {{100, 100}, {200, 100}, {200, 200.4f}, {100, 200.4f}}, {{"CIRCLE", 1}}},
      {"TMyEllipse", {{100, 100}, {200, 100}, {200, 201}, {100, 201}}, {{"POLYLINE", 1}, {"VERTEX", 181}}},
      {"TMyLineLinkLine", {{0, 0}, {20, 0}, {20, 20}, {0, 20}}, {{"CIRCLE", 2}}},
      {"TMyText", {{10, 10}, {90, 10}, {90, 30}, {10, 30}}, {{"TEXT", 1}}},
      {"TMyPolyBezier", {{0, 0}, {100, 0}, {100, 100}, {50, 50}}, {{"POLYLINE", 1}, {"VERTEX", 142}}},
  };
  for (const Case& c : cases) {
    Surface400 s;
    ASSERT_NE(Add(s.Cad, c.Class, c.Pts), nullptr) << c.Class;
    EXPECT_EQ(ReadDxf(s.Cad.DxfText()).Count, c.Count) << c.Class << " " << c.Pts.size();
  }
}

TEST(ExportDxf, CoordinatesAsReadBack) {
  Surface400 s;
  Add(s.Cad, "TMyEllipse", {{100, 100}, {200, 100}, {200, 201}, {100, 201}});
  Add(s.Cad, "TMyLineLinkLine", {{0, 0}, {20, 0}, {20, 20}, {0, 20}});
  auto* arc = static_cast<TMyElliArc*>(Add(s.Cad, "TMyElliArc", {{100, 100}, {150, 50}, {200, 100}}));
  auto* curve = static_cast<TMyElliArc*>(Add(s.Cad, "TMyElliArc", {{0, 0}, {100, 0}, {100, 100}}));
  curve->SetArcMode(TArcMode::amEllipse);
  const TRead r = ReadDxf(s.Cad.DxfText());
  // The ellipse: 3D polyline from the left end of its axis, y upwards about the height.
  ASSERT_EQ(r.Polys.size(), 2u);
  EXPECT_EQ(r.PolyFlags[0], 8);
  EXPECT_NEAR(r.Polys[0].front().x, 100 / K, 1e-9);
  EXPECT_NEAR(r.Polys[0].front().y, (400 - 150.5) / K, 1e-9);
  EXPECT_NEAR(r.Polys[0][90].x, 200 / K, 1e-6);
  EXPECT_NEAR(r.Polys[0][45].y, (400 - 150.5 - 50.5) / K, 1e-3);
  // Two circles of radius 10 and 5 about the joint's centre.
  ASSERT_EQ(r.Circles.size(), 2u);
  EXPECT_NEAR(r.Circles[0].cx, 10 / K, 1e-9);
  EXPECT_NEAR(r.Circles[0].cy, 390 / K, 1e-9);
  EXPECT_NEAR(r.Circles[0].radius, 10 / K, 1e-9);
  EXPECT_NEAR(r.Circles[1].radius, 5 / K, 1e-9);
  // The arc about (150, 100): from the angle of its end to that of its start.
  ASSERT_EQ(r.Arcs.size(), 1u);
  EXPECT_NEAR(r.Arcs[0].cx, 150 / K, 1e-6);
  EXPECT_NEAR(r.Arcs[0].cy, 300 / K, 1e-6);
  EXPECT_NEAR(r.Arcs[0].radius, 50 / K, 1e-6);
  EXPECT_NEAR(r.Arcs[0].angle1, 0, 1e-6);
  EXPECT_NEAR(r.Arcs[0].angle2, 180, 1e-6);
  // The sampled curve runs from P0 to P2 at whole pixels: n = round(sqrt(200 * 100)) = 141.
  ASSERT_EQ(r.Polys[1].size(), 142u);
  EXPECT_NEAR(r.Polys[1].front().y, 400 / K, 1e-9);
  EXPECT_NEAR(r.Polys[1].back().x, 100 / K, 1e-9);
  EXPECT_NEAR(r.Polys[1].back().y, 300 / K, 1e-9);
  (void)arc;
}

TEST(ExportDxf, DegenerateShapesWriteFiniteEntities) {
  Surface400 s;
  const float nan = std::nanf("");
  Add(s.Cad, "TMyPolyLine", {{0, 0}, {nan, 5}, {7, 7}});                 // damaged: left out
  Add(s.Cad, "TMyEllipse", {{5, 5}, {5, 5}, {5, 5}, {5, 5}});              // a point: circle of radius 0
  Add(s.Cad, "TMyEllipse", {{10, 10}, {10, 10}, {10, 60}, {10, 60}});      // no width, first corners equal
  Add(s.Cad, "TMyPolyBezier", {{0, 0}, {50, 0}, {50, 0}, {60, 0}});        // A = 0
  Add(s.Cad, "TMyPolyBezier", {{0, 0}, {0, 0}, {0, 0}, {0, 0}});           // A = B = 0
  const QByteArray text = s.Cad.DxfText();
  for (const char* bad : {"nan", "inf", "NAN", "INF"}) EXPECT_FALSE(text.contains(bad)) << bad;
  const TRead r = ReadDxf(text);
  EXPECT_EQ(r.Count.count("LINE"), 0u);
  ASSERT_EQ(r.Circles.size(), 1u);
  EXPECT_EQ(r.Circles[0].radius, 0);
  ASSERT_EQ(r.Polys.size(), 3u);
  EXPECT_EQ(r.Polys[0].size(), 181u);
  for (const DL_VertexData& v : r.Polys[0]) EXPECT_NEAR(v.x, 10 / K, 1e-9);
  EXPECT_EQ(r.Polys[1].size(), 101u);  // sampled by its linear part, |B| = 100
  EXPECT_EQ(r.Polys[2].size(), 2u);
  // The damaged line took no handle: the first entity written has 20.
  EXPECT_TRUE(text.startsWith("0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n5\n20\n"));
}

TEST(ExportDxf, TextIsOneLineOfAscii) {
  Surface400 s;
  Add(s.Cad, "TMyText", {{10, 10}, {90, 10}, {90, 30}, {10, 30}})->SetInfo(QStringLiteral("Grüße €\nzwei"));
  const QByteArray text = s.Cad.DxfText();
  EXPECT_TRUE(text.contains("\n1\nGr\\U+00FC\\U+00DFe \\U+20AC zwei\n")) << text.constData();
  const TRead r = ReadDxf(text);
  ASSERT_EQ(r.Texts.size(), 1u);
  EXPECT_NEAR(r.Texts[0].ipx, 10 / K, 1e-9);
  EXPECT_NEAR(r.Texts[0].ipy, 370 / K, 1e-9);
  EXPECT_NEAR(r.Texts[0].height, 20 / K, 1e-9);

  // The import turns the escapes back into the characters.
  QTemporaryDir dir;
  const QString name = dir.filePath(QStringLiteral("t.dxf"));
  s.Cad.SaveToDxf(name);
  Surface400 back;
  TDxfImportReport report;
  ASSERT_TRUE(back.Cad.ImportDxf(name, report));
  ASSERT_EQ(back.Cad.GetShapesCount(), 1);
  EXPECT_EQ(back.Cad.GetShapeByNo(0)->GetInfo(), QStringLiteral("Grüße € zwei"));
}

TEST(ExportDxf, RoundTripThroughImport) {
  Surface400 s;
  Add(s.Cad, "TMyLine", {{12, 34}, {256, 78}});
  Add(s.Cad, "TMyRectangle", {{10, 10}, {50, 10}, {50, 30}, {10, 30}});
  Add(s.Cad, "TMyPolygon", {{100, 100}, {150, 120}, {130, 180}, {100, 100}});
  Add(s.Cad, "TMyEllipse", {{200, 200}, {260, 200}, {260, 260}, {200, 260}});
  Add(s.Cad, "TMyPolyLine", {{5, 5}, {15, 25}, {35, 5}});
  const QByteArray record = [&] {
    TMemoryStream m;
    s.Cad.SaveToStream(m);
    return m.Data();
  }();
  QTemporaryDir dir;
  const QString name = dir.filePath(QStringLiteral("r.dxf"));
  s.Cad.SaveToDxf(name);
  TMemoryStream after;
  s.Cad.SaveToStream(after);
  EXPECT_EQ(after.Data(), record);  // export changes nothing

  Surface400 back;
  TDxfImportReport report;
  ASSERT_TRUE(back.Cad.ImportDxf(name, report));
  EXPECT_EQ(report.Summary(), QStringLiteral("6 shapes imported"));  // the poly line came as two lines
  EXPECT_EQ(report.NewLayers, QStringList{QStringLiteral("0")});
  struct Want {
    const char* Class;
    TArrMyPoint Pts;
  } want[] = {
      {"TMyLine", {{12, 34}, {256, 78}}},
      {"TMyRectangle", {{10, 10}, {50, 10}, {50, 30}, {10, 30}}},
      {"TMyPolygon", {{100, 100}, {150, 120}, {130, 180}, {100, 100}}},
      {"TMyEllipse", {{200, 200}, {260, 200}, {260, 260}, {200, 260}}},
      {"TMyLine", {{5, 5}, {15, 25}}},
      {"TMyLine", {{15, 25}, {35, 5}}},
  };
  ASSERT_GE(back.Cad.GetShapesCount(), 6);
  for (int i = 0; i < 6; ++i) {
    TMyShape* got = back.Cad.GetShapeByNo(i);
    EXPECT_EQ(got->ClassName(), QLatin1String(want[i].Class)) << i;
    ASSERT_EQ(got->Points.size(), want[i].Pts.size()) << i;
    for (size_t k = 0; k < want[i].Pts.size(); ++k) EXPECT_TRUE(testing_support::Near(got->Points[k], want[i].Pts[k], 1e-3f)) << i;
    EXPECT_EQ(back.Cad.GetLayerNameByID(got->LayerId), QStringLiteral("0"));
  }
  // One step undoes the whole import.
  back.Cad.Undo();
  EXPECT_EQ(back.Cad.GetShapesCount(), 0);
}

TEST(ExportDxf, ImportCountsWhatItCannotMapAndRefusesNoDxf) {
  QTemporaryDir dir;
  const QString name = dir.filePath(QStringLiteral("i.dxf"));
  WriteFile(name,
            "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nB1\n70\n0\n10\n1\n20\n1\n30\n0\n0\nLINE\n8\nwalls\n10\n1\n20\n1\n11\n2\n21\n1\n0\nENDBLK\n"
            "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
            "0\nINSERT\n8\n0\n2\nB1\n10\n10\n20\n20\n41\n2\n42\n2\n50\n90\n"
            "0\nINSERT\n8\n0\n2\nNOPE\n10\n0\n20\n0\n"
            "0\nPOINT\n8\n0\n10\n1\n20\n1\n0\nLWPOLYLINE\n8\nwalls\n90\n3\n70\n0\n10\n0\n20\n0\n10\n1\n20\n0\n10\n1\n20\n1\n"
            "0\nENDSEC\n0\nEOF\n");
  Surface400 s;
  TDxfImportReport report;
  ASSERT_TRUE(s.Cad.ImportDxf(name, report));
  EXPECT_EQ(report.Summary(), QStringLiteral("2 shapes imported; not imported: 1 INSERT, 1 POINT"));
  ASSERT_EQ(s.Cad.GetShapesCount(), 2);
  // The block's line from its base point (1,1) to (2,1), doubled and turned by 90 degrees, at
  // (10, 20): from (10, 20) to (10, 22) in millimetres.
  TMyShape* line = s.Cad.GetShapeByNo(0);
  EXPECT_TRUE(testing_support::Near(line->Points[0], TMyPoint{static_cast<float>(10 * K), static_cast<float>(400 - 20 * K)}, 1e-3f));
  EXPECT_TRUE(testing_support::Near(line->Points[1], TMyPoint{static_cast<float>(10 * K), static_cast<float>(400 - 22 * K)}, 1e-3f));
  EXPECT_EQ(s.Cad.GetLayerNameByID(line->LayerId), QStringLiteral("walls"));
  EXPECT_EQ(s.Cad.GetShapeByNo(1)->ClassName(), QStringLiteral("TMyPolyLine"));

  // A block that inserts itself in an array adds nothing, and the import ends.
  WriteFile(name,
            "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nB\n70\n0\n10\n0\n20\n0\n30\n0\n"
            "0\nINSERT\n8\n0\n2\nB\n10\n0\n20\n0\n70\n900\n71\n900\n0\nENDBLK\n0\nENDSEC\n"
            "0\nSECTION\n2\nENTITIES\n0\nINSERT\n8\n0\n2\nB\n10\n0\n20\n0\n0\nENDSEC\n0\nEOF\n");
  Surface400 bomb;
  ASSERT_TRUE(bomb.Cad.ImportDxf(name, report));
  EXPECT_EQ(report.Shapes, 0);
  EXPECT_EQ(report.Skipped.count(QStringLiteral("LIMIT")), 1u) << report.Summary().toStdString();

  for (const QByteArray& junk : {QByteArray(), QByteArray("hello\nworld\n"), QByteArray("\x89PNG\r\n")}) {
    WriteFile(name, junk);
    Surface400 t;
    EXPECT_FALSE(t.Cad.ImportDxf(name, report));
    EXPECT_FALSE(report.Error.isEmpty());
    EXPECT_EQ(t.Cad.GetShapesCount(), 0);
    EXPECT_EQ(t.Cad.GetLayersCount(), 1);
  }
  EXPECT_FALSE(s.Cad.ImportDxf(dir.filePath(QStringLiteral("none.dxf")), report));
}

TEST(ExportBmp, IntoABitmapScaledToFitAndZoomBack) {
  for (double zoom : {1.0, 2.0}) {
    TMyCAD cad;
    cad.SetZoom(1);
    cad.SetWidth(400);
    cad.SetHeight(400);
    TMyShape* box = Add(cad, "TMyRectangle", {{0, 0}, {399, 0}, {399, 399}, {0, 399}});
    box->Brush()->SetStyle(TBrushStyle::bsSolid);
    box->Brush()->SetColor(clBlack);
    cad.SetZoom(zoom);
    TBitmap b;
    ASSERT_TRUE(cad.SaveToBmp(&b, 200, 100));
    EXPECT_EQ(cad.Zoom(), zoom);
    ASSERT_EQ(QSize(b.Width(), b.Height()), QSize(200, 100));
    // The drawing at a quarter of its size, whatever zoom it is shown at.
    EXPECT_EQ(b.Image().pixel(90, 90), qRgb(0, 0, 0)) << zoom;
    EXPECT_EQ(b.Image().pixel(150, 50), qRgb(255, 255, 255)) << zoom;
    ASSERT_TRUE(cad.SaveToBmp(&b, 0, 100));
    EXPECT_TRUE(b.Empty());
    EXPECT_FALSE(cad.SaveToBmp(&b, 100000, 100000));
    EXPECT_EQ(cad.Zoom(), zoom);
  }
}

TEST(ExportFiles, WrittenWholeOrNotAtAll) {
  TMyCAD cad;
  cad.SetZoom(1);
  for (int i = 0; i < 300; ++i) Add(cad, "TMyLine", {{float(i), 0}, {float(i), 500}});
  QTemporaryDir dir;
  const QString bmp = dir.filePath(QStringLiteral("a.bmp")), jpg = dir.filePath(QStringLiteral("a.jpg")),
                dxf = dir.filePath(QStringLiteral("a.dxf"));
  cad.SaveToBmp(bmp);
  const QImage written(bmp);
  EXPECT_EQ(written.size(), QSize(cad.Width(), cad.Height()));
  EXPECT_EQ(written.pixel(10, 10), qRgb(0, 0, 0));
  cad.SaveToJpg(jpg, 95);
  const qint64 fine = QFile(jpg).size();
  cad.SaveToJpg(jpg, 5);
  EXPECT_TRUE(FileBytes(jpg).startsWith("\xFF\xD8\xFF"));
  EXPECT_LT(QFile(jpg).size(), fine);
  EXPECT_FALSE(cad.SaveToWmf(dir.filePath(QStringLiteral("a.wmf"))));
  EXPECT_FALSE(cad.CopyToClipBoardAsWmf());
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("a.wmf"))));

  const QString missing = dir.filePath(QStringLiteral("no/such/folder/x"));
  EXPECT_THROW(cad.SaveToBmp(missing + ".bmp"), EFCreateError);
  EXPECT_THROW(cad.SaveToDxf(missing + ".dxf"), EFCreateError);
  EXPECT_THROW(cad.SaveToJpg(missing + ".jpg", 80), EFCreateError);

  // A full disk: every export fails and the old files stay as they were.
  for (const QString& f : {bmp, jpg, dxf}) WriteFile(f, "old");
  {
    testing_support::TFileSizeLimit full(1024);
    EXPECT_THROW(cad.SaveToBmp(bmp), EStreamError);
    EXPECT_THROW(cad.SaveToJpg(jpg, 100), EStreamError);
    EXPECT_THROW(cad.SaveToDxf(dxf), EStreamError);
  }
  for (const QString& f : {bmp, jpg, dxf}) EXPECT_EQ(FileBytes(f), QByteArray("old")) << f.toStdString();

  // A page of ten metres at zoom 1 is refused before any pixel is allocated.
  cad.SetPageWidth(10000);
  cad.SetPageHeight(10000);
  EXPECT_THROW(cad.SaveToBmp(bmp), EExportError);
  EXPECT_EQ(FileBytes(bmp), QByteArray("old"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}
