#include "bitmap.h"

#include "streams.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <stdexcept>

namespace cad {

namespace {
QImage To32(const QImage& img) {
  if (img.isNull()) return QImage();
  return img.format() == QImage::Format_RGB32 ? img : img.convertToFormat(QImage::Format_RGB32);
}
}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int Width, int Height) { SetSize(Width, Height); }

TBitmap::~TBitmap() { ReleaseCanvas(); }

void TBitmap::ReleaseCanvas() const {
  if (FCanvas) FCanvas->Release();
}

void TBitmap::SetSize(int W, int H) {
  W = std::max(0, W);
  H = std::max(0, H);
  if (W == Width() && H == Height()) return;
  ReleaseCanvas();
  FEncoded.clear();
  if (W == 0 || H == 0) {
    FImage = QImage();
  } else {
    QImage n(W, H, QImage::Format_RGB32);
    n.fill(Qt::white);
    if (!FImage.isNull()) {
      const int cw = std::min(W, FImage.width()), ch = std::min(H, FImage.height());
      for (int y = 0; y < ch; ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(FImage.constScanLine(y)), cw, reinterpret_cast<QRgb*>(n.scanLine(y)));
    }
    FImage = std::move(n);
  }
  if (FCanvas) FCanvas->SetDevice(FImage.isNull() ? nullptr : &FImage);
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == TTransparentMode::tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (Empty()) return clDefault;
  return FromQRgb(FImage.pixel(0, Height() - 1));
}

void TBitmap::SetTransparentColor(TColor v) {
  FTransparentColor = v;
  FTransparentMode = v == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
}

TColor TBitmap::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= Width() || Y >= Height()) return clNone;
  return FromQRgb(FImage.pixel(X, Y));
}

void TBitmap::SetPixel(int X, int Y, TColor C) {
  if (X < 0 || Y < 0 || X >= Width() || Y >= Height()) return;
  ReleaseCanvas();
  FEncoded.clear();
  const TColor v = ColorToRGB(C);
  FImage.setPixel(X, Y, qRgb(GetRValue(v), GetGValue(v), GetBValue(v)));
}

QRgb* TBitmap::ScanLine(int Y) {
  if (Y < 0 || Y >= Height()) return nullptr;
  ReleaseCanvas();
  FEncoded.clear();
  return reinterpret_cast<QRgb*>(FImage.scanLine(Y));
}

const QRgb* TBitmap::ScanLine(int Y) const {
  if (Y < 0 || Y >= Height()) return nullptr;
  return reinterpret_cast<const QRgb*>(FImage.constScanLine(Y));
}

TCanvas* TBitmap::Canvas() {
  // Whoever takes the canvas may draw on the picture.
  FEncoded.clear();
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>(FImage.isNull() ? nullptr : &FImage);
  return FCanvas.get();
}

const QImage& TBitmap::Image() const {
  ReleaseCanvas();
  return FImage;
}

void TBitmap::SetImage(const QImage& Image) {
  ReleaseCanvas();
  FEncoded.clear();
  FImage = To32(Image);
  if (FCanvas) FCanvas->SetDevice(FImage.isNull() ? nullptr : &FImage);
}

void TBitmap::Assign(const TBitmap& Source) {
  if (&Source == this) return;
  SetImage(Source.Image());
  FEncoded = Source.FEncoded;
  FPixelFormat = Source.FPixelFormat;
  FTransparent = Source.FTransparent;
  FTransparentMode = Source.FTransparentMode;
  FTransparentColor = Source.FTransparentColor;
}

void TBitmap::LoadFromFile(const QString& FileName) {
  QByteArray data;
  QString why;
  QImage img;
  if (ReadPictureFile(FileName, data, &why)) img = DecodePicture(data, &why);
  if (img.isNull())
    throw std::runtime_error(QStringLiteral("Cannot load picture \"%1\": %2").arg(FileName, why).toStdString());
  SetImage(img);
  FEncoded = data;
}

bool TBitmap::SaveToFile(const QString& FileName, const char* Format) const {
  QSaveFile f(FileName);
  if (!f.open(QIODevice::WriteOnly)) return false;
  const QByteArray data = SaveToData(Format);
  if (data.isEmpty() || f.write(data) != data.size()) {
    f.cancelWriting();
    return false;
  }
  return CommitSaveFile(f);
}

