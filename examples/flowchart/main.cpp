// A windowed host of the drawing surface: a small flowchart made by code (boxes, a decision and
// connector lines between them) in a main window with the surface in a scroll area. The
// surface's signals drive the status bar, the title and the undo/redo actions; the menus save,
// load, undo, redo, move by millimetres and render the drawing to a PNG file.
//
//   kestrafel_flowchart [--snapshot out.png]
//
// With --snapshot the window is grabbed into out.png once it is shown, and the program quits;
// without a display, run it with QT_QPA_PLATFORM=offscreen.
#include <cad/cad.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>

namespace {

using cad::TDrawTool;
using cad::TMyCAD;
using cad::TMyShape;

QString NameOf(const TMyShape* Shape) { return Shape ? Shape->Name() : QStringLiteral("nothing"); }

class TFlowWindow : public QMainWindow {
public:
  TFlowWindow() {
    // The surface belongs to the scroll area, which sizes it from its page and zoom.
    auto* area = new QScrollArea(this);
    area->setWidgetResizable(true);
    area->setAlignment(Qt::AlignCenter);
    area->setBackgroundRole(QPalette::Dark);
    FCad = new TMyCAD;
    area->setWidget(FCad);
    setCentralWidget(area);
    FCad->SetPageStyle(cad::TPageStyle::A5);
    FCad->SetPageOrientation(cad::TPrinterOrientation::poLandscape);
    FCad->SetGridShow(false);

    BuildMenus();
    ConnectSignals();
    BuildFlowchart();
    resize(900, 650);
  }

  TMyCAD* Cad() const { return FCad; }

private:
  // Shapes by code: points are drawing coordinates (pixels at zoom 1), whatever the zoom.
  TMyShape* Box(const QString& Name, cad::TDrawTool Tool, float L, float T, float R, float B, const QString& Text) {
    const cad::TArrMyPoint corners{{L, T}, {R, T}, {R, B}, {L, B}};
    const cad::TArrMyPoint diamond{{(L + R) / 2, T}, {R, (T + B) / 2}, {(L + R) / 2, B}, {L, (T + B) / 2}};
    const int32_t id = FCad->AddShapeByCode(nullptr, Tool, Name, Tool == TDrawTool::SpPolygon ? diamond : corners);
    TMyShape* s = FCad->GetShapeByID(id);
    if (!s) return nullptr;
    s->SetInfo(Text);
    s->Brush()->SetColor(Tool == TDrawTool::SpPolygon ? cad::RGB(255, 240, 200) : cad::RGB(220, 235, 255));
    // Link points where connectors attach: right, bottom, left and top middles. They are
    // given in device pixels, and the zoom is 1 here.
    s->AddLinkPoint({R, (T + B) / 2});
    s->AddLinkPoint({(L + R) / 2, B});
    s->AddLinkPoint({L, (T + B) / 2});
    s->AddLinkPoint({(L + R) / 2, T});
    return s;
  }

  void BuildFlowchart() {
    enum { Right, Bottom, Left, Top };
    TMyShape* start = Box(QStringLiteral("Start"), TDrawTool::SpEllipse, 40, 60, 160, 120, QStringLiteral("Start"));
    TMyShape* read = Box(QStringLiteral("Read"), TDrawTool::SpRectangle, 240, 60, 380, 120, QStringLiteral("Read order"));
    TMyShape* check = Box(QStringLiteral("Check"), TDrawTool::SpPolygon, 250, 190, 370, 290, QStringLiteral("In stock?"));
    TMyShape* ship = Box(QStringLiteral("Ship"), TDrawTool::SpRectangle, 460, 210, 600, 270, QStringLiteral("Ship it"));
    TMyShape* wait = Box(QStringLiteral("Wait"), TDrawTool::SpRectangle, 240, 360, 380, 420, QStringLiteral("Back order"));
    TMyShape* done = Box(QStringLiteral("Done"), TDrawTool::SpEllipse, 640, 360, 760, 420, QStringLiteral("Done"));
    FCad->CreateLink(QStringLiteral("StartRead"), start, Right, read, Left);
    FCad->CreateLink(QStringLiteral("ReadCheck"), read, Bottom, check, Top);
    FCad->CreateLink(QStringLiteral("CheckShip"), check, Right, ship, Left);
    FCad->CreateLink(QStringLiteral("CheckWait"), check, Bottom, wait, Top);
    FCad->CreateLink(QStringLiteral("ShipDone"), ship, Bottom, done, Top);
    FCad->CreateLink(QStringLiteral("WaitDone"), wait, Right, done, Left);
    // What was built is the starting point, not something to undo or save.
    FCad->ClearAllUndoStuff();
    FCad->DeSelectedAllShapesByCode();
    FCad->SetModified(false);
    statusBar()->showMessage(QStringLiteral("%1 shapes").arg(FCad->GetShapesCount()));
  }

