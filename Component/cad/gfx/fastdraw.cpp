#include "fastdraw.h"

#include <QPaintDevice>
#include <QTransform>
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace cad::fastdraw {

namespace {

// Points within this reach keep every product of the line and fill arithmetic below in 64 bits.
constexpr int kReach = 1 << 14;

}  // namespace

std::optional<TTarget> TTarget::Of(QPainter* P, QPaintDevice* Device, const std::optional<QRect>& Clip) {
  if (!P || !Device || Device->devType() != QInternal::Image) return std::nullopt;
  auto* image = static_cast<QImage*>(Device);
  const QImage::Format f = image->format();
  if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied) return std::nullopt;
  if (P->compositionMode() != QPainter::CompositionMode_SourceOver || P->opacity() != 1 || P->testRenderHint(QPainter::Antialiasing))
    return std::nullopt;
  const QTransform t = P->combinedTransform();
  const qreal r = t.m11();
  if (t.type() > QTransform::TxScale || t.m22() != r || r < 1 || r > 8 || r != std::floor(r) || t.dx() != std::floor(t.dx()) ||
      t.dy() != std::floor(t.dy()) || std::abs(t.dx()) > kReach * 8 || std::abs(t.dy()) > kReach * 8)
    return std::nullopt;
  TTarget target;
  target.Device = image->rect();
  target.Clip = target.Device;
  if (P->hasClipping()) {
    if (!Clip) return std::nullopt;
    target.Clip &= t.mapRect(QRectF(*Clip)).toAlignedRect();
  }
  // The data the painter draws on (a non-const access would detach a shared image from it).
  target.Pixels = reinterpret_cast<uint32_t*>(const_cast<uchar*>(image->constBits()));
  target.Stride = image->bytesPerLine() / 4;
  target.Scale = static_cast<int>(r);
  target.Dx = static_cast<int64_t>(t.dx());
  target.Dy = static_cast<int64_t>(t.dy());
  return target;
}

bool TTarget::Map(const QPoint* Points, size_t Count, QPoint* Out) const {
  for (size_t i = 0; i < Count; ++i) {
    const int64_t x = Points[i].x() * int64_t{Scale} + Dx, y = Points[i].y() * int64_t{Scale} + Dy;
    if (std::abs(x) > kReach || std::abs(y) > kReach) return false;
    Out[i] = QPoint(static_cast<int>(x), static_cast<int>(y));
  }
  return true;
}

std::optional<uint32_t> OpaqueColor(const QColor& Color) {
  if (Color.alpha() != 255) return std::nullopt;
  return Color.rgba();
}

bool PainterTakesAsRect(const QPoint* P, size_t Count) {
  // A closed five-point or an open four-point figure with sides along the axes, going right
  // then down from its first point.
  if (Count != 4 && !(Count == 5 && P[0] == P[4])) return false;
  return P[0].x() == P[3].x() && P[1].x() == P[2].x() && P[0].y() == P[1].y() && P[2].y() == P[3].y() && P[0].x() < P[2].x() &&
         P[0].y() < P[2].y();
}

// ---- One-pixel lines at one device pixel per pixel ----
//
// The painter's cosmetic line: the ends in 26.6 fixed point, one pixel per step along the
// longer axis, the other coordinate carried in 16.16 fixed point, half-pixel caps, and the
// joins between the sides of a figure kept free of doubled and missing pixels by comparing each
// side's first pixel with the last pixel of the side before.

namespace {

class THairStroker {
 public:
  THairStroker(const TTarget& T, uint32_t Color)
      : FPixels(T.Pixels),
        FStride(T.Stride),
        FClip(T.Clip),
        FColor(Color),
        // Lines are cut a pixel beyond the whole image, whatever the clip, so that a line has the
        // same pixels under any clip.
        FXMin(T.Device.left() - 1),
        FXMax(T.Device.right() + 2),
        FYMin(T.Device.top() - 1),
        FYMax(T.Device.bottom() + 2) {}

