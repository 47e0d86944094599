// TTrackedArray: the array type of a shape's public point and member lists.
//
// It reads like the std::vector it holds (and converts to it), and every way of changing it
// (assignment, growth, Edit()) tells the shape that owns it. The shape then drops its derived
// geometry (zoomed points, outlines, bounds) and its surface updates its spatial index.
//
// Point lists also report an element reached through a non-const reference, so a host that
// writes `Shape->Points[0].X = 5` directly is seen as surely as one that calls SetPoint; code on
// hot paths reads them through a const reference, which tells nobody. Member numbers are read
// far more than written and a change of them is costly (the member trees are rebuilt and the
// whole view repainted): their elements are read-only through any path, and written with
// Edit(), assignment or the growing calls.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace cad {

class TMyShape;

namespace detail {
// What a tracked array reports: a change of geometry (points, link points) or of relations (members).
enum class TTrackedKind : uint8_t { Geometry, Relations };
void ReportTrackedChange(TMyShape* Owner, TTrackedKind Kind);
}  // namespace detail

template <typename T, detail::TTrackedKind Kind>
class TTrackedArray {
public:
  using value_type = T;
  using size_type = typename std::vector<T>::size_type;
  using iterator = typename std::vector<T>::iterator;
  using const_iterator = typename std::vector<T>::const_iterator;
  using reference = T&;
  using const_reference = const T&;

  TTrackedArray() = default;
  TTrackedArray(std::initializer_list<T> Items) : FItems(Items) {}
  TTrackedArray(const std::vector<T>& Items) : FItems(Items) {}  // NOLINT: reads like a vector
  // A copy has no owner: copying the points of one shape into a local never reports anything.
  TTrackedArray(const TTrackedArray& Other) : FItems(Other.FItems) {}
  TTrackedArray& operator=(const TTrackedArray& Other) {
    if (this != &Other) Assign(Other.FItems);
    return *this;
  }
  TTrackedArray& operator=(const std::vector<T>& Items) {
    Assign(Items);
    return *this;
  }
  TTrackedArray& operator=(std::vector<T>&& Items) {
    FItems = std::move(Items);
    Touch();
    return *this;
  }
  TTrackedArray& operator=(std::initializer_list<T> Items) {
    FItems = Items;
    Touch();
    return *this;
  }

  // ---- Reading (reports nothing) ----
  operator const std::vector<T>&() const { return FItems; }  // NOLINT: reads like a vector
  const std::vector<T>& Items() const { return FItems; }
  size_type size() const { return FItems.size(); }
  bool empty() const { return FItems.empty(); }
  const T& operator[](size_type I) const { return FItems[I]; }
  const T& at(size_type I) const { return FItems.at(I); }
  const T& front() const { return FItems.front(); }
  const T& back() const { return FItems.back(); }
  const T* data() const { return FItems.data(); }
  const_iterator begin() const { return FItems.begin(); }
  const_iterator end() const { return FItems.end(); }
  const_iterator cbegin() const { return FItems.cbegin(); }
  const_iterator cend() const { return FItems.cend(); }
  friend bool operator==(const TTrackedArray& A, const TTrackedArray& B) { return A.FItems == B.FItems; }
  friend bool operator==(const TTrackedArray& A, const std::vector<T>& B) { return A.FItems == B; }

  // ---- Changing (reports once per call) ----
  std::vector<T>& Edit() {
    Touch();
    return FItems;
  }
  T& operator[](size_type I) requires(Kind == detail::TTrackedKind::Geometry) {
    Touch();
    return FItems[I];
  }
  T& at(size_type I) requires(Kind == detail::TTrackedKind::Geometry) {
    Touch();
    return FItems.at(I);
  }
  T& front() requires(Kind == detail::TTrackedKind::Geometry) {
    Touch();
    return FItems.front();
  }
  T& back() requires(Kind == detail::TTrackedKind::Geometry) {
    Touch();
    return FItems.back();
  }
  iterator begin() requires(Kind == detail::TTrackedKind::Geometry) {
    Touch();
    return FItems.begin();
  }
  iterator end() requires(Kind == detail::TTrackedKind::Geometry) { return FItems.end(); }
  void push_back(const T& V) {
    FItems.push_back(V);
    Touch();
  }
  void pop_back() {
    FItems.pop_back();
    Touch();
  }
  iterator insert(const_iterator At, const T& V) {
    auto it = FItems.insert(At, V);
    Touch();
    return it;
  }
  iterator erase(const_iterator At) {
    auto it = FItems.erase(At);
    Touch();
    return it;
  }
  iterator erase(const_iterator First, const_iterator Last) {
    auto it = FItems.erase(First, Last);
    Touch();
    return it;
  }
  void clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Touch();
  }
  void resize(size_type N) {
    FItems.resize(N);
    Touch();
  }
  void resize(size_type N, const T& V) {
    FItems.resize(N, V);
    Touch();
  }
  void assign(size_type N, const T& V) {
    FItems.assign(N, V);
    Touch();
  }
  void reserve(size_type N) { FItems.reserve(N); }

private:
  friend class TMyShape;
  void Assign(const std::vector<T>& Items) {
    FItems = Items;
    Touch();
  }
  void Touch() {
    if (FOwner) detail::ReportTrackedChange(FOwner, Kind);
  }

  std::vector<T> FItems;
  TMyShape* FOwner = nullptr;
};

}  // namespace cad
