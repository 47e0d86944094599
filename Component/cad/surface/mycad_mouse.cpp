// The mouse: the action state machine for drawing, selecting, rubber bands, dragging, resizing,
// rotating and dragging the info text point, hover notices and hints.
#include "../shapes/linkline.h"
#include "../shapes/shapedraw.h"
#include "mycad.h"

#include <QCursor>
#include <QMouseEvent>
#include <QToolTip>

namespace cad {

namespace {

TMouseButton ButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::RightButton: return TMouseButton::mbRight;
    case Qt::MiddleButton: return TMouseButton::mbMiddle;
    default: return TMouseButton::mbLeft;
  }
}

TShiftState ShiftOf(const QMouseEvent* e) {
  TShiftState s = 0;
  const Qt::KeyboardModifiers m = e->modifiers();
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  const Qt::MouseButtons b = e->buttons();
  if (b & Qt::LeftButton) s |= ssLeft;
  if (b & Qt::RightButton) s |= ssRight;
  if (b & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

bool IsClass(const TMyShape* s, const char* name) { return s && s->ClassName() == QLatin1String(name); }

}  // namespace

// ---- Toolkit events ----

void TMyCAD::mousePressEvent(QMouseEvent* Event) {
  const QPoint p = Event->position().toPoint();
  MouseDown(ButtonOf(Event->button()), ShiftOf(Event), p.x(), p.y());
}

void TMyCAD::mouseDoubleClickEvent(QMouseEvent* Event) {
  // The second press of a double click arrives here; it is a press like any other, marked double.
  FireFromSender(OnDblClick, &TMyCAD::dblClick);
  const QPoint p = Event->position().toPoint();
  MouseDown(ButtonOf(Event->button()), ShiftOf(Event) | ssDouble, p.x(), p.y());
}

void TMyCAD::mouseMoveEvent(QMouseEvent* Event) {
  const QPoint p = Event->position().toPoint();
  MouseMove(ShiftOf(Event), p.x(), p.y());
}

void TMyCAD::mouseReleaseEvent(QMouseEvent* Event) {
  const QPoint p = Event->position().toPoint();
  const TMouseButton button = ButtonOf(Event->button());
  MouseUp(button, ShiftOf(Event), p.x(), p.y());
  if (button == TMouseButton::mbLeft && rect().contains(p)) FireFromSender(OnClick, &TMyCAD::click);
}

void TMyCAD::enterEvent(QEnterEvent*) { CMMouseEnter(); }
void TMyCAD::leaveEvent(QEvent*) { CMMouseLeave(); }

void TMyCAD::CMMouseEnter() {
  FireFromSender(OnMouseEnter, &TMyCAD::mouseEnter);
}

void TMyCAD::CMMouseLeave() {
  FireFromSender(OnMouseLeave, &TMyCAD::mouseLeave);
}

// ---- Canvas modes, cursor, hints ----

void TMyCAD::SetSelectShapeMode() {
  TCanvas* c = Canvas();
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(TPenStyle::psDot);
  c->Pen()->SetColor(static_cast<TColor>((static_cast<int64_t>(FPen.Color()) + 0xFFFFFF) / 2));
  c->Pen()->SetMode(TPenMode::pmXor);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
}

void TMyCAD::SetCursorClipArea(const TRect&, int, int, bool Hide) {
  // The pointer is not confined on this platform; hiding it is all this does.
  if (Hide) setCursor(Qt::BlankCursor);
}

void TMyCAD::ReleaseCursorClipArea() {
  if (cursor().shape() == Qt::BlankCursor) unsetCursor();
}

void TMyCAD::ShowHintEnterLeaveShape(TMyShape* Shape, bool Entered, const TPoint&) {
  if (Entered && Shape != FHoverShape) Fire(OnMouseEnterShape, &TMyCAD::mouseEnterShape, Shape);
  if (FHoverShape && Shape != FHoverShape) Fire(OnMouseLeaveShape, &TMyCAD::mouseLeaveShape, FHoverShape);
  FHoverShape = Shape;
  if (Shape && FShowHint && Shape->Caption() != toolTip()) {
    setToolTip(Shape->Caption());
    if (isVisible()) QToolTip::showText(QCursor::pos(), Shape->Caption(), this);
  }
}

// ---- Hit and region tests ----

bool TMyCAD::IsClickedMeforShape(TCanvas* ACanvas, TMyShape* Shape, const TPoint& P) {
  if (!Shape || !Shape->Visible()) return false;
  if (Shape->IsClickedMe(ACanvas, P)) return true;
  for (int32_t no : std::as_const(Shape->ChildShapes))
    if (TMyShape* c = GetShapeByNo(no); c && c != Shape && c->IsClickedMe(ACanvas, P)) return true;
  return false;
}

bool TMyCAD::IsInRegion(const TPoint& P1, const TPoint& P2, TMyShape* Shape) {
  TMyShape* s = GetRootParentShape(Shape);
  if (!s) return false;
  const TMyRect box = GetPointsLTRB(std::as_const(s->Points));
  const long double l = box.Left * FZoom, t = box.Top * FZoom, r = box.Right * FZoom, b = box.Bottom * FZoom;
  return l > std::min(P1.X, P2.X) && t > std::min(P1.Y, P2.Y) && r < std::max(P1.X, P2.X) &&
         b < std::max(P1.Y, P2.Y);
}

TMyShape* TMyCAD::TopmostShapeAt(const TPoint& P) {
  // Hover runs on every move of the pointer: the canvas is only handed on to the shapes, so the
  // buffer is not brought up to date for it.
  TCanvas* c = FCanvas ? FCanvas.get() : Canvas();
  const TArrMyShape& candidates = ShapesReaching(TRect{P.X, P.Y, P.X + 1, P.Y + 1});
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it)
    if (!(*it)->HasParentShape() && (*it)->IsClickedMe(c, P)) return *it;
  return nullptr;
}

