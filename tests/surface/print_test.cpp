// The printed page and its preview: size, layer filter, decorations, the PDF a printer writes
// against the preview of the same page, and failures that must leave the old file alone.
#include "support.h"
#include "faults.h"

#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <vector>

using namespace cad;
using testing_support::AddBox;
using testing_support::TTestShape;

namespace {

bool Dark(QRgb P) { return qGray(P) < 160; }

// Every 8 x 8 block of the picture: whether it holds ink.
std::vector<bool> InkBlocks(const QImage& Image, QSize Size) {
  std::vector<bool> out;
  for (int by = 0; by < Size.height(); by += 8)
    for (int bx = 0; bx < Size.width(); bx += 8) {
      bool ink = false;
      for (int y = by; y < std::min(by + 8, Image.height()) && !ink; ++y)
        for (int x = bx; x < std::min(bx + 8, Image.width()) && !ink; ++x) ink = Dark(Image.pixel(x, y));
      out.push_back(ink);
    }
  return out;
}

void SetUpPdf(TMyCAD& Cad, const QString& File, int Dpi) {
  QPrinter* p = Cad.Printer();
  p->setOutputFormat(QPrinter::PdfFormat);
  p->setOutputFileName(File);
  p->setResolution(Dpi);
  p->setPageSize(QPageSize(QPageSize::A4));
}

}  // namespace

TEST(Print, PreviewSizeFollowsPageAndScaleAndKeepsZoom) {
  SetScreenPixelsPerInch(75);
  TMyCAD cad;
  cad.SetZoom(1.5);
  TBitmap b;
  ASSERT_TRUE(cad.PrintPreview({}, &b, 0.5));
  EXPECT_EQ(QSize(b.Width(), b.Height()), QSize(310, 438));
  EXPECT_EQ(cad.Zoom(), 1.5);
  SetScreenPixelsPerInch(96);

  // A page of ten metres a side: refused at scale 1 (1.4 billion pixels), shown at 0.1.
  cad.SetPageWidth(10000);
  cad.SetPageHeight(10000);
  EXPECT_FALSE(cad.PrintPreview({}, &b, 1));
  EXPECT_TRUE(b.Empty());
  EXPECT_FALSE(cad.PrintPreview({}, &b, std::nan("")));
  ASSERT_TRUE(cad.PrintPreview({}, &b, 0.1));
  EXPECT_EQ(b.Width(), 3780);
}

TEST(Print, LayerFilterDrawsEachMatchingEntryOnce) {
  TMyCAD cad;
  cad.SetZoom(1);
  TTestShape* on0 = AddBox(cad, 10, 10, 20, 20);
  cad.NewLayer(QStringLiteral("L1"), true);
  const int32_t l2 = cad.NewLayer(QStringLiteral("L2"), false);  // hidden layers print too
  TTestShape* on2 = AddBox(cad, 30, 30, 40, 40);
  ASSERT_EQ(on2->LayerId, l2);
  QTemporaryDir dir;
  SetUpPdf(cad, dir.filePath(QStringLiteral("p.pdf")), 96);
  struct Case {
    std::vector<int32_t> Layers;
    int Count0, Count2;
  } cases[] = {{{}, 1, 1}, {{2}, 0, 1}, {{2, 2}, 0, 2}, {{0, 2}, 1, 1}, {{5}, 0, 0}};
  for (const Case& c : cases) {
    for (bool printer : {false, true}) {
      on0->DrawCount = on2->DrawCount = 0;
      if (printer) {
        cad.Print(c.Layers, 1);
      } else {
        TBitmap b;
        cad.PrintPreview(c.Layers, &b, 1);
      }
      EXPECT_EQ(on0->DrawCount, c.Count0) << c.Layers.size() << " printer " << printer;
      EXPECT_EQ(on2->DrawCount, c.Count2) << c.Layers.size() << " printer " << printer;
    }
  }
}

