// libFuzzer target: the DXF import.
//
// The input is a DXF file. It may be refused; then the surface must be as it was. What it
// imports must export to DXF with finite numbers only, that export must import again, and one
// undo must take the whole import back.
#include <cad/cad.h>

#include <QApplication>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

// The font library keeps a cache for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static int argc = 1;
  static char name[] = "dxfimport_fuzz";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    cad::SetScreenPixelsPerInch(96);
    cad::SetMessageHandler([](const cad::TMessageRequest&) { return static_cast<int>(cad::mrOk); });
    return new QApplication(argc, argv);
  }();
  (void)app;

  cad::TMyCAD cad;
  cad.SetWidth(400);
  cad.SetHeight(300);
  cad::TDxfImportReport report;
  const QByteArray input(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size));
  if (!cad.ImportDxfData(input, report)) {
    if (cad.GetShapesCount() != 0 || cad.GetLayersCount() != 1) std::abort();
    return 0;
  }
  if (report.Shapes != cad.GetShapesCount()) std::abort();
  // The rest costs time in proportion to the shapes (seconds for the most an import adds, under
  // the sanitizers); large imports are checked up to here.
  if (cad.GetShapesCount() > 5000) return 0;
  // Every coordinate, length and angle the export writes is a finite number.
  const QByteArray dxf = cad.DxfText();
  const QList<QByteArray> lines = dxf.split('\n');
  for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
    const int code = lines[i].toInt();
    if (code < 10 || code > 59) continue;
    bool ok = false;
    const double v = lines[i + 1].toDouble(&ok);
    if (!ok || !std::isfinite(v)) std::abort();
  }
  cad::TMyCAD again;
  again.SetWidth(400);
  again.SetHeight(300);
  cad::TDxfImportReport second;
  if (cad.GetShapesCount() > 0 && !again.ImportDxfData(dxf, second)) std::abort();
  cad.Repaint();
  cad.Undo();
  if (cad.GetShapesCount() != 0) std::abort();
  return 0;
}
