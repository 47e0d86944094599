// TLibManager: one shape-library file held in memory as a byte buffer and edited in place.
//
// A library is a 10-byte tag followed by entries back to back, without count or index:
//   1 byte name length N, N bytes of name, 4 bytes body size B (the bytes after this field up to
//   the end of the entry), 4 bytes width W, 4 bytes height H, the user-data block (not in
//   libraries tagged before ".8"), 4 bytes shape count C, then C shape records each behind its
//   16-byte class tag.
// Shape geometry in an entry is stored relative to the box of its shapes (link points aside),
// divided by the box's rounded width and height; readers multiply by the entry's W and H.
// Shapes of class TMyLinkPoint mark the connection points of the combined shape an entry
// becomes when it is inserted into a drawing.
//
// Positions handed between the reading and writing operations are byte offsets into the buffer;
// each operation seeks to the position it is given and reports the length it read or wrote and
// the position after it. Sizes and counts read from the buffer are not trusted: a walk ends
// cleanly at an entry whose size leads outside the buffer, and an entry is read only from its
// own bytes.
#pragma once

#include "../core/geometry.h"
#include "../gfx/graphics.h"
#include "../gfx/streams.h"
#include "userdata.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace cad {

class TBitmap;
class TMyCAD;
class TMyShape;

using TArrMyShape = std::vector<TMyShape*>;
// Shapes read from a library, owned by whoever holds the array. They are made for the
// manager's private surface (their MyCAD), so they are used while the manager lives.
using TLibShapes = std::vector<std::unique_ptr<TMyShape>>;

class TLibManager {
public:
  // The tag every library is written with.
  static constexpr QLatin1String kNewestTag{"VORNLIBX.a"};
  static constexpr int kTagSize = 10;

  // An empty library: the 10 bytes of the newest tag.
  TLibManager();
  // The file's library under the newest tag: entries of an older generation are rewritten in the
  // newest layout (as the upgrades do), so that they read as what they are. A file that cannot
  // be read leaves the buffer empty and LibFileName empty.
  explicit TLibManager(const QString& FileName);
  ~TLibManager();
  TLibManager(const TLibManager&) = delete;
  TLibManager& operator=(const TLibManager&) = delete;

  // The shape-record generation ("ZK.a" ... "ZK.2") of the entries of a library with this tag;
  // empty for a tag that is no library.
  static QString RecordVersionOfTag(const QString& Tag);

  QString LibFileName() const { return FLibFileName; }
  // The whole library as it would be saved (before the tag is renewed).
  const QByteArray& Buffer() const { return FData; }

  // Replaces the buffer by the file's bytes (tag as it is). False, with LibFileName empty and
  // the buffer unchanged, when the file cannot be read.
  bool LoadFromFile(const QString& FileName);
  // The same from a stream (all of it, from its start); LibFileName stays as it is.
  bool LoadFromStream(TStream& Stream);
  // The same for a file of the old "VORNLIB2.1" format only (its bytes are kept as they are).
  bool LoadFromOldFile(const QString& FileName);
  // Brings the library to the newest generation (as the upgrades do; an entry that cannot be
  // read keeps its bytes) and writes it to the file atomically: the file is replaced only once
  // all of it is written. Throws EFCreateError, naming the file and the reason, when the file
  // cannot be created or written; the previous file is then left as it was. LibFileName stays.
  void SavetoFile(const QString& FileName);
  // An empty library with the newest tag.
  void Clear();

