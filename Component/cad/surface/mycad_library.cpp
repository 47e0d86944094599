// Inserting a shape-library entry into the drawing.
#include "../library/libmanager.h"
#include "mycad.h"

namespace cad {

int32_t TMyCAD::AddUserDefineShapefromLib(TLibManager*, const QString&, int, int, TMyCAD*) { return -1; }

}  // namespace cad
