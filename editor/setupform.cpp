#include "setupform.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

namespace kestrafel {

using namespace cad;

namespace {

template <typename T>
T* Named(T* W, const char* Name) {
  W->setObjectName(QLatin1String(Name));
  return W;
}

QSpinBox* Spin(QWidget* Parent, const char* Name, int Max) {
  auto* s = Named(new QSpinBox(Parent), Name);
  s->setRange(0, Max);
  s->setKeyboardTracking(false);  // a value typed digit by digit applies once, when done
  return s;
}

}  // namespace

TSetupForm::TSetupForm(TMyCAD* Cad, QWidget* Parent) : QDialog(Parent), FCad(Cad) {
  setObjectName(QStringLiteral("SetupForm"));
  setWindowTitle(QStringLiteral("Setup"));
  setFixedSize(341, 449);
  setModal(true);
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(8, 8, 8, 8);
  root->setSpacing(6);

  auto* page = new QGroupBox(QStringLiteral("Page"), this);
  auto* pageGrid = new QGridLayout(page);
  pageGrid->addWidget(new QLabel(QStringLiteral("PaperColor"), page), 0, 0);
  Shape1 = Named(new QFrame(page), "Shape1");
  Shape1->setFixedSize(40, 18);
  Shape1->setFrameShape(QFrame::Box);
  Shape1->setAutoFillBackground(true);
  pageGrid->addWidget(Shape1, 0, 1);
  sbtnChangeColor = Named(new QToolButton(page), "sbtnChangeColor");
  sbtnChangeColor->setText(QStringLiteral("..."));
  pageGrid->addWidget(sbtnChangeColor, 0, 2);
  pageGrid->addWidget(new QLabel(QStringLiteral("Style"), page), 0, 3);
  cmbStyle = Named(new QComboBox(page), "cmbStyle");
  cmbStyle->addItems({"A0", "A1", "A2", "A3", "A4", "A5", "B3", "B4", "B5", "CustomerPage"});
  pageGrid->addWidget(cmbStyle, 0, 4);
  pageGrid->addWidget(new QLabel(QStringLiteral("Width"), page), 1, 0);
  seWidth = Spin(page, "seWidth", 10000);
  pageGrid->addWidget(seWidth, 1, 1, 1, 2);
  pageGrid->addWidget(new QLabel(QStringLiteral("Height"), page), 1, 3);
  seHeight = Spin(page, "seHeight", 10000);
  pageGrid->addWidget(seHeight, 1, 4);
  root->addWidget(page);

  auto* picture = new QGroupBox(QStringLiteral("Background picture"), this);
  auto* picRow = new QHBoxLayout(picture);
  auto* panel = Named(new QFrame(picture), "Panel1");
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFixedSize(84, 64);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(2, 2, 2, 2);
  Image1 = Named(new QLabel(panel), "Image1");
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setCursor(Qt::PointingHandCursor);
  Image1->installEventFilter(this);
  panelLayout->addWidget(Image1);
  picRow->addWidget(panel);
  auto* picGrid = new QGridLayout;
  picGrid->addWidget(new QLabel(QStringLiteral("Position"), picture), 0, 0);
  cmbPosition = Named(new QComboBox(picture), "cmbPosition");
  cmbPosition->addItems({"Tiled", "Stretch", "Center", "LeftTop"});
  picGrid->addWidget(cmbPosition, 0, 1);
  btnLoad = Named(new QPushButton(QStringLiteral("Load"), picture), "btnLoad");
  btnClear = Named(new QPushButton(QStringLiteral("Clear"), picture), "btnClear");
  picGrid->addWidget(btnLoad, 1, 0);
  picGrid->addWidget(btnClear, 1, 1);
  picRow->addLayout(picGrid);
  root->addWidget(picture);
  OpenDialog1 = Named(new QFileDialog(this), "OpenDialog1");
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setNameFilter(QStringLiteral("Pictures (*.bmp *.png *.jpg *.jpeg *.gif *.ico);;All files (*)"));

  auto* snapGrid = new QHBoxLayout;
  auto* snap = new QGroupBox(QStringLiteral("Snap"), this);
  auto* snapRow = new QHBoxLayout(snap);
  cbSnapEnable = Named(new QCheckBox(QStringLiteral("Enable"), snap), "cbSnapEnable");
  sePixels = Spin(snap, "sePixels", 255);
  snapRow->addWidget(cbSnapEnable);
  snapRow->addWidget(sePixels);
  snapRow->addWidget(new QLabel(QStringLiteral("Pixels"), snap));
  snapGrid->addWidget(snap);
  auto* grid = new QGroupBox(QStringLiteral("Grid"), this);
  auto* gridLayout = new QGridLayout(grid);
  cbShowGrid = Named(new QCheckBox(QStringLiteral("Show Grid"), grid), "cbShowGrid");
  gridLayout->addWidget(cbShowGrid, 0, 0, 1, 2);
  gridLayout->addWidget(new QLabel(QStringLiteral("Width"), grid), 1, 0);
  seGridWidth = Spin(grid, "seGridWidth", 10000);
  gridLayout->addWidget(seGridWidth, 1, 1);
  gridLayout->addWidget(new QLabel(QStringLiteral("Height"), grid), 2, 0);
  seGridHeight = Spin(grid, "seGridHeight", 10000);
  gridLayout->addWidget(seGridHeight, 2, 1);
  snapGrid->addWidget(grid);
  root->addLayout(snapGrid);

  auto* dim = new QGroupBox(QStringLiteral("For dimension value setting"), this);
  auto* dimGrid = new QGridLayout(dim);
  dimGrid->addWidget(new QLabel(QStringLiteral("Unit"), dim), 0, 0);
  cmbUnit = Named(new QComboBox(dim), "cmbUnit");
  cmbUnit->addItems({"inch", "mm", "pixel"});
  dimGrid->addWidget(cmbUnit, 0, 1, 1, 3);
  dimGrid->addWidget(new QLabel(QStringLiteral("Ratio:="), dim), 1, 0);
  seRatio = Spin(dim, "seRatio", 10000);
  dimGrid->addWidget(seRatio, 1, 1);
  dimGrid->addWidget(new QLabel(QStringLiteral("/100"), dim), 1, 2);
  btnSet = Named(new QPushButton(QStringLiteral("Set"), dim), "btnSet");
  dimGrid->addWidget(btnSet, 1, 3);
  root->addWidget(dim);

  bbtnClose = Named(new QPushButton(QStringLiteral("&Close"), this), "bbtnClose");
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch(1);
  closeRow->addWidget(bbtnClose);
  root->addLayout(closeRow);
  ColorDialog1 = Named(new QColorDialog(this), "ColorDialog1");

  connect(cmbStyle, &QComboBox::activated, this, &TSetupForm::cmbStyleChange);
  connect(seWidth, &QSpinBox::valueChanged, this, &TSetupForm::seWidthChanged);
  connect(seHeight, &QSpinBox::valueChanged, this, &TSetupForm::seHeightChanged);
  connect(sbtnChangeColor, &QToolButton::clicked, this, &TSetupForm::sbtnChangeColorClick);
  connect(btnLoad, &QPushButton::clicked, this, &TSetupForm::btnLoadClick);
  connect(btnClear, &QPushButton::clicked, this, &TSetupForm::btnClearClick);
  connect(cmbPosition, &QComboBox::activated, this, &TSetupForm::cmbPositionChange);
  connect(cbSnapEnable, &QCheckBox::clicked, this, &TSetupForm::cbSnapEnableClick);
  connect(sePixels, &QSpinBox::valueChanged, this, &TSetupForm::sePixelsChanged);
  connect(cbShowGrid, &QCheckBox::clicked, this, &TSetupForm::cbShowGridClick);
  connect(seGridWidth, &QSpinBox::valueChanged, this, &TSetupForm::seGridWidthChanged);
  connect(seGridHeight, &QSpinBox::valueChanged, this, &TSetupForm::seGridHeightChanged);
  connect(cmbUnit, &QComboBox::activated, this, &TSetupForm::cmbUnitChange);
  connect(btnSet, &QPushButton::clicked, this, &TSetupForm::btnSetClick);
  connect(bbtnClose, &QPushButton::clicked, this, &TSetupForm::bbtnCloseClick);
}

void TSetupForm::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  // Centred on the desktop.
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  FormShow();
}

