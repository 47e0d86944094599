// TMainForm: the Kestrafel main window. It hosts one drawing surface, MyCAD1, in a scroll box
// kept centred, with the tool palette, the zoom selector and the coordinate and value labels on
// the left, the side panel on the right, the toolbar, the menu driven by the actions and a
// status bar. Every component and action carries its name as its object name, so that hosts
// and tests find them.
#pragma once

#include "propertypanel.h"
#include "layerpanel.h"
#include "librarypanel.h"

#include <cad/cad.h>

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMainWindow>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <map>

namespace kestrafel {

class TMainForm : public QMainWindow {
  Q_OBJECT

public:
  explicit TMainForm(QWidget* Parent = nullptr);
  ~TMainForm() override;

  cad::TMyCAD* MyCAD1 = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QWidget* Panel1 = nullptr;
  QScrollArea* ScrollBox1 = nullptr;
  QSplitter* Splitter1 = nullptr;
  QWidget* Panel2 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* tsLayer = nullptr;
  QWidget* tsLibrary = nullptr;
  QWidget* tsInspector = nullptr;
  // The side panel's pages.
  TInspector* Inspector = nullptr;
  TLayerPanel* Layers = nullptr;
  TLibraryPanel* Library = nullptr;
  QComboBox* cmbZoom = nullptr;
  QLabel* lblLabelXY = nullptr;
  QLabel* lblLabelValue = nullptr;
  // The status bar: the pointer's position and the selected shape.
  QLabel* lblStatusXY = nullptr;
  QLabel* lblStatusShape = nullptr;
  QButtonGroup* ToolGroup = nullptr;
  QFileDialog* FileOpen = nullptr;
  QFileDialog* FileSaveAs = nullptr;
  QFileDialog* ImageFileOpen = nullptr;
  // The palette's speed buttons (sbtnSelecting, ...), the toolbar's buttons (tbtnNew, ...) and
  // the actions (New, ACopy, ...), by name.
  std::map<QString, QToolButton*> SpeedButtons;
  std::map<QString, QToolButton*> ToolButtons;
  std::map<QString, QAction*> Actions;

  // Runs a file dialog and gives the chosen file, or an empty text when the user cancelled.
  // Replaceable (tests answer the dialogs); by default the dialog runs modally.
  std::function<QString(QFileDialog* Dialog)> OnChooseFile;

  QAction* Action(const QString& Name) const;
  QString CurrentFileName() const { return FCurrentFileName; }
  // Asks whether to save a changed drawing: true to go on (saved, or not to be saved), false to
  // stay (cancelled, or the save failed).
  bool SavePrompt();
  // Opens a drawing file and makes it the current file (the save prompt is the caller's); on
  // failure the reason is shown and the drawing is kept.
  bool OpenDrawing(const QString& FileName);
  // The recent files, newest first (kept across runs in the application's settings).
  const QStringList& RecentFiles() const { return FRecent; }
  QMenu* RecentMenu() const { return FRecentMenu; }
  static constexpr int kMaxRecent = 8;
  // Places a picture file as an image shape with its top-left corner at (X, Y) of the surface.
  void DropPicture(const QString& File, int X, int Y);
  // Asks for a picture file (BMP, PNG, JPEG, GIF or icon) and reads it; null when the user
  // cancelled or it could not be read, which is said.
  std::unique_ptr<cad::TBitmap> ChoosePicture();
  // Saves to FileName and makes it the current file; on failure the reason is shown.
  bool SaveDrawingAs(const QString& FileName);
  // Enables the commands that the selection, the clipboard and the undo lists allow, and shows
  // the file name and a change mark in the title.
  void UpdateToolbar();
  // The surface's context menu: the commands for the selection, or paste and select all on
  // empty space. Rebuilt for each request; shown by a right click on the surface.
  QMenu* SurfaceMenu();
  // Puts MyCAD1 in the middle of the scroll box (scrolled to its middle when it is larger).
  void CentreMyCAD();
  // Zoom factors of the zoom selector's items.
  static constexpr double kZoomSteps[] = {0.5, 0.75, 1.0, 1.1, 1.3, 2.0, 4.0, 8.0};

protected:
  void showEvent(QShowEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void changeEvent(QEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

private:
  struct TActionDef;
  void BuildPalette(QLayout* Layout);
  void BuildActions();
  void BuildMenu();
  void BuildToolBar();
  void BuildSidePanel();
  void ApplyStoredSettings();
  QAction* MakeAction(const TActionDef& Def);
  QString ChooseFile(QFileDialog* Dialog);
  // The folder the file dialogs start in: the last one used, else the user's documents.
  void PrepareDialog(QFileDialog* Dialog, const QString& Title, const QString& Filter, QFileDialog::AcceptMode Mode);
  void ShowZoom();
  // Zooms to NewZoom keeping the drawing point under Anchor (viewport pixels) where it is.
  void ZoomAbout(double NewZoom, QPoint Anchor);
  QPoint ViewCentre() const;
  void UpdateStatus();

  void FormCreate();
  void FormShow();
  // The arrow keys nudge the selection; false for a key it does not take.
  bool FormKeyDown(int Key, Qt::KeyboardModifiers Modifiers);
  void cmbZoomChange(int Index);
  void MyCAD1MouseDown(int X, int Y);
  void MyCAD1MouseMove(int X, int Y);
  void MyCAD1MouseUp(int X, int Y);
  void MyCAD1ActionToolToSelecting();
  void MyCAD1ShapeAdded(cad::TMyShape* Shape);
  // Takes back a shape the user called off: its adding step when that is the newest, else by
  // deleting it.
  void WithdrawShape(int32_t Id);
  void MyCAD1ShapeSelected(cad::TMyShape* SelectedShape);
  void MyCAD1Click();
  void MyCAD1DragOver(QObject* Source, const QMimeData* Data, bool& Accept);
  void MyCAD1DragDrop(QObject* Source, const QMimeData* Data, int X, int Y);

  // Commands
  void NewExecute();
  void OpenExecute();
  void SaveExecute();
  void SaveAsExecute();
  void ImportVORNFileExecute();
  void OpenLibExecute();
  void AddSelectionToLibExecute();
  void AExitExecute();
  void UndoExecute();
  void RedoExecute();
  void UngroupShapeExecute();
  void LockShapes(bool Locked);
  void FlipShapes(bool Horizontal);
  void ZoominExecute();
  void ZoomoutExecute();
  void NicefitExecute();
  void CodeDrawing(const char* Name, cad::TDrawTool Tool, const cad::TArrMyPoint& Points, long double Angle,
                   const QString& Message, const QString& Text = QString());
  void ShowVORNVersionExecute();

  QToolBar* FLibraryBar = nullptr;
  QMenu* FSurfaceMenu = nullptr;
  QMenu* FRecentMenu = nullptr;
  QStringList FRecent;
  void RememberFile(const QString& FileName);
  void RebuildRecentMenu();
  void OpenRecent(const QString& FileName);
  // The window's size, splitter, last folder and recent files, across runs.
  void RestoreWindowState();
  void KeepWindowState();
  // The undo step of the current run of nudges, or -1 when none runs.
  int32_t FNudgeStep = -1;
  QString FCurrentFileName;
  QString FLastFolder;
  bool FShown = false;
  // The zoom tool's rubber band.
  bool FRubberBand = false;
  QPoint FZoomStart, FZoomLast;
};

}  // namespace kestrafel
