#include "tool.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <exception>

namespace tool {

const char kUsage[] =
    "Usage: kestrafel-tool info FILE\n"
    "       kestrafel-tool render FILE OUT.png [--zoom Z]\n"
    "       kestrafel-tool upgrade IN OUT\n"
    "       kestrafel-tool lib list LIB\n"
    "       kestrafel-tool lib render LIB NAME OUT.png [--size N]\n"
    "       kestrafel-tool lib upgrade IN OUT\n"
    "       kestrafel-tool export FILE OUT.{dxf,bmp,jpg,png,svg,pdf} [--zoom Z] [--layers 0,2]\n"
    "       kestrafel-tool print FILE OUT.pdf [--scale S] [--layers 0,2]\n"
    "       kestrafel-tool import-dxf IN.dxf OUT.vorn\n"
    "       kestrafel-tool --help\n"
    "\n"
    "  info     prints the file's generation, page size, layers and shape counts\n"
    "  render   writes the drawing as a PNG picture at zoom Z (above 0, at most 64; default 1)\n"
    "  upgrade  loads a drawing of any generation and saves it in the newest one\n"
    "  lib list     prints a shape library's generation and its entries with size and contents\n"
    "  lib render   writes the preview of the entry NAME as an N x N PNG picture (3 to 4096;\n"
    "               default 64)\n"
    "  lib upgrade  loads a shape library of any generation and saves it in the newest one\n"
    "  export   writes the drawing (or the shapes of the given layers) in the format the\n"
    "           output's extension names, pictures and PDF at zoom Z (default 1)\n"
    "  print    prints the page with its border, head and foot into a PDF file of the page's\n"
    "           paper size, at scale S (1: the drawing's screen size in inches)\n"
    "  import-dxf  reads a DXF file into a new drawing and says what it could not map\n"
    "\n"
    "Exit status: 0 success, 1 a file cannot be read, is no drawing or library, is damaged or\n"
    "cannot be written (or has no such entry), 2 wrong arguments.\n";

void Out(const QString& Line) { std::fprintf(stdout, "%s\n", Line.toLocal8Bit().constData()); }
void Err(const QString& Line) { std::fprintf(stderr, "%s\n", Line.toLocal8Bit().constData()); }

int FileError(const QString& File, const QString& What) {
  Err(File + QStringLiteral(": ") + What);
  return kFileError;
}

int UsageError(const QString& What) {
  Err(QStringLiteral("kestrafel-tool: ") + What);
  std::fputs(kUsage, stderr);
  return kUsageError;
}

QString ReadFailure(const QString& File, const char* Fallback) {
  const QFileInfo info(File);
  if (!info.exists()) return QStringLiteral("no such file");
  if (info.isDir()) return QStringLiteral("it is a directory");
  QFile f(File);
  if (!f.open(QIODevice::ReadOnly)) return f.errorString();
  return QString::fromLocal8Bit(Fallback);
}

int SplitOptions(const QStringList& Args, const QStringList& Names, std::map<QString, QString>& Values, QStringList& Rest) {
  for (qsizetype i = 0; i < Args.size(); ++i) {
    const QString& a = Args[i];
    if (!a.startsWith(QLatin1String("--"))) {
      Rest << a;
      continue;
    }
    const qsizetype eq = a.indexOf(QLatin1Char('='));
    const QString name = eq < 0 ? a : a.left(eq);
    if (!Names.contains(name)) return UsageError(QStringLiteral("unknown option %1").arg(a));
    if (eq >= 0) {
      Values[name] = a.mid(eq + 1);
    } else {
      if (i + 1 >= Args.size()) return UsageError(QStringLiteral("%1 wants a value").arg(name));
      Values[name] = Args[++i];
    }
  }
  return kOk;
}

int Load(cad::TMyCAD& Cad, const QString& File) {
  try {
    if (!cad::TMyCAD::IsVORNFile(File)) return FileError(File, QStringLiteral("not a drawing file"));
  } catch (const std::exception& e) {
    return FileError(File, QStringLiteral("cannot be read: ") + ReadFailure(File, e.what()));
  }
  bool loaded = false;
  try {
    loaded = Cad.LoadFromFile(File);
  } catch (const std::exception&) {
    loaded = false;
  }
  if (!loaded) return FileError(File, QStringLiteral("not loaded: ") + Cad.LastFileError());
  return kOk;
}

}  // namespace tool
