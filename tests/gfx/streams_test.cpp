#include "support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
