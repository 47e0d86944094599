// The common shape record: what TMyShape writes and reads in front of each kind's own fields.
//
// Writers produce the newest generation ("ZK.a"). Readers follow the generation label of the
// stream being read, which the surface keeps as its disk file version:
//   ZK.2          point and link-point lists hold counts only (points at (0, 0)); the text point
//                 is two 10-byte extended reals; no Tag and no Angle
//   ZK.3 .. ZK.5  every coordinate and the angle are 10-byte extended reals
//   ZK.2 .. ZK.5  two more bytes after the gradient style
//   ZK.7          no reserved pair after the font style
//   ZK.8 and on   the user-data block
//   ZK.9 and on   the flip flags and Visible
// Any other label reads like ZK.6: singles, reserved pair, nothing of the later additions.
//
// No count in the stream is trusted: each one is checked against the bytes left before anything
// is allocated for it, and an impossible one raises the stream's read error.
#include "../core/streamprims.h"
#include "../gfx/streams.h"
#include "../surface/mycad.h"
#include "shape.h"

namespace cad {

namespace {

// Generation-dependent parts of the record.
struct RecordLayout {
  bool CountsOnly = false;     // ZK.2: point lists without coordinates, no Tag and Angle
  bool ExtendedReals = false;  // ZK.3 .. ZK.5
  bool ReservedPair = true;    // all but ZK.7
  bool TwoExtraBytes = false;  // ZK.2 .. ZK.5
  bool UserData = false;       // ZK.8, ZK.9, ZK.a
  bool Flags = false;          // ZK.9, ZK.a
};

RecordLayout LayoutOf(const QString& Version) {
  auto is = [&Version](const char* v) { return Version == QLatin1String(v); };
  RecordLayout l;
  l.CountsOnly = is("ZK.2");
  l.ExtendedReals = is("ZK.3") || is("ZK.4") || is("ZK.5");
  l.ReservedPair = !is("ZK.7");
  l.TwoExtraBytes = l.CountsOnly || l.ExtendedReals;
  l.UserData = is("ZK.8") || is("ZK.9") || is("ZK.a");
  l.Flags = is("ZK.9") || is("ZK.a");
  return l;
}

// Points listed by count alone (ZK.2) take no bytes, so the stream cannot vouch for their
// number; no real drawing comes near this many points on one shape.
constexpr int32_t kMaxUnbackedPoints = 1 << 16;

// A count followed by items of ItemSize bytes each: refused when negative or when the rest of
// the stream cannot hold that many items. Items without bytes (ItemSize 0) are taken from the
// stream's allowance of points, which all the records of the stream share.
int32_t ReadCount(TStream& Stream, int64_t ItemSize) {
  const int32_t n = Stream.ReadLE<int32_t>();
  if (n < 0 || (ItemSize > 0 && static_cast<int64_t>(n) * ItemSize > Stream.Remaining()))
    throw EReadError("Invalid count in shape record");
  if (ItemSize == 0) {
    if (n > kMaxUnbackedPoints) throw EReadError("Invalid count in shape record");
    Stream.Claim(TStream::TClaim::Points, n);
  }
  return n;
}

float ReadCoordinate(TStream& Stream, const RecordLayout& L) {
  return L.ExtendedReals ? ToSingle(ReadExtended(Stream)) : Stream.ReadSingle();
}

void ReadPointList(TStream& Stream, const RecordLayout& L, TArrMyPoint& Points) {
  const int64_t itemSize = L.CountsOnly ? 0 : (L.ExtendedReals ? 20 : 8);
  const int32_t n = ReadCount(Stream, itemSize);
  Points.assign(static_cast<size_t>(n), TMyPoint{});
  if (L.CountsOnly) return;
  for (TMyPoint& p : Points) {
    p.X = ReadCoordinate(Stream, L);
    p.Y = ReadCoordinate(Stream, L);
  }
}

void ReadShapeNumbers(TStream& Stream, TMyShapeNo& Numbers) {
  const int32_t n = ReadCount(Stream, 4);
  Numbers.assign(static_cast<size_t>(n), 0);
  for (int32_t& v : Numbers) v = Stream.ReadLE<int32_t>();
}

void WritePointList(TStream& Stream, const TArrMyPoint& Points) {
  Stream.WriteLE<int32_t>(static_cast<int32_t>(Points.size()));
  for (const TMyPoint& p : Points) {
    Stream.WriteSingle(p.X);
    Stream.WriteSingle(p.Y);
  }
}

void WriteShapeNumbers(TStream& Stream, const TMyShapeNo& Numbers) {
  Stream.WriteLE<int32_t>(static_cast<int32_t>(Numbers.size()));
  for (int32_t v : Numbers) Stream.WriteLE<int32_t>(v);
}

// Pen modes are stored with the ordinals of the full sixteen-mode set; the modes the canvas
// does not have (the merge and mask families) load as plain copy.
uint8_t PenModeToStored(TPenMode Mode) {
  switch (Mode) {
    case TPenMode::pmXor: return 14;
    case TPenMode::pmNotXor: return 15;
    default: return static_cast<uint8_t>(Mode);
  }
}

TPenMode PenModeFromStored(uint8_t Value) {
  if (Value <= static_cast<uint8_t>(TPenMode::pmNotCopy)) return static_cast<TPenMode>(Value);
  if (Value == 14) return TPenMode::pmXor;
  if (Value == 15) return TPenMode::pmNotXor;
  return TPenMode::pmCopy;
}

}  // namespace

QString TMyShape::RecordVersion() const { return MyCAD ? MyCAD->DiskFileVersion() : QStringLiteral("ZK.a"); }

void TMyShape::SaveToStream(TStream& Stream) {
  WriteStreamText(Stream, FName);
  Stream.WriteLE<int32_t>(ShapeId);
  Stream.WriteLE<int32_t>(ShapeNo);
  Stream.WriteLE<int32_t>(LayerId);
  Stream.WriteLE<int32_t>(ParentNo);
  WriteShapeNumbers(Stream, ChildShapes);
  WriteShapeNumbers(Stream, LinkShapes);
  WritePointList(Stream, Points);
  WritePointList(Stream, LinkPoints);
  Stream.WriteSingle(TextPoint.X);
  Stream.WriteSingle(TextPoint.Y);
  Stream.WriteLE<int32_t>(FTag);
  Stream.WriteSingle(FAngle);

  // A pattern read from a file goes back as the bytes it came as.
  if (!FBrush.BitmapData().isEmpty()) {
    WriteBitmapBlob(Stream, FBrush.BitmapData());
  } else {
    TBitmap brushBitmap;
    brushBitmap.SetImage(FBrush.Bitmap());
    if (!WriteBitmapBuffer(Stream, brushBitmap.Empty() ? nullptr : &brushBitmap))
      throw EWriteError("Stream write error");
  }
  Stream.WriteLE<int32_t>(FBrush.Color());
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FBrush.Style()));

  WriteStreamText(Stream, FCaption);
  Stream.WriteLE<int32_t>(FColorBegin);
  Stream.WriteLE<int32_t>(FColorEnd);

  WriteStreamText(Stream, FFont.Name());
  Stream.WriteLE<uint8_t>(FFont.Charset());
  Stream.WriteLE<int32_t>(FFont.Color());
  Stream.WriteLE<int32_t>(FFont.Height());
  Stream.WriteLE<int32_t>(FFont.Size());
  Stream.WriteLE<uint8_t>(FFont.Pitch());
  Stream.WriteLE<int32_t>(FFont.Resolution());
  Stream.WriteLE<uint8_t>(FFont.Style());
  Stream.WriteLE<int32_t>(0);
  Stream.WriteLE<int32_t>(0);

  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FGradientStyle));
  WriteStreamText(Stream, FInfo);
  Stream.WriteLE<int32_t>(FPen.Color());
  Stream.WriteLE<uint8_t>(PenModeToStored(FPen.Mode()));
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FPen.Style()));
  Stream.WriteLE<int32_t>(FPen.Width());

  FUserData->WriteToStream(Stream);
  Stream.WriteLE<uint8_t>(FIsFlipHorz ? 1 : 0);
  Stream.WriteLE<uint8_t>(FIsFlipVert ? 1 : 0);
  Stream.WriteLE<uint8_t>(FVisible ? 1 : 0);
}