  void BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, [this] { Open(); });
    file->addAction(QStringLiteral("&Save As..."), QKeySequence::SaveAs, this, [this] { SaveAs(); });
    file->addAction(QStringLiteral("&Render to PNG..."), this, [this] { RenderPng(); });
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, [this] { close(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    FUndo = edit->addAction(QStringLiteral("&Undo"), QKeySequence::Undo, FCad, [this] { FCad->Undo(); });
    FRedo = edit->addAction(QStringLiteral("&Redo"), QKeySequence::Redo, FCad, [this] { FCad->Redo(); });
    FUndo->setEnabled(false);
    FRedo->setEnabled(false);
    edit->addAction(QStringLiteral("&Delete"), QKeySequence::Delete, FCad, [this] { FCad->DeleteSelectedShapes(); });
    // One undo step, in millimetres whatever the zoom.
    edit->addAction(QStringLiteral("Move 5 mm right"), FCad, [this] {
      FCad->SetUnit(cad::TUnits::mm);
      FCad->MoveByUnits({}, 5, 0);
    });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("&Select"), FCad, [this] { FCad->SetShapeTool(TDrawTool::SpSelecting); });
    tools->addAction(QStringLiteral("&Rectangle"), FCad, [this] { FCad->SetShapeTool(TDrawTool::SpRectangle); });
    tools->addAction(QStringLiteral("&Connector"), FCad, [this] { FCad->SetShapeTool(TDrawTool::SpLinkLine); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("Zoom &in"), QKeySequence::ZoomIn, FCad, [this] { FCad->SetZoom(FCad->Zoom() * 1.25); });
    view->addAction(QStringLiteral("Zoom &out"), QKeySequence::ZoomOut, FCad, [this] { FCad->SetZoom(FCad->Zoom() / 1.25); });
  }

  void ConnectSignals() {
    QStatusBar* bar = statusBar();
    auto say = [bar](const QString& Text) { bar->showMessage(Text, 5000); };
    // Shape pointers are read while the signal is delivered, never kept.
    connect(FCad, &TMyCAD::shapeAdded, this,
            [say](TMyShape* S, int Count) { say(QStringLiteral("Added %1 (%2 shapes)").arg(NameOf(S)).arg(Count)); });
    connect(FCad, &TMyCAD::shapeSelected, this, [say](TMyShape*, TMyShape* S) { say(QStringLiteral("Selected %1").arg(NameOf(S))); });
    connect(FCad, &TMyCAD::selectionCleared, this, [say] { say(QStringLiteral("Nothing selected")); });
    connect(FCad, &TMyCAD::shapeMouseDragged, this, [say](TMyShape* S, const cad::TPoint& From, const cad::TPoint& To) {
      say(QStringLiteral("Moved %1 by (%2, %3) pixels").arg(NameOf(S)).arg(To.X - From.X).arg(To.Y - From.Y));
    });
    connect(FCad, &TMyCAD::shapesDeleted, this,
            [say](const QList<int>& Ids) { say(QStringLiteral("Deleted %1 shape(s)").arg(Ids.size())); });
    connect(FCad, &TMyCAD::shapeListReplaced, this, [this, say] { say(QStringLiteral("%1 shapes").arg(FCad->GetShapesCount())); });
    connect(FCad, &TMyCAD::drawingLoaded, this, [this, say] { say(QStringLiteral("Loaded %1").arg(FFileName)); });
    connect(FCad, &TMyCAD::zoomChanged, this, [say](double Zoom) { say(QStringLiteral("Zoom %1 %").arg(qRound(Zoom * 100))); });
    connect(FCad, &TMyCAD::modifiedChanged, this, [this](bool Modified) { setWindowModified(Modified); });
    connect(FCad, &TMyCAD::undoRedoChanged, this, [this](bool CanUndo, bool CanRedo) {
      FUndo->setEnabled(CanUndo);
      FRedo->setEnabled(CanRedo);
    });
    setWindowTitle(QStringLiteral("Flowchart[*]"));
  }

  void Open() {
    const QString name = QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("Drawings (*.vorn)"));
    if (name.isEmpty()) return;
    bool ok = false;
    try {
      ok = FCad->LoadFromFile(name);
    } catch (const std::exception&) {
      // A missing file raises; the reason is kept all the same.
    }
    if (ok) FFileName = name;
    else QMessageBox::warning(this, QString(), QStringLiteral("%1 could not be loaded: %2.").arg(name, FCad->LastFileError()));
  }

  void SaveAs() {
    const QString name = QFileDialog::getSaveFileName(this, QString(), QString(), QStringLiteral("Drawings (*.vorn)"));
    if (name.isEmpty()) return;
    if (FCad->SaveToFile(name)) FFileName = name;
    else QMessageBox::warning(this, QString(), QStringLiteral("%1 could not be saved: %2.").arg(name, FCad->LastFileError()));
  }

  void RenderPng() {
    const QString name = QFileDialog::getSaveFileName(this, QString(), QString(), QStringLiteral("Pictures (*.png)"));
    if (name.isEmpty()) return;
    try {
      FCad->SavePicture(name, "PNG");
    } catch (const std::exception& e) {
      QMessageBox::warning(this, QString(), QString::fromLocal8Bit(e.what()));
    }
  }

  TMyCAD* FCad = nullptr;
  QAction* FUndo = nullptr;
  QAction* FRedo = nullptr;
  QString FFileName;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString snapshot;
  for (int i = 1; i < argc; ++i) {
    if (QByteArray(argv[i]) == "--snapshot" && i + 1 < argc) {
      snapshot = QString::fromLocal8Bit(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--snapshot out.png]\n", argv[0]);
      return 2;
    }
  }
  // The component reports problems through this handler instead of a message box.
  cad::SetMessageHandler([](const cad::TMessageRequest& r) {
    std::fprintf(stderr, "%s\n", r.Text.toLocal8Bit().constData());
    return static_cast<int>(cad::mrOk);
  });

  TFlowWindow window;
  window.show();
  if (snapshot.isEmpty()) return app.exec();

  // Something for the status bar to show, then the window as it is on screen.
  int rc = 1;
  QTimer::singleShot(0, &window, [&] {
    window.Cad()->SelectShapeByCode(window.Cad()->GetShapeByName(QStringLiteral("Check"))->ShapeId, true);
    QApplication::processEvents();
    if (window.grab().save(snapshot, "PNG")) rc = 0;
    else std::fprintf(stderr, "%s: cannot be written\n", qPrintable(snapshot));
    QApplication::quit();
  });
  app.exec();
  return rc;
}