bool TSetupForm::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Image1 && Event->type() == QEvent::MouseButtonRelease) {
    Image1Click();
    return true;
  }
  return QDialog::eventFilter(Watched, Event);
}

void TSetupForm::SetSwatch(TColor Color) {
  QPalette p = Shape1->palette();
  p.setColor(QPalette::Window, ToQColor(Color));
  Shape1->setPalette(p);
}

void TSetupForm::FormShow() {
  FFilling = true;
  cbSnapEnable->setChecked(FCad->Snap());
  sePixels->setEnabled(FCad->Snap());
  if (FCad->Snap()) sePixels->setValue(FCad->SnapPixels());
  SetSwatch(FCad->ColorOfBackGround());
  cmbStyle->setCurrentIndex(static_cast<int>(FCad->PageStyle()));
  seWidth->setValue(FCad->Width());
  seHeight->setValue(FCad->Height());
  cmbPosition->setCurrentIndex(static_cast<int>(FCad->BkBitmapMode()));
  seRatio->setValue(static_cast<int>(std::trunc(FCad->Ratio() * 100)));
  // The unit the drawing measures in, when the list has it (it offers inch, mm and pixel).
  const int unit = FCad->TheUNIT() == TUnits::inch ? 0 : FCad->TheUNIT() == TUnits::mm ? 1 : FCad->TheUNIT() == TUnits::pixel ? 2 : -1;
  if (unit >= 0) cmbUnit->setCurrentIndex(unit);
  const TGridObject* g = FCad->GridOperation();
  cbShowGrid->setChecked(g->GridShow());
  seGridWidth->setEnabled(g->GridShow());
  seGridHeight->setEnabled(g->GridShow());
  if (g->GridShow()) {
    seGridWidth->setValue(g->GridWidth());
    seGridHeight->setValue(g->GridHeight());
  }
  FFilling = false;
}

