// Enumerations shared across the component. Each is stored in files as its ordinal in one byte,
// so the enumerators stay in declaration order.
#pragma once

#include <QObject>
#include <cstdint>
#include <vector>

namespace cad {
Q_NAMESPACE

enum class TDrawTool : uint8_t {
  SpLinkLine, SpSelecting, SpRotateSelecting, SpLine, SpRuleLine, SpPolyLine, SpRectangle, SpLinkPoint,
  SpLineLinkLine, SpEllipse, SpText, SpImage, SpPolygon, SpPolyBezier, SpElliArc, SpClose
};
Q_ENUM_NS(TDrawTool)

enum class TActionTools : uint8_t {
  dtClose, dtDrawing, dtSelecting, dtRotateSelecting, dtResizing, dtDragging, dtDraggingTextoutPoint, dtRotating
};
Q_ENUM_NS(TActionTools)

enum class TUnits : uint8_t { pixel, mm, cm, dm, m, inch };
Q_ENUM_NS(TUnits)

enum class TXYMode : uint8_t { Mode0, Mode1, Mode2, Mode3 };
Q_ENUM_NS(TXYMode)

enum class TDragMode : uint8_t { dgHorz, dgVert, dgBoth };
Q_ENUM_NS(TDragMode)

enum class TArrowStyle : uint8_t { ANone, ALeft, ARight, ADouble };
Q_ENUM_NS(TArrowStyle)

enum class TGradientStyle : uint8_t {
  gsRadialC, gsRadialT, gsRadialB, gsRadialL, gsRadialR, gsRadialTL, gsRadialTR, gsRadialBL, gsRadialBR,
  gsLinearH, gsLinearV, gsReflectedH, gsReflectedV, gsDiagonalLF, gsDiagonalLB, gsDiagonalRF, gsDiagonalRB,
  gsArrowL, gsArrowR, gsArrowU, gsArrowD, gsDiamond, gsButterfly, gsNone
};
Q_ENUM_NS(TGradientStyle)

enum class TPageStyle : uint8_t { A0, A1, A2, A3, A4, A5, B3, B4, B5, CustomerPage };
Q_ENUM_NS(TPageStyle)

enum class TPrinterOrientation : uint8_t { poPortrait, poLandscape };
Q_ENUM_NS(TPrinterOrientation)

enum class TGridType : uint8_t { gPixel, gLine, gNone };
Q_ENUM_NS(TGridType)

enum class TBkBitmapMode : uint8_t { Tiled, Stretch, Center, LeftTop };
Q_ENUM_NS(TBkBitmapMode)

enum class TBlockLayerMode : uint8_t { Merge, Append, Import };
Q_ENUM_NS(TBlockLayerMode)

enum class TArcMode : uint8_t { amCircle, amEllipse };
Q_ENUM_NS(TArcMode)

enum class TArcStyle : uint8_t { asArc, asChord, asSector };
Q_ENUM_NS(TArcStyle)

enum class TLinkLineDrawStyle : uint8_t { lldsHV, lldsFree };
Q_ENUM_NS(TLinkLineDrawStyle)

// Connector helpers: a segment's orientation, which end of a connector, and the router's moves.
enum class TLinkLineStyle : uint8_t { llsFree, llsHorz, llsVert };
enum class TLinkLineEndPoint : uint8_t { llStart, llEnd };
enum class Tdirections : uint8_t { dLeft, dbottom, dRight, dTop, dNone };

// Horizontal placement of page head and foot texts: left 0, right 1, centre 2.
enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)

// Mouse buttons and the shift state of mouse events.
enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = uint8_t;

using TMyShapeNo = std::vector<int32_t>;

}  // namespace cad
