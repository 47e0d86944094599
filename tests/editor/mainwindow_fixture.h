// The main window under test: shown, with its file dialogs and message boxes answered by the
// test.
#pragma once

#include "support.h"

#include "mainform.h"

#include <QTemporaryDir>
#include <QTest>

using namespace cad;
using kestrafel::TMainForm;
using testing_support::Recorded;

class MainWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Recorded().Clear();
    form = std::make_unique<TMainForm>();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->OnChooseFile = [this](QFileDialog* Dialog) {
      Dialogs << Dialog->objectName();
      return Answers.isEmpty() ? QString() : Answers.takeFirst();
    };
  }
  void TearDown() override {
    // Nothing left to ask about when the window goes.
    form->MyCAD1->SetModified(false);
    if (previous) SetMessageHandler(previous);
  }
  // Answers the next confirmations with the given results (then Yes/OK as usual).
  void AnswerMessages(std::vector<int> Results) {
    auto queue = std::make_shared<std::vector<int>>(std::move(Results));
    TMessageHandler was = SetMessageHandler([queue](const TMessageRequest& r) {
      Recorded().Messages << r.Text;
      if (!queue->empty()) {
        const int answer = queue->front();
        queue->erase(queue->begin());
        return answer;
      }
      return (r.Buttons & mbYes) ? static_cast<int>(mrYes) : static_cast<int>(mrOk);
    });
    if (!previous) previous = was;
  }
  void Trigger(const char* Name) { form->Action(QLatin1String(Name))->trigger(); }
  bool Enabled(const char* Button) { return form->ToolButtons.at(QLatin1String(Button))->isEnabled(); }
  void Click(const char* Button) { QTest::mouseClick(form->SpeedButtons.at(QLatin1String(Button)), Qt::LeftButton); }
  void DrawBox(const char* Tool, QPoint A, QPoint B) {
    Click(Tool);
    QTest::mouseClick(form->MyCAD1, Qt::LeftButton, {}, A);
    QTest::mouseMove(form->MyCAD1, B);
    QTest::mouseClick(form->MyCAD1, Qt::LeftButton, {}, B);
  }
  void Key(int K, Qt::KeyboardModifiers M = {}) { QTest::keyClick(form->MyCAD1, static_cast<Qt::Key>(K), M); }

  std::unique_ptr<TMainForm> form;
  QStringList Dialogs, Answers;
  TMessageHandler previous;
  QTemporaryDir dir;
};

