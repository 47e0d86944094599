// Byte streams: a memory stream and a file stream behind one interface, with little-endian
// number helpers. ReadBuffer and WriteBuffer throw on a short transfer; opening or creating a
// file throws an exception naming the file and the reason. A file opened for creation is
// written to a temporary file beside the target and only replaces it on Commit(), so a failed
// or interrupted save never leaves a half-written file in place of a good one.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>

class QFileDevice;
class QSaveFile;

namespace cad {

class EStreamError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
class EReadError : public EStreamError {
public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
  using EStreamError::EStreamError;
};

namespace detail {
template <typename T, bool = std::is_enum_v<T>>
struct RawInt {
  using type = std::make_unsigned_t<T>;
};
template <typename T>
struct RawInt<T, true> {
  using type = std::make_unsigned_t<std::underlying_type_t<T>>;
};
}  // namespace detail

enum class TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

// Puts a file written through QSaveFile in place of its target, or discards it. Everything
// still buffered is written out and checked first: a write that fails there (a full disk) must
// cancel the replacement, not end in a truncated file reported as saved. False when the old
// file stays, with the device's reason in Why when given.
bool CommitSaveFile(QSaveFile& File, QString* Why = nullptr);

// Seeking to a position that a 64-bit offset cannot express (or before overflowing one) fails
// with EStreamError; positions before the start become the start, as they always did.
class TStream {
public:
  virtual ~TStream() = default;
  // Transfer up to Count bytes; return how many were transferred.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  virtual int64_t Size() const = 0;
  virtual void SetSize(int64_t NewSize) = 0;

  int64_t Position() const { return const_cast<TStream*>(this)->Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
  // Bytes between the position and the end: the most any count read from here can justify.
  int64_t Remaining() const { return std::max<int64_t>(0, Size() - Position()); }

  // Some things readers build are claimed by a few bytes and not carried by them: points stored
  // as a count alone, the pixels of a compressed picture or of a shape's gradient. Each kind
  // draws on an allowance that covers one reading of the whole stream, so that a claim repeated
  // record after record cannot make the readers allocate without bound:
  //   Points  one per byte of the stream, and at least kPointsFloor
  //   Pixels  kPixelsPerByte per byte of the stream, and kPixelsFloor (one picture of the
  //           largest size) besides
  // Readers read on between claims, so a claim made where the last one was, or before it,
  // starts a new reading, with the full allowances again; so do new contents.
  enum class TClaim : uint8_t { Points, Pixels };
  static constexpr int64_t kPointsFloor = 65536;
  static constexpr int64_t kPixelsFloor = int64_t{64} * 1024 * 1024;
  static constexpr int64_t kPixelsPerByte = 64;
  // What is left of the allowance at the current position.
  int64_t ClaimLeft(TClaim Kind) const;
  // Takes Count from the allowance; EReadError when less is left.
  void Claim(TClaim Kind, int64_t Count);

  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source (all of it from its start when Count is 0).
  int64_t CopyFrom(TStream& Source, int64_t Count);

  // Little-endian numbers, written and read byte by byte.
  template <typename T>
  void WriteLE(T Value) {
    static_assert(std::is_integral_v<T> || std::is_enum_v<T>);
    using U = typename detail::RawInt<T>::type;
    U v = static_cast<U>(Value);
    uint8_t b[sizeof(U)];
    for (size_t i = 0; i < sizeof(U); ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    WriteBuffer(b, sizeof(U));
  }
  template <typename T>
  T ReadLE() {
    static_assert(std::is_integral_v<T> || std::is_enum_v<T>);
    using U = typename detail::RawInt<T>::type;
    uint8_t b[sizeof(U)];
    ReadBuffer(b, sizeof(U));
    U v = 0;
    for (size_t i = 0; i < sizeof(U); ++i) v |= static_cast<U>(static_cast<U>(b[i]) << (8 * i));
    return static_cast<T>(v);
  }
  void WriteSingle(float Value);
  float ReadSingle();
  void WriteDouble(double Value);
  double ReadDouble();

protected:
  // For streams given new contents: what was claimed of the old ones is forgotten.
  void ForgetClaims() {
    FClaimPosition = -1;
    FClaimed[0] = FClaimed[1] = 0;
  }

private:
  int64_t FClaimPosition = -1;
  int64_t FClaimed[2] = {0, 0};
};

class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(QByteArray Data) : FData(std::move(Data)) {}
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() const override { return FData.size(); }
  void SetSize(int64_t NewSize) override;

  // The most a memory stream holds: writing or sizing past it fails with the stream's error
  // (a write far past the end would otherwise try to allocate everything up to it).
  static constexpr int64_t MaxSize = (int64_t{1} << 31) - 1;

  const QByteArray& Data() const { return FData; }
  const char* Memory() const { return FData.constData(); }
  void Clear();
  void LoadFromStream(TStream& Source);
  void SaveToStream(TStream& Dest) const;
  void LoadFromFile(const QString& FileName);
  // Replaces the file atomically; throws EFCreateError when it cannot be written.
  void SaveToFile(const QString& FileName) const;

private:
  QByteArray FData;
  int64_t FPosition = 0;
};

enum TFileMode : uint16_t { fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002, fmCreate = 0xFF00 };

class TFileStream : public TStream {
public:
  TFileStream(const QString& FileName, uint16_t Mode);
  ~TFileStream() override;
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() const override;
  void SetSize(int64_t NewSize) override;

  QString FileName() const { return FFileName; }
  // For fmCreate: puts the written file in place of the target. Without it the destructor
  // discards what was written and the target stays as it was. Returns false on failure.
  bool Commit();
  // Why the last write or Commit failed, in the system's words ("No space left on device");
  // empty when nothing failed.
  QString ErrorString() const { return FError; }

private:
  // Notes the reason for a failure (Err: errno right after it), the first one only.
  void NoteFailure(int Err);

  QString FFileName;
  QString FError;
  std::unique_ptr<QFileDevice> FFile;
  bool FCreating = false;
  bool FFailed = false;
};

}  // namespace cad
