// TSetupForm: the settings dialog. Page, background picture, snap, grid and dimension settings
// of the main window's surface; every change applies to the surface at once.
#pragma once

#include <cad/cad.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <functional>

namespace kestrafel {

class TSetupForm : public QDialog {
  Q_OBJECT

public:
  explicit TSetupForm(cad::TMyCAD* Cad, QWidget* Parent = nullptr);

  QFrame* Shape1 = nullptr;  // the paper colour swatch
  QToolButton* sbtnChangeColor = nullptr;
  QComboBox* cmbStyle = nullptr;
  QSpinBox* seWidth = nullptr;
  QSpinBox* seHeight = nullptr;
  QLabel* Image1 = nullptr;  // the background picture's thumbnail
  QComboBox* cmbPosition = nullptr;
  QPushButton* btnLoad = nullptr;
  QPushButton* btnClear = nullptr;
  QFileDialog* OpenDialog1 = nullptr;
  QCheckBox* cbSnapEnable = nullptr;
  QSpinBox* sePixels = nullptr;
  QCheckBox* cbShowGrid = nullptr;
  QSpinBox* seGridWidth = nullptr;
  QSpinBox* seGridHeight = nullptr;
  QComboBox* cmbUnit = nullptr;
  QSpinBox* seRatio = nullptr;
  QPushButton* btnSet = nullptr;
  QPushButton* bbtnClose = nullptr;
  QColorDialog* ColorDialog1 = nullptr;

  // Called after the surface changed its size (the main window centres it again).
  std::function<void()> OnSurfaceResized;
  // Replaceable dialogs (tests answer them): the chosen file or colour, empty or invalid when
  // cancelled. By default they run modally.
  std::function<QString(QFileDialog*)> OnChooseFile;
  std::function<QColor(QColorDialog*)> OnChooseColor;

  // The handlers, callable as the controls call them.
  void FormShow();
  void cmbStyleChange(int Index);
  void seWidthChanged(int Value);
  void seHeightChanged(int Value);
  void sbtnChangeColorClick();
  void btnLoadClick();
  void Image1Click() { btnLoadClick(); }
  void btnClearClick();
  void cmbPositionChange(int Index);
  void cbSnapEnableClick();
  void sePixelsChanged(int Value);
  void cbShowGridClick();
  void seGridWidthChanged(int Value);
  void seGridHeightChanged(int Value);
  void cmbUnitChange(int Index);
  void btnSetClick();
  void bbtnCloseClick() { close(); }

protected:
  void showEvent(QShowEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void SetSwatch(cad::TColor Color);
  void SurfaceResized();
  cad::TMyCAD* FCad;
  // Set while the dialog fills its controls from the surface: their change signals are no edits.
  bool FFilling = false;
};

}  // namespace kestrafel