// ---- Press ----

void TMyCAD::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TNotifyBatch batch(this);
  FireFromSender(OnMouseDown, &TMyCAD::mouseDown, Button, Shift, X, Y);
  if (FAction == TActionTools::dtClose || Button != TMouseButton::mbLeft) return;
  FCurrentPoint = FStartPoint = TPoint{X, Y};
  FMouseIsDown = true;
  FClickedChildShape = nullptr;
  FGhostShown = false;
  if (FAction == TActionTools::dtDrawing) DrawingPress(Shift);
  else if (FAction == TActionTools::dtSelecting || FAction == TActionTools::dtRotateSelecting) SelectionPress(Shift);
}

void TMyCAD::DrawingPress(TShiftState Shift) {
  SetDragResizeRotateShapeMode(Canvas());
  RemoveAllWorkingShapes();
  FReturnAction = FReturnToSelecting ? TActionTools::dtSelecting : TActionTools::dtDrawing;
  int x = FStartPoint.X, y = FStartPoint.Y;
  SnapXY(x, y);
  FCurrentPoint = FStartPoint = TPoint{x, y};
  if (!FCurrentShape) {
    TMyShape* s = CreateShapeBySpTool(FShapeTool);
    if (!s) return;  // a tool whose shape kind this build does not know
    s->ShapeNo = GetShapesCount();
    SetCurrentShape(s, true);
    if (auto* line = dynamic_cast<TMyLinkLine*>(s)) {
      // A connector starts at the link point under the press, when there is one.
      TMyPoint p = PtToMyPt(FStartPoint);
      GetMainShape(line, TLinkLineEndPoint::llStart, p);
      FCurrentPoint = FStartPoint = MyPtToPt(p);
    }
  }
  if (FCurrentShape->GetPointsCount() > 0)
    DrawMakeSquareorHV(Shift, FCurrentShape, MyPtToPt(FCurrentShape->GetPointInZoom(0)), FCurrentPoint);
  FCurrentShape->AddPointByMouse(FCurrentPoint);
}

