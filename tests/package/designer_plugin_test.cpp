// The form designer's plugin as installed: loaded with QPluginLoader from the prefix named by
// KESTRAFEL_PREFIX, its collection and the surface it creates, and forms read by QUiLoader
// through it. Fresh surfaces to compare with come from the installed library's factory. The
// component is not linked; everything is reached through the meta-object system.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QBuffer>
#include <QColor>
#include <QDomDocument>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLibrary>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPixmap>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QUiLoader>
#include <QWidget>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <dlfcn.h>
#include <memory>

namespace {

QString Prefix() { return qEnvironmentVariable("KESTRAFEL_PREFIX"); }
QString PluginDir() { return Prefix() + QStringLiteral("/" KESTRAFEL_DESIGNER_PLUGIN_DIR); }

class DesignerPlugin : public testing::Test {
protected:
  void SetUp() override {
    if (Prefix().isEmpty()) GTEST_SKIP() << "KESTRAFEL_PREFIX names no installed package";
    const QString library = Prefix() + QStringLiteral("/" KESTRAFEL_LIBDIR "/libbplTravemoComponentK3.so");
    // A library built with AddressSanitizer can only be loaded into a process that starts with
    // its runtime; loading it into another one ends that process.
    QFile file(library);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << library.toStdString();
    if (file.readAll().contains("__asan_init") && !dlsym(RTLD_DEFAULT, "__asan_init"))
      GTEST_SKIP() << "the installed package is built with AddressSanitizer, this test is not";
    Loader.setFileName(PluginDir() + QStringLiteral("/libtravemocomponentk3_designer.so"));
    ASSERT_TRUE(Loader.load()) << Loader.errorString().toStdString();
    auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(Loader.instance());
    ASSERT_NE(collection, nullptr);
    Widgets = collection->customWidgets();
    Library.setFileName(library);
    ASSERT_TRUE(Library.load()) << Library.errorString().toStdString();
    Create = reinterpret_cast<QWidget* (*)(QWidget*)>(Library.resolve("TravemoCreateSurface"));
    ASSERT_NE(Create, nullptr);
  }

  // A surface that neither the plugin nor a form has touched.
  std::unique_ptr<QWidget> Fresh() { return std::unique_ptr<QWidget>(Create(nullptr)); }

  // Builds a form of one surface, named "surface", with the given property elements.
  std::unique_ptr<QWidget> LoadForm(const QString& Properties) {
    const QString ui = QStringLiteral(
                           "<ui version=\"4.0\"><class>Form</class><widget class=\"QWidget\" name=\"Form\">"
                           "<widget class=\"TMyCAD\" name=\"surface\">%1</widget></widget></ui>")
                           .arg(Properties);
    QByteArray bytes = ui.toUtf8();
    QBuffer buffer(&bytes);
    return Load(&buffer);
  }
  std::unique_ptr<QWidget> Load(QIODevice* Form) {
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(PluginDir());
    return std::unique_ptr<QWidget>(loader.load(Form));
  }

