// Builds a small drawing on a surface with a grid and writes what the surface shows to an image,
// or shows it in a window when a display is present and no output file is named.
//
//   cad_demo [output.png]
#include "demoshapes.h"

#include <QApplication>
#include <QScrollArea>
#include <cstdio>
#include <cstdlib>

using namespace cad;

namespace {

TMyShape* Polygon(TMyCAD* cad, std::initializer_list<TMyPoint> pts, TColor pen, TColor brush, const QString& info) {
  auto* s = new demo::TDemoPolygon(cad);
  for (const TMyPoint& p : pts) s->Points.push_back(p);
  s->Pen()->SetColor(pen);
  s->Pen()->SetWidth(2);
  s->Brush()->SetColor(brush);
  s->SetInfo(info);
  return s;
}

void BuildDrawing(TMyCAD* cad) {
  cad->SetZoom(1.0);
  cad->GridOperation()->SetGridColor(0xE0E0E0);
  demo::AddDemoShape(cad, Polygon(cad, {{60, 60}, {300, 60}, {300, 200}, {60, 200}}, clNavy, 0xFFE0C0, "Box"));
  demo::AddDemoShape(cad, Polygon(cad, {{380, 80}, {520, 240}, {240, 240}}, clMaroon, 0xC0E0FF, "Triangle"));
  TMyShape* star = Polygon(cad, {}, clGreen, 0xC0FFC0, "Star");
  for (int i = 0; i < 10; ++i) {
    const double a = -PiL / 2 + i * PiL / 5;
    const double r = i % 2 ? 45 : 110;
    star->Points.push_back(MyPoint(static_cast<float>(200 + r * std::cos(a)), static_cast<float>(420 + r * std::sin(a))));
  }
  demo::AddDemoShape(cad, star);
  auto* wave = new demo::TDemoPolyLine(cad);
  for (int x = 0; x <= 300; x += 5)
    wave->Points.push_back(MyPoint(static_cast<float>(360 + x), static_cast<float>(420 + 60 * std::sin(x / 30.0))));
  wave->Pen()->SetColor(clPurple);
  wave->Pen()->SetWidth(3);
  demo::AddDemoShape(cad, wave);
  // A hidden layer: its shape is not painted.
  cad->NewLayer(QStringLiteral("Hidden"), false);
  demo::AddDemoShape(cad, Polygon(cad, {{600, 60}, {700, 60}, {700, 160}}, clRed, clRed, "Hidden"));
  cad->SetCurrentLayerId(0);
  cad->AddWorkingShapes(cad->GetShapeByNo(0));
}

}  // namespace

int main(int argc, char** argv) {
  const bool wantFile = argc > 1;
  if (wantFile || !std::getenv("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Kestrafel 1.0"));

  if (wantFile || !std::getenv("DISPLAY")) {
    const QString out = wantFile ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("demo.png");
    TMyCAD cad;
    BuildDrawing(&cad);
    cad.Repaint();
    cad.Canvas()->Release();
    QImage img(cad.Width(), cad.Height(), QImage::Format_RGB32);
    cad.render(&img);
    if (!img.save(out)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
      return 1;
    }
    std::printf("wrote %s (%d x %d pixels, %d shapes)\n", qPrintable(out), img.width(), img.height(), cad.GetShapesCount());
    return 0;
  }

  QScrollArea area;
  auto* cad = new TMyCAD;
  BuildDrawing(cad);
  area.setWidget(cad);
  area.setAlignment(Qt::AlignCenter);
  area.resize(900, 700);
  area.setWindowTitle(QStringLiteral("Kestrafel 1.0"));
  area.show();
  return app.exec();
}
