// Opens the Kestrafel main window, draws a few shapes in it through real mouse events on the
// palette and the surface, and saves a picture of the window.
//
//   editor_snapshot output.png
#include "mainform.h"

#include <QApplication>
#include <QTest>
#include <cstdio>

namespace {

using kestrafel::TMainForm;

void Press(TMainForm& form, const char* button) {
  if (QToolButton* b = form.SpeedButtons[QLatin1String(button)]) QTest::mouseClick(b, Qt::LeftButton);
}

// Two clicks with the pointer moving between them, as a user draws a box.
void DrawBox(TMainForm& form, const char* tool, QPoint a, QPoint b, Qt::KeyboardModifiers mods = {}) {
  Press(form, tool);
  QWidget* cad = form.MyCAD1;
  QTest::mouseClick(cad, Qt::LeftButton, mods, a);
  QTest::mouseMove(cad, (a + b) / 2);
  QTest::mouseMove(cad, b);
  QTest::mouseClick(cad, Qt::LeftButton, mods, b);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: editor_snapshot output.png\n");
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Kestrafel 1.0"));
  TMainForm form;
  form.resize(1024, 694);
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) QTest::qWait(500);

  form.MyCAD1->Pen()->SetColor(0x803000);
  form.MyCAD1->Pen()->SetWidth(2);
  form.MyCAD1->Brush()->SetStyle(cad::TBrushStyle::bsSolid);
  form.MyCAD1->Brush()->SetColor(0xF0D8B0);
  DrawBox(form, "sbtnRectangle", QPoint(80, 80), QPoint(300, 200));
  form.MyCAD1->Brush()->SetColor(0xB8E0B8);
  DrawBox(form, "sbtnEllipse", QPoint(360, 120), QPoint(560, 260));
  form.MyCAD1->Brush()->SetColor(0xC0C0F8);
  DrawBox(form, "sbtnRectangle", QPoint(160, 280), QPoint(260, 380), Qt::ShiftModifier);
  // Link points on three of them, joined by connectors drawn with the connector tool from link
  // point to link point; the second one crosses the first and jumps over it.
  cad::TMyCAD* c = form.MyCAD1;
  c->GetShapeByNo(0)->AddLinkPoint(cad::TMyPoint{300, 140});
  c->GetShapeByNo(1)->AddLinkPoint(cad::TMyPoint{460, 260});
  c->GetShapeByNo(2)->AddLinkPoint(cad::TMyPoint{260, 330});
  c->GetShapeByNo(0)->AddLinkPoint(cad::TMyPoint{190, 200});
  c->GetShapeByNo(1)->AddLinkPoint(cad::TMyPoint{560, 190});
  c->Pen()->SetColor(0x404040);
  c->Pen()->SetWidth(1);
  auto connect = [&](QPoint a, QPoint b) {
    Press(form, "sbtnLinkLine");
    QTest::mousePress(c, Qt::LeftButton, {}, a);
    QTest::mouseMove(c, (a + b) / 2);
    QTest::mouseMove(c, b);
    QTest::mouseRelease(c, Qt::LeftButton, {}, b);
  };
  connect(QPoint(260, 330), QPoint(460, 260));
  connect(QPoint(190, 200), QPoint(560, 190));
  // Select the first box and hover the ellipse, as a user would between strokes.
  QTest::mouseClick(form.MyCAD1, Qt::LeftButton, {}, QPoint(190, 140));
  QTest::mouseMove(form.MyCAD1, QPoint(450, 190));
  QTest::qWait(100);

  const QString out = QString::fromLocal8Bit(argv[1]);
  if (!form.grab().save(out)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%d shapes drawn; window picture saved to %s\n", form.MyCAD1->GetShapesCount(), argv[1]);
  return 0;
}
