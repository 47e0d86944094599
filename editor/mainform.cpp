#include "mainform.h"

#include "glyphs.h"
#include "pageactions.h"
#include "palette.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QMimeData>
#include <QSettings>
#include <QUrl>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QShowEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cmath>

namespace kestrafel {

using namespace cad;

namespace {

struct PaletteEntry {
  const char* Name;
  const char* Hint;
  TDrawTool Tool;
  const char* ShapeClass;  // null for buttons that create nothing
  bool InGroup = true;     // one of the exclusive tool buttons
  bool SetsTool = true;    // false: the button arms the zoom tool or shows the about box
};

// The palette in its order. A button for a shape kind the surface does not have yet is shown
// disabled.
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
    {"LineLinkLine", "LineLinkLine", TDrawTool::SpLineLinkLine, "TMyLineLinkLine"},
    {"sbtnZoomIn", "Zoomin", TDrawTool::SpClose, nullptr, true, false},
    {"sbtnZoomOut", "Zoomout", TDrawTool::SpClose, nullptr, true, false},
    {"sbtnAbout", "About", TDrawTool::SpClose, nullptr, false, false},
};

bool ShapeKindExists(const char* className) {
  if (!className) return true;
  std::unique_ptr<TMyShape> probe(TMyCAD::CreateShapeByName(QLatin1String(className), nullptr));
  return probe != nullptr;
}

const QString kNoName = QStringLiteral("NoName.VORN");
const QString kDrawingFilter = QStringLiteral("VORN drawing file (*.vorn)");
const QString kLibraryFilter = QStringLiteral("VORN library file(*.lib)");
const QString kPictureFilter =
    QStringLiteral("Picture file(*.bmp *.png *.jpg *.jpeg *.gif *.ico);;Bitmap file(*.bmp);;All file(*.*)");

// Why a drawing could not be written to FileName, as far as the file system tells.
// Why a save failed: what is wrong with the place first, else the surface's own reason.
QString SaveFailureReason(const QString& FileName, const QString& Reported) {
  const QFileInfo file(FileName);
  const QFileInfo folder(file.absolutePath());
  if (!folder.exists()) return QStringLiteral("the folder %1 does not exist").arg(folder.absoluteFilePath());
  if (!folder.isDir()) return QStringLiteral("%1 is not a folder").arg(folder.absoluteFilePath());
  if (!folder.isWritable()) return QStringLiteral("the folder %1 cannot be written to").arg(folder.absoluteFilePath());
  if (file.exists() && !file.isWritable()) return QStringLiteral("the file is write-protected");
  if (!Reported.isEmpty()) return Reported;
  return QStringLiteral("the file could not be written completely (is the disk full?)");
}

// The local files a drag carries.
QStringList DroppedFiles(const QMimeData* Data) {
  QStringList out;
  if (!Data || !Data->hasUrls()) return out;
  for (const QUrl& u : Data->urls())
    if (u.isLocalFile()) out << u.toLocalFile();
  return out;
}

// A picture file read whole (any raster kind, within the picture limits); null after saying
// why it cannot be read.
std::unique_ptr<TBitmap> ReadPicture(const QString& File) {
  auto picture = std::make_unique<TBitmap>();
  try {
    picture->LoadFromFile(File);
  } catch (const std::exception& e) {
    MessageDlg(QString::fromLocal8Bit(e.what()), TMsgDlgType::mtError, mbOK);
    return nullptr;
  }
  return picture;
}

bool IsPictureFile(const QString& File) {
  static const QStringList kinds = {QStringLiteral("bmp"), QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                    QStringLiteral("gif"), QStringLiteral("ico")};
  return kinds.contains(QFileInfo(File).suffix().toLower());
}

}  // namespace

// One action of the window: its name (also its object name and handler's name without
// "Execute"), category, caption, shortcuts and what it does; no handler leaves it disabled.
struct TMainForm::TActionDef {
  const char* Name;
  const char* Category;
  const char* Caption;
  QList<QKeySequence> Keys;
  std::function<void()> Execute;
};

TMainForm::TMainForm(QWidget* Parent) : QMainWindow(Parent) {
  setObjectName(QStringLiteral("MainForm"));
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
  // Editable only so that it can show zooms between its items ("240%"); typing is off.
  cmbZoom->setEditable(true);
  cmbZoom->lineEdit()->setReadOnly(true);
  panelLayout->addWidget(cmbZoom);
  lblLabelXY = new QLabel(Panel1);
  lblLabelXY->setObjectName(QStringLiteral("lblLabelXY"));
  lblLabelValue = new QLabel(Panel1);
  lblLabelValue->setObjectName(QStringLiteral("lblLabelValue"));
  lblLabelValue->setWordWrap(true);
  panelLayout->addWidget(lblLabelXY);
  panelLayout->addWidget(lblLabelValue);
  panelLayout->addStretch(1);
  row->addWidget(Panel1);

  Splitter1 = new QSplitter(Qt::Horizontal, central);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setOpaqueResize(true);
  ScrollBox1 = new QScrollArea(Splitter1);
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
  Splitter1->addWidget(ScrollBox1);
  BuildSidePanel();
  Splitter1->setStretchFactor(0, 1);
  Splitter1->setStretchFactor(1, 0);
  Splitter1->setSizes({780, 230});
  row->addWidget(Splitter1, 1);
  setCentralWidget(central);

  FileOpen = new QFileDialog(this);
  FileOpen->setObjectName(QStringLiteral("FileOpen"));
  FileSaveAs = new QFileDialog(this);
  FileSaveAs->setObjectName(QStringLiteral("FileSaveAs"));
  ImageFileOpen = new QFileDialog(this);
  ImageFileOpen->setObjectName(QStringLiteral("ImageFileOpen"));
  auto* colorDialog = new QColorDialog(this);
  colorDialog->setObjectName(QStringLiteral("ColorDialog1"));
  Inspector->OnChooseColor = [colorDialog](TColor Initial) -> std::optional<TColor> {
    colorDialog->setCurrentColor(ToQColor(Initial));
    if (colorDialog->exec() != QDialog::Accepted) return std::nullopt;
    const QColor c = colorDialog->selectedColor();
    return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
  };
  Inspector->OnChoosePicture = [this] { return ChoosePicture(); };
  Library->OnChooseSaveFile = [this](const QString& Suggested) {
    PrepareDialog(FileSaveAs, QStringLiteral("Save Library"), kLibraryFilter, QFileDialog::AcceptSave);
    FileSaveAs->setDefaultSuffix(QStringLiteral("lib"));
    FileSaveAs->selectFile(Suggested);
    return ChooseFile(FileSaveAs);
  };

  BuildActions();
  BuildMenu();
  BuildToolBar();

  lblStatusXY = new QLabel(this);
  lblStatusXY->setObjectName(QStringLiteral("lblStatusXY"));
  lblStatusXY->setMinimumWidth(160);
  lblStatusShape = new QLabel(this);
  lblStatusShape->setObjectName(QStringLiteral("lblStatusShape"));
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  statusBar()->addWidget(lblStatusXY);
  statusBar()->addWidget(lblStatusShape, 1);

  connect(cmbZoom, &QComboBox::activated, this, &TMainForm::cmbZoomChange);
  // A splitter move or a resize keeps the scroll position, so the drawing point at the view's
  // top-left stays where it is.
  MyCAD1->OnActionToolToSelecting = [this] { MyCAD1ActionToolToSelecting(); };
  MyCAD1->OnMouseDown = [this](TMyCAD*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button == TMouseButton::mbLeft) MyCAD1MouseDown(X, Y);
  };
  MyCAD1->OnMouseMove = [this](TMyCAD*, TShiftState, int X, int Y) { MyCAD1MouseMove(X, Y); };
  MyCAD1->OnMouseUp = [this](TMyCAD*, TMouseButton, TShiftState, int X, int Y) { MyCAD1MouseUp(X, Y); };
  MyCAD1->OnShapeAdded = [this](TMyShape*& Shape, int32_t) { MyCAD1ShapeAdded(Shape); };
  MyCAD1->OnShapeSelected = [this](TMyShape*, TMyShape* Selected) { MyCAD1ShapeSelected(Selected); };
  MyCAD1->OnShapeMouseRotated = [this](TMyShape* Shape, const TPoint&, const TPoint&) {
    if (!Shape) return;
    Inspector->edtAngle->setText(QString::number(static_cast<double>(Shape->Angle()), 'g', 9));
    lblStatusShape->setText(QStringLiteral("%1 turned to %2°").arg(Shape->Name()).arg(Shape->Angle() * 180 / M_PI, 0, 'f', 1));
  };
  MyCAD1->OnClick = [this](TMyCAD*) { MyCAD1Click(); };
  MyCAD1->OnDragOver = [this](TMyCAD*, QObject* Source, const QMimeData* Data, int, int, bool& Accept) {
    MyCAD1DragOver(Source, Data, Accept);
  };
  MyCAD1->OnDragDrop = [this](TMyCAD*, QObject* Source, const QMimeData* Data, int X, int Y) { MyCAD1DragDrop(Source, Data, X, Y); };
  Inspector->OnChanged = [this] { UpdateToolbar(); };
  Layers->OnChanged = [this] { UpdateToolbar(); };
  Library->OnDrawingChanged = [this] { UpdateToolbar(); };
  // The arrow keys move the selected shape while the surface or the box around it has the
  // focus; in the inspector's fields and the zoom box they stay the fields' own keys.
  MyCAD1->setFocusPolicy(Qt::StrongFocus);
  MyCAD1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(MyCAD1, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) {
    SurfaceMenu()->popup(MyCAD1->mapToGlobal(At));
  });
  for (QObject* o : {static_cast<QObject*>(MyCAD1), static_cast<QObject*>(ScrollBox1), static_cast<QObject*>(ScrollBox1->viewport())})
    o->installEventFilter(this);
  FormCreate();
  setAcceptDrops(true);
  RestoreWindowState();
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::Action(const QString& Name) const {
  const auto it = Actions.find(Name);
  return it == Actions.end() ? nullptr : it->second;
}

