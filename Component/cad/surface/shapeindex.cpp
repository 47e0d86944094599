#include "shapeindex.h"

#include <boost/function_output_iterator.hpp>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/point.hpp>
#include <boost/geometry/index/rtree.hpp>

namespace cad {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

namespace {
using TBoxPoint = bg::model::point<float, 2, bg::cs::cartesian>;
using TBox = bg::model::box<TBoxPoint>;
using TEntry = std::pair<TBox, TMyShape*>;

TBox BoxOf(const TMyRect& R) { return TBox(TBoxPoint(R.Left, R.Top), TBoxPoint(R.Right, R.Bottom)); }

// A queue this much larger than the drawing's share rebuilds the tree instead of updating it.
constexpr size_t kRebuildMinimum = 64;
}  // namespace

struct TShapeIndex::TTree {
  bgi::rtree<TEntry, bgi::quadratic<16>> Tree;
};

TShapeIndex::TShapeIndex() : FTree(std::make_unique<TTree>()) {}
TShapeIndex::~TShapeIndex() = default;

size_t TShapeIndex::Size() const { return FTree->Tree.size() + FUnbounded.size(); }

void TShapeIndex::Clear() {
  FTree->Tree.clear();
  FUnbounded.clear();
  FQueue.clear();
  FFollowZoom.clear();
  FMaxMargin = 0;
}

void TShapeIndex::Queue(TMyShape* Shape) {
  TShapeSlot& slot = Shape->FSlot;
  if (slot.Queued) return;
  slot.Queued = true;
  slot.QueuePos = static_cast<int32_t>(FQueue.size());
  FQueue.push_back(Shape);
}

void TShapeIndex::Remove(TMyShape* Shape) {
  TShapeSlot& slot = Shape->FSlot;
  if (slot.Queued) {
    // Order in the queue does not matter: the last one takes the free place.
    TMyShape* last = FQueue.back();
    FQueue[static_cast<size_t>(slot.QueuePos)] = last;
    last->FSlot.QueuePos = slot.QueuePos;
    FQueue.pop_back();
    slot.Queued = false;
    slot.QueuePos = -1;
  }
  FFollowZoom.erase(Shape);
  Erase(Shape);
}

void TShapeIndex::Erase(TMyShape* Shape) {
  TShapeSlot& slot = Shape->FSlot;
  if (!slot.Indexed) return;
  if (slot.Reach.Bounded) FTree->Tree.remove(TEntry(BoxOf(slot.Reach.Box), Shape));
  else std::erase(FUnbounded, Shape);
  slot.Indexed = false;
}

void TShapeIndex::Insert(TMyShape* Shape) {
  TShapeSlot& slot = Shape->FSlot;
  if (slot.Reach.Bounded) {
    FTree->Tree.insert(TEntry(BoxOf(slot.Reach.Box), Shape));
    FMaxMargin = std::max(FMaxMargin, slot.Reach.Margin);
  } else {
    FUnbounded.push_back(Shape);
  }
  slot.Indexed = true;
}

void TShapeIndex::Flush(const TArrMyShape& All,
                        const std::function<void(const TShapeReach* Before, const TShapeReach& After)>& Moved) {
  if (FQueue.empty()) return;
  const bool rebuild = FQueue.size() >= kRebuildMinimum && FQueue.size() * 4 >= All.size();
  for (TMyShape* s : FQueue) {
    TShapeSlot& slot = s->FSlot;
    const bool had = slot.Indexed;
    const TShapeReach before = slot.Reach;
    if (!rebuild) Erase(s);
    slot.Reach = s->GetReach();
    if (s->ReachFollowsZoom()) FFollowZoom.insert(s);
    else FFollowZoom.erase(s);
    if (!rebuild) Insert(s);
    slot.Queued = false;
    slot.QueuePos = -1;
    if (Moved) Moved(had ? &before : nullptr, slot.Reach);
  }
  FQueue.clear();
  if (rebuild) Rebuild(All);
}

void TShapeIndex::Rebuild(const TArrMyShape& All) {
  std::vector<TEntry> entries;
  entries.reserve(All.size());
  FUnbounded.clear();
  FMaxMargin = 0;
  for (TMyShape* s : All) {
    TShapeSlot& slot = s->FSlot;
    slot.Indexed = true;
    if (slot.Reach.Bounded) {
      entries.emplace_back(BoxOf(slot.Reach.Box), s);
      FMaxMargin = std::max(FMaxMargin, slot.Reach.Margin);
    } else {
      FUnbounded.push_back(s);
    }
  }
  // The packing constructor sorts the entries into a balanced tree in one pass.
  FTree->Tree = bgi::rtree<TEntry, bgi::quadratic<16>>(entries.begin(), entries.end());
}

void TShapeIndex::Query(const TMyRect& Area, TArrMyShape& Out) const {
  FTree->Tree.query(bgi::intersects(BoxOf(Area)),
                    boost::make_function_output_iterator([&Out](const TEntry& e) { Out.push_back(e.second); }));
  Out.insert(Out.end(), FUnbounded.begin(), FUnbounded.end());
}

}  // namespace cad
