// The settings dialog, the print preview and the about box on the real main window, and the
// File menu's page, print, export and import commands.
#include "mainwindow_fixture.h"

#include "aboutform.h"
#include "pageactions.h"
#include "previewform.h"
#include "setupform.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using testing_support::AddBox;

namespace {

// The main window with its modal dialogs opened without their loop (their names are kept).
class PageForms : public MainWindow {
protected:
  void SetUp() override {
    MainWindow::SetUp();
    oldRunner = kestrafel::ModalRunner();
    kestrafel::ModalRunner() = [this](QDialog* D) {
      Opened << D->objectName();
      return static_cast<int>(QDialog::Accepted);
    };
  }
  void TearDown() override {
    kestrafel::ModalRunner() = oldRunner;
    SetScreenPixelsPerInch(96);
    MainWindow::TearDown();
  }
  std::function<int(QDialog*)> oldRunner;
  QStringList Opened;
};

}  // namespace

TEST_F(PageForms, SetupAppliesAtOnce) {
  TMyCAD* c = form->MyCAD1;
  kestrafel::TSetupForm* s = kestrafel::SetupForm(form.get());
  for (const char* name : {"Shape1", "sbtnChangeColor", "cmbStyle", "seWidth", "seHeight", "Image1", "cmbPosition", "btnLoad",
                           "btnClear", "OpenDialog1", "cbSnapEnable", "sePixels", "cbShowGrid", "seGridWidth", "seGridHeight",
                           "cmbUnit", "seRatio", "btnSet", "bbtnClose", "ColorDialog1"})
    EXPECT_NE(s->findChild<QObject*>(QLatin1String(name)), nullptr) << name;
  c->GridOperation()->SetGridWidth(10);
  c->GridOperation()->SetGridHeight(10);
  c->SetFSnapPixels(4);
  s->FormShow();
  s->sePixels->setValue(12);
  EXPECT_EQ(Recorded().Messages, QStringList{QStringLiteral("Pixels is too many!")});
  EXPECT_EQ(s->sePixels->value(), 3);
  EXPECT_EQ(c->SnapPixels(), 4);
  s->sePixels->setValue(8);
  EXPECT_EQ(c->SnapPixels(), 8);

  // A3 in landscape: the spin edits show the surface's new pixel size.
  c->SetPageOrientation(TPrinterOrientation::poLandscape);
  s->cmbStyle->setCurrentIndex(3);
  s->cmbStyleChange(3);
  EXPECT_EQ(c->PageWidth(), 420u);
  EXPECT_EQ(s->seWidth->value(), c->Width());
  EXPECT_EQ(s->seHeight->value(), c->Height());
  EXPECT_EQ(c->Width(), Round(96 * 420 * c->Zoom() / 25.4));
  s->seWidth->setValue(500);
  EXPECT_EQ(c->Width(), 500);
  EXPECT_EQ(s->cmbStyle->currentIndex(), static_cast<int>(TPageStyle::CustomerPage));

  s->cmbUnit->setCurrentIndex(2);
  s->cmbUnitChange(2);
  EXPECT_EQ(c->TheUNIT(), TUnits::pixel);
  // Shown again, the dialog names the drawing's unit.
  c->SetUnit(TUnits::mm);
  s->FormShow();
  EXPECT_EQ(s->cmbUnit->currentText(), "mm");
  s->seRatio->setValue(250);
  s->btnSetClick();
  EXPECT_EQ(c->Ratio(), 2.5);
  s->OnChooseColor = [](QColorDialog*) { return QColor(1, 2, 3); };
  s->sbtnChangeColorClick();
  EXPECT_EQ(c->ColorOfBackGround(), 0x030201);

  form->Action(QStringLiteral("PageSetup"))->trigger();
  form->Action(QStringLiteral("About"))->trigger();
  EXPECT_EQ(Opened, (QStringList{QStringLiteral("SetupForm"), QStringLiteral("AboutForm")}));
  EXPECT_EQ(kestrafel::AboutForm(form.get())->lblTitle->text(), QStringLiteral("Kestrafel 1.0"));
}

