// Runs the built kestrafel-tool on drawings made here and checks its output, files and exit codes.
#include "support.h"
#include "run_tool.h"
#include "../shapes/recordbytes.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

using namespace cad;
using testing_support::TRun;
using testing_support::Tool;

namespace {

TMyShape* Add(TMyCAD& Cad, const char* Class, std::initializer_list<TMyPoint> Points) {
  TMyShape* s = TMyCAD::CreateShapeByName(QString::fromLatin1(Class), &Cad);
  for (const TMyPoint& p : Points) s->AddPoint(p);
  s->ShapeId = Cad.NextShapeId();
  s->ShapeNo = Cad.GetShapesCount();
  s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
  EXPECT_TRUE(Cad.AddShape(s, false, false));
  TPoint last;
  s->Drawed(TPoint{}, last);
  return s;
}

// Runs `kestrafel-tool info File` and gives the child's peak resident memory in KiB, as the
// kernel accounts it, and its exit code.
struct TPeak {
  long Kb = -1;
  int Exit = -1;
};
TPeak InfoPeak(const QString& File) {
  const QByteArray tool(KESTRAFEL_TOOL), file = QFile::encodeName(File), info("info");
  char* argv[] = {const_cast<char*>(tool.constData()), const_cast<char*>(info.constData()), const_cast<char*>(file.constData()),
                  nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  TPeak peak;
  const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&quiet);
  int status = 0;
  rusage usage{};
  if (spawned == 0 && wait4(pid, &status, 0, &usage) == pid) {
    peak.Kb = usage.ru_maxrss;
    peak.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return peak;
}

class KestrafelTool : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    // A filled red box, an ellipse and a line on Layer0; a box on a hidden layer.
    TMyCAD cad;
    cad.SetZoom(1);
    TMyShape* box = Add(cad, "TMyRectangle", {{20, 20}, {120, 20}, {120, 80}, {20, 80}});
    box->Brush()->SetStyle(TBrushStyle::bsSolid);
    box->Brush()->SetColor(clRed);
    Add(cad, "TMyEllipse", {{200, 20}, {300, 20}, {300, 80}, {200, 80}});
    Add(cad, "TMyLine", {{20, 200}, {300, 200}});
    cad.SetCurrentLayerId(cad.NewLayer(QStringLiteral("Notes"), false));
    Add(cad, "TMyRectangle", {{300, 300}, {400, 300}, {400, 400}, {300, 400}});
    ASSERT_TRUE(cad.SaveToFile(Drawing));
  }
  QString Path(const char* Name) const { return Dir.filePath(QString::fromLatin1(Name)); }

  QTemporaryDir Dir;
  const QString Drawing = Path("drawing.vorn");
};

}  // namespace

TEST_F(KestrafelTool, InfoListsPageLayersAndShapes) {
  const TRun r = Tool({QStringLiteral("info"), Drawing});
  ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
  const QStringList lines = r.Out.split('\n');
  for (const char* expected :
       {"generation: ZK.a", "page: A4, 210 x 297 mm", "drawing: 794 x 1123 pixels at zoom 1", "layers: 2",
        "  layer 0 \"Layer0\": visible, 3 shapes", "  layer 1 \"Notes\": hidden, 1 shape", "shapes: 4"})
    EXPECT_TRUE(lines.contains(QString::fromLatin1(expected))) << expected << "\n" << r.Out.toStdString();
  // Classes sorted by name, after the total.
  const qsizetype total = lines.indexOf(QStringLiteral("shapes: 4"));
  EXPECT_EQ(lines.mid(total + 1, 3), (QStringList{QStringLiteral("  TMyEllipse: 1"), QStringLiteral("  TMyLine: 1"),
                                                  QStringLiteral("  TMyRectangle: 2")}));
}

TEST_F(KestrafelTool, RenderWritesThePageAtTheZoom) {
  const QString png = Path("out.png");
  const TRun r = Tool({QStringLiteral("render"), Drawing, png, QStringLiteral("--zoom"), QStringLiteral("2")});
  ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
  const QImage image(png, "PNG");
  // The drawing's 794 x 1123 pixels, twice.
  ASSERT_EQ(image.size(), QSize(1588, 2246));
  EXPECT_EQ(image.pixelColor(141, 101), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(701, 701), QColor(Qt::white));  // the hidden layer's box
  for (const char* zoom : {"0", "65", "x"}) {
    const TRun bad = Tool({QStringLiteral("render"), Drawing, png, QStringLiteral("--zoom"), QString::fromLatin1(zoom)});
    EXPECT_EQ(bad.Exit, 2) << zoom;
    EXPECT_TRUE(bad.Err.contains(QStringLiteral("Usage:"))) << zoom;
  }
}

