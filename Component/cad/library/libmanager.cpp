#include "libmanager.h"

#include "../core/streamprims.h"
#include "../gfx/bitmap.h"
#include "../gfx/streams.h"
#include "../shapes/linkline.h"
#include "../shapes/shape.h"
#include "../surface/mycad.h"

#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>
#include <utility>

namespace cad {

namespace {

constexpr int kClassTagSize = 16;
// A preview larger than this is no preview; it would only cost memory.
constexpr double kMaxPreviewSize = 4096;
constexpr QLatin1String kLinkPointClass("TMyLinkPoint");

bool StoresUserData(const QString& RecordVersion) {
  return RecordVersion == QLatin1String("ZK.8") || RecordVersion == QLatin1String("ZK.9") ||
         RecordVersion == QLatin1String("ZK.a");
}

// The name field: a length byte and at most 255 bytes of text. A longer name loses characters
// at its end (whole characters, so the bytes stay valid text).
QByteArray NameField(QString Name) {
  QByteArray bytes = EncodeStreamText(Name);
  while (bytes.size() > 255) {
    Name.chop(Name.size() >= 2 && Name.at(Name.size() - 1).isLowSurrogate() ? 2 : 1);
    bytes = EncodeStreamText(Name);
  }
  return QByteArray(1, static_cast<char>(bytes.size())) + bytes;
}

// A class tag of a shape record, blanks and control characters trimmed.
QString ReadClassTag(TStream& Stream) {
  QByteArray tag(kClassTagSize, '\0');
  Stream.ReadBuffer(tag.data(), kClassTagSize);
  return DecodeStreamText(tag).trimmed();
}

void WriteClassTag(TStream& Stream, const QString& Class) {
  if (!WriteStrBuffer(Stream, AppendSpace(Class, kClassTagSize), kClassTagSize)) throw EWriteError("Stream write error");
}

// Runs Write on a stream over Data from Position on and reports the bytes written and where it
// ended. False (Data keeps what was written) when writing failed or Position lies outside.
template <typename F>
bool WriteInto(QByteArray& Data, int64_t Position, int64_t& Length, int64_t& NextPosition, F&& Write) {
  Length = 0;
  NextPosition = Position;
  if (Position < 0 || Position > Data.size()) return false;
  TMemoryStream s(std::move(Data));
  bool ok = true;
  try {
    s.SetPosition(Position);
    Write(s);
  } catch (...) {
    ok = false;
  }
  NextPosition = s.Position();
  Length = NextPosition - Position;
  Data = s.Data();
  return ok;
}

// A stream over the first End bytes of Data, without copying them.
TMemoryStream ViewOf(const QByteArray& Data, int64_t End) {
  return TMemoryStream(QByteArray::fromRawData(Data.constData(), static_cast<qsizetype>(std::clamp<int64_t>(End, 0, Data.size()))));
}

// The shape count of an entry: refused when negative or when the bytes left cannot hold that
// many class tags.
int32_t ReadShapeCount(TStream& Stream) {
  const int32_t n = Stream.ReadLE<int32_t>();
  if (n < 0 || static_cast<int64_t>(n) * kClassTagSize > Stream.Remaining()) throw EReadError("Invalid shape count");
  return n;
}

// The shapes, each followed by the members of its group tree that the list does not hold yet
// (read from the surface whose list holds the group): a group stored without its members
// would insert as an empty combine. Each shape comes once.
TArrMyShape WithMembers(const TArrMyShape& Shapes) {
  TArrMyShape out;
  std::unordered_set<const TMyShape*> seen;
  for (TMyShape* s : Shapes)
    if (s) seen.insert(s);
  std::vector<TMyShape*> todo;
  for (TMyShape* root : Shapes) {
    if (!root) continue;
    todo.assign(1, root);
    while (!todo.empty()) {
      TMyShape* s = todo.back();
      todo.pop_back();
      out.push_back(s);
      TMyCAD* cad = s->MyCAD;
      if (!cad || cad->GetShapeNoInMyShapes(s) < 0) continue;
      const auto& members = std::as_const(s->ChildShapes).Items();
      for (auto it = members.rbegin(); it != members.rend(); ++it) {
        TMyShape* m = cad->GetShapeByNo(*it);
        if (m && seen.insert(m).second) todo.push_back(m);
      }
    }
  }
  return out;
}

void Scale(TMyShape* S, int32_t W, int32_t H) {
  auto scale = [W, H](TMyPoint& p) { p = TMyPoint{static_cast<float>(double{p.X} * W), static_cast<float>(double{p.Y} * H)}; };
  for (TMyPoint& p : S->Points.Edit()) scale(p);
  scale(S->TextPoint);
  S->Changed();
}

}  // namespace


TLibManager::TLibManager() : FCAD(std::make_unique<TMyCAD>()) {
  int64_t length = 0, position = 0;
  WriteLibTag(length, position);
}

TLibManager::TLibManager(const QString& FileName) : FCAD(std::make_unique<TMyCAD>()) {
  if (!LoadFromFile(FileName)) return;
  // Entries of an older generation are rewritten in the newest layout, so that they still
  // read as what they are under the newest tag.
  ConvertToNewest();
}

TLibManager::~TLibManager() = default;

QString TLibManager::RecordVersionOfTag(const QString& Tag) {
  static const std::pair<const char*, const char*> kTable[] = {
      {"VORNLIBX.a", "ZK.a"}, {"VORNLIBX.9", "ZK.9"}, {"VORNLIBX.8", "ZK.8"}, {"VORNLIBX.7", "ZK.7"},
      {"VORNLIBX.6", "ZK.6"}, {"VORNLIBX.3", "ZK.4"}, {"VORNLIBX.2", "ZK.2"},
  };
  for (const auto& [tag, version] : kTable)
    if (Tag == QLatin1String(tag)) return QLatin1String(version);
  return QString();
}

void TLibManager::FollowTag() {
  int64_t length = 0, position = 0;
  QString tag;
  ReadLibTag(length, position, tag);
}

// ---- Files ----

bool TLibManager::LoadFromStream(TStream& Stream) {
  try {
    TMemoryStream m;
    m.LoadFromStream(Stream);
    FData = m.Data();
  } catch (...) {
    return false;
  }
  BufferChanged();
  FollowTag();
  return true;
}

bool TLibManager::LoadFromFile(const QString& FileName) {
  try {
    TFileStream f(FileName, fmOpenRead);
    if (LoadFromStream(f)) {
      FLibFileName = FileName;
      return true;
    }
  } catch (...) {
  }
  FLibFileName.clear();
  return false;
}

bool TLibManager::LoadFromOldFile(const QString& FileName) {
  try {
    if (!IsOLDVORNLibFile(FileName)) return false;
  } catch (...) {
    return false;
  }
  return LoadFromFile(FileName);
}

void TLibManager::SavetoFile(const QString& FileName) {
  ConvertToNewest();
  QSaveFile f(FileName);
  if (!f.open(QIODevice::WriteOnly))
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, f.errorString()).toStdString());
  // The reason is taken before the write is cancelled, which would replace it.
  if (f.write(FData) != FData.size() || !f.flush()) {
    const QString why = f.errorString();
    f.cancelWriting();
    throw EFCreateError(QStringLiteral("Cannot write file \"%1\". %2").arg(FileName, why).toStdString());
  }
  if (!CommitSaveFile(f))
    throw EFCreateError(QStringLiteral("Cannot write file \"%1\". %2").arg(FileName, f.errorString()).toStdString());
}