void TMyCAD::SelectionPress(TShiftState Shift) {
  SetSelectShapeMode();
  FReturnAction = FAction;
  TCanvas* c = Canvas();

  // One pass over the selection: a hot point or the text point of a working shape decides at
  // once; failing those, the first working shape hit (itself or a member) is dragged. Hit tests
  // change nothing, so finding that shape on the same pass gives what a second pass would.
  TMyShape* clicked = nullptr;
  for (TMyShape* w : FWorkingShapes) {
    SetCurrentShape(w);
    for (int32_t no : std::as_const(w->ChildShapes))
      if (TMyShape* child = GetShapeByNo(no); child && child != w && child->IsClickedMe(c, FStartPoint))
        FClickedChildShape = child;
    const int32_t h = w->InWhichHot(FStartPoint);
    if (h >= 0) {
      if (!IsClass(w, "TMyLinkLine")) FStartPoint = MyPtToPt(w->GetPointInZoom(h));
      if (FAction == TActionTools::dtSelecting && FResizeEnable) FAction = TActionTools::dtResizing;
      else if (FAction == TActionTools::dtRotateSelecting && FRotateEnable) FAction = TActionTools::dtRotating;
      return;
    }
    if (!w->Info().isEmpty() && w->InTextPointHot(FStartPoint)) {
      FStartPoint = MyPtToPt(w->TextPoint);
      if (FAction == TActionTools::dtSelecting) FAction = TActionTools::dtDraggingTextoutPoint;
      return;
    }
    if (!clicked && IsClickedMeforShape(c, w, FStartPoint)) clicked = w;
  }
  if (clicked) {
    if (Shift & ssShift) RemoveWorkingShape(clicked);
    else FAction = TActionTools::dtDragging;
    return;
  }

  // Topmost first; a connector line under the pointer wins over anything else. Members of
  // groups are never picked here, so they are not even hit-tested.
  TMyShape* found = nullptr;
  TMyShape* firstAny = nullptr;
  const TArrMyShape& candidates = ShapesReaching(TRect{FStartPoint.X, FStartPoint.Y, FStartPoint.X + 1, FStartPoint.Y + 1}, true);
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
    TMyShape* s = *it;
    if (s->HasParentShape()) continue;
    const bool isLineLink = IsClass(s, "TMyLineLinkLine");
    if (firstAny && !isLineLink) continue;
    if (s->FSlot.Selected || !IsVisibleLayerByID(s->LayerId)) continue;
    if (!FOperateAllLayer && s->LayerId != FCurrentLayerId) continue;
    if (!IsClickedMeforShape(c, s, FStartPoint)) continue;
    if (isLineLink) {
      found = s;
      break;
    }
    firstAny = s;
  }
  if (!found) found = firstAny;
  if (!found) {
    RemoveAllWorkingShapes();
    return;
  }
  if (Shift & ssShift) {
    AddWorkingShapes(found);
    return;
  }
  SetCurrentShape(found);
  TMyShape* last = FWorkingShapes.empty() ? nullptr : FWorkingShapes.front();
  ClearWorkingList();
  AddWorkingShapes(found);
  Fire(OnShapeSelected, &TMyCAD::shapeSelected, last, found);
  FAction = TActionTools::dtDragging;
}

// ---- Move ----

