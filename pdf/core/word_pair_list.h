// Sortable lists for code tables: 16-bit (key, value) pairs found by binary search, and a
// sorted list of distinct integers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TZRXWordPairList {
 public:
  TZRXWordPairList();

  void Add(uint16_t key, uint16_t value);
  // By key, ascending; values move with their keys.
  void Sort();
  // The value of the first pair with this key in a sorted list; 0 when absent. Found() tells.
  uint16_t Find(uint16_t key);
  bool Found() const { return found_; }
  int Count() const { return static_cast<int>(keys_.size()); }
  uint16_t Key(int index) const { return keys_[static_cast<size_t>(index)]; }
  uint16_t Value(int index) const { return values_[static_cast<size_t>(index)]; }

 private:
  std::vector<uint16_t> keys_;
  std::vector<uint16_t> values_;
  bool found_ = false;
};

class TZRXSortedUniqueIntegerList {
 public:
  // Inserts value in order unless present; returns its index.
  int Add(int32_t value);
  int IndexOf(int32_t value) const;  // -1 when absent
  bool Contains(int32_t value) const { return IndexOf(value) >= 0; }
  void Remove(int32_t value);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  int32_t Item(int index) const { return items_[static_cast<size_t>(index)]; }

 private:
  std::vector<int32_t> items_;
};