void TMainForm::BuildPalette(QLayout* Layout) {
  ToolGroup = new QButtonGroup(this);
  ToolGroup->setExclusive(true);
  auto* grid = new QGridLayout;
  grid->setSpacing(2);
  int i = 0;
  for (const PaletteEntry& e : kPalette) {
    auto* b = new QToolButton(Panel1);
    b->setObjectName(QLatin1String(e.Name));
    b->setToolTip(QLatin1String(e.Hint));
    b->setIcon(ToolGlyph(QLatin1String(e.Hint)));
    b->setIconSize(QSize(24, 24));
    b->setCheckable(e.InGroup);
    b->setAutoRaise(true);
    b->setFixedSize(34, 32);
    b->setEnabled(ShapeKindExists(e.ShapeClass));
    if (e.InGroup) ToolGroup->addButton(b);
    grid->addWidget(b, i / 2, i % 2);
    ++i;
    SpeedButtons[QLatin1String(e.Name)] = b;
    if (e.SetsTool) {
      const TDrawTool tool = e.Tool;
      connect(b, &QToolButton::clicked, this, [this, tool] { MyCAD1->SetShapeTool(tool); });
    } else if (QLatin1String(e.Name) == QLatin1String("sbtnAbout")) {
      connect(b, &QToolButton::clicked, this, [this] { Action(QStringLiteral("About"))->trigger(); });
    } else {
      // The zoom tool takes the mouse; the surface leaves it alone meanwhile.
      connect(b, &QToolButton::clicked, this, [this] { MyCAD1->SetShapeTool(TDrawTool::SpClose); });
    }
  }
  static_cast<QVBoxLayout*>(Layout)->addLayout(grid);
  SpeedButtons[QStringLiteral("sbtnSelecting")]->setChecked(true);
}

void TMainForm::BuildSidePanel() {
  Panel2 = new QWidget(Splitter1);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setMinimumWidth(230);
  auto* layout = new QVBoxLayout(Panel2);
  layout->setContentsMargins(0, 0, 0, 0);
  PageControl1 = new QTabWidget(Panel2);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  // Each page holds its panel: the layer tree, the library pages (under a row of the library
  // commands) and the inspector.
  const std::pair<QWidget**, const char*> pages[] = {
      {&tsLayer, "Layer"}, {&tsLibrary, "Library"}, {&tsInspector, "Inspector"}};
  for (const auto& [page, caption] : pages) {
    *page = new QWidget(PageControl1);
    (*page)->setObjectName(QStringLiteral("ts") + QLatin1String(caption));
    auto* l = new QVBoxLayout(*page);
    l->setContentsMargins(0, 0, 0, 0);
    PageControl1->addTab(*page, QLatin1String(caption));
  }
  Layers = new TLayerPanel(MyCAD1, tsLayer);
  tsLayer->layout()->addWidget(Layers);
  Library = new TLibraryPanel(MyCAD1, tsLibrary);
  FLibraryBar = new QToolBar(tsLibrary);
  FLibraryBar->setObjectName(QStringLiteral("LibraryBar"));
  FLibraryBar->setIconSize(QSize(16, 16));
  tsLibrary->layout()->addWidget(FLibraryBar);
  tsLibrary->layout()->addWidget(Library);
  Inspector = new TInspector(MyCAD1, tsInspector);
  tsInspector->layout()->addWidget(Inspector);
  PageControl1->setCurrentWidget(tsInspector);
  layout->addWidget(PageControl1);
  Splitter1->addWidget(Panel2);
}

QAction* TMainForm::MakeAction(const TActionDef& Def) {
  auto* a = new QAction(QLatin1String(Def.Caption), this);
  const QString name = QLatin1String(Def.Name);
  a->setObjectName(name);
  a->setProperty("Category", QLatin1String(Def.Category));
  a->setToolTip(QLatin1String(Def.Caption));
  a->setStatusTip(QLatin1String(Def.Caption));
  a->setShortcuts(Def.Keys);
  a->setIcon(ActionGlyph(name));
  if (Def.Execute) {
    const auto run = Def.Execute;
    connect(a, &QAction::triggered, this, [run] { run(); });
  } else {
    a->setEnabled(false);
  }
  addAction(a);  // shortcuts work wherever the focus is in the window
  Actions[name] = a;
  return a;
}

