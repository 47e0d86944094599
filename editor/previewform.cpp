#include "previewform.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace kestrafel {

using namespace cad;

TPreviewForm::TPreviewForm(TMyCAD* Cad, QWidget* Parent) : QDialog(Parent), FCad(Cad) {
  setObjectName(QStringLiteral("PreviewForm"));
  setWindowTitle(QStringLiteral("Preview"));
  resize(696, 480);
  setModal(true);
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedHeight(57);
  auto* top = new QHBoxLayout(Panel1);
  top->addWidget(new QLabel(QStringLiteral("Zoom"), Panel1));
  cmbZoom = new QComboBox(Panel1);
  cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
  cmbZoom->addItems({"50%", "100%", "150%", "200%", "Page Width", "Whole Page", "Actual Size"});
  cmbZoom->setCurrentIndex(6);
  top->addWidget(cmbZoom);
  top->addStretch(1);
  bbtnPrintCurrentLayer = new QPushButton(QStringLiteral("Print Current Layer"), Panel1);
  bbtnPrintCurrentLayer->setObjectName(QStringLiteral("bbtnPrintCurrentLayer"));
  bbtnPrint = new QPushButton(QStringLiteral("Print"), Panel1);
  bbtnPrint->setObjectName(QStringLiteral("bbtnPrint"));
  bbtnPrintToPdf = new QPushButton(QStringLiteral("Print to PDF..."), Panel1);
  bbtnPrintToPdf->setObjectName(QStringLiteral("bbtnPrintToPdf"));
  top->addWidget(bbtnPrintCurrentLayer);
  top->addWidget(bbtnPrint);
  top->addWidget(bbtnPrintToPdf);
  root->addWidget(Panel1);
  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setBackgroundRole(QPalette::Dark);
  ScrollBox1->setWidgetResizable(false);
  auto* canvas = new QWidget;
  canvas->setObjectName(QStringLiteral("ScrollBox1Contents"));
  Image1 = new QLabel(canvas);
  Image1->setObjectName(QStringLiteral("Image1"));
  ScrollBox1->setWidget(canvas);
  root->addWidget(ScrollBox1, 1);
  SaveDialog1 = new QFileDialog(this);
  SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
  SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
  SaveDialog1->setNameFilter(QStringLiteral("PDF file (*.pdf)"));
  SaveDialog1->setDefaultSuffix(QStringLiteral("pdf"));

  connect(cmbZoom, &QComboBox::activated, this, [this] { cmbZoomChange(); });
  connect(bbtnPrint, &QPushButton::clicked, this, &TPreviewForm::bbtnPrintClick);
  connect(bbtnPrintCurrentLayer, &QPushButton::clicked, this, &TPreviewForm::bbtnPrintCurrentLayerClick);
  connect(bbtnPrintToPdf, &QPushButton::clicked, this, &TPreviewForm::bbtnPrintToPdfClick);
}

void TPreviewForm::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void TPreviewForm::resizeEvent(QResizeEvent* Event) {
  QDialog::resizeEvent(Event);
  FormResize();
}

void TPreviewForm::FormResize() {
  if (isVisible()) cmbZoomChange();
}

void TPreviewForm::cmbZoomChange() {
  const QString item = cmbZoom->currentText();
  const double boxW = ScrollBox1->width(), boxH = ScrollBox1->height();
  const double w = std::max(1, FCad->Width()), h = std::max(1, FCad->Height());
  if (item == QLatin1String("50%")) FZoom = 0.5;
  else if (item == QLatin1String("100%") || item == QLatin1String("Actual Size")) FZoom = 1.0;
  else if (item == QLatin1String("150%")) FZoom = 1.5;
  else if (item == QLatin1String("200%")) FZoom = 2.0;
  else if (item == QLatin1String("Page Width")) FZoom = boxW / w;
  else if (item == QLatin1String("Whole Page")) FZoom = std::min(boxW / w, boxH / h);
  Render(0.9 * FZoom);
}

void TPreviewForm::Render(double Z) {
  if (!FCad->PrintPreview({}, &FBitmap, Z)) {
    // Beyond the picture budget: the largest scale whose page fits in it.
    const double mmToPx = ScreenPixelsPerInch() / 25.4;
    const double pixelsAt1 = FCad->PageWidth() * mmToPx * FCad->PageHeight() * mmToPx;
    const double fit = pixelsAt1 > 0 ? std::sqrt(static_cast<double>(kMaxPicturePixels) / pixelsAt1) * 0.99 : 0;
    if (!(fit > 0) || !FCad->PrintPreview({}, &FBitmap, std::min(Z, fit))) FBitmap.Clear();
  }
  Image1->setPixmap(FBitmap.Empty() ? QPixmap() : QPixmap::fromImage(FBitmap.Image()));
  LayOut();
}

void TPreviewForm::LayOut() {
  ScrollBox1->horizontalScrollBar()->setValue(0);
  ScrollBox1->verticalScrollBar()->setValue(0);
  const QSize image(FBitmap.Width(), FBitmap.Height());
  Image1->resize(image);
  const QSize box = ScrollBox1->viewport()->size();
  const int left = box.width() > image.width() ? (box.width() - image.width()) / 2 : 0;
  const int top = box.height() > image.height() ? (box.height() - image.height()) / 2 : 0;
  Image1->move(left, top);
  ScrollBox1->widget()->resize(std::max(box.width(), image.width()), std::max(box.height(), image.height()));
  ScrollBox1->ensureWidgetVisible(Image1, 0, 0);
}

void TPreviewForm::PrintLayers(const std::vector<int32_t>& Layers) {
  try {
    FCad->Print(Layers, 1.0);
  } catch (const std::exception& e) {
    MessageDlg(QStringLiteral("The page could not be printed: %1").arg(QString::fromLocal8Bit(e.what())), TMsgDlgType::mtError, mbOK);
  }
}

void TPreviewForm::bbtnPrintClick() { PrintLayers({}); }

void TPreviewForm::bbtnPrintCurrentLayerClick() { PrintLayers({FCad->CurrentLayerId()}); }

void TPreviewForm::bbtnPrintToPdfClick() {
  QString name;
  if (OnChooseFile) name = OnChooseFile(SaveDialog1);
  else if (SaveDialog1->exec() == QDialog::Accepted && !SaveDialog1->selectedFiles().isEmpty())
    name = SaveDialog1->selectedFiles().front();
  if (name.isEmpty()) return;
  try {
    FCad->PrintToPdf(name, {}, 1.0);
    ShowMessage(QStringLiteral("The page has been printed to ") + name);
  } catch (const std::exception& e) {
    MessageDlg(QStringLiteral("The page could not be printed: %1").arg(QString::fromLocal8Bit(e.what())), TMsgDlgType::mtError, mbOK);
  }
}

}  // namespace kestrafel
