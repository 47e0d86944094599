// A window holding a form with a drawing surface. By default the form is the one compiled into
// the program by uic; with --plugins it is read from the same .ui file at run time by QUiLoader,
// which creates the surface through the form designer's plugin found in DIR. Either way the
// surface comes up with the settings stored in the form, and a few shapes are drawn on it by code.
//
//   designer_form [--plugins DIR] [--snapshot OUT.png]
//
// --snapshot renders the window into OUT.png and exits (run it with QT_QPA_PLATFORM=offscreen
// where there is no display).
#include "ui_surfaceform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QUiLoader>
#include <cstdio>
#include <memory>

namespace {

void DrawSamples(cad::TMyCAD& Cad) {
  using cad::TDrawTool;
  const auto fill = [&Cad](int32_t Id, cad::TColor Color) {
    if (cad::TMyShape* s = Cad.GetShapeByID(Id)) {
      s->Brush()->SetStyle(cad::TBrushStyle::bsSolid);
      s->Brush()->SetColor(Color);
    }
  };
  fill(Cad.AddShapeByCode(&Cad, TDrawTool::SpRectangle, QStringLiteral("Box"), {{20, 20}, {90, 20}, {90, 60}, {20, 60}}),
       cad::clYellow);
  fill(Cad.AddShapeByCode(&Cad, TDrawTool::SpEllipse, QStringLiteral("Disc"), {{110, 30}, {170, 30}, {170, 90}, {110, 90}}),
       cad::clAqua);
  Cad.AddShapeByCode(&Cad, TDrawTool::SpLine, QStringLiteral("Rule"), {{20, 110}, {170, 110}});
  Cad.RemoveAllWorkingShapes();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString plugins, snapshot;
  for (int i = 1; i < argc; ++i) {
    const QString a = QString::fromLocal8Bit(argv[i]);
    if (a == QLatin1String("--plugins") && i + 1 < argc) {
      plugins = QString::fromLocal8Bit(argv[++i]);
    } else if (a == QLatin1String("--snapshot") && i + 1 < argc) {
      snapshot = QString::fromLocal8Bit(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--plugins DIR] [--snapshot OUT.png]\n", argv[0]);
      return 2;
    }
  }

  std::unique_ptr<QWidget> window;
  if (plugins.isEmpty()) {
    window = std::make_unique<QWidget>();
    auto* ui = new Ui::SurfaceForm;
    ui->setupUi(window.get());
    QObject::connect(window.get(), &QObject::destroyed, [ui] { delete ui; });
  } else {
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QDir(plugins).absolutePath());
    QFile form(QStringLiteral(":/forms/surfaceform.ui"));
    form.open(QIODevice::ReadOnly);
    window.reset(loader.load(&form));
    if (!window) {
      std::fprintf(stderr, "the form could not be built: %s\n", qPrintable(loader.errorString()));
      return 1;
    }
  }
  auto* surface = window->findChild<cad::TMyCAD*>(QStringLiteral("surface"));
  if (!surface) {
    std::fprintf(stderr, "the form holds no drawing surface (is the plugin in %s?)\n", qPrintable(plugins));
    return 1;
  }
  DrawSamples(*surface);
  window->show();
  if (snapshot.isEmpty()) return app.exec();
  QApplication::processEvents();
  if (!window->grab().save(snapshot)) {
    std::fprintf(stderr, "%s: cannot be written\n", qPrintable(snapshot));
    return 1;
  }
  return 0;
}
