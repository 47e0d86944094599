// Construction, destruction, the shape list, names, coordinate settings and labels.
#include "mycad.h"
#include "../shapes/group.h"
#include "../shapes/linkline.h"

#include "../gfx/platform.h"

namespace cad {

TMyCAD::TMyCAD(QWidget* Owner) : QWidget(Owner) {
  FGridOperation = new TGridObject(this);
  FOperateAllLayer = true;
  FHotShow = true;
  FHotSize = 4;
  FCrossLine = true;
  FResizeEnable = true;
  FRotateEnable = true;
  FVersion = QStringLiteral("ZK.a");
  FDiskFileVersion = QStringLiteral("ZK.4");
  FDragMode = TDragMode::dgBoth;
  FXYMode = TXYMode::Mode0;
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Drops are offered to OnDragOver, which decides.
  setAcceptDrops(true);
  setMouseTracking(true);
  // The size follows the page and the zoom; layouts take it as it is.
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  FReturnToSelecting = true;
  FBkBitmapMode = TBkBitmapMode::Center;
  // The zoom is 1 from the start, so the control has its page's size as soon as it exists.
  FZoom = 1.0;
  SetPageStyle(TPageStyle::A4);
  FMyShapes.clear();
  FArrowOffset = 0;
  FArrowAngle = 10;
  FArrowLength = 30;
  FArrowStyle = TArrowStyle::ANone;
  FNextShapeId = 0;
  FNextLayerId = 0;
  NewLayer(QStringLiteral("Layer0"), true);
  FLabelXY = nullptr;
  // The mouse works with the tool the surface reports from the start.
  FShapeTool = TDrawTool::SpSelecting;
  FAction = TActionTools::dtSelecting;
  SetColorOfBackGround(clWhite);
  FColorOfHot = clGray;
  FTheUNIT = TUnits::mm;
  FRatio = 1.0;
  FSnap = true;
  FSnapPixels = 4;
  FPrintBackground = false;
  FPrintABorder = true;
  FPrintABordertoLeft = FPrintABordertoTop = FPrintABordertoRight = FPrintABordertoBottom = 20;
  FPageHeadAlignment = TAlignment::taCenter;
  FPageFootAlignment = TAlignment::taRightJustify;
  FPageHeadToTop = FPageFootToBottom = 15;
  FLinkLineDrawStyle = TLinkLineDrawStyle::lldsHV;
  FShowHotLink = true;
  SetUndoRedoSize(10);
  SetModified(false);
  FLoading = false;
  // A new surface has nothing to report.
  FNotified = NotifiedStateNow();
}

TMyCAD::~TMyCAD() {
  // Hosts hear nothing from a surface being destroyed.
  blockSignals(true);
  SetCurrentShape(nullptr);
  for (TMyShape* s : FMemShapes) delete s;
  FMemShapes.clear();
  FWorkingShapes.clear();
  FClickedChildShape = nullptr;
  FHoverShape = nullptr;
  ForgetAllShapes();
  for (TMyShape* s : FMyShapes) delete s;
  FMyShapes.clear();
  ClearAllUndoStuff();
  FUndoRedoSize = 0;
  // The layers go without events: a surface being destroyed reports nothing.
  OnDeleteLayer = nullptr;
  FLayers.clear();
  FCurrentLayerId = -1;
  FCanvas.reset();
}

// ---- Shape list ----

TMyShape* TMyCAD::GetShapeByNo(int32_t No) const {
  if (No < 0 || No >= GetShapesCount()) return nullptr;
  return FMyShapes[static_cast<size_t>(No)];
}

TMyShape* TMyCAD::GetShapeByID(int32_t Id) const {
  if (Id < 0 || Id >= FNextShapeId) return nullptr;
  for (TMyShape* s : FMyShapes)
    if (s->ShapeId == Id) return s;
  return nullptr;
}

TMyShape* TMyCAD::GetShapeByName(const QString& Name) const {
  for (TMyShape* s : FMyShapes)
    if (s->Name() == Name) return s;
  return nullptr;
}

int32_t TMyCAD::GetShapeNoById(uint32_t Id) const {
  for (auto it = FMyShapes.rbegin(); it != FMyShapes.rend(); ++it)
    if (static_cast<uint32_t>((*it)->ShapeId) == Id) return (*it)->ShapeNo;
  return -1;
}

int32_t TMyCAD::GetShapeNoInMyShapes(const TMyShape* Shape) const {
  // Shapes of the list know their place.
  if (!Shape || Shape->FSlot.Surface != this) return -1;
  const int32_t at = Shape->FSlot.ListPos;
  if (at >= 0 && at < GetShapesCount() && FMyShapes[static_cast<size_t>(at)] == Shape) return at;
  for (size_t i = 0; i < FMyShapes.size(); ++i)
    if (FMyShapes[i] == Shape) return static_cast<int32_t>(i);
  return -1;
}

int32_t TMyCAD::GetShapesCountInALayer(int32_t LayerId) const {
  int32_t n = 0;
  for (const TMyShape* s : FMyShapes)
    if (s->LayerId == LayerId) ++n;
  return n;
}

TMyShape* TMyCAD::GetSelectedShape() const { return FWorkingShapes.size() == 1 ? FWorkingShapes[0] : nullptr; }

bool TMyCAD::AddShape(TMyShape* Shape, bool KeepLayer, bool KeepId) {
  if (!Shape) return false;
  if (FLayers.empty()) {
    // Data handed to the surface never ends the program: the error is reported and refused.
    MessageDlg(QStringLiteral("Error!There is no Layer!"), TMsgDlgType::mtError, mbOK);
    return false;
  }
  if (!KeepLayer) Shape->LayerId = FCurrentLayerId;
  DropRedo();
  FMyShapes.push_back(Shape);
  if (!KeepId) ++FNextShapeId;
  TShapeSlot& slot = Shape->FSlot;
  // A shape added twice (a host's slip) keeps one index entry, for its last place in a list.
  if (slot.Surface) slot.Surface->ForgetShape(Shape);
  slot = TShapeSlot{};
  slot.Surface = this;
  slot.ListPos = GetShapesCount() - 1;
  FShapeIndex.Queue(Shape);
  if (auto* line = dynamic_cast<TMyLinkLine*>(Shape)) FLinkLines.push_back(line);
  if (dynamic_cast<TMyCombine*>(Shape)) FCombines.push_back(Shape);
  // A member or a group joins the member trees.
  if (Shape->HasChildShapes() || Shape->HasParentShape()) ShapeRelationsChanged();
  return true;
}

void TMyCAD::NameNewShape(TMyShape* Shape, const QString& Name) {
  Shape->ShapeId = FNextShapeId;
  Shape->ShapeNo = GetShapesCount();
  Shape->SetName(Name.isEmpty() ? QStringLiteral("Shape") + QString::number(Shape->ShapeId) : Name);
}

void TMyCAD::RenameShapeName(const QString& OldName, const QString& NewName) {
  if (OldName == NewName) return;
  TMyShape* s = GetShapeByName(OldName);
  if (!s || GetShapeByName(NewName)) return;
  s->SetName(NewName);
}

TMyShape* TMyCAD::CreateAddShapeByName(const QString& ClassName, TMyShape* Source) {
  TMyShape* s = CreateShapeByName(ClassName, this);
  if (!s) return nullptr;
  if (Source) s->Assign(Source);
  s->ShapeId = FNextShapeId;
  s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
  s->SetCaption(s->Name());
  if (!AddShape(s, false, true)) {
    delete s;
    return nullptr;
  }
  s->ShapeNo = GetShapesCount() - 1;
  ++FNextShapeId;
  return s;
}

TMyShape* TMyCAD::CreateShapeBySpTool(TDrawTool Tool, QObject*) {
  const char* name = nullptr;
  switch (Tool) {
    case TDrawTool::SpLinkLine: name = "TMyLinkLine"; break;
    case TDrawTool::SpLine: name = "TMyLine"; break;
    case TDrawTool::SpRuleLine: name = "TMyRuleLine"; break;
    case TDrawTool::SpPolyLine: name = "TMyPolyLine"; break;
    case TDrawTool::SpRectangle: name = "TMyRectangle"; break;
    case TDrawTool::SpLinkPoint: name = "TMyLinkPoint"; break;
    case TDrawTool::SpLineLinkLine: name = "TMyLineLinkLine"; break;
    case TDrawTool::SpEllipse: name = "TMyEllipse"; break;
    case TDrawTool::SpText: name = "TMyText"; break;
    case TDrawTool::SpImage: name = "TMyImage"; break;
    case TDrawTool::SpPolygon: name = "TMyPolygon"; break;
    case TDrawTool::SpPolyBezier: name = "TMyPolyBezier"; break;
    case TDrawTool::SpElliArc: name = "TMyElliArc"; break;
    default: return nullptr;
  }
  return CreateShapeByName(QLatin1String(name), this);
}

void TMyCAD::SetCurrentShape(TMyShape* Shape, bool Owned) {
  if (FCurrentShape && FCurrentShape != Shape && FOwnsCurrentShape && GetShapeNoInMyShapes(FCurrentShape) < 0) {
    // A connector dropped half-drawn lets go of the shape it started at.
    if (auto* line = dynamic_cast<TMyLinkLine*>(FCurrentShape)) {
      if (TMyShape* s = GetShapeByNo(line->StartSpNo())) RemoveLinklineShape(s, line->ShapeNo);
      if (TMyShape* e = GetShapeByNo(line->EndSpNo()); e && line->EndSpNo() != line->StartSpNo()) RemoveLinklineShape(e, line->ShapeNo);
    }
    delete FCurrentShape;
  }
  if (FCurrentShape != Shape || Owned) FOwnsCurrentShape = Owned && Shape;
  FCurrentShape = Shape;
}

void TMyCAD::SetShapeTool(TDrawTool Tool) {
  // A shape left half-drawn by the previous tool is dropped.
  if (FCurrentShape && GetShapeNoInMyShapes(FCurrentShape) < 0) SetCurrentShape(nullptr);
  FShapeTool = Tool;
  switch (Tool) {
    case TDrawTool::SpSelecting: FAction = TActionTools::dtSelecting; break;
    case TDrawTool::SpRotateSelecting: FAction = TActionTools::dtRotateSelecting; break;
    case TDrawTool::SpClose: FAction = TActionTools::dtClose; break;
    default:
      FAction = TActionTools::dtDrawing;
      SetCurrentShape(nullptr);
      ClearAllLinkHot();
      break;
  }
  Repaint();
  NotifyStateChanges();
}

// ---- Coordinates and settings ----

TPoint TMyCAD::GetPointByMode(const TPoint& P) const {
  const int w = Width(), h = Height();
  switch (FXYMode) {
    case TXYMode::Mode1: return TPoint{P.X, h - P.Y};
    case TXYMode::Mode2: return TPoint{w - P.X, h - P.Y};
    case TXYMode::Mode3: return TPoint{w - P.X, P.Y};
    default: return P;
  }
}

TMyPoint TMyCAD::GetMyPointByMode(const TMyPoint& P) const {
  const float w = static_cast<float>(Width()), h = static_cast<float>(Height());
  switch (FXYMode) {
    case TXYMode::Mode1: return TMyPoint{P.X, h - P.Y};
    case TXYMode::Mode2: return TMyPoint{w - P.X, h - P.Y};
    case TXYMode::Mode3: return TMyPoint{w - P.X, P.Y};
    default: return P;
  }
}

void TMyCAD::GetMousePointbyDragMode(const TPoint& Start, TPoint& Current) const {
  if (FDragMode == TDragMode::dgHorz) Current.Y = Start.Y;
  else if (FDragMode == TDragMode::dgVert) Current.X = Start.X;
}

void TMyCAD::SetZoom(double Value) {
  // A zoom must be a positive, finite factor; anything else would make every length meaningless.
  if (!(Value > 0) || !std::isfinite(Value)) return;
  const bool wasBusy = FBusy;
  FBusy = true;
  FZoom = Value;
  ApplyPageSizeToControl(true, true);
  FBusy = wasBusy;
  Invalidate();
  NotifyStateChanges();
}

void TMyCAD::SetUnit(TUnits Value) {
  FTheUNIT = Value;
  Repaint();
  NotifyStateChanges();
}

void TMyCAD::SetRatio(double Value) {
  FRatio = Value;
  Repaint();
}

void TMyCAD::SetXYMode(TXYMode Value) {
  if (Value != FXYMode) FXYMode = Value;
}

void TMyCAD::SetColorOfBackGround(TColor Value) {
  if (Value == FColorOfBackGround) return;
  FColorOfBackGround = Value;
  Repaint();
}

void TMyCAD::SetColorOfHot(TColor Value) {
  FColorOfHot = Value;
  HotColor = Value;
}

void TMyCAD::SetOperateAllLayer(bool Value) {
  if (Value == FOperateAllLayer) return;
  FOperateAllLayer = Value;
  DeSelectedAllShapesByCode();
}

void TMyCAD::SetGridOperation(const TGridObject* Grid) {
  if (!Grid) return;
  FGridOperation->SetGridColor(Grid->GridColor());
  FGridOperation->SetGridHeight(Grid->GridHeight());
  FGridOperation->SetGridWidth(Grid->GridWidth());
  FGridOperation->SetGridPenSize(Grid->GridPenSize());
  FGridOperation->SetGridShow(Grid->GridShow());
  FGridOperation->SetGridType(Grid->GridType());
}

void TMyCAD::SetPen(const TPen* Value) {
  if (Value) FPen.Assign(*Value);
}
void TMyCAD::SetBrush(const TBrush* Value) {
  if (Value) FBrush.Assign(*Value);
}
void TMyCAD::SetFont(const TFont* Value) {
  if (Value) FFont.Assign(*Value);
}

// ---- Labels ----

void TMyCAD::SetLabelXY(QLabel* Label) {
  if (Label != FLabelXY) FLabelXY = Label;  // QPointer forgets a label that is destroyed
}

void TMyCAD::SetLabelValue(QLabel* Label) {
  if (Label != FLabelValue) FLabelValue = Label;
}

void TMyCAD::UpdateLabelXY(int X, int Y) {
  if (!FLabelXY) return;
  const TPoint p = GetPointByMode(TPoint{X, Y});
  FLabelXY->setText(QStringLiteral("(%1,%2)").arg(p.X).arg(p.Y));
}

void TMyCAD::UpdateLabelValue(const QString& Text) {
  if (FLabelValue) FLabelValue->setText(Text);
}

}  // namespace cad
