// TAboutForm: the about box with the editor's name.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace kestrafel {

class TAboutForm : public QDialog {
  Q_OBJECT

public:
  explicit TAboutForm(QWidget* Parent = nullptr);
  QLabel* lblTitle = nullptr;
  QPushButton* bbtnClose = nullptr;
  void bbtnCloseClick() { close(); }

protected:
  void showEvent(QShowEvent* Event) override;
};

}  // namespace kestrafel
