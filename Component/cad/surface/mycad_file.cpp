// The drawing file and the internal clipboard.
//
// A drawing stream is a 218-byte header, the surface settings, the layer table and the shape
// records, each behind its 16-byte class tag (docs/fileformat.md). Reading never works on the
// open drawing: a stream is read whole into a TDrawing first, checked and repaired there, and
// only then takes the place of the drawing (or, for a block, joins it). So a stream that ends
// early or holds nonsense leaves the surface exactly as it was.
//
// Relations between shapes are list positions that come from the file, so they are not
// trusted: RepairRelations makes them a forest (every member listed once, by the group its
// parent number names, no shape its own ancestor) and cuts numbers that lead nowhere.
#include "../core/streamprims.h"
#include "../gfx/platform.h"
#include "../gfx/streams.h"
#include "../shapes/linkline.h"
#include "mycad.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace cad {

namespace {

constexpr QLatin1String kProduct("Travemo Component");
constexpr QLatin1String kDescription("VORN for Kivendoria");
constexpr QLatin1String kBuildDate("20040831");
constexpr int kHeaderSize = 218;
constexpr int kVersionOffset = 128;
constexpr int kTagSize = 16;
// The smallest layer record: name count, id, visible flag.
constexpr int64_t kMinLayerRecord = 12;
// Shape ids and layer ids of a sound drawing stay far below this. A larger layer id is damage
// and refused; a shape id out of range is given a new one (RepairShapeIds). Both keep "largest
// id + 1" from overflowing.
constexpr int32_t kMaxStoredId = 1 << 30;

// Trims characters with codes 0 to 32 at both ends.
QString TrimControls(const QString& Text) {
  qsizetype b = 0, e = Text.size();
  while (b < e && Text.at(b).unicode() <= 32) ++b;
  while (e > b && Text.at(e - 1).unicode() <= 32) --e;
  return Text.mid(b, e - b);
}

void WriteField(TStream& Stream, const QString& Text, int Width) {
  if (!WriteStrBuffer(Stream, AppendSpace(Text, Width), static_cast<uint8_t>(Width)))
    throw EWriteError("Stream write error");
}

// Everything a drawing stream holds, read but not yet given to a surface.
struct TDrawing {
  QString Version;
  TColor Background = clWhite;
  int32_t Width = 0, Height = 0;
  TUnits Unit = TUnits::mm;
  std::unique_ptr<TBitmap> BkBitmap;
  TBkBitmapMode BkMode = TBkBitmapMode::Center;
  double Ratio = 1.0;
  std::vector<LayerRec> Layers;
  int32_t CurrentLayerId = -1;
  std::vector<std::unique_ptr<TMyShape>> Shapes;
};

// Makes the relations of a shape list (positions 0 .. n-1) consistent. Numbers outside the
// list or naming the shape itself go; a chain of parent numbers that loops is cut; a group
// keeps a member only when the member's parent number names it, once; a shape whose parent does
// not list it has no parent. Connector ends that lead nowhere are detached.
void RepairRelations(const std::vector<TMyShape*>& Shapes) {
  const int32_t n = static_cast<int32_t>(Shapes.size());
  const auto inList = [n](int32_t No) { return No >= 0 && No < n; };
  std::vector<TShapeRelations> rel(Shapes.size());
  for (int32_t i = 0; i < n; ++i) {
    TShapeRelations& r = rel[static_cast<size_t>(i)];
    r = Shapes[static_cast<size_t>(i)]->GetRelations();
    r.ShapeNo = i;
    if (!inList(r.ParentNo) || r.ParentNo == i) r.ParentNo = -1;
    std::erase_if(r.LinkShapes, [&](int32_t No) { return !inList(No) || No == i; });
    if (!inList(r.StartSpNo) || r.StartSpNo == i) r.StartSpNo = r.StartSpPtId = -1;
    if (!inList(r.EndSpNo) || r.EndSpNo == i) r.EndSpNo = r.EndSpPtId = -1;
  }
  // Parent chains: 1 = on the chain being followed, 2 = known to end.
  std::vector<uint8_t> state(Shapes.size(), 0);
  std::vector<int32_t> chain;
  for (int32_t i = 0; i < n; ++i) {
    chain.clear();
    int32_t at = i;
    while (at >= 0 && state[static_cast<size_t>(at)] == 0) {
      state[static_cast<size_t>(at)] = 1;
      chain.push_back(at);
      const int32_t up = rel[static_cast<size_t>(at)].ParentNo;
      if (up >= 0 && state[static_cast<size_t>(up)] == 1) {
        rel[static_cast<size_t>(at)].ParentNo = -1;  // the loop closes here
        break;
      }
      at = up;
    }
    for (int32_t c : chain) state[static_cast<size_t>(c)] = 2;
  }
  std::vector<uint8_t> claimed(Shapes.size(), 0);
  for (int32_t p = 0; p < n; ++p) {
    std::vector<int32_t>& members = rel[static_cast<size_t>(p)].ChildShapes;
    std::erase_if(members, [&](int32_t c) {
      if (!inList(c) || c == p || claimed[static_cast<size_t>(c)] || rel[static_cast<size_t>(c)].ParentNo != p) return true;
      claimed[static_cast<size_t>(c)] = 1;
      return false;
    });
  }
  for (int32_t i = 0; i < n; ++i) {
    TShapeRelations& r = rel[static_cast<size_t>(i)];
    if (r.ParentNo >= 0 && !claimed[static_cast<size_t>(i)]) r.ParentNo = -1;
    TMyShape* s = Shapes[static_cast<size_t>(i)];
    if (s->GetRelations() != r) s->SetRelations(r);
  }
}

// Gives every shape an id of its own in 0 .. kMaxStoredId - 1 where it can: an id that another
// shape already has, or one out of that range (a host may set any id, and the file keeps it),
// is replaced by the next id after the largest sound one, in list order. Relations are shape
// numbers, so nothing else changes. Returns the largest id (-1 for none).
int32_t RepairShapeIds(const std::vector<TMyShape*>& Shapes) {
  const auto sound = [](int32_t Id) { return Id >= 0 && Id < kMaxStoredId; };
  int32_t largest = -1;
  for (const TMyShape* s : Shapes)
    if (sound(s->ShapeId)) largest = std::max(largest, s->ShapeId);
  std::unordered_set<int32_t> seen;
  seen.reserve(Shapes.size());
  for (TMyShape* s : Shapes)
    if (!sound(s->ShapeId) || !seen.insert(s->ShapeId).second) s->ShapeId = ++largest;
  return largest;
}

}  // namespace

