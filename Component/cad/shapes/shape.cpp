#include "shape.h"

#include "../core/drawmodes.h"
#include "../surface/mycad.h"
#include "shapedraw.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace cad {

TMyShape::TMyShape(TMyCAD* ACAD) : MyCAD(ACAD) {
  Points.FOwner = this;
  LinkPoints.FOwner = this;
  ChildShapes.FOwner = this;
  if (MyCAD) {
    FPen.Assign(*MyCAD->Pen());
    FBrush.Assign(*MyCAD->Brush());
    FFont.Assign(*MyCAD->Font());
  }
  FPen.OnChange = [this](TGraphicsObject* Sender) {
    Changed();
    DoPenBrushChange(Sender);
  };
  FBrush.OnChange = [this](TGraphicsObject* Sender) {
    Changed();
    DoPenBrushChange(Sender);
  };
  FFont.OnChange = [this](TGraphicsObject*) { Changed(); };
  GradientBitmap.SetPixelFormat(TPixelFormat::pf8bit);
  FUserData = std::make_unique<TUserData>();
}

TMyShape::~TMyShape() {
  // A shape going away reports nothing more (its surface has already let go of it).
  Points.FOwner = LinkPoints.FOwner = nullptr;
  ChildShapes.FOwner = nullptr;
  FPen.OnChange = nullptr;
  FBrush.OnChange = nullptr;
  FFont.OnChange = nullptr;
  ChildShapes.clear();
  LinkShapes.clear();
  Points.clear();
}

bool IsValidComponentName(const QString& Name) {
  const auto letter = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
  for (qsizetype i = 0; i < Name.size(); ++i) {
    const char16_t c = Name[i].unicode();
    if (!letter(c) && !(i > 0 && c >= u'0' && c <= u'9')) return false;
  }
  return true;
}

void TMyShape::SetName(const QString& Value) {
  if (!IsValidComponentName(Value))
    throw EComponentError(
        (QStringLiteral("\"") + Value + QStringLiteral("\" is not a valid component name.")).toStdString());
  FName = Value;
  if (FCaption.isEmpty()) FCaption = Value;
}

double TMyShape::Zoom() const { return MyCAD ? MyCAD->Zoom() : 1.0; }
uint8_t TMyShape::HotSize() const { return MyCAD ? MyCAD->HotSize() : 4; }

TMyShape* TMyShape::RootShape() { return MyCAD ? MyCAD->GetRootParentShape(this) : this; }

void TMyShape::InvalidateSurface() {
  if (MyCAD) MyCAD->Invalidate();
}

// ---- Change tracking ----

void detail::ReportTrackedChange(TMyShape* Owner, TTrackedKind Kind) {
  if (Kind == TTrackedKind::Relations) Owner->RelationsChanged();
  else Owner->Changed();
}

void TMyShape::Changed() {
  ++FRevision;
  if (!FSlot.Surface) return;
  // A redo step puts back the drawing as it was before its undo: a change made since (a setter,
  // a host's edit) would be thrown away by it, so the change ends redo.
  FSlot.Surface->DropRedo();
  if (!FSlot.Queued) FSlot.Surface->ShapeChanged(this);
}

void TMyShape::RelationsChanged() {
  if (!FSlot.Surface) return;
  FSlot.Surface->DropRedo();
  FSlot.Surface->ShapeRelationsChanged();
}

void TMyShape::SetAngleValue(float Value) {
  FAngle = Value;
  Changed();
}

const TArrPoint& TMyShape::ZoomedPixels() {
  const double z = Zoom();
  if (FPixelsRevision != FRevision || FPixelsZoom != z) {
    FPixels.resize(Points.size());
    FPixelsLTRB = TRect{};
    for (size_t i = 0; i < FPixels.size(); ++i) {
      const TPoint p = MyPtToPt(ZoomedValuePt(std::as_const(Points)[i]));
      FPixels[i] = p;
      if (i == 0) FPixelsLTRB = TRect{p.X, p.Y, p.X, p.Y};
      FPixelsLTRB.Left = std::min(FPixelsLTRB.Left, p.X);
      FPixelsLTRB.Top = std::min(FPixelsLTRB.Top, p.Y);
      FPixelsLTRB.Right = std::max(FPixelsLTRB.Right, p.X);
      FPixelsLTRB.Bottom = std::max(FPixelsLTRB.Bottom, p.Y);
    }
    FPixelsRevision = FRevision;
    FPixelsZoom = z;
  }
  return FPixels;
}