  // ---- Entries by index and name ----
  int32_t GetcmbShapesCount();
  int32_t cmbShapesCount() { return GetcmbShapesCount(); }
  // The name of entry Index (0-based), or empty text when there is none.
  QString GetCmbShapesNameByID(int32_t Index);
  // The first entry with the name (case-sensitive): its start and total length (1 + N + 4 + B).
  bool GetExistShape(const QString& Name, int64_t& Position, int64_t& Length);
  // Reads an entry: its shapes at the entry's size (Width x Height), its user data (cleared, then
  // filled from the entry when its generation stores user data; may be null) and, with
  // ExtractLinkPoints, the centres of its TMyLinkPoint shapes instead of those shapes. False when
  // there is no such entry or it cannot be read (the outputs are then empty).
  bool GetCmbShape(const QString& Name, TArrMyPoint& LinkPoints, TUserData* UserData, TLibShapes& Shapes,
                   int32_t& Width, int32_t& Height, bool ExtractLinkPoints);
  // The same (kept for the upgrades): every generation is read by its own layout.
  bool GetCmbShapeforX8(const QString& Name, TArrMyPoint& LinkPoints, TUserData* UserData, TLibShapes& Shapes,
                        int32_t& Width, int32_t& Height, bool ExtractLinkPoints);
  bool GetCmbShapeforX9(const QString& Name, TArrMyPoint& LinkPoints, TUserData* UserData, TLibShapes& Shapes,
                        int32_t& Width, int32_t& Height, bool ExtractLinkPoints);
  // A Size x Size preview (Size rounded) of the entry on a background of Color: its shapes
  // (link points aside) scaled by (Size - 2) / max(W, H) and centred. An entry that is missing or
  // cannot be read leaves the plain background.
  void GetCmbShapeImage(const QString& Name, double Size, TBitmap& Bitmap, TColor Color);

  // ---- Editing ----
  // Writes a new entry of the shapes (TMyLinkPoint shapes among them become its connection
  // points), the user data (null: none) and the nominal size (0 or less: the shapes' own box,
  // rounded) at the end, or in front of the entry that starts at or after Position. A group of
  // a surface's list brings its members along. The shapes are not changed. Names are not checked
  // for uniqueness; a name longer than 255 bytes is cut at a character.
  void AppendNewShape(const QString& Name, const TArrMyShape& Shapes, const TUserData* UserData, int32_t Width,
                      int32_t Height);
  void InsertNewShape(int64_t Position, const QString& Name, const TArrMyShape& Shapes, const TUserData* UserData,
                      int32_t Width, int32_t Height);
  // Replaces the first entry with the name, in its place; nothing happens when there is none.
  void RepalceExistShape(const QString& Name, const TArrMyShape& Shapes, const TUserData* UserData, int32_t Width,
                         int32_t Height);
  // Removes the first entry with the name; nothing happens when there is none.
  void DeleteShape(const QString& Name);
  // Gives the first entry named OldName the name NewName, in its place; false when there is none.
  bool RenameCmbShapeName(const QString& OldName, const QString& NewName);
  // Moves the first entry named Name in front of the first entry named Before (to the front when
  // Before is empty). False, with nothing changed, when either is missing or the entry cannot be
  // read.
  bool MoveCmbShapeBeforeByName(const QString& Name, const QString& Before);

  // ---- Upgrades: every entry read in the old layout and written in the newest ----
  // FileName is not used. Each converts whatever generation the buffer holds and leaves a library
  // with the newest tag; false when an entry could not be read (its bytes are kept as they are).
  bool Upgradefromx6tox8(const QString& FileName);
  bool Upgradefromx8tox9(const QString& FileName);
  bool Upgradefromx9toxa(const QString& FileName);
  // The buffer with its first 10 bytes replaced by the newest tag.
  void ReplaceoldTagwithNewTag();

