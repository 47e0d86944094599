// Runs the built kestrafel-tool as a program and gives its exit code and output.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

namespace testing_support {

struct TRun {
  int Exit = -1;
  QString Out, Err;
};

inline TRun Tool(const QStringList& Args) {
  QProcess p;
  // No runtime folder in the environment: the toolkit's note about it must not show.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(KESTRAFEL_TOOL), Args);
  EXPECT_TRUE(p.waitForFinished(60000)) << Args.join(' ').toStdString();
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardOutput()),
          QString::fromLocal8Bit(p.readAllStandardError())};
}

}  // namespace testing_support