// ---- Reading ----

namespace {
// Where a reader is in a drawing stream; put in words only when a read fails, so that
// following it costs nothing per shape.
struct TReadPlace {
  const char* Part = "the header";
  int32_t Shape = 0, Count = 0;
  QString Tag;
  QString Text() const {
    if (Shape == 0) return QLatin1String(Part);
    return QStringLiteral("shape %1 of %2 (\"%3\")").arg(Shape).arg(Count).arg(Tag);
  }
};
}  // namespace

// Reads a whole drawing stream into D. Shapes are made for this surface (they read their
// records by its disk file version, which holds the stream's version meanwhile) but do not
// join it. Throws on anything the stream cannot vouch for, with Where naming the part it was
// reading.
static void ReadDrawing(TMyCAD* Cad, TStream& Stream, TDrawing& D, TReadPlace& Where) {
  Where = TReadPlace();
  Stream.SetPosition(0);
  QByteArray header(kHeaderSize, '\0');
  Stream.ReadBuffer(header.data(), kHeaderSize);
  D.Version = TrimControls(DecodeStreamText(header.mid(kVersionOffset, kTagSize)));
  Cad->SetDiskFileVersion(D.Version);

  Where.Part = "the drawing's settings";
  D.Background = Stream.ReadLE<int32_t>();
  D.Width = Stream.ReadLE<int32_t>();
  D.Height = Stream.ReadLE<int32_t>();
  if (D.Width < 0 || D.Height < 0) throw EReadError("Invalid drawing size");
  D.Unit = EnumFromStored(Stream.ReadLE<uint8_t>(), TUnits::inch, TUnits::mm);
  const QByteArray picture = ReadBitmapBlob(Stream);
  if (!picture.isEmpty()) {
    // A background that does not decode is dropped; the drawing loads without it.
    D.BkBitmap = std::make_unique<TBitmap>();
    if (!LoadBlobPicture(Stream, picture, *D.BkBitmap)) D.BkBitmap.reset();
  }
  D.BkMode = EnumFromStored(static_cast<uint8_t>(Stream.ReadLE<int32_t>() & 0xFF), TBkBitmapMode::LeftTop, TBkBitmapMode::Center);
  D.Ratio = Stream.ReadDouble();

  Where.Part = "the layer table";
  const int32_t layers = Stream.ReadLE<int32_t>();
  if (layers < 0 || layers > 255 || layers * kMinLayerRecord > Stream.Remaining()) throw EReadError("Invalid layer count");
  D.Layers.reserve(static_cast<size_t>(layers));
  for (int32_t i = 0; i < layers; ++i) {
    LayerRec l;
    l.LayerName = ReadStreamText(Stream);
    l.LayerId = Stream.ReadLE<int32_t>();
    l.Visible = Stream.ReadLE<int32_t>() == 1;
    if (l.LayerId < 0 || l.LayerId >= kMaxStoredId) throw EReadError("Invalid layer id");
    D.Layers.push_back(l);
  }
  D.CurrentLayerId = Stream.ReadLE<int32_t>();

  Where.Part = "the shape count";
  const int32_t count = Stream.ReadLE<int32_t>();
  if (count < 0 || static_cast<int64_t>(count) * kTagSize > Stream.Remaining()) throw EReadError("Invalid shape count");
  D.Shapes.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    Where.Shape = i + 1;
    Where.Count = count;
    const QString tag = TrimControls(ReadStrBuffer(Stream, kTagSize));
    Where.Tag = tag;
    std::unique_ptr<TMyShape> s(TMyCAD::CreateShapeByName(tag, Cad));
    if (!s) throw EReadError(QStringLiteral("Unknown shape class \"%1\"").arg(tag).toStdString());
    s->LoadFromStream(Stream);
    s->CenterPoint = s->ComputeCenterPoint();
    D.Shapes.push_back(std::move(s));
  }

  std::vector<TMyShape*> shapes;
  shapes.reserve(D.Shapes.size());
  for (auto& s : D.Shapes) shapes.push_back(s.get());
  RepairRelations(shapes);
}

