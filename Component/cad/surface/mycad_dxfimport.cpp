// DXF import through dxflib: the entities of the file (and of the blocks it inserts) are
// collected as plain primitives in DXF millimetres first, then placed as shapes, so that an
// INSERT may name a block defined anywhere in the file and a file that fails to read adds
// nothing.
#include "dxfimport.h"
#include "mycad.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <QFile>
#include <QStringDecoder>
#include <cmath>
#include <memory>
#include <sstream>
#include <unordered_map>

namespace cad {

namespace {

constexpr double kPixelsPerMm = 96.0 / 25.4;
constexpr double kPi = 3.14159265358979323846;
// Blocks inserted in blocks deeper than this are not followed (a block that inserts itself).
constexpr int kMaxInsertDepth = 16;
// Full turns and elliptic arcs become poly lines of at most this many pieces.
constexpr int kArcPieces = 72;

struct TXY {
  double X = 0, Y = 0;
};

// One entity in DXF coordinates (millimetres, y upwards).
struct TPrim {
  enum TKind : uint8_t { Line, Poly, Circle, Arc, Text, Insert } Kind = Line;
  std::string Layer;
  std::vector<TXY> Pts;   // Line: 2; Poly: its vertices
  bool Closed = false;    // Poly
  TXY C;                  // Circle, Arc: centre; Text: insertion point; Insert: point
  double R = 0;           // Circle, Arc: radius
  double Ratio = 1;       // Circle: minor over major axis (an ellipse below 1)
  double Angle = 0;       // Circle: major axis direction; Arc: start; Text, Insert: rotation (radians)
  double Angle2 = 0;      // Arc: end (radians, counter-clockwise from Angle)
  double Height = 0;      // Text
  std::string Str;        // Text: the text; Insert: the block name
  double SX = 1, SY = 1;  // Insert: scale
  int Cols = 1, Rows = 1;
  double ColSp = 0, RowSp = 0;
};

struct TBlock {
  TXY Base;
  std::vector<TPrim> Prims;
};

bool Finite(double V) { return std::isfinite(V) && std::fabs(V) < 1e12; }

// DXF text: bytes of the file's code page or UTF-8, with \U+XXXX for any character.
QString DecodeDxfText(const std::string& Bytes) {
  const QByteArray raw = QByteArray::fromStdString(Bytes);
  QString text;
  bool multiByte = false;
  for (char c : raw)
    if (static_cast<unsigned char>(c) >= 0x80) multiByte = true;
  if (multiByte) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8.decode(raw);
    if (utf8.hasError()) text = QString::fromLatin1(raw);
  } else {
    text = QString::fromLatin1(raw);
  }
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('\\') && i + 6 < text.size() && text.mid(i + 1, 2).compare(QLatin1String("U+"), Qt::CaseInsensitive) == 0) {
      bool ok = false;
      const uint u = text.mid(i + 3, 4).toUInt(&ok, 16);
      if (ok) {
        out += QChar(static_cast<char16_t>(u));
        i += 6;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// MTEXT carries formatting codes; the plain text keeps paragraph breaks as line breaks.
QString PlainMText(QString Text) {
  Text.replace(QLatin1String("\\P"), QLatin1String("\n"));
  QString out;
  for (qsizetype i = 0; i < Text.size(); ++i) {
    const QChar c = Text[i];
    if (c == QLatin1Char('{') || c == QLatin1Char('}')) continue;
    if (c == QLatin1Char('\\') && i + 1 < Text.size()) {
      const QChar k = Text[i + 1];
      if (k == QLatin1Char('\\') || k == QLatin1Char('{') || k == QLatin1Char('}')) {
        out += k;
        ++i;
        continue;
      }
      // A code with a value up to ';' (font, height, colour, ...), or a one-letter switch.
      const qsizetype semi = Text.indexOf(QLatin1Char(';'), i);
      if (QStringLiteral("fFHCcTQWApS").contains(k) && semi > i) {
        i = semi;
        continue;
      }
      ++i;
      continue;
    }
    out += c;
  }
  return out;
}

class TCollector : public DL_CreationAdapter {
public:
  std::vector<TPrim> Entities;
  std::unordered_map<std::string, TBlock> Blocks;
  std::map<QString, int> Unmapped;

  void addBlock(const DL_BlockData& D) override {
    Flush();
    FBlock = &Blocks[D.name];
    FBlock->Base = TXY{D.bpx, D.bpy};
    FBlock->Prims.clear();
  }
  void endBlock() override {
    Flush();
    FBlock = nullptr;
  }
  void addLine(const DL_LineData& D) override {
    TPrim p = Start(TPrim::Line);
    p.Pts = {TXY{D.x1, D.y1}, TXY{D.x2, D.y2}};
    Add(std::move(p));
  }
  void addPolyline(const DL_PolylineData& D) override {
    Flush();
    FPoly = std::make_unique<TPrim>(Start(TPrim::Poly));
    FPoly->Closed = (D.flags & 1) != 0;
  }
  void addVertex(const DL_VertexData& D) override {
    if (!FPoly) return;
    // A vertex that bulges starts an arc to the next one: the import keeps its ends.
    if (D.bulge != 0) FBulges = true;
    if (FPoly->Pts.size() < kMaxVertices) FPoly->Pts.push_back(TXY{D.x, D.y});
  }
  void endSequence() override { Flush(); }
  void addCircle(const DL_CircleData& D) override {
    TPrim p = Start(TPrim::Circle);
    p.C = TXY{D.cx, D.cy};
    p.R = D.radius;
    Add(std::move(p));
  }
  void addArc(const DL_ArcData& D) override {
    TPrim p = Start(TPrim::Arc);
    p.C = TXY{D.cx, D.cy};
    p.R = D.radius;
    p.Angle = D.angle1 * kPi / 180;
    p.Angle2 = D.angle2 * kPi / 180;
    Add(std::move(p));
  }
  void addEllipse(const DL_EllipseData& D) override {
    const double major = std::hypot(D.mx, D.my);
    const double span = D.angle2 - D.angle1;
    TPrim p = Start(TPrim::Circle);
    p.C = TXY{D.cx, D.cy};
    p.R = major;
    p.Ratio = D.ratio;
    p.Angle = std::atan2(D.my, D.mx);
    if (std::fabs(std::fabs(span) - 2 * kPi) < 1e-9 || span == 0) {
      Add(std::move(p));
      return;
    }
    // An elliptic arc becomes a poly line along it.
    TPrim poly = Start(TPrim::Poly);
    double a2 = D.angle2;
    while (a2 <= D.angle1) a2 += 2 * kPi;
    const double ca = std::cos(p.Angle), sa = std::sin(p.Angle);
    if (!Finite(a2) || !Finite(D.angle1)) return;
    for (int i = 0; i <= kArcPieces; ++i) {
      const double t = D.angle1 + (a2 - D.angle1) * i / kArcPieces;
      const double u = major * std::cos(t), v = major * D.ratio * std::sin(t);
      poly.Pts.push_back(TXY{D.cx + u * ca - v * sa, D.cy + u * sa + v * ca});
    }
    Add(std::move(poly));
  }
  void addText(const DL_TextData& D) override {
    TPrim p = Start(TPrim::Text);
    p.C = TXY{D.ipx, D.ipy};
    p.Height = D.height;
    p.Angle = D.angle;
    p.Str = D.text;
    Add(std::move(p));
  }
  void addMText(const DL_MTextData& D) override {
    TPrim p = Start(TPrim::Text);
    p.C = TXY{D.ipx, D.ipy};
    p.Height = D.height;
    p.Angle = D.angle;
    p.Str = FMTextChunks + D.text;
    FMTextChunks.clear();
    // MTEXT's insertion point is the top of its first line; the text block stands on it.
    p.C.Y -= D.height;
    p.Ratio = -1;  // marks MTEXT formatting
    Add(std::move(p));
  }
  void addMTextChunk(const std::string& Text) override {
    if (FMTextChunks.size() < kMaxText) FMTextChunks += Text;
  }
  void addInsert(const DL_InsertData& D) override {
    TPrim p = Start(TPrim::Insert);
    p.Str = D.name;
    p.C = TXY{D.ipx, D.ipy};
    p.SX = D.sx;
    p.SY = D.sy;
    p.Angle = D.angle * kPi / 180;
    p.Cols = std::max(1, D.cols);
    p.Rows = std::max(1, D.rows);
    p.ColSp = D.colSp;
    p.RowSp = D.rowSp;
    Add(std::move(p));
  }
  // Kinds that have no shape here are counted.
  void addPoint(const DL_PointData&) override { Count("POINT"); }
  void addXLine(const DL_XLineData&) override { Count("XLINE"); }
  void addRay(const DL_RayData&) override { Count("RAY"); }
  void addSpline(const DL_SplineData&) override { Count("SPLINE"); }
  void addTrace(const DL_TraceData&) override { Count("TRACE"); }
  void add3dFace(const DL_3dFaceData&) override { Count("3DFACE"); }
  void addSolid(const DL_SolidData&) override { Count("SOLID"); }
  void addAttribute(const DL_AttributeData&) override { Count("ATTRIB"); }
  void addArcAlignedText(const DL_ArcAlignedTextData&) override { Count("ARCALIGNEDTEXT"); }
  void addDimAlign(const DL_DimensionData&, const DL_DimAlignedData&) override { Count("DIMENSION"); }
  void addDimLinear(const DL_DimensionData&, const DL_DimLinearData&) override { Count("DIMENSION"); }
  void addDimRadial(const DL_DimensionData&, const DL_DimRadialData&) override { Count("DIMENSION"); }
  void addDimDiametric(const DL_DimensionData&, const DL_DimDiametricData&) override { Count("DIMENSION"); }
  void addDimAngular(const DL_DimensionData&, const DL_DimAngular2LData&) override { Count("DIMENSION"); }
  void addDimAngular3P(const DL_DimensionData&, const DL_DimAngular3PData&) override { Count("DIMENSION"); }
  void addDimOrdinate(const DL_DimensionData&, const DL_DimOrdinateData&) override { Count("DIMENSION"); }
  void addLeader(const DL_LeaderData&) override { Count("LEADER"); }
  void addHatch(const DL_HatchData&) override { Count("HATCH"); }
  void addImage(const DL_ImageData&) override { Count("IMAGE"); }

  void Finish() { Flush(); }
  bool HadBulges() const { return FBulges; }

private:
  static constexpr size_t kMaxVertices = 1u << 20;
  static constexpr size_t kMaxText = 1u << 16;

  TPrim Start(TPrim::TKind Kind) {
    if (Kind != TPrim::Poly) Flush();
    TPrim p;
    p.Kind = Kind;
    p.Layer = attributes.getLayer();
    return p;
  }
  void Add(TPrim P) {
    if (FBlock) FBlock->Prims.push_back(std::move(P));
    else Entities.push_back(std::move(P));
  }
  // A poly line ends with its SEQEND, or (LWPOLYLINE) with the next entity.
  void Flush() {
    if (!FPoly) return;
    std::unique_ptr<TPrim> p = std::move(FPoly);
    Add(std::move(*p));
  }
  void Count(const char* Kind) {
    Flush();
    ++Unmapped[QLatin1String(Kind)];
  }

  TBlock* FBlock = nullptr;
  std::unique_ptr<TPrim> FPoly;
  std::string FMTextChunks;
  bool FBulges = false;
};

// Where an inserted block lands: p' = At + Turn(Angle) (Scale (p - Base)).
struct TPlace {
  double A = 1, B = 0, C = 0, D = 1;  // the linear part: x' = A x + B y, y' = C x + D y
  double E = 0, F = 0;                // the offset

  TXY Map(const TXY& P) const { return TXY{A * P.X + B * P.Y + E, C * P.X + D * P.Y + F}; }
  // Whether the map keeps circles circles (a turn and one scale, not mirrored).
  bool Similar() const { return std::fabs(A - D) < 1e-9 * (std::fabs(A) + 1) && std::fabs(B + C) < 1e-9 * (std::fabs(B) + 1); }
  double Scale() const { return std::sqrt(std::fabs(A * D - B * C)); }
  double Turn() const { return std::atan2(C, A); }
  TPlace Then(const TPlace& Outer) const {
    TPlace r;
    r.A = Outer.A * A + Outer.B * C;
    r.B = Outer.A * B + Outer.B * D;
    r.C = Outer.C * A + Outer.D * C;
    r.D = Outer.C * B + Outer.D * D;
    r.E = Outer.A * E + Outer.B * F + Outer.E;
    r.F = Outer.C * E + Outer.D * F + Outer.F;
    return r;
  }
};

// Points along a circle or an ellipse (full, or from A1 counter-clockwise to A2).
std::vector<TXY> RoundPoints(const TPrim& P, double A1, double A2) {
  std::vector<TXY> pts;
  const double ca = std::cos(P.Angle), sa = std::sin(P.Angle);
  for (int i = 0; i <= kArcPieces; ++i) {
    const double t = A1 + (A2 - A1) * i / kArcPieces;
    const double u = P.R * std::cos(t), v = P.R * P.Ratio * std::sin(t);
    pts.push_back(TXY{P.C.X + u * ca - v * sa, P.C.Y + u * sa + v * ca});
  }
  return pts;
}

class TPlacer {
public:
  TPlacer(TMyCAD& Cad, const TCollector& Source, TDxfImportReport& Report, long double Height)
      : FCad(Cad), FSource(Source), FReport(Report), FHeight(Height) {}

  void Place(const std::vector<TPrim>& Prims, const TPlace& Where, int Depth) {
    for (const TPrim& p : Prims) {
      if (Spent()) return;
      if (p.Kind == TPrim::Insert) {
        Insert(p, Where, Depth);
        continue;
      }
      if (FReport.Shapes >= TDxfImportReport::kMaxShapes) {
        ++FReport.Skipped[QStringLiteral("LIMIT")];
        continue;
      }
      if (!Shape(p, Where)) ++FReport.Skipped[KindName(p)];
    }
  }

private:
  // Every entity placed and every cell of an inserted array is a step. Blocks that insert only
  // other blocks add no shapes, so the shape limit alone would not end their expansion.
  static constexpr int64_t kMaxSteps = 4000000;
  bool Spent() {
    if (FSteps <= kMaxSteps && ++FSteps <= kMaxSteps) return false;
    if (!FSpentCounted) ++FReport.Skipped[QStringLiteral("LIMIT")];
    FSpentCounted = true;
    return true;
  }
  int64_t FSteps = 0;
  bool FSpentCounted = false;

  static QString KindName(const TPrim& P) {
    switch (P.Kind) {
      case TPrim::Line: return QStringLiteral("LINE");
      case TPrim::Poly: return QStringLiteral("POLYLINE");
      case TPrim::Circle: return QStringLiteral("CIRCLE");
      case TPrim::Arc: return QStringLiteral("ARC");
      case TPrim::Text: return QStringLiteral("TEXT");
      case TPrim::Insert: return QStringLiteral("INSERT");
    }
    return QString();
  }

  void Insert(const TPrim& P, const TPlace& Where, int Depth) {
    const auto block = FSource.Blocks.find(P.Str);
    if (block == FSource.Blocks.end() || Depth >= kMaxInsertDepth || !Finite(P.SX) || !Finite(P.SY) ||
        !Finite(P.Angle) || !Finite(P.C.X) || !Finite(P.C.Y)) {
      ++FReport.Skipped[QStringLiteral("INSERT")];
      return;
    }
    const double ca = std::cos(P.Angle), sa = std::sin(P.Angle);
    const int cols = std::min(P.Cols, 1000), rows = std::min(P.Rows, 1000);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        if (FReport.Shapes >= TDxfImportReport::kMaxShapes || Spent()) {
          ++FReport.Skipped[QStringLiteral("LIMIT")];
          return;
        }
        // The block's base point goes to the insertion point (moved along the array's turned
        // columns and rows), scaled and then turned.
        const double ox = c * P.ColSp, oy = r * P.RowSp;
        TPlace local;
        local.A = ca * P.SX;
        local.B = -sa * P.SY;
        local.C = sa * P.SX;
        local.D = ca * P.SY;
        const TXY base = block->second.Base;
        local.E = P.C.X + ox * ca - oy * sa - (local.A * base.X + local.B * base.Y);
        local.F = P.C.Y + ox * sa + oy * ca - (local.C * base.X + local.D * base.Y);
        Place(block->second.Prims, local.Then(Where), Depth + 1);
      }
    }
  }

  // DXF millimetres, y upwards, to drawing pixels, y downwards.
  TMyPoint Pixel(const TXY& P) const {
    return TMyPoint{static_cast<float>(P.X * kPixelsPerMm), static_cast<float>(FHeight - P.Y * kPixelsPerMm)};
  }
  bool AllFinite(const std::vector<TXY>& Pts) const {
    for (const TXY& p : Pts)
      if (!Finite(p.X) || !Finite(p.Y)) return false;
    return true;
  }

  bool SetLayer(const std::string& Name) {
    QString name = DecodeDxfText(Name);
    if (name.isEmpty()) name = QStringLiteral("0");
    int32_t id = FCad.GetLayerIdByName(name);
    if (id < 0) {
      if (FCad.GetLayersCount() >= 255) id = FCad.CurrentLayerId();
      else {
        id = FCad.NewLayer(name, true);
        if (id >= 0) FReport.NewLayers << name;
      }
    }
    if (id < 0) return false;
    if (FCad.CurrentLayerId() != id) FCad.SetCurrentLayerId(id);
    return true;
  }

  bool Add(TDrawTool Tool, const TArrMyPoint& Pts, long double Angle = 0, const QString& Text = QString()) {
    if (FCad.AddShapeByCode(&FCad, Tool, QString(), Pts, Angle, Text) < 0) return false;
    ++FReport.Shapes;
    return true;
  }

  bool Polyline(std::vector<TXY> Pts, bool Closed, const TPlace& Where) {
    for (TXY& p : Pts) p = Where.Map(p);
    if (!AllFinite(Pts) || Pts.size() < 2) return false;
    TArrMyPoint px;
    for (const TXY& p : Pts) px.push_back(Pixel(p));
    if (!Closed) return Add(TDrawTool::SpPolyLine, px);
    // A closed outline lists each corner once; the polygon closes itself.
    if (px.size() > 2 && px.back() == px.front()) px.pop_back();
    if (px.size() == 4) {
      // Four corners square to the axes: a rectangle, from its top-left corner clockwise.
      const float l = std::min({px[0].X, px[1].X, px[2].X, px[3].X}), r = std::max({px[0].X, px[1].X, px[2].X, px[3].X});
      const float t = std::min({px[0].Y, px[1].Y, px[2].Y, px[3].Y}), b = std::max({px[0].Y, px[1].Y, px[2].Y, px[3].Y});
      int onCorner = 0;
      for (const TMyPoint& p : px)
        if ((p.X == l || p.X == r) && (p.Y == t || p.Y == b)) ++onCorner;
      const bool distinct = !(px[0] == px[1] || px[0] == px[2] || px[0] == px[3] || px[1] == px[2] || px[1] == px[3] || px[2] == px[3]);
      if (onCorner == 4 && distinct && l < r && t < b)
        return Add(TDrawTool::SpRectangle, TArrMyPoint{{l, t}, {r, t}, {r, b}, {l, b}});
    }
    if (px.size() < 2) return false;
    return Add(TDrawTool::SpPolygon, px);
  }

  bool Shape(const TPrim& P, const TPlace& Where) {
    if (!SetLayer(P.Layer)) return false;
    switch (P.Kind) {
      case TPrim::Line: {
        if (P.Pts.size() != 2) return false;
        const TXY a = Where.Map(P.Pts[0]), b = Where.Map(P.Pts[1]);
        if (!AllFinite({a, b})) return false;
        return Add(TDrawTool::SpLine, TArrMyPoint{Pixel(a), Pixel(b)});
      }
      case TPrim::Poly:
        return Polyline(P.Pts, P.Closed, Where);
      case TPrim::Circle: {
        if (!Finite(P.R) || !Finite(P.C.X) || !Finite(P.C.Y) || !Finite(P.Ratio) || !Finite(P.Angle)) return false;
        if (!Where.Similar()) return Polyline(RoundPoints(P, 0, 2 * kPi), true, Where);
        const TXY c = Where.Map(P.C);
        const double rx = P.R * Where.Scale(), ry = rx * std::fabs(P.Ratio);
        const TMyPoint pc = Pixel(c);
        const float ax = static_cast<float>(rx * kPixelsPerMm), ay = static_cast<float>(ry * kPixelsPerMm);
        const TArrMyPoint box{{pc.X - ax, pc.Y - ay}, {pc.X + ax, pc.Y - ay}, {pc.X + ax, pc.Y + ay}, {pc.X - ax, pc.Y + ay}};
        // Turned counter-clockwise in the file is turned clockwise on the screen.
        const double turn = P.Ratio == 1 ? 0 : -(P.Angle + Where.Turn());
        return Add(TDrawTool::SpEllipse, box, turn);
      }
      case TPrim::Arc: {
        if (!Finite(P.R) || !Finite(P.C.X) || !Finite(P.C.Y) || !Finite(P.Angle) || !Finite(P.Angle2)) return false;
        double a2 = P.Angle2;
        while (a2 <= P.Angle) a2 += 2 * kPi;
        if (!Where.Similar()) return Polyline(RoundPoints(P, P.Angle, a2), false, Where);
        // The arc shape runs from its first point through the circle of its three points to its
        // last; the middle point is the middle of the arc.
        const auto at = [&](double A) { return Pixel(Where.Map(TXY{P.C.X + P.R * std::cos(A), P.C.Y + P.R * std::sin(A)})); };
        return Add(TDrawTool::SpElliArc, TArrMyPoint{at(a2), at((P.Angle + a2) / 2), at(P.Angle)});
      }
      case TPrim::Text: {
        QString text = DecodeDxfText(P.Str);
        if (P.Ratio < 0) text = PlainMText(text);
        const TXY at = Where.Map(P.C);
        const double h = P.Height * Where.Scale() * kPixelsPerMm;
        if (!Finite(at.X) || !Finite(at.Y) || !Finite(h) || text.isEmpty()) return false;
        // The box stands on the insertion point, as high as the text and about as wide.
        qsizetype longest = 0;
        for (const QString& line : text.split(QLatin1Char('\n'))) longest = std::max(longest, line.size());
        const TMyPoint bl = Pixel(at);
        const float hh = static_cast<float>(std::max(1.0, h)), w = static_cast<float>(std::max(1.0, h * 0.6 * longest));
        const TArrMyPoint box{{bl.X, bl.Y - hh}, {bl.X + w, bl.Y - hh}, {bl.X + w, bl.Y}, {bl.X, bl.Y}};
        const double turn = Finite(P.Angle) ? -(P.Angle + Where.Turn()) : 0;
        return Add(TDrawTool::SpText, box, turn, text);
      }
      case TPrim::Insert:
        break;
    }
    return false;
  }
  TMyCAD& FCad;
  const TCollector& FSource;
  TDxfImportReport& FReport;
  long double FHeight;
};

}  // namespace

