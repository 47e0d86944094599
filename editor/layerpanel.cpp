#include "layerpanel.h"

#include "glyphs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace kestrafel {

using namespace cad;

namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;

}  // namespace

TLayerPanel::TLayerPanel(TMyCAD* Cad, QWidget* Parent) : QWidget(Parent), FCad(Cad) {
  setObjectName(QStringLiteral("LayerPanel"));
  ImageList2[0] = ActionGlyph(QStringLiteral("LayerVisible"));
  ImageList2[1] = ActionGlyph(QStringLiteral("LayerHidden"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  Panel3 = new QWidget(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  auto* buttons = new QHBoxLayout(Panel3);
  buttons->setContentsMargins(0, 0, 0, 0);
  const std::pair<QToolButton**, std::pair<const char*, const char*>> defs[] = {
      {&sbtnLayerNew, {"sbtnLayerNew", "New layer"}},
      {&sbtnLayerDelete, {"sbtnLayerDelete", "Delete the chosen layer and its shapes"}},
      {&sbtnLayerHideVisible, {"sbtnLayerHideVisible", "Hide or show the chosen layer"}},
      {&sbtnLayerRefresh, {"sbtnLayerRefresh", "Refresh the list of layers"}}};
  for (const auto& [button, text] : defs) {
    *button = new QToolButton(Panel3);
    (*button)->setObjectName(QLatin1String(text.first));
    (*button)->setToolTip(QLatin1String(text.second));
    (*button)->setIcon(ActionGlyph(QLatin1String(text.first).mid(4)));
    (*button)->setAutoRaise(true);
    buttons->addWidget(*button);
  }
  buttons->addStretch(1);
  layout->addWidget(Panel3);
  tvLayer = new QTreeWidget(this);
  tvLayer->setObjectName(QStringLiteral("tvLayer"));
  tvLayer->setHeaderHidden(true);
  tvLayer->setRootIsDecorated(false);
  tvLayer->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked);
  layout->addWidget(tvLayer, 1);

  connect(sbtnLayerNew, &QToolButton::clicked, this, &TLayerPanel::sbtnLayerNewClick);
  connect(sbtnLayerDelete, &QToolButton::clicked, this, &TLayerPanel::sbtnLayerDeleteClick);
  connect(sbtnLayerHideVisible, &QToolButton::clicked, this, &TLayerPanel::sbtnLayerHideVisibleClick);
  connect(sbtnLayerRefresh, &QToolButton::clicked, this, &TLayerPanel::Refresh);
  connect(tvLayer, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* Node, int) { tvLayerEdited(Node); });
  connect(tvLayer, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* Node, QTreeWidgetItem*) { tvLayerChange(Node); });
  Refresh();
}

int32_t TLayerPanel::LayerIdOf(QTreeWidgetItem* Node) const { return Node ? Node->data(0, kIdRole).toInt() : -1; }

void TLayerPanel::Refresh() {
  FFilling = true;
  tvLayer->clear();
  for (int i = 0; i < FCad->GetLayersCount(); ++i) {
    const int32_t id = FCad->GetLayerIdByNo(i);
    if (id <= -1) continue;
    auto* node = new QTreeWidgetItem(tvLayer);
    const QString name = FCad->GetLayerNameByID(id);
    node->setText(0, name);
    node->setData(0, kIdRole, id);
    node->setData(0, kNameRole, name);
    node->setIcon(0, ImageList2[FCad->IsVisibleLayerByID(id) ? 0 : 1]);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    if (id == FCad->CurrentLayerId()) tvLayer->setCurrentItem(node);
  }
  FFilling = false;
}

void TLayerPanel::Changed() {
  Refresh();
  if (OnChanged) OnChanged();
}

void TLayerPanel::sbtnLayerNewClick() {
  FCad->NewLayer(QStringLiteral("Layer") + QString::number(FCad->GetMaxLayerId() + 1), true);
  Changed();
}

void TLayerPanel::sbtnLayerDeleteClick() {
  QTreeWidgetItem* node = tvLayer->currentItem();
  if (!node) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  FCad->DeleteLayerByID(LayerIdOf(node));
  QApplication::restoreOverrideCursor();
  Changed();
}

void TLayerPanel::sbtnLayerHideVisibleClick() {
  const int32_t id = LayerIdOf(tvLayer->currentItem());
  if (id <= -1) return;
  if (FCad->IsVisibleLayerByID(id)) FCad->InVisibleLayerByID(id);
  else FCad->VisibleLayerByID(id);
  Changed();
}

void TLayerPanel::tvLayerEdited(QTreeWidgetItem* Node) {
  if (FFilling || !Node) return;
  const QString old = Node->data(0, kNameRole).toString();
  const QString now = Node->text(0);
  if (now == old) return;
  if (now.trimmed().isEmpty()) {
    // A layer keeps a name: an emptied one goes back.
    FFilling = true;
    Node->setText(0, old);
    FFilling = false;
    return;
  }
  FCad->SetLayerNameByName(now, old);
  Changed();
}

void TLayerPanel::tvLayerChange(QTreeWidgetItem* Node) {
  if (FFilling || !Node) return;
  FCad->SetCurrentLayerId(LayerIdOf(Node));
}

}  // namespace kestrafel
