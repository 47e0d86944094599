// Re-routing connectors: a hub box with 100 connectors to boxes around it is moved by code,
// which re-routes all 100, on an otherwise empty drawing and amid 10,000 other shapes (with a
// library shape among them to step around). The baseline is what a scene does for the same
// move: move the hub item and set each of the 100 connector paths anew.
#include <benchmark/benchmark.h>

#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QPainterPath>
#include <cmath>

#include "bench_drawing.h"

namespace {

using namespace cad;

constexpr int kConnectors = 100;
constexpr float kHubX = 2000, kHubY = 2000, kHubSize = 200, kRing = 900;

TMyShape* AddRect(TMyCAD& Cad, const char* Class, float L, float T, float R, float B) {
  TMyShape* s = Cad.CreateAddShapeByName(QLatin1String(Class), nullptr);
  s->Points = {{L, T}, {R, T}, {R, B}, {L, B}};
  s->CenterPoint = s->ComputeCenterPoint();
  s->Changed();
  return s;
}

// The hub's link points lie on its edges, the boxes around it on a ring, each with one link
// point on its side facing the hub.
struct TRerouteDrawing {
  TMyCAD Cad;
  TMyShape* Hub = nullptr;
  explicit TRerouteDrawing(int Others) {
    Cad.SetZoom(1);
    Cad.SetPageWidth(1189);
    Cad.SetPageHeight(841);
    const std::vector<bench::TItem> items = bench::MakeDrawing(Others, 4400, 3100);
    for (const bench::TItem& it : items) {
      if (it.Points.size() < 4) continue;
      AddRect(Cad, "TMyRectangle", it.Points[0].X, it.Points[0].Y, it.Points[2].X, it.Points[2].Y);
    }
    Hub = AddRect(Cad, "TMyRectangle", kHubX, kHubY, kHubX + kHubSize, kHubY + kHubSize);
    AddRect(Cad, "TMyCombine", kHubX + 450, kHubY - 100, kHubX + 550, kHubY + 300);
    for (int i = 0; i < kConnectors; ++i) {
      const double a = 2 * PiL * i / kConnectors;
      const float cx = kHubX + kHubSize / 2 + static_cast<float>(kRing * std::cos(a));
      const float cy = kHubY + kHubSize / 2 + static_cast<float>(kRing * std::sin(a));
      TMyShape* box = AddRect(Cad, "TMyRectangle", cx - 20, cy - 20, cx + 20, cy + 20);
      box->AddLinkPoint(TMyPoint{cx - static_cast<float>(20 * std::cos(a)), cy - static_cast<float>(20 * std::sin(a))});
      const float t = static_cast<float>(i % 25) / 25 * kHubSize;
      const int side = i / 25;
      const TMyPoint hp = side == 0   ? TMyPoint{kHubX + t, kHubY}
                          : side == 1 ? TMyPoint{kHubX + kHubSize, kHubY + t}
                          : side == 2 ? TMyPoint{kHubX + kHubSize - t, kHubY + kHubSize}
                                      : TMyPoint{kHubX, kHubY + kHubSize - t};
      Hub->AddLinkPoint(hp);
      Cad.CreateLink(QString(), Hub, i, box, 0);
    }
    Cad.ClearAllUndoStuff();
  }
};

void BM_Reroute100_Surface(benchmark::State& state) {
  TRerouteDrawing d(static_cast<int>(state.range(0)));
  int i = 0;
  for (auto _ : state) {
    const float dx = (i++ % 2) ? -10.0f : 10.0f;
    d.Cad.Move(d.Hub, dx, dx);  // re-routes all 100 connectors
  }
  state.counters["connectors"] = kConnectors;
}

void BM_Reroute100_Scene(benchmark::State& state) {
  QGraphicsScene scene;
  const std::vector<bench::TItem> items = bench::MakeDrawing(static_cast<int>(state.range(0)), 4400, 3100);
  for (const bench::TItem& it : items)
    if (it.Points.size() >= 4)
      scene.addRect(QRectF(QPointF(it.Points[0].X, it.Points[0].Y), QPointF(it.Points[2].X, it.Points[2].Y)));
  QGraphicsRectItem* hub = scene.addRect(QRectF(kHubX, kHubY, kHubSize, kHubSize));
  std::vector<QGraphicsPathItem*> paths;
  std::vector<QPointF> ends;
  for (int i = 0; i < kConnectors; ++i) {
    const double a = 2 * PiL * i / kConnectors;
    ends.emplace_back(kHubX + kHubSize / 2 + kRing * std::cos(a), kHubY + kHubSize / 2 + kRing * std::sin(a));
    scene.addRect(QRectF(ends.back() - QPointF(20, 20), QSizeF(40, 40)));
    paths.push_back(scene.addPath(QPainterPath()));
  }
  int i = 0;
  for (auto _ : state) {
    const qreal d = (i++ % 2) ? -10 : 10;
    hub->moveBy(d, d);
    const QPointF c = hub->sceneBoundingRect().center();
    for (int k = 0; k < kConnectors; ++k) {
      QPainterPath p(c);
      p.lineTo(ends[static_cast<size_t>(k)].x(), c.y());
      p.lineTo(ends[static_cast<size_t>(k)]);
      paths[static_cast<size_t>(k)]->setPath(p);
    }
  }
  state.counters["connectors"] = kConnectors;
}

BENCHMARK(BM_Reroute100_Surface)->Arg(0)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Reroute100_Scene)->Arg(0)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