  void Line(QPoint A, QPoint B) {
    if (A == B) return;
    FLast = {INT_MIN, INT_MIN};
    Stroke(A.x(), A.y(), B.x(), B.y(), kCapBegin | kCapEnd);
  }

  void Figure(const QPoint* Points, size_t Count, bool Closed) {
    FLast = {INT_MIN, INT_MIN};
    const QPoint first = Points[0];
    // An open figure whose ends meet is drawn as a closed one.
    const bool closed = Closed || Points[Count - 1] == first;
    if (closed) {
      const QPoint before = (Points[Count - 1] == first && Count > 2) ? Points[Count - 2] : Points[Count - 1];
      LastOf(before.x(), before.y(), first.x(), first.y());
    }
    int caps = closed ? 0 : kCapBegin;
    QPoint p = first;
    for (size_t i = 1; i < Count; ++i) {
      if (!closed && i == Count - 1) caps |= kCapEnd;
      Stroke(p.x(), p.y(), Points[i].x(), Points[i].y(), caps);
      p = Points[i];
      caps = 0;
    }
    if (Closed) Stroke(p.x(), p.y(), first.x(), first.y(), 0);
  }

 private:
  enum { kCapBegin = 1, kCapEnd = 2 };
  enum TDirection { NoDirection = 0, TopToBottom = 1, BottomToTop = 2, LeftToRight = 4, RightToLeft = 8, VerticalMask = 3, HorizontalMask = 12 };
  struct TPixel {
    int X, Y;
  };

  static int ToF26Dot6(double V) { return static_cast<int>(V * 64.); }
  // X * 2^16 / Y truncated, as in 64-bit integers. The numerator is below 2^47 in magnitude, so
  // the double quotient is within 2^-6 / |Y| of the exact one, nearer than the exact one is to any
  // whole number it is not (at least 1 / |Y| away): it truncates to the same whole number,
  // without an integer division's latency.
  static int64_t FixedDiv(int X, int Y) { return static_cast<int64_t>(static_cast<double>(int64_t{X} * (1 << 16)) / Y); }
  static int SwapCaps(int Caps) { return ((Caps & kCapBegin) << 1) | ((Caps & kCapEnd) >> 1); }
  static void CapAdjust(int Caps, int& X1, int& X2, int64_t& Y, int64_t YInc) {
    if (Caps & kCapBegin) {
      X1 -= 32;
      Y -= YInc >> 1;
    }
    if (Caps & kCapEnd) X2 += 32;
  }

  void Plot(int X, int Y) const {
    if (X < FClip.left() || X > FClip.right() || Y < FClip.top() || Y > FClip.bottom()) return;
    FPixels[X + FStride * Y] = FColor;
  }

  // Cuts the line to a pixel beyond the image; true when nothing of it is left.
  bool ClipLine(double& X1, double& Y1, double& X2, double& Y2) {
    if (X1 < FXMin) {
      if (X2 <= FXMin) return Clipped();
      Y1 += (Y2 - Y1) / (X2 - X1) * (FXMin - X1);
      X1 = FXMin;
    } else if (X1 > FXMax) {
      if (X2 >= FXMax) return Clipped();
      Y1 += (Y2 - Y1) / (X2 - X1) * (FXMax - X1);
      X1 = FXMax;
    }
    if (X2 < FXMin) {
      FLast.X = INT_MIN;
      Y2 += (Y2 - Y1) / (X2 - X1) * (FXMin - X2);
      X2 = FXMin;
    } else if (X2 > FXMax) {
      FLast.X = INT_MIN;
      Y2 += (Y2 - Y1) / (X2 - X1) * (FXMax - X2);
      X2 = FXMax;
    }
    if (Y1 < FYMin) {
      if (Y2 <= FYMin) return Clipped();
      X1 += (X2 - X1) / (Y2 - Y1) * (FYMin - Y1);
      Y1 = FYMin;
    } else if (Y1 > FYMax) {
      if (Y2 >= FYMax) return Clipped();
      X1 += (X2 - X1) / (Y2 - Y1) * (FYMax - Y1);
      Y1 = FYMax;
    }
    if (Y2 < FYMin) {
      FLast.X = INT_MIN;
      X2 += (X2 - X1) / (Y2 - Y1) * (FYMin - Y2);
      Y2 = FYMin;
    } else if (Y2 > FYMax) {
      FLast.X = INT_MIN;
      X2 += (X2 - X1) / (Y2 - Y1) * (FYMax - Y2);
      Y2 = FYMax;
    }
    return false;
  }
  bool Clipped() {
    FLast.X = INT_MIN;
    return true;
  }

