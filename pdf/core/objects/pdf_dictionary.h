// A PDF dictionary: (key name, value) pairs in insertion order, at most one per key text.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "pdf/core/objects/pdf_object.h"

class TPDFName;

class TPDFDictionary : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindDictionary;
  using TPair = std::pair<TPDFName*, TPDFObject*>;

  // Sets key (a name from the owner's GetKeyName) to value; ignored when value is this
  // dictionary itself.
  void SetValue(std::string_view key, TPDFObject* value);
  // An existing pair with the same key text is overwritten in place (key and value); otherwise
  // the pair is appended. The objects replaced stay in the store. A nullptr key is ignored.
  void SetPair(TPDFName* key, TPDFObject* value);
  int IndexOfKey(std::string_view key) const;  // -1 when absent
  // nullptr when absent; with resolve, a reference is replaced by what it resolves to.
  TPDFObject* GetValue(std::string_view key, bool resolve = false) const;
  // The value (a reference resolved) rounded to an integer when it is a number, else def.
  int GetInteger(std::string_view key, int def) const;
  // The text of the "Type" name (not resolved), "" when absent or not a name.
  std::string GetType() const;
  // The value (a reference resolved) as text: a name's text, a string's bytes, an array's
  // syntax; "" for anything else.
  std::string GetValueText(std::string_view key) const;

  int Count() const { return static_cast<int>(pairs_.size()); }
  // (nullptr, nullptr) out of range.
  TPair GetPair(int index) const;
  const std::vector<TPair>& Pairs() const { return pairs_; }

  // Removes the pair, keeping the order of the others; frees nothing.
  void RemoveKey(std::string_view key);
  // Removes the pair, asking the store to free its value and key name; as the pair still holds
  // them while they are asked, they stay in the store (until it is cleared) like RemoveKey's.
  void DeleteKey(std::string_view key);
  // Takes over source's pairs. Within one store the pairs are shared (shallow copy). From
  // another store the source is copied into this store first, with every object it refers to
  // (each made indirect here through OnMakeIndirect); references the source store cannot
  // resolve become null. Returns false, changing nothing, when the source holds references
  // and this store cannot make objects indirect.
  bool ImportFrom(const TPDFDictionary* source);

  void Renumber(int delta) override;
  bool References(const TPDFObject* obj) const override;

 protected:
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  friend class TPDFObjectParser;
  explicit TPDFDictionary(TPDFStructure* owner) : TPDFObject(owner, kKind) {}

  // The position of a key in a large dictionary (a page's thousands of strip images), through
  // an index of the key texts kept beside the pairs.
  int IndexedKey(std::string_view key) const;
  void ForgetIndex() const;

  std::vector<TPair> pairs_;
  struct TKeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
  };
  // Made when a large dictionary is first searched: the position of each key text among the
  // first indexed_ pairs; pairs appended since are added at the next search, and removing a
  // pair drops the index.
  mutable std::unordered_map<std::string, int, TKeyHash, std::equal_to<>> index_;
  mutable size_t indexed_ = 0;
};

// True when "[" + key + "]" occurs in the list of common keys, whose names are shared by all
// dictionaries of a store.
bool IsCommonKey(std::string_view key);
