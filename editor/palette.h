// The tool palette's glyphs: ToolGlyph(Hint), drawn with the editor's other glyphs.
#pragma once

#include "glyphs.h"