TEST_F(KestrafelTool, ASizeInPixelsIsToldAndRenderedAsItIs) {
  TMyCAD cad;
  cad.SetWidth(400);
  cad.SetHeight(300);
  const QString small = Path("small.vorn"), png = Path("small.png");
  ASSERT_TRUE(cad.SaveToFile(small));
  const TRun info = Tool({QStringLiteral("info"), small});
  EXPECT_TRUE(info.Out.split('\n').contains(QStringLiteral("drawing: 400 x 300 pixels at zoom 1"))) << info.Out.toStdString();
  ASSERT_EQ(Tool({QStringLiteral("render"), small, png}).Exit, 0);
  EXPECT_EQ(QImage(png, "PNG").size(), QSize(400, 300));
}

TEST_F(KestrafelTool, RenderDrawsPicturesArcsAndText) {
  TMyCAD cad;
  cad.SetZoom(1);
  auto* picture = static_cast<TMyImage*>(Add(cad, "TMyImage", {{20, 20}}));
  TBitmap blue(40, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) blue.SetPixel(x, y, clBlue);
  picture->SetBitmap(&blue);
  // The upper half of the circle about (160, 100) of radius 40, closed through the centre.
  auto* arc = static_cast<TMyElliArc*>(Add(cad, "TMyElliArc", {{120, 100}, {160, 60}, {200, 100}}));
  arc->SetArcStyle(TArcStyle::asSector);
  arc->Brush()->SetStyle(TBrushStyle::bsSolid);
  arc->Brush()->SetColor(clLime);
  auto* text = static_cast<TMyText*>(Add(cad, "TMyText", {{20, 150}, {200, 150}, {200, 200}, {20, 200}}));
  text->SetLines({QStringLiteral("MMMMMMMM")});
  const QString drawing = Path("kinds.vorn"), png = Path("kinds.png");
  ASSERT_TRUE(cad.SaveToFile(drawing));

  const TRun r = Tool({QStringLiteral("render"), drawing, png, QStringLiteral("--zoom"), QStringLiteral("2")});
  ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
  const QImage image(png, "PNG");
  EXPECT_EQ(image.pixelColor(60, 60), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(320, 160), QColor(Qt::green));  // inside the slice
  EXPECT_NE(image.pixelColor(320, 220), QColor(Qt::green));  // below the centre
  int dark = 0;  // the text, in the middle of its box
  for (int y = 330; y < 370; ++y)
    for (int x = 40; x < 400; ++x) dark += qGray(image.pixel(x, y)) < 96;
  EXPECT_GT(dark, 50);
}

TEST_F(KestrafelTool, UpgradeSavesADrawingThatLoadsAgain) {
  const QString out = Path("upgraded.vorn");
  ASSERT_EQ(Tool({QStringLiteral("upgrade"), Drawing, out}).Exit, 0);
  TMyCAD cad;
  ASSERT_TRUE(cad.LoadFromFile(out));
  EXPECT_EQ(cad.GetShapesCount(), 4);
  EXPECT_EQ(cad.GetLayersCount(), 2);
}

TEST_F(KestrafelTool, FileErrorsAndWrongUsage) {
  auto expectFailure = [](const TRun& r, int exit, const QString& message) {
    EXPECT_EQ(r.Exit, exit) << message.toStdString();
    EXPECT_TRUE(r.Err.contains(message)) << r.Err.toStdString();
  };
  const QString missing = Path("missing.vorn");
  expectFailure(Tool({QStringLiteral("info"), missing}), 1, missing + QStringLiteral(": cannot be read: no such file"));

  const QString text = Path("notes.txt");
  QFile t(text);
  ASSERT_TRUE(t.open(QIODevice::WriteOnly));
  t.write(QByteArray(300, 'x'));
  t.close();
  expectFailure(Tool({QStringLiteral("info"), text}), 1, text + QStringLiteral(": not a drawing file"));

  QFile whole(Drawing);
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  const QByteArray bytes = whole.readAll();
  const QString cut = Path("cut.vorn");
  QFile c(cut);
  ASSERT_TRUE(c.open(QIODevice::WriteOnly));
  c.write(bytes.left(bytes.size() * 2 / 3));
  c.close();
  expectFailure(Tool({QStringLiteral("upgrade"), cut, Path("x.vorn")}), 1, cut + QStringLiteral(": not loaded: it ends early"));
  EXPECT_FALSE(QFile::exists(Path("x.vorn")));

  const QString unwritable = Path("no/such/dir/out.png");
  expectFailure(Tool({QStringLiteral("render"), Drawing, unwritable}), 1, unwritable + QStringLiteral(": cannot be written"));

  expectFailure(Tool({}), 2, QStringLiteral("Usage:"));
  expectFailure(Tool({QStringLiteral("draw"), Drawing}), 2, QStringLiteral("unknown command"));
  expectFailure(Tool({QStringLiteral("info"), Drawing, Drawing}), 2, QStringLiteral("Usage:"));
  const TRun help = Tool({QStringLiteral("--help")});
  EXPECT_EQ(help.Exit, 0);
  EXPECT_TRUE(help.Out.startsWith(QStringLiteral("Usage:")));
}

