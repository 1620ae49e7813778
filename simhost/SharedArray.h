// One array of an object (positions, face points, UVs, ...), shared by the objects cloned from
// one another until one of them writes: a copy of the array costs a reference, and the first
// write to a shared array copies it, once, for the writer alone. Reading never copies and costs
// what reading a std::vector costs plus one indirection; only the object that holds the array
// may write to it (SimHost.h: Object's edit... functions), so that it can keep its tables in
// step. Relies on the standard library only.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace sim {

class Object;

template <typename T> class SharedArray {
public:
  SharedArray() = default;

  const std::vector<T>& values() const { return data_ ? *data_ : none(); }
  operator const std::vector<T>&() const { return values(); }
  size_t size() const { return data_ ? data_->size() : 0; }
  bool empty() const { return size() == 0; }
  const T* data() const { return data_ ? data_->data() : nullptr; }
  // Only for an index below size(), which a non-empty array has.
  const T& operator[](size_t i) const { return (*data_)[i]; }
  typename std::vector<T>::const_iterator begin() const { return values().begin(); }
  typename std::vector<T>::const_iterator end() const { return values().end(); }
  const T& front() const { return data_->front(); }
  const T& back() const { return data_->back(); }

  // Whether two arrays are one and the same block (not merely equal).
  bool sameBlock(const SharedArray& other) const { return data_ && data_ == other.data_; }
  // How many arrays share this one's block (0 for an array with none).
  long holders() const { return data_.use_count(); }

  friend bool operator==(const SharedArray& a, const SharedArray& b) {
    return a.sameBlock(b) || a.values() == b.values();
  }
  friend bool operator!=(const SharedArray& a, const SharedArray& b) { return !(a == b); }
  friend bool operator==(const SharedArray& a, const std::vector<T>& b) { return a.values() == b; }
  friend bool operator==(const std::vector<T>& a, const SharedArray& b) { return a == b.values(); }

private:
  friend class Object;

  // The array to write to, held by this one alone: copied first when it is shared.
  std::vector<T>& edit() {
    if (!data_)
      data_ = std::make_shared<std::vector<T>>();
    else if (data_.use_count() != 1)
      data_ = std::make_shared<std::vector<T>>(*data_);
    return *data_;
  }
  void assign(std::vector<T> values) {
    data_ = std::make_shared<std::vector<T>>(std::move(values));
  }
  static const std::vector<T>& none() {
    static const std::vector<T> empty;
    return empty;
  }

  std::shared_ptr<std::vector<T>> data_;
};

} // namespace sim