bool TBitmap::LoadFromData(const QByteArray& Data, qint64 MaxPixels) {
  const QImage img = DecodePicture(Data, nullptr, nullptr, MaxPixels);
  if (img.isNull()) return false;
  SetImage(img);
  FEncoded = Data;
  return true;
}

// ---- Decoding pictures ----

namespace {

bool IsRasterFormat(const QByteArray& Format) {
  static const char* const kFormats[] = {"bmp", "png", "jpeg", "jpg", "gif", "ico"};
  for (const char* f : kFormats)
    if (Format == f) return true;
  return false;
}

// Whether an uncompressed BMP holds every row its header declares. Compressed ones (run
// lengths) are left to the general bound on pixels per byte.
bool BmpRowsPresent(const QByteArray& D) {
  auto byte = [&D](qsizetype i) { return static_cast<uint32_t>(static_cast<uint8_t>(D[i])); };
  auto u16 = [&](qsizetype i) { return byte(i) | (byte(i + 1) << 8); };
  auto u32 = [&](qsizetype i) { return u16(i) | (u16(i + 2) << 16); };
  if (D.size() < 26) return false;
  const int64_t offset = u32(10), headerSize = u32(14);
  int64_t width, height, bits;
  uint32_t compression = 0;
  if (headerSize == 12) {  // the old core header: 16-bit sizes, no compression
    width = u16(18);
    height = u16(20);
    bits = u16(24);
  } else {
    if (D.size() < 34) return false;
    width = static_cast<int32_t>(u32(18));
    height = static_cast<int32_t>(u32(22));
    bits = u16(28);
    compression = u32(30);
  }
  // Plain rows, or rows with bit fields.
  if (compression != 0 && compression != 3 && compression != 6) return true;
  const int64_t rowBytes = (std::abs(width) * bits + 31) / 32 * 4;
  return offset + rowBytes * std::abs(height) <= D.size();
}

}  // namespace

// A stream may always hold one picture of the largest size.
static_assert(TStream::kPixelsFloor == kMaxPicturePixels);

QImage DecodePicture(const QByteArray& Data, QString* Why, const char* Format, qint64 MaxPixels) {
  MaxPixels = std::min(MaxPixels, kMaxPicturePixels);
  auto refuse = [Why](const QString& Reason) {
    if (Why) *Why = Reason;
    return QImage();
  };
  QBuffer buf;
  buf.setData(Data);
  buf.open(QIODevice::ReadOnly);
  const QByteArray format = Format ? QByteArray(Format) : QImageReader::imageFormat(&buf).toLower();
  buf.seek(0);
  if (!IsRasterFormat(format))
    return refuse(format.isEmpty() ? QStringLiteral("not a picture") : QStringLiteral("pictures in %1 format are not read").arg(QString::fromLatin1(format)));
  QImageReader reader(&buf, format);
  reader.setDecideFormatFromContent(false);
  // A picture claims its size in its header; check the claim before anything is allocated.
  const QSize s = reader.size();
  if (s.isValid()) {
    const qint64 pixels = static_cast<qint64>(s.width()) * s.height();
    if (pixels > MaxPixels) return refuse(QStringLiteral("the picture is too large (%1 x %2)").arg(s.width()).arg(s.height()));
    if (pixels > static_cast<qint64>(Data.size()) * kMaxPixelsPerByte || (format == "bmp" && !BmpRowsPresent(Data)))
      return refuse(QStringLiteral("the picture declares more pixels than its data holds"));
  }
  QImage img = reader.read();
  if (img.isNull()) return refuse(reader.errorString());
  // A decoder that could not tell the size beforehand is held to the same limit afterwards.
  if (static_cast<qint64>(img.width()) * img.height() > MaxPixels) return refuse(QStringLiteral("the picture is too large"));
  return img;
}

bool ReadPictureFile(const QString& FileName, QByteArray& Data, QString* Why) {
  QFile f(FileName);
  if (!f.open(QIODevice::ReadOnly)) {
    if (Why) *Why = f.errorString();
    return false;
  }
  if (f.size() > kMaxPictureFileBytes) {
    if (Why) *Why = QStringLiteral("the file is too large for a picture");
    return false;
  }
  Data = f.readAll();
  return true;
}

QByteArray TBitmap::SaveToData(const char* Format) const {
  if (Empty()) return QByteArray();
  QByteArray out;
  QBuffer buf(&out);
  buf.open(QIODevice::WriteOnly);
  if (!Image().save(&buf, Format)) return QByteArray();
  return out;
}

}  // namespace cad
