// Interactive frames as the user sees them: the surface in a scroll area and a QGraphicsView of
// the same drawing, both 1280 x 800 windows on the same part of an A0 page, in the same process.
// Every step is timed until its paint has reached the window:
//   Scroll      the view scrolled 100 pixels at a time, sixteen steps down and sixteen back up
//   ZoomIn/Out  zoom 1 <-> 1.25 about the middle of the view
//   Drag        one 5-pixel step of a drag of 1,000 selected shapes
//   Open        a new window opened on the drawing (read from its file for the surface) and
//               painted for the first time
//   Full1/2     a full repaint of the view rendered into an image of device pixel ratio 1 or 2
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QScrollBar>
#include <algorithm>
#include <map>

#include "bench_drawing.h"

namespace {

using namespace cad;

constexpr int kViewW = 1280, kViewH = 800;
constexpr size_t kDragged = 1000;

// Lets the event loop deliver what a step posted and what that posted in turn (the scene's
// queued index and update calls, the view's update requests), and paint it.
void Settle() {
  for (int round = 0; round < 3; ++round) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

struct TGraphicsViewPeer {
  QGraphicsScene Scene;
  QGraphicsView View;
  explicit TGraphicsViewPeer(const std::vector<bench::TItem>& Items, qreal PenWidth = 0) {
    bench::AddSceneItems(Scene, Items, PenWidth);
    View.setScene(&Scene);
    View.setFrameShape(QFrame::NoFrame);
    View.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View.resize(kViewW, kViewH);
    View.show();
    const QRect r = bench::ViewRect();
    View.horizontalScrollBar()->setValue(r.left());
    View.verticalScrollBar()->setValue(r.top());
    Settle();
  }
};

std::unique_ptr<bench::TSurfaceView> OpenSurface(TMemoryStream& Saved) {
  auto v = std::make_unique<bench::TSurfaceView>();
  auto* cad = new TMyCAD;
  v->Cad = cad;
  Saved.SetPosition(0);
  if (!cad->LoadFromStream(Saved)) return nullptr;
  cad->SetZoom(1.0);
  v->Area.setFrameShape(QFrame::NoFrame);
  v->Area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  v->Area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  v->Area.setWidget(cad);
  v->Area.resize(kViewW, kViewH);
  v->Area.show();
  v->View = bench::ViewRect();
  v->Area.horizontalScrollBar()->setValue(v->View.left());
  v->Area.verticalScrollBar()->setValue(v->View.top());
  Settle();
  return v;
}

struct TFrames {
  std::vector<bench::TItem> Items;
  std::unique_ptr<bench::TSurfaceView> Surface;
  std::unique_ptr<TGraphicsViewPeer> Peer;
  // The same drawing with lines one scene pixel wide (two device pixels at ratio 2, as the
  // surface draws them), made when first asked for.
  std::unique_ptr<TGraphicsViewPeer> WidePeer;
  TMemoryStream Saved;
  // The items dragged (kDragged of them, see FramesFor).
  std::vector<size_t> Dragged;
};

TFrames& FramesFor(int Count) {
  static std::map<int, std::unique_ptr<TFrames>> cache;
  if (cache.empty()) bench::AtRelease([] { cache.clear(); });
  auto& f = cache[Count];
  if (!f) {
    f = std::make_unique<TFrames>();
    const QSize page = bench::PageSizePixels();
    f->Items = bench::MakeDrawing(Count, page.width(), page.height());
    f->Surface = bench::MakeSurfaceView(f->Items);
    f->Surface->Cad->SaveToStream(f->Saved);
    f->Peer = std::make_unique<TGraphicsViewPeer>(f->Items);
    Settle();
    // The dragged shapes are spread over the view (every k-th of those that start in it), and
    // when the view holds fewer, the nearest ones outside it join.
    const QRectF view(bench::ViewRect());
    std::vector<size_t> inside;
    std::vector<std::pair<double, size_t>> outside;
    for (size_t i = 0; i < f->Items.size(); ++i) {
      const TMyPoint p = f->Items[i].Points[0];
      if (view.contains(p.X, p.Y)) inside.push_back(i);
      else outside.emplace_back(std::hypot(p.X - view.center().x(), p.Y - view.center().y()), i);
    }
    if (inside.size() >= kDragged) {
      for (size_t k = 0; k < kDragged; ++k) f->Dragged.push_back(inside[k * inside.size() / kDragged]);
    } else {
      f->Dragged = inside;
      const size_t more = std::min(kDragged - inside.size(), outside.size());
      std::partial_sort(outside.begin(), outside.begin() + static_cast<std::ptrdiff_t>(more), outside.end());
      for (size_t k = 0; k < more; ++k) f->Dragged.push_back(outside[k].second);
    }
    std::sort(f->Dragged.begin(), f->Dragged.end());
  }
  return *f;
}

void Counters(benchmark::State& state) { state.counters["shapes"] = static_cast<double>(state.range(0)); }

// ---- Scroll ----

// Runs of sixteen steps down (two views' height), then sixteen back up, as a user scrolls
// through a drawing: longer than the room the buffer keeps around the view.
void ScrollBench(benchmark::State& state, QScrollBar* Bar) {
  const int top = Bar->value();
  int i = 0;
  for (auto _ : state) {
    const int step = i++ % 32;
    Bar->setValue(top + 100 * (step < 16 ? step + 1 : 31 - step));
    Settle();
  }
  Bar->setValue(top);
  Settle();
  Counters(state);
}

void BM_FrameScroll_Surface(benchmark::State& state) {
  ScrollBench(state, FramesFor(static_cast<int>(state.range(0))).Surface->Area.verticalScrollBar());
}

void BM_FrameScroll_SceneView(benchmark::State& state) {
  ScrollBench(state, FramesFor(static_cast<int>(state.range(0))).Peer->View.verticalScrollBar());
}

// ---- Zoom about the middle of the view ----

void ZoomSurface(bench::TSurfaceView& V, double Z) {
  QScrollBar* h = V.Area.horizontalScrollBar();
  QScrollBar* v = V.Area.verticalScrollBar();
  const double old = V.Cad->Zoom();
  const double cx = (h->value() + kViewW / 2.0) / old, cy = (v->value() + kViewH / 2.0) / old;
  V.Cad->SetZoom(Z);
  h->setValue(static_cast<int>(std::lround(cx * Z - kViewW / 2.0)));
  v->setValue(static_cast<int>(std::lround(cy * Z - kViewH / 2.0)));
  Settle();
}

void ZoomPeer(TGraphicsViewPeer& P, double Z) {
  const QPointF centre = P.View.mapToScene(P.View.viewport()->rect().center());
  P.View.setTransform(QTransform::fromScale(Z, Z));
  P.View.centerOn(centre);
  Settle();
}

template <bool In>
void ZoomSurfaceBench(benchmark::State& state) {
  bench::TSurfaceView& v = *FramesFor(static_cast<int>(state.range(0))).Surface;
  for (auto _ : state) {
    state.PauseTiming();
    ZoomSurface(v, In ? 1.0 : 1.25);
    state.ResumeTiming();
    ZoomSurface(v, In ? 1.25 : 1.0);
  }
  ZoomSurface(v, 1.0);
  Counters(state);
}

template <bool In>
void ZoomPeerBench(benchmark::State& state) {
  TGraphicsViewPeer& p = *FramesFor(static_cast<int>(state.range(0))).Peer;
  for (auto _ : state) {
    state.PauseTiming();
    ZoomPeer(p, In ? 1.0 : 1.25);
    state.ResumeTiming();
    ZoomPeer(p, In ? 1.25 : 1.0);
  }
  ZoomPeer(p, 1.0);
  Counters(state);
}

void BM_FrameZoomIn_Surface(benchmark::State& state) { ZoomSurfaceBench<true>(state); }
void BM_FrameZoomOut_Surface(benchmark::State& state) { ZoomSurfaceBench<false>(state); }
void BM_FrameZoomIn_SceneView(benchmark::State& state) { ZoomPeerBench<true>(state); }
void BM_FrameZoomOut_SceneView(benchmark::State& state) { ZoomPeerBench<false>(state); }

// ---- One step of a drag of many shapes ----

void BM_FrameDrag_Surface(benchmark::State& state) {
  TFrames& f = FramesFor(static_cast<int>(state.range(0)));
  TMyCAD& cad = *f.Surface->Cad;
  cad.DeSelectedAllShapesByCode();
  for (size_t i : f.Dragged) cad.AddWorkingShapes(cad.GetShapeByNo(static_cast<int32_t>(i)));
  Settle();
  // Pressed inside a dragged box (they are filled) away from every hot point of the selection,
  // so that the press drags rather than resizes.
  QPoint press = f.Surface->View.center();
  for (size_t i : f.Dragged) {
    if (f.Items[i].Kind != bench::TItem::TKind::Box) continue;
    const auto& p = f.Items[i].Points;
    const TPoint at{static_cast<int>((p[0].X + p[2].X) / 2), static_cast<int>((p[0].Y + p[2].Y) / 2)};
    bool onHot = false;
    for (size_t k : f.Dragged) onHot = onHot || cad.GetShapeByNo(static_cast<int32_t>(k))->InWhichHot(at) >= 0;
    if (!onHot) {
      press = QPoint(at.X, at.Y);
      break;
    }
  }
  cad.MouseDown(TMouseButton::mbLeft, ssLeft, press.x(), press.y());
  if (cad.Action() != TActionTools::dtDragging) state.SkipWithError("the press did not start a drag");
  Settle();
  int i = 0;
  for (auto _ : state) {
    cad.MouseMove(ssLeft, press.x() + ((i++ % 2) ? 5 : 10), press.y());
    Settle();
  }
  cad.MouseMove(ssLeft, press.x(), press.y());
  cad.MouseUp(TMouseButton::mbLeft, 0, press.x(), press.y());
  cad.DeSelectedAllShapesByCode();
  Settle();
  Counters(state);
}

void BM_FrameDrag_SceneView(benchmark::State& state) {
  TFrames& f = FramesFor(static_cast<int>(state.range(0)));
  TGraphicsViewPeer& p = *f.Peer;
  // The scene's items in insertion order are the drawing's items (a dimension line adds its
  // label right after it, and this drawing has none).
  const QList<QGraphicsItem*> all = p.Scene.items(Qt::AscendingOrder);
  std::vector<QGraphicsItem*> dragged;
  for (size_t i : f.Dragged) dragged.push_back(all[static_cast<qsizetype>(i)]);
  for (QGraphicsItem* it : dragged) it->setSelected(true);
  p.View.resetTransform();
  p.View.horizontalScrollBar()->setValue(bench::ViewRect().left());
  p.View.verticalScrollBar()->setValue(bench::ViewRect().top());
  Settle();
  int i = 0;
  for (auto _ : state) {
    const qreal dx = (i++ % 2) ? -5 : 5;
    for (QGraphicsItem* it : dragged) it->moveBy(dx, 0);
    Settle();
  }
  if (i % 2)
    for (QGraphicsItem* it : dragged) it->moveBy(-5, 0);
  p.Scene.clearSelection();
  Settle();
  Counters(state);
}

// ---- Open and first paint ----

// The windows the other benchmarks keep are hidden while a window opens, so that a platform that
// exposes what lies under a new window again does not bill their repaints to the one opening.
struct THideKept {
  TFrames& F;
  explicit THideKept(TFrames& Frames) : F(Frames) {
    F.Surface->Area.hide();
    F.Peer->View.hide();
    if (F.WidePeer) F.WidePeer->View.hide();
    Settle();
  }
  ~THideKept() {
    F.Surface->Area.show();
    F.Peer->View.show();
    if (F.WidePeer) F.WidePeer->View.show();
    Settle();
  }
};

void BM_FrameOpen_Surface(benchmark::State& state) {
  TFrames& f = FramesFor(static_cast<int>(state.range(0)));
  THideKept hidden(f);
  for (auto _ : state) {
    std::unique_ptr<bench::TSurfaceView> v = OpenSurface(f.Saved);
    if (!v) state.SkipWithError("the drawing did not load");
    state.PauseTiming();
    v.reset();
    Settle();
    state.ResumeTiming();
  }
  Counters(state);
}

void BM_FrameOpen_SceneView(benchmark::State& state) {
  TFrames& f = FramesFor(static_cast<int>(state.range(0)));
  THideKept hidden(f);
  for (auto _ : state) {
    auto p = std::make_unique<TGraphicsViewPeer>(f.Items);
    state.PauseTiming();
    p.reset();
    Settle();
    state.ResumeTiming();
  }
  Counters(state);
}

// ---- A full frame at device pixel ratio 1 and 2 ----

QImage FrameImage(qreal Ratio) {
  QImage image(static_cast<int>(kViewW * Ratio), static_cast<int>(kViewH * Ratio), QImage::Format_RGB32);
  image.setDevicePixelRatio(Ratio);
  return image;
}

template <int Ratio>
void FullSurface(benchmark::State& state) {
  bench::TSurfaceView& v = *FramesFor(static_cast<int>(state.range(0))).Surface;
  // The offscreen screen has one device pixel per pixel: the surface is told the ratio.
  v.Cad->SetBufferPixelRatio(Ratio);
  Settle();
  QImage image = FrameImage(Ratio);
  for (auto _ : state) {
    v.Cad->Repaint();
    v.Cad->render(&image, QPoint(), QRegion(v.View));
    benchmark::DoNotOptimize(image.constBits());
  }
  v.Cad->SetBufferPixelRatio(0);
  Settle();
  Counters(state);
}

template <int Ratio, bool Wide = false>
void FullPeer(benchmark::State& state) {
  TFrames& f = FramesFor(static_cast<int>(state.range(0)));
  if (Wide && !f.WidePeer) f.WidePeer = std::make_unique<TGraphicsViewPeer>(f.Items, 1.0);
  TGraphicsViewPeer& p = Wide ? *f.WidePeer : *f.Peer;
  QImage image = FrameImage(Ratio);
  for (auto _ : state) {
    p.View.viewport()->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  Counters(state);
}

void BM_FrameFull1_Surface(benchmark::State& state) { FullSurface<1>(state); }
void BM_FrameFull2_Surface(benchmark::State& state) { FullSurface<2>(state); }
void BM_FrameFull1_SceneView(benchmark::State& state) { FullPeer<1>(state); }
void BM_FrameFull2_SceneView(benchmark::State& state) { FullPeer<2>(state); }
// The view's hairlines are one device pixel wide at ratio 2, half the surface's lines: the same
// picture needs lines one scene pixel wide.
void BM_FrameFull2_SceneViewSameLines(benchmark::State& state) { FullPeer<2, true>(state); }

#define KESTRAFEL_FRAMES(F) BENCHMARK(F)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
KESTRAFEL_FRAMES(BM_FrameScroll_Surface);
KESTRAFEL_FRAMES(BM_FrameScroll_SceneView);
KESTRAFEL_FRAMES(BM_FrameZoomIn_Surface);
KESTRAFEL_FRAMES(BM_FrameZoomIn_SceneView);
KESTRAFEL_FRAMES(BM_FrameZoomOut_Surface);
KESTRAFEL_FRAMES(BM_FrameZoomOut_SceneView);
KESTRAFEL_FRAMES(BM_FrameDrag_Surface);
KESTRAFEL_FRAMES(BM_FrameDrag_SceneView);
KESTRAFEL_FRAMES(BM_FrameOpen_Surface);
KESTRAFEL_FRAMES(BM_FrameOpen_SceneView);
KESTRAFEL_FRAMES(BM_FrameFull1_Surface);
KESTRAFEL_FRAMES(BM_FrameFull1_SceneView);
KESTRAFEL_FRAMES(BM_FrameFull2_Surface);
KESTRAFEL_FRAMES(BM_FrameFull2_SceneView);
KESTRAFEL_FRAMES(BM_FrameFull2_SceneViewSameLines);

}  // namespace
