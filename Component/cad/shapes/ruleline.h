// TMyRuleLine: a dimension line. A two-point line with arrow heads at both ends, a short tick
// across each end and a label along the line that shows the measured length in the surface's
// unit, or a free text. The label turns with the line and is kept upright. Hot points, hit
// testing, dragging, resizing and rotating are the line's.
#pragma once

#include "line.h"


namespace cad {

enum class TTickStyle : uint8_t { tsLine, tsNone };

class TMyRuleLine : public TMyLine {
public:
  // Font size 8 and double arrow heads of length 20 and half-angle 10; the arrow offset is the
  // surface's.
  explicit TMyRuleLine(TMyCAD* ACAD);
  QString ClassName() const override { return QStringLiteral("TMyRuleLine"); }

  void Assign(TMyShape* Source) override;
  // The line and its heads, the end ticks and the label. Stores the line's direction as Angle
  // and, unless a user text shows, the length text as Info.
  void Draw(TCanvas* Canvas) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // The ticks stand 10 pixels off the line and the label above it may be wider than the line.
  TShapeReach GetReach() override;

  // When true the label shows UserInfo instead of the measured length.
  bool ShowUserInfo() const { return FShowUserInfo; }
  void SetShowUserInfo(bool Value);
  TTickStyle TickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle Value);
  QString UserInfo() const { return FUserInfo; }
  void SetUserInfo(const QString& Value);

  // The label text for the current points and settings.
  QString LabelText();

private:
  bool FShowUserInfo = false;
  TTickStyle FTickStyle = TTickStyle::tsLine;
  QString FUserInfo;
  // The label as last painted, with its size and the revision it was measured at.
  TShapedText FLabel;
  TPoint FLabelSize;
  uint64_t FLabelRevision = 0;
};

}  // namespace cad