TEST(Print, PreviewDecorations) {
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetPageWidth(100);
  cad.SetPageHeight(80);
  cad.SetPageHead(QStringLiteral("HEAD"));
  cad.SetPageFoot(QStringLiteral("FOOT"));
  TFont big;
  big.SetSize(20);
  cad.SetPageHeadFont(&big);
  cad.SetPageHeadAlignment(TAlignment::taLeftJustify);
  cad.SetPrintABordertoLeft(10);
  cad.SetPrintABordertoRight(30);
  cad.SetColorOfBackGround(clYellow);
  TBitmap b;
  ASSERT_TRUE(cad.PrintPreview({}, &b, 2));
  const int w = b.Width(), h = b.Height();
  ASSERT_EQ(QSize(w, h), QSize(756, 605));
  const QImage img = b.Image();
  // White without PrintBackground; the border's sides at the insets times the scale.
  EXPECT_EQ(img.pixel(5, 300), qRgb(255, 255, 255));
  // (The rectangle's right and bottom edges lie on the last pixel inside them.)
  for (const QPoint p : {QPoint(20, 300), QPoint(w - 61, 300), QPoint(300, 40), QPoint(300, h - 41)})
    EXPECT_TRUE(Dark(img.pixel(p))) << p.x() << "," << p.y();
  EXPECT_FALSE(Dark(img.pixel(21, 300)));
  // The head starts at the left inset, 30 pixels down; the foot is right-aligned above the
  // bottom distance.
  QRect head, foot;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!Dark(img.pixel(x, y)) || x == 20 || x == w - 61 || y == 40 || y == h - 41) continue;
      (y < h / 2 ? head : foot) |= QRect(x, y, 1, 1);
    }
  EXPECT_NEAR(head.left(), 20, 8);
  EXPECT_GE(head.top(), 30);
  EXPECT_GT(head.height(), 20);  // 20 points at scale 2
  EXPECT_NEAR(foot.right(), w - 60, 4);
  EXPECT_LE(foot.bottom(), h - 30);

  cad.SetPrintBackground(true);
  cad.SetPrintABorder(false);
  ASSERT_TRUE(cad.PrintPreview({}, &b, 2));
  EXPECT_EQ(b.Image().pixel(5, 300), qRgb(255, 255, 0));
  EXPECT_EQ(b.Image().pixel(20, 300), qRgb(255, 255, 0));
}

TEST(Print, BackgroundPictureModes) {
  TMyCAD cad;
  cad.SetZoom(1);
  QImage red(100, 100, QImage::Format_RGB32);
  red.fill(Qt::red);
  TBitmap pic;
  pic.SetImage(red);
  cad.SetBkBitmap(&pic);
  struct Case {
    TBkBitmapMode Mode;
    int AreaW, AreaH;
    std::vector<QPoint> Red, White;
  } cases[] = {
      // 3 x 2 tiles over 250 x 120: the last column and row stick out, nothing beyond them.
      {TBkBitmapMode::Tiled, 250, 120, {{50, 50}, {250, 50}, {299, 199}}, {{50, 250}, {305, 50}}},
      {TBkBitmapMode::LeftTop, 250, 120, {{0, 0}, {99, 99}}, {{100, 50}}},
      // Centred in a 60-wide area: cut by 20 on both sides.
      {TBkBitmapMode::Center, 60, 60, {{0, 0}, {59, 59}, {79, 0}}, {{80, 50}}},
      {TBkBitmapMode::Stretch, 250, 120, {{249, 119}}, {{250, 50}, {50, 120}}},
  };
  for (const Case& c : cases) {
    cad.SetBkBitmapMode(c.Mode);
    TBitmap target(320, 320);
    cad.DrawBkBitmapArea(target.Canvas(), 0, 0, c.AreaW, c.AreaH);
    const QImage img = target.Image();
    for (QPoint p : c.Red) EXPECT_EQ(img.pixel(p), qRgb(255, 0, 0)) << int(c.Mode) << " " << p.x() << "," << p.y();
    for (QPoint p : c.White) EXPECT_EQ(img.pixel(p), qRgb(255, 255, 255)) << int(c.Mode) << " " << p.x() << "," << p.y();
  }
}

