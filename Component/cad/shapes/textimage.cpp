#include "textimage.h"

#include "../core/drawmodes.h"
#include "../core/streamprims.h"
#include "../surface/mycad.h"
#include "shapedraw.h"

#include <QRectF>
#include <algorithm>
#include <cmath>

namespace cad {

namespace {

// A cut at Pos that would split a surrogate pair moves before the pair.
qsizetype WholeCharacters(QStringView S, qsizetype Pos) {
  if (Pos > 0 && Pos < S.size() && S[Pos].isLowSurrogate() && S[Pos - 1].isHighSurrogate()) --Pos;
  return Pos;
}

// The centre a shape turns about: its root group's when it is a member, else its own.
TMyPoint TurnCentreInZoom(TMyShape* Shape, TMyShape* Root) {
  return Shape->HasParentShape() && Root ? Root->GetCenterPointInZoom() : Shape->GetCenterPointInZoom();
}

bool VersionIsOneOf(const QString& Version, std::initializer_list<const char*> Versions) {
  const QString v = Version.trimmed();
  return std::any_of(Versions.begin(), Versions.end(), [&v](const char* k) { return v == QLatin1String(k); });
}

}  // namespace

// ---- TMyText ----

QString TMyText::GetInfo() { return Info(); }

void TMyText::Assign(TMyShape* Source) {
  if (!Source || Source == this) return;
  TMyRectangle::Assign(Source);
  if (auto* t = dynamic_cast<TMyText*>(Source)) {
    FHAlignment = t->FHAlignment;
    FIsBorder = t->FIsBorder;
    FIsSolid = t->FIsSolid;
    FLines = t->FLines;
    FVAlignment = t->FVAlignment;
    FWordWrap = t->FWordWrap;
    Changed();
  }
}

QStringList TMyText::WrapLines(const QStringList& Lines, int Width, const QFontMetrics& Metrics) {
  QStringList out;
  for (const QString& line : Lines) {
    if (Metrics.horizontalAdvance(line) <= Width) {
      out.append(line);
      continue;
    }
    // What is left of the line starts at `from`. Prefix widths grow with the prefix, so the
    // shortest prefix wider than the box is where measuring one character more at a time would
    // cut. Pieces of one line are much alike, so the search starts at the length of the last one
    // and gallops outwards, then halves the bracket it found: each piece costs measurements about
    // as long as itself, not as long as the rest of the line.
    qsizetype from = 0, guess = 1;
    while (from < line.size()) {
      const qsizetype left = line.size() - from;
      auto wider = [&](qsizetype n) { return Metrics.horizontalAdvance(line.mid(from, n)) > Width; };
      qsizetype lo = 1, hi = left + 1;  // the answer lies in [lo, hi); hi = left + 1 means none
      const qsizetype start = std::clamp<qsizetype>(guess + 1, 1, left);
      if (wider(start)) {
        hi = start;
        for (qsizetype step = 1; hi - step >= lo; step *= 2) {
          if (!wider(hi - step)) {
            lo = hi - step + 1;
            break;
          }
          hi -= step;
        }
      } else {
        lo = start + 1;
        for (qsizetype step = 1; lo + step - 1 <= left; step *= 2) {
          if (wider(lo + step - 1)) {
            hi = lo + step - 1;
            break;
          }
          lo += step;
        }
      }
      while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (wider(mid)) hi = mid;
        else lo = mid + 1;
      }
      if (lo > left) break;  // what is left fits
      const QStringView rest = QStringView(line).mid(from);
      qsizetype take = WholeCharacters(rest, lo - 1);
      if (take <= 0) take = WholeCharacters(rest, std::min<qsizetype>(left, rest[0].isHighSurrogate() ? 2 : 1));
      out.append(line.mid(from, take));
      from += take;
      guess = take;
    }
    if (from < line.size()) out.append(line.mid(from));
  }
  return out;
}

