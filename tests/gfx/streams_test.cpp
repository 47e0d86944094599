#include "support.h"
#include "faults.h"

#include "../core/bytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryDir>
#include <csignal>
#include <limits>
#include <sys/resource.h>

using testing_support::Bytes;

using namespace cad;

TEST(Streams, LittleEndianNumbersByteByByte) {
  TMemoryStream m;
  m.WriteLE<int32_t>(-2);
  m.WriteLE<uint16_t>(0x1234);
  m.WriteLE(TUnits::inch);
  m.WriteSingle(1.5f);
  m.WriteDouble(-0.25);
  const QByteArray expected = QByteArray::fromHex("feffffff" "3412" "05" "0000c03f" "000000000000d0bf");
  EXPECT_EQ(m.Data(), expected);
  m.SetPosition(0);
  EXPECT_EQ(m.ReadLE<int32_t>(), -2);
  EXPECT_EQ(m.ReadLE<uint16_t>(), 0x1234);
  EXPECT_EQ(m.ReadLE<TUnits>(), TUnits::inch);
  EXPECT_EQ(m.ReadSingle(), 1.5f);
  EXPECT_EQ(m.ReadDouble(), -0.25);
  EXPECT_EQ(m.Remaining(), 0);
  // A short read throws and says so; a plain Read reports how much it got.
  EXPECT_THROW(m.ReadLE<int32_t>(), EReadError);
  m.SetPosition(m.Size() - 2);
  char buf[8];
  EXPECT_EQ(m.Read(buf, 8), 2);
  m.Seek(-100, TSeekOrigin::soCurrent);
  EXPECT_EQ(m.Position(), 0);
  m.SetSize(3);
  EXPECT_EQ(m.Size(), 3);
  m.Seek(0, TSeekOrigin::soEnd);
  EXPECT_EQ(m.Position(), 3);
}

TEST(Streams, FilesAreReplacedOnlyOnCommit) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("drawing.bin"));
  {
    TFileStream f(path, fmCreate);
    f.WriteLE<uint32_t>(0xAABBCCDD);
    ASSERT_TRUE(f.Commit());
  }
  {
    // A save that ends without a commit (an error half-way) leaves the good file in place.
    TFileStream f(path, fmCreate);
    f.WriteLE<uint32_t>(1);
  }
  {
    TFileStream f(path, fmOpenRead);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.ReadLE<uint32_t>(), 0xAABBCCDDu);
  }
  TMemoryStream m;
  m.LoadFromFile(path);
  EXPECT_EQ(m.Size(), 4);
  EXPECT_EQ(m.Position(), 0);
  m.Seek(0, TSeekOrigin::soEnd);
  m.WriteLE<uint8_t>(9);
  m.SaveToFile(path);
  EXPECT_EQ(QFileInfo(path).size(), 5);
  // Only the target remains in the folder: no temporary files are left behind.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("drawing.bin")});
}