TRect TMyShape::ZoomedPixelsLTRB() {
  ZoomedPixels();
  return FPixelsLTRB;
}

namespace {

// Coordinates past this size are garbage from damaged data; such shapes count as reaching
// everywhere rather than stretching the index's arithmetic.
constexpr float kLargestIndexedCoordinate = 1e18f;

void Include(TMyRect& Box, bool& Seeded, const TMyPoint& P) {
  if (!Seeded) {
    Box = TMyRect{P.X, P.Y, P.X, P.Y};
    Seeded = true;
    return;
  }
  Box.Left = std::min(Box.Left, P.X);
  Box.Top = std::min(Box.Top, P.Y);
  Box.Right = std::max(Box.Right, P.X);
  Box.Bottom = std::max(Box.Bottom, P.Y);
}

bool Sane(const TMyPoint& P) {
  return std::isfinite(P.X) && std::isfinite(P.Y) && std::fabs(P.X) <= kLargestIndexedCoordinate &&
         std::fabs(P.Y) <= kLargestIndexedCoordinate;
}

}  // namespace

TPoint TMyShape::InfoTextExtent() {
  if (FInfoExtentText != FInfo || FInfoExtentFont != FFont.Revision()) {
    const QFontMetrics& fm = MetricsOf(FFont);
    FInfoExtent = TPoint{fm.horizontalAdvance(FInfo), fm.height()};
    FInfoExtentText = FInfo;
    FInfoExtentFont = FFont.Revision();
  }
  return FInfoExtent;
}

TShapeReach TMyShape::BaseReach() {
  TShapeReach r;
  bool seeded = false;
  bool sane = true;
  for (const TMyPoint& p : std::as_const(Points)) {
    sane = sane && Sane(p);
    Include(r.Box, seeded, p);
  }
  for (const TMyPoint& p : std::as_const(LinkPoints)) {
    sane = sane && Sane(p);
    Include(r.Box, seeded, p);
  }
  // The text point carries the info text and its diamond mark; without a text neither shows.
  if (!FInfo.isEmpty()) {
    sane = sane && Sane(TextPoint);
    Include(r.Box, seeded, TextPoint);
  }
  if (!sane) {
    r.Bounded = false;
    return r;
  }
  // Wide pens are centred on the outline.
  r.Margin = static_cast<float>(std::max(1, FPen.Width())) / 2 + 2;
  if (!FInfo.isEmpty() && FCaptionShow) {
    // The text is centred on the text point; glyphs may overhang their advance by part of the
    // line height (italics), so half a line more is allowed each way.
    const TPoint wh = InfoTextExtent();
    const float half = static_cast<float>(std::max(wh.X, wh.Y)) / 2 + static_cast<float>(wh.Y) / 2 + 2;
    r.Margin = std::max(r.Margin, half);
  }
  return r;
}

TShapeReach TMyShape::GetReach() { return BaseReach(); }

// ---- Virtual protocol ----

void TMyShape::DragChangeValue(const TPoint& P1, const TPoint& P2) {
  DragChangeValuedxdy(static_cast<double>(P2.X) - P1.X, static_cast<double>(P2.Y) - P1.Y);
}

void TMyShape::DragChangeValuedxdy(double DX, double DY) {
  if (DX == 0 && DY == 0) return;
  const double z = Zoom();
  const long double dx = DX / z, dy = DY / z;
  for (TMyPoint& p : Points.Edit()) p = TMyPoint{static_cast<float>(p.X + dx), static_cast<float>(p.Y + dy)};
  for (TMyPoint& p : LinkPoints.Edit()) p = TMyPoint{static_cast<float>(p.X + dx), static_cast<float>(p.Y + dy)};
  CenterPoint = TMyPoint{static_cast<float>(CenterPoint.X + dx), static_cast<float>(CenterPoint.Y + dy)};
  TextPoint = TMyPoint{static_cast<float>(TextPoint.X + dx), static_cast<float>(TextPoint.Y + dy)};
  Changed();
}

