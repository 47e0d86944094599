// Groups: a box that stands for a set of member shapes so that they are selected, moved,
// resized, rotated, flipped and styled together. Members stay ordinary shapes of the surface;
// the group holds their numbers and paints only its own info text. A TMyCombine is the group
// built around an inserted library entry: the same, except that it can never be ungrouped.
#pragma once

#include "rectangle.h"

namespace cad {

class TMyGroup : public TMyRectangle {
public:
  using TMyRectangle::TMyRectangle;
  QString ClassName() const override { return QStringLiteral("TMyGroup"); }
  void Draw(TCanvas* Canvas) override { DrawInfo(Canvas); }
};

class TMyCombine : public TMyGroup {
public:
  using TMyGroup::TMyGroup;
  QString ClassName() const override { return QStringLiteral("TMyCombine"); }
};

}  // namespace cad
