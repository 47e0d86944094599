// Export: the drawing as a bitmap (into a caller's bitmap, a BMP or a JPEG file) and as an
// ASCII DXF file. Export reads the drawing and changes nothing: the zoom it renders at is put
// back, and files are replaced only when written whole.
#include "../shapes/elliarc.h"
#include "../shapes/linkline.h"
#include "../shapes/polybezier.h"
#include "../shapes/rectangle.h"
#include "../shapes/textimage.h"
#include "mycad.h"
#include "renderscope.h"

#include "../gfx/platform.h"
#include "../gfx/streams.h"

#include <QBuffer>
#include <QImageWriter>
#include <charconv>
#include <cmath>

namespace cad {

namespace {

// Pixels per millimetre at 96 pixels per inch: DXF coordinates are millimetres.
constexpr double kDxfK = 96.0 / 25.4;
// A sampled curve has at most this many pieces, whatever its coordinates.
constexpr int kMaxCurvePieces = 100000;

void WriteWhole(const QString& FileName, const QByteArray& Bytes) {
  // TMemoryStream::SaveToFile writes beside the target and replaces it only on success.
  try {
    TMemoryStream(Bytes).SaveToFile(FileName);
  } catch (const EWriteError&) {
    throw EFCreateError(
        QStringLiteral("Cannot write file \"%1\" completely (is the disk full?)").arg(FileName).toStdString());
  }
}

// DXF text values are single lines of ASCII: line breaks become blanks (they would end the
// value), and every character beyond ASCII is written as \U+XXXX, which readers turn back
// into the character whatever code page they assume.
QByteArray DxfString(const QString& Text) {
  QByteArray out;
  out.reserve(Text.size());
  for (const QChar ch : Text) {
    const char16_t u = ch.unicode();
    if (u < 0x20) out += ' ';
    else if (u < 0x80) out += static_cast<char>(u);
    else out += QByteArray("\\U+") + QByteArray::number(u, 16).toUpper().rightJustified(4, '0');
  }
  return out;
}

// The ENTITIES section, built entity by entity. An entity with a coordinate that is not a
// finite number (a shape from damaged data) is left out whole, and its handles are not used.
class TDxfWriter {
public:
  explicit TDxfWriter(long double Height) : FHeight(Height) {}

  QByteArray Text;
  int Handle = 20;
  int Skipped = 0;

  void Pair(int Code, const QByteArray& Value) {
    Text += QByteArray::number(Code);
    Text += '\n';
    Text += Value;
    Text += '\n';
  }
  void Num(int Code, long double Value) {
    if (!std::isfinite(Value)) FBad = true;
    double v = static_cast<double>(Value);
    if (v == 0) v = 0;  // no "-0"
    // The shortest general form of up to 15 significant digits, as printf's %.15g writes it.
    char buf[40];
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15).ptr;
    Pair(Code, QByteArray::fromRawData(buf, end - buf));
  }
  void X(int Code, long double PixelX) { Num(Code, PixelX / kDxfK); }
  void Y(int Code, long double PixelY) { Num(Code, (FHeight - PixelY) / kDxfK); }
  void Start(const char* Kind) {
    Pair(0, Kind);
    Pair(5, QByteArray::number(Handle++));
    Pair(8, "0");
  }

  void Begin() {
    FMark = Text.size();
    FHandleMark = Handle;
    FBad = false;
  }
  void End() {
    if (!FBad) return;
    Text.truncate(FMark);
    Handle = FHandleMark;
    ++Skipped;
  }

  void Line(const TMyPoint& A, const TMyPoint& B) {
    Start("LINE");
    X(10, A.X);
    Y(20, A.Y);
    Pair(30, "0.0");
    X(11, B.X);
    Y(21, B.Y);
    Pair(31, "0.0");
  }
  void PolylineHeader() {
    Start("POLYLINE");
    Pair(66, "1");
    Pair(10, "0.0");
    Pair(20, "0.0");
    Pair(30, "0.0");
    Pair(70, "1");
  }
  void Vertex(long double PixelX, long double PixelY) {
    Start("VERTEX");
    X(10, PixelX);
    Y(20, PixelY);
    Pair(30, "0.0");
  }
  void SeqEnd() { Start("SEQEND"); }
  void Circle(const TMyPoint& C, long double R) {
    Start("CIRCLE");
    X(10, C.X);
    Y(20, C.Y);
    Pair(30, "0.0");
    Num(40, R / kDxfK);
  }