  // ---- Fields at a position ----
  // The tag (empty, length 0 and position -1 for a buffer shorter than 10 bytes); also sets the
  // record generation the shape readers follow.
  void ReadLibTag(int64_t& Length, int64_t& Position, QString& Tag);
  bool WriteLibTag(int64_t& Length, int64_t& Position);
  // Reading past the end of the buffer gives what the buffer holds (an empty or short name, a
  // size of -1, false for the other fields).
  QString ReadCmbShapeName(int64_t Position, int64_t& Length, int64_t& NextPosition);
  bool WriteCmbShapeName(const QString& Name, int64_t Position, int64_t& Length, int64_t& NextPosition);
  int32_t ReadCmbShapeSize(int64_t Position, int64_t& Length, int64_t& NextPosition);
  bool WriteCmbShapeSize(int32_t Size, int64_t Position, int64_t& Length, int64_t& NextPosition);
  bool ReadWidthHeight(int64_t Position, int32_t& Width, int32_t& Height, int64_t& Length, int64_t& NextPosition);
  bool WriteWidthHeight(int32_t Width, int32_t Height, int64_t Position, int64_t& Length, int64_t& NextPosition);
  // Reads the user-data block when the current record generation stores one (".8" and later),
  // into UserData after clearing it; reads nothing (length 0) otherwise.
  bool ReadUserDataRecords(int64_t Position, TUserData* UserData, int64_t& Length, int64_t& NextPosition);
  bool WriteUserDataRecords(const TUserData* UserData, int64_t Position, int64_t& Length, int64_t& NextPosition);
  bool ReadShapes(TLibShapes& Shapes, TArrMyPoint& LinkPoints, int64_t Position, int64_t& Length,
                  int64_t& NextPosition, int32_t Width, int32_t Height, bool ExtractLinkPoints);
  // Writes the count and the records of copies of the shapes (and of the members of their
  // groups), normalised to their box; Width and Height receive the box's rounded size (at least
  // 1). The shapes themselves are not changed.
  bool WriteShapes(const TArrMyShape& Shapes, int32_t& Width, int32_t& Height, int64_t Position, int64_t& Length,
                   int64_t& NextPosition);

  // The stream primitives of the same names.
  static QString ReadStrBuffer(TStream& Stream, uint8_t Len);
  static bool WriteStrBuffer(TStream& Stream, const QString& Text, uint8_t Len);

private:
  struct TEntry {
    int64_t Start = 0;  // the name length byte
    int64_t Body = 0;   // the first byte after the body size
    int64_t End = 0;    // the first byte after the entry
    QString Name;
  };

  // The entries met walking from the tag, kept until the buffer changes.
  const std::vector<TEntry>& Entries();
  void BufferChanged() { FIndexValid = false; }
  // A stream over the entry's bytes alone (position 0 is its start).
  TMemoryStream EntryView(const TEntry& E) const;
  // The entry of the first name match, or -1.
  int32_t IndexOf(const QString& Name);
  bool ReadEntry(const TEntry& E, TArrMyPoint& LinkPoints, TUserData* UserData, TLibShapes& Shapes, int32_t& Width,
                 int32_t& Height, bool ExtractLinkPoints);
  // The shape count and records at the stream's position, and their writer (copies of the
  // shapes, normalised to their box, whose rounded size Width and Height receive). Both throw
  // the stream's errors.
  void ReadShapesFrom(TStream& Stream, TLibShapes& Shapes, TArrMyPoint& LinkPoints, int32_t Width, int32_t Height,
                      bool ExtractLinkPoints);
  void WriteShapesTo(TStream& Stream, const TArrMyShape& Shapes, int32_t& Width, int32_t& Height);
  // The bytes of a whole entry in the newest layout.
  QByteArray EntryBytes(const QString& Name, const TArrMyShape& Shapes, const TUserData* UserData, int32_t Width,
                        int32_t Height);
  // Rewrites every entry in the newest layout and renews the tag; false when an entry could not
  // be read (its bytes are kept as they are).
  bool ConvertToNewest();
  // Before an entry is written: a buffer without a tag becomes an empty library, one of an older
  // generation is converted, so that every entry keeps the layout its tag says.
  void PrepareForEdit();
  // Sets the record generation the shape readers follow from the buffer's tag.
  void FollowTag();
  void ReplaceBytes(int64_t Position, int64_t Length, const QByteArray& With);

  QString FLibFileName;
  QByteArray FData;
  std::unique_ptr<TMyCAD> FCAD;
  std::vector<TEntry> FIndex;
  // The first entry of each name, built with the index.
  QHash<QString, int32_t> FFirstByName;
  bool FIndexValid = false;
};

}  // namespace cad
