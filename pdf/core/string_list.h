// A list of byte strings with one untyped object pointer per item, optionally sorted, compared
// with or without regard to ASCII case. The list never owns its objects; callers that keep
// integers in the object slot convert with ObjectToInt / IntToObject.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TStream;

class TTalvoPDFStringList {
 public:
  TTalvoPDFStringList() = default;
  virtual ~TTalvoPDFStringList() = default;
  TTalvoPDFStringList(const TTalvoPDFStringList&) = delete;
  TTalvoPDFStringList& operator=(const TTalvoPDFStringList&) = delete;

  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }

  // Sorted lists insert at the searched place; with Duplicates 0 an equal string is not added
  // again and the index of the one present is returned.
  int Add(std::string_view s) { return AddObject(s, nullptr); }
  int AddObject(std::string_view s, void* object);
  void AddStrings(const TTalvoPDFStringList& other);
  // index 0..Count(); other indexes are ignored. Inserting does not re-sort.
  void Insert(int index, std::string_view s) { InsertObject(index, s, nullptr); }
  void InsertObject(int index, std::string_view s, void* object);

  // Out-of-range indexes are ignored (Get gives "", GetObject nullptr).
  void Delete(int index);
  void Exchange(int i, int j);
  void Put(int index, std::string_view s);
  void PutObject(int index, void* object);
  std::string Get(int index) const;
  const std::string& operator[](int index) const;
  void* GetObject(int index) const;

  // Binary search of a sorted list; index is where s stands or would be inserted.
  bool Find(std::string_view s, int& index) const;
  int IndexOf(std::string_view s) const;
  int IndexOfObject(const void* object) const;
  // The first item "Name=Value" whose part before the first "=" equals name.
  int IndexOfName(std::string_view name) const;
  std::string GetValue(std::string_view name) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  void Sort();
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value) { caseSensitive_ = value; }
  // 0: a sorted list refuses an equal string; any other value accepts it.
  uint8_t Duplicates() const { return duplicates_; }
  void SetDuplicates(uint8_t value) { duplicates_ = value; }

  // Every string followed by CR LF.
  void SaveToStream(TStream& stream) const;
  std::string GetText() const;

  // -1, 0 or 1; without regard to ASCII case unless CaseSensitive.
  int CompareStrings(std::string_view a, std::string_view b) const;

  static void* IntToObject(intptr_t value) { return reinterpret_cast<void*>(value); }
  static intptr_t ObjectToInt(const void* object) { return reinterpret_cast<intptr_t>(object); }

 protected:
  explicit TTalvoPDFStringList(bool caseSensitive) : caseSensitive_(caseSensitive) {}

 private:
  struct Item {
    std::string String;
    void* Object = nullptr;
  };

  bool InRange(int index) const { return index >= 0 && index < Count(); }
  void QuickSort(int lo, int hi);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  uint8_t duplicates_ = 0;
};

// Compares bytes exactly.
class TTalvoPDFCaseSensitiveStringList : public TTalvoPDFStringList {
 public:
  TTalvoPDFCaseSensitiveStringList() : TTalvoPDFStringList(true) {}
};
