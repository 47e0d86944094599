#include "support.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

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

// A text drawn on a solid brush has its box filled first: the fill must be exactly as wide as the
// text in the font it is drawn in, on the first paint after a change, on later paints and in a
// render at another zoom, whether the text is laid out once and kept (a dimension line's label, a
// text shape's lines) or drawn as it is (an info text).
TEST(Render, TextBackgroundsCoverExactlyTheirText) {
  TMyCAD cad;
  cad.SetZoom(1);
  const TColor fill = RGB(0, 200, 0);
  struct TRow {
    std::unique_ptr<TMyShape> Shape;
    QString Text;
    int Top, Bottom;  // the band of rows (at zoom 1) that holds the text
  };
  std::vector<TRow> rows;
  auto rule = std::make_unique<TMyRuleLine>(&cad);
  rule->Points = {{40, 80}, {340, 80}};
  rule->SetShowUserInfo(true);
  rule->SetUserInfo(QStringLiteral("    79."));
  rows.push_back({std::move(rule), QStringLiteral("    79."), 0, 100});
  auto text = std::make_unique<TMyText>(&cad);
  text->Points = {{40, 120}, {340, 120}, {340, 180}, {40, 180}};
  text->SetLines({QStringLiteral("Wide text")});
  rows.push_back({std::move(text), QStringLiteral("Wide text"), 100, 200});
  auto line = std::make_unique<TMyLine>(&cad);
  line->Points = {{40, 280}, {340, 280}};
  line->SetInfo(QStringLiteral("Info text"));
  line->TextPoint = TMyPoint{190, 240};
  rows.push_back({std::move(line), QStringLiteral("Info text"), 200, 300});
  for (TRow& r : rows) {
    r.Shape->CenterPoint = r.Shape->ComputeCenterPoint();
    r.Shape->Font()->SetSize(20);
    Fill(r.Shape.get(), fill);
  }
  std::vector<int> widths;
  for (TRow& r : rows) {
    widths.push_back(MetricsOf(*r.Shape->Font()).horizontalAdvance(r.Text));
    TMyShape* s = r.Shape.release();
    s->ShapeId = cad.NextShapeId();
    s->ShapeNo = cad.GetShapesCount();
    ASSERT_TRUE(cad.AddShape(s, true, false));
  }
  cad.DeSelectedAllShapesByCode();

  // The columns between the first and the last pixel of the fill colour in each band.
  auto expectFills = [&](const QImage& Image, int Zoom, const char* What) {
    for (size_t i = 0; i < rows.size(); ++i) {
      int left = Image.width(), right = -1;
      for (int y = rows[i].Top * Zoom; y < rows[i].Bottom * Zoom; ++y)
        for (int x = 0; x < Image.width(); ++x)
          if (FromQRgb(Image.pixel(x, y)) == fill) {
            left = std::min(left, x);
            right = std::max(right, x);
          }
      EXPECT_EQ(right - left + 1, widths[i]) << What << ": " << rows[i].Text.toStdString();
    }
  };
  cad.Repaint();
  expectFills(Buffer(cad), 1, "first paint");
  cad.Repaint();
  expectFills(Buffer(cad), 1, "second paint");
  expectFills(cad.RenderToImage(2), 2, "render at zoom 2");
}
