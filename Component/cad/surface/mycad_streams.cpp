// The surface's stream-primitive methods: the free functions under the surface's name, for
// hosts that reach everything through the control.
#include "../core/streamprims.h"
#include "mycad.h"

namespace cad {

bool TMyCAD::WriteStrBuffer(TStream& Stream, const QString& Text, uint8_t Len) {
  return cad::WriteStrBuffer(Stream, Text, Len);
}

bool TMyCAD::ReadBitmapBuffer(TStream& Stream, std::unique_ptr<TBitmap>& Bitmap) {
  return cad::ReadBitmapBuffer(Stream, Bitmap);
}

bool TMyCAD::WriteBitmapBuffer(TStream& Stream, const TBitmap* Bitmap) {
  return cad::WriteBitmapBuffer(Stream, Bitmap);
}

}  // namespace cad
