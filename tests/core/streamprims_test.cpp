#include "../support.h"
#include "bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <limits>

using namespace cad;
using testing_support::Bytes;

namespace {

QString WriteFile(const QTemporaryDir& Dir, const QString& Name, const QByteArray& Content) {
  const QString path = Dir.filePath(Name);
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(Content);
  return path;
}

QByteArray Written(const std::function<void(TStream&)>& Write) {
  TMemoryStream m;
  Write(m);
  return m.Data();
}

}  // namespace

TEST(StreamPrims, FixedWidthTextFields) {
  EXPECT_EQ(AppendSpace(QStringLiteral("abc"), 10), QStringLiteral("abc        "));  // 11 characters
  EXPECT_EQ(AppendSpace(QStringLiteral("abcde"), 5), QStringLiteral("abcde "));
  EXPECT_EQ(AppendSpace(QStringLiteral("abcdefg"), 5), QStringLiteral("abcdefg"));

  TMemoryStream m;
  EXPECT_TRUE(WriteStrBuffer(m, AppendSpace(QStringLiteral("abc"), 10), 10));
  EXPECT_EQ(m.Data(), QByteArray("abc       "));

  // A text one byte short gets a 0x00 in the last byte (the reserved header field).
  EXPECT_EQ(Written([](TStream& s) { WriteStrBuffer(s, QStringLiteral("ZK.a"), 5); }), QByteArray("ZK.a\0", 5));
  // Text that fits one byte per character is written that way, as older files hold it.
  EXPECT_EQ(Written([](TStream& s) { WriteStrBuffer(s, QStringLiteral("ab\u00e9cd"), 3); }), QByteArray("ab\xe9"));
  // A character of several bytes that does not fit whole is blanked, never split.
  EXPECT_EQ(Written([](TStream& s) { WriteStrBuffer(s, QStringLiteral("ab\u4e2dcd"), 3); }), QByteArray("ab "));

  m.SetPosition(0);
  EXPECT_EQ(ReadStrBuffer(m, 4), QStringLiteral("abc "));
  EXPECT_EQ(ReadStrBuffer(m, 6), QStringLiteral("      "));
  // Past the end the field is completed with zero bytes; no failure is reported.
  EXPECT_EQ(ReadStrBuffer(m, 2), QString(2, QChar(0)));
  // Non-UTF-8 bytes read as Latin-1.
  TMemoryStream legacy(QByteArray("caf\xe9", 4));
  EXPECT_EQ(ReadStrBuffer(legacy, 4), QStringLiteral("caf\u00e9"));
}

TEST(StreamPrims, LengthPrefixedTexts) {
  // Up to 255 bytes: the exact traditional layout.
  EXPECT_EQ(Written([](TStream& s) { WriteStreamText(s, QStringLiteral("abc")); }), Bytes().str("abc").Data);
  EXPECT_EQ(Written([](TStream& s) { WriteStreamText(s, QString()); }), Bytes().i32(0).Data);
  const QString b255(255, QLatin1Char('x'));
  EXPECT_EQ(Written([&](TStream& s) { WriteStreamText(s, b255); }), Bytes().i32(255).chars(qPrintable(b255)).Data);
  // Longer texts carry the negated byte count and every byte.
  const QString b300(300, QLatin1Char('y'));
  const QByteArray long300 = Written([&](TStream& s) { WriteStreamText(s, b300); });
  EXPECT_EQ(long300, Bytes().i32(-300).chars(qPrintable(b300)).Data);

  // Everything written reads back whole, whatever its length or script, and the stream ends
  // where the next field begins.
  const QString texts[] = {QString(), QStringLiteral("abc"), b255, b300, QString(1000, QChar(0x4E2D)),
                           QStringLiteral("\uFEFFbom kept")};
  TMemoryStream m;
  for (const QString& t : texts) WriteStreamText(m, t);
  m.WriteLE<int32_t>(0x7A7A7A7A);
  m.SetPosition(0);
  for (const QString& t : texts) EXPECT_EQ(ReadStreamText(m), t);
  EXPECT_EQ(m.ReadLE<int32_t>(), 0x7A7A7A7A);

  // A count of 256 or more from an old writer carried only count mod 256 bytes.
  TMemoryStream old(Bytes().i32(300).chars("0123456789012345678901234567890123456789abcd").i32(7).Data);
  EXPECT_EQ(ReadStreamText(old).size(), 44);
  EXPECT_EQ(old.ReadLE<int32_t>(), 7);
  // Legacy single-byte text.
  TMemoryStream latin(Bytes().i32(2).raw({0xE4, 0xF6}).Data);
  EXPECT_EQ(ReadStreamText(latin), QStringLiteral("\u00e4\u00f6"));

  // Impossible counts fail without allocating for them.
  for (const QByteArray& bad : {Bytes().i32(5).chars("ab").Data, Bytes().i32(-1000000).chars("ab").Data,
                                Bytes().i32(std::numeric_limits<int32_t>::min()).Data, Bytes().raw({1, 0}).Data}) {
    TMemoryStream s(bad);
    EXPECT_THROW(ReadStreamText(s), EReadError);
  }
}

