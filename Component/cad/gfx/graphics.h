// Colours, pens, brushes and fonts in the component's own vocabulary.
//
// These are plain value holders with a change notification; TCanvas turns them into the
// toolkit's painter state when it draws. Colours are 32-bit values in 00BBGGRR order; values with
// the high byte 0xFF name system colours and are resolved by ColorToRGB.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace cad {

using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours: the high byte marks them, the low byte selects the role.
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

// Resolves system colours to plain 00BBGGRR values; plain colours pass unchanged.
TColor ColorToRGB(TColor c);
inline int GetRValue(TColor c) { return c & 0xFF; }
inline int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline int GetBValue(TColor c) { return (c >> 16) & 0xFF; }
inline TColor RGB(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
QColor ToQColor(TColor c);
TColor FromQRgb(QRgb rgb);

enum class TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode : uint8_t { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmXor, pmNotXor };
enum class TBrushStyle : uint8_t { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

// The toolkit's pen and brush styles for ours, and back (a style the toolkit has and we do not
// becomes the nearest: solid).
Qt::PenStyle ToQtPenStyle(TPenStyle s);
Qt::BrushStyle ToQtBrushStyle(TBrushStyle s);
TPenStyle FromQtPenStyle(Qt::PenStyle s);
TBrushStyle FromQtBrushStyle(Qt::BrushStyle s);

class TBitmap;

// Common base of pen, brush and font: a change counter and an optional change handler.
class TGraphicsObject {
public:
  virtual ~TGraphicsObject() = default;
  std::function<void(TGraphicsObject* Sender)> OnChange;
  // Grows on every change; canvases use it to know when to refresh the painter state.
  uint64_t Revision() const { return FRevision; }

protected:
  void Changed();

private:
  uint64_t FRevision = 1;
};

class TPen : public TGraphicsObject {
public:
  TColor Color() const { return FColor; }
  TPenStyle Style() const { return FStyle; }
  int Width() const { return FWidth; }
  TPenMode Mode() const { return FMode; }
  void SetColor(TColor v);
  void SetStyle(TPenStyle v);
  void SetWidth(int v);
  void SetMode(TPenMode v);
  // Copies the settings (not the change handler) and reports one change.
  void Assign(const TPen& Source);

private:
  TColor FColor = clBlack;
  TPenStyle FStyle = TPenStyle::psSolid;
  int FWidth = 1;
  TPenMode FMode = TPenMode::pmCopy;
};

class TBrush : public TGraphicsObject {
public:
  TColor Color() const { return FColor; }
  TBrushStyle Style() const { return FStyle; }
  // The pattern picture; a null image when the brush has none.
  const QImage& Bitmap() const { return FBitmap; }
  // The encoded bytes the pattern was loaded from (see TBitmap::EncodedData); empty when it was
  // set as a picture or there is none.
  const QByteArray& BitmapData() const { return FBitmapData; }
  void SetColor(TColor v);
  void SetStyle(TBrushStyle v);
  void SetBitmap(const TBitmap* v);
  void SetBitmapImage(const QImage& v);
  void Assign(const TBrush& Source);

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = TBrushStyle::bsSolid;
  QImage FBitmap;
  QByteArray FBitmapData;
};

class TFont : public TGraphicsObject {
public:
  TFont();
  QString Name() const { return FName; }
  int Size() const { return FSize; }
  TColor Color() const { return FColor; }
  TFontStyles Style() const { return FStyle; }
  // Height in pixels at the screen's pixels per inch (negative as a character height), or the
  // height a file gave together with the current size (see KeepHeight).
  int Height() const;
  void SetName(const QString& v);
  void SetSize(int v);
  void SetHeight(int v);
  void SetColor(TColor v);
  void SetStyle(TFontStyles v);
  // Attributes that files carry and the toolkit font does not use: the character set (1, the
  // default set, unless a file says otherwise), the pitch (0 default, 1 variable, 2 fixed) and a
  // resolution value. They are kept as read so that a drawing is written back as it was read.
  uint8_t Charset() const { return FCharset; }
  void SetCharset(uint8_t v) { FCharset = v; }
  uint8_t Pitch() const { return FPitch; }
  void SetPitch(uint8_t v) { FPitch = v; }
  int32_t Resolution() const { return FResolution; }
  void SetResolution(int32_t v) { FResolution = v; }
  // A stored height that goes with the current size (written at another resolution, say):
  // Height() reports it until the size changes. Text is always drawn from the size.
  void KeepHeight(int v);
  void Assign(const TFont& Source);
  // The toolkit font, sized in pixels so that metrics do not depend on the paint device.
  QFont ToQFont() const;

  static QString DefaultName();
  // The height that follows from the size at the screen's resolution (what text is drawn at).
  int SizeHeight() const;

private:
  QString FName;
  int FSize = 8;
  TColor FColor = clWindowText;
  TFontStyles FStyle = 0;
  uint8_t FCharset = 1;
  uint8_t FPitch = 0;
  int32_t FResolution = 0;
  bool FHeightKept = false;
  int FKeptHeight = 0;
};

// The toolkit font and its metrics for the last TFont asked for, made again only when that
// font's name, height or style differ: shapes and canvases measure and draw the same font over
// and over. Serial() grows with every new toolkit font.
class TFontMetricsCache {
public:
  const QFontMetrics& Of(const TFont& Font);
  const QFont& Font() const { return FFont; }
  uint64_t Serial() const { return FSerial; }

private:
  QString FName;
  int FHeight = 0;
  TFontStyles FStyle = 0;
  QFont FFont;
  std::unique_ptr<QFontMetrics> FMetrics;
  uint64_t FSerial = 0;
};

// The metrics of a font at the screen's pixels per inch, from one cache the whole process shares;
// the reference is valid until the next call.
const QFontMetrics& MetricsOf(const TFont& Font);

}  // namespace cad
