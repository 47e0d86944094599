#include "libmanager.h"

#include "../core/streamprims.h"
#include "../gfx/bitmap.h"
#include "../gfx/streams.h"
#include "../shapes/shape.h"
#include "../surface/mycad.h"

namespace cad {

const QString TLibManager::kNewestTag = QStringLiteral("VORNLIBX.a");

TLibManager::TLibManager() : FCAD(std::make_unique<TMyCAD>()) { FData = kNewestTag.toLatin1(); }
TLibManager::TLibManager(const QString&) : TLibManager() {}
TLibManager::~TLibManager() = default;
QString TLibManager::RecordVersionOfTag(const QString&) { return QString(); }
bool TLibManager::LoadFromFile(const QString&) { return false; }
bool TLibManager::LoadFromOldFile(const QString&) { return false; }
void TLibManager::SavetoFile(const QString&) {}
void TLibManager::Clear() {}
int32_t TLibManager::GetcmbShapesCount() { return 0; }
QString TLibManager::GetCmbShapesNameByID(int32_t) { return QString(); }
bool TLibManager::GetExistShape(const QString&, int64_t&, int64_t&) { return false; }
bool TLibManager::GetCmbShape(const QString&, TArrMyPoint&, TUserData*, TLibShapes&, int32_t&, int32_t&, bool) { return false; }
bool TLibManager::GetCmbShapeforX8(const QString&, TArrMyPoint&, TUserData*, TLibShapes&, int32_t&, int32_t&, bool) { return false; }
bool TLibManager::GetCmbShapeforX9(const QString&, TArrMyPoint&, TUserData*, TLibShapes&, int32_t&, int32_t&, bool) { return false; }
void TLibManager::GetCmbShapeImage(const QString&, double, TBitmap&, TColor) {}
void TLibManager::AppendNewShape(const QString&, const TArrMyShape&, const TUserData*, int32_t, int32_t) {}
void TLibManager::InsertNewShape(int64_t, const QString&, const TArrMyShape&, const TUserData*, int32_t, int32_t) {}
void TLibManager::RepalceExistShape(const QString&, const TArrMyShape&, const TUserData*, int32_t, int32_t) {}
void TLibManager::DeleteShape(const QString&) {}
bool TLibManager::RenameCmbShapeName(const QString&, const QString&) { return false; }
bool TLibManager::MoveCmbShapeBeforeByName(const QString&, const QString&) { return false; }
bool TLibManager::Upgradefromx6tox8(const QString&) { return false; }
bool TLibManager::Upgradefromx8tox9(const QString&) { return false; }
bool TLibManager::Upgradefromx9toxa(const QString&) { return false; }
void TLibManager::ReplaceoldTagwithNewTag() {}
void TLibManager::ReadLibTag(int64_t&, int64_t&, QString&) {}
bool TLibManager::WriteLibTag(int64_t&, int64_t&) { return false; }
QString TLibManager::ReadCmbShapeName(int64_t, int64_t&, int64_t&) { return QString(); }
bool TLibManager::WriteCmbShapeName(const QString&, int64_t, int64_t&, int64_t&) { return false; }
int32_t TLibManager::ReadCmbShapeSize(int64_t, int64_t&, int64_t&) { return -1; }
bool TLibManager::WriteCmbShapeSize(int32_t, int64_t, int64_t&, int64_t&) { return false; }
bool TLibManager::ReadWidthHeight(int64_t, int32_t&, int32_t&, int64_t&, int64_t&) { return false; }
bool TLibManager::WriteWidthHeight(int32_t, int32_t, int64_t, int64_t&, int64_t&) { return false; }
bool TLibManager::ReadUserDataRecords(int64_t, TUserData*, int64_t&, int64_t&) { return false; }
bool TLibManager::WriteUserDataRecords(const TUserData*, int64_t, int64_t&, int64_t&) { return false; }
bool TLibManager::ReadShapes(TLibShapes&, TArrMyPoint&, int64_t, int64_t&, int64_t&, int32_t, int32_t, bool) { return false; }
bool TLibManager::WriteShapes(const TArrMyShape&, int32_t&, int32_t&, int64_t, int64_t&, int64_t&) { return false; }
QString TLibManager::ReadStrBuffer(TStream& Stream, uint8_t Len) { return cad::ReadStrBuffer(Stream, Len); }
bool TLibManager::WriteStrBuffer(TStream& Stream, const QString& Text, uint8_t Len) { return cad::WriteStrBuffer(Stream, Text, Len); }

}  // namespace cad