  // The direction and last pixel of a closed figure's last side, for the join with its first.
  void LastOf(double X1f, double Y1f, double X2f, double Y2f) {
    FLast = {INT_MIN, INT_MIN};
    if (ClipLine(X1f, Y1f, X2f, Y2f)) return;
    int x1 = ToF26Dot6(X1f), y1 = ToF26Dot6(Y1f), x2 = ToF26Dot6(X2f), y2 = ToF26Dot6(Y2f);
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    if (dx < dy) {
      bool swapped = false;
      if (y1 > y2) {
        swapped = true;
        std::swap(y1, y2);
        std::swap(x1, x2);
      }
      const int64_t xinc = FixedDiv(x2 - x1, y2 - y1);
      int64_t x = int64_t{x1} * (1 << 10);
      const int y = (y1 + 32) >> 6, ys = (y2 + 32) >> 6;
      const int round = xinc > 0 ? 32 : 0;
      if (y != ys) {
        x += ((y * (1 << 6)) + round - y1) * xinc >> 6;
        if (swapped) {
          FLast = {static_cast<int>(x >> 16), y};
          FLastDir = BottomToTop;
        } else {
          FLast = {static_cast<int>((x + (ys - y - 1) * xinc) >> 16), ys - 1};
          FLastDir = TopToBottom;
        }
        FLastAxisAligned = std::abs(xinc) < (1 << 14);
      }
    } else {
      if (!dx) return;
      bool swapped = false;
      if (x1 > x2) {
        swapped = true;
        std::swap(x1, x2);
        std::swap(y1, y2);
      }
      const int64_t yinc = FixedDiv(y2 - y1, x2 - x1);
      int64_t y = int64_t{y1} * (1 << 10);
      const int x = (x1 + 32) >> 6, xs = (x2 + 32) >> 6;
      const int round = yinc > 0 ? 32 : 0;
      if (x != xs) {
        y += ((x * (1 << 6)) + round - x1) * yinc >> 6;
        if (swapped) {
          FLast = {x, static_cast<int>(y >> 16)};
          FLastDir = RightToLeft;
        } else {
          FLast = {xs - 1, static_cast<int>((y + (xs - x - 1) * yinc) >> 16)};
          FLastDir = LeftToRight;
        }
        FLastAxisAligned = std::abs(yinc) < (1 << 14);
      }
    }
  }

  // One side, stepping along its longer axis; the two axes are the same code with the roles of
  // x and y exchanged (Major is the stepping axis).
  void Stroke(double X1f, double Y1f, double X2f, double Y2f, int Caps) {
    if (ClipLine(X1f, Y1f, X2f, Y2f)) return;
    int x1 = ToF26Dot6(X1f), y1 = ToF26Dot6(Y1f), x2 = ToF26Dot6(X2f), y2 = ToF26Dot6(Y2f);
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    if (dx < dy) Side<true>(y1, x1, y2, x2, Caps);
    else if (dx) Side<false>(x1, y1, x2, y2, Caps);
  }