void TMainForm::BuildActions() {
  auto* list = new QObject(this);
  list->setObjectName(QStringLiteral("ActionList1"));
  TMyCAD* c = MyCAD1;
  auto withUpdate = [this](std::function<void()> F) {
    return [this, F] {
      F();
      UpdateToolbar();
    };
  };
  auto selected = [c] { return c->GetSelectedShape(); };
  const double pi = M_PI;
  const TActionDef defs[] = {
      {"New", "File", "New", {QKeySequence::New}, [this] { NewExecute(); }},
      {"Open", "File", "Open", {QKeySequence::Open}, [this] { OpenExecute(); }},
      {"OpenLib", "File", "Open Lib", {}, [this] { OpenLibExecute(); }},
      {"NewLib", "File", "New Library", {}, [this] {
         Library->NewLib();
         PageControl1->setCurrentWidget(tsLibrary);
         UpdateToolbar();
       }},
      {"AddSelectionToLib", "File", "Add Selection to Library", {}, [this] { AddSelectionToLibExecute(); }},
      {"SaveLib", "File", "Save Library", {}, [this] {
         Library->SaveLib(Library->PageControl2->currentIndex());
         UpdateToolbar();
       }},
      {"Save", "File", "Save", {QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { SaveExecute(); }},
      {"SaveAs", "File", "Save As", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, [this] { SaveAsExecute(); }},
      {"Bitmap", "File", "Bitmap File", {}, [this] { ExportExecute(this, QStringLiteral("Bitmap")); }},
      // There is no metafile writer: the entry stays disabled.
      {"WMF", "File", "WMF File", {}, nullptr},
      {"JPEG", "File", "JPEG File", {}, [this] { ExportExecute(this, QStringLiteral("JPEG")); }},
      {"DXF", "File", "DXF File", {}, [this] { ExportExecute(this, QStringLiteral("DXF")); }},
      {"SVG", "File", "SVG File", {}, [this] { ExportExecute(this, QStringLiteral("SVG")); }},
      {"PDF", "File", "PDF File", {}, [this] { ExportExecute(this, QStringLiteral("PDF")); }},
      {"ImportVORNFile", "File", "Import VORN File", {}, [this] { ImportVORNFileExecute(); }},
      {"ImportAutoCADFile", "File", "Import AutoCAD File", {}, [this] { ImportAutoCADFileExecute(this); }},
      {"PageSetup", "File", "Page Setup", {}, [this] { PageSetupExecute(this); }},
      {"PrintSetup", "File", "Print Setup", {}, [this] { PrintSetupExecute(this); }},
      {"Print", "File", "Print", {}, [this] { PrintExecute(this); }},
      {"AExit", "File", "Exit", {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [this] { AExitExecute(); }},
      {"ACopy", "Edit", "Copy", {QKeySequence(Qt::CTRL | Qt::Key_C)}, withUpdate([c] {
         c->Copy();
         CopySelectionToClipboard(c);
       })},
      {"Cut", "Edit", "Cut", {QKeySequence(Qt::CTRL | Qt::Key_X)}, withUpdate([c] { c->Cut(); })},
      {"Paste", "Edit", "Paste", {QKeySequence(Qt::CTRL | Qt::Key_V)}, withUpdate([c] { c->PasteforBlock(); })},
      {"Undo", "Edit", "Undo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, [this] { UndoExecute(); }},
      {"Redo", "Edit", "Redo", {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, [this] { RedoExecute(); }},
      {"Delete", "Edit", "Delete", {QKeySequence(Qt::Key_Delete)}, withUpdate([c] { c->DeleteSelectedShapes(); })},
      {"GroupShape", "Edit", "Group Shape", {QKeySequence(Qt::CTRL | Qt::Key_G)}, withUpdate([c] { c->GroupWorkingShape(); })},
      {"UngroupShape", "Edit", "Ungroup Shape", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G)}, [this] { UngroupShapeExecute(); }},
      {"SendToBack", "Edit", "Send To Back", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketLeft), QKeySequence(Qt::CTRL | Qt::Key_BraceLeft)}, withUpdate([c, selected] { c->SendToBack(selected(), true); })},
      {"BringToFront", "Edit", "Bring To Front", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketRight), QKeySequence(Qt::CTRL | Qt::Key_BraceRight)}, withUpdate([c, selected] { c->BringToFront(selected(), true); })},
      {"SendToBackByStep", "Edit", "Send To Back By Step", {QKeySequence(Qt::CTRL | Qt::Key_BracketLeft)}, withUpdate([c, selected] { c->SendToBackByStep(selected(), true); })},
      {"BringToFrontByStep", "Edit", "Bring To Front By Step", {QKeySequence(Qt::CTRL | Qt::Key_BracketRight)}, withUpdate([c, selected] { c->BringToFrontByStep(selected(), true); })},
      {"Lock", "Edit", "Lock", {}, [this] { LockShapes(true); }},
      {"Unlock", "Edit", "Unlock", {}, [this] { LockShapes(false); }},
      {"FlipVertical", "Edit", "Flip Vertical", {}, [this] { FlipShapes(false); }},
      {"FlipHorizontal", "Edit", "Flip Horizontal", {}, [this] { FlipShapes(true); }},
      {"AlignLeft", "Align", "Align Left", {}, withUpdate([c] { c->AlignLeft(); })},
      {"AlignRight", "Align", "Align Right", {}, withUpdate([c] { c->AlignRight(); })},
      {"AlignTop", "Align", "Align Top", {}, withUpdate([c] { c->AlignTop(); })},
      {"AlignBottom", "Align", "Align Bottom", {}, withUpdate([c] { c->AlignBottom(); })},
      {"AlignHorizontalCenter", "Align", "Align Horizontal Center", {}, withUpdate([c] { c->AlignHorizontalCenter(); })},
      {"AlignVerticalCenter", "Align", "Align Vertical Center", {}, withUpdate([c] { c->AlignVerticalCenter(); })},
      {"Selecting", "CodeDrawing", "Selecting", {}, [this] {
         MyCAD1->SetShapeTool(TDrawTool::SpSelecting);
         SpeedButtons[QStringLiteral("sbtnSelecting")]->setChecked(true);
       }},
      {"Line", "CodeDrawing", "Line", {}, [this] {
         CodeDrawing("LineShape", TDrawTool::SpLine, {{13, 4}, {40, 50}}, 0,
                     QStringLiteral("MyCAD1.AddShapeByCode(MyCAD1,spLine, 'LineShape', [MyPoint(13, 4), MyPoint(40, 50)]);"));
       }},
      {"RuleLine", "CodeDrawing", "RuleLine", {}, [this] {
         CodeDrawing("RuleLineShape", TDrawTool::SpRuleLine, {{131, 41}, {140, 150}}, 0,
                     QStringLiteral("MyCAD1.AddShapeByCode(MyCAD1,spRuleLine, 'RuleLineShape', [MyPoint(131, 41), MyPoint(140,150)]);"));
       }},
      {"Arc", "CodeDrawing", "Arc", {}, [this] {
         CodeDrawing("ArcShape", TDrawTool::SpElliArc, {{330, 211}, {380, 211}, {380, 270}}, 0,
                     QStringLiteral("AShapeId:=MyCAD1.AddShapeByCode(MyCAD1,spElliArc, 'ArcShape', [MyPoint(330, 211),  MyPoint(380, 211), MyPoint(380, 270)], 0);"));
       }},
      {"PolyLine", "CodeDrawing", "PolyLine", {}, [this] {
         CodeDrawing("PolyLineShape", TDrawTool::SpPolyLine, {{90, 11}, {80, 70}, {110, 120}, {10, 120}}, 0,
                     QStringLiteral("MyCAD1.AddShapeByCode(MyCAD1,spPolyLine, 'PolyLineShape', [MyPoint(90, 11), MyPoint(80,70), MyPoint(110, 120), MyPoint(10, 120)]);"));
       }},
      {"Polygon", "CodeDrawing", "Polygon", {}, [this] {
         const TArrMyPoint p = {{390, 11}, {380, 70}, {210, 10}, {110, 190}};
         CodeDrawing("PolygonShapeArray", TDrawTool::SpPolygon, p, 0,
                     QStringLiteral("MyCAD1.AddShapeByCode(MyCAD1,spPolygon, 'PolygonShapeArray', p);{ p is a array}"));
       }},
      {"PolyBezier", "CodeDrawing", "PolyBezier", {}, [this] {
         CodeDrawing("PolyBezierShape", TDrawTool::SpPolyBezier, {{430, 40}, {470, 0}, {540, 90}, {580, 40}}, 0,
                     QStringLiteral("MyCAD1.AddShapeByCode(MyCAD1,spPolyBezier, 'PolyBezierShape', [MyPoint(430, 40), MyPoint(470, 0), MyPoint(540, 90), MyPoint(580, 40)]);"));
       }},
      {"Rectangle", "CodeDrawing", "Rectangle", {}, [this, pi] {
         CodeDrawing("RectangleShape", TDrawTool::SpRectangle, {{290, 211}, {380, 211}, {380, 270}, {290, 270}}, 30 * pi / 180,
                     QStringLiteral("MyCAD1.AddShapeByCode(MyCAD1,spRectangle, 'RectangleShape', [MyPoint(290, 211),MyPoint(380, 211), MyPoint(380, 270), MyPoint(290, 270)], 30 * pi / 180);"));
       }},
      {"Ellipse", "CodeDrawing", "Ellipse", {}, [this] {
         CodeDrawing("EllipseShape", TDrawTool::SpEllipse, {{380, 261}, {430, 261}, {430, 320}, {380, 320}}, 0,
                     QStringLiteral("MyCAD1.AddShapeByCode(MyCAD1,spEllipse,'EllipseShape',[MyPoint(380, 261), MyPoint(430,261) ,MyPoint(430, 320),MyPoint(380,320)]);"));
       }},
      {"Text", "CodeDrawing", "Text", {}, [this] {
         CodeDrawing("TextShape", TDrawTool::SpText, {{30, 300}, {190, 300}, {190, 340}, {30, 340}}, 0,
                     QStringLiteral("MyCAD1.AddShapeByCode(MyCAD1,spText, 'TextShape', [MyPoint(30, 300), MyPoint(190, 300), MyPoint(190, 340), MyPoint(30, 340)], 0, 'Kestrafel');"),
                     QStringLiteral("Kestrafel"));
       }},
      {"SelectShape", "CodeSelecting", "Select Shape", {}, withUpdate([c] { c->SelectShapeByCode(1, true); })},
      {"SelectMoreShapes", "CodeSelecting", "Select More Shapes", {}, withUpdate([c] { c->SelectShapeByCode(2, false); })},
      {"DeSelectShape", "CodeSelecting", "DeSelectShape", {}, withUpdate([c] { c->DeSelectedAllShapesByCode(); })},
      {"SelectAllShapes", "CodeSelecting", "Select All Shapes", {QKeySequence(Qt::CTRL | Qt::Key_A)}, withUpdate([c] {
         c->SelectAllShapes();
         c->RepaintChanged();
       })},
      {"ToggleGrid", "Option", "Toggle Grid", {}, [c] {
         c->GridOperation()->SetGridShow(!c->GridOperation()->GridShow());
         c->Repaint();
       }},
      {"LineGrid", "Option", "Line Grid", {}, [c] {
         c->GridOperation()->SetGridType(TGridType::gLine);
         c->Repaint();
       }},
      {"PixelGrid", "Option", "Pixel Grid", {}, [c] {
         c->GridOperation()->SetGridType(TGridType::gPixel);
         c->Repaint();
       }},
      {"SnapToGrid", "Option", "Snap To Grid", {}, [c] { c->SetSnap(!c->Snap()); }},
      {"SnapToShape", "Option", "Snap To Shape", {}, [c] { c->SetSnapShape(!c->SnapShape()); }},
      {"Zoomin", "Zoom", "Zoomin", {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)}, [this] { ZoominExecute(); }},
      {"Zoomout", "Zoom", "Zoomout", {QKeySequence::ZoomOut}, [this] { ZoomoutExecute(); }},
      {"Nicefit", "Zoom", "Nicefit", {}, [this] { NicefitExecute(); }},
      {"Inspector", "Window", "Inspector", {}, [this] { PageControl1->setCurrentWidget(tsInspector); }},
      {"LayerManager", "Window", "Layer Manager", {}, [this] { PageControl1->setCurrentWidget(tsLayer); }},
      {"LibraryManager", "Window", "Library", {}, [this] { PageControl1->setCurrentWidget(tsLibrary); }},
      {"About", "Help", "About", {}, [this] { AboutExecute(this); }},
      {"ShowVORNVersion", "Help", "Show VORN Version", {}, [this] { ShowVORNVersionExecute(); }},
  };
  for (const TActionDef& d : defs) MakeAction(d)->setParent(list);
  for (const char* name : {"NewLib", "OpenLib", "AddSelectionToLib", "SaveLib"}) FLibraryBar->addAction(Action(QLatin1String(name)));
  // The grid and snap switches show their state.
  for (const char* name : {"ToggleGrid", "SnapToGrid", "SnapToShape"}) Action(QLatin1String(name))->setCheckable(true);
  Action(QStringLiteral("ToggleGrid"))->setChecked(c->GridOperation()->GridShow());
  Action(QStringLiteral("SnapToGrid"))->setChecked(c->Snap());
  Action(QStringLiteral("SnapToShape"))->setChecked(c->SnapShape());
}

