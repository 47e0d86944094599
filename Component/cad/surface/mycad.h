// TMyCAD: the drawing surface widget.
//
// The surface owns the shapes of a drawing, its layers, grid and page settings and the mapping
// between drawing coordinates (unzoomed, one unit per screen pixel at zoom 1) and control
// pixels. It paints into a back buffer that covers only the visible part of the control, so
// memory does not grow with the zoom; the buffer is its Canvas, on which rubber bands and
// highlights may be drawn between paints. The paint event only copies the buffer to the screen.
//
// The class is declared here in one piece; its implementation is split by concern across the
// mycad_*.cpp files of this folder.
#pragma once

#include "../core/drawmodes.h"
#include "../core/geometry.h"
#include "../core/types.h"
#include "../gfx/bitmap.h"
#include "../gfx/canvas.h"
#include "../gfx/graphics.h"
#include "../shapes/shape.h"
#include "gridobject.h"
#include "shapeindex.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QList>
#include <QMimeData>
#include <QPen>
#include <QPixmap>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QDropEvent;
class QPrinter;

namespace cad {

class TLibManager;
class TMyLinkLine;
struct TDxfImportReport;

// A printer document that could not be begun or finished (an output file that cannot be
// written, a printer that refuses the job), with the reason.
class EPrinterError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
// An export refused before anything was written, with the reason (a picture beyond the pixel
// budget, a zoom that gives no picture).
class EExportError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// No black-and-white printers are told apart.
inline bool IsBlackWhitePrinter() { return false; }

// One record of the undo list: a copy of a shape as it was before a step, under the step's
// number and action name ("ACT_ADD", "ACT_DELETE", "ACT_CHANGE", "ACT_GROUP", "ACT_UNGROUP",
// "ACT_BRINGTOFRONT", "ACT_BRINGTOFRONTBYSTEP", "ACT_SENDTOBACK", "ACT_SENDTOBACKBYSTEP").
// A record also names the group the shape belonged to and, for a connector, the shapes its two
// ends were attached to, by id (numbers move while later steps are done and undone; ids do
// not), so that undoing the step puts the shape back into its group and its ends where they
// were.
struct TSavedShape {
  int32_t Step = 0;
  QString ShapeName;
  std::unique_ptr<TMyShape> Shape;
  QString Action;
  int32_t ParentShapeId = -1;
  int32_t StartShapeId = -1;
  int32_t EndShapeId = -1;
};

struct LayerRec {
  QString LayerName;
  int32_t LayerId = 0;
  bool Visible = true;
};

class TMyCAD : public QWidget {
  Q_OBJECT
  // The published properties, as designers and .ui files see them. Colours are int values in
  // 00BBGGRR order. The pen, brush and fonts are copies of the surface's own objects in the
  // toolkit's types (a font's colour and a brush's pattern picture are not part of them); the
  // grid object shows as its six Grid... fields. The label references are set by code only.
  // Zoom, Modified, ShapeTool, TheUNIT and the page also change without their setters (by the
  // mouse, a load, a resize) and notify; what else a drawing file carries (background colour
  // and picture, Ratio) comes with drawingLoaded.
  Q_PROPERTY(int ArrowAngle READ ArrowAngle WRITE SetArrowAngle)
  Q_PROPERTY(int ArrowLength READ ArrowLength WRITE SetArrowLength)
  Q_PROPERTY(int ArrowOffset READ ArrowOffset WRITE SetArrowOffset)
  Q_PROPERTY(cad::TArrowStyle ArrowStyle READ ArrowStyle WRITE SetArrowStyle)
  Q_PROPERTY(QPixmap BkBitmap READ QtBkBitmap WRITE SetQtBkBitmap RESET ResetBkBitmap)
  Q_PROPERTY(cad::TBkBitmapMode BkBitmapMode READ BkBitmapMode WRITE SetBkBitmapMode)
  Q_PROPERTY(QBrush Brush READ QtBrush WRITE SetQtBrush RESET ResetBrush)
  Q_PROPERTY(int ColorOfBackGround READ ColorOfBackGround WRITE SetColorOfBackGround)
  Q_PROPERTY(int ColorOfHot READ ColorOfHot WRITE SetColorOfHot)
  Q_PROPERTY(bool CrossLine READ CrossLine WRITE SetCrossLine)
  Q_PROPERTY(cad::TDragMode DragMode READ DragMode WRITE SetDragShapeMode)
  Q_PROPERTY(QFont Font READ QtFont WRITE SetQtFont RESET ResetFont)
  Q_PROPERTY(int GridColor READ GridColor WRITE SetGridColor)
  Q_PROPERTY(int GridHeight READ GridHeight WRITE SetGridHeight)
  Q_PROPERTY(int GridPenSize READ GridPenSize WRITE SetGridPenSize)
  Q_PROPERTY(bool GridShow READ GridShow WRITE SetGridShow)
  Q_PROPERTY(cad::TGridType GridType READ GridType WRITE SetGridType)
  Q_PROPERTY(int GridWidth READ GridWidth WRITE SetGridWidth)
  Q_PROPERTY(bool HotShow READ HotShow WRITE SetHotShow)
  Q_PROPERTY(int HotSize READ HotSize WRITE SetHotSize)
  Q_PROPERTY(cad::TLinkLineDrawStyle LinkLineDrawStyle READ LinkLineDrawStyle WRITE SetLinkLineDrawStyle)
  Q_PROPERTY(bool Modified READ Modified WRITE SetModified NOTIFY modifiedChanged STORED false DESIGNABLE false)
  Q_PROPERTY(bool OperateAllLayer READ OperateAllLayer WRITE SetOperateAllLayer)
  Q_PROPERTY(QString PageFoot READ PageFoot WRITE SetPageFoot)
  Q_PROPERTY(cad::TAlignment PageFootAlignment READ PageFootAlignment WRITE SetPageFootAlignment)
  Q_PROPERTY(QFont PageFootFont READ QtPageFootFont WRITE SetQtPageFootFont RESET ResetPageFootFont)
  Q_PROPERTY(int PageFootToBottom READ PageFootToBottom WRITE SetPageFootToBottom)
  Q_PROPERTY(QString PageHead READ PageHead WRITE SetPageHead)
  Q_PROPERTY(cad::TAlignment PageHeadAlignment READ PageHeadAlignment WRITE SetPageHeadAlignment)
  Q_PROPERTY(QFont PageHeadFont READ QtPageHeadFont WRITE SetQtPageHeadFont RESET ResetPageHeadFont)
  Q_PROPERTY(int PageHeadToTop READ PageHeadToTop WRITE SetPageHeadToTop)
  Q_PROPERTY(uint PageHeight READ PageHeight WRITE SetPageHeight NOTIFY pageChanged)
  Q_PROPERTY(uint PageWidth READ PageWidth WRITE SetPageWidth NOTIFY pageChanged)
  Q_PROPERTY(cad::TPrinterOrientation PageOrientation READ PageOrientation WRITE SetPageOrientation NOTIFY pageChanged)
  Q_PROPERTY(cad::TPageStyle PageStyle READ PageStyle WRITE SetPageStyle NOTIFY pageChanged)
  // Designers have no editor for a pen: hosts set it by code (or through this property).
  Q_PROPERTY(QPen Pen READ QtPen WRITE SetQtPen RESET ResetPen)
  Q_PROPERTY(bool PrintABorder READ PrintABorder WRITE SetPrintABorder)
  Q_PROPERTY(int PrintABordertoBottom READ PrintABordertoBottom WRITE SetPrintABordertoBottom)
  Q_PROPERTY(int PrintABordertoLeft READ PrintABordertoLeft WRITE SetPrintABordertoLeft)
  Q_PROPERTY(int PrintABordertoRight READ PrintABordertoRight WRITE SetPrintABordertoRight)
  Q_PROPERTY(int PrintABordertoTop READ PrintABordertoTop WRITE SetPrintABordertoTop)
  Q_PROPERTY(bool PrintBackground READ PrintBackground WRITE SetPrintBackground)
  Q_PROPERTY(double Ratio READ Ratio WRITE SetRatio)
  Q_PROPERTY(bool ResizeEnable READ ResizeEnable WRITE SetResizeEnable)
  Q_PROPERTY(bool ReturnToSelecting READ ReturnToSelecting WRITE SetReturnToSelecting)
  Q_PROPERTY(bool RotateEnable READ RotateEnable WRITE SetRotateEnable)
  Q_PROPERTY(cad::TDrawTool ShapeTool READ ShapeTool WRITE SetShapeTool NOTIFY shapeToolChanged)
  Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
  Q_PROPERTY(bool ShowHotLink READ ShowHotLink WRITE SetShowHotLink)
  Q_PROPERTY(bool Snap READ Snap WRITE SetSnap)
  Q_PROPERTY(int SnapPixels READ SnapPixels WRITE SetFSnapPixels STORED false)
  Q_PROPERTY(bool SnapShape READ SnapShape WRITE SetSnapShape)
  Q_PROPERTY(int UndoRedoSize READ UndoRedoSize WRITE SetUndoRedoSize)
  Q_PROPERTY(cad::TUnits TheUNIT READ TheUNIT WRITE SetUnit NOTIFY unitChanged)
  Q_PROPERTY(QString Version READ Version STORED false)
  Q_PROPERTY(cad::TXYMode XYMode READ XYMode WRITE SetXYMode)
  Q_PROPERTY(double Zoom READ Zoom WRITE SetZoom NOTIFY zoomChanged)

public:
  explicit TMyCAD(QWidget* Owner = nullptr);
  ~TMyCAD() override;

