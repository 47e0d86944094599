// Painting connectors: 2,000 HV connectors laid out as a grid whose routes cross their
// neighbours' many times, on a 1280 x 800 surface at zoom 1, painted whole with CrossLine on
// (every horizontal segment asks for its crossings and jumps where there is room) and off
// (plain polylines). The baselines render the same pictures as QGraphicsPathItems of a
// QGraphicsScene into an image of the same size: the routes with the same half-circle jumps
// (computed once beforehand, as a scene would have to), and the plain polylines.
#include <benchmark/benchmark.h>
#include <cad/cad.h>

#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace cad;

using TRoute = std::vector<TMyPoint>;

// A page of 339 x 212 mm is 1281 x 801 pixels at 96 pixels per inch and zoom 1.
constexpr uint32_t kPageWidthMm = 339, kPageHeightMm = 212;
constexpr int kViewWidth = 1281, kViewHeight = 801;

// Count connectors on a jittered grid over the view. Even ones run horizontal, vertical,
// horizontal (a step down); odd ones vertical, horizontal, vertical (a step right). Each spans
// several grid cells, so its segments cross those of its neighbours.
std::vector<TRoute> MakeRoutes(int Count) {
  std::mt19937 rng(20261208);
  auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  const int columns = 50, rows = (Count + columns - 1) / columns;
  const float cellW = (kViewWidth - 140.0f) / columns, cellH = (kViewHeight - 120.0f) / rows;
  std::vector<TRoute> routes;
  routes.reserve(static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) {
    const float x = 5 + (i % columns) * cellW + uniform(0, cellW), y = 5 + (i / columns) * cellH + uniform(0, cellH);
    const float a = uniform(40, 65), b = uniform(30, 55);
    if (i % 2 == 0)
      routes.push_back({{x, y}, {x + a, y}, {x + a, y + b}, {x + 2 * a, y + b}});
    else
      routes.push_back({{x, y}, {x, y + b}, {x + a, y + b}, {x + a, y + 2 * b}});
  }
  return routes;
}

std::unique_ptr<TMyCAD> MakeSurface(const std::vector<TRoute>& Routes, bool CrossLine) {
  auto cad = std::make_unique<TMyCAD>();
  cad->SetPageWidth(kPageWidthMm);
  cad->SetPageHeight(kPageHeightMm);
  cad->SetZoom(1.0);
  cad->SetSnap(false);
  cad->SetShapeTool(TDrawTool::SpSelecting);
  cad->SetCrossLine(CrossLine);
  for (const TRoute& r : Routes) {
    auto* l = new TMyLinkLine(cad.get());
    l->Points = r;
    l->ShapeId = cad->NextShapeId();
    l->SetName(QStringLiteral("Shape") + QString::number(l->ShapeId));
    l->ShapeNo = cad->GetShapesCount();
    cad->AddShape(l, false, false);
    TPoint last;
    l->TMyShape::Drawed(TPoint{}, last);
  }
  cad->Repaint();
  return cad;
}

// How many crossings the paint finds, and how many of them get a jump.
void CountCrossings(TMyCAD& Cad, benchmark::State& State) {
  size_t crossings = 0, segments = 0, jumps = 0;
  std::vector<float> xs;
  for (TMyLinkLine* l : Cad.LinkLines())
    for (int32_t i = 0; i + 1 < l->GetPointsCount(); ++i) {
      const TMyPoint a = l->GetPointInZoom(i), b = l->GetPointInZoom(i + 1);
      if (TMyLinkLine::IsLineHV(a, b) != 1) continue;
      xs.clear();
      Cad.GetLinkLineCrossings(a, b, xs);
      crossings += xs.size();
      ++segments;
      // The jumps the paint draws: those with room left of them and right of the last one.
      std::sort(xs.begin(), xs.end());
      float c = std::min(a.X, b.X);
      const float right = std::max(a.X, b.X), r = static_cast<float>(l->JumpRadius());
      for (float x0 : xs)
        if (right > x0 + r && x0 - r > c) {
          ++jumps;
          c = x0 + r;
        }
    }
  State.counters["crossings"] = static_cast<double>(crossings);
  State.counters["h_segments"] = static_cast<double>(segments);
  State.counters["jumps"] = static_cast<double>(jumps);
}