  // The rational quadratic Bezier through P0, P1, P2 (weights 1, 1, 2) that arcs in ellipse
  // mode and curves draw, at whole pixels.
  void SampledCurve(const TMyPoint& P0, const TMyPoint& P1, const TMyPoint& P2) {
    const long double ax = P0.X - 2.0L * P1.X + 2.0L * P2.X, ay = P0.Y - 2.0L * P1.Y + 2.0L * P2.Y;
    const long double bx = 2.0L * P1.X - 2.0L * P0.X, by = 2.0L * P1.Y - 2.0L * P0.Y;
    const auto pieces = [](long double Length) {
      const long double n = std::nearbyint(std::sqrt(Length * 100));
      return n < kMaxCurvePieces ? static_cast<int>(n) : kMaxCurvePieces;
    };
    int n = pieces(std::hypot(ax, ay));
    // Without a quadratic part the curve is (B t + P0) / (1 + t^2): it is sampled as finely as
    // its linear part asks, and at least from end to end.
    if (n <= 0) n = std::max(1, pieces(std::hypot(bx, by)));
    const long double dt = 1.0L / n;
    for (int k = 0; k <= n; ++k) {
      const long double t = k * dt, d = 1 + t * t;
      Vertex(Round((ax * t * t + bx * t + P0.X) / d), Round((ay * t * t + by * t + P0.Y) / d));
    }
  }

  void Ellipse(TMyShape* S) {
    const TMyPoint p0 = S->Points[0], p1 = S->Points[1], p2 = S->Points[2], p3 = S->Points[3];
    const TMyPoint c = S->GetCenterPoint();
    // The corners' turn: 1 and 3 run along x (right- or leftwards), 2 and 4 along y. A box whose
    // first two corners coincide has no turn; it is taken as unturned.
    int turn = 1;
    if (p0.Y == p1.Y && p0.X > p1.X) turn = 3;
    else if (p0.Y > p1.Y) turn = 2;
    else if (p0.Y < p1.Y) turn = 4;
    const bool alongX = turn == 1 || turn == 3;
    const long double rx = std::fabs(static_cast<long double>(alongX ? p1.X - p0.X : p3.X - p0.X)) / 2;
    const long double ry = std::fabs(static_cast<long double>(alongX ? p3.Y - p0.Y : p1.Y - p0.Y)) / 2;
    if (std::fabs(rx - ry) < 0.5L) {
      Circle(c, rx);
      return;
    }
    long double x = c.X - rx;
    Start("POLYLINE");
    X(10, x);
    Y(20, c.Y);
    Pair(30, "0.0");
    Pair(66, "1");
    Pair(70, "8");
    const auto vertex = [&](long double PixelX, long double PixelY) {
      Pair(0, "VERTEX");
      Pair(8, "0");
      Pair(5, QByteArray::number(Handle++));
      X(10, PixelX);
      Y(20, PixelY);
      Pair(30, "0.0");
      Pair(70, "32");
    };
    vertex(x, c.Y);
    long double d = 0;
    switch (turn) {
      case 1: d = (p1.X - p0.X) / 90.0L; break;
      case 2: d = (p2.X - p1.X) / 90.0L; break;
      case 3: d = (p3.X - p2.X) / 90.0L; break;
      default: d = (p0.X - p3.X) / 90.0L; break;
    }
    // A box without width is a line: every vertex lies on the centre's x.
    const auto half = [&](long double X) {
      const long double u = rx > 0 ? (X - c.X) * (X - c.X) / (rx * rx) : 0;
      return std::sqrt(std::fabs(ry * ry * (1 - u)));
    };
    for (int i = 0; i < 90; ++i) {
      x += d;
      vertex(x, c.Y + half(x));
    }
    for (int i = 0; i < 90; ++i) {
      x -= d;
      vertex(x, c.Y - half(x));
    }
    SeqEnd();
  }