  QPluginLoader Loader;
  QLibrary Library;
  QList<QDesignerCustomWidgetInterface*> Widgets;
  QWidget* (*Create)(QWidget*) = nullptr;
};

// The properties the surface's own class declares (not those of QWidget and QObject).
// The properties the surface class declares (the form's TMyCAD adds none of its own).
QList<QMetaProperty> OwnProperties(const QMetaObject* Mo) {
  while (Mo && qstrcmp(Mo->className(), "cad::TMyCAD") != 0) Mo = Mo->superClass();
  QList<QMetaProperty> r;
  if (!Mo) return r;
  for (int i = Mo->propertyOffset(); i < Mo->propertyCount(); ++i) r.append(Mo->property(i));
  return r;
}

// Values are compared as the property system compares them, pictures by their pixels.
bool Same(const QVariant& A, const QVariant& B) {
  if (A.metaType().id() == QMetaType::QPixmap && B.metaType().id() == QMetaType::QPixmap)
    return A.value<QPixmap>().toImage().convertToFormat(QImage::Format_ARGB32) ==
           B.value<QPixmap>().toImage().convertToFormat(QImage::Format_ARGB32);
  return A == B;
}

TEST_F(DesignerPlugin, OffersTheSurfaceAsItsOneWidget) {
  ASSERT_EQ(Widgets.size(), 1);
  QDesignerCustomWidgetInterface* w = Widgets.front();
  // Forms and generated code name the surface TMyCAD, the class the surface reports.
  EXPECT_EQ(w->name(), QStringLiteral("TMyCAD"));
  EXPECT_EQ(w->group(), QStringLiteral("Quillard"));
  EXPECT_EQ(w->includeFile(), QStringLiteral("tmycad.h"));
  EXPECT_FALSE(w->isContainer());
  EXPECT_FALSE(w->icon().isNull());
  EXPECT_FALSE(w->toolTip().isEmpty());
  EXPECT_FALSE(w->whatsThis().isEmpty());

  QDomDocument dom;
  ASSERT_TRUE(dom.setContent(w->domXml()));
  const QDomElement widget = dom.documentElement().firstChildElement(QStringLiteral("widget"));
  EXPECT_EQ(widget.attribute(QStringLiteral("class")), w->name());
  const QDomElement rect = widget.firstChildElement(QStringLiteral("property")).firstChildElement(QStringLiteral("rect"));
  EXPECT_EQ(rect.firstChildElement(QStringLiteral("width")).text(), QStringLiteral("400"));
  EXPECT_EQ(rect.firstChildElement(QStringLiteral("height")).text(), QStringLiteral("300"));

  // The designer's surface has the class the plugin names and, in every property its class
  // declares, the value a new surface has.
  QWidget parent;
  QWidget* made = w->createWidget(&parent);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->parent(), &parent);
  EXPECT_EQ(QString::fromLatin1(made->metaObject()->className()), w->name());
  const auto fresh = Fresh();
  const QList<QMetaProperty> props = OwnProperties(made->metaObject());
  EXPECT_GT(props.size(), 30);
  for (const QMetaProperty& p : props) {
    ASSERT_TRUE(p.isReadable()) << p.name();
    EXPECT_TRUE(Same(p.read(made), p.read(fresh.get()))) << p.name();
  }
  // Properties the domXml sets would override those values; none may differ from them.
  for (QDomElement e = widget.firstChildElement(QStringLiteral("property")); !e.isNull();
       e = e.nextSiblingElement(QStringLiteral("property")))
    EXPECT_LT(made->metaObject()->indexOfProperty(e.attribute(QStringLiteral("name")).toLatin1()),
              made->metaObject()->propertyOffset())
        << e.attribute(QStringLiteral("name")).toStdString();
}

QString ColorElement(const QColor& C) {
  return QStringLiteral("<color alpha=\"255\"><red>%1</red><green>%2</green><blue>%3</blue></color>")
      .arg(C.red())
      .arg(C.green())
      .arg(C.blue());
}

// Values of the property's type other than Current, each as a .ui element and as the value a
// form reader makes of it. Picture names a picture file for picture properties.
struct TFormValue {
  QString Element;
  QVariant Value;
};
QList<TFormValue> OtherValues(const QMetaProperty& P, const QVariant& Current, const QString& Picture) {
  QList<TFormValue> r;
  if (P.isEnumType()) {
    const QMetaEnum e = P.enumerator();
    for (int i = 0; i < e.keyCount(); ++i)
      if (e.value(i) != Current.toInt())
        r.append({QStringLiteral("<enum>%1::%2::%3</enum>").arg(QLatin1String(e.scope()), QLatin1String(e.enumName()),
                                                                QLatin1String(e.key(i))),
                  e.value(i)});
    return r;
  }
  switch (P.metaType().id()) {
    case QMetaType::Bool:
      r.append({QStringLiteral("<bool>%1</bool>").arg(Current.toBool() ? "false" : "true"), !Current.toBool()});
      break;
    case QMetaType::Int:
      for (int v : {Current.toInt() + 1, Current.toInt() - 1, 3})
        r.append({QStringLiteral("<number>%1</number>").arg(v), v});
      break;
    case QMetaType::UInt:
      for (uint v : {Current.toUInt() + 1, Current.toUInt() - 1, 100u})
        r.append({QStringLiteral("<UInt>%1</UInt>").arg(v), v});
      break;
    case QMetaType::Double:
      for (double v : {Current.toDouble() * 2, Current.toDouble() + 1, 0.5})
        r.append({QStringLiteral("<double>%1</double>").arg(v, 0, 'g', 17), v});
      break;
    case QMetaType::QString:
      r.append({QStringLiteral("<string>Stored with the form</string>"), QStringLiteral("Stored with the form")});
      break;
    case QMetaType::QColor:
    case QMetaType::QBrush:
      for (const QColor c : {QColor(10, 20, 30), QColor(200, 100, 50)}) {
        if (P.metaType().id() == QMetaType::QColor)
          r.append({ColorElement(c), c});
        else
          r.append({QStringLiteral("<brush brushstyle=\"SolidPattern\">%1</brush>").arg(ColorElement(c)), QBrush(c)});
      }
      break;
    case QMetaType::QFont: {
      const QFont current = Current.value<QFont>();
      QFont f;
      f.setFamily(QStringLiteral("DejaVu Sans"));
      f.setPointSize(current.pointSize() > 0 ? current.pointSize() + 3 : 17);
      f.setBold(!current.bold());
      r.append({QStringLiteral("<font><family>DejaVu Sans</family><pointsize>%1</pointsize><bold>%2</bold></font>")
                    .arg(f.pointSize())
                    .arg(f.bold() ? "true" : "false"),
                f});
      break;
    }
    case QMetaType::QPixmap:
      r.append({QStringLiteral("<pixmap>%1</pixmap>").arg(Picture), QPixmap(Picture)});
      break;
  }
  return r;
}

