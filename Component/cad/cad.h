// The drawing component in one include.
#pragma once

#include "core/drawmodes.h"
#include "core/geometry.h"
#include "core/streamprims.h"
#include "core/types.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gfxtypes.h"
#include "gfx/graphics.h"
#include "gfx/platform.h"
#include "gfx/streams.h"
#include "library/userdata.h"
#include "shapes/line.h"
#include "shapes/shape.h"
#include "shapes/shapedraw.h"
#include "surface/gridobject.h"
#include "surface/mycad.h"
