// Opens the Kestrafel main window, runs the code-drawing samples, draws a shape of every other
// kind through real mouse events on the palette and the surface (the image tool is given a
// picture made here), and saves a picture of the window.
//
//   editor_snapshot output.png [drawing.vorn] [--library library.png]
//
// The picture shows the inspector filled from the selected text block. With a drawing file the
// drawing is saved there as well; with --library a second picture shows a library made of the
// drawn shapes, one entry per shape, on the library page.
#include "mainform.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
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

// Clicks at each point in turn, then double-clicks the last one, which ends a curve.
void ClickAlong(TMainForm& form, const char* tool, std::initializer_list<QPoint> points) {
  Press(form, tool);
  QWidget* cad = form.MyCAD1;
  for (const QPoint& p : points) {
    QTest::mouseMove(cad, p);
    QTest::mouseClick(cad, Qt::LeftButton, {}, p);
  }
  const QPoint last = *(points.end() - 1);
  QTest::mouseDClick(cad, Qt::LeftButton, {}, last);
  QTest::mouseRelease(cad, Qt::LeftButton, {}, last);
}

// A small landscape for the image shape: sky, sun and hills.
QString WritePicture(const QTemporaryDir& dir) {
  QImage img(120, 80, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient sky(0, 0, 0, 80);
  sky.setColorAt(0, QColor(90, 150, 230));
  sky.setColorAt(1, QColor(220, 235, 250));
  p.fillRect(img.rect(), sky);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 200, 60));
  p.drawEllipse(QPointF(88, 22), 12, 12);
  p.setBrush(QColor(70, 140, 70));
  p.drawEllipse(QRectF(-30, 48, 110, 60));
  p.setBrush(QColor(50, 115, 55));
  p.drawEllipse(QRectF(40, 55, 120, 60));
  p.end();
  const QString file = dir.filePath(QStringLiteral("landscape.bmp"));
  img.save(file, "BMP");
  return file;
}

}  // namespace

int main(int argc, char** argv) {
  QString out, drawing, library;
  for (int i = 1; i < argc; ++i) {
    const QString a = QString::fromLocal8Bit(argv[i]);
    if (a == QLatin1String("--library") && i + 1 < argc) library = QString::fromLocal8Bit(argv[++i]);
    else if (out.isEmpty()) out = a;
    else drawing = a;
  }
  if (out.isEmpty()) {
    std::fprintf(stderr, "usage: editor_snapshot output.png [drawing.vorn] [--library library.png]\n");
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
  for (const char* sample : {"Line", "RuleLine", "PolyLine", "Polygon", "Rectangle", "Ellipse", "Arc"}) {
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
  // A Bezier curve, a text block filled as the inspector fills it, and a picture.
  c->Pen()->SetColor(0x8000A0);
  c->Pen()->SetWidth(2);
  ClickAlong(form, "sbtnPolyBezier", {QPoint(440, 560), QPoint(470, 440), QPoint(560, 440), QPoint(590, 520),
                                      QPoint(620, 600), QPoint(700, 560), QPoint(710, 460)});
  c->Pen()->SetColor(0x803000);
  c->Pen()->SetWidth(1);
  c->Brush()->SetColor(0xE0F4FF);
  DrawBox(form, "sbtnText", QPoint(30, 440), QPoint(200, 530));
  if (auto* text = dynamic_cast<cad::TMyText*>(c->GetShapeByNo(c->GetShapesCount() - 1))) {
    text->SetIsBorder(true);
    text->Font()->SetSize(10);
    text->SetLines({QStringLiteral("Kestrafel"), QStringLiteral("A text block wraps its lines to the width of its box.")});
  }
  QTemporaryDir dir;
  const QString picture = WritePicture(dir);
  form.OnChooseFile = [&picture](QFileDialog*) { return picture; };
  DrawBox(form, "sbtnImage", QPoint(250, 440), QPoint(330, 500));
  form.OnChooseFile = nullptr;
  // Pictures turn with their box.
  c->GetShapeByNo(c->GetShapesCount() - 1)->SetAngle(-0.15f);
  // Select the text block, as a user would to edit it: the inspector shows its parameters.
  const int32_t textId = c->GetShapeByNo(c->GetShapesCount() - 2)->ShapeId;
  c->SelectShapeByCode(textId, true);
  form.UpdateToolbar();
  QTest::mouseMove(c, QPoint(420, 280));
  QTest::qWait(100);

  if (!form.grab().save(out)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
    return 1;
  }
  if (!drawing.isEmpty() && !c->SaveToFile(drawing)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(drawing));
    return 1;
  }
  std::printf("%d shapes drawn; window picture saved to %s\n", form.MyCAD1->GetShapesCount(), qPrintable(out));
  if (library.isEmpty()) return 0;

  // Every shape an entry of a new library, named after its kind.
  form.Action(QStringLiteral("NewLib"))->trigger();
  const int32_t n = c->GetShapesCount();
  for (int32_t i = 0; i < n; ++i) {
    cad::TMyShape* s = c->GetShapeByNo(i);
    if (!s || s->ParentNo >= 0) continue;
    c->SelectShapeByCode(s->ShapeId, true);
    form.Library->AddSelection(s->ClassName().mid(3) + QString::number(i));
  }
  c->DeSelectedAllShapesByCode();
  form.PageControl1->setCurrentWidget(form.tsLibrary);
  form.UpdateToolbar();
  QTest::qWait(100);
  if (!form.grab().save(library)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(library));
    return 1;
  }
  std::printf("library picture saved to %s\n", qPrintable(library));
  return 0;
}
