#include "demoshapes.h"

namespace demo {

using namespace cad;

namespace {
TArrPoint ZoomedPoints(TMyShape* s) {
  TArrPoint pts;
  for (int32_t i = 0; i < s->GetPointsCount(); ++i) pts.push_back(MyPtToPt(s->GetPointInZoom(i)));
  return pts;
}
}  // namespace

void TDemoPolygon::Draw(TCanvas* Canvas) {
  SetDrawShapeMode(this, Canvas);
  Canvas->Polygon(ZoomedPoints(this));
  TMyShape::Draw(Canvas);
}

void TDemoPolygon::DrawHot(TCanvas* Canvas) {
  for (int32_t i = 0; i < GetPointsCount(); ++i) DrawSquare(this, Canvas, GetPointInZoom(i));
}

void TDemoPolyLine::Draw(TCanvas* Canvas) {
  SetDrawShapeMode(this, Canvas);
  Canvas->Polyline(ZoomedPoints(this));
  TMyShape::Draw(Canvas);
}

bool AddDemoShape(TMyCAD* Cad, TMyShape* Shape) {
  Shape->ShapeId = Cad->NextShapeId();
  Shape->SetName(QStringLiteral("Shape") + QString::number(Shape->ShapeId));
  if (!Cad->AddShape(Shape, false, false)) {
    delete Shape;
    return false;
  }
  Shape->ShapeNo = Cad->GetShapesCount() - 1;
  TPoint last;
  Shape->Drawed(TPoint{}, last);
  return true;
}

}  // namespace demo