TEST(StreamPrims, BitmapBlobs) {
  // An absent bitmap is 8 zero bytes; reading it leaves the reference empty.
  TMemoryStream none;
  EXPECT_TRUE(WriteBitmapBuffer(none, nullptr));
  TBitmap empty;
  EXPECT_TRUE(WriteBitmapBuffer(none, &empty));
  EXPECT_EQ(none.Data(), QByteArray(16, '\0'));
  none.SetPosition(0);
  std::unique_ptr<TBitmap> ref;
  EXPECT_TRUE(ReadBitmapBuffer(none, ref));
  EXPECT_EQ(ref, nullptr);

  TBitmap pic(3, 2);
  pic.SetPixel(0, 0, clRed);
  pic.SetPixel(2, 1, clBlue);
  TMemoryStream m;
  EXPECT_TRUE(WriteBitmapBuffer(m, &pic));
  m.WriteLE<uint8_t>(0x5A);
  m.SetPosition(0);
  const int64_t count = m.ReadLE<int64_t>();
  EXPECT_EQ(count, m.Size() - 9);
  EXPECT_EQ(m.ReadLE<uint8_t>(), 'B');
  EXPECT_EQ(m.ReadLE<uint8_t>(), 'M');
  // Reading replaces what the reference held (the old bitmap is freed, not leaked).
  m.SetPosition(0);
  ref = std::make_unique<TBitmap>(1, 1);
  EXPECT_TRUE(ReadBitmapBuffer(m, ref));
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref->Width(), 3);
  EXPECT_EQ(ref->Pixel(0, 0), clRed);
  EXPECT_EQ(ref->Pixel(2, 1), clBlue);
  EXPECT_EQ(m.ReadLE<uint8_t>(), 0x5A);

  // Undecodable bytes: false, the new (empty) bitmap stays with the caller, the blob is passed.
  TMemoryStream junk(Bytes().i64(3).raw({1, 2, 3}).u8(9).Data);
  EXPECT_FALSE(ReadBitmapBuffer(junk, ref));
  ASSERT_NE(ref, nullptr);
  EXPECT_TRUE(ref->Empty());
  EXPECT_EQ(junk.ReadLE<uint8_t>(), 9);

  // Claims the stream cannot back fail before allocating: 2^62, more than remains, negative.
  for (int64_t claim : {int64_t{1} << 62, int64_t{4}, int64_t{-1}, std::numeric_limits<int64_t>::min()}) {
    TMemoryStream s(Bytes().i64(claim).raw({1, 2, 3}).Data);
    std::unique_ptr<TBitmap> b;
    EXPECT_FALSE(ReadBitmapBuffer(s, b)) << claim;
    s.SetPosition(0);
    EXPECT_THROW(ReadBitmapBlob(s), EReadError) << claim;
  }
  TMemoryStream shortCount(Bytes().raw({1, 2, 3}).Data);
  EXPECT_FALSE(ReadBitmapBuffer(shortCount, ref));
}

