#include "streamprims.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace cad {

QString DecodeStreamText(const QByteArray& Bytes) {
  // Plain ASCII (nearly every name and caption) reads the same either way: no decoder needed.
  if (std::all_of(Bytes.cbegin(), Bytes.cend(), [](char C) { return static_cast<unsigned char>(C) < 0x80; }))
    return QString::fromLatin1(Bytes);
  // Keep a leading byte-order mark as a character: the bytes are data, not a file prologue.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
  QString text = utf8.decode(Bytes);
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(Bytes);
}

QByteArray EncodeStreamText(const QString& Text) {
  for (const QChar c : Text)
    if (c.unicode() > 0xFF) return Text.toUtf8();
  return Text.toLatin1();
}

long double DecodeExtended(const uint8_t (&Bytes)[10]) {
  uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= static_cast<uint64_t>(Bytes[i]) << (8 * i);
  const unsigned signExp = static_cast<unsigned>(Bytes[8]) | (static_cast<unsigned>(Bytes[9]) << 8);
  const bool negative = (signExp & 0x8000) != 0;
  const int exponent = static_cast<int>(signExp & 0x7FFF);
  long double v;
  if (exponent == 0x7FFF) {
    // All fraction bits (below the integer bit) clear: infinity; otherwise not a number.
    v = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                             : std::numeric_limits<long double>::quiet_NaN();
  } else {
    // Denormals use the smallest exponent without the implicit bias step.
    const int e = exponent == 0 ? 1 - 16383 : exponent - 16383;
    v = std::ldexp(static_cast<long double>(mantissa), e - 63);
  }
  return negative ? -v : v;
}

long double ReadExtended(TStream& Stream) {
  uint8_t b[10];
  Stream.ReadBuffer(b, 10);
  return DecodeExtended(b);
}