void TMyShape::Draging(TCanvas*, const TPoint&, const TPoint&) {}

void TMyShape::Drawed(const TPoint&, TPoint&) {
  CenterPoint = ComputeCenterPoint();
  TextPoint = TMyPoint{CenterPoint.X, GetRightBottom().Y + 10};
  Changed();
}

void TMyShape::DrawHot(TCanvas*) {}
void TMyShape::Drawing(TCanvas*, const TPoint&, const TPoint&) {}
QString TMyShape::GetInfo() { return QString(); }

QString TMyShape::GetLengthByUnit(const TPoint& P1, const TPoint& P2) {
  const int32_t n = GetLengthinPixel(PtToMyPt(P1), PtToMyPt(P2));
  const TUnits unit = MyCAD ? MyCAD->TheUNIT() : TUnits::mm;
  const long double k = (MyCAD ? MyCAD->Ratio() : 1.0) / Zoom();
  return FormatFloat("%9.2f", LengthInUnit(n, unit, k)) + QLatin1String(UnitSuffix(unit));
}

long double LengthInUnit(long double Pixels, TUnits Unit, long double K) {
  const long double inches = Pixels / ScreenPixelsPerInch();
  switch (Unit) {
    case TUnits::pixel: return K * Pixels;
    case TUnits::mm: return K * inches * 25.4L;
    case TUnits::cm: return K * inches * 2.54L;
    case TUnits::dm: return K * inches * 0.254L;
    case TUnits::m: return K * inches * 0.0254L;
    case TUnits::inch: return K * inches;
  }
  return 0;
}

const char* UnitSuffix(TUnits Unit) {
  switch (Unit) {
    case TUnits::pixel: return " pixel(s)";
    case TUnits::mm: return " mm";
    case TUnits::cm: return " cm";
    case TUnits::dm: return " dm";
    case TUnits::m: return " m";
    case TUnits::inch: return " in";
  }
  return "";
}

QString FormatFloat(const char* Format, long double Value) {
  char buf[96];
  std::snprintf(buf, sizeof buf, Format, static_cast<double>(Value));
  return QString::fromLatin1(buf);
}

TCursor TMyShape::GetMouseCursor(int, int) { return crDefault; }
int32_t TMyShape::InWhichHot(const TPoint&) { return -1; }
bool TMyShape::IsClickedMe(TCanvas*, const TPoint&) { return false; }
bool TMyShape::IsDrawingFinished(TMouseButton, const TPoint&) { return false; }

void TMyShape::RotateChangeValueByAngle(const TMyPoint& C, double A) {
  if (Points.empty()) return;
  const float a = static_cast<float>(A);
  for (TMyPoint& p : Points.Edit()) p = RotateAPoint(p, C, a);
  for (TMyPoint& p : LinkPoints.Edit()) p = RotateAPoint(p, C, a);
  TextPoint = RotateAPoint(TextPoint, C, a);
  float angle = static_cast<float>(FAngle + A);
  RecaclinRad(angle);
  SetAngleValue(angle);
}

void TMyShape::Rotating(TCanvas*, const TMyPoint&, long double) {}

// The surface records the undo step of a resize gesture before it resizes; a resize by code
// records none.
void TMyShape::SizeChangeValue(const TMyPoint&, const TMyPoint&) {}

void TMyShape::Sizing(TCanvas*, const TPoint&, const TPoint&) {}

void TMyShape::AddPointByMouse(const TPoint& P) { AddPoint(PtToMyPt(P)); }