TEST(Print, PdfMatchesThePreview) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) GTEST_SKIP() << "no pdftoppm";
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetPageHead(QStringLiteral("Head"));
  for (auto [l, t, r, b] : {std::array<float, 4>{100, 100, 300, 200}, {400, 500, 700, 900}, {50, 1000, 60, 1050}})
    AddBox(cad, l, t, r, b);
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
  SetUpPdf(cad, pdf, 96);
  cad.Print({}, 1);
  EXPECT_EQ(cad.Printer()->outputFileName(), pdf);
  ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                                                           QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))}),
            0);
  const QImage printed(dir.filePath(QStringLiteral("page.png")));
  TBitmap preview;
  ASSERT_TRUE(cad.PrintPreview({}, &preview, 1));
  ASSERT_FALSE(printed.isNull());
  EXPECT_NEAR(printed.width(), preview.Width(), 1);
  EXPECT_NEAR(printed.height(), preview.Height(), 1);
  const QSize size(std::min(printed.width(), preview.Width()), std::min(printed.height(), preview.Height()));
  const std::vector<bool> a = InkBlocks(printed, size), b = InkBlocks(preview.Image(), size);
  int inked = 0, differ = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    inked += b[i];
    differ += a[i] != b[i];
  }
  EXPECT_GT(inked, 400);  // border and three boxes
  EXPECT_LE(differ, inked / 20) << differ << " of " << inked;

  // At 300 dots per inch the page is the same on paper: the first box's corner 100 screen
  // pixels in is 100/96 of an inch in.
  SetUpPdf(cad, pdf, 300);
  cad.Print({}, 1);
  ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                                                           QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("hi"))}),
            0);
  const QImage hi(dir.filePath(QStringLiteral("hi.png")));
  const auto inkIn = [&hi](int Y0, int Y1) {
    for (int y = Y0; y <= Y1; ++y)
      if (hi.pixel(150, y) != qRgb(255, 255, 255)) return true;
    return false;
  };
  EXPECT_TRUE(inkIn(98, 102));
  EXPECT_FALSE(inkIn(80, 96));
}

TEST(Print, FailuresLeaveTheOldFile) {
  TMyCAD cad;
  cad.SetZoom(1);
  for (int i = 0; i < 2000; ++i) AddBox(cad, i % 700, i % 1000, i % 700 + 30, i % 1000 + 40);
  QTemporaryDir dir;
  const QString old = dir.filePath(QStringLiteral("old.pdf"));
  {
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old contents");
  }
  SetUpPdf(cad, dir.filePath(QStringLiteral("missing/x.pdf")), 96);
  EXPECT_THROW(cad.Print({}, 1), EPrinterError);
  EXPECT_THROW(cad.Print({}, 0), EPrinterError);

  SetUpPdf(cad, old, 96);
  {
    testing_support::TFileSizeLimit full(4096);
    EXPECT_THROW(cad.Print({}, 1), EPrinterError);
  }
  QFile f(old);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("old contents"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.pdf")});
  EXPECT_EQ(cad.Zoom(), 1);
}

TEST(Print, ATiledPictureOnAHugePageIsOnePicture) {
  // Half a metre a side at 1200 dots per inch: 35 million tiles of a 4 x 4 picture.
  TMyCAD cad;
  cad.SetZoom(1);
  cad.SetPageWidth(500);
  cad.SetPageHeight(500);
  QImage dots(4, 4, QImage::Format_RGB32);
  dots.fill(Qt::blue);
  TBitmap pic;
  pic.SetImage(dots);
  cad.SetBkBitmap(&pic);
  cad.SetBkBitmapMode(TBkBitmapMode::Tiled);
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("huge.pdf"));
  cad.PrintToPdf(pdf, {}, 1);
  EXPECT_GT(QFile(pdf).size(), 0);
  EXPECT_LT(QFile(pdf).size(), 100000);
  EXPECT_EQ(cad.Printer()->outputFileName(), QString());
  // The tiles cover the paper.
  if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) return;
  ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("2"), QStringLiteral("-png"),
                                                           QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("huge"))}),
            0);
  const QImage page(dir.filePath(QStringLiteral("huge.png")));
  ASSERT_FALSE(page.isNull());
  EXPECT_NEAR(page.width(), 500 / 25.4 * 2, 2);
  for (const QPoint p : {QPoint(3, 3), QPoint(page.width() - 3, page.height() - 3)}) {
    const QRgb c = page.pixel(p);
    EXPECT_TRUE(qRed(c) < 16 && qGreen(c) < 16 && qBlue(c) > 240) << p.x() << "," << p.y() << " " << std::hex << c;
  }
}
