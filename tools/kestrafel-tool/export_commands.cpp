// kestrafel-tool export, print and import-dxf: a drawing out to other formats, printed into a
// PDF file, and a DXF file read into a new drawing.
#include "tool.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>
#include <exception>
#include <set>

namespace tool {

namespace {

bool ParsePositive(const QString& Text, double Max, double& Value) {
  bool ok = false;
  Value = Text.toDouble(&ok);
  return ok && std::isfinite(Value) && Value > 0 && Value <= Max;
}

// The options the commands share, and the files left over.
struct TOptions {
  double Zoom = 1;
  double Scale = 1;
  std::vector<int32_t> Layers;
  QStringList Files;
};

int ParseOptions(const QStringList& Args, const QStringList& Allowed, TOptions& Out) {
  std::map<QString, QString> options;
  if (const int r = SplitOptions(Args, Allowed, options, Out.Files)) return r;
  for (const auto& [name, value] : options) {
    if (name == QLatin1String("--zoom") || name == QLatin1String("--scale")) {
      double v = 0;
      if (!ParsePositive(value, kMaxZoom, v))
        return UsageError(QStringLiteral("%1 must be a number above 0 and at most 64, not \"%2\"").arg(name, value));
      (name == QLatin1String("--zoom") ? Out.Zoom : Out.Scale) = v;
    } else {
      for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int id = part.trimmed().toInt(&ok);
        if (!ok) return UsageError(QStringLiteral("--layers wants layer ids like 0,2, not \"%1\"").arg(value));
        Out.Layers.push_back(id);
      }
      if (Out.Layers.empty()) return UsageError(QStringLiteral("--layers wants at least one layer id"));
    }
  }
  return kOk;
}

// Keeps only the shapes of the chosen layers in the tool's copy of the drawing.
int KeepLayers(cad::TMyCAD& Cad, const std::vector<int32_t>& Layers, const QString& File) {
  if (Layers.empty()) return kOk;
  const std::set<int32_t> keep(Layers.begin(), Layers.end());
  for (int32_t id : keep)
    if (Cad.GetLayerNoById(id) < 0) return FileError(File, QStringLiteral("has no layer %1").arg(id));
  std::vector<int32_t> drop;
  for (int32_t i = 0; i < Cad.GetShapesCount(); ++i) {
    cad::TMyShape* s = Cad.GetShapeByNo(i);
    if (!s->HasParentShape() && !keep.count(s->LayerId)) drop.push_back(s->ShapeId);
  }
  for (int32_t id : drop) Cad.DeleteShapeById(id, false);
  return kOk;
}

int WriteSvg(cad::TMyCAD& Cad, const QString& OutFile, double Zoom) {
  QByteArray svg;
  QBuffer buffer(&svg);
  QSvgGenerator gen;
  // The page at that zoom; a vector picture needs no pixels, only a size that fits in integers.
  const double z0 = Cad.Zoom() > 0 ? Cad.Zoom() : 1;
  const double w = Cad.Width() / z0 * Zoom, h = Cad.Height() / z0 * Zoom;
  const QSize size = w < 1e9 && h < 1e9 ? QSize(static_cast<int>(std::lround(w)), static_cast<int>(std::lround(h))) : QSize();
  if (size.isEmpty()) return FileError(OutFile, QStringLiteral("the page is empty or too large at zoom %1").arg(Zoom));
  gen.setOutputDevice(&buffer);
  gen.setSize(size);
  gen.setViewBox(QRect(QPoint(), size));
  gen.setTitle(QFileInfo(OutFile).completeBaseName());
  Cad.PaintShapesTo(&gen, Zoom, QPoint());
  QSaveFile out(OutFile);
  if (!out.open(QIODevice::WriteOnly) || out.write(svg) != svg.size() || !cad::CommitSaveFile(out))
    return FileError(OutFile, QStringLiteral("cannot be written"));
  return kOk;
}

}  // namespace

int Export(const QStringList& Args) {
  TOptions o;
  if (const int r = ParseOptions(Args, {QStringLiteral("--zoom"), QStringLiteral("--layers")}, o)) return r;
  if (o.Files.size() != 2) return UsageError(QStringLiteral("export takes a drawing and an output file"));
  const QString in = o.Files[0], out = o.Files[1];
  const QString suffix = QFileInfo(out).suffix().toLower();
  static const QStringList kinds = {QStringLiteral("dxf"), QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                    QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf")};
  if (!kinds.contains(suffix))
    return UsageError(QStringLiteral("the output file must end in .dxf, .bmp, .jpg, .png, .svg or .pdf"));
  cad::TMyCAD cad;
  if (const int r = Load(cad, in)) return r;
  if (const int r = KeepLayers(cad, o.Layers, in)) return r;
  try {
    if (suffix == QLatin1String("svg")) return WriteSvg(cad, out, o.Zoom);
    if (suffix == QLatin1String("pdf")) {
      cad.PrintToPdf(out, {}, o.Zoom);
      return kOk;
    }
    if (suffix == QLatin1String("dxf")) {
      cad.SaveToDxf(out);
      return kOk;
    }
    cad.SetZoom(o.Zoom);
    if (suffix == QLatin1String("bmp")) cad.SaveToBmp(out);
    else if (suffix == QLatin1String("png")) cad.SavePicture(out, "PNG");
    else cad.SaveToJpg(out, 90);
  } catch (const std::exception& e) {
    return FileError(out, QString::fromLocal8Bit(e.what()));
  }
  return kOk;
}

int Print(const QStringList& Args) {
  TOptions o;
  if (const int r = ParseOptions(Args, {QStringLiteral("--scale"), QStringLiteral("--layers")}, o)) return r;
  if (o.Files.size() != 2) return UsageError(QStringLiteral("print takes a drawing and an output PDF file"));
  if (QFileInfo(o.Files[1]).suffix().toLower() != QLatin1String("pdf"))
    return UsageError(QStringLiteral("print writes PDF files only (OUT.pdf)"));
  cad::TMyCAD cad;
  if (const int r = Load(cad, o.Files[0])) return r;
  for (int32_t id : o.Layers)
    if (cad.GetLayerNoById(id) < 0) return FileError(o.Files[0], QStringLiteral("has no layer %1").arg(id));
  try {
    cad.PrintToPdf(o.Files[1], o.Layers, o.Scale);
  } catch (const std::exception& e) {
    return FileError(o.Files[1], QString::fromLocal8Bit(e.what()));
  }
  return kOk;
}

int ImportDxf(const QStringList& Args) {
  if (Args.size() != 2) return UsageError(QStringLiteral("import-dxf takes a DXF file and an output drawing"));
  cad::TMyCAD cad;
  cad.SetZoom(1);
  cad::TDxfImportReport report;
  if (!cad.ImportDxf(Args[0], report)) return FileError(Args[0], report.Error);
  if (!cad.SaveToFile(Args[1])) return FileError(Args[1], QStringLiteral("cannot be written"));
  Out(report.Summary());
  return kOk;
}

}  // namespace tool
