// TMyShape: the root of every drawable object of a surface.
//
// A shape keeps its geometry as drawing-coordinate points (unzoomed), its style (pen, brush,
// font, gradient colours), its rotation and flip state, its caption text and its relations to
// other shapes (parent group, members, attached connectors) as shape numbers, that is positions
// in the surface's shape list, never as references. The virtual operations below are the
// protocol through which the surface draws, hit-tests, creates, drags, resizes, rotates, flips
// and copies shapes; concrete kinds override the drawing and mouse-editing parts.
#pragma once

#include "../core/geometry.h"
#include "../core/types.h"
#include "../gfx/bitmap.h"
#include "../gfx/canvas.h"
#include "../gfx/graphics.h"
#include "../gfx/platform.h"
#include "../library/userdata.h"
#include "trackedarray.h"

#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace cad {

class TMyCAD;
class TMyShape;
class TShapeIndex;
class TStream;

using TArrMyShape = std::vector<TMyShape*>;

// Raised when a shape is given a name that is not a valid component name.
class EComponentError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Whether Name may name a shape: empty, or an ASCII letter or underscore followed by ASCII
// letters, digits and underscores.
bool IsValidComponentName(const QString& Name);

// A shape's point lists and member numbers: arrays that report every change to their shape.
using TShapePoints = TTrackedArray<TMyPoint, detail::TTrackedKind::Geometry>;
using TShapeNumbers = TTrackedArray<int32_t, detail::TTrackedKind::Relations>;

// Where a shape can show up: every pixel it paints (outline, pen, arrow heads, info text), every
// mark it shows (hot points, text point, link points) and every point its hit tests accept lies
// within Box (drawing coordinates, so it grows with the zoom) widened by Margin device pixels.
// Marks and hit bands whose size the surface sets (hot size, the line hit band) are added by the
// surface. A shape with coordinates that are not finite is unbounded: it may show up anywhere.
struct TShapeReach {
  TMyRect Box;
  float Margin = 0;
  bool Bounded = true;
};

// What a surface keeps on each shape of its list for its spatial index and its selection. Only
// the surface reads and writes it.
struct TShapeSlot {
  TMyCAD* Surface = nullptr;  // the surface whose list holds the shape
  int32_t ListPos = -1;       // the shape's position in that list
  bool Queued = false;        // waiting to be (re)indexed
  int32_t QueuePos = -1;      // where in the index's queue
  bool Indexed = false;       // Reach is what the index holds for the shape
  bool Selected = false;      // in the surface's working list
  uint32_t Mark = 0;          // visit stamp of the surface's current lookup
  uint32_t WalkMark = 0;      // visit stamp of the member-tree walk
  TShapeReach Reach;
  TArrMyShape Containers;     // the shapes whose member trees hold this one
};

// Everything that ties a shape to others by shape number. Connector lines add their two ends;
// other shapes leave those at -1.
struct TShapeRelations {
  int32_t ShapeNo = 0;
  int32_t ParentNo = -1;
  std::vector<int32_t> ChildShapes;
  TMyShapeNo LinkShapes;
  int32_t StartSpNo = -1, StartSpPtId = -1, EndSpNo = -1, EndSpPtId = -1;
  bool operator==(const TShapeRelations&) const = default;
};

class TMyShape {
  // What lookups, hit tests and paints read of every shape they pass comes first, in the order
  // they read it, so that walking thousands of shapes touches few cache lines.
public:
  TMyCAD* MyCAD = nullptr;  // plain field (see below)
  int32_t HotId = 0;        // plain field (see below)

private:
  bool FLocked = false;
  bool FVisible = true;
  uint64_t FRevision = 1;
  uint64_t FPixelsRevision = 0;
  double FPixelsZoom = 0;
  TArrPoint FPixels;
  TRect FPixelsLTRB;
  TShapeSlot FSlot;
  QString FInfo;

public:
  explicit TMyShape(TMyCAD* ACAD);
  virtual ~TMyShape();
  TMyShape(const TMyShape&) = delete;
  TMyShape& operator=(const TMyShape&) = delete;

  // The class name used in files and by the surface's class table.
  virtual QString ClassName() const { return QStringLiteral("TMyShape"); }

  // Component name; setting it copies the name into an empty Caption. A name that is not valid
  // (IsValidComponentName) raises EComponentError and the shape keeps the name it had.
  QString Name() const { return FName; }
  virtual void SetName(const QString& Value);

