#include "mainform.h"

#include "palette.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kestrafel {

using namespace cad;

namespace {

struct PaletteEntry {
  const char* Name;
  const char* Hint;
  TDrawTool Tool;
  const char* ShapeClass;  // null for tools that create nothing
  bool InGroup = true;     // one of the exclusive tool buttons
};

// The palette in its order; a button appears once the surface knows its shape kind.
const PaletteEntry kPalette[] = {
    {"sbtnSelecting", "Selecting", TDrawTool::SpSelecting, nullptr},
    {"sbtnRotateSelecting", "RotateSelecting", TDrawTool::SpRotateSelecting, nullptr},
    {"sbtnLine", "Line", TDrawTool::SpLine, "TMyLine"},
    {"sbtnRuleLine", "RuleLine", TDrawTool::SpRuleLine, "TMyRuleLine"},
    {"sbtnPolyLine", "PolyLine", TDrawTool::SpPolyLine, "TMyPolyLine"},
    {"sbtnPolygon", "Polygon", TDrawTool::SpPolygon, "TMyPolygon"},
    {"sbtnRectangle", "Rectangle", TDrawTool::SpRectangle, "TMyRectangle"},
    {"sbtnEllipse", "Ellipse", TDrawTool::SpEllipse, "TMyEllipse"},
    {"sbtnElliArc", "ElliArc", TDrawTool::SpElliArc, "TMyElliArc"},
    {"sbtnPolyBezier", "PolyBezier", TDrawTool::SpPolyBezier, "TMyPolyBezier"},
    {"sbtnText", "Text", TDrawTool::SpText, "TMyText"},
    {"sbtnImage", "Image", TDrawTool::SpImage, "TMyImage"},
    {"sbtnLinkLine", "LinkLine", TDrawTool::SpLinkLine, "TMyLinkLine"},
    {"LineLinkLine", "LineLinkLine", TDrawTool::SpLineLinkLine, "TMyLineLinkLine", false},
};

bool ShapeKindExists(const char* className) {
  if (!className) return true;
  TMyShape* probe = TMyCAD::CreateShapeByName(QLatin1String(className), nullptr);
  delete probe;
  return probe != nullptr;
}

}  // namespace

TMainForm::TMainForm(QWidget* Parent) : QMainWindow(Parent) {
  setWindowTitle(QStringLiteral("Kestrafel 1.0"));
  resize(1024, 694);

  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);

  Panel1 = new QWidget(central);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedWidth(81);
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(4, 4, 4, 4);
  panelLayout->setSpacing(3);
  BuildPalette(panelLayout);

  cmbZoom = new QComboBox(Panel1);
  cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
  for (const char* item : {"50%", "75%", "100%", "110%", "130%", "200%", "400%", "800%"})
    cmbZoom->addItem(QLatin1String(item));
  panelLayout->addWidget(cmbZoom);
  lblLabelXY = new QLabel(QStringLiteral("lblLabelXY"), Panel1);
  lblLabelXY->setObjectName(QStringLiteral("lblLabelXY"));
  lblLabelValue = new QLabel(QStringLiteral("lblLabelValue"), Panel1);
  lblLabelValue->setObjectName(QStringLiteral("lblLabelValue"));
  lblLabelValue->setWordWrap(true);
  panelLayout->addWidget(lblLabelXY);
  panelLayout->addWidget(lblLabelValue);
  panelLayout->addStretch(1);
  row->addWidget(Panel1);

  ScrollBox1 = new QScrollArea(central);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setFrameShape(QFrame::StyledPanel);
  ScrollBox1->setFrameShadow(QFrame::Sunken);
  ScrollBox1->setAlignment(Qt::AlignCenter);
  ScrollBox1->setWidgetResizable(false);
  ScrollBox1->setBackgroundRole(QPalette::Dark);
  MyCAD1 = new TMyCAD;
  MyCAD1->setObjectName(QStringLiteral("MyCAD1"));
  ApplyStoredSettings();
  ScrollBox1->setWidget(MyCAD1);
  row->addWidget(ScrollBox1, 1);
  setCentralWidget(central);

  connect(cmbZoom, &QComboBox::activated, this, &TMainForm::cmbZoomChange);
  MyCAD1->OnActionToolToSelecting = [this] { MyCAD1ActionToolToSelecting(); };
  FormCreate();
}