  // Vertical: the major axis is y (M = y, N = x); otherwise M = x, N = y.
  template <bool Vertical>
  void Side(int M1, int N1, int M2, int N2, int Caps) {
    TDirection dir = Vertical ? TopToBottom : LeftToRight;
    bool swapped = false;
    if (M1 > M2) {
      swapped = true;
      std::swap(M1, M2);
      std::swap(N1, N2);
      Caps = SwapCaps(Caps);
      dir = Vertical ? BottomToTop : RightToLeft;
    }
    const int64_t ninc = FixedDiv(N2 - N1, M2 - M1);
    int64_t n = int64_t{N1} * (1 << 10);
    if ((FLastDir ^ (Vertical ? VerticalMask : HorizontalMask)) == dir) Caps |= swapped ? kCapEnd : kCapBegin;
    CapAdjust(Caps, M1, M2, n, ninc);
    int m = (M1 + 32) >> 6, ms = (M2 + 32) >> 6;
    const int round = ninc > 0 ? 32 : 0;
    // A begin cap that rounded away from the last pixel of the side before starts on it.
    const int lastM = Vertical ? FLast.Y : FLast.X;
    if ((Caps & kCapBegin) && lastM == m + 1) ++m;
    TPixel last = FLast;
    if (m != ms) {
      n += ((m * (1 << 6)) + round - M1) * ninc >> 6;
      auto at = [](int M, int64_t N) { return Vertical ? TPixel{static_cast<int>(N >> 16), M} : TPixel{M, static_cast<int>(N >> 16)}; };
      TPixel first = at(m, n);
      last = at(ms - 1, n + (ms - m - 1) * ninc);
      if (swapped) std::swap(first, last);
      const bool axisAligned = std::abs(ninc) < (1 << 14);
      if (FLast.X > INT_MIN) {
        if (first.X == FLast.X && first.Y == FLast.Y) {
          // The pixel the side before ended on is not drawn twice.
          if (swapped) {
            --ms;
          } else {
            ++m;
            n += ninc;
          }
        } else if (FLastDir != dir && (((axisAligned && FLastAxisAligned) && FLast.X != first.X && FLast.Y != first.Y) ||
                                       (std::abs(FLast.X - first.X) > 1 || std::abs(FLast.Y - first.Y) > 1))) {
          // A corner pixel the two sides would miss is drawn.
          if (swapped) {
            ++ms;
          } else {
            --m;
            n -= ninc;
          }
        } else if (FLastDir == dir &&
                   (Vertical ? (std::abs(FLast.X - first.X) <= 1 && std::abs(FLast.Y - first.Y) > 1)
                             : (std::abs(FLast.X - first.X) <= 1 && std::abs(FLast.Y - first.Y) > 1))) {
          n += ninc >> 1;
          const int64_t lastN = swapped ? n : n + (ms - m - 1) * ninc;
          if (Vertical) last.X = static_cast<int>(lastN >> 16);
          else last.Y = static_cast<int>(lastN >> 16);
        }
      }
      FLastDir = dir;
      FLastAxisAligned = axisAligned;
      do {
        if (Vertical) Plot(static_cast<int>(n >> 16), m);
        else Plot(m, static_cast<int>(n >> 16));
        n += ninc;
      } while (++m < ms);
    }
    FLast = last;
  }

  uint32_t* FPixels;
  qsizetype FStride;
  QRect FClip;
  uint32_t FColor;
  double FXMin, FXMax, FYMin, FYMax;
  TPixel FLast{INT_MIN, INT_MIN};
  TDirection FLastDir = NoDirection;
  bool FLastAxisAligned = false;
};

}  // namespace

void HairLines(const TTarget& Target, uint32_t Color, const QPoint* Points, size_t Count, TFigure Figure) {
  if (Count == 0 || Target.Clip.isEmpty()) return;
  THairStroker s(Target, Color);
  if (Figure == TFigure::Line) {
    if (Count >= 2) s.Line(Points[0], Points[1]);
    return;
  }
  s.Figure(Points, Count, Figure == TFigure::Polygon);
}

// ---- One-pixel lines at R device pixels per pixel ----

