// Layers: creation, lookup, visibility, renaming, deletion and merging.
#include "mycad.h"

namespace cad {

int32_t TMyCAD::NewLayer(const QString& Name, bool Visible) {
  if (GetLayerIdByName(Name) != -1) return -1;
  // The layer count is kept in one byte everywhere, so a drawing holds at most 255 layers.
  if (FLayers.size() >= 255) return -1;
  const LayerRec rec{Name, FNextLayerId, Visible};
  FLayers.push_back(rec);
  FCurrentLayerId = rec.LayerId;
  Fire(OnNewLayer, &TMyCAD::newLayer, rec.LayerId, rec.LayerName, rec.Visible);
  ++FNextLayerId;
  return rec.LayerId;
}

int32_t TMyCAD::GetLayerIdByName(const QString& Name) const {
  for (auto it = FLayers.rbegin(); it != FLayers.rend(); ++it)
    if (it->LayerName == Name) return it->LayerId;
  return -1;
}

int32_t TMyCAD::GetLayerIdByNo(int32_t No) const {
  if (No < 0 || No >= static_cast<int32_t>(FLayers.size())) return -1;
  return FLayers[static_cast<size_t>(No)].LayerId;
}

QString TMyCAD::GetLayerNameByID(int32_t Id) const {
  for (auto it = FLayers.rbegin(); it != FLayers.rend(); ++it)
    if (it->LayerId == Id) return it->LayerName;
  return QString();
}

int32_t TMyCAD::GetLayerNoById(int32_t Id) const {
  for (int32_t i = static_cast<int32_t>(FLayers.size()) - 1; i >= 0; --i)
    if (FLayers[static_cast<size_t>(i)].LayerId == Id) return i;
  return -1;
}

uint8_t TMyCAD::GetLayerNoByName(const QString& Name) const {
  const int32_t id = GetLayerIdByName(Name);
  // An unknown name reads as 255, the byte that -1 becomes.
  if (id < 0) return 255;
  return static_cast<uint8_t>(GetLayerNoById(id));
}

int32_t TMyCAD::GetMaxLayerId() const { return FLayers.empty() ? -1 : FLayers.back().LayerId; }

void TMyCAD::SetCurrentLayerId(int32_t Id) {
  for (const LayerRec& l : FLayers) {
    if (l.LayerId == Id) {
      FCurrentLayerId = Id;
      RemoveAllWorkingShapes();
      return;
    }
  }
}

void TMyCAD::SetLayerNameByID(const QString& Name, int32_t Id) {
  for (LayerRec& l : FLayers)
    if (l.LayerId == Id) l.LayerName = Name;
}

void TMyCAD::SetLayerNameByName(const QString& NewName, const QString& OldName) {
  for (LayerRec& l : FLayers)
    if (l.LayerName == OldName) l.LayerName = NewName;
}

void TMyCAD::VisibleLayerByID(int32_t Id) {
  for (LayerRec& l : FLayers)
    if (l.LayerId == Id) l.Visible = true;
  Repaint();
}

void TMyCAD::InVisibleLayerByID(int32_t Id) {
  for (LayerRec& l : FLayers)
    if (l.LayerId == Id) l.Visible = false;
  Repaint();
}

void TMyCAD::VisibleLayerByName(const QString& Name) { VisibleLayerByID(GetLayerIdByName(Name)); }
void TMyCAD::InVisibleLayerByName(const QString& Name) { InVisibleLayerByID(GetLayerIdByName(Name)); }

void TMyCAD::VisibleAllLayer() {
  for (LayerRec& l : FLayers) l.Visible = true;
  Repaint();
}

bool TMyCAD::IsVisibleLayerByID(int32_t Id) const {
  for (const LayerRec& l : FLayers)
    if (l.LayerId == Id) return l.Visible;
  return false;
}

bool TMyCAD::DeleteLayerByID(int32_t Id) {
  TNotifyBatch batch(this);
  RemoveAllWorkingShapes();
  SetCurrentShape(nullptr);
  auto layer = std::find_if(FLayers.begin(), FLayers.end(), [Id](const LayerRec& l) { return l.LayerId == Id; });
  if (layer == FLayers.end()) return false;

  std::vector<int32_t> ids;
  for (const TMyShape* s : FMyShapes)
    if (s->LayerId == Id && !s->HasParentShape()) ids.push_back(s->ShapeId);
  bool result = true;
  for (int32_t sid : ids) result = DeleteShapeById(sid, true);

  if (result) {
    // The shape deletions may not touch the layer list, but look the entry up again anyway.
    layer = std::find_if(FLayers.begin(), FLayers.end(), [Id](const LayerRec& l) { return l.LayerId == Id; });
    const LayerRec removed = *layer;
    FLayers.erase(layer);
    Fire(OnDeleteLayer, &TMyCAD::deleteLayer, removed.LayerId, removed.LayerName, removed.Visible);
    FCurrentLayerId = FLayers.empty() ? -1 : FLayers.front().LayerId;
  }
  Repaint();
  return result;
}

bool TMyCAD::DeleteLayerByName(const QString& Name) { return DeleteLayerByID(GetLayerIdByName(Name)); }

void TMyCAD::DeleteAllLayers() {
  std::vector<int32_t> ids;
  for (const LayerRec& l : FLayers) ids.push_back(l.LayerId);
  bool last = false;
  for (int32_t id : ids) last = DeleteLayerByID(id);
  if (last) {
    FCurrentLayerId = -1;
    FNextLayerId = 0;
  }
}

bool TMyCAD::MergeLayers(int32_t TargetId, int32_t SourceId) {
  if (TargetId == SourceId) return false;
  auto has = [this](int32_t id) {
    return std::any_of(FLayers.begin(), FLayers.end(), [id](const LayerRec& l) { return l.LayerId == id; });
  };
  if (!has(TargetId) || !has(SourceId)) return false;
  DropRedo();
  for (TMyShape* s : FMyShapes)
    if (s->LayerId == SourceId) s->LayerId = TargetId;
  FCurrentLayerId = TargetId;
  return DeleteLayerByID(SourceId);
}

}  // namespace cad