  // An arc about C (y already upwards) through its first and third point.
  void Arc(const TMyPoint& Centre, long double R, long double A1, long double A2) {
    Start("ARC");
    Num(10, Centre.X / kDxfK);
    Num(20, Centre.Y / kDxfK);
    Pair(30, "0.0");
    Num(40, R / kDxfK);
    Num(50, A1);
    Num(51, A2);
  }

private:
  long double FHeight;
  qsizetype FMark = 0;
  int FHandleMark = 20;
  bool FBad = false;
};

}  // namespace

std::unique_ptr<TBitmap> TMyCAD::ExportPicture() {
  const int w = Width(), h = Height();
  if (w <= 0 || h <= 0) throw EExportError("There is nothing to export: the page has no pixels at this zoom.");
  if (static_cast<qint64>(w) * h > kMaxPicturePixels)
    throw EExportError(QStringLiteral("The page is %1 x %2 pixels at this zoom, more than a picture may hold (%3 "
                                      "million pixels); export it at a lower zoom.")
                           .arg(w)
                           .arg(h)
                           .arg(kMaxPicturePixels / (1024 * 1024))
                           .toStdString());
  auto bitmap = std::make_unique<TBitmap>(w, h);
  TRenderScope scope(*this, FZoom);
  TCanvas* c = bitmap->Canvas();
  DrawBkBitmapArea(c, 0, 0, w, h);
  DrawAllShape(c, TRect{0, 0, w, h});
  c->Release();
  return bitmap;
}

bool TMyCAD::SaveToBmp(TBitmap* Bitmap, int W, int H) {
  if (!Bitmap) return false;
  W = std::max(0, W);
  H = std::max(0, H);
  if (static_cast<qint64>(W) * H > kMaxPicturePixels) {
    Bitmap->Clear();
    return false;
  }
  Bitmap->SetSize(W, H);
  const int cw = Width(), ch = Height();
  if (Bitmap->Empty() || cw <= 0 || ch <= 0 || !(FZoom > 0)) return true;
  // The drawing as shown, scaled to fit: the factor applies to the zoom it is shown at.
  const double fitW = static_cast<double>(W) / cw, fitH = static_cast<double>(H) / ch;
  TRenderScope scope(*this, std::min(fitW, fitH) * FZoom);
  TCanvas* c = Bitmap->Canvas();
  DrawBkBitmapArea(c, 0, 0, W, H);
  DrawAllShape(c, TRect{0, 0, cw, ch});
  c->Release();
  return true;
}

void TMyCAD::SaveToBmp(const QString& FileName) { SavePicture(FileName, "BMP"); }

void TMyCAD::SaveToJpg(const QString& FileName, int Quality) { SavePicture(FileName, "JPEG", std::clamp(Quality, 0, 100)); }

void TMyCAD::SavePicture(const QString& FileName, const char* Format, int Quality) {
  std::unique_ptr<TBitmap> bitmap = ExportPicture();
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, Format);
  writer.setQuality(Quality);
  const bool encoded = writer.write(bitmap->Image());
  bitmap.reset();
  if (!encoded || data.isEmpty())
    throw EExportError(QStringLiteral("The picture could not be encoded as %1.").arg(QLatin1String(Format)).toStdString());
  WriteWhole(FileName, data);
}

void TMyCAD::PaintShapesTo(QPaintDevice* Device, double AZoom, const QPoint& Origin, const TArrMyShape* Shapes) {
  if (!Device || !std::isfinite(AZoom) || !(AZoom > 0)) return;
  TRenderScope scope(*this, AZoom);
  // The connectors' crossing index is built for the whole control at this zoom.
  ++FPaintSerial;
  FDrawList.clear();
  const QSize size = ControlSizeAt(AZoom);
  FDrawRegion = TRect{0, 0, size.width(), size.height()};
  TCanvas canvas(Device, Origin);
  if (Shapes) {
    for (TMyShape* s : *Shapes)
      if (s) DrawShapeTree(s, &canvas);
  } else {
    for (TMyShape* s : FMyShapes)
      if (!s->HasParentShape() && IsVisibleLayerByID(s->LayerId)) DrawShapeTree(s, &canvas);
  }
  canvas.Release();
}

