// kestrafel-tool's shape-library commands:
//
//   kestrafel-tool lib list LIB                          the entries, one per line
//   kestrafel-tool lib render LIB NAME OUT [--size N]    an entry's preview as a PNG picture
//   kestrafel-tool lib upgrade IN OUT                    the library saved in the newest generation
#include "tool.h"

#include <QSaveFile>
#include <exception>

namespace tool {

namespace {

constexpr int kDefaultPreviewSize = 64;
constexpr int kMaxPreviewSize = 4096;

// Loads a library of any generation (the old format as raw bytes); on failure the message is
// printed and the exit status returned.
int LoadLibrary(cad::TLibManager& Lib, const QString& File) {
  bool current = false, old = false;
  try {
    current = cad::IsVORNLibFile(File);
    old = !current && cad::IsOLDVORNLibFile(File);
  } catch (const std::exception& e) {
    return FileError(File, QStringLiteral("cannot be read: ") + ReadFailure(File, e.what()));
  }
  if (!current && !old) return FileError(File, QStringLiteral("not a shape library"));
  if (!(current ? Lib.LoadFromFile(File) : Lib.LoadFromOldFile(File)))
    return FileError(File, QStringLiteral("cannot be read: ") + ReadFailure(File, "read error"));
  return kOk;
}

QString TagOf(cad::TLibManager& Lib) {
  int64_t length = 0, position = 0;
  QString tag;
  Lib.ReadLibTag(length, position, tag);
  return tag;
}

int List(const QString& File) {
  cad::TLibManager lib;
  if (const int r = LoadLibrary(lib, File)) return r;
  const int32_t count = lib.cmbShapesCount();
  Out(QStringLiteral("file: ") + File);
  Out(QStringLiteral("generation: ") + TagOf(lib));
  Out(QStringLiteral("entries: %1").arg(count));
  bool damaged = false;
  for (int32_t i = 0; i < count; ++i) {
    const QString name = lib.GetCmbShapesNameByID(i);
    cad::TArrMyPoint links;
    cad::TUserData data;
    cad::TLibShapes shapes;
    int32_t w = 0, h = 0;
    const bool read = lib.GetCmbShape(name, links, &data, shapes, w, h, true);
    if (!read) {
      damaged = true;
      Out(QStringLiteral("  \"%1\": cannot be read").arg(name));
      continue;
    }
    Out(QStringLiteral("  \"%1\": %2 x %3, %4 shapes, %5 link points, %6 user data")
            .arg(name, QString::number(w), QString::number(h), QString::number(shapes.size()),
                 QString::number(links.size()), QString::number(data.GetCount())));
  }
  return damaged ? FileError(File, QStringLiteral("damaged entries")) : kOk;
}

int Render(const QString& File, const QString& Name, const QString& OutFile, int Size) {
  cad::TLibManager lib;
  if (const int r = LoadLibrary(lib, File)) return r;
  cad::TArrMyPoint links;
  cad::TLibShapes shapes;
  int32_t w = 0, h = 0;
  int64_t position = 0, length = 0;
  if (!lib.GetExistShape(Name, position, length)) return FileError(File, QStringLiteral("no entry \"%1\"").arg(Name));
  if (!lib.GetCmbShape(Name, links, nullptr, shapes, w, h, false))
    return FileError(File, QStringLiteral("entry \"%1\" cannot be read").arg(Name));
  cad::TBitmap bmp;
  lib.GetCmbShapeImage(Name, Size, bmp, cad::clWhite);
  // Written beside the target and put in place whole, so a failed write leaves no half picture.
  QSaveFile out(OutFile);
  if (!out.open(QIODevice::WriteOnly) || !bmp.Image().save(&out, "PNG") || !out.commit())
    return FileError(OutFile, QStringLiteral("cannot be written: ") + out.errorString());
  return kOk;
}

int Upgrade(const QString& InFile, const QString& OutFile) {
  cad::TLibManager lib;
  if (const int r = LoadLibrary(lib, InFile)) return r;
  if (!lib.Upgradefromx9toxa(QString()))
    return FileError(InFile, QStringLiteral("damaged entries cannot be upgraded; nothing written"));
  try {
    lib.SavetoFile(OutFile);
  } catch (const std::exception& e) {
    return FileError(OutFile, QString::fromUtf8(e.what()));
  }
  return kOk;
}

}  // namespace

int LibCommand(QStringList Args) {
  if (Args.isEmpty()) return UsageError(QStringLiteral("lib wants list, render or upgrade"));
  const QString command = Args.takeFirst();
  if (command == QLatin1String("list")) {
    if (Args.size() != 1) return UsageError(QStringLiteral("lib list takes one library"));
    return List(Args[0]);
  }
  if (command == QLatin1String("upgrade")) {
    if (Args.size() != 2) return UsageError(QStringLiteral("lib upgrade takes an input and an output library"));
    return Upgrade(Args[0], Args[1]);
  }
  if (command == QLatin1String("render")) {
    int size = kDefaultPreviewSize;
    QStringList rest;
    for (qsizetype i = 0; i < Args.size(); ++i) {
      QString value;
      if (Args[i] == QLatin1String("--size")) {
        if (i + 1 >= Args.size()) return UsageError(QStringLiteral("--size wants a value"));
        value = Args[++i];
      } else if (Args[i].startsWith(QLatin1String("--size="))) {
        value = Args[i].mid(7);
      } else if (Args[i].startsWith(QLatin1String("--"))) {
        return UsageError(QStringLiteral("unknown option %1").arg(Args[i]));
      } else {
        rest << Args[i];
        continue;
      }
      bool ok = false;
      size = value.toInt(&ok);
      if (!ok || size < 3 || size > kMaxPreviewSize)
        return UsageError(QStringLiteral("the size must be a whole number from 3 to %1, not \"%2\"").arg(kMaxPreviewSize).arg(value));
    }
    if (rest.size() != 3) return UsageError(QStringLiteral("lib render takes a library, an entry name and an output file"));
    return Render(rest[0], rest[1], rest[2], size);
  }
  return UsageError(QStringLiteral("unknown lib command \"%1\"").arg(command));
}

}  // namespace tool
