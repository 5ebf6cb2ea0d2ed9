// A PDF array: an ordered list of objects of the same store.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/objects/pdf_object.h"

class TPDFArray : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindArray;

  void Add(TPDFObject* item);
  int Count() const { return static_cast<int>(items_.size()); }
  TPDFObject* GetItem(int index) const;  // nullptr out of range
  const std::vector<TPDFObject*>& Items() const { return items_; }
  // In range only: item takes the slot. The old item stays in the store.
  void SetItem(int index, TPDFObject* item);
  // In range only: the later items move down. The item stays in the store.
  void Delete(int index);
  // Makes room for n more items without growing again.
  void Reserve(int n);
  int SpareCount() const { return static_cast<int>(items_.capacity() - items_.size()); }

  // True when every item is a number (also for an empty array).
  bool AllNumeric() const;
  // True when the syntax of some item equals text.
  bool ContainsText(std::string_view text) const;

  void Renumber(int delta) override;
  bool References(const TPDFObject* obj) const override;

 protected:
  // "[ 1 2 ]": items separated by blanks, a line feed once a line passes 80 characters.
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  explicit TPDFArray(TPDFStructure* owner) : TPDFObject(owner, kKind) {}

  std::vector<TPDFObject*> items_;
};
