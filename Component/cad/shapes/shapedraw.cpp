#include "shapedraw.h"

#include "../core/drawmodes.h"
#include "../surface/mycad.h"
#include "shape.h"

namespace cad {

void SetDrawShapeMode(TMyShape* Shape, TCanvas* Canvas) {
  TPen* sp = Shape->Pen();
  TBrush* sb = Shape->Brush();
  TPen* cp = Canvas->Pen();
  TBrush* cb = Canvas->Brush();
  if (Canvas->IsPrinter()) {
    cb->SetStyle(sb->Style());
    cp->SetColor(sp->Color());
    cb->SetColor(sb->Color());
    if (sb->Style() == TBrushStyle::bsClear) cb->SetStyle(TBrushStyle::bsClear);
    cp->SetStyle(sp->Style());
    cp->SetWidth(sp->Width());
    cp->SetMode(TPenMode::pmCopy);
  } else {
    cp->SetColor(sp->Color());
    cp->SetStyle(sp->Style());
    cp->SetWidth(sp->Width());
    cp->SetMode(TPenMode::pmCopy);
    cb->SetColor(sb->Color());
    cb->SetStyle(sb->Style());
  }
}

void SetDrawTriangleMode(TMyShape* Shape, TCanvas* Canvas) {
  Canvas->SetFont(*Shape->Font());
  Canvas->Pen()->SetColor(Shape->Pen()->Color());
  Canvas->Pen()->SetStyle(Shape->Pen()->Style());
  Canvas->Pen()->SetWidth(Shape->Pen()->Width());
  Canvas->Pen()->SetMode(TPenMode::pmCopy);
  Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  Canvas->Brush()->SetColor(Shape->Pen()->Color());
}

void DrawSquare(TMyShape* Shape, TCanvas* Canvas, const TMyPoint& P) {
  TMyCAD* cad = Shape->MyCAD;
  if (cad && !cad->HotShow()) return;
  const int s = cad ? cad->HotSize() : 4;
  const int half = s / 2;
  const int size = Shape->HasParentShape() ? half : s;
  auto box = [&](int d, bool circle) {
    const int l = Round(P.X - static_cast<long double>(d)), t = Round(P.Y - static_cast<long double>(d));
    const int r = Round(P.X + static_cast<long double>(d)), b = Round(P.Y + static_cast<long double>(d));
    if (circle) Canvas->Ellipse(l, t, r, b);
    else Canvas->Rectangle(l, t, r, b);
  };
  if (Shape->Locked()) {
    SetDrawLockedHotMode(Canvas);
    box(size, false);
    return;
  }
  SetDrawHotMode(Canvas);
  const TActionTools action = cad ? cad->Action() : TActionTools::dtSelecting;
  if (action == TActionTools::dtRotating || action == TActionTools::dtRotateSelecting) {
    if (cad && !cad->RotateEnable()) return;
    box(size, !Shape->HasParentShape());
    return;
  }
  box(size, false);
}

void DrawDiamond(TMyShape* Shape, TCanvas* Canvas, const TMyPoint& P, TColor) {
  if (Shape->ClassName() == QLatin1String("TMyText") || Shape->Info().isEmpty()) return;
  const long double s = Shape->MyCAD ? Shape->MyCAD->HotSize() : 4;
  Canvas->Polygon(TArrPoint{{Round(P.X - s), Round(P.Y)},
                            {Round(P.X), Round(P.Y - s)},
                            {Round(P.X + s), Round(P.Y)},
                            {Round(P.X), Round(P.Y + s)}});
}

void DrawLinkHot(TMyShape* Shape, TCanvas* Canvas) {
  if (Shape->MyCAD && !Shape->MyCAD->HotShow()) return;
  for (int32_t i = 0; i < Shape->GetLinkPointsCount(); ++i) DrawLinkSquare(Canvas, Shape->GetLinkPointInZoom(i));
}

const TArrPoint& MovedOutline(const TArrPoint& Outline, int64_t DX, int64_t DY) {
  static TArrPoint moved;
  moved.resize(Outline.size());
  for (size_t i = 0; i < Outline.size(); ++i) moved[i] = MovedPt(Outline[i], DX, DY);
  return moved;
}

void LineDraw(TMyShape* Shape, TCanvas* Canvas, const TMyPoint& P1, const TMyPoint& P2) {
  Canvas->Start();
  Canvas->Pen()->SetColor(Shape->Pen()->Color());
  Canvas->Pen()->SetStyle(Shape->Pen()->Style());
  Canvas->Pen()->SetWidth(Shape->Pen()->Width());
  Canvas->MoveTo(Round(P1.X), Round(P1.Y));
  Canvas->LineTo(Round(P2.X), Round(P2.Y));
  Canvas->Stop();
}

}  // namespace cad
