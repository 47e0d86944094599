// The surface's class table: how a shape is re-created from its class name (files, undo,
// clipboard, libraries). Names match exactly and case-sensitively; unknown names give null.
#include "../shapes/elliarc.h"
#include "../shapes/group.h"
#include "../shapes/line.h"
#include "../shapes/linkline.h"
#include "../shapes/polybezier.h"
#include "../shapes/rectangle.h"
#include "../shapes/ruleline.h"
#include "../shapes/textimage.h"
#include "mycad.h"

#include <utility>

namespace cad {

namespace {
using Factory = TMyShape* (*)(TMyCAD*);

// Grows with every shape family, in the order the names are tried.
const std::pair<const char*, Factory> kShapeClasses[] = {
    {"TMyRectangle", [](TMyCAD* c) -> TMyShape* { return new TMyRectangle(c); }},
    {"TMyLinkPoint", [](TMyCAD* c) -> TMyShape* { return new TMyLinkPoint(c); }},
    {"TMyLineLinkLine", [](TMyCAD* c) -> TMyShape* { return new TMyLineLinkLine(c); }},
    {"TMyEllipse", [](TMyCAD* c) -> TMyShape* { return new TMyEllipse(c); }},
    {"TMyLine", [](TMyCAD* c) -> TMyShape* { return new TMyLine(c); }},
    {"TMyRuleLine", [](TMyCAD* c) -> TMyShape* { return new TMyRuleLine(c); }},
    {"TMyPolyLine", [](TMyCAD* c) -> TMyShape* { return new TMyPolyLine(c); }},
    {"TMyPolygon", [](TMyCAD* c) -> TMyShape* { return new TMyPolygon(c); }},
    {"TMyPolyBezier", [](TMyCAD* c) -> TMyShape* { return new TMyPolyBezier(c); }},
    {"TMyText", [](TMyCAD* c) -> TMyShape* { return new TMyText(c); }},
    {"TMyImage", [](TMyCAD* c) -> TMyShape* { return new TMyImage(c); }},
    {"TMyElliArc", [](TMyCAD* c) -> TMyShape* { return new TMyElliArc(c); }},
    {"TMyLinkLine", [](TMyCAD* c) -> TMyShape* { return new TMyLinkLine(c); }},
    {"TMyCombine", [](TMyCAD* c) -> TMyShape* { return new TMyCombine(c); }},
    {"TMyGroup", [](TMyCAD* c) -> TMyShape* { return new TMyGroup(c); }},
};
}  // namespace

TMyShape* TMyCAD::CreateShapeByName(const QString& ClassName, TMyCAD* ACAD) {
  for (const auto& [name, make] : kShapeClasses)
    if (ClassName == QLatin1String(name)) return make(ACAD);
  return nullptr;
}

}  // namespace cad