bool TMyCAD::SaveToWmf(const QString&) { return false; }

bool TMyCAD::CopyToClipBoardAsWmf() { return false; }

QByteArray TMyCAD::DxfText() {
  // Coordinates turn upwards about the drawing's height at zoom 1 (the control's height over the
  // zoom), so the file does not depend on the zoom the drawing is shown at.
  const long double height = FZoom > 0 ? Height() / static_cast<long double>(FZoom) : Height();
  TDxfWriter out(height);
  out.Pair(0, "SECTION");
  out.Pair(2, "ENTITIES");
  for (TMyShape* s : FMyShapes) {
    const QString kind = s->ClassName();
    const auto& pts = std::as_const(s->Points);
    const int n = static_cast<int>(pts.size());
    out.Begin();
    if (kind == QLatin1String("TMyText")) {
      if (n >= 4) {
        out.Start("TEXT");
        out.X(10, pts[3].X);
        out.Y(20, pts[3].Y);
        out.Pair(30, "0.0");
        out.Num(40, std::fabs(static_cast<long double>(pts[3].Y) - pts[0].Y) / kDxfK);
        out.Pair(1, DxfString(s->GetInfo()));
      }
    } else if (kind == QLatin1String("TMyLine")) {
      if (n >= 2) out.Line(pts[0], pts[1]);
    } else if (kind == QLatin1String("TMyLinkLine") || kind == QLatin1String("TMyPolyLine")) {
      for (int i = 0; i + 1 < n; ++i) out.Line(pts[i], pts[i + 1]);
    } else if (kind == QLatin1String("TMyRectangle") || kind == QLatin1String("TMyPolygon")) {
      out.PolylineHeader();
      for (const TMyPoint& p : pts) out.Vertex(p.X, p.Y);
      out.SeqEnd();
    } else if (kind == QLatin1String("TMyElliArc")) {
      auto* arc = static_cast<TMyElliArc*>(s);
      if (n >= 3 && arc->ArcMode() == TArcMode::amCircle) {
        TMyPoint centre = s->GetCenterPoint();
        centre.Y = static_cast<float>(static_cast<long double>(Height()) - centre.Y);
        long double r = 0, a1 = 0, a2 = 0;
        GetRA1A2By3Points(pts[0], pts[1], pts[2], centre, r, a1, a2);
        // The routine turns y about the control's height; the file turns it about the drawing's.
        const long double shift = height - static_cast<long double>(Height());
        centre.Y = static_cast<float>(centre.Y + shift);
        out.Arc(centre, r, a1, a2);
      } else if (n >= 3) {
        out.PolylineHeader();
        out.SampledCurve(pts[0], pts[1], pts[2]);
        out.SeqEnd();
      }
    } else if (kind == QLatin1String("TMyLineLinkLine")) {
      if (n >= 2) {
        const TMyPoint c = s->GetCenterPoint();
        const long double r = std::fabs(static_cast<long double>(pts[1].X) - pts[0].X) / 2;
        out.Circle(c, r);
        out.Circle(c, r / 2);
      }
    } else if (kind == QLatin1String("TMyEllipse")) {
      if (n >= 4) out.Ellipse(s);
    } else if (kind == QLatin1String("TMyPolyBezier")) {
      if (n >= 3) {
        out.PolylineHeader();
        out.SampledCurve(pts[0], pts[1], pts[2]);
        out.SeqEnd();
      }
    }
    out.End();
  }
  out.Pair(0, "ENDSEC");
  out.Pair(0, "EOF");
  return out.Text;
}

void TMyCAD::SaveToDxf(const QString& FileName) {
  // The whole text is built before the file is touched.
  WriteWhole(FileName, DxfText());
}

}  // namespace cad
