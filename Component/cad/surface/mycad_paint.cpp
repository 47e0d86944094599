// Painting: the back buffer, the paint pipeline (background, picture, grid, shapes, selection
// marks) and the widget's paint and resize events.
#include "mycad.h"

#include "../shapes/shapedraw.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <cstring>

namespace cad {

namespace {
// A surface that is not on screen keeps a buffer of at most this many pixels each way, from
// the control's top-left corner: enough for code that draws headless, bounded at any zoom.
constexpr int kMaxHiddenBuffer = 4096;
// Screens report at most this many device pixels per pixel; the buffer follows up to it.
constexpr qreal kMaxBufferRatio = 4;
}  // namespace

QRect TMyCAD::WantedBufferArea() const {
  const QRect full = rect();
  if (full.isEmpty()) return QRect();
  if (isVisible()) return visibleRegion().boundingRect().intersected(full);
  const int most = static_cast<int>(kMaxHiddenBuffer / WantedBufferRatio());
  return full.intersected(QRect(0, 0, most, most));
}

qreal TMyCAD::WantedBufferRatio() const {
  const qreal r = FBufferRatioSetting > 0 ? FBufferRatioSetting : devicePixelRatioF();
  return std::clamp<qreal>(r, 1, kMaxBufferRatio);
}

void TMyCAD::SetBufferPixelRatio(qreal Value) {
  if (!(Value >= 0) || !std::isfinite(Value)) return;
  FBufferRatioSetting = Value;
  Invalidate();
}

namespace {

// Room kept around the visible part in the buffer's memory, in device pixels each way: the view's
// height above and below (scrolling is mostly up and down), at most 1024, and an eighth of its
// width to each side, at most 256.
QSize ScrollRoom(const QSize& Pixels) { return QSize(std::min(Pixels.width() / 8, 256), std::min(Pixels.height(), 1024)); }

// Moves the pixels of Source within Image to start at To; the rest keeps its pixels.
void MoveBlock(QImage& Image, const QRect& Source, QPoint To) {
  const qsizetype bpl = Image.bytesPerLine();
  const int depth = Image.depth() / 8;
  uchar* bits = const_cast<uchar*>(Image.constBits());  // the memory is never shared
  const size_t bytes = static_cast<size_t>(Source.width()) * depth;
  auto move = [&](int Row) {
    std::memmove(bits + (To.y() + Row) * bpl + To.x() * depth, bits + (Source.top() + Row) * bpl + Source.left() * depth, bytes);
  };
  // Rows in the order that reads each source row before it is written over.
  if (To.y() > Source.top())
    for (int r = Source.height() - 1; r >= 0; --r) move(r);
  else
    for (int r = 0; r < Source.height(); ++r) move(r);
}

}  // namespace

void TMyCAD::NewBuffer(const QSize& Size, qreal Ratio) {
  const QSize pixels(static_cast<int>(std::ceil(Size.width() * Ratio)), static_cast<int>(std::ceil(Size.height() * Ratio)));
  // Off screen nothing scrolls: no room.
  const QSize room = isVisible() ? ScrollRoom(pixels) : QSize(0, 0), memory = pixels + 2 * room;
  if (FBufferMemory.size() != memory) {
    FBufferMemory = QImage(memory, QImage::Format_RGB32);
    // The buffer is painted whole before it is shown or read, and so is every strip a scroll
    // brings into view; only at a fractional ratio may a device row or column at their edges
    // be left to what the memory held.
    if (Ratio != std::floor(Ratio)) FBufferMemory.fill(ToQColor(FColorOfBackGround));
  }
  FBuffer = QImage(const_cast<uchar*>(FBufferMemory.constBits()), pixels.width(), pixels.height(), FBufferMemory.bytesPerLine(),
                   FBufferMemory.format());
  FBuffer.setDevicePixelRatio(Ratio);
  PlaceBuffer(QPoint(room.width(), room.height()));
}

void TMyCAD::PlaceBuffer(QPoint Offset) {
  const QSize pixels = FBuffer.size();
  const qreal ratio = FBuffer.devicePixelRatio();
  FBufferOffset = Offset;
  uchar* at = const_cast<uchar*>(FBufferMemory.constBits()) + Offset.y() * FBufferMemory.bytesPerLine() + Offset.x() * 4;
  FBuffer = QImage(at, pixels.width(), pixels.height(), FBufferMemory.bytesPerLine(), FBufferMemory.format());
  FBuffer.setDevicePixelRatio(ratio);
}

void TMyCAD::ShiftBuffer(QPoint Shift) {
  // The window moving the other way over the memory shows the same pixels moved by Shift.
  const QPoint moved = FBufferOffset - Shift;
  const QSize free = FBufferMemory.size() - FBuffer.size();
  if (moved.x() >= 0 && moved.y() >= 0 && moved.x() <= free.width() && moved.y() <= free.height()) {
    PlaceBuffer(moved);
    return;
  }
  // Out of room: what stays in view moves once, to the far side of the memory on each axis that
  // ran out (a scroll tends to go on the way it goes), so the whole room is ahead of it again.
  auto restart = [](int Moved, int Free) { return Moved < 0 ? Free : Moved > Free ? 0 : Moved; };
  const QPoint to(restart(moved.x(), free.width()), restart(moved.y(), free.height()));
  const QRect view(QPoint(0, 0), FBuffer.size());
  const QRect kept = view.intersected(view.translated(-Shift));
  if (!kept.isEmpty()) MoveBlock(FBufferMemory, kept.translated(FBufferOffset), to + kept.topLeft() + Shift);
  PlaceBuffer(to);
}

bool TMyCAD::EnsureBuffer() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TCanvas>();
    FCanvas->OnChange = [this] {
      // Drawing between paints (ghosts, highlights) reaches the screen with the next blit.
      if (!FBusy) update();
    };
  }
  const QRect want = WantedBufferArea();
  const qreal ratio = WantedBufferRatio();
  if (want == FBufferArea && (want.isEmpty() || (FBuffer.devicePixelRatio() == ratio && FBuffer.deviceIndependentSize().toSize() == want.size())))
    return false;
  FCanvas->Release();
  if (ScrollBuffer(want, ratio)) return false;
  FBufferArea = want;
  if (want.isEmpty()) {
    FBuffer = QImage();
    FBufferMemory = QImage();
    FCanvas->SetDevice(nullptr);
  } else {
    NewBuffer(want.size(), ratio);
    FCanvas->SetDevice(&FBuffer, want.topLeft());
  }
  FDirty = true;
  return true;
}