bool TMyCAD::ImportDxf(const QString& FileName, TDxfImportReport& Report) {
  Report = TDxfImportReport{};
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly)) {
    Report.Error = QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, file.errorString());
    return false;
  }
  if (!ImportDxfData(file.readAll(), Report)) {
    Report.Error = QStringLiteral("\"%1\" holds no drawing entities that can be read as DXF.").arg(FileName);
    return false;
  }
  return true;
}

bool TMyCAD::ImportDxfData(const QByteArray& Bytes, TDxfImportReport& Report) {
  Report = TDxfImportReport{};
  TCollector collector;
  bool read = false;
  try {
    std::istringstream in(Bytes.toStdString());
    DL_Dxf dxf;
    read = dxf.in(in, &collector);
    collector.Finish();
  } catch (...) {
    read = false;
  }
  if (!read || (collector.Entities.empty() && collector.Unmapped.empty())) {
    Report.Error = QStringLiteral("The data holds no drawing entities that can be read as DXF.");
    return false;
  }
  Report.Skipped = collector.Unmapped;
  const int32_t oldLayer = FCurrentLayerId;
  const long double height = FZoom > 0 ? Height() / static_cast<long double>(FZoom) : Height();
  BeginUndoGroup();
  TPlacer placer(*this, collector, Report, height);
  placer.Place(collector.Entities, TPlace{}, 0);
  EndUndoGroup();
  if (GetLayerNoById(oldLayer) >= 0) SetCurrentLayerId(oldLayer);
  SetCurrentShape(nullptr);
  DeSelectedAllShapesByCode();
  SetModified(true);
  Repaint();
  return true;
}

}  // namespace cad
