// kestrafel-tool: reads, renders and upgrades drawing files without a window.
//
//   kestrafel-tool info FILE                    what the file holds, one item per line
//   kestrafel-tool render FILE OUT [--zoom Z]   the drawing as a PNG picture (zoom 1 by default)
//   kestrafel-tool upgrade IN OUT               the drawing saved again in the newest generation
//   kestrafel-tool lib ...                      shape libraries (lib_commands.cpp)
//
// Exit status: 0 on success, 1 when a file cannot be read, is no drawing, is damaged or cannot
// be written, 2 for wrong arguments. Messages go to standard error and name the file.
#include "tool.h"

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

using namespace tool;

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
  if (command == QLatin1String("lib")) return LibCommand(Args);
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
