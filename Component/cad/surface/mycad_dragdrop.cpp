// Drag and drop onto the surface: what is dragged over it is offered to OnDragOver, and a drop
// it accepted goes to OnDragDrop, both in control pixels.
#include "mycad.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

namespace cad {

namespace {

// Asks the host whether it takes what is dragged at the event's place.
bool Offered(TMyCAD* Cad, const std::function<void(TMyCAD*, QObject*, const QMimeData*, int, int, bool&)>& Ask,
             QDropEvent* Event) {
  bool accept = false;
  const QPoint p = Event->position().toPoint();
  if (Ask) Ask(Cad, Event->source(), Event->mimeData(), p.x(), p.y(), accept);
  return accept;
}

}  // namespace

void TMyCAD::dragEnterEvent(QDragEnterEvent* Event) {
  if (Offered(this, OnDragOver, Event)) Event->acceptProposedAction();
  else Event->ignore();
}

void TMyCAD::dragMoveEvent(QDragMoveEvent* Event) {
  if (Offered(this, OnDragOver, Event)) Event->acceptProposedAction();
  else Event->ignore();
}

void TMyCAD::dropEvent(QDropEvent* Event) {
  if (!Offered(this, OnDragOver, Event)) {
    Event->ignore();
    return;
  }
  Event->acceptProposedAction();
  const QPoint p = Event->position().toPoint();
  if (OnDragDrop) OnDragDrop(this, Event->source(), Event->mimeData(), p.x(), p.y());
}

}  // namespace cad
