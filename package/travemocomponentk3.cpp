// The package's load glue: its unit table, the load and unload routines that walk it, and the
// registration of the drawing surface. Nothing here runs when the library is loaded, and loading
// the package has no work to do in the component: it keeps no registry of classes (shapes are
// made from their class names by the surface's own table) and reads no settings.
#include "travemocomponentk3.h"
#include "tmycad.h"

#include <cad/surface/mycad.h>

#include <iterator>

namespace {

// The package unit holds only this glue, and the component unit needs no start-up work either:
// both routines only keep the unit's count.
int PackageUnitCount = 0;
int ComponentUnitCount = 0;

void InitPackageUnit() { ++PackageUnitCount; }
void FiniPackageUnit() {
  if (PackageUnitCount > 0) --PackageUnitCount;
}
void InitComponentUnit() { ++ComponentUnitCount; }
void FiniComponentUnit() {
  if (ComponentUnitCount > 0) --ComponentUnitCount;
}

constexpr TravemoUnitEntry Units[] = {
    {"TravemoComponentK3", InitPackageUnit, FiniPackageUnit, &PackageUnitCount},
    {"cad", InitComponentUnit, FiniComponentUnit, &ComponentUnitCount},
};
constexpr TravemoPackageInfoTable Table = {static_cast<int>(std::size(Units)), Units};

}  // namespace

extern "C" {

const TravemoPackageInfoTable* GetPackageInfoTable() { return &Table; }

void Initialize() {
  for (const TravemoUnitEntry& u : Units) u.Init();
}

// A finalisation without a matching initialisation leaves every count at zero.
void Finalize() {
  for (auto u = std::rbegin(Units); u != std::rend(Units); ++u) u->Fini();
}

// The same routines under their second names.
void PackageLoad() __attribute__((alias("Initialize")));
void PackageUnload() __attribute__((alias("Finalize")));

QWidget* TravemoCreateSurface(QWidget* parent) { return new TMyCAD(parent); }

void Register(TravemoRegisterProc Proc, void* Context) {
  if (!Proc) return;
  static constexpr TravemoComponentRegistration Surface = {"TMyCAD", "TMyCAD", "Quillard", TravemoCreateSurface};
  Proc(&Surface, Context);
}

}  // extern "C"
