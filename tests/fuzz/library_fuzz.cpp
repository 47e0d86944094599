// libFuzzer target: a shape-library file.
//
// The input is the library's bytes. Every entry the walk finds is read (with and without its
// link points taken out), previewed and, the first readable one, inserted into a drawing and
// undone. The library is then converted to the newest generation: the walk must find as many
// entries as before, and every entry that read before must read to the same records after.
// Renaming, moving and deleting entries must keep the count and order they promise.
#include <cad/cad.h>

#include <QApplication>
#include <cstdint>
#include <cstdlib>

namespace {

// Enough entries to reach every path; a long input of tiny entries would only repeat them.
constexpr int32_t kMaxEntries = 32;

// The records of an entry as read, or empty when it cannot be read.
QByteArray Records(cad::TLibManager& Lib, const QString& Name, bool Extract) {
  cad::TArrMyPoint links;
  cad::TUserData data;
  cad::TLibShapes shapes;
  int32_t w = 0, h = 0;
  if (!Lib.GetCmbShape(Name, links, &data, shapes, w, h, Extract)) return QByteArray();
  cad::TMemoryStream m;
  m.WriteLE<int32_t>(w);
  m.WriteLE<int32_t>(h);
  data.WriteToStream(m);
  for (const cad::TMyPoint& p : links) {
    m.WriteSingle(p.X);
    m.WriteSingle(p.Y);
  }
  for (const auto& s : shapes) s->SaveToStream(m);
  return m.Data().isEmpty() ? QByteArray(1, 'x') : m.Data();
}

}  // namespace

// The application lives to the end of the process, so the font configuration it loaded is
// still held when the leak check runs at exit; that is the toolkit's, not a finding.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(*argc, *argv);
  cad::SetScreenPixelsPerInch(96);
  cad::SetMessageHandler([](const cad::TMessageRequest&) { return static_cast<int>(cad::mrOk); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const QByteArray input(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size));
  cad::TLibManager lib;
  cad::TMemoryStream in(input);
  if (!lib.LoadFromStream(in) || lib.Buffer() != input) std::abort();
  const int32_t count = lib.cmbShapesCount();
  const int32_t n = std::min(count, kMaxEntries);
  QStringList names;
  QList<QByteArray> before;
  bool inserted = false;
  for (int32_t i = 0; i < n; ++i) {
    const QString name = lib.GetCmbShapesNameByID(i);
    names << name;
    before << Records(lib, name, false);
    Records(lib, name, true);
    cad::TBitmap preview;
    lib.GetCmbShapeImage(name, 33, preview, cad::clWhite);
    if (!inserted && !before.last().isEmpty()) {
      inserted = true;
      cad::TMyCAD cad;
      const int32_t id = cad.AddUserDefineShapefromLib(&lib, name, 100, 80, nullptr);
      if (id < 0) std::abort();
      cad.Repaint();
      cad.Undo();
      if (cad.GetShapesCount() != 0) std::abort();
    }
  }

  // Converting keeps every entry, and every readable entry reads the same.
  lib.Upgradefromx9toxa(QString());
  if (!lib.Buffer().startsWith("VORNLIBX.a") && input.size() >= 10) std::abort();
  if (lib.cmbShapesCount() != count) std::abort();
  for (int32_t i = 0; i < n; ++i) {
    if (lib.GetCmbShapesNameByID(i) != names[i]) std::abort();
    // An entry of a name met earlier reads as that first one.
    if (names.indexOf(names[i]) == i && !before[i].isEmpty() && Records(lib, names[i], false) != before[i]) std::abort();
  }

  // Edits keep what they promise.
  if (n >= 2) {
    if (!lib.MoveCmbShapeBeforeByName(names.last(), QString()) || lib.cmbShapesCount() != count) std::abort();
    if (!lib.RenameCmbShapeName(names.first(), QStringLiteral("renamed")) || lib.cmbShapesCount() != count) std::abort();
    lib.DeleteShape(QStringLiteral("renamed"));
    if (lib.cmbShapesCount() != count - 1) std::abort();
  }
  cad::TMyCAD source;
  cad::TMyShape* box = source.CreateAddShapeByName(QStringLiteral("TMyRectangle"), nullptr);
  box->Points = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  lib.AppendNewShape(QStringLiteral("added"), {box}, nullptr, 10, 10);
  if (lib.GetCmbShapesNameByID(lib.cmbShapesCount() - 1) != QLatin1String("added")) std::abort();
  return 0;
}