void TLibManager::Clear() {
  FData.clear();
  int64_t length = 0, position = 0;
  WriteLibTag(length, position);
}

// ---- The tag ----

void TLibManager::ReadLibTag(int64_t& Length, int64_t& Position, QString& Tag) {
  if (FData.size() < kTagSize) {
    Tag.clear();
    Length = 0;
    Position = -1;
  } else {
    Tag = DecodeStreamText(FData.left(kTagSize));
    Length = kTagSize;
    Position = kTagSize;
  }
  FCAD->SetDiskFileVersion(RecordVersionOfTag(Tag));
}

bool TLibManager::WriteLibTag(int64_t& Length, int64_t& Position) {
  const bool ok = WriteInto(FData, 0, Length, Position,
                            [](TStream& S) { S.WriteBuffer(kNewestTag.data(), kTagSize); });
  BufferChanged();
  FollowTag();
  return ok;
}

void TLibManager::ReplaceoldTagwithNewTag() {
  FData = QByteArray(kNewestTag.data(), kNewestTag.size()) + FData.mid(kTagSize);
  BufferChanged();
  FollowTag();
}

// ---- Walking ----

const std::vector<TLibManager::TEntry>& TLibManager::Entries() {
  if (FIndexValid) return FIndex;
  FIndex.clear();
  FFirstByName.clear();
  const int64_t size = FData.size();
  const auto* d = reinterpret_cast<const uint8_t*>(FData.constData());
  int64_t pos = kTagSize;
  // Every step moves on by at least five bytes, and an entry whose size leads outside the
  // buffer (or is negative) ends the walk: the entries before it stay usable.
  while (pos < size) {
    const int64_t n = d[pos];
    const int64_t body = pos + 1 + n + 4;
    if (body > size) break;
    const int32_t b = static_cast<int32_t>(static_cast<uint32_t>(d[body - 4]) | static_cast<uint32_t>(d[body - 3]) << 8 |
                                           static_cast<uint32_t>(d[body - 2]) << 16 | static_cast<uint32_t>(d[body - 1]) << 24);
    if (b < 0 || b > size - body) break;
    FIndex.push_back(TEntry{pos, body, body + b, DecodeStreamText(FData.mid(pos + 1, n))});
    if (!FFirstByName.contains(FIndex.back().Name)) FFirstByName.insert(FIndex.back().Name, static_cast<int32_t>(FIndex.size() - 1));
    pos = body + b;
  }
  FIndexValid = true;
  return FIndex;
}