void TMyCAD::MouseMove(TShiftState Shift, int X, int Y) {
  FireFromSender(OnMouseMove, &TMyCAD::mouseMove, Shift, X, Y);
  if (FAction == TActionTools::dtClose) return;
  TCursor cursorId = crDefault;
  // A plain hover draws nothing: the canvas (and with it the buffer) is only fetched to draw.
  TCanvas* c = (FAction == TActionTools::dtDrawing || FMouseIsDown) ? Canvas() : nullptr;

  if (FAction == TActionTools::dtDrawing) {
    SetDragResizeRotateShapeMode(c);
    if (auto* line = dynamic_cast<TMyLinkLine*>(FCurrentShape); line && FShapeTool == TDrawTool::SpLinkLine) {
      // The connector heads for the link point under the pointer, if any.
      int32_t no = -1, id = -1;
      InWhichShapeWhichHotLinkId(no, id, TMyPoint{static_cast<float>(X), static_cast<float>(Y)});
      line->SetEndSpNo(no);
      line->SetEndSpPtId(id);
    } else {
      SnapXY(X, Y);
    }
    if (FCurrentShape) {
      FCurrentShape->Drawing(c, FStartPoint, FCurrentPoint);
      FCurrentPoint = TPoint{X, Y};
      DrawMakeSquareorHV(Shift, FCurrentShape, FStartPoint, FCurrentPoint);
      FCurrentShape->Drawing(c, FStartPoint, FCurrentPoint);
      UpdateLabelValue(FCurrentShape->GetLengthByUnit(FStartPoint, FCurrentPoint));
    }
  } else if (FAction == TActionTools::dtSelecting || FAction == TActionTools::dtRotateSelecting) {
    for (TMyShape* w : FWorkingShapes) {
      cursorId = w->GetMouseCursor(X, Y);
      if (cursorId != crDefault) break;
    }
    if (!FMouseIsDown) {
      const TPoint p{X, Y};
      TMyShape* hover = TopmostShapeAt(p);
      ShowHintEnterLeaveShape(hover, hover != nullptr, p);
    }
  }
  if (cursorId != crDefault) setCursor(ToQtCursor(cursorId));
  else if (!FMouseIsDown && testAttribute(Qt::WA_SetCursor)) unsetCursor();
  UpdateLabelXY(X, Y);
  if (!FMouseIsDown) return;

  SetCursorClipArea(TRect{0, 0, Width(), Height()}, 0, 0, false);
  switch (FAction) {
    case TActionTools::dtSelecting:
    case TActionTools::dtRotateSelecting:
      SetSelectShapeMode();
      c->Rectangle(FStartPoint.X, FStartPoint.Y, FCurrentPoint.X, FCurrentPoint.Y);
      FCurrentPoint = TPoint{X, Y};
      c->Rectangle(FStartPoint.X, FStartPoint.Y, FCurrentPoint.X, FCurrentPoint.Y);
      break;
    case TActionTools::dtDraggingTextoutPoint: {
      if (!FCurrentShape) break;
      // Both drawings use the same XOR mode, and nothing is erased before the first one shows.
      SetDragResizeRotateShapeMode(c);
      const TMyPoint text = ZoomedTextMark();
      if (FGhostShown) DrawDiamond(FCurrentShape, c, text, clGreen);
      FCurrentPoint = TPoint{X, Y};
      DrawDiamond(FCurrentShape, c, ZoomedTextMark(), clGreen);
      FGhostShown = true;
      break;
    }
    case TActionTools::dtDragging: {
      const TPoint old = FCurrentPoint;
      if ((FSnap || FSnapShape) && (X != FStartPoint.X || Y != FStartPoint.Y)) {
        TMyRect r = GetShapesLTRBinZoom(FWorkingShapes);
        OffsetMyRect(r, X - FStartPoint.X, Y - FStartPoint.Y);
        SnapRect(r, X, Y);
      }
      SetDragResizeRotateShapeMode(c);
      for (TMyShape* w : FWorkingShapes) {
        Fire(OnShapeMouseDragging, &TMyCAD::shapeMouseDragging, w, GetPointByMode(FStartPoint), GetPointByMode(FCurrentPoint));
        DraggingforShapes(c, w, FStartPoint, old);
        FCurrentPoint = TPoint{X, Y};
        GetMousePointbyDragMode(FStartPoint, FCurrentPoint);
        DraggingforShapes(c, w, FStartPoint, FCurrentPoint);
      }
      break;
    }
    case TActionTools::dtResizing: {
      if (!FCurrentShape || FCurrentShape->Locked()) break;
      SetDragResizeRotateShapeMode(c);
      FCurrentShape->Sizing(c, FStartPoint, FCurrentPoint);
      int x = X, y = Y;
      SnapXY(x, y);
      FCurrentPoint = TPoint{x, y};
      ResizeMakeSquareorHV(Shift, FCurrentShape, FStartPoint, FCurrentPoint);
      FCurrentShape->Sizing(c, FStartPoint, FCurrentPoint);
      Fire(OnShapeMouseResizing, &TMyCAD::shapeMouseResizing, FCurrentShape, GetPointByMode(FStartPoint),
           GetPointByMode(FCurrentPoint));
      UpdateLabelValue(FCurrentShape->GetLengthByUnit(FStartPoint, FCurrentPoint));
      break;
    }
    case TActionTools::dtRotating: {
      if (!FCurrentShape) break;
      SetDragResizeRotateShapeMode(c);
      Fire(OnShapeMouseRotating, &TMyCAD::shapeMouseRotating, FCurrentShape, GetPointByMode(FStartPoint),
           GetPointByMode(FCurrentPoint));
      const TMyPoint center = GetRootParentShape(FCurrentShape)->GetCenterPointInZoom();
      const long double a1 = FCurrentShape->GetRotatedAngle(PtToMyPt(FStartPoint), PtToMyPt(FCurrentPoint), center);
      RotatingforShapes(c, FCurrentShape, center, a1);
      FCurrentPoint = TPoint{X, Y};
      const long double a2 = FCurrentShape->GetRotatedAngle(PtToMyPt(FStartPoint), PtToMyPt(FCurrentPoint), center);
      RotatingforShapes(c, FCurrentShape, center, a2);
      break;
    }
    default:
      break;
  }
}

