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
// Pictures read from files and streams are raster images (BMP, PNG, JPEG, GIF, icons) and
// nothing else: no SVG or other format whose decoder may read further files. They hold at most
// kMaxPicturePixels pixels (64 Mi, 256 MiB in memory), never more pixels than their encoded
// bytes can describe (kMaxPixelsPerByte each, beyond any real compression; an uncompressed BMP
// must carry every row it declares), and picture files are at most kMaxPictureFileBytes long.
inline constexpr qint64 kMaxPicturePixels = 64ll * 1024 * 1024;
inline constexpr qint64 kMaxPixelsPerByte = 16384;
inline constexpr qint64 kMaxPictureFileBytes = 512ll * 1024 * 1024;

// Decodes a picture under those rules. Format names the only format to accept (for example
// "ico"); without it the format is told from the bytes. MaxPixels may lower the size limit (for
// a reader whose stream has less of its allowance left). A refused or broken picture gives a
// null image, and the reason in Why.
QImage DecodePicture(const QByteArray& Data, QString* Why = nullptr, const char* Format = nullptr,
                     qint64 MaxPixels = kMaxPicturePixels);
// The bytes of a picture file, within the size limit; false and the reason otherwise.
bool ReadPictureFile(const QString& FileName, QByteArray& Data, QString* Why = nullptr);

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

  // Encoded pictures, decoded by DecodePicture. Loading a file throws std::runtime_error naming
  // the file and the reason; saving writes a temporary file beside the target and renames it,
  // and returns false on failure. Loading data returns false and leaves the bitmap as it was.
  // A loaded picture keeps the bytes it came from (EncodedData) until anything changes it, so
  // that it is stored again as it was read: a JPEG stays a JPEG, a BMP keeps its exact header.
  void LoadFromFile(const QString& FileName);
  bool SaveToFile(const QString& FileName, const char* Format = "BMP") const;
  bool LoadFromData(const QByteArray& Data, qint64 MaxPixels = kMaxPicturePixels);
  QByteArray SaveToData(const char* Format = "BMP") const;
  // The encoded bytes the picture was loaded from, while it is unchanged; empty otherwise.
  // Every change (size, pixels, a new picture, asking for the canvas) drops them.
  const QByteArray& EncodedData() const { return FEncoded; }

private:
  void ReleaseCanvas() const;

  QImage FImage;
  QByteArray FEncoded;
  std::unique_ptr<TCanvas> FCanvas;
  TPixelFormat FPixelFormat = TPixelFormat::pfDevice;
  bool FTransparent = false;
  TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
  TColor FTransparentColor = clDefault;
};

}  // namespace cad