int32_t TLibManager::IndexOf(const QString& Name) {
  Entries();
  return FFirstByName.value(Name, -1);
}

int32_t TLibManager::GetcmbShapesCount() { return static_cast<int32_t>(Entries().size()); }

QString TLibManager::GetCmbShapesNameByID(int32_t Index) {
  const std::vector<TEntry>& e = Entries();
  if (Index < 0 || static_cast<size_t>(Index) >= e.size()) return QString();
  return e[static_cast<size_t>(Index)].Name;
}

bool TLibManager::GetExistShape(const QString& Name, int64_t& Position, int64_t& Length) {
  const int32_t i = IndexOf(Name);
  if (i < 0) return false;
  const TEntry& e = Entries()[static_cast<size_t>(i)];
  Position = e.Start;
  Length = e.End - e.Start;
  return true;
}

// ---- Reading entries ----

TMemoryStream TLibManager::EntryView(const TEntry& E) const {
  // An entry is read from its own bytes only: counts it holds cannot reach the next one, and
  // what it may claim follows its own size, wherever it stands in the library.
  return TMemoryStream(QByteArray::fromRawData(FData.constData() + E.Start, static_cast<qsizetype>(E.End - E.Start)));
}

void TLibManager::ReadShapesFrom(TStream& Stream, TLibShapes& Shapes, TArrMyPoint& LinkPoints, int32_t Width,
                                 int32_t Height, bool ExtractLinkPoints) {
  Shapes.clear();
  LinkPoints.clear();
  const int32_t count = ReadShapeCount(Stream);
  if (FCAD->Zoom() != 1.0) FCAD->SetZoom(1.0);
  for (int32_t i = 0; i < count; ++i) {
    const QString cls = ReadClassTag(Stream);
    std::unique_ptr<TMyShape> s(TMyCAD::CreateShapeByName(cls, FCAD.get()));
    if (!s) throw EReadError(QStringLiteral("Unknown shape class \"%1\"").arg(cls).toStdString());
    s->LoadFromStream(Stream);
    if (ExtractLinkPoints && cls == kLinkPointClass) {
      Scale(s.get(), Width, Height);
      LinkPoints.push_back(s->GetCenterPoint());
      continue;
    }
    s->SetName(QString());
    Scale(s.get(), Width, Height);
    s->CenterPoint = s->ComputeCenterPoint();
    Shapes.push_back(std::move(s));
  }
}

bool TLibManager::ReadEntry(const TEntry& E, TArrMyPoint& LinkPoints, TUserData* UserData, TLibShapes& Shapes,
                            int32_t& Width, int32_t& Height, bool ExtractLinkPoints) {
  FollowTag();
  TMemoryStream s = EntryView(E);
  try {
    s.SetPosition(E.Body - E.Start);
    Width = s.ReadLE<int32_t>();
    Height = s.ReadLE<int32_t>();
    TUserData read;
    if (StoresUserData(FCAD->DiskFileVersion())) read.ReadFromStream(s);
    ReadShapesFrom(s, Shapes, LinkPoints, Width, Height, ExtractLinkPoints);
    if (UserData) {
      UserData->ClearAll();
      UserData->Assign(&read);
    }
    return true;
  } catch (...) {
    Shapes.clear();
    LinkPoints.clear();
    if (UserData) UserData->ClearAll();
    return false;
  }
}

