#include "ruleline.h"

#include "../core/drawmodes.h"
#include "../core/geometry.h"
#include "../core/streamprims.h"
#include "../gfx/streams.h"
#include "shapedraw.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace cad {

namespace {
// Half the length of an end tick, in device pixels (not scaled with the zoom).
constexpr int32_t kTickHalf = 10;
// Gap between the line and the bottom of its label, in device pixels.
constexpr int32_t kLabelGap = 3;

struct TRuleFrame {
  float Angle = 0;      // direction of the line, normalised
  float TextAngle = 0;  // the same, turned half a circle when the text would stand on its head
  TMyPoint A, B, C;     // the ends turned back about the centre C: a horizontal line
};

TRuleFrame MakeFrame(const TMyPoint& A, const TMyPoint& B, const TMyPoint& C) {
  TRuleFrame f;
  // A full turn (what a level line gives) is no turn: wrapped before it is narrowed, so that the
  // stored angle is exactly 0 and not the difference between 2 pi and its nearest float.
  long double a = GetSlopeAngle(B, A);
  if (a >= TwoPiL) a -= TwoPiL;
  f.Angle = static_cast<float>(a);
  RecaclinRad(f.Angle);
  f.TextAngle = f.Angle;
  if (f.TextAngle > PiL / 2 && f.TextAngle < 3 * PiL / 2) f.TextAngle = static_cast<float>(f.TextAngle + PiL);
  f.A = RotateAPoint(A, C, -f.Angle);
  f.B = RotateAPoint(B, C, -f.Angle);
  f.C = C;
  return f;
}

}  // namespace

TMyRuleLine::TMyRuleLine(TMyCAD* ACAD) : TMyLine(ACAD) {
  Font()->SetSize(8);
  SetArrowAngle(10);
  SetArrowLength(20);
  SetArrowStyle(TArrowStyle::ADouble);
}

void TMyRuleLine::Assign(TMyShape* Source) {
  if (!Source || Source == this) return;
  TMyLine::Assign(Source);
  if (auto* rule = dynamic_cast<TMyRuleLine*>(Source)) {
    FUserInfo = rule->FUserInfo;
    FShowUserInfo = rule->FShowUserInfo;
    FTickStyle = rule->FTickStyle;
    Changed();
  }
}

void TMyRuleLine::SetShowUserInfo(bool Value) {
  FShowUserInfo = Value;
  Changed();
}
void TMyRuleLine::SetTickStyle(TTickStyle Value) {
  FTickStyle = Value;
  Changed();
}
void TMyRuleLine::SetUserInfo(const QString& Value) {
  FUserInfo = Value;
  Changed();
}

QString TMyRuleLine::LabelText() {
  if (FShowUserInfo) return FUserInfo;
  if (GetPointsCount() < 2) return QString();
  const TRuleFrame f = MakeFrame(GetPointInZoom(0), GetPointInZoom(1), GetCenterPointInZoom());
  return GetLengthByUnit(MyPtToPt(f.A), MyPtToPt(f.B));
}

void TMyRuleLine::Draw(TCanvas* Canvas) {
  if (!Canvas) return;
  SetDrawShapeMode(this, Canvas);
  const int32_t n = GetPointsCount();
  for (int32_t i = 0; i + 1 < n; ++i) LineDraw(this, Canvas, GetPointInZoom(i), GetPointInZoom(i + 1));
  if (n < 2) return;
  SetDrawTriangleMode(this, Canvas);
  const TArrowStyle style = ArrowStyle();
  if (style == TArrowStyle::ALeft || style == TArrowStyle::ADouble) DrawTriangle(Canvas, GetPointInZoom(1), GetPointInZoom(0));
  if (style == TArrowStyle::ARight || style == TArrowStyle::ADouble) DrawTriangle(Canvas, GetPointInZoom(0), GetPointInZoom(1));
  SetDrawShapeMode(this, Canvas);

  const TRuleFrame f = MakeFrame(GetPointInZoom(0), GetPointInZoom(1), GetCenterPointInZoom());
  // Drawing keeps the stored angle in step with the points; unchanged values cost nothing.
  if (Angle() != f.Angle) SetAngleValue(f.Angle);

  if (FTickStyle == TTickStyle::tsLine) {
    for (const TMyPoint& e : {f.A, f.B}) {
      const TPoint r = MyPtToPt(e);
      const TPoint t0 = MyPtToPt(RotateAPoint(PtToMyPt(MovedPt(r, 0, -kTickHalf)), f.C, f.Angle));
      const TPoint t1 = MyPtToPt(RotateAPoint(PtToMyPt(MovedPt(r, 0, kTickHalf)), f.C, f.Angle));
      Canvas->MoveTo(t0.X, t0.Y);
      Canvas->LineTo(t1.X, t1.Y);
    }
  }

  QString text;
  if (FShowUserInfo) {
    text = FUserInfo;
  } else {
    text = GetLengthByUnit(MyPtToPt(f.A), MyPtToPt(f.B));
    SetInfo(text);
  }
  // Centred along the line and just above it in the line's own frame, then turned with it. The
  // label is measured and laid out again only when its text or the shape changes.
  if (text != FLabel.Text() || FLabelRevision != Revision()) {
    FLabelSize = GetTextWidthHeight(Canvas, text, Font());
    FLabel.SetText(text);
    FLabelRevision = Revision();
  }
  const TPoint wh = FLabelSize;
  const long double x = std::min(f.A.X, f.B.X) + (GetLengthinPixel(f.A, f.B) - wh.X) / 2.0L;
  const long double y = f.A.Y - wh.Y - kLabelGap;
  const TMyPoint at = RotateAPoint(MyPoint(static_cast<float>(x), static_cast<float>(y)), f.C, f.TextAngle);
  // The canvas is the surface's own buffer, so the text is placed in its coordinates as is.
  MyLogTextOut(Canvas, Round(at.X), Round(at.Y), FLabel, Font(), f.TextAngle);
}

TShapeReach TMyRuleLine::GetReach() {
  TShapeReach r = TMyLine::GetReach();
  if (!r.Bounded || GetPointsCount() < 2) return r;
  // The label is centred on the line's midpoint and lies within half its width plus its height
  // and the gap of it, whichever way it turns; one line height more allows for wider digits.
  const QFontMetrics& fm = MetricsOf(*Font());
  const float w = static_cast<float>(fm.horizontalAdvance(LabelText())), h = static_cast<float>(fm.height());
  const float label = w / 2 + 2 * h + kLabelGap + 2;
  const float tick = kTickHalf + static_cast<float>(std::max(1, Pen()->Width())) / 2 + 2;
  r.Margin = std::max({r.Margin, label, tick});
  return r;
}

void TMyRuleLine::SaveToStream(TStream& Stream) {
  TMyLine::SaveToStream(Stream);
  Stream.WriteLE<uint8_t>(FShowUserInfo ? 1 : 0);
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FTickStyle));
  WriteStreamText(Stream, FUserInfo);
}

void TMyRuleLine::LoadFromStream(TStream& Stream) {
  TMyLine::LoadFromStream(Stream);
  FShowUserInfo = Stream.ReadLE<uint8_t>() != 0;
  FTickStyle = EnumFromStored(Stream.ReadLE<uint8_t>(), TTickStyle::tsNone, TTickStyle::tsLine);
  FUserInfo = ReadStreamText(Stream);
  Changed();
}

}  // namespace cad
