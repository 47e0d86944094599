// The drawing surface under the name form designers and .ui files give it: TMyCAD in the global
// namespace, a cad::TMyCAD in every respect. Forms name their widgets by class, and the designer
// matches that name against the class the widget reports, so the form's surface is this class.
#pragma once

#include <cad/cad.h>

class TMyCAD : public cad::TMyCAD {
  Q_OBJECT

public:
  explicit TMyCAD(QWidget* Owner = nullptr);
};
