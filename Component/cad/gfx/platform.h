// What the component needs from the platform: the screen's resolution, user-facing messages,
// the request to end the application, and cursors. Each is replaceable so that tests and
// headless tools can run without a display and without blocking on a dialog.
#pragma once

#include <QString>
#include <Qt>
#include <cstdint>
#include <functional>

namespace cad {

// Pixels per inch of the screen, used for every conversion between pixels and real lengths.
// Taken from the primary screen until SetScreenPixelsPerInch fixes a value (tests use 96).
int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int ppi);  // 0 returns to the screen's own value

enum class TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a message box (combinable) and the modal results they give.
enum TMsgDlgBtn : int {
  mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64, mbAll = 128,
};
enum TModalResult : int {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8,
};

struct TMessageRequest {
  QString Text;
  TMsgDlgType Type = TMsgDlgType::mtInformation;
  int Buttons = mbOK;
};

// Answers a message with a modal result. The default handler shows a message box when a widget
// application is running and otherwise writes the text to standard error and answers mrOk
// (or the first of Yes/OK offered).
using TMessageHandler = std::function<int(const TMessageRequest&)>;
TMessageHandler SetMessageHandler(TMessageHandler handler);  // returns the previous one; null restores the default

void ShowMessage(const QString& text);
int MessageDlg(const QString& text, TMsgDlgType type, int buttons);

// Asks the application to end. The default quits the event loop; tests record the request.
using TTerminateHandler = std::function<void()>;
TTerminateHandler SetTerminateHandler(TTerminateHandler handler);
void ApplicationTerminate();

// Cursor identifiers with the conventional values; 0 is the control's default cursor.
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -5;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

Qt::CursorShape ToQtCursor(TCursor c);

}  // namespace cad