void TMyShape::CopyCommon(TMyShape* Source, bool WithRelations) {
  // A copy takes the source's own style; it does not hand it on to the members it has (which
  // keep their own styles, restored by their own copies when the copy is an undo).
  const bool wasCopying = FCopying;
  FCopying = true;
  SetTag(Source->Tag());
  SetCaption(Source->Caption());
  ShapeId = Source->ShapeId;
  LayerId = Source->LayerId;
  HotId = -1;
  GradientBitmap.Assign(Source->GradientBitmap);
  FColorBegin = Source->FColorBegin;
  FColorEnd = Source->FColorEnd;
  FGradientStyle = Source->FGradientStyle;
  FIsFlipHorz = Source->FIsFlipHorz;
  FIsFlipVert = Source->FIsFlipVert;
  FLocked = Source->FLocked;
  FVisible = Source->FVisible;
  FInfo = Source->FInfo;
  FPen.Assign(Source->FPen);
  FBrush.Assign(Source->FBrush);
  FFont.Assign(Source->FFont);
  Points = Source->Points;
  LinkPoints = Source->LinkPoints;
  if (WithRelations) {
    ShapeNo = Source->ShapeNo;
    ChildShapes = Source->ChildShapes;
    LinkShapes = Source->LinkShapes;
    ParentNo = Source->ParentNo;
  }
  FAngle = Source->FAngle;
  CenterPoint = ComputeCenterPoint();
  TextPoint = Source->TextPoint;
  FUserData->Assign(Source->FUserData.get());
  FCopying = wasCopying;
  Changed();
}

void TMyShape::Assign(TMyShape* Source) {
  if (!Source || Source == this) return;
  CopyCommon(Source, true);
}

void TMyShape::AssignWithoutRelation(TMyShape* Source) {
  if (!Source || Source == this) return;
  // Every kind's own Assign, with the relations put back afterwards.
  const TShapeRelations keep = GetRelations();
  Assign(Source);
  SetRelations(keep);
}

TShapeRelations TMyShape::GetRelations() const {
  TShapeRelations r;
  r.ShapeNo = ShapeNo;
  r.ParentNo = ParentNo;
  r.ChildShapes = ChildShapes;
  r.LinkShapes = LinkShapes;
  return r;
}

void TMyShape::SetRelations(const TShapeRelations& R) {
  ShapeNo = R.ShapeNo;
  ParentNo = R.ParentNo;
  if (ChildShapes != R.ChildShapes) ChildShapes = R.ChildShapes;
  LinkShapes = R.LinkShapes;
  RelationsChanged();
}

void TMyShape::RenumberRelations(const std::function<int32_t(int32_t)>& Map) {
  ParentNo = Map(ParentNo);
  if (!ChildShapes.empty())
    for (int32_t& c : ChildShapes.Edit()) c = Map(c);
  for (int32_t& l : LinkShapes) l = Map(l);
}

void TMyShape::Draw(TCanvas* Canvas) { DrawInfo(Canvas); }

void TMyShape::MirrorPoints(bool Horizontal) {
  const TMyPoint c = RootShape()->GetCenterPoint();
  const long double axis = Horizontal ? c.X : c.Y;
  auto mirror = [&](TMyPoint& p) {
    if (Horizontal) p.X = static_cast<float>(2 * axis - p.X);
    else p.Y = static_cast<float>(2 * axis - p.Y);
  };
  for (TMyPoint& p : Points.Edit()) mirror(p);
  for (TMyPoint& p : LinkPoints.Edit()) mirror(p);
}

void TMyShape::FlipHoriz() {
  MirrorPoints(true);
  if (FAngle != 0) SetAngleValue(static_cast<float>(PiL - FAngle));
  FIsFlipHorz = !FIsFlipHorz;
  Changed();
  InvalidateSurface();
}

void TMyShape::FlipVert() {
  MirrorPoints(false);
  if (FAngle != 0) SetAngleValue(-FAngle);
  FIsFlipVert = !FIsFlipVert;
  Changed();
  InvalidateSurface();
}

TMyPoint TMyShape::GetCenterPoint() { return CenterPoint; }

TMyPoint TMyShape::GetCenterPointInZoom() { return ZoomedValuePt(CenterPoint); }

// ---- Points ----

TMyPoint TMyShape::GetPoint(int32_t I) const { return IsExistPt(I, Points) ? Points[static_cast<size_t>(I)] : TMyPoint{}; }

TMyPoint TMyShape::GetPointInZoom(int32_t I) const { return ZoomedValuePt(GetPoint(I)); }

TPoint TMyShape::GetPointInZoomWithMode(int32_t I) const {
  if (!IsExistPt(I, Points)) return TPoint{};
  const TPoint p = MyPtToPt(GetPointInZoom(I));
  return MyCAD ? MyCAD->GetPointByMode(p) : p;
}

