// TBitmap: a picture held as a 32-bit image with row-wise pixel access, a canvas to draw on it,
// a transparency setting, and encoded load and save (BMP, icons and the other formats the
// toolkit reads).
#pragma once

#include "canvas.h"
#include "graphics.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

namespace cad {

class TStream;

// Nominal pixel formats. Pixels are always stored as 32-bit 0xffRRGGBB values; the format is
// kept so that callers that set one read it back.
enum class TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum class TTransparentMode : uint8_t { tmAuto, tmFixed };

class TBitmap {
public:
  TBitmap();
  TBitmap(int Width, int Height);
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const { return FImage.width(); }
  int Height() const { return FImage.height(); }
  bool Empty() const { return FImage.isNull() || FImage.width() == 0 || FImage.height() == 0; }
  // Resizing keeps the top-left part of the picture; new pixels are white.
  void SetWidth(int W) { SetSize(W, Height()); }
  void SetHeight(int H) { SetSize(Width(), H); }
  void SetSize(int W, int H);

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat v) { FPixelFormat = v; }

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { FTransparent = v; }
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode v) { FTransparentMode = v; }
  // tmAuto: the bottom-left pixel; tmFixed: the stored colour.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor v);

  TColor Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, TColor C);
  // Row y as 0xffRRGGBB values; the canvas is released first.
  QRgb* ScanLine(int Y);
  const QRgb* ScanLine(int Y) const;

  TCanvas* Canvas();
  const QImage& Image() const;
  // Takes the picture of another image (converted to 32 bits); the canvas is released first.
  void SetImage(const QImage& Image);
  // Copies picture, pixel format and transparency settings.
  void Assign(const TBitmap& Source);
  void Clear() { SetImage(QImage()); }

  // Encoded pictures. Loading throws std::runtime_error naming the file and the reason; saving
  // writes a temporary file beside the target and renames it, and returns false on failure.
  void LoadFromFile(const QString& FileName);
  bool SaveToFile(const QString& FileName, const char* Format = "BMP") const;
  bool LoadFromData(const QByteArray& Data);
  QByteArray SaveToData(const char* Format = "BMP") const;

private:
  void ReleaseCanvas() const;

  QImage FImage;
  std::unique_ptr<TCanvas> FCanvas;
  TPixelFormat FPixelFormat = TPixelFormat::pfDevice;
  bool FTransparent = false;
  TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
  TColor FTransparentColor = clDefault;
};

}  // namespace cad
