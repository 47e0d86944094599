// The box shapes that carry content: TMyText, lines of text laid out inside the box, and
// TMyImage, a picture scaled to the box. Both turn with the box and take the rectangle's hot
// points, hit test, rubber bands and resizing.
#pragma once

#include "rectangle.h"

#include <QFontMetrics>
#include <QImage>
#include <QStringList>
#include <array>
#include <vector>

namespace cad {

enum class TVAlignment : uint8_t { vaTop, vaMiddle, vaBottom };

class TMyText : public TMyRectangle {
public:
  using TMyRectangle::TMyRectangle;
  QString ClassName() const override { return QStringLiteral("TMyText"); }

  // The Info text as it is: a text block describes no area.
  QString GetInfo() override;
  // Copies the lines, both alignments and the border, solid and wrap settings when the source
  // is a text block too.
  void Assign(TMyShape* Source) override;
  // The box (with IsBorder), then each line placed by the alignments; without lines the Info
  // text, centred. The text is drawn in the shape's font and turned with the box.
  void Draw(TCanvas* Canvas) override;
  // Mirror the box and keep the corner order, so that the text still reads left to right and
  // top to bottom.
  void FlipHoriz() override;
  void FlipVert() override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // Lines wider or more than the box fits overflow it, the lines wrapping makes at the current
  // zoom included (so the reach follows the zoom while the text wraps).
  TShapeReach GetReach() override;
  bool ReachFollowsZoom() override { return FWordWrap && !FLines.isEmpty(); }

  // Resizes the box, with point 0 fixed in the unturned frame, to the extent of the Info text.
  void reCaclpoints(TCanvas* Canvas);

  TAlignment HAlignment() const { return FHAlignment; }
  void SetHAlignment(TAlignment Value);
  bool IsBorder() const { return FIsBorder; }
  void SetIsBorder(bool Value);
  // Stored and streamed; painting does not read it.
  bool IsSolid() const { return FIsSolid; }
  void SetIsSolid(bool Value);
  const QStringList& Lines() const { return FLines; }
  void SetLines(const QStringList& Value);
  TVAlignment VAlignment() const { return FVAlignment; }
  void SetVAlignment(TVAlignment Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  // One line as painted: its text and its top-left corner relative to the unturned box's
  // top-left corner, in device pixels.
  struct TLaidLine {
    QString Text;
    double DX = 0, DY = 0;
    TShapedText Shaped;  // the text laid out once for painting
  };
  // The lines as they are painted at the current zoom (the wrapped Lines, or the Info text when
  // there are none). Kept until the text, the font, the box or the zoom changes.
  const std::vector<TLaidLine>& LaidOutLines();

  // Lines cut so that each is at most Width pixels wide in Metrics' font: a line that fits stays
  // whole; a longer one is cut before the first character that makes it wider than Width, and
  // what is left is cut the same way. A piece holds at least one character, so a box narrower
  // than a character still ends the wrapping.
  static QStringList WrapLines(const QStringList& Lines, int Width, const QFontMetrics& Metrics);

private:
  TAlignment FHAlignment = TAlignment::taCenter;
  bool FIsBorder = false;
  bool FIsSolid = true;
  QStringList FLines;
  TVAlignment FVAlignment = TVAlignment::vaMiddle;
  bool FWordWrap = true;

  std::vector<TLaidLine> FLaid;
  uint64_t FLaidRevision = 0;
  double FLaidZoom = 0;
  // For the reach: the widest of the lines and the Info text, and the widest line, in pixels.
  int FWidest = 0, FLongest = 0;
  uint64_t FWidthsRevision = 0;
};

class TMyImage : public TMyRectangle {
public:
  using TMyRectangle::TMyRectangle;
  QString ClassName() const override { return QStringLiteral("TMyImage"); }

  void SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2) override;
  // Copies the picture and the image settings when the source is an image too.
  void Assign(TMyShape* Source) override;
  // Mirror the box and keep the corner order, as a text block does: the picture stays inside
  // the box and is not mirrored.
  void FlipHoriz() override;
  void FlipVert() override;
  // The picture stretched over the box and turned with it; a grey box with its diagonals while
  // there is no picture.
  void Draw(TCanvas* Canvas) override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // The picture is laid from point 0 along the turned box; in records whose corners an older
  // flip left mirrored, that leaves the corners.
  TShapeReach GetReach() override;

  const TBitmap& Bitmap() const { return FBitmap; }
  // Copies the picture (null clears it) and makes the box the picture's size from point 0; an
  // empty picture leaves the box as it is.
  void SetBitmap(const TBitmap* Value);
  bool Transparent() const { return FTransparent; }
  // Also sets the picture's transparency, with the transparent colour taken from the picture.
  void SetTransparent(bool Value);
  // Border, gray scale, brightness and contrast travel with the shape through copies and files;
  // painting does not apply them.
  bool Border() const { return FBorder; }
  void SetBorder(bool Value);
  bool GrayScale() const { return FGrayScale; }
  void SetGrayScale(bool Value);
  // Both accept -255 .. 255 and ignore other values.
  int32_t Brightness() const { return FBrightness; }
  void SetBrightness(int32_t Value);
  int32_t Contrast() const { return FContrast; }
  void SetContrast(int32_t Value);

private:
  // The four corners of the painted picture, in drawing coordinates.
  std::array<TMyPoint, 4> PictureCorners();
  // The picture as painted (the transparent colour keyed out), made once per change.
  const QImage& Drawable();

  TBitmap FBitmap;
  bool FBorder = false;
  int32_t FBrightness = 0;
  int32_t FContrast = 0;
  bool FGrayScale = false;
  bool FTransparent = false;
  QImage FDrawable;
  bool FDrawableValid = false;
};

}  // namespace cad