void TMainForm::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  // A menu from action names; "-" is a separator, "Export" the export submenu.
  auto menu = [this, bar](const char* Title, const char* Name, std::initializer_list<const char*> Items) {
    QMenu* m = bar->addMenu(QLatin1String(Title));
    m->setObjectName(QLatin1String(Name));
    for (const char* item : Items) {
      if (QLatin1String(item) == QLatin1String("-")) {
        m->addSeparator();
      } else if (QLatin1String(item) == QLatin1String("Recent")) {
        FRecentMenu = m->addMenu(QStringLiteral("Recent Files"));
        FRecentMenu->setObjectName(QStringLiteral("miRecent"));
      } else if (QLatin1String(item) == QLatin1String("Export")) {
        QMenu* sub = m->addMenu(QStringLiteral("Export"));
        sub->setObjectName(QStringLiteral("miExport"));
        for (const char* e : {"Bitmap", "WMF", "JPEG", "DXF", "SVG", "PDF"}) sub->addAction(Action(QLatin1String(e)));
      } else {
        m->addAction(Action(QLatin1String(item)));
      }
    }
  };
  menu("&File", "miFile", {"New", "Open", "Recent", "OpenLib", "Save", "SaveAs", "-", "NewLib", "AddSelectionToLib", "SaveLib", "-", "Export", "ImportVORNFile", "ImportAutoCADFile", "-", "PageSetup", "PrintSetup", "-", "Print", "-", "AExit"});
  menu("&Edit", "miEdit", {"ACopy", "Cut", "Paste", "Undo", "Redo", "Delete", "-", "GroupShape", "UngroupShape", "-", "SendToBack", "BringToFront", "-", "Lock", "Unlock", "-", "FlipVertical", "FlipHorizontal"});
  menu("&Align", "miAlign", {"AlignLeft", "AlignRight", "AlignTop", "AlignBottom", "AlignHorizontalCenter", "AlignVerticalCenter"});
  menu("&Code Drawing", "miCodeDrawing", {"Selecting", "Line", "RuleLine", "Arc", "PolyLine", "Polygon", "PolyBezier", "Rectangle", "Ellipse", "Text"});
  menu("C&ode Selecting", "miCodeSelecting", {"SelectShape", "SelectMoreShapes", "DeSelectShape", "SelectAllShapes"});
  menu("O&ption", "miOption", {"ToggleGrid", "LineGrid", "PixelGrid", "-", "SnapToGrid", "SnapToShape"});
  menu("&Zoom", "miZoom", {"Zoomin", "Zoomout", "Nicefit"});
  menu("&Window", "miWindow", {"Inspector", "LayerManager", "LibraryManager"});
  menu("&Help", "miHelp", {"About", "ShowVORNVersion"});
}

void TMainForm::BuildToolBar() {
  ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setMovable(false);
  // Button name and its action; null for a separator.
  const std::pair<const char*, const char*> buttons[] = {
      {"tbtnNew", "New"}, {"tbtnOpen", "Open"}, {"tbtnOpenLib", "OpenLib"}, {"tbtnSave", "Save"},
      {"tbtnPageSetup", "PageSetup"}, {"tbtnPrintSetup", "PrintSetup"}, {"tbtnPreview", "Print"}, {nullptr, nullptr},
      {"tbtnCopy", "ACopy"}, {"tbtnCut", "Cut"}, {"tbtnPaste", "Paste"}, {"tbtnUndo", "Undo"}, {"tbtnRedo", "Redo"},
      {"tbtnDelete", "Delete"}, {"tbtnLock", "Lock"}, {"tbtnUnlock", "Unlock"}, {nullptr, nullptr},
      {"tbtnGroup", "GroupShape"}, {"tbtnUngroup", "UngroupShape"}, {"tbtnSendToBack", "SendToBack"},
      {"tbtnBringToFront", "BringToFront"}, {"tbtnSendToBackByStep", "SendToBackByStep"},
      {"tbtnBringToFrontByStep", "BringToFrontByStep"}, {nullptr, nullptr},
      {"tbtnAlignTop", "AlignTop"}, {"tbtnAlignBottom", "AlignBottom"}, {"tbtnAlignLeft", "AlignLeft"},
      {"tbtnAlignRight", "AlignRight"}, {"tbtnAlignVerticalCenter", "AlignVerticalCenter"},
      {"tbtnAlignHorizontalCenter", "AlignHorizontalCenter"}, {nullptr, nullptr},
      {"tbtnFlipVertical", "FlipVertical"}, {"tbtnFlipHorizontal", "FlipHorizontal"}, {nullptr, nullptr},
      {"tbtnZoomin", "Zoomin"}, {"tbtnZoomout", "Zoomout"}, {nullptr, nullptr},
      {"tbtnToggleGrid", "ToggleGrid"}, {"tbtnLineGrid", "LineGrid"}, {"tbtnPixelGrid", "PixelGrid"},
      {"tbtnSnapToGrid", "SnapToGrid"}, {"tbtnSnapToShape", "SnapToShape"},
  };
  for (const auto& [button, action] : buttons) {
    if (!button) {
      ToolBar1->addSeparator();
      continue;
    }
    ToolBar1->addAction(Action(QLatin1String(action)));
    auto* b = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(Action(QLatin1String(action))));
    if (!b) continue;
    b->setObjectName(QLatin1String(button));
    ToolButtons[QLatin1String(button)] = b;
  }
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
  FCurrentFileName = kNoName;
  FLastFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  MyCAD1->Brush()->SetStyle(TBrushStyle::bsClear);
  UpdateToolbar();
}