bool TMyCAD::ScrollBuffer(const QRect& Want, qreal Ratio) {
  // Only a buffer whose picture is the drawing as it is (up to the repaint already scheduled)
  // is worth keeping; a scroll keeps the size of the visible part, and the pixels move by
  // whole device pixels.
  if (FBusy || FDirty || FBuffer.isNull() || FBuffer.devicePixelRatio() != Ratio || Want.size() != FBufferArea.size() ||
      !Want.intersects(FBufferArea))
    return false;
  const QPointF moved = QPointF(FBufferArea.topLeft() - Want.topLeft()) * Ratio;
  const QPoint shift = moved.toPoint();
  if (QPointF(shift) != moved) return false;
  TPaintState now = CurrentPaintState();
  now.Buffer = FPaintedState.Buffer;
  if (!(now == FPaintedState)) return false;
  // The pixels stay where they are in control coordinates (ghosts drawn between paints with
  // them); only the strips that come into view are painted.
  ShiftBuffer(shift);
  const QRegion exposed = QRegion(Want).subtracted(QRegion(FBufferArea));
  FBufferArea = Want;
  FCanvas->SetDevice(&FBuffer, Want.topLeft());
  FPaintedState.Buffer = Want;
  for (const QRect& r : exposed) PaintExposed(r);
  return true;
}

