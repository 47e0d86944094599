// TCanvas: the one place where shapes and the surface reach the toolkit's painter.
//
// A canvas draws on a paint device (an image, a printer) with a stateful pen, brush and font and
// a pen position. Coordinates are those of the owner (for the surface: control pixels); an origin
// maps them onto the device, so a back buffer may cover only part of the control. The painter is
// opened lazily on the first primitive and stays open until Release(), so drawing many shapes
// costs one painter set-up. Pen modes map onto raster operations; nothing is antialiased except
// text, so drawing a ghost twice in an XOR mode restores every pixel exactly.
#pragma once

#include "gfxtypes.h"
#include "graphics.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStaticText>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPaintDevice;

namespace cad {

class TBitmap;

// The bitmap as it is painted: with its transparent colour keyed out when it is transparent.
QImage DrawableImage(const TBitmap& Bitmap);

// A text laid out once and drawn many times without shaping it again. A canvas measures it in
// the font it draws it in, once per font, so that a filled background covers it exactly.
class TShapedText {
public:
  TShapedText() = default;
  explicit TShapedText(const QString& Text, QStaticText::PerformanceHint Hint = QStaticText::ModerateCaching) {
    SetText(Text, Hint);
  }
  QString Text() const { return FShaped.text(); }
  void SetText(const QString& Text, QStaticText::PerformanceHint Hint = QStaticText::ModerateCaching);

private:
  friend class TCanvas;
  QStaticText FShaped;
  // The width in the font it was last drawn in; kept by the canvas that draws it.
  mutable QFont FMeasuredIn;
  mutable int FWidth = 0;
  mutable bool FMeasured = false;
};

// Bezier segments (see TCanvas::PolyBezier) flattened once to be drawn many times: the lines the
// painter's rasterizer cuts the curve into for a one-pixel pen, with the points they came from.
struct TFlatBezier {
  TArrPoint Points;    // the whole segments' points
  QPainterPath Lines;  // from the first point through the ends of the flat pieces
};

class TCanvas {
public:
  TCanvas();
  explicit TCanvas(QPaintDevice* device, QPoint origin = QPoint());
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // Binds the canvas to a device; `origin` is the owner coordinate shown at device pixel (0,0).
  // A device with a pixel ratio above 1 (a back buffer for a high-density screen) is drawn on
  // in owner coordinates all the same; lines, outlines and text get the device's finer pixels.
  void SetDevice(QPaintDevice* device, QPoint origin = QPoint());
  // The device's size in owner pixels.
  QSize Size() const;
  qreal PixelRatio() const { return FRatio; }
  QPaintDevice* Device() const { return FDevice; }
  QPoint Origin() const { return FOrigin; }
  // Whether the device is a printer (drawing presets differ there).
  bool IsPrinter() const;
  // The area of the device in owner coordinates, narrowed to the clip rectangle when one is set.
  TRect ClipRect() const;
  // Restricts drawing to R (owner coordinates) until ClearClipRect.
  void SetClipRect(const TRect& R);
  void ClearClipRect();

  // The part of the device drawn on since the last ResetDamage, in owner coordinates (an empty
  // rectangle when nothing was drawn): where ghosts and highlights drawn between two paints are.
  QRect Damage() const { return FDamage; }
  void ResetDamage() { FDamage = QRect(); }
  void SetDamage(const QRect& Area) { FDamage = Area; }

  TPen* Pen() { return &FPen; }
  TBrush* Brush() { return &FBrush; }
  TFont* Font() { return &FFont; }
  void SetPen(const TPen& v) { FPen.Assign(v); }
  void SetBrush(const TBrush& v) { FBrush.Assign(v); }
  void SetFont(const TFont& v) { FFont.Assign(v); }

  TPoint PenPos() const { return FPenPos; }
  void SetPenPos(const TPoint& p) { FPenPos = p; }

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Polygon(const TArrPoint& Points);
  void Polygon(const TPoint* Points, size_t Count);
  void Polyline(const TArrPoint& Points);
  void Polyline(const TPoint* Points, size_t Count);
  // Cubic Bezier segments: points 0..3, then 3 more per further segment; points past the last
  // whole segment are left out.
  void PolyBezier(const TArrPoint& Points);
  // The same curve, flattened by FlattenBezier. Where lines give exactly the curve's pixels (an
  // image, a one-pixel pen, an unturned world, a curve that does not end where it starts) the
  // lines are drawn, which spares the rasterizer cutting the curve up on every paint.
  void PolyBezier(const TFlatBezier& Curve);
  static void FlattenBezier(const TArrPoint& Points, TFlatBezier& Out);
  // Elliptic arc, chord and pie in the box (X1,Y1)-(X2,Y2), counter-clockwise from the ray
  // through (X3,Y3) to the ray through (X4,Y4).
  void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  // The same pixels as Arc, for arcs drawn many times over at different places (the jumps of
  // connectors): on an image, in copy mode and an unturned world, the arc is drawn once into a
  // small picture per size, angles and pen, and that picture is copied to each place.
  void RepeatedArc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void FillRect(const TRect& R);
  // FillRect with one-pixel columns of Color every Step pixels from X = First: a grid's
  // vertical lines laid in the same pass as the fill beneath them.
  void FillRectColumns(const TRect& R, TColor Color, int First, int Step);
  void FrameRect(const TRect& R);

