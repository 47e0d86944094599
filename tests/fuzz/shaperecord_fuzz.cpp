// libFuzzer target: one shape record read in any generation.
//
// Input layout: byte 0 picks the generation label ("ZK.2" ... "ZK.a"), byte 1 the class
// (see kClasses), the rest is the record. A record that loads must
// also survive a save and a second load unchanged: saving the reloaded shape gives the same
// bytes again.
#include <cad/cad.h>

#include <QApplication>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

const char* const kVersions[] = {"ZK.2", "ZK.3", "ZK.4", "ZK.5", "ZK.6", "ZK.7", "ZK.8", "ZK.9", "ZK.a"};
// New kinds go at the end, so that the seeds keep their class.
const char* const kClasses[] = {"TMyRectangle", "TMyLine",       "TMyPolyLine", "TMyPolygon",
                                "TMyLinkLine",  "TMyLinkPoint",  "TMyLineLinkLine", "TMyRuleLine",
                                "TMyPolyBezier", "TMyText",      "TMyImage",    "TMyElliArc"};

cad::TMyCAD* Surface() {
  static cad::TMyCAD* surface = new cad::TMyCAD();
  return surface;
}

QByteArray Save(cad::TMyShape& Shape) {
  cad::TMemoryStream m;
  Shape.SaveToStream(m);
  return m.Data();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(*argc, *argv);
  cad::SetScreenPixelsPerInch(96);
  cad::SetMessageHandler([](const cad::TMessageRequest&) { return static_cast<int>(cad::mrOk); });
  Surface();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  cad::TMyCAD* surface = Surface();
  const QString cls = QLatin1String(kClasses[Data[1] % std::size(kClasses)]);
  surface->SetDiskFileVersion(QLatin1String(kVersions[Data[0] % std::size(kVersions)]));

  std::unique_ptr<cad::TMyShape> shape(cad::TMyCAD::CreateShapeByName(cls, surface));
  cad::TMemoryStream in(QByteArray(reinterpret_cast<const char*>(Data) + 2, static_cast<qsizetype>(Size - 2)));
  try {
    shape->LoadFromStream(in);
  } catch (const cad::EStreamError&) {
    return 0;  // a damaged record is refused; that is the expected outcome
  }

  const QByteArray first = Save(*shape);
  surface->SetDiskFileVersion(QStringLiteral("ZK.a"));
  std::unique_ptr<cad::TMyShape> again(cad::TMyCAD::CreateShapeByName(cls, surface));
  cad::TMemoryStream reread(first);
  try {
    again->LoadFromStream(reread);
  } catch (const cad::EStreamError&) {
    std::abort();  // what the writer wrote must read back
  }
  if (reread.Position() != reread.Size() || Save(*again) != first) std::abort();
  return 0;
}
