#include "propertypanel.h"

#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace kestrafel {

using namespace cad;

namespace {

QComboBox* MakeCombo(QWidget* Parent, const char* Name, std::initializer_list<const char*> Items) {
  auto* c = new QComboBox(Parent);
  c->setObjectName(QLatin1String(Name));
  for (const char* item : Items) c->addItem(QLatin1String(item));
  return c;
}

QLineEdit* MakeEdit(QWidget* Parent, const char* Name) {
  auto* e = new QLineEdit(Parent);
  e->setObjectName(QLatin1String(Name));
  return e;
}

QPushButton* MakeColorPanel(QWidget* Parent, const char* Name) {
  auto* p = new QPushButton(Parent);
  p->setObjectName(QLatin1String(Name));
  p->setFixedSize(48, 22);
  p->setFlat(true);
  p->setToolTip(QStringLiteral("Click to choose the colour"));
  return p;
}

// The kinds of shape the parameter panels stand for.
bool IsLineWithArrows(TMyShape* S) { return dynamic_cast<TMyLine*>(S) && !dynamic_cast<TMyPolygon*>(S); }

// The selected shapes of kind T for which Differs is true: those an edit would change.
template <typename T, typename F>
std::vector<T*> Picked(TMyCAD* Cad, F Differs) {
  std::vector<T*> out;
  for (TMyShape* s : Cad->GetSelectedShapes())
    if (auto* t = dynamic_cast<T*>(s); t && Differs(t)) out.push_back(t);
  return out;
}

}  // namespace

TInspector::TInspector(TMyCAD* Cad, QWidget* Parent) : QWidget(Parent), FCad(Cad) {
  setObjectName(QStringLiteral("Inspector"));
  Build();
  ShowDefaults();
}

QWidget* TInspector::MakePanel(const char* Name, int Top, int Height) {
  auto* p = new QWidget(tsShapeParameter);
  p->setObjectName(QLatin1String(Name));
  p->setGeometry(0, Top, 220, Height);
  p->hide();
  return p;
}

