#include "platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>

namespace cad {

namespace {
int gFixedPpi = 0;
// Made on first use: loading the component sets up no objects.
TMessageHandler& MessageHandlerSlot() {
  static TMessageHandler h;
  return h;
}
TTerminateHandler& TerminateHandlerSlot() {
  static TTerminateHandler h;
  return h;
}

int DefaultMessage(const TMessageRequest& r) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) &&
      QGuiApplication::platformName() != QLatin1String("offscreen")) {
    QMessageBox::StandardButtons buttons;
    if (r.Buttons & mbYes) buttons |= QMessageBox::Yes;
    if (r.Buttons & mbNo) buttons |= QMessageBox::No;
    if (r.Buttons & mbOK) buttons |= QMessageBox::Ok;
    if (r.Buttons & mbCancel) buttons |= QMessageBox::Cancel;
    if (r.Buttons & mbAbort) buttons |= QMessageBox::Abort;
    if (r.Buttons & mbRetry) buttons |= QMessageBox::Retry;
    if (r.Buttons & mbIgnore) buttons |= QMessageBox::Ignore;
    if (r.Buttons & mbAll) buttons |= QMessageBox::YesToAll;
    if (buttons == QMessageBox::NoButton) buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (r.Type) {
      case TMsgDlgType::mtWarning: icon = QMessageBox::Warning; break;
      case TMsgDlgType::mtError: icon = QMessageBox::Critical; break;
      case TMsgDlgType::mtConfirmation: icon = QMessageBox::Question; break;
      default: break;
    }
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), r.Text, buttons);
    switch (box.exec()) {
      case QMessageBox::Yes: return mrYes;
      case QMessageBox::No: return mrNo;
      case QMessageBox::Ok: return mrOk;
      case QMessageBox::Cancel: return mrCancel;
      case QMessageBox::Abort: return mrAbort;
      case QMessageBox::Retry: return mrRetry;
      case QMessageBox::Ignore: return mrIgnore;
      case QMessageBox::YesToAll: return mrAll;
      default: return mrCancel;
    }
  }
  std::fprintf(stderr, "%s\n", r.Text.toUtf8().constData());
  if (r.Buttons & mbYes) return mrYes;
  return mrOk;
}
}  // namespace

int ScreenPixelsPerInch() {
  if (gFixedPpi > 0) return gFixedPpi;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
      const int v = qRound(s->logicalDotsPerInchY());
      if (v > 0) return v;
    }
  }
  return 96;
}

void SetScreenPixelsPerInch(int ppi) { gFixedPpi = ppi > 0 ? ppi : 0; }

TMessageHandler SetMessageHandler(TMessageHandler handler) {
  TMessageHandler old = std::move(MessageHandlerSlot());
  MessageHandlerSlot() = std::move(handler);
  return old;
}

int MessageDlg(const QString& text, TMsgDlgType type, int buttons) {
  const TMessageRequest r{text, type, buttons};
  return MessageHandlerSlot() ? MessageHandlerSlot()(r) : DefaultMessage(r);
}

void ShowMessage(const QString& text) { MessageDlg(text, TMsgDlgType::mtCustom, mbOK); }

TTerminateHandler SetTerminateHandler(TTerminateHandler handler) {
  TTerminateHandler old = std::move(TerminateHandlerSlot());
  TerminateHandlerSlot() = std::move(handler);
  return old;
}

void ApplicationTerminate() {
  if (TerminateHandlerSlot()) {
    TerminateHandlerSlot()();
    return;
  }
  if (QCoreApplication::instance()) QCoreApplication::quit();
}

Qt::CursorShape ToQtCursor(TCursor c) {
  switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSize: case crSizeAll: return Qt::SizeAllCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragMoveCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
  }
}

}  // namespace cad
