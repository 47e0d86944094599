// One application for the whole suite: the offscreen platform, 96 pixels per inch, and message
// and terminate handlers that record instead of blocking.
#include "support.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace testing_support {

Recorder& Recorded() {
  static Recorder r;
  return r;
}

void TTestShape::Draw(cad::TCanvas* Canvas) {
  ++DrawCount;
  cad::SetDrawShapeMode(this, Canvas);
  cad::TArrPoint pts;
  for (int32_t i = 0; i < GetPointsCount(); ++i) pts.push_back(cad::MyPtToPt(GetPointInZoom(i)));
  Canvas->Polygon(pts);
  TMyShape::Draw(Canvas);
}

void TTestShape::DrawHot(cad::TCanvas* Canvas) {
  for (int32_t i = 0; i < GetPointsCount(); ++i) cad::DrawSquare(this, Canvas, GetPointInZoom(i));
}

TRendered::TRendered(cad::TMyShape& S, int W, int H) : Image(W, H) {
  Image.Canvas()->Brush()->SetColor(cad::clWhite);
  Image.Canvas()->FillRect(cad::TRect{0, 0, W, H});
  S.Draw(Image.Canvas());
  Image.Canvas()->Release();
}

QRect TRendered::Ink() const {
  QRect r;
  for (int y = 0; y < Image.Height(); ++y)
    for (int x = 0; x < Image.Width(); ++x)
      if (Image.Pixel(x, y) != cad::clWhite) r |= QRect(x, y, 1, 1);
  return r;
}

TTestShape* AddBox(cad::TMyCAD& Cad, float L, float T, float R, float B) {
  auto* s = new TTestShape(&Cad);
  s->Points = {{L, T}, {R, T}, {R, B}, {L, B}};
  s->ShapeId = Cad.NextShapeId();
  s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
  if (!Cad.AddShape(s, false, false)) {
    delete s;
    return nullptr;
  }
  s->ShapeNo = Cad.GetShapesCount() - 1;
  cad::TPoint last;
  s->Drawed(cad::TPoint{}, last);
  return s;
}

}  // namespace testing_support

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The editor keeps settings across runs: the tests keep theirs in a folder of their own.
  QTemporaryDir settings;
  QCoreApplication::setOrganizationName(QStringLiteral("KestrafelTests"));
  QCoreApplication::setApplicationName(QStringLiteral("cad_tests"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  cad::SetScreenPixelsPerInch(96);
  cad::SetMessageHandler([](const cad::TMessageRequest& r) {
    testing_support::Recorded().Messages << r.Text;
    return (r.Buttons & cad::mbYes) ? static_cast<int>(cad::mrYes) : static_cast<int>(cad::mrOk);
  });
  cad::SetTerminateHandler([] { ++testing_support::Recorded().TerminateRequests; });
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