void TMainForm::FormShow() {
  cmbZoom->setCurrentIndex(2);
  MyCAD1->SetFSnapPixels(8);
  CentreMyCAD();
  Layers->Refresh();
  Inspector->ShowDefaults();
  UpdateToolbar();
}

void TMainForm::showEvent(QShowEvent* Event) {
  QMainWindow::showEvent(Event);
  if (!FShown) {
    FShown = true;
    FormShow();
  }
}

void TMainForm::resizeEvent(QResizeEvent* Event) { QMainWindow::resizeEvent(Event); }

void TMainForm::closeEvent(QCloseEvent* Event) {
  if ((MyCAD1->Modified() && !SavePrompt()) || !Library->CanClose()) {
    Event->ignore();
    return;
  }
  KeepWindowState();
  Event->accept();
}

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event) {
  // Only the surface, its box and the box's viewport are watched (see the constructor).
  if (Event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(Event);
    if (FormKeyDown(key->key(), key->modifiers())) return true;
  } else if (Event->type() == QEvent::MouseButtonPress) {
    FNudgeStep = -1;
  } else if (Event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(Event);
    const int steps = wheel->angleDelta().y();
    if (wheel->modifiers() & Qt::ControlModifier) {
      // Ctrl+wheel zooms about the pointer, a step of 1.25 per notch.
      if (steps == 0) return true;
      const double k = std::pow(1.25, steps / 120.0);
      const double z = std::clamp(MyCAD1->Zoom() * k, 0.01, 64.0);
      ZoomAbout(z, ScrollBox1->viewport()->mapFromGlobal(wheel->globalPosition().toPoint()));
      return true;
    }
    if (wheel->modifiers() & Qt::ShiftModifier) {
      // Shift+wheel scrolls sideways.
      QScrollBar* h = ScrollBox1->horizontalScrollBar();
      h->setValue(h->value() - steps * h->singleStep() * 3 / 120);
      return true;
    }
  }
  return QMainWindow::eventFilter(Watched, Event);
}

void TMainForm::changeEvent(QEvent* Event) {
  // Coming back to the window: the commands follow whatever changed meanwhile (the clipboard,
  // a selection made by code).
  if (Event->type() == QEvent::ActivationChange && isActiveWindow()) UpdateToolbar();
  QMainWindow::changeEvent(Event);
}

void TMainForm::keyPressEvent(QKeyEvent* Event) {
  // Keys no control took: the window itself has the focus.
  if (FormKeyDown(Event->key(), Event->modifiers())) return;
  QMainWindow::keyPressEvent(Event);
}

bool TMainForm::FormKeyDown(int Key, Qt::KeyboardModifiers Modifiers) {
  int dx = 0, dy = 0;
  switch (Key) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Down: dy = 1; break;
    case Qt::Key_Escape: {
      // Esc drops a shape being drawn (or the zoom tool's band) and goes back to selecting.
      FNudgeStep = -1;
      const TDrawTool tool = MyCAD1->ShapeTool();
      if (tool == TDrawTool::SpSelecting || tool == TDrawTool::SpRotateSelecting) {
        if (MyCAD1->GetSelectedShapesCount() == 0) return false;
        MyCAD1->DeSelectedAllShapesByCode();
      } else {
        FRubberBand = false;
        MyCAD1->SetShapeTool(TDrawTool::SpSelecting);
        SpeedButtons[QStringLiteral("sbtnSelecting")]->setChecked(true);
        MyCAD1->Repaint();
      }
      UpdateToolbar();
      return true;
    }
    default:
      // Any other key ends a run of nudges.
      if (Key != Qt::Key_Shift) FNudgeStep = -1;
      return false;
  }
  const TArrMyShape shapes = MyCAD1->GetSelectedShapes();
  if (shapes.empty()) return false;
  // The whole selection moves, a pixel at a time or ten with Shift. A run of nudges is one undo
  // step: it is recorded before the first and goes on while nothing else was recorded since.
  const std::vector<TSavedShape>& undo = MyCAD1->UndoList();
  if (FNudgeStep < 0 || undo.empty() || undo.back().Step != FNudgeStep) {
    MyCAD1->PushtoUndoRedoShapeList(shapes, QStringLiteral("ACT_CHANGE"));
    FNudgeStep = MyCAD1->UndoList().empty() ? -1 : MyCAD1->UndoList().back().Step;
  }
  const int step = (Modifiers & Qt::ShiftModifier) ? 10 : 1;
  for (TMyShape* s : shapes)
    if (!s->Locked()) MyCAD1->Move(s, static_cast<float>(dx * step), static_cast<float>(dy * step));
  MyCAD1->SetModified(true);
  UpdateToolbar();
  return true;
}

QMenu* TMainForm::SurfaceMenu() {
  UpdateToolbar();
  if (!FSurfaceMenu) {
    FSurfaceMenu = new QMenu(this);
    FSurfaceMenu->setObjectName(QStringLiteral("SurfaceMenu"));
  }
  FSurfaceMenu->clear();
  // Each entry is the window's own action, so it is enabled exactly as the toolbar's.
  const bool selection = MyCAD1->GetSelectedShapesCount() > 0;
  const std::initializer_list<const char*> forSelection = {
      "Cut", "ACopy", "Paste", "Delete", "-", "GroupShape", "UngroupShape", "-", "BringToFront", "BringToFrontByStep",
      "SendToBackByStep", "SendToBack", "-", "Lock", "Unlock", "-", "FlipHorizontal", "FlipVertical"};
  const std::initializer_list<const char*> forSpace = {"Paste", "SelectAllShapes"};
  for (const char* name : selection ? forSelection : forSpace) {
    if (QLatin1String(name) == QLatin1String("-")) FSurfaceMenu->addSeparator();
    else FSurfaceMenu->addAction(Action(QLatin1String(name)));
  }
  return FSurfaceMenu;
}

void TMainForm::CentreMyCAD() {
  // A surface smaller than the box sits in its middle (the box's alignment); a larger one is
  // scrolled so that its middle shows.
  for (QScrollBar* bar : {ScrollBox1->horizontalScrollBar(), ScrollBox1->verticalScrollBar()})
    bar->setValue((bar->minimum() + bar->maximum()) / 2);
}

void TMainForm::ShowZoom() {
  cmbZoom->setEditText(QString::number(static_cast<long long>(std::trunc(MyCAD1->Zoom() * 100))) + QLatin1Char('%'));
}

void TMainForm::ZoomAbout(double NewZoom, QPoint Anchor) {
  // The drawing point under Anchor (in the box's viewport) stays under it.
  QWidget* view = ScrollBox1->viewport();
  const double z = MyCAD1->Zoom();
  const QPointF at = QPointF(MyCAD1->mapFrom(view, Anchor)) / z;
  MyCAD1->SetZoom(NewZoom);
  const double k = MyCAD1->Zoom();
  ScrollBox1->horizontalScrollBar()->setValue(static_cast<int>(std::lround(at.x() * k - Anchor.x())));
  ScrollBox1->verticalScrollBar()->setValue(static_cast<int>(std::lround(at.y() * k - Anchor.y())));
  ShowZoom();
}