namespace {

// Fills device pixels [L, R) x [T, B) within the clip.
void FillBox(const TTarget& Target, uint32_t Color, int64_t L, int64_t T, int64_t R, int64_t B) {
  const QRect& c = Target.Clip;
  L = std::max<int64_t>(L, c.left());
  T = std::max<int64_t>(T, c.top());
  R = std::min<int64_t>(R, int64_t{c.right()} + 1);
  B = std::min<int64_t>(B, int64_t{c.bottom()} + 1);
  if (L >= R) return;
  for (int64_t y = T; y < B; ++y) {
    uint32_t* line = Target.Pixels + y * Target.Stride;
    std::fill(line + L, line + R, Color);
  }
}

void BlockSegment(const TTarget& Target, uint32_t Color, QPoint A, QPoint B) {
  // A line of no length draws nothing, as the painter's does.
  if (A == B) return;
  const int r = Target.Scale;
  const QRect& clip = Target.Clip;
  int64_t u0 = A.x(), v0 = A.y(), u1 = B.x(), v1 = B.y();
  if (std::max(u0, u1) + r <= clip.left() || std::min(u0, u1) > clip.right() || std::max(v0, v1) + r <= clip.top() ||
      std::min(v0, v1) > clip.bottom())
    return;
  // Along the longer axis, from whichever end comes first, so that a line has the same pixels
  // both ways.
  const bool across = std::abs(u1 - u0) >= std::abs(v1 - v0);
  if (!across) {
    std::swap(u0, v0);
    std::swap(u1, v1);
  }
  if (u1 < u0) {
    std::swap(u0, u1);
    std::swap(v0, v1);
  }
  const int64_t lo = across ? clip.left() : clip.top(), hi = across ? clip.right() : clip.bottom();
  const int64_t first = std::max(u0, lo - r + 1), last = std::min(u1, hi);
  if (first > last) return;
  // The other coordinate at step u is v0 + (u - u0) dv / du rounded half up,
  // floor((2 (u - u0) dv + du) / 2 du), carried along as a quotient and a remainder.
  const int64_t du = u1 - u0, dv = v1 - v0, den = 2 * du, step = 2 * dv;
  const int64_t n = 2 * (first - u0) * dv + du;
  int64_t q = n / den, rem = n % den;
  if (rem < 0) {
    rem += den;
    --q;
  }
  auto run = [&](int64_t From, int64_t To, int64_t V) {
    if (across) FillBox(Target, Color, From, V, To + r, V + r);
    else FillBox(Target, Color, V, From, V + r, To + r);
  };
  int64_t runStart = first, runV = v0 + q;
  for (int64_t u = first + 1; u <= last; ++u) {
    rem += step;
    if (rem >= den) {
      rem -= den;
      ++q;
    } else if (rem < 0) {
      rem += den;
      --q;
    }
    if (v0 + q != runV) {
      run(runStart, u - 1, runV);
      runStart = u;
      runV = v0 + q;
    }
  }
  run(runStart, last, runV);
}

}  // namespace

void BlockLines(const TTarget& Target, uint32_t Color, const QPoint* Points, size_t Count, bool Closed) {
  if (Target.Clip.isEmpty()) return;
  for (size_t i = 1; i < Count; ++i) BlockSegment(Target, Color, Points[i - 1], Points[i]);
  if (Closed && Count > 2) BlockSegment(Target, Color, Points[Count - 1], Points[0]);
}

void FillArea(const TTarget& Target, uint32_t Color, const QRect& Area) {
  FillBox(Target, Color, Area.left(), Area.top(), int64_t{Area.left()} + Area.width(), int64_t{Area.top()} + Area.height());
}

// ---- Fills with columns ----

namespace {
int64_t FloorDiv(int64_t A, int64_t B) { return A / B - ((A % B != 0) && ((A < 0) != (B < 0))); }
}  // namespace

void FillColumns(const TTarget& Target, uint32_t Back, uint32_t Line, const QRect& Area, int First, int Step) {
  const QRect a = Area & Target.Clip;
  if (a.isEmpty() || Step <= 0) return;
  thread_local std::vector<uint32_t> row;
  row.assign(static_cast<size_t>(a.width()), Back);
  const int64_t s = Target.Scale;
  // The first column whose device pixels reach the area's left edge.
  const int64_t lowest = FloorDiv(a.left() - Target.Dx, s);
  int64_t x = lowest + ((int64_t{First} - lowest) % Step + Step) % Step;
  for (; x * s + Target.Dx <= a.right(); x += Step)
    for (int64_t u = std::max<int64_t>(x * s + Target.Dx, a.left()); u < x * s + Target.Dx + s && u <= a.right(); ++u)
      row[static_cast<size_t>(u - a.left())] = Line;
  for (int y = a.top(); y <= a.bottom(); ++y) std::copy(row.begin(), row.end(), Target.Pixels + int64_t{y} * Target.Stride + a.left());
}