bool TLibManager::GetCmbShape(const QString& Name, TArrMyPoint& LinkPoints, TUserData* UserData, TLibShapes& Shapes,
                              int32_t& Width, int32_t& Height, bool ExtractLinkPoints) {
  const int32_t i = IndexOf(Name);
  if (i < 0) {
    Shapes.clear();
    LinkPoints.clear();
    return false;
  }
  // A copy: reading does not change the buffer, but the index may be rebuilt meanwhile.
  const TEntry e = Entries()[static_cast<size_t>(i)];
  return ReadEntry(e, LinkPoints, UserData, Shapes, Width, Height, ExtractLinkPoints);
}

bool TLibManager::GetCmbShapeforX8(const QString& Name, TArrMyPoint& LinkPoints, TUserData* UserData,
                                   TLibShapes& Shapes, int32_t& Width, int32_t& Height, bool ExtractLinkPoints) {
  return GetCmbShape(Name, LinkPoints, UserData, Shapes, Width, Height, ExtractLinkPoints);
}

bool TLibManager::GetCmbShapeforX9(const QString& Name, TArrMyPoint& LinkPoints, TUserData* UserData,
                                   TLibShapes& Shapes, int32_t& Width, int32_t& Height, bool ExtractLinkPoints) {
  return GetCmbShape(Name, LinkPoints, UserData, Shapes, Width, Height, ExtractLinkPoints);
}

void TLibManager::GetCmbShapeImage(const QString& Name, double Size, TBitmap& Bitmap, TColor Color) {
  if (!(Size > 0) || Size > kMaxPreviewSize) {
    Bitmap.SetSize(0, 0);
    return;
  }
  const int side = Round(Size);
  Bitmap.SetSize(side, side);
  TCanvas* c = Bitmap.Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(Color);
  c->FillRect(TRect{0, 0, side, side});

  TArrMyPoint links;
  TLibShapes shapes;
  int32_t w = 0, h = 0;
  if (GetCmbShape(Name, links, nullptr, shapes, w, h, false)) {
    // A size of 0 (or a damaged negative one) counts as 1.
    if (w <= 0) w = 1;
    if (h <= 0) h = 1;
    const double zoom = (Size - 2) / std::max(w, h);
    if (zoom > 0) {
      FCAD->SetZoom(zoom);
      const long double ox = Round((Size - w * zoom) / 2), oy = Round((Size - h * zoom) / 2);
      for (const auto& s : shapes) {
        if (dynamic_cast<TMyLinkPoint*>(s.get())) continue;
        OffsetAllPoints(s.get(), ox / zoom, oy / zoom);
        s->Draw(c);
      }
    }
  }
  c->Release();
}

// ---- Fields at a position ----

QString TLibManager::ReadCmbShapeName(int64_t Position, int64_t& Length, int64_t& NextPosition) {
  Length = 0;
  NextPosition = Position;
  if (Position < 0 || Position >= FData.size()) return QString();
  const int64_t n = static_cast<uint8_t>(FData[static_cast<qsizetype>(Position)]);
  Length = 1 + n;
  NextPosition = Position + Length;
  return DecodeStreamText(FData.mid(static_cast<qsizetype>(Position + 1), static_cast<qsizetype>(n)));
}

bool TLibManager::WriteCmbShapeName(const QString& Name, int64_t Position, int64_t& Length, int64_t& NextPosition) {
  const QByteArray field = NameField(Name);
  const bool ok = WriteInto(FData, Position, Length, NextPosition, [&field](TStream& S) { S.WriteBuffer(field.constData(), field.size()); });
  BufferChanged();
  return ok;
}

int32_t TLibManager::ReadCmbShapeSize(int64_t Position, int64_t& Length, int64_t& NextPosition) {
  Length = 0;
  NextPosition = Position;
  if (Position < 0) return -1;
  TMemoryStream s = ViewOf(FData, FData.size());
  try {
    s.SetPosition(Position);
    const int32_t size = s.ReadLE<int32_t>();
    Length = 4;
    NextPosition = Position + 4;
    return size;
  } catch (...) {
    return -1;
  }
}