void TMainForm::BuildPalette(QLayout* Layout) {
  ToolGroup = new QButtonGroup(this);
  ToolGroup->setExclusive(true);
  auto* grid = new QGridLayout;
  grid->setSpacing(2);
  int i = 0;
  for (const PaletteEntry& e : kPalette) {
    if (!ShapeKindExists(e.ShapeClass)) continue;
    auto* b = new QToolButton(Panel1);
    b->setObjectName(QLatin1String(e.Name));
    b->setToolTip(QLatin1String(e.Hint));
    b->setIcon(ToolGlyph(QLatin1String(e.Hint)));
    b->setIconSize(QSize(24, 24));
    b->setCheckable(e.InGroup);
    b->setAutoRaise(true);
    b->setFixedSize(34, 32);
    if (e.InGroup) ToolGroup->addButton(b);
    grid->addWidget(b, i / 2, i % 2);
    ++i;
    const TDrawTool tool = e.Tool;
    connect(b, &QToolButton::clicked, this, [this, tool] { MyCAD1->SetShapeTool(tool); });
    SpeedButtons[QLatin1String(e.Name)] = b;
  }
  static_cast<QVBoxLayout*>(Layout)->addLayout(grid);
  SpeedButtons[QStringLiteral("sbtnSelecting")]->setChecked(true);
}

void TMainForm::ApplyStoredSettings() {
  // The surface's settings as the window stores them.
  TMyCAD* c = MyCAD1;
  c->SetArrowAngle(10);
  c->SetArrowLength(30);
  c->SetArrowOffset(0);
  c->SetArrowStyle(TArrowStyle::ANone);
  c->SetBkBitmapMode(TBkBitmapMode::Center);
  c->SetColorOfBackGround(0xD0FFFF);
  c->SetColorOfHot(clLime);
  c->SetDragShapeMode(TDragMode::dgBoth);
  TGridObject grid;
  grid.SetGridColor(clSilver);
  grid.SetGridHeight(40);
  grid.SetGridPenSize(1);
  grid.SetGridType(TGridType::gLine);
  grid.SetGridWidth(40);
  c->SetGridOperation(&grid);
  c->SetOperateAllLayer(true);
  c->SetPageHead(QStringLiteral("VORN drawing sample"));
  TFont headFoot;
  headFoot.SetName(QStringLiteral("Helvetica"));
  headFoot.SetHeight(14);
  headFoot.SetColor(clBlack);
  c->SetPageHeadFont(&headFoot);
  c->SetPageFootFont(&headFoot);
  c->SetPageFootAlignment(TAlignment::taLeftJustify);
  c->SetPageOrientation(TPrinterOrientation::poPortrait);
  c->SetPageWidth(197);
  c->SetPageHeight(158);
  c->SetPrintABorder(true);
  c->SetPrintBackground(false);
  c->SetRatio(1.0);
  c->SetResizeEnable(true);
  c->SetReturnToSelecting(true);
  c->SetRotateEnable(true);
  c->SetShapeTool(TDrawTool::SpSelecting);
  c->SetSnap(true);
  c->SetUnit(TUnits::mm);
  c->SetXYMode(TXYMode::Mode0);
  c->SetZoom(1.0);
  c->SetLabelXY(lblLabelXY);
  c->SetLabelValue(lblLabelValue);
}

void TMainForm::FormCreate() {
  FCurrentFileName = QStringLiteral("NoName.VORN");
  MyCAD1->Brush()->SetStyle(TBrushStyle::bsClear);
}

void TMainForm::FormShow() {
  cmbZoom->setCurrentIndex(2);
  MyCAD1->SetFSnapPixels(8);
  CentreMyCAD();
}

void TMainForm::showEvent(QShowEvent* Event) {
  QMainWindow::showEvent(Event);
  if (!FShown) {
    FShown = true;
    FormShow();
  }
}

void TMainForm::resizeEvent(QResizeEvent* Event) {
  QMainWindow::resizeEvent(Event);
  CentreMyCAD();
}

void TMainForm::CentreMyCAD() {
  // A surface smaller than the box sits in its middle (the box's alignment); a larger one is
  // scrolled so that its middle shows.
  for (QScrollBar* bar : {ScrollBox1->horizontalScrollBar(), ScrollBox1->verticalScrollBar()})
    bar->setValue((bar->minimum() + bar->maximum()) / 2);
}

void TMainForm::cmbZoomChange(int Index) {
  if (Index < 0 || Index >= static_cast<int>(std::size(kZoomSteps))) return;
  MyCAD1->SetZoom(kZoomSteps[Index]);
  CentreMyCAD();
}

void TMainForm::MyCAD1ActionToolToSelecting() {
  if (QToolButton* b = SpeedButtons[QStringLiteral("sbtnSelecting")]) b->setChecked(true);
}

}  // namespace kestrafel