// ---- Polygon fills ----
//
// The painter's aliased scan conversion: the outline's sides in 26.6 fixed point, each side
// crossing the rows whose middles it spans, its position on a row carried in 16.16 fixed point
// from the middle of its first row, cut to the clip's left and right edges; on every row the
// pixels between crossings are filled where the crossings so far leave the count odd.

namespace {

struct TEdge {
  int64_t X, Delta;
  int Top, Bottom, Winding;
};
struct TCross {
  int X, Winding;
};

// Tables kept between fills (a drawing fills thousands of small polygons), reached once per fill.
struct TFillTables {
  std::vector<TEdge> Edges;
  std::vector<int> First;
  std::vector<TEdge*> Order, Active;
  std::vector<TCross> Crossings;
};
TFillTables& FillTables() {
  thread_local TFillTables tables;
  return tables;
}

class TScanFill {
 public:
  TScanFill(const TTarget& T, uint32_t Color, int Top, int Bottom, TFillTables& Tables)
      : FTarget(T),
        FColor(Color),
        FTop(Top),
        FBottom(Bottom),
        FLeft(int64_t{T.Clip.left()} << 16),
        FRight((int64_t{T.Clip.right()} + 1) << 16),
        FTables(Tables),
        FEdges(Tables.Edges) {
    FEdges.clear();
  }

  void Side(int64_t AX, int64_t AY, int64_t BX, int64_t BY) {
    int winding = 1;
    if (AY > BY) {
      std::swap(AX, BX);
      std::swap(AY, BY);
      winding = -1;
    }
    int top = std::max(FTop, static_cast<int>((AY + 32) >> 6));
    int bottom = std::min(FBottom, static_cast<int>((BY - 32) >> 6));
    if (top > bottom) return;
    const int64_t aFP = (int64_t{1} << 15) + (AX << 10);
    if (BX == AX) {
      FEdges.push_back({std::clamp(aFP, FLeft, FRight), 0, top, bottom, winding});
      return;
    }
    const double slope = static_cast<double>(BX - AX) / static_cast<double>(BY - AY);
    const int64_t slopeFP = static_cast<int64_t>(slope * 65536.);
    int64_t x = aFP + ((slopeFP * ((int64_t{top} << 16) + (int64_t{1} << 15) - (AY << 10))) >> 16);
    if (CutAt(x, top, bottom, slopeFP, FLeft, winding)) return;
    if (CutAt(x, top, bottom, slopeFP, FRight, winding)) return;
    FEdges.push_back({x, slopeFP, top, bottom, winding});
  }

  void Fill() {
    std::vector<int>& first = FTables.First;
    std::vector<TEdge*>&order = FTables.Order, &active = FTables.Active;
    std::vector<TCross>& crossings = FTables.Crossings;
    // The edges by their first row (a counting sort: the rows are few); an edge starting below
    // the last row never shows.
    int top = FBottom + 1;
    for (const TEdge& e : FEdges) top = std::min(top, e.Top);
    if (top > FBottom) return;
    first.assign(static_cast<size_t>(FBottom - top) + 2, 0);
    for (const TEdge& e : FEdges)
      if (e.Top <= FBottom) ++first[static_cast<size_t>(e.Top - top) + 1];
    for (size_t r = 1; r < first.size(); ++r) first[r] += first[r - 1];
    order.resize(static_cast<size_t>(first.back()));
    for (TEdge& e : FEdges)
      if (e.Top <= FBottom) order[static_cast<size_t>(first[static_cast<size_t>(e.Top - top)]++)] = &e;
    active.clear();
    size_t next = 0;
    for (int y = top; y <= FBottom && (next < order.size() || !active.empty()); ++y) {
      while (next < order.size() && order[next]->Top == y) active.push_back(order[next++]);
      crossings.clear();
      for (size_t i = 0; i < active.size();) {
        TEdge* e = active[i];
        // Sorted as they come (a handful per row).
        const TCross c{static_cast<int>(e->X >> 16), e->Winding};
        size_t at = crossings.size();
        crossings.push_back(c);
        for (; at > 0 && crossings[at - 1].X > c.X; --at) crossings[at] = crossings[at - 1];
        crossings[at] = c;
        if (e->Bottom == y) {
          active[i] = active.back();
          active.pop_back();
        } else {
          e->X += e->Delta;
          ++i;
        }
      }
      int x = 0, winding = 0;
      uint32_t* line = FTarget.Pixels + int64_t{y} * FTarget.Stride;
      for (const TCross& c : crossings) {
        if ((winding & 1) && c.X > x) std::fill(line + x, line + c.X, FColor);
        x = c.X;
        winding += c.Winding;
      }
    }
  }