// Whether a generation label is one that later versions of the format would write: "ZK." and a
// digit or letter past the newest one this reader knows.
static bool IsNewerGeneration(const QString& Label, const QString& Newest) {
  static const QRegularExpression kLabel(QStringLiteral("^ZK\\.([0-9a-z]+)$"));
  const QRegularExpressionMatch m = kLabel.match(Label), n = kLabel.match(Newest);
  if (!m.hasMatch() || !n.hasMatch()) return false;
  const QString a = m.captured(1), b = n.captured(1);
  return a.size() != b.size() ? a.size() > b.size() : a > b;
}

// Reads a drawing stream into D; false (with the surface's disk file version and loading flag
// as they were, and Why saying what is wrong and where) when it cannot be read.
static bool ReadDrawingSafely(TMyCAD* Cad, TStream& Stream, TDrawing& D, QString& Why) {
  const QString version = Cad->DiskFileVersion();
  const bool loading = Cad->Loading();
  Cad->SetLoading(true);
  TReadPlace place;
  bool ok = false;
  try {
    ReadDrawing(Cad, Stream, D, place);
    ok = true;
  } catch (const std::exception& e) {
    D.Shapes.clear();
    int64_t at = 0, size = 0;
    try {
      at = Stream.Position();
      size = Stream.Size();
    } catch (...) {
    }
    if (IsNewerGeneration(D.Version, Cad->Version()))
      Why = QStringLiteral("it was written by a newer version (drawing generation \"%1\"; this version reads up to \"%2\")")
                .arg(D.Version, Cad->Version());
    else if (at >= size)
      Why = QStringLiteral("it ends early (after %1 bytes, in %2)").arg(size).arg(place.Text());
    else
      Why = QStringLiteral("it is damaged at byte %1, in %2: %3").arg(at).arg(place.Text(), QString::fromLocal8Bit(e.what()));
  } catch (...) {
    D.Shapes.clear();
    Why = QStringLiteral("it is damaged, in %1").arg(place.Text());
  }
  Cad->SetLoading(loading);
  if (!ok) Cad->SetDiskFileVersion(version);
  return ok;
}