namespace {

using TDiskFullAfter = testing_support::TFileSizeLimit;

uint32_t Crc32(const char* Data, int Size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (int i = 0; i < Size; ++i) {
    crc ^= static_cast<uint8_t>(Data[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

QByteArray FileBytes(const QString& Path) {
  QFile f(Path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(Streams, AFullDiskKeepsTheOldFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("drawing.bin"));
  const QByteArray good(100, 'A');
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(good);
  }
  const QByteArray big(12000, 'B');
  TDiskFullAfter full(8192);
  // The file stream: its last buffered bytes fail only when flushed at the commit.
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer(big.constData(), big.size());
    EXPECT_FALSE(f.Commit());
  }
  EXPECT_EQ(FileBytes(path), good);
  // A memory stream saved to the file.
  TMemoryStream m(big);
  EXPECT_THROW(m.SaveToFile(path), EFCreateError);
  EXPECT_EQ(FileBytes(path), good);
  // A bitmap saved to the file.
  TBitmap pic(200, 200);
  EXPECT_FALSE(pic.SaveToFile(path));
  EXPECT_EQ(FileBytes(path), good);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("drawing.bin")});
}

TEST(Streams, PositionsAndSizesStayInRange) {
  TMemoryStream m;
  m.WriteLE<uint32_t>(7);
  // A seek whose target 64 bits cannot hold fails and leaves the position.
  m.SetPosition(2);
  EXPECT_THROW(m.Seek(std::numeric_limits<int64_t>::max(), TSeekOrigin::soCurrent), EStreamError);
  EXPECT_THROW(m.Seek(std::numeric_limits<int64_t>::max(), TSeekOrigin::soEnd), EStreamError);
  EXPECT_EQ(m.Position(), 2);
  EXPECT_EQ(m.Seek(-100, TSeekOrigin::soCurrent), 0);
  // Far past the end is a place to read nothing from, and writing there fails without trying
  // to allocate everything up to it.
  EXPECT_EQ(m.Seek(int64_t{1} << 40, TSeekOrigin::soBeginning), int64_t{1} << 40);
  char c = 0;
  EXPECT_EQ(m.Read(&c, 1), 0);
  EXPECT_EQ(m.Write(&c, 1), 0);
  EXPECT_THROW(m.WriteLE<uint8_t>(1), EWriteError);
  EXPECT_THROW(m.SetSize(int64_t{1} << 40), EWriteError);
  EXPECT_EQ(m.Size(), 4);
  m.SetPosition(TMemoryStream::MaxSize - 1);
  EXPECT_THROW(m.WriteLE<uint32_t>(1), EWriteError);

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("s.bin"));
  TFileStream f(path, fmCreate);
  f.WriteLE<uint32_t>(7);
  EXPECT_THROW(f.Seek(std::numeric_limits<int64_t>::max(), TSeekOrigin::soEnd), EStreamError);
  EXPECT_EQ(f.Position(), 4);
}

TEST(Streams, OpeningErrorsNameTheFile) {
  try {
    TFileStream f(QStringLiteral("/nonexistent/dir/x.vorn"), fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/dir/x.vorn"), std::string::npos);
  }
  EXPECT_THROW(TFileStream(QStringLiteral("/nonexistent/dir/x.vorn"), fmCreate), EFCreateError);
}

TEST(Bitmaps, EncodedRoundTripAndBadData) {
  TBitmap b(5, 3);
  b.SetPixel(4, 2, clRed);
  const QByteArray bmp = b.SaveToData();
  ASSERT_TRUE(bmp.startsWith("BM"));
  TBitmap c;
  ASSERT_TRUE(c.LoadFromData(bmp));
  EXPECT_EQ(c.Width(), 5);
  EXPECT_EQ(c.Pixel(4, 2), clRed);
  EXPECT_FALSE(c.LoadFromData(QByteArray("BM not really a picture")));
  EXPECT_EQ(c.Width(), 5);  // a failed load keeps the picture
  // A header that claims an enormous picture is refused before anything is allocated.
  QByteArray huge = bmp;
  huge[18] = huge[19] = huge[20] = 0x7f;
  huge[22] = huge[23] = huge[24] = 0x7f;
  EXPECT_FALSE(c.LoadFromData(huge));
  EXPECT_THROW(c.LoadFromFile(QStringLiteral("/nonexistent.bmp")), std::runtime_error);
  EXPECT_EQ(c.Width(), 5);

  // Resizing keeps the top-left part and whitens the rest; transparency uses the bottom-left pixel.
  b.SetSize(6, 4);
  EXPECT_EQ(b.Pixel(4, 2), clRed);
  EXPECT_EQ(b.Pixel(5, 3), clWhite);
  b.SetPixel(0, 3, clLime);
  EXPECT_EQ(b.TransparentColor(), clLime);
  b.SetTransparentColor(clBlue);
  EXPECT_EQ(b.TransparentColor(), clBlue);
  EXPECT_EQ(b.TransparentMode(), TTransparentMode::tmFixed);
}

TEST(Bitmaps, PicturesMustBeRasterAndHoldWhatTheyDeclare) {
  TBitmap keep(2, 2);
  QString why;
  // A 54-byte header claiming 5,700 x 5,700 pixels inside 240 bytes of data.
  const QByteArray liar = Bytes()
                              .chars("BM").i32(240).i32(0).i32(54)       // file header
                              .i32(40).i32(5700).i32(5700)               // info header: size, width, height
                              .raw({1, 0, 24, 0}).i32(0).i32(0)          // planes, 24 bits, plain rows, image size
                              .i32(0).i32(0).i32(0).i32(0)
                              .zeros(240 - 54)
                              .Data;
  ASSERT_EQ(liar.size(), 240);
  EXPECT_TRUE(DecodePicture(liar, &why).isNull());
  EXPECT_EQ(why, QStringLiteral("the picture declares more pixels than its data holds"));
  EXPECT_FALSE(keep.LoadFromData(liar));
  EXPECT_EQ(keep.Width(), 2);
  // The same claim with run-length rows (which may be short) is held to the bound per byte.
  QByteArray rle = liar;
  rle[28] = 8;
  rle[30] = 1;
  EXPECT_TRUE(DecodePicture(rle).isNull());
  // A true BMP loads; cut short, its rows are missing and it is refused.
  TBitmap b(40, 30);
  b.SetPixel(39, 29, clRed);
  const QByteArray bmp = b.SaveToData();
  EXPECT_EQ(DecodePicture(bmp).size(), QSize(40, 30));
  EXPECT_TRUE(DecodePicture(bmp.left(bmp.size() - 8)).isNull());
  // PNG loads; one that claims 100,000 x 100,000 pixels is refused outright.
  QByteArray png;
  {
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    ASSERT_TRUE(b.Image().save(&buf, "PNG"));
  }
  EXPECT_EQ(DecodePicture(png).pixel(39, 29), qRgb(255, 0, 0));
  QByteArray bigPng = png;  // IHDR width and height, big-endian, at bytes 16 and 20, with its CRC
  for (int at : {16, 20}) {
    bigPng[at] = 0;
    bigPng[at + 1] = 0x01;
    bigPng[at + 2] = static_cast<char>(0x86);
    bigPng[at + 3] = static_cast<char>(0xA0);
  }
  const uint32_t crc = Crc32(bigPng.constData() + 12, 17);
  for (int i = 0; i < 4; ++i) bigPng[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  EXPECT_TRUE(DecodePicture(bigPng, &why).isNull());
  EXPECT_TRUE(why.startsWith(QStringLiteral("the picture is too large")));

  // An SVG that pulls in a file of this machine is not decoded at all.
  QTemporaryDir dir;
  const QString secret = dir.filePath(QStringLiteral("secret.png"));
  ASSERT_TRUE(b.SaveToFile(secret, "PNG"));
  const QByteArray svg = QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
                                        "width='40' height='30'><image xlink:href='file://%1' width='40' height='30'/></svg>")
                             .arg(secret)
                             .toUtf8();
  EXPECT_TRUE(DecodePicture(svg, &why).isNull());
  EXPECT_EQ(why, QStringLiteral("pictures in svg format are not read"));
  EXPECT_FALSE(keep.LoadFromData(svg));
  const QString svgFile = dir.filePath(QStringLiteral("pattern.svg"));
  {
    QFile f(svgFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(svg);
  }
  EXPECT_THROW(keep.LoadFromFile(svgFile), std::runtime_error);
  EXPECT_EQ(keep.Width(), 2);
}

TEST(Canvas, BoxesCoverTheirPixelsLikeTheClassicCanvas) {
  TBitmap b(20, 20);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, 20, 20));
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetColor(clRed);
  c->Rectangle(2, 2, 10, 8);  // outline on 2..9 and 2..7, red inside
  EXPECT_EQ(b.Pixel(2, 2), clBlack);
  EXPECT_EQ(b.Pixel(9, 7), clBlack);
  EXPECT_EQ(b.Pixel(10, 8), clWhite);
  EXPECT_EQ(b.Pixel(5, 5), clRed);
  c->FillRect(Rect(12, 12, 15, 14));
  EXPECT_EQ(b.Pixel(14, 13), clRed);
  EXPECT_EQ(b.Pixel(15, 13), clWhite);
  c->SetPixel(19, 19, clBlue);
  EXPECT_EQ(c->Pixel(19, 19), clBlue);
  EXPECT_EQ(c->Pixel(20, 20), clNone);
  // A canvas with an origin shows owner coordinates shifted onto its device.
  TCanvas shifted(const_cast<QImage*>(&b.Image()), QPoint(100, 100));
  shifted.Pen()->SetColor(clLime);
  shifted.MoveTo(100, 100);
  shifted.LineTo(102, 100);
  shifted.Release();
  EXPECT_EQ(b.Pixel(0, 0), clLime);
  EXPECT_EQ(b.Pixel(2, 0), clLime);
  EXPECT_EQ(shifted.ClipRect(), Rect(100, 100, 120, 120));
}

TEST(Platform, SystemColoursAndCursors) {
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  const TColor window = ColorToRGB(clWindow);
  EXPECT_EQ(window & static_cast<TColor>(0xFF000000), 0);
  EXPECT_EQ(ToQtCursor(crCross), Qt::CrossCursor);
  EXPECT_EQ(ToQtCursor(crDefault), Qt::ArrowCursor);
  EXPECT_EQ(ScreenPixelsPerInch(), 96);
  EXPECT_EQ(MessageDlg(QStringLiteral("Sure?"), TMsgDlgType::mtConfirmation, mbYes | mbNo), mrYes);
}