 private:
  // Replaces the part of a side beyond the clip's left or right edge by the edge itself; true
  // when nothing of the side is left to add.
  bool CutAt(int64_t& X, int& Top, int& Bottom, int64_t Slope, int64_t Edge, int Winding) {
    const bool right = Edge == FRight;
    if (X == Edge) {
      if ((Slope > 0) ^ right) return false;
      FEdges.push_back({Edge, 0, Top, Bottom, Winding});
      return true;
    }
    const int64_t lastX = X + Slope * (Bottom - Top);
    if (lastX == Edge) {
      if ((Slope < 0) ^ right) return false;
      FEdges.push_back({Edge, 0, Top, Bottom, Winding});
      return true;
    }
    if ((lastX < Edge) ^ (X < Edge)) {
      const int64_t deltaY = static_cast<int64_t>(static_cast<double>(Edge - X) / (static_cast<double>(Slope) * (1. / 65536.)));
      if ((X < Edge) ^ right) {
        const int height = static_cast<int>((deltaY + 1) >> 16);
        const int middle = Top + height;
        FEdges.push_back({Edge, 0, Top, middle, Winding});
        if (middle == Bottom) return true;
        X += Slope * (height + 1);
        Top = middle + 1;
      } else {
        const int height = static_cast<int>(deltaY >> 16);
        const int middle = Top + height;
        if (middle != Bottom) {
          FEdges.push_back({Edge, 0, middle + 1, Bottom, Winding});
          Bottom = middle;
        }
      }
      return false;
    }
    if ((X < Edge) ^ right) {
      FEdges.push_back({Edge, 0, Top, Bottom, Winding});
      return true;
    }
    return false;
  }

  const TTarget& FTarget;
  uint32_t FColor;
  int FTop, FBottom;
  int64_t FLeft, FRight;
  TFillTables& FTables;
  std::vector<TEdge>& FEdges;
};

}  // namespace

void FillPolygon(const TTarget& Target, uint32_t Color, const QPoint* Points, size_t Count) {
  // The outline is closed back to its first point; fewer than three points fill nothing.
  const bool open = Count > 0 && Points[Count - 1] != Points[0];
  const size_t n = Count + (open ? 1 : 0);
  if (n < 3 || Target.Clip.isEmpty()) return;
  int minY = Points[0].y(), maxY = minY;
  for (size_t i = 1; i < Count; ++i) {
    minY = std::min(minY, Points[i].y());
    maxY = std::max(maxY, Points[i].y());
  }
  const int top = std::max(Target.Clip.top(), (minY * 64 + 32) >> 6), bottom = std::min(Target.Clip.bottom(), (maxY * 64 - 32) >> 6);
  if (top > bottom) return;
  TScanFill fill(Target, Color, top, bottom, FillTables());
  auto at = [&](size_t i) { return Points[i == Count ? 0 : i]; };
  for (size_t i = 0; i + 1 < n; ++i) {
    const QPoint a = at(i), b = at(i + 1);
    fill.Side(int64_t{a.x()} * 64, int64_t{a.y()} * 64, int64_t{b.x()} * 64, int64_t{b.y()} * 64);
  }
  fill.Fill();
}

}  // namespace cad::fastdraw
