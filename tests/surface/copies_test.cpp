// Copies of shapes: whatever path makes one (Assign, copy and paste, undo and redo of a delete,
// a file), it carries every field of the shape's record, for every kind.
#include "support.h"

#include <cad/shapes/elliarc.h>
#include <cad/shapes/line.h>
#include <cad/shapes/linkline.h>
#include <cad/shapes/ruleline.h>
#include <cad/shapes/textimage.h>

using namespace cad;
using testing_support::RecordOf;

namespace {

const char* const kEveryKind[] = {"TMyRectangle", "TMyLinkPoint", "TMyLineLinkLine", "TMyEllipse", "TMyLine",
                                  "TMyRuleLine",  "TMyPolyLine",  "TMyPolygon",      "TMyPolyBezier", "TMyText",
                                  "TMyImage",     "TMyElliArc",   "TMyLinkLine",     "TMyCombine",    "TMyGroup"};

// Points that suit the kind and that nothing tidies on a paint (a connector's route keeps its
// corners), with every stored field away from its default: the common ones and the kind's own.
void FillEverything(TMyShape& S) {
  if (dynamic_cast<TMyLinkLine*>(&S)) S.Points = {{10, 10}, {110, 10}, {110, 90}, {210, 90}};
  else if (dynamic_cast<TMyPolyBezier*>(&S)) S.Points = {{10, 10}, {40, 80}, {90, 0}, {120, 60}};
  else if (dynamic_cast<TMyElliArc*>(&S)) S.Points = {{10, 50}, {60, 10}, {110, 50}};
  else if (dynamic_cast<TMyLine*>(&S)) S.Points = {{10, 10}, {120, 70}, {60, 130}};
  else S.Points = {{10, 10}, {130, 10}, {130, 70}, {10, 70}};
  S.CenterPoint = S.ComputeCenterPoint();
  S.LinkPoints = {{10, 40}, {130, 40}};
  S.TextPoint = MyPoint(70, 90);
  S.SetTag(-7);
  TBitmap pattern(2, 2);
  pattern.SetPixel(1, 0, clRed);
  S.Brush()->SetBitmap(&pattern);
  S.Brush()->SetColor(clAqua);
  S.Brush()->SetStyle(TBrushStyle::bsDiagCross);
  S.SetCaption(QStringLiteral("caption"));
  S.SetColorBegin(clRed);
  S.SetColorEnd(clBlue);
  S.SetGradientStyle(TGradientStyle::gsDiamond);
  S.Font()->SetName(QStringLiteral("DejaVu Serif"));
  S.Font()->SetColor(clGreen);
  S.Font()->SetSize(15);
  S.Font()->SetStyle(fsBold | fsItalic);
  S.SetInfo(QStringLiteral("info"));
  S.Pen()->SetColor(clPurple);
  S.Pen()->SetStyle(TPenStyle::psDash);
  S.Pen()->SetWidth(3);
  S.UserData()->AddKeyandValue(QStringLiteral("part"), QStringLiteral("A-17"));
  S.SetVisible(false);
  S.SetIsFlipVert(true);
  if (auto* l = dynamic_cast<TMyLine*>(&S)) {
    l->SetArrowAngle(-30);
    l->SetArrowLength(200);
    l->SetArrowOffset(7);
    l->SetArrowStyle(TArrowStyle::ALeft);
  }
  if (auto* r = dynamic_cast<TMyRuleLine*>(&S)) {
    r->SetShowUserInfo(true);
    r->SetTickStyle(TTickStyle::tsNone);
    r->SetUserInfo(QStringLiteral("span"));
  }
  if (auto* c = dynamic_cast<TMyLinkLine*>(&S)) c->SetLinkLineDrawStyle(TLinkLineDrawStyle::lldsFree);
  if (auto* p = dynamic_cast<TMyLinkPoint*>(&S)) p->SetSize(13);
  if (auto* a = dynamic_cast<TMyElliArc*>(&S)) {
    a->SetArcMode(TArcMode::amEllipse);
    a->SetArcStyle(TArcStyle::asChord);
  }
  if (auto* t = dynamic_cast<TMyText*>(&S)) {
    t->SetLines({QStringLiteral("first line"), QStringLiteral("second")});
    t->SetHAlignment(TAlignment::taRightJustify);
    t->SetVAlignment(TVAlignment::vaBottom);
    t->SetIsBorder(true);
    t->SetIsSolid(false);
    t->SetWordWrap(false);
  }
  if (auto* i = dynamic_cast<TMyImage*>(&S)) {
    TBitmap picture(3, 2);
    picture.SetPixel(2, 1, clBlue);
    i->SetBitmap(&picture);
    i->SetTransparent(true);
    i->SetBorder(true);
    i->SetGrayScale(true);
    i->SetBrightness(-40);
    i->SetContrast(25);
  }
}

}  // namespace

