// The canvas's repeated arcs: a copied picture of an arc must give exactly the pixels of the
// arc drawn in place, wherever it lands, whatever the pen, and with a clip.
#include "support.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace cad;

namespace {

QImage Blank() {
  QImage image(160, 120, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

}  // namespace

TEST(Canvas, RepeatedArcsPaintWhatArcsPaint) {
  std::mt19937 rng(2026);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const TPenStyle styles[] = {TPenStyle::psSolid, TPenStyle::psDash, TPenStyle::psDot};
  QImage direct = Blank(), stamped = Blank();
  // Two canvases, one drawing each arc in place, the other through the copied picture; the
  // pen changes every few arcs, so pictures are made, kept and remade (dashed and wide pens are
  // drawn in place by both).
  TCanvas a(&direct, QPoint(-20, -10)), b(&stamped, QPoint(-20, -10));
  for (int i = 0; i < 3000; ++i) {
    if (i % 7 == 0) {
      const int width = pick(0, 3);
      const TPenStyle style = styles[pick(0, 2)];
      const TColor color = static_cast<TColor>(pick(0, 0xFFFFFF));
      for (TCanvas* c : {&a, &b}) {
        c->Pen()->SetWidth(width);
        c->Pen()->SetStyle(style);
        c->Pen()->SetColor(color);
      }
    }
    if (i == 1500) {
      a.SetClipRect(TRect{0, 0, 90, 70});
      b.SetClipRect(TRect{0, 0, 90, 70});
    }
    // A jump's half circle, or any arc, around a random centre (partly off the image too).
    const int r = pick(1, 24), x0 = pick(-30, 170), y0 = pick(-20, 130);
    const bool jump = i % 2 == 0;
    const int x3 = jump ? x0 + r : x0 + pick(-r, r), y3 = jump ? y0 : y0 + pick(-r, r);
    const int x4 = jump ? x0 - r - 1 : x0 + pick(-r, r), y4 = jump ? y0 + 1 : y0 + pick(-r, r);
    a.Arc(x0 - r, y0 - r, x0 + r, y0 + r, x3, y3, x4, y4);
    b.RepeatedArc(x0 - r, y0 - r, x0 + r, y0 + r, x3, y3, x4, y4);
    if (i % 10 == 9) {
      a.Release();
      b.Release();
      ASSERT_EQ(stamped, direct) << "after arc " << i << ": radius " << r << " at " << x0 << "," << y0;
    }
  }
  // In a raster mode the arc is drawn in place: XOR twice restores the picture.
  b.ClearClipRect();
  b.Pen()->SetMode(TPenMode::pmXor);
  b.Release();
  const QImage before = stamped.copy();
  b.RepeatedArc(40, 40, 60, 60, 60, 50, 39, 51);
  b.RepeatedArc(40, 40, 60, 60, 60, 50, 39, 51);
  b.Release();
  EXPECT_EQ(stamped, before);
}

// A box drawn with a solid one-pixel pen covers the pixels within its corners with the brush and
// every pixel of its four edges, all four corners included, whichever corner its points start
// from and whichever way they turn; at two device pixels per pixel every such pixel is a 2 x 2
// block. The expected picture is set pixel by pixel.
TEST(Canvas, BoxesCoverTheirEdgesAndInsides) {
  std::mt19937 rng(99);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  QImage expected(320, 240, QImage::Format_RGB32), plain = expected.copy(), fine(640, 480, QImage::Format_RGB32);
  fine.setDevicePixelRatio(2);
  for (QImage* i : {&expected, &plain, &fine}) i->fill(Qt::white);
  const QPoint origin(-10, -5);
  TCanvas a(&plain, origin), b(&fine, origin);
  auto set = [&](int X, int Y, TColor C) {
    if (expected.rect().contains(X - origin.x(), Y - origin.y())) expected.setPixel(X - origin.x(), Y - origin.y(), ToQColor(C).rgb());
  };
  for (int i = 0; i < 600; ++i) {
    const TColor fill = static_cast<TColor>(pick(0, 0xFFFFFF)), line = static_cast<TColor>(pick(0, 0xFFFFFF));
    const bool solid = pick(0, 1);
    for (TCanvas* k : {&a, &b}) {
      k->Brush()->SetColor(fill);
      k->Brush()->SetStyle(solid ? TBrushStyle::bsSolid : TBrushStyle::bsClear);
      k->Pen()->SetColor(line);
      k->Pen()->SetWidth(pick(0, 1));
    }
    const int l = pick(-20, 170), t = pick(-20, 130), r = l + pick(0, 60), btm = t + pick(0, 40);
    TArrPoint box = pick(0, 1) ? TArrPoint{{l, t}, {r, t}, {r, btm}, {l, btm}} : TArrPoint{{l, t}, {l, btm}, {r, btm}, {r, t}};
    std::rotate(box.begin(), box.begin() + pick(0, 3), box.end());
    if (pick(0, 1)) box.push_back(box[0]);
    a.Polygon(box);
    b.Polygon(box);
    for (int y = t; y <= btm; ++y)
      for (int x = l; x <= r; ++x)
        if (x == l || x == r || y == t || y == btm) set(x, y, line);
        else if (solid) set(x, y, fill);
  }
  a.Release();
  b.Release();
  EXPECT_EQ(plain, expected);
  QImage doubled = expected.scaled(640, 480);
  doubled.setDevicePixelRatio(2);
  EXPECT_EQ(fine, doubled);
}

// On a device with a whole number R of pixels per pixel, a solid one-pixel line is the device
// line between its ends' device points, one pixel per step along the longer axis (the other
// coordinate rounded half up), each pixel an R x R block; a figure's outline is its sides'
// lines. The expected picture is set block by block from that rule in floating point, for
// lines, polylines and outlines, many off the image, with and without a clip.
TEST(Canvas, OnePixelLinesOnFinerDevicesAreBlocksAlongTheDeviceLine) {
  std::mt19937 rng(4242);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (const int r : {2, 3}) {
    QImage drawn(160 * r, 120 * r, QImage::Format_RGB32), expected = drawn.copy();
    drawn.setDevicePixelRatio(r);
    drawn.fill(Qt::white);
    expected.fill(Qt::white);
    const QPoint origin(-20, -10);
    TCanvas c(&drawn, origin);
    c.Brush()->SetStyle(TBrushStyle::bsClear);
    QRect clip = expected.rect();
    auto block = [&](qint64 U, qint64 V, QRgb Color) {
      for (qint64 y = V; y < V + r; ++y)
        for (qint64 x = U; x < U + r; ++x)
          if (clip.contains(static_cast<int>(x), static_cast<int>(y))) expected.setPixel(static_cast<int>(x), static_cast<int>(y), Color);
    };
    auto line = [&](TPoint A, TPoint B, QRgb Color) {
      if (A == B) return;
      double u0 = (A.X - origin.x()) * r, v0 = (A.Y - origin.y()) * r, u1 = (B.X - origin.x()) * r, v1 = (B.Y - origin.y()) * r;
      const bool across = std::abs(u1 - u0) >= std::abs(v1 - v0);
      if (!across) std::swap(u0, v0), std::swap(u1, v1);
      if (u1 < u0) std::swap(u0, u1), std::swap(v0, v1);
      for (double u = u0; u <= u1; ++u) {
        const double v = std::floor(v0 + (u - u0) * (v1 - v0) / (u1 - u0) + 0.5);
        if (across) block(static_cast<qint64>(u), static_cast<qint64>(v), Color);
        else block(static_cast<qint64>(v), static_cast<qint64>(u), Color);
      }
    };
    for (int i = 0; i < 400; ++i) {
      if (i == 200) {
        // A clip from here on: nothing lands outside it, and lines crossing it keep their pixels.
        c.SetClipRect(TRect{10, 5, 90, 70});
        clip = QRect((10 - origin.x()) * r, (5 - origin.y()) * r, 80 * r, 65 * r);
      }
      const TColor color = static_cast<TColor>(pick(0, 0xFFFFFF));
      c.Pen()->SetColor(color);
      const QRgb rgb = ToQColor(color).rgb();
      // Short and long sides, some points far off the image, some sides of no length.
      TArrPoint pts;
      const int n = pick(2, 6), reach = pick(0, 3) ? 25 : 400;
      pts.push_back(TPoint{pick(-60, 180), pick(-40, 140)});
      for (int k = 1; k < n; ++k)
        pts.push_back(pick(0, 7) ? TPoint{pts.back().X + pick(-reach, reach), pts.back().Y + pick(-reach, reach)} : pts.back());
      switch (i % 3) {
        case 0:
          c.MoveTo(pts[0].X, pts[0].Y);
          c.LineTo(pts[1].X, pts[1].Y);
          line(pts[0], pts[1], rgb);
          break;
        case 1:
          c.Polyline(pts);
          for (size_t k = 1; k < pts.size(); ++k) line(pts[k - 1], pts[k], rgb);
          break;
        default:
          c.Polygon(pts);
          for (size_t k = 1; k < pts.size(); ++k) line(pts[k - 1], pts[k], rgb);
          if (pts.size() > 2) line(pts.back(), pts.front(), rgb);
          break;
      }
    }
    c.Release();
    QImage plain = drawn.copy();
    plain.setDevicePixelRatio(1);
    ASSERT_EQ(plain, expected) << "ratio " << r;
  }
}

// Solid one-pixel lines and solid fills are drawn straight into the image: they must be the
// painter's own pixels. Lines, polylines and polygons (random ones and round ones like the
// ellipses' outlines), some with points far off the image, repeated points or a closing point,
// with and without a fill, an outline and a clip, against the same figures drawn by a painter.
// At two device pixels per pixel the fills are compared (outlines there are blocks, above).
TEST(Canvas, DirectLinesAndFillsAreThePaintersPixels) {
  std::mt19937 rng(77);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (const int ratio : {1, 2}) {
    QImage drawn(200 * ratio, 150 * ratio, QImage::Format_RGB32);
    drawn.setDevicePixelRatio(ratio);
    drawn.fill(Qt::white);
    QImage painted = drawn.copy();
    const QPoint origin(-30, -20);
    TCanvas c(&drawn, origin);
    QPainter ref(&painted);
    ref.translate(-origin);
    for (int i = 0; i < 3000; ++i) {
      if (i == 1500) {
        c.SetClipRect(TRect{0, -5, 120, 90});
        ref.setClipRect(QRect(QPoint(0, -5), QPoint(119, 89)));
      }
      const TColor line = static_cast<TColor>(pick(0, 0xFFFFFF)), fill = static_cast<TColor>(pick(0, 0xFFFFFF));
      const bool outlined = ratio == 1 && pick(0, 3) > 0, filled = pick(0, 2) > 0;
      c.Pen()->SetColor(line);
      c.Pen()->SetWidth(pick(0, 1));
      c.Pen()->SetMode(outlined ? TPenMode::pmCopy : TPenMode::pmNop);
      c.Brush()->SetColor(fill);
      c.Brush()->SetStyle(filled ? TBrushStyle::bsSolid : TBrushStyle::bsClear);
      QPen pen(ToQColor(line), 0);
      pen.setCapStyle(Qt::SquareCap);
      ref.setPen(outlined ? pen : QPen(Qt::NoPen));
      ref.setBrush(filled ? QBrush(ToQColor(fill)) : QBrush(Qt::NoBrush));
      TArrPoint pts;
      const int kind = pick(0, 3), reach = pick(0, 4) ? 30 : 600;
      if (kind == 3) {
        // A round figure of 73 points, as the surface outlines its ellipses.
        const double cx = pick(-40, 220), cy = pick(-30, 160), rx = pick(1, 70), ry = pick(1, 70);
        for (int k = 0; k <= 72; ++k)
          pts.push_back(TPoint{static_cast<int>(std::lround(cx + rx * std::cos(k * M_PI / 36))), static_cast<int>(std::lround(cy + ry * std::sin(k * M_PI / 36)))});
      } else {
        const int n = kind == 0 ? 2 : (pick(0, 1) ? 3 : pick(6, 12));
        pts.push_back(TPoint{pick(-60, 240), pick(-50, 190)});
        for (int k = 1; k < n; ++k)
          pts.push_back(pick(0, 9) ? TPoint{pts.back().X + pick(-reach, reach), pts.back().Y + pick(-reach, reach)} : pts.back());
        if (kind == 2 && pick(0, 2) == 0) pts.push_back(pts.front());
      }
      QPolygon q;
      for (const TPoint& t : pts) q << QPoint(t.X, t.Y);
      if (kind == 0) {
        if (!outlined || pts[0] == pts[1]) continue;
        c.MoveTo(pts[0].X, pts[0].Y);
        c.LineTo(pts[1].X, pts[1].Y);
        ref.drawLine(q[0], q[1]);
      } else if (kind == 1) {
        if (!outlined) continue;
        c.Polyline(pts);
        ref.drawPolyline(q);
      } else {
        c.Polygon(pts);
        ref.drawPolygon(q, Qt::OddEvenFill);
      }
    }
    c.Release();
    ref.end();
    ASSERT_EQ(drawn, painted) << "ratio " << ratio;
  }
}

// A fill with columns is the fill with each column filled over it: random areas, steps, starts
// (below, inside and past the area), clips and ratios.
TEST(Canvas, FillWithColumnsIsTheFillThenEachColumn) {
  std::mt19937 rng(31);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (const int ratio : {1, 2, 3}) {
    QImage a(160 * ratio, 120 * ratio, QImage::Format_RGB32), b = a.copy();
    for (QImage* i : {&a, &b}) {
      i->setDevicePixelRatio(ratio);
      i->fill(Qt::white);
    }
    const QPoint origin(-15, -8);
    TCanvas ca(&a, origin), cb(&b, origin);
    for (int i = 0; i < 300; ++i) {
      if (i == 150)
        for (TCanvas* c : {&ca, &cb}) c->SetClipRect(TRect{5, 0, 100, 77});
      const TColor back = static_cast<TColor>(pick(0, 0xFFFFFF)), line = static_cast<TColor>(pick(0, 0xFFFFFF));
      const int l = pick(-40, 160), t = pick(-30, 120), step = pick(1, 30), first = pick(-100, 200);
      const TRect r{l, t, l + pick(0, 120), t + pick(0, 90)};
      for (TCanvas* c : {&ca, &cb}) {
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->Brush()->SetColor(back);
      }
      ca.FillRectColumns(r, line, first, step);
      cb.FillRect(r);
      cb.Brush()->SetColor(line);
      int x = first;
      while (x > r.Left) x -= step;
      for (; x < r.Right; x += step)
        if (x >= r.Left) cb.FillRect(TRect{x, r.Top, x + 1, r.Bottom});
    }
    ca.Release();
    cb.Release();
    ASSERT_EQ(a, b) << "ratio " << ratio;
  }
}

TEST(Canvas, FlattenedBeziersPaintWhatCurvesPaint) {
  std::mt19937 rng(7);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const TPenStyle styles[] = {TPenStyle::psSolid, TPenStyle::psDash, TPenStyle::psDot};
  QImage direct = Blank(), flat = Blank();
  // One canvas draws each curve as a curve, the other through its flattened lines; pens, raster
  // modes and a clip change on the way (wide pens and closed curves are drawn as curves by both).
  TCanvas a(&direct, QPoint(-20, -10)), b(&flat, QPoint(-20, -10));
  for (int i = 0; i < 1500; ++i) {
    if (i % 5 == 0) {
      const int width = pick(0, 2);
      const TPenStyle style = styles[pick(0, 2)];
      const TColor color = static_cast<TColor>(pick(0, 0xFFFFFF));
      const TPenMode mode = pick(0, 3) == 0 ? TPenMode::pmXor : TPenMode::pmCopy;
      for (TCanvas* c : {&a, &b}) {
        c->Pen()->SetWidth(width);
        c->Pen()->SetStyle(style);
        c->Pen()->SetColor(color);
        c->Pen()->SetMode(mode);
      }
    }
    if (i == 750) {
      a.SetClipRect(TRect{0, 0, 90, 70});
      b.SetClipRect(TRect{0, 0, 90, 70});
    }
    // One to three segments (and a point that completes none), small and large, partly off the
    // image, some ending where they start.
    const int reach = pick(0, 1) ? 20 : 200, x0 = pick(-30, 170), y0 = pick(-20, 130);
    TArrPoint points;
    const int count = 3 * pick(1, 3) + 1 + pick(0, 1);
    for (int k = 0; k < count; ++k) points.push_back(TPoint{x0 + pick(-reach, reach), y0 + pick(-reach, reach)});
    if (i % 6 == 0) points[(count - 1) / 3 * 3] = points[0];
    TFlatBezier curve;
    TCanvas::FlattenBezier(points, curve);
    a.PolyBezier(points);
    b.PolyBezier(curve);
    if (i % 10 == 9) {
      a.Release();
      b.Release();
      ASSERT_EQ(flat, direct) << "after curve " << i;
    }
  }
}

TEST(Canvas, AWorldTurnedBackIsPlainAgain) {
  // Text and pictures turn the world and turn it back; what is drawn afterwards is drawn, and
  // recorded as drawn, where it is, as on a canvas that never turned.
  QImage turned = Blank(), plain = Blank();
  TCanvas a(&turned), b(&plain);
  for (double degrees : {0.0, 30.0, -90.0}) {
    a.RotateWorld(degrees);
    a.RotateWorld(-degrees);
    a.ResetDamage();
    for (TCanvas* c : {&a, &b}) {
      c->MoveTo(10, 10);
      c->LineTo(70, 43);
      c->PolyBezier(TArrPoint{{10, 60}, {40, 10}, {80, 110}, {120, 60}});
    }
    EXPECT_EQ(a.Damage(), QRect(QPoint(8, 8), QPoint(122, 112))) << degrees;
  }
  a.Release();
  b.Release();
  EXPECT_EQ(turned, plain);
}

TEST(Canvas, CoordinatesAtTheEndsOfIntDrawWithoutOverflow) {
  // Damaged drawings put shapes there; the changed area the canvas reports must not overflow
  // (the sanitizer build catches it), and nothing reaches the picture from that far out.
  QImage image = Blank();
  TCanvas c(&image);
  constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
  c.MoveTo(kMax, kMax);
  c.LineTo(kMax - 1, kMax);
  c.Rectangle(kMin, kMin, kMin + 3, kMin + 3);
  c.Ellipse(kMax - 5, 0, kMax, 3);
  c.Release();
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
}

// Text measured and drawn right after a font change uses the new font, whichever way the font
// changes, and laid-out text draws the same pixels as plain text, its filled box included.
TEST(Canvas, TextFollowsEveryFontChange) {
  QImage image = Blank();
  TCanvas c(&image);
  auto drawn = [&](auto&& draw) {
    image.fill(Qt::white);
    draw();
    c.Release();
    return image.copy();
  };
  auto inkHeight = [&](auto&& draw) {
    const QImage shot = drawn(draw);
    int top = -1, bottom = -1;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        if (qGray(shot.pixel(x, y)) < 128) {
          if (top < 0) top = y;
          bottom = y;
        }
    return top < 0 ? 0 : bottom - top + 1;
  };
  // The same font built here, at the pixel size the canvas font's point size gives at 96 pixels
  // per inch.
  auto advance = [&c](int Pixels, bool Bold, const QString& Text) {
    QFont f(c.Font()->Name());
    f.setPixelSize(Pixels);
    f.setBold(Bold);
    return QFontMetrics(f).horizontalAdvance(Text);
  };
  c.Brush()->SetStyle(TBrushStyle::bsClear);
  c.Font()->SetSize(8);
  const TPoint small = c.TextExtent(QStringLiteral("MM"));
  EXPECT_EQ(small.X, advance(11, false, QStringLiteral("MM")));
  const int smallInk = inkHeight([&] { c.TextOutF(10, 10, QStringLiteral("MM")); });
  c.Font()->SetSize(24);
  const TPoint large = c.TextExtent(QStringLiteral("MM"));
  EXPECT_EQ(large.X, advance(32, false, QStringLiteral("MM")));
  const int largeInk = inkHeight([&] { c.TextOutF(10, 10, QStringLiteral("MM")); });
  EXPECT_GT(largeInk, 2 * smallInk);
  // Bold glyphs of the same size are wider.
  c.Font()->SetStyle(fsBold);
  EXPECT_EQ(c.TextExtent(QStringLiteral("MM")).X, advance(32, true, QStringLiteral("MM")));
  EXPECT_GT(c.TextExtent(QStringLiteral("MM")).X, large.X);
  TFont other;
  other.SetSize(8);
  c.SetFont(other);
  EXPECT_EQ(c.TextExtent(QStringLiteral("MM")), small);
  TShapedText laid(QStringLiteral("MM"));
  EXPECT_EQ(inkHeight([&] { c.TextOutF(10, 10, laid); }), smallInk);
  // On a solid brush, drawn first in one font and then in another: the box is filled in the
  // font the text is drawn in each time.
  c.Brush()->SetStyle(TBrushStyle::bsSolid);
  c.Brush()->SetColor(clYellow);
  TShapedText label(QStringLiteral("    79."));
  for (int size : {8, 20, 8}) {
    c.Font()->SetSize(size);
    EXPECT_EQ(drawn([&] { c.TextOutF(10, 10, label); }), drawn([&] { c.TextOutF(10, 10, QStringLiteral("    79.")); }))
        << size;
  }
}
