#include "streams.h"

#include <cerrno>
#include <cstring>

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <bit>

namespace cad {

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  if (Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count <= 0) return;
  if (Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  char buf[64 * 1024];
  int64_t left = Count;
  while (left > 0) {
    const int64_t n = std::min<int64_t>(left, sizeof buf);
    Source.ReadBuffer(buf, n);
    WriteBuffer(buf, n);
    left -= n;
  }
  return Count;
}

int64_t TStream::ClaimLeft(TClaim Kind) const {
  const int64_t size = Size();
  const int64_t allowance = Kind == TClaim::Points ? std::max(size, kPointsFloor) : kPixelsFloor + size * kPixelsPerByte;
  const int64_t claimed = Position() <= FClaimPosition ? 0 : FClaimed[static_cast<size_t>(Kind)];
  return std::max<int64_t>(0, allowance - claimed);
}

void TStream::Claim(TClaim Kind, int64_t Count) {
  if (Count <= 0) return;
  if (Count > ClaimLeft(Kind)) throw EReadError("The stream claims more than its bytes can justify");
  const int64_t at = Position();
  if (at <= FClaimPosition) FClaimed[0] = FClaimed[1] = 0;
  FClaimPosition = at;
  FClaimed[static_cast<size_t>(Kind)] += Count;
}

void TStream::WriteSingle(float Value) { WriteLE(std::bit_cast<uint32_t>(Value)); }
float TStream::ReadSingle() { return std::bit_cast<float>(ReadLE<uint32_t>()); }
void TStream::WriteDouble(double Value) { WriteLE(std::bit_cast<uint64_t>(Value)); }
double TStream::ReadDouble() { return std::bit_cast<double>(ReadLE<uint64_t>()); }

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition >= FData.size()) return 0;
  const int64_t n = std::min<int64_t>(Count, FData.size() - FPosition);
  std::memcpy(Buffer, FData.constData() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

namespace {
// Where a seek lands: Offset from Base, or an error when that is past what 64 bits hold.
int64_t SeekTarget(int64_t Base, int64_t Offset) {
  int64_t p;
  if (__builtin_add_overflow(Base, Offset, &p)) throw EStreamError("Stream seek error: position out of range");
  return std::max<int64_t>(0, p);
}
}  // namespace

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (FPosition > MaxSize || Count > MaxSize - FPosition) return 0;  // a short write: the caller reports it
  const int64_t end = FPosition + Count;
  if (end > FData.size()) FData.resize(static_cast<qsizetype>(end));
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t base = Origin == TSeekOrigin::soCurrent ? FPosition : Origin == TSeekOrigin::soEnd ? FData.size() : 0;
  FPosition = SeekTarget(base, Offset);
  return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize > MaxSize) throw EWriteError("Stream write error: size out of range");
  FData.resize(static_cast<qsizetype>(std::max<int64_t>(0, NewSize)));
  FPosition = std::min<int64_t>(FPosition, FData.size());
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
  ForgetClaims();
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  const int64_t n = Source.Size();
  if (n > MaxSize) throw EReadError("Stream read error: too large for memory");
  FData.resize(static_cast<qsizetype>(n));
  FPosition = 0;
  ForgetClaims();
  Source.ReadBuffer(FData.data(), n);
}

void TMemoryStream::SaveToStream(TStream& Dest) const { Dest.WriteBuffer(FData.constData(), FData.size()); }

void TMemoryStream::LoadFromFile(const QString& FileName) {
  TFileStream f(FileName, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const QString& FileName) const {
  TFileStream f(FileName, fmCreate);
  SaveToStream(f);
  if (!f.Commit()) throw EFCreateError(QStringLiteral("Cannot write file \"%1\"").arg(FileName).toStdString());
}

TFileStream::TFileStream(const QString& FileName, uint16_t Mode) : FFileName(FileName) {
  if (Mode == fmCreate) {
    auto f = std::make_unique<QSaveFile>(FileName);
    if (!f->open(QIODevice::WriteOnly))
      throw EFCreateError(
          QStringLiteral("Cannot create file \"%1\". %2").arg(FileName, f->errorString()).toStdString());
    FFile = std::move(f);
    FCreating = true;
    return;
  }
  auto f = std::make_unique<QFile>(FileName);
  QIODevice::OpenMode m = QIODevice::ReadOnly;
  if ((Mode & 3) == fmOpenWrite) m = QIODevice::WriteOnly | QIODevice::ExistingOnly;
  if ((Mode & 3) == fmOpenReadWrite) m = QIODevice::ReadWrite | QIODevice::ExistingOnly;
  if (!f->open(m))
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, f->errorString()).toStdString());
  FFile = std::move(f);
}

TFileStream::~TFileStream() {
  if (FCreating && FFile) static_cast<QSaveFile*>(FFile.get())->cancelWriting();
}

// Why a file operation failed: the system's reason when errno holds one (the device does not
// always keep it: a failed write may leave "Unknown error"), else the device's.
static QString FailureReason(int Err, const QFileDevice& File) {
  return Err != 0 ? QString::fromLocal8Bit(std::strerror(Err)) : File.errorString();
}

bool CommitSaveFile(QSaveFile& File, QString* Why) {
  errno = 0;
  if (!File.flush() || File.error() != QFileDevice::NoError) {
    // The reason, before cancelling replaces the device's with its own.
    const int err = errno;
    if (Why) *Why = FailureReason(err, File);
    File.cancelWriting();
    return false;
  }
  errno = 0;
  if (File.commit()) return true;
  const int err = errno;
  if (Why) *Why = FailureReason(err, File);
  return false;
}

bool TFileStream::Commit() {
  if (!FCreating || !FFile) return !FFailed;
  auto* f = static_cast<QSaveFile*>(FFile.get());
  FCreating = false;
  if (FFailed) {
    f->cancelWriting();
    return false;
  }
  QString why;
  if (CommitSaveFile(*f, &why)) return true;
  FFailed = true;
  if (FError.isEmpty()) FError = why;
  NoteFailure(0);
  return false;
}

void TFileStream::NoteFailure(int Err) {
  if (FError.isEmpty()) FError = FailureReason(Err, *FFile);
  if (FError.isEmpty()) FError = QStringLiteral("the file could not be written");
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const int64_t n = FFile->read(static_cast<char*>(Buffer), Count);
  return n < 0 ? 0 : n;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  errno = 0;
  const int64_t n = FFile->write(static_cast<const char*>(Buffer), Count);
  if (n != Count) {
    FFailed = true;
    NoteFailure(errno);
  }
  return n < 0 ? 0 : n;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t base = Origin == TSeekOrigin::soCurrent ? FFile->pos() : Origin == TSeekOrigin::soEnd ? FFile->size() : 0;
  FFile->seek(SeekTarget(base, Offset));
  return FFile->pos();
}

int64_t TFileStream::Size() const { return FFile->size(); }

void TFileStream::SetSize(int64_t NewSize) {
  errno = 0;
  if (!FFile->resize(std::max<int64_t>(0, NewSize))) {
    FFailed = true;
    NoteFailure(errno);
  }
}

}  // namespace cad