// Every property the surface declares can be read, and every one a form can store comes back
// from a form with a value other than a new surface's: the same value setting the property on
// a new surface gives (setters may clamp).
TEST_F(DesignerPlugin, EveryStoredPropertyComesBackFromAForm) {
  QTemporaryDir dir;
  const QString picture = dir.filePath(QStringLiteral("picture.png"));
  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(QColor(10, 200, 30));
  image.setPixelColor(1, 2, QColor(250, 0, 0));
  ASSERT_TRUE(image.save(picture));

  const auto probe = Fresh();
  int roundTrips = 0;
  for (const QMetaProperty& p : OwnProperties(probe->metaObject())) {
    SCOPED_TRACE(p.name());
    ASSERT_TRUE(p.isReadable());
    // Forms have no element for a pen, so the designer does not offer such a property.
    if (!p.isWritable() || !p.isStored() || p.metaType().id() == QMetaType::QPen) continue;
    const QVariant initial = p.read(Fresh().get());
    const QList<TFormValue> candidates = OtherValues(p, initial, picture);
    ASSERT_FALSE(candidates.isEmpty()) << "no form value for a property of type " << p.typeName();
    bool tried = false;
    for (const TFormValue& c : candidates) {
      const auto set = Fresh();
      ASSERT_TRUE(p.write(set.get(), c.Value));
      const QVariant expected = p.read(set.get());
      if (Same(expected, initial)) continue;  // a value the setter refuses
      tried = true;
      const auto form = LoadForm(QStringLiteral("<property name=\"%1\" stdset=\"0\">%2</property>")
                                     .arg(QLatin1String(p.name()), c.Element));
      ASSERT_NE(form, nullptr);
      QWidget* surface = form->findChild<QWidget*>(QStringLiteral("surface"));
      ASSERT_NE(surface, nullptr);
      ASSERT_STREQ(surface->metaObject()->className(), "TMyCAD");
      EXPECT_TRUE(Same(p.read(surface), expected)) << c.Element.toStdString();
      ++roundTrips;
      break;
    }
    EXPECT_TRUE(tried) << "every candidate value was refused";
  }
  EXPECT_GT(roundTrips, 30);
}

// The example's form, the one uic compiles into the example program, read at run time.
TEST_F(DesignerPlugin, ExampleFormSetsItsSurface) {
  QFile file(QStringLiteral(KESTRAFEL_EXAMPLE_FORM));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const auto form = Load(&file);
  ASSERT_NE(form, nullptr);
  QWidget* surface = form->findChild<QWidget*>(QStringLiteral("surface"));
  ASSERT_NE(surface, nullptr);
  ASSERT_STREQ(surface->metaObject()->className(), "TMyCAD");
  const auto enumKey = [surface](const char* Name) {
    const QMetaProperty p = surface->metaObject()->property(surface->metaObject()->indexOfProperty(Name));
    return QString::fromLatin1(p.enumerator().valueToKey(p.read(surface).toInt()));
  };
  EXPECT_EQ(surface->property("Zoom").toDouble(), 2.0);
  EXPECT_EQ(enumKey("TheUNIT"), QStringLiteral("mm"));
  EXPECT_EQ(enumKey("ShapeTool"), QStringLiteral("SpEllipse"));
  EXPECT_EQ(surface->property("PageWidth").toUInt(), 150u);
  EXPECT_EQ(surface->property("HotSize").toInt(), 6);
  EXPECT_EQ(surface->property("ShowHotLink").toBool(), false);
  EXPECT_EQ(surface->property("PageHead").toString(), QStringLiteral("Form head"));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
