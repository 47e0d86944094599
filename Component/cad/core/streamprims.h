// Stream primitives shared by every binary format of the component: fixed-width text fields,
// length-prefixed texts, bitmap blobs, the ten-byte library signatures and the picture loader.
//
// Text is held as QString in memory and as bytes in streams: writers write Latin-1 when it holds
// the text and UTF-8 otherwise; readers decode UTF-8 when the bytes are valid UTF-8 and Latin-1
// otherwise, so files with legacy single-byte text load and save back byte for byte.
#pragma once

#include "../gfx/bitmap.h"
#include "../gfx/streams.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace cad {

// Raised by LoadGraphicsFile for a file type it does not handle.
class EAssertionFailed : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

// Bytes of a stream text field to QString: UTF-8 when the bytes are valid UTF-8 (plain ASCII
// reads the same either way), else Latin-1, one character per byte.
QString DecodeStreamText(const QByteArray& Bytes);
// QString to the bytes written to a stream: Latin-1 when every character fits one byte (exactly
// the single-byte text of older files, so their bytes survive being read and written back),
// UTF-8 otherwise.
QByteArray EncodeStreamText(const QString& Text);

// An enumeration stored as its ordinal in one byte: values past Last (damaged or foreign data)
// read as Default, so nothing later meets a value the enumeration does not have.
template <typename E>
E EnumFromStored(uint8_t Value, E Last, E Default) {
  return Value <= static_cast<uint8_t>(Last) ? static_cast<E>(Value) : Default;
}

// A 10-byte extended-precision real (64-bit mantissa with explicit integer bit, 15-bit biased
// exponent, sign; little-endian), decoded arithmetically so that it reads the same on every
// processor.
long double DecodeExtended(const uint8_t (&Bytes)[10]);
long double ReadExtended(TStream& Stream);
// A value narrowed to single precision; values beyond its range become infinities.
float ToSingle(long double Value);

// ---- Fixed-width text fields ----

// Reads exactly Len bytes as a text (nothing trimmed). Bytes past the end of the stream read as
// 0x00; the length never comes from the stream.
QString ReadStrBuffer(TStream& Stream, uint8_t Len);
// Writes the first Len bytes of the text. The caller pads the text (AppendSpace); a text whose
// encoding is shorter than Len is completed with 0x00 bytes (one such byte is the reserved
// header field's terminator). A multi-byte character that does not fit whole is replaced by
// spaces rather than cut. False when writing failed (the stream may hold a partial field).
bool WriteStrBuffer(TStream& Stream, const QString& Text, uint8_t Len);
// The text with (Width - length + 1) spaces appended when it is no longer than Width; a longer
// text comes back unchanged.
QString AppendSpace(const QString& Text, int Width);

// ---- Length-prefixed texts (shape records, user data) ----
//
// A text of up to 255 bytes is a signed 32-bit byte count followed by the bytes. Readers use
// only the count's low byte, so a count of 256 or more cannot carry its text; such texts are
// written with the negated byte count instead (-N, then all N bytes). Files written before
// never hold a negative count, so the two forms cannot be mistaken for each other, and a file
// with only short texts stays byte for byte what it always was. A non-negative count is read the
// traditional way (count mod 256 bytes).
void WriteStreamText(TStream& Stream, const QString& Text);
// Throws EReadError when the stream ends early or the count is impossible.
QString ReadStreamText(TStream& Stream);

// ---- Bitmap blobs ----

// An 8-byte signed count followed by that many bytes of an encoded picture: the bytes the
// bitmap was loaded from while it is unchanged, else BMP; 8 zero bytes for an absent or empty
// bitmap. False when writing failed.
bool WriteBitmapBuffer(TStream& Stream, const TBitmap* Bitmap);
// A blob of already encoded bytes (8 zero bytes for none); throws when writing fails.
void WriteBitmapBlob(TStream& Stream, const QByteArray& Data);
// Reads a blob. A positive count puts a new bitmap into Bitmap (the one it held is freed) and
// loads it from the blob; a zero count leaves Bitmap as it was. False on a short stream, a
// negative count or a picture that cannot be decoded; the new bitmap then stays in Bitmap.
// A count larger than the rest of the stream fails before anything is allocated for it.
bool ReadBitmapBuffer(TStream& Stream, std::unique_ptr<TBitmap>& Bitmap);
// The blob's bytes: empty for a zero count. Throws EReadError for a negative count or one
// the stream cannot hold; on success the stream stands after the blob.
QByteArray ReadBitmapBlob(TStream& Stream);
// Decodes a blob read from Stream into Bitmap within what the stream's pixel allowance still
// holds, and takes the picture's pixels from it. False (Bitmap unchanged) when the bytes are no
// picture or a larger one than the allowance left.
bool LoadBlobPicture(TStream& Stream, const QByteArray& Blob, TBitmap& Bitmap);

// ---- Library signatures (the first 10 bytes of a library file) ----
// A file that cannot be opened raises EFOpenError; a file shorter than 10 bytes is no library.
bool IsVORNLibFile(const QString& FileName);
bool IsVORNLibFileX9(const QString& FileName);
bool IsVORNLibFileX8(const QString& FileName);
bool IsVORNLibFileX67(const QString& FileName);
bool IsVORNLibX2File(const QString& FileName);
bool IsOLDVORNLibFile(const QString& FileName);

// ---- Pictures ----
// A new bitmap for the file: a 32 x 32 red cross when the file does not exist; BMP files are
// loaded (a failure raises), icons are drawn onto the bitmap (a failure is absorbed), the
// metafile and JPEG types give an empty bitmap. Any other type raises EAssertionFailed.
std::unique_ptr<TBitmap> LoadGraphicsFile(const QString& FileName);

}  // namespace cad
