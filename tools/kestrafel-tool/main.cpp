// kestrafel-tool: reads, renders and upgrades drawing files without a window.
//
//   kestrafel-tool info FILE                    what the file holds, one item per line
//   kestrafel-tool render FILE OUT [--zoom Z]   the drawing as a PNG picture (zoom 1 by default)
//   kestrafel-tool upgrade IN OUT               the drawing saved again in the newest generation
//
// Exit status: 0 on success, 1 when a file cannot be read, is no drawing, is damaged or cannot
// be written, 2 for wrong arguments. Messages go to standard error and name the file.
#include <cad/cad.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QSaveFile>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <exception>
#include <map>

namespace {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsageError = 2;
// Above this a page is tens of thousands of pixels wide; the surface's own zoom range ends here.
constexpr double kMaxZoom = 64;

const char kUsage[] =
    "Usage: kestrafel-tool info FILE\n"
    "       kestrafel-tool render FILE OUT.png [--zoom Z]\n"
    "       kestrafel-tool upgrade IN OUT\n"
    "       kestrafel-tool --help\n"
    "\n"
    "  info     prints the file's generation, page size, layers and shape counts\n"
    "  render   writes the drawing as a PNG picture at zoom Z (above 0, at most 64; default 1)\n"
    "  upgrade  loads a drawing of any generation and saves it in the newest one\n"
    "\n"
    "Exit status: 0 success, 1 a file cannot be read, is no drawing, is damaged or cannot be\n"
    "written, 2 wrong arguments.\n";

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

// Why a file cannot be opened for reading, in the system's words.
QString ReadFailure(const QString& File, const char* Fallback) {
  const QFileInfo info(File);
  if (!info.exists()) return QStringLiteral("no such file");
  if (info.isDir()) return QStringLiteral("it is a directory");
  QFile f(File);
  if (!f.open(QIODevice::ReadOnly)) return f.errorString();
  return QString::fromLocal8Bit(Fallback);
}

// Loads File into Cad; on failure the message is printed and the exit status returned.
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
  if (!loaded) return FileError(File, QStringLiteral("damaged or truncated drawing"));
  return kOk;
}

QString PageStyleName(cad::TPageStyle Style) {
  const char* key = QMetaEnum::fromType<cad::TPageStyle>().valueToKey(static_cast<int>(Style));
  return key ? QString::fromLatin1(key) : QString::number(static_cast<int>(Style));
}

// The version field is fixed-width: the label padded with blanks or zero bytes.
QString Generation(const QString& Field) {
  QString g = Field;
  g.replace(QChar(0), QChar(' '));
  return g.trimmed();
}

int Info(const QString& File) {
  cad::TMyCAD cad;
  if (const int r = Load(cad, File)) return r;
  // Pixel sizes are told at zoom 1, whatever zoom the drawing was saved with.
  cad.SetZoom(1);
  Out(QStringLiteral("file: ") + File);
  Out(QStringLiteral("generation: %1").arg(Generation(cad.DiskFileVersion())));
  Out(QStringLiteral("page: %1, %2 x %3 mm")
          .arg(PageStyleName(cad.PageStyle()))
          .arg(cad.PageWidth())
          .arg(cad.PageHeight()));
  Out(QStringLiteral("drawing: %1 x %2 pixels at zoom 1").arg(cad.Width()).arg(cad.Height()));
  Out(QStringLiteral("layers: %1").arg(cad.Layers().size()));
  for (const cad::LayerRec& l : cad.Layers())
    // One substitution pass: a layer name holding "%1" stays as it is.
    Out(QStringLiteral("  layer %1 \"%2\": %3, %4 shapes")
            .arg(QString::number(l.LayerId), l.LayerName,
                 l.Visible ? QStringLiteral("visible") : QStringLiteral("hidden"),
                 QString::number(cad.GetShapesCountInALayer(l.LayerId))));
  std::map<QString, int> byClass;
  for (int32_t i = 0; i < cad.GetShapesCount(); ++i) ++byClass[cad.GetShapeByNo(i)->ClassName()];
  Out(QStringLiteral("shapes: %1").arg(cad.GetShapesCount()));
  for (const auto& [name, count] : byClass) Out(QStringLiteral("  %1: %2").arg(name, QString::number(count)));
  return kOk;
}