void TSetupForm::SurfaceResized() {
  FFilling = true;
  seWidth->setValue(FCad->Width());
  seHeight->setValue(FCad->Height());
  FFilling = false;
  if (OnSurfaceResized) OnSurfaceResized();
}

void TSetupForm::cmbStyleChange(int Index) {
  if (Index < 0) return;
  FCad->SetPageStyle(static_cast<TPageStyle>(Index));
  SurfaceResized();
}

void TSetupForm::seWidthChanged(int Value) {
  if (FFilling) return;
  FCad->SetWidth(Value);
  FFilling = true;
  cmbStyle->setCurrentIndex(static_cast<int>(FCad->PageStyle()));
  FFilling = false;
  if (OnSurfaceResized) OnSurfaceResized();
}

void TSetupForm::seHeightChanged(int Value) {
  if (FFilling) return;
  FCad->SetHeight(Value);
  FFilling = true;
  cmbStyle->setCurrentIndex(static_cast<int>(FCad->PageStyle()));
  FFilling = false;
  if (OnSurfaceResized) OnSurfaceResized();
}

void TSetupForm::sbtnChangeColorClick() {
  ColorDialog1->setCurrentColor(ToQColor(FCad->ColorOfBackGround()));
  QColor chosen;
  if (OnChooseColor) chosen = OnChooseColor(ColorDialog1);
  else if (ColorDialog1->exec() == QDialog::Accepted) chosen = ColorDialog1->selectedColor();
  if (!chosen.isValid()) return;
  const TColor c = static_cast<TColor>(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
  SetSwatch(c);
  FCad->SetColorOfBackGround(c);
}

void TSetupForm::btnLoadClick() {
  QString name;
  if (OnChooseFile) name = OnChooseFile(OpenDialog1);
  else if (OpenDialog1->exec() == QDialog::Accepted && !OpenDialog1->selectedFiles().isEmpty())
    name = OpenDialog1->selectedFiles().front();
  if (name.isEmpty()) return;
  TBitmap picture;
  try {
    picture.LoadFromFile(name);
  } catch (const std::exception& e) {
    MessageDlg(QString::fromLocal8Bit(e.what()), TMsgDlgType::mtError, mbOK);
    return;
  }
  FCad->SetBkBitmap(&picture);
  Image1->setPixmap(QPixmap::fromImage(picture.Image()).scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TSetupForm::btnClearClick() {
  FCad->SetBkBitmap(nullptr);
  Image1->clear();
}

void TSetupForm::cmbPositionChange(int Index) {
  if (Index < 0) return;
  FCad->SetBkBitmapMode(static_cast<TBkBitmapMode>(Index));
  FCad->Repaint();
}

void TSetupForm::cbSnapEnableClick() {
  FCad->SetSnap(cbSnapEnable->isChecked());
  sePixels->setEnabled(cbSnapEnable->isChecked());
}

void TSetupForm::sePixelsChanged(int Value) {
  if (FFilling) return;
  const TGridObject* g = FCad->GridOperation();
  if (Value > g->GridWidth() || Value > g->GridHeight()) {
    ShowMessage(QStringLiteral("Pixels is too many!"));
    // The spin edit goes back to 3; the surface keeps the value it had.
    FFilling = true;
    sePixels->setValue(3);
    FFilling = false;
    return;
  }
  FCad->SetFSnapPixels(static_cast<uint8_t>(Value));
}

void TSetupForm::cbShowGridClick() {
  const bool on = cbShowGrid->isChecked();
  FCad->GridOperation()->SetGridShow(on);
  seGridWidth->setEnabled(on);
  seGridHeight->setEnabled(on);
  FCad->Repaint();
}

void TSetupForm::seGridWidthChanged(int Value) {
  if (FFilling) return;
  // The grid keeps its steps in a byte.
  FCad->GridOperation()->SetGridWidth(static_cast<uint8_t>(std::min(Value, 255)));
  FCad->Repaint();
}

void TSetupForm::seGridHeightChanged(int Value) {
  if (FFilling) return;
  FCad->GridOperation()->SetGridHeight(static_cast<uint8_t>(std::min(Value, 255)));
  FCad->Repaint();
}

void TSetupForm::cmbUnitChange(int Index) {
  static const TUnits kUnits[] = {TUnits::inch, TUnits::mm, TUnits::pixel};
  if (Index >= 0 && Index < 3) FCad->SetUnit(kUnits[Index]);
}

void TSetupForm::btnSetClick() { FCad->SetRatio(seRatio->value() / 100.0); }

}  // namespace kestrafel