bool TMyCAD::LoadFromStream(TStream& Stream) {
  TDrawing d;
  FLastFileError.clear();
  if (!ReadDrawingSafely(this, Stream, d, FLastFileError)) return false;
  TNotifyBatch batch(this, TNotifyBatch::Loaded);

  const bool loading = FLoading;
  FLoading = true;
  for (TMyShape* s : FMemShapes) delete s;
  FMemShapes.clear();
  FZoom = 1.0;
  DeSelectedAllShapesByCode();
  RemoveAllWorkingShapes();
  DeleteAllShapes();
  FLayers.clear();

  FDiskFileVersion = d.Version;
  FColorOfBackGround = d.Background;
  // The drawing's size, exactly as stored; the page follows from it.
  SetUnzoomedSize(d.Width, d.Height);
  FTheUNIT = d.Unit;
  SetBkBitmap(d.BkBitmap.get());
  FBkBitmapMode = d.BkMode;
  FRatio = d.Ratio;

  // The layer table: shapes on a layer the table lacks (or a drawing without any layer) get
  // one of that id, so nothing is lost and every shape stays reachable.
  FLayers = d.Layers;
  auto hasLayer = [this](int32_t Id) {
    return std::any_of(FLayers.begin(), FLayers.end(), [Id](const LayerRec& l) { return l.LayerId == Id; });
  };
  for (const auto& s : d.Shapes) {
    if (hasLayer(s->LayerId)) continue;
    if (FLayers.size() >= 255 || s->LayerId < 0 || s->LayerId >= kMaxStoredId) {
      s->LayerId = FLayers.empty() ? 0 : FLayers.front().LayerId;
      if (hasLayer(s->LayerId)) continue;
    }
    QString name = QStringLiteral("Layer%1").arg(s->LayerId);
    while (GetLayerIdByName(name) != -1) name += QLatin1Char('_');
    FLayers.push_back(LayerRec{name, s->LayerId, true});
  }
  if (FLayers.empty()) FLayers.push_back(LayerRec{QStringLiteral("Layer0"), 0, true});
  FCurrentLayerId = hasLayer(d.CurrentLayerId) ? d.CurrentLayerId : FLayers.front().LayerId;
  int32_t largestLayer = 0;
  for (const LayerRec& l : FLayers) largestLayer = std::max(largestLayer, l.LayerId);

  std::vector<TMyShape*> shapes;
  shapes.reserve(d.Shapes.size());
  for (auto& s : d.Shapes) shapes.push_back(s.get());
  const int32_t largestId = std::max(0, RepairShapeIds(shapes));
  FMyShapes.reserve(d.Shapes.size());
  for (size_t i = 0; i < d.Shapes.size(); ++i) AddShapeforLoadfromStream(static_cast<int32_t>(i), d.Shapes[i].release(), true);
  FNextShapeId = d.Shapes.empty() ? 1 : largestId + 1;
  FNextLayerId = largestLayer + 1;

  Invalidate();
  ClearAllUndoStuff();
  SetModified(false);
  FLoading = loading;
  return true;
}

