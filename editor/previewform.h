// TPreviewForm: the print preview. Shows the main window's page as it prints, at a chosen zoom,
// and prints it (all layers, or the current layer only), to the printer or to a PDF file.
#pragma once

#include <cad/cad.h>

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QWidget>
#include <functional>

namespace kestrafel {

class TPreviewForm : public QDialog {
  Q_OBJECT

public:
  explicit TPreviewForm(cad::TMyCAD* Cad, QWidget* Parent = nullptr);

  QWidget* Panel1 = nullptr;
  QComboBox* cmbZoom = nullptr;
  QPushButton* bbtnPrintCurrentLayer = nullptr;
  QPushButton* bbtnPrint = nullptr;
  QPushButton* bbtnPrintToPdf = nullptr;
  QScrollArea* ScrollBox1 = nullptr;
  QLabel* Image1 = nullptr;
  QFileDialog* SaveDialog1 = nullptr;
  // The zoom factor of the preview.
  double Zoom() const { return FZoom; }
  void SetZoom(double Z) { FZoom = Z; }
  // The preview bitmap as last rendered.
  const cad::TBitmap& Bitmap() const { return FBitmap; }
  // Replaceable file dialog (tests answer it); empty when cancelled.
  std::function<QString(QFileDialog*)> OnChooseFile;

  void FormResize();
  void cmbZoomChange();
  void bbtnPrintClick();
  void bbtnPrintCurrentLayerClick();
  void bbtnPrintToPdfClick();
  // Renders the page at 0.9 times the zoom and lays the image out; a page too large for the
  // picture budget at that zoom is shown at the largest zoom that fits.
  void Render(double Z);

protected:
  void resizeEvent(QResizeEvent* Event) override;
  void showEvent(QShowEvent* Event) override;

private:
  void PrintLayers(const std::vector<int32_t>& Layers);
  void LayOut();
  cad::TMyCAD* FCad;
  cad::TBitmap FBitmap;
  double FZoom = 1;
};

}  // namespace kestrafel
