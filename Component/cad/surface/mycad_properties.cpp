// The published properties in the toolkit's types, the grid fields, and the change signals that
// report what commands did to the drawing's state.
#include "mycad.h"

#include "../gfx/platform.h"

#include <cmath>

namespace cad {

namespace {

QFont ToPropertyFont(const TFont& Font) {
  QFont f(Font.Name());
  if (Font.Size() > 0) f.setPointSize(Font.Size());
  f.setBold(Font.Style() & fsBold);
  f.setItalic(Font.Style() & fsItalic);
  f.setUnderline(Font.Style() & fsUnderline);
  f.setStrikeOut(Font.Style() & fsStrikeOut);
  return f;
}

// Name, size and style come from the toolkit font; colour and the stored attributes stay.
void FromPropertyFont(const QFont& Value, TFont& Font) {
  TFont f;
  f.Assign(Font);
  f.SetName(Value.family());
  int points = Value.pointSize();
  if (points <= 0 && Value.pixelSize() > 0)
    points = Round(Value.pixelSize() * 72.0L / static_cast<long double>(ScreenPixelsPerInch()));
  if (points > 0) f.SetSize(points);
  TFontStyles style = 0;
  if (Value.bold()) style |= fsBold;
  if (Value.italic()) style |= fsItalic;
  if (Value.underline()) style |= fsUnderline;
  if (Value.strikeOut()) style |= fsStrikeOut;
  f.SetStyle(style);
  Font.Assign(f);
}

}  // namespace

// ---- Properties in the toolkit's types ----

QFont TMyCAD::QtFont() const { return ToPropertyFont(FFont); }
void TMyCAD::SetQtFont(const QFont& Value) { FromPropertyFont(Value, FFont); }
void TMyCAD::ResetFont() { FFont.Assign(TFont()); }

QFont TMyCAD::QtPageHeadFont() const { return ToPropertyFont(FPageHeadFont); }
void TMyCAD::SetQtPageHeadFont(const QFont& Value) { FromPropertyFont(Value, FPageHeadFont); }
void TMyCAD::ResetPageHeadFont() { FPageHeadFont.Assign(TFont()); }

QFont TMyCAD::QtPageFootFont() const { return ToPropertyFont(FPageFootFont); }
void TMyCAD::SetQtPageFootFont(const QFont& Value) { FromPropertyFont(Value, FPageFootFont); }
void TMyCAD::ResetPageFootFont() { FPageFootFont.Assign(TFont()); }

QBrush TMyCAD::QtBrush() const { return QBrush(ToQColor(FBrush.Color()), ToQtBrushStyle(FBrush.Style())); }

void TMyCAD::SetQtBrush(const QBrush& Value) {
  FBrush.SetColor(FromQRgb(Value.color().rgb()));
  FBrush.SetStyle(FromQtBrushStyle(Value.style()));
}

void TMyCAD::ResetBrush() { FBrush.Assign(TBrush()); }

QPen TMyCAD::QtPen() const {
  return QPen(QBrush(ToQColor(FPen.Color())), FPen.Width(), ToQtPenStyle(FPen.Style()));
}

void TMyCAD::SetQtPen(const QPen& Value) {
  FPen.SetColor(FromQRgb(Value.color().rgb()));
  FPen.SetWidth(Value.width());
  FPen.SetStyle(FromQtPenStyle(Value.style()));
}

void TMyCAD::ResetPen() { FPen.Assign(TPen()); }

QPixmap TMyCAD::QtBkBitmap() const {
  return FBkBitmap.Empty() ? QPixmap() : QPixmap::fromImage(FBkBitmap.Image());
}

void TMyCAD::SetQtBkBitmap(const QPixmap& Value) {
  if (Value.isNull()) {
    SetBkBitmap(nullptr);
    return;
  }
  TBitmap b;
  b.SetImage(Value.toImage());
  SetBkBitmap(&b);
}

void TMyCAD::SetGridColor(TColor Value) {
  FGridOperation->SetGridColor(Value);
  Invalidate();
}

void TMyCAD::SetGridHeight(uint8_t Value) {
  FGridOperation->SetGridHeight(Value);
  Invalidate();
}

void TMyCAD::SetGridPenSize(uint8_t Value) {
  FGridOperation->SetGridPenSize(Value);
  Invalidate();
}

void TMyCAD::SetGridShow(bool Value) {
  FGridOperation->SetGridShow(Value);
  Invalidate();
}

void TMyCAD::SetGridType(TGridType Value) {
  FGridOperation->SetGridType(Value);
  Invalidate();
}

void TMyCAD::SetGridWidth(uint8_t Value) {
  FGridOperation->SetGridWidth(Value);
  Invalidate();
}

// ---- Change signals ----

void TMyCAD::SetModified(bool v) {
  FModified = v;
  NotifyStateChanges();
}

TMyCAD::TNotifiedState TMyCAD::NotifiedStateNow() const {
  TNotifiedState s;
  s.Modified = FModified;
  s.CanUndo = CanUndo();
  s.CanRedo = CanRedo();
  s.Selected = !FWorkingShapes.empty();
  s.Zoom = FZoom;
  s.Unit = FTheUNIT;
  s.Tool = FShapeTool;
  s.PageWidth = FPageWidth;
  s.PageHeight = FPageHeight;
  s.PageStyle = FPageStyle;
  s.Orientation = FPageOrientation;
  return s;
}

TMyCAD::TNotifyBatch::TNotifyBatch(TMyCAD* Cad, TKind Kind) : FCad(Cad) {
  ++FCad->FNotifyHold;
  if (Kind != Plain) FCad->FListReplaced = true;
  if (Kind == Loaded) FCad->FDrawingLoaded = true;
}

TMyCAD::TNotifyBatch::~TNotifyBatch() {
  if (--FCad->FNotifyHold == 0) FCad->NotifyStateChanges();
}

void TMyCAD::NotifyStateChanges() {
  if (FNotifyHold > 0) return;
  const TNotifiedState now = NotifiedStateNow();
  TNotifiedState& was = FNotified;
  // Each value is noted as reported before its signal goes out, so that a slot that changes
  // the surface again is reported by its own call, once.
  if (FListReplaced) {
    FListReplaced = false;
    FRemovedIds.clear();
    emit shapeListReplaced();
    if (FDrawingLoaded) {
      FDrawingLoaded = false;
      emit drawingLoaded();
    }
  } else if (!FRemovedIds.isEmpty()) {
    const QList<int> ids = std::exchange(FRemovedIds, {});
    emit shapesDeleted(ids);
  }
  if (was.Selected != now.Selected) {
    was.Selected = now.Selected;
    if (!now.Selected) emit selectionCleared();
  }
  if (was.Modified != now.Modified) {
    was.Modified = now.Modified;
    emit modifiedChanged(now.Modified);
  }
  if (was.CanUndo != now.CanUndo || was.CanRedo != now.CanRedo) {
    was.CanUndo = now.CanUndo;
    was.CanRedo = now.CanRedo;
    emit undoRedoChanged(now.CanUndo, now.CanRedo);
  }
  if (was.Tool != now.Tool) {
    was.Tool = now.Tool;
    emit shapeToolChanged(now.Tool);
  }
  if (was.Unit != now.Unit) {
    was.Unit = now.Unit;
    emit unitChanged(now.Unit);
  }
  // While the surface renders at another zoom (printing, export) the zoom and size are not the
  // ones shown: they are reported when the surface is itself again.
  if (FBusy) return;
  if (was.Zoom != now.Zoom) {
    was.Zoom = now.Zoom;
    emit zoomChanged(now.Zoom);
  }
  if (was.PageWidth != now.PageWidth || was.PageHeight != now.PageHeight || was.PageStyle != now.PageStyle ||
      was.Orientation != now.Orientation) {
    was.PageWidth = now.PageWidth;
    was.PageHeight = now.PageHeight;
    was.PageStyle = now.PageStyle;
    was.Orientation = now.Orientation;
    emit pageChanged();
  }
}

}  // namespace cad
