// Drag and drop onto the surface: what is dragged over it is offered to OnDragOver (and
// dragOver), and a drop it accepted goes to OnDragDrop (and dragDrop), all in control pixels.
#include "mycad.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

namespace cad {

bool TMyCAD::DragOffered(QDropEvent* Event) {
  // Nothing is accepted unless the host says so, by its callback or a slot.
  bool accept = false;
  const QPoint p = Event->position().toPoint();
  FireFromSender(OnDragOver, &TMyCAD::dragOver, Event->source(), Event->mimeData(), p.x(), p.y(), accept);
  return accept;
}

void TMyCAD::dragEnterEvent(QDragEnterEvent* Event) {
  if (DragOffered(Event)) Event->acceptProposedAction();
  else Event->ignore();
}

void TMyCAD::dragMoveEvent(QDragMoveEvent* Event) {
  if (DragOffered(Event)) Event->acceptProposedAction();
  else Event->ignore();
}

void TMyCAD::dropEvent(QDropEvent* Event) {
  if (!DragOffered(Event)) {
    Event->ignore();
    return;
  }
  Event->acceptProposedAction();
  const QPoint p = Event->position().toPoint();
  FireFromSender(OnDragDrop, &TMyCAD::dragDrop, Event->source(), Event->mimeData(), p.x(), p.y());
}

}  // namespace cad
