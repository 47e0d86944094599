#include "drawmodes.h"

#include <algorithm>

namespace cad {

void SetDrawHotMode(TCanvas* Canvas) {
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetColor(clBlack);
  Canvas->Pen()->SetStyle(TPenStyle::psSolid);
  Canvas->Pen()->SetMode(TPenMode::pmCopy);
  Canvas->Brush()->SetColor(HotColor);
  Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
}

void SetDrawLockedHotMode(TCanvas* Canvas) {
  SetDrawHotMode(Canvas);
  Canvas->Brush()->SetColor(clGray);
}

void SetDragResizeRotateShapeMode(TCanvas* Canvas) {
  Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  Canvas->Pen()->SetColor(clWhite);
  Canvas->Pen()->SetStyle(TPenStyle::psDot);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetMode(TPenMode::pmXor);
}

bool IsBlackWhitePrinter() { return false; }

void DrawLinkSquare(TCanvas* Canvas, const TMyPoint& P) {
  SetDrawHotMode(Canvas);
  Canvas->Pen()->SetMode(TPenMode::pmCopy);
  Canvas->Pen()->SetColor(clBlue);
  Canvas->MoveTo(Round(P.X - 2.5L), Round(P.Y - 2.5L));
  Canvas->LineTo(Round(P.X + 2.5L), Round(P.Y + 2.5L));
  Canvas->MoveTo(Round(P.X + 2.5L), Round(P.Y - 2.5L));
  Canvas->LineTo(Round(P.X - 2.5L), Round(P.Y + 2.5L));
}

namespace {

// Draws the text with its box's top-left corner at owner point (X, Y), turned by A radians
// about that point.
template <typename Text>
void TurnedTextOut(TCanvas* Canvas, int X, int Y, const Text& T, const TFont* Font, double A) {
  if (Font) Canvas->SetFont(*Font);
  if (A == 0) {
    Canvas->TextOutF(X, Y, T);
    return;
  }
  // The bracket and the world rotation are undone even when drawing throws.
  struct Bracket {
    TCanvas* c;
    double deg;
    ~Bracket() {
      c->RotateWorld(-deg);
      c->Stop();
    }
  };
  Canvas->Start();
  const double deg = A * 180.0 / static_cast<double>(PiL);
  Canvas->RotateWorld(deg);
  Bracket guard{Canvas, deg};
  const QPointF p = Canvas->MapToWorld(QPointF(X, Y));
  Canvas->TextOutF(p.x(), p.y(), T);
}

}  // namespace

void MyLogTextOut(TCanvas* Canvas, int X, int Y, const QString& Text, const TFont* Font, double A, double) {
  TurnedTextOut(Canvas, X, Y, Text, Font, A);
}

void MyLogTextOut(TCanvas* Canvas, int X, int Y, const TShapedText& Text, const TFont* Font, double A) {
  TurnedTextOut(Canvas, X, Y, Text, Font, A);
}

TPoint GetTextWidthHeight(TCanvas* Canvas, const QString& Text, const TFont* Font, double, double) {
  if (Font) Canvas->SetFont(*Font);
  return Canvas->TextExtent(Text);
}

namespace {
inline int DivTrunc(int a, int b) { return a / b; }  // C++ division truncates toward zero
inline int Clamp255(int v) { return std::clamp(v, 0, 255); }

template <typename F>
void ForEachPixel(TBitmap& b, F f) {
  for (int y = 0; y < b.Height(); ++y) {
    QRgb* line = b.ScanLine(y);
    for (int x = 0; x < b.Width(); ++x) {
      int r = qRed(line[x]), g = qGreen(line[x]), bl = qBlue(line[x]);
      f(r, g, bl);
      line[x] = qRgb(r, g, bl);
    }
  }
}
}  // namespace

std::unique_ptr<TBitmap> RotateBitmap(const TBitmap& Source, double A, int W, int H, int DX, int DY) {
  W = std::max(0, W);
  H = std::max(0, H);
  TBitmap work(W, H);
  if (!Source.Empty() && W > 0 && H > 0)
    work.SetImage(Source.Image().scaled(W, H, Qt::IgnoreAspectRatio, Qt::FastTransformation));

  auto result = std::make_unique<TBitmap>();
  result->SetTransparent(Source.Transparent());
  result->SetTransparentMode(Source.TransparentMode());
  if (A == 0) {
    result->SetImage(work.Image());
    return result;
  }
  const int cx = DivTrunc(W, 2) + DX, cy = DivTrunc(H, 2) + DY;
  const long double c = std::cos(static_cast<long double>(A)), s = std::sin(static_cast<long double>(A));
  const int tw = work.Width(), th = work.Height();
  const int rw = Round(std::fabs(tw * c) + std::fabs(th * s));
  const int rh = Round(std::fabs(tw * s) + std::fabs(th * c));
  result->SetSize(rw, rh);
  const int offX = DivTrunc(rw - tw, 2) + cx, offY = DivTrunc(rh - th, 2) + cy;
  for (int y = rh - 1; y >= 0; --y) {
    QRgb* dst = result->ScanLine(y);
    for (int x = rw - 1; x >= 0; --x) {
      const long double xx = 2.0L * (x - offX) + 1, yy = 2.0L * (y - offY) + 1;
      const int sx = Round(xx * c - yy * s), sy = Round(xx * s + yy * c);
      const int col = DivTrunc(sx - 1, 2) + cx, row = DivTrunc(sy - 1, 2) + cy;
      dst[x] = (col >= 0 && row >= 0 && col < tw && row < th) ? work.ScanLine(row)[col] : qRgb(255, 255, 255);
    }
  }
  return result;
}

void FlipBitmap(TBitmap& Bitmap, bool H, bool V) {
  if (!H && !V) return;
  if (Bitmap.Empty()) return;
  Bitmap.SetImage(Bitmap.Image().mirrored(H, V));
}

void GrayScaleBitmap(TBitmap& Bitmap, bool G) {
  if (!G) return;
  ForEachPixel(Bitmap, [](int& r, int& g, int& b) { r = g = b = (r + g + b) / 3; });
}

void AdjustBrightBitmap(TBitmap& Bitmap, int V) {
  if (V == 0) return;
  ForEachPixel(Bitmap, [V](int& r, int& g, int& b) {
    r = Clamp255(r + V);
    g = Clamp255(g + V);
    b = Clamp255(b + V);
  });
}

void AdjustContrastBitmap(TBitmap& Bitmap, int V) {
  if (V == 0) return;
  auto f = [V](int c) {
    const int d = DivTrunc(std::abs(127 - c) * V, 255);
    return Clamp255(c > 127 ? c + d : c - d);
  };
  ForEachPixel(Bitmap, [&](int& r, int& g, int& b) {
    r = f(r);
    g = f(g);
    b = f(b);
  });
}

}  // namespace cad