void PaintSurface(benchmark::State& State, bool CrossLine) {
  const std::vector<TRoute> routes = MakeRoutes(static_cast<int>(State.range(0)));
  std::unique_ptr<TMyCAD> cad = MakeSurface(routes, CrossLine);
  for (auto _ : State) {
    cad->Repaint();
    benchmark::DoNotOptimize(cad->Canvas()->Pixel(1, 1));
  }
  State.counters["shapes"] = static_cast<double>(State.range(0));
  if (CrossLine) CountCrossings(*cad, State);
}

void BM_LinkPaint_Surface(benchmark::State& State) { PaintSurface(State, true); }
void BM_LinkPaintNoJumps_Surface(benchmark::State& State) { PaintSurface(State, false); }

// The route as the surface paints it with CrossLine on: every horizontal segment from its left
// end to its right end, with an upward half circle at each crossing that has room.
QPainterPath JumpingRoute(TMyCAD& Cad, TMyLinkLine* L) {
  QPainterPath path;
  std::vector<float> xs;
  const double r = L->JumpRadius();
  for (int32_t i = 0; i + 1 < L->GetPointsCount(); ++i) {
    const TMyPoint a = L->GetPointInZoom(i), b = L->GetPointInZoom(i + 1);
    xs.clear();
    if (TMyLinkLine::IsLineHV(a, b) == 1) Cad.GetLinkLineCrossings(a, b, xs);
    if (xs.empty()) {
      path.moveTo(a.X, a.Y);
      path.lineTo(b.X, b.Y);
      continue;
    }
    std::sort(xs.begin(), xs.end());
    const double left = std::min(a.X, b.X), right = std::max(a.X, b.X), y = a.Y;
    double c = left;
    path.moveTo(left, y);
    for (float x0 : xs) {
      if (!(right > x0 + r && x0 - r > c)) continue;
      path.lineTo(x0 - r, y);
      path.arcTo(QRectF(x0 - r, y - r, 2 * r, 2 * r), 180, -180);
      c = x0 + r;
      path.moveTo(c, y);
    }
    path.lineTo(right, y);
  }
  return path;
}

void PaintScene(benchmark::State& State, bool Jumps) {
  const std::vector<TRoute> routes = MakeRoutes(static_cast<int>(State.range(0)));
  std::unique_ptr<TMyCAD> cad = Jumps ? MakeSurface(routes, true) : nullptr;
  QGraphicsScene scene;
  scene.setSceneRect(0, 0, kViewWidth, kViewHeight);
  scene.setBackgroundBrush(Qt::white);
  const QPen pen(Qt::black, 0);
  if (cad) {
    for (TMyLinkLine* l : cad->LinkLines()) scene.addPath(JumpingRoute(*cad, l), pen, Qt::NoBrush);
  } else {
    for (const TRoute& r : routes) {
      QPainterPath path(QPointF(r[0].X, r[0].Y));
      for (size_t k = 1; k < r.size(); ++k) path.lineTo(r[k].X, r[k].Y);
      scene.addPath(path, pen, Qt::NoBrush);
    }
  }
  QImage target(kViewWidth, kViewHeight, QImage::Format_RGB32);
  QPainter painter(&target);
  const QRectF view(0, 0, kViewWidth, kViewHeight);
  scene.render(&painter, view, view);  // builds the scene's index outside the measurement
  for (auto _ : State) {
    scene.render(&painter, view, view);
    benchmark::DoNotOptimize(target.constBits());
  }
  State.counters["shapes"] = static_cast<double>(State.range(0));
}

void BM_LinkPaint_Scene(benchmark::State& State) { PaintScene(State, true); }
void BM_LinkPaintNoJumps_Scene(benchmark::State& State) { PaintScene(State, false); }

// A fixed number of paints each: the suite has little time, and one drawing per benchmark.
BENCHMARK(BM_LinkPaint_Surface)->Arg(2000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkPaintNoJumps_Surface)->Arg(2000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkPaint_Scene)->Arg(2000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkPaintNoJumps_Scene)->Arg(2000)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
