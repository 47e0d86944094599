// A host program that draws by code on a drawing surface it never shows: a rectangle, an ellipse
// and a line, the rectangle and the ellipse grouped, the drawing saved to the file named on the
// command line. Everything of the component comes through its one public header.
//
//   kestrafel_host OUT.vorn
//
// Without a display, run it with QT_QPA_PLATFORM=offscreen.
#include <cad/cad.h>

#include <QApplication>
#include <cstdio>

namespace {

// Creates a shape of a registered class with the given points (drawing coordinates at zoom 1)
// and adds it to the current layer under the next id and the name "Shape" + id.
cad::TMyShape* AddShape(cad::TMyCAD& Cad, const char* ClassName, std::initializer_list<cad::TMyPoint> Points) {
  cad::TMyShape* s = cad::TMyCAD::CreateShapeByName(QString::fromLatin1(ClassName), &Cad);
  if (!s) return nullptr;
  for (const cad::TMyPoint& p : Points) s->AddPoint(p);
  s->ShapeId = Cad.NextShapeId();
  s->ShapeNo = Cad.GetShapesCount();
  s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
  if (!Cad.AddShape(s, false, false)) {
    delete s;
    return nullptr;
  }
  // Finishes the shape as the surface does after drawing it by mouse (centre, text point).
  cad::TPoint last;
  s->Drawed(cad::TPoint{}, last);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.vorn\n", argv[0]);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  cad::SetScreenPixelsPerInch(96);
  // The component reports problems through this handler instead of a message box.
  cad::SetMessageHandler([](const cad::TMessageRequest& r) {
    std::fprintf(stderr, "%s\n", r.Text.toLocal8Bit().constData());
    return static_cast<int>(cad::mrOk);
  });

  cad::TMyCAD drawing;
  drawing.SetZoom(1);
  cad::TMyShape* box = AddShape(drawing, "TMyRectangle", {{40, 40}, {200, 40}, {200, 120}, {40, 120}});
  cad::TMyShape* ellipse = AddShape(drawing, "TMyEllipse", {{240, 40}, {360, 40}, {360, 120}, {240, 120}});
  cad::TMyShape* line = AddShape(drawing, "TMyLine", {{40, 200}, {360, 200}});
  if (!box || !ellipse || !line) {
    std::fprintf(stderr, "a shape could not be added\n");
    return 1;
  }
  box->Brush()->SetStyle(cad::TBrushStyle::bsSolid);
  box->Brush()->SetColor(cad::clYellow);
  line->Pen()->SetColor(cad::clBlue);

  const int32_t group = drawing.GroupShapes({box, ellipse}, false);
  const auto* g = dynamic_cast<const cad::TMyGroup*>(drawing.GetShapeByID(group));
  if (!g || g->ChildShapes.size() != 2) {
    std::fprintf(stderr, "the shapes could not be grouped\n");
    return 1;
  }
  // The surface is a QObject with its own meta-object, as form designers and hosts see it.
  QWidget* widget = &drawing;
  if (qobject_cast<cad::TMyCAD*>(widget) != &drawing || drawing.metaObject()->indexOfProperty("Zoom") < 0) {
    std::fprintf(stderr, "the surface's meta-object is not the component's\n");
    return 1;
  }
  if (!drawing.SaveToFile(out)) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[1]);
    return 1;
  }
  std::printf("%s: %d shapes on %d layer(s), rectangle and ellipse grouped as shape %d, page %u x %u mm\n", argv[1],
              drawing.GetShapesCount(), static_cast<int>(drawing.GetLayersCount()), group, drawing.PageWidth(),
              drawing.PageHeight());
  return 0;
}