TEST(EveryKind, EveryCopyKeepsTheWholeRecord) {
  for (const char* kind : kEveryKind) {
    SCOPED_TRACE(kind);
    TMyCAD cad;
    cad.SetZoom(1);
    TMyShape* s = cad.CreateAddShapeByName(QLatin1String(kind), nullptr);
    ASSERT_NE(s, nullptr);
    FillEverything(*s);
    // The shape lies on a layer other than the current one.
    cad.NewLayer(QStringLiteral("Other"), true);
    ASSERT_NE(s->LayerId, cad.CurrentLayerId());
    const QByteArray original = RecordOf(*s);
    const QString name = s->Name();
    const int32_t id = s->ShapeId;
    // The same record written by hand changes with each field set above: the fill took hold.
    std::unique_ptr<TMyShape> plain(TMyCAD::CreateShapeByName(QLatin1String(kind), &cad));
    plain->Points = s->Points;
    plain->SetName(name);
    plain->ShapeId = id;
    ASSERT_NE(RecordOf(*plain), original);

    // A copy made with Assign (which leaves the name to its caller).
    std::unique_ptr<TMyShape> copy(TMyCAD::CreateShapeByName(QLatin1String(kind), &cad));
    copy->Assign(s);
    copy->SetName(name);
    EXPECT_EQ(RecordOf(*copy), original) << "Assign";

    // Copy and paste: a new id, name and place, 4 units away, on the current layer; everything
    // else as it was.
    cad.AddWorkingShapes(s);
    cad.Copy();
    cad.Paste();
    ASSERT_EQ(cad.GetShapesCount(), 2);
    TMyShape* pasted = cad.GetShapeByNo(1);
    EXPECT_EQ(pasted->Name(), QStringLiteral("Shape%1").arg(pasted->ShapeId));
    std::unique_ptr<TMyShape> back(TMyCAD::CreateShapeByName(QLatin1String(kind), &cad));
    back->Assign(pasted);
    back->SetName(name);
    back->ShapeId = id;
    back->ShapeNo = 0;
    EXPECT_EQ(back->LayerId, cad.CurrentLayerId());
    back->LayerId = s->LayerId;
    OffsetAllPoints(back.get(), -4, -4);
    EXPECT_EQ(RecordOf(*back), original) << "paste";
    ASSERT_TRUE(cad.DeleteShapeById(pasted->ShapeId, false));

    // A deleted shape comes back from the undo list, and goes again and comes back on redo.
    ASSERT_TRUE(cad.DeleteShapeById(id, true));
    ASSERT_EQ(cad.GetShapesCount(), 0);
    cad.PopFromUndoRedoShapeList();
    ASSERT_EQ(cad.GetShapesCount(), 1);
    EXPECT_EQ(RecordOf(*cad.GetShapeByNo(0)), original) << "undo of a delete";
    cad.Redo();
    EXPECT_EQ(cad.GetShapesCount(), 0);
    cad.PopFromUndoRedoShapeList();
    ASSERT_EQ(cad.GetShapesCount(), 1);
    EXPECT_EQ(RecordOf(*cad.GetShapeByNo(0)), original) << "redo and undo again";

    // And through a file.
    TMemoryStream m;
    ASSERT_TRUE(cad.SaveToStream(m));
    TMyCAD other;
    ASSERT_TRUE(other.LoadFromStream(m));
    ASSERT_EQ(other.GetShapesCount(), 1);
    EXPECT_EQ(RecordOf(*other.GetShapeByNo(0)), original) << "file";
  }
}