QPoint TMainForm::ViewCentre() const { return ScrollBox1->viewport()->rect().center(); }

void TMainForm::cmbZoomChange(int Index) {
  if (Index < 0 || Index >= static_cast<int>(std::size(kZoomSteps))) return;
  ZoomAbout(kZoomSteps[Index], ViewCentre());
}

// ---- Toolbar, title and status ----

void TMainForm::UpdateToolbar() {
  const int n = MyCAD1->GetSelectedShapesCount();
  auto enable = [this](const char* Name, bool On) {
    if (QAction* a = Action(QLatin1String(Name))) a->setEnabled(On);
  };
  for (const char* name : {"Delete", "BringToFront", "SendToBack", "BringToFrontByStep", "SendToBackByStep", "ACopy", "Cut",
                           "FlipVertical", "FlipHorizontal"})
    enable(name, n > 0);
  for (const char* name : {"GroupShape", "AlignTop", "AlignBottom", "AlignLeft", "AlignRight", "AlignHorizontalCenter", "AlignVerticalCenter"})
    enable(name, n > 1);
  enable("UngroupShape", n == 1);
  enable("Paste", MyCAD1->GetMemShapesCount() > 0);
  const TMyShape* one = MyCAD1->GetSelectedShape();
  enable("Lock", n > 1 || (n == 1 && one && !one->Locked()));
  enable("Unlock", n > 1 || (n == 1 && one && one->Locked()));
  enable("AddSelectionToLib", n > 0);
  enable("SaveLib", Library->LibCount() > 0);
  enable("Undo", MyCAD1->CanUndo());
  enable("Redo", MyCAD1->CanRedo());
  Action(QStringLiteral("ToggleGrid"))->setChecked(MyCAD1->GridOperation()->GridShow());
  Action(QStringLiteral("SnapToGrid"))->setChecked(MyCAD1->Snap());
  Action(QStringLiteral("SnapToShape"))->setChecked(MyCAD1->SnapShape());
  setWindowTitle(QStringLiteral("%1%2 - Kestrafel 1.0").arg(QFileInfo(FCurrentFileName).fileName(), MyCAD1->Modified() ? QStringLiteral(" *") : QString()));
  UpdateStatus();
}

void TMainForm::UpdateStatus() {
  const TArrMyShape& sel = MyCAD1->GetSelectedShapes();
  if (sel.empty()) {
    lblStatusShape->setText(QStringLiteral("%1 shapes").arg(MyCAD1->GetShapesCount()));
  } else if (sel.size() == 1) {
    TMyShape* s = sel.front();
    const TMyRect r = GetPointsLTRB(std::as_const(s->Points));
    lblStatusShape->setText(QStringLiteral("%1 (%2), id %3: %4, %5 to %6, %7%8")
                                .arg(s->Name(), s->ClassName())
                                .arg(s->ShapeId)
                                .arg(r.Left, 0, 'f', 1)
                                .arg(r.Top, 0, 'f', 1)
                                .arg(r.Right, 0, 'f', 1)
                                .arg(r.Bottom, 0, 'f', 1)
                                .arg(s->Locked() ? QStringLiteral(", locked") : QString()));
  } else {
    lblStatusShape->setText(QStringLiteral("%1 shapes selected").arg(sel.size()));
  }
}

// ---- Surface events ----

void TMainForm::MyCAD1MouseDown(int X, int Y) {
  if (!SpeedButtons[QStringLiteral("sbtnZoomIn")]->isChecked() && !SpeedButtons[QStringLiteral("sbtnZoomOut")]->isChecked()) return;
  TCanvas* c = MyCAD1->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Pen()->SetMode(TPenMode::pmXor);
  c->Pen()->SetStyle(TPenStyle::psDot);
  c->Pen()->SetColor(clBlack);
  FZoomStart = FZoomLast = QPoint(X, Y);
  FRubberBand = true;
  MyCAD1->SetShapeTool(TDrawTool::SpClose);
}

void TMainForm::MyCAD1MouseMove(int X, int Y) {
  // The pointer in the drawing's unit, as the rulers of the page measure it.
  const TUnits unit = MyCAD1->TheUNIT();
  const long double k = MyCAD1->Ratio() / MyCAD1->Zoom();
  const QString suffix = QString::fromLatin1(UnitSuffix(unit));
  lblStatusXY->setText(QStringLiteral("X %1%3, Y %2%3")
                           .arg(static_cast<double>(LengthInUnit(X, unit, k)), 0, 'f', 2)
                           .arg(static_cast<double>(LengthInUnit(Y, unit, k)), 0, 'f', 2)
                           .arg(suffix));
  if (!FRubberBand) return;
  TCanvas* c = MyCAD1->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Pen()->SetMode(TPenMode::pmXor);
  c->Pen()->SetStyle(TPenStyle::psDot);
  c->Rectangle(FZoomStart.x(), FZoomStart.y(), FZoomLast.x(), FZoomLast.y());
  c->Pen()->SetColor(clRed);
  FZoomLast = QPoint(X, Y);
  c->Rectangle(FZoomStart.x(), FZoomStart.y(), X, Y);
}

void TMainForm::MyCAD1MouseUp(int X, int Y) {
  if (FRubberBand) {
    FRubberBand = false;
    const bool in = SpeedButtons[QStringLiteral("sbtnZoomIn")]->isChecked();
    const double k = in ? 1.2 : 0.8;
    const QPoint centre(FZoomStart.x() + (X - FZoomStart.x()) / 2, FZoomStart.y() + (Y - FZoomStart.y()) / 2);
    MyCAD1->SetZoom(MyCAD1->Zoom() * k);
    // The band's centre goes to the middle of the box where the surface is larger than it.
    QScrollBar* h = ScrollBox1->horizontalScrollBar();
    QScrollBar* v = ScrollBox1->verticalScrollBar();
    ScrollBox1->widget()->adjustSize();
    CentreMyCAD();
    if (MyCAD1->width() > ScrollBox1->viewport()->width())
      h->setValue(static_cast<int>(std::trunc(centre.x() * k - ScrollBox1->viewport()->width() / 2.0)));
    if (MyCAD1->height() > ScrollBox1->viewport()->height())
      v->setValue(static_cast<int>(std::trunc(centre.y() * k - ScrollBox1->viewport()->height() / 2.0)));
    cmbZoom->setEditText(QString::number(static_cast<long long>(std::trunc(MyCAD1->Zoom() * 100))) + QLatin1Char('%'));
  }
  UpdateToolbar();
}

void TMainForm::MyCAD1ActionToolToSelecting() {
  if (QToolButton* b = SpeedButtons[QStringLiteral("sbtnSelecting")]) b->setChecked(true);
}

std::unique_ptr<TBitmap> TMainForm::ChoosePicture() {
  PrepareDialog(ImageFileOpen, QStringLiteral("Open"), kPictureFilter, QFileDialog::AcceptOpen);
  const QString name = ChooseFile(ImageFileOpen);
  return name.isEmpty() ? nullptr : ReadPicture(name);
}

void TMainForm::MyCAD1ShapeAdded(TMyShape* Shape) {
  if (Shape && Shape->ClassName() == QLatin1String("TMyImage")) {
    if (const std::unique_ptr<TBitmap> picture = ChoosePicture()) {
      MyCAD1->SetMyImage(Shape->ShapeId, picture.get());
    } else if (MyCAD1->ShapeTool() == TDrawTool::SpImage) {
      // No picture for a box drawn with the image tool: the box goes again, and the gesture
      // leaves no step behind. The surface still holds the new shape until its mouse handler
      // returns. An image added by code stays as it came.
      const int32_t id = Shape->ShapeId;
      QMetaObject::invokeMethod(this, [this, id] { WithdrawShape(id); }, Qt::QueuedConnection);
      return;
    }
  }
  Inspector->ShowShape(Shape);
  UpdateToolbar();
}

