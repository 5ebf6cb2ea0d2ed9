// The object store of one document: it creates every PDF object through its factories, owns
// them, frees them all when cleared or destroyed, and holds the settings all writers share.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/core/objects/pdf_object.h"

class TPDFNull;
class TPDFBoolean;
class TPDFNumeric;
class TPDFName;
class TPDFString;
class TPDFDictionary;
class TPDFArray;
class TPDFStream;
class TPDFIndRef;

// Answers an indirect reference: the object (objNum, gen), or nullptr.
using TPDFResolveEvent = std::function<TPDFObject*(TPDFIndRef& sender, int objNum, int gen)>;
// Gives obj a new indirect-object slot in the document; returns its number and generation.
using TPDFMakeIndirectEvent = std::function<void(TPDFObject* obj, int& objNum, int& gen)>;

class TPDFStructure {
 public:
  TPDFStructure();
  virtual ~TPDFStructure();
  TPDFStructure(const TPDFStructure&) = delete;
  TPDFStructure& operator=(const TPDFStructure&) = delete;

  // Shared writer settings; Clear restores these defaults.
  bool MultiLine = true;               // dictionaries one entry per line
  std::string NumberFormat = "0.0000";  // kept for callers; numbers are written with Decimals
  int Decimals = 4;
  // Installed by the document. Without OnResolve no reference resolves; OnMakeIndirect is
  // called by writers (and by ImportFrom), never by the store on its own.
  TPDFResolveEvent OnResolve;
  TPDFMakeIndirectEvent OnMakeIndirect;

  // Frees every object and restores the default settings.
  void Clear();
  // Makes room for n more objects without growing again.
  void Reserve(int n);
  int SpareCount() const { return static_cast<int>(objects_.capacity() - objects_.size()); }
  int ObjectCount() const { return static_cast<int>(objects_.size()); }
  // In creation order; nullptr out of range.
  TPDFObject* ObjectAt(int index) const;
  bool Owns(const TPDFObject* obj) const;

  TPDFNull* NewNull();
  TPDFBoolean* NewBoolean(bool value);
  TPDFNumeric* NewNumeric(double value);
  TPDFName* NewName(std::string_view text);  // a new name, not shared
  TPDFString* NewString(std::string_view bytes, bool hex);
  TPDFDictionary* NewDictionary();
  TPDFArray* NewArray();
  // Arrays are registered after their items.
  TPDFArray* NewArrayFromObjects(std::span<TPDFObject* const> items);
  TPDFArray* NewArrayFromObjects(std::initializer_list<TPDFObject*> items);
  TPDFArray* NewIntegerArray(std::span<const int> values);
  TPDFArray* NewIntegerArray(std::initializer_list<int> values);
  TPDFArray* NewDoubleArray(std::span<const double> values);
  TPDFArray* NewDoubleArray(std::initializer_list<double> values);
  TPDFIndRef* NewIndRef(int objNum, int gen);
  // A stream with its own new dictionary, filled by TPDFStream::Compress(data, doCompress).
  TPDFStream* NewStream(std::string_view data, bool doCompress);

  // Frees obj unless it is not ours, is a key name, has an object number (the document's
  // indirect-object table holds it) or is held by a stored object.
  void ReleaseObject(TPDFObject* obj);
  // The first stored name with this text, or nullptr.
  TPDFName* FindName(std::string_view text) const;
  // The name to use as a dictionary key: common keys share one stored name, other keys get a
  // new one; either way it is marked as a key name and never freed early.
  TPDFName* GetKeyName(std::string_view key);
  // OnMakeIndirect for obj; false (numbers untouched) when no handler is installed.
  bool MakeIndirect(TPDFObject* obj, int& objNum, int& gen);

  // The first object of text, made in this store; never nullptr (a null object when nothing
  // parses). Containers nested deeper than kPDFMaxNestingDepth parse as null.
  TPDFObject* ParseObject(std::string_view text);
  // The same; consumed is the number of bytes used (leading blanks and comments included).
  TPDFObject* ParseObjectAt(std::string_view text, size_t& consumed);
  std::string DecodeLiteralString(std::string_view token) const;
  std::string DecodeHexString(std::string_view token) const;

 private:
  template <class T, class... Args>
  T* Create(Args&&... args);
  void RegisterObject(std::unique_ptr<TPDFObject> obj);

  std::vector<std::unique_ptr<TPDFObject>> objects_;
  // Names GetKeyName handed out for common keys, by text.
  std::unordered_map<std::string, TPDFName*> commonKeyNames_;
};