void TInspector::Build() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);

  Panel4 = new QWidget(this);
  Panel4->setObjectName(QStringLiteral("Panel4"));
  auto* top = new QVBoxLayout(Panel4);
  top->setContentsMargins(0, 0, 0, 0);

  auto* pen = new QGroupBox(QStringLiteral("Pen"), Panel4);
  auto* penRow = new QHBoxLayout(pen);
  PPenColor = MakeColorPanel(pen, "PPenColor");
  sePenWidth = new QSpinBox(pen);
  sePenWidth->setObjectName(QStringLiteral("sePenWidth"));
  sePenWidth->setRange(1, 255);
  sePenWidth->setValue(1);
  // One change per finished entry, not one per typed digit.
  sePenWidth->setKeyboardTracking(false);
  cmbPenStyle = MakeCombo(pen, "cmbPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear"});
  penRow->addWidget(PPenColor);
  penRow->addWidget(sePenWidth);
  penRow->addWidget(cmbPenStyle, 1);
  top->addWidget(pen);

  auto* brush = new QGroupBox(QStringLiteral("Brush"), Panel4);
  auto* brushRow = new QHBoxLayout(brush);
  PBrushColor = MakeColorPanel(brush, "PBrushColor");
  cmbBrushStyle = MakeCombo(brush, "cmbBrushStyle",
                            {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"});
  brushRow->addWidget(PBrushColor);
  brushRow->addWidget(cmbBrushStyle, 1);
  top->addWidget(brush);

  auto* angle = new QGroupBox(QStringLiteral("Angle"), Panel4);
  auto* angleRow = new QHBoxLayout(angle);
  edtAngle = MakeEdit(angle, "edtAngle");
  edtAngle->setToolTip(QStringLiteral("The shape's angle in radians; Return applies it"));
  angleRow->addWidget(edtAngle);
  top->addWidget(angle);
  layout->addWidget(Panel4);

  pcShapesParameter = new QTabWidget(this);
  pcShapesParameter->setObjectName(QStringLiteral("pcShapesParameter"));
  tsShapeParameter = new QWidget(pcShapesParameter);
  tsShapeParameter->setObjectName(QStringLiteral("tsShapeParameter"));
  tsShapeParameter->setMinimumHeight(300);
  pcShapesParameter->addTab(tsShapeParameter, QStringLiteral("Shape Parameter"));
  layout->addWidget(pcShapesParameter, 1);
  tsShapeParameter->installEventFilter(this);

  // The panels sit at fixed places: the arrow panel on top, a rule line's or connector's panel
  // below it, every other kind's panel on top.
  auto form = [](QWidget* Panel) {
    auto* f = new QFormLayout(Panel);
    f->setContentsMargins(6, 0, 6, 0);
    return f;
  };
  PLine = MakePanel("PLine", 8, 140);
  QFormLayout* f = form(PLine);
  cmbArrowStyle = MakeCombo(PLine, "cmbArrowStyle", {"ANone", "ALeft", "ARight", "ADouble"});
  edtArrowOffset = MakeEdit(PLine, "edtArrowOffset");
  edtArrowLength = MakeEdit(PLine, "edtArrowLength");
  edtArrowAngle = MakeEdit(PLine, "edtArrowAngle");
  f->addRow(QStringLiteral("ArrowStyle"), cmbArrowStyle);
  f->addRow(QStringLiteral("ArrowOffset"), edtArrowOffset);
  f->addRow(QStringLiteral("ArrowLength"), edtArrowLength);
  f->addRow(QStringLiteral("ArrowAngle"), edtArrowAngle);

  PRuleLine = MakePanel("PRuleLine", 152, 40);
  cmbTickStyle = MakeCombo(PRuleLine, "cmbTickStyle", {"tsLine", "tsNone"});
  form(PRuleLine)->addRow(QStringLiteral("TickStyle"), cmbTickStyle);

  PLinkLine = MakePanel("PLinkLine", 152, 40);
  cmbLinkLineDrawStyle = MakeCombo(PLinkLine, "cmbLinkLineDrawStyle", {"lldsHV", "llsdsFree"});
  form(PLinkLine)->addRow(QStringLiteral("LinkLineDrawStyle"), cmbLinkLineDrawStyle);

  PElliArc = MakePanel("PElliArc", 8, 72);
  f = form(PElliArc);
  cmbArcStyle = MakeCombo(PElliArc, "cmbArcStyle", {"asArc", "asChord", "asSector"});
  cmbArcMode = MakeCombo(PElliArc, "cmbArcMode", {"amCircle", "amEllipse"});
  f->addRow(QStringLiteral("ArcStyle"), cmbArcStyle);
  f->addRow(QStringLiteral("ArcMode"), cmbArcMode);

  PImage = MakePanel("PImage", 8, 72);
  f = form(PImage);
  btnSetBitmap = new QPushButton(QStringLiteral("Set Bitmap"), PImage);
  btnSetBitmap->setObjectName(QStringLiteral("btnSetBitmap"));
  cbBorder = new QCheckBox(QStringLiteral("ShowBorder"), PImage);
  cbBorder->setObjectName(QStringLiteral("cbBorder"));
  f->addRow(QStringLiteral("Bitmap"), btnSetBitmap);
  f->addRow(QStringLiteral("Border"), cbBorder);

  PText = MakePanel("PText", 8, 290);
  f = form(PText);
  edtFontSize = MakeEdit(PText, "edtFontSize");
  Memo1 = new QPlainTextEdit(PText);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setFixedHeight(90);
  cbHAlignment = MakeCombo(PText, "cbHAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  cbVAlignment = MakeCombo(PText, "cbVAlignment", {"vaTop", "vaMiddle", "vaBottom"});
  cbWordWrap = MakeCombo(PText, "cbWordWrap", {"True", "False"});
  btnUpdate = new QPushButton(QStringLiteral("Update"), PText);
  btnUpdate->setObjectName(QStringLiteral("btnUpdate"));
  btnClear = new QPushButton(QStringLiteral("Clear"), PText);
  btnClear->setObjectName(QStringLiteral("btnClear"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnUpdate);
  buttons->addWidget(btnClear);
  f->addRow(QStringLiteral("FontSize"), edtFontSize);
  f->addRow(QStringLiteral("Lines"), Memo1);
  f->addRow(QStringLiteral("HAlignment"), cbHAlignment);
  f->addRow(QStringLiteral("VAlignment"), cbVAlignment);
  f->addRow(QStringLiteral("WordWrap"), cbWordWrap);
  f->addRow(buttons);

  connect(sePenWidth, &QSpinBox::valueChanged, this, &TInspector::sePenWidthChanged);
  connect(cmbPenStyle, &QComboBox::activated, this, &TInspector::cmbPenStyleChange);
  connect(PPenColor, &QPushButton::clicked, this, &TInspector::PPenColorClick);
  connect(PBrushColor, &QPushButton::clicked, this, &TInspector::PBrushColorClick);
  connect(cmbBrushStyle, &QComboBox::activated, this, &TInspector::cmbBrushStyleChange);
  connect(edtAngle, &QLineEdit::returnPressed, this, &TInspector::edtAngleReturn);
  connect(edtArrowAngle, &QLineEdit::returnPressed, this, &TInspector::edtArrowAngleReturn);
  connect(edtArrowLength, &QLineEdit::returnPressed, this, &TInspector::edtArrowLengthReturn);
  connect(edtArrowOffset, &QLineEdit::returnPressed, this, &TInspector::edtArrowOffsetReturn);
  connect(cmbArrowStyle, &QComboBox::activated, this, &TInspector::cmbArrowStyleChange);
  connect(cmbTickStyle, &QComboBox::activated, this, &TInspector::cmbTickStyleChange);
  connect(cmbLinkLineDrawStyle, &QComboBox::activated, this, &TInspector::cmbLinkLineDrawStyleChange);
  connect(cmbArcMode, &QComboBox::activated, this, &TInspector::cmbArcModeChange);
  connect(cmbArcStyle, &QComboBox::activated, this, &TInspector::cmbArcStyleChange);
  connect(cbBorder, &QCheckBox::clicked, this, &TInspector::cbBorderClick);
  connect(btnSetBitmap, &QPushButton::clicked, this, &TInspector::btnSetBitmapClick);
  connect(edtFontSize, &QLineEdit::returnPressed, this, &TInspector::edtFontSizeReturn);
  connect(cbHAlignment, &QComboBox::activated, this, &TInspector::cbHAlignmentChange);
  connect(cbVAlignment, &QComboBox::activated, this, &TInspector::cbVAlignmentChange);
  connect(cbWordWrap, &QComboBox::activated, this, &TInspector::cbWordWrapChange);
  connect(btnUpdate, &QPushButton::clicked, this, &TInspector::btnUpdateClick);
  connect(btnClear, &QPushButton::clicked, this, &TInspector::btnClearClick);
}

bool TInspector::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == tsShapeParameter && Event->type() == QEvent::Resize) LayoutPanels();
  return QWidget::eventFilter(Watched, Event);
}

void TInspector::LayoutPanels() {
  // The panels keep their places and follow the page's width.
  for (QWidget* p : {PLine, PRuleLine, PLinkLine, PElliArc, PImage, PText})
    p->setGeometry(p->x(), p->y(), tsShapeParameter->width(), p->height());
}

void TInspector::ShowColor(QPushButton* Panel, TColor Color) {
  Panel->setProperty("Color", static_cast<int>(Color));
  Panel->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #808080;").arg(ToQColor(Color).name()));
}

// ---- Filling ----

void TInspector::ShowShape(TMyShape* T) {
  if (!T) {
    ShowDefaults();
    return;
  }
  FFilling = true;
  ShowColor(PPenColor, T->Pen()->Color());
  sePenWidth->setValue(T->Pen()->Width());
  cmbPenStyle->setCurrentIndex(static_cast<int>(T->Pen()->Style()));
  ShowColor(PBrushColor, T->Brush()->Color());
  cmbBrushStyle->setCurrentIndex(static_cast<int>(T->Brush()->Style()));
  edtAngle->setText(QString::number(static_cast<double>(T->Angle()), 'g', 9));
  for (QWidget* p : {PLine, PRuleLine, PLinkLine, PElliArc, PImage, PText}) p->hide();
  if (IsLineWithArrows(T)) {
    auto* line = static_cast<TMyLine*>(T);
    edtArrowAngle->setText(QString::number(line->ArrowAngle()));
    edtArrowLength->setText(QString::number(line->ArrowLength()));
    edtArrowOffset->setText(QString::number(line->ArrowOffset()));
    cmbArrowStyle->setCurrentIndex(static_cast<int>(line->ArrowStyle()));
    PLine->show();
    if (auto* rule = dynamic_cast<TMyRuleLine*>(T)) {
      cmbTickStyle->setCurrentIndex(static_cast<int>(rule->TickStyle()));
      PRuleLine->show();
    } else if (auto* link = dynamic_cast<TMyLinkLine*>(T)) {
      cmbLinkLineDrawStyle->setCurrentIndex(static_cast<int>(link->LinkLineDrawStyle()));
      PLinkLine->show();
    }
  }
  if (auto* arc = dynamic_cast<TMyElliArc*>(T)) {
    cmbArcMode->setCurrentIndex(static_cast<int>(arc->ArcMode()));
    cmbArcStyle->setCurrentIndex(static_cast<int>(arc->ArcStyle()));
    PElliArc->show();
  }
  if (auto* image = dynamic_cast<TMyImage*>(T)) {
    cbBorder->setChecked(image->Border());
    PImage->show();
  }
  if (auto* text = dynamic_cast<TMyText*>(T)) {
    edtFontSize->setText(QString::number(text->Font()->Size()));
    Memo1->setPlainText(text->Lines().join(QLatin1Char('\n')));
    cbHAlignment->setCurrentIndex(static_cast<int>(text->HAlignment()));
    cbVAlignment->setCurrentIndex(static_cast<int>(text->VAlignment()));
    cbWordWrap->setCurrentIndex(text->WordWrap() ? 0 : 1);
    PText->show();
  }
  FFilling = false;
}

void TInspector::ShowDefaults() {
  FFilling = true;
  for (QWidget* p : {PLine, PRuleLine, PLinkLine, PElliArc, PImage, PText}) p->hide();
  ShowColor(PPenColor, FCad->Pen()->Color());
  sePenWidth->setValue(FCad->Pen()->Width());
  cmbPenStyle->setCurrentIndex(static_cast<int>(FCad->Pen()->Style()));
  ShowColor(PBrushColor, FCad->Brush()->Color());
  cmbBrushStyle->setCurrentIndex(static_cast<int>(FCad->Brush()->Style()));
  FFilling = false;
}

// ---- Editing ----

template <typename T>
std::vector<T*> TInspector::Selected() const {
  return Picked<T>(FCad, [](T*) { return true; });
}

template <typename T>
void TInspector::Change(const std::vector<T*>& Shapes, const std::function<void(T*)>& Edit) {
  if (Shapes.empty()) return;
  FCad->PushtoUndoRedoShapeList(TArrMyShape(Shapes.begin(), Shapes.end()), QStringLiteral("ACT_CHANGE"));
  for (T* s : Shapes) Edit(s);
  FCad->SetModified(true);
  FCad->Repaint();
  if (OnChanged) OnChanged();
}

std::optional<int> TInspector::IntegerOf(QLineEdit* Edit, int Low, int High) {
  bool ok = false;
  const QString text = Edit->text().trimmed();
  const int v = text.toInt(&ok);
  if (!ok) {
    MessageDlg(QStringLiteral("\"%1\" is not a whole number; nothing was changed.").arg(Edit->text()), TMsgDlgType::mtError, mbOK);
    return std::nullopt;
  }
  if (v < Low || v > High) {
    MessageDlg(QStringLiteral("%1 is out of range: enter a whole number from %2 to %3.").arg(v).arg(Low).arg(High),
               TMsgDlgType::mtError, mbOK);
    return std::nullopt;
  }
  return v;
}

void TInspector::sePenWidthChanged(int Value) {
  if (FFilling) return;
  if (FCad->GetSelectedShapes().empty()) {
    FCad->Pen()->SetWidth(Value);
    return;
  }
  Change<TMyShape>(Picked<TMyShape>(FCad, [&](TMyShape* s) { return s->Pen()->Width() != Value; }), [Value](TMyShape* s) { s->Pen()->SetWidth(Value); });
}

void TInspector::cmbPenStyleChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto style = static_cast<TPenStyle>(Index);
  if (FCad->GetSelectedShapes().empty()) {
    FCad->Pen()->SetStyle(style);
    return;
  }
  Change<TMyShape>(Picked<TMyShape>(FCad, [&](TMyShape* s) { return s->Pen()->Style() != style; }), [style](TMyShape* s) { s->Pen()->SetStyle(style); });
}