const std::vector<TMyText::TLaidLine>& TMyText::LaidOutLines() {
  const double z = Zoom();
  // Text, font, box and settings changes all move the shape's revision.
  if (FLaidRevision == Revision() && FLaidZoom == z) return FLaid;
  FLaid.clear();
  const QFontMetrics& fm = MetricsOf(*Font());
  const long double b = Round(GetMyWidth() * z), d = Round(GetMyHeight() * z);
  if (FLines.isEmpty()) {
    if (!Info().isEmpty()) {
      const long double w = fm.horizontalAdvance(Info()), h = fm.height();
      FLaid.push_back({Info(), static_cast<double>((b - w) / 2), static_cast<double>((d - h) / 2), TShapedText()});
    }
  } else {
    const QStringList lines = FWordWrap ? WrapLines(FLines, static_cast<int>(std::clamp<long double>(b, INT_MIN, INT_MAX)), fm) : FLines;
    const long double n = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const long double w = fm.horizontalAdvance(lines[i]), h = fm.height();
      long double x = 0, y = 0;
      switch (FHAlignment) {
        case TAlignment::taLeftJustify: x = 0; break;
        case TAlignment::taRightJustify: x = b - w; break;
        case TAlignment::taCenter: x = (b - w) / 2; break;
      }
      switch (FVAlignment) {
        case TVAlignment::vaTop: y = h * i; break;
        case TVAlignment::vaMiddle: y = (d - h * n) / 2 + h * i; break;
        case TVAlignment::vaBottom: y = d - (n - i) * h; break;
      }
      FLaid.push_back({lines[i], static_cast<double>(x), static_cast<double>(y), TShapedText()});
    }
  }
  for (TLaidLine& l : FLaid) l.Shaped.SetText(l.Text, QStaticText::AggressiveCaching);
  FLaidRevision = Revision();
  FLaidZoom = z;
  return FLaid;
}

void TMyText::Draw(TCanvas* Canvas) {
  SetDrawShapeMode(this, Canvas);
  if (FIsBorder) TMyRectangle::Draw(Canvas);
  if (Points.size() < 4) return;
  const float a = Angle();
  const TMyPoint c = TurnCentreInZoom(this, RootShape());
  const TMyPoint o = RotateAPoint(GetPointInZoom(0), c, -a);
  for (const TLaidLine& l : LaidOutLines()) {
    const TMyPoint at = RotateAPoint(TMyPoint{static_cast<float>(o.X + l.DX), static_cast<float>(o.Y + l.DY)}, c, a);
    MyLogTextOut(Canvas, Round(at.X), Round(at.Y), l.Shaped, Font(), a);
  }
}

TShapeReach TMyText::GetReach() {
  TShapeReach r = TMyRectangle::GetReach();
  if (!r.Bounded) return r;
  // Text is not scaled with the zoom, so how far it can overflow the box is a matter of pixels:
  // at most its widest line across and all its lines down, whichever way the box turns. Wrapped
  // pieces are no wider than their line, but there are more of them the narrower the box shows:
  // they are counted at the current zoom.
  // The widths are measured once per change; a new zoom wraps only a text that overflows its box
  // there.
  const QFontMetrics& fm = MetricsOf(*Font());
  if (FWidthsRevision != Revision()) {
    FWidest = fm.horizontalAdvance(Info());
    FLongest = 0;
    for (const QString& l : std::as_const(FLines)) {
      const int w = fm.horizontalAdvance(l);
      FWidest = std::max(FWidest, w);
      FLongest = std::max(FLongest, w);
    }
    FWidthsRevision = Revision();
  }
  qsizetype lines = FLines.size();
  if (ReachFollowsZoom() && FLongest > Round(GetMyWidth() * Zoom())) lines = static_cast<qsizetype>(LaidOutLines().size());
  const float tall = static_cast<float>(fm.height()) * static_cast<float>(std::max<qsizetype>(1, lines));
  r.Margin = std::max(r.Margin, static_cast<float>(FWidest) + tall + 2);
  return r;
}

void TMyText::FlipHoriz() { FlipKeepingCornerOrder(true); }

void TMyText::FlipVert() { FlipKeepingCornerOrder(false); }

void TMyText::reCaclpoints(TCanvas* Canvas) {
  if (Points.size() < 4 || !Canvas) return;
  const float a = Angle();
  if (a != 0) RotateChangeValueByAngle(GetCenterPoint(), -a);
  const TPoint wh = GetTextWidthHeight(Canvas, Info(), Font(), 1.0, 0);
  auto& p = Points.Edit();
  p[1] = TMyPoint{p[0].X + static_cast<float>(wh.X), p[0].Y};
  p[2] = TMyPoint{p[1].X, p[0].Y + static_cast<float>(wh.Y)};
  p[3] = TMyPoint{p[0].X, p[2].Y};
  if (a != 0) RotateChangeValueByAngle(GetCenterPoint(), a);
  CenterPoint = ComputeCenterPoint();
  Changed();
}

void TMyText::SetHAlignment(TAlignment Value) {
  FHAlignment = Value;
  Changed();
}
void TMyText::SetIsBorder(bool Value) {
  FIsBorder = Value;
  Changed();
}
void TMyText::SetIsSolid(bool Value) {
  if (Value == FIsSolid) return;
  FIsSolid = Value;
  Changed();
}
void TMyText::SetLines(const QStringList& Value) {
  FLines = Value;
  Changed();
}
void TMyText::SetVAlignment(TVAlignment Value) {
  FVAlignment = Value;
  Changed();
}
void TMyText::SetWordWrap(bool Value) {
  FWordWrap = Value;
  Changed();
}

