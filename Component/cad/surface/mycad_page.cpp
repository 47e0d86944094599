// The page: paper style, size and orientation, which also fix the control's pixel size, and
// the placement of the background picture.
#include "mycad.h"

#include "../gfx/platform.h"

namespace cad {

namespace {
struct PaperSize {
  uint32_t W, H;
};
// Portrait sizes in millimetres, indexed by the page style up to B5.
constexpr PaperSize kPaper[] = {{841, 1189}, {594, 841}, {420, 594}, {297, 420}, {210, 297},
                                {148, 210},  {353, 500}, {257, 364}, {182, 257}};
}  // namespace

int TMyCAD::PageMmToPixels(uint32_t Mm) const {
  return Round(static_cast<long double>(ScreenPixelsPerInch()) * Mm * FZoom / 25.4L);
}

QSize TMyCAD::ControlSizeAt(double Zoom) const {
  // An axis whose size was given in pixels keeps exactly that size at zoom 1; one that follows
  // the page is the page's millimetres at the screen's resolution.
  const auto axis = [&](long double Exact, uint32_t Mm) {
    if (Exact >= 0) return Round(Exact * Zoom);
    return Round(static_cast<long double>(ScreenPixelsPerInch()) * Mm * Zoom / 25.4L);
  };
  return QSize(std::max(0, axis(FExactWidth, FPageWidth)), std::max(0, axis(FExactHeight, FPageHeight)));
}

void TMyCAD::ApplyPageSizeToControl(bool SetWidthToo, bool SetHeightToo) {
  const QSize s = ControlSizeAt(FZoom);
  ResizeControl(SetWidthToo ? s.width() : width(), SetHeightToo ? s.height() : height());
}

void TMyCAD::ResizeControl(int W, int H) {
  FOwnSize = QSize(std::max(0, W), std::max(0, H));
  resize(FOwnSize);
  // Layouts and scroll areas ask the size hint again.
  updateGeometry();
}

QSize TMyCAD::sizeHint() const { return ControlSizeAt(FZoom > 0 ? FZoom : 1.0); }

long double TMyCAD::UnzoomedWidth() const {
  return FExactWidth >= 0 ? FExactWidth : static_cast<long double>(Width()) / FZoom;
}

long double TMyCAD::UnzoomedHeight() const {
  return FExactHeight >= 0 ? FExactHeight : static_cast<long double>(Height()) / FZoom;
}

void TMyCAD::GrowUnzoomedSize(long double W, long double H) {
  // Only an axis that grows takes the size in pixels; the other keeps following what it did.
  if (W > UnzoomedWidth()) FExactWidth = W;
  if (H > UnzoomedHeight()) FExactHeight = H;
  ApplyUnzoomedSize();
}

void TMyCAD::SetUnzoomedSize(long double W, long double H) {
  FExactWidth = std::max(0.0L, W);
  FExactHeight = std::max(0.0L, H);
  ApplyUnzoomedSize();
}

void TMyCAD::ApplyUnzoomedSize() {
  const bool wasBusy = FBusy;
  FBusy = true;
  ApplyPageSizeToControl(true, true);
  PageFollowsControl();
  FBusy = wasBusy;
  NotifyStateChanges();
}

void TMyCAD::SetWidth(int W) {
  // A size given in pixels is the drawing's size at the zoom shown; it is kept unrounded at
  // zoom 1, so zooming in and out never moves it, and the page follows it.
  const long double z = FZoom > 0 ? FZoom : 1.0;
  SetUnzoomedSize(std::max(0, W) / z, UnzoomedHeight());
}

void TMyCAD::SetHeight(int H) {
  const long double z = FZoom > 0 ? FZoom : 1.0;
  SetUnzoomedSize(UnzoomedWidth(), std::max(0, H) / z);
}

void TMyCAD::Resize() {
  if (FBusy || !(FZoom > 0)) return;
  // The control was sized from outside: that size is the drawing's now, and the page follows.
  FExactWidth = static_cast<long double>(Width()) / FZoom;
  FExactHeight = static_cast<long double>(Height()) / FZoom;
  PageFollowsControl();
  NotifyStateChanges();
}

void TMyCAD::PageFollowsControl() {
  if (!(FZoom > 0)) return;
  // An axis sized in millimetres already has its page size.
  const long double k = 25.4L / static_cast<long double>(ScreenPixelsPerInch());
  if (FExactHeight >= 0) FPageHeight = static_cast<uint32_t>(std::max(0, Round(FExactHeight * k)));
  if (FExactWidth >= 0) FPageWidth = static_cast<uint32_t>(std::max(0, Round(FExactWidth * k)));
  FPageStyle = GetPageStyleByWH(FPageWidth, FPageHeight);
}

void TMyCAD::SetPageStyle(TPageStyle Value) {
  const bool wasBusy = FBusy;
  FBusy = true;
  FPageStyle = Value;
  if (Value != TPageStyle::CustomerPage) {
    const PaperSize p = kPaper[static_cast<size_t>(Value)];
    FPageWidth = p.W;
    FPageHeight = p.H;
  }
  if (FPageOrientation == TPrinterOrientation::poLandscape) std::swap(FPageWidth, FPageHeight);
  // The size follows the page in millimetres from here on.
  FExactWidth = FExactHeight = -1;
  ApplyPageSizeToControl(true, true);
  FBusy = wasBusy;
  NotifyStateChanges();
}

void TMyCAD::SetPageOrientation(TPrinterOrientation Value) {
  if (Value == FPageOrientation) return;
  FPageOrientation = Value;
  SetPageStyle(FPageStyle);
}

void TMyCAD::SetPageWidth(uint32_t Value) {
  const bool wasBusy = FBusy;
  FBusy = true;
  FPageWidth = Value;
  FExactWidth = -1;
  ApplyPageSizeToControl(true, false);
  FPageStyle = GetPageStyleByWH(FPageWidth, FPageHeight);
  FBusy = wasBusy;
  NotifyStateChanges();
}

void TMyCAD::SetPageHeight(uint32_t Value) {
  const bool wasBusy = FBusy;
  FBusy = true;
  FPageHeight = Value;
  FExactHeight = -1;
  ApplyPageSizeToControl(false, true);
  FPageStyle = GetPageStyleByWH(FPageWidth, FPageHeight);
  FBusy = wasBusy;
  NotifyStateChanges();
}

TPageStyle TMyCAD::GetPageStyleByWH(uint32_t W, uint32_t H) const {
  if (FPageOrientation == TPrinterOrientation::poLandscape) std::swap(W, H);
  for (size_t i = 0; i < std::size(kPaper); ++i)
    if (kPaper[i].W == W && kPaper[i].H == H) return static_cast<TPageStyle>(i);
  return TPageStyle::CustomerPage;
}

void TMyCAD::SetBkBitmap(const TBitmap* Value) {
  if (Value) FBkBitmap.Assign(*Value);
  else FBkBitmap.Clear();
  Invalidate();
}

void TMyCAD::SetBkBitmapMode(TBkBitmapMode Value) {
  FBkBitmapMode = Value;
  Invalidate();
}

void TMyCAD::DrawBkBitmap(TCanvas* Target, int X, int Y, bool) {
  DrawBkBitmapArea(Target, X, Y, Width(), Height());
}

void TMyCAD::DrawBkBitmapArea(TCanvas* Target, int X, int Y, int AreaWidth, int AreaHeight) {
  if (!Target || FBkBitmap.Empty()) return;
  const int w = FBkBitmap.Width(), h = FBkBitmap.Height();
  const TRect src{0, 0, w, h};
  switch (FBkBitmapMode) {
    case TBkBitmapMode::LeftTop:
      Target->CopyRect(TRect{X, Y, X + w, Y + h}, FBkBitmap, src);
      break;
    case TBkBitmapMode::Center: {
      const int l = X + (AreaWidth - w) / 2, t = Y + (AreaHeight - h) / 2;
      Target->CopyRect(TRect{l, t, l + w, t + h}, FBkBitmap, src);
      break;
    }
    case TBkBitmapMode::Stretch:
      Target->StretchDraw(TRect{X, Y, X + AreaWidth, Y + AreaHeight}, FBkBitmap);
      break;
    case TBkBitmapMode::Tiled: {
      // Only the tiles that meet the target's area are visited: a small picture on a page zoomed
      // far in would otherwise mean billions of tiles.
      const TRect clip = Target->ClipRect();
      auto firstTile = [](int origin, int size, int from) { return std::max(0, (from - origin) / size - 1); };
      auto lastTile = [](int origin, int size, int to, int count) { return std::min(count, (to - origin) / size + 1); };
      const int i0 = firstTile(X, w, clip.Left), i1 = lastTile(X, w, clip.Right, AreaWidth / w);
      const int j0 = firstTile(Y, h, clip.Top), j1 = lastTile(Y, h, clip.Bottom, AreaHeight / h);
      for (int i = i0; i <= i1; ++i) {
        const int l = X + i * w;
        if (l + w <= clip.Left || l >= clip.Right) continue;
        for (int j = j0; j <= j1; ++j) {
          const int t = Y + j * h;
          if (t + h <= clip.Top || t >= clip.Bottom) continue;
          Target->CopyRect(TRect{l, t, l + w, t + h}, FBkBitmap, src);
        }
      }
      break;
    }
  }
}

}  // namespace cad