void TMainForm::WithdrawShape(int32_t Id) {
  if (!MyCAD1->GetShapeByID(Id)) return;
  const auto& undo = MyCAD1->UndoList();
  if (!undo.empty() && undo.back().Action == QLatin1String("ACT_ADD") && undo.back().Shape->ShapeId == Id)
    MyCAD1->WithdrawLastStep();
  else
    MyCAD1->DeleteShapeById(Id, true);
  Inspector->ShowDefaults();
  UpdateToolbar();
}

void TMainForm::MyCAD1ShapeSelected(TMyShape* SelectedShape) {
  Inspector->ShowShape(SelectedShape);
  FNudgeStep = -1;
  // The surface tells before it changes its selection (a selection by code included): the
  // commands follow once it has.
  QMetaObject::invokeMethod(this, &TMainForm::UpdateToolbar, Qt::QueuedConnection);
}

void TMainForm::MyCAD1Click() {
  const TDrawTool tool = MyCAD1->ShapeTool();
  if (MyCAD1->GetSelectedShapesCount() == 0 && (tool == TDrawTool::SpSelecting || tool == TDrawTool::SpRotateSelecting))
    Inspector->ShowDefaults();
}

void TMainForm::MyCAD1DragOver(QObject*, const QMimeData* Data, bool& Accept) {
  const QStringList files = DroppedFiles(Data);
  Accept = (Library->LibOfData(Data) && !TLibListView::EntryOf(Data).isEmpty()) || (files.size() == 1 && IsPictureFile(files[0]));
}

void TMainForm::MyCAD1DragDrop(QObject*, const QMimeData* Data, int X, int Y) {
  // A picture file becomes an image shape where it was dropped; a library entry a combined shape.
  const QStringList files = DroppedFiles(Data);
  if (files.size() == 1 && IsPictureFile(files[0])) DropPicture(files[0], X, Y);
  else Library->DropEntry(Data, X, Y);
  MyCAD1->setFocus();
  UpdateToolbar();
}

// ---- Files ----

QString TMainForm::ChooseFile(QFileDialog* Dialog) {
  QString chosen;
  if (OnChooseFile) {
    chosen = OnChooseFile(Dialog);
  } else if (Dialog->exec() == QDialog::Accepted && !Dialog->selectedFiles().isEmpty()) {
    chosen = Dialog->selectedFiles().front();
  }
  if (!chosen.isEmpty()) FLastFolder = QFileInfo(chosen).absolutePath();
  return chosen;
}

void TMainForm::PrepareDialog(QFileDialog* Dialog, const QString& Title, const QString& Filter, QFileDialog::AcceptMode Mode) {
  Dialog->setWindowTitle(Title);
  Dialog->setNameFilter(Filter);
  Dialog->setAcceptMode(Mode);
  Dialog->setFileMode(Mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  Dialog->setDefaultSuffix(Mode == QFileDialog::AcceptSave ? QStringLiteral("vorn") : QString());
  Dialog->setDirectory(FLastFolder);
}

bool TMainForm::SaveDrawingAs(const QString& FileName) {
  if (!MyCAD1->SaveToFile(FileName)) {
    MessageDlg(QStringLiteral("MyCAD1 could not be saved to %1: %2.").arg(FileName, SaveFailureReason(FileName, MyCAD1->LastFileError())), TMsgDlgType::mtError, mbOK);
    UpdateToolbar();
    return false;
  }
  FCurrentFileName = FileName;
  RememberFile(FileName);
  UpdateToolbar();
  return true;
}

bool TMainForm::SavePrompt() {
  if (!MyCAD1->Modified()) return true;
  const int answer = MessageDlg(QStringLiteral("File [%1] has changed, do you want to save it?").arg(FCurrentFileName),
                                TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
  if (answer == mrNo) return true;
  if (answer != mrYes) return false;
  // Yes: saved, or the drawing stays (a cancelled name or a failed save loses nothing).
  QString name = FCurrentFileName;
  if (name == kNoName) {
    PrepareDialog(FileSaveAs, QStringLiteral("Save"), kDrawingFilter, QFileDialog::AcceptSave);
    name = ChooseFile(FileSaveAs);
    if (name.isEmpty()) return false;
  }
  if (!SaveDrawingAs(name)) return false;
  ShowMessage(QStringLiteral("MyCAD1 has been saved to ") + name);
  return true;
}

void TMainForm::NewExecute() {
  if (MessageDlg(QStringLiteral("Begin a new drawing?"), TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes) return;
  if (!SavePrompt()) return;
  MyCAD1->ClearAllUndoStuff();
  MyCAD1->DeleteAllShapes();
  // A fresh drawing, as at start-up: one layer "Layer0", the window's page, no picture.
  while (MyCAD1->GetLayersCount() > 1) MyCAD1->DeleteLayerByID(MyCAD1->GetLayerIdByNo(MyCAD1->GetLayersCount() - 1));
  if (MyCAD1->GetLayersCount() == 1) {
    const int32_t only = MyCAD1->GetLayerIdByNo(0);
    MyCAD1->SetLayerNameByName(QStringLiteral("Layer0"), MyCAD1->GetLayerNameByID(only));
    MyCAD1->VisibleLayerByID(only);
    MyCAD1->SetCurrentLayerId(only);
  }
  MyCAD1->SetBkBitmap(nullptr);
  ApplyStoredSettings();
  MyCAD1->ClearAllUndoStuff();
  MyCAD1->SetModified(false);
  cmbZoom->setCurrentIndex(2);
  CentreMyCAD();
  // A new drawing has no file yet: saving it must not overwrite the one opened before.
  FCurrentFileName = kNoName;
  Layers->Refresh();
  Inspector->ShowDefaults();
  UpdateToolbar();
}

void TMainForm::OpenExecute() {
  if (MyCAD1->Modified() && !SavePrompt()) return;
  PrepareDialog(FileOpen, QStringLiteral("Open"), kDrawingFilter, QFileDialog::AcceptOpen);
  const QString name = ChooseFile(FileOpen);
  if (!name.isEmpty()) OpenDrawing(name);
}

bool TMainForm::OpenDrawing(const QString& FileName) {
  const QString name = FileName;
  bool drawing = false;
  try {
    drawing = TMyCAD::IsVORNFile(name);
  } catch (const std::exception& e) {
    MessageDlg(QStringLiteral("Error when read file\n%1: %2").arg(name, QString::fromLocal8Bit(e.what())), TMsgDlgType::mtError, mbOK);
    return false;
  }
  if (!drawing) {
    ShowMessage(name + QStringLiteral("is not a VORN format file"));
    return false;
  }
  bool loaded = false;
  try {
    loaded = MyCAD1->LoadFromFile(name);
  } catch (const std::exception&) {
    loaded = false;
  }
  if (!loaded) {
    MessageDlg(QStringLiteral("Error when read file\n%1 cannot be opened: %2. The open drawing is kept.").arg(name, MyCAD1->LastFileError()),
               TMsgDlgType::mtError, mbOK);
    return false;
  }
  cmbZoom->setCurrentIndex(2);
  CentreMyCAD();
  FCurrentFileName = name;
  RememberFile(name);
  Layers->Refresh();
  Inspector->ShowDefaults();
  UpdateToolbar();
  return true;
}

// ---- Recent files and kept settings ----

void TMainForm::RememberFile(const QString& FileName) {
  const QString file = QFileInfo(FileName).absoluteFilePath();
  FRecent.removeAll(file);
  FRecent.prepend(file);
  while (FRecent.size() > kMaxRecent) FRecent.removeLast();
  QSettings().setValue(QStringLiteral("Files/Recent"), FRecent);
  RebuildRecentMenu();
}

void TMainForm::RebuildRecentMenu() {
  FRecentMenu->clear();
  for (qsizetype i = 0; i < FRecent.size(); ++i) {
    const QString file = FRecent[i];
    QAction* a = FRecentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(file).fileName()));
    a->setObjectName(QStringLiteral("miRecent%1").arg(i + 1));
    a->setToolTip(file);
    a->setStatusTip(file);
    connect(a, &QAction::triggered, this, [this, file] { OpenRecent(file); });
  }
  FRecentMenu->setEnabled(!FRecent.isEmpty());
}

void TMainForm::OpenRecent(const QString& FileName) {
  if (MyCAD1->Modified() && !SavePrompt()) return;
  if (!QFileInfo::exists(FileName)) {
    MessageDlg(QStringLiteral("%1 no longer exists; it was taken off the list of recent files.").arg(FileName), TMsgDlgType::mtWarning, mbOK);
    FRecent.removeAll(FileName);
    QSettings().setValue(QStringLiteral("Files/Recent"), FRecent);
    RebuildRecentMenu();
    return;
  }
  OpenDrawing(FileName);
}

void TMainForm::RestoreWindowState() {
  QSettings settings;
  FRecent = settings.value(QStringLiteral("Files/Recent")).toStringList();
  while (FRecent.size() > kMaxRecent) FRecent.removeLast();
  RebuildRecentMenu();
  const QString folder = settings.value(QStringLiteral("Files/LastFolder")).toString();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) FLastFolder = folder;
  if (settings.contains(QStringLiteral("Window/Geometry"))) restoreGeometry(settings.value(QStringLiteral("Window/Geometry")).toByteArray());
  if (settings.contains(QStringLiteral("Window/Splitter"))) Splitter1->restoreState(settings.value(QStringLiteral("Window/Splitter")).toByteArray());
}

