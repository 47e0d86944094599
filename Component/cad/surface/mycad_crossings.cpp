// Placeholder: the crossing index for connector jumps is filled in next.
#include "../shapes/linkline.h"
#include "mycad.h"

namespace cad {

struct TMyCAD::TCrossIndex {};
void TMyCAD::TCrossIndexDeleter::operator()(TCrossIndex* P) const { delete P; }

void TMyCAD::GetLinkLineCrossings(const TMyPoint&, const TMyPoint&, std::vector<float>&) {}

}  // namespace cad
