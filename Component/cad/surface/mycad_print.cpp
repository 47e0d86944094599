// Printing and the print preview: one page with its colour, background picture, border, head
// and foot, and the shapes (all of them, or those of chosen layers), on the printer or in a
// bitmap of the page's size.
#include "mycad.h"
#include "renderscope.h"

#include "../gfx/platform.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QTemporaryFile>
#include <cmath>
#include <cstdio>

namespace cad {

void TMyCAD::TPrinterDeleter::operator()(QPrinter* P) const { delete P; }

namespace {

bool ValidScale(double Scale) { return std::isfinite(Scale) && Scale > 0; }

// Whether a PDF file was written to its end: a document cut short (a full disk) lacks the
// end-of-file mark in its last bytes.
bool CompletePdf(const QString& FileName) {
  QFile f(FileName);
  if (!f.open(QIODevice::ReadOnly) || f.size() < 8) return false;
  f.seek(std::max<qint64>(0, f.size() - 64));
  return f.readAll().contains("%%EOF");
}

}  // namespace

void TMyCAD::DrawPageShapes(TCanvas* ACanvas, const std::vector<int32_t>& Layers) {
  // The connectors' crossing index is built for this page, from the shapes that draw on it.
  ++FPaintSerial;
  FDrawList.clear();
  const TRect page = ACanvas->ClipRect();
  FDrawRegion = TRect{0, 0, page.Right, page.Bottom};
  for (TMyShape* s : FMyShapes) {
    if (!s->Visible()) continue;
    if (Layers.empty()) {
      s->Draw(ACanvas);
      continue;
    }
    // An id given twice draws the shape twice.
    for (int32_t id : Layers)
      if (id == s->LayerId) s->Draw(ACanvas);
  }
}

void TMyCAD::DrawPageBorder(TCanvas* ACanvas, int W, int H) {
  if (!FPrintABorder || !ACanvas) return;
  ACanvas->Pen()->SetColor(clBlack);
  ACanvas->Pen()->SetStyle(TPenStyle::psSolid);
  ACanvas->Pen()->SetWidth(1);
  ACanvas->Pen()->SetMode(TPenMode::pmCopy);
  ACanvas->Brush()->SetStyle(TBrushStyle::bsClear);
  ACanvas->Rectangle(Round(FPrintABordertoLeft * FZoom), Round(FPrintABordertoTop * FZoom),
                     W - Round(FPrintABordertoRight * FZoom), H - Round(FPrintABordertoBottom * FZoom));
}

void TMyCAD::DrawPageHeadFoot(TCanvas* ACanvas, int W, int H) {
  if (!ACanvas) return;
  // The texts are sized with the page: at scale 1 they have their screen size on the screen and
  // their screen size in inches on paper, so the preview shows what the printer prints.
  auto draw = [&](const QString& Text, const TFont& Font, TAlignment Alignment, bool Head) {
    if (Text.isEmpty()) return;
    TFont f;
    f.Assign(Font);
    f.SetSize(std::max(1, Round(std::abs(Font.Size()) * FZoom)));
    const TPoint extent = GetTextWidthHeight(ACanvas, Text, &f);
    int x = 0;
    switch (Alignment) {
      case TAlignment::taLeftJustify:
        x = Round(FPrintABordertoLeft * FZoom);
        break;
      case TAlignment::taRightJustify:
        x = Round(W - extent.X - FPrintABordertoRight * FZoom);
        break;
      case TAlignment::taCenter:
        x = Round((W - extent.X) / 2.0);
        break;
    }
    const int y = Head ? Round(FPageHeadToTop * FZoom) : Round(H - (extent.Y + FPageFootToBottom * FZoom));
    ACanvas->Brush()->SetStyle(TBrushStyle::bsClear);
    ACanvas->TextOut(x, y, Text);
  };
  draw(FPageHead, FPageHeadFont, FPageHeadAlignment, true);
  draw(FPageFoot, FPageFootFont, FPageFootAlignment, false);
}

void TMyCAD::DrawBorder(TBitmap* Bitmap) {
  if (Bitmap) DrawPageBorder(Bitmap->Canvas(), Bitmap->Width(), Bitmap->Height());
}

void TMyCAD::DrawHeadFoot(TBitmap* Bitmap) {
  if (Bitmap) DrawPageHeadFoot(Bitmap->Canvas(), Bitmap->Width(), Bitmap->Height());
}

void TMyCAD::PrintBkBitmap() {
  if (!FPrintCanvas) return;
  const int w = FBkBitmap.Width(), h = FBkBitmap.Height();
  if (FBkBitmapMode != TBkBitmapMode::Tiled || FBkBitmap.Empty()) {
    DrawBkBitmapArea(FPrintCanvas, 0, 0, FPrintPage.width(), FPrintPage.height());
    return;
  }
  // The same tiles as on a bitmap (columns 0 .. A div w, rows 0 .. B div h), as one tiled fill:
  // the printer repeats the picture itself, so a small picture on a large page at a printer's
  // resolution is one picture in the document, not millions of copies.
  const int cols = FPrintPage.width() / w + 1, rows = FPrintPage.height() / h + 1;
  if (QPainter* p = FPrintCanvas->Painter())
    p->drawTiledPixmap(QRect(0, 0, cols * w, rows * h), QPixmap::fromImage(FBkBitmap.Image()));
}

void TMyCAD::PrintBorder() {
  if (FPrintCanvas) DrawPageBorder(FPrintCanvas, FPrintPage.width(), FPrintPage.height());
}

void TMyCAD::PrintHeadFoot() {
  if (FPrintCanvas) DrawPageHeadFoot(FPrintCanvas, FPrintPage.width(), FPrintPage.height());
}

bool TMyCAD::PrintPreview(const std::vector<int32_t>& Layers, TBitmap* Bitmap, double Scale) {
  if (!Bitmap) return false;
  // The size is checked before anything is allocated: a page of metres at a large scale is
  // refused instead of asking for gigabytes.
  const long double k = ScreenPixelsPerInch() * static_cast<long double>(Scale) / 25.4L;
  if (!ValidScale(Scale) || FPageWidth * k * FPageHeight * k > static_cast<long double>(kMaxPicturePixels) * 1.01L) {
    Bitmap->Clear();
    return false;
  }
  TRenderScope scope(*this, Scale);
  const int w = PageMmToPixels(FPageWidth), h = PageMmToPixels(FPageHeight);
  if (static_cast<qint64>(w) * h > kMaxPicturePixels) {
    Bitmap->Clear();
    return false;
  }
  Bitmap->SetSize(w, h);
  if (Bitmap->Empty()) return true;
  DrawBackground(Bitmap);
  TCanvas* c = Bitmap->Canvas();
  DrawBkBitmapArea(c, 0, 0, w, h);
  DrawBorder(Bitmap);
  DrawHeadFoot(Bitmap);
  DrawPageShapes(c, Layers);
  c->Release();
  return true;
}

QPrinter* TMyCAD::Printer() {
  if (!FPrinter) FPrinter.reset(new QPrinter(QPrinter::HighResolution));
  return FPrinter.get();
}

void TMyCAD::Print(const std::vector<int32_t>& Layers, double Scale) {
  if (!ValidScale(Scale)) throw EPrinterError("The print scale must be a number above 0.");
  QPrinter* printer = Printer();
  printer->setPageOrientation(FPageOrientation == TPrinterOrientation::poLandscape ? QPageLayout::Landscape
                                                                                    : QPageLayout::Portrait);
  // The page is addressed from the paper's corner, as the preview is.
  printer->setFullPage(true);

  // A file is written beside its target and put in place only when it is complete.
  const QString target = printer->outputFileName();
  QString temp;
  if (!target.isEmpty()) {
    QTemporaryFile t(target + QStringLiteral(".XXXXXX"));
    t.setAutoRemove(false);
    if (!t.open())
      throw EPrinterError(QStringLiteral("Cannot create file \"%1\". %2").arg(target, t.errorString()).toStdString());
    temp = t.fileName();
    t.close();
    printer->setOutputFileName(temp);
  }
  struct TOutput {
    QPrinter* Printer;
    QString Target, Temp;
    bool Done = false;
    ~TOutput() {
      if (Temp.isEmpty()) return;
      Printer->setOutputFileName(Target);
      if (!Done) QFile::remove(Temp);
    }
  } output{printer, target, temp};

  const int rp = std::min(printer->logicalDpiX(), printer->logicalDpiY());
  {
    TRenderScope scope(*this, Scale * rp / ScreenPixelsPerInch());
    TCanvas canvas(printer);
    const QSize page(printer->width(), printer->height());
    if (!canvas.Painter())
      throw EPrinterError(target.isEmpty() ? std::string("The printer cannot begin a document.")
                                           : QStringLiteral("Cannot write file \"%1\".").arg(target).toStdString());
    FPrintCanvas = &canvas;
    FPrintPage = page;
    struct TForget {
      TMyCAD* Cad;
      ~TForget() { Cad->FPrintCanvas = nullptr; }
    } forget{this};
    if (FPrintBackground) {
      canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
      canvas.Brush()->SetColor(FColorOfBackGround);
      canvas.FillRect(TRect{0, 0, page.width(), page.height()});
    }
    PrintBkBitmap();
    PrintBorder();
    PrintHeadFoot();
    DrawPageShapes(&canvas, Layers);
    const bool ended = canvas.Painter()->end();
    canvas.Release();
    if (!ended) throw EPrinterError("The printer could not finish the document.");
  }
  if (temp.isEmpty()) return;
  if (!CompletePdf(temp) && printer->outputFormat() == QPrinter::PdfFormat)
    throw EPrinterError(
        QStringLiteral("Cannot write file \"%1\" completely (is the disk full?)").arg(target).toStdString());
  // A new file gets the usual permissions, a replaced one keeps its own.
  const QFileDevice::Permissions usual = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                         QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
  QFile::setPermissions(temp, QFileInfo::exists(target) ? QFile::permissions(target) : usual);
  if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
    throw EPrinterError(QStringLiteral("Cannot replace file \"%1\".").arg(target).toStdString());
  output.Done = true;
}

}  // namespace cad

namespace cad {

void TMyCAD::PrintToPdf(const QString& FileName, const std::vector<int32_t>& Layers, double Scale) {
  QPrinter* printer = Printer();
  const QPrinter::OutputFormat oldFormat = printer->outputFormat();
  const QString oldFile = printer->outputFileName();
  const QPageLayout oldLayout = printer->pageLayout();
  struct TRestore {
    QPrinter* P;
    QPrinter::OutputFormat Format;
    QString File;
    QPageLayout Layout;
    ~TRestore() {
      P->setOutputFormat(Format);
      P->setOutputFileName(File);
      P->setPageLayout(Layout);
    }
  } restore{printer, oldFormat, oldFile, oldLayout};
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(FileName);
  // The paper is the page: its size in portrait, turned by the orientation.
  const bool landscape = FPageOrientation == TPrinterOrientation::poLandscape;
  const QSizeF portrait = landscape ? QSizeF(FPageHeight, FPageWidth) : QSizeF(FPageWidth, FPageHeight);
  if (portrait.width() > 0 && portrait.height() > 0)
    printer->setPageSize(QPageSize(portrait, QPageSize::Millimeter));
  Print(Layers, Scale);
}

}  // namespace cad
