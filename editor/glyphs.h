// The editor's glyphs (menu and toolbar commands, tool palette), drawn in code so the editor
// carries no image files. Every glyph is a vector drawing on a 16-unit design grid that the icon
// paints at whatever size and device pixel ratio it is asked for, with strokes placed on whole
// device pixels so that they stay crisp at 1x and 2x.
#pragma once

#include <QIcon>
#include <QString>

namespace kestrafel {

// The glyph of a command by its action name ("New", "ACopy", "AlignLeft", ...); a null icon for
// a name without a glyph. Designed for 16x16 logical pixels.
QIcon ActionGlyph(const QString& ActionName);

// The glyph of a palette button by its hint ("Selecting", "Rectangle", ...); a null icon for a
// hint without a glyph. Designed for 24x24 logical pixels.
QIcon ToolGlyph(const QString& Hint);

}  // namespace kestrafel