bool TLibManager::WriteCmbShapeSize(int32_t Size, int64_t Position, int64_t& Length, int64_t& NextPosition) {
  const bool ok = WriteInto(FData, Position, Length, NextPosition, [Size](TStream& S) { S.WriteLE<int32_t>(Size); });
  BufferChanged();
  return ok;
}

bool TLibManager::ReadWidthHeight(int64_t Position, int32_t& Width, int32_t& Height, int64_t& Length,
                                  int64_t& NextPosition) {
  Length = 0;
  NextPosition = Position;
  if (Position < 0) return false;
  TMemoryStream s = ViewOf(FData, FData.size());
  try {
    s.SetPosition(Position);
    const int32_t w = s.ReadLE<int32_t>();
    const int32_t h = s.ReadLE<int32_t>();
    Width = w;
    Height = h;
    Length = 8;
    NextPosition = Position + 8;
    return true;
  } catch (...) {
    return false;
  }
}

bool TLibManager::WriteWidthHeight(int32_t Width, int32_t Height, int64_t Position, int64_t& Length,
                                   int64_t& NextPosition) {
  const bool ok = WriteInto(FData, Position, Length, NextPosition, [Width, Height](TStream& S) {
    S.WriteLE<int32_t>(Width);
    S.WriteLE<int32_t>(Height);
  });
  BufferChanged();
  return ok;
}

bool TLibManager::ReadUserDataRecords(int64_t Position, TUserData* UserData, int64_t& Length, int64_t& NextPosition) {
  Length = 0;
  NextPosition = Position;
  if (!StoresUserData(FCAD->DiskFileVersion())) return true;
  if (Position < 0) return false;
  TMemoryStream s = ViewOf(FData, FData.size());
  try {
    s.SetPosition(Position);
    TUserData read;
    read.ReadFromStream(s);
    if (UserData) UserData->Assign(&read);
    Length = s.Position() - Position;
    NextPosition = s.Position();
    return true;
  } catch (...) {
    return false;
  }
}

bool TLibManager::WriteUserDataRecords(const TUserData* UserData, int64_t Position, int64_t& Length,
                                       int64_t& NextPosition) {
  const bool ok = WriteInto(FData, Position, Length, NextPosition, [UserData](TStream& S) {
    if (UserData) UserData->WriteToStream(S);
    else S.WriteLE<int32_t>(0);
  });
  BufferChanged();
  return ok;
}

bool TLibManager::ReadShapes(TLibShapes& Shapes, TArrMyPoint& LinkPoints, int64_t Position, int64_t& Length,
                             int64_t& NextPosition, int32_t Width, int32_t Height, bool ExtractLinkPoints) {
  Length = 0;
  NextPosition = Position;
  if (Position < 0) return false;
  TMemoryStream s = ViewOf(FData, FData.size());
  try {
    s.SetPosition(Position);
    ReadShapesFrom(s, Shapes, LinkPoints, Width, Height, ExtractLinkPoints);
    Length = s.Position() - Position;
    NextPosition = s.Position();
    return true;
  } catch (...) {
    Shapes.clear();
    LinkPoints.clear();
    return false;
  }
}

void TLibManager::WriteShapesTo(TStream& Stream, const TArrMyShape& Shapes, int32_t& Width, int32_t& Height) {
  // Shapes of a kind the class table does not know cannot be read back; they are left out.
  TArrMyShape known, boxed;
  for (TMyShape* s : WithMembers(Shapes)) {
    if (!s) continue;
    std::unique_ptr<TMyShape> probe(TMyCAD::CreateShapeByName(s->ClassName(), FCAD.get()));
    if (!probe) continue;
    known.push_back(s);
    if (s->ClassName() != kLinkPointClass) boxed.push_back(s);
  }
  const TMyRect box = FCAD->GetShapesLTRB(boxed);
  Width = Round(static_cast<long double>(box.Right) - box.Left);
  Height = Round(static_cast<long double>(box.Bottom) - box.Top);
  if (Width == 0) Width = 1;
  if (Height == 0) Height = 1;
  const long double w = Width, h = Height;
  auto normal = [&](const TMyPoint& p) {
    return TMyPoint{static_cast<float>((p.X - static_cast<long double>(box.Left)) / w),
                    static_cast<float>((p.Y - static_cast<long double>(box.Top)) / h)};
  };
  Stream.WriteLE<int32_t>(static_cast<int32_t>(known.size()));
  for (TMyShape* s : known) {
    // A copy is written, so the caller's shape keeps its name and its exact coordinates; a copy
    // takes everything the record stores but the name, which library shapes do not carry.
    std::unique_ptr<TMyShape> copy(TMyCAD::CreateShapeByName(s->ClassName(), FCAD.get()));
    copy->Assign(s);
    for (TMyPoint& p : copy->Points.Edit()) p = normal(p);
    copy->TextPoint = normal(copy->TextPoint);
    WriteClassTag(Stream, copy->ClassName());
    copy->SaveToStream(Stream);
  }
}

