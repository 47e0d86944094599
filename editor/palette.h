// The tool palette's glyphs, drawn in code so the editor carries no image files.
#pragma once

#include <QIcon>
#include <QString>

namespace kestrafel {

// The glyph of a palette button by its hint ("Selecting", "Rectangle", ...).
QIcon ToolGlyph(const QString& Hint);

}  // namespace kestrafel
