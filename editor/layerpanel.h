// TLayerPanel: the "Layer" page of the main window. A tree of the surface's layers (an open eye
// for a visible layer, a closed one for a hidden layer, the current layer selected) with buttons
// to add, delete, hide or show and refresh; a layer is renamed in place and becomes the current
// layer when it is chosen in the tree.
#pragma once

#include <cad/cad.h>

#include <QIcon>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <functional>

namespace kestrafel {

class TLayerPanel : public QWidget {
  Q_OBJECT

public:
  TLayerPanel(cad::TMyCAD* Cad, QWidget* Parent);

  QWidget* Panel3 = nullptr;
  QToolButton* sbtnLayerNew = nullptr;
  QToolButton* sbtnLayerDelete = nullptr;
  QToolButton* sbtnLayerHideVisible = nullptr;
  QToolButton* sbtnLayerRefresh = nullptr;
  QTreeWidget* tvLayer = nullptr;
  // ImageList2: image 0 a visible layer, image 1 a hidden one.
  QIcon ImageList2[2];

  // After a command changed the drawing's layers (the host updates its toolbar and title).
  std::function<void()> OnChanged;

  // Rebuilds the tree from the surface's layers and selects the current one.
  void Refresh();

  void sbtnLayerNewClick();
  void sbtnLayerDeleteClick();
  void sbtnLayerHideVisibleClick();
  void tvLayerEdited(QTreeWidgetItem* Node);
  void tvLayerChange(QTreeWidgetItem* Node);

private:
  // The layer id of a node, or -1.
  int32_t LayerIdOf(QTreeWidgetItem* Node) const;
  void Changed();

  cad::TMyCAD* FCad;
  // True while the tree is rebuilt: its signals are not the user's.
  bool FFilling = false;
};

}  // namespace kestrafel
