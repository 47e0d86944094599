// The benchmarks' drawing and its two renderings: a TMyCAD surface and, as the baseline, a
// QGraphicsScene holding the same items, both viewed through the same 1280 x 800 window on an A0
// page at zoom 1 (about 7 % of the page shows).
#pragma once

#include <cad/cad.h>

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QScrollArea>
#include <functional>
#include <memory>
#include <vector>

namespace bench {

// One item of the drawing: a filled box, a filled ellipse, a line or a five-point poly line; in
// the drawing of every kind also a dimension line, a two-segment Bezier curve, a two-line text
// block, a picture and a circular arc.
struct TItem {
  enum class TKind { Box, Ellipse, Line, PolyLine, RuleLine, Bezier, Text, Image, Arc } Kind;
  // Corners for boxes, ellipses, texts and pictures; the start, a middle point and the end of
  // arcs; vertices otherwise.
  std::vector<cad::TMyPoint> Points;
  cad::TColor Fill = cad::clWhite;
  cad::TColor Line = cad::clBlack;
};

// A reproducible drawing of Count items spread evenly over the page (in drawing units), with a
// free margin of 20 units along every edge so that clicks near the corner hit nothing.
// With AllKinds the items take turns through every kind, else through the first four.
std::vector<TItem> MakeDrawing(int Count, int PageWidth, int PageHeight, bool AllKinds = false, unsigned Seed = 20261208);

// The drawing on a surface, shown in a scroll area whose viewport is the view.
struct TSurfaceView {
  QScrollArea Area;
  cad::TMyCAD* Cad = nullptr;  // owned by the scroll area
  QRect View;                  // the visible part of the surface, in control pixels
};
std::unique_ptr<TSurfaceView> MakeSurfaceView(const std::vector<TItem>& Items);

// The same drawing as scene items (selectable, so that the selection baselines work).
struct TSceneView {
  QGraphicsScene Scene;
  QRectF View;
  QImage Target;
  std::unique_ptr<QPainter> Painter;
  void Render();
};
// The drawing as selectable items of Scene, on a scene rectangle of the page.
// PenWidth 0 draws one device pixel wide whatever the device; 1 draws one pixel of the scene,
// which is what the surface draws on a device with more pixels than the view's.
void AddSceneItems(QGraphicsScene& Scene, const std::vector<TItem>& Items, qreal PenWidth = 0);
std::unique_ptr<TSceneView> MakeSceneView(const std::vector<TItem>& Items, const QRect& View);

// The A0 page at 96 pixels per inch, and where the view sits on it (the middle of the page).
QSize PageSizePixels();
// The scene's whole page rendered into a white picture of the page's size.
QImage RenderScenePage(QGraphicsScene& Scene);
QRect ViewRect();

// A point of the view over the first item that lies in it, and one over nothing.
QPoint PointOverAnItem(const std::vector<TItem>& Items, const QRect& View);
QPoint PointOverNothing(const std::vector<TItem>& Items, const QRect& View);

}  // namespace bench

namespace bench {

// The drawing of each size with both renderings, made once per run and shared by the benchmarks.
struct TBenchViews {
  std::vector<TItem> Items;
  std::unique_ptr<TSurfaceView> Surface;
  std::unique_ptr<TSceneView> Scene;
};
TBenchViews& ViewsFor(int Count, bool AllKinds = false);
// Frees every cached drawing (before the application object goes), and runs what benchmarks
// with drawings of their own handed to AtRelease.
void ReleaseViews();
void AtRelease(std::function<void()> Release);

}  // namespace bench
