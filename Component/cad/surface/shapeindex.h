// TShapeIndex: the surface's spatial index over the reach of its shapes.
//
// It holds one entry per shape of the surface's list: the shape's reach box in drawing
// coordinates (an R-tree entry), or, for a shape whose reach is unbounded, a place on a list that
// every lookup returns. Shapes that change are queued and brought up to date in one go before the
// next lookup; a queue larger than a good part of the drawing rebuilds the whole tree by packing,
// which is faster than that many single updates (loading, pasting, moving everything).
//
// Lookups return a superset of the shapes whose reach meets an area, in no order; the surface
// filters and orders them. The index keeps the largest margin of its entries, which widens every
// lookup, so that a margin never needs the zoom at indexing time.
#pragma once

#include "../shapes/shape.h"

#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

namespace cad {

class TShapeIndex {
public:
  TShapeIndex();
  ~TShapeIndex();
  TShapeIndex(const TShapeIndex&) = delete;
  TShapeIndex& operator=(const TShapeIndex&) = delete;

  // Drops every entry and the queue; the shapes' slots are left to the caller.
  void Clear();
  // Queues a shape whose reach may have changed (its slot's Queued flag is set here).
  void Queue(TMyShape* Shape);
  // Takes a shape out of the index and the queue (it leaves the list).
  void Remove(TMyShape* Shape);
  bool HasQueue() const { return !FQueue.empty(); }
  // Brings every queued shape up to date. Moved(Before, After) is called for each with the
  // reach it had in the index (none for a new entry) and the reach it has now.
  void Flush(const TArrMyShape& All,
             const std::function<void(const TShapeReach* Before, const TShapeReach& After)>& Moved);
  // Appends every shape whose entry meets Area (drawing coordinates), and every unbounded one.
  void Query(const TMyRect& Area, TArrMyShape& Out) const;
  // The entries whose reach depends on the zoom (measured in pixels), as of their last flush.
  const std::unordered_set<TMyShape*>& FollowingZoom() const { return FFollowZoom; }
  // The largest margin of any entry since the last rebuild.
  float MaxMargin() const { return FMaxMargin; }
  size_t Size() const;

private:
  struct TTree;
  void Insert(TMyShape* Shape);
  void Erase(TMyShape* Shape);
  void Rebuild(const TArrMyShape& All);

  std::unique_ptr<TTree> FTree;
  TArrMyShape FUnbounded;
  TArrMyShape FQueue;
  std::unordered_set<TMyShape*> FFollowZoom;
  float FMaxMargin = 0;
};

}  // namespace cad