int Render(const QString& File, const QString& OutFile, double Zoom) {
  cad::TMyCAD cad;
  if (const int r = Load(cad, File)) return r;
  const QImage image = cad.RenderToImage(Zoom);
  if (image.isNull())
    return FileError(File, QStringLiteral("cannot be rendered at zoom %1: the picture would be empty or too large")
                               .arg(Zoom));
  // Written beside the target and put in place whole, so a failed write leaves no half picture.
  QSaveFile out(OutFile);
  if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit())
    return FileError(OutFile, QStringLiteral("cannot be written"));
  return kOk;
}

int Upgrade(const QString& InFile, const QString& OutFile) {
  cad::TMyCAD cad;
  if (const int r = Load(cad, InFile)) return r;
  // Saving reports every failure as false and leaves no partial file.
  if (!cad.SaveToFile(OutFile)) return FileError(OutFile, QStringLiteral("cannot be written"));
  return kOk;
}

int Run(QStringList Args) {
  if (Args.isEmpty()) return UsageError(QStringLiteral("no command given"));
  if (Args.contains(QStringLiteral("--help")) || Args.contains(QStringLiteral("-h"))) {
    std::fputs(kUsage, stdout);
    return kOk;
  }
  const QString command = Args.takeFirst();
  if (command == QLatin1String("info")) {
    if (Args.size() != 1) return UsageError(QStringLiteral("info takes one file"));
    return Info(Args[0]);
  }
  if (command == QLatin1String("upgrade")) {
    if (Args.size() != 2) return UsageError(QStringLiteral("upgrade takes an input and an output file"));
    return Upgrade(Args[0], Args[1]);
  }
  if (command == QLatin1String("render")) {
    double zoom = 1;
    QStringList files;
    for (qsizetype i = 0; i < Args.size(); ++i) {
      QString value;
      if (Args[i] == QLatin1String("--zoom")) {
        if (i + 1 >= Args.size()) return UsageError(QStringLiteral("--zoom wants a value"));
        value = Args[++i];
      } else if (Args[i].startsWith(QLatin1String("--zoom="))) {
        value = Args[i].mid(7);
      } else if (Args[i].startsWith(QLatin1String("--"))) {
        return UsageError(QStringLiteral("unknown option %1").arg(Args[i]));
      } else {
        files << Args[i];
        continue;
      }
      bool ok = false;
      zoom = value.toDouble(&ok);
      if (!ok || !std::isfinite(zoom) || !(zoom > 0) || zoom > kMaxZoom)
        return UsageError(QStringLiteral("the zoom must be a number above 0 and at most 64, not \"%1\"").arg(value));
    }
    if (files.size() != 2) return UsageError(QStringLiteral("render takes a drawing and an output file"));
    return Render(files[0], files[1], zoom);
  }
  return UsageError(QStringLiteral("unknown command \"%1\"").arg(command));
}

}  // namespace

int main(int argc, char** argv) {
  // No window is ever shown: without a platform asked for, the tool runs headless.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Real lengths and pixel sizes come out the same on every machine.
  cad::SetScreenPixelsPerInch(96);
  // Whatever the component has to say goes to standard error; a question is answered with the
  // choice that changes nothing (Cancel, else No, else OK).
  cad::SetMessageHandler([](const cad::TMessageRequest& r) {
    Err(QStringLiteral("kestrafel-tool: ") + r.Text);
    if (r.Buttons & cad::mbCancel) return static_cast<int>(cad::mrCancel);
    if (r.Buttons & cad::mbNo) return static_cast<int>(cad::mrNo);
    return static_cast<int>(cad::mrOk);
  });
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  return Run(args);
}
