// Inserting a shape-library entry into the drawing: one combined shape around copies of the
// entry's shapes, with the entry's connection points as its link points.
#include "../library/libmanager.h"
#include "../shapes/group.h"
#include "mycad.h"

#include <unordered_map>

namespace cad {

int32_t TMyCAD::AddUserDefineShapefromLib(TLibManager* Lib, const QString& Name, int X, int Y, TMyCAD* Owner) {
  if (!Lib || FLayers.empty()) return -1;
  TArrMyPoint links;
  TUserData data;
  TLibShapes shapes;
  int32_t w = 0, h = 0;
  if (!Lib->GetCmbShape(Name, links, &data, shapes, w, h, true)) return -1;

  // The entry's box in control pixels, centred on (X, Y).
  TArrMyShape entry;
  for (const auto& s : shapes) entry.push_back(s.get());
  const TMyRect box = GetShapesLTRB(entry);
  const double z = FZoom;
  const long double bw = (static_cast<long double>(box.Right) - box.Left) * z;
  const long double bh = (static_cast<long double>(box.Bottom) - box.Top) * z;
  const TMyPoint c0{static_cast<float>(X - bw / 2), static_cast<float>(Y - bh / 2)};
  const TMyPoint c1{static_cast<float>(X + bw / 2), static_cast<float>(Y - bh / 2)};
  const TMyPoint c2{static_cast<float>(X + bw / 2), static_cast<float>(Y + bh / 2)};
  const TMyPoint c3{static_cast<float>(X - bw / 2), static_cast<float>(Y + bh / 2)};
  // The shapes move so that their box's top left lands on the first corner (drawing units).
  const long double dx = c0.X / z - box.Left, dy = c0.Y / z - box.Top;
  for (const auto& s : shapes) OffsetAllPoints(s.get(), dx, dy);

  auto* combine = new TMyCombine(this);
  SetCurrentShape(combine);
  for (const TMyPoint& p : {c0, c1, c2, c3}) combine->AddPoint(p);
  for (const TMyPoint& p : links)
    combine->AddLinkPoint(TMyPoint{static_cast<float>((p.X - static_cast<long double>(box.Left)) * z + c0.X),
                                   static_cast<float>((p.Y - static_cast<long double>(box.Top)) * z + c0.Y)});
  NameNewShape(combine);
  combine->CenterPoint = combine->ComputeCenterPoint();
  combine->TextPoint = TMyPoint{combine->CenterPoint.X, combine->GetRightBottom().Y + 10.0f};
  combine->UserData()->Assign(&data);
  combine->Changed();
  if (!AddShape(combine, false, false)) {
    SetCurrentShape(nullptr);
    delete combine;
    return -1;
  }

  // The members: copies of every entry shape but groups (a group's members are entry shapes of
  // their own). Relations the entry kept name places in the drawing it came from: they are
  // mapped to the copies made here, and dropped where they name no copy.
  TMyCAD* owner = Owner ? Owner : this;
  std::unordered_map<int32_t, int32_t> renumber;
  std::vector<std::pair<TMyShape*, TShapeRelations>> added;
  for (const auto& s : shapes) {
    if (dynamic_cast<TMyGroup*>(s.get())) continue;
    TMyShape* copy = CreateShapeByName(s->ClassName(), owner);
    if (!copy) continue;
    copy->Assign(s.get());
    const TShapeRelations stored = copy->GetRelations();
    TShapeRelations r;
    r.ShapeNo = GetShapesCount();
    r.ParentNo = combine->ShapeNo;
    copy->SetRelations(r);
    NameNewShape(copy);
    copy->SetInfo(s->Info());
    copy->CenterPoint = copy->ComputeCenterPoint();
    if (!AddShape(copy, false, false)) {
      delete copy;
      break;
    }
    renumber.emplace(stored.ShapeNo, copy->ShapeNo);
    added.emplace_back(copy, stored);
    combine->ChildShapes.push_back(copy->ShapeNo);
  }
  const auto mapped = [&renumber](int32_t No) {
    const auto it = renumber.find(No);
    return it == renumber.end() ? -1 : it->second;
  };
  for (auto& [copy, stored] : added) {
    TShapeRelations r = copy->GetRelations();
    for (int32_t l : stored.LinkShapes)
      if (const int32_t m = mapped(l); m >= 0) r.LinkShapes.push_back(m);
    if (const int32_t m = stored.StartSpNo >= 0 ? mapped(stored.StartSpNo) : -1; m >= 0) {
      r.StartSpNo = m;
      r.StartSpPtId = stored.StartSpPtId;
    }
    if (const int32_t m = stored.EndSpNo >= 0 ? mapped(stored.EndSpNo) : -1; m >= 0) {
      r.EndSpNo = m;
      r.EndSpPtId = stored.EndSpPtId;
    }
    if (r != copy->GetRelations()) copy->SetRelations(r);
  }

  SetModified(true);
  // Recorded and selected before the host hears of it, so a handler that deletes the combine
  // leaves nothing here pointing at it.
  const int32_t id = combine->ShapeId;
  TNotifyBatch batch(this);
  PushtoUndoRedoShapeList(TArrMyShape{combine}, QStringLiteral("ACT_ADD"));
  ClearWorkingList();
  AddWorkingShapes(combine);
  TMyShape* announced = combine;
  Fire(OnShapeAdded, &TMyCAD::shapeAdded, announced, GetShapesCount());
  SetCurrentShape(nullptr);
  RepaintChanged();
  return id;
}

}  // namespace cad