TMyPoint TMyCAD::ZoomedTextMark() const {
  // The text point follows the mouse by the offset from the press.
  const TMyPoint t = FCurrentShape->TextPoint;
  return TMyPoint{static_cast<float>(FCurrentPoint.X + t.X - FStartPoint.X),
                  static_cast<float>(FCurrentPoint.Y + t.Y - FStartPoint.Y)};
}

// ---- Release ----

void TMyCAD::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TNotifyBatch batch(this);
  if (!FMouseIsDown || Button != TMouseButton::mbLeft) {
    FireFromSender(OnMouseUp, &TMyCAD::mouseUp, Button, Shift, X, Y);
    return;
  }
  FCurrentPoint = TPoint{X, Y};

  if (FClickedChildShape) {
    if (FCurrentPoint == FStartPoint) {
      TMyShape* child = FClickedChildShape;
      SetCurrentShape(child);
      ClearWorkingList();
      AddWorkingShapes(child);
      Fire(OnChildShapeSelected, &TMyCAD::childShapeSelected, child);
      FMouseIsDown = false;
      ReleaseCursorClipArea();
      FAction = TActionTools::dtSelecting;
      RepaintChanged();
      return;
    }
    FClickedChildShape = nullptr;
  }

  switch (FAction) {
    case TActionTools::dtSelecting:
    case TActionTools::dtRotateSelecting: {
      // Only shapes that reach the band can lie inside it; they join in list order. The repaint
      // draws the new marks, so they are not drawn before it.
      const TRect band{std::min(FStartPoint.X, FCurrentPoint.X), std::min(FStartPoint.Y, FCurrentPoint.Y),
                       std::max(FStartPoint.X, FCurrentPoint.X) + 1, std::max(FStartPoint.Y, FCurrentPoint.Y) + 1};
      for (TMyShape* s : ShapesReaching(band)) {
        if (s->HasParentShape() || !s->Visible() || s->FSlot.Selected) continue;
        if (!FOperateAllLayer && s->LayerId != FCurrentLayerId) continue;
        if (IsInRegion(FStartPoint, FCurrentPoint, s)) AddWorkingShapes(s);
      }
      RepaintChanged();
      break;
    }
    case TActionTools::dtDrawing:
      FinishDrawing(Button, Shift);
      break;
    case TActionTools::dtResizing: {
      SetModified(true);
      if (!FCurrentShape) break;
      int x = FCurrentPoint.X, y = FCurrentPoint.Y;
      SnapXY(x, y);
      FCurrentPoint = TPoint{x, y};
      PushtoUndoRedoShapeList(TArrMyShape{FCurrentShape}, QStringLiteral("ACT_CHANGE"));
      if (!IsClass(FCurrentShape, "TMyLinkLine")) FStartPoint = MyPtToPt(FCurrentShape->GetPointInZoom(FCurrentShape->HotId));
      ResizeMakeSquareorHV(Shift, FCurrentShape, FStartPoint, FCurrentPoint);
      SizeChangeValueforShapes(FCurrentShape, PtToMyPt(FStartPoint), PtToMyPt(FCurrentPoint));
      ChangeLinkShapes(FCurrentShape);
      FAction = FReturnAction;
      RepaintChanged();
      Fire(OnShapeMouseResized, &TMyCAD::shapeMouseResized, FCurrentShape, GetPointByMode(FStartPoint),
           GetPointByMode(FCurrentPoint));
      break;
    }
    case TActionTools::dtDraggingTextoutPoint:
      SetModified(true);
      if (FCurrentShape) {
        FCurrentShape->TextPoint = TMyPoint{static_cast<float>(FCurrentPoint.X / FZoom),
                                            static_cast<float>(FCurrentPoint.Y / FZoom)};
        FCurrentShape->Changed();
      }
      FAction = FReturnAction;
      RepaintChanged();
      break;
    case TActionTools::dtDragging: {
      SetModified(true);
      GetMousePointbyDragMode(FStartPoint, FCurrentPoint);
      int dx = FCurrentPoint.X - FStartPoint.X, dy = FCurrentPoint.Y - FStartPoint.Y;
      if (dx != 0 || dy != 0) {
        if (FSnap || FSnapShape) {
          int x = FCurrentPoint.X, y = FCurrentPoint.Y;
          TMyRect r = GetShapesLTRBinZoom(FWorkingShapes);
          OffsetMyRect(r, dx, dy);
          SnapRect(r, x, y);
          FCurrentPoint = TPoint{x, y};
          // Snapping must not undo the drag mode's constraint.
          GetMousePointbyDragMode(FStartPoint, FCurrentPoint);
          dx = FCurrentPoint.X - FStartPoint.X;
          dy = FCurrentPoint.Y - FStartPoint.Y;
        }
        PushtoUndoRedoShapeList(FWorkingShapes, QStringLiteral("ACT_CHANGE"));
        for (TMyShape* w : FWorkingShapes) DragChangeValueDxDyforShapes(w, dx, dy);
        for (TMyShape* w : FWorkingShapes) ChangeLinkShapes(w);
      }
      FAction = FReturnAction;
      RepaintChanged();
      Fire(OnShapeMouseDragged, &TMyCAD::shapeMouseDragged, FCurrentShape, GetPointByMode(FStartPoint),
           GetPointByMode(FCurrentPoint));
      break;
    }
    case TActionTools::dtRotating: {
      SetModified(true);
      if (!FCurrentShape) break;
      PushtoUndoRedoShapeList(TArrMyShape{FCurrentShape}, QStringLiteral("ACT_CHANGE"));
      const TMyPoint center = GetRootParentShape(FCurrentShape)->GetCenterPoint();
      const long double angle =
          FCurrentShape->GetRotatedAngle(PtToMyPt(FStartPoint), PtToMyPt(FCurrentPoint), FCurrentShape->ZoomedValuePt(center));
      RotateChangeValueforShapes(FCurrentShape, center, static_cast<double>(angle));
      ChangeLinkShapes(FCurrentShape);
      FAction = FReturnAction;
      RepaintChanged();
      Fire(OnShapeMouseRotated, &TMyCAD::shapeMouseRotated, FCurrentShape, GetPointByMode(FStartPoint),
           GetPointByMode(FCurrentPoint));
      break;
    }
    default:
      break;
  }

  FMouseIsDown = false;
  ReleaseCursorClipArea();
  FireFromSender(OnMouseUp, &TMyCAD::mouseUp, Button, Shift, X, Y);
}