void TMyCAD::PaintExposed(const QRect& Area) {
  FBusy = true;
  // The strip shows the drawing as it is now, so what it draws is no damage; damage recorded
  // elsewhere stays for the repaint that is due.
  const QRect damage = FCanvas->Damage();
  DrawPicture(Area, false);
  FCanvas->SetDamage(damage);
  FBusy = false;
}

void TMyCAD::DrawPicture(const QRect& Area, bool Clean) {
  const bool part = Area != FBufferArea;
  // Everything drawn below, the host's drawing in OnPaint included, stays inside the area; the
  // rest of the buffer keeps the picture it has.
  if (part) FCanvas->SetClipRect(FromQRect(Area));
  DrawAll(TRect{0, 0, Width(), Height()});
  SelectAllWorkingShapes();
  if (Clean) FDirty = false;
  FireFromSender(OnPaint, &TMyCAD::paint);
  if (part) FCanvas->ClearClipRect();
}

TCanvas* TMyCAD::Canvas() {
  // While a paint runs its buffer stands.
  if (FBusy && FCanvas) return FCanvas.get();
  // Whoever draws on or reads the buffer gets the finished picture first.
  if (EnsureBuffer() && !FBusy) Paint();
  else FlushPendingPaint();
  return FCanvas.get();
}

void TMyCAD::Paint() {
  if (FBusy) return;
  EnsureBuffer();
  PaintArea(FBufferArea);
}

void TMyCAD::PaintArea(const QRect& Area) {
  if (FBusy) return;
  FBusy = true;
  if (Area == FBufferArea) FRepaintPending = false;
  DrawPicture(Area, true);
  // The picture now shows the drawing as it is.
  FCanvas->ResetDamage();
  FDamage = QRect();
  FDamageAll = false;
  FPaintedState = CurrentPaintState();
  FBusy = false;
}

void TMyCAD::Repaint() {
  FDirty = true;
  if (!FBusy) Paint();
  update();
}

void TMyCAD::RepaintChanged() {
  FRepaintPending = true;
  update();
}

void TMyCAD::FlushPendingPaint() {
  if (!FRepaintPending || FBusy) return;
  FRepaintPending = false;
  const bool rebuilt = EnsureBuffer();
  FlushShapeIndex();
  if (rebuilt || FDirty || FDamageAll || !FUseShapeIndex || !(CurrentPaintState() == FPaintedState)) {
    Repaint();
    return;
  }
  const QRect area = (FDamage | FCanvas->Damage()).intersected(FBufferArea);
  if (area.isEmpty()) return;
  // Past about half the buffer, one full pass is as cheap and simpler.
  if (static_cast<qint64>(area.width()) * area.height() * 2 > static_cast<qint64>(FBufferArea.width()) * FBufferArea.height()) {
    Repaint();
    return;
  }
  PaintArea(area);
}

void TMyCAD::Invalidate() {
  FDirty = true;
  update();
}

void TMyCAD::paintEvent(QPaintEvent* Event) {
  EnsureBuffer();
  if (FDirty) Paint();
  else FlushPendingPaint();
  FCanvas->Release();
  QPainter p(this);
  if (FBuffer.isNull()) {
    p.fillRect(Event->rect(), ToQColor(FColorOfBackGround));
    return;
  }
  p.drawImage(FBufferArea.topLeft(), FBuffer);
  // Anything outside the buffer (an area that became visible in this very paint) shows the
  // page colour until the next paint covers it.
  const QRegion rest = QRegion(Event->rect()).subtracted(QRegion(FBufferArea));
  for (const QRect& r : rest) p.fillRect(r, ToQColor(FColorOfBackGround));
}

void TMyCAD::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  FDirty = true;
  // The surface sizes itself from the page; the toolkit reporting that size back is no news.
  if (Event->size() == FOwnSize) return;
  Resize();
}

