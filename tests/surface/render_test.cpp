#include "support.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>
#include <limits>

using namespace cad;
using testing_support::AddBox;

namespace {
// The back buffer as the last paint left it (a hidden A4 surface at zoom 1 buffers all of it).
QImage Buffer(TMyCAD& Cad) {
  Cad.Canvas()->Release();
  return static_cast<QImage*>(Cad.Canvas()->Device())->copy();
}

// Empty when the images are equal, else where they first differ.
std::string Difference(const QImage& A, const QImage& B) {
  if (A.size() != B.size()) return "sizes differ";
  for (int y = 0; y < A.height(); ++y)
    for (int x = 0; x < A.width(); ++x)
      if (A.pixel(x, y) != B.pixel(x, y)) return "first difference at " + std::to_string(x) + "," + std::to_string(y);
  return {};
}

void Fill(TMyShape* S, TColor C) {
  S->Brush()->SetStyle(TBrushStyle::bsSolid);
  S->Brush()->SetColor(C);
}
}  // namespace

TEST(Render, ShowsWhatAPaintShowsWithoutSelectionMarks) {
  TMyCAD cad;
  cad.SetZoom(1);
  Fill(AddBox(cad, 20, 20, 120, 80), clRed);
  const int32_t hidden = cad.NewLayer(QStringLiteral("hidden"), false);
  cad.SetCurrentLayerId(hidden);
  Fill(AddBox(cad, 300, 300, 400, 400), clBlue);
  QImage bk(50, 40, QImage::Format_RGB32);
  bk.fill(Qt::green);
  TBitmap picture;
  picture.SetImage(bk);
  cad.SetBkBitmap(&picture);
  cad.Repaint();
  const QImage painted = Buffer(cad);

  // Selection marks are on the buffer, never in the picture.
  cad.SelectAllShapes();
  cad.Repaint();
  const QImage rendered = cad.RenderToImage(1);
  ASSERT_EQ(rendered.size(), QSize(794, 1123));
  EXPECT_EQ(Difference(rendered, painted), "");
  EXPECT_NE(Difference(Buffer(cad), painted), "");

  // At zoom 2: the page at that size, the box where the zoom puts it, the hidden layer absent.
  const QImage big = cad.RenderToImage(2);
  ASSERT_EQ(big.size(), QSize(1587, 2245));  // 210 x 297 mm at 96 ppi, times 2
  EXPECT_EQ(big.pixelColor(141, 101), QColor(Qt::red));
  EXPECT_EQ(big.pixelColor(701, 701), QColor(Qt::white));
  EXPECT_EQ(big.pixelColor(1587 / 2, 2245 / 2), QColor(Qt::green));  // the centred picture
}

TEST(Render, LeavesTheSurfaceAsItWas) {
  TMyCAD cad;
  cad.SetZoom(1.5);
  Fill(AddBox(cad, 20, 20, 120, 80), clRed);
  const QImage before = Buffer(cad);
  const QSize size = cad.size();
  ASSERT_FALSE(cad.RenderToImage(3).isNull());
  EXPECT_EQ(cad.Zoom(), 1.5);
  EXPECT_EQ(cad.size(), size);
  EXPECT_EQ(cad.PageWidth(), 210u);
  EXPECT_EQ(Difference(Buffer(cad), before), "");

  // Shown in a scroll area: the control passes through a smaller size and back, and nothing
  // around it notices (the scroll position stays).
  QScrollArea area;
  area.resize(400, 300);
  auto* shown = new TMyCAD;
  shown->SetZoom(1);
  area.setWidget(shown);
  area.show();
  QApplication::processEvents();
  area.verticalScrollBar()->setValue(500);
  area.horizontalScrollBar()->setValue(200);
  ASSERT_FALSE(shown->RenderToImage(0.25).isNull());
  QApplication::processEvents();
  EXPECT_EQ(area.verticalScrollBar()->value(), 500);
  EXPECT_EQ(area.horizontalScrollBar()->value(), 200);
  EXPECT_EQ(shown->size(), QSize(794, 1123));
  EXPECT_EQ(shown->PageHeight(), 297u);
}

TEST(Render, RefusesWhatCannotBeRendered) {
  TMyCAD cad;
  cad.SetZoom(1);
  for (double z : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-6}) EXPECT_TRUE(cad.RenderToImage(z).isNull()) << z;
  // An A0 page at zoom 64 would be about 200,000 x 290,000 pixels.
  cad.SetPageStyle(TPageStyle::A0);
  const QSize size = cad.size();
  EXPECT_TRUE(cad.RenderToImage(64).isNull());
  EXPECT_EQ(cad.size(), size);
  EXPECT_EQ(cad.Zoom(), 1.0);
  // Not while a paint runs: the paint owns the canvas.
  QImage inPaint(1, 1, QImage::Format_RGB32);
  cad.OnPaint = [&inPaint](TMyCAD* Sender) { inPaint = Sender->RenderToImage(1); };
  cad.Repaint();
  EXPECT_TRUE(inPaint.isNull());
}