void TMyCAD::FinishDrawing(TMouseButton Button, TShiftState Shift) {
  SetModified(true);
  int x = FCurrentPoint.X, y = FCurrentPoint.Y;
  SnapXY(x, y);
  FCurrentPoint = TPoint{x, y};
  TMyShape* s = FCurrentShape;
  if (!s) return;
  DrawMakeSquareorHV(Shift, s, FStartPoint, FCurrentPoint);
  if (!s->IsDrawingFinished(Button, FCurrentPoint)) return;
  NameNewShape(s);
  if (IsClass(s, "TMyText")) {
    const TMyRect b = GetShapesLTRB(TArrMyShape{s});
    s->Points = {{b.Left, b.Top}, {b.Right, b.Top}, {b.Right, b.Bottom}, {b.Left, b.Bottom}};
  }
  if (!AddShape(s, false, false)) {
    // Refused (no layer): the shape is neither kept, recorded, selected nor announced.
    SetCurrentShape(nullptr);
    RepaintChanged();
    return;
  }
  // What the new shape's Drawed does (a connector splitting another one) is undone with it.
  BeginUndoGroup();
  PushtoUndoRedoShapeList(TArrMyShape{s}, QStringLiteral("ACT_ADD"));
  ClearWorkingList();
  AddWorkingShapes(s);
  s->Drawed(FStartPoint, FCurrentPoint);
  EndUndoGroup();
  TMyShape* announced = s;
  Fire(OnShapeAdded, &TMyCAD::shapeAdded, announced, GetShapesCount());
  SetCurrentShape(nullptr);
  if (FReturnToSelecting) {
    Fire(OnActionToolToSelecting, &TMyCAD::actionToolToSelecting);
    FAction = FReturnAction;
    FShapeTool = TDrawTool::SpSelecting;
  }
  RepaintChanged();
}

}  // namespace cad
