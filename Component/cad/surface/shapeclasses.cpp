// The surface's class table: how a shape is re-created from its class name (files, undo,
// clipboard, libraries). Names match exactly and case-sensitively; unknown names give null.
#include "mycad.h"

#include <utility>

namespace cad {

namespace {
using Factory = TMyShape* (*)(TMyCAD*);

// Grows with every shape family, in the order the names are tried.
const std::pair<const char*, Factory> kShapeClasses[] = {
    {"TMyShape", [](TMyCAD* c) -> TMyShape* { return new TMyShape(c); }},
};
}  // namespace

TMyShape* TMyCAD::CreateShapeByName(const QString& ClassName, TMyCAD* ACAD) {
  for (const auto& [name, make] : kShapeClasses)
    if (ClassName == QLatin1String(name)) return make(ACAD);
  return nullptr;
}

}  // namespace cad
