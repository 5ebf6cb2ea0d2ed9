// The class library's string lists: TStrings, the abstract list of strings with an object
// pointer per entry, and TStringList, the list that holds them (optionally sorted).
//
// Strings are 8-bit (UTF-8 for text). Name=value lines, the whole text joined by line
// breaks, and loading and saving through streams and files follow the class library's rules:
// a line break is CR LF, LF or CR when reading; CR LF is written after every line.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

class TStrings {
 public:
  TStrings() = default;
  virtual ~TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  virtual int Count() const = 0;
  // Index checks raise EListError "List index out of bounds (<index>)".
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s) = 0;
  virtual void* GetObject(int index) const = 0;
  virtual void PutObject(int index, void* object) = 0;
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  std::string operator[](int index) const { return Get(index); }
  std::string Strings(int index) const { return Get(index); }
  void* Objects(int index) const { return GetObject(index); }

  // Returns the index of the new entry (its sorted place in a sorted list).
  virtual int Add(const std::string& s);
  int AddObject(const std::string& s, void* object);
  void Append(const std::string& s) { Add(s); }
  void AddStrings(const TStrings& other);
  void Assign(const TStrings& other);
  void Move(int from, int to);
  void Exchange(int a, int b);

  // Case-insensitive (ASCII) unless the list says otherwise; -1 when absent.
  virtual int IndexOf(std::string_view s) const;
  int IndexOfObject(const void* object) const;
  // Lines of the form name=value.
  int IndexOfName(std::string_view name) const;
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  std::string Values(std::string_view name) const;
  // An empty value removes the line; a new name adds "name=value".
  void SetValue(std::string_view name, const std::string& value);

  // Every line followed by LineBreak; setting splits at CR LF, LF and CR.
  std::string Text() const;
  void SetText(std::string_view text);
  // Comma-separated, with entries that hold blanks, commas or quotes in double quotes.
  std::string CommaText() const;
  void SetCommaText(std::string_view text);

  bool Equals(const TStrings& other) const;

  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  // Raise the file stream's exceptions (EFOpenError, EFCreateError).
  void LoadFromFile(const WideString& fileName);
  void SaveToFile(const WideString& fileName) const;

  // Notifications: OnChanging before and OnChange after every change, held back between
  // BeginUpdate and the matching EndUpdate (which then reports one change).
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  std::function<void()> OnChanging;
  std::function<void()> OnChange;

  std::string LineBreak = "\r\n";
  char NameValueSeparator = '=';
  virtual bool CaseSensitive() const { return false; }

 protected:
  void Changing();
  void Changed();
  bool SameString(std::string_view a, std::string_view b) const;
  void CheckIndex(int index, int limit) const;

 private:
  int updateCount_ = 0;
  bool changedWhileUpdating_ = false;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
 public:
  TStringList() = default;

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  void* GetObject(int index) const override;
  void PutObject(int index, void* object) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const std::string& s) override;
  int IndexOf(std::string_view s) const override;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool CaseSensitive() const override { return caseSensitive_; }
  void SetCaseSensitive(bool value);

  // Binary search of a sorted list: true when found; index is where it is or would go.
  bool Find(std::string_view s, int& index) const;
  void Sort();
  // Sorts with a comparison returning <0, 0, >0; the sort is stable.
  void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);

 private:
  int Compare(std::string_view a, std::string_view b) const;
  void InsertItem(int index, const std::string& s, void* object);

  std::vector<std::pair<std::string, void*>> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};