void TMyText::SaveToStream(TStream& Stream) {
  TMyRectangle::SaveToStream(Stream);
  Stream.WriteLE<uint8_t>(FIsBorder ? 1 : 0);
  Stream.WriteLE<uint8_t>(FIsSolid ? 1 : 0);
  Stream.WriteLE<int32_t>(static_cast<int32_t>(FLines.size()));
  for (const QString& l : std::as_const(FLines)) WriteStreamText(Stream, l);
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FVAlignment));
  Stream.WriteLE<uint8_t>(static_cast<uint8_t>(FHAlignment));
  Stream.WriteLE<uint8_t>(FWordWrap ? 1 : 0);
}

void TMyText::LoadFromStream(TStream& Stream) {
  TMyRectangle::LoadFromStream(Stream);
  FIsBorder = Stream.ReadLE<uint8_t>() != 0;
  FIsSolid = Stream.ReadLE<uint8_t>() != 0;
  // The line list and the layout settings came with the newest generation.
  if (VersionIsOneOf(RecordVersion(), {"ZK.a"})) {
    const int32_t n = Stream.ReadLE<int32_t>();
    // Every line takes at least its 4-byte length.
    if (n < 0 || static_cast<int64_t>(n) * 4 > Stream.Remaining()) throw EReadError("Invalid count in shape record");
    QStringList lines;
    lines.reserve(n);
    for (int32_t i = 0; i < n; ++i) lines.append(ReadStreamText(Stream));
    FLines += lines;
    FVAlignment = EnumFromStored(Stream.ReadLE<uint8_t>(), TVAlignment::vaBottom, TVAlignment::vaMiddle);
    FHAlignment = EnumFromStored(Stream.ReadLE<uint8_t>(), TAlignment::taCenter, TAlignment::taCenter);
    FWordWrap = Stream.ReadLE<uint8_t>() != 0;
  }
  Changed();
}

// ---- TMyImage ----

void TMyImage::SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) { TMyRectangle::SizeChangeValue(P1, P2); }

void TMyImage::Assign(TMyShape* Source) {
  TMyShape::Assign(Source);
  auto* src = dynamic_cast<TMyImage*>(Source);
  if (!src || src == this || Source->ClassName() != QLatin1String("TMyImage")) return;
  FBitmap.Assign(src->FBitmap);
  FDrawableValid = false;
  FTransparent = src->FTransparent;
  FBorder = src->FBorder;
  FBrightness = src->FBrightness;
  FContrast = src->FContrast;
  FGrayScale = src->FGrayScale;
  Changed();
}

void TMyImage::FlipHoriz() { FlipKeepingCornerOrder(true); }

void TMyImage::FlipVert() { FlipKeepingCornerOrder(false); }

void TMyImage::SetBitmap(const TBitmap* Value) {
  if (Value) FBitmap.Assign(*Value);
  else FBitmap.Clear();
  FBitmap.SetTransparent(FTransparent);
  if (FTransparent) FBitmap.SetTransparentMode(TTransparentMode::tmAuto);
  FDrawableValid = false;
  // No picture (or one the loader could not read) has no size to give the box: the box stays.
  if (!Points.empty() && !FBitmap.Empty()) {
    const TMyPoint p0 = Points[0];
    const float w = static_cast<float>(FBitmap.Width()), h = static_cast<float>(FBitmap.Height());
    Points = {p0, {p0.X + w, p0.Y}, {p0.X + w, p0.Y + h}, {p0.X, p0.Y + h}};
    CenterPoint = ComputeCenterPoint();
  }
  Changed();
}

void TMyImage::SetTransparent(bool Value) {
  FTransparent = Value;
  FBitmap.SetTransparent(Value);
  if (Value) FBitmap.SetTransparentMode(TTransparentMode::tmAuto);
  FDrawableValid = false;
  Changed();
}

void TMyImage::SetBorder(bool Value) {
  if (Value == FBorder) return;
  FBorder = Value;
  Changed();
}

void TMyImage::SetGrayScale(bool Value) {
  if (Value == FGrayScale) return;
  FGrayScale = Value;
  Changed();
}

void TMyImage::SetBrightness(int32_t Value) {
  if (Value < -255 || Value > 255 || Value == FBrightness) return;
  FBrightness = Value;
  Changed();
}

void TMyImage::SetContrast(int32_t Value) {
  if (Value < -255 || Value > 255 || Value == FContrast) return;
  FContrast = Value;
  Changed();
}