bool TMyCAD::AddShapeforLoadfromStream(int32_t Index, TMyShape* Shape, bool KeepId) {
  if (!Shape || Index < 0 || Index > GetShapesCount()) return false;
  // AddShape reports a surface without layers and refuses the shape.
  if (!AddShape(Shape, true, KeepId)) return false;
  if (Index < GetShapesCount() - 1) {
    // Into its place: the shapes from Index on move one further.
    std::vector<int32_t> pos(FMyShapes.size());
    for (int32_t i = 0; i < GetShapesCount(); ++i) pos[static_cast<size_t>(i)] = i < Index ? i : i + 1;
    pos.back() = Index;
    PermuteShapes(pos);
  }
  return true;
}

QString TMyCAD::LastFileError() const { return FLastFileError; }

bool TMyCAD::IsVORNFile(const QString& FileName) {
  TFileStream f(FileName, fmOpenRead);
  QByteArray head(64, '\0');
  try {
    f.ReadBuffer(head.data(), head.size());
  } catch (const EReadError&) {
    return false;
  }
  return TrimControls(QString::fromLatin1(head)) == kProduct;
}

// Reads a drawing file whole into M (the loader then works on memory, not on a file byte by
// byte). False with Why set when it is no drawing or too large; a missing file raises
// EFOpenError, with Why set too.
static bool ReadDrawingFile(const QString& FileName, TMemoryStream& M, QString& Why) {
  try {
    if (!TMyCAD::IsVORNFile(FileName)) {
      Why = QStringLiteral("it is not a drawing file");
      return false;
    }
  } catch (const std::exception& e) {
    Why = QString::fromLocal8Bit(e.what());
    throw;
  }
  const int64_t size = QFileInfo(FileName).size();
  if (size > TMemoryStream::MaxSize) {
    Why = QStringLiteral("it is too large (%1 bytes; a drawing holds at most %2)").arg(size).arg(TMemoryStream::MaxSize);
    return false;
  }
  try {
    M.LoadFromFile(FileName);
  } catch (const std::exception& e) {
    Why = QStringLiteral("it cannot be read: %1").arg(QString::fromLocal8Bit(e.what()));
    return false;
  } catch (...) {
    Why = QStringLiteral("it cannot be read");
    return false;
  }
  return true;
}

bool TMyCAD::LoadFromFile(const QString& FileName) {
  FLastFileError.clear();
  TMemoryStream m;
  if (!ReadDrawingFile(FileName, m, FLastFileError)) return false;
  try {
    return LoadFromStream(m);
  } catch (...) {
    if (FLastFileError.isEmpty()) FLastFileError = QStringLiteral("it cannot be read");
    return false;
  }
}

// ---- Writing ----

