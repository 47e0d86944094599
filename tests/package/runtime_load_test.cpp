// The shared library loaded at run time, as a host that does not link it would use it: the
// entry points are resolved by name, a surface comes from the library's factory, shapes are drawn
// on it with mouse events, and the drawing is saved and read back by the library's own code,
// reached through its exported C++ symbols. This program does not link the component; its
// headers give the classes' layout and virtual calls only.
#include <cad/cad.h>
#include <travemocomponentk3.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLibrary>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace {

// Methods of the surface that are not inline, by their exported (mangled) names; a member
// function is called with the object as its first argument.
using TFileMethod = bool (*)(cad::TMyCAD*, const QString&);
using TShapeByNo = cad::TMyShape* (*)(const cad::TMyCAD*, int32_t);
constexpr const char* kSaveToFile = "_ZN3cad6TMyCAD10SaveToFileERK7QString";
constexpr const char* kLoadFromFile = "_ZN3cad6TMyCAD12LoadFromFileERK7QString";
constexpr const char* kGetShapeByNo = "_ZNK3cad6TMyCAD12GetShapeByNoEi";

class RuntimeLoad : public testing::Test {
protected:
  void SetUp() override {
    Lib.setFileName(QStringLiteral(KESTRAFEL_PACKAGE_LIBRARY));
    ASSERT_TRUE(Lib.load()) << Lib.errorString().toStdString();
  }
  void TearDown() override { EXPECT_TRUE(Lib.unload()) << Lib.errorString().toStdString(); }

  template <typename F>
  F Resolve(const char* Name) {
    auto f = reinterpret_cast<F>(Lib.resolve(Name));
    EXPECT_NE(f, nullptr) << Name << " is not exported";
    return f;
  }

  QLibrary Lib;
};

// A box is drawn as the user draws it: a click at one corner, a move, a click at the other.
void DrawBox(QWidget* W, QPoint From, QPoint To) {
  const auto send = [W](QEvent::Type Type, QPoint At, Qt::MouseButton Button, Qt::MouseButtons Buttons) {
    QMouseEvent e(Type, At, W->mapToGlobal(At), Button, Buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(W, &e);
  };
  for (const QPoint At : {From, To}) {
    send(QEvent::MouseMove, At, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, At, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, At, Qt::LeftButton, Qt::NoButton);
  }
}

TEST_F(RuntimeLoad, EntryPointsDescribeOnePackageWithOneComponent) {
  using TProc = void (*)();
  const auto init = Resolve<TProc>("Initialize");
  const auto fini = Resolve<TProc>("Finalize");
  ASSERT_TRUE(init && fini);
  // The second names are the same routines, not wrappers that might drift apart.
  EXPECT_EQ(Resolve<TProc>("PackageLoad"), init);
  EXPECT_EQ(Resolve<TProc>("PackageUnload"), fini);

  const auto table = Resolve<decltype(&GetPackageInfoTable)>("GetPackageInfoTable")();
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->UnitCount, 2);
  EXPECT_STREQ(table->Units[0].UnitName, "TravemoComponentK3");
  EXPECT_STREQ(table->Units[1].UnitName, "cad");
  const auto counts = [table] { return std::vector<int>{*table->Units[0].InitCount, *table->Units[1].InitCount}; };

  // Loads and unloads pair up, and an unload too many cannot take a count below zero, so the
  // next load initialises the units again.
  struct Step {
    TProc Call;
    std::vector<int> Expected;
  };
  const Step steps[] = {{init, {1, 1}}, {init, {2, 2}}, {fini, {1, 1}}, {fini, {0, 0}}, {fini, {0, 0}}, {init, {1, 1}}, {fini, {0, 0}}};
  for (const Step& s : steps) {
    s.Call();
    EXPECT_EQ(counts(), s.Expected);
  }

  std::vector<std::string> registered;
  Resolve<decltype(&Register)>("Register")(
      [](const TravemoComponentRegistration* R, void* Into) {
        static_cast<std::vector<std::string>*>(Into)->push_back(std::string(R->ClassName) + "|" + R->QualifiedClassName +
                                                               "|" + R->PageName);
        std::unique_ptr<QWidget> w(R->Create(nullptr));
        EXPECT_STREQ(w->metaObject()->className(), R->QualifiedClassName);
      },
      &registered);
  EXPECT_EQ(registered, std::vector<std::string>{"TMyCAD|TMyCAD|Quillard"});
}

TEST_F(RuntimeLoad, SurfaceDrawsSavesAndLoadsThroughTheLibrary) {
  const auto init = Resolve<void (*)()>("Initialize");
  const auto fini = Resolve<void (*)()>("Finalize");
  const auto create = Resolve<decltype(&TravemoCreateSurface)>("TravemoCreateSurface");
  const auto save = Resolve<TFileMethod>(kSaveToFile);
  const auto load = Resolve<TFileMethod>(kLoadFromFile);
  const auto shapeByNo = Resolve<TShapeByNo>(kGetShapeByNo);
  ASSERT_TRUE(init && fini && create && save && load && shapeByNo);
  init();

  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("drawn.vorn"));
  const std::vector<std::string> drawn = {"TMyRectangle", "TMyEllipse"};
  {
    std::unique_ptr<QWidget> w(create(nullptr));
    ASSERT_STREQ(w->metaObject()->className(), "TMyCAD");
    ASSERT_TRUE(w->inherits("cad::TMyCAD"));
    w->resize(400, 300);
    w->show();
    // Tools are chosen through the property system, as a form would set them.
    ASSERT_TRUE(w->setProperty("ShapeTool", QStringLiteral("SpRectangle")));
    DrawBox(w.get(), {20, 20}, {120, 80});
    ASSERT_TRUE(w->setProperty("ShapeTool", QStringLiteral("SpEllipse")));
    DrawBox(w.get(), {200, 40}, {300, 140});
    ASSERT_TRUE(save(static_cast<cad::TMyCAD*>(w.get()), file));
  }
  std::unique_ptr<QWidget> w(create(nullptr));
  auto* cad = static_cast<cad::TMyCAD*>(w.get());
  ASSERT_TRUE(load(cad, file));
  std::vector<std::string> loaded;
  for (int32_t i = 0; i < cad->GetShapesCount(); ++i) loaded.push_back(shapeByNo(cad, i)->ClassName().toStdString());
  EXPECT_EQ(loaded, drawn);
  w.reset();
  fini();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
