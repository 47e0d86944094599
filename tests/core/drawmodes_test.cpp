#include "support.h"

using namespace cad;

namespace {
TBitmap* Filled(TBitmap& b, int w, int h, QRgb c) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.ScanLine(y)[x] = c;
  return &b;
}
}  // namespace

TEST(BitmapTransforms, ChannelArithmetic) {
  TBitmap b;
  Filled(b, 3, 2, qRgb(10, 20, 31));
  GrayScaleBitmap(b, false);
  EXPECT_EQ(b.ScanLine(0)[0], qRgb(10, 20, 31));
  GrayScaleBitmap(b, true);
  EXPECT_EQ(b.ScanLine(1)[2], qRgb(20, 20, 20));

  Filled(b, 2, 2, qRgb(0, 128, 250));
  AdjustBrightBitmap(b, 300);
  EXPECT_EQ(b.ScanLine(0)[0], qRgb(255, 255, 255));
  AdjustBrightBitmap(b, -300);
  EXPECT_EQ(b.ScanLine(0)[0], qRgb(0, 0, 0));
  Filled(b, 1, 1, qRgb(100, 200, 127));
  AdjustBrightBitmap(b, 10);
  EXPECT_EQ(b.ScanLine(0)[0], qRgb(110, 210, 137));

  Filled(b, 1, 1, qRgb(200, 100, 127));
  AdjustContrastBitmap(b, 255);
  EXPECT_EQ(b.ScanLine(0)[0], qRgb(255, 73, 127));
  // Negative values pull the channels towards the middle, truncating toward zero.
  Filled(b, 1, 1, qRgb(200, 100, 0));
  AdjustContrastBitmap(b, -100);
  EXPECT_EQ(b.ScanLine(0)[0], qRgb(200 - 28, 100 + 10, 0 + 49));
}

TEST(BitmapTransforms, Mirroring) {
  TBitmap b(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) b.ScanLine(y)[x] = qRgb(x * 10, y * 10, 0);
  const QImage original = b.Image();
  FlipBitmap(b, false, false);
  EXPECT_EQ(b.Image(), original);
  FlipBitmap(b, true, false);
  EXPECT_EQ(b.ScanLine(0)[0], qRgb(20, 0, 0));
  EXPECT_EQ(b.ScanLine(1)[2], qRgb(0, 10, 0));
  FlipBitmap(b, true, true);
  EXPECT_EQ(b.ScanLine(0)[0], qRgb(0, 10, 0));
  EXPECT_EQ(b.ScanLine(1)[2], qRgb(20, 0, 0));
}

TEST(BitmapTransforms, Rotation) {
  TBitmap src(40, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) src.ScanLine(y)[x] = x < 20 ? qRgb(255, 0, 0) : qRgb(0, 0, 255);
  src.SetTransparent(true);

  auto same = RotateBitmap(src, 0, 40, 20, 0, 0);
  EXPECT_EQ(same->Width(), 40);
  EXPECT_EQ(same->Height(), 20);
  EXPECT_EQ(same->Image(), src.Image());
  EXPECT_TRUE(same->Transparent());

  auto stretched = RotateBitmap(src, 0, 80, 10, 0, 0);
  EXPECT_EQ(stretched->Width(), 80);
  EXPECT_EQ(stretched->Pixel(0, 0), clRed);
  EXPECT_EQ(stretched->Pixel(79, 9), clBlue);

  // A quarter turn swaps the sides: each destination pixel samples the source turned by the
  // angle, so the right (blue) half ends up at the top.
  auto turned = RotateBitmap(src, M_PI / 2, 40, 20, 0, 0);
  EXPECT_EQ(turned->Width(), 20);
  EXPECT_EQ(turned->Height(), 40);
  EXPECT_EQ(turned->Pixel(10, 5), clBlue);
  EXPECT_EQ(turned->Pixel(10, 34), clRed);

  // Pixels whose source falls outside the picture are white.
  auto diagonal = RotateBitmap(src, M_PI / 4, 40, 20, 0, 0);
  EXPECT_EQ(diagonal->Pixel(0, 0), clWhite);
}