TEST_F(KestrafelTool, PeakMemoryFollowsTheBytesNotTheClaims) {
  // "ZK.2" drawings of 3000 shapes whose point lists are counts without coordinates. Claims the
  // file's bytes cannot justify are refused however they are spread over the records; claims
  // within them load. Either way the reader's memory stays a small multiple of the file.
  using testing_support::Bytes;
  struct Case {
    const char* Name;
    int32_t Points, LinkPoints;
    bool Loads;
  };
  const TPeak tiny = InfoPeak(Drawing);
  ASSERT_EQ(tiny.Exit, 0);
  for (const Case& c : {Case{"most", 65536, 65536, false}, Case{"modest", 60, 60, true}}) {
    SCOPED_TRACE(c.Name);
    Bytes b = testing_support::Header("ZK.2");
    testing_support::Settings(b, 400, 300);
    b.i32(1).str("Base").i32(3).i32(1).i32(3).i32(3000);
    for (int i = 0; i < 3000; ++i) b.chars("TMyRectangle    ").Data += testing_support::Zk2Record(c.Points, c.LinkPoints);
    const QString file = Path("claims.vorn");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(b.Data) == b.Data.size());
    f.close();
    const TPeak peak = InfoPeak(file);
    EXPECT_EQ(peak.Exit == 0, c.Loads);
    // 32 times the file, and 8 MiB for the allocator's own keeping (the sanitizer build's
    // red zones and quarantine among it); unbounded claims took thousands of times the file.
    const long fileKb = static_cast<long>(b.Data.size() / 1024);
    EXPECT_LT(peak.Kb - tiny.Kb, 32 * fileKb + 8192) << "file " << fileKb << " KiB, peak " << peak.Kb << " KiB, tiny " << tiny.Kb;
  }
}

TEST_F(KestrafelTool, LibraryListRenderAndUpgrade) {
  TMyCAD cad;
  TMyShape* box = Add(cad, "TMyRectangle", {{0, 0}, {100, 0}, {100, 50}, {0, 50}});
  box->Brush()->SetStyle(TBrushStyle::bsSolid);
  box->Brush()->SetColor(clRed);
  TMyShape* point = Add(cad, "TMyLinkPoint", {{96, 21}, {104, 21}, {104, 29}, {96, 29}});
  TUserData data;
  data.AddKeyandValue(QStringLiteral("part"), QStringLiteral("A-17"));
  TLibManager lib;
  lib.AppendNewShape(QStringLiteral("Box"), {box, point}, &data, 100, 50);
  lib.AppendNewShape(QStringLiteral("Bare"), {}, nullptr, 0, 0);
  const QString file = Path("shapes.lib");
  lib.SavetoFile(file);

  const TRun list = Tool({QStringLiteral("lib"), QStringLiteral("list"), file});
  ASSERT_EQ(list.Exit, 0) << list.Err.toStdString();
  EXPECT_EQ(list.Out.split('\n').mid(1, 4),
            (QStringList{QStringLiteral("generation: VORNLIBX.a"), QStringLiteral("entries: 2"),
                         QStringLiteral("  \"Box\": 100 x 50, 1 shapes, 1 link points, 1 user data"),
                         QStringLiteral("  \"Bare\": 1 x 1, 0 shapes, 0 link points, 0 user data")}));

  const QString png = Path("box.png");
  const TRun render = Tool({QStringLiteral("lib"), QStringLiteral("render"), file, QStringLiteral("Box"), png,
                            QStringLiteral("--size"), QStringLiteral("66")});
  ASSERT_EQ(render.Exit, 0) << render.Err.toStdString();
  const QImage image(png, "PNG");
  ASSERT_EQ(image.size(), QSize(66, 66));
  EXPECT_EQ(image.pixelColor(33, 33), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(33, 10), QColor(Qt::white));

  const QString upgraded = Path("upgraded.lib");
  const TRun upgrade = Tool({QStringLiteral("lib"), QStringLiteral("upgrade"), file, upgraded});
  ASSERT_EQ(upgrade.Exit, 0) << upgrade.Err.toStdString();
  TLibManager again;
  ASSERT_TRUE(again.LoadFromFile(upgraded));
  EXPECT_EQ(again.Buffer(), lib.Buffer());

  const TRun missing = Tool({QStringLiteral("lib"), QStringLiteral("render"), file, QStringLiteral("Nope"), png});
  EXPECT_EQ(missing.Exit, 1);
  EXPECT_TRUE(missing.Err.contains(QStringLiteral("no entry \"Nope\""))) << missing.Err.toStdString();
  const TRun notLib = Tool({QStringLiteral("lib"), QStringLiteral("list"), Drawing});
  EXPECT_EQ(notLib.Exit, 1);
  EXPECT_TRUE(notLib.Err.contains(QStringLiteral("not a shape library"))) << notLib.Err.toStdString();
  EXPECT_EQ(Tool({QStringLiteral("lib"), QStringLiteral("render"), file, QStringLiteral("Box"), png, QStringLiteral("--size"),
                  QStringLiteral("2")})
                .Exit,
            2);
}