void TMyCAD::DrawAll(const TRect& R) {
  // A thin line grid over a plain background: its vertical lines are laid in the same pass as
  // the background (every row is the same), instead of a pass down each line.
  const TGridObject* g = FGridOperation;
  FGridColumnsLaid = FBkBitmap.Empty() && g->GridShow() && g->GridType() == TGridType::gLine && g->GridWidth() > 0 &&
                     g->GridHeight() > 0 && g->GridPenSize() <= 1;
  FillBackground(&FOffScreenBitmap, R);
  DrawBkBitmapArea(Canvas(), -R.Left, -R.Top, Width(), Height());
  DrawGrid(&FOffScreenBitmap, R);
  FGridColumnsLaid = false;
  DrawAllShape(Canvas(), R);
}

void TMyCAD::FillBackground(TBitmap*, const TRect& R) {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(FColorOfBackGround);
  c->Pen()->SetMode(TPenMode::pmCopy);
  const TGridObject* g = FGridOperation;
  if (FGridColumnsLaid) c->FillRectColumns(TRect{0, 0, Width(), Height()}, g->GridColor(), -(R.Left % g->GridWidth()), g->GridWidth());
  else c->FillRect(TRect{0, 0, Width(), Height()});
}

void TMyCAD::DrawGrid(TBitmap*, const TRect& R) {
  const TGridObject* g = FGridOperation;
  if (g->GridType() == TGridType::gNone || g->GridHeight() == 0 || g->GridWidth() == 0) return;
  const int gw = g->GridWidth(), gh = g->GridHeight();
  const int offX = R.Left % gw, offY = R.Top % gh;
  const bool wasBusy = FBusy;
  FBusy = true;
  if (g->GridShow()) {
    TCanvas* c = Canvas();
    c->Pen()->SetColor(g->GridColor());
    c->Pen()->SetStyle(TPenStyle::psSolid);
    c->Pen()->SetWidth(g->GridPenSize());
    c->Pen()->SetMode(TPenMode::pmCopy);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(g->GridColor());
    const int w = Width(), h = Height();
    // Only the grid positions that can touch the buffer are visited; the rest would be clipped.
    const TRect clip = c->ClipRect();
    const int margin = g->GridPenSize() + 1;
    auto firstAt = [](int start, int step, int lowest) {
      if (lowest <= start) return start;
      return start + ((lowest - start) / step) * step;
    };
    if (g->GridType() == TGridType::gPixel) {
      const int s = g->GridPenSize();
      const int xEnd = std::min(w, clip.Right + margin), yEnd = std::min(h, clip.Bottom + margin);
      for (int x = firstAt(0, gw, clip.Left - margin); x <= xEnd; x += gw) {
        for (int y = firstAt(0, gh, clip.Top - margin); y <= yEnd; y += gh) {
          c->Rectangle(x - s, y - s, x + s, y + s);
          c->SetPixel(x, y, g->GridColor());
        }
      }
    } else {
      const int xEnd = std::min(w, clip.Right + margin), yEnd = std::min(h, clip.Bottom + margin);
      // The lines run the whole control; only the part the buffer shows (and a pen's width more,
      // so no line end shows) is handed to the painter. They are straight, so the pixels drawn
      // are the same.
      const int top = std::max(0, clip.Top - margin), left = std::max(0, clip.Left - margin);
      // A one-pixel line covers exactly the pixels from one end to the other, which a filled
      // rectangle one pixel wide covers too, at a fraction of the cost of stroking it.
      const bool thin = g->GridPenSize() <= 1;
      for (int x = firstAt(-offX, gw, clip.Left - margin); x <= xEnd; x += gw) {
        if (FGridColumnsLaid) {
          // Laid with the background.
        } else if (thin && top < yEnd) {
          c->FillRect(TRect{x, top, x + 1, yEnd + 1});
        } else {
          c->MoveTo(x, top);
          c->LineTo(x, yEnd);
        }
      }
      for (int y = firstAt(-offY, gh, clip.Top - margin); y <= yEnd; y += gh) {
        if (thin && left < xEnd) {
          c->FillRect(TRect{left, y, xEnd + 1, y + 1});
        } else {
          c->MoveTo(left, y);
          c->LineTo(xEnd, y);
        }
      }
    }
  }
  FBusy = wasBusy;
}

