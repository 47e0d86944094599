// Shape libraries at scale: opening a library and building every entry's preview, listing the
// entry names by index, and inserting entries into a large drawing. The scene baselines draw
// the same previews with QGraphicsScene and add the same groups of items to a scene of the same
// drawing; listing names is compared with walking the entries from the start for every index.
#include <benchmark/benchmark.h>
#include <cad/cad.h>

#include <QGraphicsItemGroup>
#include <QGraphicsScene>
#include <QPainter>
#include <map>
#include <memory>

#include "bench_drawing.h"

namespace {

using namespace cad;

// Each entry: a box, an ellipse, a line across them and a link point on the right edge, 60 x 40,
// with one user-data pair.
QByteArray LibraryBytes(int Count) {
  static std::map<int, QByteArray> made;
  QByteArray& bytes = made[Count];
  if (!bytes.isEmpty()) return bytes;
  TMyCAD cad;
  auto add = [&cad](const char* Class, std::initializer_list<TMyPoint> Pts) {
    TMyShape* s = TMyCAD::CreateShapeByName(QLatin1String(Class), &cad);
    s->Points = Pts;
    s->CenterPoint = s->ComputeCenterPoint();
    cad.AddShape(s, false, false);
    return s;
  };
  TMyShape* box = add("TMyRectangle", {{0, 0}, {40, 0}, {40, 40}, {0, 40}});
  box->Brush()->SetColor(clAqua);
  TMyShape* ell = add("TMyEllipse", {{30, 10}, {60, 10}, {60, 30}, {30, 30}});
  TMyShape* line = add("TMyLine", {{0, 0}, {60, 40}});
  TMyShape* point = add("TMyLinkPoint", {{56, 16}, {64, 16}, {64, 24}, {56, 24}});
  TUserData data;
  data.AddKeyandValue(QStringLiteral("part"), QStringLiteral("A-17"));
  TLibManager lib;
  for (int i = 0; i < Count; ++i)
    lib.AppendNewShape(QStringLiteral("Entry%1").arg(i), {box, ell, line, point}, &data, 60, 40);
  bytes = lib.Buffer();
  return bytes;
}

TLibManager& OpenLibrary(TLibManager& Lib, int Count) {
  TMemoryStream m(LibraryBytes(Count));
  Lib.LoadFromStream(m);
  return Lib;
}

void BM_LibPreviews_Surface(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  LibraryBytes(count);
  for (auto _ : state) {
    TLibManager lib;
    OpenLibrary(lib, count);
    TBitmap bmp;
    for (int32_t i = 0; i < lib.cmbShapesCount(); ++i) lib.GetCmbShapeImage(lib.GetCmbShapesNameByID(i), 32, bmp, clWhite);
    benchmark::DoNotOptimize(bmp.Pixel(16, 16));
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// The same previews from scenes that hold the entry's items, rendered into 32 x 32 pictures.
void BM_LibPreviews_Scene(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    QImage image(32, 32, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
      QGraphicsScene scene;
      scene.addRect(0, 0, 40, 40, QPen(Qt::black), QBrush(Qt::cyan));
      scene.addEllipse(30, 10, 30, 20, QPen(Qt::black), QBrush(Qt::white));
      scene.addLine(0, 0, 60, 40);
      image.fill(Qt::white);
      QPainter p(&image);
      scene.render(&p, QRectF(1, 7, 30, 20), QRectF(0, 0, 60, 40));
    }
    benchmark::DoNotOptimize(image.pixel(16, 16));
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// Every name by index on a library just opened (so the index is built inside the loop).
void BM_LibNames_Index(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  LibraryBytes(count);
  for (auto _ : state) {
    TLibManager lib;
    OpenLibrary(lib, count);
    qsizetype total = 0;
    for (int32_t i = 0; i < count; ++i) total += lib.GetCmbShapesNameByID(i).size();
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// The same names found by walking the entries from the start for each index.
void BM_LibNames_Walk(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const QByteArray bytes = LibraryBytes(count);
  for (auto _ : state) {
    TLibManager lib;
    OpenLibrary(lib, count);
    qsizetype total = 0;
    for (int32_t i = 0; i < count; ++i) {
      int64_t pos = 10;
      QString name;
      for (int32_t k = 0; k <= i; ++k) {
        int64_t length = 0, next = 0;
        name = lib.ReadCmbShapeName(pos, length, next);
        pos = next + 4 + lib.ReadCmbShapeSize(next, length, next);
      }
      total += name.size();
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// 100 entries inserted into a drawing of Count shapes (each a combine with three members), then
// taken out again untimed.
void BM_LibInsert_Surface(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<bench::TItem> items = bench::MakeDrawing(count, bench::PageSizePixels().width(), bench::PageSizePixels().height());
  std::unique_ptr<bench::TSurfaceView> view = bench::MakeSurfaceView(items);
  TMyCAD& cad = *view->Cad;
  TLibManager lib;
  OpenLibrary(lib, 100);
  const QRect v = bench::ViewRect();
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i)
      cad.AddUserDefineShapefromLib(&lib, QStringLiteral("Entry%1").arg(i), v.left() + 40 + (i % 10) * 120,
                                    v.top() + 40 + (i / 10) * 70, nullptr);
    cad.Repaint();
    state.PauseTiming();
    while (cad.GetShapesCount() > count) cad.DeleteShapeById(cad.GetShapeByNo(count)->ShapeId, false);
    cad.ClearAllUndoStuff();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 100);
}

void BM_LibInsert_Scene(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<bench::TItem> items = bench::MakeDrawing(count, bench::PageSizePixels().width(), bench::PageSizePixels().height());
  std::unique_ptr<bench::TSceneView> view = bench::MakeSceneView(items, bench::ViewRect());
  const QRect v = bench::ViewRect();
  for (auto _ : state) {
    std::vector<QGraphicsItemGroup*> groups;
    for (int i = 0; i < 100; ++i) {
      const qreal x = v.left() + 10 + (i % 10) * 120, y = v.top() + 20 + (i / 10) * 70;
      auto* group = new QGraphicsItemGroup;
      group->addToGroup(new QGraphicsRectItem(x, y, 40, 40));
      group->addToGroup(new QGraphicsEllipseItem(x + 30, y + 10, 30, 20));
      group->addToGroup(new QGraphicsLineItem(x, y, x + 60, y + 40));
      group->setFlag(QGraphicsItem::ItemIsSelectable);
      view->Scene.addItem(group);
      groups.push_back(group);
    }
    view->Render();
    state.PauseTiming();
    for (QGraphicsItemGroup* g : groups) delete g;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 100);
}

BENCHMARK(BM_LibPreviews_Surface)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibPreviews_Scene)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibNames_Index)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibNames_Walk)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibInsert_Surface)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibInsert_Scene)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
