// TInspector, the property panel: the "Inspector" page of the main window. It shows the pen,
// brush and angle of the selected shape (or the surface's default pen and brush when nothing is
// selected) and the parameters of the selected shape's kind, and edits them. Every edit of a
// shape is one undo step of the shapes it changed. Controls carry their names as object names.
#pragma once

#include <cad/cad.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QWidget>

#include <functional>
#include <optional>

namespace kestrafel {

class TInspector : public QWidget {
  Q_OBJECT

public:
  TInspector(cad::TMyCAD* Cad, QWidget* Parent);

  QWidget* Panel4 = nullptr;
  QPushButton* PPenColor = nullptr;
  QSpinBox* sePenWidth = nullptr;
  QComboBox* cmbPenStyle = nullptr;
  QPushButton* PBrushColor = nullptr;
  QComboBox* cmbBrushStyle = nullptr;
  QLineEdit* edtAngle = nullptr;
  QTabWidget* pcShapesParameter = nullptr;
  QWidget* tsShapeParameter = nullptr;
  QWidget* PLine = nullptr;
  QComboBox* cmbArrowStyle = nullptr;
  QLineEdit* edtArrowOffset = nullptr;
  QLineEdit* edtArrowLength = nullptr;
  QLineEdit* edtArrowAngle = nullptr;
  QWidget* PRuleLine = nullptr;
  QComboBox* cmbTickStyle = nullptr;
  QWidget* PLinkLine = nullptr;
  QComboBox* cmbLinkLineDrawStyle = nullptr;
  QWidget* PElliArc = nullptr;
  QComboBox* cmbArcStyle = nullptr;
  QComboBox* cmbArcMode = nullptr;
  QWidget* PImage = nullptr;
  QPushButton* btnSetBitmap = nullptr;
  QCheckBox* cbBorder = nullptr;
  QWidget* PText = nullptr;
  QLineEdit* edtFontSize = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QComboBox* cbHAlignment = nullptr;
  QComboBox* cbVAlignment = nullptr;
  QComboBox* cbWordWrap = nullptr;
  QPushButton* btnUpdate = nullptr;
  QPushButton* btnClear = nullptr;

  // The host's colour dialog: the chosen colour, or nothing when the user cancelled.
  std::function<std::optional<cad::TColor>(cad::TColor Initial)> OnChooseColor;
  // The host's picture dialog: the chosen picture, read; null when the user cancelled or the
  // file could not be read (the host has said why).
  std::function<std::unique_ptr<cad::TBitmap>()> OnChoosePicture;
  // After every edit that changed the drawing (the host updates its toolbar and title).
  std::function<void()> OnChanged;

  // Fills the controls from Shape and shows the parameter panels of its kind.
  void ShowShape(cad::TMyShape* Shape);
  // Hides the parameter panels and shows the surface's default pen and brush.
  void ShowDefaults();

  // Handlers, one per control.
  void sePenWidthChanged(int Value);
  void cmbPenStyleChange(int Index);
  void PPenColorClick();
  void PBrushColorClick();
  void cmbBrushStyleChange(int Index);
  void edtAngleReturn();
  void edtArrowAngleReturn();
  void edtArrowLengthReturn();
  void edtArrowOffsetReturn();
  void cmbArrowStyleChange(int Index);
  void cmbTickStyleChange(int Index);
  void cmbLinkLineDrawStyleChange(int Index);
  void cmbArcModeChange(int Index);
  void cmbArcStyleChange(int Index);
  void cbBorderClick(bool Checked);
  void btnSetBitmapClick();
  void edtFontSizeReturn();
  void cbHAlignmentChange(int Index);
  void cbVAlignmentChange(int Index);
  void cbWordWrapChange(int Index);
  void btnUpdateClick();
  void btnClearClick();

private:
  void Build();
  QWidget* MakePanel(const char* Name, int Top, int Height);
  // The selected shapes of kind T (all of them when T is TMyShape).
  template <typename T>
  std::vector<T*> Selected() const;
  // Records the shapes as one undo step, applies Edit to each, and repaints; nothing happens
  // when the list is empty.
  template <typename T>
  void Change(const std::vector<T*>& Shapes, const std::function<void(T*)>& Edit);
  // The field's text as a whole number within [Low, High], or a message and nothing.
  std::optional<int> IntegerOf(QLineEdit* Edit, int Low, int High);
  void ShowColor(QPushButton* Panel, cad::TColor Color);
  void LayoutPanels();
  bool eventFilter(QObject* Watched, QEvent* Event) override;

  cad::TMyCAD* FCad;
  // True while the controls are being filled: their change signals are not edits.
  bool FFilling = false;
};

}  // namespace kestrafel
