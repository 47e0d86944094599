// kestrafel-tool export, print and import-dxf, run as a program: each format lands in its file,
// the tool says nothing it was not asked, and the DXF it writes imports again.
#include "support.h"
#include "run_tool.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace cad;
using testing_support::TRun;
using testing_support::Tool;

namespace {

QByteArray Head(const QString& File, int N) {
  QFile f(File);
  return f.open(QIODevice::ReadOnly) ? f.read(N) : QByteArray();
}

}  // namespace

TEST(KestrafelToolExport, FormatsPrintAndImport) {
  QTemporaryDir dir;
  const QString drawing = dir.filePath(QStringLiteral("d.vorn"));
  {
    TMyCAD cad;
    cad.SetZoom(1);
    cad.AddShapeByCode(&cad, TDrawTool::SpRectangle, QString(), {{20, 20}, {120, 20}, {120, 80}, {20, 80}});
    cad.SetCurrentLayerId(cad.NewLayer(QStringLiteral("Second"), true));
    cad.AddShapeByCode(&cad, TDrawTool::SpLine, QString(), {{10, 300}, {200, 300}});
    ASSERT_TRUE(cad.SaveToFile(drawing));
  }
  struct Case {
    const char* Out;
    QStringList Extra;
    QByteArray Magic;
  } cases[] = {
      {"a.dxf", {}, "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE"},
      {"b.dxf", {QStringLiteral("--layers"), QStringLiteral("1")}, "0\nSECTION\n2\nENTITIES\n0\nLINE"},
      {"a.bmp", {}, "BM"},
      {"a.jpg", {QStringLiteral("--zoom"), QStringLiteral("0.5")}, "\xFF\xD8\xFF"},
      {"a.png", {}, "\x89PNG"},
      {"a.svg", {}, "<?xml"},
      {"a.pdf", {}, "%PDF"},
  };
  for (const Case& c : cases) {
    const QString out = dir.filePath(QLatin1String(c.Out));
    const TRun r = Tool(QStringList{QStringLiteral("export"), drawing, out} + c.Extra);
    EXPECT_EQ(r.Exit, 0) << c.Out << r.Err.toStdString();
    EXPECT_EQ(r.Err, QString()) << c.Out;
    EXPECT_EQ(Head(out, c.Magic.size()), c.Magic) << c.Out;
  }
  EXPECT_EQ(QImage(dir.filePath(QStringLiteral("a.png"))).size(), QSize(794, 1123));
  EXPECT_EQ(QImage(dir.filePath(QStringLiteral("a.jpg"))).size(), QSize(397, 562));

  const QString pdf = dir.filePath(QStringLiteral("p.pdf"));
  TRun r = Tool({QStringLiteral("print"), drawing, pdf, QStringLiteral("--scale"), QStringLiteral("0.5")});
  EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
  EXPECT_EQ(Head(pdf, 4), QByteArray("%PDF"));

  const QString back = dir.filePath(QStringLiteral("back.vorn"));
  r = Tool({QStringLiteral("import-dxf"), dir.filePath(QStringLiteral("a.dxf")), back});
  EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
  EXPECT_EQ(r.Out, QStringLiteral("2 shapes imported\n"));
  TMyCAD cad;
  ASSERT_TRUE(cad.LoadFromFile(back));
  EXPECT_EQ(cad.GetShapesCount(), 2);

  for (const QStringList& bad : {QStringList{QStringLiteral("export"), drawing, dir.filePath(QStringLiteral("x.doc"))},
                                 QStringList{QStringLiteral("export"), drawing, dir.filePath(QStringLiteral("x.png")),
                                             QStringLiteral("--layers"), QStringLiteral("a")},
                                 QStringList{QStringLiteral("print"), drawing, dir.filePath(QStringLiteral("x.png"))}})
    EXPECT_EQ(Tool(bad).Exit, 2) << bad.join(' ').toStdString();
  r = Tool({QStringLiteral("export"), drawing, dir.filePath(QStringLiteral("x.png")), QStringLiteral("--layers"), QStringLiteral("7")});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_TRUE(r.Err.contains(QStringLiteral("has no layer 7"))) << r.Err.toStdString();
  r = Tool({QStringLiteral("import-dxf"), drawing, back});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.png"))));
}