  // ---- Setters under the names uic calls ----
  // A form compiled by uic sets a property X through setX (with a lower-case "set"); these
  // forward to the published setters.
  void setArrowAngle(int Value) { SetArrowAngle(Value); }
  void setArrowLength(int Value) { SetArrowLength(Value); }
  void setArrowOffset(int Value) { SetArrowOffset(Value); }
  void setArrowStyle(cad::TArrowStyle Value) { SetArrowStyle(Value); }
  void setBkBitmap(const QPixmap& Value) { SetQtBkBitmap(Value); }
  void setBkBitmapMode(cad::TBkBitmapMode Value) { SetBkBitmapMode(Value); }
  void setBrush(const QBrush& Value) { SetQtBrush(Value); }
  void setColorOfBackGround(int Value) { SetColorOfBackGround(Value); }
  void setColorOfHot(int Value) { SetColorOfHot(Value); }
  void setCrossLine(bool Value) { SetCrossLine(Value); }
  void setDragMode(cad::TDragMode Value) { SetDragShapeMode(Value); }
  // Forms set the drawing font through the widget font's setter; both follow it.
  void setFont(const QFont& Value) {
    QWidget::setFont(Value);
    SetQtFont(Value);
  }
  void setGridColor(int Value) { SetGridColor(Value); }
  void setGridHeight(int Value) { SetGridHeight(Value); }
  void setGridPenSize(int Value) { SetGridPenSize(Value); }
  void setGridShow(bool Value) { SetGridShow(Value); }
  void setGridType(cad::TGridType Value) { SetGridType(Value); }
  void setGridWidth(int Value) { SetGridWidth(Value); }
  void setHotShow(bool Value) { SetHotShow(Value); }
  void setHotSize(int Value) { SetHotSize(Value); }
  void setLinkLineDrawStyle(cad::TLinkLineDrawStyle Value) { SetLinkLineDrawStyle(Value); }
  void setModified(bool Value) { SetModified(Value); }
  void setOperateAllLayer(bool Value) { SetOperateAllLayer(Value); }
  void setPageFoot(const QString& Value) { SetPageFoot(Value); }
  void setPageFootAlignment(cad::TAlignment Value) { SetPageFootAlignment(Value); }
  void setPageFootFont(const QFont& Value) { SetQtPageFootFont(Value); }
  void setPageFootToBottom(int Value) { SetPageFootToBottom(Value); }
  void setPageHead(const QString& Value) { SetPageHead(Value); }
  void setPageHeadAlignment(cad::TAlignment Value) { SetPageHeadAlignment(Value); }
  void setPageHeadFont(const QFont& Value) { SetQtPageHeadFont(Value); }
  void setPageHeadToTop(int Value) { SetPageHeadToTop(Value); }
  void setPageHeight(uint Value) { SetPageHeight(Value); }
  void setPageWidth(uint Value) { SetPageWidth(Value); }
  void setPageOrientation(cad::TPrinterOrientation Value) { SetPageOrientation(Value); }
  void setPageStyle(cad::TPageStyle Value) { SetPageStyle(Value); }
  void setPen(const QPen& Value) { SetQtPen(Value); }
  void setPrintABorder(bool Value) { SetPrintABorder(Value); }
  void setPrintABordertoBottom(int Value) { SetPrintABordertoBottom(Value); }
  void setPrintABordertoLeft(int Value) { SetPrintABordertoLeft(Value); }
  void setPrintABordertoRight(int Value) { SetPrintABordertoRight(Value); }
  void setPrintABordertoTop(int Value) { SetPrintABordertoTop(Value); }
  void setPrintBackground(bool Value) { SetPrintBackground(Value); }
  void setRatio(double Value) { SetRatio(Value); }
  void setResizeEnable(bool Value) { SetResizeEnable(Value); }
  void setReturnToSelecting(bool Value) { SetReturnToSelecting(Value); }
  void setRotateEnable(bool Value) { SetRotateEnable(Value); }
  void setShapeTool(cad::TDrawTool Value) { SetShapeTool(Value); }
  void setShowHint(bool Value) { SetShowHint(Value); }
  void setShowHotLink(bool Value) { SetShowHotLink(Value); }
  void setSnap(bool Value) { SetSnap(Value); }
  void setSnapPixels(int Value) { SetFSnapPixels(Value); }
  void setSnapShape(bool Value) { SetSnapShape(Value); }
  void setUndoRedoSize(int Value) { SetUndoRedoSize(Value); }
  void setTheUNIT(cad::TUnits Value) { SetUnit(Value); }
  void setXYMode(cad::TXYMode Value) { SetXYMode(Value); }
  void setZoom(double Value) { SetZoom(Value); }

