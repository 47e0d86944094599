// Shared pieces of kestrafel-tool's commands: output, exit codes and loading a drawing with a
// message that names the file. Each group of commands lives in its own file and is dispatched
// from main.cpp.
#pragma once

#include <cad/cad.h>

#include <QString>
#include <QStringList>

namespace tool {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsageError = 2;
// Above this a page is tens of thousands of pixels wide; the surface's own zoom range ends here.
constexpr double kMaxZoom = 64;

// The usage text printed by --help and after a wrong argument.
extern const char kUsage[];

// One line to standard output or standard error.
void Out(const QString& Line);
void Err(const QString& Line);
// Prints "File: What" and gives the file-error exit status.
int FileError(const QString& File, const QString& What);
// Prints the complaint and the usage text and gives the usage exit status.
int UsageError(const QString& What);
// Why a file cannot be opened for reading, in the system's words.
QString ReadFailure(const QString& File, const char* Fallback);
// The shape-library commands ("lib list", "lib render", "lib upgrade"), the word "lib" taken.
int LibCommand(QStringList Args);
// Loads File into Cad; on failure the message is printed and the exit status returned.
int Load(cad::TMyCAD& Cad, const QString& File);

}  // namespace tool
