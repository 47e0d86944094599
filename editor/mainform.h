// TMainForm: the Kestrafel main window. It hosts one drawing surface, MyCAD1, in a scroll box
// kept centred, with the tool palette, the zoom selector and the coordinate and value labels on
// the left.
#pragma once

#include <cad/cad.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>
#include <QToolButton>
#include <QWidget>

#include <map>

namespace kestrafel {

class TMainForm : public QMainWindow {
  Q_OBJECT

public:
  explicit TMainForm(QWidget* Parent = nullptr);

  cad::TMyCAD* MyCAD1 = nullptr;
  QScrollArea* ScrollBox1 = nullptr;
  QWidget* Panel1 = nullptr;
  QComboBox* cmbZoom = nullptr;
  QLabel* lblLabelXY = nullptr;
  QLabel* lblLabelValue = nullptr;
  QButtonGroup* ToolGroup = nullptr;
  // The palette's speed buttons by name (sbtnSelecting, sbtnRectangle, ...).
  std::map<QString, QToolButton*> SpeedButtons;

  QString CurrentFileName() const { return FCurrentFileName; }
  // Puts MyCAD1 in the middle of the scroll box (scrolled to its middle when it is larger).
  void CentreMyCAD();
  // Zoom factors of the zoom selector's items.
  static constexpr double kZoomSteps[] = {0.5, 0.75, 1.0, 1.1, 1.3, 2.0, 4.0, 8.0};

protected:
  void showEvent(QShowEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  void FormCreate();
  void FormShow();
  void BuildPalette(QLayout* Layout);
  void ApplyStoredSettings();
  void cmbZoomChange(int Index);
  void MyCAD1ActionToolToSelecting();

  QString FCurrentFileName;
  bool FShown = false;
};

}  // namespace kestrafel