void TMyCAD::DrawShapeTree(TMyShape* Shape, TCanvas* ACanvas) {
  if (!Shape->Visible()) return;
  if (!Shape->HasChildShapes()) {
    Shape->Draw(ACanvas);
    return;
  }
  TArrMyShape order;
  CollectShapeTree(Shape, TWalk::ChildrenFirst, true, order);
  for (TMyShape* s : order) s->Draw(ACanvas);
}

void TMyCAD::DrawAllShape(TCanvas* ACanvas, const TRect& R) {
  // The connectors' crossing index is rebuilt once per paint, for this region.
  ++FPaintSerial;
  FDrawRegion = R;
  FDrawList.clear();
  // Only shapes that can reach what the canvas shows are considered, with the groups that paint
  // them; the others would paint nothing there. The draw list keeps its rules and its order.
  // Printers map coordinates their own way and get every shape.
  const TRect shown = ACanvas->ClipRect();
  const TArrMyShape& candidates =
      ACanvas->IsPrinter() ? FMyShapes
                           : ShapesReaching(TRect{shown.Left + R.Left, shown.Top + R.Top, shown.Right + R.Left, shown.Bottom + R.Top}, true);
  for (TMyShape* s : candidates) {
    if (!IsVisibleLayerByID(s->LayerId)) continue;
    if (IsShapeBigthanRegion(R, s) || (IsPtinRegion(R, s) && !s->HasParentShape())) FDrawList.push_back(s->FSlot.ListPos);
  }
  const bool shifted = R.Left != 0 || R.Top != 0;
  const long double dx = static_cast<long double>(R.Left) / FZoom, dy = static_cast<long double>(R.Top) / FZoom;
  if (shifted)
    for (int32_t no : FDrawList)
      WalkShapeTree(GetShapeByNo(no), TWalk::ShapeFirst, [&](TMyShape* s) { OffsetAllPoints(s, -dx, -dy); });
  for (int32_t no : FDrawList)
    if (TMyShape* s = GetShapeByNo(no)) DrawShapeTree(s, ACanvas);
  for (int32_t no : FDrawList)
    WalkShapeTree(GetShapeByNo(no), TWalk::ShapeFirst, [&](TMyShape* s) { DrawLinkHot(s, ACanvas); });
  if (shifted)
    for (int32_t no : FDrawList)
      WalkShapeTree(GetShapeByNo(no), TWalk::ShapeFirst, [&](TMyShape* s) { OffsetAllPoints(s, dx, dy); });
}

void TMyCAD::SelectAllWorkingShapes() {
  TCanvas* c = Canvas();
  if (FClickedChildShape) {
    if (FClickedChildShape->Visible()) FClickedChildShape->DrawHot(c);
    return;
  }
  // Marks of shapes that cannot reach the buffer would not show.
  FlushShapeIndex();
  const QRect area = ToQRect(c->ClipRect());
  for (TMyShape* s : FWorkingShapes)
    if (s && IsVisibleLayerByID(s->LayerId) && s->Visible() && Reaches(s, area)) s->DrawHot(c);
}

void TMyCAD::DrawBackground(TBitmap* Bitmap) {
  if (!Bitmap) return;
  TCanvas* c = Bitmap->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(FPrintBackground ? FColorOfBackGround : clWhite);
  c->FillRect(TRect{0, 0, Bitmap->Width(), Bitmap->Height()});
}

}  // namespace cad
