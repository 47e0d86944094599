#include "graphics.h"

#include "bitmap.h"
#include "platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <limits>

namespace cad {

Qt::PenStyle ToQtPenStyle(TPenStyle s) {
  switch (s) {
    case TPenStyle::psDash: return Qt::DashLine;
    case TPenStyle::psDot: return Qt::DotLine;
    case TPenStyle::psDashDot: return Qt::DashDotLine;
    case TPenStyle::psDashDotDot: return Qt::DashDotDotLine;
    case TPenStyle::psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle s) {
  switch (s) {
    case TBrushStyle::bsClear: return Qt::NoBrush;
    case TBrushStyle::bsHorizontal: return Qt::HorPattern;
    case TBrushStyle::bsVertical: return Qt::VerPattern;
    case TBrushStyle::bsFDiagonal: return Qt::FDiagPattern;
    case TBrushStyle::bsBDiagonal: return Qt::BDiagPattern;
    case TBrushStyle::bsCross: return Qt::CrossPattern;
    case TBrushStyle::bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

TPenStyle FromQtPenStyle(Qt::PenStyle s) {
  for (uint8_t i = 0; i <= static_cast<uint8_t>(TPenStyle::psInsideFrame); ++i)
    if (ToQtPenStyle(static_cast<TPenStyle>(i)) == s) return static_cast<TPenStyle>(i);
  return TPenStyle::psSolid;
}

TBrushStyle FromQtBrushStyle(Qt::BrushStyle s) {
  for (uint8_t i = 0; i <= static_cast<uint8_t>(TBrushStyle::bsDiagCross); ++i)
    if (ToQtBrushStyle(static_cast<TBrushStyle>(i)) == s) return static_cast<TBrushStyle>(i);
  return TBrushStyle::bsSolid;
}

namespace {

// Fallback values for system colours when no GUI application supplies a palette.
TColor DefaultSystemColor(int index) {
  switch (index) {
    case 0: return 0xC8C8C8;
    case 1: return 0x000000;
    case 2: return 0x6A240A;
    case 3: return 0x808080;
    case 4: return 0xF0F0F0;
    case 5: return 0xFFFFFF;
    case 6: return 0x000000;
    case 7: return 0x000000;
    case 8: return 0x000000;
    case 9: return 0xFFFFFF;
    case 13: return 0x6A240A;
    case 14: return 0xFFFFFF;
    case 15: return 0xF0F0F0;
    case 16: return 0xA0A0A0;
    case 17: return 0x808080;
    case 18: return 0x000000;
    case 20: return 0xFFFFFF;
    case 23: return 0x000000;
    case 24: return 0xE1FFFF;
    default: return 0x000000;
  }
}

bool PaletteRole(int index, QPalette::ColorRole& role) {
  switch (index) {
    case 4: case 15: role = QPalette::Button; return true;
    case 5: role = QPalette::Base; return true;
    case 7: case 8: role = QPalette::Text; return true;
    case 13: role = QPalette::Highlight; return true;
    case 14: role = QPalette::HighlightedText; return true;
    case 16: role = QPalette::Dark; return true;
    case 18: role = QPalette::ButtonText; return true;
    case 20: role = QPalette::Light; return true;
    case 23: role = QPalette::ToolTipText; return true;
    case 24: role = QPalette::ToolTipBase; return true;
    default: return false;
  }
}

}  // namespace

TColor ColorToRGB(TColor c) {
  if ((static_cast<uint32_t>(c) & 0xFF000000u) != 0xFF000000u) return c & 0xFFFFFF;
  const int index = c & 0xFF;
  QPalette::ColorRole role;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && PaletteRole(index, role)) {
    const QColor q = QGuiApplication::palette().color(QPalette::Active, role);
    return RGB(q.red(), q.green(), q.blue());
  }
  return DefaultSystemColor(index);
}

QColor ToQColor(TColor c) {
  const TColor v = ColorToRGB(c);
  return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
}

TColor FromQRgb(QRgb rgb) { return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

void TGraphicsObject::Changed() {
  ++FRevision;
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}
void TPen::SetStyle(TPenStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}
void TPen::SetWidth(int v) {
  if (v < 0) v = 0;
  if (v == FWidth) return;
  FWidth = v;
  Changed();
}
void TPen::SetMode(TPenMode v) {
  if (v == FMode) return;
  FMode = v;
  Changed();
}
void TPen::Assign(const TPen& Source) {
  if (&Source == this) return;
  FColor = Source.FColor;
  FStyle = Source.FStyle;
  FWidth = Source.FWidth;
  FMode = Source.FMode;
  Changed();
}

void TBrush::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}
void TBrush::SetStyle(TBrushStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}
void TBrush::SetBitmap(const TBitmap* v) {
  FBitmap = v ? v->Image() : QImage();
  FBitmapData = v ? v->EncodedData() : QByteArray();
  Changed();
}
void TBrush::SetBitmapImage(const QImage& v) {
  FBitmap = v;
  FBitmapData.clear();
  Changed();
}
void TBrush::Assign(const TBrush& Source) {
  if (&Source == this) return;
  FColor = Source.FColor;
  FStyle = Source.FStyle;
  FBitmap = Source.FBitmap;
  FBitmapData = Source.FBitmapData;
  Changed();
}

TFont::TFont() : FName(DefaultName()) {}

QString TFont::DefaultName() { return QStringLiteral("DejaVu Sans"); }

int TFont::Height() const { return FHeightKept ? FKeptHeight : SizeHeight(); }

void TFont::KeepHeight(int v) {
  FHeightKept = true;
  FKeptHeight = v;
}

int TFont::SizeHeight() const {
  // Sizes come from files too: compute wide and saturate rather than overflow.
  const long double px = std::nearbyint(static_cast<long double>(FSize) * ScreenPixelsPerInch() / 72.0L);
  const long double limit = std::numeric_limits<int>::max();
  return -static_cast<int>(std::clamp(px, -limit, limit));
}
void TFont::SetName(const QString& v) {
  if (v == FName) return;
  FName = v;
  Changed();
}
void TFont::SetSize(int v) {
  if (v == FSize) return;
  FSize = v;
  FHeightKept = false;
  Changed();
}
void TFont::SetHeight(int v) {
  // A height in pixels becomes the point size that gives it at the screen's resolution.
  FHeightKept = false;
  const int ppi = ScreenPixelsPerInch();
  const long double pt = std::nearbyint(std::fabs(static_cast<long double>(v)) * 72.0L / (ppi > 0 ? ppi : 96));
  SetSize(static_cast<int>(std::min<long double>(pt, std::numeric_limits<int>::max())));
}
void TFont::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}
void TFont::SetStyle(TFontStyles v) {
  if (v == FStyle) return;
  FStyle = v;
  Changed();
}
void TFont::Assign(const TFont& Source) {
  if (&Source == this) return;
  FName = Source.FName;
  FSize = Source.FSize;
  FColor = Source.FColor;
  FStyle = Source.FStyle;
  FCharset = Source.FCharset;
  FPitch = Source.FPitch;
  FResolution = Source.FResolution;
  FHeightKept = Source.FHeightKept;
  FKeptHeight = Source.FKeptHeight;
  Changed();
}

QFont TFont::ToQFont() const {
  QFont f(FName);
  // Text is rendered at most this tall; larger sizes (from damaged files) would only stall.
  constexpr int kMaxPixelSize = 4096;
  const int h = SizeHeight();
  f.setPixelSize(std::clamp(h == std::numeric_limits<int>::min() ? kMaxPixelSize : std::abs(h), 1, kMaxPixelSize));
  f.setBold(FStyle & fsBold);
  f.setItalic(FStyle & fsItalic);
  f.setUnderline(FStyle & fsUnderline);
  f.setStrikeOut(FStyle & fsStrikeOut);
  return f;
}

const QFontMetrics& TFontMetricsCache::Of(const TFont& Font) {
  const int height = Font.SizeHeight();
  if (!FMetrics || FName != Font.Name() || FHeight != height || FStyle != Font.Style()) {
    FFont = Font.ToQFont();
    FMetrics = std::make_unique<QFontMetrics>(FFont);
    FName = Font.Name();
    FHeight = height;
    FStyle = Font.Style();
    ++FSerial;
  }
  return *FMetrics;
}

const QFontMetrics& MetricsOf(const TFont& Font) {
  static std::unique_ptr<TFontMetricsCache> cache;
  if (!cache) {
    cache = std::make_unique<TFontMetricsCache>();
    // The metrics belong to the application's font system: they go when the application does.
    qAddPostRoutine([] { cache.reset(); });
  }
  return cache->Of(Font);
}

}  // namespace cad