void TMyShape::SetPointInZoom(int32_t I, const TMyPoint& P) {
  const double z = Zoom();
  SetPoint(I, TMyPoint{static_cast<float>(P.X / z), static_cast<float>(P.Y / z)});
}
void TMyShape::SetPointXInZoom(int32_t I, float X) { SetPointX(I, static_cast<float>(X / Zoom())); }
void TMyShape::SetPointYInZoom(int32_t I, float Y) { SetPointY(I, static_cast<float>(Y / Zoom())); }

void TMyShape::AddPoint(const TMyPoint& P) {
  const double z = Zoom();
  AppendAPoint(TMyPoint{static_cast<float>(P.X / z), static_cast<float>(P.Y / z)}, Points.Edit());
}

void TMyShape::PointAddX(int32_t I, double DX) { Points.Edit()[static_cast<size_t>(I)].X += static_cast<float>(DX / Zoom()); }
void TMyShape::PointAddY(int32_t I, double DY) { Points.Edit()[static_cast<size_t>(I)].Y += static_cast<float>(DY / Zoom()); }
void TMyShape::PointAddXY(int32_t I, double DX, double DY) {
  PointAddX(I, DX);
  PointAddY(I, DY);
}

// ---- Link points ----

TMyPoint TMyShape::GetLinkPoint(int32_t I) const {
  return IsExistPt(I, LinkPoints) ? LinkPoints[static_cast<size_t>(I)] : TMyPoint{};
}

TMyPoint TMyShape::GetLinkPointInZoom(int32_t I) const { return ZoomedValuePt(GetLinkPoint(I)); }

void TMyShape::AddLinkPoint(const TMyPoint& P) {
  const double z = Zoom();
  AppendAPoint(TMyPoint{static_cast<float>(P.X / z), static_cast<float>(P.Y / z)}, LinkPoints.Edit());
}

void TMyShape::LinkPointAddXY(int32_t I, double DX, double DY) {
  const double z = Zoom();
  TMyPoint& p = LinkPoints.Edit()[static_cast<size_t>(I)];
  p.X += static_cast<float>(DX / z);
  p.Y += static_cast<float>(DY / z);
}

// ---- Extent ----

TMyPoint TMyShape::GetLeftTop() const {
  const TMyRect r = GetPointsLTRB(Points);
  return TMyPoint{r.Left, r.Top};
}
TMyPoint TMyShape::GetRightBottom() const {
  const TMyRect r = GetPointsLTRB(Points);
  return TMyPoint{r.Right, r.Bottom};
}
TMyPoint TMyShape::GetLeftBottom() const {
  const TMyRect r = GetPointsLTRB(Points);
  return TMyPoint{r.Left, r.Bottom};
}
TMyPoint TMyShape::GetRightTop() const {
  const TMyRect r = GetPointsLTRB(Points);
  return TMyPoint{r.Right, r.Top};
}
float TMyShape::GetWidth() const {
  const TMyRect r = GetPointsLTRB(Points);
  return std::fabs(r.Right - r.Left);
}
float TMyShape::GetHeight() const {
  const TMyRect r = GetPointsLTRB(Points);
  return std::fabs(r.Bottom - r.Top);
}

namespace {

// The box of Points turned back by Angle about Center: the shape's own, unturned box.
template <typename TPoints>
TMyRect UnturnedBox(const TPoints& Points, const TMyPoint& Center, float Angle) {
  // Unturned, the points are their own (turning by nothing moves no point).
  if (Angle == 0) return GetPointsLTRB(Points);
  // RotateAPoint's arithmetic, with the sine and cosine taken once for all points.
  const long double c = std::cos(static_cast<long double>(-Angle)), s = std::sin(static_cast<long double>(-Angle));
  TArrMyPoint turned;
  turned.reserve(Points.size());
  for (const TMyPoint& p : std::as_const(Points)) {
    const long double dx = static_cast<long double>(p.X) - Center.X, dy = static_cast<long double>(p.Y) - Center.Y;
    turned.push_back(TMyPoint{static_cast<float>(Center.X + dx * c - dy * s), static_cast<float>(Center.Y + dx * s + dy * c)});
  }
  return GetPointsLTRB(turned);
}

}  // namespace