TEST_F(PageForms, PreviewZoomsAndPrints) {
  SetScreenPixelsPerInch(75);
  TMyCAD* c = form->MyCAD1;
  c->SetZoom(1);
  c->SetPageStyle(TPageStyle::A4);
  ASSERT_EQ(QSize(c->Width(), c->Height()), QSize(620, 877));
  kestrafel::TPreviewForm* p = kestrafel::PreviewForm(form.get());
  for (const char* name : {"cmbZoom", "bbtnPrintCurrentLayer", "bbtnPrint", "ScrollBox1", "Image1"})
    EXPECT_NE(p->findChild<QObject*>(QLatin1String(name)), nullptr) << name;
  p->ScrollBox1->setFixedSize(680, 400);
  p->cmbZoom->setCurrentText(QStringLiteral("Whole Page"));
  p->cmbZoomChange();
  EXPECT_NEAR(p->Zoom(), 400.0 / 877, 1e-12);
  // Rendered at 0.9 of that: about 0.41 of the page's screen size.
  EXPECT_EQ(p->Bitmap().Height(), Round(75 * 297 * 0.9 * 400.0 / 877 / 25.4));
  p->cmbZoom->setCurrentText(QStringLiteral("Page Width"));
  p->cmbZoomChange();
  EXPECT_NEAR(p->Zoom(), 680.0 / 620, 1e-12);
  p->cmbZoom->setCurrentText(QStringLiteral("50%"));
  p->cmbZoomChange();
  EXPECT_EQ(p->Bitmap().Width(), Round(75 * 210 * 0.45 / 25.4));

  // Print Current Layer prints the current layer's shapes only; Print all of them.
  auto* on0 = AddBox(*c, 10, 10, 50, 50);
  c->SetCurrentLayerId(c->NewLayer(QStringLiteral("Top"), true));
  auto* on1 = AddBox(*c, 60, 60, 90, 90);
  c->Printer()->setOutputFormat(QPrinter::PdfFormat);
  c->Printer()->setOutputFileName(dir.filePath(QStringLiteral("p.pdf")));
  on0->DrawCount = on1->DrawCount = 0;
  QTest::mouseClick(p->bbtnPrintCurrentLayer, Qt::LeftButton);
  EXPECT_EQ(on0->DrawCount, 0);
  EXPECT_EQ(on1->DrawCount, 1);
  QTest::mouseClick(p->bbtnPrint, Qt::LeftButton);
  EXPECT_EQ(on0->DrawCount, 1);
  EXPECT_EQ(on1->DrawCount, 2);
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("p.pdf"))));

  // Print from the window shows the preview at 1.
  form->Action(QStringLiteral("Print"))->trigger();
  EXPECT_EQ(Opened, QStringList{QStringLiteral("PreviewForm")});
  EXPECT_EQ(p->Zoom(), 1.0);
  EXPECT_EQ(p->Bitmap().Width(), 620);

  // A printer that cannot write says so.
  c->Printer()->setOutputFileName(dir.filePath(QStringLiteral("no/p.pdf")));
  QTest::mouseClick(p->bbtnPrint, Qt::LeftButton);
  ASSERT_FALSE(Recorded().Messages.isEmpty());
  EXPECT_TRUE(Recorded().Messages.back().startsWith(QStringLiteral("The page could not be printed"))) << Recorded().Messages.back().toStdString();
}

TEST_F(PageForms, ExportImportAndClipboard) {
  TMyCAD* c = form->MyCAD1;
  EXPECT_FALSE(form->Action(QStringLiteral("WMF"))->isEnabled());
  c->AddShapeByCode(c, TDrawTool::SpRectangle, QString(), {{20, 20}, {120, 20}, {120, 80}, {20, 80}});
  const struct {
    const char* Action;
    const char* File;
    QByteArray Magic;
  } cases[] = {{"Bitmap", "a.bmp", "BM"}, {"JPEG", "a.jpg", "\xFF\xD8"}, {"DXF", "a.dxf", "0\nSECTION"},
               {"SVG", "a.svg", "<?xml"}, {"PDF", "a.pdf", "%PDF"}};
  for (const auto& k : cases) {
    Recorded().Clear();
    const QString name = dir.filePath(QLatin1String(k.File));
    Answers << name;
    form->Action(QLatin1String(k.Action))->trigger();
    EXPECT_EQ(Recorded().Messages, QStringList{QStringLiteral("MyCAD1 has been saved to ") + name}) << k.Action;
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << k.File;
    EXPECT_EQ(f.read(k.Magic.size()), k.Magic) << k.File;
  }
  // A failed export says why and writes nothing.
  Recorded().Clear();
  Answers << dir.filePath(QStringLiteral("none/x.dxf"));
  form->Action(QStringLiteral("DXF"))->trigger();
  ASSERT_EQ(Recorded().Messages.size(), 1);
  EXPECT_TRUE(Recorded().Messages[0].contains(QStringLiteral("could not be exported"))) << Recorded().Messages[0].toStdString();

  Recorded().Clear();
  Answers << dir.filePath(QStringLiteral("a.dxf"));
  form->Action(QStringLiteral("ImportAutoCADFile"))->trigger();
  EXPECT_EQ(c->GetShapesCount(), 2);
  EXPECT_EQ(Recorded().Messages.size(), 1);

  c->SelectShapeByCode(c->GetShapeByNo(0)->ShapeId, true);
  form->UpdateToolbar();
  form->Action(QStringLiteral("ACopy"))->trigger();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  ASSERT_TRUE(mime->hasImage());
  const QImage image = qvariant_cast<QImage>(mime->imageData());
  EXPECT_EQ(image.size(), QSize(116, 76));  // the box and a margin of 8
  EXPECT_TRUE(mime->data(QStringLiteral("image/svg+xml")).contains("<svg"));
}