float ToSingle(long double Value) {
  if (std::isnan(Value)) return std::numeric_limits<float>::quiet_NaN();
  if (Value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (Value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(Value);
}

// ---- Fixed-width text fields ----

QString ReadStrBuffer(TStream& Stream, uint8_t Len) {
  QByteArray bytes(Len, '\0');
  if (Len > 0) Stream.Read(bytes.data(), Len);
  return DecodeStreamText(bytes);
}

bool WriteStrBuffer(TStream& Stream, const QString& Text, uint8_t Len) {
  try {
    QByteArray bytes = EncodeStreamText(Text);
    if (bytes.size() > Len) {
      // Cut at a character boundary: a continuation byte (10xxxxxx) right after the field
      // means the last character would be split, so it is blanked out whole.
      qsizetype cut = Len;
      while (cut > 0 && (static_cast<uint8_t>(bytes[cut]) & 0xC0) == 0x80) --cut;
      bytes.truncate(cut);
      bytes.append(Len - cut, ' ');
    } else if (bytes.size() < Len) {
      bytes.append(Len - bytes.size(), '\0');
    }
    Stream.WriteBuffer(bytes.constData(), Len);
    return true;
  } catch (...) {
    return false;
  }
}

QString AppendSpace(const QString& Text, int Width) {
  if (Text.size() > Width) return Text;
  return Text + QString(Width - Text.size() + 1, QLatin1Char(' '));
}

// ---- Length-prefixed texts ----

void WriteStreamText(TStream& Stream, const QString& Text) {
  const QByteArray bytes = EncodeStreamText(Text);
  if (bytes.size() > std::numeric_limits<int32_t>::max()) throw EWriteError("Text too long for a stream field");
  const int32_t n = static_cast<int32_t>(bytes.size());
  Stream.WriteLE<int32_t>(n <= 255 ? n : -n);
  Stream.WriteBuffer(bytes.constData(), n);
}

QString ReadStreamText(TStream& Stream) {
  const int32_t count = Stream.ReadLE<int32_t>();
  int64_t n;
  if (count >= 0) {
    n = count & 0xFF;
  } else {
    if (count == std::numeric_limits<int32_t>::min()) throw EReadError("Invalid text length");
    n = -static_cast<int64_t>(count);
  }
  if (n > Stream.Remaining()) throw EReadError("Stream read error");
  if (n == 0) return QString();
  QByteArray bytes(static_cast<qsizetype>(n), '\0');
  Stream.ReadBuffer(bytes.data(), n);
  return DecodeStreamText(bytes);
}

// ---- Bitmap blobs ----

void WriteBitmapBlob(TStream& Stream, const QByteArray& Data) {
  Stream.WriteLE<int64_t>(Data.size());
  Stream.WriteBuffer(Data.constData(), Data.size());
}

bool WriteBitmapBuffer(TStream& Stream, const TBitmap* Bitmap) {
  try {
    // A picture loaded and not changed since goes back as the bytes it came as.
    QByteArray data;
    if (Bitmap) data = !Bitmap->EncodedData().isEmpty() ? Bitmap->EncodedData() : Bitmap->SaveToData("BMP");
    WriteBitmapBlob(Stream, data);
    return true;
  } catch (...) {
    return false;
  }
}

QByteArray ReadBitmapBlob(TStream& Stream) {
  const int64_t count = Stream.ReadLE<int64_t>();
  if (count < 0) throw EReadError("Invalid bitmap size");
  if (count == 0) return QByteArray();
  if (count > Stream.Remaining()) throw EReadError("Stream read error");
  QByteArray data(static_cast<qsizetype>(count), '\0');
  Stream.ReadBuffer(data.data(), count);
  return data;
}

bool LoadBlobPicture(TStream& Stream, const QByteArray& Blob, TBitmap& Bitmap) {
  if (!Bitmap.LoadFromData(Blob, Stream.ClaimLeft(TStream::TClaim::Pixels))) return false;
  Stream.Claim(TStream::TClaim::Pixels, int64_t{Bitmap.Width()} * Bitmap.Height());
  return true;
}

bool ReadBitmapBuffer(TStream& Stream, std::unique_ptr<TBitmap>& Bitmap) {
  try {
    const int64_t count = Stream.ReadLE<int64_t>();
    if (count == 0) return true;
    if (count < 0) return false;
    // The new bitmap replaces (and frees) what the caller held, also when loading fails.
    Bitmap = std::make_unique<TBitmap>();
    if (count > Stream.Remaining()) return false;
    QByteArray data(static_cast<qsizetype>(count), '\0');
    Stream.ReadBuffer(data.data(), count);
    return LoadBlobPicture(Stream, data, *Bitmap);
  } catch (...) {
    return false;
  }
}

// ---- Library signatures ----

namespace {

// The first 10 bytes of the file, or an empty array for a shorter file.
QByteArray LibrarySignature(const QString& FileName) {
  TFileStream f(FileName, fmOpenRead);
  if (f.Size() < 10) return QByteArray();
  QByteArray sig(10, '\0');
  f.ReadBuffer(sig.data(), 10);
  return sig;
}

bool SignatureIsOneOf(const QString& FileName, std::initializer_list<const char*> Accepted) {
  const QByteArray sig = LibrarySignature(FileName);
  if (sig.isEmpty()) return false;
  for (const char* a : Accepted)
    if (sig == QByteArrayView(a)) return true;
  return false;
}

}  // namespace

bool IsVORNLibFile(const QString& FileName) {
  return SignatureIsOneOf(FileName, {"VORNLIBX.a", "VORNLIBX.9", "VORNLIBX.8", "VORNLIBX.7", "VORNLIBX.6",
                                     "VORNLIBX.3", "VORNLIBX.2"});
}
bool IsVORNLibFileX9(const QString& FileName) { return SignatureIsOneOf(FileName, {"VORNLIBX.9"}); }
bool IsVORNLibFileX8(const QString& FileName) { return SignatureIsOneOf(FileName, {"VORNLIBX.8"}); }
bool IsVORNLibFileX67(const QString& FileName) { return SignatureIsOneOf(FileName, {"VORNLIBX.6", "VORNLIBX.7"}); }
bool IsVORNLibX2File(const QString& FileName) { return SignatureIsOneOf(FileName, {"VORNLIBX.2"}); }
bool IsOLDVORNLibFile(const QString& FileName) { return SignatureIsOneOf(FileName, {"VORNLIB2.1"}); }

// ---- Pictures ----

std::unique_ptr<TBitmap> LoadGraphicsFile(const QString& FileName) {
  if (!QFileInfo::exists(FileName)) {
    auto cross = std::make_unique<TBitmap>(32, 32);
    cross->SetPixelFormat(TPixelFormat::pf32bit);
    TCanvas* c = cross->Canvas();
    c->Pen()->SetColor(clRed);
    c->Pen()->SetWidth(3);
    c->MoveTo(2, 2);
    c->LineTo(29, 29);
    c->MoveTo(2, 29);
    c->LineTo(29, 2);
    c->Release();
    return cross;
  }
  const QString type = FileName.right(3).toUpper();
  static const std::array<const char*, 6> kTypes = {"BMP", "EMF", "ICO", "JPG", "PEG", "WMF"};
  bool known = false;
  for (const char* t : kTypes) known = known || type == QLatin1String(t);
  if (!known)
    throw EAssertionFailed(QStringLiteral("Unsupported picture type \"%1\" of file \"%2\"").arg(type, FileName).toStdString());

  auto bmp = std::make_unique<TBitmap>();
  if (type == QLatin1String("BMP")) {
    bmp->SetPixelFormat(TPixelFormat::pf32bit);
    bmp->LoadFromFile(FileName);
  } else if (type == QLatin1String("ICO")) {
    try {
      QByteArray data;
      const QImage icon = ReadPictureFile(FileName, data) ? DecodePicture(data, nullptr, "ico") : QImage();
      if (!icon.isNull()) {
        bmp->SetSize(icon.width(), icon.height());
        bmp->SetPixelFormat(TPixelFormat::pf32bit);
        TCanvas* c = bmp->Canvas();
        if (QPainter* p = c->Painter()) p->drawImage(0, 0, icon);
        c->Release();
      }
    } catch (...) {
      // A broken icon leaves the bitmap as far as it got.
    }
  }
  return bmp;
}

}  // namespace cad