  // Text with its box's top-left corner at (X, Y), in the font's colour; the box is filled with
  // the brush unless the brush is clear.
  void TextOut(int X, int Y, const QString& Text);
  // The same at a fractional position (rotated text lands between pixels).
  void TextOutF(double X, double Y, const QString& Text);
  // The same for a text laid out once and kept by the caller (drawn again without shaping).
  void TextOutF(double X, double Y, const TShapedText& Text);
  int TextWidth(const QString& Text);
  int TextHeight(const QString& Text);
  TPoint TextExtent(const QString& Text);

  void Draw(int X, int Y, const TBitmap& Bitmap);
  void StretchDraw(const TRect& R, const TBitmap& Bitmap);
  // A prepared image (see DrawableImage) stretched over R in the current world coordinates.
  void StretchDrawF(const QRectF& R, const QImage& Image);
  void CopyRect(const TRect& Dest, const TBitmap& Source, const TRect& SourceRect);

  // Pixel access on image devices (in owner pixels: the device pixel at an owner pixel's
  // top-left); other devices read as clNone and ignore writes.
  TColor Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, TColor C);

  // The drawing bracket: nests, and keeps the painter open in between.
  void Start();
  void Stop();
  // World rotation by degrees (positive turns clockwise on the screen), applied on top of the
  // origin (turns that add up to none leave the plain world), and the inverse mapping of an
  // owner point into the rotated coordinates.
  void RotateWorld(double Degrees);
  QPointF MapToWorld(QPointF OwnerPoint);
  void ResetWorld();

  // Ends the painter so that the device may be read, resized or shown.
  void Release();
  // The painter, opened and set up for the current pen and brush.
  QPainter* Painter();

  // Called after each drawing primitive (the surface uses it to schedule a screen update).
  std::function<void()> OnChange;

private:
  void ApplyPen();
  void ApplyBrush();
  void ApplyMode();
  // After each primitive: Area (owner coordinates) was drawn on.
  void Changed(const QRect& Area);
  // The pen's reach beyond a stroked outline.
  int PenPad() const;
  // The points as the painter takes them, in a buffer that is reused.
  const QPoint* ToScratch(const TPoint* Points, size_t Count);
  // Draws a stroke (D draws it with the painter). On a finer device an odd-width pen is moved
  // half an owner pixel right and down, so that it covers the pixels it covers on a plain one.
  template <typename Paint>
  void Stroke(QPainter* P, Paint&& D);
  // The same for a primitive that fills and strokes: on a finer device the fill stays where it
  // is and only the outline moves.
  template <typename Paint>
  void FillAndStroke(QPainter* P, Paint&& D);
  // The same with the outline drawn by S (with the brush taken away) where it is drawn apart.
  template <typename Paint, typename Outline>
  void FillAndStroke(QPainter* P, Paint&& D, Outline&& S);
  // Stroke for a primitive drawn through points (D draws the points it is given, integer or
  // not): on a finer device the points move instead of the painter's world, which the painter
  // would set up afresh for every pass.
  template <typename DrawFn>
  void StrokePoints(QPainter* P, const QPoint* Points, size_t Count, DrawFn&& D);
  // Fills and frames an upright box given as a polygon with rectangle fills when that gives the
  // polygon's own pixels; false (nothing drawn) otherwise.
  bool UprightBox(QPainter* P, const TPoint* Points, size_t Count);
  void ArcLike(int kind, int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  // Strokes the path without filling it; Points bound what it covers.
  void StrokePath(const QPainterPath& Path, const TArrPoint& Points);
  // The toolkit's start angle and span (sixteenths of a degree) of the arc from the ray through
  // (X3,Y3) to the ray through (X4,Y4) about the centre of the box (X1,Y1)-(X2,Y2).
  static std::pair<int, int> ArcAngles(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);

  // The last arc picture RepeatedArc made, and what it was made for.
  struct TArcStamp {
    QSize Size;
    int Start = 0, Span = 0;
    QPen Pen;
    QImage Image;
    int Pad = 0;
  } FArcStamp;

  QPaintDevice* FDevice = nullptr;
  QPoint FOrigin;
  qreal FRatio = 1;
  bool FFine = false;          // more device pixels than owner pixels
  double FStrokeShift = 0;     // how far strokes move on a finer device (see Stroke)
  bool FHairPasses = false;    // strokes drawn as device hairlines, one per device pixel of a pixel
  std::unique_ptr<QPainter> FPainter;
  TPen FPen;
  TBrush FBrush;
  TFont FFont;
  TPoint FPenPos;
  int FStartDepth = 0;
  uint64_t FAppliedPen = 0, FAppliedBrush = 0, FAppliedFont = 0;
  std::optional<QRect> FClip;
  QRect FDamage;
  bool FWorldTurned = false;
  double FWorldAngle = 0;  // the sum of the turns since the world was last plain
  std::vector<QPoint> FScratch;
  std::vector<QPointF> FScratchF;

  // Font, background and text colour for a text of width W at (X, Y) in the font whose metrics
  // are given (the canvas font's); Area receives what it may cover. Null without a painter.
  QPainter* BeginText(const QFontMetrics& Metrics, double X, double Y, double W, QRect& Area);
  // The toolkit font and metrics of Font (shapes assign their font before every text they draw,
  // mostly the same one); FAppliedFont is the cache's serial the painter has.
  TFontMetricsCache FText;
};

}  // namespace cad