const QImage& TMyImage::Drawable() {
  if (!FDrawableValid) {
    FDrawable = DrawableImage(FBitmap);
    FDrawableValid = true;
  }
  return FDrawable;
}

void TMyImage::Draw(TCanvas* Canvas) {
  const TArrPoint pts = ZoomedCornerPolygon();
  SetDrawShapeMode(this, Canvas);
  if (FBitmap.Empty()) {
    TPen* pen = Canvas->Pen();
    pen->SetColor(RGB(128, 128, 128));
    pen->SetWidth(1);
    DrawRectangle(Canvas, pts);
    Canvas->MoveTo(pts[0].X, pts[0].Y);
    Canvas->LineTo(pts[2].X, pts[2].Y);
    Canvas->MoveTo(pts[1].X, pts[1].Y);
    Canvas->LineTo(pts[3].X, pts[3].Y);
  } else {
    // The picture is stretched to the zoomed box in a world turned by the shape's angle; the
    // painter scales only what the device shows, so zooming in costs no memory.
    const double z = Zoom();
    const double w = Round(z * GetMyWidth()), h = Round(z * GetMyHeight());
    const double deg = Angle() * 180.0 / static_cast<double>(PiL);
    Canvas->Start();
    Canvas->RotateWorld(deg);
    const QPointF at = Canvas->MapToWorld(QPointF(pts[0].X, pts[0].Y));
    Canvas->StretchDrawF(QRectF(at, QSizeF(w, h)), Drawable());
    Canvas->RotateWorld(-deg);
    Canvas->Stop();
  }
  DrawInfo(Canvas);
}

std::array<TMyPoint, 4> TMyImage::PictureCorners() {
  const TMyPoint o = GetPoint(0);
  const float a = Angle(), w = GetMyWidth(), h = GetMyHeight();
  const float ux = std::cos(a) * w, uy = std::sin(a) * w, vx = -std::sin(a) * h, vy = std::cos(a) * h;
  return {o, TMyPoint{o.X + ux, o.Y + uy}, TMyPoint{o.X + ux + vx, o.Y + uy + vy}, TMyPoint{o.X + vx, o.Y + vy}};
}

TShapeReach TMyImage::GetReach() {
  TShapeReach r = TMyRectangle::GetReach();
  if (!r.Bounded || Points.size() < 4 || FBitmap.Empty()) return r;
  for (const TMyPoint& p : PictureCorners()) {
    if (!std::isfinite(p.X) || !std::isfinite(p.Y)) {
      r.Bounded = false;
      return r;
    }
    r.Box.Left = std::min(r.Box.Left, p.X);
    r.Box.Top = std::min(r.Box.Top, p.Y);
    r.Box.Right = std::max(r.Box.Right, p.X);
    r.Box.Bottom = std::max(r.Box.Bottom, p.Y);
  }
  r.Margin += 2;  // the painter rounds the picture's edges outwards
  return r;
}

void TMyImage::SaveToStream(TStream& Stream) {
  TMyRectangle::SaveToStream(Stream);
  if (!WriteBitmapBuffer(Stream, FBitmap.Empty() ? nullptr : &FBitmap)) throw EWriteError("Stream write error");
  Stream.WriteLE<uint8_t>(FTransparent ? 1 : 0);
  Stream.WriteLE<uint8_t>(FBorder ? 1 : 0);
  Stream.WriteLE<uint8_t>(FGrayScale ? 1 : 0);
  Stream.WriteLE<int32_t>(FBrightness);
  Stream.WriteLE<int32_t>(FContrast);
}

void TMyImage::LoadFromStream(TStream& Stream) {
  TMyRectangle::LoadFromStream(Stream);
  // A blob the stream cannot hold is refused before anything is allocated for it; bytes that
  // are no picture leave the shape without one.
  const QByteArray blob = ReadBitmapBlob(Stream);
  if (!blob.isEmpty()) LoadBlobPicture(Stream, blob, FBitmap);
  FTransparent = Stream.ReadLE<uint8_t>() != 0;
  FBitmap.SetTransparent(FTransparent);
  if (FTransparent) FBitmap.SetTransparentMode(TTransparentMode::tmAuto);
  FDrawableValid = false;
  const QString v = RecordVersion();
  if (VersionIsOneOf(v, {"ZK.7", "ZK.8", "ZK.9", "ZK.a"})) FBorder = Stream.ReadLE<uint8_t>() != 0;
  if (VersionIsOneOf(v, {"ZK.9", "ZK.a"})) {
    FGrayScale = Stream.ReadLE<uint8_t>() != 0;
    FBrightness = Stream.ReadLE<int32_t>();
    FContrast = Stream.ReadLE<int32_t>();
  }
  Changed();
}

}  // namespace cad
