// Drawing by code: shapes made from point lists, image shapes, selection by id, bounding boxes
// of shape lists and the debugging text on the canvas.
#include "../shapes/textimage.h"
#include "mycad.h"

#include <algorithm>
#include <utility>

namespace cad {

namespace {

// The class a tool draws by code, when Count points suit it; null for a tool that draws
// nothing by code or a count it does not take.
const char* CodeClassOf(TDrawTool Tool, size_t Count) {
  switch (Tool) {
    case TDrawTool::SpLine: return Count == 2 ? "TMyLine" : nullptr;
    case TDrawTool::SpRuleLine: return Count == 2 ? "TMyRuleLine" : nullptr;
    case TDrawTool::SpPolyLine: return Count >= 2 ? "TMyPolyLine" : nullptr;
    case TDrawTool::SpPolygon: return Count >= 2 ? "TMyPolygon" : nullptr;
    // A start point and three more for each curve segment.
    case TDrawTool::SpPolyBezier: return Count >= 4 && Count % 3 == 1 ? "TMyPolyBezier" : nullptr;
    case TDrawTool::SpRectangle: return Count == 4 ? "TMyRectangle" : nullptr;
    case TDrawTool::SpEllipse: return Count == 4 ? "TMyEllipse" : nullptr;
    case TDrawTool::SpText: return Count == 4 ? "TMyText" : nullptr;
    case TDrawTool::SpElliArc: return Count == 3 ? "TMyElliArc" : nullptr;
    default: return nullptr;
  }
}

constexpr QLatin1String kImageClass("TMyImage");

// The one place where an image shape is given its picture and lays itself out from it: false
// when the shape takes no picture.
bool TakePicture(TMyShape* Shape, const TBitmap* Bitmap) {
  auto* image = dynamic_cast<TMyImage*>(Shape);
  if (!image) return false;
  image->SetBitmap(Bitmap);
  return true;
}

}  // namespace

int32_t TMyCAD::AddShapeMadeByCode(std::unique_ptr<TMyShape> Shape, const QString& Name) {
  // Nothing of the surface changes before the shape is named: an invalid name only costs the
  // shape, which goes with the pointer.
  try {
    NameNewShape(Shape.get(), Name);
  } catch (const EComponentError&) {
    return -1;
  }
  if (!AddShape(Shape.get(), false, false)) return -1;
  TNotifyBatch batch(this);
  TMyShape* s = Shape.release();
  const int32_t id = s->ShapeId;
  SetModified(true);
  // The list owns the shape now; as the current shape it is only referred to.
  SetCurrentShape(s);
  // Recorded and selected before the host hears of it, so a handler that deletes or replaces
  // the shape leaves nothing here pointing at it.
  PushtoUndoRedoShapeList(TArrMyShape{s}, QStringLiteral("ACT_ADD"));
  ClearWorkingList();
  AddWorkingShapes(s);
  TMyShape* announced = s;
  Fire(OnShapeAdded, &TMyCAD::shapeAdded, announced, GetShapesCount());
  RepaintChanged();
  return id;
}

int32_t TMyCAD::AddShapeByCode(TMyCAD* ACAD, TDrawTool Tool, const QString& ShapeName, const TArrMyPoint& Points,
                               long double Angle, const QString& Text) {
  const char* cls = CodeClassOf(Tool, Points.size());
  if (!cls) return -1;
  // Made apart from the surface and handed over only when it is complete, so a refusal on the
  // way leaves the surface as it was.
  std::unique_ptr<TMyShape> s(CreateShapeByName(QLatin1String(cls), ACAD ? ACAD : this));
  if (!s) return -1;  // a shape kind this build does not have
  if (Tool == TDrawTool::SpText) s->SetInfo(Text);
  // The points are drawing coordinates already: kept as given, not divided by the zoom.
  TArrMyPoint pts = Points;
  if (Tool == TDrawTool::SpPolygon) pts.push_back(Points.front());
  s->Points = std::move(pts);
  s->LinkPoints.clear();
  // Centre and text point as a shape drawn with the mouse gets them, so that the angle turns the
  // shape about its own centre and its text shows beside it, not at the origin.
  s->CenterPoint = s->ComputeCenterPoint();
  s->TextPoint = TMyPoint{s->CenterPoint.X, s->GetRightBottom().Y + 10};
  s->Changed();
  s->SetAngle(static_cast<float>(Angle));
  return AddShapeMadeByCode(std::move(s), ShapeName);
}

int32_t TMyCAD::AddImageShapeByCode(const QString& ShapeName, const TPoint& TopLeft, const TBitmap* Bitmap) {
  std::unique_ptr<TMyShape> s(CreateShapeByName(kImageClass, this));
  if (!s) return -1;
  // The picture sets the other three corners (without one, the box has no size).
  const TMyPoint corner = PtToMyPt(TopLeft);
  s->Points = {corner, corner, corner, corner};
  if (!TakePicture(s.get(), Bitmap)) return -1;
  const int32_t id = AddShapeMadeByCode(std::move(s), ShapeName);
  if (id >= 0) SetCurrentShape(nullptr);
  return id;
}

bool TMyCAD::SetMyImage(int32_t Id, const TBitmap* Bitmap) {
  TMyShape* s = GetShapeByID(Id);
  if (!s || s->ClassName() != kImageClass) return false;
  try {
    if (!TakePicture(s, Bitmap)) return false;
  } catch (...) {
    return false;
  }
  SetModified(true);
  RepaintChanged();
  return true;
}

bool TMyCAD::SelectShapeByCode(int32_t Id, bool Exclusive) {
  TMyShape* s = GetShapeByID(Id);
  if (!s) return false;
  TNotifyBatch batch(this);
  Fire(OnShapeSelected, &TMyCAD::shapeSelected, FWorkingShapes.empty() ? nullptr : FWorkingShapes.front(), s);
  // The handler may have deleted the shape.
  if (GetShapeByID(Id) != s) return false;
  if (Exclusive) ClearWorkingList();
  AddWorkingShapes(s);
  RepaintChanged();
  return true;
}

TMyRect TMyCAD::GetShapesLTRB(const TArrMyShape& Shapes, int High) const {
  const size_t n = High < 0 ? 0 : std::min(Shapes.size(), static_cast<size_t>(High) + 1);
  bool seeded = false;
  TMyRect r;
  for (size_t i = 0; i < n; ++i) {
    if (!Shapes[i]) continue;
    // Read through a const view: measuring is no change of the shape.
    for (const TMyPoint& p : std::as_const(Shapes[i]->Points)) {
      if (!seeded) {
        r = TMyRect{p.X, p.Y, p.X, p.Y};
        seeded = true;
      }
      r.Left = std::min(r.Left, p.X);
      r.Top = std::min(r.Top, p.Y);
      r.Right = std::max(r.Right, p.X);
      r.Bottom = std::max(r.Bottom, p.Y);
    }
  }
  return r;
}

TMyRect TMyCAD::GetShapesLTRBinZoom(const TArrMyShape& Shapes, int High) const {
  return InZoom(GetShapesLTRB(Shapes, High));
}

namespace {

void WriteDebugText(TCanvas* C, int X, int Y, const QString& Value) {
  if (!C) return;
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Brush()->SetColor(TColor{0x808080});
  C->Pen()->SetColor(TColor{0x0000FF});
  C->Pen()->SetMode(TPenMode::pmCopy);
  C->TextOut(X, Y, QStringLiteral("[") + Value + QStringLiteral("]"));
}

}  // namespace

void TMyCAD::DebugVar(int X, int Y, int Value) { WriteDebugText(Canvas(), X, Y, QString::number(Value)); }

void TMyCAD::DebugVarf(int X, int Y, double Value) { WriteDebugText(Canvas(), X, Y, FormatFloat("%.15g", Value)); }

}  // namespace cad
