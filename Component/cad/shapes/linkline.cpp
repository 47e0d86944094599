// Placeholder bodies; the connector shapes are filled in next.
#include "linkline.h"

#include "../surface/mycad.h"

namespace cad {

TMyLinkLine::TMyLinkLine(TMyCAD* ACAD) : TMyLine(ACAD) {
  if (MyCAD) FLinkLineDrawStyle = MyCAD->LinkLineDrawStyle();
}
void TMyLinkLine::DragChangeValuedxdy(double DX, double DY) { TMyLine::DragChangeValuedxdy(DX, DY); }
void TMyLinkLine::Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) { TMyLine::Draging(Canvas, P1, P2); }
void TMyLinkLine::Drawed(const TPoint& P1, TPoint& P2) { TMyLine::Drawed(P1, P2); }
void TMyLinkLine::DrawHot(TCanvas* Canvas) { TMyLine::DrawHot(Canvas); }
void TMyLinkLine::Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) { TMyLine::Drawing(Canvas, P1, P2); }
TCursor TMyLinkLine::GetMouseCursor(int X, int Y) { return TMyLine::GetMouseCursor(X, Y); }
int32_t TMyLinkLine::InWhichHot(const TPoint& P) { return TMyLine::InWhichHot(P); }
bool TMyLinkLine::IsDrawingFinished(TMouseButton, const TPoint&) { return GetPointsCount() >= 2; }
void TMyLinkLine::SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) { TMyLine::SizeChangeValue(P1, P2); }
void TMyLinkLine::Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) { TMyLine::Sizing(Canvas, P1, P2); }
void TMyLinkLine::Assign(TMyShape* Source) {
  TMyLine::Assign(Source);
  if (auto* l = dynamic_cast<TMyLinkLine*>(Source)) {
    FStartSpNo = l->FStartSpNo;
    FStartSpPtId = l->FStartSpPtId;
    FEndSpNo = l->FEndSpNo;
    FEndSpPtId = l->FEndSpPtId;
    FLinkLineDrawStyle = l->FLinkLineDrawStyle;
  }
}
void TMyLinkLine::Draw(TCanvas* Canvas) { TMyLine::Draw(Canvas); }
void TMyLinkLine::LoadFromStream(TStream& Stream) { TMyLine::LoadFromStream(Stream); }
void TMyLinkLine::SaveToStream(TStream& Stream) { TMyLine::SaveToStream(Stream); }
TShapeReach TMyLinkLine::GetReach() { return TMyLine::GetReach(); }
TShapeRelations TMyLinkLine::GetRelations() const {
  TShapeRelations r = TMyLine::GetRelations();
  r.StartSpNo = FStartSpNo;
  r.StartSpPtId = FStartSpPtId;
  r.EndSpNo = FEndSpNo;
  r.EndSpPtId = FEndSpPtId;
  return r;
}
void TMyLinkLine::SetRelations(const TShapeRelations& R) {
  TMyLine::SetRelations(R);
  FStartSpNo = R.StartSpNo;
  FStartSpPtId = R.StartSpPtId;
  FEndSpNo = R.EndSpNo;
  FEndSpPtId = R.EndSpPtId;
}
void TMyLinkLine::RenumberRelations(const std::function<int32_t(int32_t)>& Map) {
  TMyLine::RenumberRelations(Map);
  FStartSpNo = Map(FStartSpNo);
  FEndSpNo = Map(FEndSpNo);
}
void TMyLinkLine::SetStartSpNo(int32_t Value) { FStartSpNo = Value; }
void TMyLinkLine::SetStartSpPtId(int32_t Value) { FStartSpPtId = Value; }
void TMyLinkLine::SetEndSpNo(int32_t Value) { FEndSpNo = Value; }
void TMyLinkLine::SetEndSpPtId(int32_t Value) { FEndSpPtId = Value; }
TMyShape* TMyLinkLine::GetStartShape() const { return MyCAD ? MyCAD->GetShapeByNo(FStartSpNo) : nullptr; }
TMyShape* TMyLinkLine::GetEndShape() const { return MyCAD ? MyCAD->GetShapeByNo(FEndSpNo) : nullptr; }
TMyPoint TMyLinkLine::GetStartPoint() const {
  TMyShape* s = GetStartShape();
  return s ? s->GetLinkPointInZoom(FStartSpPtId) : GetPointInZoom(0);
}
TMyPoint TMyLinkLine::GetEndPoint() const {
  TMyShape* s = GetEndShape();
  return s ? s->GetLinkPointInZoom(FEndSpPtId) : GetPointInZoom(GetPointsCount() - 1);
}
void TMyLinkLine::CreateSrcLink(int32_t ShapeNo, int32_t LinkPointId) {
  FStartSpNo = ShapeNo;
  FStartSpPtId = LinkPointId;
}
void TMyLinkLine::CreateDestLink(int32_t ShapeNo, int32_t LinkPointId) {
  FEndSpNo = ShapeNo;
  FEndSpPtId = LinkPointId;
}
void TMyLinkLine::RemoveSrcLink() { CreateSrcLink(-1, -1); }
void TMyLinkLine::RemoveDestLink() { CreateDestLink(-1, -1); }
void TMyLinkLine::RemoveAllLink() {
  RemoveSrcLink();
  RemoveDestLink();
}
void TMyLinkLine::SetLinkLineDrawStyle(TLinkLineDrawStyle Value) { FLinkLineDrawStyle = Value; }
void TMyLinkLine::SetJumpRadius(int32_t Value) { FJumpRadius = Value; }
int32_t TMyLinkLine::IsLineHV(const TMyPoint& P1, const TMyPoint& P2) {
  return std::fabs(P1.X - P2.X) >= std::fabs(P1.Y - P2.Y) ? 1 : 2;
}
void TMyLinkLine::SplitALine(const TMyPoint& A, const TMyPoint& B, TMyPoint& M) {
  if (IsLineHV(A, B) == 1) M = TMyPoint{A.X + (B.X - A.X) / 2, A.Y};
  else M = TMyPoint{A.X, A.Y + (B.Y - A.Y) / 2};
}
void TMyLinkLine::MergePoints() {}
void TMyLinkLine::DrawStartEnd(TCanvas*, const TMyPoint&) {}
void TMyLinkLine::DrawCorner(TCanvas*, const TMyPoint&) {}
void TMyLinkLine::DrawCenter(TCanvas*, const TMyPoint&) {}
void TMyLinkLine::DrawHalfCircle(TCanvas*, const TMyPoint&, int32_t) {}

