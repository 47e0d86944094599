// Kestrafel: the drawing editor.
#include "mainform.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Kestrafel"));
  QApplication::setApplicationName(QStringLiteral("Kestrafel"));
  QApplication::setApplicationDisplayName(QStringLiteral("Kestrafel 1.0"));
  kestrafel::TMainForm form;
  form.showMaximized();
  return app.exec();
}
