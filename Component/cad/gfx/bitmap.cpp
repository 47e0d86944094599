#include "bitmap.h"

#include <QBuffer>
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
  const TColor v = ColorToRGB(C);
  FImage.setPixel(X, Y, qRgb(GetRValue(v), GetGValue(v), GetBValue(v)));
}

QRgb* TBitmap::ScanLine(int Y) {
  if (Y < 0 || Y >= Height()) return nullptr;
  ReleaseCanvas();
  return reinterpret_cast<QRgb*>(FImage.scanLine(Y));
}

const QRgb* TBitmap::ScanLine(int Y) const {
  if (Y < 0 || Y >= Height()) return nullptr;
  return reinterpret_cast<const QRgb*>(FImage.constScanLine(Y));
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>(FImage.isNull() ? nullptr : &FImage);
  return FCanvas.get();
}

const QImage& TBitmap::Image() const {
  ReleaseCanvas();
  return FImage;
}

void TBitmap::SetImage(const QImage& Image) {
  ReleaseCanvas();
  FImage = To32(Image);
  if (FCanvas) FCanvas->SetDevice(FImage.isNull() ? nullptr : &FImage);
}

void TBitmap::Assign(const TBitmap& Source) {
  if (&Source == this) return;
  SetImage(Source.Image());
  FPixelFormat = Source.FPixelFormat;
  FTransparent = Source.FTransparent;
  FTransparentMode = Source.FTransparentMode;
  FTransparentColor = Source.FTransparentColor;
}

void TBitmap::LoadFromFile(const QString& FileName) {
  QImageReader reader(FileName);
  reader.setDecideFormatFromContent(true);
  QImage img = reader.read();
  if (img.isNull())
    throw std::runtime_error(QStringLiteral("Cannot load picture \"%1\": %2")
                                 .arg(FileName, reader.errorString())
                                 .toStdString());
  SetImage(img);
}

bool TBitmap::SaveToFile(const QString& FileName, const char* Format) const {
  QSaveFile f(FileName);
  if (!f.open(QIODevice::WriteOnly)) return false;
  const QByteArray data = SaveToData(Format);
  if (data.isEmpty() || f.write(data) != data.size()) {
    f.cancelWriting();
    return false;
  }
  return f.commit();
}

bool TBitmap::LoadFromData(const QByteArray& Data) {
  QBuffer buf;
  buf.setData(Data);
  buf.open(QIODevice::ReadOnly);
  QImageReader reader(&buf);
  reader.setDecideFormatFromContent(true);
  // A picture claims its size in its header: refuse sizes the data cannot possibly hold.
  const QSize s = reader.size();
  if (s.isValid() && static_cast<qint64>(s.width()) * s.height() > 64ll * 1024 * 1024) return false;
  QImage img = reader.read();
  if (img.isNull()) return false;
  SetImage(img);
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
