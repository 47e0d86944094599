// Two small shape kinds of the demo program, written as a host program would write its own
// shapes on top of TMyShape: a filled polygon through its points and an open poly line.
#pragma once

#include <cad/cad.h>

namespace demo {

class TDemoPolygon : public cad::TMyShape {
public:
  using TMyShape::TMyShape;
  QString ClassName() const override { return QStringLiteral("TDemoPolygon"); }
  void Draw(cad::TCanvas* Canvas) override;
  void DrawHot(cad::TCanvas* Canvas) override;
};

class TDemoPolyLine : public cad::TMyShape {
public:
  using TMyShape::TMyShape;
  QString ClassName() const override { return QStringLiteral("TDemoPolyLine"); }
  void Draw(cad::TCanvas* Canvas) override;
};

// Adds a shape with the next id and the usual "Shape" + id name to the current layer.
bool AddDemoShape(cad::TMyCAD* Cad, cad::TMyShape* Shape);

}  // namespace demo