TEST(DrawModes, Presets) {
  TBitmap b(10, 10);
  TCanvas* c = b.Canvas();
  const TColor oldHot = HotColor;
  HotColor = clYellow;
  SetDrawHotMode(c);
  EXPECT_EQ(c->Brush()->Color(), clYellow);
  EXPECT_EQ(c->Pen()->Color(), clBlack);
  EXPECT_EQ(c->Pen()->Mode(), TPenMode::pmCopy);
  SetDrawLockedHotMode(c);
  EXPECT_EQ(c->Brush()->Color(), clGray);
  SetDragResizeRotateShapeMode(c);
  EXPECT_EQ(c->Pen()->Mode(), TPenMode::pmXor);
  EXPECT_EQ(c->Pen()->Style(), TPenStyle::psDot);
  EXPECT_EQ(c->Brush()->Style(), TBrushStyle::bsClear);
  EXPECT_FALSE(IsBlackWhitePrinter());
  HotColor = oldHot;
}

TEST(DrawModes, XorAndNotXorDrawingTwiceRestoresEveryPixel) {
  TBitmap b(60, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) b.ScanLine(y)[x] = qRgb((x * 37) % 256, (y * 11) % 256, (x * y) % 256);
  const QImage before = b.Image().copy();
  TCanvas* c = b.Canvas();
  for (TPenMode mode : {TPenMode::pmXor, TPenMode::pmNotXor}) {
    for (int pass = 0; pass < 2; ++pass) {
      SetDragResizeRotateShapeMode(c);
      c->Pen()->SetMode(mode);
      c->Pen()->SetColor(clRed);  // a white pen would leave NOT-XOR without any effect
      c->Rectangle(5, 5, 50, 30);
      c->MoveTo(0, 0);
      c->LineTo(59, 39);
      c->Pen()->SetWidth(3);
      c->Polygon({{10, 30}, {30, 2}, {55, 35}});
      if (pass == 0) {
        EXPECT_NE(b.Image(), before);
      }
    }
    EXPECT_EQ(b.Image(), before);
  }
}

TEST(DrawModes, LinkCrossAndRotatedText) {
  TBitmap b(200, 200);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, 200, 200));
  DrawLinkSquare(c, MyPoint(20, 20));
  EXPECT_EQ(b.Pixel(20, 20), clBlue);
  EXPECT_EQ(b.Pixel(18, 18), clBlue);
  EXPECT_EQ(b.Pixel(22, 18), clBlue);
  EXPECT_EQ(b.Pixel(20, 18), clWhite);

  TFont f;
  f.SetSize(20);
  f.SetColor(clBlack);
  const TPoint wh = GetTextWidthHeight(c, QStringLiteral("WWWW"), &f);
  EXPECT_GT(wh.X, 40);
  EXPECT_GT(wh.Y, 20);
  EXPECT_LT(wh.Y, 40);

  // Text turned a quarter clockwise from (100, 60) runs downwards, left of x = 100.
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  MyLogTextOut(c, 100, 60, QStringLiteral("WWWW"), &f, M_PI / 2);
  auto inkIn = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += b.Pixel(x, y) != clWhite;
    return n;
  };
  EXPECT_GT(inkIn(100 - wh.Y, 60, 100, 60 + wh.X), 50);
  EXPECT_EQ(inkIn(101, 0, 200, 200), 0);
  EXPECT_EQ(inkIn(0, 0, 200, 58), inkIn(0, 0, 40, 40));  // only the cross above the text
  // The world turns back afterwards: plain text lands where it is asked to.
  c->TextOut(150, 150, QStringLiteral("x"));
  EXPECT_GT(inkIn(150, 150, 170, 175), 0);
}
