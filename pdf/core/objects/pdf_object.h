// The base of the nine kinds of PDF object. Every object belongs to one TPDFStructure, which
// alone creates and frees objects; containers hold plain pointers to other objects of the store.
#pragma once

#include <string>

class TPDFStructure;

// Kind tags.
inline constexpr char kPDFKindName = 'N';
inline constexpr char kPDFKindDictionary = 'D';
inline constexpr char kPDFKindNull = '0';
inline constexpr char kPDFKindBoolean = 'B';
inline constexpr char kPDFKindNumeric = 'n';
inline constexpr char kPDFKindString = 's';
inline constexpr char kPDFKindArray = 'A';
inline constexpr char kPDFKindStream = 'S';
inline constexpr char kPDFKindIndRef = 'I';

// Nesting of containers inside one object that the parser and the importer build; deeper
// constructs become null. Writing allows more (a stream adds a level for its dictionary) and
// stops at kPDFMaxWriteDepth, which only objects built by program code can reach.
inline constexpr int kPDFMaxNestingDepth = 256;
inline constexpr int kPDFMaxWriteDepth = 4 * kPDFMaxNestingDepth;

class TPDFObject {
 public:
  virtual ~TPDFObject() = default;
  TPDFObject(const TPDFObject&) = delete;
  TPDFObject& operator=(const TPDFObject&) = delete;

  TPDFStructure* Owner() const { return owner_; }
  char Kind() const { return kind_; }
  bool HasNumber() const { return hasNumber_; }
  int ObjectNumber() const { return objectNumber_; }
  int Generation() const { return generation_; }
  // Set when the document enters the object into its indirect-object table; such an object
  // is never freed early (see TPDFStructure::ReleaseObject).
  void SetObjectNumber(int num, int gen);
  void ClearObjectNumber();

  // Sets s to the object's PDF syntax. A container that (through other containers) holds
  // itself writes "null" where it recurs.
  void WriteToString(std::string& s) const;
  // Appends the syntax to s.
  void AppendToString(std::string& s) const;
  std::string ToString() const;

  // Asks the owner to free this object (it stays while anything still holds it). A container
  // frees only itself: what it holds is still held while it goes, and stays in the store
  // until the store is cleared.
  virtual void Release();
  // Adds delta to the object numbers of the references inside.
  virtual void Renumber(int delta) {}
  // True when this object holds obj directly.
  virtual bool References(const TPDFObject* obj) const { return false; }

 protected:
  TPDFObject(TPDFStructure* owner, char kind) : owner_(owner), kind_(kind) {}

  // Appends the syntax; depth counts the containers being written around this object.
  virtual void Write(std::string& out, int depth) const = 0;
  // Writes a held object: nothing for nullptr, "null" for a container already being written
  // further out or one nested too deep.
  static void WriteChild(const TPDFObject* child, std::string& out, int depth);

  // Marks an object as being worked on, so that cycles of containers end.
  class BusyGuard {
   public:
    explicit BusyGuard(const TPDFObject& o) : o_(o) { o_.busy_ = true; }
    ~BusyGuard() { o_.busy_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

   private:
    const TPDFObject& o_;
  };
  bool Busy() const { return busy_; }

 private:
  TPDFStructure* owner_;
  char kind_;
  bool hasNumber_ = false;
  int objectNumber_ = 0;
  int generation_ = 0;
  mutable bool busy_ = false;
};

// The object as kind T, or nullptr when it is nullptr or of another kind.
template <class T>
T* PDFCast(TPDFObject* o) {
  return o != nullptr && o->Kind() == T::kKind ? static_cast<T*>(o) : nullptr;
}
template <class T>
const T* PDFCast(const TPDFObject* o) {
  return o != nullptr && o->Kind() == T::kKind ? static_cast<const T*>(o) : nullptr;
}