  // ---- Events ----
  // Each event is a callback, called only when set, and also a Qt signal of the same name
  // without "On", starting in lower case (OnShapeAdded: shapeAdded), with the same parameters
  // except the Sender of the toolkit-style events (a slot has QObject::sender()). The callback
  // is called first, then the signal is emitted; OnShapeAdded may replace the shape it is given,
  // and shapeAdded carries what the callback left. Signals that carry a TMyShape* are for direct
  // connections: the pointer is valid while the signal is delivered (see Lifetimes below), not
  // when a queued slot runs later.
  std::function<void()> OnActionToolToSelecting;
  std::function<void(TMyShape* SelectedChildShape)> OnChildShapeSelected;
  std::function<void(int32_t LayerId, const QString& LayerName, bool Visible)> OnDeleteLayer;
  std::function<void(TMyShape* AShape)> OnMouseEnterShape;
  std::function<void(TMyShape* AShape)> OnMouseLeaveShape;
  std::function<void(TMyCAD* Sender)> OnMouseEnter;
  std::function<void(TMyCAD* Sender)> OnMouseLeave;
  std::function<void(int32_t LayerId, const QString& LayerName, bool Visible)> OnNewLayer;
  std::function<void(TMyCAD* Sender)> OnPaint;
  std::function<void(TMyShape*& AShape, int32_t ShapeCount)> OnShapeAdded;
  std::function<void(TMyShape* AShape, float dx, float dy)> OnShapeCodeDragging;
  std::function<void(TMyShape* AShape, float AAngle)> OnShapeCodeRotating;
  std::function<void(TMyShape* AShape)> OnShapeDeleted;
  std::function<void(TMyShape* AShape, const TPoint& FromPoint, const TPoint& ToPoint)> OnShapeMouseDragged;
  std::function<void(TMyShape* AShape, const TPoint& FromPoint, const TPoint& ToPoint)> OnShapeMouseDragging;
  std::function<void(TMyShape* AShape, const TPoint& FromPoint, const TPoint& ToPoint)> OnShapeMouseResized;
  std::function<void(TMyShape* AShape, const TPoint& FromPoint, const TPoint& ToPoint)> OnShapeMouseResizing;
  std::function<void(TMyShape* AShape, const TPoint& FromPoint, const TPoint& ToPoint)> OnShapeMouseRotated;
  std::function<void(TMyShape* AShape, const TPoint& FromPoint, const TPoint& ToPoint)> OnShapeMouseRotating;
  std::function<void(TMyShape* LastSelectedShape, TMyShape* SelectedShape)> OnShapeSelected;
  std::function<void(TMyCAD* Sender)> OnClick;
  std::function<void(TMyCAD* Sender)> OnDblClick;
  std::function<void(TMyCAD* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseDown;
  std::function<void(TMyCAD* Sender, TShiftState Shift, int X, int Y)> OnMouseMove;
  std::function<void(TMyCAD* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseUp;
  // Something is dragged over the surface (Source: the widget the drag started in, or null when
  // it comes from another program; X, Y in control pixels). A drop is offered only when the
  // handler sets Accept; without a handler nothing is accepted.
  std::function<void(TMyCAD* Sender, QObject* Source, const QMimeData* Data, int X, int Y, bool& Accept)> OnDragOver;
  // What OnDragOver accepted was dropped at (X, Y).
  std::function<void(TMyCAD* Sender, QObject* Source, const QMimeData* Data, int X, int Y)> OnDragDrop;

  // ---- Lifetimes ----
  // The surface owns every shape of its list. A TMyShape* a host obtained (from an event, a
  // lookup, the selection) stays valid until the next load, clear, undo, redo or deletion:
  // those free shapes or put copies in their place, and announce it by drawingLoaded,
  // drawingCleared, shapeListReplaced or shapesDeleted. A host that keeps shapes across them
  // keeps their ShapeId and looks them up again (GetShapeByID) after the signal. Pens, brushes
  // and fonts given to the surface or a shape are copied; the caller keeps its own.

signals:
  void actionToolToSelecting();
  void childShapeSelected(cad::TMyShape* SelectedChildShape);
  void deleteLayer(int LayerId, const QString& LayerName, bool Visible);
  void mouseEnterShape(cad::TMyShape* AShape);
  void mouseLeaveShape(cad::TMyShape* AShape);
  void mouseEnter();
  void mouseLeave();
  void newLayer(int LayerId, const QString& LayerName, bool Visible);
  void paint();
  void shapeAdded(cad::TMyShape* AShape, int ShapeCount);
  void shapeCodeDragging(cad::TMyShape* AShape, float dx, float dy);
  void shapeCodeRotating(cad::TMyShape* AShape, float AAngle);
  // Before the shape goes: it is still in the list while this is delivered.
  void shapeDeleted(cad::TMyShape* AShape);
  void shapeMouseDragged(cad::TMyShape* AShape, const cad::TPoint& FromPoint, const cad::TPoint& ToPoint);
  void shapeMouseDragging(cad::TMyShape* AShape, const cad::TPoint& FromPoint, const cad::TPoint& ToPoint);
  void shapeMouseResized(cad::TMyShape* AShape, const cad::TPoint& FromPoint, const cad::TPoint& ToPoint);
  void shapeMouseResizing(cad::TMyShape* AShape, const cad::TPoint& FromPoint, const cad::TPoint& ToPoint);
  void shapeMouseRotated(cad::TMyShape* AShape, const cad::TPoint& FromPoint, const cad::TPoint& ToPoint);
  void shapeMouseRotating(cad::TMyShape* AShape, const cad::TPoint& FromPoint, const cad::TPoint& ToPoint);
  void shapeSelected(cad::TMyShape* LastSelectedShape, cad::TMyShape* SelectedShape);
  void click();
  void dblClick();
  void mouseDown(cad::TMouseButton Button, cad::TShiftState Shift, int X, int Y);
  void mouseMove(cad::TShiftState Shift, int X, int Y);
  void mouseUp(cad::TMouseButton Button, cad::TShiftState Shift, int X, int Y);
  // A slot sets Accept to offer the drop, as OnDragOver does (direct connections only).
  void dragOver(QObject* Source, const QMimeData* Data, int X, int Y, bool& Accept);
  void dragDrop(QObject* Source, const QMimeData* Data, int X, int Y);

  // Changes of state that have no event. Each is emitted once per command, when the command is
  // done (a command that empties the selection on its way and selects again reports nothing).
  // The selection became empty.
  void selectionCleared();
  // Shapes left the list by a deletion (of the selection, by id, an ungrouping, a layer); their
  // ids, members included. Their pointers are no longer valid.
  void shapesDeleted(const QList<int>& Ids);
  // LoadFromStream (or LoadFromFile) replaced the drawing; shapeListReplaced comes first.
  void drawingLoaded();
  // DeleteAllShapes emptied the drawing.
  void drawingCleared();
  // The list was rebuilt by a load, an undo or a redo: every shape pointer is stale.
  void shapeListReplaced();
  void zoomChanged(double Zoom);
  void modifiedChanged(bool Modified);
  void undoRedoChanged(bool CanUndo, bool CanRedo);
  void shapeToolChanged(cad::TDrawTool Tool);
  void unitChanged(cad::TUnits Unit);
  // The page's size, style or orientation changed (the control's size changes with it).
  void pageChanged();

public:

  // ---- Control geometry ----
  // The control's size follows the page and the zoom, never the reverse from a layout: the
  // size hint is that size and the size policy fixed, so a layout or a resizable scroll area
  // gives the surface exactly its page. A size set directly (resize, SetWidth) still becomes
  // the drawing's size.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }
  int Width() const { return QWidget::width(); }
  int Height() const { return QWidget::height(); }
  // The control's size in pixels at the zoom shown. The drawing keeps it exactly at zoom 1 (a
  // zoom in and out again gives it back) and the page follows it in whole millimetres.
  void SetWidth(int W);
  void SetHeight(int H);
  // Called when the control's size changed from outside: the drawing takes that size and the
  // page follows it.
  virtual void Resize();

  // ---- Shape list ----
  int32_t GetShapesCount() const { return static_cast<int32_t>(FMyShapes.size()); }
  TMyShape* GetShapeByNo(int32_t No) const;
  TMyShape* GetShapeByID(int32_t Id) const;
  TMyShape* GetShapeByName(const QString& Name) const;
  int32_t GetShapeNoById(uint32_t Id) const;
  int32_t GetShapeNoInMyShapes(const TMyShape* Shape) const;
  int32_t GetShapesCountInALayer(int32_t LayerId) const;
  int32_t GetMemShapesCount() const { return static_cast<int32_t>(FMemShapes.size()); }
  int32_t GetWorkingShapesCount() const { return static_cast<int32_t>(FWorkingShapes.size()); }
  int32_t GetSelectedShapesCount() const { return GetWorkingShapesCount(); }
  TMyShape* GetSelectedShape() const;
  const TArrMyShape& GetSelectedShapes() const { return FWorkingShapes; }
  // Appends a shape (ownership passes to the surface on success). Without any layer the error
  // is reported through the message handler and the shape is refused.
  bool AddShape(TMyShape* Shape, bool KeepLayer, bool KeepId);
  // Nothing happens when no shape has OldName or one already has NewName; a NewName that is not
  // a valid name raises EComponentError and the shape keeps its name.
  void RenameShapeName(const QString& OldName, const QString& NewName);
  TMyShape* CreateAddShapeByName(const QString& ClassName, TMyShape* Source);
  // Creates (does not add) a shape of a known class; null for any other name.
  static TMyShape* CreateShapeByName(const QString& ClassName, TMyCAD* ACAD);
  TMyShape* CreateShapeBySpTool(TDrawTool Tool, QObject* Owner = nullptr);
  int32_t NextShapeId() const { return FNextShapeId; }

  // ---- Layers ----
  int32_t NewLayer(const QString& Name, bool Visible);
  uint8_t GetLayersCount() const { return static_cast<uint8_t>(FLayers.size()); }
  int32_t GetLayerIdByName(const QString& Name) const;
  int32_t GetLayerIdByNo(int32_t No) const;
  // Layer ids are whole 32-bit numbers (a drawing may hold ids above 255): they are compared
  // whole, so one layer never answers for another.
  QString GetLayerNameByID(int32_t Id) const;
  int32_t GetLayerNoById(int32_t Id) const;
  uint8_t GetLayerNoByName(const QString& Name) const;
  int32_t GetMaxLayerId() const;
  int32_t CurrentLayerId() const { return FCurrentLayerId; }
  void SetCurrentLayerId(int32_t Id);
  void SetLayerNameByID(const QString& Name, int32_t Id);
  void SetLayerNameByName(const QString& NewName, const QString& OldName);
  void VisibleLayerByID(int32_t Id);
  void InVisibleLayerByID(int32_t Id);
  void VisibleLayerByName(const QString& Name);
  void InVisibleLayerByName(const QString& Name);
  void VisibleAllLayer();
  bool IsVisibleLayerByID(int32_t Id) const;
  bool DeleteLayerByID(int32_t Id);
  bool DeleteLayerByName(const QString& Name);
  void DeleteAllLayers();
  bool MergeLayers(int32_t TargetId, int32_t SourceId);
  const std::vector<LayerRec>& Layers() const { return FLayers; }

  // ---- Coordinates ----
  TPoint GetPointByMode(const TPoint& P) const;
  TMyPoint GetMyPointByMode(const TMyPoint& P) const;
  void GetMousePointbyDragMode(const TPoint& Start, TPoint& Current) const;

  // ---- Selection and tree ----
  void AddWorkingShapes(TMyShape* Shape);
  void RemoveWorkingShape(TMyShape* Shape);
  void RemoveAllWorkingShapes();
  int32_t IsInWorkingShape(const TMyShape* Shape) const;
  void SelectAllShapes();
  void DeSelectedAllShapesByCode();
  TMyShape* GetRootParentShape(TMyShape* Shape) const;
  bool areTheyBrother(const TMyShape* A, const TMyShape* B) const;
  TMyShape* CurrentShape() const { return FCurrentShape; }
  TActionTools Action() const { return FAction; }
  bool IsPtinRegion(const TRect& R, TMyShape* Shape) const;
  bool IsPtinRegionX(const TRect& R, TMyShape* Shape) const;
  bool IsPtinRegionY(const TRect& R, TMyShape* Shape) const;
  bool IsShapeBigthanRegion(const TRect& R, TMyShape* Shape) const;

  // ---- Editing ----
  bool DeleteShapeById(int32_t Id, bool RecordUndo);
  // Deletes the selection (and the connectors of selected joints) as one undoable step; false,
  // with nothing changed, when a selected shape is locked.
  bool DeleteSelectedShapes();
  void DeleteAllShapes();
  // Z-order: the list order is the painting order. Only shapes without parent take part; a
  // group's members keep their places.
  void BringToFront(TMyShape* Shape, bool RecordUndo);
  void SendToBack(TMyShape* Shape, bool RecordUndo);
  void BringToFrontByStep(TMyShape* Shape, bool RecordUndo);
  void SendToBackByStep(TMyShape* Shape, bool RecordUndo);
  // Exchanges two shapes' list positions and every relation number that names them.
  void SwapShape(TMyShape* A, TMyShape* B);
  TMyShape* GetNextSingleorRootShape(int32_t No) const;
  TMyShape* GetPrevSingleorRootShape(int32_t No) const;
  // Aligns the working shapes on the box around all of them (one undoable step).
  void AlignLeft();
  void AlignRight();
  void AlignTop();
  void AlignBottom();
  void AlignHorizontalCenter();
  void AlignVerticalCenter();
  // Radius and end angles (degrees) of the arc through P1 and P3 about Centre, with y turned
  // upwards (Height - y) for P1 and P3.
  void GetRA1A2By3Points(const TMyPoint& P1, const TMyPoint& P2, const TMyPoint& P3, const TMyPoint& Centre,
                         long double& R, long double& A1, long double& A2) const;
  void FlipHoriz(TMyShape* Shape);
  void FlipVert(TMyShape* Shape);
  void LockUnLockforShapes(TMyShape* Shape, bool Locked);
  void RotateChangeValueforShapes(TMyShape* Shape, const TMyPoint& Center, double Angle);
  TMyRect GetShapesLTRB(const TArrMyShape& Shapes) const {
    return GetShapesLTRB(Shapes, static_cast<int>(Shapes.size()) - 1);
  }
  TMyRect GetShapesLTRBinZoom(const TArrMyShape& Shapes) const {
    return GetShapesLTRBinZoom(Shapes, static_cast<int>(Shapes.size()) - 1);
  }
  // The same for one shape, without building a list.
  TMyRect GetShapeLTRBinZoom(const TMyShape* Shape) const;

  // ---- Connectors ----
  // A connector by code from link point I of A to link point J of B; its id, or -1 (nothing
  // changes) when a shape or an index is missing, the name is not valid or the line cannot be
  // added.
  int32_t CreateLink(const QString& Name, TMyShape* A, int32_t I, TMyShape* B, int32_t J);
  // The id of the first connector in A's link list that B's link list holds too, or -1.
  int32_t IsLinked(TMyShape* A, TMyShape* B) const;
  // The last link point of S within 5 pixels of P (control pixels), or -1.
  int32_t IsinHotLink(TMyShape* S, const TPoint& P) const;
  // The first shape in list order with a link point under P (device) that is not selected, or
  // is the only selected shape; false and both -1 when there is none.
  bool InWhichShapeWhichHotLinkId(int32_t& ShapeNo, int32_t& LinkId, const TMyPoint& P);
  void ClearAllLinkHot();
  // Routes Line from Ps to Pe (device coordinates): a straight line with lldsFree; with lldsHV,
  // horizontal and vertical moves that leave the end shapes straight out of their nearest sides
  // and step around combined shapes. Ends closer than 20 pixels on both axes keep the line as
  // it is. The rubber band of the old and new route is drawn on ACanvas when given.
  void GetPath(TCanvas* ACanvas, TMyLinkLine* Line, TMyShape* StartShape, const TMyPoint& Ps, TMyShape* EndShape,
               const TMyPoint& Pe);
  // Re-routes the connectors attached to a shape (and to its members) after it changed.
  void ChangeLinkShapes(TMyShape* Shape);
  // Attaches the start or end of Line to the link point under P (device), or frees it; P moves
  // onto the link point found.
  void GetMainShape(TMyLinkLine* Line, TLinkLineEndPoint End, TMyPoint& P);
  // The segment of another connector (not Exclude) that P (device) lies on, horizontal or
  // vertical, within the hot size; P moves onto it and Line names it. -1 when there is none.
  int32_t IsBreakLineByAPoint(TMyPoint& P, TMyLinkLine*& Line, const TMyLinkLine* Exclude);
  // Splits OldLine at P (device) on segment SegIndex with a new joint that NewLine's end joins.
  bool BreakLine(TMyLinkLine* NewLine, const TMyPoint& P, TMyLinkLine* OldLine, int32_t SegIndex);
  // Splits OldLine at P on segment SegIndex at the existing joint LinkPt.
  bool BreakLineByAPoint(const TMyPoint& P, TMyLinkLine* OldLine, int32_t SegIndex, TMyShape* LinkPt);
  // The connectors of this surface, in no particular order.
  const std::vector<TMyLinkLine*>& LinkLines() const { return FLinkLines; }
  // For the jumps of CrossLine: appends to Xs the X of every crossing of the horizontal
  // segment A-B (device) by a vertical segment of a connector that the current paint draws.
  void GetLinkLineCrossings(const TMyPoint& A, const TMyPoint& B, std::vector<float>& Xs);

  // ---- Grouping ----
  // Wraps the shapes (at least two, all visible, on the first one's layer) in a new group and
  // selects it; returns the group's id, or -1 when nothing was grouped.
  int32_t GroupShapes(const TArrMyShape& Shapes, bool RecordUndo);
  int32_t GroupWorkingShape() { return GroupShapes(FWorkingShapes, true); }
  void UnGroupShape(TMyShape* Shape, bool RecordUndo);

  // ---- Snapping, Shift constraints and group-aware gestures ----
  bool SnapXY(int& X, int& Y);
  void SnapRect(const TMyRect& R, int& X, int& Y);
  void DrawMakeSquareorHV(TShiftState Shift, TMyShape* Shape, const TPoint& Ref, TPoint& P);
  void ResizeMakeSquareorHV(TShiftState Shift, TMyShape* Shape, const TPoint& Ref, TPoint& P);
  void DraggingforShapes(TCanvas* ACanvas, TMyShape* Shape, const TPoint& Start, const TPoint& Current);
  void DragChangeValueDxDyforShapes(TMyShape* Shape, double dx, double dy);
  void RotatingforShapes(TCanvas* ACanvas, TMyShape* Shape, const TMyPoint& Center, long double Angle);
  void SizeChangeValueforShapes(TMyShape* Shape, const TMyPoint& From, const TMyPoint& To);
  void SizeShape(TMyShape* Shape, int32_t HotIndex, const TMyPoint& P);
  // Moves a shape (with its members) by (dx, dy) device pixels, that is control pixels at the
  // current zoom, and re-routes its connectors. It records no undo step and leaves the modified
  // flag alone: the caller records (PushtoUndoRedoShapeList) and flags as it sees fit.
  void Move(TMyShape* Shape, float dx, float dy);
  // Moves Shapes (the selection when empty) by (dx, dy) in the surface's unit (TheUNIT, scaled
  // by Ratio; pixels are pixels at zoom 1), whatever the zoom, as one undo step "ACT_CHANGE":
  // the drawing is flagged modified and redo ends. Locked shapes stay. False (nothing recorded)
  // when there is nothing to move or the distance is not finite.
  bool MoveByUnits(const TArrMyShape& Shapes, double dx, double dy);
  void Rotate(TMyShape* Shape, float Angle);

  // ---- Mouse ----
  // The control's mouse handlers, in control pixels; the widget's events call them and tests
  // and hosts may call them directly.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  void CMMouseEnter();
  void CMMouseLeave();
  void SetSelectShapeMode();
  void ShowHintEnterLeaveShape(TMyShape* Shape, bool Entered, const TPoint& P);
  void SetCursorClipArea(const TRect& R, int A, int B, bool Hide);
  void ReleaseCursorClipArea();
  bool IsClickedMeforShape(TCanvas* ACanvas, TMyShape* Shape, const TPoint& P);
  bool IsInRegion(const TPoint& P1, const TPoint& P2, TMyShape* Shape);
  TMyShape* ClickedChildShape() const { return FClickedChildShape; }
  TMyShape* HoverShape() const { return FHoverShape; }
  bool MouseIsDown() const { return FMouseIsDown; }
  TPoint StartPoint() const { return FStartPoint; }
  TPoint CurrentPoint() const { return FCurrentPoint; }

  // ---- Drawing by code ----
  // Creates a shape of the kind Tool draws, for the surface ACAD (this surface when null), from
  // Points in drawing coordinates, stored as given whatever the zoom; names it ShapeName (an
  // empty name gives "Shape" + id), turns it to Angle (radians), adds it to the current layer as
  // one undoable step and selects it alone; it stays the current shape. Points per tool: SpLine
  // and SpRuleLine 2; SpPolyLine and SpPolygon 2 or more (a polygon is closed with its first
  // point again); SpPolyBezier 4, 7, 10, ...; SpRectangle, SpEllipse and SpText 4 (Text becomes
  // the text's Info); SpElliArc 3; other tools draw nothing by code. Returns the new id, or -1
  // with the surface unchanged for another tool or count, a shape kind this build does not
  // have, a name that is not valid, or when the shape cannot be added.
  int32_t AddShapeByCode(TMyCAD* ACAD, TDrawTool Tool, const QString& ShapeName, const TArrMyPoint& Points,
                         long double Angle = 0, const QString& Text = QString());
  // Adds an image shape with its top-left corner at TopLeft, sized by the picture, as one
  // undoable step, selected alone. Its id, or -1 (nothing changes) when the image kind or the
  // picture is missing, the name is not valid or the shape cannot be added.
  int32_t AddImageShapeByCode(const QString& ShapeName, const TPoint& TopLeft, const TBitmap* Bitmap);
  // Replaces the picture of the image shape with that id; false for another id, another kind
  // or a picture that cannot be taken.
  bool SetMyImage(int32_t Id, const TBitmap* Bitmap);
  // Selects the shape with that id (its root group, for a member), alone when Exclusive. Fires
  // OnShapeSelected with the first shape selected before (or null) and the shape. False for an
  // unknown id.
  bool SelectShapeByCode(int32_t Id, bool Exclusive);
  // The box around every point of Shapes[0 .. High], in drawing coordinates or (InZoom) times
  // the zoom. Shapes without points add nothing; with no point at all (High < 0, an empty
  // array) the box is all zero.
  TMyRect GetShapesLTRB(const TArrMyShape& Shapes, int High) const;
  TMyRect GetShapesLTRBinZoom(const TArrMyShape& Shapes, int High) const;
  // Writes "[Value]" at control pixel (X, Y) straight onto the canvas, red on grey; it is not
  // part of the drawing and goes with the next repaint of that place. DebugVarf writes up to 15
  // significant digits.
  void DebugVar(int X, int Y, int Value);
  void DebugVarf(int X, int Y, double Value);
  // Kept for hosts that call it; it does nothing.
  void GetSystemShapes() {}

  // ---- Shape libraries ----
  // Inserts the library entry Name as one TMyCombine centred on (X, Y) (control pixels) whose
  // members are copies of the entry's shapes (groups of the entry are not copied, their members
  // are) made for Owner (this surface when null), with the entry's connection points as its link
  // points and its user data; one undoable step "ACT_ADD", the combine selected alone. The
  // combine's id, or -1 (nothing changes) when the entry is missing or cannot be read.
  int32_t AddUserDefineShapefromLib(TLibManager* Lib, const QString& Name, int X, int Y, TMyCAD* Owner);

  // ---- Drawing file and clipboard ----
  // The whole drawing (settings, layers, shapes) as one stream in the newest generation. False
  // when writing failed; the stream keeps what was written. Saving changes nothing.
  bool SaveToStream(TStream& Stream);
  // Reads a drawing stream of any generation. The drawing is read into a fresh state and takes
  // the place of the open one only when all of it was read and made sense: on false the surface
  // is exactly as it was (shapes, layers, settings, undo lists).
  bool LoadFromStream(TStream& Stream);
  // Writes to a temporary file beside FileName and puts it in place only when everything was
  // written; false (the old file and the modified flag stay) on any failure, including a file
  // that cannot be created. SaveToFileold leaves the modified flag alone.
  bool SaveToFile(const QString& FileName);
  bool SaveToFileold(const QString& FileName);
  // False when the file is no drawing or does not load; a missing file raises EFOpenError.
  bool LoadFromFile(const QString& FileName);
  // Whether the file starts with the drawing signature; a missing file raises EFOpenError.
  static bool IsVORNFile(const QString& FileName);
  // Why the last load or save of a drawing or block failed, in words for a person: no drawing
  // file, written by a newer version, too large, where it is damaged or ends early, or the
  // system's reason a file could not be opened or written ("No space left on device"). Empty
  // after a load or save that succeeded. Set for a missing file too, before EFOpenError.
  QString LastFileError() const;
  // Puts a shape at list position Index (0 .. count; the shapes from Index on move one further,
  // their relations renumbered), keeping its layer and, with KeepId, without taking an id. On
  // false (no layer, a position beyond the end) the shape stays the caller's.
  bool AddShapeforLoadfromStream(int32_t Index, TMyShape* Shape, bool KeepId);
  // Inserts the shapes of another drawing as a block, with its layers merged into the current
  // layer, appended as new layers or mapped onto the layers by position. A block that fails to
  // load changes nothing.
  bool AddBlockfromVORNFile(const QString& FileName, TBlockLayerMode Mode);
  bool LoadFromStreamforBlock(TStream& Stream, TBlockLayerMode Mode);
  // The internal clipboard: Copy keeps detached copies of the selection (with their members),
  // Paste adds them again 4 units further, selected, as one undoable step.
  void Copy();
  void Cut();
  void Paste();
  void PasteforBlock();
  const TArrMyShape& MemShapes() const { return FMemShapes; }

  // ---- Rendering ----
  // The whole drawing as a paint shows it at zoom AZoom: background colour and picture, grid,
  // every visible shape of every visible layer with its link marks, but no selection marks and
  // nothing a host draws in OnPaint. The image has the control's size at that zoom (the page
  // size), whether or not the control is shown; the back buffer is neither used nor changed,
  // and zoom, control size and paint bookkeeping are as before afterwards. A null image when
  // AZoom is not a positive finite number, when the picture would be empty or hold more than
  // kMaxPicturePixels pixels, or when called while the surface paints.
  QImage RenderToImage(double AZoom);

  // ---- Printing (mycad_print.cpp) ----
  // The surface's printer, made on first use: the system's default printer until a host or a
  // print dialog sets it up otherwise (a PDF file as output, another paper).
  QPrinter* Printer();
  // Prints one page on Printer(): page colour (with PrintBackground), background picture,
  // border, head and foot, then the shapes. Layers empty: every shape in list order; otherwise
  // each shape once for every entry of Layers equal to its layer id. Scale 1 prints the drawing
  // at its screen size in inches. Zoom is as before afterwards. EPrinterError when the
  // document cannot be begun or finished, or Scale is not a positive number; printing to a
  // file writes it beside the target and puts it in place only when it is complete, so a
  // failed print leaves the old file as it was.
  void Print(const std::vector<int32_t>& Layers, double Scale);
  // Print into a PDF file on paper of the page's size and orientation; the printer's other
  // settings are as before afterwards.
  void PrintToPdf(const QString& FileName, const std::vector<int32_t>& Layers, double Scale);
  // The same page into Bitmap at zoom Scale, sized by the page's millimetres at the screen's
  // pixels per inch. False (the bitmap emptied, nothing drawn) when Scale is not a positive
  // number or the picture would hold more than kMaxPicturePixels pixels.
  bool PrintPreview(const std::vector<int32_t>& Layers, TBitmap* Bitmap, double Scale);
  // Page decorations on the printer page while Print runs (they do nothing otherwise), and on
  // a bitmap of the page's size.
  void PrintBkBitmap();
  void PrintBorder();
  void PrintHeadFoot();
  void DrawBorder(TBitmap* Bitmap);
  void DrawHeadFoot(TBitmap* Bitmap);
  // The places of the head and foot texts on a page of W x H device pixels at the current zoom.
  TPoint PageHeadPos(int W);
  TPoint PageFootPos(int W, int H);

  // ---- Export (mycad_export.cpp) ----
  // Renders the whole drawing into Bitmap, sized W x H, at the largest zoom that fits. False
  // (the bitmap emptied) when W x H exceeds kMaxPicturePixels; W or H 0 gives an empty bitmap.
  bool SaveToBmp(TBitmap* Bitmap, int W, int H);
  // The drawing at the current zoom, the surface's size, as a BMP file. EExportError when the
  // picture would exceed kMaxPicturePixels, EFCreateError when the file cannot be written; the
  // file is replaced only when written whole.
  void SaveToBmp(const QString& FileName);
  // The same picture as a JPEG file of the given quality (0 to 100).
  void SaveToJpg(const QString& FileName, int Quality);
  // The same picture in any format the toolkit writes ("PNG", "BMP", "JPEG"); Quality -1 is
  // the format's default.
  void SavePicture(const QString& FileName, const char* Format, int Quality = -1);
  // Paints shapes at zoom AZoom onto any paint device (an SVG generator, a picture): Shapes
  // (each with its members), or every top-level shape of the visible layers when null. The
  // device's pixel (0, 0) shows control pixel Origin at that zoom. No background, grid or
  // marks; the drawing and the zoom are as before afterwards.
  void PaintShapesTo(QPaintDevice* Device, double AZoom, const QPoint& Origin, const TArrMyShape* Shapes = nullptr);
  // The drawing as an ASCII DXF file (ENTITIES only, millimetres, y upwards); EFCreateError
  // when the file cannot be written, the old file then stays.
  void SaveToDxf(const QString& FileName);
  // The text SaveToDxf writes.
  QByteArray DxfText();
  // There is no metafile writer: both write nothing and return false.
  bool SaveToWmf(const QString& FileName);
  bool CopyToClipBoardAsWmf();

  // ---- DXF import (mycad_dxfimport.cpp) ----
  // Adds the entities of a DXF file as shapes (see TDxfImportReport) as one undoable step.
  // False, with the drawing unchanged, when the file cannot be read or holds no DXF.
  bool ImportDxf(const QString& FileName, TDxfImportReport& Report);
  // The same for the bytes of a DXF file.
  bool ImportDxfData(const QByteArray& Data, TDxfImportReport& Report);

  // ---- Stream primitives (forward to the free functions of the same names) ----
  bool WriteStrBuffer(TStream& Stream, const QString& Text, uint8_t Len);
  bool ReadBitmapBuffer(TStream& Stream, std::unique_ptr<TBitmap>& Bitmap);
  bool WriteBitmapBuffer(TStream& Stream, const TBitmap* Bitmap);

  // ---- Undo and redo ----
  // Records one step of the given action for the shapes (copies of them as they are now).
  // Recording empties the redo list. Between BeginUndoGroup and EndUndoGroup every record joins
  // one step, so a gesture that makes several changes is undone at once.
  void PushtoUndoRedoShapeList(const TArrMyShape& Shapes, const QString& Action);
  // Undoes the newest step; the drawing it leaves can be brought back with Redo.
  void PopFromUndoRedoShapeList();
  void Undo() { PopFromUndoRedoShapeList(); }
  // Re-applies the newest undone step and makes it undoable again.
  void Redo();
  // Takes the newest step back as Undo does and forgets it, so that it cannot be redone: for a
  // gesture the host calls off after the surface recorded it (a box drawn for a picture the
  // user then did not choose).
  void WithdrawLastStep();
  bool CanUndo() const { return FUndoRedoSize > 0 && !FUndoList.empty(); }
  bool CanRedo() const { return FUndoRedoSize > 0 && !FRedoList.empty(); }
  int32_t UndoStepsCount() const;
  int32_t RedoStepsCount() const { return static_cast<int32_t>(FRedoList.size()); }
  const std::vector<TSavedShape>& UndoList() const { return FUndoList; }
  void BeginUndoGroup();
  void EndUndoGroup();
  // Empties the undo and the redo list.
  void ClearAllUndoStuff();
  uint8_t UndoRedoSize() const { return FUndoRedoSize; }
  void SetUndoRedoSize(uint8_t Value);

  // ---- Spatial index ----
  // Painting, hit tests, the rubber band and snapping look shapes up in a spatial index over
  // their reach instead of scanning the whole list; the results are the same. Switched off,
  // every lookup scans the list again and every paint draws every shape (for comparison and
  // diagnosis; hosts have no reason to).
  bool UseShapeIndex() const { return FUseShapeIndex; }
  void SetUseShapeIndex(bool Value);
  // The shapes whose reach (TMyShape::GetReach, widened by the hot marks and hit bands of this
  // surface) may meet Area (control pixels), in list order: a superset of the shapes that can
  // paint, mark or be hit there. With ContainingGroups, also every group whose member tree holds
  // such a shape. The array is the surface's own and valid until the next lookup.
  const TArrMyShape& ShapesReaching(const TRect& Area, bool ContainingGroups = false);

  // ---- Painting ----
  // The back buffer: covers the visible part of the control, addressed in control pixels.
  TCanvas* Canvas();
  // The part of the control the back buffer covers.
  QRect BufferArea() const { return FBufferArea; }
  // The buffer is painted at the screen's device pixel ratio (coordinates stay in control
  // pixels); a positive value paints it at that ratio instead, 0 follows the screen again.
  qreal BufferPixelRatio() const { return FBuffer.isNull() ? WantedBufferRatio() : FBuffer.devicePixelRatio(); }
  void SetBufferPixelRatio(qreal Value);
  void Paint();
  // Schedules a repaint of only what changed since the last paint (shapes that moved or
  // changed, selection marks that came or went, ghosts drawn on the canvas), or of everything
  // when that is simpler. It happens at the next paint event, or at once when the canvas is
  // asked for, so whoever reads or draws on the buffer sees the finished picture; that picture
  // is the one a full repaint gives. Gestures end with it.
  void RepaintChanged();
  void DrawAll(const TRect& R);
  void DrawAllShape(TCanvas* ACanvas, const TRect& R);
  void FillBackground(TBitmap* Bitmap, const TRect& R);
  void DrawGrid(TBitmap* Bitmap, const TRect& R);
  void DrawBackground(TBitmap* Bitmap);
  void DrawBkBitmap(TCanvas* Target, int X, int Y, bool Flag = false);
  void DrawBkBitmapArea(TCanvas* Target, int X, int Y, int AreaWidth, int AreaHeight);
  void SelectAllWorkingShapes();
  // Repaint re-renders the buffer at once; Invalidate defers it to the next paint event.
  void Repaint();
  void Invalidate();
  bool Busy() const { return FBusy; }
  bool Loading() const { return FLoading; }
  void SetLoading(bool v) { FLoading = v; }
  bool Modified() const { return FModified; }
  void SetModified(bool v);

  // ---- Labels ----
  QLabel* LabelXY() const { return FLabelXY; }
  QLabel* LabelValue() const { return FLabelValue; }
  void SetLabelXY(QLabel* Label);
  void SetLabelValue(QLabel* Label);
  void UpdateLabelXY(int X, int Y);
  void UpdateLabelValue(const QString& Text);

  // ---- Published properties ----
  int32_t ArrowAngle() const { return FArrowAngle; }
  // Degrees 0 .. 359; other values are ignored.
  void SetArrowAngle(int32_t v) {
    if (v >= 0 && v <= 359) FArrowAngle = v;
  }
  uint8_t ArrowLength() const { return FArrowLength; }
  // Pixels 10 .. 80; other values are ignored.
  void SetArrowLength(int v) {
    if (v >= 10 && v <= 80) FArrowLength = static_cast<uint8_t>(v);
  }
  uint8_t ArrowOffset() const { return FArrowOffset; }
  void SetArrowOffset(uint8_t v) { FArrowOffset = v; }
  TArrowStyle ArrowStyle() const { return FArrowStyle; }
  void SetArrowStyle(TArrowStyle v) { FArrowStyle = v; }
  TBitmap* BkBitmap() { return &FBkBitmap; }
  void SetBkBitmap(const TBitmap* Value);
  TBkBitmapMode BkBitmapMode() const { return FBkBitmapMode; }
  void SetBkBitmapMode(TBkBitmapMode Value);
  TBrush* Brush() { return &FBrush; }
  void SetBrush(const TBrush* Value);
  TFont* Font() { return &FFont; }
  void SetFont(const TFont* Value);
  void SetCADFont(const TFont* Value) { SetFont(Value); }
  TPen* Pen() { return &FPen; }
  void SetPen(const TPen* Value);
  TColor ColorOfBackGround() const { return FColorOfBackGround; }
  void SetColorOfBackGround(TColor Value);
  TColor ColorOfHot() const { return FColorOfHot; }
  void SetColorOfHot(TColor Value);
  bool CrossLine() const { return FCrossLine; }
  void SetCrossLine(bool v) { FCrossLine = v; }
  QString DiskFileVersion() const { return FDiskFileVersion; }
  void SetDiskFileVersion(const QString& v) { FDiskFileVersion = v; }
  TDragMode DragMode() const { return FDragMode; }
  void SetDragShapeMode(TDragMode v) { FDragMode = v; }
  TGridObject* GridOperation() const { return FGridOperation; }
  void SetGridOperation(const TGridObject* Grid);
  bool HotShow() const { return FHotShow; }
  void SetHotShow(bool v) { FHotShow = v; }
  uint8_t HotSize() const { return FHotSize; }
  void SetHotSize(uint8_t v) { FHotSize = v; }
  TLinkLineDrawStyle LinkLineDrawStyle() const { return FLinkLineDrawStyle; }
  void SetLinkLineDrawStyle(TLinkLineDrawStyle v) { FLinkLineDrawStyle = v; }
  bool OperateAllLayer() const { return FOperateAllLayer; }
  void SetOperateAllLayer(bool Value);
  uint32_t PageHeight() const { return FPageHeight; }
  void SetPageHeight(uint32_t Value);
  uint32_t PageWidth() const { return FPageWidth; }
  void SetPageWidth(uint32_t Value);
  TPrinterOrientation PageOrientation() const { return FPageOrientation; }
  void SetPageOrientation(TPrinterOrientation Value);
  TPageStyle PageStyle() const { return FPageStyle; }
  void SetPageStyle(TPageStyle Value);
  TPageStyle GetPageStyleByWH(uint32_t W, uint32_t H) const;
  QString PageHead() const { return FPageHead; }
  void SetPageHead(const QString& v) { FPageHead = v; }
  QString PageFoot() const { return FPageFoot; }
  void SetPageFoot(const QString& v) { FPageFoot = v; }
  TFont* PageHeadFont() { return &FPageHeadFont; }
  void SetPageHeadFont(const TFont* v) { if (v) FPageHeadFont.Assign(*v); }
  TFont* PageFootFont() { return &FPageFootFont; }
  void SetPageFootFont(const TFont* v) { if (v) FPageFootFont.Assign(*v); }
  TAlignment PageHeadAlignment() const { return FPageHeadAlignment; }
  void SetPageHeadAlignment(TAlignment v) { FPageHeadAlignment = v; }
  TAlignment PageFootAlignment() const { return FPageFootAlignment; }
  void SetPageFootAlignment(TAlignment v) { FPageFootAlignment = v; }
  uint8_t PageHeadToTop() const { return FPageHeadToTop; }
  void SetPageHeadToTop(uint8_t v) { FPageHeadToTop = v; }
  uint8_t PageFootToBottom() const { return FPageFootToBottom; }
  void SetPageFootToBottom(uint8_t v) { FPageFootToBottom = v; }
  bool PrintABorder() const { return FPrintABorder; }
  void SetPrintABorder(bool v) { FPrintABorder = v; }
  uint8_t PrintABordertoLeft() const { return FPrintABordertoLeft; }
  void SetPrintABordertoLeft(uint8_t v) { FPrintABordertoLeft = v; }
  uint8_t PrintABordertoTop() const { return FPrintABordertoTop; }
  void SetPrintABordertoTop(uint8_t v) { FPrintABordertoTop = v; }
  uint8_t PrintABordertoRight() const { return FPrintABordertoRight; }
  void SetPrintABordertoRight(uint8_t v) { FPrintABordertoRight = v; }
  uint8_t PrintABordertoBottom() const { return FPrintABordertoBottom; }
  void SetPrintABordertoBottom(uint8_t v) { FPrintABordertoBottom = v; }
  bool PrintBackground() const { return FPrintBackground; }
  void SetPrintBackground(bool v) { FPrintBackground = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double Value);
  bool ResizeEnable() const { return FResizeEnable; }
  void SetResizeEnable(bool v) { FResizeEnable = v; }
  bool ReturnToSelecting() const { return FReturnToSelecting; }
  void SetReturnToSelecting(bool v) { FReturnToSelecting = v; }
  bool RotateEnable() const { return FRotateEnable; }
  void SetRotateEnable(bool v) { FRotateEnable = v; }
  TDrawTool ShapeTool() const { return FShapeTool; }
  void SetShapeTool(TDrawTool Tool);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  bool ShowHotLink() const { return FShowHotLink; }
  void SetShowHotLink(bool v) { FShowHotLink = v; }
  bool Snap() const { return FSnap; }
  void SetSnap(bool v) { FSnap = v; }
  uint8_t SnapPixels() const { return FSnapPixels; }
  void SetFSnapPixels(uint8_t Value);
  bool SnapShape() const { return FSnapShape; }
  void SetSnapShape(bool v) { FSnapShape = v; }
  TUnits TheUNIT() const { return FTheUNIT; }
  void SetUnit(TUnits Value);
  QString Version() const { return FVersion; }
  TXYMode XYMode() const { return FXYMode; }
  void SetXYMode(TXYMode Value);
  double Zoom() const { return FZoom; }
  void SetZoom(double Value);

  // ---- The same properties in the toolkit's types (for the meta-object system) ----
  // Each reads a copy of the surface's object and writes into it (the font's colour, character
  // set and the brush's pattern picture stay as they were); Reset... gives the object a fresh
  // default.
  QFont QtFont() const;
  void SetQtFont(const QFont& Value);
  void ResetFont();
  QFont QtPageHeadFont() const;
  void SetQtPageHeadFont(const QFont& Value);
  void ResetPageHeadFont();
  QFont QtPageFootFont() const;
  void SetQtPageFootFont(const QFont& Value);
  void ResetPageFootFont();
  QBrush QtBrush() const;
  void SetQtBrush(const QBrush& Value);
  void ResetBrush();
  QPen QtPen() const;
  void SetQtPen(const QPen& Value);
  void ResetPen();
  QPixmap QtBkBitmap() const;
  void SetQtBkBitmap(const QPixmap& Value);
  void ResetBkBitmap() { SetBkBitmap(nullptr); }
  // The grid object's fields; unlike the grid object's own setters these repaint.
  TColor GridColor() const { return FGridOperation->GridColor(); }
  void SetGridColor(TColor Value);
  uint8_t GridHeight() const { return FGridOperation->GridHeight(); }
  void SetGridHeight(uint8_t Value);
  uint8_t GridPenSize() const { return FGridOperation->GridPenSize(); }
  void SetGridPenSize(uint8_t Value);
  bool GridShow() const { return FGridOperation->GridShow(); }
  void SetGridShow(bool Value);
  TGridType GridType() const { return FGridOperation->GridType(); }
  void SetGridType(TGridType Value);
  uint8_t GridWidth() const { return FGridOperation->GridWidth(); }
  void SetGridWidth(uint8_t Value);

protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void enterEvent(QEnterEvent* Event) override;
  void leaveEvent(QEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dragMoveEvent(QDragMoveEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

private:
  friend class TMyShape;
  // Fires an event: its callback when set, then its signal with the same arguments (taken
  // after the callback, which may change those passed by reference).
  template <typename Callback, typename Signal, typename... Args>
  void Fire(const Callback& Event, Signal Sig, Args&&... A) {
    if (Event) Event(A...);
    (this->*Sig)(A...);
  }
  // The same for the events whose callback takes the surface as Sender first.
  template <typename Callback, typename Signal, typename... Args>
  void FireFromSender(const Callback& Event, Signal Sig, Args&&... A) {
    if (Event) Event(this, A...);
    (this->*Sig)(A...);
  }
  // Asks the host (OnDragOver, then dragOver) whether it takes what is dragged at the event's
  // place.
  bool DragOffered(QDropEvent* Event);
  // Moves a shape by device pixels and tells the host, as Move does, without repainting.
  void MoveInZoom(TMyShape* Shape, double dx, double dy);
  // State the change signals report, as last reported.
  struct TNotifiedState {
    bool Modified = false, CanUndo = false, CanRedo = false, Selected = false;
    double Zoom = 0;
    TUnits Unit = TUnits::mm;
    TDrawTool Tool = TDrawTool::SpSelecting;
    uint32_t PageWidth = 0, PageHeight = 0;
    TPageStyle PageStyle = TPageStyle::A4;
    TPrinterOrientation Orientation = TPrinterOrientation::poPortrait;
  };
  TNotifiedState NotifiedStateNow() const;
  // Emits the change signals for what differs from what was last reported, and the list
  // signals of the command that ends; nothing while a command holds them back.
  void NotifyStateChanges();
  // Held by a command from start to end, so that its signals come once, when it is done.
  // Replaced: the command rebuilds the shape list (load, undo, redo); Loaded: it loads a
  // drawing.
  class TNotifyBatch {
  public:
    enum TKind : uint8_t { Plain, Replaced, Loaded };
    explicit TNotifyBatch(TMyCAD* Cad, TKind Kind = Plain);
    ~TNotifyBatch();
    TNotifyBatch(const TNotifyBatch&) = delete;
    TNotifyBatch& operator=(const TNotifyBatch&) = delete;

  private:
    TMyCAD* FCad;
  };
  TNotifiedState FNotified;
  int FNotifyHold = 0;
  bool FListReplaced = false, FDrawingLoaded = false;
  QList<int> FRemovedIds;
  // A drawing rectangle in device coordinates (each side times the zoom, in single precision).
  TMyRect InZoom(const TMyRect& R) const;
  // Reports from the shapes of the list (TMyShape::Changed and the member arrays).
  void ShapeChanged(TMyShape* Shape);
  void ShapeRelationsChanged();
  // Brings the index (and the member trees, when relations changed) up to date.
  void FlushShapeIndex();
  void RebuildContainers();
  // A shape leaves the list (it is about to be freed or handed elsewhere): out of the index, its
  // place repainted, its bookkeeping cleared.
  void ForgetShape(TMyShape* Shape);
  void ForgetAllShapes();
  // Lookup helpers: collect the candidates of one area into FCandidates, then order them.
  void BeginLookup();
  void CollectReaching(const TRect& Area, bool ContainingGroups);
  const TArrMyShape& EndLookup();
  // The margin in device pixels that this surface's marks and hit bands add to every reach.
  int SurfaceMargin() const;
  QRect ReachToControl(const TShapeReach& Reach) const;
  // Whether a shape of the list can show up in Area (control pixels); true when not indexed.
  bool Reaches(TMyShape* Shape, const QRect& Area);
  // Selection bookkeeping that keeps the shapes' flags and the repaint area in step.
  void SetSelected(TMyShape* Shape, bool Selected);
  void ClearWorkingList();
  // Damage: the part of the control whose picture no longer matches the drawing.
  void AddDamage(const QRect& Area);
  void AddDamage(TMyShape* Shape);
  void DamageAll() { FDamageAll = true; }
  // Paints Area (control pixels, within the buffer) of the picture; everything when it is the
  // whole buffer.
  void PaintArea(const QRect& Area);
  // Does the repaint RepaintChanged scheduled, if any.
  void FlushPendingPaint();
  // The settings a picture depends on besides the shapes; a change means a full repaint.
  struct TPaintState {
    double Zoom = 0;
    bool HotShow = false, RotateMarks = false, RotateEnable = false, PrintBackground = false;
    uint8_t HotSize = 0;
    TColor HotColor = 0, Background = 0;
    const TMyShape* ClickedChild = nullptr;
    QRect Buffer;
    QSize Size;
    std::array<int, 6> Grid{};
    TBkBitmapMode BkMode = TBkBitmapMode::Center;
    qint64 BkKey = 0;
    std::vector<std::pair<int32_t, bool>> Layers;
    bool operator==(const TPaintState&) const = default;
  };
  TPaintState CurrentPaintState() const;
  // The page size (and style) that the control's size gives at the zoom; the control keeps its
  // size.
  void PageFollowsControl();
  // Sets the control size from the drawing's size and the zoom, without feeding back into the
  // page.
  void ApplyPageSizeToControl(bool SetWidthToo, bool SetHeightToo);
  int PageMmToPixels(uint32_t Mm) const;
  // The control's size at a zoom: each axis from its exact size at zoom 1 when it has one, else
  // from the page's millimetres.
  QSize ControlSizeAt(double Zoom) const;
  void ResizeControl(int W, int H);
  // The drawing's size at zoom 1; setting it keeps it exact, sizes the control and moves the
  // page to it.
  long double UnzoomedWidth() const;
  long double UnzoomedHeight() const;
  void SetUnzoomedSize(long double W, long double H);
  // Grows the axes where W or H is larger than the drawing.
  void GrowUnzoomedSize(long double W, long double H);
  void ApplyUnzoomedSize();
  // Makes the back buffer cover the visible part of the control; true when it was rebuilt.
  bool EnsureBuffer();
  // Moves the buffer's pixels to a new visible area of the same size that overlaps the old one
  // and paints only what comes into view; false (nothing done) when the buffer's picture is not
  // worth keeping.
  bool ScrollBuffer(const QRect& Want, qreal Ratio);
  qreal WantedBufferRatio() const;
  // Makes the buffer Size control pixels at Ratio device pixels each way, a window over memory
  // with room around it, keeping the memory when it fits; its pixels are to be painted.
  void NewBuffer(const QSize& Size, qreal Ratio);
  // Points the buffer at the window of its memory at Offset (device pixels), of the same size.
  void PlaceBuffer(QPoint Offset);
  // Moves the buffer's picture by Shift device pixels.
  void ShiftBuffer(QPoint Shift);
  // Paints Area of the buffer as the drawing is now, leaving the scheduled repaint as it was.
  void PaintExposed(const QRect& Area);
  // The picture within Area (the whole buffer when it is the buffer's area); Clean marks the
  // buffer painted just before OnPaint, so that a host invalidating there is heard.
  void DrawPicture(const QRect& Area, bool Clean);
  QRect WantedBufferArea() const;
  void DrawingPress(TShiftState Shift);
  void SelectionPress(TShiftState Shift);
  void FinishDrawing(TMouseButton Button, TShiftState Shift);
  // The topmost shape without parent under P, or null.
  TMyShape* TopmostShapeAt(const TPoint& P);
  // Walks a shape and its members through the child numbers, each shape once. Relations come
  // from files and hosts too, so the walk marks what it visited (a cycle or a member listed
  // twice is passed once) and keeps its own stack (a deep nesting cannot exhaust the call
  // stack). The shapes are collected first and visited afterwards, so Visit may walk again.
  enum class TWalk : uint8_t { ChildrenFirst, ShapeFirst, LeavesOnly };
  template <typename F>
  void WalkShapeTree(TMyShape* Shape, TWalk Order, F&& Visit) {
    if (!Shape) return;
    if (!Shape->HasChildShapes()) {
      Visit(Shape);
      return;
    }
    TArrMyShape order;
    CollectShapeTree(Shape, Order, false, order);
    for (TMyShape* s : order) Visit(s);
  }
  // The walk's order into Out. ForDrawing follows only members whose parent number names the
  // group and stops at hidden shapes, as painting does.
  void CollectShapeTree(TMyShape* Shape, TWalk Order, bool ForDrawing, TArrMyShape& Out);
  // Where the info-text mark shows while it is dragged.
  TMyPoint ZoomedTextMark() const;
  // The current shape is the one being drawn or the one a gesture acts on. The surface owns it
  // only when it created it for a drawing tool and has not added it yet (Owned): such a shape
  // is freed when another becomes current. Any other current shape belongs to whoever holds it
  // (the list, a caller, the clipboard) and is only forgotten.
  void SetCurrentShape(TMyShape* Shape, bool Owned = false);
  // Gives a shape about to be added the next id, the number it will have and its name (by
  // default "Shape" + id).
  void NameNewShape(TMyShape* Shape, const QString& Name = QString());
  // Names, adds, announces, records ("ACT_ADD") and selects alone a shape made by code, which
  // the surface owns from here on; its id, or -1 (the shape freed, the surface unchanged) when
  // the name is not valid or the shape cannot be added.
  int32_t AddShapeMadeByCode(std::unique_ptr<TMyShape> Shape, const QString& Name);
  // Removes the shape at list position No, renumbering every relation, and frees it.
  void RemoveShapeAt(int32_t No);
  // Draws a visible shape after its visible members, so a group paints over them.
  void DrawShapeTree(TMyShape* Shape, TCanvas* ACanvas);

  // Gesture state
  bool FMouseIsDown = false;
  TMyShape* FClickedChildShape = nullptr;
  TActionTools FAction = TActionTools::dtClose;
  TActionTools FReturnAction = TActionTools::dtSelecting;
  int32_t FLinkTargetShapeNo = -1;
  int32_t FLinkTargetPointId = -1;
  TMyShape* FHoverShape = nullptr;
  TPoint FCurrentPoint, FStartPoint;
  TMyShape* FCurrentShape = nullptr;
  bool FOwnsCurrentShape = false;
  // Whether the gesture's ghost is on the canvas now (for ghosts not drawn at the press).
  bool FGhostShown = false;
  bool FShowHint = false;

  // Default drawing attributes and settings
  int32_t FArrowAngle = 10;
  uint8_t FArrowLength = 30;
  uint8_t FArrowOffset = 0;
  TArrowStyle FArrowStyle = TArrowStyle::ANone;
  TBitmap FBkBitmap;
  TBkBitmapMode FBkBitmapMode = TBkBitmapMode::Center;
  TBrush FBrush;
  TFont FFont;
  TPen FPen;
  TColor FColorOfBackGround = clWhite;
  TColor FColorOfHot = clGray;
  bool FCrossLine = true;
  int32_t FCurrentLayerId = -1;
  QString FDiskFileVersion;
  QString FLastFileError;
  TDragMode FDragMode = TDragMode::dgBoth;
  TGridObject* FGridOperation = nullptr;
  bool FHotShow = true;
  uint8_t FHotSize = 4;
  QPointer<QLabel> FLabelValue;
  QPointer<QLabel> FLabelXY;
  TLinkLineDrawStyle FLinkLineDrawStyle = TLinkLineDrawStyle::lldsHV;
  bool FOperateAllLayer = true;
  QString FPageFoot, FPageHead;
  TAlignment FPageFootAlignment = TAlignment::taRightJustify;
  TAlignment FPageHeadAlignment = TAlignment::taCenter;
  TFont FPageFootFont, FPageHeadFont;
  uint8_t FPageFootToBottom = 15, FPageHeadToTop = 15;
  uint32_t FPageHeight = 297, FPageWidth = 210;
  TPrinterOrientation FPageOrientation = TPrinterOrientation::poPortrait;
  TPageStyle FPageStyle = TPageStyle::A4;
  bool FPrintABorder = true;
  uint8_t FPrintABordertoBottom = 20, FPrintABordertoLeft = 20, FPrintABordertoRight = 20, FPrintABordertoTop = 20;
  bool FPrintBackground = false;
  double FRatio = 1.0;
  bool FResizeEnable = true, FReturnToSelecting = true, FRotateEnable = true;
  TDrawTool FShapeTool = TDrawTool::SpSelecting;
  bool FShowHotLink = true, FSnap = true;
  uint8_t FSnapPixels = 4;
  bool FSnapShape = false;
  uint8_t FUndoRedoSize = 10;
  TUnits FTheUNIT = TUnits::mm;
  QString FVersion;
  TXYMode FXYMode = TXYMode::Mode0;
  double FZoom = 0;

  // Lists and bookkeeping
  TArrMyShape FMemShapes;
  std::vector<LayerRec> FLayers;
  TBitmap FOffScreenBitmap;
  int32_t FNextLayerId = 0;
  bool FBusy = false;
  TMyShapeNo FDrawList;
  bool FModified = false;
  bool FLoading = false;
  TArrMyShape FMyShapes;
  int32_t FNextShapeId = 0;
  TArrMyShape FWorkingShapes;

  // Spatial index, lookups and damage
  TShapeIndex FShapeIndex;
  double FIndexedZoom = 0;  // the zoom the reaches that follow it were measured at
  bool FUseShapeIndex = true;
  bool FTreesDirty = false;
  uint32_t FLookupStamp = 0;
  uint32_t FWalkStamp = 0;
  TArrMyShape FCandidates, FFound;
  QRect FDamage;
  bool FDamageAll = true;
  bool FRepaintPending = false;
  TPaintState FPaintedState;

  // Connectors, and the per-paint index of their vertical segments for the jumps
  std::vector<TMyLinkLine*> FLinkLines;
  // The combined shapes (inserted library entries): the obstacles connectors step around.
  TArrMyShape FCombines;
  // The shape whose link point the last lookup under the pointer lit, if any.
  TMyShape* FLinkLitShape = nullptr;
  struct TCrossIndex;
  struct TCrossIndexDeleter {
    void operator()(TCrossIndex* P) const;
  };
  std::unique_ptr<TCrossIndex, TCrossIndexDeleter> FCrossIndex;
  uint32_t FPaintSerial = 0;
  TRect FDrawRegion;

  // Undo and redo
  struct TRedoStep;
  struct TRedoStepDeleter {
    void operator()(TRedoStep* P) const;
  };
  using TRedoStepPtr = std::unique_ptr<TRedoStep, TRedoStepDeleter>;
  std::vector<TSavedShape> FUndoList;
  std::vector<TRedoStepPtr> FRedoList;
  int32_t FUndoGroupDepth = 0;
  bool FUndoGroupOpen = false;
  // Set while a step is undone or redone: the commands it calls record nothing.
  bool FUndoing = false;
  // A redo step puts back the drawing as it was before its undo, so it holds only while nothing
  // else changed the drawing: any other change of the list or by code drops the redo list.
  void DropRedo() {
    if (FUndoing || FRedoList.empty()) return;
    FRedoList.clear();
    NotifyStateChanges();
  }
  // Connector helpers: routing that says whether it routed (false: the ends lie too close and
  // the line was left as it was), re-routing the connectors of one shape, and the tail half
  // of a connector split at P (device) on segment SegIndex.
  bool RoutePath(TCanvas* ACanvas, TMyLinkLine* Line, TMyShape* StartShape, const TMyPoint& Ps, TMyShape* EndShape,
                 const TMyPoint& Pe);
  void RerouteConnectorsOf(TMyShape* S);
  TMyLinkLine* SplitOffTail(TMyLinkLine* OldLine, const TMyPoint& P, int32_t SegIndex);
  // Undo helpers
  void AppendSavedShape(int32_t Step, TMyShape* Shape, const QString& Action);
  void DropOldestUndoStep();
  void MakeRoomForUndoStep();
  TRedoStepPtr CaptureRedoStep(int32_t Step);
  void ApplyRedoStep(TRedoStep& Step);
  void RecreateDeletedShapes(std::vector<TSavedShape*>& Kept);
  // Puts a restored connector's ends back on the shapes its record names (by id), and keeps
  // the link lists of the shapes it leaves and joins in step.
  void RestoreConnectorEnds(TMyShape* Shape, const TSavedShape& Record);
  // Moves shapes to new list positions (NewPos[old position], a permutation) and rewrites
  // every relation number to match.
  void PermuteShapes(const std::vector<int32_t>& NewPos);
  // Detaches every connector from the shape (and the shape from the connectors' link lists).
  void DetachConnectors(TMyShape* Shape);
  void AlignBy(int Which);
  void FlipShapes(TMyShape* Shape, bool Horizontal);
  // Z-order helpers: S hops over the following (Forward) or preceding top-level shapes, or the
  // nearest one only (Once); false when there is none.
  bool StepShape(TMyShape* S, bool Forward, bool Once);
  void ReorderShape(TMyShape* Shape, bool Forward, bool Once, bool RecordUndo, const QString& Action);

  // Printing and export: a scope that sets the zoom field for one rendering and puts back the
  // zoom and the paint bookkeeping a rendering touches (mycad_print.cpp).
  class TRenderScope;
  // Draws the shapes for a printed or previewed page, with the layer filter of Print.
  void DrawPageShapes(TCanvas* ACanvas, const std::vector<int32_t>& Layers);
  void DrawPageBorder(TCanvas* ACanvas, int W, int H);
  void DrawPageHeadFoot(TCanvas* ACanvas, int W, int H);
  // The drawing at the current zoom as SaveToBmp(file) writes it.
  std::unique_ptr<TBitmap> ExportPicture();
  struct TPrinterDeleter {
    void operator()(QPrinter* P) const;
  };
  std::unique_ptr<QPrinter, TPrinterDeleter> FPrinter;
  // The printer's canvas and page size while Print runs.
  TCanvas* FPrintCanvas = nullptr;
  QSize FPrintPage;

  // Back buffer: FBuffer is a window over FBufferMemory at FBufferOffset (device pixels); a
  // scroll moves the window while the room around it lasts, instead of moving the pixels.
  QImage FBuffer;
  QImage FBufferMemory;
  QPoint FBufferOffset;
  QRect FBufferArea;
  qreal FBufferRatioSetting = 0;
  std::unique_ptr<TCanvas> FCanvas;
  bool FDirty = true;
  // Set by DrawAll while the background fill lays the grid's vertical lines too.
  bool FGridColumnsLaid = false;
  // The size the surface last gave itself; a resize event reporting it is our own echo.
  QSize FOwnSize;
  // The drawing's width and height at zoom 1 when they were given in pixels (by a drawing
  // read, the host or a resize from outside); below 0 while the axis follows the page's
  // millimetres. Page millimetres are whole numbers, so a pixel size cannot live in them.
  long double FExactWidth = -1, FExactHeight = -1;
};

}  // namespace cad
