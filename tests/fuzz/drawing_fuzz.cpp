// libFuzzer target: a whole drawing stream, read as the open drawing or inserted as a block.
//
// Byte 0 of the input picks how: 0 mod 4 reads the rest as the drawing, 1 to 3 insert it as a
// block in the Merge, Append and Import layer modes (into a small drawing of two layers). A
// stream may be refused; then the surface must be exactly as before. A drawing that loads must
// save, load again and save to the same bytes, and survive a repaint, select all, copy, paste
// and a style change handed down its groups.
#include <cad/cad.h>

#include <QApplication>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

QByteArray Save(cad::TMyCAD& Cad) {
  cad::TMemoryStream m;
  if (!Cad.SaveToStream(m)) std::abort();
  return m.Data();
}

// A small drawing to insert blocks into.
void Prepare(cad::TMyCAD& Cad) {
  Cad.SetWidth(300);
  Cad.SetHeight(200);
  Cad.NewLayer(QStringLiteral("Second"), true);
  cad::TMyShape* s = Cad.CreateAddShapeByName(QStringLiteral("TMyRectangle"), nullptr);
  s->Points = {{10, 10}, {50, 10}, {50, 40}, {10, 40}};
  s->CenterPoint = s->ComputeCenterPoint();
}

void Exercise(cad::TMyCAD& Cad) {
  Cad.Repaint();
  Cad.SelectAllShapes();
  Cad.Copy();
  Cad.Paste();
  for (int32_t i = 0; i < Cad.GetShapesCount(); ++i)
    if (cad::TMyShape* s = Cad.GetShapeByNo(i); s->HasChildShapes()) s->Pen()->SetColor(cad::clRed);
  Cad.Repaint();
}

}  // namespace

// The application lives to the end of the process, so the font configuration it loaded is
// still held when the leak check runs at exit; that is the toolkit's, not a finding.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: tearing the application down in the exit handlers, after the fuzzer's
  // last run, crashes inside the toolkit.
  new QApplication(*argc, *argv);
  cad::SetScreenPixelsPerInch(96);
  cad::SetMessageHandler([](const cad::TMessageRequest&) { return static_cast<int>(cad::mrOk); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const int how = Data[0] % 4;
  const QByteArray input(reinterpret_cast<const char*>(Data) + 1, static_cast<qsizetype>(Size - 1));
  cad::TMyCAD cad;
  Prepare(cad);
  const QByteArray before = Save(cad);
  cad::TMemoryStream in(input);
  if (how == 0) {
    if (!cad.LoadFromStream(in)) {
      if (Save(cad) != before) std::abort();
      return 0;
    }
    const QByteArray first = Save(cad);
    cad::TMyCAD again;
    cad::TMemoryStream reread(first);
    if (!again.LoadFromStream(reread) || Save(again) != first) std::abort();
  } else {
    const auto mode = static_cast<cad::TBlockLayerMode>(how - 1);
    if (!cad.LoadFromStreamforBlock(in, mode)) {
      if (Save(cad) != before || cad.GetMemShapesCount() != 0) std::abort();
      return 0;
    }
    cad.PasteforBlock();
  }
  Exercise(cad);
  return 0;
}
