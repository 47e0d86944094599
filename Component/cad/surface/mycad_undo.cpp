// The undo list and the redo list.
#include "../shapes/linkline.h"
#include "mycad.h"

namespace cad {

struct TMyCAD::TRedoStep {};
void TMyCAD::TRedoStepDeleter::operator()(TRedoStep* P) const { delete P; }

void TMyCAD::PushtoUndoRedoShapeList(const TArrMyShape&, const QString&) {}
void TMyCAD::PopFromUndoRedoShapeList() {}
void TMyCAD::Redo() {}
int32_t TMyCAD::UndoStepsCount() const { return 0; }
void TMyCAD::BeginUndoGroup() {}
void TMyCAD::EndUndoGroup() {}
void TMyCAD::ClearAllUndoStuff() {
  FUndoList.clear();
  FRedoList.clear();
}
void TMyCAD::SetUndoRedoSize(uint8_t Value) {
  if (Value == FUndoRedoSize) return;
  FUndoRedoSize = Value;
  if (Value == 0) ClearAllUndoStuff();
}

}  // namespace cad
