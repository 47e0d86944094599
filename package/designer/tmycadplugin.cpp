#include "tmycadplugin.h"

#include <travemocomponentk3.h>

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {

// A page with a box and a circle on it, in the palette's colours.
QIcon DrawIcon() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(80, 80, 80), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 1.5, 25, 29));
  p.setPen(QPen(QColor(0, 0, 160), 1.5));
  p.setBrush(QColor(255, 240, 120));
  p.drawRect(QRectF(7.5, 6.5, 12, 9));
  p.setBrush(QColor(150, 200, 255));
  p.drawEllipse(QRectF(12.5, 15.5, 12, 12));
  p.end();
  return QIcon(pm);
}

}  // namespace

TMyCADDesignerWidget::TMyCADDesignerWidget(const TravemoComponentRegistration& Registration, QObject* parent)
    : QObject(parent),
      FName(QString::fromLatin1(Registration.QualifiedClassName)),
      FGroup(QString::fromLatin1(Registration.PageName)),
      FCreate(Registration.Create) {}

// Forms name the surface by its C++ class, which is also what its meta-object reports, so that
// the designer matches the widgets it creates and code generated from a form compiles.
QString TMyCADDesignerWidget::name() const { return FName; }
QString TMyCADDesignerWidget::group() const { return FGroup; }
QString TMyCADDesignerWidget::includeFile() const { return QStringLiteral("tmycad.h"); }
QIcon TMyCADDesignerWidget::icon() const { return DrawIcon(); }

QString TMyCADDesignerWidget::toolTip() const { return QStringLiteral("Drawing surface"); }

QString TMyCADDesignerWidget::whatsThis() const {
  return QStringLiteral(
      "A vector drawing surface: shapes on layers, drawn with the mouse or by code, with zoom, "
      "units, grid and page. Its settings are stored with the form.");
}

QWidget* TMyCADDesignerWidget::createWidget(QWidget* parent) { return FCreate(parent); }

// A new surface on a form is 400 x 300 pixels. Its settings are left at the values a new
// surface has, so the form stores only what the user changes.
QString TMyCADDesignerWidget::domXml() const {
  return QStringLiteral(
             "<ui language=\"c++\">\n"
             " <widget class=\"%1\" name=\"surface\">\n"
             "  <property name=\"geometry\">\n"
             "   <rect><x>0</x><y>0</y><width>400</width><height>300</height></rect>\n"
             "  </property>\n"
             " </widget>\n"
             "</ui>\n")
      .arg(FName);
}

TravemoDesignerCollection::TravemoDesignerCollection(QObject* parent) : QObject(parent) {
  Initialize();
  Register(
      [](const TravemoComponentRegistration* R, void* Self) {
        auto* c = static_cast<TravemoDesignerCollection*>(Self);
        c->FWidgets.append(new TMyCADDesignerWidget(*R, c));
      },
      this);
}

// The widget interfaces are children of the collection and go with it.
TravemoDesignerCollection::~TravemoDesignerCollection() { Finalize(); }
