// The surface's grid settings. The setters only store; the surface repaints when it chooses.
#pragma once

#include "../core/types.h"
#include "../gfx/graphics.h"

#include <QObject>

namespace cad {

class TGridObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(int GridColor READ GridColor WRITE SetGridColor)
  Q_PROPERTY(int GridHeight READ GridHeight WRITE SetGridHeight)
  Q_PROPERTY(int GridPenSize READ GridPenSize WRITE SetGridPenSize)
  Q_PROPERTY(bool GridShow READ GridShow WRITE SetGridShow)
  Q_PROPERTY(cad::TGridType GridType READ GridType WRITE SetGridType)
  Q_PROPERTY(int GridWidth READ GridWidth WRITE SetGridWidth)

public:
  explicit TGridObject(QObject* parent = nullptr) : QObject(parent) {}

  TColor GridColor() const { return FGridColor; }
  uint8_t GridHeight() const { return FGridHeight; }
  uint8_t GridPenSize() const { return FGridPenSize; }
  bool GridShow() const { return FGridShow; }
  TGridType GridType() const { return FGridType; }
  uint8_t GridWidth() const { return FGridWidth; }

  void SetGridColor(TColor v) { FGridColor = v; }
  void SetGridHeight(uint8_t v) { FGridHeight = v; }
  void SetGridPenSize(uint8_t v) { FGridPenSize = v; }
  void SetGridShow(bool v) { FGridShow = v; }
  void SetGridType(TGridType v) { FGridType = v; }
  void SetGridWidth(uint8_t v) { FGridWidth = v; }

private:
  TColor FGridColor = clSilver;
  uint8_t FGridHeight = 20;
  uint8_t FGridPenSize = 1;
  bool FGridShow = true;
  TGridType FGridType = TGridType::gLine;
  uint8_t FGridWidth = 20;
};

}  // namespace cad