TMyLinkPoint::TMyLinkPoint(TMyCAD* ACAD) : TMyRectangle(ACAD) {}
void TMyLinkPoint::Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2) { TMyRectangle::Drawing(Canvas, P1, P2); }
int32_t TMyLinkPoint::InWhichHot(const TPoint&) { return -1; }
void TMyLinkPoint::AddPointByMouse(const TPoint& P) { TMyRectangle::AddPointByMouse(P); }
void TMyLinkPoint::Assign(TMyShape* Source) {
  TMyRectangle::Assign(Source);
  if (auto* p = dynamic_cast<TMyLinkPoint*>(Source)) FSize = p->FSize;
}
void TMyLinkPoint::Draw(TCanvas* Canvas) { TMyRectangle::Draw(Canvas); }
void TMyLinkPoint::LoadFromStream(TStream& Stream) { TMyRectangle::LoadFromStream(Stream); }
void TMyLinkPoint::SaveToStream(TStream& Stream) { TMyRectangle::SaveToStream(Stream); }
void TMyLinkPoint::SetSize(uint8_t Value) { FSize = Value; }

void TMyLineLinkLine::Drawed(const TPoint& P1, TPoint& P2) { TMyLinkPoint::Drawed(P1, P2); }
void TMyLineLinkLine::DrawHot(TCanvas* Canvas) { TMyLinkPoint::DrawHot(Canvas); }
void TMyLineLinkLine::AddPointByMouse(const TPoint& P) {
  TMyLinkPoint::AddPointByMouse(P);
  AddLinkPoint(GetCenterPoint());
}
void TMyLineLinkLine::Draw(TCanvas* Canvas) { TMyLinkPoint::Draw(Canvas); }

}  // namespace cad