bool TLibManager::WriteShapes(const TArrMyShape& Shapes, int32_t& Width, int32_t& Height, int64_t Position,
                              int64_t& Length, int64_t& NextPosition) {
  const bool ok = WriteInto(FData, Position, Length, NextPosition,
                            [&](TStream& S) { WriteShapesTo(S, Shapes, Width, Height); });
  BufferChanged();
  return ok;
}

// ---- Editing ----

QByteArray TLibManager::EntryBytes(const QString& Name, const TArrMyShape& Shapes, const TUserData* UserData,
                                   int32_t Width, int32_t Height) {
  const QByteArray name = NameField(Name);
  TMemoryStream m;
  m.WriteBuffer(name.constData(), name.size());
  m.WriteLE<int32_t>(0);  // the body size, known at the end
  m.WriteLE<int32_t>(Width);
  m.WriteLE<int32_t>(Height);
  if (UserData) UserData->WriteToStream(m);
  else m.WriteLE<int32_t>(0);
  int32_t w = 0, h = 0;
  WriteShapesTo(m, Shapes, w, h);
  const int64_t body = m.Size() - name.size() - 4;
  m.SetPosition(name.size());
  m.WriteLE<int32_t>(static_cast<int32_t>(body));
  // Without a nominal size the entry takes its shapes' own: a size of 0 would read every shape
  // back as a point.
  if (Width <= 0 || Height <= 0) {
    m.WriteLE<int32_t>(Width <= 0 ? w : Width);
    m.WriteLE<int32_t>(Height <= 0 ? h : Height);
  }
  return m.Data();
}

void TLibManager::ReplaceBytes(int64_t Position, int64_t Length, const QByteArray& With) {
  FData.replace(static_cast<qsizetype>(Position), static_cast<qsizetype>(Length), With);
  BufferChanged();
}

void TLibManager::PrepareForEdit() {
  if (FData.size() < kTagSize) Clear();
  else ConvertToNewest();
}

void TLibManager::InsertNewShape(int64_t Position, const QString& Name, const TArrMyShape& Shapes,
                                 const TUserData* UserData, int32_t Width, int32_t Height) {
  // The position names an entry (or the end); converting an older library moves the entries,
  // so the entry is found again afterwards. Bytes after the last entry the walk reaches are
  // damage: a new entry goes in front of them, where the walk finds it.
  size_t k = 0;
  for (const TEntry& e : Entries())
    if (e.Start < Position) ++k;
  PrepareForEdit();
  const std::vector<TEntry>& e = Entries();
  const int64_t at = k < e.size() ? e[k].Start : (e.empty() ? kTagSize : e.back().End);
  ReplaceBytes(at, 0, EntryBytes(Name, Shapes, UserData, Width, Height));
}

void TLibManager::AppendNewShape(const QString& Name, const TArrMyShape& Shapes, const TUserData* UserData,
                                 int32_t Width, int32_t Height) {
  InsertNewShape(std::numeric_limits<int64_t>::max(), Name, Shapes, UserData, Width, Height);
}

void TLibManager::RepalceExistShape(const QString& Name, const TArrMyShape& Shapes, const TUserData* UserData,
                                    int32_t Width, int32_t Height) {
  if (IndexOf(Name) < 0) return;
  PrepareForEdit();
  const int32_t i = IndexOf(Name);
  if (i < 0) return;
  const TEntry e = Entries()[static_cast<size_t>(i)];
  ReplaceBytes(e.Start, e.End - e.Start, EntryBytes(Name, Shapes, UserData, Width, Height));
}

void TLibManager::DeleteShape(const QString& Name) {
  const int32_t i = IndexOf(Name);
  if (i < 0) return;
  const TEntry e = Entries()[static_cast<size_t>(i)];
  ReplaceBytes(e.Start, e.End - e.Start, QByteArray());
}