TEST(StreamPrims, ExtendedRealsDecodePortably) {
  auto dec = [](std::initializer_list<uint8_t> b) {
    uint8_t a[10];
    std::copy(b.begin(), b.end(), a);
    return DecodeExtended(a);
  };
  EXPECT_EQ(dec({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}), 1.5L);
  EXPECT_EQ(dec({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40}), 10.0L);
  EXPECT_EQ(dec({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}), -2.5L);
  EXPECT_EQ(dec({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0.0L);
  EXPECT_EQ(dec({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}), std::numeric_limits<long double>::infinity());
  EXPECT_TRUE(std::isnan(dec({1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F})));
  // Beyond single precision: infinity, not undefined behaviour.
  EXPECT_EQ(ToSingle(dec({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x50})), std::numeric_limits<float>::infinity());
  EXPECT_EQ(ToSingle(-1e300L), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(ToSingle(1.5L), 1.5f);
}

TEST(StreamPrims, LibrarySignatures) {
  QTemporaryDir dir;
  const QString nine = WriteFile(dir, "nine.lib", "VORNLIBX.");
  const QString x4 = WriteFile(dir, "x4.lib", "VORNLIBX.4 and more");
  const QString old = WriteFile(dir, "old.lib", "VORNLIB2.1");
  using Check = bool (*)(const QString&);
  const Check all[] = {IsVORNLibFile, IsVORNLibFileX9, IsVORNLibFileX8, IsVORNLibFileX67, IsVORNLibX2File,
                       IsOLDVORNLibFile};
  for (Check c : all) {
    EXPECT_FALSE(c(nine));
    EXPECT_FALSE(c(x4));
  }
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(all[i](old));
  EXPECT_TRUE(IsOLDVORNLibFile(old));

  const struct {
    const char* Tag;
    bool Any, X9, X8, X67, X2;
  } cases[] = {{"VORNLIBX.a", true, false, false, false, false}, {"VORNLIBX.9", true, true, false, false, false},
               {"VORNLIBX.8", true, false, true, false, false},  {"VORNLIBX.7", true, false, false, true, false},
               {"VORNLIBX.6", true, false, false, true, false},  {"VORNLIBX.3", true, false, false, false, false},
               {"VORNLIBX.2", true, false, false, false, true},  {"vornlibx.a", false, false, false, false, false},
               {"VORNLIBX.1", false, false, false, false, false}};
  for (const auto& c : cases) {
    const QString f = WriteFile(dir, QStringLiteral("t.lib"), QByteArray(c.Tag) + "rest");
    EXPECT_EQ(IsVORNLibFile(f), c.Any) << c.Tag;
    EXPECT_EQ(IsVORNLibFileX9(f), c.X9) << c.Tag;
    EXPECT_EQ(IsVORNLibFileX8(f), c.X8) << c.Tag;
    EXPECT_EQ(IsVORNLibFileX67(f), c.X67) << c.Tag;
    EXPECT_EQ(IsVORNLibX2File(f), c.X2) << c.Tag;
    EXPECT_FALSE(IsOLDVORNLibFile(f)) << c.Tag;
  }
  EXPECT_THROW(IsVORNLibFile(dir.filePath("missing.lib")), EFOpenError);
}

TEST(StreamPrims, LoadGraphicsFile) {
  QTemporaryDir dir;
  // A missing file gives the red cross.
  std::unique_ptr<TBitmap> cross = LoadGraphicsFile(dir.filePath("none.bmp"));
  ASSERT_NE(cross, nullptr);
  EXPECT_EQ(cross->Width(), 32);
  EXPECT_EQ(cross->Height(), 32);
  EXPECT_EQ(cross->PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(cross->Pixel(15, 15), clRed);
  EXPECT_EQ(cross->Pixel(5, 5), clRed);
  EXPECT_EQ(cross->Pixel(5, 26), clRed);
  EXPECT_EQ(cross->Pixel(15, 2), clWhite);
  EXPECT_EQ(cross->Pixel(0, 31), clWhite);

  TBitmap pic(4, 3);
  pic.SetPixel(1, 1, clLime);
  const QString bmp = dir.filePath("pic.bmp");
  ASSERT_TRUE(pic.SaveToFile(bmp));
  std::unique_ptr<TBitmap> loaded = LoadGraphicsFile(bmp);
  EXPECT_EQ(loaded->Width(), 4);
  EXPECT_EQ(loaded->Pixel(1, 1), clLime);
  EXPECT_EQ(loaded->PixelFormat(), TPixelFormat::pf32bit);

  // Icons are drawn onto a bitmap of their size; a broken icon is absorbed.
  const QString ico = dir.filePath("pic.ico");
  if (pic.SaveToFile(ico, "ICO")) {
    std::unique_ptr<TBitmap> icon = LoadGraphicsFile(ico);
    EXPECT_EQ(icon->Width(), 4);
    EXPECT_EQ(icon->Pixel(1, 1), clLime);
  }
  EXPECT_NO_THROW(LoadGraphicsFile(WriteFile(dir, "broken.ico", "not an icon")));

  // Metafiles and JPEG give an empty bitmap; an unknown type raises; a broken BMP raises.
  EXPECT_TRUE(LoadGraphicsFile(WriteFile(dir, "photo.jpeg", "x"))->Empty());
  EXPECT_TRUE(LoadGraphicsFile(WriteFile(dir, "drawing.WMF", "x"))->Empty());
  EXPECT_THROW(LoadGraphicsFile(WriteFile(dir, "pic.png", "x")), EAssertionFailed);
  EXPECT_ANY_THROW(LoadGraphicsFile(WriteFile(dir, "bad.bmp", "not a bitmap")));
}
