// The entry points of the component's shared library (the package TravemoComponentK3).
//
// A host or form designer that loads the library at run time resolves these by name:
//   Initialize / PackageLoad      after loading: initialises the package's units in table order
//   Finalize / PackageUnload      before unloading: finalises them in reverse order
//   Register                      design use only: reports the one component the package offers
//   GetPackageInfoTable           the units with their initialisation and finalisation routines
//   TravemoCreateSurface          a new drawing surface, for hosts that do not link the library
// The routines have C linkage so that their names are the plain names above. The component's
// C++ interface (everything in namespace cad) is exported as well, for hosts that link the
// library by name.
#pragma once

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

extern "C" {

// One unit of the package: its name, its initialisation and finalisation routines, and how many
// times it is initialised now. Each unit counts its initialisations, so that initialising the
// package twice initialises a unit once, and only the last matching finalisation finalises it.
struct TravemoUnitEntry {
  const char* UnitName;
  void (*Init)();
  void (*Fini)();
  const int* InitCount;
};

struct TravemoPackageInfoTable {
  int UnitCount;
  const TravemoUnitEntry* Units;  // in initialisation order
};

// One component the package offers to a form designer: its class name, the fully qualified C++
// class that designers write into forms, the palette page it belongs on, and how to create it.
struct TravemoComponentRegistration {
  const char* ClassName;
  const char* QualifiedClassName;
  const char* PageName;
  QWidget* (*Create)(QWidget* parent);
};

typedef void (*TravemoRegisterProc)(const TravemoComponentRegistration* registration, void* context);

const TravemoPackageInfoTable* GetPackageInfoTable();
void Initialize();
void PackageLoad();
void Finalize();
void PackageUnload();
// Calls Proc once for every component the package offers (one: the drawing surface).
void Register(TravemoRegisterProc Proc, void* Context);
QWidget* TravemoCreateSurface(QWidget* parent);

}  // extern "C"
