#include "pageactions.h"

#include "aboutform.h"
#include "mainform.h"
#include "previewform.h"
#include "setupform.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QMimeData>
#include <QPrintDialog>
#include <QSvgGenerator>
#include <cmath>

namespace kestrafel {

using namespace cad;

std::function<int(QDialog*)>& ModalRunner() {
  static std::function<int(QDialog*)> runner = [](QDialog* D) { return D->exec(); };
  return runner;
}

TSetupForm* SetupForm(TMainForm* Form) {
  auto* f = Form->findChild<TSetupForm*>(QStringLiteral("SetupForm"));
  if (!f) {
    f = new TSetupForm(Form->MyCAD1, Form);
    f->setWindowFlag(Qt::Window);
    f->OnSurfaceResized = [Form] {
      Form->ScrollBox1->widget()->adjustSize();
      Form->CentreMyCAD();
    };
  }
  return f;
}

TPreviewForm* PreviewForm(TMainForm* Form) {
  auto* f = Form->findChild<TPreviewForm*>(QStringLiteral("PreviewForm"));
  if (!f) {
    f = new TPreviewForm(Form->MyCAD1, Form);
    f->setWindowFlag(Qt::Window);
  }
  return f;
}

TAboutForm* AboutForm(TMainForm* Form) {
  auto* f = Form->findChild<TAboutForm*>(QStringLiteral("AboutForm"));
  if (!f) {
    f = new TAboutForm(Form);
    f->setWindowFlag(Qt::Window);
  }
  return f;
}

void PageSetupExecute(TMainForm* Form) {
  ModalRunner()(SetupForm(Form));
  Form->UpdateToolbar();
}

void PrintSetupExecute(TMainForm* Form) {
  QPrintDialog dialog(Form->MyCAD1->Printer(), Form);
  dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
  ModalRunner()(&dialog);
}

void PrintExecute(TMainForm* Form) {
  TPreviewForm* p = PreviewForm(Form);
  p->SetZoom(1.0);
  p->cmbZoom->setCurrentIndex(p->cmbZoom->findText(QStringLiteral("Actual Size")));
  p->Render(1.0);
  ModalRunner()(p);
}

void AboutExecute(TMainForm* Form) { ModalRunner()(AboutForm(Form)); }

QByteArray SvgOfShapes(TMyCAD* Cad, const QRect& Area, const TArrMyShape* Shapes) {
  QByteArray svg;
  QBuffer buffer(&svg);
  QSvgGenerator gen;
  gen.setOutputDevice(&buffer);
  gen.setSize(Area.size());
  gen.setViewBox(QRect(QPoint(), Area.size()));
  gen.setTitle(QStringLiteral("Kestrafel drawing"));
  Cad->PaintShapesTo(&gen, 1.0, Area.topLeft(), Shapes);
  return svg;
}

namespace {

struct TExportKind {
  const char* Kind;
  const char* Filter;
  const char* Suffix;
};
constexpr TExportKind kKinds[] = {
    {"Bitmap", "Bitmap file(*.bmp)", "bmp"}, {"JPEG", "JPEG file(*.jpg *.jpeg)", "jpg"},
    {"DXF", "AutoCAD DXF file(*.dxf)", "dxf"}, {"SVG", "SVG file(*.svg)", "svg"},
    {"PDF", "PDF file(*.pdf)", "pdf"},
};

QString AskFile(TMainForm* Form, const QString& Title, const QString& Filter, const QString& Suffix, bool Save) {
  auto* d = Form->findChild<QFileDialog*>(QStringLiteral("ExportDialog"));
  if (!d) {
    d = new QFileDialog(Form);
    d->setObjectName(QStringLiteral("ExportDialog"));
  }
  d->setWindowTitle(Title);
  d->setNameFilter(Filter);
  d->setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  d->setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  d->setDefaultSuffix(Suffix);
  if (Form->OnChooseFile) return Form->OnChooseFile(d);
  if (d->exec() == QDialog::Accepted && !d->selectedFiles().isEmpty()) return d->selectedFiles().front();
  return QString();
}

}  // namespace

void ExportExecute(TMainForm* Form, const QString& Kind) {
  const TExportKind* kind = nullptr;
  for (const TExportKind& k : kKinds)
    if (Kind == QLatin1String(k.Kind)) kind = &k;
  if (!kind) return;
  const QString name = AskFile(Form, QStringLiteral("Save"), QLatin1String(kind->Filter), QLatin1String(kind->Suffix), true);
  if (name.isEmpty()) return;
  TMyCAD* c = Form->MyCAD1;
  try {
    if (Kind == QLatin1String("Bitmap")) {
      c->SaveToBmp(name);
    } else if (Kind == QLatin1String("JPEG")) {
      c->SaveToJpg(name, 90);
    } else if (Kind == QLatin1String("DXF")) {
      c->SaveToDxf(name);
    } else if (Kind == QLatin1String("PDF")) {
      c->PrintToPdf(name, {}, 1.0);
    } else {
      const double z = c->Zoom() > 0 ? c->Zoom() : 1;
      const QRect page(0, 0, static_cast<int>(std::lround(c->Width() / z)), static_cast<int>(std::lround(c->Height() / z)));
      TMemoryStream(SvgOfShapes(c, page, nullptr)).SaveToFile(name);
    }
  } catch (const std::exception& e) {
    MessageDlg(QStringLiteral("MyCAD1 could not be exported to %1: %2").arg(name, QString::fromLocal8Bit(e.what())),
               TMsgDlgType::mtError, mbOK);
    return;
  }
  ShowMessage(QStringLiteral("MyCAD1 has been saved to ") + name);
}

void ImportAutoCADFileExecute(TMainForm* Form) {
  const QString name = AskFile(Form, QStringLiteral("Import"), QStringLiteral("AutoCAD DXF file(*.dxf)"), QString(), false);
  if (name.isEmpty()) return;
  TDxfImportReport report;
  if (!Form->MyCAD1->ImportDxf(name, report)) {
    MessageDlg(QStringLiteral("Error when read file\n%1").arg(report.Error), TMsgDlgType::mtError, mbOK);
    return;
  }
  ShowMessage(name + QStringLiteral(": ") + report.Summary());
  Form->UpdateToolbar();
}

void CopySelectionToClipboard(TMyCAD* Cad) {
  const TArrMyShape shapes = Cad->GetSelectedShapes();
  if (shapes.empty()) return;
  const TMyRect box = Cad->GetShapesLTRB(shapes);
  // A margin for pens and arrow heads beyond the points.
  constexpr int kMargin = 8;
  if (!std::isfinite(box.Left) || !std::isfinite(box.Top) || !std::isfinite(box.Right) || !std::isfinite(box.Bottom)) return;
  const double left = std::floor(box.Left) - kMargin, top = std::floor(box.Top) - kMargin;
  const double w = std::ceil(box.Right) + kMargin - left, h = std::ceil(box.Bottom) + kMargin - top;
  if (!(w * h <= static_cast<double>(kMaxPicturePixels)) || std::fabs(left) > 1e9 || std::fabs(top) > 1e9) return;
  const QRect area(static_cast<int>(left), static_cast<int>(top), static_cast<int>(w), static_cast<int>(h));
  if (area.isEmpty()) return;
  QImage image(area.size(), QImage::Format_ARGB32);
  image.fill(Qt::white);
  Cad->PaintShapesTo(&image, 1.0, area.topLeft(), &shapes);
  auto* mime = new QMimeData;
  mime->setImageData(image);
  mime->setData(QStringLiteral("image/svg+xml"), SvgOfShapes(Cad, area, &shapes));
  QApplication::clipboard()->setMimeData(mime);
}

}  // namespace kestrafel