  // ---- Virtual protocol, in slot order ----
  virtual void DragChangeValue(const TPoint& P1, const TPoint& P2);
  virtual void DragChangeValuedxdy(double DX, double DY);
  virtual void Draging(TCanvas* Canvas, const TPoint& P1, const TPoint& P2);
  virtual void Drawed(const TPoint& P1, TPoint& P2);
  virtual void DrawHot(TCanvas* Canvas);
  virtual void Drawing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2);
  virtual QString GetInfo();
  virtual QString GetLengthByUnit(const TPoint& P1, const TPoint& P2);
  virtual TCursor GetMouseCursor(int X, int Y);
  virtual int32_t InWhichHot(const TPoint& P);
  virtual bool IsClickedMe(TCanvas* Canvas, const TPoint& P);
  virtual bool IsDrawingFinished(TMouseButton Button, const TPoint& P);
  virtual void RotateChangeValueByAngle(const TMyPoint& C, double A);
  virtual void Rotating(TCanvas* Canvas, const TMyPoint& C, long double A);
  virtual void SizeChangeValue(const TMyPoint& P1, const TMyPoint& P2);
  virtual void Sizing(TCanvas* Canvas, const TPoint& P1, const TPoint& P2);
  virtual void AddPointByMouse(const TPoint& P);
  // Copies everything the shape's record stores except its name (callers name copies
  // themselves), and the lock; each kind adds its own fields. A copy does not restyle the
  // members a group copy names. AssignWithoutRelation keeps this shape's relations.
  virtual void Assign(TMyShape* Source);
  virtual void AssignWithoutRelation(TMyShape* Source);
  virtual void Draw(TCanvas* Canvas);
  virtual void FlipHoriz();
  virtual void FlipVert();
  virtual TMyPoint GetCenterPoint();
  virtual TMyPoint GetCenterPointInZoom();
  // The shape record: the common part here, each kind's own fields after it. Loading follows
  // the surface's disk file version and throws EReadError when the stream ends early, holds
  // an impossible count or names the shape with an invalid name; the shape is then partly
  // filled.
  virtual void LoadFromStream(TStream& Stream);
  virtual void SaveToStream(TStream& Stream);

  // ---- Change tracking ----
  // Points, LinkPoints and ChildShapes report their own changes. Code that writes TextPoint or
  // CenterPoint directly calls Changed() afterwards, so that the surface paints and hit-tests the
  // shape where it now is; every method of the shape and the surface does so itself.
  void Changed();
  // Grows with every change of geometry, angle or style; what was derived from the shape at one
  // revision (and one zoom) stays valid while it stands.
  uint64_t Revision() const { return FRevision; }
  // Where the shape can show up (see TShapeReach). Kinds that paint beyond their points, or whose
  // hit test accepts points beyond them, widen it.
  virtual TShapeReach GetReach();
  // Whether the reach's margin counts pixels that change with the zoom (lines a text wraps into);
  // the surface measures such reaches again whenever its zoom changes.
  virtual bool ReachFollowsZoom() { return false; }
  // The points in zoom, rounded to device pixels (GetPointInZoom, then MyPtToPt), made once per
  // revision and zoom.
  const TArrPoint& ZoomedPixels();
  // Their extremes: the smallest and largest X and Y (all 0 without points).
  TRect ZoomedPixelsLTRB();

  // ---- Points (drawing coordinates; the InZoom and Add forms take device values) ----
  int32_t GetPointsCount() const { return static_cast<int32_t>(Points.size()); }
  TMyPoint GetPoint(int32_t I) const;
  TMyPoint GetPointInZoom(int32_t I) const;
  TPoint GetPointInZoomWithMode(int32_t I) const;
  void SetPoint(int32_t I, const TMyPoint& P) { Points.Edit()[static_cast<size_t>(I)] = P; }
  void SetPointX(int32_t I, float X) { Points.Edit()[static_cast<size_t>(I)].X = X; }
  void SetPointY(int32_t I, float Y) { Points.Edit()[static_cast<size_t>(I)].Y = Y; }
  void SetPointInZoom(int32_t I, const TMyPoint& P);
  void SetPointXInZoom(int32_t I, float X);
  void SetPointYInZoom(int32_t I, float Y);
  void AddPoint(const TMyPoint& P);
  void PointAddX(int32_t I, double DX);
  void PointAddY(int32_t I, double DY);
  void PointAddXY(int32_t I, double DX, double DY);

  // ---- Link points ----
  int32_t GetLinkPointsCount() const { return static_cast<int32_t>(LinkPoints.size()); }
  TMyPoint GetLinkPoint(int32_t I) const;
  TMyPoint GetLinkPointInZoom(int32_t I) const;
  void SetLinkPoint(int32_t I, const TMyPoint& P) { LinkPoints.Edit()[static_cast<size_t>(I)] = P; }
  void SetLinkPointX(int32_t I, float X) { LinkPoints.Edit()[static_cast<size_t>(I)].X = X; }
  void SetLinkPointY(int32_t I, float Y) { LinkPoints.Edit()[static_cast<size_t>(I)].Y = Y; }
  void AddLinkPoint(const TMyPoint& P);
  void LinkPointAddXY(int32_t I, double DX, double DY);

  // ---- Extent ----
  TMyPoint GetLeftTop() const;
  TMyPoint GetRightBottom() const;
  TMyPoint GetLeftBottom() const;
  TMyPoint GetRightTop() const;
  float GetWidth() const;
  float GetHeight() const;
  float GetMyWidth();
  float GetMyHeight();
  TMyPoint ComputeCenterPoint() const;

  // ---- Relations ----
  // The shape numbers this shape stores, read and written as one record; AssignWithoutRelation
  // keeps them, and the undo list restores them.
  virtual TShapeRelations GetRelations() const;
  virtual void SetRelations(const TShapeRelations& R);
  // Rewrites every stored shape number n (parent, members, links, connector ends) to Map(n);
  // the surface calls it whenever list positions change.
  virtual void RenumberRelations(const std::function<int32_t(int32_t)>& Map);
  int32_t GetShapeId() const { return ShapeId; }
  bool HasChildShapes() const { return !ChildShapes.empty(); }
  bool HasLinkShapes() const { return !LinkShapes.empty(); }
  bool HasParentShape() const { return ParentNo > -1; }
  void SetOwner(TMyCAD* ACAD) { MyCAD = ACAD; }

  // ---- Hit testing ----
  bool InTextPointHot(const TPoint& P);
  int32_t InWhichLinkHot(const TMyPoint& P);
  void DrawHotLinkSquare(TCanvas* Canvas, const TMyPoint& P);
  long double GetRotatedAngle(const TMyPoint& A, const TMyPoint& B, const TMyPoint& C) const;
  TMyPoint GetMagicPoint(TMyShape* S, const TMyPoint& P);

  // ---- Drawing ----
  void DrawInfo(TCanvas* Canvas);
  // Makes GradientBitmap for the gradient style and colours; true when that took a new picture
  // rather than the one another shape with the same gradient holds. A new picture of more than
  // MaxNewPixels is not made: GradientBitmap is left empty then.
  bool DrawGradient(int64_t MaxNewPixels = std::numeric_limits<int64_t>::max());
  TMyPoint ZoomedValuePt(const TMyPoint& P) const;

  // ---- Scaling: fixed point A, rotation centre C; D is accepted and not used ----
  void SizeChangeValueByScale(double SX, double SY, const TMyPoint& A, const TMyPoint& C, const TMyPoint& D);
  // The frame SizeChangeValueByScale scales in: Angle brought into (-pi/2, pi/2) by quarter turns.
  float ScaleFrameAngle() const;

  // Change handler of the pen and brush: a group in its surface's list hands its style down to
  // its members.
  void DoPenBrushChange(TGraphicsObject* Sender);
  // Gives Members this shape's pen, brush, font and gradient (the hand-down itself; callers
  // that hold shapes outside a list resolve the member numbers among those shapes).
  void HandStyleTo(const TArrMyShape& Members);

  // ---- Published properties ----
  float Angle() const { return FAngle; }
  void SetAngle(float Value);
  TBrush* Brush() { return &FBrush; }
  void SetBrush(const TBrush* Value);
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& Value);
  bool CaptionShow() const { return FCaptionShow; }
  void SetCaptionShow(bool Value);
  TColor ColorBegin() const { return FColorBegin; }
  void SetColorBegin(TColor Value);
  TColor ColorEnd() const { return FColorEnd; }
  void SetColorEnd(TColor Value);
  TFont* Font() { return &FFont; }
  void SetFont(const TFont* Value);
  TGradientStyle GradientStyle() const { return FGradientStyle; }
  void SetGradientStyle(TGradientStyle Value);
  QString Info() const { return FInfo; }
  void SetInfo(const QString& Value);
  bool IsFlipHorz() const { return FIsFlipHorz; }
  void SetIsFlipHorz(bool Value);
  bool IsFlipVert() const { return FIsFlipVert; }
  void SetIsFlipVert(bool Value);
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value);
  TPen* Pen() { return &FPen; }
  void SetPen(const TPen* Value);
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t Value);
  // The shape's own key/value list, changed in place by hosts. Setting it hands a list over
  // to the shape, which frees the one it had; null gives the shape a new empty list.
  TUserData* UserData() const { return FUserData.get(); }
  void SetUserData(std::unique_ptr<TUserData> Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

  // Part of the interface for hosts that paint by hand; they do nothing.
  void PowerDrawShape(TCanvas*, const TArrPoint&, int32_t, bool) {}
  void SetPS(TCanvas*, TPenStyle, TColor, int32_t, void*, void*) {}

  // ---- Plain fields (MyCAD and HotId are declared first, above) ----
  // The link point shown highlighted under the pointer; -1 while none is.
  int32_t LinkHotId = -1;
  int32_t LayerId = 0;
  int32_t ParentNo = -1;
  int32_t ShapeId = 0;
  int32_t ShapeNo = 0;
  TMyPoint CenterPoint;
  TMyPoint TextPoint;
  TShapePoints Points;
  TShapeNumbers ChildShapes;
  TShapePoints LinkPoints;
  TMyShapeNo LinkShapes;
  TBitmap GradientBitmap;

protected:
  // Surface settings read through MyCAD, with stand-alone defaults for a shape without one.
  double Zoom() const;
  uint8_t HotSize() const;
  // The shape at the top of this shape's group nesting (itself when it has no parent).
  TMyShape* RootShape();
  // Re-draws the surface after a visible change.
  void InvalidateSurface();
  // Rebuilds the gradient and mirrors it as the flip flags say.
  void RebuildGradient();
  void CopyCommon(TMyShape* Source, bool WithRelations);
  // The record generation to read: the surface's disk file version, or the newest ("ZK.a")
  // for a shape without a surface.
  QString RecordVersion() const;
  // Stores the angle as it is, without turning the points (the Angle setter turns them).
  void SetAngleValue(float Value);
  // The reach of the points, link points and (when the info text shows) the text point, with the
  // pen's half width and the info text's extent as margin; unbounded for non-finite coordinates.
  TShapeReach BaseReach();
  // A device outline a kind makes from its points (Make fills the array it is given), kept until
  // the shape or the zoom changes.
  template <typename Make>
  const TArrPoint& CachedOutline(Make&& M) {
    return CachedOutline(FOutline, [&M](TArrPoint& Out) {
      Out.clear();
      M(Out);
    });
  }
  // The same for an outline of another form, which the kind keeps in Kept; a kind keeps one
  // outline, in one form.
  template <typename T, typename Make>
  const T& CachedOutline(T& Kept, Make&& M) {
    const double z = Zoom();
    if (FOutlineRevision != FRevision || FOutlineZoom != z) {
      M(Kept);
      FOutlineRevision = FRevision;
      FOutlineZoom = z;
    }
    return Kept;
  }

private:
  friend class TMyCAD;
  friend class TShapeIndex;
  friend void detail::ReportTrackedChange(TMyShape* Owner, detail::TTrackedKind Kind);
  void MirrorPoints(bool Horizontal);
  void RelationsChanged();
  // The info text's size in device pixels, measured once per text and font.
  TPoint InfoTextExtent();

  // Set while Assign copies another shape into this one.
  bool FCopying = false;
  TArrPoint FOutline;
  uint64_t FOutlineRevision = 0;
  double FOutlineZoom = 0;
  TPoint FInfoExtent;
  QString FInfoExtentText;
  uint64_t FInfoExtentFont = 0;

  QString FName;
  float FAngle = 0;
  TBrush FBrush;
  QString FCaption;
  bool FCaptionShow = true;
  TColor FColorBegin = clWhite;
  TColor FColorEnd = clBlack;
  TFont FFont;
  TGradientStyle FGradientStyle = TGradientStyle::gsNone;
  bool FIsFlipHorz = false;
  bool FIsFlipVert = false;
  TPen FPen;
  int32_t FTag = 0;
  std::unique_ptr<TUserData> FUserData;
};

// A length of Pixels control pixels in a real-world unit, at K = Ratio / Zoom, and the suffix
// that names the unit (" mm", " in", " pixel(s)", ...).
long double LengthInUnit(long double Pixels, TUnits Unit, long double K);
const char* UnitSuffix(TUnits Unit);
// printf-style formatting of one number ("%9.2f" and friends).
QString FormatFloat(const char* Format, long double Value);

// Empties the shape's point list; link points stay.
void RemoveAllPoints(TMyShape* S);
// Adds (DX, DY) to every point, every link point and the text point; nothing else changes.
void OffsetAllPoints(TMyShape* S, long double DX, long double DY);
// Connector bookkeeping: add a number unless present; remove the last occurrence.
void AddLinklineShape(TMyShape* S, int32_t No);
void RemoveLinklineShape(TMyShape* S, int32_t No);

}  // namespace cad
