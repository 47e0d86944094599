#include "tmycad.h"

TMyCAD::TMyCAD(QWidget* Owner) : cad::TMyCAD(Owner) {}
