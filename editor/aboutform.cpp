#include "aboutform.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace kestrafel {

TAboutForm::TAboutForm(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QStringLiteral("About"));
  setFixedSize(381, 236);
  setModal(true);
  auto* root = new QVBoxLayout(this);
  lblTitle = new QLabel(QStringLiteral("Kestrafel 1.0"), this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  QFont f = lblTitle->font();
  f.setBold(true);
  f.setPixelSize(44);
  lblTitle->setFont(f);
  lblTitle->setAlignment(Qt::AlignCenter);
  root->addStretch(1);
  root->addWidget(lblTitle);
  root->addStretch(1);
  bbtnClose = new QPushButton(QStringLiteral("&Close"), this);
  bbtnClose->setObjectName(QStringLiteral("bbtnClose"));
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(bbtnClose);
  row->addStretch(1);
  root->addLayout(row);
  connect(bbtnClose, &QPushButton::clicked, this, &TAboutForm::bbtnCloseClick);
}

void TAboutForm::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

}  // namespace kestrafel
