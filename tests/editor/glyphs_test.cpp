// The editor's glyphs: one per command and palette button, drawn at 1x and 2x, never blank, and
// distinct from each other.
#include "glyphs.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

const char* const kActions[] = {
    "New", "Open", "OpenLib", "SaveAs", "Save", "Bitmap", "WMF", "JPEG", "DXF", "ImportVORNFile",
    "ImportAutoCADFile", "PageSetup", "PrintSetup", "Print", "AExit", "ACopy", "Cut", "Paste", "Undo",
    "Redo", "Delete", "GroupShape", "UngroupShape", "SendToBack", "BringToFront", "SendToBackByStep",
    "BringToFrontByStep", "Lock", "Unlock", "FlipVertical", "FlipHorizontal", "AlignLeft", "AlignRight",
    "AlignTop", "AlignBottom", "AlignHorizontalCenter", "AlignVerticalCenter", "Selecting", "Line",
    "RuleLine", "Arc", "PolyLine", "Polygon", "PolyBezier", "Rectangle", "Ellipse", "Text",
    "SelectShape", "SelectMoreShapes", "DeSelectShape", "SelectAllShapes", "ToggleGrid", "LineGrid",
    "PixelGrid", "SnapToGrid", "SnapToShape", "Zoomin", "Zoomout", "Nicefit", "Inspector",
    "LayerManager", "LibraryManager", "About", "ShowVORNVersion"};

const char* const kHints[] = {"Selecting", "RotateSelecting", "Line", "RuleLine", "PolyLine",
                              "Polygon", "Rectangle", "Ellipse", "ElliArc", "PolyBezier", "Text",
                              "Image", "LinkLine", "LineLinkLine", "Zoomin", "Zoomout", "About"};