float TMyShape::GetMyWidth() {
  const TMyRect r = UnturnedBox(Points, CenterPoint, FAngle);
  return static_cast<float>(GetLengthinPixel(TMyPoint{r.Left, r.Top}, TMyPoint{r.Right, r.Top}));
}

float TMyShape::GetMyHeight() {
  const TMyRect r = UnturnedBox(Points, CenterPoint, FAngle);
  return static_cast<float>(GetLengthinPixel(TMyPoint{r.Left, r.Top}, TMyPoint{r.Left, r.Bottom}));
}

TMyPoint TMyShape::ComputeCenterPoint() const {
  const TMyRect r = GetPointsLTRB(Points);
  return TMyPoint{r.Left + (r.Right - r.Left) / 2, r.Top + (r.Bottom - r.Top) / 2};
}

// ---- Hit testing ----

bool TMyShape::InTextPointHot(const TPoint& P) {
  const TPoint c = MyPtToPt(ZoomedValuePt(TextPoint));
  return PtInRect(ExpandRect(TRect{c.X, c.Y, c.X, c.Y}, HotSize()), P);
}

int32_t TMyShape::InWhichLinkHot(const TMyPoint& P) {
  const TPoint p = MyPtToPt(P);
  TCanvas* canvas = MyCAD ? MyCAD->Canvas() : nullptr;
  for (int32_t i = 0; i < GetLinkPointsCount(); ++i) {
    const TPoint c = MyPtToPt(GetLinkPointInZoom(i));
    if (!PtInRect(ExpandRect(TRect{c.X, c.Y, c.X, c.Y}, 5), p)) continue;
    if (i != LinkHotId && canvas) {
      DrawHotLinkSquare(canvas, GetLinkPointInZoom(i));
      if (LinkHotId >= 0) DrawHotLinkSquare(canvas, GetLinkPointInZoom(LinkHotId));
    }
    LinkHotId = i;
    return i;
  }
  if (LinkHotId >= 0 && canvas) DrawHotLinkSquare(canvas, GetLinkPointInZoom(LinkHotId));
  LinkHotId = -1;
  return -1;
}

void TMyShape::DrawHotLinkSquare(TCanvas* Canvas, const TMyPoint& P) {
  if (FLocked || !Canvas) return;
  SetDrawHotMode(Canvas);
  Canvas->Pen()->SetWidth(2);
  Canvas->Pen()->SetColor(clRed);
  Canvas->Pen()->SetMode(TPenMode::pmNotXor);
  Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  Canvas->Rectangle(Round(P.X - 5.0L), Round(P.Y - 5.0L), Round(P.X + 5.0L), Round(P.Y + 5.0L));
}

long double TMyShape::GetRotatedAngle(const TMyPoint& A, const TMyPoint& B, const TMyPoint& C) const {
  auto angleOf = [&C](const TMyPoint& Q) {
    long double a;
    if (Q.X == C.X)
      a = (Q.Y > C.Y ? 1 : (Q.Y < C.Y ? -1 : 0)) * PiL / 2;
    else
      a = std::atan((static_cast<long double>(Q.Y) - C.Y) / (static_cast<long double>(Q.X) - C.X));
    const int32_t qx = PointInQuadrantX(Q, C), qy = PointInQuadrantY(Q, C);
    if (qx > 0 && qy < 0) a = PiL + a;
    if (qx > 0 && qy > 0) a = std::fabs(a) + PiL;
    if (qx < 0 && qy > 0) a = TwoPiL - std::fabs(a);
    return std::fabs(a);
  };
  return angleOf(B) - angleOf(A);
}

TMyPoint TMyShape::GetMagicPoint(TMyShape* S, const TMyPoint& P) {
  if (!S) return P;
  TMyRect zr;
  if (MyCAD) {
    zr = MyCAD->GetShapesLTRBinZoom(TArrMyShape{S});
  } else {
    zr = GetPointsLTRB(S->Points);
  }
  const TRect R = myRecttoRect(zr);
  const long double dL = P.X - R.Left, dR = R.Right - P.X, dT = P.Y - R.Top, dB = R.Bottom - P.Y;
  const long double m = std::min(std::min(dL, dR), std::min(dT, dB));
  const long double off = 25 * Zoom();
  TMyPoint result = P;
  if (m == dL) result = TMyPoint{static_cast<float>(R.Left - off), P.Y};
  if (m == dR) result = TMyPoint{static_cast<float>(R.Right + off), P.Y};
  if (m == dT) result = TMyPoint{P.X, static_cast<float>(R.Top - off)};
  if (m == dB) result = TMyPoint{P.X, static_cast<float>(R.Bottom + off)};
  return result;
}

