// Where connectors cross, for the jumps CrossLine draws.
//
// A connector's horizontal segment jumps over every vertical segment of every connector the
// paint draws (itself included). Asked for each horizontal segment against every segment of
// every connector, that is quadratic in the number of connectors; instead, once per paint, the
// vertical segments of the connectors the full draw list holds are put into horizontal bands by
// their Y extent, each band sorted by X. A query then looks at one band and only at the
// segments whose X lies inside the horizontal segment, so it costs about a binary search plus
// the crossings it finds.
#include "../shapes/linkline.h"
#include "mycad.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace cad {

struct TMyCAD::TCrossIndex {
  // A vertical segment in device coordinates: the X of its first point and its Y extent.
  struct TSeg {
    float X, Lo, Hi;
  };

  uint32_t Serial = 0;
  bool Built = false;
  double Top = 0, BandHeight = 1, Bottom = 0;
  // The bands one after the other, each sorted by X; band b is Items[Start[b] .. Start[b+1]).
  std::vector<uint32_t> Start;
  std::vector<TSeg> Items;
  std::vector<TSeg> Segs;  // scratch of the build

  size_t BandOf(double Y) const {
    const double b = std::floor((Y - Top) / BandHeight);
    if (!(b > 0)) return 0;
    return std::min(static_cast<size_t>(b), Start.size() - 2);
  }

  void Build(TMyCAD& Cad);
  void Query(const TMyPoint& A, const TMyPoint& B, std::vector<float>& Xs) const;
};

void TMyCAD::TCrossIndexDeleter::operator()(TCrossIndex* P) const { delete P; }

namespace {
// Bands per vertical segment at most (the bands are never thinner than the average height of a
// segment either), and bands at most in all: the index stays linear in the segments.
constexpr size_t kBandsPerSegment = 2;
constexpr size_t kMaxBands = size_t{1} << 16;
}  // namespace

void TMyCAD::TCrossIndex::Build(TMyCAD& Cad) {
  Segs.clear();
  Items.clear();
  Start.clear();
  Built = true;
  Serial = Cad.FPaintSerial;

  // The region of the paint. Before any paint, the whole control.
  const TRect region = Cad.FPaintSerial == 0 ? TRect{0, 0, Cad.Width(), Cad.Height()} : Cad.FDrawRegion;
  // A paint of a region away from the origin (printing) moves the shapes of its draw list, and
  // their members, so that the region's corner is the origin while they draw; queries come in
  // those coordinates. Shapes the list does not hold stay where they are.
  const bool shifted = region.Left != 0 || region.Top != 0;
  std::unordered_set<const TMyShape*> moved;
  if (shifted)
    for (int32_t no : Cad.FDrawList)
      Cad.WalkShapeTree(Cad.GetShapeByNo(no), TWalk::ShapeFirst, [&moved](TMyShape* s) { moved.insert(s); });
  const TRect atOrigin{0, 0, region.Right - region.Left, region.Bottom - region.Top};

  double sumSpan = 0;
  for (TMyLinkLine* line : Cad.FLinkLines) {
    if (!line || !line->Visible() || !Cad.IsVisibleLayerByID(line->LayerId)) continue;
    const bool isMoved = shifted && moved.count(line) > 0;
    // The rule of the draw list, for the whole control (a partial repaint draws fewer shapes
    // but jumps over the same ones).
    if (!(Cad.IsShapeBigthanRegion(region, line) ||
          (Cad.IsPtinRegion(isMoved ? atOrigin : region, line) && !line->HasParentShape())))
      continue;
    // Every paint normalises the routes; the index sees them as they are drawn.
    line->MergePoints();
    const float dx = shifted && !isMoved ? static_cast<float>(region.Left) : 0.0f;
    const float dy = shifted && !isMoved ? static_cast<float>(region.Top) : 0.0f;
    const int32_t n = line->GetPointsCount();
    TMyPoint q1 = line->GetPointInZoom(0);
    for (int32_t i = 1; i < n; ++i) {
      const TMyPoint q2 = line->GetPointInZoom(i);
      if (TMyLinkLine::IsLineHV(q1, q2) == 2) {
        const TSeg s{q1.X - dx, std::min(q1.Y, q2.Y) - dy, std::max(q1.Y, q2.Y) - dy};
        if (std::isfinite(s.X) && std::isfinite(s.Lo) && std::isfinite(s.Hi) && s.Lo < s.Hi) {
          Segs.push_back(s);
          sumSpan += static_cast<double>(s.Hi) - s.Lo;
        }
      }
      q1 = q2;
    }
  }
  if (Segs.empty()) return;

  Top = Segs.front().Lo;
  Bottom = Segs.front().Hi;
  for (const TSeg& s : Segs) {
    Top = std::min(Top, static_cast<double>(s.Lo));
    Bottom = std::max(Bottom, static_cast<double>(s.Hi));
  }
  const double extent = Bottom - Top;
  const size_t maxBands = std::min(kMaxBands, kBandsPerSegment * Segs.size());
  BandHeight = std::max({sumSpan / static_cast<double>(Segs.size()), extent / static_cast<double>(maxBands), 1e-6});
  const size_t bands = std::min(maxBands, static_cast<size_t>(extent / BandHeight) + 1);
  Start.assign(bands + 1, 0);

  // Count, place, then sort each band by X.
  for (const TSeg& s : Segs)
    for (size_t b = BandOf(s.Lo), e = BandOf(s.Hi); b <= e; ++b) ++Start[b + 1];
  for (size_t b = 1; b < Start.size(); ++b) Start[b] += Start[b - 1];
  Items.resize(Start.back());
  std::vector<uint32_t> fill(Start.begin(), Start.end() - 1);
  for (const TSeg& s : Segs)
    for (size_t b = BandOf(s.Lo), e = BandOf(s.Hi); b <= e; ++b) Items[fill[b]++] = s;
  for (size_t b = 0; b + 1 < Start.size(); ++b)
    std::sort(Items.begin() + Start[b], Items.begin() + Start[b + 1], [](const TSeg& l, const TSeg& r) { return l.X < r.X; });
}

void TMyCAD::TCrossIndex::Query(const TMyPoint& A, const TMyPoint& B, std::vector<float>& Xs) const {
  if (Items.empty()) return;
  const float y = A.Y;
  // A crossing segment has Lo < y < Hi, and every segment lies within Top .. Bottom.
  if (!(y > Top && y < Bottom)) return;
  const float lo = std::min(A.X, B.X), hi = std::max(A.X, B.X);
  // The band of y lies between the bands of Lo and Hi of every segment that spans y (the band
  // of a value grows with the value), so that segment is in it.
  const size_t b = BandOf(y);
  const auto first = Items.begin() + Start[b], last = Items.begin() + Start[b + 1];
  auto it = std::upper_bound(first, last, lo, [](float v, const TSeg& s) { return v < s.X; });
  for (; it != last && it->X < hi; ++it)
    if (it->Lo < y && y < it->Hi) Xs.push_back(it->X);
}

void TMyCAD::GetLinkLineCrossings(const TMyPoint& A, const TMyPoint& B, std::vector<float>& Xs) {
  if (!FCrossIndex) FCrossIndex.reset(new TCrossIndex);
  // Built once per paint, at the first question of that paint; between paints it answers for
  // the drawing as the last paint saw it.
  if (!FCrossIndex->Built || FCrossIndex->Serial != FPaintSerial) FCrossIndex->Build(*this);
  FCrossIndex->Query(A, B, Xs);
}

}  // namespace cad
