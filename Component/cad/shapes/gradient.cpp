// The shape's gradient picture: a 256-entry colour ramp laid out by one of 24 patterns.
#include "shape.h"

#include <array>
#include <cmath>

namespace cad {

namespace {

struct RampColor {
  int R, G, B;
};

using Ramp = std::array<QRgb, 256>;

Ramp BuildRamp(TColor Begin, TColor End) {
  const TColor b = ColorToRGB(Begin), e = ColorToRGB(End);
  const RampColor c0{GetRValue(b), GetGValue(b), GetBValue(b)}, c1{GetRValue(e), GetGValue(e), GetBValue(e)};
  Ramp ramp{};
  for (int i = 0; i < 256; ++i) {
    // Integer division truncates toward zero, also for a falling channel.
    ramp[static_cast<size_t>(i)] = qRgb(c0.R + (i * (c1.R - c0.R)) / 255, c0.G + (i * (c1.G - c0.G)) / 255,
                                        c0.B + (i * (c1.B - c0.B)) / 255);
  }
  return ramp;
}

int Dist(int dx, int dy) { return Round(std::sqrt(static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy)); }
// Distance from the two centre columns (rows) of a 362-wide (high) radial pattern.
int Mid(int v) { return v <= 180 ? 180 - v : v - 181; }

// Size and ramp index of each pattern.
struct Pattern {
  int W, H;
  int (*Index)(int x, int y);
};

Pattern PatternOf(TGradientStyle s) {
  switch (s) {
    case TGradientStyle::gsRadialC: return {362, 362, [](int x, int y) { return Dist(Mid(x), 180 - y); }};
    case TGradientStyle::gsRadialT: return {362, 181, [](int x, int y) { return Dist(Mid(x), y); }};
    case TGradientStyle::gsRadialB: return {362, 181, [](int x, int y) { return Dist(Mid(x), 180 - y); }};
    case TGradientStyle::gsRadialL: return {181, 362, [](int x, int y) { return Dist(x, Mid(y)); }};
    case TGradientStyle::gsRadialR: return {181, 362, [](int x, int y) { return Dist(180 - x, Mid(y)); }};
    case TGradientStyle::gsRadialTL: return {181, 181, [](int x, int y) { return Dist(x, y); }};
    case TGradientStyle::gsRadialTR: return {181, 181, [](int x, int y) { return Dist(180 - x, y); }};
    case TGradientStyle::gsRadialBL: return {181, 181, [](int x, int y) { return Dist(x, 180 - y); }};
    case TGradientStyle::gsRadialBR: return {181, 181, [](int x, int y) { return Dist(180 - x, 180 - y); }};
    case TGradientStyle::gsLinearH: return {1, 256, [](int, int y) { return y; }};
    case TGradientStyle::gsLinearV: return {256, 1, [](int x, int) { return x; }};
    case TGradientStyle::gsReflectedH: return {1, 512, [](int, int y) { return y <= 255 ? 255 - y : y - 256; }};
    case TGradientStyle::gsReflectedV: return {512, 1, [](int x, int) { return x <= 255 ? 255 - x : x - 256; }};
    case TGradientStyle::gsDiagonalLF: return {128, 129, [](int x, int y) { return y - x + 127; }};
    case TGradientStyle::gsDiagonalLB: return {128, 129, [](int x, int y) { return x + y; }};
    case TGradientStyle::gsDiagonalRF: return {256, 256, [](int x, int y) { return std::abs(x - y); }};
    case TGradientStyle::gsDiagonalRB: return {256, 256, [](int x, int y) { return std::abs(x + y - 255); }};
    case TGradientStyle::gsArrowL:
      return {129, 256, [](int x, int y) { return y <= 127 ? 255 - (x + y) : y - x; }};
    case TGradientStyle::gsArrowR:
      return {129, 256, [](int x, int y) { return y <= 127 ? x - y + 127 : x + y - 128; }};
    case TGradientStyle::gsArrowU:
      return {256, 129, [](int x, int y) { return x <= 127 ? 255 - (x + y) : x - y; }};
    case TGradientStyle::gsArrowD:
      return {256, 129, [](int x, int y) { return x <= 127 ? y - x + 127 : x + y - 128; }};
    case TGradientStyle::gsDiamond:
      return {256, 256, [](int x, int y) {
                if (y <= 127) return x <= 127 ? 255 - (x + y) : x - y;
                return x <= 127 ? y - x : x + y - 255;
              }};
    case TGradientStyle::gsButterfly:
      return {256, 256, [](int x, int y) {
                if (y <= 127) return x <= 127 ? x - y + 128 : 383 - (x + y);
                return x <= 127 ? x + y - 128 : y - x + 128;
              }};
    case TGradientStyle::gsNone: break;
  }
  return {0, 0, nullptr};
}

// Shapes mostly share a few gradients. The pictures made last are kept, and a shape whose
// gradient is among them shares that picture's pixels instead of making its own.
struct TMadeGradient {
  TGradientStyle Style = TGradientStyle::gsNone;
  TColor Begin = 0, End = 0;
  QImage Image;
};
constexpr size_t kKeptGradients = 8;

}  // namespace

bool TMyShape::DrawGradient(int64_t MaxNewPixels) {
  const Pattern p = PatternOf(FGradientStyle);
  if (!p.Index) return false;
  const TColor begin = ColorToRGB(FColorBegin), end = ColorToRGB(FColorEnd);
  thread_local std::array<TMadeGradient, kKeptGradients> made;
  thread_local size_t next = 0;
  for (const TMadeGradient& m : made)
    if (!m.Image.isNull() && m.Style == FGradientStyle && m.Begin == begin && m.End == end) {
      GradientBitmap.SetImage(m.Image);
      return false;
    }
  if (int64_t{p.W} * p.H > MaxNewPixels) {
    GradientBitmap.SetSize(0, 0);
    return false;
  }
  const Ramp ramp = BuildRamp(begin, end);
  QImage image(p.W, p.H, QImage::Format_RGB32);
  for (int y = 0; y < p.H; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < p.W; ++x) line[x] = ramp[static_cast<size_t>(std::clamp(p.Index(x, y), 0, 255))];
  }
  made[next] = TMadeGradient{FGradientStyle, begin, end, image};
  next = (next + 1) % kKeptGradients;
  GradientBitmap.SetImage(image);
  return true;
}

}  // namespace cad