QImage Image(const QIcon& Icon, int Logical, qreal Ratio, QIcon::Mode Mode = QIcon::Normal) {
  return Icon.pixmap(QSize(Logical, Logical), Ratio, Mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels at least half covered.
int InkedPixels(const QImage& Img) {
  int n = 0;
  for (int y = 0; y < Img.height(); ++y)
    for (int x = 0; x < Img.width(); ++x) n += qAlpha(Img.pixel(x, y)) >= 128;
  return n;
}

// Every glyph, at both ratios, is the right size in device pixels and has something drawn in it.
void ExpectDrawn(const QIcon& Icon, const char* Name, int Logical) {
  SCOPED_TRACE(Name);
  ASSERT_FALSE(Icon.isNull());
  for (const qreal ratio : {1.0, 2.0}) {
    const QPixmap pm = Icon.pixmap(QSize(Logical, Logical), ratio);
    EXPECT_EQ(pm.devicePixelRatio(), ratio);
    EXPECT_EQ(pm.size(), QSize(Logical, Logical) * ratio);
    EXPECT_GT(InkedPixels(pm.toImage().convertToFormat(QImage::Format_ARGB32)), 4 * ratio * ratio);
  }
}

TEST(GlyphTest, EveryActionAndHintIsDrawnAtBothRatios) {
  for (const char* name : kActions) ExpectDrawn(kestrafel::ActionGlyph(QLatin1String(name)), name, 16);
  for (const char* hint : kHints) {
    ExpectDrawn(kestrafel::ToolGlyph(QLatin1String(hint)), hint, 16);
    ExpectDrawn(kestrafel::ToolGlyph(QLatin1String(hint)), hint, 24);
  }
}

TEST(GlyphTest, UnknownNamesGiveNullIcons) {
  EXPECT_TRUE(kestrafel::ActionGlyph(QStringLiteral("NoSuchAction")).isNull());
  EXPECT_TRUE(kestrafel::ActionGlyph(QString()).isNull());
  EXPECT_TRUE(kestrafel::ActionGlyph(QStringLiteral("new")).isNull());  // names are exact
  EXPECT_TRUE(kestrafel::ToolGlyph(QStringLiteral("Arc")).isNull());    // the palette says ElliArc
}

// Two commands that mean different things must not look the same; the same holds for the palette.
TEST(GlyphTest, GlyphsAreDistinct) {
  auto same_meaning = [](const QString&, const QString&) { return false; };
  std::vector<std::pair<QString, QImage>> actions;
  for (const char* name : kActions)
    actions.emplace_back(QLatin1String(name), Image(kestrafel::ActionGlyph(QLatin1String(name)), 16, 1));
  for (size_t i = 0; i < actions.size(); ++i)
    for (size_t j = i + 1; j < actions.size(); ++j)
      if (!same_meaning(actions[i].first, actions[j].first)) {
        EXPECT_NE(actions[i].second, actions[j].second) << actions[i].first.toStdString() << " vs "
                                                        << actions[j].first.toStdString();
      }
  std::vector<std::pair<QString, QImage>> tools;
  for (const char* hint : kHints)
    tools.emplace_back(QLatin1String(hint), Image(kestrafel::ToolGlyph(QLatin1String(hint)), 24, 1));
  for (size_t i = 0; i < tools.size(); ++i)
    for (size_t j = i + 1; j < tools.size(); ++j)
      EXPECT_NE(tools[i].second, tools[j].second) << tools[i].first.toStdString() << " vs "
                                                  << tools[j].first.toStdString();
  // The palette's selection tool and the Selecting command are one idea and may share a drawing.
  EXPECT_EQ(Image(kestrafel::ActionGlyph("Selecting"), 16, 2), Image(kestrafel::ToolGlyph("Selecting"), 16, 2));
}

// Outlines sit on whole device pixels: the New page's left edge is one fully opaque pixel column at
// 1x and two at 2x, with nothing half-covered beside it.
TEST(GlyphTest, StraightOutlinesAreCrisp) {
  const QIcon icon = kestrafel::ActionGlyph(QStringLiteral("New"));
  const QImage x1 = Image(icon, 16, 1), x2 = Image(icon, 16, 2);
  for (int y = 2; y <= 13; ++y) {
    EXPECT_EQ(qAlpha(x1.pixel(3, y)), 255) << y;
    EXPECT_EQ(qAlpha(x1.pixel(2, y)), 0) << y;
  }
  for (int y = 4; y <= 27; ++y) {
    EXPECT_EQ(qAlpha(x2.pixel(6, y)), 255) << y;
    EXPECT_EQ(qAlpha(x2.pixel(7, y)), 255) << y;
    EXPECT_EQ(qAlpha(x2.pixel(5, y)), 0) << y;
  }
}

// The disabled state keeps the drawing but drops its colour and fades it.
TEST(GlyphTest, DisabledGlyphIsGreyAndFaded) {
  const QIcon icon = kestrafel::ActionGlyph(QStringLiteral("Delete"));
  const QImage normal = Image(icon, 16, 1), disabled = Image(icon, 16, 1, QIcon::Disabled);
  int drawn = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const QRgb n = normal.pixel(x, y), d = disabled.pixel(x, y);
      if (qAlpha(n) == 0) {
        EXPECT_EQ(qAlpha(d), 0);
      }
      if (qAlpha(d) == 0) continue;
      ++drawn;
      EXPECT_LT(qAlpha(d), qAlpha(n));
      EXPECT_EQ(qRed(d), qGreen(d));
      EXPECT_EQ(qGreen(d), qBlue(d));
    }
  EXPECT_GT(drawn, 10);
  // Still legible: its darkest pixel stands out from a light toolbar.
  int darkest = 255, strongest = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (qAlpha(disabled.pixel(x, y)) > 0) {
        darkest = std::min(darkest, qGray(disabled.pixel(x, y)));
        strongest = std::max(strongest, qAlpha(disabled.pixel(x, y)));
      }
  EXPECT_LE(darkest, 130);
  EXPECT_GE(strongest, 160);
}

// With KESTRAFEL_GLYPH_SHEET set to a file name, writes every glyph at 1x and 2x there for a look.
TEST(GlyphTest, ContactSheet) {
  const QString out = qEnvironmentVariable("KESTRAFEL_GLYPH_SHEET");
  if (out.isEmpty()) GTEST_SKIP() << "KESTRAFEL_GLYPH_SHEET not set";
  // Each cell: the name, then 1x, 2x, disabled 1x and the 1x pixels magnified four times.
  const int cols = 6, cellW = 220, cellH = 112;
  const int count = int(std::size(kActions) + std::size(kHints));
  QImage sheet(cols * cellW, ((count + cols - 1) / cols) * cellH, QImage::Format_ARGB32);
  sheet.fill(QColor(0xee, 0xee, 0xee));
  QPainter p(&sheet);
  p.setFont(QFont(QStringLiteral("DejaVu Sans"), 7));
  int i = 0;
  auto put = [&](const QIcon& icon, const char* name, int logical) {
    const QPoint at((i % cols) * cellW + 4, (i / cols) * cellH + 2);
    p.setPen(Qt::black);
    p.drawText(QRect(at.x(), at.y(), cellW - 4, 12), Qt::AlignLeft, QLatin1String(name));
    const QImage one = Image(icon, logical, 1);
    p.drawImage(at + QPoint(0, 14), one);
    p.drawImage(at + QPoint(0, 14 + logical + 4), Image(icon, logical, 2));
    p.drawImage(at + QPoint(logical + 4, 14), Image(icon, logical, 1, QIcon::Disabled));
    p.drawImage(at + QPoint(2 * logical + 24, 14), one.scaled(one.size() * 4));
    ++i;
  };
  for (const char* name : kActions) put(kestrafel::ActionGlyph(QLatin1String(name)), name, 16);
  for (const char* hint : kHints) put(kestrafel::ToolGlyph(QLatin1String(hint)), hint, 24);
  p.end();
  EXPECT_TRUE(sheet.save(out));
}

}  // namespace