void TMainForm::KeepWindowState() {
  QSettings settings;
  settings.setValue(QStringLiteral("Window/Geometry"), saveGeometry());
  settings.setValue(QStringLiteral("Window/Splitter"), Splitter1->saveState());
  settings.setValue(QStringLiteral("Files/LastFolder"), FLastFolder);
}

// ---- Files dropped on the window ----

void TMainForm::dragEnterEvent(QDragEnterEvent* Event) {
  const QStringList files = DroppedFiles(Event->mimeData());
  if (files.size() == 1 && QFileInfo(files[0]).suffix().compare(QLatin1String("vorn"), Qt::CaseInsensitive) == 0)
    Event->acceptProposedAction();
  else
    Event->ignore();
}

void TMainForm::dropEvent(QDropEvent* Event) {
  const QStringList files = DroppedFiles(Event->mimeData());
  if (files.size() != 1) return;
  Event->acceptProposedAction();
  if (MyCAD1->Modified() && !SavePrompt()) return;
  OpenDrawing(files[0]);
}

void TMainForm::DropPicture(const QString& File, int X, int Y) {
  const std::unique_ptr<TBitmap> picture = ReadPicture(File);
  if (!picture) return;
  const TPoint at{static_cast<int32_t>(std::lround(X / MyCAD1->Zoom())), static_cast<int32_t>(std::lround(Y / MyCAD1->Zoom()))};
  if (MyCAD1->AddImageShapeByCode(QString(), at, picture.get()) < 0)
    MessageDlg(QStringLiteral("%1 could not be placed on the drawing.").arg(File), TMsgDlgType::mtError, mbOK);
  UpdateToolbar();
}

void TMainForm::SaveExecute() {
  if (FCurrentFileName == kNoName) SaveAsExecute();
  else SaveDrawingAs(FCurrentFileName);
}

void TMainForm::SaveAsExecute() {
  PrepareDialog(FileSaveAs, QStringLiteral("Save As"), kDrawingFilter, QFileDialog::AcceptSave);
  const QString name = ChooseFile(FileSaveAs);
  if (!name.isEmpty()) SaveDrawingAs(name);
}

void TMainForm::ImportVORNFileExecute() {
  PrepareDialog(FileOpen, QStringLiteral("Import"), kDrawingFilter, QFileDialog::AcceptOpen);
  const QString name = ChooseFile(FileOpen);
  if (name.isEmpty() || !QFileInfo::exists(name)) return;
  bool added = false;
  try {
    added = MyCAD1->AddBlockfromVORNFile(name, TBlockLayerMode::Append);
  } catch (const std::exception&) {
    added = false;
  }
  if (!added)
    MessageDlg(QStringLiteral("Error when read file\n%1 could not be imported: %2.").arg(name, MyCAD1->LastFileError()), TMsgDlgType::mtError, mbOK);
  Layers->Refresh();
  UpdateToolbar();
}

void TMainForm::OpenLibExecute() {
  PrepareDialog(FileOpen, QStringLiteral("Open Lib"), kLibraryFilter, QFileDialog::AcceptOpen);
  const QString name = ChooseFile(FileOpen);
  if (name.isEmpty() || !QFileInfo::exists(name)) return;
  if (Library->OpenLib(name)) PageControl1->setCurrentWidget(tsLibrary);
  UpdateToolbar();
}

void TMainForm::AddSelectionToLibExecute() {
  if (MyCAD1->GetSelectedShapesCount() == 0) return;
  TMyShape* first = MyCAD1->GetSelectedShape();
  const QString name = Library->AskText(QStringLiteral("Add Selection to Library"), QStringLiteral("Name of the new entry:"),
                                        first ? first->Name() : QString());
  if (name.trimmed().isEmpty()) return;
  if (Library->AddSelection(name.trimmed())) PageControl1->setCurrentWidget(tsLibrary);
  UpdateToolbar();
}

void TMainForm::AExitExecute() {
  if (close()) ApplicationTerminate();
}

// ---- Edit ----

void TMainForm::UndoExecute() {
  MyCAD1->Undo();
  // The inspector shows the values the step brought back.
  Inspector->ShowShape(MyCAD1->GetSelectedShape());
  UpdateToolbar();
}

void TMainForm::RedoExecute() {
  MyCAD1->Redo();
  Inspector->ShowShape(MyCAD1->GetSelectedShape());
  UpdateToolbar();
}

void TMainForm::UngroupShapeExecute() {
  if (MyCAD1->GetSelectedShapesCount() == 1) MyCAD1->UnGroupShape(MyCAD1->GetSelectedShape(), true);
  else ShowMessage(QStringLiteral("No shape selected or more shapes selected!"));
  UpdateToolbar();
}

void TMainForm::LockShapes(bool Locked) {
  const TArrMyShape shapes = MyCAD1->GetSelectedShapes();
  for (TMyShape* s : shapes) MyCAD1->LockUnLockforShapes(s, Locked);
  MyCAD1->Repaint();
  UpdateToolbar();
}

void TMainForm::FlipShapes(bool Horizontal) {
  const TArrMyShape shapes = MyCAD1->GetSelectedShapes();
  for (TMyShape* s : shapes) Horizontal ? MyCAD1->FlipHoriz(s) : MyCAD1->FlipVert(s);
  MyCAD1->SetModified(true);
  UpdateToolbar();
}

// ---- Zoom ----

void TMainForm::ZoominExecute() {
  // The middle of what is visible stays in the middle.
  if (MyCAD1->Zoom() * 2 < 100) ZoomAbout(MyCAD1->Zoom() * 2, ViewCentre());
  ShowZoom();
}

void TMainForm::ZoomoutExecute() {
  if (MyCAD1->Zoom() / 2 > 0.01) ZoomAbout(MyCAD1->Zoom() / 2, ViewCentre());
  ShowZoom();
}

void TMainForm::NicefitExecute() {
  // The whole page in the room the box has without scroll bars.
  const QSize room = ScrollBox1->maximumViewportSize();
  const double z = MyCAD1->Zoom();
  const double fx = room.width() / (MyCAD1->width() / z);
  const double fy = room.height() / (MyCAD1->height() / z);
  MyCAD1->SetZoom(fx < fy ? fx : fy);
  ShowZoom();
}

// ---- Code drawing ----

void TMainForm::CodeDrawing(const char* Name, TDrawTool Tool, const TArrMyPoint& Points, long double Angle, const QString& Message,
                            const QString& Text) {
  const QString name = QLatin1String(Name);
  if (MyCAD1->GetShapeByName(name)) return;
  ShowMessage(Message);
  MyCAD1->AddShapeByCode(MyCAD1, Tool, name, Points, Angle, Text);
  UpdateToolbar();
}

void TMainForm::ShowVORNVersionExecute() { ShowMessage(QStringLiteral("The current version is:") + MyCAD1->Version()); }

}  // namespace kestrafel
