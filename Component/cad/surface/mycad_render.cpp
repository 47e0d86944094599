// Rendering the whole drawing into an image of its own, apart from the back buffer and the
// control's visibility: the paint pipeline runs once more at another zoom, on a canvas bound to
// that image, and the surface is put back exactly as it was.
#include "mycad.h"

#include <QEvent>
#include <cmath>
#include <utility>

namespace cad {

namespace {

// While the control passes through the rendering size and back, its resize and move events are
// no news for anyone: the surface's own handler would move the page size, and a scroll area
// around it would clamp its scroll position to the passing size.
class TGeometryEventEater : public QObject {
public:
  bool eventFilter(QObject*, QEvent* Event) override {
    return Event->type() == QEvent::Resize || Event->type() == QEvent::Move;
  }
};

// Runs its function when the scope ends, also when painting throws.
template <typename F>
class TOnExit {
public:
  explicit TOnExit(F Fn) : FFn(std::move(Fn)) {}
  ~TOnExit() { FFn(); }
  TOnExit(const TOnExit&) = delete;
  TOnExit& operator=(const TOnExit&) = delete;

private:
  F FFn;
};

bool Renderable(const QSize& Size) {
  return Size.width() > 0 && Size.height() > 0 &&
         static_cast<qint64>(Size.width()) * Size.height() <= kMaxPicturePixels;
}

}  // namespace

QImage TMyCAD::RenderToImage(double AZoom) {
  // A paint (or a page change) in progress owns the canvas and the control's size.
  if (!(AZoom > 0) || !std::isfinite(AZoom) || FBusy) return QImage();
  // Shapes changed since the last lookup enter the index now, so that the repaint they call for
  // is measured at the zoom the control shows.
  FlushShapeIndex();

  // Everything below changes only what is saved here, and puts it back on the way out.
  const double oldZoom = FZoom;
  const QSize oldSize = size();
  const QSize oldOwnSize = FOwnSize;
  const bool pendingResize = testAttribute(Qt::WA_PendingResizeEvent);
  const bool wasResized = testAttribute(Qt::WA_Resized);
  TMyShapeNo oldDrawList = FDrawList;
  const TRect oldDrawRegion = FDrawRegion;
  const uint32_t oldPaintSerial = FPaintSerial;
  // The connectors' crossing index answers for the last paint between paints; the render builds
  // its own.
  auto oldCrossIndex = std::move(FCrossIndex);
  std::unique_ptr<TCanvas> bufferCanvas = std::move(FCanvas);
  TGeometryEventEater eater;
  installEventFilter(&eater);
  FBusy = true;

  QImage image;
  {
    const TOnExit restore([&] {
      // The image's canvas goes first, which ends its painter.
      FCanvas = std::move(bufferCanvas);
      FZoom = oldZoom;
      if (size() != oldSize) resize(oldSize);
      FOwnSize = oldOwnSize;
      setAttribute(Qt::WA_PendingResizeEvent, pendingResize);
      setAttribute(Qt::WA_Resized, wasResized);
      removeEventFilter(&eater);
      FDrawList = std::move(oldDrawList);
      FDrawRegion = oldDrawRegion;
      FPaintSerial = oldPaintSerial;
      FCrossIndex = std::move(oldCrossIndex);
      FBusy = false;
    });

    // The size is checked before the control takes it: a page at a high zoom is refused
    // without ever being laid out.
    FZoom = AZoom;
    if (!Renderable(ControlSizeAt(AZoom))) return QImage();
    ApplyPageSizeToControl(true, true);
    // A host's size limits on the control may give it another size than the page; the picture
    // covers the control, as a paint does.
    const QSize area = size();
    if (!Renderable(area)) return QImage();
    image = QImage(area, QImage::Format_RGB32);
    if (image.isNull()) return QImage();
    FCanvas = std::make_unique<TCanvas>(&image);
    DrawAll(TRect{0, 0, area.width(), area.height()});
  }
  return image;
}

}  // namespace cad
