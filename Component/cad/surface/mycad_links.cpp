// Connectors on the surface: creating them by code, finding link points under the pointer,
// routing, following moved shapes, and splitting a connector where another one joins it.
#include "../shapes/group.h"
#include "../shapes/linkline.h"
#include "mycad.h"

namespace cad {

int32_t TMyCAD::CreateLink(const QString&, TMyShape*, int32_t, TMyShape*, int32_t) { return -1; }
int32_t TMyCAD::IsLinked(TMyShape*, TMyShape*) const { return -1; }
int32_t TMyCAD::IsinHotLink(TMyShape*, const TPoint&) const { return -1; }
bool TMyCAD::InWhichShapeWhichHotLinkId(int32_t& ShapeNo, int32_t& LinkId, const TMyPoint&) {
  ShapeNo = LinkId = -1;
  return false;
}
void TMyCAD::ClearAllLinkHot() {}
void TMyCAD::GetPath(TCanvas*, TMyLinkLine*, TMyShape*, const TMyPoint&, TMyShape*, const TMyPoint&) {}
void TMyCAD::ChangeLinkShapes(TMyShape*) {}
void TMyCAD::GetMainShape(TMyLinkLine*, TLinkLineEndPoint, TMyPoint&) {}
int32_t TMyCAD::IsBreakLineByAPoint(TMyPoint&, TMyLinkLine*&, const TMyLinkLine*) { return -1; }
bool TMyCAD::BreakLine(TMyLinkLine*, const TMyPoint&, TMyLinkLine*, int32_t) { return false; }
bool TMyCAD::BreakLineByAPoint(const TMyPoint&, TMyLinkLine*, int32_t, TMyShape*) { return false; }

}  // namespace cad
