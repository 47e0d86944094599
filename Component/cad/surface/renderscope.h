// The scope printing and export render in (used by mycad_print.cpp and mycad_export.cpp).
#pragma once

#include "mycad.h"

namespace cad {

// Sets the zoom field for one rendering (without resizing the control) and puts back, on the
// way out, the zoom and everything a rendering touches: the draw list, the region and serial
// the connectors' crossing index is built for, the index itself and the busy flag (set
// meanwhile, so that nothing repaints the buffer while the zoom is not the one shown).
class TMyCAD::TRenderScope {
public:
  TRenderScope(TMyCAD& Cad, double Zoom)
      : FCad(Cad), FZoom(Cad.FZoom), FDrawList(Cad.FDrawList), FRegion(Cad.FDrawRegion), FSerial(Cad.FPaintSerial),
        FBusy(Cad.FBusy) {
    // Shapes changed since the last lookup enter the index at the zoom they are shown at.
    if (!FBusy) FCad.FlushShapeIndex();
    FCross = std::move(Cad.FCrossIndex);
    FCad.FZoom = Zoom;
    FCad.FBusy = true;
  }
  ~TRenderScope() {
    FCad.FZoom = FZoom;
    FCad.FDrawList = std::move(FDrawList);
    FCad.FDrawRegion = FRegion;
    FCad.FPaintSerial = FSerial;
    FCad.FCrossIndex = std::move(FCross);
    FCad.FBusy = FBusy;
  }
  TRenderScope(const TRenderScope&) = delete;
  TRenderScope& operator=(const TRenderScope&) = delete;

private:
  TMyCAD& FCad;
  double FZoom;
  TMyShapeNo FDrawList;
  TRect FRegion;
  uint32_t FSerial;
  std::unique_ptr<TCrossIndex, TCrossIndexDeleter> FCross;
  bool FBusy;
};

}  // namespace cad