void TInspector::PPenColorClick() {
  TMyShape* first = FCad->GetSelectedShape();
  const std::optional<TColor> chosen = OnChooseColor ? OnChooseColor(first ? first->Pen()->Color() : FCad->Pen()->Color()) : std::nullopt;
  if (!chosen) return;
  const TColor c = *chosen;
  ShowColor(PPenColor, c);
  if (!first) {
    FCad->Pen()->SetColor(c);
    return;
  }
  Change<TMyShape>(Picked<TMyShape>(FCad, [&](TMyShape* s) { return s->Pen()->Color() != c; }), [c](TMyShape* s) { s->Pen()->SetColor(c); });
}

void TInspector::PBrushColorClick() {
  TMyShape* first = FCad->GetSelectedShape();
  const std::optional<TColor> chosen =
      OnChooseColor ? OnChooseColor(first ? first->Brush()->Color() : FCad->Brush()->Color()) : std::nullopt;
  if (!chosen) return;
  const TColor c = *chosen;
  ShowColor(PBrushColor, c);
  if (!first) {
    FCad->Brush()->SetColor(c);
    return;
  }
  Change<TMyShape>(Picked<TMyShape>(FCad, [&](TMyShape* s) { return s->Brush()->Color() != c; }), [c](TMyShape* s) { s->Brush()->SetColor(c); });
}