void TMyShape::LoadFromStream(TStream& Stream) {
  const RecordLayout l = LayoutOf(RecordVersion());

  // A record is refused like any other damaged one when its name is not a valid name.
  try {
    SetName(ReadStreamText(Stream));
  } catch (const EComponentError& e) {
    throw EReadError(e.what());
  }
  ShapeId = Stream.ReadLE<int32_t>();
  ShapeNo = Stream.ReadLE<int32_t>();
  LayerId = Stream.ReadLE<int32_t>();
  ParentNo = Stream.ReadLE<int32_t>();
  ReadShapeNumbers(Stream, ChildShapes.Edit());
  ReadShapeNumbers(Stream, LinkShapes);
  ReadPointList(Stream, l, Points.Edit());
  ReadPointList(Stream, l, LinkPoints.Edit());
  if (l.CountsOnly) {
    TextPoint.X = ToSingle(ReadExtended(Stream));
    TextPoint.Y = ToSingle(ReadExtended(Stream));
  } else {
    TextPoint.X = ReadCoordinate(Stream, l);
    TextPoint.Y = ReadCoordinate(Stream, l);
    FTag = Stream.ReadLE<int32_t>();
    SetAngleValue(ReadCoordinate(Stream, l));
  }

  // A blob that is there but does not decode is skipped whole; the brush keeps its pattern.
  const QByteArray blob = ReadBitmapBlob(Stream);
  if (!blob.isEmpty()) {
    TBitmap pattern;
    if (LoadBlobPicture(Stream, blob, pattern)) FBrush.SetBitmap(&pattern);
  }
  FBrush.SetColor(Stream.ReadLE<int32_t>());
  FBrush.SetStyle(EnumFromStored(Stream.ReadLE<uint8_t>(), TBrushStyle::bsDiagCross, TBrushStyle::bsSolid));

  SetCaption(ReadStreamText(Stream));
  FColorBegin = Stream.ReadLE<int32_t>();
  FColorEnd = Stream.ReadLE<int32_t>();

  FFont.SetName(ReadStreamText(Stream));
  FFont.SetCharset(Stream.ReadLE<uint8_t>());
  FFont.SetColor(Stream.ReadLE<int32_t>());
  // Text is drawn from the size; the stored height (which another resolution may have made
  // differ from the size) is kept only to be written back.
  const int32_t height = Stream.ReadLE<int32_t>();
  FFont.SetSize(Stream.ReadLE<int32_t>());
  FFont.KeepHeight(height);
  FFont.SetPitch(Stream.ReadLE<uint8_t>());
  FFont.SetResolution(Stream.ReadLE<int32_t>());
  FFont.SetStyle(Stream.ReadLE<uint8_t>() & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
  if (l.ReservedPair) {
    Stream.ReadLE<int32_t>();
    Stream.ReadLE<int32_t>();
  }

  FGradientStyle = EnumFromStored(Stream.ReadLE<uint8_t>(), TGradientStyle::gsNone, TGradientStyle::gsNone);
  // A gradient picture is made from a byte of the record; those a stream makes draw on its
  // allowance of pixels (shapes with the same gradient share one picture and take nothing). One
  // the allowance cannot hold is not made, like a picture that does not decode.
  if (DrawGradient(Stream.ClaimLeft(TStream::TClaim::Pixels)))
    Stream.Claim(TStream::TClaim::Pixels, int64_t{GradientBitmap.Width()} * GradientBitmap.Height());
  if (l.TwoExtraBytes) Stream.ReadLE<uint16_t>();

  SetInfo(ReadStreamText(Stream));
  FPen.SetColor(Stream.ReadLE<int32_t>());
  FPen.SetMode(PenModeFromStored(Stream.ReadLE<uint8_t>()));
  FPen.SetStyle(EnumFromStored(Stream.ReadLE<uint8_t>(), TPenStyle::psInsideFrame, TPenStyle::psSolid));
  FPen.SetWidth(Stream.ReadLE<int32_t>());

  if (l.UserData) FUserData->ReadFromStream(Stream);
  if (l.Flags) {
    FIsFlipHorz = Stream.ReadLE<uint8_t>() != 0;
    FIsFlipVert = Stream.ReadLE<uint8_t>() != 0;
    FVisible = Stream.ReadLE<uint8_t>() != 0;
  }
}

}  // namespace cad
