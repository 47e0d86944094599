// Opens the Kestrafel main window, runs the code-drawing samples, draws a few shapes through
// real mouse events on the palette and the surface, and saves a picture of the window.
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
  form.resize(1120, 720);
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) QTest::qWait(500);

  // The code-drawing samples, as the Code Drawing menu makes them (their messages are only
  // recorded here), then two boxes drawn with the mouse and joined by a connector.
  cad::SetMessageHandler([](const cad::TMessageRequest&) { return static_cast<int>(cad::mrOk); });
  cad::TMyCAD* c = form.MyCAD1;
  c->Pen()->SetColor(0x803000);
  c->Pen()->SetWidth(2);
  c->Brush()->SetStyle(cad::TBrushStyle::bsSolid);
  c->Brush()->SetColor(0xF0D8B0);
  for (const char* sample : {"Line", "RuleLine", "PolyLine", "Polygon", "Rectangle", "Ellipse"}) {
    if (QAction* a = form.Action(QLatin1String(sample))) a->trigger();
  }
  c->Brush()->SetColor(0xB8E0B8);
  DrawBox(form, "sbtnRectangle", QPoint(480, 60), QPoint(600, 140));
  c->Brush()->SetColor(0xC0C0F8);
  DrawBox(form, "sbtnEllipse", QPoint(520, 260), QPoint(660, 340));
  c->GetShapeByNo(c->GetShapesCount() - 2)->AddLinkPoint(cad::TMyPoint{600, 100});
  c->GetShapeByNo(c->GetShapesCount() - 1)->AddLinkPoint(cad::TMyPoint{590, 260});
  c->Pen()->SetColor(0x404040);
  c->Pen()->SetWidth(1);
  Press(form, "sbtnLinkLine");
  QTest::mousePress(c, Qt::LeftButton, {}, QPoint(600, 100));
  QTest::mouseMove(c, QPoint(595, 180));
  QTest::mouseMove(c, QPoint(590, 260));
  QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(590, 260));
  // Select the rotated rectangle, as a user would between strokes.
  if (cad::TMyShape* r = c->GetShapeByName(QStringLiteral("RectangleShape"))) c->SelectShapeByCode(r->ShapeId, true);
  form.UpdateToolbar();
  QTest::mouseMove(c, QPoint(420, 280));
  QTest::qWait(100);

  const QString out = QString::fromLocal8Bit(argv[1]);
  if (!form.grab().save(out)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%d shapes drawn; window picture saved to %s\n", form.MyCAD1->GetShapesCount(), argv[1]);
  return 0;
}