void TInspector::cmbBrushStyleChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto style = static_cast<TBrushStyle>(Index);
  if (FCad->GetSelectedShapes().empty()) {
    FCad->Brush()->SetStyle(style);
    return;
  }
  Change<TMyShape>(Picked<TMyShape>(FCad, [&](TMyShape* s) { return s->Brush()->Style() != style; }), [style](TMyShape* s) { s->Brush()->SetStyle(style); });
}

void TInspector::edtAngleReturn() {
  if (FCad->GetSelectedShapes().empty()) return;
  bool ok = false;
  const double a = edtAngle->text().trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(a)) {
    MessageDlg(QStringLiteral("\"%1\" is not a number; enter the angle in radians. Nothing was changed.").arg(edtAngle->text()),
               TMsgDlgType::mtError, mbOK);
    return;
  }
  const auto angle = static_cast<float>(a);
  Change<TMyShape>(Picked<TMyShape>(FCad, [&](TMyShape* s) { return s->Angle() != angle; }), [angle](TMyShape* s) { s->SetAngle(angle); });
}

void TInspector::edtArrowAngleReturn() {
  if (Selected<TMyLine>().empty()) return;
  const std::optional<int> v = IntegerOf(edtArrowAngle, 0, 360);
  if (!v) return;
  Change<TMyLine>(Picked<TMyLine>(FCad, [&](TMyLine* s) { return s->ArrowAngle() != *v; }), [v](TMyLine* s) { s->SetArrowAngle(*v); });
}

