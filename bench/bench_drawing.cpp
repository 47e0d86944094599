#include "bench_drawing.h"

#include <cad/cad.h>

#include <QGraphicsEllipseItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QPainterPath>
#include <QScrollBar>
#include <algorithm>
#include <map>
#include <random>

namespace bench {

using namespace cad;

QSize PageSizePixels() {
  // A0, 841 x 1189 mm, at 96 pixels per inch and zoom 1: what the surface gives itself.
  return QSize(Round(96.0L * 841 / 25.4L), Round(96.0L * 1189 / 25.4L));
}

QImage RenderScenePage(QGraphicsScene& Scene) {
  const QSize page = PageSizePixels();
  QImage image(page, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  Scene.render(&p, QRectF(0, 0, page.width(), page.height()), QRectF(0, 0, page.width(), page.height()));
  p.end();
  return image;
}

QRect ViewRect() {
  const QSize page = PageSizePixels();
  return QRect((page.width() - 1280) / 2, (page.height() - 800) / 2, 1280, 800);
}

namespace {

// The picture every image item shows: a 32 x 24 colour ramp.
const QImage& Picture() {
  static const QImage picture = [] {
    QImage p(32, 24, QImage::Format_RGB32);
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x) p.setPixel(x, y, qRgb(x * 8, y * 10, 128));
    return p;
  }();
  return picture;
}

QString TextOf(size_t I) { return QStringLiteral("Label %1\nsecond line").arg(I); }

}  // namespace

std::vector<TItem> MakeDrawing(int Count, int PageWidth, int PageHeight, bool AllKinds, unsigned Seed) {
  std::mt19937 rng(Seed);
  auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  std::vector<TItem> items;
  items.reserve(static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) {
    TItem it;
    it.Kind = static_cast<TItem::TKind>(i % (AllKinds ? 9 : 4));
    const float x = uniform(20, PageWidth - 80.0f), y = uniform(20, PageHeight - 80.0f);
    const float w = uniform(8, 60), h = uniform(8, 60);
    switch (it.Kind) {
      case TItem::TKind::Box:
      case TItem::TKind::Ellipse:
      case TItem::TKind::Text:
      case TItem::TKind::Image:
        it.Points = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
        break;
      case TItem::TKind::Line:
      case TItem::TKind::RuleLine:
        it.Points = {{x, y}, {x + w, y + h}};
        break;
      case TItem::TKind::Arc: {
        // A third of the circle inscribed in the box, from the left round the top.
        const float r = std::min(w, h) / 2, cx = x + w / 2, cy = y + h / 2;
        it.Points = {{cx - r, cy}, {cx, cy - r}, {cx + r * 0.5f, cy - r * 0.866f}};
        break;
      }
      case TItem::TKind::PolyLine:
      case TItem::TKind::Bezier: {
        float px = x, py = y;
        for (int k = 0; k < (it.Kind == TItem::TKind::Bezier ? 7 : 5); ++k) {
          it.Points.push_back({px, py});
          px = std::clamp(px + uniform(-25, 25), 20.0f, PageWidth - 20.0f);
          py = std::clamp(py + uniform(-25, 25), 20.0f, PageHeight - 20.0f);
        }
        break;
      }
    }
    it.Fill = RGB(i % 256, (i * 7) % 256, 200);
    it.Line = RGB((i * 13) % 128, 0, (i * 5) % 128);
    items.push_back(std::move(it));
  }
  return items;
}

std::unique_ptr<TSurfaceView> MakeSurfaceView(const std::vector<TItem>& Items) {
  auto v = std::make_unique<TSurfaceView>();
  auto* cad = new TMyCAD;
  v->Cad = cad;
  cad->SetPageStyle(TPageStyle::A0);
  cad->SetZoom(1.0);
  cad->SetSnap(false);
  cad->SetShapeTool(TDrawTool::SpSelecting);
  TBitmap picture;
  picture.SetImage(Picture());
  for (size_t i = 0; i < Items.size(); ++i) {
    const TItem& it = Items[i];
    TMyShape* s = nullptr;
    switch (it.Kind) {
      case TItem::TKind::Box: s = new TMyRectangle(cad); break;
      case TItem::TKind::Ellipse: s = new TMyEllipse(cad); break;
      case TItem::TKind::Line: s = new TMyLine(cad); break;
      case TItem::TKind::PolyLine: s = new TMyPolyLine(cad); break;
      case TItem::TKind::RuleLine: s = new TMyRuleLine(cad); break;
      case TItem::TKind::Bezier: s = new TMyPolyBezier(cad); break;
      case TItem::TKind::Text: {
        auto* t = new TMyText(cad);
        t->SetLines(TextOf(i).split(QLatin1Char('\n')));
        s = t;
        break;
      }
      case TItem::TKind::Image: {
        auto* m = new TMyImage(cad);
        m->Points = {it.Points[0]};
        m->SetBitmap(&picture);
        s = m;
        break;
      }
      case TItem::TKind::Arc: s = new TMyElliArc(cad); break;
    }
    s->Points = it.Points;
    s->CenterPoint = s->ComputeCenterPoint();
    s->Brush()->SetColor(it.Fill);
    s->Pen()->SetColor(it.Line);
    s->ShapeId = cad->NextShapeId();
    s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
    s->ShapeNo = cad->GetShapesCount();
    cad->AddShape(s, false, false);
    TPoint last;
    s->Drawed(TPoint{}, last);
  }
  v->Area.setFrameShape(QFrame::NoFrame);
  v->Area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  v->Area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  v->Area.setWidget(cad);
  v->Area.resize(1280, 800);
  v->Area.show();
  v->View = ViewRect();
  v->Area.horizontalScrollBar()->setValue(v->View.left());
  v->Area.verticalScrollBar()->setValue(v->View.top());
  cad->Repaint();
  return v;
}

void TSceneView::Render() { Scene.render(Painter.get(), QRectF(0, 0, Target.width(), Target.height()), View); }

void AddSceneItems(QGraphicsScene& Scene, const std::vector<TItem>& Items, qreal PenWidth) {
  const QSize page = PageSizePixels();
  Scene.setSceneRect(0, 0, page.width(), page.height());
  Scene.setBackgroundBrush(Qt::white);
  const QPixmap pixmap = QPixmap::fromImage(Picture());
  for (size_t i = 0; i < Items.size(); ++i) {
    const TItem& it = Items[i];
    const QPen pen(ToQColor(it.Line), PenWidth);
    const QBrush brush(ToQColor(it.Fill));
    QGraphicsItem* item = nullptr;
    const auto& p = it.Points;
    switch (it.Kind) {
      case TItem::TKind::Box:
        item = Scene.addRect(QRectF(p[0].X, p[0].Y, p[2].X - p[0].X, p[2].Y - p[0].Y), pen, brush);
        break;
      case TItem::TKind::Ellipse:
        item = Scene.addEllipse(QRectF(p[0].X, p[0].Y, p[2].X - p[0].X, p[2].Y - p[0].Y), pen, brush);
        break;
      case TItem::TKind::Line:
        item = Scene.addLine(p[0].X, p[0].Y, p[1].X, p[1].Y, pen);
        break;
      case TItem::TKind::PolyLine: {
        QPainterPath path(QPointF(p[0].X, p[0].Y));
        for (size_t k = 1; k < p.size(); ++k) path.lineTo(p[k].X, p[k].Y);
        item = Scene.addPath(path, pen, Qt::NoBrush);
        break;
      }
      case TItem::TKind::RuleLine: {
        // The line and its length label, turned with it.
        item = Scene.addLine(p[0].X, p[0].Y, p[1].X, p[1].Y, pen);
        auto* label = Scene.addSimpleText(QStringLiteral("%1 mm").arg(std::hypot(p[1].X - p[0].X, p[1].Y - p[0].Y) * 25.4 / 96, 0, 'f', 2));
        label->setPos((p[0].X + p[1].X) / 2, (p[0].Y + p[1].Y) / 2);
        label->setRotation(std::atan2(p[1].Y - p[0].Y, p[1].X - p[0].X) * 180 / M_PI);
        label->setFlag(QGraphicsItem::ItemIsSelectable);
        break;
      }
      case TItem::TKind::Bezier: {
        QPainterPath path(QPointF(p[0].X, p[0].Y));
        for (size_t k = 1; k + 2 < p.size(); k += 3)
          path.cubicTo(p[k].X, p[k].Y, p[k + 1].X, p[k + 1].Y, p[k + 2].X, p[k + 2].Y);
        item = Scene.addPath(path, pen, Qt::NoBrush);
        break;
      }
      case TItem::TKind::Text: {
        auto* text = Scene.addSimpleText(TextOf(i));
        text->setPos(p[0].X, p[0].Y);
        item = text;
        break;
      }
      case TItem::TKind::Image: {
        auto* image = Scene.addPixmap(pixmap);
        image->setPos(p[0].X, p[0].Y);
        image->setTransform(QTransform::fromScale((p[2].X - p[0].X) / pixmap.width(), (p[2].Y - p[0].Y) / pixmap.height()));
        item = image;
        break;
      }
      case TItem::TKind::Arc: {
        // Centre (p1.X, p0.Y), radius p1.X - p0.X; from the left, clockwise over the top.
        const float r = p[1].X - p[0].X;
        const QRectF circle(p[0].X, p[0].Y - r, 2 * r, 2 * r);
        QPainterPath path;
        path.arcMoveTo(circle, 180);
        path.arcTo(circle, 180, -120);
        item = Scene.addPath(path, pen, Qt::NoBrush);
        break;
      }
    }
    item->setFlag(QGraphicsItem::ItemIsSelectable);
  }
}

std::unique_ptr<TSceneView> MakeSceneView(const std::vector<TItem>& Items, const QRect& View) {
  auto v = std::make_unique<TSceneView>();
  AddSceneItems(v->Scene, Items);
  v->View = QRectF(View);
  v->Target = QImage(View.size(), QImage::Format_RGB32);
  v->Painter = std::make_unique<QPainter>(&v->Target);
  // The scene builds its index on the first lookup; do that outside any measurement.
  v->Scene.itemAt(QPointF(0, 0), QTransform());
  v->Render();
  return v;
}

QPoint PointOverAnItem(const std::vector<TItem>& Items, const QRect& View) {
  for (const TItem& it : Items) {
    if (it.Kind != TItem::TKind::Box) continue;
    const QPoint c(static_cast<int>((it.Points[0].X + it.Points[2].X) / 2), static_cast<int>((it.Points[0].Y + it.Points[2].Y) / 2));
    if (View.adjusted(10, 10, -10, -10).contains(c)) return c;
  }
  return View.center();
}

QPoint PointOverNothing(const std::vector<TItem>& Items, const QRect& View) {
  // Mark every item's box, widened by the line hit band and a little more, on a map of the view.
  constexpr int kMargin = 12;
  std::vector<char> covered(static_cast<size_t>(View.width()) * View.height(), 0);
  for (const TItem& it : Items) {
    QRectF box;
    for (const TMyPoint& q : it.Points) box |= QRectF(q.X, q.Y, 0.001, 0.001);
    const QRect r = box.toAlignedRect().adjusted(-kMargin, -kMargin, kMargin, kMargin).intersected(View);
    for (int y = r.top(); y <= r.bottom(); ++y)
      std::fill_n(covered.begin() + (y - View.top()) * View.width() + (r.left() - View.left()), r.width(), 1);
  }
  for (int y = 0; y < View.height(); ++y)
    for (int x = 0; x < View.width(); ++x)
      if (!covered[static_cast<size_t>(y) * View.width() + x]) return View.topLeft() + QPoint(x, y);
  // A drawing this dense has no empty spot in the view.
  return View.center();
}

}  // namespace bench

namespace bench {

namespace {
std::map<int, std::unique_ptr<TBenchViews>>& Cache() {
  static std::map<int, std::unique_ptr<TBenchViews>> cache;
  return cache;
}
}  // namespace

TBenchViews& ViewsFor(int Count, bool AllKinds) {
  auto& slot = Cache()[2 * Count + (AllKinds ? 1 : 0)];
  if (!slot) {
    slot = std::make_unique<TBenchViews>();
    const QSize page = PageSizePixels();
    slot->Items = MakeDrawing(Count, page.width(), page.height(), AllKinds);
    slot->Surface = MakeSurfaceView(slot->Items);
    slot->Scene = MakeSceneView(slot->Items, slot->Surface->View);
  }
  return *slot;
}

namespace {
std::vector<std::function<void()>>& Releases() {
  static std::vector<std::function<void()>> releases;
  return releases;
}
}  // namespace

void AtRelease(std::function<void()> Release) { Releases().push_back(std::move(Release)); }

void ReleaseViews() {
  for (auto& r : Releases()) r();
  Releases().clear();
  Cache().clear();
}

}  // namespace bench