// ---- Drawing ----

void TMyShape::DrawInfo(TCanvas* Canvas) {
  if (FInfo.isEmpty() || !FCaptionShow || !Canvas) return;
  const double z = Zoom();
  const int32_t x0 = Round(z * TextPoint.X), y0 = Round(z * TextPoint.Y);
  const TPoint wh = GetTextWidthHeight(Canvas, FInfo, &FFont, 0, 0);
  MyLogTextOut(Canvas, Round(x0 - wh.X / 2.0L), Round(y0 - wh.Y / 2.0L), FInfo, &FFont, 0, 0);
}

TMyPoint TMyShape::ZoomedValuePt(const TMyPoint& P) const {
  const double z = Zoom();
  return TMyPoint{static_cast<float>(P.X * z), static_cast<float>(P.Y * z)};
}

// ---- Scaling ----

float TMyShape::ScaleFrameAngle() const {
  float r = FAngle;
  const long double quarter = PiL / 2;
  if (!std::isfinite(r)) return 0;
  if (std::fabs(r) > 1024 * quarter) r = static_cast<float>(std::fmod(static_cast<long double>(r), quarter));
  if (r > quarter)
    while (r >= quarter) r = static_cast<float>(r - quarter);
  if (r < -quarter)
    while (r <= -quarter) r = static_cast<float>(r + quarter);
  return r;
}

void TMyShape::SizeChangeValueByScale(double SX, double SY, const TMyPoint& A, const TMyPoint& C, const TMyPoint&) {
  const float r = ScaleFrameAngle();
  auto scale = [&](TMyPoint& p) {
    TMyPoint q = RotateAPoint(p, C, -r);
    q.X = static_cast<float>((static_cast<long double>(q.X) - A.X) * SX + A.X);
    q.Y = static_cast<float>((static_cast<long double>(q.Y) - A.Y) * SY + A.Y);
    p = RotateAPoint(q, C, r);
  };
  for (TMyPoint& p : LinkPoints.Edit()) scale(p);
  for (TMyPoint& p : Points.Edit()) scale(p);
  scale(TextPoint);
  CenterPoint = ComputeCenterPoint();
  Changed();
}

void TMyShape::DoPenBrushChange(TGraphicsObject*) {
  if (!MyCAD || MyCAD->Loading() || FCopying || !HasChildShapes()) return;
  // Member numbers are positions in the list that holds the group: a shape outside the
  // surface's list (a block or clipboard copy, an undo record) cannot resolve them there.
  if (FSlot.Surface != MyCAD) return;
  TArrMyShape members;
  MyCAD->CollectShapeTree(this, TMyCAD::TWalk::ShapeFirst, false, members);
  HandStyleTo(members);
}

void TMyShape::HandStyleTo(const TArrMyShape& Members) {
  // The whole member tree takes the style in one walk; the members' own change handlers, which
  // the setters below call, have nothing left to do meanwhile. So a cycle of member numbers
  // (from a damaged file) ends, and a deep nesting does not recurse once per level.
  static bool handingDown = false;
  if (handingDown) return;
  handingDown = true;
  for (TMyShape* child : Members) {
    if (child == this) continue;
    child->SetPen(&FPen);
    child->SetBrush(&FBrush);
    child->SetFont(&FFont);
    child->SetColorBegin(FColorBegin);
    child->SetColorEnd(FColorEnd);
    child->SetGradientStyle(FGradientStyle);
  }
  handingDown = false;
}

// ---- Property setters ----