void TInspector::edtArrowLengthReturn() {
  if (Selected<TMyLine>().empty()) return;
  const std::optional<int> v = IntegerOf(edtArrowLength, 0, 255);
  if (!v) return;
  Change<TMyLine>(Picked<TMyLine>(FCad, [&](TMyLine* s) { return s->ArrowLength() != *v; }), [v](TMyLine* s) { s->SetArrowLength(static_cast<uint8_t>(*v)); });
}

void TInspector::edtArrowOffsetReturn() {
  if (Selected<TMyLine>().empty()) return;
  const std::optional<int> v = IntegerOf(edtArrowOffset, 0, 255);
  if (!v) return;
  Change<TMyLine>(Picked<TMyLine>(FCad, [&](TMyLine* s) { return s->ArrowOffset() != *v; }), [v](TMyLine* s) { s->SetArrowOffset(static_cast<uint8_t>(*v)); });
}

void TInspector::cmbArrowStyleChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto v = static_cast<TArrowStyle>(Index);
  Change<TMyLine>(Picked<TMyLine>(FCad, [&](TMyLine* s) { return s->ArrowStyle() != v; }), [v](TMyLine* s) { s->SetArrowStyle(v); });
}

void TInspector::cmbTickStyleChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto v = static_cast<TTickStyle>(Index);
  Change<TMyRuleLine>(Picked<TMyRuleLine>(FCad, [&](TMyRuleLine* s) { return s->TickStyle() != v; }), [v](TMyRuleLine* s) { s->SetTickStyle(v); });
}

void TInspector::cmbLinkLineDrawStyleChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto v = static_cast<TLinkLineDrawStyle>(Index);
  Change<TMyLinkLine>(Picked<TMyLinkLine>(FCad, [&](TMyLinkLine* s) { return s->LinkLineDrawStyle() != v; }), [v](TMyLinkLine* s) { s->SetLinkLineDrawStyle(v); });
}

void TInspector::cmbArcModeChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto v = static_cast<TArcMode>(Index);
  Change<TMyElliArc>(Picked<TMyElliArc>(FCad, [&](TMyElliArc* s) { return s->ArcMode() != v; }), [v](TMyElliArc* s) { s->SetArcMode(v); });
}

void TInspector::cmbArcStyleChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto v = static_cast<TArcStyle>(Index);
  Change<TMyElliArc>(Picked<TMyElliArc>(FCad, [&](TMyElliArc* s) { return s->ArcStyle() != v; }), [v](TMyElliArc* s) { s->SetArcStyle(v); });
}

void TInspector::cbBorderClick(bool Checked) {
  if (FFilling) return;
  Change<TMyImage>(Picked<TMyImage>(FCad, [&](TMyImage* s) { return s->Border() != Checked; }), [Checked](TMyImage* s) { s->SetBorder(Checked); });
}

void TInspector::btnSetBitmapClick() {
  const std::vector<TMyImage*> images = Selected<TMyImage>();
  if (images.empty() || !OnChoosePicture) return;
  const std::unique_ptr<TBitmap> picture = OnChoosePicture();
  if (!picture) return;
  Change<TMyImage>(images, [this, &picture](TMyImage* s) { FCad->SetMyImage(s->ShapeId, picture.get()); });
}

void TInspector::edtFontSizeReturn() {
  if (Selected<TMyText>().empty()) return;
  const std::optional<int> v = IntegerOf(edtFontSize, 1, 1000);
  if (!v) return;
  Change<TMyText>(Picked<TMyText>(FCad, [&](TMyText* s) { return s->Font()->Size() != *v; }), [v](TMyText* s) { s->Font()->SetSize(*v); });
}

void TInspector::cbHAlignmentChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto v = static_cast<TAlignment>(Index);
  Change<TMyText>(Picked<TMyText>(FCad, [&](TMyText* s) { return s->HAlignment() != v; }), [v](TMyText* s) { s->SetHAlignment(v); });
}

void TInspector::cbVAlignmentChange(int Index) {
  if (FFilling || Index < 0) return;
  const auto v = static_cast<TVAlignment>(Index);
  Change<TMyText>(Picked<TMyText>(FCad, [&](TMyText* s) { return s->VAlignment() != v; }), [v](TMyText* s) { s->SetVAlignment(v); });
}

void TInspector::cbWordWrapChange(int Index) {
  if (FFilling || Index < 0) return;
  const bool v = Index == 0;
  Change<TMyText>(Picked<TMyText>(FCad, [&](TMyText* s) { return s->WordWrap() != v; }), [v](TMyText* s) { s->SetWordWrap(v); });
}

void TInspector::btnUpdateClick() {
  // An empty memo is no lines at all, not one empty line.
  const QString text = Memo1->toPlainText();
  const QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
  Change<TMyText>(Picked<TMyText>(FCad, [&](TMyText* s) { return s->Lines() != lines; }), [&lines](TMyText* s) { s->SetLines(lines); });
}

void TInspector::btnClearClick() {
  if (Selected<TMyText>().empty()) return;
  Memo1->clear();
  Change<TMyText>(Picked<TMyText>(FCad, [&](TMyText* s) { return !s->Lines().isEmpty(); }), [](TMyText* s) { s->SetLines({}); });
}

}  // namespace kestrafel