bool TMyCAD::SaveToStream(TStream& Stream) {
  try {
    WriteField(Stream, kProduct, 64);
    WriteField(Stream, kDescription, 64);
    WriteField(Stream, FVersion, 16);
    WriteField(Stream, kBuildDate, 10);
    // 63 spaces in a 64-byte field: the last byte is the text's terminating zero.
    if (!WriteStrBuffer(Stream, QString(63, QLatin1Char(' ')), 64)) throw EWriteError("Stream write error");
    Stream.WriteLE<int32_t>(FColorOfBackGround);
    Stream.WriteLE<int32_t>(Round(UnzoomedWidth()));
    Stream.WriteLE<int32_t>(Round(UnzoomedHeight()));
    Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FTheUNIT));
    if (!WriteBitmapBuffer(Stream, FBkBitmap.Empty() ? nullptr : &FBkBitmap)) throw EWriteError("Stream write error");
    Stream.WriteLE<int32_t>(static_cast<int32_t>(FBkBitmapMode));
    Stream.WriteDouble(FRatio);
    Stream.WriteLE<int32_t>(static_cast<int32_t>(FLayers.size()));
    for (const LayerRec& l : FLayers) {
      WriteStreamText(Stream, l.LayerName);
      Stream.WriteLE<int32_t>(l.LayerId);
      Stream.WriteLE<int32_t>(l.Visible ? 1 : 0);
    }
    Stream.WriteLE<int32_t>(FCurrentLayerId);
    Stream.WriteLE<int32_t>(GetShapesCount());
    for (TMyShape* s : FMyShapes) {
      WriteField(Stream, s->ClassName(), kTagSize);
      s->SaveToStream(Stream);
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool TMyCAD::SaveToFileold(const QString& FileName) {
  FLastFileError.clear();
  try {
    // The drawing is put together in memory and written in one go; the file replaces the old
    // one only when all of it reached the disk.
    TMemoryStream m;
    if (!SaveToStream(m)) {
      FLastFileError = QStringLiteral("the drawing could not be put together in memory");
      return false;
    }
    TFileStream f(FileName, fmCreate);
    f.Write(m.Memory(), m.Size());
    if (f.Commit()) return true;
    FLastFileError = QStringLiteral("Cannot write file \"%1\". %2").arg(FileName, f.ErrorString());
  } catch (const std::exception& e) {
    FLastFileError = QString::fromLocal8Bit(e.what());
  } catch (...) {
    FLastFileError = QStringLiteral("Cannot write file \"%1\"").arg(FileName);
  }
  return false;
}

bool TMyCAD::SaveToFile(const QString& FileName) {
  if (!SaveToFileold(FileName)) return false;
  SetModified(false);
  return true;
}

// ---- Blocks ----

bool TMyCAD::AddBlockfromVORNFile(const QString& FileName, TBlockLayerMode Mode) {
  FLastFileError.clear();
  TMemoryStream m;
  if (!ReadDrawingFile(FileName, m, FLastFileError)) return false;
  bool ok = false;
  try {
    if (LoadFromStreamforBlock(m, Mode)) {
      PasteforBlock();
      ok = true;
    }
  } catch (...) {
    ok = false;
  }
  if (ok) {
    for (TMyShape* s : FMemShapes) delete s;
    FMemShapes.clear();
    SetModified(true);
  }
  return ok;
}

namespace {

// Groups of a block hand their style to their members once, as when it is set. The block's
// member numbers are positions in the block, so the members are looked up there: the drawing's
// own shapes at those positions are no business of the block.
void HandDownBlockStyles(const TArrMyShape& Block) {
  const int32_t n = static_cast<int32_t>(Block.size());
  std::vector<uint32_t> seen(Block.size(), 0);
  uint32_t stamp = 0;
  TArrMyShape members;
  std::vector<int32_t> todo;
  for (int32_t g = 0; g < n; ++g) {
    if (!Block[static_cast<size_t>(g)]->HasChildShapes()) continue;
    ++stamp;
    members.clear();
    todo.assign(1, g);
    seen[static_cast<size_t>(g)] = stamp;
    while (!todo.empty()) {
      TMyShape* s = Block[static_cast<size_t>(todo.back())];
      todo.pop_back();
      members.push_back(s);
      const auto& children = std::as_const(s->ChildShapes).Items();
      for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (*it >= 0 && *it < n && seen[static_cast<size_t>(*it)] != stamp) {
          seen[static_cast<size_t>(*it)] = stamp;
          todo.push_back(*it);
        }
    }
    Block[static_cast<size_t>(g)]->HandStyleTo(members);
  }
}

}  // namespace

bool TMyCAD::LoadFromStreamforBlock(TStream& Stream, TBlockLayerMode Mode) {
  TDrawing d;
  FLastFileError.clear();
  if (!ReadDrawingSafely(this, Stream, d, FLastFileError)) return false;
  // Shapes are added to the current layer or to layers made here from the block's; with no
  // layer on either side there is nowhere to put them, and the surface stays as it was.
  if (FLayers.empty() && (Mode == TBlockLayerMode::Merge || d.Layers.empty())) {
    FLastFileError = QStringLiteral("neither the drawing nor the block has a layer to put its shapes on");
    return false;
  }

  for (TMyShape* s : FMemShapes) delete s;
  FMemShapes.clear();
  DeSelectedAllShapesByCode();
  RemoveAllWorkingShapes();

  FDiskFileVersion = d.Version;
  FColorOfBackGround = d.Background;
  // The drawing grows to hold the block, never shrinks; the zoom stays as it is.
  if (d.Width > UnzoomedWidth() || d.Height > UnzoomedHeight())
    GrowUnzoomedSize(d.Width, d.Height);
  FTheUNIT = d.Unit;
  SetBkBitmap(d.BkBitmap.get());
  FBkBitmapMode = d.BkMode;
  FRatio = d.Ratio;

  // Each block layer (by position) becomes a surface layer. A new layer whose name is taken
  // already lands on the layer of that name; one that cannot be made lands on the current one.
  const int32_t blockLayers = static_cast<int32_t>(d.Layers.size());
  std::vector<int32_t> target(d.Layers.size(), FCurrentLayerId);
  auto makeLayer = [this](const LayerRec& l) {
    const QString name = QStringLiteral("Block") + l.LayerName;
    int32_t id = NewLayer(name, true);
    if (id < 0) id = GetLayerIdByName(name);
    return id >= 0 ? id : FCurrentLayerId;
  };
  if (Mode == TBlockLayerMode::Import) {
    const int32_t existing = GetLayersCount();
    for (int32_t k = 0; k < blockLayers; ++k)
      target[static_cast<size_t>(k)] = k < existing ? GetLayerIdByNo(k) : makeLayer(d.Layers[static_cast<size_t>(k)]);
  } else if (Mode == TBlockLayerMode::Append) {
    for (int32_t k = 0; k < blockLayers; ++k) target[static_cast<size_t>(k)] = makeLayer(d.Layers[static_cast<size_t>(k)]);
  }
  // A shape's block layer: Import compares layer ids as bytes, Append whole. A shape whose layer
  // the block does not list goes to the current layer.
  const bool bytes = Mode == TBlockLayerMode::Import;
  auto blockLayerPos = [&d, bytes](int32_t LayerId) {
    for (size_t k = 0; k < d.Layers.size(); ++k) {
      const int32_t id = d.Layers[k].LayerId;
      if (bytes ? static_cast<uint8_t>(id) == static_cast<uint8_t>(LayerId) : id == LayerId) return static_cast<int32_t>(k);
    }
    return -1;
  };

  for (size_t i = 0; i < d.Shapes.size(); ++i) {
    TMyShape* s = d.Shapes[i].release();
    s->ShapeId = FNextShapeId + static_cast<int32_t>(i);
    s->SetName(QString());
    if (Mode == TBlockLayerMode::Merge) {
      s->LayerId = FCurrentLayerId;
    } else {
      const int32_t k = blockLayerPos(s->LayerId);
      s->LayerId = k >= 0 ? target[static_cast<size_t>(k)] : FCurrentLayerId;
    }
    s->DrawGradient();
    FMemShapes.push_back(s);
  }
  ClearAllUndoStuff();
  HandDownBlockStyles(FMemShapes);
  return true;
}

// ---- Clipboard ----

void TMyCAD::Copy() {
  if (FWorkingShapes.empty()) return;
  for (TMyShape* s : FMemShapes) delete s;
  FMemShapes.clear();
  for (TMyShape* w : FWorkingShapes)
    WalkShapeTree(w, TWalk::ShapeFirst, [this](TMyShape* s) {
      if (TMyShape* copy = CreateShapeByName(s->ClassName(), this)) {
        copy->Assign(s);
        FMemShapes.push_back(copy);
      }
    });
}

void TMyCAD::Cut() {
  Copy();
  DeleteSelectedShapes();
}

// Adds copies of the memory shapes 4 units from where they were copied, renumbered to their
// new places; a number that names no memory shape is dropped (a connector end is detached).
static TArrMyShape PasteMemShapes(TMyCAD* Cad, const TArrMyShape& Mem, bool KeepLayer) {
  std::unordered_map<int32_t, int32_t> renumber;
  renumber.reserve(Mem.size());
  const int32_t base = Cad->GetShapesCount();
  for (size_t k = 0; k < Mem.size(); ++k) renumber.emplace(Mem[k]->ShapeNo, base + static_cast<int32_t>(k));
  const auto mapped = [&renumber](int32_t No) {
    const auto it = renumber.find(No);
    return it == renumber.end() ? -1 : it->second;
  };
  // The memory shapes themselves lose the connector numbers that lead nowhere.
  for (TMyShape* m : Mem) {
    std::erase_if(m->LinkShapes, [&](int32_t No) { return mapped(No) < 0; });
    if (auto* line = dynamic_cast<TMyLinkLine*>(m)) {
      if (line->StartSpNo() >= 0 && mapped(line->StartSpNo()) < 0) line->RemoveSrcLink();
      if (line->EndSpNo() >= 0 && mapped(line->EndSpNo()) < 0) line->RemoveDestLink();
    }
  }
  TArrMyShape added;
  for (TMyShape* m : Mem) {
    TMyShape* s = TMyCAD::CreateShapeByName(m->ClassName(), Cad);
    if (!s) continue;
    s->Assign(m);
    OffsetAllPoints(s, 4, 4);
    s->ShapeId = Cad->NextShapeId();
    s->SetName(QStringLiteral("Shape") + QString::number(s->ShapeId));
    TShapeRelations r = s->GetRelations();
    r.ParentNo = r.ParentNo < 0 ? -1 : mapped(r.ParentNo);
    std::vector<int32_t> members;
    for (int32_t c : r.ChildShapes)
      if (const int32_t m2 = mapped(c); m2 >= 0) members.push_back(m2);
    r.ChildShapes = std::move(members);
    TMyShapeNo links;
    for (int32_t l : r.LinkShapes)
      if (const int32_t m2 = mapped(l); m2 >= 0) links.push_back(m2);
    r.LinkShapes = std::move(links);
    if (r.StartSpNo >= 0) r.StartSpNo = mapped(r.StartSpNo);
    if (r.StartSpNo < 0) r.StartSpPtId = -1;
    if (r.EndSpNo >= 0) r.EndSpNo = mapped(r.EndSpNo);
    if (r.EndSpNo < 0) r.EndSpPtId = -1;
    r.ShapeNo = Cad->GetShapesCount();
    s->SetRelations(r);
    if (!Cad->AddShape(s, KeepLayer, false)) {
      delete s;
      break;
    }
    added.push_back(s);
  }
  // Skipped shapes would leave numbers that point past the list: the relations are made sound
  // again over the whole list (the pasted shapes are its tail).
  if (added.size() != Mem.size()) {
    std::vector<TMyShape*> all;
    for (int32_t i = 0; i < Cad->GetShapesCount(); ++i) all.push_back(Cad->GetShapeByNo(i));
    RepairRelations(all);
  }
  return added;
}

// Paste keeps nothing selected but the pasted shapes without a group (selected once all are
// in, so that a member never stands for its group), recorded as one step.
static void PasteAndSelect(TMyCAD* Cad, bool KeepLayer) {
  Cad->RemoveAllWorkingShapes();
  if (Cad->MemShapes().empty()) return;
  TArrMyShape roots;
  for (TMyShape* s : PasteMemShapes(Cad, Cad->MemShapes(), KeepLayer))
    if (!s->HasParentShape()) roots.push_back(s);
  for (TMyShape* s : roots) Cad->AddWorkingShapes(s);
  if (!roots.empty()) Cad->PushtoUndoRedoShapeList(roots, QStringLiteral("ACT_ADD"));
  Cad->SetModified(true);
  Cad->RepaintChanged();
}

void TMyCAD::Paste() {
  TNotifyBatch batch(this);
  PasteAndSelect(this, false);
}

void TMyCAD::PasteforBlock() { PasteAndSelect(this, true); }

}  // namespace cad