void TMyShape::SetAngle(float Value) {
  if (Points.empty()) {
    SetAngleValue(Value);
    return;
  }
  // A member turns its whole group, about the group's centre, by the change of its own angle.
  const double diff = static_cast<double>(Value) - FAngle;
  TMyShape* root = RootShape();
  const TMyPoint c = root->GetCenterPoint();
  if (MyCAD) {
    MyCAD->RotateChangeValueforShapes(root, c, diff);
    MyCAD->ChangeLinkShapes(root);
  } else {
    RotateChangeValueByAngle(c, diff);
  }
}

void TMyShape::SetBrush(const TBrush* Value) {
  if (Value) FBrush.Assign(*Value);
}
void TMyShape::SetPen(const TPen* Value) {
  if (Value) FPen.Assign(*Value);
}
void TMyShape::SetFont(const TFont* Value) {
  if (Value) FFont.Assign(*Value);
}

void TMyShape::RebuildGradient() {
  DrawGradient();
  FlipBitmap(GradientBitmap, FIsFlipHorz, FIsFlipVert);
}

void TMyShape::SetColorBegin(TColor Value) {
  if (Value == FColorBegin) return;
  FColorBegin = Value;
  Changed();
  DrawGradient();
  DoPenBrushChange(nullptr);
  InvalidateSurface();
}

void TMyShape::SetColorEnd(TColor Value) {
  if (Value == FColorEnd) return;
  FColorEnd = Value;
  Changed();
  DrawGradient();
  DoPenBrushChange(nullptr);
  InvalidateSurface();
}

void TMyShape::SetGradientStyle(TGradientStyle Value) {
  if (Value == FGradientStyle) return;
  FGradientStyle = Value;
  Changed();
  RebuildGradient();
  DoPenBrushChange(nullptr);
  InvalidateSurface();
}

void TMyShape::SetIsFlipHorz(bool Value) {
  // One flip turns the flag over; assigning the value it already has changes nothing.
  if (Value == FIsFlipHorz) return;
  if (MyCAD)
    MyCAD->FlipHoriz(this);
  else
    FlipHoriz();
  RebuildGradient();
}

void TMyShape::SetIsFlipVert(bool Value) {
  if (Value == FIsFlipVert) return;
  if (MyCAD)
    MyCAD->FlipVert(this);
  else
    FlipVert();
  RebuildGradient();
}

void TMyShape::SetCaption(const QString& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TMyShape::SetTag(int32_t Value) {
  if (Value == FTag) return;
  FTag = Value;
  Changed();
}

void TMyShape::SetCaptionShow(bool Value) {
  if (Value == FCaptionShow) return;
  FCaptionShow = Value;
  Changed();
}

void TMyShape::SetInfo(const QString& Value) {
  if (Value == FInfo) return;
  FInfo = Value;
  Changed();
}

void TMyShape::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
}

void TMyShape::SetUserData(std::unique_ptr<TUserData> Value) {
  FUserData = Value ? std::move(Value) : std::make_unique<TUserData>();
  Changed();
}

void TMyShape::SetLocked(bool Value) {
  if (Value == FLocked) return;
  FLocked = Value;
  Changed();
  if (MyCAD) MyCAD->LockUnLockforShapes(this, Value);
  InvalidateSurface();
}

// ---- Free functions ----

void RemoveAllPoints(TMyShape* S) {
  if (S) S->Points.clear();
}

void OffsetAllPoints(TMyShape* S, long double DX, long double DY) {
  if (!S) return;
  auto move = [&](TMyPoint& p) {
    p.X = static_cast<float>(p.X + DX);
    p.Y = static_cast<float>(p.Y + DY);
  };
  for (TMyPoint& p : S->Points.Edit()) move(p);
  for (TMyPoint& p : S->LinkPoints.Edit()) move(p);
  move(S->TextPoint);
  S->Changed();
}

void AddLinklineShape(TMyShape* S, int32_t No) {
  if (!S) return;
  if (std::find(S->LinkShapes.begin(), S->LinkShapes.end(), No) == S->LinkShapes.end()) S->LinkShapes.push_back(No);
}

void RemoveLinklineShape(TMyShape* S, int32_t No) {
  if (!S) return;
  auto it = std::find(S->LinkShapes.rbegin(), S->LinkShapes.rend(), No);
  if (it != S->LinkShapes.rend()) S->LinkShapes.erase(std::next(it).base());
}

}  // namespace cad
