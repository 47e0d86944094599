// The form designer's view of the package: one widget interface per component the package
// registers (the drawing surface), gathered in one collection that the designer loads as its
// plugin. The package itself is initialised while the collection exists.
#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

struct TravemoComponentRegistration;

class TMyCADDesignerWidget : public QObject, public QDesignerCustomWidgetInterface {
  Q_OBJECT
  Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
  TMyCADDesignerWidget(const TravemoComponentRegistration& Registration, QObject* parent);

  QString name() const override;
  QString group() const override;
  QString toolTip() const override;
  QString whatsThis() const override;
  QString includeFile() const override;
  QIcon icon() const override;
  bool isContainer() const override { return false; }
  QWidget* createWidget(QWidget* parent) override;
  bool isInitialized() const override { return FInitialized; }
  void initialize(QDesignerFormEditorInterface*) override { FInitialized = true; }
  QString domXml() const override;

private:
  QString FName;
  QString FGroup;
  QWidget* (*FCreate)(QWidget*);
  bool FInitialized = false;
};

class TravemoDesignerCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
  Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
  explicit TravemoDesignerCollection(QObject* parent = nullptr);
  ~TravemoDesignerCollection() override;

  QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return FWidgets; }

private:
  QList<QDesignerCustomWidgetInterface*> FWidgets;
};