bool TLibManager::RenameCmbShapeName(const QString& OldName, const QString& NewName) {
  const int32_t i = IndexOf(OldName);
  if (i < 0) return false;
  // Only the name field changes; the body (and its size) stays byte for byte.
  const TEntry e = Entries()[static_cast<size_t>(i)];
  ReplaceBytes(e.Start, e.Body - 4 - e.Start, NameField(NewName));
  return true;
}

bool TLibManager::MoveCmbShapeBeforeByName(const QString& Name, const QString& Before) {
  const int32_t i = IndexOf(Name);
  if (i < 0) return false;
  const TEntry moved = Entries()[static_cast<size_t>(i)];
  int64_t target = kTagSize;
  if (!Before.isEmpty()) {
    const int32_t j = IndexOf(Before);
    if (j < 0) return false;
    const int64_t p2 = Entries()[static_cast<size_t>(j)].Start;
    target = p2 > moved.Start ? p2 - (moved.End - moved.Start) : p2;
  }
  // The entry's bytes move as they are.
  const QByteArray bytes = FData.mid(static_cast<qsizetype>(moved.Start), static_cast<qsizetype>(moved.End - moved.Start));
  ReplaceBytes(moved.Start, moved.End - moved.Start, QByteArray());
  ReplaceBytes(target, 0, bytes);
  return true;
}

// ---- Generations ----

bool TLibManager::ConvertToNewest() {
  FollowTag();
  if (FData.size() < kTagSize) return true;
  if (FData.left(kTagSize) == QByteArray(kNewestTag.data(), kNewestTag.size())) return true;
  const bool userData = StoresUserData(FCAD->DiskFileVersion());
  QByteArray out = QByteArray(kNewestTag.data(), kNewestTag.size());
  bool ok = true;
  int64_t end = kTagSize;
  for (const TEntry& e : Entries()) {
    end = e.End;
    // Every record is read in the old layout and written in the newest as it was read: the
    // stored coordinates, the size and the link-point shapes stay exactly what they were.
    try {
      TMemoryStream s = EntryView(e);
      s.SetPosition(e.Body - e.Start);
      const int32_t w = s.ReadLE<int32_t>();
      const int32_t h = s.ReadLE<int32_t>();
      TUserData data;
      if (userData) data.ReadFromStream(s);
      const int32_t count = ReadShapeCount(s);
      TMemoryStream m;
      m.WriteBuffer(FData.constData() + e.Start, e.Body - 4 - e.Start);
      m.WriteLE<int32_t>(0);
      m.WriteLE<int32_t>(w);
      m.WriteLE<int32_t>(h);
      data.WriteToStream(m);
      m.WriteLE<int32_t>(count);
      for (int32_t k = 0; k < count; ++k) {
        const QString cls = ReadClassTag(s);
        std::unique_ptr<TMyShape> shape(TMyCAD::CreateShapeByName(cls, FCAD.get()));
        if (!shape) throw EReadError("Unknown shape class");
        shape->LoadFromStream(s);
        WriteClassTag(m, cls);
        shape->SaveToStream(m);
      }
      m.SetPosition(e.Body - e.Start - 4);
      m.WriteLE<int32_t>(static_cast<int32_t>(m.Size() - (e.Body - e.Start)));
      out += m.Data();
    } catch (...) {
      // An entry that cannot be read keeps its bytes.
      ok = false;
      out += FData.mid(static_cast<qsizetype>(e.Start), static_cast<qsizetype>(e.End - e.Start));
    }
  }
  out += FData.mid(static_cast<qsizetype>(end));
  FData = out;
  BufferChanged();
  FollowTag();
  return ok;
}

bool TLibManager::Upgradefromx6tox8(const QString&) { return ConvertToNewest(); }
bool TLibManager::Upgradefromx8tox9(const QString&) { return ConvertToNewest(); }
bool TLibManager::Upgradefromx9toxa(const QString&) { return ConvertToNewest(); }

// ---- Stream primitives ----

QString TLibManager::ReadStrBuffer(TStream& Stream, uint8_t Len) { return cad::ReadStrBuffer(Stream, Len); }
bool TLibManager::WriteStrBuffer(TStream& Stream, const QString& Text, uint8_t Len) {
  return cad::WriteStrBuffer(Stream, Text, Len);
}

}  // namespace cad
